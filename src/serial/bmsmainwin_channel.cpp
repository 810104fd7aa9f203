// The command channel: writing commands, feeding the received bytes to the framer and
// handing each reply to the parser of the command that produced it, plus the ten-second
// status polling cycle. Everything here runs on the GUI thread; the only waits are
// GuiThreadSleep's local event loops, so replies may be dispatched inside the wait
// of an earlier reply's parser.
#include "bmsmainwin.h"
#include "ui_bmsmainwin.h"

#include "batterygroup.h"
#include "batteryinfo.h"
#include "consoleview.h"
#include "msgbox.h"
#include "myserial.h"
#include "novalue.h"
#include "replyroute.h"
#include "steadyclock.h"

#include <QDateTime>
#include <QDebug>
#include <QEventLoop>
#include <QMutexLocker>
#include <QTextCursor>
#include <QTimer>

#include <algorithm>

namespace {

const QString kFailNotPresent = QStringLiteral("Target device is not present");
const QString kFailUnknown = QStringLiteral("Unknown command");
const QString kFailExecute = QStringLiteral("Invalid command or fail to excute.");

// "login debug" answered by "Unknown command" is sent again, but not faster than this.
constexpr qint64 kLoginRetrySpacingMs = 1000;

// The routes running right now, innermost last. A parser's pause runs the event loop,
// so further replies are dispatched inside it.
struct RouteRun {
    const BMSMainWin* window;
    const ReplyRoute* row;
    bool again; // the same route is pausing further out already
};
QVector<RouteRun> running;

// Whether the route now running is one that is pausing further out already. That one
// sends the follow-up once its pause is over; a second pause stacked on it would unwind
// into a second follow-up, and a line the device repeats into a burst of commands.
bool stacked()
{
    return !running.isEmpty() && running.last().again;
}

// A parser's pause before the next step of its chain; false when the chain must end
// here, quietly (a session that ended meanwhile has told its loss already).
bool pause(BMSMainWin& w, int ms)
{
    if (stacked())
        return false;
    const quint64 session = w.serial->session();
    w.GuiThreadSleep(ms);
    return w.portOpen && w.serial->session() == session;
}

// The cell count "bat N" is read with; 0 means the detail view has not learnt it.
int knownCells(const BMSMainWin& w)
{
    const int cells = w.ui->BattInfoWid->GetCellNumber();
    return cells == 0 ? NoValue::Int : cells;
}

int knownPacks(const BMSMainWin& w)
{
    return w.ui->BattGroupWid->GetPresentNum();
}

// "bat N" for a pack whose cell count is unknown: its cells cannot be read, so the
// detail view is blanked, and the chain still goes on to "pwr N".
void blankCells(BMSMainWin& w)
{
    BatteryInfo* detail = w.ui->BattInfoWid;
    detail->SetMaxVol(NoValue::Double);
    detail->SetMinVol(NoValue::Double);
    detail->SetSOC(NoValue::Int);
    detail->SetAllCoulomb(NoValue::Double);
    detail->SetMaxVolid(NoValue::Int);
    detail->SetMinVolid(NoValue::Int);
    detail->SetCellInit();
    if (w.basicPolling && w.portOpen && !stacked())
        w.SendCommand(ReplyRoute::withPack(QStringLiteral("pwr %N"), w.currBatNum));
}

bool modelServed(const BMSMainWin& w, ReplyRoute::Model model)
{
    const bool framesList = w.deviceModel == QLatin1String("HVRACK-7720-KM");
    switch (model) {
    case ReplyRoute::Model::Any:
        return true;
    case ReplyRoute::Model::FramesEventList:
        if (framesList)
            qDebug() << "HVRACK-7720-KM datalist";
        return framesList;
    case ReplyRoute::Model::PagesEventList:
        if (!framesList)
            qDebug() << "HVRACK-7720N datalist";
        return !framesList;
    }
    return false;
}

bool followUpDue(const BMSMainWin& w, ReplyRoute::Send when)
{
    switch (when) {
    case ReplyRoute::Send::Never:
        return false;
    case ReplyRoute::Send::WhilePolling:
        return true; // decided before the wait
    case ReplyRoute::Send::IfPolling:
        return w.basicPolling;
    case ReplyRoute::Send::IfChainFree:
        return w.basicPolling && !w.GroupBtnFlag;
    }
    return false;
}

// The one reader of both tables: the row's parser, then its wait and its follow-up.
// Returns false when the reply was left unparsed for want of a count.
bool runRoute(BMSMainWin& w, const ReplyRoute& row, const QString& text)
{
    const ReplyRoute::Action& action = row.action;
    if (!action.name)
        return true;
    int count = 0;
    if (action.count) {
        count = action.count(w);
        if (count == NoValue::Int) {
            if (action.unknown)
                action.unknown(w);
            return false;
        }
    }
    if (!modelServed(w, action.model))
        return true;

    if (w.routeObserver)
        w.routeObserver(action.name, text);
    if (action.parse)
        (w.*action.parse)(text);
    else
        (w.*action.parseCounted)(text, count);
    if (action.then)
        (w.*action.then)();

    if (row.when == ReplyRoute::Send::WhilePolling && !w.basicPolling)
        return true;
    const bool goOn = row.waitMs == 0 || pause(w, row.waitMs);
    if (row.when == ReplyRoute::Send::IfChainFree)
        qDebug() << "GroupBtnFlag:" << w.GroupBtnFlag;
    if (goOn && row.followUp && followUpDue(w, row.when))
        w.SendCommand(ReplyRoute::withPack(QLatin1String(row.followUp), w.currBatNum));
    return true;
}

using Send = ReplyRoute::Send;
using Model = ReplyRoute::Model;

// Framed replies ("@" … "$$"). First match wins, so the order carries meaning:
// "pwrsys" and "pwr N" come before the bare "pwr"; the rows whose reply must hold the
// command followed by "\n" let "ctrl cfet on", "config default", "data event N" and
// "datalist event 0" fall through to their own rows.
const QVector<ReplyRoute>& framedRoutes()
{
    static const QVector<ReplyRoute> rows = {
        // The loader's answer to "updata" holds "data\n" but is no event count; the
        // quiet-time table hands the same text to UpdateProcess.
        {{"updata", "uboot"}, {}, {}},
        // command contains               reply must contain
        //     parser                                                         wait  follow-up  sent
        {{"info "},                       {"info "},
             {ROUTE_PARSER(InfoProcess)},                                       200, "bat %N",  Send::WhilePolling},
        {{"bat "},                        {"bat "},
             {ROUTE_PARSER(BatProcess), knownCells, blankCells},                200, "pwr %N",  Send::IfPolling},
        {{"pwrsys"},                      {"pwrsys"},
             {ROUTE_PARSER(PwrsysProcess)},                                     200, "pwr",     Send::IfChainFree},
        // The single pack's "pwr N" ends a polling cycle: the recorder takes its row.
        {{"pwr %N"},                      {"pwr %N"},
             {ROUTE_PARSER(PwrSigleProcess), &BMSMainWin::PollCycleCompleted},  200},
        {{"ctrl"},                        {"ctrl\n"},
             {ROUTE_PARSER(CtrlProcess)},                                        20},
        {{"ctrl cfet on", "ctrl dfet on"},   {},
             {ROUTE_PARSER(OpenMosProcess)}},
        {{"ctrl cfet off", "ctrl dfet off"}, {},
             {ROUTE_PARSER(CloseMosProcess)}},
        {{"pwr"},                         {"pwr", "B.T.St"},
             {ROUTE_PARSER(PwrAlarmProcess), knownPacks},                       200, "balance", Send::IfChainFree},
        {{"balance"},                     {"balance"},
             {ROUTE_PARSER(BalanceProcess), knownPacks},                        200, "ctrl",    Send::IfChainFree},
        {{"config"},                      {"config\n"},
             {ROUTE_PARSER(ConfigProcess)}},
        {{"tall"},                        {},
             {ROUTE_PARSER(TallProcess)}},
        {{"data"},                        {"data\n"},
             {ROUTE_PARSER(DataProcess)}},
        {{"data event "},                 {"data event "},
             {ROUTE_PARSER(DataEventProcess)}},
        {{"config default"},              {"config default"},
             {ROUTE_PARSER(ConfigDefaProcess)}},
        {{"tbar "},                       {"tbar "},
             {ROUTE_PARSER(TbarProcess)}},
        {{"datalist event 0"},            {"datalist event 0", "Command completed successfully"},
             {ROUTE_PARSER(DataListEventProcess), Model::FramesEventList}},
    };
    return rows;
}

// Unframed output, taken after the quiet time. First match wins.
const QVector<ReplyRoute>& quietRoutes()
{
    static const QVector<ReplyRoute> rows = {
        // command contains    text must contain        parser
        {{"updata", "uboot"},  {},                      {ROUTE_PARSER(UpdateProcess)}},
        {{"DLG"},              {"Updata is ready!"},    {ROUTE_PARSER(WakeProcess)}},
        {{"disp pwrs "},       {},                      {ROUTE_PARSER(DISPPWRSProcess)}},
        {{"disp 0"},           {"disp 0"},              {ROUTE_PARSER(DispStopProcess)}},
        {{"datalist event 0"}, {},                      {ROUTE_PARSER(DataListEventProcess), Model::PagesEventList}},
    };
    return rows;
}

// Runs the first matching row; returns false when its parser was not given the reply
// for want of a count, and the command state must be left alone.
bool dispatch(BMSMainWin& w, const QVector<ReplyRoute>& rows, const QString& command, const QString& text)
{
    for (const ReplyRoute& row : rows) {
        if (!row.matches(command, text, w.currBatNum))
            continue;
        qDebug() << "reply route:" << (row.action.name ? row.action.name : "none");
        const bool again = std::any_of(running.cbegin(), running.cend(), [&](const RouteRun& r) {
            return r.window == &w && r.row == &row;
        });
        running.append({&w, &row, again});
        const bool done = runRoute(w, row, text);
        running.removeLast();
        return done;
    }
    return true;
}

// Hands the oldest complete frame to the dispatch. When one read held several, the
// next waits for the event loop: a parser pausing on the first one then sees it
// arrive just as it would have from a later read, against the same command.
void dispatchFrame(BMSMainWin& w)
{
    if (!w.framer.hasFrame())
        return;
    const QString text = w.framer.takeFrame();
    if (w.framer.hasFrame())
        QMetaObject::invokeMethod(&w, [&w] { dispatchFrame(w); }, Qt::QueuedConnection);
    // The bytes themselves are logged once, by the quiet-time processing.
    qDebug() << "test buff$$ clear0:" << text.size() << "characters";
    emit w.CommandInfoStr(text);
}

} // namespace

