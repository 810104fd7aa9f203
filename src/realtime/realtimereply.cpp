#include "realtimereply.h"

#include "replyfield.h"

#include <QDebug>

namespace {

const QString kTitleFirst = QStringLiteral("ID");
const QString kTitleLast = QStringLiteral("Coul(mAH)");
const QString kCompleted = QStringLiteral("Command completed successfully");

// Column of each field in the two row layouts; the 17-field rows carry a state word
// after the voltage.
struct Layout {
    int current, temp, soc, coul;
};
constexpr Layout kNarrow{4, 5, 14, 15};
constexpr Layout kWide{5, 6, 15, 16};

RealTimeItem itemOf(const QStringList& f, const Layout& at)
{
    RealTimeItem item;
    item.SetID(f.at(0).toInt());
    item.SetTime(f.at(1) + QLatin1Char(' ') + f.at(2));
    item.SetVolt(f.at(3).toDouble() / 1000.0);
    item.SetCurrent(f.at(at.current).toDouble() / 1000.0);
    item.SetTemp(f.at(at.temp).toDouble() / 1000.0);
    item.SetSOCPer(QString(f.at(at.soc)).remove(QLatin1Char('%')).toInt());
    item.SetCoul(f.at(at.coul).toInt());
    return item;
}

} // namespace

RealTimeReply RealTimeReply::parse(const QString& reply)
{
    RealTimeReply r;
    r.completed = reply.contains(kCompleted);
    // The device ends its lines with CR CR LF; a CR left in a row would count as one
    // more (empty) field and turn a 16-field row into a 17-field one.
    QString text = reply;
    text.remove(QLatin1Char('\r'));
    if (text.contains(kTitleFirst) && text.contains(kTitleLast)) {
        text = text.mid(text.indexOf(kTitleLast) + kTitleLast.size());
        r.headerCut = true;
        qDebug() << "data:" << text;
    }
    r.rows = text;

    const QStringList lines = text.trimmed().split(QLatin1Char('\n'), Qt::KeepEmptyParts);
    for (const QString& line : lines) {
        const QStringList fields = ReplyField::columns(line);
        if (fields.size() < 16)
            break;
        if (fields.size() == 16)
            r.items << itemOf(fields, kNarrow);
        else if (fields.size() == 17)
            r.items << itemOf(fields, kWide);
    }
    return r;
}

QDateTime RealTimeReply::sampleTime(const QString& time)
{
    // Two-digit years belong to this century (read as 19xx they would break 29
    // February 2000 and put the two layouts a hundred years apart).
    const QString date = time.size() == 17 ? QStringLiteral("20") + time.section(QLatin1Char(' '), 0, 0)
                                           : time.section(QLatin1Char(' '), 0, 0);
    const QDate day = QDate::fromString(date, QStringLiteral("yyyy-MM-dd"));
    const QTime clock = QTime::fromString(time.section(QLatin1Char(' '), 1), QStringLiteral("HH:mm:ss"));
    if (!day.isValid() || !clock.isValid())
        return QDateTime();
    // A reading of the device clock, which knows no daylight saving: as local time a
    // run across the change would jump an hour, or meet a time that does not exist.
    return QDateTime(day, clock, Qt::UTC);
}
