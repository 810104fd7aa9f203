#ifndef BREAKPADHANDLER_H
#define BREAKPADHANDLER_H

#include <QBasicMutex>
#include <QObject>
#include <QString>
#include <QStringList>

#include <atomic>

class BreakpadHandlerPrivate;

// Writes a minidump into the dump directory when the process crashes (Google Breakpad,
// in-process), and gives the start-up code what it needs to hand the dumps of an earlier
// run to the operator.
class BreakpadHandler : public QObject
{
    Q_OBJECT

public:
    static BreakpadHandler* GetInstance();

    // A relative path is taken relative to the application's directory. When the
    // directory cannot be created the process runs without crash handling.
    void SetupBreakPad(const QString& path);

    QString GetBreakPadDumpPath() const;
    // Names (no directory) of the "*.dmp" files in the dump directory.
    QStringList GetDumpFileList() const;
    bool IsHadCrashedDumpFiles() const;
    void DeleteAllOfTheDumpFiles();

    void CallOnCrash(bool succeeded, const QString& dumpDir, const QString& minidumpId);

signals:
    // Emitted inside the crashing process, on the crashing thread, after the dump.
    void onCrash(bool succeeded, const QString& dumpDir, const QString& minidumpId);

private:
    BreakpadHandler();
    ~BreakpadHandler() override;

    static std::atomic<BreakpadHandler*> instance;
    static QBasicMutex mutex_;

    BreakpadHandlerPrivate* d;
};

// The minidump-written callback: logs where the dump went, tells the live
// BreakpadHandler and returns `succeeded`. Runs in the crashed process.
bool DumpCallback(const char* dumpDir, const char* minidumpId, void* context, bool succeeded);

#endif // BREAKPADHANDLER_H
