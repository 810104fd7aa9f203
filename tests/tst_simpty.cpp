// The simulated BMS seen from outside: its pseudo-terminal opened with plain POSIX
// calls, commands written the way the program writes them, and every reply checked
// for what the program's parsers take out of it.

#include "bmssimulator.h"
#include "replyfield.h"
#include "simconsole.h"
#include "simfirmware.h"

#include <QtTest>

#include <cerrno>
#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

namespace {

const QByteArray kFrameEnd = "$$\r\r\nBMS>";
const QByteArray kDone = "Command completed successfully";
const QByteArray kPress = "Press [Enter] to be continued,other key to exit";
const QByteArray kNak(1, 0x15), kAck(1, 0x06), kCan(1, 0x18);

// One client on the slave side of the simulator's pseudo-terminal, in raw mode.
struct PtyClient {
    explicit PtyClient(const QString& path)
        : fd(::open(path.toLocal8Bit().constData(), O_RDWR | O_NOCTTY | O_NONBLOCK))
    {
        termios t {};
        if (fd >= 0 && ::tcgetattr(fd, &t) == 0) {
            ::cfmakeraw(&t);
            ::tcsetattr(fd, TCSANOW, &t);
        }
    }
    ~PtyClient() { ::close(fd); }

    void write(const QByteArray& b) { QCOMPARE(::write(fd, b.constData(), size_t(b.size())), ssize_t(b.size())); }

    // Everything up to and including marker, or all that came when the time is up.
    QByteArray readUntil(const QByteArray& marker, int ms = 3000)
    {
        QElapsedTimer t;
        t.start();
        while ((marker.isEmpty() || !pending.contains(marker)) && t.elapsed() < ms)
            pull(ms - int(t.elapsed()));
        const int at = marker.isEmpty() ? -1 : pending.indexOf(marker);
        const QByteArray out = pending.left(at < 0 ? pending.size() : at + marker.size());
        pending.remove(0, out.size());
        return out;
    }
    QByteArray readFor(int ms) { return readUntil(QByteArray(), ms); }

    // A command as the program writes it; the framed reply from "@" to the prompt.
    QByteArray command(const QByteArray& cmd)
    {
        write("\n" + cmd + "\n");
        const QByteArray lead = readUntil("@" + cmd);
        pending.prepend(lead.mid(lead.indexOf('@')));
        return readUntil(kFrameEnd);
    }

    void pull(int ms)
    {
        pollfd p {fd, POLLIN, 0};
        if (::poll(&p, 1, std::max(0, ms)) <= 0)
            return;
        char buf[4096];
        const ssize_t n = ::read(fd, buf, sizeof buf);
        if (n > 0) {
            pending.append(buf, int(n));
            ++reads;
        } else if (errno != EAGAIN) { // the other side is gone
            hungUp = true;
            QTest::qSleep(10);
        }
    }

    int fd;
    QByteArray pending;
    int reads = 0;
    bool hungUp = false;
};

// The reply as the program's parsers see it: carriage returns removed.
QString text(const QByteArray& reply)
{
    return QString::fromLatin1(reply).remove('\r');
}

SimOptions quick()
{
    SimOptions o;
    o.selfTestMs = 1500;
    o.rebootMs = 300;
    o.xmodemRetryMs = 400;
    return o;
}

QByteArray payload(int size, quint32 seed)
{
    QByteArray p(size, '\0');
    for (char& c : p)
        c = char((seed = seed * 1103515245u + 12345u) >> 16);
    return p;
}

// A table row as a pattern: the parts, separated by runs of blanks.
QString cols(const QStringList& parts)
{
    return "^" + parts.join("\\s+") + "$";
}

} // namespace

class TestSimPty : public QObject
{
    Q_OBJECT

private slots:
    void replies_data();
    void replies();
    void pagedEventList_data();
    void pagedEventList();
    void streamPace_data();
    void streamPace();
    void valuesAndAlarmsSetFromOutside();
    void chunkedRepliesCarrySameBytes();
    void lineFaults_data();
    void lineFaults();
    void clientsComeAndGo();
    void portGoes_data();
    void portGoes();
    void wakeLetters_data();
    void wakeLetters();
    void firmwareBySx_data();
    void firmwareBySx();
    void senderCancels();
};

