#include "replyfield.h"

#include "novalue.h"

#include <QRegularExpression>

namespace {

// The reply from the first occurrence of key to its end, trimmed; null when absent.
QString tailFrom(const QString& reply, const QString& key)
{
    const int at = reply.indexOf(key);
    if (key.isEmpty() || at < 0)
        return QString();
    return reply.mid(at).trimmed();
}

const QRegularExpression& whiteSpaceRun()
{
    static const QRegularExpression re(QStringLiteral("\\s+"));
    return re;
}

} // namespace

QString ReplyField::text(const QString& reply, const QString& key)
{
    const QString tail = tailFrom(reply, key);
    const int colon = tail.indexOf(QLatin1Char(':'));
    if (tail.isNull() || colon < 0)
        return QString();
    const int lineFeed = tail.indexOf(QLatin1Char('\n'));
    // A line feed before the colon means the key's own line has no colon; the value
    // then runs to the end, as it does for a key on the last line.
    const int length = lineFeed > colon ? lineFeed - colon : -1;
    return tail.mid(colon + 1, length).trimmed();
}

QString ReplyField::textBefore(const QString& reply, const QString& key, const QString& unit)
{
    const QString tail = tailFrom(reply, key);
    const int colon = tail.indexOf(QLatin1Char(':'));
    if (tail.isNull() || colon < 0)
        return QString();
    const int end = tail.indexOf(unit, colon + 1);
    if (end < 0)
        return QString();
    return tail.mid(colon + 1, end - colon - 1).trimmed();
}

int ReplyField::toInt(const QString& reply, const QString& key, const QString& unit)
{
    const QString value = unit.isEmpty() ? text(reply, key) : textBefore(reply, key, unit);
    bool ok = false;
    const int v = value.toInt(&ok, 10);
    return ok ? v : NoValue::Int;
}

double ReplyField::toDouble(const QString& reply, const QString& key, const QString& unit, double scale)
{
    const QString value = unit.isEmpty() ? text(reply, key) : textBefore(reply, key, unit);
    bool ok = false;
    const double v = value.toDouble(&ok);
    return ok ? v * scale : NoValue::Double;
}

bool ReplyField::hasAll(const QString& reply, const QStringList& keys)
{
    for (const QString& key : keys) {
        if (!reply.contains(key))
            return false;
    }
    return true;
}

QStringList ReplyField::columns(const QString& row)
{
    return row.split(whiteSpaceRun(), Qt::KeepEmptyParts);
}

QStringList ReplyField::trimmedColumns(const QString& row)
{
    return row.trimmed().split(whiteSpaceRun(), Qt::SkipEmptyParts);
}
