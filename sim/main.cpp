// cellvue-sim: a simulated battery management system on a pseudo-terminal.
// The first line on standard output is the port path; the program runs until it is
// killed (SIGINT, SIGTERM, SIGHUP), or, with --exit-on-hangup, until a client that
// had opened the port closes it again.

#include "bmssimulator.h"
#include "simfirmware.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFile>
#include <QSocketNotifier>
#include <QTextStream>

#include <csignal>
#include <cstdio>
#include <random>
#include <sys/socket.h>
#include <unistd.h>

namespace {

int g_signalPipe[2] = {-1, -1};

void onSignal(int)
{
    const char c = 1;
    [[maybe_unused]] const ssize_t n = ::write(g_signalPipe[0], &c, 1);
}

[[noreturn]] void fail(const QString& message)
{
    QTextStream(stderr) << "cellvue-sim: " << message << '\n';
    std::exit(2);
}

int intValue(const QCommandLineParser& p, const QString& name, int lo, int hi)
{
    bool ok = false;
    const int v = p.value(name).toInt(&ok);
    if (!ok || v < lo || v > hi)
        fail(QStringLiteral("--%1 wants a whole number from %2 to %3").arg(name).arg(lo).arg(hi));
    return v;
}

double rateValue(const QCommandLineParser& p, const QString& name)
{
    bool ok = false;
    const double v = p.value(name).toDouble(&ok);
    if (!ok || v < 0.0 || v > 1.0)
        fail(QStringLiteral("--%1 wants a share from 0 to 1").arg(name));
    return v;
}

QList<int> packList(const QCommandLineParser& p, const QString& name)
{
    QList<int> packs;
    for (const QString& s : p.value(name).split(QLatin1Char(','), Qt::SkipEmptyParts)) {
        bool ok = false;
        const int pack = s.trimmed().toInt(&ok);
        if (!ok || pack < 1 || pack > 16)
            fail(QStringLiteral("--%1 wants pack numbers from 1 to 16").arg(name));
        packs.append(pack);
    }
    return packs;
}

int makeImage(const QCommandLineParser& p, quint32 seed)
{
    const QString target = p.value(QStringLiteral("image-target"));
    SimFirmware::Target t = SimFirmware::Pack;
    if (target == QLatin1String("hub"))
        t = SimFirmware::Hub;
    else if (target == QLatin1String("boot"))
        t = SimFirmware::Boot;
    else if (target != QLatin1String("pack"))
        fail(QStringLiteral("--image-target is pack, hub or boot"));
    const QStringList version = p.value(QStringLiteral("image-version")).split(QLatin1Char('.'));
    if (version.size() != 3)
        fail(QStringLiteral("--image-version looks like 2.4.0"));
    const int size = intValue(p, QStringLiteral("image-size"), 0, 16 * 1024 * 1024);
    std::mt19937 rng(seed);
    QByteArray payload(size, '\0');
    for (int i = 0; i < size; ++i)
        payload[i] = char(rng() & 0xFF);
    QFile out(p.value(QStringLiteral("make-image")));
    if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate))
        fail(QStringLiteral("cannot write %1").arg(out.fileName()));
    out.write(SimFirmware::build(t, version[0].toInt(), version[1].toInt(), version[2].toInt(), payload));
    return 0;
}

