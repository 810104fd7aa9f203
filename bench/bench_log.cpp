// Messages per second through the log handler into the file: one writer thread, then
// four at once. Standard output (which the handler echoes every message to) is sent to
// /dev/null while measuring, so the figures are those of the file path, not of a
// terminal.
#include "loghandler.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QThread>

#include <cstdio>
#include <fcntl.h>
#include <unistd.h>

namespace {
struct Figures {
    double seconds;
    qint64 bytes;
    int files;
};

Figures run(int threads, int perThread)
{
    QTemporaryDir dir;
    QDir::setCurrent(dir.path());

    std::fflush(stdout);
    const int savedOut = dup(STDOUT_FILENO);
    const int devNull = open("/dev/null", O_WRONLY);
    dup2(devNull, STDOUT_FILENO);

    LogHandler::Get().installMessageHandler();
    QElapsedTimer clock;
    clock.start();
    QList<QThread*> workers;
    for (int t = 0; t < threads; ++t) {
        workers << QThread::create([t, perThread] {
            for (int i = 0; i < perThread; ++i)
                qDebug("ReceData: thread %d message %d @pwr 1 Volt 52480 mV Curr -1250 mA$$", t, i);
        });
        workers.last()->start();
    }
    // The rotation and flush timers run here, as they do on the GUI thread.
    for (QThread* w : workers) {
        while (!w->wait(10))
            QCoreApplication::processEvents();
    }
    const double seconds = clock.nsecsElapsed() / 1e9;
    qDeleteAll(workers);
    LogHandler::Get().uninstallMessageHandler();

    std::fflush(stdout);
    dup2(savedOut, STDOUT_FILENO);
    close(savedOut);
    close(devNull);

    Figures f{seconds, 0, 0};
    const QFileInfoList files = QDir(dir.filePath(QStringLiteral("log"))).entryInfoList(QDir::Files);
    for (const QFileInfo& fi : files)
        f.bytes += fi.size();
    f.files = files.size();
    QDir::setCurrent(QDir::tempPath());
    return f;
}
} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const int total = argc > 1 ? QByteArray(argv[1]).toInt() : 400000;

    std::printf("%-10s %10s %12s %14s %10s %8s\n", "threads", "messages", "seconds", "messages/s", "MB", "files");
    for (int threads : {1, 4}) {
        const int perThread = total / threads;
        const Figures f = run(threads, perThread);
        const int messages = perThread * threads;
        std::printf("%-10d %10d %12.3f %14.0f %10.1f %8d\n", threads, messages, f.seconds, messages / f.seconds,
                    f.bytes / 1e6, f.files);
        std::fflush(stdout);
    }
    return 0;
}
