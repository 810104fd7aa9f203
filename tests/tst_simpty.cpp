// The simulated BMS seen from outside: its pseudo-terminal opened with plain POSIX
// calls, commands written the way the program writes them, and every reply checked
// for what the program's parsers take out of it.

#include "bmssimulator.h"
#include "replyfield.h"
#include "simconsole.h"
#include "simfirmware.h"

#include <QtTest>

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

namespace {

const QByteArray kFrameEnd = "$$\r\r\nBMS>";

// One client on the slave side of the simulator's pseudo-terminal.
class PtyClient
{
public:
    explicit PtyClient(const QString& path)
    {
        m_fd = ::open(path.toLocal8Bit().constData(), O_RDWR | O_NOCTTY | O_NONBLOCK);
        if (m_fd >= 0) {
            termios t {};
            ::tcgetattr(m_fd, &t);
            ::cfmakeraw(&t);
            ::tcsetattr(m_fd, TCSANOW, &t);
        }
    }
    ~PtyClient() { close(); }
    PtyClient(const PtyClient&) = delete;
    PtyClient& operator=(const PtyClient&) = delete;

    bool isOpen() const { return m_fd >= 0; }
    int fd() const { return m_fd; }
    void close()
    {
        if (m_fd >= 0)
            ::close(m_fd);
        m_fd = -1;
    }

    void write(const QByteArray& bytes)
    {
        QVERIFY(::write(m_fd, bytes.constData(), size_t(bytes.size())) == bytes.size());
    }

    // Everything that arrives until marker has been seen (or the time is up).
    QByteArray readUntil(const QByteArray& marker, int timeoutMs = 3000)
    {
        QElapsedTimer t;
        t.start();
        while (!m_pending.contains(marker) && t.elapsed() < timeoutMs)
            pull(int(timeoutMs - t.elapsed()));
        const int at = m_pending.indexOf(marker);
        const int end = at < 0 ? m_pending.size() : at + marker.size();
        const QByteArray out = m_pending.left(end);
        m_pending.remove(0, end);
        return out;
    }

    // Everything that arrives within ms.
    QByteArray readFor(int ms)
    {
        QElapsedTimer t;
        t.start();
        while (t.elapsed() < ms)
            pull(int(ms - t.elapsed()));
        QByteArray out;
        out.swap(m_pending);
        return out;
    }

    // A command written as the program writes it; returns the framed reply from "@"
    // to the prompt after "$$".
    QByteArray command(const QByteArray& cmd)
    {
        write("\n" + cmd + "\n");
        const QByteArray all = readUntil("@" + cmd);
        m_pending.prepend(all.mid(all.indexOf('@')));
        return readUntil(kFrameEnd);
    }

    // The loader's announcement: framed, but no prompt follows it.
    QByteArray announce(const QByteArray& cmd)
    {
        write("\n" + cmd + "\n");
        return readUntil("$$\r\r\n");
    }

    int reads() const { return m_reads; }
    // Whether the last poll saw the other side gone.
    bool hungUp() const { return m_hungUp; }

private:
    void pull(int ms)
    {
        pollfd p {m_fd, POLLIN, 0};
        if (::poll(&p, 1, std::max(0, ms)) <= 0)
            return;
        if (p.revents & (POLLHUP | POLLERR | POLLNVAL))
            m_hungUp = true;
        char buf[4096];
        const ssize_t n = ::read(m_fd, buf, sizeof buf);
        if (n > 0) {
            m_pending.append(buf, int(n));
            ++m_reads;
        } else if (n <= 0 && errno != EAGAIN) {
            m_hungUp = true;
            QTest::qSleep(10);
        }
    }

    int m_fd = -1;
    QByteArray m_pending;
    int m_reads = 0;
    bool m_hungUp = false;
};

// The reply text as the program's parsers receive it: carriage returns removed.
QString text(const QByteArray& reply)
{
    return QString::fromLatin1(reply).remove(QLatin1Char('\r'));
}

// Every line end of a framed reply is CR CR LF.
bool crcrlf(const QByteArray& reply)
{
    for (int i = reply.indexOf('\n'); i >= 0; i = reply.indexOf('\n', i + 1))
        if (i < 2 || reply[i - 1] != '\r' || reply[i - 2] != '\r')
            return false;
    return true;
}

QStringList lines(const QString& s)
{
    return s.split(QLatin1Char('\n'));
}

SimOptions quick()
{
    SimOptions o;
    o.selfTestMs = 1500;
    o.rebootMs = 300;
    o.xmodemRetryMs = 400;
    return o;
}

QByteArray makePayload(int size, quint32 seed)
{
    QByteArray p(size, '\0');
    quint32 x = seed;
    for (int i = 0; i < size; ++i) {
        x = x * 1103515245u + 12345u;
        p[i] = char(x >> 16);
    }
    return p;
}

QString writeTemp(QTemporaryDir& dir, const QString& name, const QByteArray& bytes)
{
    QFile f(dir.filePath(name));
    if (!f.open(QIODevice::WriteOnly))
        return QString();
    f.write(bytes);
    return f.fileName();
}

// lrzsz's sx, with its standard input and output on the port, as an operator would
// run it from a shell.
struct SxRun {
    int exitCode = -1;
    QString log;
};

SxRun runSx(const QString& port, const QString& file, int killAfterMs = -1)
{
    QProcess sx;
    sx.setStandardInputFile(port);
    sx.setStandardOutputFile(port, QIODevice::Append);
    sx.start(QStringLiteral("/usr/bin/sx"), {file});
    SxRun run;
    if (!sx.waitForStarted(5000))
        return run;
    if (killAfterMs >= 0) {
        sx.waitForFinished(killAfterMs);
        if (sx.state() != QProcess::NotRunning)
            ::kill(pid_t(sx.processId()), SIGINT);
    }
    sx.waitForFinished(30000);
    run.exitCode = sx.exitStatus() == QProcess::NormalExit ? sx.exitCode() : -1;
    run.log = QString::fromLocal8Bit(sx.readAllStandardError());
    return run;
}

} // namespace

