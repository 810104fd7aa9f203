#ifndef HISEVENTITEM_H
#define HISEVENTITEM_H

#include <QString>

// One row of the device's event list, every field exactly as the device printed it
// (no unit conversion): the event table shows what the device says, nothing more.
class HisEventItem
{
public:
    QString GetItem() const { return item; }
    void SetItem(const QString& v) { item = v; }
    QString GetDate() const { return date; }
    void SetDate(const QString& v) { date = v; }
    QString GetTime() const { return time; }
    void SetTime(const QString& v) { time = v; }
    QString GetVolt() const { return volt; }
    void SetVolt(const QString& v) { volt = v; }
    QString GetCurr() const { return curr; }
    void SetCurr(const QString& v) { curr = v; }
    QString GetTempr() const { return tempr; }
    void SetTempr(const QString& v) { tempr = v; }
    QString GetTlow() const { return tlow; }
    void SetTlow(const QString& v) { tlow = v; }
    QString GetThight() const { return thight; }
    void SetThight(const QString& v) { thight = v; }
    QString GetVlowest() const { return vlowest; }
    void SetVlowest(const QString& v) { vlowest = v; }
    QString GetVhighest() const { return vhighest; }
    void SetVhighest(const QString& v) { vhighest = v; }
    QString GetMask() const { return mask; }
    void SetMask(const QString& v) { mask = v; }
    QString GetBaseSt() const { return baseSt; }
    void SetBaseSt(const QString& v) { baseSt = v; }
    QString GetVoltSt() const { return voltSt; }
    void SetVoltSt(const QString& v) { voltSt = v; }
    QString GetCurrSt() const { return currSt; }
    void SetCurrSt(const QString& v) { currSt = v; }
    QString GetTempSt() const { return tempSt; }
    void SetTempSt(const QString& v) { tempSt = v; }
    QString GetPer() const { return per; }
    void SetPer(const QString& v) { per = v; }
    QString GetEvent() const { return event; }
    void SetEvent(const QString& v) { event = v; }

private:
    QString item;
    QString date;
    QString time;
    QString volt;
    QString curr;
    QString tempr;
    QString tlow;
    QString thight;
    QString vlowest;
    QString vhighest;
    QString mask;
    QString baseSt;
    QString voltSt;
    QString currSt;
    QString tempSt;
    QString per;
    QString event;
};

#endif // HISEVENTITEM_H
