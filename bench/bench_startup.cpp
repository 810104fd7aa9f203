// What the program costs a technician's desktop before any port is opened, measured from
// outside as a window manager sees it: launch to a painted window, resident memory once
// started, and CPU while it sits idle with the port closed. Each figure is taken for this
// build, for an earlier build when one is given, and for CuteCom (Debian's serial
// terminal, a yardstick for a small Qt program), in the same run, interleaved, so that
// the machine's load falls on all of them alike.
//
//   bench_startup [--runs N=7] [--idle SECONDS=60] [--before PROGRAM] [PROGRAM]
//
// PROGRAM defaults to the cellvue built next to this benchmark. Needs an X display; run
// it under  xvfb-run -a -s "-screen 0 1920x1080x24" .

#include "benchsupport.h"

#include <QByteArray>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <QVector>

#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <memory>
#include <set>
#include <sys/select.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

struct Program {
    QString label;
    QString path;
    QVector<double> mapped;  // ms from exec to the top-level window being mapped
    QVector<double> painted; // ms from exec to that window showing drawn content
    long rssKb = -1;
    double idlePercent = -1;
};

// A program run in a directory of its own, with a home of its own: no settings, logs or
// crash dumps of an earlier run change what it does at start.
class Run
{
public:
    explicit Run(const QString& path)
    {
        const QByteArray home = dir.path().toLocal8Bit();
        const QByteArray exe = QFile::encodeName(path);
        std::fflush(stdout); // or the child would print what is still buffered again
        pid = fork();
        if (pid == 0) {
            if (chdir(home.constData()) != 0)
                _exit(127);
            setenv("HOME", home.constData(), 1);
            setenv("XDG_CONFIG_HOME", (home + "/.config").constData(), 1);
            setenv("XDG_DATA_HOME", (home + "/.local/share").constData(), 1);
            setenv("XDG_CACHE_HOME", (home + "/.cache").constData(), 1);
            freopen("/dev/null", "w", stdout);
            freopen("/dev/null", "w", stderr);
            execl(exe.constData(), exe.constData(), static_cast<char*>(nullptr));
            _exit(127);
        }
    }
    ~Run()
    {
        if (pid <= 0)
            return;
        kill(pid, SIGKILL);
        waitpid(pid, nullptr, 0);
    }
    Run(const Run&) = delete;
    Run& operator=(const Run&) = delete;

    // CPU time of all the process's threads so far, in nanoseconds, from the
    // scheduler's own count (the tick counts of /proc/<pid>/stat are 10 ms coarse, as
    // much as a tenth of a percent over a minute); -1 once the process is gone.
    long long cpuNs() const
    {
        const QDir tasks(QStringLiteral("/proc/%1/task").arg(pid));
        const QStringList ids = tasks.entryList(QDir::Dirs | QDir::NoDotAndDotDot);
        if (ids.isEmpty())
            return -1;
        long long sum = 0;
        for (const QString& id : ids) {
            QFile f(tasks.filePath(id + QStringLiteral("/schedstat")));
            if (f.open(QIODevice::ReadOnly))
                sum += f.readAll().split(' ').value(0).toLongLong();
        }
        return sum;
    }

    long rssKb() const { return statusKb("VmRSS", QString::number(pid)); }

    QTemporaryDir dir;
    pid_t pid = -1;
};

// Waits for the next X event up to the deadline; false on time-out.
bool nextEvent(Display* display, XEvent* event, const QElapsedTimer& clock, qint64 deadlineMs)
{
    while (!XPending(display)) {
        const qint64 left = deadlineMs - clock.elapsed();
        if (left <= 0)
            return false;
        fd_set fds;
        FD_ZERO(&fds);
        FD_SET(ConnectionNumber(display), &fds);
        timeval tv{static_cast<time_t>(left / 1000), static_cast<suseconds_t>(left % 1000 * 1000)};
        select(ConnectionNumber(display) + 1, &fds, nullptr, nullptr, &tv);
    }
    XNextEvent(display, event);
    return true;
}

// The distinct colours along two rows of the window. The server fills a newly mapped
// window with one colour at most; a painted Qt window shows frames, text and buttons.
int colours(Display* display, Window window, int width, int height)
{
    std::set<unsigned long> seen;
    for (int y : {height / 4, height / 2}) {
        XImage* row = XGetImage(display, window, 0, y, static_cast<unsigned>(width), 1, AllPlanes, ZPixmap);
        if (!row)
            return 0;
        for (int x = 0; x < width; ++x)
            seen.insert(XGetPixel(row, x, 0));
        XDestroyImage(row);
    }
    return static_cast<int>(seen.size());
}

// Starts the program and times its first top-level window: mapped, then painted.
void launchOnce(Display* display, Program& p)
{
    const Window root = DefaultRootWindow(display);
    XSelectInput(display, root, SubstructureNotifyMask);
    XSync(display, True);

    QElapsedTimer clock;
    clock.start();
    Run run(p.path);
    XEvent event;
    Window window = 0;
    while (!window && nextEvent(display, &event, clock, 20000)) {
        if (event.type == MapNotify && event.xmap.event == root && !event.xmap.override_redirect)
            window = event.xmap.window;
    }
    if (!window) {
        std::fprintf(stderr, "%s: no window within 20 s\n", qPrintable(p.label));
        return;
    }
    p.mapped << clock.nsecsElapsed() / 1e6;

    XWindowAttributes attributes;
    XGetWindowAttributes(display, window, &attributes);
    while (clock.elapsed() < 20000) {
        if (colours(display, window, attributes.width, attributes.height) >= 3) {
            p.painted << clock.nsecsElapsed() / 1e6;
            break;
        }
        usleep(1000);
    }
    XSelectInput(display, root, NoEventMask);
}

