// The firmware update as the operator runs it: access code, file, the "updata" or
// "uboot" command, the Xmodem transfer through the worker, the wait for the BMS to
// restart and the verdict read from its boot text; and the wake call that starts the
// same without the code. A failed upgrade can leave a pack without working firmware,
// so every ending goes through TransitAbr, which leaves nothing running or armed.
#include "bmsmainwin.h"
#include "ui_bmsmainwin.h"

#include "msgbox.h"
#include "myserial.h"
#include "novalue.h"
#include "transprogress.h"
#include "updatalogin.h"
#include "updatathread.h"
#include "waitconfig.h"

#include <QDebug>
#include <QDir>
#include <QFile>
#include <QIcon>
#include <QMutexLocker>
#include <QProgressBar>
#include <QTextCursor>
#include <QTimer>

namespace {

// Three minutes for each pack to take the image over from the host, or one minute
// when the count is not known.
constexpr int kRebootMsPerPack = 180000;
constexpr int kRebootMsUnknown = 60000;

bool packCountKnown(int presentNum)
{
    return presentNum > 0 && !NoValue::isNone(presentNum);
}

// The battery texts serve a lone pack and an unknown count; the host texts a system.
bool hostSystem(int presentNum)
{
    return packCountKnown(presentNum) && presentNum > 1;
}

// The small windows of the update open over the main window, not wherever the window
// system puts a new window.
void showOver(QWidget* window, const QWidget* over)
{
    window->move(over->geometry().center() - window->rect().center());
    window->show();
    window->raise();
}

} // namespace

void BMSMainWin::UpdateUiInit()
{
    updThread = new UpdataThread;
    transDlg = new TransProgress(this);
    waitDlg = new WaitConfig(this);
    transTimer->setSingleShot(true);
    updateTimer->setSingleShot(true);
}

void BMSMainWin::UpdateConnectInit()
{
    connect(updThread, &UpdataThread::sendData, this, &BMSMainWin::UpdataThreadSendData);
    connect(updThread, &UpdataThread::TransStart, this, &BMSMainWin::UpdataFileTranStart);
    connect(updThread, &UpdataThread::TimeOut, this, &BMSMainWin::UpdataStartTimeOut);
    connect(updThread, &UpdataThread::TransFinsh, this, &BMSMainWin::UpdataFileTranFinish);
    connect(updThread, &UpdataThread::FileError, this, &BMSMainWin::UpdataFileError);
    connect(ui->UpDateBtn, &QPushButton::clicked, this, &BMSMainWin::UpDateBtn_clicked);
    connect(ui->WakeBtn, &QPushButton::clicked, this, &BMSMainWin::WakeBtn_clicked);
    connect(ui->UbootBtn, &QPushButton::clicked, this, &BMSMainWin::UbootBtn_clicked);
    connect(ui->UpdateBtn, &QPushButton::clicked, this, &BMSMainWin::UpdateBtn_Clicked);
    connect(updateTimer, &QTimer::timeout, this, &BMSMainWin::UpdateTimeOut);
    connect(transTimer, &QTimer::timeout, this, &BMSMainWin::UpdataTransTimeOut);
}

const char* const BMSMainWin::UpdateGuide = ":/icon/res/UpdateMess.jpg";

void BMSMainWin::UpdatePageShown()
{
    if (ui->UpdateMessToolBtn->icon().isNull())
        ui->UpdateMessToolBtn->setIcon(QIcon(QString::fromLatin1(UpdateGuide)));
    qDebug() << "tool btn size" << ui->UpdateMessToolBtn->size();
    qDebug() << "widget_8" << ui->UpdateWid->size();
    ui->UpdateMessToolBtn->setIconSize(ui->UpdateMessToolBtn->size());
    qDebug() << "UpdateMessToolBtn->iconSize()" << ui->UpdateMessToolBtn->iconSize();
}

// ---------------------------------------------------------------------------------
// Buttons and the access code