class TestSimPty : public QObject
{
    Q_OBJECT

private slots:
    void replyHoldsWhatParserNeeds_data();
    void replyHoldsWhatParserNeeds();
    void deviceErrors_data();
    void deviceErrors();
    void pagedEventList_data();
    void pagedEventList();
    void streamPace_data();
    void streamPace();
    void selfTestTakesItsTime();
    void chunkedRepliesCarrySameBytes();
    void lineFaults_data();
    void lineFaults();
    void modelActsFromAnyThread();
    void clientsComeAndGo();
    void stopRemovesThePort();
    void vanishingFault();
    void wakeLettersOverTheLine();
    void firmwareBySx_data();
    void firmwareBySx();
    void firmwareCallsLateEnough();
    void senderCancels_data();
    void senderCancels();
    void receiverFaults_data();
    void receiverFaults();
};

// ---------------------------------------------------------------------------------

void TestSimPty::replyHoldsWhatParserNeeds_data()
{
    QTest::addColumn<QByteArray>("cmd");
    QTest::addColumn<QString>("variant");

    QTest::newRow("pwrsys") << QByteArray("pwrsys") << "";
    QTest::newRow("pwr") << QByteArray("pwr") << "";
    QTest::newRow("pwr with DevType") << QByteArray("pwr") << "devtype";
    QTest::newRow("pwr N") << QByteArray("pwr 2") << "";
    QTest::newRow("bat N, 11 parts") << QByteArray("bat 2") << "";
    QTest::newRow("bat N, 10 parts") << QByteArray("bat 2") << "bat10";
    QTest::newRow("bat N, 15 cells") << QByteArray("bat 3") << "cells15";
    QTest::newRow("info N") << QByteArray("info 2") << "";
    QTest::newRow("info N, 15 cells") << QByteArray("info 2") << "cells15";
    QTest::newRow("info N, no barcode") << QByteArray("info 2") << "blank2";
    QTest::newRow("balance") << QByteArray("balance") << "";
    QTest::newRow("balance, one balancing") << QByteArray("balance") << "balancing2";
    QTest::newRow("ctrl") << QByteArray("ctrl") << "";
    QTest::newRow("ctrl cfet off") << QByteArray("ctrl cfet off") << "login";
    QTest::newRow("ctrl dfet on") << QByteArray("ctrl dfet on") << "login";
    QTest::newRow("config") << QByteArray("config") << "";
    QTest::newRow("config default") << QByteArray("config default") << "login";
    QTest::newRow("data") << QByteArray("data") << "";
    QTest::newRow("data event N") << QByteArray("data event 5") << "";
    QTest::newRow("datalist, HVRACK-7720-KM") << QByteArray("datalist event 0") << "kmframed";
    QTest::newRow("datalist, HVRACK-7720-KM, mask") << QByteArray("datalist event 0") << "kmframedmask";
    QTest::newRow("tbar") << QByteArray("tbar ABCD2024E0561234") << "login";
    QTest::newRow("tbar, leading blank") << QByteArray("tbar  BCD2024E0561234") << "login";
    QTest::newRow("login debug") << QByteArray("login debug") << "";
    QTest::newRow("logout") << QByteArray("logout") << "";
}

