#include "windowfixture.h"

#include "batterygroup.h"
#include "batteryinfo.h"
#include "novalue.h"

#include <QAction>
#include <QTextBrowser>
#include <QTextEdit>
#include <QtTest>

namespace {

QString framed(const QString& command, const QString& body, const QString& status = QStringLiteral("Command completed successfully"))
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
    void framedRouting_data();
    void framedRouting();
    void quietRouting_data();
    void quietRouting();
    void commandState_data();
    void commandState();
    void loginRetryIsPaced();
    void framingEdges_data();
    void framingEdges();
    void framerBuffersStayBounded();
    void xmodemOnlyAtHead();
    void framesOfOneReadDispatched();
    void repeatedReplyDoesNotFlood();
    void noiseLoggedOnce();
    void consoleView_data();
    void consoleView();
    void pollingTicks();
    void packPick();
    void consoleAccess_data();
    void consoleAccess();
    void consoleSendAndShortcuts();
    void sendCommandNeedsOpenPort();
};

// Which parser the framed table picks, and which follow-up goes out on the wire.
void TestChannel::framedRouting_data()
{
    QTest::addColumn<QString>("command");
    QTest::addColumn<QString>("reply");
    QTest::addColumn<QString>("model");
    QTest::addColumn<int>("cells");
    QTest::addColumn<int>("present");
    QTest::addColumn<bool>("polling");
    QTest::addColumn<QString>("parser");
    QTest::addColumn<QByteArray>("wire");

    const int u = NoValue::Int;
    QTest::newRow("B1 info, polling") << "info 3" << framed("info 3", "Device address : 3\n") << "" << 16 << 3 << true
                                      << "InfoProcess" << QByteArray("\nbat 3\n");
    QTest::newRow("B2 bat, cells known") << "bat 3" << framed("bat 3", "") << "" << 16 << 3 << true
                                         << "BatProcess" << QByteArray("\npwr 3\n");
    QTest::newRow("B2 bat, cells unknown") << "bat 3" << framed("bat 3", "") << "" << u << 3 << true
                                           << "" << QByteArray("\npwr 3\n");
    QTest::newRow("B3 pwrsys not pwr") << "pwrsys" << framed("pwrsys", "B.T.St\n") << "" << 16 << 3 << true
                                       << "PwrsysProcess" << QByteArray("\npwr\n");
    QTest::newRow("B4 pwr N not pwr") << "pwr 3" << framed("pwr 3", "B.T.St\n") << "" << 16 << 3 << true
                                      << "PwrSigleProcess" << QByteArray();
    QTest::newRow("B4 other pack's pwr is the table") << "pwr 2" << framed("pwr 2", "B.T.St\n") << "" << 16 << 3 << true
                                                      << "PwrAlarmProcess" << QByteArray("\nbalance\n");
    QTest::newRow("B5 ctrl") << "ctrl" << framed("ctrl", "CFET : ON\n") << "" << 16 << 3 << true
                             << "CtrlProcess" << QByteArray();
    QTest::newRow("B6 cfet on") << "ctrl cfet on" << framed("ctrl cfet on", "") << "" << 16 << 3 << true
                                << "OpenMosProcess" << QByteArray("\nctrl\n");
    QTest::newRow("B7 cfet off") << "ctrl cfet off" << framed("ctrl cfet off", "") << "" << 16 << 3 << true
                                 << "CloseMosProcess" << QByteArray("\nctrl\n");
    QTest::newRow("B8 pwr table") << "pwr" << framed("pwr", kPwrTable) << "" << 16 << 1 << true
                                  << "PwrAlarmProcess" << QByteArray("\nbalance\n");
    QTest::newRow("B8 pwr, count unknown") << "pwr" << framed("pwr", kPwrTable) << "" << 16 << u << true
                                           << "" << QByteArray();
    QTest::newRow("B8 pwr without table") << "pwr" << framed("pwr", "") << "" << 16 << 1 << true
                                          << "" << QByteArray();
    QTest::newRow("B9 balance") << "balance" << framed("balance", "1 0\n") << "" << 16 << 1 << true
                                << "BalanceProcess" << QByteArray("\nctrl\n");
    QTest::newRow("B9 balance, count unknown") << "balance" << framed("balance", "1 0\n") << "" << 16 << u << true
                                               << "" << QByteArray();
    QTest::newRow("B10 config") << "config" << framed("config", "") << "" << 16 << 3 << true
                                << "ConfigProcess" << QByteArray();
    QTest::newRow("B11 tall") << "tall" << framed("tall", "") << "" << 16 << 3 << true
                              << "TallProcess" << QByteArray();
    QTest::newRow("B12 data") << "data" << framed("data", "Event num : 12\n") << "" << 16 << 3 << true
                              << "DataProcess" << QByteArray();
    QTest::newRow("B13 data event") << "data event 7" << framed("data event 7", "") << "" << 16 << 3 << true
                                    << "DataEventProcess" << QByteArray();
    QTest::newRow("B14 config default") << "config default" << framed("config default", "") << "" << 16 << 3 << true
                                        << "ConfigDefaProcess" << QByteArray("\ninfo 3\n");
    QTest::newRow("B15 tbar") << "tbar ABCDEFGHIJKLMNOP" << framed("tbar ABCDEFGHIJKLMNOP", "Test result:fail\n")
                              << "" << 16 << 3 << true << "TbarProcess" << QByteArray();
    QTest::newRow("B16 datalist, framed model") << "datalist event 0" << framed("datalist event 0", "")
                                                << "HVRACK-7720-KM" << 16 << 3 << true << "DataListEventProcess"
                                                << QByteArray();
    QTest::newRow("B16 datalist, paging model") << "datalist event 0" << framed("datalist event 0", "")
                                                << "HVRACK-7720N" << 16 << 3 << true << "" << QByteArray();
    QTest::newRow("updata's answer is no event count") << "updata" << framed("updata", "Upgrade mode\n") << "" << 16 << 3
                                                       << true << "" << QByteArray();
    QTest::newRow("no row: echo of another command") << "pwrsys" << framed("info 1", "") << "" << 16 << 3 << true
                                                     << "" << QByteArray();
}

