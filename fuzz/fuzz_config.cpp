// libFuzzer target: the "config" reply reader on arbitrary device output. Whatever the
// bytes, reading must not crash, and the rows must keep the promises the protection
// table relies on.

#include "configreply.h"

#include <QString>
#include <QtGlobal>

#include <cstddef>
#include <cstdint>
#include <cstdlib>

namespace {
void quiet(QtMsgType, const QMessageLogContext&, const QString&) {}

bool hasBlank(const QString& s)
{
    for (const QChar c : s)
        if (c.isSpace())
            return true;
    return false;
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const bool installed = (qInstallMessageHandler(quiet), true);
    Q_UNUSED(installed);

    const QString reply = QString::fromUtf8(reinterpret_cast<const char*>(data), static_cast<int>(size));
    const ConfigReply config = ConfigReply::parse(reply);

    if (!config.tabulated && !config.items.isEmpty())
        std::abort();
    if (config.items.size() > config.section.count(QLatin1Char('\n')) + 1)
        std::abort();
    if (!reply.contains(QLatin1String("Shut time")) && !config.shutText.isEmpty())
        std::abort();
    for (const ProtectItem& item : config.items) {
        // A row is either empty or a name with a value and a unit, each one word.
        const bool empty = item.GetItem().isEmpty() && item.GetCell().isEmpty() && item.GetPower().isEmpty()
                           && item.GetUnit().isEmpty();
        if (empty)
            continue;
        if (item.GetItem() != item.GetItem().trimmed() || item.GetCell().isEmpty() || item.GetUnit().isEmpty()
            || hasBlank(item.GetCell()) || hasBlank(item.GetPower()) || hasBlank(item.GetUnit()))
            std::abort();
    }
    return 0;
}
