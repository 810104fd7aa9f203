#include "tallreply.h"

#include <QStringList>

namespace {
constexpr int kAnswerLines = 20;
constexpr int kAnswerLineChars = 160;
} // namespace

TallReply TallReply::parse(const QString& reply)
{
    TallReply r;
    r.passed = reply.contains(QLatin1String("Command completed successfully"));
    QString body = reply.mid(reply.indexOf(QLatin1Char('@')) + 1);
    const int end = body.lastIndexOf(QLatin1String("$$"));
    if (end >= 0)
        body.truncate(end);
    QStringList lines = body.split(QLatin1Char('\n'));
    lines.removeFirst(); // the echo
    QStringList shown;
    for (const QString& line : qAsConst(lines)) {
        const QString text = line.trimmed();
        if (text.isEmpty())
            continue;
        if (shown.size() == kAnswerLines) {
            shown << QStringLiteral("…");
            break;
        }
        shown << (text.size() > kAnswerLineChars ? text.left(kAnswerLineChars) + QStringLiteral("…") : text);
    }
    r.answer = shown.join(QLatin1Char('\n'));
    return r;
}
