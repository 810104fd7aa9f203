// How fast the command channel takes replies apart, and whether its memory stays flat
// over a long session: framed replies and unframed stream output are fed in small
// chunks, as a UART delivers them. Prints figures; passes or fails nothing.
//
//   bench_channel [framed replies=20000] [stream rows=200000] [noise MB=32]
//
// Debug output goes through the program's own log handler into a log folder below a
// temporary directory, as it does in the field: what the channel logs per reply is part
// of what it costs.
#include "benchsupport.h"
#include "bmsmainwin.h"
#include "loghandler.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include <cstdio>
#include <fcntl.h>
#include <unistd.h>

namespace {

void feed(BMSMainWin& win, const QByteArray& bytes, int chunk)
{
    for (int i = 0; i < bytes.size(); i += chunk)
        win.ReceiveChunk(bytes.mid(i, chunk));
}

} // namespace

int main(int argc, char* argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int framedCount = argc > 1 ? QByteArray(argv[1]).toInt() : 20000;
    const int rowCount = argc > 2 ? QByteArray(argv[2]).toInt() : 200000;
    const int noiseMB = argc > 3 ? QByteArray(argv[3]).toInt() : 32;

    QTemporaryDir work;
    QDir::setCurrent(work.path());
    // The handler echoes every line to standard output; a terminal would be measured
    // instead of the program.
    std::fflush(stdout);
    const int savedOut = dup(STDOUT_FILENO);
    const int devNull = open("/dev/null", O_WRONLY);
    const auto quiet = [&](bool on) {
        std::fflush(stdout);
        dup2(on ? devNull : savedOut, STDOUT_FILENO);
    };
    quiet(true);
    LogHandler::Get().installMessageHandler();
    int boxes = 0;
    countBoxes(boxes);

    BMSMainWin win;
    win.basicPolling = false;

    // The same reply twice: once answering a command no route takes, which is the
    // channel alone (framing, dispatch, the state label, its log lines), and once
    // answering "config", with the protection page's parser and table behind it.
    const QByteArray rows = QByteArray("Cell Over Volt Alarm        :  3600   mV  56000  mV\r\r\n").repeated(45);
    const QByteArray tail = "Command completed successfully\r\r\n$$\r\r\nBMS> ";
    const QByteArray unrouted = "@ver\r\r\n" + rows + tail;
    const QByteArray framed = "@config\r\r\n" + rows + tail;
    const QByteArray row = "1  2024-06-01 08:00:01  87  52480  -1250  25000  24000  26000  3270  3290  "
                           "Normal  Normal  Normal  Normal  100\r\r\n";

    const long before = statusKb("VmHWM");
    QElapsedTimer t;
    const auto replies = [&](const QString& command, const QByteArray& reply, const char* label) {
        t.restart();
        for (int i = 0; i < framedCount; ++i) {
            win.CurrentCommand = command;
            feed(win, reply, 16);
            if (i % 50 == 0)
                win.SerialDataParse(); // the quiet time between replies
        }
        const double secs = t.nsecsElapsed() / 1e9;
        quiet(false);
        std::printf("%-17s: %d x %d bytes in 16-byte chunks: %.0f replies/s (%.1f MB/s)\n", label, framedCount,
                    int(reply.size()), framedCount / secs, framedCount * reply.size() / secs / 1e6);
        quiet(true);
    };
    replies(QStringLiteral("ver\n"), unrouted, "channel alone");
    replies(QStringLiteral("config\n"), framed, "config replies");
    const long afterFramed = statusKb("VmHWM");

    t.restart();
    win.CurrentCommand = QStringLiteral("disp pwrs 1\n");
    for (int i = 0; i < rowCount; ++i) {
        feed(win, row, 12);
        if (i % 10 == 9)
            win.SerialDataParse();
    }
    const double streamSecs = t.nsecsElapsed() / 1e9;
    const long afterStream = statusKb("VmHWM");
    quiet(false);
    std::printf("stream rows      : %d x %d bytes in 12-byte chunks: %.0f rows/s\n", rowCount, int(row.size()),
                rowCount / streamSecs);
    quiet(true);

    // A frame that opens and never closes: hours of a noisy line.
    t.restart();
    win.ReceiveChunk("@");
    const QByteArray noise(64, 'x');
    const int noiseChunks = noiseMB * 1000000 / noise.size();
    long halfNoise = 0;
    for (int i = 0; i < noiseChunks; ++i) {
        win.ReceiveChunk(noise);
        if (i == noiseChunks / 2)
            halfNoise = statusKb("VmHWM");
    }
    const double noiseSecs = t.nsecsElapsed() / 1e9;
    const long afterNoise = statusKb("VmHWM");
    const int frameLeft = win.framer.rxFrame().size();
    LogHandler::Get().uninstallMessageHandler();
    quiet(false);

    std::printf("unclosed frame   : %d MB of noise after '@': %.1f MB/s, frame buffer now %d bytes\n", noiseMB,
                noiseMB / noiseSecs, frameLeft);
    std::printf("peak RSS (KiB)   : start %ld, after framed %ld, after stream %ld, half the noise %ld, "
                "all the noise %ld\n",
                before, afterFramed, afterStream, halfNoise, afterNoise);
    std::printf("operator boxes   : %d\n", boxes);
    return 0;
}
