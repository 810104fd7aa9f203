// Device control: the MOSFET switches, the self-test and the barcode, as the wire and
// the operator's boxes show them; first on a pseudo-terminal where the test plays the
// device, then against the simulated BMS.

#include "windowfixture.h"

#include "batteryinfo.h"
#include "suitetools.h"

#include <QElapsedTimer>
#include <QLineEdit>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTimer>

#include <functional>

using Action = std::function<void(BMSMainWin&)>;
Q_DECLARE_METATYPE(Action)

namespace {

const QString kInvalid = QStringLiteral("Invalid command or fail to excute.");

QString framed(const QString& command, const QString& body, const QString& status = "Command completed successfully")
{
    return "@" + command + "\n" + body + status + "\n$$";
}

// "C" and "D" for the lit charge and discharge marks of the group view.
QString marks(BMSMainWin& win)
{
    auto lit = [&win](const char* name) { return win.findChild<QRadioButton*>(name)->isChecked(); };
    return QString(lit("CmosRadiBtn") ? "C" : "") + (lit("DmosRadiBtn") ? "D" : "");
}

// The barcode dialog: modal, so the operator cannot pick another pack meanwhile.
QWidget* openDialog() { return QApplication::activeModalWidget(); }

} // namespace

class TestControl : public QObject
{
    Q_OBJECT
private slots:
    // An action, the device's reply as the dispatch hands it over, and the "ctrl"
    // read-out that follows a switch: the wire, the boxes and the two marks. Polling
    // runs exactly when no self-test does. (A switch read back and a self-test passed
    // or failed against a device: simulatedDevice.)
    void actions_data()
    {
        QTest::addColumn<Action>("act");
        QTest::addColumn<QString>("reply"); // "body|status|the ctrl read-out's body"
        QTest::addColumn<QByteArray>("wire");
        QTest::addColumn<QString>("box");
        QTest::addColumn<QString>("lit");
        QTest::addColumn<int>("minMs");
        auto row = [](const char* name, Action act, const QString& reply, const QByteArray& wire, const QString& box = {},
                      const QString& lit = {}, int minMs = 0) {
            QTest::newRow(name) << act << reply << wire << (box.isEmpty() ? box : "Message|" + box) << lit << minMs;
        };
        const auto steps = [](const QVector<Action>& acts) { return Action([acts](BMSMainWin& w) { for (auto& act : acts) act(w); }); };
        const auto barcode = [](int pack) { return [pack](BMSMainWin& w) { w.currBatNum = pack; w.AddBarcode("ABCD2024E0561234"); }; };
        const Action switches = steps({&BMSMainWin::CfetOffBtn_clicked, &BMSMainWin::DfetOnBtn_clicked});
        const Action selfTest = &BMSMainWin::SelfTestBtn_clicked;
        const QString done = "|Command completed successfully", failed = "|" + kInvalid;
        row("switches", switches, "", "\nctrl cfet off\n\nctrl dfet on\n");
        // Clicked twice, the self-test goes out once; switches and a barcode meanwhile send nothing.
        row("during a self-test", steps({selfTest, selfTest, switches, barcode(2)}), "", "\ntall\n");
        row("barcode of pack 2", barcode(2), "", "\nlogin debug\n\ntbar ABCD2024E0561234\n", {}, {}, 500);
        row("cfet on, read back in lower case", Action(&BMSMainWin::CfetOnBtn_clicked), done + "|CFET : on\nDFET : ON\n",
            "\nctrl cfet on\n\nctrl\n", "The Mos open success!", "D");
        row("dfet off refused", Action(&BMSMainWin::DfetOffBtn_clicked), failed, "\nctrl dfet off\n", "The Mos close fail!");
        row("self-test failed", selfTest, "Started\nSensor check : fail\n\n" + failed, "\ntall\n",
            "The self-test fail!\n\nStarted\nSensor check : fail\n" + kInvalid);
        row("barcode completed without pass", barcode(1), "Test result:fail\n" + done, "\ntbar ABCD2024E0561234\n", "Added barcode fail!");
    }

    void actions()
    {
        QFETCH(Action, act);
        QFETCH(QString, reply);
        QFETCH(int, minMs);
        WindowFixture f;
        QVERIFY(f.login());
        QElapsedTimer took;
        took.start();
        act(f.win);
        QVERIFY(took.elapsed() >= minMs - 10);
        const bool started = f.win.CurrentCommand == "tall\n";
        if (!reply.isEmpty())
            f.win.CommandInfoStrParse(framed(f.win.CurrentCommand.trimmed(), reply.section('|', 0, 0), reply.section('|', 1, 1)));
        if (!reply.section('|', 2).isEmpty())
            f.win.CommandInfoStrParse(framed("ctrl", reply.section('|', 2)));
        QTEST(f.pty.readFor(200), "wire");
        QTEST(f.boxes.seen().join('\n'), "box");
        QTEST(marks(f.win), "lit");
        QCOMPARE(f.win.selfTesting, started && reply.isEmpty());
        QCOMPARE(f.win.pollTimer->isActive(), !f.win.selfTesting);
        QCOMPARE(f.win.selfTestTimer->isActive(), started && reply.isEmpty());
    }

