#ifndef PACKRECORD_H
#define PACKRECORD_H

#include <QString>

// One row of the "pwr" pack table: the pack's address, its state words, its SOC and
// the time of its last alarm. A plain value, so the group view can keep its own copy
// of the last table without anyone having to manage the lifetime of the rows.
class PackRecord
{
public:
    QString GetDeviceAdd() const { return deviceAdd; }
    void SetDeviceAdd(const QString& add) { deviceAdd = add; }
    QString GetBasicStatus() const { return basicStatus; }
    void SetBasicStatus(const QString& s) { basicStatus = s; }
    QString GetVoltState() const { return voltState; }
    void SetVoltState(const QString& s) { voltState = s; }
    QString GetCurrState() const { return currState; }
    void SetCurrState(const QString& s) { currState = s; }
    QString GetTempState() const { return tempState; }
    void SetTempState(const QString& s) { tempState = s; }
    // The pack SOC in percent (the name is the one the detail view uses for charge).
    double GetAllCoulomb() const { return allCoulomb; }
    void SetAllCoulomb(double soc) { allCoulomb = soc; }
    QString GetTime() const { return time; }
    void SetTime(const QString& t) { time = t; }
    QString GetBatteryVolState() const { return batteryVolState; }
    void SetBatteryVolState(const QString& s) { batteryVolState = s; }
    QString GetBatteryTempState() const { return batteryTempState; }
    void SetBatteryTempState(const QString& s) { batteryTempState = s; }

private:
    QString deviceAdd;
    QString basicStatus;
    QString voltState;
    QString currState;
    QString tempState;
    double allCoulomb = 0;
    QString time;
    QString batteryVolState;
    QString batteryTempState;
};

#endif // PACKRECORD_H
