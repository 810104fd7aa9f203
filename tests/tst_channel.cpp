// The command channel, the console and the port, with the test playing the device on a
// pseudo-terminal: which parser a reply reaches, what goes out on the wire after it,
// and what the operator reads and is told.
#include "windowfixture.h"

#include "batterygroup.h"
#include "batteryinfo.h"
#include "novalue.h"

#include <QAction>
#include <QTextBrowser>
#include <QTextEdit>
#include <QtTest>

namespace {

QString framed(const QString& command, const QString& body,
              const QString& status = QStringLiteral("Command completed successfully"))
{
    return QStringLiteral("@") + command + QLatin1Char('\n') + body + status + QStringLiteral("\n$$");
}

const QString kPwrTable = QStringLiteral(
    "Power Volt Curr Tempr Tlow Thigh Vlow Vhigh Base.St Volt.St Curr.St Temp.St Coulomb Time B.V.St B.T.St\n"
    "1 5248 -410 2500 2400 2600 3270 3290 Normal Normal Normal Normal 87% 22-05-01 10:21:33 Normal Normal\n");
} // namespace

class TestChannel : public QObject
{
    Q_OBJECT
private slots:
    // Which parser the framed table picks, what follows on the wire, and whether the
    // command state is told. The window's state for a row: "idle" (the overview does not
    // poll), "picked" (a pack was just picked), the device model "KM" or "paging", and
    // "no cells" / "no packs" (the views do not know the count yet).
    void framedRouting_data()
    {
        QTest::addColumn<QString>("command");
        QTest::addColumn<QString>("reply");
        QTest::addColumn<QString>("state");
        QTest::addColumn<QString>("parser");
        QTest::addColumn<QByteArray>("wire");

        // The reply echoes the command unless the row says otherwise.
        const auto row = [](const char* name, const char* command, const QString& body, const char* state, const char* parser,
                            const QByteArray& wire, const char* echo = nullptr) {
            QTest::newRow(name) << QString(command) << framed(echo ? echo : command, body) << QString(state) << QString(parser)
                                << wire;
        };
        row("B1 info, polling", "info 3", "Device address : 3\n", "", "InfoProcess", "\nbat 3\n");
        row("B1 info, idle", "info 3", "Device address : 3\n", "idle", "InfoProcess", "");
        row("B2 bat", "bat 3", "", "", "BatProcess", "\npwr 3\n");
        row("B2 bat, cells unknown", "bat 3", "", "no cells", "", "\npwr 3\n");
        row("B3 pwrsys not pwr", "pwrsys", "B.T.St\n", "", "PwrsysProcess", "\npwr\n");
        row("B3 pwrsys, pack picked", "pwrsys", "", "picked", "PwrsysProcess", "");
        row("B4 pwr N not pwr", "pwr 3", "B.T.St\n", "", "PwrSigleProcess", "");
        row("B4 other pack's pwr is the table", "pwr 2", "B.T.St\n", "", "PwrAlarmProcess", "\nbalance\n");
        row("B5 ctrl", "ctrl", "CFET : ON\n", "", "CtrlProcess", "");
        row("B6 cfet on", "ctrl cfet on", "", "", "OpenMosProcess", "\nctrl\n");
        row("B7 dfet off", "ctrl dfet off", "", "", "CloseMosProcess", "\nctrl\n");
        row("B8 pwr table", "pwr", kPwrTable, "", "PwrAlarmProcess", "\nbalance\n");
        row("B8 pwr, count unknown", "pwr", kPwrTable, "no packs", "", "");
        row("B8 pwr without table", "pwr", "", "", "", "");
        row("B9 balance", "balance", "1 0\n", "", "BalanceProcess", "\nctrl\n");
        row("B9 balance, count unknown", "balance", "1 0\n", "no packs", "", "");
        row("B10 config", "config", "", "", "ConfigProcess", "");
        row("B11 tall", "tall", "", "", "TallProcess", "");
        row("B12 data", "data", "Event num : 12\n", "", "DataProcess", "");
        row("B13 data event", "data event 7", "", "", "DataEventProcess", "");
        row("B14 config default", "config default", "", "", "ConfigDefaProcess", "\ninfo 3\n");
        row("B15 tbar", "tbar ABCDEFGHIJKLMNOP", "Test result:fail\n", "", "TbarProcess", "");
        row("B16 datalist, framing model", "datalist event 0", "", "KM", "DataListEventProcess", "");
        row("B16 datalist, paging model", "datalist event 0", "", "paging", "", "");
        row("updata's answer is no event count", "updata", "Upgrade mode\n", "", "", "");
        row("no row: echo of another command", "pwrsys", "", "", "", "", "info 1");
    }

