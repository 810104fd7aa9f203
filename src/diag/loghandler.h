#ifndef LOGHANDLER_H
#define LOGHANDLER_H

#include <QDateTime>

#include <functional>

class LogHandlerPrivate;

// Sends every qDebug/qInfo/qWarning/qCritical/qFatal of the process to standard output
// and to "log/today.log" under the working directory, with dated rotation and pruning
// done by LogHandlerPrivate. One instance per process; messages may come from any
// thread.
class LogHandler
{
public:
    static LogHandler& Get();

    // Installing twice is harmless, and so is removing without installing. Both belong
    // to the thread that runs the event loop (the rotation and flush timers live there).
    void installMessageHandler();
    void uninstallMessageHandler();

    // The start-up check: takes the handler out, writes "不写入测试" (which must reach
    // the console only, never the file) and puts the handler back.
    void checkMessageHandler();

    bool isInstalled() const;

    // Replaces the wall clock used for time stamps, rotation and pruning, so that tests
    // can cross midnight or age files by a month without waiting. An empty function
    // restores the real clock.
    static void setClock(std::function<QDateTime()> clock);
    // Replaces the bound on the whole log folder (200 MB), so that tests can reach it
    // with a few files; 0 restores it.
    static void setFolderLimit(qint64 bytes);

    LogHandler(const LogHandler&) = delete;
    LogHandler& operator=(const LogHandler&) = delete;

private:
    LogHandler() = default;
    ~LogHandler();

    LogHandlerPrivate* d = nullptr;
    // Whatever handled messages before ours (Qt's default in the program); put back on
    // removal.
    QtMessageHandler previousHandler = nullptr;
};

#endif // LOGHANDLER_H
