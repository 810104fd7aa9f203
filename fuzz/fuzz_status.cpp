// libFuzzer target: the overview parsers ("pwrsys", "pwr", "pwr N", "bat N",
// "balance", "ctrl") on arbitrary device output. The first byte picks the pack or
// cell count the parser is told to expect; the rest is the reply. Whatever the bytes,
// parsing must not crash and must keep the promises the views rely on.

#include "balancereply.h"
#include "batreply.h"
#include "ctrlreply.h"
#include "novalue.h"
#include "pwrsinglereply.h"
#include "pwrsysreply.h"
#include "pwrtablereply.h"

#include <QString>
#include <QtGlobal>

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>

namespace {

void quiet(QtMsgType, const QMessageLogContext&, const QString&) {}

void check(bool promise)
{
    if (!promise)
        std::abort();
}

void pwrsys(const QString& reply)
{
    const PwrsysReply r = PwrsysReply::parse(reply);
    if (!r.complete) {
        check(r.state.isEmpty() && NoValue::isNone(r.presentNum) && NoValue::isNone(r.totalVoltage)
              && NoValue::isNone(r.totalCurrent) && NoValue::isNone(r.totalSoc) && NoValue::isNone(r.totalSoh));
        return;
    }
    static const QStringList states = { "", "idle", "charge", "discharge", "SysError" };
    check(states.contains(r.state));
    check(r.stateFound == !r.state.isEmpty());
}

void pwrTable(const QString& reply, int present)
{
    const PwrTableReply r = PwrTableReply::parse(reply, present);
    if (!r.enoughRows) {
        check(r.packs.isEmpty());
        return;
    }
    check(r.packs.size() <= present);
    check(r.packColumns.size() == r.packs.size());
    for (const QStringList& columns : r.packColumns)
        check(columns.size() >= 17);
}

void pwrSingle(const QString& reply)
{
    const PwrSingleReply r = PwrSingleReply::parse(reply);
    if (!r.complete) {
        check(NoValue::isNone(r.soc) && NoValue::isNone(r.soh) && r.basicStatus.isEmpty());
        return;
    }
    // A health beyond 100 % or a NaN would reach the detail view as shown.
    check(NoValue::isNone(r.soh) || (r.soh <= 100.0 && !std::isnan(r.soh)));
    check(r.basicStatus == r.basicStatus.trimmed() && r.sysDefault == r.sysDefault.trimmed());
}

void bat(const QString& reply, int cells)
{
    const BatReply r = BatReply::parse(reply, cells);
    if (!r.countMatches) {
        check(r.cells.isEmpty() && NoValue::isNone(r.maxVol) && NoValue::isNone(r.minVol)
              && NoValue::isNone(r.maxVolId) && NoValue::isNone(r.minVolId) && NoValue::isNone(r.soc));
        return;
    }
    check(r.rows.size() == cells && r.cells.size() <= cells);
    // The extremes are those of cells in the list.
    if (!r.cells.isEmpty()) {
        check(r.maxVol >= r.minVol || std::isnan(r.maxVol) || std::isnan(r.minVol));
        bool maxFound = false;
        bool minFound = false;
        for (const BatteryCell& c : r.cells) {
            maxFound = maxFound || (c.GetBatteryId() == r.maxVolId);
            minFound = minFound || (c.GetBatteryId() == r.minVolId);
            check(c.GetSoc() >= r.soc);
        }
        check(maxFound && minFound);
    }
}

void balance(const QString& reply, int present)
{
    const BalanceReply r = BalanceReply::parse(reply, present);
    if (!r.usable()) {
        check(r.states.isEmpty());
        return;
    }
    check(r.states.size() <= present);
}

void ctrl(const QString& reply)
{
    const CtrlReply r = CtrlReply::parse(reply);
    // A key line without a colon takes its value from the next colon on (the shared
    // field rule); only "ON" shows as on, so such text shows as off.
    check(r.cfet == r.cfet.trimmed() && r.dfet == r.dfet.trimmed());
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const bool installed = (qInstallMessageHandler(quiet), true);
    Q_UNUSED(installed);
    if (size == 0)
        return 0;

    // 0 … 31 covers every real count and a few impossible ones.
    const int count = data[0] % 32;
    const QString reply = QString::fromUtf8(reinterpret_cast<const char*>(data + 1), static_cast<int>(size - 1));
    pwrsys(reply);
    pwrTable(reply, count);
    pwrSingle(reply);
    bat(reply, count);
    balance(reply, count);
    ctrl(reply);
    return 0;
}
