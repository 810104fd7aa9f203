// End to end against the simulated BMS: the firmware update from the button to the
// boot text, every way it can end, and the checks that refuse to start one.

#include "simconsole.h"
#include "simfirmware.h"
#include "suitetools.h"
#include "transprogress.h"
#include "updatalogin.h"
#include "updatathread.h"
#include "waitconfig.h"
#include "windowfixture.h"

#include <QLineEdit>
#include <QSettings>
#include <QTextBrowser>
#include <QTimer>


namespace {

const QString kInterrupted = "The firmware update was interrupted. The battery may be left without working firmware!";

// A simulated system, the window logged in to it on the update page, and the
// operator's file choices.
struct Rig : SimSession {
    QTemporaryDir dir;

    using SimSession::SimSession;
    bool up()
    {
        const bool in = SimSession::up();
        win->UpPageBtn_clicked();
        return in && win->presentNum == sim.options().packs;
    }
    // The image the operator picks in the file dialog.
    QString choose(const QByteArray& image)
    {
        boxes.files << dir.filePath("image.bin");
        return writeFile(boxes.files.last(), image) ? boxes.files.last() : QString();
    }
    SimXmodemReceiver receiver()
    {
        SimXmodemReceiver r;
        sim.access([&](SimConsole& c) { r = c.receiver(); });
        return r;
    }
    // Nothing of the update left running or armed, and the controls back.
    bool idle() const
    {
        return win->updateStage == BMSMainWin::UpdateStage::Idle && !win->fastParse && !win->transTimer->isActive()
               && !win->updateTimer->isActive() && !win->transDlg->isVisible() && !win->waitDlg->isVisible()
               && win->findChild<QWidget*>("BasicBtn")->isEnabled() && win->findChild<QWidget*>("BattGroupWid")->isEnabled();
    }
};

SimOptions quick(int packs)
{
    SimOptions o;
    o.packs = packs;
    o.rebootMs = 300;
    o.xmodemRetryMs = 400;
    return o;
}

} // namespace

class TestE2EUpdate : public QObject
{
    Q_OBJECT
private slots:
    void workflow_data()
    {
        QTest::addColumn<int>("packs");
        QTest::addColumn<QString>("start"); // "code", "boot" (the code, then "uboot") or "wake"
        QTest::addColumn<QByteArray>("image");
        QTest::addColumn<QString>("box");
        QTest::addColumn<QString>("lastCommand");

        const QByteArray pack = SimFirmware::build(SimFirmware::Pack, 2, 9, 1, patterned(2000));
        const QByteArray boot = SimFirmware::build(SimFirmware::Boot, 1, 5, 0, patterned(900));
        const QString host = "Message|Host upgraded successfully!Please check the slave after 3 minutes!";
        QTest::newRow("1 pack") << 1 << "code" << pack << "Message|The battery updata successful!" << "info 1";
        QTest::newRow("3 packs") << 3 << "code" << pack << host << "info 1";
        QTest::newRow("hub") << 3 << "code" << SimFirmware::build(SimFirmware::Hub, 1, 2, 0, patterned(700))
                             << "Message|The HUB updata successful!" << "login debug";
        QTest::newRow("boot program") << 1 << "boot" << boot << "Message|The battery updata successful!" << "info 1";
        QTest::newRow("wake, no code asked") << 3 << "wake" << pack << host << "info 1";
        QTest::newRow("version invalid") << 3 << "code" << boot << "Message|Version invalid!\n\nPlease check firmware!" << "updata";
        QTest::newRow("version without head") << 3 << "code" << patterned(600) << "Message|Version without head!\n\nPlease check firmware!" << "updata";
    }

