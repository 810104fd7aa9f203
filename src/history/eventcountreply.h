#ifndef EVENTCOUNTREPLY_H
#define EVENTCOUNTREPLY_H

#include <QString>

// The "data" reply: how many events the device has stored.
class EventCountReply
{
public:
    static EventCountReply parse(const QString& reply);

    // The printed count, trimmed. Empty when "Data Number" carries no value: the
    // device has no events to tell of.
    QString value;
    // False when the value is not a whole number (count is then 0).
    bool valid = false;
    int count = 0;
};

#endif // EVENTCOUNTREPLY_H
