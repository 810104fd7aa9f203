#ifndef SIMEVENT_H
#define SIMEVENT_H

#include <QDateTime>
#include <QString>
#include <QVector>

// One entry of the device's event history, with the snapshot taken when it happened.
struct SimEvent
{
    int item = 0;                        // 1 = oldest
    int pack = 1;
    QDateTime time;
    int voltMv = 0;
    int currentMa = 0;
    int tempC = 25;
    int tempLowC = 24;
    int tempHighC = 26;
    int cellLowMv = 0;
    int cellHighMv = 0;
    unsigned mask = 0;
    QString baseState;
    QString voltState;
    QString currState;
    QString tempState;
    int soc = 0;
    QString text;                        // several words
    QVector<int> cellMv;
};

#endif // SIMEVENT_H