    void workflow()
    {
        QFETCH(int, packs);
        QFETCH(QString, start);
        QFETCH(QByteArray, image);
        QFETCH(QString, box);
        QFETCH(QString, lastCommand);
        Rig rig(quick(packs));
        QVERIFY(rig.up());
        const QString file = rig.choose(image);
        if (start == "wake") {
            rig.win->WakeBtn_clicked();
        } else {
            (start == "boot" ? rig.win->UbootBtn_clicked() : rig.win->UpDateBtn_clicked());
            auto* code = rig.win->loginDlg->findChild<QLineEdit*>("PsdEdit");
            code->setText("123456");
            rig.win->loginDlg->Confirm_Clicked(); // wrong: stays open, says nothing
            code->clear();
            rig.win->loginDlg->Confirm_Clicked();
            QCOMPARE(rig.boxes.seen(), QStringList{"Notice|The Password is empty!"});
            rig.boxes.clear();
            code->setText(UpdataLogin::AccessCode);
            QTest::keyClick(code, Qt::Key_Return);
        }
        QTRY_VERIFY(!rig.win->findChild<QWidget*>("BasicBtn")->isEnabled());
        QTRY_VERIFY_WITH_TIMEOUT(rig.win->updateStage == BMSMainWin::UpdateStage::WaitingReboot, 5000);
        // Three minutes a pack; the host's own text as soon as it has slaves to pass the image to.
        QCOMPARE(rig.win->updateTimer->interval(), packs * 180000);
        QCOMPARE(rig.win->waitDlg->transLabText(), packs == 1 ? "Please wait for the battery to upgrade !" : "Please wait for the host to upgrade !");
        QTRY_COMPARE_WITH_TIMEOUT(rig.boxes.seen(), QStringList{box}, 5000);
        QTRY_VERIFY(rig.idle());

        const QString console = rig.win->findChild<QTextBrowser*>("ReceTextBro")->toPlainText();
        QVERIFY(console.contains("Transimit Start") && console.contains("Transimit finish 100%"));
        QCOMPARE(console.count("Transimit finish"), 2); // the progress line, rewritten in place
        QCOMPARE(rig.commands.contains("DLG"), start == "wake");
        QCOMPARE(rig.sim.storedImage(), box.contains("successful") ? image : QByteArray());
        // After the boot text: "login debug", and for a pack or host "info 1".
        QTRY_COMPARE(rig.commands.last(), lastCommand);
        QCOMPARE(QSettings("./ConFig/OpenPath.ini", QSettings::IniFormat).value("path/lastpath").toString(), QFileInfo(file).absolutePath());
    }

    // Every other way an update ends: one box, the worker's transfer cancelled on the
    // wire, nothing left armed.
    void endings_data()
    {
        QTest::addColumn<QString>("fault");
        QTest::addColumn<QString>("box");
        QTest::addColumn<bool>("senderCancelled");

        QTest::newRow("every block refused") << "nak" << "Warning|The bin file transfer failed: the receiver refused the same block 11 times!" << true;
        QTest::newRow("receiver cancels") << "cancel" << "Warning|The bin file transfer is cancelled by receiver!" << false;
        QTest::newRow("receiver never asks") << "mute" << "Warning|Start transmission timeout!" << true;
        QTest::newRow("receiver hangs") << "hang" << "Warning|TimeOut during transmission!" << true;
        QTest::newRow("file fails while read") << "unreadable" << "Warning|The bin file /proc/self/mem could not be read: " << true;
        QTest::newRow("no boot text") << "noboot" << "warning|Battery update error! Please check battery or wake battery\uFF01" << false;
        QTest::newRow("logout while armed") << "logoutarmed" << "Message|" + kInterrupted << true;
        QTest::newRow("logout during the transfer") << "logout" << "Message|" + kInterrupted << true;
        QTest::newRow("logout during the reboot wait") << "logoutwait" << "Message|" + kInterrupted << false;
        QTest::newRow("port lost during the transfer") << "unplug" << "Error|The serial port diconnect! Please check!\n\n" + kInterrupted << false;
        QTest::newRow("quit during the transfer") << "quit" << "Korvello|A firmware update is running. If you quit now, the battery may be "
                                                                 "left without working firmware!\nDo you wish to quit Korvello?" << true;
    }

