// The "info" reply: what the parser takes from whole and broken replies, and what the
// main window then shows in the detail view's information box.

#include "batteryinfo.h"
#include "bmsmainwin.h"
#include "boxrecorder.h"
#include "inforeply.h"
#include "novalue.h"

#include <QLabel>
#include <QPushButton>
#include <QtTest>

namespace {

using Lines = QList<QPair<QString, QString>>;

const Lines standard{
    { "Device address", "1" },       { "Device name", "HVRACK-7720-KM" }, { "Boot version", "V1.0.2" },
    { "Main Soft version", "V2.3.1" }, { "Comm version", "V1.2" },        { "Release Date", "2021-05-17" },
    { "Barcode", "ABCD2021E0561234" }, { "Specification", "51.2V100AH" }, { "Cell Number", "16" },
    { "Max Charge Curr", "100A" },
};

// The reply as the framing hands it over: "@", echo, key lines padded to one column,
// status line, "$$", every "\r" already gone.
QString frame(const Lines& lines, const QString& tail = QStringLiteral("Command completed successfully\n$$"))
{
    QString text = QStringLiteral("@\ninfo 1\n");
    for (const auto& l : lines)
        text += l.first.leftJustified(20) + QStringLiteral(": ") + l.second + '\n';
    return text + tail;
}

// The standard lines with `key` given `value`, or left out for a null value.
Lines with(const QString& key, const QString& value = QString())
{
    Lines lines;
    for (const auto& l : standard) {
        if (l.first != key)
            lines << l;
        else if (!value.isNull())
            lines << qMakePair(key, value);
    }
    return lines;
}

// Every field in one line: [broken|]address|name|boot|main|comm|date|barcode|pack rating|cells|max charge
QString fields(const InfoReply& r)
{
    const QString read = QStringList{ r.deviceAdd, r.deviceName, r.bootVersion, r.mainVersion, r.comVersion,
                                      r.relaseDate, r.barcode, r.packSpec, NoValue::text(r.cellNumber),
                                      r.maxChargeCurr }
                             .join('|');
    return r.complete ? read : "broken|" + read;
}

const QString whole = "1|HVRACK-7720-KM|V1.0.2|V2.3.1|V1.2|2021-05-17|ABCD2021E0561234|51.2V100AH|16|100A";
QString wholeBut(const QString& from, const QString& to) { return QString(whole).replace(from, to); }

const QStringList infoLabels{ "AddLab", "BootLab", "SoftVerLab", "CommVerLab", "ReleaLab",
                              "BarcodeLab", "SpeciLab", "CellNumLab", "MaxChargeLab" };
const QStringList identity{ "Device Address: 1", "Boot Version: V1.0.2", "Main Soft Version: V2.3.1",
                            "Comm Version: V1.2", "Release Date: 2021-05-17", "Barcode: ABCD2021E0561234",
                            "Specification: 51.2V100AH", "Cell Number: 16", "Max Charge Current: 100A" };
const QStringList unknown{ "Device Address: --", "Boot Version: --", "Main Soft Version: --", "Comm Version: --",
                           "Release Date: --", "Barcode: --", "Specification: --", "Cell Number: --",
                           "Max Charge Current: --" };

} // namespace

