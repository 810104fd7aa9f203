#ifndef SIMTHRESHOLD_H
#define SIMTHRESHOLD_H

#include <QString>

// One alarm or protection setting as "config" prints it: a value for one cell, a value
// for the whole pack (empty when the setting has only one) and the unit.
struct SimThreshold
{
    QString name;
    QString cell;
    QString power;
    QString unit;
};

#endif // SIMTHRESHOLD_H
