#include "eventlistpage.h"

#include "replyfield.h"

#include <QDebug>
#include <QStringList>

namespace {

const QString kHeader = QStringLiteral("Item");
const QString kMask = QStringLiteral("mask");
const QString kLastTitle = QStringLiteral("Events");
const QString kPress = QStringLiteral("Press [Enter] to be continued,other key to exit");
const QString kCompleted = QStringLiteral("Command completed successfully");
const QString kFailed = QStringLiteral("Invalid command or fail to excute");
const QString kUnknown = QStringLiteral("Unknown");

// The rows of a page with a header: after the last column title, before the marker.
QString rowsAfterHeader(const QString& reply, const QString& marker)
{
    const int start = reply.indexOf(kLastTitle) + kLastTitle.size();
    return reply.mid(start, reply.indexOf(marker) - start).trimmed();
}

QString rowsBefore(const QString& reply, const QString& marker)
{
    const QString text = reply.trimmed();
    return text.left(text.indexOf(marker)).trimmed();
}

} // namespace

bool EventListPage::readLine(const QString& line, bool maskColumn, HisEventItem* item)
{
    const QStringList t = ReplyField::columns(line.trimmed());
    const int fixed = maskColumn ? 16 : 15;
    if (t.size() < fixed)
        return false;
    int i = 0;
    item->SetItem(t[i++]);
    item->SetDate(t[i++]);
    item->SetTime(t[i++]);
    item->SetVolt(t[i++]);
    item->SetCurr(t[i++]);
    item->SetTempr(t[i++]);
    item->SetTlow(t[i++]);
    item->SetThight(t[i++]);
    item->SetVlowest(t[i++]);
    item->SetVhighest(t[i++]);
    if (maskColumn)
        item->SetMask(t[i++]);
    item->SetBaseSt(t[i++]);
    item->SetVoltSt(t[i++]);
    item->SetCurrSt(t[i++]);
    item->SetTempSt(t[i++]);
    item->SetPer(t[i++]);
    QString event;
    for (; i < t.size(); ++i)
        event += t[i] + QLatin1Char(' ');
    item->SetEvent(event);
    return true;
}

EventListPage EventListPage::parse(const QString& reply, bool maskColumn, bool listingOpen)
{
    EventListPage page;
    const bool header = reply.contains(kHeader);
    const bool more = reply.contains(kPress);
    const bool completed = reply.contains(kCompleted);
    if (header && reply.contains(kMask)) {
        page.layout = Layout::Masked;
        qDebug() << "Mask data:" << reply;
    } else if (header) {
        page.layout = Layout::Plain;
    }
    page.maskColumn = page.layout == Layout::Keep ? maskColumn : page.layout == Layout::Masked;

    if (header && more) {
        page.cut = Cut::FirstOfMany;
        qDebug() << "Item data:";
        page.body = rowsAfterHeader(reply, kPress);
    } else if (header && completed) {
        page.cut = Cut::Whole;
        qDebug() << "Item completed data:";
        page.body = rowsAfterHeader(reply, kCompleted);
    } else if (more && listingOpen) {
        page.cut = Cut::Further;
        qDebug() << "continued data:";
        page.body = rowsBefore(reply, kPress);
    } else if (completed && listingOpen) {
        // Without an open listing this is the end of another reply that shared the
        // quiet period (the "info" that the history page sends before the list).
        page.cut = Cut::Last;
        qDebug() << "completed data:";
        page.body = rowsBefore(reply, kCompleted);
    }

    qDebug() << "EventData:" << page.body;
    if (!page.body.isEmpty()) {
        const QStringList lines = page.body.split(QLatin1Char('\n'));
        for (const QString& line : lines) {
            qDebug() << "EveSigle:" << line;
            HisEventItem item;
            if (readLine(line, page.maskColumn, &item))
                page.rows.append(item);
        }
    }

    // Only the end of the list is its completion: a text that asks for the next page,
    // or one that belongs to no listing, may still carry the "Command completed
    // successfully" of an earlier reply of the same quiet period.
    if (completed && (page.cut == Cut::Whole || page.cut == Cut::Last))
        page.outcome = Outcome::Completed;
    else if (reply.contains(kFailed))
        page.outcome = Outcome::Failed;
    else if (reply.contains(kUnknown) && !header)
        page.outcome = Outcome::Unknown;
    return page;
}

bool EventListPage::listingAfter(bool before) const
{
    switch (cut) {
    case Cut::FirstOfMany:
        return true;
    case Cut::Whole:
    case Cut::Last:
        return false;
    default:
        // A header opens a listing even when its rows have not come yet.
        return layout != Layout::Keep || before;
    }
}