class TestInfoReply : public QObject
{
    Q_OBJECT

private slots:
    void parse_data()
    {
        QTest::addColumn<QString>("reply");
        QTest::addColumn<QString>("read");

        QTest::newRow("whole reply") << frame(standard) << whole;
        QTest::newRow("no device name") << frame(with("Device name")) << wholeBut("|HVRACK-7720-KM|", "||");
        for (const QString& key : InfoReply::requiredKeys()) {
            QTest::newRow(qPrintable("no " + key)) << frame(with(key == "Boot" ? QStringLiteral("Boot version") : key))
                                                   << "broken|||||||||--|";
        }
        QTest::newRow("device error") << "@\ninfo 9\nTarget device is not present\n$$" << "broken|||||||||--|";

        const QString barcode = "|ABCD2021E0561234|";
        QTest::newRow("barcode of 15") << frame(with("Barcode", "ABCD2021E056123")) << wholeBut(barcode, "||");
        QTest::newRow("barcode of 15 and blanks") << frame(with("Barcode", "ABCD2021E056123      "))
                                                  << wholeBut(barcode, "||");
        QTest::newRow("barcode of 17") << frame(with("Barcode", "ABCD2021E05612345"))
                                       << wholeBut(barcode, "|ABCD2021E05612345|");

        Lines both = standard;
        both.insert(2, { "Boot  version", "V0.9" });
        QTest::newRow("Boot  version after Boot version") << frame(both) << wholeBut("V1.0.2", "V0.9");
        Lines twoFirst = standard;
        twoFirst.prepend({ "Boot  version", "V0.8" });
        QTest::newRow("Boot  version first") << frame(twoFirst) << wholeBut("V1.0.2", "V0.8");
        Lines neither = standard;
        neither[2] = { "Bootloader", "V0.6" };
        QTest::newRow("neither boot key") << frame(neither) << wholeBut("V1.0.2", "");

        QTest::newRow("cell number and blanks") << frame(with("Cell Number", "16     ")) << whole;
        QTest::newRow("cell number and a word") << frame(with("Cell Number", "16 cells")) << wholeBut("|16|", "|--|");
        QTest::newRow("cell number in hex") << frame(with("Cell Number", "0x10")) << wholeBut("|16|", "|--|");
        QTest::newRow("cell number too big") << frame(with("Cell Number", "99999999999")) << wholeBut("|16|", "|--|");

        QTest::newRow("Cell Number on the last line") << frame(with("Cell Number"), "Cell Number   :  15  ")
                                                      << wholeBut("|16|", "|15|");
        QTest::newRow("Max Charge Curr on the last line") << frame(with("Max Charge Curr"), "Max Charge Curr : 50A  ")
                                                          << wholeBut("|100A", "|50A");
    }

    void parse()
    {
        QFETCH(QString, reply);
        QTEST(fields(InfoReply::parse(reply)), "read");
    }

    // Through the main window, as the reply dispatch calls it, after a whole reply.
    void window_data()
    {
        QTest::addColumn<QString>("reply");
        QTest::addColumn<QStringList>("texts");
        QTest::addColumn<int>("cells");
        QTest::addColumn<QString>("model");
        QTest::addColumn<bool>("offerBarcode");

        const QString model = "HVRACK-7720-KM";
        QTest::newRow("whole reply") << frame(standard) << identity << 16 << model << false;
        // A broken reply clears the identity but says nothing about the model.
        QTest::newRow("no Release Date") << frame(with("Release Date")) << unknown << NoValue::Int << model << false;
        QTest::newRow("device not present") << "@\ninfo 1\nTarget device is not present\n$$" << unknown
                                            << NoValue::Int << model << false;
        QTest::newRow("short barcode") << frame(with("Barcode", "ABC123"))
                                       << QStringList(identity).replaceInStrings("ABCD2021E0561234", "--") << 16
                                       << model << true;
        QTest::newRow("whole reply without a name") << frame(with("Device name")) << identity << 16 << "" << false;
    }

    void window()
    {
        QFETCH(QString, reply);
        BoxRecorder boxes;
        BMSMainWin win;
        auto* view = win.findChild<BatteryInfo*>(QStringLiteral("BattInfoWid"));
        win.InfoProcess(frame(standard));
        win.InfoProcess(reply);
        QStringList texts;
        for (const QString& name : infoLabels)
            texts << view->findChild<QLabel*>(name)->text();
        QTEST(texts, "texts");
        QTEST(view->GetCellNumber(), "cells");
        QTEST(win.deviceModel, "model");
        QTEST(!view->findChild<QPushButton*>(QStringLiteral("AddBarBtn"))->isHidden(), "offerBarcode");
    }
};

QTEST_MAIN(TestInfoReply)
#include "tst_inforeply.moc"
