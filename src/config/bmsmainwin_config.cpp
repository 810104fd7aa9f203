// The protection page: the thresholds the BMS applies, as a table, its shutdown-time
// settings as text, and saving the whole reply for the service report.
#include "bmsmainwin.h"
#include "ui_bmsmainwin.h"

#include "configreply.h"
#include "msgbox.h"
#include "waitconfig.h"
#include "textsaver.h"

#include <QDebug>
#include <QFileInfo>
#include <QStandardItemModel>

namespace {
QStandardItem* centred(const QString& text)
{
    auto* item = new QStandardItem(text);
    item->setTextAlignment(Qt::AlignCenter);
    // The table shows the device's settings; typing into it would only pretend to
    // change them.
    item->setEditable(false);
    return item;
}
} // namespace

void BMSMainWin::ConfigProcess(const QString& reply)
{
    qDebug() << "Command:" << CurrentCommand;
    configText.clear();
    ui->ConfigTextBro->clear();
    configModel->removeRows(0, configModel->rowCount());
    configText = reply;
    qDebug() << "configdata:" << reply;

    const ConfigReply config = ConfigReply::parse(reply);
    ui->ConfigTextBro->append(config.shutText);
    if (!config.tabulated)
        return;
    for (const ProtectItem& item : config.items) {
        configModel->appendRow({centred(item.GetItem()), centred(item.GetCell()), centred(item.GetPower()),
                                centred(item.GetUnit())});
    }
    ui->ConfigTabView->setModel(configModel);
}

void BMSMainWin::ConfigDefaProcess(const QString& reply)
{
    qDebug() << "Command:" << CurrentCommand;
    qDebug() << "configdefault sts";
    // The same notice window tells of a firmware update's reboot; that one stays.
    if (updateStage == UpdateStage::Idle)
        waitDlg->hide();
    if (!reply.contains(QLatin1String("Command completed successfully")))
        return;
    MsgBox::show(this, QMessageBox::Information, tr("Message"), tr("The initial configuration is successful!"));
    SendCommand(QStringLiteral("info ") + QString::number(currBatNum));
}

void BMSMainWin::ConfigDownBtn_clicked()
{
    const QString key = QStringLiteral("path/downpath");
    const QString file = TextSaver::saveAs(this, tr("choose a file"), dialogStartDir(key),
                                           tr("(*.txt);;All Files(*.*)"), configText.toLocal8Bit());
    if (file.isEmpty())
        return;
    rememberDialogDir(key, file);
    qDebug() << "downpath " << QFileInfo(file).absolutePath();
}

QString BMSMainWin::ConfigPortClosed()
{
    // The thresholds belong to the device that was connected; the last reply stays
    // in configText so that it can still be saved.
    configModel->removeRows(0, configModel->rowCount());
    ui->ConfigTextBro->clear();
    return QString();
}