// Each row: the simulator's make-up, commands sent in turn (all but the last must
// succeed), and what the last reply must hold. "Key = pattern" is a field as the
// parsers read it; "[N*]pattern" a line (exactly N of them when N is given).
void TestSimPty::replies_data()
{
    QTest::addColumn<QString>("flags");
    QTest::addColumn<QByteArrayList>("commands");
    QTest::addColumn<QStringList>("expects");
    QTest::addColumn<QString>("closing");
    auto row = [](const char* name, const QString& flags, const QByteArrayList& cmds, const QStringList& expects,
                  const QString& closing = kDone) { QTest::newRow(name) << flags << cmds << expects << closing; };

    const QString volt = "(4[5-9]|5[0-7])\\d{3}", cell = "3[0-4]\\d\\d", temp = "(1[5-9]|[23]\\d)\\d{3}";
    const QString soc = "([1-9]\\d?|100)", dsg = "-\\d{4,}", when = "\\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d";
    const QStringList pwrRow = {"[1-3]", volt, dsg, temp, temp, temp, cell, cell, "Dischg", "Normal", "Normal",
                                "Normal", soc + "%", when, "Normal", "Normal"};
    const QStringList batRow = {"\\d+", cell, dsg, temp, "Dischg", "Normal", "Normal", "Normal", soc + "%", "\\d{4,}", "mAH"};
    QStringList batRow10 = batRow;
    batRow10.removeAt(2);
    const QString n = "-?\\d+";
    const QStringList event = {"\\d+", when, "\\d{5}", n, n, n, n, "\\d{4}", "\\d{4}",
                               "\\w+", "\\w+", "\\w+", "\\w+", "\\d+%", "\\S.*"};
    QStringList maskEvent = event;
    maskEvent.insert(9, "0x[0-9A-F]{4}");
    const QByteArray login = "login debug";
    const QString unknown = "Unknown command", absent = "Target device is not present";
    const QString invalid = "Invalid command or fail to excute.";

    row("pwrsys", "", {"pwrsys"}, {"^System is discharging$", "Present Num = 3", "System Volt = " + volt + " +mV",
                                   "System Curr = -\\d{5,} +mA", "System SOC = " + soc + " +%", "System SOH = " + soc + " +%"});
    row("pwr", "", {"pwr"}, {"^Power .* B\\.T\\.St$", "3*" + cols(pwrRow)});
    row("pwr with DevType", "devtype", {"pwr"}, {"^Power .* B\\.T\\.St +DevType$", "3*" + cols(pwrRow + QStringList{"\\S+"})});
    row("pwr N", "", {"pwr 2"}, {"Current = -\\d{4,} +mA", "Temperature = " + temp + " +mC", "Coulomb = " + soc + " +%",
                                 "Total Coulomb = 100000 +mAH", "Real Coulomb = 9\\d{4} +mAH", "Basic Status = Dischg",
                                 "System Fault = Normal"});
    row("bat N, 11 parts", "", {"bat 2"}, {"16*" + cols(batRow)});
    row("bat N, 10 parts, 15 cells", "bat10 cells15", {"bat 3"}, {"15*" + cols(batRow10)});
    row("info N", "", {"info 2"}, {"Device address = 2", "Device name = HVRACK-7720N", "Boot version = V1.0.2",
                                   "Main Soft version = V\\d+\\.\\d+\\.\\d+", "Comm version = V\\d+\\.\\d+\\.\\d+",
                                   "Release Date = \\d{4}-\\d\\d-\\d\\d", "Barcode = \\w{16}", "Specification = \\S+",
                                   "Cell Number = 16", "Max Charge Curr = [\\d.]+A"});
    row("info N, 15 cells, no barcode", "cells15 blank2", {"info 2"}, {"Cell Number = 15", "^Barcode +:$"});
    row("balance", "", {"balance"}, {"^Power +Balance$", "3*^[1-3] +0$"});
    row("balance, one balancing", "balancing2", {"balance"}, {"^2 +1$", "2*^[13] +0$"});
    row("ctrl", "", {"ctrl"}, {"CFET = ON", "DFET = ON"});
    row("ctrl cfet off", "", {login, "ctrl cfet off", "ctrl"}, {"CFET = OFF", "DFET = ON"});
    row("ctrl dfet off, cfet off, cfet on", "", {login, "ctrl dfet off", "ctrl cfet off", "ctrl cfet on", "ctrl"},
        {"CFET = ON", "DFET = OFF"});
    row("ctrl dfet on", "", {login, "ctrl dfet off", "ctrl dfet on", "ctrl"}, {"DFET = ON"});
    row("tall", "", {"tall"}, {"Self test result = pass"});
    row("tall with a sensor fault", "fault2", {"tall"}, {"Temperature sensor check = fail", "Self test result = fail"}, invalid);
    row("tbar", "", {login, "tbar ABCD2024E0561234"}, {"^Test result:pass$"});
    row("tbar, then info", "", {login, "tbar ABCD2024E0561234", "info "}, {"Barcode = ABCD2024E0561234"});
    row("tbar of another pack's barcode", "", {login, "tbar ABCD2024E0561234", "info 2", "tbar ABCD2024E0561234"},
        {"^Barcode already used by pack 1$", "^Test result:fail$"});
    row("tbar with a leading blank", "", {login, "tbar  BCD2024E0561234", "info "}, {"^Barcode {18}:  BCD2024E0561234$"});
    row("config", "", {"config"}, {"Over Voltage Alarm = 3\\.550 +56\\.800 +V", "Low SOC Alarm = 10 +%", "^Shut time$",
                                   "53*^[\\w ]+: +-?[\\d.]+ +(-?[\\d.]+ +)?(V|A|C|%|ms|h|min)$"});
    row("config default", "", {login, "config default"}, {});
    row("data", "", {"data"}, {"Data Number = 23"});
    row("data event N", "", {"data event 5"}, {"Item = 5", "Time = " + when, "Cell Volt = (\\d{4} ){16}mV"});
    row("datalist, HVRACK-7720-KM", "km", {"datalist event 0"}, {"23*" + cols(event)});
    row("datalist, HVRACK-7720-KM, mask", "km mask", {"datalist event 0"}, {"^Item .* mask .*Events$", "23*" + cols(maskEvent)});
    row("login debug", "", {login}, {"^Login success$"});

    row("logout", "", {login, "logout", "ctrl dfet off"}, {}, invalid);
    row("unknown word", "", {"pwrsts"}, {}, unknown);
    row("upper case", "", {"PWRSYS"}, {}, unknown);
    row("balance without support", "nobalance", {"balance"}, {}, unknown);
    row("pack beyond the system", "", {"pwr 5"}, {}, absent);
    row("cells of an absent pack", "", {"bat 16"}, {}, absent);
    row("stream of an absent pack", "", {"disp pwrs 4"}, {}, absent);
    row("pack 0", "", {"pwr 0"}, {}, invalid);
    row("pack 17", "", {"info 17"}, {}, invalid);
    row("pack not a number", "", {"bat x"}, {}, invalid);
    row("switch word", "", {login, "ctrl cfet maybe"}, {}, invalid);
    row("barcode without login", "", {"tbar ABCD2024E0561234"}, {}, invalid);
    row("defaults without login", "", {"config default"}, {}, invalid);
    row("event beyond the history", "", {"data event 999"}, {}, invalid);
    row("login as somebody else", "", {"login root"}, {}, invalid);
}