void TestSimPty::replyHoldsWhatParserNeeds()
{
    QFETCH(QByteArray, cmd);
    QFETCH(QString, variant);

    SimOptions o = quick();
    o.packs = 3;
    o.events = 23;
    o.pwrDevType = variant == QLatin1String("devtype");
    o.batLayout = variant == QLatin1String("bat10") ? 10 : 11;
    o.cells = variant == QLatin1String("cells15") ? 15 : 16;
    if (variant == QLatin1String("blank2"))
        o.blankBarcodes = {2};
    if (variant.startsWith(QLatin1String("kmframed"))) {
        o.model = QStringLiteral("HVRACK-7720-KM");
        o.eventMask = variant.endsWith(QLatin1String("mask"));
    }
    BmsSimulator sim(o);
    QVERIFY(sim.start());
    if (variant == QLatin1String("balancing2"))
        sim.access([](SimConsole& c) { c.device().pack(2).forceBalance = true; c.device().tick(); });
    PtyClient pty(sim.portPath());
    QVERIFY(pty.isOpen());
    if (variant == QLatin1String("login"))
        QVERIFY(pty.command("login debug").contains("Command completed successfully"));

    const QByteArray raw = pty.command(cmd);
    QVERIFY2(raw.startsWith("@" + cmd + "\r\r\n"), raw.constData());
    QVERIFY(raw.endsWith(kFrameEnd));
    QVERIFY(crcrlf(raw));
    const QString reply = text(raw);
    QVERIFY2(reply.contains(QLatin1String("Command completed successfully\n$$")), qPrintable(reply));
    // The program tells "data" from "data event" and "datalist" by the line end, and
    // "ctrl" and "config" from their longer forms the same way.
    if (cmd != "data")
        QVERIFY(!reply.contains(QLatin1String("data\n")));
    if (cmd != "ctrl")
        QVERIFY(!reply.contains(QLatin1String("ctrl\n")));
    if (cmd != "config")
        QVERIFY(!reply.contains(QLatin1String("config\n")));

    const int cells = o.cells;
    if (cmd == "pwrsys") {
        QVERIFY(reply.contains(QLatin1String("System is discharging")));
        QCOMPARE(ReplyField::text(reply, QStringLiteral("Present Num")), QStringLiteral("3"));
        const int volt = ReplyField::toInt(reply, QStringLiteral("System Volt"), QStringLiteral("mV"));
        QVERIFY(volt > 45000 && volt < 58000);
        QVERIFY(ReplyField::toInt(reply, QStringLiteral("System Curr"), QStringLiteral("mA")) < -10000);
        const int soc = ReplyField::toInt(reply, QStringLiteral("System SOC"), QStringLiteral("%"));
        QVERIFY(soc > 0 && soc <= 100);
        const int soh = ReplyField::toInt(reply, QStringLiteral("System SOH"), QStringLiteral("%"));
        QVERIFY(soh > 0 && soh <= 100);
    } else if (cmd == "pwr") {
        QVERIFY(reply.contains(QLatin1String("B.T.St")));
        QCOMPARE(reply.contains(QLatin1String("DevType")), o.pwrDevType);
        const QString key = o.pwrDevType ? QStringLiteral("DevType") : QStringLiteral("B.T.St");
        const int from = reply.indexOf(key) + key.size();
        const QStringList rows = lines(reply.mid(from, reply.indexOf(QLatin1String("Command completed successfully")) - from).trimmed());
        QCOMPARE(rows.size(), 3);
        for (int i = 0; i < rows.size(); ++i) {
            const QStringList parts = ReplyField::columns(rows[i]);
            QCOMPARE(parts.size(), o.pwrDevType ? 18 : 17);
            QCOMPARE(parts[0], QString::number(i + 1));
            QVERIFY(parts[12].endsWith(QLatin1Char('%')));
            QVERIFY(QDateTime::fromString(parts[13] + QLatin1Char(' ') + parts[14], QStringLiteral("yyyy-MM-dd HH:mm:ss")).isValid());
            QCOMPARE(parts[8], QStringLiteral("Dischg"));
            QCOMPARE(parts[9], QStringLiteral("Normal"));
        }
    } else if (cmd == "pwr 2") {
        QVERIFY(ReplyField::hasAll(reply, {QStringLiteral("Temperature"), QStringLiteral("Coulomb"), QStringLiteral("Total Coulomb"),
                                           QStringLiteral("Real Coulomb"), QStringLiteral("Basic Status"), QStringLiteral("System Fault")}));
        QVERIFY(ReplyField::toInt(reply, QStringLiteral("Current"), QStringLiteral("mA")) < -4000);
        const int temp = ReplyField::toInt(reply, QStringLiteral("Temperature"), QStringLiteral("mC"));
        QVERIFY(temp > 15000 && temp < 40000);
        const int soc = ReplyField::toInt(reply, QStringLiteral("Coulomb"), QStringLiteral("%"));
        QVERIFY(soc > 0 && soc <= 100);
        const double total = ReplyField::toDouble(reply, QStringLiteral("Total Coulomb"), QStringLiteral("mAH"));
        const double real = ReplyField::toDouble(reply, QStringLiteral("Real Coulomb"), QStringLiteral("mAH"));
        QVERIFY(real > 0.9 * total && real <= total);
        QCOMPARE(ReplyField::text(reply, QStringLiteral("Basic Status")), QStringLiteral("Dischg"));
        QCOMPARE(ReplyField::text(reply, QStringLiteral("System Fault")), QStringLiteral("Normal"));
    } else if (cmd.startsWith("bat ")) {
        QString rest = reply.mid(reply.indexOf(QLatin1String("Coulomb")));
        const QString body = rest.mid(rest.indexOf(QLatin1Char('0')), rest.indexOf(QLatin1String("Command completed")) - rest.indexOf(QLatin1Char('0'))).trimmed();
        const QStringList rows = lines(body);
        QCOMPARE(rows.size(), cells);
        for (int i = 0; i < rows.size(); ++i) {
            const QStringList parts = ReplyField::trimmedColumns(rows[i]);
            QCOMPARE(parts.size(), o.batLayout);
            QCOMPARE(parts[0], QString::number(i));
            const int mv = parts[1].toInt();
            QVERIFY2(mv > 3000 && mv < 3500, qPrintable(rows[i]));
            const int tempCol = o.batLayout == 11 ? 3 : 2;
            QVERIFY(parts[tempCol].toInt() > 15000 && parts[tempCol].toInt() < 40000);
            QVERIFY(parts[o.batLayout - 3].endsWith(QLatin1Char('%')));
            QVERIFY(parts[o.batLayout - 2].toInt() > 1000);
            QCOMPARE(parts.last(), QStringLiteral("mAH"));
        }
    } else if (cmd == "info 2") {
        QVERIFY(ReplyField::hasAll(reply, {QStringLiteral("Device address"), QStringLiteral("Boot"), QStringLiteral("Barcode"),
                                           QStringLiteral("Specification"), QStringLiteral("Main Soft version"), QStringLiteral("Comm version"),
                                           QStringLiteral("Max Charge Curr"), QStringLiteral("Release Date"), QStringLiteral("Cell Number")}));
        QCOMPARE(ReplyField::text(reply, QStringLiteral("Device address")), QStringLiteral("2"));
        QCOMPARE(ReplyField::text(reply, QStringLiteral("Device name")), o.model);
        QCOMPARE(ReplyField::toInt(reply, QStringLiteral("Cell Number")), cells);
        QCOMPARE(ReplyField::text(reply, QStringLiteral("Boot version")), QStringLiteral("V1.0.2"));
        const QString barcode = ReplyField::text(reply, QStringLiteral("Barcode"));
        QCOMPARE(barcode.size(), variant == QLatin1String("blank2") ? 0 : 16);
    } else if (cmd == "balance") {
        const int first = reply.indexOf(QLatin1Char('1'));
        QVERIFY(reply.left(first).count(QLatin1Char('\n')) >= 1);
        const QStringList rows = lines(reply.mid(first, reply.indexOf(QLatin1String("Command completed successfully")) - first).trimmed());
        QCOMPARE(rows.size(), 3);
        QStringList states;
        for (const QString& r : rows)
            states << ReplyField::trimmedColumns(r).value(1);
        QCOMPARE(states, variant == QLatin1String("balancing2") ? QStringList({"0", "1", "0"}) : QStringList({"0", "0", "0"}));
    } else if (cmd == "ctrl") {
        QCOMPARE(ReplyField::text(reply, QStringLiteral("CFET")), QStringLiteral("ON"));
        QCOMPARE(ReplyField::text(reply, QStringLiteral("DFET")), QStringLiteral("ON"));
    } else if (cmd == "ctrl cfet off") {
        QCOMPARE(ReplyField::text(text(pty.command("ctrl")), QStringLiteral("CFET")), QStringLiteral("OFF"));
    } else if (cmd == "config") {
        const int o1 = reply.indexOf(QLatin1String("Over Voltage"));
        const int s = reply.indexOf(QLatin1String("Shut time"));
        const QStringList section = lines(reply.mid(o1 - 1, s - o1).trimmed());
        QVERIFY(section.size() > 40);
        for (const QString& line : section) {
            const QStringList values = line.mid(line.indexOf(QLatin1Char(':')) + 1).trimmed().split(QRegularExpression(QStringLiteral("\\s+")));
            QVERIFY2(values.size() == 2 || values.size() == 3, qPrintable(line));
        }
        QVERIFY(section.first().startsWith(QLatin1String("Over Voltage Alarm")));
        QVERIFY(reply.mid(s).count(QLatin1Char('\n')) > 2);
    } else if (cmd == "data") {
        QCOMPARE(ReplyField::toInt(reply, QStringLiteral("Data Number")), 23);
    } else if (cmd == "data event 5") {
        QCOMPARE(ReplyField::text(reply, QStringLiteral("Item")), QStringLiteral("5"));
        QVERIFY(reply.contains(QLatin1String("data event ")));
    } else if (cmd == "datalist event 0") {
        QCOMPARE(reply.contains(QLatin1String("mask")), o.eventMask);
        const int from = reply.indexOf(QLatin1String("Events")) + 6;
        const QStringList rows = lines(reply.mid(from, reply.indexOf(QLatin1String("Command completed successfully")) - from).trimmed());
        QCOMPARE(rows.size(), 23);
        for (int i = 0; i < rows.size(); ++i) {
            const QStringList tokens = rows[i].trimmed().split(QRegularExpression(QStringLiteral("\\s+")));
            QVERIFY(tokens.size() > (o.eventMask ? 16 : 15));
            QCOMPARE(tokens[0], QString::number(i + 1));
            QVERIFY(tokens[o.eventMask ? 15 : 14].endsWith(QLatin1Char('%')));
        }
    } else if (cmd.startsWith("tbar ")) {
        QVERIFY(reply.contains(QLatin1String("Test result:pass")));
        const QString barcode = QString::fromLatin1(cmd.mid(5));
        QCOMPARE(sim.lastBarcode(), barcode);
        // The bare "info " the program sends next shows the new barcode.
        const QString info = text(pty.command("info "));
        QCOMPARE(ReplyField::text(info, QStringLiteral("Barcode")), barcode.trimmed());
        QVERIFY(info.contains(QStringLiteral("Barcode").leftJustified(24) + QLatin1String(" : ") + barcode));
    }
}

