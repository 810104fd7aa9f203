#include "loghandlerprivate.h"

#include <QFile>
#include <QFileInfo>
#include <QTextStream>
#include <QThread>
#include <QTimer>

#include <cstdio>

QFile* LogHandlerPrivate::logFile = nullptr;
QTextStream* LogHandlerPrivate::logOut = nullptr;
QMutex LogHandlerPrivate::logMutex;
LogHandlerPrivate* LogHandlerPrivate::current = nullptr;
std::function<QDateTime()> LogHandlerPrivate::clock;
qint64 LogHandlerPrivate::folderLimitOverride = 0;
qint64 LogHandlerPrivate::unchecked = 0;

namespace {
thread_local bool lockHeldHere = false;

void echo(const QString& msg)
{
    const QByteArray text = msg.toLocal8Bit();
    std::fwrite(text.constData(), 1, size_t(text.size()), stdout);
    std::fputc('\n', stdout);
}

// Stops a timer from whatever thread removes the handler. A QTimer may only be stopped
// by its own thread; from elsewhere it is cut off and left for its thread to delete.
void disposeTimer(QTimer* timer)
{
    if (!timer)
        return;
    if (timer->thread() == QThread::currentThread()) {
        delete timer;
    } else {
        QObject::disconnect(timer, nullptr, nullptr, nullptr);
        timer->deleteLater();
    }
}
} // namespace

LogHandlerPrivate::Lock::Lock()
{
    logMutex.lock();
    lockHeldHere = true;
}

LogHandlerPrivate::Lock::~Lock()
{
    lockHeldHere = false;
    logMutex.unlock();
}

bool LogHandlerPrivate::heldByThisThread()
{
    return lockHeldHere;
}

LogHandlerPrivate::LogHandlerPrivate()
{
    // Anchored now: the open file stays where it is even if the process later changes
    // its working directory, so rotation must look in the same place.
    logDir.setPath(QDir::current().absoluteFilePath(QStringLiteral("log")));

    const QFileInfo existing(logPath());
    if (existing.exists())
        logFileCreatedDate = existing.lastModified().date();

    folder.scan(logDir);
    openAndBackupLogFile();
    current = this;

    renameLogFileTimer = new QTimer;
    renameLogFileTimer->setInterval(2000);
    QObject::connect(renameLogFileTimer, &QTimer::timeout, &LogHandlerPrivate::onRenameTimer);
    renameLogFileTimer->start();

    flushLogFileTimer = new QTimer;
    flushLogFileTimer->setInterval(1000);
    QObject::connect(flushLogFileTimer, &QTimer::timeout, &LogHandlerPrivate::onFlushTimer);
    flushLogFileTimer->start();
}

LogHandlerPrivate::~LogHandlerPrivate()
{
    current = nullptr;
    disposeTimer(renameLogFileTimer);
    disposeTimer(flushLogFileTimer);
    closeLogFile();
}

QString LogHandlerPrivate::logPath() const
{
    return logDir.filePath(QStringLiteral("today.log"));
}

void LogHandlerPrivate::closeLogFile()
{
    if (logOut)
        logOut->flush();
    delete logOut;
    logOut = nullptr;
    if (logFile) {
        logFile->close();
        delete logFile;
        logFile = nullptr;
    }
}

void LogHandlerPrivate::reopenLogFile(bool truncate)
{
    logFile = new QFile(logPath());
    const QIODevice::OpenMode mode =
        QIODevice::WriteOnly | QIODevice::Text | (truncate ? QIODevice::Truncate : QIODevice::Append);
    if (logFile->open(mode)) {
        logOut = new QTextStream(logFile);
        logOut->setCodec("UTF-8");
    }
}

bool LogHandlerPrivate::moveAside(const QString& stem)
{
    const QString source = logPath();
    if (!QFile::exists(source))
        return true;

    int n = stem == lastStem ? lastStemNumber + 1 : 1;
    const auto nameFor = [&] {
        return logDir.filePath(n == 1 ? stem + QStringLiteral(".log") : QStringLiteral("%1 (%2).log").arg(stem).arg(n));
    };
    QString target = nameFor();
    for (; QFile::exists(target); target = nameFor())
        ++n;

    // QFile::copy writes to a temporary file and renames it into place, so a failed
    // copy leaves no half-written backup behind.
    if (!QFile::copy(source, target))
        return false;
    QFile::remove(source);
    lastStem = stem;
    lastStemNumber = n;
    const QFileInfo made(target);
    folder.add(made.fileName(), made.size());
    return true;
}

