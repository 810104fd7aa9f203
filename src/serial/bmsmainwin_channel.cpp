// The command channel: writing commands, cutting replies out of the byte stream and
// handing each to the parser of the command that produced it, plus the ten-second
// status polling cycle. Everything here runs on the GUI thread; the only waits are
// GuiThreadSleep's local event loops, so replies may be dispatched inside the wait
// of an earlier reply's parser.
#include "bmsmainwin.h"
#include "ui_bmsmainwin.h"

#include "batterygroup.h"
#include "batteryinfo.h"
#include "msgbox.h"
#include "myserial.h"
#include "novalue.h"
#include "replyroute.h"

#include <QDateTime>
#include <QDebug>
#include <QEventLoop>
#include <QMutexLocker>
#include <QRegularExpression>
#include <QScrollBar>
#include <QTextCursor>
#include <QTextDocument>
#include <QTimer>

namespace {

const QString kFailNotPresent = QStringLiteral("Target device is not present");
const QString kFailUnknown = QStringLiteral("Unknown command");
const QString kFailExecute = QStringLiteral("Invalid command or fail to excute.");

// A frame larger than this is not a reply the device sends; it is a stream or a
// noisy line that opened with "@" and never closed. Bounding it keeps a session of
// many hours at a flat memory profile.
constexpr int kFrameCap = 256 * 1024;
// Unframed output is taken at each quiet period; a device that never pauses is cut
// into pieces of this size instead of filling memory.
constexpr int kRawCap = 1024 * 1024;
// Characters the console view keeps at most.
constexpr int kConsoleChars = 1000000;
// "login debug" answered by "Unknown command" is sent again, but not faster than this.
constexpr qint64 kLoginRetrySpacingMs = 1000;

bool isXmodemControl(char c)
{
    switch (static_cast<unsigned char>(c)) {
    case 0x01: // SOH
    case 0x04: // EOT
    case 0x06: // ACK
    case 0x15: // NAK
    case 0x18: // CAN
        return true;
    default:
        return false;
    }
}

// Tells the route observer which parser is about to receive the reply.
void reach(BMSMainWin& w, const char* parser, const QString& reply)
{
    if (w.routeObserver)
        w.routeObserver(parser, reply);
}

// A parser's follow-up: after a pause, the next command of the polling chain.
void chain(BMSMainWin& w, int waitMs, const QString& next, bool when)
{
    w.GuiThreadSleep(waitMs);
    if (when)
        w.SendCommand(next);
}

bool overviewChainOn(const BMSMainWin& w)
{
    return !w.GroupBtnFlag && w.basicPolling;
}

QString pack(const BMSMainWin& w, const char* command)
{
    return QLatin1String(command) + QString::number(w.currBatNum);
}

// Framed replies ("@" … "$$"). First match wins, so the order carries meaning:
// "pwrsys" and "pwr N" come before the bare "pwr"; the rows whose reply must hold the
// command followed by "\n" let "ctrl cfet on", "config default", "data event N" and
// "datalist event 0" fall through to their own rows.
const QVector<ReplyRoute>& framedRoutes()
{
    static const QVector<ReplyRoute> rows = {
        // command contains                     reply must contain                       parser
        // The loader's answer to "updata" holds "data\n" but is no event count; the
        // quiet-time table hands the same text to UpdateProcess.
        {{"updata", "uboot"},                   {},                                      "none",
         [](BMSMainWin&, const QString&) { return true; }},
        {{"info "},                             {"info "},                               "InfoProcess",
         [](BMSMainWin& w, const QString& r) {
             reach(w, "InfoProcess", r);
             w.InfoProcess(r);
             if (w.basicPolling)
                 chain(w, 200, pack(w, "bat "), true);
             return true;
         }},
        {{"bat "},                              {"bat "},                                "BatProcess",
         [](BMSMainWin& w, const QString& r) {
             BatteryInfo* detail = w.findChild<BatteryInfo*>(QStringLiteral("BattInfoWid"));
             const int cells = detail->GetCellNumber();
             if (cells != NoValue::Int && cells != 0) {
                 reach(w, "BatProcess", r);
                 w.BatProcess(r, cells);
                 chain(w, 200, pack(w, "pwr "), w.basicPolling);
                 return true;
             }
             // The pack's cell count is unknown, so its cells cannot be read.
             detail->SetMaxVol(NoValue::Double);
             detail->SetMinVol(NoValue::Double);
             detail->SetSOC(NoValue::Int);
             detail->SetAllCoulomb(NoValue::Double);
             detail->SetMaxVolid(NoValue::Int);
             detail->SetMinVolid(NoValue::Int);
             detail->SetCellInit();
             if (w.basicPolling)
                 w.SendCommand(pack(w, "pwr "));
             return false;
         }},
        {{"pwrsys"},                            {"pwrsys"},                              "PwrsysProcess",
         [](BMSMainWin& w, const QString& r) {
             reach(w, "PwrsysProcess", r);
             w.PwrsysProcess(r);
             w.GuiThreadSleep(200);
             qDebug() << "GroupBtnFlag:" << w.GroupBtnFlag;
             if (overviewChainOn(w))
                 w.SendCommand(QStringLiteral("pwr"));
             return true;
         }},
        {{"pwr %N"},                            {"pwr %N"},                              "PwrSigleProcess",
         [](BMSMainWin& w, const QString& r) {
             reach(w, "PwrSigleProcess", r);
             w.PwrSigleProcess(r);
             w.GuiThreadSleep(200);
             return true;
         }},
        {{"ctrl"},                              {"ctrl\n"},                              "CtrlProcess",
         [](BMSMainWin& w, const QString& r) {
             reach(w, "CtrlProcess", r);
             w.CtrlProcess(r);
             w.GuiThreadSleep(20);
             return true;
         }},
        {{"ctrl cfet on", "ctrl dfet on"},      {},                                      "OpenMosProcess",
         [](BMSMainWin& w, const QString& r) { reach(w, "OpenMosProcess", r); w.OpenMosProcess(r); return true; }},
        {{"ctrl cfet off", "ctrl dfet off"},    {},                                      "CloseMosProcess",
         [](BMSMainWin& w, const QString& r) { reach(w, "CloseMosProcess", r); w.CloseMosProcess(r); return true; }},
        {{"pwr"},                               {"pwr", "B.T.St"},                       "PwrAlarmProcess",
         [](BMSMainWin& w, const QString& r) {
             const int present = w.findChild<BatteryGroup*>(QStringLiteral("BattGroupWid"))->GetPresentNum();
             if (present == NoValue::Int)
                 return false;
             reach(w, "PwrAlarmProcess", r);
             w.PwrAlarmProcess(r, present);
             w.GuiThreadSleep(200);
             qDebug() << "GroupBtnFlag:" << w.GroupBtnFlag;
             if (overviewChainOn(w))
                 w.SendCommand(QStringLiteral("balance"));
             return true;
         }},
        {{"balance"},                           {"balance"},                             "BalanceProcess",
         [](BMSMainWin& w, const QString& r) {
             const int present = w.findChild<BatteryGroup*>(QStringLiteral("BattGroupWid"))->GetPresentNum();
             if (present == NoValue::Int)
                 return false;
             reach(w, "BalanceProcess", r);
             w.BalanceProcess(r, present);
             w.GuiThreadSleep(200);
             qDebug() << "GroupBtnFlag:" << w.GroupBtnFlag;
             if (overviewChainOn(w))
                 w.SendCommand(QStringLiteral("ctrl"));
             return true;
         }},
        {{"config"},                            {"config\n"},                            "ConfigProcess",
         [](BMSMainWin& w, const QString& r) { reach(w, "ConfigProcess", r); w.ConfigProcess(r); return true; }},
        {{"tall"},                              {},                                      "TallProcess",
         [](BMSMainWin& w, const QString& r) { reach(w, "TallProcess", r); w.TallProcess(r); return true; }},
        {{"data"},                              {"data\n"},                              "DataProcess",
         [](BMSMainWin& w, const QString& r) { reach(w, "DataProcess", r); w.DataProcess(r); return true; }},
        {{"data event "},                       {"data event "},                         "DataEventProcess",
         [](BMSMainWin& w, const QString& r) { reach(w, "DataEventProcess", r); w.DataEventProcess(r); return true; }},
        {{"config default"},                    {"config default"},                      "ConfigDefaProcess",
         [](BMSMainWin& w, const QString& r) { reach(w, "ConfigDefaProcess", r); w.ConfigDefaProcess(r); return true; }},
        {{"tbar "},                             {"tbar "},                               "TbarProcess",
         [](BMSMainWin& w, const QString& r) { reach(w, "TbarProcess", r); w.TbarProcess(r); return true; }},
        {{"datalist event 0"},                  {"datalist event 0", "Command completed successfully"},
                                                                                         "DataListEventProcess",
         [](BMSMainWin& w, const QString& r) {
             // Only this model frames its whole event list in one reply; the others
             // page it unframed (quiet-time table).
             if (w.deviceModel == QLatin1String("HVRACK-7720-KM")) {
                 qDebug() << "HVRACK-7720-KM datalist";
                 reach(w, "DataListEventProcess", r);
                 w.DataListEventProcess(r);
             }
             return true;
         }},
    };
    return rows;
}

// Unframed output, taken after the quiet time. First match wins.
const QVector<ReplyRoute>& quietRoutes()
{
    static const QVector<ReplyRoute> rows = {
        // command contains                     text must contain                        parser
        {{"updata", "uboot"},                   {},                                      "UpdateProcess",
         [](BMSMainWin& w, const QString& t) { reach(w, "UpdateProcess", t); w.UpdateProcess(t); return true; }},
        {{"DLG"},                               {"Updata is ready!"},                    "WakeProcess",
         [](BMSMainWin& w, const QString& t) { reach(w, "WakeProcess", t); w.WakeProcess(t); return true; }},
        {{"disp pwrs "},                        {},                                      "DISPPWRSProcess",
         [](BMSMainWin& w, const QString& t) { reach(w, "DISPPWRSProcess", t); w.DISPPWRSProcess(t); return true; }},
        {{"disp 0"},                            {"disp 0"},                              "DispStopProcess",
         [](BMSMainWin& w, const QString& t) { reach(w, "DispStopProcess", t); w.DispStopProcess(t); return true; }},
        {{"datalist event 0"},                  {},                                      "DataListEventProcess",
         [](BMSMainWin& w, const QString& t) {
             if (w.deviceModel != QLatin1String("HVRACK-7720-KM")) {
                 qDebug() << "HVRACK-7720N datalist";
                 reach(w, "DataListEventProcess", t);
                 w.DataListEventProcess(t);
             }
             return true;
         }},
    };
    return rows;
}

// Runs the first matching row; returns false when no row matched or the row asks to
// leave the command state alone.
bool dispatch(BMSMainWin& w, const QVector<ReplyRoute>& rows, const QString& command, const QString& text)
{
    for (const ReplyRoute& row : rows) {
        if (!row.matches(command, text, w.currBatNum))
            continue;
        qDebug() << "reply route:" << row.parser;
        return row.run(w, text);
    }
    return true;
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
    QMetaObject::invokeMethod(this, [this, chunk] { ReceiveChunk(chunk); }, Qt::QueuedConnection);
}

void BMSMainWin::ReceiveChunk(const QByteArray& chunk)
{
    parseTimer->start(fastParse ? 12 : 300);
    rxRaw.append(chunk);

    if (!rxRaw.isEmpty() && isXmodemControl(rxRaw.at(0))) {
        QTimer::singleShot(0, transTimer, [this] { transTimer->stop(); });
        XmodemHandOff(rxRaw);
        qDebug() << "Xmodem bytes" << rxRaw.toHex(' ');
        rxRaw.clear();
    } else if (rxRaw.size() > kRawCap) {
        SerialDataParse();
    }

    // Only the part up to the first "$$" belongs to this frame. It is kept as it
    // came: a chunk may begin with the line end of the previous line, and trimming
    // it would glue two lines of the reply together.
    const int before = rxFrame.size();
    const int end = chunk.indexOf("$$");
    if (end >= 0)
        rxFrame.append(chunk.left(end + 2));
    else
        rxFrame.append(chunk);

    // rxFrame never keeps a "$$" between chunks, so only the new bytes (and the one
    // before them, for a "$$" split across chunks) need a look.
    int close = rxFrame.indexOf("$$", qMax(0, before - 1));
    while (close >= 0) {
        const int at = rxFrame.indexOf('@');
        if (at >= 0 && at < close) {
            // Built from the whole buffer: a NUL inside a reply must not cut it short.
            QString text = QString::fromUtf8(rxFrame.constData(), rxFrame.size());
            text.remove(QChar(0));
            text.remove(QLatin1Char('\r'));
            qDebug() << "test buff$$ clear0:" << text;
            emit CommandInfoStr(text);
            return;
        }
        // A "$$" without its "@" before it: drop it, and look again, since a complete
        // frame may already follow it.
        qDebug() << "test buff error:" << rxFrame;
        rxFrame.remove(0, close + 2);
        close = rxFrame.indexOf("$$");
    }
    if (rxFrame.size() > kFrameCap) {
        // Keep only a frame that may still be completed: the last "@" onwards.
        const int lastAt = rxFrame.lastIndexOf('@');
        if (lastAt > 0 && rxFrame.size() - lastAt <= kFrameCap)
            rxFrame.remove(0, lastAt);
        else
            rxFrame.clear();
    }
}

void BMSMainWin::SerialDataParse()
{
    parseTimer->stop();
    QString text;
    if (!rxRaw.isEmpty()) {
        text = QString::fromUtf8(rxRaw.constData(), rxRaw.size());
        qDebug() << "ReceData:" << text;
        QString shown = text;
        const bool hasCr = shown.contains(QLatin1Char('\r'));
        const bool hasLf = shown.contains(QLatin1Char('\n'));
        QTextCursor cursor(ui->ReceTextBro->document());
        cursor.movePosition(QTextCursor::End);
        if (hasCr && !hasLf) {
            // A line that redraws itself replaces the last line instead of piling up.
            cursor.movePosition(QTextCursor::StartOfBlock, QTextCursor::KeepAnchor);
            cursor.removeSelectedText();
            shown = shown.mid(shown.lastIndexOf(QLatin1Char('\r')) + 1);
        } else if (hasCr && hasLf) {
            static const QRegularExpression crRun(QStringLiteral("\r{2,}"));
            shown.replace(crRun, QStringLiteral("\r"));
            shown.replace(QLatin1String("\r\n"), QLatin1String("\n"));
            shown.replace(QLatin1String("\n\r"), QLatin1String("\n"));
        }
        cursor.insertText(shown);
        // The view keeps 1000 lines; a line that never ends (a noisy cable) is capped
        // by its characters instead, so the view cannot grow without bound.
        QTextDocument* doc = ui->ReceTextBro->document();
        if (doc->characterCount() > kConsoleChars) {
            QTextCursor head(doc);
            head.setPosition(doc->characterCount() - kConsoleChars, QTextCursor::KeepAnchor);
            head.removeSelectedText();
        }
    }
    rxRaw.clear();
    // Output that went quiet without ever opening a frame (a stream, a paged list)
    // is not the start of the next reply; left here it would be handed to that
    // reply's parser and, over a long stream, pile up.
    if (!rxFrame.contains('@'))
        rxFrame.clear();
    dispatch(*this, quietRoutes(), CurrentCommand, text);
}

void BMSMainWin::CommandInfoStrParse(const QString& reply)
{
    qDebug() << "parse CurrentCommand:" << CurrentCommand;
    qDebug() << "parse infoStrbytes:" << reply;
    rxFrame.clear();
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
        pollTimer->start(1000);
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
    if (selfTesting)
        return;
    pollTimer->stop();
    SendCommand(QStringLiteral("info ") + QString::number(currBatNum));
    if (portOpen && basicPolling)
        pollTimer->start(1000);
}

void BMSMainWin::RecTextChag()
{
    ui->ReceTextBro->moveCursor(QTextCursor::End);
}

void BMSMainWin::RTRecTextChag()
{
    ui->RTDataTextBrow->moveCursor(QTextCursor::End);
}
