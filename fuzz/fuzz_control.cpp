// libFuzzer target: the self-test reply reader on arbitrary device output. Whatever
// the bytes, the box it fills stays small and readable.

#include "tallreply.h"

#include <QStringList>
#include <QtGlobal>

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QString reply = QString::fromUtf8(reinterpret_cast<const char*>(data), static_cast<int>(size));
    const TallReply tall = TallReply::parse(reply);

    if (tall.passed != reply.contains(QLatin1String("Command completed successfully")))
        std::abort();
    if (tall.answer.isEmpty())
        return 0;
    const QStringList lines = tall.answer.split(QLatin1Char('\n'));
    if (lines.size() > 21)
        std::abort();
    for (const QString& line : lines) {
        if (line.isEmpty() || line != line.trimmed() || line.size() > 161)
            std::abort();
    }
    return 0;
}
