// How fast the command channel takes replies apart, and whether its memory stays flat
// over a long session: framed replies and unframed stream output are fed in small
// chunks, as a UART delivers them. Prints figures; passes or fails nothing.
#include "bmsmainwin.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTimer>

#include <cstdio>
#include <sys/resource.h>

namespace {

long peakKiB()
{
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return u.ru_maxrss;
}

void feed(BMSMainWin& win, const QByteArray& bytes, int chunk)
{
    for (int i = 0; i < bytes.size(); i += chunk)
        win.ReceiveChunk(bytes.mid(i, chunk));
}

} // namespace

int main(int argc, char* argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString&) {});
    QApplication app(argc, argv);
    BMSMainWin win;
    win.basicPolling = false;

    QByteArray framed = "@config\r\r\n";
    for (int i = 0; i < 45; ++i)
        framed += QByteArray("Cell Over Volt Alarm        :  3600   mV  56000  mV\r\r\n");
    framed += "Command completed successfully\r\r\n$$\r\r\nBMS> ";
    const QByteArray row = "1  2024-06-01 08:00:01  87  52480  -1250  25000  24000  26000  3270  3290  "
                           "Normal  Normal  Normal  Normal  100\r\r\n";

    const long before = peakKiB();
    constexpr int kFramed = 20000;
    QElapsedTimer t;
    t.start();
    for (int i = 0; i < kFramed; ++i) {
        win.CurrentCommand = QStringLiteral("config\n");
        feed(win, framed, 16);
        if (i % 50 == 0)
            win.SerialDataParse(); // the quiet time between replies
    }
    const double framedSecs = t.elapsed() / 1000.0;
    const long afterFramed = peakKiB();

    constexpr int kRows = 200000;
    t.restart();
    win.CurrentCommand = QStringLiteral("disp pwrs 1\n");
    for (int i = 0; i < kRows; ++i) {
        feed(win, row, 12);
        if (i % 10 == 9)
            win.SerialDataParse();
    }
    const double streamSecs = t.elapsed() / 1000.0;
    const long afterStream = peakKiB();

    // A frame that opens and never closes: hours of a noisy line.
    t.restart();
    win.ReceiveChunk("@");
    const QByteArray noise(64, 'x');
    long halfNoise = 0;
    for (int i = 0; i < 500000; ++i) {
        win.ReceiveChunk(noise);
        if (i == 250000)
            halfNoise = peakKiB();
    }
    const double noiseSecs = t.elapsed() / 1000.0;
    const long afterNoise = peakKiB();

    std::printf("framed replies   : %d x %d bytes in 16-byte chunks: %.0f replies/s (%.1f MB/s)\n", kFramed,
                int(framed.size()), kFramed / framedSecs, kFramed * framed.size() / framedSecs / 1e6);
    std::printf("stream rows      : %d x %d bytes in 12-byte chunks: %.0f rows/s\n", kRows, int(row.size()),
                kRows / streamSecs);
    std::printf("unclosed frame   : 32 MB of noise after '@': %.1f MB/s, frame buffer now %d bytes\n",
                32.0 / noiseSecs, int(win.framer.rxFrame().size()));
    std::printf("peak RSS (KiB)   : start %ld, after framed %ld, after stream %ld, after 16 MB noise %ld, "
                "after 32 MB noise %ld\n",
                before, afterFramed, afterStream, halfNoise, afterNoise);
    return 0;
}