void TestSimPty::replies()
{
    QFETCH(QString, flags);
    QFETCH(QByteArrayList, commands);
    QFETCH(QStringList, expects);
    QFETCH(QString, closing);

    const QStringList f = flags.split(' ', Qt::SkipEmptyParts);
    SimOptions o = quick();
    o.events = 23;
    o.pwrDevType = f.contains("devtype");
    o.batLayout = f.contains("bat10") ? 10 : 11;
    o.cells = f.contains("cells15") ? 15 : 16;
    o.eventMask = f.contains("mask");
    o.balance = !f.contains("nobalance");
    if (f.contains("blank2"))
        o.blankBarcodes = {2};
    if (f.contains("fault2"))
        o.sensorFaults = {2};
    if (f.contains("km"))
        o.model = "HVRACK-7720-KM";
    BmsSimulator sim(o);
    QVERIFY(sim.start());
    if (f.contains("balancing2"))
        sim.access([](SimConsole& c) { c.device().pack(2).forceBalance = true; c.device().tick(); });
    PtyClient pty(sim.portPath());

    QString reply;
    for (int i = 0; i < commands.size(); ++i) {
        const QByteArray& cmd = commands[i];
        const QByteArray raw = pty.command(cmd);
        QVERIFY2(raw.startsWith("@" + cmd + "\r\r\n") && raw.endsWith(kFrameEnd), raw.constData());
        QCOMPARE(raw.count('\n'), raw.count("\r\r\n"));
        reply = text(raw);
        QVERIFY2(reply.endsWith((i + 1 < commands.size() ? QString(kDone) : closing) + "\n$$\nBMS>"), qPrintable(reply));
        // The program tells "data", "ctrl" and "config" from longer commands by the line end.
        for (const char* word : {"data", "ctrl", "config"})
            QVERIFY(cmd == word || !reply.contains(word + QString('\n')));
    }
    const QStringList lines = reply.split('\n');
    for (const QString& e : expects) {
        const int eq = e.indexOf(" = ");
        if (eq > 0) {
            const QString value = ReplyField::text(reply, e.left(eq));
            QVERIFY2(QRegularExpression("^(" + e.mid(eq + 3) + ")$").match(value).hasMatch(), qPrintable(e + " <- " + value));
            continue;
        }
        const QRegularExpressionMatch count = QRegularExpression("^(\\d+)\\*").match(e);
        const QRegularExpression pattern(e.mid(count.capturedLength()));
        QVERIFY(pattern.isValid());
        const int n = int(std::count_if(lines.begin(), lines.end(), [&](const QString& l) { return pattern.match(l).hasMatch(); }));
        QVERIFY2(count.hasMatch() ? n == count.captured(1).toInt() : n > 0,
                 qPrintable(QString("%1: %2 lines in\n%3").arg(e, QString::number(n), reply)));
    }
    // The session goes on.
    QVERIFY(pty.command("ctrl").contains("CFET"));
}

