// The serial port side of the main window: the settings boxes, Login/Logout and the
// once-a-second watch for adapters that come and go.
#include "bmsmainwin.h"
#include "ui_bmsmainwin.h"

#include "bmssimulator.h"
#include "consoleview.h"
#include "msgbox.h"
#include "myserial.h"
#include "systemports.h"

#include <QDebug>
#include <QFileInfo>
#include <QSerialPort>
#include <QStandardItemModel>
#include <QTimer>

namespace {

// Fills the port box with names, each system port with its adapter as tooltip.
void fillPortBox(QComboBox* box, const QStringList& names)
{
    box->clear();
    box->addItems(names);
    for (const SystemPorts::Port& port : SystemPorts::instance().ports()) {
        const int at = box->findText(port.name);
        if (at >= 0)
            box->setItemData(at, port.tip, Qt::ToolTipRole);
    }
}

} // namespace

void BMSMainWin::SetSerialUi()
{
    portNames = getSerialNameList();
    ui->PortComBox->setEditable(true);
    ui->PortComBox->setInsertPolicy(QComboBox::NoInsert);
    fillPortBox(ui->PortComBox, portNames);
    if (!portNames.isEmpty())
        ui->PortComBox->setCurrentIndex(0);

    ui->BaudComBox->addItems({QStringLiteral("1200"), QStringLiteral("2400"), QStringLiteral("4800"),
                              QStringLiteral("9600"), QStringLiteral("19200"), QStringLiteral("38400"),
                              QStringLiteral("25600"), QStringLiteral("57600"), QStringLiteral("115200"),
                              QStringLiteral("256000")});
    ui->BaudComBox->setCurrentIndex(8);
    ui->DataBitComBox->addItems({QStringLiteral("5"), QStringLiteral("6"), QStringLiteral("7"), QStringLiteral("8")});
    ui->DataBitComBox->setCurrentIndex(3);
    ui->StopbitComBox->addItem(tr("1"), QSerialPort::OneStop);
    ui->StopbitComBox->addItem(tr("1.5"), QSerialPort::OneAndHalfStop);
    ui->StopbitComBox->addItem(tr("2"), QSerialPort::TwoStop);
    ui->StopbitComBox->setCurrentIndex(0);
    ui->ParityComBox->addItem(tr("None"), QSerialPort::NoParity);
    ui->ParityComBox->addItem(tr("Odd"), QSerialPort::OddParity);
    ui->ParityComBox->addItem(tr("Even"), QSerialPort::EvenParity);
    ui->ParityComBox->addItem(tr("Space"), QSerialPort::SpaceParity);
    ui->ParityComBox->addItem(tr("Mark"), QSerialPort::MarkParity);
    ui->ParityComBox->setCurrentIndex(0);
}

QStringList BMSMainWin::getSerialNameList()
{
    QStringList names;
    if (portListProvider) {
        names = portListProvider();
    } else {
        for (const SystemPorts::Port& port : SystemPorts::instance().ports())
            names << port.name;
    }
    if (simulator && !simulator->portPath().isEmpty() && !names.contains(simulator->portPath()))
        names << simulator->portPath();
    if (portOpen && !typedPort.isEmpty() && !names.contains(typedPort) && QFileInfo::exists(typedPort))
        names << typedPort;
    return names;
}

void BMSMainWin::ReflashSerialComx()
{
    const QStringList previous = portNames;
    portNames = getSerialNameList();
    const QString current = ui->PortComBox->currentText();
    if (portNames.size() == previous.size())
        return;

    fillPortBox(ui->PortComBox, portNames);
    if (portOpen)
        ui->PortComBox->setCurrentText(current);

    if (!portNames.contains(current) && portOpen)
        EndPortSession(true);
}

