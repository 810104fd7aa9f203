// The "info" reply: what the parser takes from whole and broken replies, and what the
// main window then shows in the detail view's information box.

#include "batteryinfo.h"
#include "bmsmainwin.h"
#include "inforeply.h"
#include "msgbox.h"
#include "novalue.h"

#include <QLabel>
#include <QPushButton>
#include <QtTest>

namespace {

struct Line {
    QString key;
    QString value;
};

// The reply as the framing hands it over: "@", echo, key lines padded to one column,
// status line, "$$", every "\r" already gone.
QList<Line> standardLines()
{
    return {
        {"Device address", "1"},
        {"Device name", "HVRACK-7720-KM"},
        {"Boot version", "V1.0.2"},
        {"Main Soft version", "V2.3.1"},
        {"Comm version", "V1.2"},
        {"Release Date", "2021-05-17"},
        {"Barcode", "ABCD2021E0561234"},
        {"Specification", "51.2V100AH"},
        {"Cell Number", "16"},
        {"Max Charge Curr", "100A"},
    };
}

QString frame(const QList<Line>& lines, const QString& tail = QStringLiteral("Command completed successfully\n$$"))
{
    QString text = QStringLiteral("@\ninfo 1\n");
    for (const Line& l : lines)
        text += l.key.leftJustified(20) + QStringLiteral(": ") + l.value + QLatin1Char('\n');
    return text + tail;
}

QString replyWithout(const QString& key)
{
    QList<Line> lines = standardLines();
    for (int i = 0; i < lines.size(); ++i) {
        if (lines[i].key == key)
            lines.removeAt(i--);
    }
    return frame(lines);
}

QString replyWith(const QString& key, const QString& value)
{
    QList<Line> lines = standardLines();
    for (Line& l : lines) {
        if (l.key == key)
            l.value = value;
    }
    return frame(lines);
}

} // namespace

class TestInfoReply : public QObject
{
    Q_OBJECT

private slots:
    void wholeReply()
    {
        const InfoReply r = InfoReply::parse(frame(standardLines()));
        QVERIFY(r.complete);
        QCOMPARE(r.deviceAdd, QStringLiteral("1"));
        QCOMPARE(r.deviceName, QStringLiteral("HVRACK-7720-KM"));
        QCOMPARE(r.bootVersion, QStringLiteral("V1.0.2"));
        QCOMPARE(r.mainVersion, QStringLiteral("V2.3.1"));
        QCOMPARE(r.comVersion, QStringLiteral("V1.2"));
        QCOMPARE(r.relaseDate, QStringLiteral("2021-05-17"));
        QCOMPARE(r.barcode, QStringLiteral("ABCD2021E0561234"));
        QCOMPARE(r.packSpec, QStringLiteral("51.2V100AH"));
        QCOMPARE(r.cellNumber, 16);
        QCOMPARE(r.maxChargeCurr, QStringLiteral("100A"));
    }

    void missingKey_data()
    {
        QTest::addColumn<QString>("reply");
        for (const QString& key : InfoReply::requiredKeys()) {
            if (key == QLatin1String("Boot"))
                QTest::newRow("Boot") << replyWithout(QStringLiteral("Boot version"));
            else
                QTest::newRow(qPrintable(key)) << replyWithout(key);
        }
        QTest::newRow("device error") << QStringLiteral("@\ninfo 9\nTarget device is not present\n$$");
        QTest::newRow("empty") << QString();
    }

    void missingKey()
    {
        QFETCH(QString, reply);
        const InfoReply r = InfoReply::parse(reply);
        QVERIFY(!r.complete);
        for (const QString& s : {r.deviceAdd, r.deviceName, r.bootVersion, r.barcode, r.packSpec,
                                 r.mainVersion, r.comVersion, r.maxChargeCurr, r.relaseDate})
            QVERIFY(s.isEmpty());
        QCOMPARE(r.cellNumber, NoValue::Int);
    }

    void barcodeLength_data()
    {
        QTest::addColumn<QString>("printed");
        QTest::addColumn<QString>("stored");
        QTest::newRow("15 characters") << "ABCD2021E056123" << "";
        QTest::newRow("16 characters") << "ABCD2021E0561234" << "ABCD2021E0561234";
        QTest::newRow("17 characters") << "ABCD2021E05612345" << "ABCD2021E05612345";
        QTest::newRow("6 characters") << "ABC123" << "";
        QTest::newRow("blank") << "" << "";
        // Padding is not part of the barcode.
        QTest::newRow("15 and blanks") << "ABCD2021E056123      " << "";
    }

