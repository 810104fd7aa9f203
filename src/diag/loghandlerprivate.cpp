#include "loghandlerprivate.h"

#include <QFile>
#include <QFileInfo>
#include <QTextCodec>
#include <QThread>
#include <QTimer>

#include <climits>
#include <cstdio>
#include <cstring>

QFile* LogHandlerPrivate::logFile = nullptr;
LogStream* LogHandlerPrivate::logOut = nullptr;
QMutex LogHandlerPrivate::logMutex;
LogHandlerPrivate* LogHandlerPrivate::current = nullptr;
std::function<QDateTime()> LogHandlerPrivate::clock;
qint64 LogHandlerPrivate::folderLimitOverride = 0;
qint64 LogHandlerPrivate::unchecked = 0;
qint64 LogHandlerPrivate::stampSecond = LLONG_MIN;
char LogHandlerPrivate::stampText[20] = {};

namespace {
thread_local bool lockHeldHere = false;

void echoBytes(const QByteArray& text)
{
    std::fwrite(text.constData(), 1, size_t(text.size()), stdout);
    std::fputc('\n', stdout);
}

void echo(const QString& msg)
{
    echoBytes(msg.toLocal8Bit());
}

// The message in the local 8-bit encoding, for standard output; on the usual UTF-8
// system that is the very text the file gets.
void echoUtf8(const QString& msg, const QByteArray& utf8)
{
    const QTextCodec* local = QTextCodec::codecForLocale();
    if (local && local->mibEnum() == 106) // UTF-8
        echoBytes(utf8);
    else
        echo(msg);
}

void appendNumber(std::string& out, unsigned value, int minDigits)
{
    char digits[12];
    int n = 0;
    do {
        digits[n++] = char('0' + value % 10);
        value /= 10;
    } while (value || n < minDigits);
    while (n)
        out += digits[--n];
}

// The part of a source path after its last directory separator.
const char* baseName(const char* path)
{
    if (!path)
        return "";
    const char* base = path;
    for (const char* c = path; *c; ++c) {
        if (*c == '/' || *c == '\\')
            base = c + 1;
    }
    return base;
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

LogStream::LogStream(QFile* file)
    : file(file)
{
    pending.reserve(blockSize + 4096);
}

LogStream::~LogStream()
{
    flush();
}

void LogStream::endLine()
{
    if (pending.size() >= blockSize) {
        file->write(pending.data(), qint64(pending.size()));
        pending.clear();
    }
}

void LogStream::flush()
{
    if (pending.empty())
        return;
    file->write(pending.data(), qint64(pending.size()));
    pending.clear();
}

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
    // Unbuffered: logOut gathers the lines already, a second buffer would only copy them.
    const QIODevice::OpenMode mode = QIODevice::WriteOnly | QIODevice::Text | QIODevice::Unbuffered
                                     | (truncate ? QIODevice::Truncate : QIODevice::Append);
    if (logFile->open(mode))
        logOut = new LogStream(logFile);
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

const char* LogHandlerPrivate::levelWord(QtMsgType type)
{
    switch (type) {
    case QtDebugMsg:
        return "DEBUG";
    case QtInfoMsg:
        return "INFO ";
    case QtWarningMsg:
        return "WARN ";
    case QtCriticalMsg:
        return "ERROR";
    case QtFatalMsg:
        return "FATAL";
    }
    return "DEBUG";
}

void LogHandlerPrivate::appendStamp(std::string& out, qint64 msecs)
{
    const qint64 second = msecs >= 0 ? msecs / 1000 : -((999 - msecs) / 1000);
    if (second != stampSecond) {
        const QByteArray text = QDateTime::fromMSecsSinceEpoch(second * 1000)
                                    .toString(QStringLiteral("yyyy-MM-dd hh:mm:ss"))
                                    .toLatin1();
        qstrncpy(stampText, text.constData(), sizeof stampText);
        stampSecond = second;
    }
    out += stampText;
    out += '.';
    appendNumber(out, unsigned(msecs - second * 1000), 3);
}

void LogHandlerPrivate::appendLine(std::string& out, qint64 msecs, QtMsgType type,
                                   const QMessageLogContext& context, const QByteArray& msg)
{
    // "%1 - [%2] (%3:%4, %5): %6\n", pieced together: the message may hold a "%1" of
    // its own, and it stays as it is.
    appendStamp(out, msecs);
    out += " - [";
    out += levelWord(type);
    out += "] (";
    out += baseName(context.file);
    out += ':';
    if (context.line < 0)
        out += '-';
    appendNumber(out, unsigned(context.line < 0 ? -qint64(context.line) : context.line), 1);
    out += ", ";
    out += context.function ? context.function : "";
    out += "): ";
    out.append(msg.constData(), size_t(msg.size()));
    out += '\n';
}

void LogHandlerPrivate::messageHandler(QtMsgType type, const QMessageLogContext& context, const QString& msg)
{
    // Something done under the lock on this thread raised a message: taking the lock
    // again would hang, so it only reaches the console.
    if (lockHeldHere) {
        echo(msg);
        return;
    }

    const QByteArray utf8 = msg.toUtf8();
    Lock lock;
    echoUtf8(msg, utf8);
    if (!logOut)
        return;
    std::string& out = logOut->line();
    const size_t before = out.size();
    appendLine(out, nowMsecs(), type, context, utf8);
    // A flood fills the file far faster than the tick looks at it.
    unchecked += qint64(out.size() - before);
    logOut->endLine();
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

qint64 LogHandlerPrivate::nowMsecs()
{
    return clock ? clock().toMSecsSinceEpoch() : QDateTime::currentMSecsSinceEpoch();
}

void LogHandlerPrivate::setClock(std::function<QDateTime()> newClock)
{
    Lock lock;
    clock = std::move(newClock);
    stampSecond = LLONG_MIN;
}