void TestSimPty::deviceErrors_data()
{
    QTest::addColumn<QByteArray>("cmd");
    QTest::addColumn<bool>("balanceModel");
    QTest::addColumn<QString>("error");

    const QString unknown = QStringLiteral("Unknown command");
    const QString invalid = QStringLiteral("Invalid command or fail to excute.");
    const QString absent = QStringLiteral("Target device is not present");
    QTest::newRow("unknown word") << QByteArray("pwrsts") << true << unknown;
    QTest::newRow("upper case") << QByteArray("PWRSYS") << true << unknown;
    QTest::newRow("balance without support") << QByteArray("balance") << false << unknown;
    QTest::newRow("pack beyond the system") << QByteArray("pwr 5") << true << absent;
    QTest::newRow("cells of an absent pack") << QByteArray("bat 16") << true << absent;
    QTest::newRow("info of an absent pack") << QByteArray("info 9") << true << absent;
    QTest::newRow("stream of an absent pack") << QByteArray("disp pwrs 4") << true << absent;
    QTest::newRow("pack 0") << QByteArray("pwr 0") << true << invalid;
    QTest::newRow("pack 17") << QByteArray("info 17") << true << invalid;
    QTest::newRow("pack not a number") << QByteArray("bat x") << true << invalid;
    QTest::newRow("switch word") << QByteArray("ctrl cfet maybe") << true << invalid;
    QTest::newRow("switch without login") << QByteArray("ctrl dfet off") << true << invalid;
    QTest::newRow("barcode without login") << QByteArray("tbar ABCD2024E0561234") << true << invalid;
    QTest::newRow("defaults without login") << QByteArray("config default") << true << invalid;
    QTest::newRow("event beyond the history") << QByteArray("data event 999") << true << invalid;
    QTest::newRow("login as somebody else") << QByteArray("login root") << true << invalid;
}

void TestSimPty::deviceErrors()
{
    QFETCH(QByteArray, cmd);
    QFETCH(bool, balanceModel);
    QFETCH(QString, error);

    SimOptions o = quick();
    o.balance = balanceModel;
    BmsSimulator sim(o);
    QVERIFY(sim.start());
    PtyClient pty(sim.portPath());
    const QByteArray raw = pty.command(cmd);
    QVERIFY(raw.endsWith(kFrameEnd));
    const QString reply = text(raw);
    QVERIFY2(reply.contains(error + QLatin1String("\n$$")), qPrintable(reply));
    QVERIFY(!reply.contains(QLatin1String("Command completed successfully")));
    // The session goes on as before.
    QVERIFY(pty.command("ctrl").contains("Command completed successfully"));
}