void TestChannel::framedRouting()
{
    QFETCH(QString, command);
    QFETCH(QString, reply);
    QFETCH(QString, model);
    QFETCH(int, cells);
    QFETCH(int, present);
    QFETCH(bool, polling);
    QFETCH(QString, parser);
    QFETCH(QByteArray, wire);

    WindowFixture f;
    QVERIFY(f.login());
    f.win.pollTimer->stop();
    f.win.currBatNum = 3;
    f.win.deviceModel = model;
    f.win.basicPolling = polling;
    f.w<BatteryInfo>("BattInfoWid")->SetCellNumber(cells);
    f.w<BatteryGroup>("BattGroupWid")->SetPresentNum(present);
    QStringList reached;
    f.win.routeObserver = [&reached](const char* name, const QString&) { reached << QString::fromLatin1(name); };

    f.win.CurrentCommand = command + QLatin1Char('\n');
    f.win.CommandInfoStrParse(reply);
    QCOMPARE(reached.value(0), parser);
    QCOMPARE(f.pty.readFor(300), wire);
}

void TestChannel::quietRouting_data()
{
    QTest::addColumn<QString>("command");
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QString>("model");
    QTest::addColumn<QString>("parser");

    QTest::newRow("A1 updata") << "updata" << QByteArray("SYS Init Over\r\n") << "" << "UpdateProcess";
    QTest::newRow("A1 uboot, nothing received") << "uboot" << QByteArray() << "" << "UpdateProcess";
    QTest::newRow("A2 wake") << "DLG" << QByteArray("Updata is ready!\r\n") << "" << "WakeProcess";
    QTest::newRow("A2 wake without answer") << "DLG" << QByteArray("D\r\n") << "" << "";
    QTest::newRow("A3 stream") << "disp pwrs 1" << QByteArray("1 2 3\r\n") << "" << "DISPPWRSProcess";
    QTest::newRow("A4 stream stop") << "disp 0" << QByteArray("disp 0\r\r\n") << "" << "DispStopProcess";
    QTest::newRow("A4 stop not echoed") << "disp 0" << QByteArray("xx\r\n") << "" << "";
    QTest::newRow("A5 paged list") << "datalist event 0" << QByteArray("Item Date\r\n") << "HVRACK-7720N"
                                   << "DataListEventProcess";
    QTest::newRow("A5 framed model ignored") << "datalist event 0" << QByteArray("Item Date\r\n") << "HVRACK-7720-KM"
                                             << "";
    QTest::newRow("framed commands ignored") << "pwrsys" << QByteArray("pwrsys\r\n") << "" << "";
}

