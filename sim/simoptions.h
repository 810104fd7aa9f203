#ifndef SIMOPTIONS_H
#define SIMOPTIONS_H

#include "simfaults.h"

#include <QDateTime>
#include <QList>
#include <QString>

// What the simulated battery system is made of and how it talks. The defaults give a
// three-pack system that answers like the common rack model.
struct SimOptions
{
    int packs = 3;                       // 1 .. 16
    int cells = 16;                      // 15 or 16 per pack
    QString model = QStringLiteral("HVRACK-7720N");
    bool pwrDevType = false;             // "pwr" table with the trailing DevType column
    int batLayout = 11;                  // "bat N" rows of 11 or 10 parts
    int dispFields = 16;                 // "disp pwrs N" rows of 16 or 17 fields
    bool eventMask = false;              // event listings with the "mask" column
    bool balance = true;                 // false: "balance" is an unknown command
    bool requireLogin = true;            // switching, barcode and defaults need "login debug"
    quint32 seed = 1;
    int events = 37;                     // events in the history at power-on
    int pageRows = 10;                   // event rows per page of a paged listing
    double speed = 1.0;                  // how many times faster than real time the charge moves
    int sampleMs = 1000;                 // the device takes a new sample this often
    QList<int> blankBarcodes;            // packs that come without a barcode
    QList<int> sensorFaults;             // packs with a sensor fault from power-on: "tall" fails
    int selfTestMs = 3000;               // duration of "tall"
    int rebootMs = 3000;                 // from an accepted image to the boot text
    int xmodemRetryMs = 1000;            // NAK pace while waiting for a sender
    // The device clock at power-on; fixed so that one seed always gives one session.
    QDateTime startTime = QDateTime(QDate(2024, 6, 1), QTime(8, 0, 0), Qt::UTC);
    SimFaults faults;
};

#endif // SIMOPTIONS_H
