#ifndef BATREPLY_H
#define BATREPLY_H

#include "batterycell.h"
#include "novalue.h"

#include <QList>
#include <QString>
#include <QStringList>

// The cell table of a "bat N" reply: the cells and the pack's extremes.
struct BatReply {
    QString body;     // the cell rows, from cell 0 to the closing line
    QStringList rows; // the body split into lines, empty ones included
    // False when the table has another number of rows than the pack has cells; the
    // extremes are then unknown and the cell list must not replace the shown one.
    bool countMatches = false;
    QList<BatteryCell> cells;
    double maxVol = NoValue::Double;   // V
    double minVol = NoValue::Double;   // V
    int maxVolId = NoValue::Int;       // 0-based cell id
    int minVolId = NoValue::Int;       // 0-based cell id
    int soc = NoValue::Int;            // %, of the weakest cell
    double coulomb = NoValue::Double;  // whole Ah, of the weakest cell

    static BatReply parse(const QString& reply, int cellCount);
};

#endif // BATREPLY_H