void BMSMainWin::askAccessCode(bool refuseWhileBusy, const QString& unknownText, void (BMSMainWin::*onSuccess)())
{
    if (!serial->isConnected()) {
        MsgBox::show(this, QMessageBox::Information, tr("Notice"), tr("The serial port not open, Please open!"));
        return;
    }
    if (!packCountKnown(presentNum)) {
        MsgBox::show(this, QMessageBox::Information, tr("Notice"), unknownText);
        return;
    }
    // Busy from the moment the command went out, not only once blocks flow: a second
    // start while armed would write "updata" into the transfer.
    if (refuseWhileBusy && (fastParse || updateStage != UpdateStage::Idle)) {
        MsgBox::show(this, QMessageBox::Warning, tr("warning"), tr("Upgrading!Please wait!"));
        return;
    }
    // One access-code window at a time, answering the button pressed last.
    if (loginDlg)
        loginDlg->close();
    loginDlg = new UpdataLogin(this);
    connect(loginDlg, &UpdataLogin::LoginSuccess, this, onSuccess);
    showOver(loginDlg, this);
}

void BMSMainWin::UpDateBtn_clicked()
{
    askAccessCode(true, tr("Can't update! \"Present Num\" Unknown."), &BMSMainWin::UpdataSoft);
}

void BMSMainWin::UpdateBtn_Clicked()
{
    askAccessCode(false, tr("Can't update! \"Present Num\" Unknown."), &BMSMainWin::UpdataSoft);
}

void BMSMainWin::UbootBtn_clicked()
{
    askAccessCode(true, tr("Can't update boot! \"Present Num\" Unknown."), &BMSMainWin::UpdateBoot);
}

void BMSMainWin::UpdataSoft()
{
    UpdateStart(QStringLiteral("updata"));
}

void BMSMainWin::UpdateBoot()
{
    UpdateStart(QStringLiteral("uboot"));
}

void BMSMainWin::WakeBtn_clicked()
{
    if (fastParse || updateStage != UpdateStage::Idle) {
        MsgBox::show(this, QMessageBox::Warning, tr("warning"), tr("Upgrading!Please wait!"));
        return;
    }
    // The loader listens for single letters, not for a command line.
    for (const char* letter : {"D", "L", "G"}) {
        serial->SerialSendData(QLatin1String(letter));
        GuiThreadSleep(10);
    }
    QMutexLocker lock(&cmdMutex);
    CurrentCommand = QStringLiteral("DLG\n");
}

void BMSMainWin::WakeProcess(const QString& reply)
{
    qDebug() << "Command:" << CurrentCommand;
    qDebug() << "data:" << reply;
    if (!reply.contains(QLatin1String("Updata is ready!")))
        return;
    updateTimer->stop();
    qDebug() << "fastParse" << fastParse;
    UpdateStart(QStringLiteral("updata"));
}

// ---------------------------------------------------------------------------------
// The transfer

void BMSMainWin::UpdateStart(const QString& command)
{
    qDebug() << "updata";
    const QString updateFile = MsgBox::openFile(this, tr("open File"),
                                                dialogStartDir(QStringLiteral("path/lastpath")), QStringLiteral("*.bin"));
    if (updateFile.isEmpty()) {
        MsgBox::show(this, QMessageBox::Warning, tr("warning"), tr("Did not select file!"));
        return;
    }
    QFile probe(updateFile);
    if (!probe.open(QIODevice::ReadOnly)) {
        MsgBox::show(this, QMessageBox::Warning, tr("warning"), tr("Open file error!"));
        return;
    }
    probe.close();
    // The port may have gone while the file dialog was open; the loader must not be
    // armed for a device that never got the command.
    if (!serial->isOpen()) {
        MsgBox::show(this, QMessageBox::Information, tr("Notice"), tr("The serial port not open, Please open!"));
        return;
    }
    pollTimer->stop();
    SendCommand(command);
    rememberDialogDir(QStringLiteral("path/lastpath"), updateFile);
    qDebug() << "save path " << dialogStartDir(QStringLiteral("path/lastpath"));

    Updating(false);
    updateStage = UpdateStage::Armed;
    updThread->SetFileName(updateFile);
    updThread->SetProtocol(UpdataThread::Xmodem);
    updThread->SetTransMode(UpdataThread::Send);
    updThread->StartTransmit();
    transDlg->TransProReSet();
    showOver(transDlg, this);
}

void BMSMainWin::XmodemHandOff(const QByteArray& bytes)
{
    updThread->readData(bytes);
}

