#ifndef BALANCEREPLY_H
#define BALANCEREPLY_H

#include <QString>
#include <QStringList>

// The balance table of a "balance" reply: per pack, in pack order, the text of its
// balance column ("1" while the pack is balancing).
struct BalanceReply {
    bool unknown = false;      // the device has no balance command
    QStringList rows;          // the table rows, empty ones included
    bool countMatches = false; // one row per pack present
    QStringList states;

    // Whether the reply may replace what the group view shows.
    bool usable() const { return !unknown && countMatches; }

    static BalanceReply parse(const QString& reply, int presentCount);
};

#endif // BALANCEREPLY_H
