#ifndef PWRTABLEREPLY_H
#define PWRTABLEREPLY_H

#include "packrecord.h"

#include <QList>
#include <QString>
#include <QStringList>

// The pack table of a "pwr" reply: one record per readable row, in pack order.
struct PwrTableReply {
    QString body;     // the rows between the header line and the closing line
    int rowCount = 0; // rows of the body, empty ones included
    // False when the body has fewer rows than packs are present; such a reply must
    // change nothing on screen.
    bool enoughRows = false;
    QList<PackRecord> packs;
    QList<QStringList> packColumns; // the columns each record was read from

    static PwrTableReply parse(const QString& reply, int presentCount);
};

#endif // PWRTABLEREPLY_H