void TestSimPty::pagedEventList_data()
{
    QTest::addColumn<QByteArray>("enter");
    QTest::addColumn<bool>("mask");

    QTest::newRow("CR, as the program pages") << QByteArray("\r") << false;
    QTest::newRow("CR LF from a terminal") << QByteArray("\r\n") << false;
    QTest::newRow("LF") << QByteArray("\n") << false;
    QTest::newRow("CR, mask column") << QByteArray("\r") << true;
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
    const QByteArray press = "Press [Enter] to be continued,other key to exit";

    pty.write("\ndatalist event 0\n");
    QStringList pages;
    pages << text(pty.readUntil(press));
    pty.write(enter);
    pages << text(pty.readUntil(press));
    pty.write(enter);
    pages << text(pty.readUntil("Command completed successfully\r\r\nBMS>"));
    // The listing is not framed: the program takes it after the line goes quiet.
    for (const QString& page : pages)
        QVERIFY(!page.contains(QLatin1Char('@')) && !page.contains(QLatin1String("$$")));

    QVERIFY(pages[0].contains(QLatin1String("datalist event 0\n")));
    QCOMPARE(pages[0].contains(QLatin1String("mask")), mask);
    QVERIFY(pages[0].contains(QLatin1String("Item")));
    QVERIFY(!pages[1].contains(QLatin1String("Item")) && !pages[2].contains(QLatin1String("Item")));

    // Rows: page one after "Events", the others before their closing words.
    QStringList items;
    const QStringList bodies = {
        pages[0].mid(pages[0].indexOf(QLatin1String("Events")) + 6, pages[0].indexOf(QString::fromLatin1(press)) - pages[0].indexOf(QLatin1String("Events")) - 6),
        pages[1].left(pages[1].indexOf(QString::fromLatin1(press))),
        pages[2].left(pages[2].indexOf(QLatin1String("Command completed successfully"))),
    };
    QList<int> perPage;
    for (const QString& body : bodies) {
        int n = 0;
        for (const QString& line : lines(body.trimmed())) {
            const QStringList tokens = line.trimmed().split(QRegularExpression(QStringLiteral("\\s+")));
            if (tokens.size() >= (mask ? 16 : 15)) {
                items << tokens[0];
                ++n;
            }
        }
        perPage << n;
    }
    QCOMPARE(perPage, QList<int>({10, 10, 5}));
    QStringList expected;
    for (int i = 1; i <= 25; ++i)
        expected << QString::number(i);
    QCOMPARE(items, expected);

    // Nothing more comes, and the console reads commands again.
    QVERIFY(pty.readFor(300).isEmpty());
    QVERIFY(pty.command("data").contains("25"));

    // Any other key leaves a listing half-way.
    pty.write("\ndatalist event 0\n");
    pty.readUntil(press);
    pty.write("q");
    QVERIFY(pty.readFor(300).endsWith("BMS>"));
    QVERIFY(pty.command("ctrl").contains("CFET"));
}

void TestSimPty::streamPace_data()
{
    QTest::addColumn<int>("fields");
    QTest::addColumn<QString>("timeFormat");

    QTest::newRow("16 fields") << 16 << "yy-MM-dd HH:mm:ss";
    QTest::newRow("17 fields") << 17 << "yyyy-MM-dd HH:mm:ss";
}

void TestSimPty::streamPace()
{
    QFETCH(int, fields);
    QFETCH(QString, timeFormat);

    SimOptions o = quick();
    o.dispFields = fields;
    BmsSimulator sim(o);
    QVERIFY(sim.start());
    PtyClient pty(sim.portPath());

    QElapsedTimer clock;
    clock.start();
    pty.write("\ndisp pwrs 2\n");
    const QString first = text(pty.readUntil("Command completed successfully\r\r\n"));
    QVERIFY(first.contains(QLatin1String("disp pwrs 2\n")));
    QVERIFY(first.contains(QLatin1String("ID")) && first.contains(QLatin1String("Coul(mAH)")));
    QVERIFY(!first.contains(QLatin1Char('@')));

    struct Row { qint64 at; QStringList f; };
    QList<Row> rows;
    const QString afterHeader = first.mid(first.indexOf(QLatin1String("Coul(mAH)")) + 9).trimmed();
    rows << Row {clock.elapsed(), lines(afterHeader).first().split(QRegularExpression(QStringLiteral("\\s+")))};
    while (rows.size() < 4) {
        const QByteArray line = pty.readUntil("\r\r\n", 2500);
        QVERIFY2(line.endsWith("\r\r\n"), "the stream stopped");
        rows << Row {clock.elapsed(), text(line).trimmed().split(QRegularExpression(QStringLiteral("\\s+")))};
    }
    for (int i = 0; i < rows.size(); ++i) {
        const QStringList& f = rows[i].f;
        QCOMPARE(f.size(), fields);
        QCOMPARE(f[0], QString::number(i + 1));
        const QDateTime t = QDateTime::fromString(f[1] + QLatin1Char(' ') + f[2], timeFormat);
        QVERIFY2(t.isValid(), qPrintable(f.join(QLatin1Char(' '))));
        const int volt = f[3].toInt();
        QVERIFY(volt > 45000 && volt < 58000);
        const int current = f[fields == 16 ? 4 : 5].toInt();
        QVERIFY(current < -4000 && current > -9000);
        QVERIFY(f[fields - 2].endsWith(QLatin1Char('%')));
        QVERIFY(f[fields - 1].toInt() > 1000);
        if (i > 0) {
            const qint64 gap = rows[i].at - rows[i - 1].at;
            QVERIFY2(gap > 800 && gap < 1250, qPrintable(QStringLiteral("row %1 came after %2 ms").arg(i + 1).arg(gap)));
        }
    }

    const QByteArray stop = pty.command("disp 0");
    QVERIFY(stop.contains("Command completed successfully"));
    QVERIFY(pty.readFor(1100).isEmpty());
}

