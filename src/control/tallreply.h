#ifndef TALLREPLY_H
#define TALLREPLY_H

#include <QString>

// The outcome of a self-test ("tall") reply, as the operator is told it.
struct TallReply {
    bool passed = false;
    // What the device printed after the echoed command, one trimmed line per check,
    // blank lines left out; bounded, since a garbled line can frame a great deal.
    QString answer;

    static TallReply parse(const QString& reply);
};

#endif // TALLREPLY_H
