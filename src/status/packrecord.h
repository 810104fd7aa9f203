#ifndef PACKRECORD_H
#define PACKRECORD_H

#include "novalue.h"

#include <QString>

// One row of the "pwr" pack table: the pack's address, its measurements, its state
// words, its SOC and the time of its last alarm. A plain value, so the group view can keep its own copy
// of the last table without anyone having to manage the lifetime of the rows.
class PackRecord
{
public:
    QString GetDeviceAdd() const { return deviceAdd; }
    void SetDeviceAdd(const QString& add) { deviceAdd = add; }
    // Pack voltage, current, temperature and its lowest and highest cell temperature
    // and cell voltage, in V, A and degrees Celsius; the no-value mark when unknown.
    double GetVolt() const { return volt; }
    void SetVolt(double v) { volt = v; }
    double GetCurrent() const { return current; }
    void SetCurrent(double a) { current = a; }
    double GetTemp() const { return temp; }
    void SetTemp(double t) { temp = t; }
    double GetTempLow() const { return tempLow; }
    void SetTempLow(double t) { tempLow = t; }
    double GetTempHigh() const { return tempHigh; }
    void SetTempHigh(double t) { tempHigh = t; }
    double GetMinVol() const { return minVol; }
    void SetMinVol(double v) { minVol = v; }
    double GetMaxVol() const { return maxVol; }
    void SetMaxVol(double v) { maxVol = v; }
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
    double volt = NoValue::Double;
    double current = NoValue::Double;
    double temp = NoValue::Double;
    double tempLow = NoValue::Double;
    double tempHigh = NoValue::Double;
    double minVol = NoValue::Double;
    double maxVol = NoValue::Double;
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
