// The simulated BMS without a port: the console session, the Xmodem receiver and the
// firmware loader, driven byte by byte and millisecond by millisecond.

#include "simconsole.h"
#include "simfirmware.h"
#include "simxmodemreceiver.h"

#include <QtTest>

namespace {

// What the receiver is given, and when: bytes, or (when empty) a look at its timers.
using Steps = QList<QPair<int, QByteArray>>;

QByteArray joined(const QList<SimConsole::Output>& outputs)
{
    QByteArray all;
    for (const SimConsole::Output& o : outputs)
        all += o.bytes;
    return all;
}

// A session through every time-dependent part: samples, the stream, the pages.
QByteArray scriptedSession(quint32 seed)
{
    SimOptions o;
    o.seed = seed;
    o.speed = 50;
    SimConsole c(o);
    QByteArray all;
    // Digits: milliseconds to let pass; anything else: bytes typed.
    for (const QByteArray in : {"\npwrsys\n", "1500", "\nbat 2\n\npwr\n", "\ndisp pwrs 1\n", "5200", "\ndisp 0\n",
                                 "\ndatalist event 0\n", "\r", "\r", "\r", "700", "\ninfo 2\n\npwr 3\n"})
        all += joined(in[0] >= '0' && in[0] <= '9' ? c.advance(in.toInt()) : c.feed(in));
    return all;
}

QByteArray packet(int number, const QByteArray& data, int checksumDelta = 0, bool badComplement = false)
{
    QByteArray block = data.left(128);
    block.append(QByteArray(128 - block.size(), char(0x1A)));
    quint8 sum = quint8(checksumDelta);
    for (char b : block)
        sum = quint8(sum + quint8(b));
    return QByteArray(1, 0x01) + char(number) + char(badComplement ? number : 255 - number) + block + char(sum);
}

QByteArray payloadOf(int size, char seed)
{
    QByteArray p(size, '\0');
    for (int i = 0; i < size; ++i)
        p[i] = char(seed + i * 7);
    return p;
}

} // namespace

class TestSimConsole : public QObject
{
    Q_OBJECT

private slots:
    void sameSeedSameSession();
    void lineEnds_data();
    void lineEnds();
    void selfTestHoldsInputUntilDone();
    void xmodemReceiver_data();
    void xmodemReceiver();
    void loaderWholeRun_data();
    void loaderWholeRun();
};

void TestSimConsole::sameSeedSameSession()
{
    const QByteArray first = scriptedSession(7);
    QVERIFY(first.contains("@pwrsys") && first.contains("Press [Enter] to be continued,other key to exit"));
    QCOMPARE(first.count("Coul(mAH)"), 1);
    QCOMPARE(scriptedSession(7), first);
    QVERIFY(scriptedSession(8) != first);
}

void TestSimConsole::lineEnds_data()
{
    QTest::addColumn<QByteArray>("input");
    QTest::addColumn<int>("replies");
    QTest::addColumn<int>("prompts");

    QTest::newRow("LF before and after, as the program") << QByteArray("\npwrsys\n") << 1 << 2;
    QTest::newRow("operator CR") << QByteArray("pwrsys\r") << 1 << 1;
    QTest::newRow("CR LF is one line end") << QByteArray("pwrsys\r\n") << 1 << 1;
    QTest::newRow("two commands") << QByteArray("pwrsys\r\npwrsys\r") << 2 << 2;
    QTest::newRow("backspace edits") << QByteArray("pwx\brsys\r") << 1 << 1;
    QTest::newRow("delete edits") << QByteArray("pwrsyz\x7fs\n") << 1 << 1;
    QTest::newRow("empty lines only") << QByteArray("\r\n\n\r") << 0 << 3;
}

void TestSimConsole::lineEnds()
{
    QFETCH(QByteArray, input);
    QFETCH(int, replies);
    QFETCH(int, prompts);

    SimConsole c{SimOptions()};
    QByteArray out;
    for (char b : input) // as a slow UART hands them over
        out += joined(c.feed(QByteArray(1, b)));
    QCOMPARE(out.count("@pwrsys\r\r\n"), replies);
    QCOMPARE(out.count("$$\r\r\nBMS>"), replies);
    QCOMPARE(out.count("BMS>"), prompts);
}

