#ifndef INFOREPLY_H
#define INFOREPLY_H

#include <QString>
#include <QStringList>

#include "novalue.h"

// A pack's identity as its "info" reply reports it. Parsing is kept apart from the
// detail view so that it can be tested and fuzzed on plain text.
class InfoReply
{
public:
    // The nine texts a reply must hold to be read at all, in the order they are tested.
    static const QStringList& requiredKeys();

    // Reads a whole framed reply (echo line, key lines, status line). Writes the
    // debug lines of the fields it reads.
    static InfoReply parse(const QString& reply);

    // False when one of the required keys was missing: every text below is then
    // empty and the cell count is the no-value mark.
    bool complete = false;

    QString deviceAdd;
    // Null when the reply does not name the device.
    QString deviceName;
    QString bootVersion;
    // Empty unless the device printed at least 16 characters.
    QString barcode;
    QString packSpec;
    QString mainVersion;
    QString comVersion;
    QString maxChargeCurr;
    QString relaseDate;
    int cellNumber = NoValue::Int;
};

#endif // INFOREPLY_H
