// The command channel, the console and the port, with the test playing the device on a
// pseudo-terminal: which parser a reply reaches, what goes out on the wire after it,
// and what the operator reads and is told.
#include "windowfixture.h"

#include "batterygroup.h"
#include "batteryinfo.h"
#include "novalue.h"

#include <QAction>
#include <QTextEdit>
#include <QtTest>

namespace {

QByteArray framed(const QByteArray& command, const QByteArray& body, const QByteArray& status = "Command completed successfully")
{
    return '@' + command + '\n' + body + status + "\n$$";
}

const QString kDone = QStringLiteral("Command State: completed successfully");
const QString kNone = QStringLiteral("Command State:");
const QByteArray kPwrTable = QByteArray(
    "Power Volt Curr Tempr Tlow Thigh Vlow Vhigh Base.St Volt.St Curr.St Temp.St Coulomb Time B.V.St B.T.St\n"
    "1 5248 -410 2500 2400 2600 3270 3290 Normal Normal Normal Normal 87% 22-05-01 10:21:33 Normal Normal\n");
} // namespace

class TestChannel : public QObject
{
    Q_OBJECT
private slots:
    // One read (or, when empty, a quiet period with nothing received) against the command
    // it answers: which parsers it reaches, what follows on the wire and the command state
    // shown. The replies the simulated device gives on the way of a whole run (the polling
    // chain, the detail reads, the switches, the self-test, the barcode, the real-time stream,
    // the protection table, the event history and the loader's wake) are the end-to-end
    // suites' to route; here are the traps and the edges. The window's state for a row:
    // "idle" (the overview does not poll), "picked" (a pack was just picked), the device
    // model "KM" or "paging", and "no cells" / "no packs" (the views do not know the count yet).
    void routing_data()
    {
        QTest::addColumn<QString>("command");
        QTest::addColumn<QByteArray>("read");
        QTest::addColumn<QString>("state");
        QTest::addColumn<QString>("parsers");
        QTest::addColumn<QByteArray>("wire");
        QTest::addColumn<QString>("label");

        // A framed reply echoes the command unless the row says otherwise; it completes
        // the command unless its parser was left out for want of a count.
        const auto row = [](const char* name, const char* command, const QByteArray& body, const char* state, const char* parsers,
                            const QByteArray& wire, const char* echo = nullptr) {
            const bool told = !QByteArray(state).startsWith("no ");
            QTest::newRow(name) << QString(command) << framed(echo ? echo : command, body) << QString(state)
                                << QString(parsers) << wire << (told ? kDone : kNone);
        };
        const auto quiet = [](const char* name, const char* command, const QByteArray& text, const char* state,
                              const char* parsers) {
            QTest::newRow(name) << QString(command) << text << QString(state) << QString(parsers) << QByteArray() << kNone;
        };
        const auto status = [](const char* name, const char* command, const char* status, const char* label) {
            QTest::newRow(name) << QString(command) << framed(command, "", status) << QString()
                                << (qstrcmp(command, "config") ? "" : "ConfigProcess") << QByteArray() << QString(label);
        };
        row("info, idle", "info 3", "Device address : 3\n", "idle", "InfoProcess", "");
        row("bat, cells unknown", "bat 3", "", "no cells", "", "\npwr 3\n");
        row("pwrsys not pwr", "pwrsys", "B.T.St\n", "", "PwrsysProcess", "\npwr\n");
        row("pwrsys, pack picked", "pwrsys", "", "picked", "PwrsysProcess", "");
        row("pwr N not pwr", "pwr 3", "B.T.St\n", "", "PwrSigleProcess", "");
        row("other pack's pwr is the table", "pwr 2", "B.T.St\n", "", "PwrAlarmProcess", "\nbalance\n");
        row("pwr, count unknown", "pwr", kPwrTable, "no packs", "", "");
        row("pwr without table", "pwr", "", "", "", "");
        row("balance, count unknown", "balance", "1 0\n", "no packs", "", "");
        row("no row: echo of another command", "pwrsys", "", "", "", "", "info 1");
        row("updata's answer is no event count", "updata", "Upgrade mode\n", "", "UpdateProcess", "");
        quiet("uboot, nothing received", "uboot", "", "", "UpdateProcess");
        quiet("wake without answer", "DLG", "D\r\n", "", "");
        quiet("stop not echoed", "disp 0", "xx\r\n", "", "");
        quiet("framing model ignored", "datalist event 0", "Item Date\r\n", "KM", "");
        row("a frame on the paging model", "datalist event 0", "", "paging", "DataListEventProcess", "");
        quiet("framed commands ignored", "pwrsys", "pwrsys\r\n", "", "");
        // A bridge with a large buffer hands over several replies at once; each is one.
        const QByteArray pwr3 = framed("pwr 3", "B.T.St\n") + "\r\nBMS> ";
        QTest::newRow("three replies in one read") << "pwr 3" << pwr3 + pwr3 + pwr3 << QString() << "PwrSigleProcess,PwrSigleProcess,PwrSigleProcess"
                                                   << QByteArray() << kDone;
        status("unknown", "config", "Unknown command", "Command State: Unknown command");
        status("fail", "config", "Invalid command or fail to excute.", "Command State: fail to excute");
        status("absent pack", "config", "Target device is not present", "Command State: fail to excute");
        status("quit mode", "config", "Unknown command Quit current mode", "Command State:");
        status("login refused", "login debug", "Invalid command or fail to excute.", "Command State:");
    }

