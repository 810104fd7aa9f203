#ifndef RECORDROWBUILDER_H
#define RECORDROWBUILDER_H

#include "batterycell.h"
#include "packrecord.h"

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>

// Turns what one polling cycle read into CSV rows: one row for the system, one per
// pack of the pack table and one per cell of the pack shown in detail, all sharing one
// timestamp and one set of columns. A row leaves the columns that do not apply to it
// empty, and so does a value the device did not give (the no-value mark).
class RecordRowBuilder
{
public:
    // Everything the overview holds after a completed polling cycle, as plain values.
    struct Cycle {
        QDateTime time;
        // System summary ("pwrsys", "ctrl").
        QString state;
        int presentNum = 0;
        double voltage = 0; // V
        double current = 0; // A
        int soc = 0;        // %
        int soh = 0;        // %
        QString cfet;
        QString dfet;
        // The pack table ("pwr") and the balance column ("balance"), in pack order.
        QList<PackRecord> packs;
        QStringList balance;
        // The pack shown in detail ("pwr N", "bat N").
        int detailPack = 0;
        double detailSoh = 0; // %
        QString detailFault;
        QList<BatteryCell> cells;
    };

    static QStringList columns();
    static QList<QStringList> rows(const Cycle& cycle);

    // One CSV line with its CRLF; fields holding a comma, a quote or a line break are
    // quoted, their quotes doubled.
    static QByteArray line(const QStringList& fields);
    // ISO 8601 to the second, with the UTC offset of the time given.
    static QString timestamp(const QDateTime& time);
};

#endif // RECORDROWBUILDER_H
