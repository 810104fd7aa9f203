// Replies of pages that do not read them yet (real time, protection, history,
// switching, self-test). The dispatch tables already route them
// here, so the console view and the log show the traffic; nothing else is done.
#include "bmsmainwin.h"

#include <QDebug>

namespace {
void logCommand(const QString& command)
{
    qDebug() << "Command:" << command;
}
} // namespace

void BMSMainWin::OpenMosProcess(const QString&) { logCommand(CurrentCommand); }
void BMSMainWin::CloseMosProcess(const QString&) { logCommand(CurrentCommand); }
void BMSMainWin::TallProcess(const QString&) { logCommand(CurrentCommand); }
void BMSMainWin::ConfigProcess(const QString&) { logCommand(CurrentCommand); }
void BMSMainWin::ConfigDefaProcess(const QString&) { logCommand(CurrentCommand); }
void BMSMainWin::DataProcess(const QString&) { logCommand(CurrentCommand); }
void BMSMainWin::DataEventProcess(const QString&) { logCommand(CurrentCommand); }
void BMSMainWin::DataListEventProcess(const QString&) { logCommand(CurrentCommand); }
void BMSMainWin::DISPPWRSProcess(const QString&) { logCommand(CurrentCommand); }
void BMSMainWin::DispStopProcess(const QString&) { logCommand(CurrentCommand); }
