// Replies of pages that do not read them yet (real time, switching, self-test,
// firmware update). The dispatch tables already route them here, so the console view
// and the log show the traffic; nothing else is done.
#include "bmsmainwin.h"

#include <QDebug>

namespace {
void logCommand(const QString& command)
{
    qDebug() << "Command:" << command;
}
} // namespace

void BMSMainWin::UpdateProcess(const QString&) { logCommand(CurrentCommand); }
void BMSMainWin::WakeProcess(const QString&) { logCommand(CurrentCommand); }

void BMSMainWin::XmodemHandOff(const QByteArray& bytes)
{
    // No transfer runs without the firmware worker; the bytes are only logged.
    qDebug() << "Xmodem hand-off without a transfer:" << bytes.size() << "bytes";
}
