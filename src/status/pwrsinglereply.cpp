#include "pwrsinglereply.h"

#include "replyfield.h"
#include "unitscale.h"

#include <QStringList>

PwrSingleReply PwrSingleReply::parse(const QString& reply)
{
    PwrSingleReply r;
    static const QStringList keys = {
        QStringLiteral("Temperature"),   QStringLiteral("Coulomb"),      QStringLiteral("Total Coulomb"),
        QStringLiteral("Real Coulomb"), QStringLiteral("Basic Status"), QStringLiteral("System Fault"),
    };
    if (!ReplyField::hasAll(reply, keys))
        return r;
    r.complete = true;

    r.current = UnitScale::fromMilli(ReplyField::toDouble(reply, QStringLiteral("Current"), QStringLiteral("mA")));
    r.temperature = UnitScale::fromMilli(ReplyField::toDouble(reply, QStringLiteral("Temperature"), QStringLiteral("mC")));
    // "Coulomb" must stand before "Total Coulomb" in the reply: the first occurrence counts.
    r.socText = ReplyField::textBefore(reply, QStringLiteral("Coulomb"), QStringLiteral("%"));
    r.soc = ReplyField::toInt(reply, QStringLiteral("Coulomb"), QStringLiteral("%"));
    r.totalCoulomb = ReplyField::toDouble(reply, QStringLiteral("Total Coulomb"), QStringLiteral("mAH"));
    r.realCoulomb = ReplyField::toDouble(reply, QStringLiteral("Real Coulomb"), QStringLiteral("mAH"));
    // Health is the charge the pack can still hold against its rating. Without a
    // positive rating there is nothing to compare with: an unknown or zero total would
    // otherwise give a meaningless or infinite percentage.
    if (!NoValue::isNone(r.realCoulomb) && !NoValue::isNone(r.totalCoulomb) && r.totalCoulomb > 0)
        r.soh = qMin(r.realCoulomb / r.totalCoulomb * 100.0, 100.0);
    r.basicStatus = ReplyField::text(reply, QStringLiteral("Basic Status"));
    r.sysDefault = ReplyField::text(reply, QStringLiteral("System Fault"));
    return r;
}