// Every option, with the defaults of a plain SimOptions.
void addOptions(QCommandLineParser& p)
{
    const SimOptions d;
    auto opt = [&](const QString& name, const QString& help, const QString& value = QString(),
                   const QString& def = QString()) {
        p.addOption(value.isEmpty() ? QCommandLineOption(name, help) : QCommandLineOption(name, help, value, def));
    };
    opt(QStringLiteral("packs"), QStringLiteral("Packs present, 1 to 16."), QStringLiteral("N"), QString::number(d.packs));
    opt(QStringLiteral("cells"), QStringLiteral("Cells per pack, 15 or 16."), QStringLiteral("N"), QString::number(d.cells));
    opt(QStringLiteral("model"), QStringLiteral("Device name in \"info\" (HVRACK-7720-KM lists events in one framed reply)."),
        QStringLiteral("NAME"), d.model);
    opt(QStringLiteral("pwr-devtype"), QStringLiteral("\"pwr\" table with the DevType column."));
    opt(QStringLiteral("bat-layout"), QStringLiteral("\"bat N\" rows of 11 or 10 parts."), QStringLiteral("N"), QString::number(d.batLayout));
    opt(QStringLiteral("disp-fields"), QStringLiteral("\"disp pwrs N\" rows of 16 or 17 fields."), QStringLiteral("N"), QString::number(d.dispFields));
    opt(QStringLiteral("event-mask"), QStringLiteral("Event listings with the mask column."));
    opt(QStringLiteral("no-balance"), QStringLiteral("A model without the balance command."));
    opt(QStringLiteral("no-login"), QStringLiteral("Switching, barcode and defaults work without \"login debug\"."));
    opt(QStringLiteral("seed"), QStringLiteral("Random seed: one seed, one session."), QStringLiteral("N"), QString::number(d.seed));
    opt(QStringLiteral("events"), QStringLiteral("Events in the history at start."), QStringLiteral("N"), QString::number(d.events));
    opt(QStringLiteral("page-rows"), QStringLiteral("Event rows per listing page."), QStringLiteral("N"), QString::number(d.pageRows));
    opt(QStringLiteral("speed"), QStringLiteral("How many times faster than real time the charge moves."), QStringLiteral("X"), QString::number(d.speed));
    opt(QStringLiteral("sample-ms"), QStringLiteral("How often the device takes a new sample (one second of device time; the stream prints every one)."), QStringLiteral("MS"), QString::number(d.sampleMs));
    opt(QStringLiteral("blank-barcode"), QStringLiteral("Packs without a barcode, e.g. 2,3."), QStringLiteral("LIST"));
    opt(QStringLiteral("sensor-fault"), QStringLiteral("Packs with a sensor fault from the start (the self-test fails), e.g. 2."), QStringLiteral("LIST"));
    opt(QStringLiteral("start-time"), QStringLiteral("Device clock at start, \"yyyy-MM-dd HH:mm:ss\"."), QStringLiteral("TIME"),
        d.startTime.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")));
    opt(QStringLiteral("self-test-ms"), QStringLiteral("Duration of the self-test."), QStringLiteral("MS"), QString::number(d.selfTestMs));
    opt(QStringLiteral("reboot-ms"), QStringLiteral("From an accepted image to the boot text."), QStringLiteral("MS"), QString::number(d.rebootMs));
    opt(QStringLiteral("chunk"), QStringLiteral("Fault: replies cut into random pieces."));
    opt(QStringLiteral("chunk-gap"), QStringLiteral("Longest pause between pieces."), QStringLiteral("MS"), QString::number(d.faults.chunkGapMs));
    opt(QStringLiteral("latency"), QStringLiteral("Fault: delay before every reply."), QStringLiteral("MS"), QStringLiteral("0"));
    opt(QStringLiteral("silence"), QStringLiteral("Fault: share of commands left unanswered."), QStringLiteral("RATE"), QStringLiteral("0"));
    opt(QStringLiteral("garbage"), QStringLiteral("Fault: share of replies preceded by line noise."), QStringLiteral("RATE"), QStringLiteral("0"));
    opt(QStringLiteral("lose-frame-end"), QStringLiteral("Fault: share of framed replies without \"$$\"."), QStringLiteral("RATE"), QStringLiteral("0"));
    opt(QStringLiteral("xmodem-nak"), QStringLiteral("Fault: share of good Xmodem blocks answered with NAK."), QStringLiteral("RATE"), QStringLiteral("0"));
    opt(QStringLiteral("xmodem-cancel-after"), QStringLiteral("Fault: cancel (CAN) after N good blocks."), QStringLiteral("N"), QStringLiteral("-1"));
    opt(QStringLiteral("xmodem-silent-after"), QStringLiteral("Fault: the receiver stops answering after N good blocks."), QStringLiteral("N"), QStringLiteral("-1"));
    opt(QStringLiteral("vanish-after"), QStringLiteral("Fault: the port disappears after MS and the program ends."), QStringLiteral("MS"), QStringLiteral("-1"));
    opt(QStringLiteral("exit-on-hangup"), QStringLiteral("End when a client that had opened the port closes it."));
    opt(QStringLiteral("verbose"), QStringLiteral("Log every command line received on standard error."));
    opt(QStringLiteral("make-image"), QStringLiteral("Write a firmware image the loader accepts to FILE and end."), QStringLiteral("FILE"));
    opt(QStringLiteral("image-target"), QStringLiteral("pack, hub or boot."), QStringLiteral("TARGET"), QStringLiteral("pack"));
    opt(QStringLiteral("image-version"), QStringLiteral("Version of the image."), QStringLiteral("X.Y.Z"), QStringLiteral("2.4.0"));
    opt(QStringLiteral("image-size"), QStringLiteral("Payload bytes of the image."), QStringLiteral("N"), QStringLiteral("4000"));
}

// The device's options from the command line (all but --seed, which also seeds an image).
void readOptions(const QCommandLineParser& p, SimOptions& o)
{
    bool ok = false;
    o.packs = intValue(p, QStringLiteral("packs"), 1, 16);
    o.cells = intValue(p, QStringLiteral("cells"), 15, 16);
    o.model = p.value(QStringLiteral("model"));
    if (o.model.isEmpty() || o.model.contains(QLatin1Char(' ')))
        fail(QStringLiteral("--model wants one word"));
    o.pwrDevType = p.isSet(QStringLiteral("pwr-devtype"));
    o.batLayout = intValue(p, QStringLiteral("bat-layout"), 10, 11);
    o.dispFields = intValue(p, QStringLiteral("disp-fields"), 16, 17);
    o.eventMask = p.isSet(QStringLiteral("event-mask"));
    o.balance = !p.isSet(QStringLiteral("no-balance"));
    o.requireLogin = !p.isSet(QStringLiteral("no-login"));
    o.events = intValue(p, QStringLiteral("events"), 0, 100000);
    o.pageRows = intValue(p, QStringLiteral("page-rows"), 1, 1000);
    o.speed = p.value(QStringLiteral("speed")).toDouble(&ok);
    if (!ok || o.speed < 0 || o.speed > 100000)
        fail(QStringLiteral("--speed wants a number from 0 to 100000"));
    o.sampleMs = intValue(p, QStringLiteral("sample-ms"), 1, 1 << 30);
    o.blankBarcodes = packList(p, QStringLiteral("blank-barcode"));
    o.sensorFaults = packList(p, QStringLiteral("sensor-fault"));
    o.startTime = QDateTime::fromString(p.value(QStringLiteral("start-time")), QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    if (!o.startTime.isValid())
        fail(QStringLiteral("--start-time looks like 2024-06-01 08:00:00"));
    o.startTime.setTimeSpec(Qt::UTC);
    o.selfTestMs = intValue(p, QStringLiteral("self-test-ms"), 0, 600000);
    o.rebootMs = intValue(p, QStringLiteral("reboot-ms"), 0, 600000);
    o.faults.chunk = p.isSet(QStringLiteral("chunk"));
    o.faults.chunkGapMs = intValue(p, QStringLiteral("chunk-gap"), 1, 10000);
    o.faults.latencyMs = intValue(p, QStringLiteral("latency"), 0, 600000);
    o.faults.silence = rateValue(p, QStringLiteral("silence"));
    o.faults.garbage = rateValue(p, QStringLiteral("garbage"));
    o.faults.loseFrameEnd = rateValue(p, QStringLiteral("lose-frame-end"));
    o.faults.xmodemNak = rateValue(p, QStringLiteral("xmodem-nak"));
    o.faults.xmodemCancelAfter = intValue(p, QStringLiteral("xmodem-cancel-after"), -1, 1 << 30);
    o.faults.xmodemSilentAfter = intValue(p, QStringLiteral("xmodem-silent-after"), -1, 1 << 30);
    o.faults.vanishAfterMs = intValue(p, QStringLiteral("vanish-after"), -1, 1 << 30);
}

// SIGINT, SIGTERM and SIGHUP end the event loop through a socket pair, the one thing a
// signal handler may safely do; a client that hangs up must not kill us by SIGPIPE.
void quitOnSignals(QCoreApplication& app)
{
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, g_signalPipe) != 0)
        fail(QStringLiteral("no socket pair for signals"));
    auto* notifier = new QSocketNotifier(g_signalPipe[1], QSocketNotifier::Read, &app);
    QObject::connect(notifier, &QSocketNotifier::activated, &app, &QCoreApplication::quit);
    std::signal(SIGINT, onSignal);
    std::signal(SIGTERM, onSignal);
    std::signal(SIGHUP, onSignal);
    std::signal(SIGPIPE, SIG_IGN);
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("cellvue-sim"));

    QCommandLineParser p;
    p.setApplicationDescription(QStringLiteral(
        "A simulated battery management system. Prints the pseudo-terminal to open as its "
        "first line and serves it until killed."));
    p.addHelpOption();
    addOptions(p);
    p.process(app);
    if (!p.positionalArguments().isEmpty())
        fail(QStringLiteral("unexpected argument %1").arg(p.positionalArguments().first()));

    SimOptions o;
    bool ok = false;
    o.seed = p.value(QStringLiteral("seed")).toUInt(&ok);
    if (!ok)
        fail(QStringLiteral("--seed wants a whole number"));
    if (p.isSet(QStringLiteral("make-image")))
        return makeImage(p, o.seed);

    readOptions(p, o);

    quitOnSignals(app);

    BmsSimulator sim(o);
    if (!sim.start())
        fail(QStringLiteral("cannot open a pseudo-terminal"));
    std::printf("%s\n", sim.portPath().toLocal8Bit().constData());
    std::fflush(stdout);

    QObject::connect(&sim, &BmsSimulator::portGone, &app, &QCoreApplication::quit);
    if (p.isSet(QStringLiteral("exit-on-hangup")))
        QObject::connect(&sim, &BmsSimulator::clientGone, &app, &QCoreApplication::quit);
    if (p.isSet(QStringLiteral("verbose"))) {
        QObject::connect(&sim, &BmsSimulator::commandReceived, [](const QString& line) {
            QTextStream(stderr) << "> " << line << '\n';
        });
    }
    const int rc = app.exec();
    sim.stop();
    return rc;
}
