// libFuzzer target: the readers of the "data" reply and of one event list page on
// arbitrary device output. Whatever the bytes, reading must not crash, and the rows
// and the listing state must keep the promises the event table relies on.

#include "eventcountreply.h"
#include "eventlistpage.h"

#include <QString>
#include <QtGlobal>

#include <cstddef>
#include <cstdint>
#include <cstdlib>

namespace {
void quiet(QtMsgType, const QMessageLogContext&, const QString&) {}

bool oneWord(const QString& s)
{
    if (s.isEmpty())
        return false;
    for (const QChar c : s)
        if (c.isSpace())
            return false;
    return true;
}

void checkPage(const QString& reply, bool maskColumn, bool listingOpen)
{
    const EventListPage page = EventListPage::parse(reply, maskColumn, listingOpen);
    // Without a header only an open listing takes rows.
    if (!listingOpen && page.layout == EventListPage::Layout::Keep && !page.rows.isEmpty())
        std::abort();
    if (page.cut == EventListPage::Cut::None && !page.body.isEmpty())
        std::abort();
    if (page.layout == EventListPage::Layout::Keep && page.maskColumn != maskColumn)
        std::abort();
    // The end of the list closes a listing; a first page of several opens one.
    for (bool before : {false, true}) {
        const bool after = page.listingAfter(before);
        if ((page.cut == EventListPage::Cut::Whole || page.cut == EventListPage::Cut::Last) && after)
            std::abort();
        if (page.cut == EventListPage::Cut::FirstOfMany && !after)
            std::abort();
    }
    if (page.outcome == EventListPage::Outcome::Completed && page.cut != EventListPage::Cut::Whole
        && page.cut != EventListPage::Cut::Last)
        std::abort();
    for (const HisEventItem& e : page.rows) {
        const QString fixed[] = {e.GetItem(), e.GetDate(), e.GetTime(), e.GetVolt(), e.GetCurr(),
                                 e.GetTempr(), e.GetTlow(), e.GetThight(), e.GetVlowest(), e.GetVhighest(),
                                 e.GetBaseSt(), e.GetVoltSt(), e.GetCurrSt(), e.GetTempSt(), e.GetPer()};
        for (const QString& f : fixed)
            if (!oneWord(f))
                std::abort();
        if (page.maskColumn != oneWord(e.GetMask()))
            std::abort();
        if (!e.GetEvent().isEmpty() && !e.GetEvent().endsWith(QLatin1Char(' ')))
            std::abort();
    }
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const bool installed = (qInstallMessageHandler(quiet), true);
    Q_UNUSED(installed);

    const QString reply = QString::fromUtf8(reinterpret_cast<const char*>(data), static_cast<int>(size));
    for (bool mask : {false, true})
        for (bool open : {false, true})
            checkPage(reply, mask, open);

    const EventCountReply count = EventCountReply::parse(reply);
    if (count.valid && (count.value.isEmpty() || count.value != count.value.trimmed()))
        std::abort();
    if (!count.valid && count.count != 0)
        std::abort();
    return 0;
}