    void framedRouting()
    {
        QFETCH(QString, command);
        QFETCH(QString, reply);
        QFETCH(QString, state);
        QFETCH(QString, parser);
        QFETCH(QByteArray, wire);

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
        f.win.CommandInfoStrParse(reply);
        QCOMPARE(reached.value(0), parser);
        QCOMPARE(f.pty.readFor(300), wire);
        // A reply left unparsed for want of a count tells nothing about the command.
        QCOMPARE(f.win.cmdStateLab->text(), state.startsWith(QLatin1String("no ")) ? QStringLiteral("Command State:")
                                                                                : QStringLiteral("Command State: completed successfully"));
    }

    void quietRouting_data()
    {
        QTest::addColumn<QString>("command");
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<QString>("model");
        QTest::addColumn<QString>("parser");

        const auto row = [](const char* name, const char* command, const QByteArray& text, const char* model,
                            const char* parser) {
            QTest::newRow(name) << QString(command) << text << QString(model) << QString(parser);
        };
        row("A1 updata", "updata", "SYS Init Over\r\n", "", "UpdateProcess");
        row("A1 uboot, nothing received", "uboot", "", "", "UpdateProcess");
        row("A2 wake", "DLG", "Updata is ready!\r\n", "", "WakeProcess");
        row("A2 wake without answer", "DLG", "D\r\n", "", "");
        row("A3 stream", "disp pwrs 1", "1 2 3\r\n", "", "DISPPWRSProcess");
        row("A4 stream stop", "disp 0", "disp 0\r\r\n", "", "DispStopProcess");
        row("A4 stop not echoed", "disp 0", "xx\r\n", "", "");
        row("A5 paged list", "datalist event 0", "Item Date\r\n", "HVRACK-7720N", "DataListEventProcess");
        row("A5 framing model ignored", "datalist event 0", "Item Date\r\n", "HVRACK-7720-KM", "");
        row("framed commands ignored", "pwrsys", "pwrsys\r\n", "", "");
    }

    void quietRouting()
    {
        QFETCH(QString, command);
        QFETCH(QByteArray, text);
        QFETCH(QString, model);
        QFETCH(QString, parser);

        WindowFixture f;
        f.win.deviceModel = model;
        QStringList reached;
        f.win.routeObserver = [&reached](const char* name, const QString&) { reached << QString::fromLatin1(name); };
        f.win.CurrentCommand = command + QLatin1Char('\n');
        if (!text.isEmpty())
            f.win.ReceiveChunk(text);
        else
            f.win.parseTimer->start(300);
        QTRY_VERIFY(!f.win.parseTimer->isActive());
        QCOMPARE(reached.join(','), parser);
    }

    void commandState_data()
    {
        QTest::addColumn<QString>("command");
        QTest::addColumn<QString>("status");
        QTest::addColumn<QString>("label");
        QTest::newRow("success") << "config" << "Command completed successfully" << "Command State: completed successfully";
        QTest::newRow("unknown") << "config" << "Unknown command" << "Command State: Unknown command";
        QTest::newRow("fail") << "config" << "Invalid command or fail to excute." << "Command State: fail to excute";
        QTest::newRow("absent pack") << "config" << "Target device is not present" << "Command State: fail to excute";
        QTest::newRow("quit mode") << "config" << "Unknown command Quit current mode" << "Command State:";
        QTest::newRow("login refused") << "login debug" << "Invalid command or fail to excute." << "Command State:";
    }

    void commandState()
    {
        QFETCH(QString, command);
        QFETCH(QString, status);
        QFETCH(QString, label);
        WindowFixture f;
        f.win.CurrentCommand = command + QLatin1Char('\n');
        f.win.CommandInfoStrParse(framed(command, QString(), status));
        QCOMPARE(f.win.cmdStateLab->text(), label);
    }

