// The overview page's share of the main window: the system summary, the pack table,
// the single-pack summary, the cell and balance tables, the MOSFET read-out and the
// sixteen pack gauges. Parsing happens in the *Reply classes; these members only move
// the results into the views.

#include "bmsmainwin.h"
#include "ui_bmsmainwin.h"

#include "balancereply.h"
#include "batreply.h"
#include "battery.h"
#include "batterygroup.h"
#include "batteryinfo.h"
#include "ctrlreply.h"
#include "novalue.h"
#include "pwrsinglereply.h"
#include "pwrsysreply.h"
#include "pwrtablereply.h"
#include "replyfield.h"

#include <QColor>
#include <QDebug>

namespace {

// Gauges that show live data carry the theme colour as their border.
const QColor liveBorder(74, 120, 222, 255);

} // namespace

void BMSMainWin::PwrsysProcess(const QString& reply)
{
    qDebug() << "Command:" << CurrentCommand;
    BatteryGroup* group = ui->BattGroupWid;
    const PwrsysReply sys = PwrsysReply::parse(reply);
    if (!sys.complete) {
        group->SetGroupState(QString());
        group->SetPresentNum(NoValue::Int);
        group->SetTotalVoltage(NoValue::Double);
        group->SetTotalCurrent(NoValue::Double);
        group->SetTotalSOC(NoValue::Int);
        group->SetTotalSOH(NoValue::Int);
        group->SetBattGroupMess();
        return;
    }

    if (sys.stateFound)
        group->SetGroupState(sys.state);

    presentNum = NoValue::isNone(sys.presentNum) ? 0 : sys.presentNum;
    group->SetPresentNum(sys.presentNum);
    if (presentNum != oldPresentNum) {
        qDebug() << "old != Present";
        oldPresentNum = presentNum;
        group->DelGroupBtnWid();
        group->SetGroupBattBtn();
    }

    group->SetTotalVoltage(sys.totalVoltage);
    qDebug() << "total curr:" << sys.currentText;
    group->SetTotalCurrent(sys.totalCurrent);
    group->SetTotalSOC(sys.totalSoc);
    group->SetTotalSOH(sys.totalSoh);
    group->SetBattGroupMess();
}

void BMSMainWin::PwrAlarmProcess(const QString& reply, int presentCount)
{
    qDebug() << "Command:" << CurrentCommand;
    const PwrTableReply table = PwrTableReply::parse(reply, presentCount);
    qDebug() << "PwrAlarmData:" << table.body;
    if (!table.enoughRows) {
        qDebug() << "PwrAlarmData rows:" << table.rowCount << "present:" << presentCount;
        return;
    }
    for (int j = 0; j < table.packs.size(); ++j) {
        qDebug() << "BatInfo:" << table.packColumns.at(j);
        qDebug() << "batCoul:" << table.packs.at(j).GetAllCoulomb();
    }

    BatteryGroup* group = ui->BattGroupWid;
    group->SetPackList(table.packs);
    group->SetBattGroupAlarm();

    // Gauge j+1 shows the j-th row kept, so a skipped row moves the later packs up.
    const QList<Battery*> all = gauges();
    for (int j = 0; j < table.packs.size() && j < all.size(); ++j) {
        Battery* gauge = all.at(j);
        gauge->setValue(table.packs.at(j).GetAllCoulomb());
        gauge->setBorderColorStart(liveBorder);
        gauge->setBorderColorEnd(liveBorder);
    }
    // The rows are values held by the group view; nothing is left to free here.
    qDebug() << "before clear test size:" << table.packs.size();
    qDebug() << "test size:" << 0;
}

void BMSMainWin::PwrSigleProcess(const QString& reply)
{
    qDebug() << "Command:" << CurrentCommand;
    BatteryInfo* info = ui->BattInfoWid;
    const PwrSingleReply pack = PwrSingleReply::parse(reply);
    if (!pack.complete) {
        info->SetCurrent(NoValue::Double);
        info->SetEnviornmentTemp(NoValue::Double);
        info->SetSOC(NoValue::Int);
        info->SetSOH(NoValue::Double);
        info->SetBasicStatus(QString());
        info->SetSysDefault(QString());
        info->SetCurrBatNum(NoValue::Int);
        info->SetBasicMess();
        return;
    }

    info->SetCurrent(pack.current);
    info->SetEnviornmentTemp(pack.temperature);
    qDebug() << "SOC:" << pack.socText;
    info->SetSOC(pack.soc);
    info->SetSOH(pack.soh);
    qDebug() << "basic status:" << pack.basicStatus;
    info->SetBasicStatus(pack.basicStatus);
    qDebug() << "sysdefault:" << pack.sysDefault;
    info->SetSysDefault(pack.sysDefault);
    info->SetCurrBatNum(currBatNum);
    info->SetBasicMess();
    info->CreatCellCharts();

    if (!NoValue::isNone(pack.soc))
        BatterySocChange(currBatNum, pack.soc);
}