void BMSMainWin::UpdataFileTranStart()
{
    if (updateStage != UpdateStage::Armed)
        return; // a start reported after the workflow gave up
    updateStage = UpdateStage::Transferring;
    fastParse = true;
    shownProgress = -1;
    ui->ReceTextBro->append(QStringLiteral("\nTransimit Start\n"));
}

void BMSMainWin::UpdataThreadSendData(const QByteArray& bytes)
{
    const int p = updThread->progress();
    qDebug() << "progress:" << p;
    // Only a running transfer is watched; the CAN of a transfer given up is not.
    const bool transferring = updateStage == UpdateStage::Transferring;
    if (transferring)
        transTimer->start();
    serial->write(bytes);
    serial->flush();
    if (!transferring || p == shownProgress)
        return;
    // One progress line, rewritten in place, and only when the figure changes: a
    // large image has thousands of blocks.
    shownProgress = p;
    QTextCursor cursor(ui->ReceTextBro->document());
    cursor.movePosition(QTextCursor::End);
    cursor.movePosition(QTextCursor::StartOfBlock, QTextCursor::KeepAnchor);
    cursor.removeSelectedText();
    cursor.deletePreviousChar();
    ui->ReceTextBro->append(QStringLiteral("Transimit finish %1%").arg(p));
    transBar->setValue(p);
    transDlg->SetTransProValue(p);
}

void BMSMainWin::UpdataFileTranFinish(int result)
{
    if (updateStage != UpdateStage::Armed && updateStage != UpdateStage::Transferring)
        return;
    transTimer->stop();
    if (result != XmodemClass::Completed) {
        TransitAbr();
        ui->ReceTextBro->append(QStringLiteral("\nTransimit cancel\n"));
        if (result == XmodemClass::RetriesExhausted)
            MsgBox::show(this, QMessageBox::Warning, tr("Warning"),
                         tr("The bin file transfer failed: the receiver refused the same block %1 times!")
                             .arg(XmodemClass::MaxRetries + 1));
        else
            MsgBox::show(this, QMessageBox::Warning, tr("Warning"), tr("The bin file transfer is cancelled by receiver!"));
        return;
    }
    ui->ReceTextBro->append(QStringLiteral("\nTransimit finish\n"));
    transBar->reset();
    transDlg->TransProReSet();
    transDlg->hide();
    updateStage = UpdateStage::WaitingReboot;
    updateTimer->start(packCountKnown(presentNum) ? presentNum * kRebootMsPerPack : kRebootMsUnknown);
    waitDlg->SetTransLabText(hostSystem(presentNum) ? tr("Please wait for the host to upgrade !")
                                                    : tr("Please wait for the battery to upgrade !"));
    showOver(waitDlg, this);
    // fastParse stays set: the boot text is read after 12 ms of quiet.
}

void BMSMainWin::UpdataFileError(const QString& fileName, const QString& reason)
{
    if (updateStage != UpdateStage::Armed && updateStage != UpdateStage::Transferring)
        return;
    TransitAbr();
    ui->ReceTextBro->append(QStringLiteral("\nTransimit cancel\n"));
    MsgBox::show(this, QMessageBox::Warning, tr("Warning"),
                 tr("The bin file %1 could not be read: %2\n\nThe transfer is cancelled!")
                     .arg(QDir::toNativeSeparators(fileName), reason));
}

void BMSMainWin::UpdataStartTimeOut()
{
    if (updateStage != UpdateStage::Armed)
        return;
    TransitAbr();
    ui->ReceTextBro->append(QStringLiteral("\nTransimit Start TimeOut\n"));
    MsgBox::show(this, QMessageBox::Warning, tr("Warning"), tr("Start transmission timeout!"));
}

void BMSMainWin::UpdataTransTimeOut()
{
    if (updateStage != UpdateStage::Transferring)
        return;
    TransitAbr();
    ui->ReceTextBro->append(QStringLiteral("\nTimeOut during transmission\n"));
    MsgBox::show(this, QMessageBox::Warning, tr("Warning"), tr("TimeOut during transmission!"));
}

// ---------------------------------------------------------------------------------
// After the transfer: the boot text

void BMSMainWin::UpdateTimeOut()
{
    if (updateStage != UpdateStage::WaitingReboot)
        return;
    TransitAbr();
    MsgBox::show(this, QMessageBox::Warning, tr("warning"),
                 tr("Battery update error! Please check battery or wake battery\uFF01"));
}

