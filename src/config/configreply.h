#ifndef CONFIGREPLY_H
#define CONFIGREPLY_H

#include "protectitem.h"

#include <QList>
#include <QString>

// The "config" reply: the protection section (from "Over Voltage" up to "Shut time")
// read into threshold rows, and the shutdown-time section kept as text. Kept apart
// from the page so that it can be tested and fuzzed on plain text.
class ConfigReply
{
public:
    // Reads a whole framed reply. Writes the debug lines of the sections it cuts.
    static ConfigReply parse(const QString& reply);

    // The protection section, trimmed.
    QString section;
    // From "Shut time" up to the completion line, trimmed; empty when the device
    // printed no shutdown section.
    QString shutText;
    // False when the section has 40 lines or fewer: such a reply is not a whole
    // threshold list, and the table is left empty.
    bool tabulated = false;
    // One record per non-empty line, in device order. A line whose values are neither
    // "cell power unit" nor "cell unit" gives an empty record, so that the row count
    // still matches the device's list.
    QList<ProtectItem> items;
};

#endif // CONFIGREPLY_H
