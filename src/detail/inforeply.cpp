#include "inforeply.h"

#include "replyfield.h"

#include <QDebug>

namespace {

// Shorter barcodes are factory placeholders; the operator is offered to write a
// real one instead.
constexpr int BarcodeLength = 16;

const QString BootTwoBlanks = QStringLiteral("Boot  version");
const QString BootOneBlank = QStringLiteral("Boot version");

} // namespace

const QStringList& InfoReply::requiredKeys()
{
    static const QStringList keys{
        QStringLiteral("Device address"), QStringLiteral("Boot"),         QStringLiteral("Barcode"),
        QStringLiteral("Specification"),  QStringLiteral("Main Soft version"), QStringLiteral("Comm version"),
        QStringLiteral("Max Charge Curr"), QStringLiteral("Release Date"), QStringLiteral("Cell Number")};
    return keys;
}

InfoReply InfoReply::parse(const QString& reply)
{
    InfoReply info;
    if (!ReplyField::hasAll(reply, requiredKeys()))
        return info;
    info.complete = true;

    info.deviceAdd = ReplyField::text(reply, QStringLiteral("Device address"));
    qDebug() << "device add:" << info.deviceAdd;

    info.deviceName = ReplyField::text(reply, QStringLiteral("Device name"));
    qDebug() << "Device name:" << info.deviceName;

    // Older firmware pads the key with two blanks and some print both lines; the padded
    // one is the boot loader's own. A bare "Boot" elsewhere (a status word, another
    // key) says nothing about the version, so then the version stays unknown.
    if (reply.contains(BootTwoBlanks))
        info.bootVersion = ReplyField::text(reply, BootTwoBlanks);
    else if (reply.contains(BootOneBlank))
        info.bootVersion = ReplyField::text(reply, BootOneBlank);
    qDebug() << "Boot ver:" << info.bootVersion;

    const QString barcode = ReplyField::text(reply, QStringLiteral("Barcode"));
    qDebug() << "barcode size:" << barcode.size();
    info.barcode = barcode.size() < BarcodeLength ? QString() : barcode;
    qDebug() << "Barcode:" << info.barcode;

    info.packSpec = ReplyField::text(reply, QStringLiteral("Specification"));
    qDebug() << "Specification:" << info.packSpec;

    info.mainVersion = ReplyField::text(reply, QStringLiteral("Main Soft version"));
    qDebug() << "Main soft:" << info.mainVersion;

    info.comVersion = ReplyField::text(reply, QStringLiteral("Comm version"));
    info.maxChargeCurr = ReplyField::text(reply, QStringLiteral("Max Charge Curr"));
    info.relaseDate = ReplyField::text(reply, QStringLiteral("Release Date"));
    info.cellNumber = ReplyField::toInt(reply, QStringLiteral("Cell Number"));
    return info;
}
