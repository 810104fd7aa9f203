// A 256 KiB firmware image into the simulated BMS's Xmodem receiver after "updata",
// sent once by the program (its window, worker and read path) and once by lrzsz's sx,
// each into a fresh simulator. Two yardsticks: the receiver's clock from the NAK the
// first block answers to the EOT (the transfer itself), and the wall clock from
// "updata" to the acknowledged EOT (what the operator waits, the receiver's first
// call included).
//
//   bench_update [rounds=3] [program]     ("program": only the quiet program runs, for a profiler)
//
// The program is timed twice: quiet, and with its log handler writing every line to
// log/today.log (standard output, where the handler also echoes, goes to /dev/null).

#include "bmsmainwin.h"
#include "bmssimulator.h"
#include "loghandler.h"
#include "msgbox.h"
#include "simconsole.h"
#include "simfirmware.h"
#include "updatathread.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

namespace {

SimOptions options()
{
    SimOptions o;
    o.rebootMs = 100;
    o.xmodemRetryMs = 400;
    return o;
}

struct Run {
    qint64 transferMs = -1; // receiver's clock
    qint64 wallMs = -1;     // "updata" to the acknowledged EOT
};

qint64 receiverMs(BmsSimulator& sim)
{
    qint64 ms = -1;
    sim.access([&](SimConsole& c) { ms = c.receiver().transferMs(); });
    return ms;
}

// Runs the event loop until done() or ms have passed.
bool waitFor(const std::function<bool()>& done, int ms)
{
    QElapsedTimer t;
    t.start();
    while (!done()) {
        if (t.elapsed() > ms)
            return false;
        QEventLoop loop;
        QTimer::singleShot(1, &loop, &QEventLoop::quit);
        loop.exec();
    }
    return true;
}

// The program: logged in, the update page, "updata", the file, the transfer.
Run byProgram()
{
    Run run;
    BmsSimulator sim(options());
    if (!sim.start())
        return run;
    BMSMainWin win;
    win.findChild<QComboBox*>(QStringLiteral("PortComBox"))->setCurrentText(sim.portPath());
    win.OpenBtn_clicked();
    if (!waitFor([&] { return win.presentNum > 0; }, 5000))
        return run;
    win.UpPageBtn_clicked();
    waitFor([] { return false; }, 500); // the overview's last reply, so the line is quiet
    QElapsedTimer clock;
    QObject::connect(win.updThread, &UpdataThread::TransFinsh, &win, [&] { run.wallMs = clock.elapsed(); });
    clock.start();
    win.UpdateStart(QStringLiteral("updata"));
    if (!waitFor([&] { return run.wallMs >= 0; }, 30000))
        return run;
    waitFor([&] { return win.updateStage == BMSMainWin::UpdateStage::Idle; }, 5000);
    run.transferMs = receiverMs(sim);
    return run;
}

// lrzsz's sx with its standard input and output on the port, after "updata" was
// typed the way the program sends it.
Run bySx(const QString& file)
{
    Run run;
    BmsSimulator sim(options());
    if (!sim.start())
        return run;
    const int fd = ::open(sim.portPath().toLocal8Bit().constData(), O_RDWR | O_NOCTTY);
    termios t{};
    ::tcgetattr(fd, &t);
    ::cfmakeraw(&t);
    ::tcsetattr(fd, TCSANOW, &t);
    const char command[] = "\nupdata\n";
    QElapsedTimer clock;
    clock.start();
    [[maybe_unused]] const ssize_t n = ::write(fd, command, sizeof command - 1);
    QByteArray seen;
    while (!seen.contains("$$\r\r\n") && clock.elapsed() < 5000) {
        pollfd p{fd, POLLIN, 0};
        char buf[512];
        if (::poll(&p, 1, 50) > 0) {
            const ssize_t got = ::read(fd, buf, sizeof buf);
            if (got > 0)
                seen.append(buf, int(got));
        }
    }
    QProcess sx;
    sx.setStandardInputFile(sim.portPath());
    sx.setStandardOutputFile(sim.portPath(), QIODevice::Append);
    sx.start(QStringLiteral("/usr/bin/sx"), {QStringLiteral("-q"), file});
    sx.waitForFinished(30000);
    run.wallMs = clock.elapsed();
    waitFor([&] { return receiverMs(sim) >= 0; }, 5000);
    ::close(fd);
    run.transferMs = receiverMs(sim);
    return run;
}

double median(const QVector<Run>& runs, qint64 Run::*field)
{
    QVector<qint64> v;
    for (const Run& r : runs)
        v << r.*field;
    std::sort(v.begin(), v.end());
    return v.isEmpty() ? -1 : double(v[v.size() / 2]);
}

void report(const char* name, const QVector<Run>& runs, const QVector<Run>& sx)
{
    const double t = median(runs, &Run::transferMs), w = median(runs, &Run::wallMs);
    std::printf("  %-22s: transfer %5.0f ms (%.2f x sx)   from \"updata\" %5.0f ms (%.2f x sx)   rounds:", name, t,
                t / median(sx, &Run::transferMs), w, w / median(sx, &Run::wallMs));
    for (const Run& r : runs)
        std::printf(" %lld/%lld", r.transferMs, r.wallMs);
    std::printf("\n");
}

} // namespace

int main(int argc, char* argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int rounds = argc > 1 ? std::max(1, atoi(argv[1])) : 3;
    const bool programOnly = argc > 2 && QByteArray(argv[2]) == "program";

    // Settings and log files of these runs stay out of the way.
    QTemporaryDir dir;
    QDir::setCurrent(dir.path());
    QByteArray payload(262144 - SimFirmware::HeaderSize, '\0');
    for (int i = 0; i < payload.size(); ++i)
        payload[i] = char(i * 31 + i / 977);
    const QString file = dir.filePath(QStringLiteral("pack.bin"));
    QFile f(file);
    f.open(QIODevice::WriteOnly);
    f.write(SimFirmware::build(SimFirmware::Pack, 2, 9, 0, payload));
    f.close();

    MsgBox::setHandler([&](const MsgBox::Request& r) {
        MsgBox::Answer a;
        a.button = QMessageBox::Yes;
        if (r.kind == MsgBox::Kind::OpenFile)
            a.text = file;
        return a;
    });

    QVector<Run> program, logged, sx;
    for (int i = 0; i < rounds; ++i) {
        qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString&) {});
        program << byProgram();
        if (programOnly)
            continue;
        sx << bySx(file);

        std::fflush(stdout);
        const int savedOut = ::dup(1);
        const int null = ::open("/dev/null", O_WRONLY);
        ::dup2(null, 1);
        LogHandler::Get().installMessageHandler();
        logged << byProgram();
        LogHandler::Get().uninstallMessageHandler();
        std::fflush(stdout);
        ::dup2(savedOut, 1);
        ::close(null);
        ::close(savedOut);
    }

    if (programOnly) {
        report("program, quiet", program, program);
        return 0;
    }
    std::printf("256 KiB image into the simulator's receiver after \"updata\", median of %d rounds\n", rounds);
    report("lrzsz sx", sx, sx);
    report("program, quiet", program, sx);
    report("program, with its log", logged, sx);
    return 0;
}