void TestSimPty::pagedEventList_data()
{
    QTest::addColumn<QByteArray>("enter");
    QTest::addColumn<bool>("mask");

    QTest::newRow("CR, as the program pages") << QByteArray("\r") << false;
    QTest::newRow("CR LF from a terminal, mask column") << QByteArray("\r\n") << true;
}

void TestSimPty::pagedEventList()
{
    QFETCH(QByteArray, enter);
    QFETCH(bool, mask);

    SimOptions o = quick();
    o.events = 25;
    o.pageRows = 10;
    o.eventMask = mask;
    BmsSimulator sim(o);
    QVERIFY(sim.start());
    PtyClient pty(sim.portPath());
    pty.write("\ndatalist event 0\n");
    QString all = text(pty.readUntil(kPress));
    pty.write(enter);
    all += text(pty.readUntil(kPress));
    pty.write(enter);
    all += text(pty.readUntil(kDone + "\r\r\nBMS>"));

    // Not framed: the program takes the listing once the line goes quiet.
    QVERIFY2(all.startsWith("\nBMS>datalist event 0\nItem ") && !all.contains('@') && !all.contains("$$"), qPrintable(all));
    QCOMPARE(all.contains(" mask "), mask);
    // The listing's skeleton: item numbers, and P where the device waits for Enter.
    const QRegularExpression row(QString("^(\\d+) +\\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d( +-?\\d+){7}%1( +\\w+){4} +\\d+% +\\S")
                                     .arg(mask ? " +0x[0-9A-F]{4}" : ""));
    QStringList skeleton;
    for (const QString& line : all.split('\n'))
        if (line == kPress || row.match(line).hasMatch())
            skeleton << (line == kPress ? "P" : line.section(' ', 0, 0));
    QCOMPARE(skeleton.join(' '), QString("1 2 3 4 5 6 7 8 9 10 P 11 12 13 14 15 16 17 18 19 20 P 21 22 23 24 25"));

    // Nothing more comes, and the console reads commands again.
    QVERIFY(pty.readFor(300).isEmpty());
    QVERIFY(pty.command("data").contains("25"));
    // Any other key leaves a listing half-way.
    pty.write("\ndatalist event 0\n");
    pty.readUntil(kPress);
    pty.write("q");
    QVERIFY(pty.readFor(300).endsWith("BMS>"));
    QVERIFY(pty.command("ctrl").contains("CFET"));
}

