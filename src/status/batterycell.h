#ifndef BATTERYCELL_H
#define BATTERYCELL_H

#include <QString>

// One cell of a pack as the "bat" reply reports it. Ids count from 0; the views add 1.
class BatteryCell
{
public:
    int GetBatteryId() const { return batteryId; }
    void SetBatteryId(int id) { batteryId = id; }
    double GetVolt() const { return volt; }
    void SetVolt(double v) { volt = v; }
    double GetCurr() const { return curr; }
    void SetCurr(double c) { curr = c; }
    double GetTempr() const { return temp; }
    void SetTemp(double t) { temp = t; }
    QString GetVoltState() const { return voltState; }
    void SetVoltState(const QString& s) { voltState = s; }
    QString GetCurrState() const { return currState; }
    void SetCurrState(const QString& s) { currState = s; }
    QString GetTempState() const { return tempState; }
    void SetTempState(const QString& s) { tempState = s; }
    int GetCoulomb() const { return coulomb; }
    void SetCoulomb(int ah) { coulomb = ah; }
    int GetSoc() const { return soc; }
    void SetSoc(int s) { soc = s; }

private:
    int batteryId = 0;
    double volt = 0;     // V
    double curr = 0;     // A
    double temp = 0;     // degrees Celsius
    QString voltState;
    QString currState;
    QString tempState;
    int coulomb = 0;     // whole Ah
    int soc = 0;         // %
};

#endif // BATTERYCELL_H
