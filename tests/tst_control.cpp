// Device control: the MOSFET switches, the self-test and the barcode, as the wire and
// the operator's boxes show them; first against a pseudo-terminal on which the test
// plays the device, then against the simulated BMS.

#include "windowfixture.h"

#include "addbarcode.h"
#include "batterygroup.h"
#include "batteryinfo.h"
#include "bmssimulator.h"

#include <QElapsedTimer>
#include <QLineEdit>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTimer>

namespace {

QString framed(const QString& command, const QString& body, const QString& status = QStringLiteral("Command completed successfully"))
{
    return QStringLiteral("@") + command + QLatin1Char('\n') + body + status + QStringLiteral("\n$$");
}

// "C" and "D" for the lit charge and discharge marks of the group view.
QString marks(BMSMainWin& win)
{
    auto lit = [&win](const char* name) { return win.findChild<QRadioButton*>(QLatin1String(name))->isChecked(); };
    return QString(lit("CmosRadiBtn") ? "C" : "") + (lit("DmosRadiBtn") ? "D" : "");
}

AddBarcode* openDialog()
{
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (auto* d = qobject_cast<AddBarcode*>(w); d && d->isVisible())
            return d;
    }
    return nullptr;
}

} // namespace

class TestControl : public QObject
{
    Q_OBJECT
private slots:
    // Slots called in turn, with or without a self-test running: what goes out, and
    // whether polling and the self-test state are left as they should be.
    void clicks_data()
    {
        QTest::addColumn<QStringList>("calls");
        QTest::addColumn<bool>("testing");
        QTest::addColumn<QByteArray>("wire");
        QTest::addColumn<bool>("polling");
        QTest::newRow("cfet on") << QStringList{"CfetOnBtn_clicked"} << false << QByteArray("\nctrl cfet on\n") << true;
        QTest::newRow("all four switches")
            << QStringList{"CfetOffBtn_clicked", "DfetOnBtn_clicked", "DfetOffBtn_clicked"} << false
            << QByteArray("\nctrl cfet off\n\nctrl dfet on\n\nctrl dfet off\n") << true;
        QTest::newRow("switch during a self-test") << QStringList{"CfetOnBtn_clicked", "DfetOffBtn_clicked"} << true
                                                   << QByteArray() << true;
        QTest::newRow("self-test clicked twice") << QStringList{"SelfTestBtn_clicked", "SelfTestBtn_clicked"} << false
                                                 << QByteArray("\ntall\n") << false;
        QTest::newRow("self-test during a self-test") << QStringList{"SelfTestBtn_clicked"} << true << QByteArray()
                                                      << false;
    }

    void clicks()
    {
        QFETCH(QStringList, calls);
        QFETCH(bool, testing);
        WindowFixture f;
        QVERIFY(f.login());
        f.win.selfTesting = testing;
        for (const QString& call : calls)
            QVERIFY(QMetaObject::invokeMethod(&f.win, call.toLatin1().constData()));
        QTEST(f.pty.readFor(200), "wire");
        QTEST(f.win.pollTimer->isActive(), "polling");
        const bool selfTest = testing || calls.contains("SelfTestBtn_clicked");
        QCOMPARE(f.win.selfTesting, selfTest);
        QCOMPARE(f.boxes.count(), 0);
    }

    // A reply as the dispatch hands it over, then the "ctrl" read-out that follows a
    // switch: the boxes, the next command, the two marks, and the self-test state.
    void replies_data()
    {
        QTest::addColumn<QString>("command");
        QTest::addColumn<QString>("reply");
        QTest::addColumn<QString>("ctrl");
        QTest::addColumn<QStringList>("boxes");
        QTest::addColumn<QByteArray>("wire");
        QTest::addColumn<QString>("lit");

        const QString invalid = QStringLiteral("Invalid command or fail to excute.");
        QTest::newRow("cfet on, both read back ON") << "ctrl cfet on" << framed("ctrl cfet on", "CFET : ON\n")
                                                    << "CFET : ON\nDFET : ON\n"
                                                    << QStringList{"Message|The Mos open success!"}
                                                    << QByteArray("\nctrl\n") << "CD";
        QTest::newRow("dfet on, read back in lower case") << "ctrl dfet on" << framed("ctrl dfet on", "")
                                                          << "CFET : ON\nDFET : on\n"
                                                          << QStringList{"Message|The Mos open success!"}
                                                          << QByteArray("\nctrl\n") << "C";
        QTest::newRow("dfet off") << "ctrl dfet off" << framed("ctrl dfet off", "") << "CFET : OFF\nDFET : OFF\n"
                                  << QStringList{"Message|The Mos close success!"} << QByteArray("\nctrl\n") << "";
        QTest::newRow("cfet off refused") << "ctrl cfet off" << framed("ctrl cfet off", "Please login debug first\n", invalid)
                                          << "" << QStringList{"Message|The Mos close fail!"} << QByteArray() << "";
        QTest::newRow("self-test passed") << "tall" << framed("tall", "Self test result : pass\n") << ""
                                          << QStringList{"Message|The self-test finish!"} << QByteArray() << "";
        QTest::newRow("self-test failed")
            << "tall" << framed("tall", "Self test start, please wait...\nTemperature sensor check : fail\n\n", invalid)
            << ""
            << QStringList{"Message|The self-test fail!\n\nSelf test start, please wait...\n"
                           "Temperature sensor check : fail\nInvalid command or fail to excute."}
            << QByteArray() << "";
        QTest::newRow("barcode passed") << "tbar ABCD2024E0561234"
                                        << framed("tbar ABCD2024E0561234", "Test result:pass\n") << ""
                                        << QStringList{"Message|Added barcode successfully!"} << QByteArray("\ninfo \n")
                                        << "";
        QTest::newRow("barcode completed without pass") << "tbar ABCD2024E0561234"
                                                        << framed("tbar ABCD2024E0561234", "Test result:fail\n") << ""
                                                        << QStringList{"Message|Added barcode fail!"} << QByteArray()
                                                        << "";
    }