void BMSMainWin::SendCommand(const QString& cmd)
{
    if (!serial->isOpen()) {
        MsgBox::show(this, QMessageBox::Information, tr("Notice"), tr("The serial port not open, Please Login!"));
        return;
    }
    {
        QMutexLocker lock(&cmdMutex);
        CurrentCommand = cmd + QLatin1Char('\n');
    }
    qDebug() << "当前命令：" << CurrentCommand;
    serial->SerialSendData(QStringLiteral("\n"));
    if (serial->SerialSendData(CurrentCommand) == -1)
        qDebug() << "当前命令发送失败：" << CurrentCommand;
}

void BMSMainWin::GuiThreadSleep(int ms)
{
    qDebug() << "current time :" << QTime::currentTime().toString(QStringLiteral("hh:mm:ss.zzz"));
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
    qDebug() << "newcurrent time :" << QTime::currentTime().toString(QStringLiteral("hh:mm:ss.zzz"));
}

void BMSMainWin::SerialDataRead()
{
    // The bytes are taken at once but handled from the event loop: a parser that
    // waits (GuiThreadSleep) must see the next reply arrive during its wait, and the
    // port does not signal new data while its own readyRead is still being handled.
    const QByteArray chunk = serial->readAll();
    if (chunk.isEmpty())
        return;
    // Bytes of a session that has ended (or is ending) meanwhile are not parsed into the
    // reset views.
    QMetaObject::invokeMethod(this, [this, chunk, session = serial->session()] {
        if (portOpen && serial->isOpen() && serial->session() == session)
            ReceiveChunk(chunk);
    }, Qt::QueuedConnection);
}