void TestSimPty::selfTestTakesItsTime()
{
    SimOptions o = quick();
    o.selfTestMs = 1200;
    BmsSimulator sim(o);
    QVERIFY(sim.start());
    PtyClient pty(sim.portPath());
    QElapsedTimer clock;
    clock.start();
    pty.write("\ntall\n");
    const QByteArray reply = pty.readUntil(kFrameEnd);
    QVERIFY(clock.elapsed() >= 1100);
    QVERIFY(reply.contains("@tall\r\r\n"));
    QVERIFY(reply.contains("Command completed successfully\r\r\n$$"));
}

void TestSimPty::chunkedRepliesCarrySameBytes()
{
    // No sample falls inside the session, so both devices say exactly the same.
    SimOptions o = quick();
    o.sampleMs = 600000;
    o.seed = 11;
    const QList<QByteArray> commands = {"pwrsys", "pwr", "bat 1", "info 2", "config", "data event 3", "balance", "ctrl"};

    auto session = [&](bool chunk, int* reads) {
        SimOptions so = o;
        so.faults.chunk = chunk;
        so.faults.chunkGapMs = 5;
        BmsSimulator sim(so);
        if (!sim.start())
            return QByteArray();
        PtyClient pty(sim.portPath());
        QByteArray all;
        for (const QByteArray& c : commands)
            all += pty.command(c);
        *reads = pty.reads();
        return all;
    };
    int plainReads = 0;
    int chunkReads = 0;
    const QByteArray plain = session(false, &plainReads);
    const QByteArray chunked = session(true, &chunkReads);
    QCOMPARE(plain.count("Command completed successfully"), commands.size());
    QCOMPARE(chunked, plain);
    QVERIFY2(chunkReads > plainReads + commands.size(),
             qPrintable(QStringLiteral("%1 reads chunked, %2 plain").arg(chunkReads).arg(plainReads)));
}

void TestSimPty::lineFaults_data()
{
    QTest::addColumn<QString>("fault");

    QTest::newRow("garbage") << "garbage";
    QTest::newRow("lost $$") << "lose";
    QTest::newRow("silence") << "silence";
    QTest::newRow("latency") << "latency";
}

void TestSimPty::lineFaults()
{
    QFETCH(QString, fault);

    BmsSimulator sim(quick());
    QVERIFY(sim.start());
    PtyClient pty(sim.portPath());
    QVERIFY(pty.command("ctrl").contains("CFET"));

    SimFaults f;
    f.garbage = fault == QLatin1String("garbage") ? 1.0 : 0.0;
    f.loseFrameEnd = fault == QLatin1String("lose") ? 1.0 : 0.0;
    f.silence = fault == QLatin1String("silence") ? 1.0 : 0.0;
    f.latencyMs = fault == QLatin1String("latency") ? 600 : 0;
    sim.setFaults(f);

    pty.write("\nctrl\n");
    QByteArray early;
    QByteArray all;
    if (fault == QLatin1String("silence")) {
        all = pty.readFor(600);
    } else if (fault == QLatin1String("lose")) {
        all = pty.readUntil("Command completed successfully\r\r\n");
        all += pty.readFor(200);
    } else if (fault == QLatin1String("latency")) {
        early = pty.readFor(400);
        all = early + pty.readUntil(kFrameEnd);
    } else {
        all = pty.readUntil(kFrameEnd);
    }
    if (fault == QLatin1String("garbage")) {
        QVERIFY(all.contains("@ctrl\r\r\n"));
        QVERIFY(all.contains(kFrameEnd));
        // Noise comes before each reply, never inside the frame.
        const QByteArray before = all.left(all.indexOf('@'));
        QVERIFY2(before.size() > QByteArray("\r\r\nBMS>").size(), before.toHex().constData());
        QVERIFY(all.mid(all.indexOf('@')).startsWith("@ctrl\r\r\nCFET"));
    } else if (fault == QLatin1String("lose")) {
        QVERIFY(all.contains("Command completed successfully\r\r\n"));
        QVERIFY(!all.contains("$$"));
    } else if (fault == QLatin1String("silence")) {
        QVERIFY(all.isEmpty());
    } else {
        QVERIFY(early.isEmpty());
        QVERIFY(all.contains(kFrameEnd));
    }

    sim.setFaults(SimFaults());
    QVERIFY(pty.command("ctrl").endsWith(kFrameEnd));
}

void TestSimPty::modelActsFromAnyThread()
{
    SimOptions o = quick();
    o.sampleMs = 100; // the actions must not wait for a sample to show
    BmsSimulator sim(o);
    QVERIFY(sim.start());
    PtyClient pty(sim.portPath());

    sim.setSoc(2, 42);
    sim.setCurrent(2, 0);
    QTest::qWait(250);
    QCOMPARE(ReplyField::toInt(text(pty.command("pwr 2")), QStringLiteral("Coulomb"), QStringLiteral("%")), 42);
    sim.raiseAlarm(3, SimDevice::OverTemperature);
    const QString pwr3 = text(pty.command("pwr 3"));
    QVERIFY(ReplyField::toInt(pwr3, QStringLiteral("Temperature"), QStringLiteral("mC")) > 55000);
    QCOMPARE(ReplyField::text(pwr3, QStringLiteral("Tmpr Status")), QStringLiteral("HTemp"));
    sim.raiseAlarm(1, SimDevice::SystemFault);
    QVERIFY(text(pty.command("pwrsys")).contains(QLatin1String("System is error\n")));
    QCOMPARE(ReplyField::text(text(pty.command("pwr 1")), QStringLiteral("System Fault")), QStringLiteral("Sensor fault"));
    sim.clearAlarms(1);
    QVERIFY(!text(pty.command("pwrsys")).contains(QLatin1String("System is error")));
}

