// The main window's handling of the "info" reply: the pack's identity goes into the
// detail view, the model name into the window (it decides how the event history is
// read). The follow-up "bat " command belongs to the reply dispatch.

#include "bmsmainwin.h"
#include "ui_bmsmainwin.h"

#include "batteryinfo.h"
#include "inforeply.h"

#include <QDebug>

void BMSMainWin::InfoProcess(const QString& reply)
{
    qDebug() << "Command:" << CurrentCommand;

    const InfoReply info = InfoReply::parse(reply);
    BatteryInfo* view = ui->BattInfoWid;
    view->SetDeviceAdd(info.deviceAdd);
    view->SetBootVersion(info.bootVersion);
    view->SetBarcode(info.barcode);
    view->SetSpecification(info.packSpec);
    view->SetMainVersion(info.mainVersion);
    view->SetComVersion(info.comVersion);
    view->SetMaxChargeCurr(info.maxChargeCurr);
    view->SetRelaseDate(info.relaseDate);
    view->SetCellNumber(info.cellNumber);
    // A broken reply says nothing about the model. A complete one that leaves the name
    // out leaves it unknown (empty) rather than keeping another device's name: the
    // history page then asks again instead of choosing the wrong receive path.
    if (info.complete)
        deviceModel = info.deviceName;
    view->SetInfoMess();
}