double median(QVector<double> v)
{
    if (v.isEmpty())
        return -1;
    std::sort(v.begin(), v.end());
    return v.size() % 2 ? v[v.size() / 2] : (v[v.size() / 2 - 1] + v[v.size() / 2]) / 2;
}

QString loadAverage()
{
    QFile f(QStringLiteral("/proc/loadavg"));
    return f.open(QIODevice::ReadOnly) ? QString::fromLatin1(f.readAll()).section(QLatin1Char(' '), 0, 2)
                                       : QStringLiteral("?");
}

} // namespace

int main(int argc, char** argv)
{
    int runs = 7;
    int idleSeconds = 60;
    QString before;
    QString ours = QDir(QFileInfo(QString::fromLocal8Bit(argv[0])).absolutePath())
                       .filePath(QStringLiteral("../src/cellvue"));
    for (int i = 1; i < argc; ++i) {
        const QByteArray arg = argv[i];
        if (arg == "--runs" && i + 1 < argc)
            runs = QByteArray(argv[++i]).toInt();
        else if (arg == "--idle" && i + 1 < argc)
            idleSeconds = QByteArray(argv[++i]).toInt();
        else if (arg == "--before" && i + 1 < argc)
            before = QString::fromLocal8Bit(argv[++i]);
        else
            ours = QString::fromLocal8Bit(argv[i]);
    }
    // A window that goes away while its pixels are read must not end the benchmark.
    XSetErrorHandler([](Display*, XErrorEvent*) { return 0; });
    Display* display = XOpenDisplay(nullptr);
    if (!display) {
        std::fprintf(stderr, "bench_startup needs an X display: xvfb-run -a -s \"-screen 0 1920x1080x24\" %s\n",
                     argv[0]);
        return 2;
    }

    // Each program starts in a directory of its own: a relative path would not reach it.
    std::vector<Program> programs;
    programs.push_back({QStringLiteral("cellvue (this build)"), QFileInfo(ours).absoluteFilePath()});
    if (!before.isEmpty())
        programs.push_back({QStringLiteral("cellvue (before)"), QFileInfo(before).absoluteFilePath()});
    const QString cutecom = QStandardPaths::findExecutable(QStringLiteral("cutecom"));
    if (cutecom.isEmpty())
        std::printf("cutecom not installed: measured without it (apt-get install cutecom)\n");
    else
        programs.push_back({QStringLiteral("cutecom"), cutecom});

    std::printf("load average at start: %s\n", qPrintable(loadAverage()));
    // One run each first, unmeasured: the page cache and the font cache are then warm
    // for every program alike.
    for (Program& p : programs) {
        Program warm = p;
        launchOnce(display, warm);
    }
    for (int r = 0; r < runs; ++r) {
        for (Program& p : programs)
            launchOnce(display, p);
    }

    // Memory and idle CPU: all side by side over the same minute.
    std::vector<std::unique_ptr<Run>> running;
    for (const Program& p : programs)
        running.emplace_back(new Run(p.path));
    sleep(5);
    std::vector<long long> cpuStart;
    for (size_t i = 0; i < programs.size(); ++i) {
        programs[i].rssKb = running[i]->rssKb();
        cpuStart.push_back(running[i]->cpuNs());
    }
    QElapsedTimer idle;
    idle.start();
    sleep(static_cast<unsigned>(idleSeconds));
    const double seconds = idle.nsecsElapsed() / 1e9;
    for (size_t i = 0; i < programs.size(); ++i) {
        const long long end = running[i]->cpuNs();
        if (end >= 0 && cpuStart[i] >= 0)
            programs[i].idlePercent = 100.0 * (end - cpuStart[i]) / 1e9 / seconds;
    }
    running.clear();
    XCloseDisplay(display);

    std::printf("load average at end:   %s\n", qPrintable(loadAverage()));
    std::printf("%-22s %22s %22s %14s %16s\n", "program", "to window mapped (ms)", "to window painted (ms)",
                "RSS at 5 s (MB)", "idle CPU (% core)");
    std::printf("%-22s %22s %22s %14s %16s\n", "", "median [min-max]", "median [min-max]", "",
                qPrintable(QStringLiteral("over %1 s").arg(idleSeconds)));
    for (const Program& p : programs) {
        const auto range = [](const QVector<double>& v) {
            if (v.isEmpty())
                return QStringLiteral("-");
            const auto mm = std::minmax_element(v.begin(), v.end());
            return QStringLiteral("%1 [%2-%3]").arg(median(v), 0, 'f', 0).arg(*mm.first, 0, 'f', 0).arg(*mm.second, 0, 'f', 0);
        };
        std::printf("%-22s %22s %22s %14.1f %16.3f\n", qPrintable(p.label), qPrintable(range(p.mapped)),
                    qPrintable(range(p.painted)), p.rssKb / 1024.0, p.idlePercent);
    }
    std::printf("(%d launches each after one unmeasured; CPU of all threads from /proc/<pid>/task/*/schedstat)\n",
                runs);
    return 0;
}
