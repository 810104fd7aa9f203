// Switching the charge and discharge MOSFETs, and the device self-test. The buttons
// are hidden in normal use; the polling chain's "ctrl" read-out is the part the
// operator sees (CtrlProcess, with the status replies).
#include "bmsmainwin.h"
#include "ui_bmsmainwin.h"

#include "addbarcode.h"
#include "msgbox.h"
#include "myserial.h"
#include "tallreply.h"

#include <QApplication>
#include <QDebug>
#include <QTimer>

namespace {
const QString kCompleted = QStringLiteral("Command completed successfully");
} // namespace

void BMSMainWin::ControlInit()
{
    selfTestTimer = new QTimer(this);
    selfTestTimer->setSingleShot(true);
    selfTestTimer->setInterval(SelfTestLimitMs);
    connect(selfTestTimer, &QTimer::timeout, this, &BMSMainWin::SelfTestTimeOut);
    connect(ui->CfetOnBtn, &QPushButton::clicked, this, &BMSMainWin::CfetOnBtn_clicked);
    connect(ui->CfetOffBtn, &QPushButton::clicked, this, &BMSMainWin::CfetOffBtn_clicked);
    connect(ui->DfetOnBtn, &QPushButton::clicked, this, &BMSMainWin::DfetOnBtn_clicked);
    connect(ui->DfetOffBtn, &QPushButton::clicked, this, &BMSMainWin::DfetOffBtn_clicked);
    connect(ui->SelfTestBtn, &QPushButton::clicked, this, &BMSMainWin::SelfTestBtn_clicked);
}

void BMSMainWin::CfetOnBtn_clicked() { SwitchMos(QStringLiteral("ctrl cfet on")); }
void BMSMainWin::CfetOffBtn_clicked() { SwitchMos(QStringLiteral("ctrl cfet off")); }
void BMSMainWin::DfetOnBtn_clicked() { SwitchMos(QStringLiteral("ctrl dfet on")); }
void BMSMainWin::DfetOffBtn_clicked() { SwitchMos(QStringLiteral("ctrl dfet off")); }

void BMSMainWin::SwitchMos(const QString& command)
{
    if (selfTesting)
        return;
    SendHoldingPolling(command);
}

void BMSMainWin::OpenMosProcess(const QString& reply)
{
    MosResult(reply, tr("The Mos open success!"), tr("The Mos open fail!"));
}

void BMSMainWin::CloseMosProcess(const QString& reply)
{
    MosResult(reply, tr("The Mos close success!"), tr("The Mos close fail!"));
}

void BMSMainWin::MosResult(const QString& reply, const QString& success, const QString& failure)
{
    qDebug() << "Command:" << CurrentCommand;
    if (!reply.contains(kCompleted)) {
        MsgBox::show(this, QMessageBox::Information, tr("Message"), failure);
        return;
    }
    MsgBox::show(this, QMessageBox::Information, tr("Message"), success);
    // The port may have gone while the box was open; its own box has said so.
    if (portOpen)
        SendCommand(QStringLiteral("ctrl"));
}

void BMSMainWin::SelfTestBtn_clicked()
{
    pollTimer->stop();
    if (selfTesting)
        return;
    SendCommand(QStringLiteral("tall"));
    // Without a port nothing went out, and nothing may be left waiting for an answer.
    if (!serial->isOpen())
        return;
    selfTesting = true;
    selfTestTimer->start();
}

void BMSMainWin::TallProcess(const QString& reply)
{
    qDebug() << "Command:" << CurrentCommand;
    // Whatever the verdict, the test is over and commands may go out again.
    EndSelfTest();
    ResumePolling();
    const TallReply tall = TallReply::parse(reply);
    if (tall.passed) {
        MsgBox::show(this, QMessageBox::Information, tr("Message"), tr("The self-test finish!"));
        return;
    }
    // The device's own lines name the check that failed.
    QString text = tr("The self-test fail!");
    if (!tall.answer.isEmpty())
        text += QStringLiteral("\n\n") + tall.answer;
    MsgBox::show(this, QMessageBox::Warning, tr("Message"), text);
}

void BMSMainWin::SelfTestTimeOut()
{
    if (!selfTesting)
        return;
    EndSelfTest();
    // The start of the report may have come; should the rest follow late, it must
    // not be read as the beginning of the next command's reply.
    framer.dropPartialFrame();
    ResumePolling();
    MsgBox::show(this, QMessageBox::Warning, tr("Message"),
                 tr("The self-test gave no result within %1 seconds! Commands are sent again.")
                     .arg(selfTestTimer->interval() / 1000.0));
}

void BMSMainWin::EndSelfTest()
{
    selfTestTimer->stop();
    selfTesting = false;
}

QString BMSMainWin::ControlPortClosed()
{
    // A barcode typed now would go to whichever pack the next session selects. (The
    // class is named with "::" because the member slot AddBarcode hides it here.)
    const QWidgetList windows = QApplication::topLevelWidgets();
    for (QWidget* window : windows) {
        if (auto* dialog = qobject_cast<::AddBarcode*>(window))
            dialog->close();
    }
    if (!selfTesting)
        return QString();
    EndSelfTest();
    framer.dropPartialFrame();
    return tr("The self-test was interrupted; its result is unknown.");
}
