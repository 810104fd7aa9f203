// The real-time page over a long run: a day of stream rows at one sample a second,
// fed one reply at a time through DISPPWRSProcess as the quiet-time dispatch hands
// them over, with the page showing at 1920 x 1000.
//
//   bench_realtime [samples=86400]
//
// Prints the CPU time DISPPWRSProcess takes for one sample at the start, after one hour
// and over the last hour, the same with the repaint the sample causes, the growth of
// the resident memory, and the time of one repaint of the four chart views at the end.

#include "benchsupport.h"
#include "bmsmainwin.h"
#include "msgbox.h"

#include <QApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtCharts/QChartView>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <ctime>

namespace {

// CPU time of this thread in milliseconds: the machine may be busy with other work,
// and what counts here is what the page itself costs.
double cpuMs()
{
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return t.tv_sec * 1e3 + t.tv_nsec / 1e6;
}


// A pack discharging at about 6.5 A to 10 % and charging back to 95 %, with the
// sensor noise of a real one.
struct Pack {
    double mah = 80000;
    int ma = -6500;
    quint32 seed = 1;
    int noise(int span)
    {
        seed = seed * 1664525u + 1013904223u;
        return int(seed >> 16) % (2 * span + 1) - span;
    }
    QString row(int id, const QDateTime& when)
    {
        const int current = ma + noise(30);
        mah = std::clamp(mah + current / 3600.0, 0.0, 100000.0);
        const int soc = int(mah / 1000);
        if ((ma < 0 && soc <= 10) || (ma > 0 && soc >= 95))
            ma = -ma;
        const int mv = 48000 + soc * 60 + current / 10 + noise(5);
        return QStringLiteral("%1 %2 %3 %4 %5 3301 3312 24000 25000 0 0 0 0 %6% %7\r\r\n")
            .arg(id)
            .arg(when.toString(QStringLiteral("yy-MM-dd HH:mm:ss")))
            .arg(mv)
            .arg(current)
            .arg(25000 + std::abs(current) / 100 + noise(150))
            .arg(soc)
            .arg(int(mah));
    }
};

struct Window {
    double mean = 0, max = 0;
};

Window over(const QVector<double>& ms, int from, int count)
{
    Window w;
    from = std::clamp(from, 0, int(ms.size()));
    count = std::min(count, int(ms.size()) - from);
    for (int i = from; i < from + count; ++i) {
        w.mean += ms[i];
        w.max = std::max(w.max, ms[i]);
    }
    if (count > 0)
        w.mean /= count;
    return w;
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int samples = app.arguments().value(1, QStringLiteral("86400")).toInt();
    if (samples < 2) {
        std::fprintf(stderr, "usage: bench_realtime [samples>1]\n");
        return 2;
    }
    QTemporaryDir work;
    QDir::setCurrent(work.path());
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString&) {});
    MsgBox::setHandler([](const MsgBox::Request&) { return MsgBox::Answer{QMessageBox::Yes, {}, 0}; });

    BMSMainWin win;
    win.resize(1920, 1000);
    win.show();
    win.RealBtn_clicked();
    win.portOpen = true;
    app.processEvents();
    const long rssBefore = statusKb("VmRSS");

    Pack pack;
    const QDateTime start(QDate(2024, 6, 1), QTime(8, 0, 0), Qt::UTC);
    QVector<double> call(samples), withPaint(samples);
    for (int i = 0; i < samples; ++i) {
        QString reply = pack.row(i + 1, start.addSecs(i));
        if (i == 0)
            reply = QStringLiteral("disp pwrs 1\r\r\nID Date Time Volt Curr Tempr Vlow Vhigh Tlow Thigh B.St V.St "
                                   "C.St T.St SOC Coul(mAH)\r\r\n") + reply + QStringLiteral("Command completed successfully\r\r\n");
        const double before = cpuMs();
        win.DISPPWRSProcess(reply);
        call[i] = cpuMs() - before;
        app.processEvents(); // layout and the repaint this sample causes
        withPaint[i] = cpuMs() - before;
    }
    const long rssAfter = statusKb("VmRSS");

    double repaint = 0;
    for (const char* name : {"SocCharView", "VoltCharView", "CurrCharView", "TempCharView"}) {
        auto* view = win.findChild<QtCharts::QChartView*>(QLatin1String(name));
        const double before = cpuMs();
        view->viewport()->repaint();
        repaint += cpuMs() - before;
    }

    const int hour = 3600;
    auto print = [&](const char* what, int from, int count) {
        const Window a = over(call, from, count), b = over(withPaint, from, count);
        std::printf("%-28s %8.3f ms mean %8.3f ms max | with repaint %8.3f ms mean %8.3f ms max\n", what, a.mean,
                    a.max, b.mean, b.max);
    };
    std::printf("samples: %d (%.1f h at 1 s), points drawn per chart at the end: %d\n", samples, samples / 3600.0,
                int(win.rtTraces[0].points().size()));
    print("first minute", 0, 60);
    print("minute after 1 h", hour, 60);
    print("last hour", samples - hour, hour);
    std::printf("RSS growth: %.1f MB (%ld kB -> %ld kB), stream log %.1f MB\n", (rssAfter - rssBefore) / 1024.0,
                rssBefore, rssAfter, win.rtLog.size() / 1048576.0);
    std::printf("one repaint of the four chart views: %.2f ms\n", repaint);
    return 0;
}
