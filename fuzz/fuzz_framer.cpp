// libFuzzer target: the reply framer on arbitrary bytes in reads of arbitrary sizes.
// Whatever arrives, every frame handed on must be a whole reply, and no buffer may
// grow past its cap.

#include "replyframer.h"

#include <QByteArray>
#include <QtGlobal>

#include <cstddef>
#include <cstdint>
#include <cstdlib>

namespace {
void quiet(QtMsgType, const QMessageLogContext&, const QString&) {}

void check(bool ok)
{
    if (!ok)
        std::abort();
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const bool installed = (qInstallMessageHandler(quiet), true);
    Q_UNUSED(installed);
    if (size < 1)
        return 0;

    // The first byte sets the read size; a read that begins with 0xFF also ends a
    // quiet period first, as if the line had paused.
    const int readSize = data[0] % 64 + 1;
    const QByteArray bytes(reinterpret_cast<const char*>(data) + 1, static_cast<int>(size - 1));
    ReplyFramer framer;
    for (int at = 0; at < bytes.size(); at += readSize) {
        const QByteArray chunk = bytes.mid(at, readSize);
        if (static_cast<unsigned char>(chunk.at(0)) == 0xFF)
            framer.takeQuiet();
        framer.feed(chunk);

        const QByteArray xmodem = framer.takeXmodem();
        check(xmodem.isEmpty() || ReplyFramer::isXmodemControl(xmodem.at(0)));
        if (framer.rawFull())
            framer.takeQuiet();
        check(framer.rxRaw().size() <= ReplyFramer::rawCap);
        check(framer.rxFrame().size() <= ReplyFramer::frameCap);
        check(!framer.rxFrame().contains("$$"));
        while (framer.hasFrame()) {
            const QString frame = framer.takeFrame();
            check(frame.endsWith(QLatin1String("$$")) && frame.contains(QLatin1Char('@')));
            check(!frame.contains(QLatin1Char('\r')) && !frame.contains(QChar(0)));
        }
    }
    return 0;
}