void BMSMainWin::ReceiveChunk(const QByteArray& chunk)
{
    // Restarting the timer at every read takes two trips through the event dispatcher,
    // more than framing a short read does; a UART hands over a few bytes at a time. The
    // read starts the quiet period in the framer instead, and the timer, already running,
    // waits out the rest when it fires (ParseTimerDue). Only a shorter quiet time than
    // the one it runs for restarts it.
    const int quiet = fastParse ? 12 : 300;
    framer.startQuiet(steadyMs(), quiet);
    if (!parseTimer->isActive() || parseTimer->interval() > quiet)
        parseTimer->start(quiet);
    framer.feed(chunk);
    const QByteArray xmodem = framer.takeXmodem();
    if (!xmodem.isEmpty()) {
        QTimer::singleShot(0, transTimer, [this] { transTimer->stop(); });
        XmodemHandOff(xmodem);
        qDebug() << "Xmodem bytes" << xmodem.toHex(' ');
    } else if (framer.rawFull()) {
        SerialDataParse();
    }
    dispatchFrame(*this);
}

void BMSMainWin::ParseTimerDue()
{
    const qint64 left = framer.quietLeft(steadyMs());
    if (left > 0) {
        parseTimer->start(int(left));
        return;
    }
    SerialDataParse();
}

void BMSMainWin::SerialDataParse()
{
    parseTimer->stop();
    const QByteArray bytes = framer.takeQuiet();
    const QString text = showReceived(ui->ReceTextBro, bytes);
    dispatch(*this, quietRoutes(), CurrentCommand, text);
}

