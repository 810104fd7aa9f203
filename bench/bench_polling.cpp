// The overview page's polling cycle against the simulated BMS over a pseudo-terminal:
// how much CPU the program spends keeping the page current, how much memory it holds,
// and how long the GUI thread is ever kept from its event loop.
//
//   bench_polling [seconds=60] [packs=3]
//
// The simulator runs as its own process (cellvue-sim, found through CELLVUE_SIM_BIN or
// next to this program's build directory), so every figure is the program's alone.
// Debug output goes through the program's log handler into a log folder below a
// temporary directory, as in the field. The GUI thread's stalls are timed from the event
// dispatcher's own awake/about-to-block signals: a probe timer would wake the thread a
// hundred times a second and cost more than what it measures.

#include "battery.h"
#include "benchsupport.h"
#include "bmsmainwin.h"
#include "loghandler.h"
#include "msgbox.h"

#include <QAbstractEventDispatcher>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>

#include <sys/resource.h>

#include <cstdio>
#include <fcntl.h>
#include <unistd.h>

namespace {

double cpuSeconds(int who)
{
    rusage u{};
    getrusage(who, &u);
    return u.ru_utime.tv_sec + u.ru_utime.tv_usec / 1e6 + u.ru_stime.tv_sec + u.ru_stime.tv_usec / 1e6;
}

QString simulatorPath()
{
    const QString fromEnv = qEnvironmentVariable("CELLVUE_SIM_BIN");
    if (!fromEnv.isEmpty())
        return fromEnv;
    return QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("../sim/cellvue-sim"));
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QStringList args = app.arguments();
    const int seconds = args.value(1, QStringLiteral("60")).toInt();
    const int packs = args.value(2, QStringLiteral("3")).toInt();
    if (seconds <= 0 || packs < 1 || packs > 16) {
        std::fprintf(stderr, "usage: bench_polling [seconds>0] [packs 1..16]\n");
        return 2;
    }

    // The program writes its settings and logs below the working directory.
    QTemporaryDir work;
    QDir::setCurrent(work.path());
    // The handler echoes every line to standard output, which is not what is measured.
    std::fflush(stdout);
    const int savedOut = dup(STDOUT_FILENO);
    const int devNull = open("/dev/null", O_WRONLY);
    dup2(devNull, STDOUT_FILENO);
    LogHandler::Get().installMessageHandler();

    int boxes = 0;
    countBoxes(boxes);

    QProcess sim;
    sim.start(simulatorPath(), { QStringLiteral("--packs"), QString::number(packs) });
    if (!sim.waitForStarted(5000) || !sim.waitForReadyRead(5000)) {
        std::fprintf(stderr, "cannot start %s\n", qPrintable(simulatorPath()));
        return 1;
    }
    const QString port = QString::fromLocal8Bit(sim.readLine()).trimmed();

    BMSMainWin win;
    win.resize(1920, 1000);
    win.show();

    int replies = 0;
    int cycles = 0;     // "pwrsys" replies: one per ten-second cycle
    int packReads = 0;  // "pwr N" replies: the chosen pack read in detail
    QObject::connect(&win, &BMSMainWin::CommandInfoStr, [&](const QString& reply) {
        ++replies;
        if (reply.contains(QLatin1String("pwrsys")))
            ++cycles;
        else if (reply.contains(QLatin1String("Real Coulomb")))
            ++packReads;
    });

    // The longest the GUI thread worked without returning to wait for events.
    QElapsedTimer busy;
    qint64 worstStall = 0;
    QAbstractEventDispatcher* dispatcher = QAbstractEventDispatcher::instance();
    QObject::connect(dispatcher, &QAbstractEventDispatcher::awake, [&] { busy.start(); });
    QObject::connect(dispatcher, &QAbstractEventDispatcher::aboutToBlock, [&] {
        if (busy.isValid())
            worstStall = qMax(worstStall, busy.elapsed());
    });

    const long rssBefore = statusKb("VmRSS");
    const double cpuBefore = cpuSeconds(RUSAGE_SELF);
    QElapsedTimer wall;
    wall.start();

    win.findChild<QComboBox*>(QStringLiteral("PortComBox"))->setCurrentText(port);
    win.OpenBtn_clicked();
    if (!win.portOpen) {
        std::fprintf(stderr, "cannot open %s\n", qPrintable(port));
        return 1;
    }
    // After the first detail read (about 12 s) only the steady cycle remains.
    const int warmMs = qMin(12000, seconds * 500);
    double cpuWarm = 0;
    qint64 warmAt = 0;
    QTimer::singleShot(warmMs, [&] {
        cpuWarm = cpuSeconds(RUSAGE_SELF);
        warmAt = wall.elapsed();
    });
    QEventLoop loop;
    QTimer::singleShot(seconds * 1000, &loop, &QEventLoop::quit);
    loop.exec();

    QObject::disconnect(dispatcher, nullptr, nullptr, nullptr);
    const double cpuEnd = cpuSeconds(RUSAGE_SELF);
    const double cpu = cpuEnd - cpuBefore;
    const double elapsed = wall.elapsed() / 1000.0;
    const double steady = 100.0 * (cpuEnd - cpuWarm) / ((wall.elapsed() - warmAt) / 1000.0);
    const long rssAfter = statusKb("VmRSS");
    const long rssPeak = statusKb("VmHWM");
    int gaugesSet = 0;
    for (Battery* g : win.gauges())
        gaugesSet += g->getValue() > 0 ? 1 : 0;

    win.CloseBtn_clicked();
    sim.terminate();
    sim.waitForFinished(3000);
    const double simCpu = cpuSeconds(RUSAGE_CHILDREN);
    LogHandler::Get().uninstallMessageHandler();
    std::fflush(stdout);
    dup2(savedOut, STDOUT_FILENO);

    std::printf("polling cycle, %d packs, %.1f s against cellvue-sim on %s\n", packs, elapsed, qPrintable(port));
    std::printf("  replies handled         %d (%d cycles, %d detail reads)\n", replies, cycles, packReads);
    std::printf("  gauges showing a value  %d of 16\n", gaugesSet);
    std::printf("  program CPU time        %.3f s (%.2f %% of one core)\n", cpu, 100.0 * cpu / elapsed);
    std::printf("  steady state            %.2f %% of one core (after the first %.0f s)\n", steady, warmAt / 1000.0);
    std::printf("  CPU per cycle           %.1f ms (start-up included)\n", cycles ? 1000.0 * cpu / cycles : 0.0);
    std::printf("  resident memory         %.1f MB at start, %.1f MB at end, peak %.1f MB\n", rssBefore / 1024.0,
                rssAfter / 1024.0, rssPeak / 1024.0);
    std::printf("  longest GUI stall       %lld ms\n", static_cast<long long>(worstStall));
    std::printf("  operator boxes          %d\n", boxes);
    std::printf("  simulator CPU time      %.3f s (not counted above)\n", simCpu);
    return 0;
}