void TestSimPty::streamPace_data()
{
    QTest::addColumn<int>("fields");
    QTest::addColumn<QString>("row");

    const QString tail = "-\\d{4,} (1[5-9]|[23]\\d)\\d{3} 3\\d{3} 3\\d{3} \\d{5} \\d{5} \\d \\d \\d \\d \\d+% \\d{4,}$";
    QTest::newRow("16 fields") << 16 << "^%1 \\d\\d-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d (4[5-9]|5[0-7])\\d{3} " + tail;
    QTest::newRow("17 fields") << 17 << "^%1 \\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d (4[5-9]|5[0-7])\\d{3} Dischg " + tail;
}

void TestSimPty::streamPace()
{
    QFETCH(int, fields);
    QFETCH(QString, row);

    SimOptions o = quick();
    o.dispFields = fields;
    BmsSimulator sim(o);
    QVERIFY(sim.start());
    PtyClient pty(sim.portPath());
    QElapsedTimer clock;
    clock.start();
    pty.write("\ndisp pwrs 2\n");
    // Header and first row come with the acknowledgement, unframed.
    QString line = text(pty.readUntil(kDone + "\r\r\n"));
    QVERIFY2(line.contains("disp pwrs 2\nID ") && line.contains(" Coul(mAH)\n") && !line.contains('@'), qPrintable(line));
    line = line.section('\n', -3, -3);
    qint64 before = 0;
    for (int i = 1; i <= 4; ++i) {
        if (i > 1)
            line = text(pty.readUntil("\r\r\n", 2500)).trimmed();
        QVERIFY2(QRegularExpression(row.arg(i)).match(line).hasMatch(), qPrintable(line));
        const qint64 gap = clock.elapsed() - before;
        QVERIFY2(i == 1 || (gap > 800 && gap < 1250), qPrintable(QString("row %1 came after %2 ms").arg(i).arg(gap)));
        before += gap;
    }
    QVERIFY(pty.command("disp 0").contains(kDone));
    QVERIFY(pty.readFor(1100).isEmpty());
}

void TestSimPty::valuesAndAlarmsSetFromOutside()
{
    SimOptions o = quick();
    o.sampleMs = 100; // the actions must not wait for a sample to show
    BmsSimulator sim(o);
    QVERIFY(sim.start());
    PtyClient pty(sim.portPath());
    sim.setSoc(2, 42);
    sim.setCurrent(2, 0);
    sim.raiseAlarm(2, SimDevice::OverVoltage);
    sim.raiseAlarm(3, SimDevice::OverTemperature);
    QTest::qWait(250);
    const QString pwr2 = text(pty.command("pwr 2"));
    QCOMPARE(ReplyField::toInt(pwr2, "Coulomb", "%"), 42);
    QCOMPARE(ReplyField::toInt(pwr2, "Current", "mA"), 0);
    QCOMPARE(ReplyField::text(pwr2, "Volt Status"), QString("HVolt"));
    QVERIFY(QRegularExpression("\n\\d+ +3[6-9]\\d\\d ").match(text(pty.command("bat 2"))).hasMatch());
    const QStringList row2 = ReplyField::trimmedColumns(text(pty.command("pwr")).section('\n', 3, 3));
    QCOMPARE(row2.value(0) + row2.value(9) + row2.value(15), QString("2HVoltHVolt"));
    const QString pwr3 = text(pty.command("pwr 3"));
    QVERIFY(ReplyField::toInt(pwr3, "Temperature", "mC") > 55000);
    QCOMPARE(ReplyField::text(pwr3, "Tmpr Status"), QString("HTemp"));

    sim.raiseAlarm(1, SimDevice::SystemFault);
    QVERIFY(text(pty.command("pwrsys")).contains("\nSystem is error\n"));
    QCOMPARE(ReplyField::text(text(pty.command("pwr 1")), "System Fault"), QString("Sensor fault"));
    QCOMPARE(ReplyField::toInt(text(pty.command("data")), "Data Number"), o.events + 3);
    // A failed sensor fails the self-test, and the device says so.
    QVERIFY(text(pty.command("tall")).endsWith("\nInvalid command or fail to excute.\n$$\nBMS>"));
    sim.clearAlarms(1);
    QVERIFY(text(pty.command("pwrsys")).contains("\nSystem is discharging\n"));
    // The discharge switch off stops the current; on again, it flows.
    pty.command("login debug");
    pty.command("ctrl dfet off");
    QTest::qWait(300);
    QVERIFY(text(pty.command("pwrsys")).contains("\nSystem is idle\n"));
    pty.command("ctrl dfet on");
    QTest::qWait(300);
    QVERIFY(text(pty.command("pwrsys")).contains("\nSystem is discharging\n"));
}

