#ifndef PWRSINGLEREPLY_H
#define PWRSINGLEREPLY_H

#include "novalue.h"

#include <QString>

// The summary of one pack read from a "pwr N" reply. Numbers that the reply leaves out
// or prints as words carry the no-value mark.
struct PwrSingleReply {
    // False when one of the keys is missing: every value below is then unknown.
    bool complete = false;
    double current = NoValue::Double;      // A
    double temperature = NoValue::Double;  // degrees Celsius
    QString socText;                       // as printed
    int soc = NoValue::Int;                // %
    double totalCoulomb = NoValue::Double; // mAH
    double realCoulomb = NoValue::Double;  // mAH
    double soh = NoValue::Double;          // %, at most 100
    QString basicStatus;
    QString sysDefault;

    static PwrSingleReply parse(const QString& reply);
};

#endif // PWRSINGLEREPLY_H
