#ifndef SIMPACK_H
#define SIMPACK_H

#include <QDateTime>
#include <QString>
#include <QVector>

// One battery pack of the simulated system: its identity and its last sample.
// Voltages in mV, currents in mA, temperatures in thousandths of a degree Celsius,
// charge in mAh, as the console prints them.
struct SimPack
{
    int address = 1;
    QString bootVersion;
    QString mainVersion;
    QString commVersion;
    QString barcode;
    QString packSpec;
    QString maxChargeCurr;
    QString releaseDate;

    double totalMah = 100000.0;          // design capacity
    double realMah = 100000.0;           // capacity left after ageing
    double remainingMah = 80000.0;
    double setCurrentMa = 0.0;           // what the load or charger draws
    bool autoCycle = true;               // turn round at the charge limits

    // Last sample.
    int currentMa = 0;
    int voltMv = 0;
    int tempMc = 25000;
    QVector<int> cellMv;
    QVector<int> cellTempMc;
    QVector<int> cellMah;
    bool balancing = false;
    bool forceBalance = false;

    // Fixed differences between cells, drawn once at power-on.
    QVector<int> cellOffsetMv;
    QVector<int> cellTempOffsetMc;
    QVector<int> cellMahOffset;

    unsigned alarms = 0;                 // SimDevice::Alarm bits
    int alarmCell = 0;                   // the cell that shows a voltage or temperature alarm
    QDateTime lastAlarm;

    int cells() const { return cellOffsetMv.size(); }
    int soc() const;                     // whole percent of the real capacity
};

#endif // SIMPACK_H
