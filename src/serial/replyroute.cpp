#include "replyroute.h"

namespace {
QString withPack(const QString& text, int packNumber)
{
    QString t = text;
    return t.replace(QLatin1String("%N"), QString::number(packNumber));
}
} // namespace

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
