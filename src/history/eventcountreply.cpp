#include "eventcountreply.h"

#include "replyfield.h"

namespace {
const QString kKey = QStringLiteral("Data Number");
}

EventCountReply EventCountReply::parse(const QString& reply)
{
    EventCountReply out;
    if (reply.contains(kKey)) {
        out.value = ReplyField::text(reply, kKey);
    } else {
        // An answer without the key (an error text) leaves the count unknown, which
        // the page must not take for "no events": its first line stands in as a value
        // that is not a number.
        out.value = reply.trimmed().section(QLatin1Char('\n'), 0, 0).trimmed();
    }
    out.count = out.value.toInt(&out.valid, 10);
    return out;
}