    void barcodeLength()
    {
        QFETCH(QString, printed);
        QFETCH(QString, stored);
        const InfoReply r = InfoReply::parse(replyWith(QStringLiteral("Barcode"), printed));
        QVERIFY(r.complete);
        QCOMPARE(r.barcode, stored);
    }

    void bootVersion_data()
    {
        QTest::addColumn<QString>("reply");
        QTest::addColumn<QString>("expected");
        QList<Line> both = standardLines();
        both.insert(2, {"Boot  version", "V0.9"});
        QTest::newRow("two-blank key after one-blank key") << frame(both) << "V0.9";
        QList<Line> twoFirst = standardLines();
        twoFirst.prepend({"Boot  version", "V0.8"});
        QTest::newRow("two-blank key first") << frame(twoFirst) << "V0.8";
        QList<Line> twoOnly = standardLines();
        twoOnly[2] = {"Boot  version", "V0.7"};
        QTest::newRow("two-blank key only") << frame(twoOnly) << "V0.7";
        QList<Line> neither = standardLines();
        neither[2] = {"Bootloader", "V0.6"};
        QTest::newRow("neither form") << frame(neither) << "";
    }

    void bootVersion()
    {
        QFETCH(QString, reply);
        QFETCH(QString, expected);
        const InfoReply r = InfoReply::parse(reply);
        QVERIFY(r.complete);
        QCOMPARE(r.bootVersion, expected);
    }

    void cellNumber_data()
    {
        QTest::addColumn<QString>("printed");
        QTest::addColumn<int>("expected");
        QTest::newRow("16") << "16" << 16;
        QTest::newRow("16 and blanks") << "16     " << 16;
        QTest::newRow("16 and a word") << "16 cells" << NoValue::Int;
        QTest::newRow("word") << "unknown" << NoValue::Int;
        QTest::newRow("hex") << "0x10" << NoValue::Int;
        QTest::newRow("decimal point") << "16.0" << NoValue::Int;
        QTest::newRow("empty") << "" << NoValue::Int;
        QTest::newRow("too big for int") << "99999999999" << NoValue::Int;
    }

    void cellNumber()
    {
        QFETCH(QString, printed);
        QFETCH(int, expected);
        const InfoReply r = InfoReply::parse(replyWith(QStringLiteral("Cell Number"), printed));
        QVERIFY(r.complete);
        QCOMPARE(r.cellNumber, expected);
    }

    void keyOnLastLine_data()
    {
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("value");
        QTest::newRow("Cell Number") << "Cell Number" << "15";
        QTest::newRow("Max Charge Curr") << "Max Charge Curr" << "50A";
        QTest::newRow("Release Date") << "Release Date" << "2022-01-09";
    }

    void keyOnLastLine()
    {
        QFETCH(QString, key);
        QFETCH(QString, value);
        QList<Line> lines = standardLines();
        for (int i = 0; i < lines.size(); ++i) {
            if (lines[i].key == key)
                lines.removeAt(i--);
        }
        const QString reply = frame(lines, key + QStringLiteral("   :  ") + value + QStringLiteral("  "));
        const InfoReply r = InfoReply::parse(reply);
        QVERIFY(r.complete);
        if (key == QLatin1String("Cell Number"))
            QCOMPARE(r.cellNumber, value.toInt());
        else if (key == QLatin1String("Max Charge Curr"))
            QCOMPARE(r.maxChargeCurr, value);
        else
            QCOMPARE(r.relaseDate, value);
    }

    void withoutDeviceName()
    {
        const InfoReply r = InfoReply::parse(replyWithout(QStringLiteral("Device name")));
        QVERIFY(r.complete);
        QVERIFY(r.deviceName.isEmpty());
        QCOMPARE(r.deviceAdd, QStringLiteral("1"));
    }

    // ---- through the main window, as the reply dispatch calls it ----