void BMSMainWin::OpenBtn_clicked()
{
    SerialSettings s;
    s.name = ui->PortComBox->currentText().trimmed();
    s.baudRate = ui->BaudComBox->currentText().toInt();
    s.dataBits = ui->DataBitComBox->currentText().toInt();
    s.stopBits = ui->StopbitComBox->currentData().toInt();
    s.parity = ui->ParityComBox->currentData().toInt();
    s.flowControl = QSerialPort::NoFlowControl;
    serial->setSerialSettings(s);
    qDebug() << "serial settings:" << s.name << s.baudRate << s.dataBits << s.stopBits << s.parity;

    if (!serial->open()) {
        MsgBox::show(this, QMessageBox::Warning, tr("Message"),
                     tr("The serial port is occupied or does not exist"));
        return;
    }
    ui->CloseBtn->setEnabled(true);
    ui->OpenBtn->setEnabled(false);
    portOpen = true;
    // A port the system does not list stays "present" while its node exists.
    // Decided on a fresh list: the last scan's may still name a typed port whose
    // session was just lost and which is now opened again under the same name.
    typedPort.clear();
    typedPort = getSerialNameList().contains(s.name) ? QString() : s.name;
    portNames = getSerialNameList();

    if (selfTesting)
        return;
    if (ui->StackWid->currentIndex() == 2)
        currBatNum = 1;
    ui->CurrBatNumLab->setText(QString::number(currBatNum));
    SendCommand(QStringLiteral("login debug"));
    GuiThreadSleep(50);
    if (!portOpen)
        return; // gone within the pause; that loss has been told
    SendCommand(QStringLiteral("pwrsys"));
    ResumePolling();
}

void BMSMainWin::CloseBtn_clicked()
{
    if (selfTesting)
        return;
    EndPortSession(false);
}

void BMSMainWin::EndPortSession(bool lost)
{
    // One session, one end: a loss told both by the port and by the scan, or one that
    // comes while Logout is still closing, is the same event.
    if (!portOpen)
        return;
    portOpen = false;
    pollTimer->stop();

    // Every subsystem with work of its own running ends it here, quietly, and says in
    // one sentence what was cut short (or nothing); the sentences go into this event's
    // one box. They run before "logout" so that what they still have to tell the
    // device (a firmware transfer's cancel) leaves in the wait below.
    QStringList interrupted = {
        RealTimePortClosed(),
        ControlPortClosed(),
        ConfigPortClosed(),
        HistoryPortClosed(),
        UpdatePortClosed(),
    };
    interrupted.removeAll(QString());

    if (!lost) {
        SendCommand(QStringLiteral("logout"));
        GuiThreadSleep(50); // lets "logout" leave before the port closes
    }
    serial->close();
    typedPort.clear();
    ui->CloseBtn->setEnabled(false);
    ui->OpenBtn->setEnabled(true);

    // What the closed session still sent is shown and logged, but never parsed: it
    // would only fill the views again after they are reset below.
    parseTimer->stop();
    showReceived(ui->ReceTextBro, framer.takeQuiet());
    framer.clear();

    // A pack picked and a cycle half counted belong to the closed session; left set,
    // they would hold back or crowd the next session's first polling chain.
    GroupBtnFlag = false;
    pollTick = 0;
    currBatNum = 0;
    presentNum = 0;
    oldPresentNum = 0;
    deviceModel.clear();
    ui->CurrBatNumLab->setText(QStringLiteral(" "));
    ResetDeviceViews();
    // A stream cut off by a loss stays on its page, so that what did arrive can still
    // be exported; Logout is the operator's own end of the session and clears it.
    if (!lost)
        RealTimeRecordClear();
    TellSessionEnd(lost, interrupted);
}

// The one box of a session's end: always for a loss, for Logout only when it cut
// something short.
void BMSMainWin::TellSessionEnd(bool lost, const QStringList& interrupted)
{
    if (lost) {
        QString text = tr("The serial port diconnect! Please check!");
        if (!interrupted.isEmpty())
            text += QStringLiteral("\n\n") + interrupted.join(QLatin1Char('\n'));
        MsgBox::show(this, QMessageBox::Critical, tr("Error"), text, QMessageBox::Ok);
    } else if (!interrupted.isEmpty()) {
        MsgBox::show(this, QMessageBox::Information, tr("Message"), interrupted.join(QLatin1Char('\n')));
    }
}