void TestChannel::quietRouting()
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
    QCOMPARE(reached.value(0), parser);
    QVERIFY(reached.size() <= 1);
}

void TestChannel::commandState_data()
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

void TestChannel::commandState()
{
    QFETCH(QString, command);
    QFETCH(QString, status);
    QFETCH(QString, label);
    WindowFixture f;
    f.win.CurrentCommand = command + QLatin1Char('\n');
    f.win.CommandInfoStrParse(framed(command, QString(), status));
    QCOMPARE(f.win.cmdStateLab->text(), label);
}

void TestChannel::loginRetryIsPaced()
{
    WindowFixture f;
    QVERIFY(f.login());
    f.win.pollTimer->stop();
    // A confused device answers every "login debug" at once with "Unknown command".
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

// The framer alone: reads in, frames and leftovers out.
void TestChannel::framingEdges_data()
{
    QTest::addColumn<QList<QByteArray>>("chunks");
    QTest::addColumn<QStringList>("frames");
    QTest::addColumn<QByteArray>("left");

    QTest::newRow("two frames in one read")
        << QList<QByteArray>{"@pwrsys\r\nA\r\n$$\r\n@pwrsys\r\nB\r\n$$"}
        << QStringList{"@pwrsys\nA\n$$", "@pwrsys\nB\n$$"} << QByteArray();
    QTest::newRow("end of one and the next whole in one read")
        << QList<QByteArray>{"@pwrsys\r\nA", "\r\n$$\r\nBMS> @pwrsys\r\nB\r\n$$\r\nBMS> @pw"}
        << QStringList{"@pwrsys\nA\n$$", "@pwrsys\nB\n$$"} << QByteArray("@pw");
    QTest::newRow("$$ before @") << QList<QByteArray>{"junk$$", "@pwrsys\r\nA\r\n$$"}
                                 << QStringList{"@pwrsys\nA\n$$"} << QByteArray();
    QTest::newRow("$$ split across reads") << QList<QByteArray>{"@pwrsys\r\nA\r\n$", "$\r\nBMS> "}
                                           << QStringList{"@pwrsys\nA\n$$"} << QByteArray();
    QTest::newRow("NUL and CR removed") << QList<QByteArray>{QByteArray("@pwr\0sys\r\r\nA\r\r\n$$", 17)}
                                        << QStringList{"@pwrsys\nA\n$$"} << QByteArray();
    QTest::newRow("prompt after $$ not carried") << QList<QByteArray>{"@pwrsys\r\nA\r\n$$\r\nBMS> ", "x"}
                                                 << QStringList{"@pwrsys\nA\n$$"} << QByteArray("x");
    QTest::newRow("open frame waits") << QList<QByteArray>{"@pw", "rsys\r\nA"} << QStringList{}
                                      << QByteArray("@pwrsys\r\nA");
    // A reply cut at any byte is one frame, whole; after "$$" only a later read is kept.
    const QByteArray frame("@pwrsys\r\r\nPresent Num : 3\r\r\nCommand completed successfully\r\r\n$$\r\r\nBMS> ");
    for (int cut = 1; cut < frame.size(); ++cut)
        QTest::addRow("cut at %d", cut) << QList<QByteArray>{frame.left(cut), frame.mid(cut)}
                                        << QStringList{"@pwrsys\nPresent Num : 3\nCommand completed successfully\n$$"}
                                        << (cut > frame.indexOf("$$") + 1 ? frame.mid(cut) : QByteArray());
}

void TestChannel::framingEdges()
{
    QFETCH(QList<QByteArray>, chunks);
    QFETCH(QStringList, frames);
    QFETCH(QByteArray, left);
    ReplyFramer framer;
    QStringList got;
    for (const QByteArray& c : chunks) {
        framer.feed(c);
        while (framer.hasFrame())
            got << framer.takeFrame();
    }
    QCOMPARE(got, frames);
    QCOMPARE(framer.rxFrame(), left);
    QCOMPARE(framer.takeQuiet(), chunks.join());
}

void TestChannel::framerBuffersStayBounded()
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

void TestChannel::xmodemOnlyAtHead()
{
    ReplyFramer framer;
    framer.feed(QByteArray("\x15", 1)); // NAK first: for the transfer
    QCOMPARE(framer.takeXmodem(), QByteArray("\x15"));
    QVERIFY(framer.rxRaw().isEmpty());
    framer.feed("C");
    framer.feed(QByteArray("\x06", 1)); // after text: just text
    QVERIFY(framer.takeXmodem().isEmpty());
    QCOMPARE(framer.rxRaw(), QByteArray("C\x06"));
}

// The window's side: every frame of one read reaches its parser, in order.
void TestChannel::framesOfOneReadDispatched()
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
void TestChannel::repeatedReplyDoesNotFlood()
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
void TestChannel::noiseLoggedOnce()
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

void TestChannel::consoleView_data()
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

void TestChannel::consoleView()
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

void TestChannel::pollingTicks()
{
    WindowFixture f;
    QVERIFY(f.login());
    f.win.pollTimer->stop();
    f.win.pollTick = 0;
    f.win.currBatNum = 0;
    for (int tick = 1; tick <= 4; ++tick)
        f.win.RealTimerTimeOut();
    QVERIFY(f.pty.readFor(30).isEmpty());
    f.win.RealTimerTimeOut(); // fifth
    QCOMPARE(f.pty.readFor(30), QByteArray("\npwrsys\n"));
    for (int tick = 6; tick <= 9; ++tick)
        f.win.RealTimerTimeOut();
    f.win.RealTimerTimeOut(); // tenth: nothing known yet, pack 1
    QCOMPARE(f.pty.readFor(30), QByteArray("\ninfo 1\n"));
    QCOMPARE(f.win.pollTick, 0);
    QCOMPARE(f.label("CurrBatNumLab"), QStringLiteral("1"));

    // detail already holds pack 1 with its cells: straight to "bat"
    auto* detail = f.w<BatteryInfo>("BattInfoWid");
    detail->SetCellNumber(16);
    detail->SetDeviceAdd(QStringLiteral("1"));
    for (int tick = 1; tick <= 10; ++tick)
        f.win.RealTimerTimeOut();
    QCOMPARE(f.pty.readFor(30), QByteArray("\npwrsys\n\nbat 1\n"));
    // another pack chosen: its identity first
    f.win.currBatNum = 2;
    for (int tick = 1; tick <= 10; ++tick)
        f.win.RealTimerTimeOut();
    QCOMPARE(f.pty.readFor(30), QByteArray("\npwrsys\n\ninfo 2\n"));
}

void TestChannel::packPick()
{
    WindowFixture f;
    QVERIFY(f.login());
    f.win.GroupBatClicked(true, 2);
    QCOMPARE(f.boxes.seen(), QStringList{QStringLiteral("warning|The operation is too frequent!\nPlease try again later!")});
    QVERIFY(f.pty.readFor(50).isEmpty());
    QCOMPARE(f.win.currBatNum, 0);

    f.win.pollTick = 4;
    f.win.GroupBatClicked(false, 3);
    QCOMPARE(f.pty.readFor(50), QByteArray("\ninfo 3\n"));
    QCOMPARE(f.win.currBatNum, 3);
    QCOMPARE(f.label("CurrBatNumLab"), QStringLiteral("3"));
    QVERIFY(f.win.pollTimer->isActive());
    f.win.RealTimerTimeOut(); // held back once: the fifth tick does not come yet
    QCOMPARE(f.win.pollTick, 4);
    QVERIFY(f.pty.readFor(30).isEmpty());
    f.win.RealTimerTimeOut();
    QCOMPARE(f.pty.readFor(30), QByteArray("\npwrsys\n"));
}

void TestChannel::consoleAccess_data()
{
    QTest::addColumn<QString>("code");
    QTest::addColumn<bool>("opens");
    QTest::newRow("right") << "73914586" << true;
    QTest::newRow("wrong") << "73914587" << false;
    QTest::newRow("empty") << "" << false;
    QTest::newRow("padded") << " 73914586" << false;
}

void TestChannel::consoleAccess()
{
    QFETCH(QString, code);
    QFETCH(bool, opens);
    WindowFixture f;
    f.boxes.inputs << code;
    f.w<QAction>("actionConsole")->trigger();
    QCOMPARE(f.boxes.requests.first().kind, MsgBox::Kind::Input);
    QCOMPARE(f.boxes.requests.first().title, QStringLiteral("Entry Console"));
    QCOMPARE(f.boxes.requests.first().text, QStringLiteral("Please enter the console password:"));
    QCOMPARE(f.page(), opens ? 0 : 1);
    QCOMPARE(f.button("SendDataBtn")->isHidden(), !opens);
    if (!opens)
        QCOMPARE(f.boxes.seen().last(), QStringLiteral("warning|Wrong password! Please check password！"));
    else
        QCOMPARE(f.boxes.count(), 1);

    f.w<QAction>("actionExit_Consle")->trigger();
    QVERIFY(f.button("SendDataBtn")->isHidden());
    QCOMPARE(f.page(), 1);
}

void TestChannel::consoleSendAndShortcuts()
{
    WindowFixture f;
    f.win.SendBtn_clicked();
    QCOMPARE(f.boxes.seen(), QStringList{QStringLiteral("Message|The serial port not open, Please open!")});
    QVERIFY(f.login());
    f.win.CurrentCommand = QStringLiteral("pwrsys\n");
    f.w<QTextEdit>("SendEd")->setPlainText(QStringLiteral("bat 1\npwr 1"));
    f.win.SendBtn_clicked();
    QCOMPARE(f.pty.readFor(60), QByteArray("bat 1\npwr 1\r"));
    QVERIFY(f.win.CurrentCommand.isEmpty());
    QVERIFY(f.win.pollTimer->isActive());

    f.win.CurrentCommand = QStringLiteral("pwrsys\n");
    const QList<QPair<const char*, QByteArray>> shortcuts{
        {"InfoBtn", "info\n"}, {"PwrBtn", "pwr\n"}, {"BatBtn", "bat\n"}};
    for (const auto& s : shortcuts) {
        f.button(s.first)->click();
        QCOMPARE(f.pty.readFor(40), s.second);
    }
    QCOMPARE(f.win.CurrentCommand, QStringLiteral("pwrsys\n"));

    f.win.selfTesting = true;
    f.w<QTextEdit>("SendEd")->setPlainText(QStringLiteral("tall"));
    f.win.SendBtn_clicked();
    QVERIFY(f.pty.readFor(40).isEmpty());
    QVERIFY(f.win.CurrentCommand.isEmpty());
}

void TestChannel::sendCommandNeedsOpenPort()
{
    WindowFixture f;
    f.win.CurrentCommand = QStringLiteral("pwr\n");
    f.win.SendCommand(QStringLiteral("pwrsys"));
    QCOMPARE(f.boxes.seen(), QStringList{QStringLiteral("Notice|The serial port not open, Please Login!")});
    QCOMPARE(f.win.CurrentCommand, QStringLiteral("pwr\n"));
}

QTEST_MAIN(TestChannel)
#include "tst_channel.moc"