void TestSimPty::clientsComeAndGo()
{
    BmsSimulator sim(quick());
    QVERIFY(sim.start());
    QSignalSpy gone(&sim, &BmsSimulator::clientGone);
    for (int round = 0; round < 4; ++round) {
        {
            PtyClient pty(sim.portPath());
            QVERIFY(pty.isOpen());
            QVERIFY2(pty.command("pwrsys").contains("Present Num"), qPrintable(QString::number(round)));
        }
        QTRY_COMPARE(gone.count(), round + 1);
    }

    // A reply left unread when the client went away does not greet the next one.
    {
        PtyClient pty(sim.portPath());
        pty.write("\nconfig\n");
        QTest::qWait(200);
    }
    QTRY_COMPARE(gone.count(), 5);
    PtyClient next(sim.portPath());
    QVERIFY(next.readFor(300).isEmpty());
    QVERIFY(next.command("ctrl").contains("CFET"));
}

void TestSimPty::stopRemovesThePort()
{
    BmsSimulator sim(quick());
    QVERIFY(sim.start());
    const QString path = sim.portPath();
    QVERIFY(QFile::exists(path));
    PtyClient pty(path);
    QVERIFY(pty.command("ctrl").contains("CFET"));
    QSignalSpy gone(&sim, &BmsSimulator::portGone);
    sim.stop();
    QVERIFY(!sim.isRunning());
    QVERIFY(!QFile::exists(path));
    QVERIFY(sim.portPath().isEmpty());
    QTRY_COMPARE(gone.count(), 1);
    // The client's end is dead: it reads a hang-up, not data.
    pty.readFor(100);
    QVERIFY(pty.hungUp());

    // Started again it serves a new port.
    QVERIFY(sim.start());
    PtyClient again(sim.portPath());
    QVERIFY(again.command("ctrl").contains("CFET"));
}

void TestSimPty::vanishingFault()
{
    SimOptions o = quick();
    o.faults.vanishAfterMs = 400;
    BmsSimulator sim(o);
    QSignalSpy gone(&sim, &BmsSimulator::portGone);
    QVERIFY(sim.start());
    const QString path = sim.portPath();
    PtyClient pty(path);
    QVERIFY(pty.command("ctrl").contains("CFET"));
    QTRY_COMPARE(gone.count(), 1);
    QVERIFY(!QFile::exists(path));
    QVERIFY(!sim.isRunning());
}

void TestSimPty::wakeLettersOverTheLine()
{
    BmsSimulator sim(quick());
    QVERIFY(sim.start());
    PtyClient pty(sim.portPath());
    for (const char* letter : {"D", "L", "G"}) {
        pty.write(letter);
        QTest::qSleep(10);
    }
    QVERIFY(pty.readUntil("BMS>", 1000).contains("Updata is ready!"));
}

void TestSimPty::firmwareBySx_data()
{
    QTest::addColumn<QByteArray>("command");
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QByteArray>("bootText");
    QTest::addColumn<bool>("stored");

    QTest::newRow("pack image") << QByteArray("updata")
                                << SimFirmware::build(SimFirmware::Pack, 2, 5, 0, makePayload(5000, 1))
                                << QByteArray("SYS Init Over") << true;
    QTest::newRow("image of whole blocks") << QByteArray("updata")
                                           << SimFirmware::build(SimFirmware::Pack, 2, 6, 0, makePayload(1024 - 16, 2))
                                           << QByteArray("System run") << true;
    QTest::newRow("hub image") << QByteArray("updata")
                               << SimFirmware::build(SimFirmware::Hub, 1, 4, 0, makePayload(700, 3))
                               << QByteArray("IBCCAN") << true;
    QTest::newRow("boot program") << QByteArray("uboot")
                                  << SimFirmware::build(SimFirmware::Boot, 1, 1, 0, makePayload(900, 4))
                                  << QByteArray("System run") << true;
    QTest::newRow("raw binary") << QByteArray("updata") << makePayload(1500, 5)
                                << QByteArray("Version without head") << false;
    QTest::newRow("boot image by updata") << QByteArray("updata")
                                          << SimFirmware::build(SimFirmware::Boot, 1, 1, 0, makePayload(900, 6))
                                          << QByteArray("Version invalid") << false;
}

void TestSimPty::firmwareBySx()
{
    QFETCH(QByteArray, command);
    QFETCH(QByteArray, file);
    QFETCH(QByteArray, bootText);
    QFETCH(bool, stored);

    QTemporaryDir dir;
    const QString path = writeTemp(dir, QStringLiteral("fw.bin"), file);
    QVERIFY(!path.isEmpty());
    BmsSimulator sim(quick());
    QVERIFY(sim.start());
    PtyClient pty(sim.portPath());
    const QByteArray announce = pty.announce(command);
    QVERIFY(announce.contains("@" + command + "\r\r\n"));
    QVERIFY(announce.contains("Xmodem"));

    const SxRun run = runSx(sim.portPath(), path);
    QVERIFY2(run.exitCode == 0, qPrintable(run.log));

    // What crossed the line: the file, padded to whole blocks with 0x1A.
    QByteArray padded = file;
    padded.append(QByteArray((128 - file.size() % 128) % 128, char(0x1A)));
    QCOMPARE(sim.receivedFile().size(), padded.size());
    QVERIFY(sim.receivedFile() == padded);

    const QByteArray after = pty.readUntil("BMS>", 3000);
    QVERIFY2(after.contains(bootText), after.constData());
    if (!stored) {
        QVERIFY(!after.contains("System run"));
        QVERIFY(sim.storedImage().isEmpty());
        return;
    }
    QVERIFY(!after.contains("invalid") && !after.contains("without head"));
    QCOMPARE(sim.storedImage().size(), file.size());
    QVERIFY(sim.storedImage() == file);
    // The device came back with the new version.
    const QString info = text(pty.command("info 1"));
    const QString version = QStringLiteral("V%1.%2.%3").arg(int(file[5])).arg(int(file[6])).arg(int(file[7]));
    if (file[4] == 'P')
        QCOMPARE(ReplyField::text(info, QStringLiteral("Main Soft version")), version);
    else if (file[4] == 'B')
        QCOMPARE(ReplyField::text(info, QStringLiteral("Boot version")), version);
}