void BMSMainWin::UpdateProcess(const QString& reply)
{
    qDebug() << "Command:" << CurrentCommand;
    qDebug() << "updatastate:" << fastParse;
    const bool booted = reply.contains(QLatin1String("SYS Init Over")) || reply.contains(QLatin1String("System run"))
                        || reply.contains(QLatin1String("IbcCAN init")) || reply.contains(QLatin1String("IBCCAN"));
    if (fastParse && booted) {
        qDebug() << "update successful";
        TransitAbr();
        GuiThreadSleep(200);
        // The port may have gone during the wait; its own box has told the operator.
        if (serial->isOpen())
            SendCommand(QStringLiteral("login debug"));
        if (reply.contains(QLatin1String("IBCCAN"))) {
            MsgBox::show(this, QMessageBox::Information, tr("Message"), tr("The HUB updata successful!"));
        } else {
            MsgBox::show(this, QMessageBox::Information, tr("Message"),
                         hostSystem(presentNum)
                             ? tr("Host upgraded successfully!Please check the slave after %1 minutes!").arg(presentNum)
                             : tr("The battery updata successful!"));
            currBatNum = 1;
            GuiThreadSleep(200);
            if (serial->isOpen())
                SendCommand(QStringLiteral("info ") + QString::number(currBatNum));
        }
        qDebug() << "updata succeser:" << portOpen << basicPolling;
        ResumePolling();
    }
    // "Version invalid" and "Version without head" among them.
    if (reply.contains(QLatin1String("invalid")))
        rejectFirmware(tr("Version invalid!\n\nPlease check firmware!"));
    else if (reply.contains(QLatin1String("without head")))
        rejectFirmware(tr("Version without head!\n\nPlease check firmware!"));
}

void BMSMainWin::rejectFirmware(const QString& text)
{
    TransitAbr();
    MsgBox::show(this, QMessageBox::Information, tr("Message"), text);
}

// ---------------------------------------------------------------------------------
// Endings

void BMSMainWin::TransitAbr()
{
    // Whatever the workflow gives up, the worker gives up too: a late ACK must not
    // send blocks to a device the operator was told is idle.
    if (updateStage == UpdateStage::Armed || updateStage == UpdateStage::Transferring)
        updThread->CancelTransmit();
    updateStage = UpdateStage::Idle;
    fastParse = false;
    transTimer->stop();
    updateTimer->stop();
    transBar->reset();
    transDlg->TransProReSet();
    transDlg->hide();
    waitDlg->hide();
    Updating(true);
}

void BMSMainWin::Updating(bool enable)
{
    for (QWidget* w : std::initializer_list<QWidget*>{
             ui->SendDataBtn, ui->BasicBtn, ui->RealBtn, ui->ConfigBtn, ui->SendBtn, ui->SelfTestBtn, ui->CfetOnBtn,
             ui->CfetOffBtn, ui->DfetOnBtn, ui->DfetOffBtn, ui->BattGroupWid, ui->BattInfoWid})
        w->setEnabled(enable);
    // Return in the command line would write a command into the transfer.
    if (enable)
        ui->SendEd->installEventFilter(this);
    else
        ui->SendEd->removeEventFilter(this);
}

QString BMSMainWin::UpdatePortClosed()
{
    if (loginDlg)
        loginDlg->close();
    const bool atStake = updateStage != UpdateStage::Idle;
    TransitAbr();
    if (!atStake)
        return QString();
    return tr("The firmware update was interrupted. The battery may be left without working firmware!");
}

QString BMSMainWin::UpdateQuitQuestion() const
{
    if (updateStage == UpdateStage::Idle)
        return tr("Do you wish to quit Korvello?");
    return tr("A firmware update is running. If you quit now, the battery may be left without working firmware!\n"
              "Do you wish to quit Korvello?");
}

void BMSMainWin::UpdateShutdown()
{
    if (!updThread)
        return;
    if (loginDlg)
        loginDlg->close();
    // Idle first, so the CAN the worker still owes the receiver is only written.
    updateStage = UpdateStage::Idle;
    updThread->stop();
    delete updThread;
    updThread = nullptr;
}
