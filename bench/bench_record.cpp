// A day of recording: 8,640 ten-second polling cycles of the simulated BMS read with the
// program's own reply parsers and appended to a CSV file. Prints the CPU time the
// recorder spends per cycle (rows built, written, on their way to the disk) and the
// size of the file.
//
//   bench_record [cycles=8640] [packs=16] [file]
//
// Without a file the recording goes to a temporary one that is removed afterwards.
// The device clock drives the timestamps, so the file reads like a real day.

#include "balancereply.h"
#include "batreply.h"
#include "ctrlreply.h"
#include "pwrsinglereply.h"
#include "pwrsysreply.h"
#include "pwrtablereply.h"
#include "recordfile.h"
#include "recordrowbuilder.h"
#include "simconsole.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <ctime>

namespace {

double cpuMicros()
{
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return t.tv_sec * 1e6 + t.tv_nsec / 1e3;
}

// The framed reply to one command, as the channel hands it to a parser.
QString ask(SimConsole& console, const char* command)
{
    QByteArray frame;
    for (const SimConsole::Output& out : console.feed(QByteArray(command) + '\n'))
        if (out.kind == SimConsole::Output::Frame)
            frame += out.bytes;
    return QString::fromUtf8(frame).remove(QLatin1Char('\r'));
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    const int cycles = args.value(1, QStringLiteral("8640")).toInt();
    SimOptions options;
    options.packs = args.value(2, QStringLiteral("16")).toInt();
    QTemporaryDir dir;
    const QString path = args.size() > 3 ? args.at(3) : dir.filePath(QStringLiteral("day.csv"));

    SimConsole console(options);
    RecordFile file(path);
    if (!file.open()) {
        std::fprintf(stderr, "%s: %s\n", qPrintable(path), qPrintable(file.errorString()));
        return 1;
    }

    double parseUs = 0, recordUs = 0, worstUs = 0;
    for (int i = 0; i < cycles; ++i) {
        console.advance(10000);
        const double t0 = cpuMicros();
        const PwrsysReply sys = PwrsysReply::parse(ask(console, "pwrsys"));
        const PwrTableReply table = PwrTableReply::parse(ask(console, "pwr"), sys.presentNum);
        const BalanceReply balance = BalanceReply::parse(ask(console, "balance"), sys.presentNum);
        const CtrlReply ctrl = CtrlReply::parse(ask(console, "ctrl"));
        const BatReply bat = BatReply::parse(ask(console, "bat 1"), options.cells);
        const PwrSingleReply detail = PwrSingleReply::parse(ask(console, "pwr 1"));
        const double t1 = cpuMicros();

        RecordRowBuilder::Cycle c;
        c.time = console.device().clock();
        c.state = sys.state;
        c.presentNum = sys.presentNum;
        c.voltage = sys.totalVoltage;
        c.current = sys.totalCurrent;
        c.soc = sys.totalSoc;
        c.soh = sys.totalSoh;
        c.cfet = ctrl.cfet;
        c.dfet = ctrl.dfet;
        c.packs = table.packs;
        c.balance = balance.states;
        c.detailPack = 1;
        c.detailSoh = detail.soh;
        c.detailFault = detail.sysDefault;
        c.cells = bat.cells;
        if (!file.append(RecordRowBuilder::rows(c))) {
            std::fprintf(stderr, "%s: %s\n", qPrintable(path), qPrintable(file.errorString()));
            return 1;
        }
        const double t2 = cpuMicros();
        parseUs += t1 - t0;
        recordUs += t2 - t1;
        worstUs = std::max(worstUs, t2 - t1);
    }

    const qint64 bytes = QFileInfo(path).size();
    std::printf("cycles                 %d (%.1f h at 10 s), %d packs, %d cells in detail\n", cycles,
                cycles / 360.0, options.packs, options.cells);
    std::printf("rows written           %lld (%lld per cycle)\n", file.rowsWritten(),
                file.rowsWritten() / std::max(1, cycles));
    std::printf("file size              %.2f MB (%lld bytes, %lld per cycle)\n", bytes / 1e6, bytes,
                bytes / std::max(1, cycles));
    std::printf("recorder CPU per cycle %.1f us mean, %.1f us worst (rows built and written)\n",
                recordUs / cycles, worstUs);
    std::printf("parsers CPU per cycle  %.1f us mean (the six replies, for comparison)\n", parseUs / cycles);
    return 0;
}
