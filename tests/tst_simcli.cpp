// cellvue-sim as a technician runs it: the port path on the first line, a session
// that one seed always repeats, a clean end, and a plain refusal of bad options.

#include "simfirmware.h"

#include <QtTest>

#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

namespace {

// Starts the program; the port path is its first line.
QString startSim(QProcess& sim, const QStringList& args)
{
    sim.start(qEnvironmentVariable("CELLVUE_SIM_BIN"), args);
    sim.waitForStarted(5000);
    for (int i = 0; i < 50 && !sim.canReadLine(); ++i)
        sim.waitForReadyRead(100);
    return QString::fromLocal8Bit(sim.readLine()).trimmed();
}

// Opens the port raw, writes each command the way the program does and collects
// every reply up to the prompt after "$$".
QByteArray session(const QString& path, const QByteArrayList& commands)
{
    const int fd = ::open(path.toLocal8Bit().constData(), O_RDWR | O_NOCTTY);
    termios t {};
    if (fd < 0 || ::tcgetattr(fd, &t) != 0)
        return QByteArray();
    ::cfmakeraw(&t);
    t.c_cc[VMIN] = 0;
    t.c_cc[VTIME] = 1; // a read gives up after a tenth of a second
    ::tcsetattr(fd, TCSANOW, &t);
    QByteArray all;
    for (const QByteArray& cmd : commands) {
        const QByteArray out = "\n" + cmd + "\n";
        QByteArray in;
        QElapsedTimer clock;
        clock.start();
        if (::write(fd, out.constData(), size_t(out.size())) != out.size())
            break;
        while (!in.contains("$$\r\r\nBMS>") && clock.elapsed() < 3000) {
            char buf[4096];
            in.append(buf, int(std::max<ssize_t>(::read(fd, buf, sizeof buf), 0)));
        }
        all += in;
    }
    ::close(fd);
    return all;
}

} // namespace

class TestSimCli : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void sameSeedSameSession();
    void endsOnItsOwn_data();
    void endsOnItsOwn();
    void badOptions_data();
    void badOptions();
    void makesImagesTheLoaderTakes();
};

void TestSimCli::initTestCase()
{
    QVERIFY2(QFileInfo(qEnvironmentVariable("CELLVUE_SIM_BIN")).isExecutable(), "CELLVUE_SIM_BIN does not name the simulator");
}

void TestSimCli::sameSeedSameSession()
{
    // Empty unless the port came first, and went with a clean end.
    auto transcript = [](quint32 seed) {
        QProcess sim;
        const QString path = startSim(sim, {"--seed", QString::number(seed), "--packs", "4", "--cells", "15", "--sample-ms",
                                            "600000", "--model", "HVRACK-7720-KM", "--event-mask"});
        const QByteArray all = path.startsWith("/dev/pts/") ? session(path, {"pwrsys", "pwr", "info 3", "bat 2", "balance",
                                                                            "data", "datalist event 0", "data event 4"})
                                                            : QByteArray();
        sim.terminate();
        const bool clean = sim.waitForFinished(5000) && sim.exitStatus() == QProcess::NormalExit && sim.exitCode() == 0;
        return clean && !QFile::exists(path) ? all : QByteArray();
    };
    const QByteArray first = transcript(5);
    QCOMPARE(first.count("Command completed successfully"), 8);
    QVERIFY(first.contains("Present Num              : 4\r\r\n") && first.contains("Cell Number              : 15\r\r\n"));
    QVERIFY(first.contains(" mask "));
    QCOMPARE(transcript(5), first);
    QVERIFY(transcript(6) != first);
}

void TestSimCli::endsOnItsOwn_data()
{
    QTest::addColumn<QStringList>("args");

    QTest::newRow("client hangs up") << QStringList{"--exit-on-hangup"};
    QTest::newRow("port vanishes") << QStringList{"--vanish-after", "600"};
}

void TestSimCli::endsOnItsOwn()
{
    QFETCH(QStringList, args);

    QProcess sim;
    const QString path = startSim(sim, args);
    QVERIFY2(QFile::exists(path), qPrintable(path));
    QVERIFY(session(path, {"ctrl"}).contains("CFET"));
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
    sim.start(qEnvironmentVariable("CELLVUE_SIM_BIN"), args);
    QVERIFY(sim.waitForFinished(5000));
    QCOMPARE(sim.exitCode(), 2);
    QVERIFY(sim.readAllStandardOutput().isEmpty());
    QVERIFY(sim.readAllStandardError().startsWith("cellvue-sim: "));
}

void TestSimCli::makesImagesTheLoaderTakes()
{
    QTemporaryDir dir;
    const QString file = dir.filePath("hub.bin");
    QCOMPARE(QProcess::execute(qEnvironmentVariable("CELLVUE_SIM_BIN"),
                               {"--make-image", file, "--image-target", "hub", "--image-version", "1.2.3", "--image-size", "100"}),
             0);
    QFile f(file);
    QVERIFY(f.open(QIODevice::ReadOnly));
    const QByteArray image = f.readAll();
    QCOMPARE(image.size(), 116);
    const SimFirmware::Check check = SimFirmware::check(image, false);
    QCOMPARE(int(check.verdict), int(SimFirmware::Accepted));
    QCOMPARE(int(check.target), int(SimFirmware::Hub));
    QCOMPARE(check.version, QString("V1.2.3"));
}

QTEST_GUILESS_MAIN(TestSimCli)
#include "tst_simcli.moc"
