#ifndef SUITETOOLS_H
#define SUITETOOLS_H

#include "bmsmainwin.h"
#include "bmssimulator.h"
#include "boxrecorder.h"

#include <QComboBox>
#include <QFile>
#include <QPushButton>
#include <QTest>

#include <csignal>
#include <memory>
#include <sys/fsuid.h>
#include <sys/resource.h>
#include <unistd.h>

// A save that fails as it can on a technician's machine, for as long as this lives: a
// folder without write access, or a disk on which no file grows past maxFileSize bytes.
class SaveFault
{
public:
    enum Kind { None, ReadOnlyFolder, DiskFull };
    SaveFault(Kind kind, const QString& folder, rlim_t maxFileSize = 16)
        : folder(folder)
    {
        getrlimit(RLIMIT_FSIZE, &saved);
        std::signal(SIGXFSZ, SIG_IGN); // past the limit a write fails instead of ending us
        const rlimit full{maxFileSize, saved.rlim_max};
        if (kind == DiskFull)
            setrlimit(RLIMIT_FSIZE, &full);
        if (kind == ReadOnlyFolder) {
            QFile::setPermissions(folder, QFile::ReadOwner | QFile::ExeOwner | QFile::ReadOther | QFile::ExeOther);
            setfsuid(65534); // root writes anywhere; nobody does not
        }
    }
    ~SaveFault()
    {
        setfsuid(getuid());
        setrlimit(RLIMIT_FSIZE, &saved);
        QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }

private:
    QString folder;
    rlimit saved{};
};

inline QByteArray fileBytes(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

inline bool writeFile(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size() && f.flush();
}

// Bytes that differ from block to block, so that a block sent twice or out of place shows.
inline QByteArray patterned(int size)
{
    QByteArray b(size, '\0');
    for (int i = 0; i < size; ++i)
        b[i] = char(i * 7 + i / 256);
    return b;
}

// Logs in to a simulator's port; true once the opening chain has read "ctrl", its last
// reply, so that nothing of it crosses what the test sends next.
inline bool loginToSim(BMSMainWin& win, const QString& port)
{
    bool ctrlRead = false;
    win.routeObserver = [&ctrlRead](const char* parser, const QString&) {
        ctrlRead = ctrlRead || qstrcmp(parser, "CtrlProcess") == 0;
    };
    win.findChild<QComboBox*>("PortComBox")->setCurrentText(port);
    win.OpenBtn_clicked();
    const bool settled = QTest::qWaitFor([&] { return ctrlRead; }, 5000);
    win.routeObserver = nullptr;
    return settled;
}

// A simulated system, a window to log in to it, the operator's boxes and the command
// lines the device received.
struct SimSession {
    BoxRecorder boxes;
    BmsSimulator sim;
    std::unique_ptr<BMSMainWin> win{new BMSMainWin};
    QStringList commands;

    explicit SimSession(const SimOptions& o)
        : sim(o)
    {
        QObject::connect(&sim, &BmsSimulator::commandReceived, &sim, [this](const QString& l) { commands << l; });
    }
    bool up() { return sim.start() && loginToSim(*win, sim.portPath()); }
    QPushButton* button(const char* name) const { return win->findChild<QPushButton*>(name); }
};

#endif // SUITETOOLS_H
