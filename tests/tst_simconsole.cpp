// The simulated BMS without a port: the console session, the Xmodem receiver and the
// firmware loader, driven byte by byte and millisecond by millisecond.

#include "simconsole.h"
#include "simfirmware.h"
#include "simxmodemreceiver.h"

#include <QtTest>

namespace {

QByteArray joined(const QList<SimConsole::Output>& outputs)
{
    QByteArray all;
    for (const SimConsole::Output& o : outputs)
        all += o.bytes;
    return all;
}

// A session exercising every time-dependent part: samples, the stream, the pages.
QByteArray scriptedSession(quint32 seed)
{
    SimOptions o;
    o.seed = seed;
    o.speed = 50;
    SimConsole c(o);
    QByteArray all;
    auto send = [&](const QByteArray& b) { all += joined(c.feed(b)); };
    send("\npwrsys\n");
    all += joined(c.advance(1500));
    send("\nbat 2\n\npwr\n");
    send("\ndisp pwrs 1\n");
    all += joined(c.advance(5200));
    send("\ndisp 0\n");
    send("\ndatalist event 0\n");
    send("\r");
    send("\r");
    send("\r");
    all += joined(c.advance(700));
    send("\ninfo 2\n\npwr 3\n");
    return all;
}

QByteArray packet(int number, const QByteArray& data, int checksumDelta = 0, bool badComplement = false)
{
    QByteArray p;
    p.append(char(0x01)).append(char(number)).append(char(badComplement ? number : 255 - number));
    QByteArray block = data.left(128);
    block.append(QByteArray(128 - block.size(), char(0x1A)));
    p.append(block);
    quint8 sum = 0;
    for (char b : block)
        sum = quint8(sum + quint8(b));
    p.append(char(quint8(sum + checksumDelta)));
    return p;
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
    void wakeLetters_data();
    void wakeLetters();
    void alarmsShowInReplies();
    void switchesStopTheCurrent();
    void firmwareVerdict_data();
    void firmwareVerdict();
    void xmodemReceiver_data();
    void xmodemReceiver();
    void xmodemAsksAtItsOwnPace();
    void xmodemBlockStalledHalfway();
    void xmodemCancelAfterStall();
    void xmodemCancelsInsideABlock();
    void loaderWholeRun_data();
    void loaderWholeRun();
};

void TestSimConsole::sameSeedSameSession()
{
    const QByteArray first = scriptedSession(7);
    QVERIFY(first.contains("@pwrsys"));
    QVERIFY(first.contains("Press [Enter] to be continued,other key to exit"));
    QCOMPARE(first.count("Coul(mAH)"), 1);
    QCOMPARE(scriptedSession(7), first);
    QVERIFY(scriptedSession(8) != first);
}

void TestSimConsole::lineEnds_data()
{
    QTest::addColumn<QByteArray>("input");
    QTest::addColumn<int>("replies");
    QTest::addColumn<int>("prompts");

    // The program's way: an empty line first, then the command.
    QTest::newRow("LF before and after") << QByteArray("\npwrsys\n") << 1 << 2;
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
    QByteArray out = joined(c.feed("\ntall\n"));
    QVERIFY(out.startsWith("\r\r\nBMS>@tall\r\r\n"));
    QVERIFY(!out.contains("$$"));
    out = joined(c.feed("\nctrl\n"));
    QVERIFY(out.isEmpty());
    out = joined(c.advance(2400));
    QVERIFY(!out.contains("Self test result"));
    out = joined(c.advance(200));
    const int result = out.indexOf("Self test result");
    const int ctrl = out.indexOf("@ctrl\r\r\nCFET");
    QVERIFY(result > 0);
    QVERIFY(out.indexOf("Command completed successfully\r\r\n$$") > result);
    QVERIFY2(ctrl > result, out.constData());
}

void TestSimConsole::wakeLetters_data()
{
    QTest::addColumn<QList<QByteArray>>("pieces");
    QTest::addColumn<bool>("ready");

    QTest::newRow("three single letters") << QList<QByteArray>{"D", "L", "G"} << true;
    QTest::newRow("one burst") << QList<QByteArray>{"DLG"} << true;
    QTest::newRow("other letters") << QList<QByteArray>{"D", "L", "X"} << false;
    QTest::newRow("lower case") << QList<QByteArray>{"d", "l", "g"} << false;
}

void TestSimConsole::wakeLetters()
{
    QFETCH(QList<QByteArray>, pieces);
    QFETCH(bool, ready);

    SimConsole c{SimOptions()};
    QByteArray out;
    for (const QByteArray& p : pieces)
        out += joined(c.feed(p));
    QCOMPARE(out.contains("Updata is ready!"), ready);
    // The letters never linger in the line: the next command is read cleanly.
    if (ready) {
        out = joined(c.feed("\nctrl\n"));
        QVERIFY(out.contains("@ctrl\r\r\n"));
    }
}

void TestSimConsole::alarmsShowInReplies()
{
    SimOptions o;
    o.packs = 3;
    SimConsole c(o);
    c.device().raiseAlarm(2, SimDevice::OverVoltage);
    QString pwr = QString::fromLatin1(joined(c.feed("\npwr\n")));
    const QStringList rows = pwr.remove(QLatin1Char('\r')).split(QLatin1Char('\n'));
    QString row2;
    for (const QString& r : rows)
        if (r.startsWith(QLatin1String("2 ")))
            row2 = r;
    const QStringList cols = row2.split(QRegularExpression(QStringLiteral("\\s+")));
    QCOMPARE(cols.size(), 17);
    QCOMPARE(cols[9], QStringLiteral("HVolt"));
    QCOMPARE(cols[15], QStringLiteral("HVolt"));

    const QString bat = QString::fromLatin1(joined(c.feed("\nbat 2\n")));
    QRegularExpression high(QStringLiteral("\n\\d+\\s+(3[6-9]\\d\\d)\\s"));
    QVERIFY2(high.match(bat).hasMatch(), qPrintable(bat));

    c.device().raiseAlarm(1, SimDevice::SystemFault);
    QVERIFY(joined(c.feed("\npwrsys\n")).contains("System is error\r\r\n"));
    const QByteArray count = joined(c.feed("\ndata\n"));
    QVERIFY(count.contains(QByteArray::number(o.events + 2)));

    // A failed sensor fails the self-test, and the device says so.
    c.feed("\ntall\n");
    const QByteArray tall = joined(c.advance(o.selfTestMs));
    QVERIFY(tall.contains("Invalid command or fail to excute."));
    QVERIFY(!tall.contains("Command completed successfully"));

    c.device().clearAlarms(1);
    c.device().clearAlarms(2);
    QVERIFY(!joined(c.feed("\npwrsys\n")).contains("System is error"));
}

void TestSimConsole::switchesStopTheCurrent()
{
    SimOptions o;
    o.packs = 1;
    SimConsole c(o);
    c.device().setCurrent(1, -20000);
    c.feed("\nlogin debug\n");
    QVERIFY(joined(c.feed("\nctrl dfet off\n")).contains("Command completed successfully"));
    c.advance(2000);
    QVERIFY(joined(c.feed("\npwrsys\n")).contains("System is idle\r\r\n"));
    QVERIFY(joined(c.feed("\nctrl\n")).contains("DFET                     : OFF"));
    c.feed("\nctrl dfet on\n");
    c.advance(2000);
    QVERIFY(joined(c.feed("\npwrsys\n")).contains("System is discharging\r\r\n"));
}

void TestSimConsole::firmwareVerdict_data()
{
    QTest::addColumn<QByteArray>("received");
    QTest::addColumn<bool>("boot");
    QTest::addColumn<int>("verdict");
    QTest::addColumn<QString>("version");

    const QByteArray payload = payloadOf(300, 3);
    const QByteArray pack = SimFirmware::build(SimFirmware::Pack, 2, 4, 1, payload);
    QByteArray padded = pack;
    padded.append(QByteArray(128 - padded.size() % 128, char(0x1A)));

    QTest::newRow("pack image, padded") << padded << false << int(SimFirmware::Accepted) << "V2.4.1";
    QTest::newRow("hub image") << SimFirmware::build(SimFirmware::Hub, 1, 0, 0, payload) << false
                               << int(SimFirmware::Accepted) << "V1.0.0";
    QTest::newRow("boot image by uboot") << SimFirmware::build(SimFirmware::Boot, 1, 1, 0, payload) << true
                                         << int(SimFirmware::Accepted) << "V1.1.0";
    QTest::newRow("raw binary") << payloadOf(512, 9) << false << int(SimFirmware::WithoutHead) << "";
    QTest::newRow("shorter than a header") << QByteArray("CVFW") << false << int(SimFirmware::WithoutHead) << "";
    QTest::newRow("boot image by updata") << SimFirmware::build(SimFirmware::Boot, 1, 1, 0, payload) << false
                                          << int(SimFirmware::Invalid) << "V1.1.0";
    QTest::newRow("pack image by uboot") << pack << true << int(SimFirmware::Invalid) << "V2.4.1";
    QTest::newRow("version 0") << SimFirmware::build(SimFirmware::Pack, 0, 9, 9, payload) << false
                               << int(SimFirmware::Invalid) << "V0.9.9";
    QTest::newRow("cut short") << pack.left(200) << false << int(SimFirmware::Invalid) << "V2.4.1";
    QByteArray corrupt = pack;
    corrupt[100] = char(corrupt[100] ^ 0x40);
    QTest::newRow("corrupt payload") << corrupt << false << int(SimFirmware::Invalid) << "V2.4.1";
}

void TestSimConsole::firmwareVerdict()
{
    QFETCH(QByteArray, received);
    QFETCH(bool, boot);
    QFETCH(int, verdict);
    QFETCH(QString, version);

    const SimFirmware::Check check = SimFirmware::check(received, boot);
    QCOMPARE(int(check.verdict), verdict);
    QCOMPARE(check.version, version);
    if (verdict == SimFirmware::Accepted) {
        QCOMPARE(check.image.size(), SimFirmware::HeaderSize + 300);
        QVERIFY(received.startsWith(check.image));
    }
}

void TestSimConsole::xmodemReceiver_data()
{
    QTest::addColumn<QList<QByteArray>>("bursts");
    QTest::addColumn<QByteArray>("answers");
    QTest::addColumn<int>("state");
    QTest::addColumn<int>("stored");

    const QByteArray a = payloadOf(128, 1);
    const QByteArray b = payloadOf(128, 2);
    using S = SimXmodemReceiver::State;
    const QByteArray ack(1, 0x06), nak(1, 0x15), eot(1, 0x04), can(1, 0x18);

    QTest::newRow("good block") << QList<QByteArray>{packet(1, a)} << ack << int(S::Receiving) << 128;
    QTest::newRow("block in two pieces") << QList<QByteArray>{packet(1, a).left(60), packet(1, a).mid(60)} << ack
                                         << int(S::Receiving) << 128;
    QTest::newRow("bad checksum") << QList<QByteArray>{packet(1, a, 1)} << nak << int(S::Waiting) << 0;
    QTest::newRow("bad complement") << QList<QByteArray>{packet(1, a, 0, true)} << nak << int(S::Waiting) << 0;
    QTest::newRow("repeat after lost ACK") << QList<QByteArray>{packet(1, a), packet(1, a), packet(2, b)}
                                           << ack + ack + ack << int(S::Receiving) << 256;
    QTest::newRow("block skipped") << QList<QByteArray>{packet(1, a), packet(3, b)} << ack + can + can
                                   << int(S::Failed) << 128;
    QTest::newRow("end of file") << QList<QByteArray>{packet(1, a), eot} << ack + ack << int(S::Completed) << 128;
    QTest::newRow("sender cancels") << QList<QByteArray>{packet(1, a), can} << ack << int(S::Cancelled) << 128;
    QByteArray aborted = packet(2, b).left(115);
    aborted += QByteArray(10, 0x18) + QByteArray(10, '\b');
    QTest::newRow("sender aborts inside a block") << QList<QByteArray>{packet(1, a), aborted} << ack
                                                  << int(S::Cancelled) << 128;
    QTest::newRow("cancel before start") << QList<QByteArray>{can + can} << QByteArray() << int(S::Cancelled) << 0;
    QTest::newRow("noise between blocks") << QList<QByteArray>{QByteArray("zz"), packet(1, a)} << ack
                                          << int(S::Receiving) << 128;
}

void TestSimConsole::xmodemReceiver()
{
    QFETCH(QList<QByteArray>, bursts);
    QFETCH(QByteArray, answers);
    QFETCH(int, state);
    QFETCH(int, stored);

    SimXmodemReceiver r;
    r.start(0, 1000);
    QByteArray out;
    qint64 t = 10;
    for (const QByteArray& burst : bursts)
        out += r.feed(burst, t += 10);
    QCOMPARE(out.toHex(), answers.toHex());
    QCOMPARE(int(r.state()), state);
    QCOMPARE(r.data().size(), stored);
}

void TestSimConsole::xmodemAsksAtItsOwnPace()
{
    SimXmodemReceiver r;
    r.start(0, 1000);
    QVERIFY(r.poll(999).isEmpty());
    QCOMPARE(r.poll(1000), QByteArray(1, 0x15));
    QVERIFY(r.poll(1500).isEmpty());
    QCOMPARE(r.poll(2000), QByteArray(1, 0x15));
    QCOMPARE(r.deadline(), qint64(3000));
    // Once data flows there are no more calls.
    r.feed(packet(1, payloadOf(128, 5)), 2100);
    QVERIFY(r.poll(3000).isEmpty());
}

void TestSimConsole::xmodemCancelAfterStall()
{
    // A sender that gives up with a few bytes of a block sent leaves CANs at the end.
    SimXmodemReceiver r;
    r.start(0, 1000);
    r.feed(packet(1, payloadOf(128, 4)), 10);
    r.feed(packet(2, payloadOf(128, 5)).left(30) + QByteArray(2, 0x18) + QByteArray(2, '\b'), 20);
    QCOMPARE(r.deadline(), qint64(520));
    QVERIFY(r.poll(519).isEmpty());
    QVERIFY(r.poll(520).isEmpty());
    QCOMPARE(int(r.state()), int(SimXmodemReceiver::State::Cancelled));
    QCOMPARE(r.reason(), QStringLiteral("cancelled by sender"));
}

void TestSimConsole::xmodemCancelsInsideABlock()
{
    // The CANs of a sender with buffered output can land in the middle of a block;
    // the block is refused, and the silence after it ends the transfer.
    SimXmodemReceiver r;
    r.start(0, 1000);
    r.feed(packet(1, payloadOf(128, 4)), 10);
    const QByteArray block = packet(2, payloadOf(128, 5));
    QCOMPARE(r.feed(block.left(60) + QByteArray(10, 0x18) + QByteArray(10, '\b') + block.mid(60), 20), QByteArray(1, 0x15));
    QVERIFY(r.poll(3019).isEmpty());
    QVERIFY(r.poll(3020).isEmpty());
    QCOMPARE(int(r.state()), int(SimXmodemReceiver::State::Cancelled));

    // The same bytes followed by a good repeat are just a line error.
    SimXmodemReceiver ok;
    ok.start(0, 1000);
    ok.feed(packet(1, payloadOf(128, 4)), 10);
    ok.feed(block.left(60) + QByteArray(10, 0x18) + QByteArray(10, '\b') + block.mid(60), 20);
    QCOMPARE(ok.feed(block, 30), QByteArray(1, 0x06));
    QCOMPARE(ok.poll(3030), QByteArray(1, 0x15));
    QCOMPARE(int(ok.state()), int(SimXmodemReceiver::State::Receiving));
}

void TestSimConsole::xmodemBlockStalledHalfway()
{
    SimXmodemReceiver r;
    r.start(0, 1000);
    const QByteArray p = packet(1, payloadOf(128, 4));
    QVERIFY(r.feed(p.left(50), 100).isEmpty());
    QVERIFY(r.poll(3000).isEmpty());
    QCOMPARE(r.poll(3100), QByteArray(1, 0x15));
    QCOMPARE(r.feed(p, 3200), QByteArray(1, 0x06));
    QCOMPARE(r.data(), payloadOf(128, 4));
}

void TestSimConsole::loaderWholeRun_data()
{
    QTest::addColumn<QByteArray>("command");
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QByteArray>("ending");
    QTest::addColumn<QByteArray>("notSaid");

    const QByteArray payload = payloadOf(1000, 8);
    QTest::newRow("pack") << QByteArray("updata") << SimFirmware::build(SimFirmware::Pack, 3, 0, 0, payload)
                          << QByteArray("SYS Init Over") << QByteArray("IBCCAN");
    QTest::newRow("hub") << QByteArray("updata") << SimFirmware::build(SimFirmware::Hub, 1, 2, 0, payload)
                         << QByteArray("IBCCAN") << QByteArray("SYS Init Over");
    QTest::newRow("boot") << QByteArray("uboot") << SimFirmware::build(SimFirmware::Boot, 1, 3, 0, payload)
                          << QByteArray("System run") << QByteArray("IBCCAN");
    QTest::newRow("no head") << QByteArray("updata") << payload << QByteArray("Version without head")
                             << QByteArray("System run");
    QTest::newRow("wrong target") << QByteArray("uboot") << SimFirmware::build(SimFirmware::Hub, 1, 2, 0, payload)
                                  << QByteArray("Version invalid") << QByteArray("System run");
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
    QVERIFY(announced.contains("$$\r\r\n"));
    QVERIFY(!announced.contains(char(0x15)));
    // The call for the transfer comes on its own, well after the text.
    QVERIFY(joined(c.advance(900)).isEmpty());
    QCOMPARE(joined(c.advance(100)), QByteArray(1, 0x15));

    QByteArray answers;
    int block = 1;
    for (int at = 0; at < file.size(); at += 128, ++block)
        answers += joined(c.feed(packet(block, file.mid(at, 128))));
    answers += joined(c.feed(QByteArray(1, 0x04)));
    QCOMPARE(answers, QByteArray(block, 0x06));
    QCOMPARE(c.device().receivedFile().left(file.size()), file);

    // Nothing is said in the burst of the last ACK; the verdict follows on its own.
    QByteArray later = joined(c.advance(400));
    QVERIFY(later.isEmpty());
    later = joined(c.advance(100 + o.rebootMs));
    QVERIFY2(later.contains(ending), later.constData());
    QVERIFY(!later.contains(notSaid));
    QVERIFY(later.endsWith("BMS>"));
    QCOMPARE(c.mode(), SimConsole::Mode::Console);
    QCOMPARE(c.loggedIn(), false);
    if (ending != "Version invalid" && ending != "Version without head")
        QCOMPARE(c.device().storedImage(), file);
    else
        QVERIFY(c.device().storedImage().isEmpty());
}

QTEST_GUILESS_MAIN(TestSimConsole)
#include "tst_simconsole.moc"
