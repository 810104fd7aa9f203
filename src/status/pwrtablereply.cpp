#include "pwrtablereply.h"

#include "replyfield.h"
#include "unitscale.h"

namespace {

// Text between the end of the header line's last title and the closing line.
QString tableBody(const QString& reply)
{
    // Devices with a device-type column end the header with it instead of "B.T.St".
    QString after;
    for (const QString& title : { QStringLiteral("DevType"), QStringLiteral("B.T.St") }) {
        const int at = reply.indexOf(title);
        if (at >= 0) {
            after = reply.mid(at + title.size());
            break;
        }
    }
    const int end = after.indexOf(QLatin1String("Command completed successfully"));
    if (after.isEmpty() || end < 0)
        return QString();
    return after.left(end).trimmed();
}

// A column printed in thousandths (mV, mA, mC), in whole units.
double milli(const QString& column)
{
    bool ok = false;
    const double v = column.toDouble(&ok);
    return ok ? UnitScale::fromMilli(v) : NoValue::Double;
}

} // namespace

PwrTableReply PwrTableReply::parse(const QString& reply, int presentCount)
{
    PwrTableReply r;
    r.body = tableBody(reply);
    const QStringList rows = r.body.split(QLatin1Char('\n'), Qt::KeepEmptyParts);
    r.rowCount = rows.size();
    if (rows.size() < presentCount)
        return r;
    r.enoughRows = true;

    for (int i = 0; i < presentCount; ++i) {
        // Not trimmed: the column positions are those of the device's own layout.
        const QStringList parts = ReplyField::columns(rows.at(i));
        if (parts.size() < 17)
            continue;
        PackRecord pack;
        pack.SetDeviceAdd(parts.at(0));
        pack.SetVolt(milli(parts.at(1)));
        pack.SetCurrent(milli(parts.at(2)));
        pack.SetTemp(milli(parts.at(3)));
        pack.SetTempLow(milli(parts.at(4)));
        pack.SetTempHigh(milli(parts.at(5)));
        pack.SetMinVol(milli(parts.at(6)));
        pack.SetMaxVol(milli(parts.at(7)));
        pack.SetBasicStatus(parts.at(8));
        pack.SetVoltState(parts.at(9));
        pack.SetCurrState(parts.at(10));
        pack.SetTempState(parts.at(11));
        QString soc = parts.at(12);
        soc.remove(QLatin1Char('%'));
        bool ok = false;
        const double socValue = soc.toDouble(&ok);
        pack.SetAllCoulomb(ok ? socValue : 0.0);
        pack.SetTime(parts.at(13) + QLatin1Char(' ') + parts.at(14));
        pack.SetBatteryVolState(parts.at(15));
        pack.SetBatteryTempState(parts.at(16));
        r.packs.append(pack);
        r.packColumns.append(parts);
    }
    return r;
}