void TestSimPty::firmwareCallsLateEnough()
{
    // The program diverts a control byte only when it leads a burst, so the first NAK
    // must come well after the text that announces the transfer.
    SimOptions o = quick();
    o.xmodemRetryMs = SimOptions().xmodemRetryMs;
    BmsSimulator sim(o);
    QVERIFY(sim.start());
    PtyClient pty(sim.portPath());
    QElapsedTimer clock;
    pty.announce("updata");
    clock.start();
    const QByteArray first = pty.readUntil(QByteArray(1, 0x15), 3000);
    QCOMPARE(first, QByteArray(1, 0x15));
    QVERIFY(clock.elapsed() >= 700);
    const QByteArray second = pty.readUntil(QByteArray(1, 0x15), 3000);
    QCOMPARE(second, QByteArray(1, 0x15));
}

void TestSimPty::senderCancels_data()
{
    QTest::addColumn<bool>("useSx");

    QTest::newRow("sx interrupted") << true;
    QTest::newRow("one CAN, as the program cancels") << false;
}

void TestSimPty::senderCancels()
{
    QFETCH(bool, useSx);

    SimOptions o = quick();
    // A slow line, so that sx is still sending when it is interrupted.
    o.faults.latencyMs = useSx ? 10 : 0;
    BmsSimulator sim(o);
    QVERIFY(sim.start());
    PtyClient pty(sim.portPath());
    pty.announce("updata");
    if (useSx) {
        QTemporaryDir dir;
        const QString path = writeTemp(dir, QStringLiteral("big.bin"),
                                       SimFirmware::build(SimFirmware::Pack, 2, 0, 0, makePayload(200000, 9)));
        const SxRun run = runSx(sim.portPath(), path, 1800);
        QVERIFY(run.exitCode != 0);
        QVERIFY(sim.receivedFile().isEmpty());
    } else {
        QCOMPARE(pty.readUntil(QByteArray(1, 0x15), 3000), QByteArray(1, 0x15));
        QByteArray block(128, 'x');
        quint8 sum = 0;
        for (char b : block)
            sum = quint8(sum + quint8(b));
        pty.write(QByteArray("\x01\x01\xfe", 3) + block + QByteArray(1, char(sum)));
        QCOMPARE(pty.readUntil(QByteArray(1, 0x06), 2000), QByteArray(1, 0x06));
        pty.write(QByteArray(1, 0x18));
    }
    // sx may flush half a block after its CANs, and then the receiver learns it from
    // the silence that follows. When sx's own terminal reset discards the CANs before
    // they are read, the receiver is left asking with NAK, as on a real line, until
    // a CAN comes.
    QByteArray after = pty.readUntil("BMS>", 4000);
    if (useSx && !after.contains("cancelled by sender")) {
        QVERIFY2(after.contains(char(0x15)), after.toHex().constData());
        QVERIFY(sim.storedImage().isEmpty());
        pty.write(QByteArray(1, 0x18));
        after = pty.readUntil("BMS>", 2000);
    }
    QVERIFY2(after.contains("cancelled by sender"), after.toHex().constData());
    QVERIFY(sim.storedImage().isEmpty());
    // Back at the console, with nothing of the transfer left in the line.
    QVERIFY(pty.readFor(800).isEmpty());
    QVERIFY(pty.command("pwrsys").contains("Present Num"));
}

void TestSimPty::receiverFaults_data()
{
    QTest::addColumn<double>("nak");
    QTest::addColumn<int>("cancelAfter");
    QTest::addColumn<bool>("succeeds");

    QTest::newRow("NAK for every third block") << 0.33 << -1 << true;
    QTest::newRow("CAN after 5 blocks") << 0.0 << 5 << false;
}

void TestSimPty::receiverFaults()
{
    QFETCH(double, nak);
    QFETCH(int, cancelAfter);
    QFETCH(bool, succeeds);

    QTemporaryDir dir;
    const QByteArray file = SimFirmware::build(SimFirmware::Pack, 3, 1, 0, makePayload(3000, 7));
    const QString path = writeTemp(dir, QStringLiteral("fw.bin"), file);
    SimOptions o = quick();
    o.faults.xmodemNak = nak;
    o.faults.xmodemCancelAfter = cancelAfter;
    BmsSimulator sim(o);
    QVERIFY(sim.start());
    PtyClient pty(sim.portPath());
    pty.announce("updata");
    const SxRun run = runSx(sim.portPath(), path);
    QCOMPARE(run.exitCode == 0, succeeds);
    const QByteArray after = pty.readUntil("BMS>", 3000);
    if (succeeds) {
        QVERIFY(after.contains("SYS Init Over"));
        QVERIFY(sim.storedImage() == file);
    } else {
        QVERIFY(after.contains("cancelled by receiver"));
        QVERIFY(sim.storedImage().isEmpty());
    }
}

QTEST_GUILESS_MAIN(TestSimPty)
#include "tst_simpty.moc"