    void routing()
    {
        QFETCH(QString, command);
        QFETCH(QByteArray, read);
        QFETCH(QString, state);

        WindowFixture f;
        QVERIFY(f.login());
        f.win.pollTimer->stop();
        f.win.currBatNum = 3;
        f.win.basicPolling = state != QLatin1String("idle");
        f.win.GroupBtnFlag = state == QLatin1String("picked");
        f.win.deviceModel = state == QLatin1String("KM") ? QStringLiteral("HVRACK-7720-KM") : QStringLiteral("HVRACK-7720N");
        f.w<BatteryInfo>("BattInfoWid")->SetCellNumber(state == QLatin1String("no cells") ? NoValue::Int : 16);
        f.w<BatteryGroup>("BattGroupWid")->SetPresentNum(state == QLatin1String("no packs") ? NoValue::Int : 1);
        QStringList reached;
        f.win.routeObserver = [&reached](const char* name, const QString&) { reached << QString::fromLatin1(name); };

        f.win.CurrentCommand = command + QLatin1Char('\n');
        if (read.isEmpty())
            f.win.parseTimer->start(300);
        else
            f.win.ReceiveChunk(read);
        QTRY_VERIFY(!f.win.parseTimer->isActive());
        QTEST(f.pty.readFor(300), "wire");
        QTEST(reached.join(QLatin1Char(',')), "parsers");
        QTEST(f.win.cmdStateLab->text(), "label");
    }

    // A confused device answers every "login debug" at once with "Unknown command": the
    // program asks again, but about once a second, not in a busy loop.
    void loginRetryIsPaced()
    {
        WindowFixture f;
        QVERIFY(f.login());
        f.win.pollTimer->stop();
        QByteArray wire;
        const QDeadlineTimer end(2500);
        while (!end.hasExpired()) {
            f.win.CurrentCommand = QStringLiteral("login debug\n");
            f.win.CommandInfoStrParse(framed("login debug", "", "Unknown command"));
            wire += f.pty.readFor(20);
        }
        const int sent = wire.count("login debug\n");
        QVERIFY2(sent >= 2 && sent <= 4, qPrintable(QString::number(sent)));
        QCOMPARE(f.win.cmdStateLab->text(), kNone);
    }