void BMSMainWin::CommandInfoStrParse(const QString& reply)
{
    qDebug() << "parse CurrentCommand:" << CurrentCommand;
    // The reply's bytes reach the log once, as "ReceData:"; the head of its first
    // line is enough to tell which reply this was.
    qDebug() << "parse infoStrbytes:" << reply.size() << "characters,"
             << reply.left(reply.indexOf(QLatin1Char('\n'))).left(40);
    // The framer has taken this frame out of rxFrame already; what rxFrame holds now
    // is the start of the next reply, and must stay.
    // The command may change inside a parser's wait; the state label answers the
    // command this reply was dispatched for.
    const QString command = CurrentCommand;
    if (!dispatch(*this, framedRoutes(), command, reply))
        return;

    const bool failed = reply.contains(kFailNotPresent) || reply.contains(kFailUnknown)
                        || reply.contains(kFailExecute);
    if (!failed) {
        cmdStateLab->setText(tr("Command State: completed successfully"));
        return;
    }
    if (command.contains(QLatin1String("login debug"))
        && (reply.contains(kFailUnknown) || reply.contains(kFailExecute))) {
        if (reply.contains(kFailUnknown) && !loginRetryPending) {
            const qint64 now = QDateTime::currentMSecsSinceEpoch();
            const qint64 wait = qMax<qint64>(0, lastLoginRetryMs + kLoginRetrySpacingMs - now);
            loginRetryPending = true;
            QTimer::singleShot(static_cast<int>(wait), this, [this] {
                loginRetryPending = false;
                lastLoginRetryMs = QDateTime::currentMSecsSinceEpoch();
                if (serial->isOpen())
                    SendCommand(QStringLiteral("login debug"));
            });
        }
        return;
    }
    if (reply.contains(QLatin1String("Quit current mode")))
        return;
    if (reply.contains(kFailUnknown))
        cmdStateLab->setText(tr("Command State: Unknown command"));
    else
        cmdStateLab->setText(tr("Command State: fail to excute"));
}

void BMSMainWin::RealTimerTimeOut()
{
    pollTick += 1;
    if (GroupBtnFlag) {
        // A pack was just picked: its own info/bat/pwr chain is running, so this tick
        // does not count and the next pwrsys chain may run again.
        pollTick -= 1;
        GroupBtnFlag = false;
    }
    qDebug() << "realtimer count:" << pollTick;

    if (pollTick / 10 == 1) {
        pollTick = 0;
        BatteryInfo* detail = ui->BattInfoWid;
        const int cells = detail->GetCellNumber();
        const int address = detail->GetDeviceAdd().toInt();
        qDebug() << "add:" << address << "currbatNum:" << currBatNum;
        if (currBatNum == 0) {
            currBatNum = 1;
            SendCommand(QStringLiteral("info ") + QString::number(currBatNum));
        } else if (cells != NoValue::Int && cells != 0 && address == currBatNum) {
            SendCommand(QStringLiteral("bat ") + QString::number(currBatNum));
        } else {
            SendCommand(QStringLiteral("info ") + QString::number(currBatNum));
        }
        ui->CurrBatNumLab->setText(QString::number(currBatNum));
    } else if (pollTick == 5) {
        SendCommand(QStringLiteral("pwrsys"));
    }
}

void BMSMainWin::RealTimerBtn_clicked()
{
    basicPolling = !basicPolling;
    qDebug() << "realtimerSta" << basicPolling;
    if (basicPolling) {
        ui->RealTimerBtn->setText(tr("stop"));
        ResumePolling();
    } else {
        ui->RealTimerBtn->setText(tr("start"));
        pollTimer->stop();
    }
}

void BMSMainWin::GroupBatClicked(bool active, int num)
{
    qDebug() << "active:" << active;
    if (active) {
        MsgBox::show(this, QMessageBox::Warning, tr("warning"),
                     tr("The operation is too frequent!\nPlease try again later!"));
        return;
    }
    GroupBtnFlag = true;
    currBatNum = num;
    qDebug() << "CurrBatNum:" << currBatNum;
    ui->CurrBatNumLab->setText(QString::number(currBatNum));
    if (!selfTesting)
        SendHoldingPolling(QStringLiteral("info ") + QString::number(currBatNum));
}

void BMSMainWin::ResumePolling()
{
    if (portOpen && basicPolling)
        pollTimer->start(1000);
}

void BMSMainWin::SendHoldingPolling(const QString& cmd, int settleMs)
{
    pollTimer->stop();
    SendCommand(cmd);
    if (settleMs > 0)
        GuiThreadSleep(settleMs);
    ResumePolling();
}

void BMSMainWin::RecTextChag()
{
    ui->ReceTextBro->moveCursor(QTextCursor::End);
}

void BMSMainWin::RTRecTextChag()
{
    ui->RTDataTextBrow->moveCursor(QTextCursor::End);
}