    void replies()
    {
        QFETCH(QString, command);
        QFETCH(QString, reply);
        QFETCH(QString, ctrl);
        WindowFixture f;
        QVERIFY(f.login());
        f.win.pollTimer->stop();
        const bool tall = command == QLatin1String("tall");
        if (tall)
            f.win.SelfTestBtn_clicked();
        f.pty.readFor(50);
        f.win.CurrentCommand = command + QLatin1Char('\n');
        f.win.CommandInfoStrParse(reply);
        QTEST(f.boxes.seen(), "boxes");
        QTEST(f.pty.readFor(200), "wire");
        if (!ctrl.isEmpty())
            f.win.CommandInfoStrParse(framed(QStringLiteral("ctrl"), ctrl));
        QTEST(marks(f.win), "lit");
        // A self-test, passed or failed, is over and polling runs again.
        QVERIFY(!f.win.selfTesting && !f.win.selfTestTimer->isActive());
        QVERIFY(!tall || f.win.pollTimer->isActive());
    }

    // A self-test that never answers, or whose port goes away, ends with one box.
    void selfTestEnds_data()
    {
        QTest::addColumn<bool>("unplug");
        QTest::addColumn<QString>("box");
        QTest::newRow("no answer in time")
            << false << "Message|The self-test gave no result within 0.2 seconds! Commands are sent again.";
        QTest::newRow("port vanishes") << true
                                       << "Error|The serial port diconnect! Please check!\n\n"
                                          "The self-test was interrupted; its result is unknown.";
    }

    void selfTestEnds()
    {
        QFETCH(bool, unplug);
        QFETCH(QString, box);
        WindowFixture f;
        QStringList ports{f.pty.slavePath()};
        f.win.portListProvider = [&ports] { return ports; };
        f.win.ReflashSerialComx();
        QVERIFY(f.login());
        f.win.selfTestTimer->setInterval(200);
        f.win.SelfTestBtn_clicked();
        QVERIFY(f.pty.readFor(50).endsWith("tall\n"));
        // The report has begun; its end never comes.
        f.win.ReceiveChunk("@tall\r\r\nSelf test start, please wait...\r\r\n");
        if (unplug) {
            ports.clear();
            f.win.ReflashSerialComx();
        }
        QTRY_VERIFY(!f.win.selfTesting);
        QCOMPARE(f.boxes.seen(), QStringList{box});
        // The begun report must not become the head of the next command's reply.
        QVERIFY(f.win.rxFrame.isEmpty());
        QCOMPARE(f.win.pollTimer->isActive(), !unplug);
    }

