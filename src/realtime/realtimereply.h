#ifndef REALTIMEREPLY_H
#define REALTIMEREPLY_H

#include "realtimeitem.h"

#include <QDateTime>
#include <QList>
#include <QString>

// One piece of the real-time stream as the quiet-time dispatch hands it over: the
// first one carries the echo, the column titles, the sample with ID 1 and the
// acknowledgement; later ones only sample rows. Kept apart from the charts so that it
// can be tested and fuzzed on plain text.
struct RealTimeReply {
    // The text the rows are read from: after the column titles when the reply has
    // them, otherwise all of it, line ends without carriage returns.
    QString rows;
    bool headerCut = false;
    // The samples, in the order they were printed. A line of fewer than 16 fields (an
    // empty line, the acknowledgement) ends them; a line of more than 17 is skipped.
    QList<RealTimeItem> items;
    // The device acknowledged the start of the stream.
    bool completed = false;

    static RealTimeReply parse(const QString& reply);

    // A sample's time as a reading of the device clock: "yy-MM-dd HH:mm:ss" when the
    // text is exactly 17 characters long (a year of this century), otherwise
    // "yyyy-MM-dd HH:mm:ss". Invalid when it is neither.
    static QDateTime sampleTime(const QString& time);
};

#endif // REALTIMEREPLY_H
