// The raw console: hidden behind an access code, it lets a service technician type
// commands the program has no button for.
#include "bmsmainwin.h"
#include "ui_bmsmainwin.h"

#include "msgbox.h"
#include "myserial.h"

#include <QDebug>
#include <QMutexLocker>
#include <QTimer>

namespace {
const QString kConsoleCode = QStringLiteral("73914586");
}

void BMSMainWin::actionConsole_triggered()
{
    const QString code = MsgBox::input(this, tr("Entry Console"), tr("Please enter the console password:"),
                                       QStringLiteral("QLabel{font-family:Arial}QLineEdit{font:Arial}"
                                                      "QPushButton{font:Arial}"));
    qDebug() << "psd:" << code;
    if (!code.isEmpty() && code == kConsoleCode) {
        ui->SendDataBtn->setVisible(true);
        emit ui->SendDataBtn->clicked();
        return;
    }
    MsgBox::show(this, QMessageBox::Warning, tr("warning"), tr("Wrong password! Please check password！"));
}

void BMSMainWin::actionExit_Consle_triggered()
{
    ui->SendDataBtn->hide();
    emit ui->BasicBtn->clicked();
}

void BMSMainWin::SendBtn_clicked()
{
    if (!portOpen) {
        MsgBox::show(this, QMessageBox::Information, tr("Message"), tr("The serial port not open, Please open!"));
        return;
    }
    {
        // Typed commands are only shown, never dispatched to a parser.
        QMutexLocker lock(&cmdMutex);
        CurrentCommand.clear();
    }
    if (selfTesting)
        return;
    pollTimer->stop();
    const QString text = ui->SendEd->toPlainText() + QLatin1Char('\r');
    qDebug() << "sendata:" << text;
    serial->SerialSendData(text);
    ui->SendEd->clear();
    ResumePolling();
}

void BMSMainWin::InfoBtn_clicked()
{
    serial->SerialSendData(QStringLiteral("info\n"));
}

void BMSMainWin::PwrBtn_clicked()
{
    serial->SerialSendData(QStringLiteral("pwr\n"));
}

void BMSMainWin::BatBtn_clicked()
{
    serial->SerialSendData(QStringLiteral("bat\n"));
}

void BMSMainWin::ConfigDeBtn_clicked()
{
    // Through the command channel, unlike the other shortcuts: the device's answer then
    // reaches ConfigDefaProcess and the operator learns whether the defaults were
    // restored. Like them it does nothing while the port is closed, and nothing during
    // a self-test, whose reply must still find its command.
    if (!portOpen || selfTesting)
        return;
    SendCommand(QStringLiteral("config default"));
}