    // The dialog opened from the detail view: what it hands on, and what it refuses.
    void barcodeEntry_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<bool>("byReturn");
        QTest::addColumn<QString>("notice");
        QTest::newRow("16 with a leading blank") << " BCD2024E0561234" << false << "";
        QTest::newRow("Return confirms") << "ABCD2024E0561234" << true << "";
        QTest::newRow("17 characters") << "ABCD2024E05612345" << false
                                       << "Notice|The Barcode length does not meet requirement!";
        QTest::newRow("Return on 17 characters") << "ABCD2024E05612345" << true
                                                 << "Notice|The Barcode length does not meet requirement!";
        QTest::newRow("empty") << "" << false << "Notice|The Barcode is empty!";
        const QString control = "Notice|The Barcode must not contain line breaks or other control characters!";
        QTest::newRow("line break") << "ABCD2024\nE056123" << false << control;
        QTest::newRow("DEL") << QString("ABCD2024E056123") + QChar(0x7F) << true << control;
    }

    void barcodeEntry()
    {
        QFETCH(QString, typed);
        QFETCH(bool, byReturn);
        QFETCH(QString, notice);
        BoxRecorder boxes;
        BatteryInfo view;
        view.findChild<QPushButton*>("AddBarBtn")->click();
        AddBarcode* dialog = openDialog();
        QVERIFY(dialog);
        QCOMPARE(dialog->windowTitle(), QStringLiteral("Notice"));
        QSignalSpy handed(&view, &BatteryInfo::MissBarcode);
        QLineEdit* edit = dialog->findChild<QLineEdit*>("BarEdit");
        edit->setText(typed);
        if (byReturn)
            QTest::keyClick(edit, Qt::Key_Return);
        else
            dialog->findChild<QPushButton*>("Confirm")->click();
        QCOMPARE(boxes.seen(), notice.isEmpty() ? QStringList() : QStringList{notice});
        QCOMPARE(handed.count(), notice.isEmpty() ? 1 : 0);
        if (notice.isEmpty())
            QCOMPARE(handed.at(0).at(0).toString(), typed);
        QCOMPARE(edit->text(), typed); // a Return is not typed into the field
        QTRY_COMPARE(openDialog() != nullptr, !notice.isEmpty());
        if (AddBarcode* left = openDialog())
            left->close();
    }

    // Writing a barcode: "login debug" and its pause for packs other than 1, nothing
    // during a self-test.
    void barcodeWrite_data()
    {
        QTest::addColumn<int>("pack");
        QTest::addColumn<bool>("testing");
        QTest::addColumn<QByteArray>("wire");
        QTest::addColumn<int>("pauseMs");
        QTest::newRow("pack 1") << 1 << false << QByteArray("\ntbar ABCD2024E0561234\n") << 0;
        QTest::newRow("pack 2") << 2 << false << QByteArray("\nlogin debug\n\ntbar ABCD2024E0561234\n") << 500;
        QTest::newRow("during a self-test") << 2 << true << QByteArray() << 0;
    }

    void barcodeWrite()
    {
        QFETCH(int, pack);
        QFETCH(bool, testing);
        QFETCH(int, pauseMs);
        WindowFixture f;
        QVERIFY(f.login());
        f.win.currBatNum = pack;
        f.win.selfTesting = testing;
        f.win.pollTimer->stop();
        QElapsedTimer took;
        took.start();
        f.win.AddBarcode(QStringLiteral("ABCD2024E0561234"));
        QVERIFY(took.elapsed() >= pauseMs - 10);
        QTEST(f.pty.readFor(100), "wire");
        QCOMPARE(f.win.pollTimer->isActive(), !testing);
    }

    // Against the simulated BMS: both switches read back into the group view, a passed
    // self-test, and one failed by a sensor fault.
    void simulatedDevice()
    {
        SimOptions o;
        o.selfTestMs = 300;
        o.sampleMs = 1 << 30;
        BmsSimulator sim(o);
        QVERIFY(sim.start());
        BoxRecorder boxes;
        BMSMainWin win;
        win.findChild<QComboBox*>("PortComBox")->setCurrentText(sim.portPath());
        win.OpenBtn_clicked();
        QTRY_COMPARE_WITH_TIMEOUT(win.CurrentCommand, QStringLiteral("ctrl\n"), 5000);
        QTRY_COMPARE(marks(win), QStringLiteral("CD"));
        win.RealTimerBtn_clicked(); // the poll's own commands would interleave

        const auto press = [&](const char* button) {
            boxes.clear();
            win.findChild<QPushButton*>(QLatin1String(button))->click();
            (void)QTest::qWaitFor([&] { return boxes.count() > 0; }, 5000);
            return boxes.seen().value(0);
        };
        QCOMPARE(press("DfetOffBtn"), QStringLiteral("Message|The Mos close success!"));
        QTRY_COMPARE(marks(win), QStringLiteral("C"));
        QCOMPARE(press("CfetOffBtn"), QStringLiteral("Message|The Mos close success!"));
        QTRY_COMPARE(marks(win), QString());
        QCOMPARE(press("CfetOnBtn"), QStringLiteral("Message|The Mos open success!"));
        QTRY_COMPARE(marks(win), QStringLiteral("C"));

        QCOMPARE(press("SelfTestBtn"), QStringLiteral("Message|The self-test finish!"));
        QVERIFY(!win.selfTesting);
        sim.raiseAlarm(2, SimDevice::SystemFault);
        const QString failed = press("SelfTestBtn");
        QVERIFY2(failed.startsWith("Message|The self-test fail!\n\n") && failed.contains("Temperature sensor check : fail"),
                 qPrintable(failed));
        QVERIFY(!win.selfTesting);
        QCOMPARE(boxes.count(), 1);
    }
};

QTEST_MAIN(TestControl)
#include "tst_control.moc"
