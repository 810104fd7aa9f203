// libFuzzer target: the "info" reply parser on arbitrary device output.
// Whatever the bytes, parsing must not crash and its result must keep the promises
// the detail view relies on.

#include "inforeply.h"
#include "novalue.h"

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

    const QString reply = QString::fromUtf8(reinterpret_cast<const char*>(data), static_cast<int>(size));
    const InfoReply info = InfoReply::parse(reply);

    if (!info.complete) {
        const bool allEmpty = info.deviceAdd.isEmpty() && info.deviceName.isEmpty() && info.bootVersion.isEmpty()
            && info.barcode.isEmpty() && info.packSpec.isEmpty() && info.mainVersion.isEmpty()
            && info.comVersion.isEmpty() && info.maxChargeCurr.isEmpty() && info.relaseDate.isEmpty();
        if (!allEmpty || info.cellNumber != NoValue::Int)
            std::abort();
        return 0;
    }
    // A barcode is either absent or long enough to be a real one.
    if (!info.barcode.isEmpty() && info.barcode.size() < 16)
        std::abort();
    // Values reach the labels trimmed, whatever padding the device used.
    for (const QString* s : {&info.deviceAdd, &info.bootVersion, &info.barcode, &info.packSpec,
                             &info.mainVersion, &info.comVersion, &info.maxChargeCurr, &info.relaseDate}) {
        if (*s != s->trimmed())
            std::abort();
    }
    return 0;
}
