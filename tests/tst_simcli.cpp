// cellvue-sim as a technician runs it: the port path on the first line, a session
// that one seed always repeats, a clean end, and a plain refusal of bad options.

#include "simfirmware.h"

#include <QtTest>

#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

namespace {

QString simBinary()
{
    return qEnvironmentVariable("CELLVUE_SIM_BIN");
}

// Starts the program and returns the port path from its first line.
QString startSim(QProcess& sim, const QStringList& args)
{
    sim.start(simBinary(), args);
    if (!sim.waitForStarted(5000))
        return QString();
    for (int i = 0; i < 50 && !sim.canReadLine(); ++i)
        sim.waitForReadyRead(100);
    return QString::fromLocal8Bit(sim.readLine()).trimmed();
}

int openRaw(const QString& path)
{
    const int fd = ::open(path.toLocal8Bit().constData(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (fd >= 0) {
        termios t {};
        ::tcgetattr(fd, &t);
        ::cfmakeraw(&t);
        ::tcsetattr(fd, TCSANOW, &t);
    }
    return fd;
}

// Writes one command the way the program does and reads up to the prompt after "$$".
QByteArray ask(int fd, const QByteArray& cmd)
{
    const QByteArray out = "\n" + cmd + "\n";
    if (::write(fd, out.constData(), size_t(out.size())) != out.size())
        return QByteArray();
    QByteArray in;
    QElapsedTimer t;
    t.start();
    while (!in.contains("$$\r\r\nBMS>") && t.elapsed() < 3000) {
        pollfd p {fd, POLLIN, 0};
        if (::poll(&p, 1, 100) > 0) {
            char buf[4096];
            const ssize_t n = ::read(fd, buf, sizeof buf);
            if (n > 0)
                in.append(buf, int(n));
        }
    }
    return in;
}

QByteArray transcript(quint32 seed)
{
    QProcess sim;
    const QString path = startSim(sim, {"--seed", QString::number(seed), "--packs", "4", "--sample-ms", "600000",
                                        "--model", "HVRACK-7720-KM", "--event-mask"});
    const int fd = openRaw(path);
    if (fd < 0)
        return QByteArray();
    QByteArray all;
    for (const char* cmd : {"pwrsys", "pwr", "info 3", "bat 2", "balance", "data", "datalist event 0", "data event 4"})
        all += ask(fd, cmd);
    ::close(fd);
    sim.terminate();
    sim.waitForFinished(5000);
    return all;
}

} // namespace

class TestSimCli : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void firstLineIsThePort();
    void sameSeedSameSession();
    void endsWhenTheClientHangsUp();
    void portVanishes();
    void badOptions_data();
    void badOptions();
    void makesImagesTheLoaderTakes();
};

void TestSimCli::initTestCase()
{
    QVERIFY2(QFileInfo(simBinary()).isExecutable(), "CELLVUE_SIM_BIN does not name the simulator");
}

void TestSimCli::firstLineIsThePort()
{
    QProcess sim;
    const QString path = startSim(sim, {"--packs", "2", "--cells", "15"});
    QVERIFY2(path.startsWith(QLatin1String("/dev/pts/")), qPrintable(path));
    QVERIFY(QFile::exists(path));
    const int fd = openRaw(path);
    QVERIFY(fd >= 0);
    const QByteArray reply = ask(fd, "pwrsys");
    QVERIFY2(reply.contains("Present Num              : 2\r\r\n"), reply.constData());
    QVERIFY(ask(fd, "info 2").contains("Cell Number              : 15\r\r\n"));
    ::close(fd);

    sim.terminate();
    QVERIFY(sim.waitForFinished(5000));
    QCOMPARE(sim.exitStatus(), QProcess::NormalExit);
    QCOMPARE(sim.exitCode(), 0);
    QVERIFY(!QFile::exists(path));
}

void TestSimCli::sameSeedSameSession()
{
    const QByteArray first = transcript(5);
    QCOMPARE(first.count("Command completed successfully"), 8);
    QVERIFY(first.contains("mask"));
    QCOMPARE(transcript(5), first);
    QVERIFY(transcript(6) != first);
}

void TestSimCli::endsWhenTheClientHangsUp()
{
    QProcess sim;
    const QString path = startSim(sim, {"--exit-on-hangup"});
    const int fd = openRaw(path);
    QVERIFY(fd >= 0);
    QVERIFY(ask(fd, "ctrl").contains("CFET"));
    QVERIFY(!sim.waitForFinished(300));
    ::close(fd);
    QVERIFY(sim.waitForFinished(3000));
    QCOMPARE(sim.exitCode(), 0);
}

void TestSimCli::portVanishes()
{
    QProcess sim;
    const QString path = startSim(sim, {"--vanish-after", "300"});
    QVERIFY(QFile::exists(path));
    QVERIFY(sim.waitForFinished(3000));
    QCOMPARE(sim.exitCode(), 0);
    QVERIFY(!QFile::exists(path));
}

void TestSimCli::badOptions_data()
{
    QTest::addColumn<QStringList>("args");

    QTest::newRow("17 packs") << QStringList{"--packs", "17"};
    QTest::newRow("14 cells") << QStringList{"--cells", "14"};
    QTest::newRow("bat layout 12") << QStringList{"--bat-layout", "12"};
    QTest::newRow("18 stream fields") << QStringList{"--disp-fields", "18"};
    QTest::newRow("rate above 1") << QStringList{"--garbage", "2"};
    QTest::newRow("seed not a number") << QStringList{"--seed", "x"};
    QTest::newRow("start time") << QStringList{"--start-time", "yesterday"};
    QTest::newRow("stray argument") << QStringList{"now"};
}

void TestSimCli::badOptions()
{
    QFETCH(QStringList, args);

    QProcess sim;
    sim.start(simBinary(), args);
    QVERIFY(sim.waitForFinished(5000));
    QCOMPARE(sim.exitCode(), 2);
    QVERIFY(sim.readAllStandardOutput().isEmpty());
    QVERIFY(sim.readAllStandardError().startsWith("cellvue-sim: "));
}

void TestSimCli::makesImagesTheLoaderTakes()
{
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("hub.bin"));
    QProcess sim;
    sim.start(simBinary(), {"--make-image", file, "--image-target", "hub", "--image-version", "1.2.3", "--image-size", "100"});
    QVERIFY(sim.waitForFinished(5000));
    QCOMPARE(sim.exitCode(), 0);
    QFile f(file);
    QVERIFY(f.open(QIODevice::ReadOnly));
    const QByteArray image = f.readAll();
    QCOMPARE(image.size(), 116);
    const SimFirmware::Check check = SimFirmware::check(image, false);
    QCOMPARE(int(check.verdict), int(SimFirmware::Accepted));
    QCOMPARE(int(check.target), int(SimFirmware::Hub));
    QCOMPARE(check.version, QStringLiteral("V1.2.3"));
}

QTEST_GUILESS_MAIN(TestSimCli)
#include "tst_simcli.moc"