    // A confused device answers every "login debug" at once with "Unknown command": the
    // program asks again, but about once a second, not in a busy loop.
    void loginRetryIsPaced()
    {
        WindowFixture f;
        QVERIFY(f.login());
        f.win.pollTimer->stop();
        QByteArray wire;
        QElapsedTimer t;
        t.start();
        while (t.elapsed() < 2500) {
            f.win.CurrentCommand = QStringLiteral("login debug\n");
            f.win.CommandInfoStrParse(framed(QStringLiteral("login debug"), QString(), QStringLiteral("Unknown command")));
            wire += f.pty.readFor(20);
        }
        const int sent = wire.count("login debug\n");
        QVERIFY2(sent >= 2 && sent <= 4, qPrintable(QString::number(sent)));
        QCOMPARE(f.win.cmdStateLab->text(), QStringLiteral("Command State:"));
    }

    // The framer alone: reads in; frames, leftovers and Xmodem bytes out.
    void framingEdges_data()
    {
        QTest::addColumn<QList<QByteArray>>("chunks");
        QTest::addColumn<QStringList>("frames");
        QTest::addColumn<QByteArray>("left");
        QTest::addColumn<QByteArray>("xmodem");

        QTest::newRow("two frames in one read") << QList<QByteArray>{"@pwrsys\r\nA\r\n$$\r\n@pwrsys\r\nB\r\n$$"}
                                                << QStringList{"@pwrsys\nA\n$$", "@pwrsys\nB\n$$"} << QByteArray() << QByteArray();
        QTest::newRow("end of one and the next whole in one read")
            << QList<QByteArray>{"@pwrsys\r\nA", "\r\n$$\r\nBMS> @pwrsys\r\nB\r\n$$\r\nBMS> @pw"}
            << QStringList{"@pwrsys\nA\n$$", "@pwrsys\nB\n$$"} << QByteArray("@pw") << QByteArray();
        QTest::newRow("$$ before @") << QList<QByteArray>{"junk$$", "@pwrsys\r\nA\r\n$$"} << QStringList{"@pwrsys\nA\n$$"}
                                     << QByteArray() << QByteArray();
        QTest::newRow("NUL and CR removed") << QList<QByteArray>{QByteArray("@pwr\0sys\r\r\nA\r\r\n$$", 17)}
                                            << QStringList{"@pwrsys\nA\n$$"} << QByteArray() << QByteArray();
        QTest::newRow("open frame waits") << QList<QByteArray>{"@pw", "rsys\r\nA"} << QStringList{} << QByteArray("@pwrsys\r\nA")
                                          << QByteArray();
        QTest::newRow("Xmodem byte first: for the transfer") << QList<QByteArray>{"\x15"} << QStringList{} << QByteArray()
                                                             << QByteArray("\x15");
        QTest::newRow("Xmodem byte after text: text") << QList<QByteArray>{"C", "\x06"} << QStringList{} << QByteArray("C\x06")
                                                      << QByteArray();
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
        QFETCH(QStringList, frames);
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
        QCOMPARE(got, frames);
        QCOMPARE(handedOver, xmodem);
        if (xmodem.isEmpty())
            QCOMPARE(framer.rxFrame(), left);
        QCOMPARE(framer.takeQuiet(), xmodem.isEmpty() ? chunks.join() : QByteArray());
    }

    void framerBuffersStayBounded()
    {
        ReplyFramer framer;
        framer.feed("@");
        const QByteArray noise(4096, 'x');
        int peak = 0;
        for (int i = 0; i < 2048; ++i) { // 8 MiB of a frame that never closes
            framer.feed(noise);
            peak = qMax(peak, framer.rxFrame().size());
            if (framer.rawFull())
                framer.takeQuiet();
            QVERIFY(framer.rxRaw().size() <= ReplyFramer::rawCap + noise.size());
        }
        QVERIFY2(peak <= ReplyFramer::frameCap + noise.size(), qPrintable(QString::number(peak)));
        framer.feed("@pwrsys\r\nA\r\n$$");
        QVERIFY(framer.takeFrame().endsWith(QStringLiteral("@pwrsys\nA\n$$")));
        // A stream row that went quiet without opening a frame is not the head of the next one.
        framer.feed("1  24-06-01 08:00:01  87  52480\r\r\n");
        framer.takeQuiet();
        QVERIFY(framer.rxFrame().isEmpty());
    }

