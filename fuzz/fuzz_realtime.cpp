// libFuzzer target: the real-time stream reader and the thinning of a chart's curve,
// on arbitrary device output. Whatever the bytes, nothing may crash, and what reaches
// the charts must keep the promises the page relies on.

#include "realtimereply.h"
#include "realtimetrace.h"

#include <QRegularExpression>
#include <QString>
#include <QtGlobal>

#include <cstddef>
#include <cstdint>
#include <cstdlib>

namespace {
void quiet(QtMsgType, const QMessageLogContext&, const QString&) {}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const bool installed = (qInstallMessageHandler(quiet), true);
    Q_UNUSED(installed);
    static const QRegularExpression space(QStringLiteral("\\s"));

    const QString reply = QString::fromUtf8(reinterpret_cast<const char*>(data), static_cast<int>(size));
    const RealTimeReply r = RealTimeReply::parse(reply);
    if (r.completed != reply.contains(QStringLiteral("Command completed successfully")) || r.rows.contains('\r'))
        std::abort();
    if (r.items.size() > r.rows.count('\n') + 1)
        std::abort();

    RealTimeTrace trace(8);
    const QDateTime start = r.items.isEmpty() ? QDateTime() : RealTimeReply::sampleTime(r.items.first().GetTime());
    for (const RealTimeItem& item : r.items) {
        // The time is the date and the time of day, joined by one blank.
        const QString time = item.GetTime();
        if (time.count(space) != 1 || time.count(QLatin1Char(' ')) != 1)
            std::abort();
        const QDateTime when = RealTimeReply::sampleTime(time);
        if (when.isValid() && when.timeSpec() != Qt::UTC)
            std::abort();
        const double minutes = start.isValid() && when.isValid() ? start.msecsTo(when) / 60000.0 : 0.0;
        // The window's series keeps the points before `from` as they were.
        const QVector<QPointF> before = trace.points();
        const int from = trace.append(QPointF(minutes, item.GetVolt()));
        if (from < 0 || from > before.size() || trace.points().mid(0, from) != before.mid(0, from))
            std::abort();
        if (trace.points().size() > 16)
            std::abort();
    }
    return 0;
}