void TestSimPty::chunkedRepliesCarrySameBytes()
{
    const QByteArrayList commands = {"pwrsys", "pwr", "bat 1", "info 2", "config", "data event 3", "balance", "ctrl"};
    auto session = [&](bool chunk, int* reads) {
        SimOptions o = quick();
        o.sampleMs = 600000; // no sample inside the session: both devices say the same
        o.seed = 11;
        o.faults.chunk = chunk;
        o.faults.chunkGapMs = 5;
        BmsSimulator sim(o);
        if (!sim.start())
            return QByteArray();
        PtyClient pty(sim.portPath());
        QByteArray all;
        for (const QByteArray& c : commands)
            all += pty.command(c);
        *reads = pty.reads;
        return all;
    };
    int plainReads = 0, chunkReads = 0;
    const QByteArray plain = session(false, &plainReads);
    QCOMPARE(plain.count(kDone), commands.size());
    QCOMPARE(session(true, &chunkReads), plain);
    QVERIFY2(chunkReads > plainReads + commands.size(), qPrintable(QString("%1 reads chunked, %2 plain").arg(chunkReads).arg(plainReads)));
}

void TestSimPty::lineFaults_data()
{
    QTest::addColumn<QString>("fault");
    QTest::addColumn<QString>("pattern");

    // Noise comes before each reply, never inside the frame.
    QTest::newRow("garbage") << "garbage" << "^.{8,}@ctrl\r\r\nCFET[^$]*\\$\\$\r\r\nBMS>$";
    QTest::newRow("lost $$") << "lose" << "^\r\r\nBMS>@ctrl\r\r\n[^$]*Command completed successfully\r\r\n[^$]*$";
    QTest::newRow("silence") << "silence" << "^$";
    QTest::newRow("latency") << "latency" << "^\r\r\nBMS>@ctrl\r\r\nCFET[^$]*\\$\\$\r\r\nBMS>$";
}

void TestSimPty::lineFaults()
{
    QFETCH(QString, fault);
    QFETCH(QString, pattern);

    SimOptions o = quick();
    o.faults.garbage = fault == "garbage" ? 1.0 : 0.0;
    o.faults.loseFrameEnd = fault == "lose" ? 1.0 : 0.0;
    o.faults.silence = fault == "silence" ? 1.0 : 0.0;
    o.faults.latencyMs = fault == "latency" ? 600 : 0;
    BmsSimulator sim(o);
    QVERIFY(sim.start());
    PtyClient pty(sim.portPath());
    pty.write("\nctrl\n");
    const QByteArray early = pty.readFor(400);
    const QByteArray all = early + pty.readFor(1100);
    QVERIFY(fault != "latency" || early.isEmpty());
    QVERIFY2(QRegularExpression(pattern, QRegularExpression::DotMatchesEverythingOption).match(QString::fromLatin1(all)).hasMatch(),
             all.toHex().constData());

    sim.setFaults(SimFaults());
    QVERIFY(pty.command("ctrl").endsWith(kFrameEnd));
}

