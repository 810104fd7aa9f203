#include "balancereply.h"

#include "replyfield.h"

BalanceReply BalanceReply::parse(const QString& reply, int presentCount)
{
    BalanceReply r;
    // "Unknown" covers "Unknown command" too.
    if (reply.contains(QLatin1String("Unknown"))) {
        r.unknown = true;
        return r;
    }
    // The table starts at pack 1; nothing before it carries a "1".
    const int first = reply.indexOf(QLatin1Char('1'));
    QString body;
    if (first >= 0) {
        const int end = reply.indexOf(QLatin1String("Command completed successfully"), first);
        body = reply.mid(first, end < 0 ? -1 : end - first).trimmed();
    }
    r.rows = body.split(QLatin1Char('\n'), Qt::KeepEmptyParts);
    if (r.rows.size() != presentCount)
        return r;
    r.countMatches = true;
    for (int i = 0; i < presentCount; ++i) {
        const QStringList parts = ReplyField::trimmedColumns(r.rows.at(i));
        // A short row adds nothing, so the later packs move up one place.
        if (parts.size() >= 2)
            r.states.append(parts.at(1));
    }
    return r;
}
