#include "pwrsysreply.h"

#include "novalue.h"
#include "replyfield.h"
#include "unitscale.h"

#include <QStringList>

namespace {

// The state words are looked for anywhere but at the very start of the reply, where
// only the frame mark or the echoed command can stand.
bool mentions(const QString& reply, const QString& text)
{
    return reply.indexOf(text) > 0;
}

} // namespace

PwrsysReply PwrsysReply::parse(const QString& reply)
{
    PwrsysReply r;
    static const QStringList keys = {
        QStringLiteral("System is"),   QStringLiteral("Present Num"), QStringLiteral("System Volt"),
        QStringLiteral("System Curr"), QStringLiteral("System SOC"),  QStringLiteral("System SOH"),
    };
    if (!ReplyField::hasAll(reply, keys)) {
        // A cut-off reply must not leave half of the old values standing next to new
        // ones; the whole summary is shown as unknown instead.
        return r;
    }
    r.complete = true;

    // "idle" first: a state line such as "System is idle (charging disabled)" is idle.
    if (mentions(reply, QStringLiteral("idle"))) {
        r.state = QStringLiteral("idle");
    } else if (mentions(reply, QStringLiteral("System is charging"))) {
        r.state = QStringLiteral("charge");
    } else if (mentions(reply, QStringLiteral("discharg"))) {
        r.state = QStringLiteral("discharge");
    } else if (mentions(reply, QStringLiteral("System is error"))) {
        r.state = QStringLiteral("SysError");
    }
    r.stateFound = !r.state.isEmpty();

    r.presentNum = ReplyField::toInt(reply, QStringLiteral("Present Num"));
    r.totalVoltage = UnitScale::fromMilli(ReplyField::toDouble(reply, QStringLiteral("System Volt"), QStringLiteral("mV")));
    r.currentText = ReplyField::textBefore(reply, QStringLiteral("System Curr"), QStringLiteral("mA"));
    r.totalCurrent = UnitScale::fromMilli(ReplyField::toDouble(reply, QStringLiteral("System Curr"), QStringLiteral("mA")));
    r.totalSoc = ReplyField::toInt(reply, QStringLiteral("System SOC"), QStringLiteral("%"));
    r.totalSoh = ReplyField::toInt(reply, QStringLiteral("System SOH"), QStringLiteral("%"));
    return r;
}
