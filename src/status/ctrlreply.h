#ifndef CTRLREPLY_H
#define CTRLREPLY_H

#include <QString>

// The MOSFET states read from a "ctrl" reply, as printed ("ON" means switched on).
struct CtrlReply {
    QString cfet;
    QString dfet;

    static CtrlReply parse(const QString& reply);
};

#endif // CTRLREPLY_H