void TestSimConsole::selfTestHoldsInputUntilDone()
{
    SimOptions o;
    o.selfTestMs = 2500;
    SimConsole c(o);
    const QByteArray started = joined(c.feed("\ntall\n"));
    QVERIFY(started.startsWith("\r\r\nBMS>@tall\r\r\n") && !started.contains("$$"));
    QVERIFY(joined(c.feed("\nctrl\n")).isEmpty());
    QVERIFY(!joined(c.advance(2400)).contains("Self test result"));
    const QByteArray out = joined(c.advance(200));
    const int result = out.indexOf("Self test result");
    QVERIFY(result > 0);
    QVERIFY(out.indexOf("Command completed successfully\r\r\n$$") > result);
    QVERIFY2(out.indexOf("@ctrl\r\r\nCFET") > result, out.constData());
}

void TestSimConsole::xmodemReceiver_data()
{
    QTest::addColumn<Steps>("steps");
    QTest::addColumn<QString>("answers"); // per step, in hex; "-" for nothing
    QTest::addColumn<int>("state");
    QTest::addColumn<int>("stored");

    const QByteArray a = payloadOf(128, 1), p1 = packet(1, a), p2 = packet(2, payloadOf(128, 2));
    const QByteArray can(1, 0x18), cans = QByteArray(10, 0x18) + QByteArray(10, '\b');
    const QByteArray canInside = p2.left(60) + cans + p2.mid(60);
    using S = SimXmodemReceiver::State;
    auto row = [](const char* name, const Steps& steps, const char* answers, S state, int stored) {
        QTest::newRow(name) << steps << QString(answers) << int(state) << stored;
    };

    row("good block", {{10, p1}}, "06", S::Receiving, 128);
    row("block in two pieces", {{10, p1.left(60)}, {20, p1.mid(60)}}, "- 06", S::Receiving, 128);
    row("bad checksum", {{10, packet(1, a, 1)}}, "15", S::Waiting, 0);
    row("bad complement", {{10, packet(1, a, 0, true)}}, "15", S::Waiting, 0);
    row("repeat after lost ACK", {{10, p1}, {20, p1}, {30, p2}}, "06 06 06", S::Receiving, 256);
    row("block skipped", {{10, p1}, {20, packet(3, a)}}, "06 1818", S::Failed, 128);
    row("end of file", {{10, p1}, {20, QByteArray(1, 0x04)}}, "06 06", S::Completed, 128);
    row("sender cancels", {{10, p1}, {20, can}}, "06 -", S::Cancelled, 128);
    row("cancel before start", {{10, can + can}}, "-", S::Cancelled, 0);
    row("noise between blocks", {{10, "zz"}, {20, p1}}, "- 06", S::Receiving, 128);
    row("sender aborts inside a block", {{10, p1}, {20, p2.left(115) + cans}}, "06 -", S::Cancelled, 128);
    // The first call comes retryMs after start, and again while nothing arrives.
    row("asks at its own pace", {{999, {}}, {1000, {}}, {1500, {}}, {2000, {}}, {2100, p1}, {3000, {}}}, "- 15 - 15 06 -",
        S::Receiving, 128);
    row("block stalled halfway", {{100, p1.left(50)}, {3000, {}}, {3100, {}}, {3200, p1}}, "- - 15 06", S::Receiving, 128);
    // A sender that gives up a few bytes into a block leaves CANs at the end of it.
    row("CANs after a stalled block", {{10, p1}, {20, p2.left(30) + can + can + "\b\b"}, {519, {}}, {520, {}}}, "06 - - -",
        S::Cancelled, 128);
    // The CANs of a sender with buffered output can land inside a block: refused, and
    // the silence after it ends the transfer, unless a good repeat follows.
    row("CANs inside a block, then silence", {{10, p1}, {20, canInside}, {3019, {}}, {3020, {}}}, "06 15 - -", S::Cancelled, 128);
    row("CANs inside a block, then a good repeat", {{10, p1}, {20, canInside}, {30, p2}, {3030, {}}}, "06 15 06 15",
        S::Receiving, 256);
}