    // The framer alone: reads in; frames, leftovers and Xmodem bytes out.
    void framingEdges_data()
    {
        QTest::addColumn<QList<QByteArray>>("chunks");
        QTest::addColumn<QStringList>("frames");
        QTest::addColumn<QByteArray>("left");
        QTest::addColumn<QByteArray>("xmodem");

        const auto row = [](const char* name, const QList<QByteArray>& chunks, const QStringList& frames,
                            const QByteArray& left, const QByteArray& xmodem = QByteArray()) {
            QTest::newRow(name) << chunks << frames << left << xmodem;
        };
        const QString a = QStringLiteral("@pwrsys\nA\n$$"), b = QStringLiteral("@pwrsys\nB\n$$");
        row("end of one and the next whole in one read", {"@pwrsys\r\nA", "\r\n$$\r\nBMS> @pwrsys\r\nB\r\n$$\r\nBMS> @pw"}, {a, b}, "@pw");
        row("$$ before @", {"junk$$", "@pwrsys\r\nA\r\n$$"}, {a}, "");
        row("NUL and CR removed", {QByteArray("@pwr\0sys\r\r\nA\r\r\n$$", 17)}, {a}, "");
        row("open frame waits", {"@pw", "rsys\r\nA"}, {}, "@pwrsys\r\nA");
        row("Xmodem byte first: for the transfer", {"\x15"}, {}, "", "\x15");
        row("Xmodem byte after text: text", {"C", "\x06"}, {}, "C\x06");
        // A reply cut at any byte is one frame, whole; after "$$" only a later read is kept.
        const QByteArray frame("@pwrsys\r\r\nPresent Num : 3\r\r\nCommand completed successfully\r\r\n$$\r\r\nBMS> ");
        for (int cut = 1; cut < frame.size(); ++cut)
            QTest::addRow("cut at %d", cut) << QList<QByteArray>{frame.left(cut), frame.mid(cut)}
                                            << QStringList{"@pwrsys\nPresent Num : 3\nCommand completed successfully\n$$"}
                                            << (cut > frame.indexOf("$$") + 1 ? frame.mid(cut) : QByteArray()) << QByteArray();
    }

    void framingEdges()
    {
        QFETCH(QList<QByteArray>, chunks);
        QFETCH(QByteArray, left);
        QFETCH(QByteArray, xmodem);
        ReplyFramer framer;
        QStringList got;
        QByteArray handedOver;
        for (const QByteArray& c : chunks) {
            framer.feed(c);
            handedOver += framer.takeXmodem();
            while (framer.hasFrame())
                got << framer.takeFrame();
        }
        QTEST(got, "frames");
        QCOMPARE(handedOver, xmodem);
        if (xmodem.isEmpty())
            QCOMPARE(framer.rxFrame(), left);
        QCOMPARE(framer.takeQuiet(), xmodem.isEmpty() ? chunks.join() : QByteArray());
    }

    void framerBuffersStayBounded()
    {
        ReplyFramer framer;
        framer.feed("@");
        for (int i = 0; i < 2048; ++i) { // 8 MiB of a frame that never closes: a few MiB held at most
            framer.feed(QByteArray(4096, 'x'));
            if (framer.rawFull())
                framer.takeQuiet();
            QVERIFY(framer.rxFrame().size() + framer.rxRaw().size() <= 2 * 1024 * 1024);
        }
        framer.feed("@pwrsys\r\nA\r\n$$");
        QVERIFY(framer.takeFrame().endsWith(QStringLiteral("@pwrsys\nA\n$$")));
        // A stream row that went quiet without opening a frame is not the head of the next one.
        framer.feed("1  24-06-01 08:00:01  87  52480\r\r\n");
        framer.takeQuiet();
        QVERIFY(framer.rxFrame().isEmpty());
    }

    // A line the device repeats (or echoes) 150 times while the parser of "pwr" pauses:
    // one pause and one "balance", not a burst of them when the pauses unwind.
    void repeatedReplyDoesNotFlood()
    {
        WindowFixture f;
        QVERIFY(f.login());
        f.win.pollTimer->stop();
        f.w<BatteryGroup>("BattGroupWid")->SetPresentNum(1);
        f.win.CurrentCommand = QStringLiteral("pwr\n");
        const QByteArray reply = framed("pwr", kPwrTable).replace("\n", "\r\r\n");
        for (int i = 0; i < 150; ++i) // one a millisecond: they keep coming while the parser pauses
            QTimer::singleShot(i, [&] { f.pty.write(reply); });
        QCOMPARE(f.pty.readFor(1000), QByteArray("\nbalance\n"));
    }