    void endings()
    {
        QFETCH(QString, fault);
        QFETCH(QString, box);
        QFETCH(bool, senderCancelled);
        SimOptions o = quick(3);
        o.faults.xmodemNak = fault == "nak" ? 1.0 : 0.0;
        o.faults.xmodemCancelAfter = fault == "cancel" ? 3 : -1;
        o.faults.xmodemSilentAfter = fault == "mute" || fault == "logoutarmed" ? 0 : QStringList{"hang", "logout", "unplug", "quit"}.contains(fault) ? 3 : -1;
        if (fault == "noboot" || fault == "logoutwait")
            o.rebootMs = 60000;
        Rig rig(o);
        QVERIFY(rig.up());
        if (fault == "mute")
            rig.win->updThread->setStartInterval(20);
        if (fault == "hang")
            rig.win->transTimer->setInterval(300);
        rig.choose(SimFirmware::build(SimFirmware::Pack, 3, 0, 0, patterned(3000)));
        if (fault == "unreadable")
            rig.boxes.files = QStringList{"/proc/self/mem"};
        rig.win->UpDateBtn_clicked();
        rig.win->loginDlg->findChild<QLineEdit*>("PsdEdit")->setText(UpdataLogin::AccessCode);
        rig.win->loginDlg->Confirm_Clicked();

        if (o.faults.xmodemSilentAfter > 0)
            QTRY_COMPARE_WITH_TIMEOUT(rig.receiver().blocks(), 3, 5000);
        if (fault == "noboot" || fault == "logoutwait")
            QTRY_VERIFY_WITH_TIMEOUT(rig.win->updateStage == BMSMainWin::UpdateStage::WaitingReboot, 5000);
        if (fault == "noboot")
            rig.win->updateTimer->start(50);
        if (fault.startsWith("logout"))
            rig.win->CloseBtn_clicked();
        if (fault == "unplug")
            rig.sim.stop();
        if (fault == "quit") {
            rig.win->close();
            rig.win.reset();
        }
        QTRY_VERIFY2_WITH_TIMEOUT(rig.boxes.seen().size() == 1 && rig.boxes.seen().first().startsWith(box),
                                  qPrintable(rig.boxes.seen().join(", ")), 5000);
        if (senderCancelled)
            QTRY_COMPARE_WITH_TIMEOUT(rig.receiver().reason(), QString("cancelled by sender"), 5000);
        if (rig.win)
            QVERIFY(rig.idle());
        QTest::qWait(100); // a late signal of the ended transfer must not bring a second box
        QCOMPARE(rig.boxes.seen().size(), 1);
    }

    // The checks before anything is sent: each refusal is one box, and the line stays quiet.
    void refusals()
    {
        WindowFixture f;
        const auto refused = [&](const std::function<void()>& act) {
            f.boxes.clear();
            act();
            return f.boxes.seen().join(", ");
        };
        QCOMPARE(refused([&] { f.win.UpDateBtn_clicked(); }), "Notice|The serial port not open, Please open!");
        QVERIFY(f.login());
        f.pty.readFor(50);
        f.win.presentNum = 0;
        QCOMPARE(refused([&] { f.win.UpDateBtn_clicked(); }), "Notice|Can't update! \"Present Num\" Unknown.");
        QCOMPARE(refused([&] { f.win.UbootBtn_clicked(); }), "Notice|Can't update boot! \"Present Num\" Unknown.");
        f.win.presentNum = 3;
        f.win.updateStage = BMSMainWin::UpdateStage::Armed; // the command is out, no NAK yet
        QCOMPARE(refused([&] { f.win.UpDateBtn_clicked(); }), "warning|Upgrading!Please wait!");
        QCOMPARE(refused([&] { f.win.WakeBtn_clicked(); }), "warning|Upgrading!Please wait!");
        f.win.updateStage = BMSMainWin::UpdateStage::Idle;
        QCOMPARE(refused([&] { f.win.UpdateStart("updata"); }), "warning|Did not select file!");
        f.boxes.files << "/nonexistent/fw.bin";
        QCOMPARE(refused([&] { f.win.UpdateStart("updata"); }), "warning|Open file error!");
        QVERIFY(!f.win.loginDlg);
        QCOMPARE(f.pty.readFor(50), QByteArray());
    }
};

QTEST_MAIN(TestE2EUpdate)
#include "tst_e2e_update.moc"
