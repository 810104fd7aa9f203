#ifndef PWRSYSREPLY_H
#define PWRSYSREPLY_H

#include "novalue.h"

#include <QString>

// The system summary read from a "pwrsys" reply. Numbers that the reply leaves out or
// prints as words carry the no-value mark.
struct PwrsysReply {
    // False when one of the six keys is missing: then every value below is the
    // no-value mark and the state is empty.
    bool complete = false;
    // False when the reply names none of the known states; the shown state then stays.
    bool stateFound = false;
    QString state; // "idle", "charge", "discharge", "SysError" or empty
    int presentNum = NoValue::Int;
    double totalVoltage = NoValue::Double; // V
    QString currentText;               // as printed, mA
    double totalCurrent = NoValue::Double; // A, negative while discharging
    int totalSoc = NoValue::Int;          // %
    int totalSoh = NoValue::Int;          // %

    static PwrsysReply parse(const QString& reply);
};

#endif // PWRSYSREPLY_H