void TestSimPty::clientsComeAndGo()
{
    BmsSimulator sim(quick());
    QVERIFY(sim.start());
    QSignalSpy gone(&sim, &BmsSimulator::clientGone);
    QVERIFY(PtyClient(sim.portPath()).command("pwrsys").contains("Present Num"));
    QTRY_COMPARE(gone.count(), 1);
    // A reply left unread when the client went away does not greet the next one.
    {
        PtyClient left(sim.portPath());
        left.write("\nconfig\n");
        QTest::qWait(200);
    }
    QTRY_COMPARE(gone.count(), 2);
    PtyClient next(sim.portPath());
    QVERIFY(next.readFor(300).isEmpty());
    QVERIFY(next.command("ctrl").contains("CFET"));
}

void TestSimPty::portGoes_data()
{
    QTest::addColumn<bool>("vanish");

    QTest::newRow("stopped") << false;
    QTest::newRow("vanishing fault") << true;
}

void TestSimPty::portGoes()
{
    QFETCH(bool, vanish);

    SimOptions o = quick();
    o.faults.vanishAfterMs = vanish ? 400 : -1;
    BmsSimulator sim(o);
    QSignalSpy gone(&sim, &BmsSimulator::portGone);
    QVERIFY(sim.start());
    const QString path = sim.portPath();
    PtyClient pty(path);
    QVERIFY(pty.command("ctrl").contains("CFET"));
    QVERIFY(QFile::exists(path));
    if (!vanish)
        sim.stop();
    QTRY_COMPARE(gone.count(), 1);
    QVERIFY(!QFile::exists(path) && !sim.isRunning() && sim.portPath().isEmpty());
    // The client's end is dead: it reads a hang-up, not data.
    pty.readFor(100);
    QVERIFY(pty.hungUp);
    // Started again it serves a new port.
    QVERIFY(sim.start());
    QVERIFY(PtyClient(sim.portPath()).command("ctrl").contains("CFET"));
}

void TestSimPty::wakeLetters_data()
{
    QTest::addColumn<QByteArrayList>("pieces");
    QTest::addColumn<bool>("ready");

    QTest::newRow("three single letters") << QByteArrayList{"D", "L", "G"} << true;
    QTest::newRow("one burst") << QByteArrayList{"DLG"} << true;
    QTest::newRow("other letters") << QByteArrayList{"D", "L", "X"} << false;
    QTest::newRow("lower case") << QByteArrayList{"d", "l", "g"} << false;
}

void TestSimPty::wakeLetters()
{
    QFETCH(QByteArrayList, pieces);
    QFETCH(bool, ready);

    BmsSimulator sim(quick());
    QVERIFY(sim.start());
    PtyClient pty(sim.portPath());
    for (const QByteArray& p : pieces) {
        pty.write(p);
        QTest::qSleep(10);
    }
    QCOMPARE(pty.readFor(300).contains("Updata is ready!"), ready);
    // The letters never linger in the line: the next command is read cleanly.
    QVERIFY(!ready || pty.command("ctrl").startsWith("@ctrl\r\r\nCFET"));
}

void TestSimPty::firmwareBySx_data()
{
    QTest::addColumn<QByteArray>("command");
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<double>("nak");
    QTest::addColumn<int>("cancelAfter");
    QTest::addColumn<QByteArray>("said");

    auto row = [](const char* name, const char* cmd, const QByteArray& file, double nak, int cancelAfter, const char* said) {
        QTest::newRow(name) << QByteArray(cmd) << file << nak << cancelAfter << QByteArray(said);
    };
    const QByteArray boot = SimFirmware::build(SimFirmware::Boot, 1, 1, 0, payload(900, 4));
    row("pack image", "updata", SimFirmware::build(SimFirmware::Pack, 2, 5, 0, payload(5000, 1)), 0, -1, "SYS Init Over");
    row("hub image of whole blocks, every third block NAKed", "updata",
        SimFirmware::build(SimFirmware::Hub, 1, 4, 0, payload(1024 - 16, 2)), 0.33, -1, "IBCCAN");
    row("boot program", "uboot", boot, 0, -1, "System run");
    row("raw binary", "updata", payload(1500, 5), 0, -1, "Version without head");
    row("boot image by updata", "updata", boot, 0, -1, "Version invalid");
    row("receiver cancels after 5 blocks", "updata", SimFirmware::build(SimFirmware::Pack, 3, 1, 0, payload(3000, 7)), 0, 5,
        "cancelled by receiver");
}