    // The tenth tick reads a pack the detail view holds by "bat N", any other by "info N";
    // a pack picked in the group view is read at once and holds the next tick back.
    void pollingTicksAndPackPick()
    {
        WindowFixture f;
        QVERIFY(f.login());
        f.win.pollTimer->stop();
        const auto ticks = [&f](int n) {
            for (int i = 0; i < n; ++i)
                f.win.RealTimerTimeOut();
            return f.pty.readFor(30);
        };
        QCOMPARE(ticks(10), QByteArray("\npwrsys\n\ninfo 1\n")); // nothing known yet: pack 1
        auto* detail = f.w<BatteryInfo>("BattInfoWid");
        detail->SetCellNumber(16);
        detail->SetDeviceAdd(QStringLiteral("1"));
        QCOMPARE(ticks(10), QByteArray("\npwrsys\n\nbat 1\n"));

        f.win.GroupBatClicked(true, 2);
        QCOMPARE(f.boxes.seen(), QStringList{QStringLiteral("warning|The operation is too frequent!\nPlease try again later!")});
        QVERIFY(f.pty.readFor(50).isEmpty());
        QCOMPARE(f.label("CurrBatNumLab"), QStringLiteral("1"));
        f.win.pollTick = 4;
        f.win.GroupBatClicked(false, 3);
        QCOMPARE(f.pty.readFor(50), QByteArray("\ninfo 3\n"));
        QCOMPARE(f.label("CurrBatNumLab"), QStringLiteral("3"));
        QVERIFY(f.win.pollTimer->isActive());
        f.win.pollTimer->stop();
        QVERIFY(ticks(1).isEmpty()); // held back once: the fifth tick does not come yet
        QCOMPARE(ticks(1), QByteArray("\npwrsys\n"));
        QCOMPARE(ticks(5), QByteArray("\ninfo 3\n")); // another pack: its identity first
    }

    // The console opens on its access code alone, and closes again. With the port closed,
    // Login without a port or on a missing one warns, and nothing is sent.
    void console()
    {
        WindowFixture f;
        const auto enter = [&f](const QStringList& codes) {
            f.boxes.inputs << codes;
            for (int i = 0; i < codes.size(); ++i)
                f.w<QAction>("actionConsole")->trigger();
            return f.page() == 0 && !f.button("SendDataBtn")->isHidden();
        };
        QVERIFY(!enter({"73914587", "", " 73914586"}));
        QVERIFY(enter({"73914586"}));
        const QString ask = "Entry Console|Please enter the console password:", wrong = "warning|Wrong password! Please check password！";
        QCOMPARE(f.boxes.seen(), (QStringList{ask, wrong, ask, wrong, ask, wrong, ask}));
        f.w<QAction>("actionExit_Consle")->trigger();
        QVERIFY(f.button("SendDataBtn")->isHidden() && f.page() == 1);
        f.boxes.clear();
        for (const QString& port : {QString(), QStringLiteral("/dev/ttyNOSUCH9")}) {
            f.w<QComboBox>("PortComBox")->setCurrentText(port);
            f.win.OpenBtn_clicked();
        }
        QVERIFY(!f.win.portOpen && f.button("OpenBtn")->isEnabled());
        QCOMPARE(f.boxes.requests.first().icon, QMessageBox::Warning);
        f.win.CurrentCommand = QStringLiteral("pwr\n");
        f.win.SendCommand(QStringLiteral("pwrsys"));
        f.win.SendBtn_clicked();
        f.button("InfoBtn")->click(); // refused without a word
        const QString occupied = QStringLiteral("Message|The serial port is occupied or does not exist");
        QCOMPARE(f.boxes.seen(), (QStringList{occupied, occupied, "Notice|The serial port not open, Please Login!",
                                              "Message|The serial port not open, Please open!"}));
        QCOMPARE(f.win.CurrentCommand, QStringLiteral("pwr\n"));
        QVERIFY(f.login());
        f.win.CurrentCommand = QStringLiteral("pwrsys\n");
        f.w<QTextEdit>("SendEd")->setPlainText(QStringLiteral("bat 1\npwr 1"));
        f.win.SendBtn_clicked();
        QCOMPARE(f.pty.readFor(60), QByteArray("bat 1\npwr 1\r"));
        QVERIFY(f.win.CurrentCommand.isEmpty());
        QVERIFY(f.win.pollTimer->isActive());

        f.win.CurrentCommand = QStringLiteral("pwrsys\n");
        for (const char* name : {"InfoBtn", "PwrBtn", "BatBtn"})
            f.button(name)->click();
        QCOMPARE(f.pty.readFor(60), QByteArray("info\npwr\nbat\n"));
        QCOMPARE(f.win.CurrentCommand, QStringLiteral("pwrsys\n"));

        f.win.selfTesting = true;
        f.w<QTextEdit>("SendEd")->setPlainText(QStringLiteral("tall"));
        f.win.SendBtn_clicked();
        QVERIFY(f.pty.readFor(40).isEmpty());
        QVERIFY(f.win.CurrentCommand.isEmpty());
    }

