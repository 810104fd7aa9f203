#include "ctrlreply.h"

#include "replyfield.h"

CtrlReply CtrlReply::parse(const QString& reply)
{
    CtrlReply r;
    r.cfet = ReplyField::text(reply, QStringLiteral("CFET"));
    r.dfet = ReplyField::text(reply, QStringLiteral("DFET"));
    return r;
}