void TestSimPty::firmwareBySx()
{
    QFETCH(QByteArray, command);
    QFETCH(QByteArray, file);
    QFETCH(double, nak);
    QFETCH(int, cancelAfter);
    QFETCH(QByteArray, said);

    QTemporaryDir dir;
    QFile f(dir.filePath("fw.bin"));
    QVERIFY(f.open(QIODevice::WriteOnly) && f.write(file) == file.size());
    f.close();
    SimOptions o = quick();
    o.faults.xmodemNak = nak;
    o.faults.xmodemCancelAfter = cancelAfter;
    BmsSimulator sim(o);
    QVERIFY(sim.start());
    PtyClient pty(sim.portPath());
    pty.write("\n" + command + "\n");
    const QByteArray announce = pty.readUntil("$$\r\r\n");
    QVERIFY2(announce.contains("@" + command + "\r\r\n") && announce.contains("Xmodem"), announce.constData());

    // lrzsz's sx with its standard input and output on the port, as from a shell.
    QProcess sx;
    sx.setStandardInputFile(sim.portPath());
    sx.setStandardOutputFile(sim.portPath(), QIODevice::Append);
    sx.start("/usr/bin/sx", {f.fileName()});
    QVERIFY(sx.waitForStarted(5000) && sx.waitForFinished(30000));
    QVERIFY2((sx.exitCode() == 0) == (cancelAfter < 0), sx.readAllStandardError().constData());
    const QByteArray after = pty.readUntil("BMS>", 3000);
    QVERIFY2(after.contains(said), after.constData());

    const bool stored = said == "SYS Init Over" || said == "IBCCAN" || said == "System run";
    if (!stored) {
        QVERIFY(!after.contains("System run") && !after.contains("SYS Init Over"));
        QVERIFY(sim.storedImage().isEmpty());
        return;
    }
    // What crossed the line is the file padded to whole blocks; what is kept, the file.
    QCOMPARE(sim.receivedFile().toHex(), (file + QByteArray((128 - file.size() % 128) % 128, 0x1A)).toHex());
    QCOMPARE(sim.storedImage().toHex(), file.toHex());
    // The device came back with the new version.
    const QString info = text(pty.command("info 1"));
    const QString version = QString("V%1.%2.%3").arg(int(file[5])).arg(int(file[6])).arg(int(file[7]));
    if (file[4] != 'H')
        QCOMPARE(ReplyField::text(info, file[4] == 'P' ? "Main Soft version" : "Boot version"), version);
}

void TestSimPty::senderCancels()
{
    BmsSimulator sim(quick());
    QVERIFY(sim.start());
    PtyClient pty(sim.portPath());
    pty.write("\nupdata\n");
    pty.readUntil("$$\r\r\n");
    QCOMPARE(pty.readUntil(kNak), kNak);
    // One good block (128 'x' sum to 0), then the single CAN the program sends.
    pty.write("\x01\x01\xfe" + QByteArray(128, 'x') + QByteArray(1, 0));
    QCOMPARE(pty.readUntil(kAck, 2000), kAck);
    pty.write(kCan);
    const QByteArray after = pty.readUntil("BMS>", 4000);
    QVERIFY2(after.contains("cancelled by sender"), after.toHex().constData());
    QVERIFY(sim.storedImage().isEmpty());
    // Back at the console, with nothing of the transfer left in the line.
    QVERIFY(pty.readFor(800).isEmpty());
    QVERIFY(pty.command("pwrsys").contains("Present Num"));
}

QTEST_GUILESS_MAIN(TestSimPty)
#include "tst_simpty.moc"