    // One loss, one box, however it is noticed: by the port's own error, by the port scan
    // (called by the test, or on its own once a second), idle or inside a chain step's
    // pause. A port typed by hand (a pty the system does not list) counts as present
    // while its node exists, and another adapter plugged in leaves the open port selected.
    void portLossShowsOneBox_data()
    {
        QTest::addColumn<bool>("listed"); // the system lists the port
        QTest::addColumn<bool>("inPause");
        QTest::addColumn<QString>("by");
        QTest::newRow("typed port, scan, idle") << false << false << "scan";
        QTest::newRow("scan, inside a chain pause") << true << true << "scan";
        QTest::newRow("port error, inside a chain pause") << true << true << "error";
        QTest::newRow("the scan's own timer, adapter unlisted") << true << false << "timer";
    }

    void portLossShowsOneBox()
    {
        QFETCH(bool, listed);
        QFETCH(bool, inPause);
        QFETCH(QString, by);
        WindowFixture f;
        QStringList ports{QStringLiteral("/dev/ttyS0")};
        if (listed)
            ports << f.pty.slavePath();
        f.win.portListProvider = [&ports] { return ports; };
        f.win.ReflashSerialComx();
        QVERIFY(f.login());
        if (by != QLatin1String("timer"))
            f.win.portScanTimer->stop(); // the test says when the scan looks
        f.win.pollTimer->stop();
        ports.prepend(QStringLiteral("/dev/ttyUSB7"));
        f.win.ReflashSerialComx();
        QVERIFY(f.win.portOpen);
        QCOMPARE(f.w<QComboBox>("PortComBox")->currentText(), f.pty.slavePath());
        const auto unplug = [&] {
            if (by != QLatin1String("timer"))
                f.pty.closeMaster();
            ports.removeAll(f.pty.slavePath());
            if (by == QLatin1String("scan"))
                f.win.ReflashSerialComx();
        };
        if (inPause) {
            f.win.routeObserver = [&](const char*, const QString&) { QTimer::singleShot(50, unplug); };
            f.pty.write("@pwrsys\r\r\nCommand completed successfully\r\r\n$$");
        } else {
            unplug();
        }
        QTRY_VERIFY_WITH_TIMEOUT(!f.win.portOpen, 1500);
        QTest::qWait(400); // the pause is over: its chain step has come and gone
        QCOMPARE(f.boxes.seen(), QStringList{QStringLiteral("Error|The serial port diconnect! Please check!")});
        QCOMPARE(f.boxes.requests.first().icon, QMessageBox::Critical);
        QVERIFY(!f.win.pollTimer->isActive() && f.button("OpenBtn")->isEnabled());
    }
};

QTEST_MAIN(TestChannel)
#include "tst_channel.moc"
