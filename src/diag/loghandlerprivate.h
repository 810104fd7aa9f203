#ifndef LOGHANDLERPRIVATE_H
#define LOGHANDLERPRIVATE_H

#include <QDate>
#include <QDateTime>
#include <QDir>
#include <QMetaObject>
#include <QMutex>
#include <QString>
#include <QtGlobal>

#include "logfolder.h"

#include <functional>
#include <string>

class QFile;
class QTimer;

// The UTF-8 text on its way to "today.log". Lines gather here and reach the file in
// blocks, when the buffer is full and at every flush: one system call per block
// rather than per line.
class LogStream
{
public:
    explicit LogStream(QFile* file);
    ~LogStream();
    LogStream(const LogStream&) = delete;
    LogStream& operator=(const LogStream&) = delete;

    // What the next line is appended to; end it with endLine().
    std::string& line() { return pending; }
    void endLine();
    void flush();

private:
    // No more than the text stream and the file buffered together before: what a
    // killed process takes with it.
    static constexpr size_t blockSize = 32 * 1024;
    QFile* file;
    std::string pending;
};

// The file side of LogHandler: owns "today.log", its rotation and pruning. Every member
// that touches the file runs under logMutex, which is deliberately not recursive.
class LogHandlerPrivate
{
public:
    // Size past which "today.log" is moved aside under a date-and-time name.
    static constexpr qint64 maxLogFileSize = 5120;
    // Dated logs and size backups older than this many days are deleted.
    static constexpr int keepDays = 30;
    // The log folder as a whole (today.log, dated logs, size backups) is kept under
    // this; the oldest size backups go first. At 5 KB a backup, normal polling makes
    // some 900 an hour, and a noisy line far more.
    static constexpr qint64 maxLogFolderSize = 200LL * 1024 * 1024;

    LogHandlerPrivate();
    ~LogHandlerPrivate();

    // The three maintenance steps; the caller holds logMutex.
    void openAndBackupLogFile();
    void checkLogFiles();
    void autoDeleteLog();

    static void messageHandler(QtMsgType type, const QMessageLogContext& context, const QString& msg);

    // Level word of the log line; always five characters.
    static const char* levelWord(QtMsgType type);
    // Appends one line of the log file, "\n" included, to `out`; `msg` is the message
    // text in UTF-8 and `msecs` the time since the epoch.
    static void appendLine(std::string& out, qint64 msecs, QtMsgType type, const QMessageLogContext& context,
                           const QByteArray& msg);

    // Writes what the stream holds to disk now, if the lock can be had without waiting
    // long. Meant for the crash path, where the process is about to die.
    static void flushForCrash();

    static QDateTime now();
    static qint64 nowMsecs();
    static void setClock(std::function<QDateTime()> clock);
    // Replaces maxLogFolderSize (tests); 0 restores it.
    static void setFolderLimit(qint64 bytes);

    // RAII owner of logMutex that also marks the thread, so that a message raised while
    // the lock is held (by Qt itself, say) is echoed instead of dead-locking.
    class Lock
    {
    public:
        Lock();
        ~Lock();
        Lock(const Lock&) = delete;
        Lock& operator=(const Lock&) = delete;
    };
    static bool heldByThisThread();

    QDir logDir;
    QTimer* renameLogFileTimer = nullptr;
    QTimer* flushLogFileTimer = nullptr;
    QDate logFileCreatedDate;
    LogFolder folder;

    static QFile* logFile;
    static LogStream* logOut;
    static QMutex logMutex;

private:
    QString logPath() const;
    // Flushes, closes and frees logOut and logFile.
    static void closeLogFile();
    // Opens "today.log" again; a failed open leaves logOut null.
    void reopenLogFile(bool truncate);
    // Copies "today.log" to a new file named after `stem` (a " (n)" is added when that
    // name is taken) and removes it only once the copy is complete. False when the copy
    // failed and "today.log" was kept.
    bool moveAside(const QString& stem);

    static void onRenameTimer();
    static void onFlushTimer();

    static qint64 folderLimit();
    // Appends "yyyy-MM-dd hh:mm:ss.zzz" in local time.
    static void appendStamp(std::string& out, qint64 msecs);

    // The installed instance, for the timer slots (null once removed).
    static LogHandlerPrivate* current;
    static std::function<QDateTime()> clock;
    static qint64 folderLimitOverride;
    // Bytes written since the file was last looked at; a flood has the handler look
    // before the tick does.
    static qint64 unchecked;
    // The local date and time of the last second stamped: turning an instant into a
    // local calendar time costs more than the rest of a line, and a busy log writes
    // hundreds of lines within one second.
    static qint64 stampSecond;
    static char stampText[20];
    // The last size backup's name, so that several in one second are numbered on
    // upwards even after older ones were deleted.
    QString lastStem;
    int lastStemNumber = 0;
};

#endif // LOGHANDLERPRIVATE_H
