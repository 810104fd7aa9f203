#ifndef REALTIMEITEM_H
#define REALTIMEITEM_H

#include <QString>

// One sample of the real-time stream, as one row of a "disp pwrs N" reply prints it.
// A plain value record: it is filled completely before anyone reads it.
class RealTimeItem
{
public:
    int GetID() const { return id; }
    void SetID(int v) { id = v; }
    // The date, one blank and the time, exactly as the device printed them.
    QString GetTime() const { return time; }
    void SetTime(const QString& v) { time = v; }
    double GetVolt() const { return volt; } // V
    void SetVolt(double v) { volt = v; }
    double GetCurrent() const { return current; } // A, negative while discharging
    void SetCurrent(double v) { current = v; }
    double GetTemp() const { return temp; } // degrees Celsius
    void SetTemp(double v) { temp = v; }
    int GetSOCPer() const { return socPer; } // %
    void SetSOCPer(int v) { socPer = v; }
    int GetCoul() const { return coul; } // mAh, as printed
    void SetCoul(int v) { coul = v; }

private:
    int id = 0;
    QString time;
    double volt = 0.0;
    double current = 0.0;
    double temp = 0.0;
    int socPer = 0;
    int coul = 0;
};

#endif // REALTIMEITEM_H
