#include "breakpadhandler.h"

#include "breakpadhandlerprivate.h"
#include "loghandlerprivate.h"

#include "client/linux/handler/exception_handler.h"
#include "client/linux/handler/minidump_descriptor.h"

#include <QCoreApplication>
#include <QDebug>
#include <QDir>
#include <QFile>
#include <QMutexLocker>

#include <string>

std::atomic<BreakpadHandler*> BreakpadHandler::instance{nullptr};
QBasicMutex BreakpadHandler::mutex_;

namespace {
// The live handler, for the crash callback (which gets no context pointer).
BreakpadHandler* liveHandler = nullptr;

// Breakpad's Linux client describes the dump by its full path; the program's callback
// takes the directory and the minidump id (the file name without ".dmp").
bool linuxDumpCallback(const google_breakpad::MinidumpDescriptor& descriptor, void* context, bool succeeded)
{
    const std::string path = descriptor.path() ? descriptor.path() : "";
    std::string id = path.substr(path.rfind('/') + 1);
    const std::string ext = ".dmp";
    if (id.size() >= ext.size() && id.compare(id.size() - ext.size(), ext.size(), ext) == 0)
        id.resize(id.size() - ext.size());
    return DumpCallback(descriptor.directory().c_str(), id.c_str(), context, succeeded);
}
} // namespace

bool DumpCallback(const char* dumpDir, const char* minidumpId, void* context, bool succeeded)
{
    Q_UNUSED(context);
    const QString path = QFile::decodeName(dumpDir) + QLatin1Char('/') + QFile::decodeName(minidumpId);
    qDebug("%s, dump path: %s\n", succeeded ? "Succeed to write minidump" : "Failed to write minidump",
           qPrintable(path));
    if (liveHandler)
        liveHandler->CallOnCrash(succeeded, QFile::decodeName(dumpDir), QFile::decodeName(minidumpId));
    // The process dies once this returns: the log lines of its last second are still in
    // the stream's buffer.
    LogHandlerPrivate::flushForCrash();
    return succeeded;
}

BreakpadHandler* BreakpadHandler::GetInstance()
{
    BreakpadHandler* existing = instance.load(std::memory_order_acquire);
    if (!existing) {
        QMutexLocker lock(&mutex_);
        existing = instance.load(std::memory_order_relaxed);
        if (!existing) {
            existing = new BreakpadHandler;
            instance.store(existing, std::memory_order_release);
        }
    }
    return existing;
}

BreakpadHandler::BreakpadHandler()
    : d(new BreakpadHandlerPrivate)
{
    liveHandler = this;
}

BreakpadHandler::~BreakpadHandler()
{
    liveHandler = nullptr;
    delete d->exceptionHandler;
    delete d;
}

void BreakpadHandler::SetupBreakPad(const QString& path)
{
    QString dir = path;
    if (QDir::isRelativePath(dir))
        dir = QDir::cleanPath(QCoreApplication::applicationDirPath() + QLatin1Char('/') + dir);

    QDir().mkpath(dir);
    if (!QDir(dir).exists()) {
        qDebug("Failed to set dump path which not exists: %s", qPrintable(dir));
        return;
    }

    d->dumpPath = dir;
    // Set up twice, two handlers would each write a dump of the same crash.
    delete d->exceptionHandler;
    d->exceptionHandler = new google_breakpad::ExceptionHandler(
        google_breakpad::MinidumpDescriptor(QFile::encodeName(dir).toStdString()), nullptr, linuxDumpCallback,
        nullptr, true, -1);
}

QString BreakpadHandler::GetBreakPadDumpPath() const
{
    return d->dumpPath;
}

QStringList BreakpadHandler::GetDumpFileList() const
{
    if (d->dumpPath.isEmpty())
        return QStringList();
    return QDir(d->dumpPath).entryList(QStringList{QStringLiteral("*.dmp")}, QDir::Files, QDir::Name);
}

bool BreakpadHandler::IsHadCrashedDumpFiles() const
{
    return !GetDumpFileList().isEmpty();
}

void BreakpadHandler::DeleteAllOfTheDumpFiles()
{
    const QStringList names = GetDumpFileList();
    for (const QString& name : names)
        QFile::remove(d->dumpPath + QLatin1Char('/') + name);
}

void BreakpadHandler::CallOnCrash(bool succeeded, const QString& dumpDir, const QString& minidumpId)
{
    emit onCrash(succeeded, dumpDir, minidumpId);
}
