// A long noisy day in a couple of minutes: the program logged in and polling over a
// pseudo-terminal while the line delivers random bytes mixed with pieces of real
// replies (and now and then a whole one), as fast as the program takes them. Prints
// what a technician's machine would feel: peak memory, the longest time the window
// did not answer, how many commands went to the device per poll tick, and how much
// the log folder holds at the end.
//
//   bench_flood [megabytes=100] [seed=1]
//
// The real log handler writes to log/ under a scratch working directory; its echo to
// standard output goes to /dev/null while the flood runs.

#include "benchsupport.h"
#include "bmsmainwin.h"
#include "loghandler.h"
#include "msgbox.h"
#include "simconsole.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <random>

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

namespace {

// Whole framed replies to the commands the overview polls with, as the simulated
// device words them.
QList<QByteArray> realReplies()
{
    SimConsole console{SimOptions()};
    QList<QByteArray> replies;
    for (const char* command : {"login debug", "pwrsys", "pwr", "balance", "ctrl", "info 1", "bat 1", "pwr 1"}) {
        for (const SimConsole::Output& out : console.feed(QByteArray(command) + "\r\n")) {
            if (out.kind == SimConsole::Output::Frame)
                replies << out.bytes;
        }
    }
    return replies;
}

// The device end: writes the flood and counts the command lines the program sends.
class Line : public QThread
{
public:
    Line(int masterFd, qint64 totalBytes, quint32 seed)
        : master(masterFd), total(totalBytes), rng(seed), replies(realReplies())
    {
    }

    std::atomic<qint64> written{0};
    std::atomic<int> commands{0};
    std::atomic<int> wholeReplies{0};

protected:
    void run() override
    {
        QByteArray pending;
        QByteArray heard;
        while (written < total) {
            if (pending.isEmpty())
                pending = nextPiece();
            pollfd p{master, POLLIN | POLLOUT, 0};
            if (::poll(&p, 1, 50) <= 0)
                continue;
            if (p.revents & POLLIN)
                listen(heard);
            if (p.revents & POLLOUT) {
                const ssize_t n = ::write(master, pending.constData(), size_t(pending.size()));
                if (n > 0) {
                    pending.remove(0, int(n));
                    written += n;
                }
            }
        }
        // The program's answers to the last pieces.
        for (int i = 0; i < 40; ++i) {
            pollfd p{master, POLLIN, 0};
            if (::poll(&p, 1, 50) > 0)
                listen(heard);
        }
    }

private:
    void listen(QByteArray& heard)
    {
        char buf[4096];
        const ssize_t n = ::read(master, buf, sizeof buf);
        if (n <= 0)
            return;
        heard.append(buf, int(n));
        int end;
        while ((end = heard.indexOf('\n')) >= 0) {
            if (end > 0)
                ++commands;
            heard.remove(0, end + 1);
        }
    }

    // Random bytes, then (every other time) a piece of a real reply, whole one time in
    // eight.
    QByteArray nextPiece()
    {
        const int noise = std::uniform_int_distribution<int>(64, 8192)(rng);
        QByteArray piece(noise, Qt::Uninitialized);
        for (char& c : piece)
            c = char(rng());
        if (rng() % 2) {
            const QByteArray& reply = replies.at(int(rng() % quint32(replies.size())));
            if (rng() % 4 == 0) {
                piece += reply;
                ++wholeReplies;
            } else {
                const int from = int(rng() % quint32(reply.size()));
                piece += reply.mid(from, int(rng() % quint32(reply.size() - from)) + 1);
            }
        }
        return piece;
    }

    int master;
    qint64 total;
    std::mt19937 rng;
    QList<QByteArray> replies;
};

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const qint64 megabytes = app.arguments().value(1, QStringLiteral("100")).toLongLong();
    const quint32 seed = app.arguments().value(2, QStringLiteral("1")).toUInt();

    QTemporaryDir work;
    QDir::setCurrent(work.path());