void LogHandlerPrivate::openAndBackupLogFile()
{
    if (!logDir.exists())
        logDir.mkpath(QStringLiteral("."));

    const QDate today = now().date();

    // First call, or a directory that could not be opened before: try again.
    if (!logFile || !logFile->isOpen()) {
        closeLogFile();
        reopenLogFile(false);
        if (logFileCreatedDate.isNull())
            logFileCreatedDate = today;
    }

    if (logFileCreatedDate != today) {
        closeLogFile();
        const bool moved = moveAside(logFileCreatedDate.toString(QStringLiteral("yyyy-MM-dd")));
        // A failed copy keeps the old day's lines where they are; the next tick retries.
        reopenLogFile(moved);
        if (moved) {
            logFileCreatedDate = today;
            folder.scan(logDir); // once a day, anything changed by hand is seen again
        }
    }
}

void LogHandlerPrivate::checkLogFiles()
{
    unchecked = 0;
    if (!logFile || !logFile->isOpen())
        return;
    if (logOut)
        logOut->flush();
    if (logFile->size() <= maxLogFileSize)
        return;

    closeLogFile();
    const bool moved = moveAside(now().toString(QStringLiteral("yyyy-MM-dd hh:mm:ss")));
    reopenLogFile(moved);
    if (moved)
        logFileCreatedDate = now().date();
}

void LogHandlerPrivate::autoDeleteLog()
{
    folder.removeOlderThan(now().addDays(-keepDays));
    folder.bound(folderLimit(), logFile ? logFile->size() : 0);
}

qint64 LogHandlerPrivate::folderLimit()
{
    return folderLimitOverride > 0 ? folderLimitOverride : maxLogFolderSize;
}

void LogHandlerPrivate::setFolderLimit(qint64 bytes)
{
    Lock lock;
    folderLimitOverride = bytes;
}

QString LogHandlerPrivate::levelWord(QtMsgType type)
{
    switch (type) {
    case QtDebugMsg:
        return QStringLiteral("DEBUG");
    case QtInfoMsg:
        return QStringLiteral("INFO ");
    case QtWarningMsg:
        return QStringLiteral("WARN ");
    case QtCriticalMsg:
        return QStringLiteral("ERROR");
    case QtFatalMsg:
        return QStringLiteral("FATAL");
    }
    return QStringLiteral("DEBUG");
}

QString LogHandlerPrivate::formatLine(const QDateTime& when, QtMsgType type, const QMessageLogContext& context,
                                      const QString& msg)
{
    QString file = QString::fromUtf8(context.file);
    const int cut = qMax(file.lastIndexOf(QLatin1Char('/')), file.lastIndexOf(QLatin1Char('\\')));
    if (cut >= 0)
        file = file.mid(cut + 1);
    // One multi-argument arg(): a "%1" inside the message text must stay as it is.
    return QStringLiteral("%1 - [%2] (%3:%4, %5): %6\n")
        .arg(when.toString(QStringLiteral("yyyy-MM-dd hh:mm:ss.zzz")), levelWord(type), file,
             QString::number(context.line), QString::fromUtf8(context.function), msg);
}

void LogHandlerPrivate::messageHandler(QtMsgType type, const QMessageLogContext& context, const QString& msg)
{
    // Something done under the lock on this thread raised a message: taking the lock
    // again would hang, so it only reaches the console.
    if (lockHeldHere) {
        echo(msg);
        return;
    }

    Lock lock;
    echo(msg);
    if (!logOut)
        return;
    const QString line = formatLine(now(), type, context, msg);
    *logOut << line;
    // A flood fills the file far faster than the tick looks at it.
    unchecked += line.size();
    if (current && unchecked > qMin<qint64>(1024 * 1024, folderLimit() / 16)) {
        current->checkLogFiles();
        current->autoDeleteLog();
    }
    // Qt aborts right after a fatal message; what is still buffered would be lost.
    if (type == QtFatalMsg && logOut) {
        logOut->flush();
        std::fflush(stdout);
    }
}

void LogHandlerPrivate::onRenameTimer()
{
    Lock lock;
    if (!current)
        return;
    current->openAndBackupLogFile();
    current->checkLogFiles();
    current->autoDeleteLog();
}

void LogHandlerPrivate::onFlushTimer()
{
    Lock lock;
    if (logOut)
        logOut->flush();
}

void LogHandlerPrivate::flushForCrash()
{
    if (lockHeldHere)
        return;
    if (!logMutex.tryLock(200))
        return;
    lockHeldHere = true;
    if (logOut)
        logOut->flush();
    lockHeldHere = false;
    logMutex.unlock();
    std::fflush(stdout);
}

QDateTime LogHandlerPrivate::now()
{
    return clock ? clock() : QDateTime::currentDateTime();
}

void LogHandlerPrivate::setClock(std::function<QDateTime()> newClock)
{
    Lock lock;
    clock = std::move(newClock);
}