void TestSimConsole::xmodemReceiver()
{
    QFETCH(Steps, steps);
    QFETCH(QString, answers);
    QFETCH(int, state);
    QFETCH(int, stored);

    SimXmodemReceiver r;
    r.start(0, 1000);
    QStringList got;
    for (const auto& step : steps) {
        const QByteArray out = step.second.isEmpty() ? r.poll(step.first) : r.feed(step.second, step.first);
        got << (out.isEmpty() ? QString("-") : QString(out.toHex()));
    }
    QCOMPARE(got.join(' '), answers);
    QCOMPARE(int(r.state()), state);
    QCOMPARE(r.data(), (payloadOf(128, 1) + payloadOf(128, 2)).left(stored));
}

void TestSimConsole::loaderWholeRun_data()
{
    QTest::addColumn<QByteArray>("command");
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QByteArray>("ending");
    QTest::addColumn<QByteArray>("notSaid");

    const QByteArray payload = payloadOf(1000, 8), updata = "updata", uboot = "uboot";
    const QByteArray pack = SimFirmware::build(SimFirmware::Pack, 3, 0, 0, payload);
    const QByteArray hub = SimFirmware::build(SimFirmware::Hub, 1, 2, 0, payload);
    QByteArray corrupt = pack;
    corrupt[100] = char(corrupt[100] ^ 0x40);
    auto row = [](const char* name, const QByteArray& cmd, const QByteArray& file, const char* ending, const char* notSaid) {
        QTest::newRow(name) << cmd << file << QByteArray(ending) << QByteArray(notSaid);
    };
    row("pack", updata, pack, "SYS Init Over", "IBCCAN");
    row("hub", updata, hub, "IBCCAN", "SYS Init Over");
    row("boot", uboot, SimFirmware::build(SimFirmware::Boot, 1, 3, 0, payload), "System run", "IBCCAN");
    row("raw binary", updata, payload, "Version without head", "System run");
    row("hub image by uboot", uboot, hub, "Version invalid", "System run");
    row("pack image by uboot", uboot, pack, "Version invalid", "System run");
    row("version 0", updata, SimFirmware::build(SimFirmware::Pack, 0, 9, 9, payload), "Version invalid", "System run");
    row("cut short", updata, pack.left(500), "Version invalid", "System run");
    row("corrupt payload", updata, corrupt, "Version invalid", "System run");
}

void TestSimConsole::loaderWholeRun()
{
    QFETCH(QByteArray, command);
    QFETCH(QByteArray, file);
    QFETCH(QByteArray, ending);
    QFETCH(QByteArray, notSaid);

    SimOptions o;
    o.rebootMs = 2000;
    SimConsole c(o);
    const QByteArray announced = joined(c.feed("\n" + command + "\n"));
    QVERIFY(announced.contains("$$\r\r\n") && !announced.contains(char(0x15)));
    // The call for the transfer comes on its own, well after the text.
    QVERIFY(joined(c.advance(900)).isEmpty());
    QCOMPARE(joined(c.advance(100)), QByteArray(1, 0x15));

    QByteArray answers;
    int block = 1;
    for (int at = 0; at < file.size(); at += 128, ++block)
        answers += joined(c.feed(packet(block, file.mid(at, 128))));
    answers += joined(c.feed(QByteArray(1, 0x04)));
    QCOMPARE(answers, QByteArray(block, 0x06));

    // Nothing is said in the burst of the last ACK; the verdict follows on its own.
    QVERIFY(joined(c.advance(400)).isEmpty());
    const QByteArray later = joined(c.advance(100 + o.rebootMs));
    QVERIFY2(later.contains(ending) && !later.contains(notSaid) && later.endsWith("BMS>"), later.constData());
    QCOMPARE(c.mode(), SimConsole::Mode::Console);
    QCOMPARE(c.loggedIn(), false);
    QCOMPARE(c.device().storedImage(), ending.startsWith("Version") ? QByteArray() : file);
}

QTEST_GUILESS_MAIN(TestSimConsole)
#include "tst_simconsole.moc"