void BMSMainWin::BatterySocChange(int pack, double soc)
{
    if (pack < 1 || pack > 16)
        return;
    Battery* gauge = gauges().at(pack - 1);
    if (gauge->getValue() == soc)
        return;
    gauge->setValue(soc);
    gauge->setBorderColorStart(liveBorder);
    gauge->setBorderColorEnd(liveBorder);
}

void BMSMainWin::BatProcess(const QString& reply, int cellCount)
{
    qDebug() << "Command:" << CurrentCommand;
    BatteryInfo* info = ui->BattInfoWid;
    const BatReply bat = BatReply::parse(reply, cellCount);
    qDebug() << "BatData:" << bat.body;
    qDebug() << "str:" << bat.rows.size();
    if (!bat.countMatches) {
        // The table does not belong to the pack the detail view describes; its cells
        // stay, only the figures derived from them become unknown.
        qDebug() << "Bat0:" << CurrentCommand;
        qDebug() << "Volt Status";
        info->SetMaxVol(NoValue::Double);
        info->SetMinVol(NoValue::Double);
        info->SetAllCoulomb(NoValue::Double);
        info->SetSOC(NoValue::Int);
        info->SetMaxVolid(NoValue::Int);
        info->SetMinVolid(NoValue::Int);
        return;
    }
    for (const QString& row : bat.rows)
        qDebug() << "batcells:" << ReplyField::trimmedColumns(row);
    qDebug() << "Bat1:" << CurrentCommand;
    qDebug() << "batterys:" << bat.cells.size();
    qDebug() << "SOC:" << bat.soc;

    info->SetMaxVol(bat.maxVol);
    info->SetMinVol(bat.minVol);
    info->SetSOC(bat.soc);
    info->SetAllCoulomb(bat.coulomb);
    info->SetBatterys(bat.cells);
    info->SetMaxVolid(bat.maxVolId);
    info->SetMinVolid(bat.minVolId);
    qDebug() << "Bat2:" << CurrentCommand;
}

void BMSMainWin::BalanceProcess(const QString& reply, int presentCount)
{
    qDebug() << "Command:" << CurrentCommand;
    const BalanceReply balance = BalanceReply::parse(reply, presentCount);
    if (balance.unknown) {
        qDebug() << "Unknown command 'balance'" << CurrentCommand;
        return;
    }
    qDebug() << "balancestr:" << balance.rows;
    if (!balance.countMatches) {
        qDebug() << "balancestr size error";
        return;
    }
    qDebug() << "balaninfo:" << balance.states;
    BatteryGroup* group = ui->BattGroupWid;
    group->SetBalanceList(balance.states);
    group->SetBattGroupBalanceInfo();
}

void BMSMainWin::CtrlProcess(const QString& reply)
{
    qDebug() << "Command:" << CurrentCommand;
    const CtrlReply ctrl = CtrlReply::parse(reply);
    BatteryGroup* group = ui->BattGroupWid;
    group->SetCMOSState(ctrl.cfet);
    group->SetDMOSState(ctrl.dfet);
    group->SetBattGroupMess();
}

QList<Battery*> BMSMainWin::gauges() const
{
    return { ui->BatteryOne,      ui->BatteryTwo,     ui->BatteryThree,  ui->BatteryFour,
             ui->BatteryFive,     ui->BatterySix,     ui->BatterySeven,  ui->BatteryEight,
             ui->BatteryNine,     ui->BatteryTen,     ui->BatteryEleven, ui->BatteryTwelve,
             ui->BatteryThirteen, ui->BatteryFourteen, ui->BatteryFifteen, ui->BatterySixteen };
}

void BMSMainWin::BatteryInit()
{
    const QColor idleStart(100, 100, 100, 255);
    const QColor idleEnd(80, 80, 80, 255);
    for (Battery* gauge : gauges()) {
        gauge->setValue(0.0);
        gauge->setBorderColorStart(idleStart);
        gauge->setBorderColorEnd(idleEnd);
    }
}
