#include "configreply.h"

#include "replyfield.h"

#include <QDebug>
#include <QStringList>

namespace {

const QString kSectionStart = QStringLiteral("Over Voltage");
const QString kShutTime = QStringLiteral("Shut time");
const QString kCompleted = QStringLiteral("Command completed successfully");

// A complete threshold list is longer than this; anything shorter is an error text or
// a reply cut short, and a table half filled with it would mislead.
constexpr int kShortestList = 40;

ProtectItem readLine(const QString& line)
{
    ProtectItem item;
    // Without a colon both the name and the values are the whole line.
    const int colon = line.indexOf(QLatin1Char(':'));
    const QString name = line.left(colon).trimmed();
    const QStringList values = ReplyField::columns(line.mid(colon + 1).trimmed());
    if (values.size() == 3) {
        item.SetItem(name);
        item.SetCell(values[0]);
        item.SetPower(values[1]);
        item.SetUnit(values[2]);
    } else if (values.size() == 2) {
        item.SetItem(name);
        item.SetCell(values[0]);
        item.SetUnit(values[1]);
    }
    return item;
}

} // namespace

ConfigReply ConfigReply::parse(const QString& reply)
{
    ConfigReply out;
    const int start = reply.indexOf(kSectionStart);
    const int shut = reply.indexOf(kShutTime);
    const int completed = reply.indexOf(kCompleted);
    // The section begins one character early and ends before the line end that
    // precedes "Shut time". A device without a shutdown section ends it at the
    // completion line instead, so that line never becomes a threshold row.
    int end = shut >= 0 ? shut : completed;
    if (end < 0)
        end = reply.size();
    out.section = reply.mid(start - 1, end - start).trimmed();
    qDebug() << "receconfig:" << out.section;
    if (shut >= 0)
        out.shutText = reply.mid(shut, completed - shut).trimmed();

    const QStringList lines = out.section.split(QLatin1Char('\n'));
    if (lines.size() <= kShortestList)
        return out;
    out.tabulated = true;
    for (const QString& line : lines) {
        qDebug() << "prosigle:" << line;
        if (line.isEmpty() || line == QLatin1String("\r"))
            continue;
        out.items.append(readLine(line));
    }
    return out;
}
