#include "addbarcode.h"
#include "ui_addbarcode.h"

#include "msgbox.h"

#include <QKeyEvent>

namespace {

constexpr int BarcodeLength = 16;

// The barcode travels inside a console line; a line break or any other control
// character in it would end that line early and hand the rest to the device as a
// command of its own.
bool hasControlCharacter(const QString& text)
{
    for (const QChar c : text) {
        if (c.unicode() < 0x20 || c.unicode() == 0x7F)
            return true;
    }
    return false;
}

} // namespace

AddBarcode::AddBarcode(QWidget* parent)
    : QWidget(parent)
    , ui(new Ui::AddBarcode)
{
    ui->setupUi(this);
    setWindowTitle(tr("Notice"));
    // The write goes to the pack the device has selected, so the operator must not
    // pick another pack while typing a barcode meant for this one.
    setWindowModality(Qt::ApplicationModal);
    setAttribute(Qt::WA_DeleteOnClose);
    ui->BarEdit->installEventFilter(this);
    connect(ui->Confirm, &QPushButton::clicked, this, &AddBarcode::Confirm_Clicked);
}

AddBarcode::~AddBarcode()
{
    delete ui;
}

void AddBarcode::Confirm_Clicked()
{
    // Taken as typed: a blank belongs to the barcode like any other character.
    const QString barcode = ui->BarEdit->text();
    QString notice;
    if (barcode.isEmpty())
        notice = tr("The Barcode is empty!");
    else if (hasControlCharacter(barcode))
        notice = tr("The Barcode must not contain line breaks or other control characters!");
    else if (barcode.size() != BarcodeLength)
        notice = tr("The Barcode length does not meet requirement!");
    if (!notice.isEmpty()) {
        MsgBox::show(this, QMessageBox::Information, tr("Notice"), notice, QMessageBox::Ok);
        return;
    }
    emit AddMissBarcode(barcode);
    close();
}

bool AddBarcode::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == ui->BarEdit && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            ui->Confirm->click();
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}