    int master = -1;
    int slave = -1;
    char name[256] = {};
    if (::openpty(&master, &slave, name, nullptr, nullptr) != 0) {
        std::fprintf(stderr, "openpty failed\n");
        return 1;
    }
    termios tio{};
    ::tcgetattr(slave, &tio);
    ::cfmakeraw(&tio);
    ::tcsetattr(slave, TCSANOW, &tio);
    ::fcntl(master, F_SETFL, ::fcntl(master, F_GETFL) | O_NONBLOCK);

    int boxes = 0;
    countBoxes(boxes);

    std::fflush(stdout);
    const int savedOut = ::dup(STDOUT_FILENO);
    const int devNull = ::open("/dev/null", O_WRONLY);
    ::dup2(devNull, STDOUT_FILENO);
    LogHandler::Get().installMessageHandler();

    const long rssStart = statusKb("VmRSS");
    BMSMainWin win;
    win.resize(1920, 1000);
    win.show();
    win.findChild<QComboBox*>(QStringLiteral("PortComBox"))->setCurrentText(QString::fromLocal8Bit(name));
    win.OpenBtn_clicked();
    if (!win.portOpen) {
        ::dup2(savedOut, STDOUT_FILENO);
        std::fprintf(stderr, "cannot open %s\n", name);
        return 1;
    }

    Line line(master, megabytes * 1024 * 1024, seed);
    QList<int> perTick;
    int lastCount = 0;
    QObject::connect(win.pollTimer, &QTimer::timeout, [&] {
        perTick << line.commands - lastCount;
        lastCount = line.commands;
    });

    QElapsedTimer sinceProbe;
    qint64 worstStall = 0;
    QTimer probe;
    probe.setInterval(10);
    QObject::connect(&probe, &QTimer::timeout, [&] { worstStall = qMax(worstStall, sinceProbe.restart()); });

    QElapsedTimer wall;
    wall.start();
    sinceProbe.start();
    probe.start();
    line.start();
    QEventLoop loop;
    QObject::connect(&line, &QThread::finished, &loop, &QEventLoop::quit);
    loop.exec();
    const double seconds = wall.elapsed() / 1000.0;
    // Let the last quiet period and chain steps pass.
    QTimer::singleShot(1500, &loop, &QEventLoop::quit);
    loop.exec();
    probe.stop();
    const bool stillOpen = win.portOpen;
    const long rssPeak = statusKb("VmHWM");
    const long rssEnd = statusKb("VmRSS");

    LogHandler::Get().uninstallMessageHandler();
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString&) {});
    std::fflush(stdout);
    ::dup2(savedOut, STDOUT_FILENO);
    ::close(savedOut);
    ::close(devNull);

    qint64 logBytes = 0;
    qint64 largest = 0;
    int logFiles = 0;
    for (QDirIterator it(QStringLiteral("log"), QDir::Files); it.hasNext();) {
        it.next();
        logBytes += it.fileInfo().size();
        largest = qMax(largest, it.fileInfo().size());
        ++logFiles;
    }
    const int ticks = perTick.size();
    const int worstTick = ticks ? *std::max_element(perTick.cbegin(), perTick.cend()) : 0;

    std::printf("flood of %lld MB (random bytes and pieces of replies, seed %u) over %s\n",
                static_cast<long long>(megabytes), seed, name);
    std::printf("  time                    %.1f s (%.1f MB/s taken by the program)\n", seconds,
                line.written / 1048576.0 / seconds);
    std::printf("  whole replies in it     %d\n", int(line.wholeReplies));
    std::printf("  resident memory         %.1f MB at start, %.1f MB at end, peak %.1f MB\n", rssStart / 1024.0,
                rssEnd / 1024.0, rssPeak / 1024.0);
    std::printf("  longest GUI stall       %lld ms\n", static_cast<long long>(worstStall));
    std::printf("  commands written        %d in %d poll ticks: at most %d in one tick, %.2f a tick\n",
                int(line.commands), ticks, worstTick, ticks ? double(line.commands) / ticks : 0.0);
    std::printf("  log folder at the end   %.1f MB in %d files, largest %.2f MB\n", logBytes / 1048576.0, logFiles,
                largest / 1048576.0);
    std::printf("  operator boxes          %d (port %s)\n", boxes, stillOpen ? "still open" : "closed");
    win.CloseBtn_clicked();
    ::close(slave);
    ::close(master);
    return 0;
}