    // The dialog opened from the detail view: what it hands on and what it refuses.
    void barcodeEntry_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<bool>("byReturn");
        QTest::addColumn<QString>("notice");
        const QString control = "The Barcode must not contain line breaks or other control characters!";
        QTest::newRow("16 with a leading blank") << " BCD2024E0561234" << false << "";
        QTest::newRow("17 confirmed by Return") << "ABCD2024E05612345" << true << "The Barcode length does not meet requirement!";
        QTest::newRow("empty") << "" << false << "The Barcode is empty!";
        QTest::newRow("line break") << "ABCD2024\nE056123" << false << control;
        QTest::newRow("DEL") << QString("ABCD2024E056123\x7f") << true << control;
    }

    void barcodeEntry()
    {
        QFETCH(QString, typed);
        QFETCH(bool, byReturn);
        QFETCH(QString, notice);
        BoxRecorder boxes;
        BatteryInfo view;
        view.findChild<QPushButton*>("AddBarBtn")->click();
        QVERIFY(openDialog());
        QSignalSpy handed(&view, &BatteryInfo::MissBarcode);
        QLineEdit* edit = openDialog()->findChild<QLineEdit*>("BarEdit");
        edit->setText(typed);
        if (byReturn)
            QTest::keyClick(edit, Qt::Key_Return);
        else
            openDialog()->findChild<QPushButton*>("Confirm")->click();
        QCOMPARE(boxes.seen(), notice.isEmpty() ? QStringList() : QStringList{"Notice|" + notice});
        QCOMPARE(handed.value(0).value(0).toString(), notice.isEmpty() ? typed : QString());
        QCOMPARE(openDialog() != nullptr, !notice.isEmpty());
        if (openDialog())
            openDialog()->close();
    }

    // Against the simulated BMS: switches read back into the group view, a passed and a
    // failed self-test, one whose end never comes, and one cut off by a lost port.
    void simulatedDevice()
    {
        SimOptions o;
        o.selfTestMs = 300;
        o.sampleMs = 1 << 30;
        SimSession s(o);
        BMSMainWin& win = *s.win;
        QVERIFY(s.up());
        win.RealTimerBtn_clicked(); // the poll's own commands would interleave
        const auto press = [&](const char* button) {
            s.boxes.clear();
            win.findChild<QPushButton*>(button)->click();
            (void)QTest::qWaitFor([&] { return s.boxes.count() > 0; }, 5000);
            return s.boxes.seen().value(0);
        };
        QCOMPARE(press("DfetOffBtn"), QStringLiteral("Message|The Mos close success!"));
        QTRY_COMPARE(marks(win), QStringLiteral("C"));
        QCOMPARE(press("DfetOnBtn"), QStringLiteral("Message|The Mos open success!"));
        QTRY_COMPARE(marks(win), QStringLiteral("CD"));

        QCOMPARE(press("SelfTestBtn"), QStringLiteral("Message|The self-test finish!"));
        s.sim.raiseAlarm(2, SimDevice::SystemFault);
        const QString failed = press("SelfTestBtn");
        QVERIFY2(failed.startsWith("Message|The self-test fail!\n\n") && failed.contains("Temperature sensor check : fail"),
                 qPrintable(failed));
        // The report's "$$" is lost on the line: its begun frame must not stay behind.
        SimFaults cut;
        cut.loseFrameEnd = 1.0;
        s.sim.setFaults(cut);
        win.selfTestTimer->setInterval(800);
        QCOMPARE(press("SelfTestBtn"),
                 QStringLiteral("Message|The self-test gave no result within 0.8 seconds! Commands are sent again."));
        QVERIFY(!win.selfTesting && win.framer.rxFrame().isEmpty());

        win.selfTestTimer->setInterval(60000);
        win.SelfTestBtn_clicked();
        s.sim.stop(); // the port vanishes, found by the one-second scan
        QTRY_VERIFY_WITH_TIMEOUT(!win.portOpen, 3000);
        QCOMPARE(s.boxes.seen().value(1), QStringLiteral("Error|The serial port diconnect! Please check!\n\n"
                                                         "The self-test was interrupted; its result is unknown."));
        QVERIFY(!win.selfTesting && !win.selfTestTimer->isActive() && win.framer.rxFrame().isEmpty());
        win.SelfTestBtn_clicked(); // without a port nothing is sent, so nothing may wait
        QVERIFY(!win.selfTesting && s.boxes.seen().value(2) == "Notice|The serial port not open, Please Login!");
    }
};

QTEST_MAIN(TestControl)
#include "tst_control.moc"