    void windowShowsIdentity()
    {
        BMSMainWin win;
        auto* view = win.findChild<BatteryInfo*>(QStringLiteral("BattInfoWid"));
        QVERIFY(view);
        win.InfoProcess(frame(standardLines()));

        auto text = [&](const char* name) { return view->findChild<QLabel*>(QLatin1String(name))->text(); };
        QCOMPARE(text("AddLab"), QStringLiteral("Device Address: 1"));
        QCOMPARE(text("BootLab"), QStringLiteral("Boot Version: V1.0.2"));
        QCOMPARE(text("SoftVerLab"), QStringLiteral("Main Soft Version: V2.3.1"));
        QCOMPARE(text("CommVerLab"), QStringLiteral("Comm Version: V1.2"));
        QCOMPARE(text("ReleaLab"), QStringLiteral("Release Date: 2021-05-17"));
        QCOMPARE(text("BarcodeLab"), QStringLiteral("Barcode: ABCD2021E0561234"));
        QCOMPARE(text("SpeciLab"), QStringLiteral("Specification: 51.2V100AH"));
        QCOMPARE(text("CellNumLab"), QStringLiteral("Cell Number: 16"));
        QCOMPARE(text("MaxChargeLab"), QStringLiteral("Max Charge Current: 100A"));
        QCOMPARE(win.deviceModel, QStringLiteral("HVRACK-7720-KM"));
        QCOMPARE(view->GetCellNumber(), 16);
        QCOMPARE(view->GetDeviceAdd(), QStringLiteral("1"));
        QVERIFY(view->findChild<QPushButton*>(QStringLiteral("AddBarBtn"))->isHidden());
    }

    void windowBrokenReply_data()
    {
        QTest::addColumn<QString>("reply");
        QTest::newRow("no Release Date") << replyWithout(QStringLiteral("Release Date"));
        QTest::newRow("no Barcode") << replyWithout(QStringLiteral("Barcode"));
        QTest::newRow("device not present") << QStringLiteral("@\ninfo 1\nTarget device is not present\n$$");
    }

    void windowBrokenReply()
    {
        QFETCH(QString, reply);
        BMSMainWin win;
        auto* view = win.findChild<BatteryInfo*>(QStringLiteral("BattInfoWid"));
        win.InfoProcess(frame(standardLines()));
        win.InfoProcess(reply);

        auto text = [&](const char* name) { return view->findChild<QLabel*>(QLatin1String(name))->text(); };
        QCOMPARE(text("AddLab"), QStringLiteral("Device Address: --"));
        QCOMPARE(text("BootLab"), QStringLiteral("Boot Version: --"));
        QCOMPARE(text("SoftVerLab"), QStringLiteral("Main Soft Version: --"));
        QCOMPARE(text("CommVerLab"), QStringLiteral("Comm Version: --"));
        QCOMPARE(text("ReleaLab"), QStringLiteral("Release Date: --"));
        QCOMPARE(text("BarcodeLab"), QStringLiteral("Barcode: --"));
        QCOMPARE(text("SpeciLab"), QStringLiteral("Specification: --"));
        QCOMPARE(text("MaxChargeLab"), QStringLiteral("Max Charge Current: --"));
        QCOMPARE(text("CellNumLab"), QStringLiteral("Cell Number: --"));
        QCOMPARE(view->GetCellNumber(), NoValue::Int);
        QVERIFY(view->GetDeviceAdd().isEmpty());
        // The model was learnt from the earlier, complete reply and stays.
        QCOMPARE(win.deviceModel, QStringLiteral("HVRACK-7720-KM"));
        QVERIFY(view->findChild<QPushButton*>(QStringLiteral("AddBarBtn"))->isHidden());
    }

    void windowMissingBarcodeOffersEntry()
    {
        BMSMainWin win;
        auto* view = win.findChild<BatteryInfo*>(QStringLiteral("BattInfoWid"));
        win.InfoProcess(replyWith(QStringLiteral("Barcode"), QStringLiteral("ABC123")));
        QCOMPARE(view->findChild<QLabel*>(QStringLiteral("BarcodeLab"))->text(), QStringLiteral("Barcode: --"));
        QVERIFY(!view->findChild<QPushButton*>(QStringLiteral("AddBarBtn"))->isHidden());
    }

    void windowCompleteReplyWithoutName()
    {
        BMSMainWin win;
        win.deviceModel = QStringLiteral("HVRACK-7720-KM");
        win.InfoProcess(replyWithout(QStringLiteral("Device name")));
        QVERIFY(win.deviceModel.isEmpty());
        QCOMPARE(win.findChild<BatteryInfo*>(QStringLiteral("BattInfoWid"))->GetCellNumber(), 16);
    }

    void init()
    {
        // A window never blocks on its boxes here.
        MsgBox::setHandler([](const MsgBox::Request&) {
            MsgBox::Answer a;
            a.button = QMessageBox::Yes;
            return a;
        });
    }
};

QTEST_MAIN(TestInfoReply)
#include "tst_inforeply.moc"
