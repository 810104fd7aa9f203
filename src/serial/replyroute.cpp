#include "replyroute.h"

QString ReplyRoute::withPack(const QString& text, int packNumber)
{
    if (!text.contains(QLatin1String("%N")))
        return text;
    QString t = text;
    return t.replace(QLatin1String("%N"), QString::number(packNumber));
}

bool ReplyRoute::matches(const QString& command, const QString& reply, int packNumber) const
{
    bool commandMatch = commandHas.isEmpty();
    for (const QString& c : commandHas) {
        if (command.contains(withPack(c, packNumber))) {
            commandMatch = true;
            break;
        }
    }
    if (!commandMatch)
        return false;
    for (const QString& r : replyHas) {
        if (!reply.contains(withPack(r, packNumber)))
            return false;
    }
    return true;
}