    // The window's side: every frame of one read reaches its parser, in order.
    void framesOfOneReadDispatched()
    {
        WindowFixture f;
        f.win.basicPolling = false;
        QStringList got;
        f.win.routeObserver = [&](const char* parser, const QString& r) { got << parser + r.mid(r.indexOf('\n')); };
        f.win.currBatNum = 3;
        f.win.CurrentCommand = QStringLiteral("pwr 3\n");
        f.win.ReceiveChunk("@pwr 3\r\nA\r\n$$\r\nBMS> @pwr 3\r\nB\r\n$$\r\nBMS> @pwr 3\r\nC\r\n$$");
        QTRY_COMPARE(got, (QStringList{"PwrSigleProcess\nA\n$$", "PwrSigleProcess\nB\n$$", "PwrSigleProcess\nC\n$$"}));
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
        const QByteArray reply = framed(QStringLiteral("pwr"), kPwrTable).toUtf8().replace("\n", "\r\r\n");
        for (int i = 0; i < 150; ++i) // one a millisecond: they keep coming while the parser pauses
            QTimer::singleShot(i, [&] { f.pty.write(reply); });
        QCOMPARE(f.pty.readFor(1000), QByteArray("\nbalance\n"));
    }

    // Whatever comes down the line reaches the log once, framed or not.
    void noiseLoggedOnce()
    {
        static QStringList logged;
        WindowFixture f;
        f.win.basicPolling = false;
        f.win.CurrentCommand = QStringLiteral("pwrsys\n");
        const QtMessageHandler before =
            qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString& msg) { logged << msg; });
        f.win.ReceiveChunk("@pwrsys\r\nNOISE-1\r\n$$");
        f.win.ReceiveChunk("NOISE-2$$ ");
        QTRY_VERIFY(!f.win.parseTimer->isActive());
        qInstallMessageHandler(before);
        QCOMPARE(logged.filter(QStringLiteral("NOISE-")).size(), 1); // both in one "ReceData:"
    }

    void consoleView_data()
    {
        QTest::addColumn<QString>("before");
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<QString>("after");
        QTest::newRow("lines") << "" << QByteArray("pwr\r\r\nok\r\n") << "pwr\nok\n";
        QTest::newRow("redraw replaces last line") << "head\nprogress 10%" << QByteArray("\rprogress 20%\rprogress 30%")
                                                   << "head\nprogress 30%";
        QTest::newRow("LF CR") << "" << QByteArray("a\n\rb\r\n") << "a\nb\n";
        QTest::newRow("plain append") << "abc" << QByteArray("def") << "abcdef";
    }

    void consoleView()
    {
        QFETCH(QString, before);
        QFETCH(QByteArray, text);
        QFETCH(QString, after);
        WindowFixture f;
        auto* view = f.w<QTextBrowser>("ReceTextBro");
        view->setPlainText(before);
        f.win.ReceiveChunk(text);
        QTRY_VERIFY(f.win.framer.rxRaw().isEmpty());
        QCOMPARE(view->toPlainText(), after);
    }

    // The ten-second cycle on the wire, and a pack picked in the group view.
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
        QVERIFY(ticks(4).isEmpty());
        QCOMPARE(ticks(1), QByteArray("\npwrsys\n"));
        QCOMPARE(ticks(5), QByteArray("\ninfo 1\n")); // nothing known yet: pack 1
        QCOMPARE(f.label("CurrBatNumLab"), QStringLiteral("1"));
        auto* detail = f.w<BatteryInfo>("BattInfoWid");
        detail->SetCellNumber(16);
        detail->SetDeviceAdd(QStringLiteral("1"));
        QCOMPARE(ticks(10), QByteArray("\npwrsys\n\nbat 1\n")); // the detail view holds pack 1 already

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

    void consoleAccess_data()
    {
        QTest::addColumn<QString>("code");
        QTest::addColumn<bool>("opens");
        QTest::newRow("right") << "73914586" << true;
        QTest::newRow("wrong") << "73914587" << false;
        QTest::newRow("empty") << "" << false;
        QTest::newRow("padded") << " 73914586" << false;
    }

    void consoleAccess()
    {
        QFETCH(QString, code);
        QFETCH(bool, opens);
        WindowFixture f;
        f.boxes.inputs << code;
        f.w<QAction>("actionConsole")->trigger();
        QCOMPARE(f.boxes.seen().first(), QStringLiteral("Entry Console|Please enter the console password:"));
        QCOMPARE(f.page(), opens ? 0 : 1);
        QCOMPARE(f.button("SendDataBtn")->isHidden(), !opens);
        QCOMPARE(f.boxes.seen().mid(1), opens ? QStringList() : QStringList{"warning|Wrong password! Please check password！"});
        f.w<QAction>("actionExit_Consle")->trigger();
        QVERIFY(f.button("SendDataBtn")->isHidden());
        QCOMPARE(f.page(), 1);
    }

    void consoleSendAndShortcuts()
    {
        WindowFixture f;
        f.win.CurrentCommand = QStringLiteral("pwr\n");
        f.win.SendCommand(QStringLiteral("pwrsys"));
        f.win.SendBtn_clicked();
        f.button("InfoBtn")->click(); // refused without a word
        QCOMPARE(f.boxes.seen(), (QStringList{"Notice|The serial port not open, Please Login!",
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

    void openFailureWarns_data()
    {
        QTest::addColumn<QString>("port");
        QTest::newRow("no port") << QString();
        QTest::newRow("missing node") << QStringLiteral("/dev/ttyNOSUCH9");
    }

    void openFailureWarns()
    {
        QFETCH(QString, port);
        WindowFixture f;
        f.w<QComboBox>("PortComBox")->setCurrentText(port);
        f.win.OpenBtn_clicked();
        QVERIFY(!f.win.portOpen && f.button("OpenBtn")->isEnabled());
        QCOMPARE(f.boxes.seen(), QStringList{QStringLiteral("Message|The serial port is occupied or does not exist")});
        QCOMPARE(f.boxes.requests.first().icon, QMessageBox::Warning);
    }

    void portLossShowsOneBox_data()
    {
        QTest::addColumn<bool>("inPause"); // the port goes while a chain step pauses
        QTest::addColumn<bool>("scanSees"); // the port scan notices; else only the port's own error can
        QTest::newRow("scan, idle") << false << true;
        QTest::newRow("scan, inside a chain pause") << true << true;
        QTest::newRow("port error, inside a chain pause") << true << false;
    }

    void portLossShowsOneBox()
    {
        QFETCH(bool, inPause);
        QFETCH(bool, scanSees);
        WindowFixture f;
        QStringList ports{QStringLiteral("/dev/ttyUSB0"), f.pty.slavePath()};
        f.win.portListProvider = [&ports] { return ports; };
        f.win.ReflashSerialComx();
        QVERIFY(f.login());
        f.win.portScanTimer->stop(); // the test says when the scan looks
        f.win.pollTimer->stop();
        const auto unplug = [&] {
            f.pty.closeMaster();
            if (scanSees) {
                ports.removeAll(f.pty.slavePath());
                f.win.ReflashSerialComx();
            }
        };
        if (inPause) {
            f.win.routeObserver = [&](const char*, const QString&) { QTimer::singleShot(50, unplug); };
            f.pty.write("@pwrsys\r\r\nCommand completed successfully\r\r\n$$");
        } else {
            unplug();
        }
        QTRY_VERIFY_WITH_TIMEOUT(!f.win.portOpen, 1000);
        QTest::qWait(400); // the pause is over: its chain step has come and gone
        QCOMPARE(f.boxes.seen(), QStringList{QStringLiteral("Error|The serial port diconnect! Please check!")});
        QCOMPARE(f.boxes.requests.first().icon, QMessageBox::Critical);
        QVERIFY(!f.win.pollTimer->isActive() && f.button("OpenBtn")->isEnabled());
    }

    // A second adapter plugged in keeps the open port selected; a port typed by hand (a
    // pty the system does not list) counts as present while its node exists.
    void portScanKeepsOpenPort()
    {
        WindowFixture f;
        QStringList ports{QStringLiteral("/dev/ttyS0")};
        f.win.portListProvider = [&ports] { return ports; };
        f.win.ReflashSerialComx();
        QVERIFY(f.login());
        ports.prepend(QStringLiteral("/dev/ttyUSB7"));
        QTest::qWait(1200);
        auto* box = f.w<QComboBox>("PortComBox");
        QCOMPARE(box->currentText(), f.pty.slavePath());
        QVERIFY(f.win.portOpen);
        QCOMPARE(f.boxes.count(), 0);

        f.pty.closeMaster(); // the node disappears
        QTRY_VERIFY_WITH_TIMEOUT(!f.win.portOpen, 3000);
        QCOMPARE(f.boxes.seen(), QStringList{QStringLiteral("Error|The serial port diconnect! Please check!")});
    }
};

QTEST_MAIN(TestChannel)
#include "tst_channel.moc"
