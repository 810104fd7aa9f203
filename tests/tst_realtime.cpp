// The real-time page: stream rows as the device prints them, the charts' axes and tips
// the operator sees, the exported file, the run ending with the port, and one run
// against the simulated BMS.

#include "battery.h"
#include "bmssimulator.h"
#include "realtimereply.h"
#include "windowfixture.h"

#include <QFileDialog>
#include <QSettings>
#include <QTemporaryDir>
#include <QTextBrowser>
#include <QtCharts/QChart>
#include <QtCharts/QLegend>
#include <QtCharts/QLineSeries>
#include <QtCharts/QValueAxis>

#include <algorithm>
#include <csignal>
#include <sys/fsuid.h>
#include <sys/resource.h>

using namespace QtCharts;

namespace {

const QString kHead = QStringLiteral("disp pwrs 1\r\r\nID Date Time Volt Curr Tempr Vlow Vhigh Tlow Thigh B.St V.St "
                                     "C.St T.St SOC Coul(mAH)\r\r\n");
const QString kAck = QStringLiteral("Command completed successfully\r\r\n");

// One stream row, of 16 fields (17 when wide: a state word after the voltage).
QString row(int id, const QString& time, const QString& mv, int ma, int mc, const QString& soc, bool wide = false)
{
    return QStringLiteral("%1 %2 %3 %4%5 %6 3301 3312 24000 25000 0 0 0 0 %7 95000\r\r\n")
        .arg(id).arg(time, mv, wide ? "Dischg " : "").arg(ma).arg(mc).arg(soc);
}
QString at(int id, const QString& clock, int soc) { return row(id, "23-05-01 " + clock, "52100", -1200, 25000, QString::number(soc) + "%"); }

QString range(QValueAxis* a) { return QString::number(a->min()) + "-" + QString::number(a->max()); }

QString contents(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
}

// Hands replies to the stream parser as the dispatch does, the port open.
void feed(BMSMainWin& win, const QStringList& replies)
{
    win.portOpen = true;
    for (const QString& r : replies)
        win.DISPPWRSProcess(r);
}

} // namespace

class TestRealTime : public QObject
{
    Q_OBJECT

private slots:
    void readRows_data()
    {
        QTest::addColumn<QString>("reply");
        QTest::addColumn<QString>("items");
        const QString r1 = at(1, "12:00:00", 85), r2 = at(2, "12:00:30", 84);
        QTest::newRow("header, 16-field rows, ack") << kHead + r1 + r2 + row(3, "23-05-01 12:01:00", "52000", 300, 25400, "84") + kAck
            << "1 23-05-01 12:00:00 52.1 -1.2 25 85 95000|2 23-05-01 12:00:30 52.1 -1.2 25 84 95000|3 23-05-01 12:01:00 52 0.3 25.4 84 95000";
        QTest::newRow("17 fields, four-digit year") << row(7, "2023-05-01 12:00:00", "52100", 3000, 31500, "90%", true)
                                                    << "7 2023-05-01 12:00:00 52.1 3 31.5 90 95000";
        QTest::newRow("15 fields end the rows") << r1 + r2.section(' ', 0, 14) + "\n" + r2 << "1 23-05-01 12:00:00 52.1 -1.2 25 85 95000";
        QTest::newRow("18 fields are skipped") << r1 + r2.trimmed() + " 7 8\n" + at(3, "12:01:00", 83)
                                               << "1 23-05-01 12:00:00 52.1 -1.2 25 85 95000|3 23-05-01 12:01:00 52.1 -1.2 25 83 95000";
        QTest::newRow("unknown command") << "disp pwrs 1\r\r\nUnknown command\r\r\n" << "";
    }

    void readRows()
    {
        QFETCH(QString, reply);
        QFETCH(QString, items);
        QStringList read;
        for (const RealTimeItem& i : RealTimeReply::parse(reply).items)
            read << QStringList{QString::number(i.GetID()), i.GetTime(), QString::number(i.GetVolt()), QString::number(i.GetCurrent()),
                                QString::number(i.GetTemp()), QString::number(i.GetSOCPer()), QString::number(i.GetCoul())}.join(' ');
        QCOMPARE(read.join('|'), items);
    }

    void axes_data()
    {
        QTest::addColumn<QStringList>("replies");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<int>("boxes");
        QTest::newRow("first sample") << QStringList{kHead + at(1, "12:00:00", 85) + kAck}
                                      << "0-0 75-95 50.1-54.1 -3.2-2 15-35 1" << 1;
        QTest::newRow("half a minute later") << QStringList{at(1, "12:00:00", 85), at(2, "12:00:30", 84)} << "0-0.5 74-95 50.1-54.1 -3.2-2 15-35 2" << 0;
        QTest::newRow("SOC 3 and 100") << QStringList{at(1, "12:00:00", 3), at(2, "12:00:30", 100)} << "0-0.5 0-110 50.1-54.1 -3.2-2 15-35 2" << 0;
        QTest::newRow("both year formats") << QStringList{at(1, "12:00:00", 85), row(2, "2023-05-01 12:01:00", "52100", -1200, 25000, "85%", true)}
                                           << "0-1 75-95 50.1-54.1 -3.2-2 15-35 2" << 0;
        QTest::newRow("before the first ID 1") << QStringList{at(5, "12:00:00", 85), at(6, "12:07:00", 85)} << "0-0 0-95 -2-54.1 -3.2-2 -10-35 2" << 0;
        QTest::newRow("unknown command") << QStringList{"disp pwrs 1\r\r\nUnknown command\r\r\n"} << "0-1 0-110 0-1 0-1 0-1 0" << 0;
    }

    void axes()
    {
        QFETCH(QStringList, replies);
        QFETCH(QString, shown);
        QFETCH(int, boxes);
        WindowFixture f;
        feed(f.win, replies);
        QVERIFY(f.win.rtDisplaying);
        auto* time = qobject_cast<QValueAxis*>(f.win.tempChart->axes(Qt::Horizontal).last());
        QCOMPARE(QStringList({range(time), range(f.win.socAxisY), range(f.win.voltAxisY), range(f.win.currAxisY),
                              range(f.win.tempAxisY), QString::number(f.win.voltSeries->count())}).join(' '), shown);
        QCOMPARE(f.boxes.seen(), boxes ? QStringList{"Message|RTdata on succcess!"} : QStringList());
    }

    void hoverTips_data()
    {
        QTest::addColumn<QStringList>("replies");
        QTest::addColumn<int>("chart");
        QTest::addColumn<QPointF>("point");
        QTest::addColumn<bool>("leave");
        QTest::addColumn<QString>("tip");
        const QStringList soc{at(1, "12:00:00", 85), at(2, "12:01:30", 84)};
        QTest::newRow("SOC listed") << soc << 0 << QPointF(1.5, 84.4) << false << "Time: 1.50min\nSOC: 84%";
        QTest::newRow("leaving hides") << soc << 0 << QPointF(1.5, 84.4) << true << "";
        QTest::newRow("SOC 0 after a restart") << QStringList{at(1, "12:00:00", 0)} << 0 << QPointF(-1, 0.2) << false << "";
        const QStringList volt{row(1, "23-05-01 12:00:00", "30000", 0, 25000, "85"), row(2, "23-05-01 12:01:00", "60000", 0, 25000, "85")};
        QTest::newRow("volt within a hundredth of 30 V") << volt << 1 << QPointF(1, 59.75) << false << "Time: 1.00min\nVolt: 60.0V";
        QTest::newRow("volt 0.5 V away") << volt << 1 << QPointF(1, 59.5) << false << "";
        const QStringList curr{at(1, "12:00:00", 85), row(2, "23-05-01 12:00:30", "52100", -1300, 25000, "85")};
        QTest::newRow("current within 0.1 A") << curr << 2 << QPointF(0.25, -1.25) << false << "Time: 0.25min\nCurr: -1.2A";
        QTest::newRow("current 0.15 A away") << curr << 2 << QPointF(0.25, -1.45) << false << "";
        const QStringList temp{row(1, "23-05-01 12:00:00", "52100", 0, 25400, "85"), row(2, "23-05-01 12:00:30", "52100", 0, 25800, "85")};
        QTest::newRow("25.4 and 25.8 list 25") << temp << 3 << QPointF(0.5, 25.3) << false << "Time: 0.50min\nTemp: 25℃";
        QTest::newRow("26 not listed") << temp << 3 << QPointF(0.5, 25.7) << false << "";
    }

    void hoverTips()
    {
        QFETCH(QStringList, replies);
        QFETCH(int, chart);
        QFETCH(QPointF, point);
        QFETCH(bool, leave);
        QFETCH(QString, tip);
        WindowFixture f;
        feed(f.win, replies);
        void (BMSMainWin::*hovers[])(const QPointF&, bool) = {&BMSMainWin::SocPointHoverd, &BMSMainWin::VoltPointHoverd,
                                                               &BMSMainWin::CurrPointHoverd, &BMSMainWin::TempPointHoverd};
        const auto hover = hovers[chart];
        (f.win.*hover)(point, true);
        if (leave)
            (f.win.*hover)(point, false);
        QCOMPARE(f.win.tipLab->isHidden() ? QString() : f.win.tipLab->text(), tip);
    }

    void narrowScreenFonts()
    {
        WindowFixture f;
        f.win.widthRate = 0.7; // 1344 pixels
        f.win.RateOfChartInit();
        QChart* c = f.win.voltChart;
        QCOMPARE(QList<int>({c->titleFont().pointSize(), c->legend()->font().pointSize(), f.win.voltAxisY->titleFont().pointSize(),
                             c->axes(Qt::Horizontal).last()->labelsFont().pointSize(), f.win.tipLab->font().pointSize()}),
                 QList<int>({11, 6, 10, 8, 11}));
    }

    // What a chart draws of a day: a few hundred points that keep the highest and
    // the lowest sample.
    void traceKeepsExtremes()
    {
        RealTimeTrace trace;
        QVector<QPointF> all, series;
        for (int i = 0; i < 86400; ++i) {
            all << QPointF(i / 60.0, i == 28800 ? 500 : i == 57600 ? -500 : (i % 600) / 6.0);
            // The window's series follows the same way: points before `from` stay.
            const int from = trace.append(all.last());
            series.resize(qMin(from, series.size()));
            series += trace.points().mid(series.size());
        }
        QCOMPARE(series, trace.points());
        QVERIFY(series.size() <= 256 && series.contains(all.at(28800)) && series.contains(all.at(57600)));
        QVERIFY(std::is_sorted(series.begin(), series.end(), [](QPointF a, QPointF b) { return a.x() < b.x(); }));
    }

    void exportLog_data()
    {
        QTest::addColumn<QString>("mode");
        QTest::addColumn<QString>("box");
        QTest::newRow("after a stop") << "stopped" << "";
        QTest::newRow("cancelled") << "cancel" << "";
        QTest::newRow("while streaming") << "streaming" << "Message|Can't download, Please click \"RTData OFF\"!";
        QTest::newRow("read-only folder") << "readonly" << "Warning|Could not save %1:\n";
        QTest::newRow("disk full") << "full" << "Warning|Could not save %1:\n";
    }

    void exportLog()
    {
        QFETCH(QString, mode);
        QFETCH(QString, box);
        WindowFixture f;
        QTemporaryDir dir;
        const QString file = dir.filePath("rt.txt");
        QFile old(file);
        QVERIFY(old.open(QIODevice::WriteOnly) && old.write("old export\n") == 11);
        old.close();
        f.win.settings->setValue("path/downpath", ".");
        feed(f.win, {kHead + at(1, "12:00:00", 85) + kAck});
        if (mode != "streaming")
            f.win.DispStopProcess("@disp 0\nCommand completed successfully\n$$");
        f.boxes.clear();
        f.boxes.inputs << (mode == "cancel" ? QString() : file);

        rlimit fileSize{};
        getrlimit(RLIMIT_FSIZE, &fileSize);
        const rlimit full{16, fileSize.rlim_max}; // the disk takes 16 bytes
        if (mode == "readonly")
            QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::ExeOwner | QFile::ReadOther | QFile::ExeOther);
        setfsuid(mode == "readonly" ? 65534 : 0); // root writes anywhere; nobody does not
        std::signal(SIGXFSZ, SIG_IGN);
        setrlimit(RLIMIT_FSIZE, mode == "full" ? &full : &fileSize);
        f.win.RTDataDownBtn_clicked();
        setfsuid(0);
        setrlimit(RLIMIT_FSIZE, &fileSize);
        QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);

        const bool saved = mode == "stopped";
        // One box at most, naming the file and then the system's reason.
        const QString seen = f.boxes.seen().join('|');
        QVERIFY2(box.isEmpty() ? seen.isEmpty() : seen.startsWith(QString(box).replace("%1", file)) && !seen.endsWith('\n'),
                 qPrintable(seen));
        QCOMPARE(contents(file), saved ? QString(kHead + at(1, "12:00:00", 85) + kAck).remove('\r') + "\n\nfinish" : "old export\n");
        if (saved)
            QCOMPARE(contents(file), f.w<QTextBrowser>("RTDataTextBrow")->toPlainText());
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"rt.txt"}); // nothing half-written left
        QCOMPARE(f.win.settings->value("path/downpath").toString(), saved ? dir.path() : ".");
    }

    void portClosed_data()
    {
        QTest::addColumn<bool>("unplug");
        QTest::addColumn<QString>("box");
        QTest::newRow("logout") << false << "Message|The real-time recording was stopped.";
        QTest::newRow("unplugged") << true << "Error|The serial port diconnect! Please check!\n\nThe real-time recording was stopped.";
    }

    void portClosed()
    {
        QFETCH(bool, unplug);
        QFETCH(QString, box);
        WindowFixture f;
        f.win.portListProvider = [] { return QStringList{QStringLiteral("/dev/ttyS0")}; };
        f.win.ReflashSerialComx();
        QVERIFY(f.login()); // typed: the port vanishes with its node
        f.win.RealBtn_clicked();
        f.button("RTDataOnBtn")->click();
        QVERIFY(f.pty.readUntil("disp pwrs 1\n", 2000).endsWith("\ndisp pwrs 1\n"));
        f.pty.write((kHead + at(1, "12:00:00", 85) + kAck).toLatin1());
        QTRY_VERIFY(f.win.rtDisplaying);
        f.boxes.clear();
        if (unplug) {
            f.pty.closeMaster();
            f.win.ReflashSerialComx();
        } else {
            f.win.CloseBtn_clicked();
        }
        QCOMPARE(f.boxes.seen(), QStringList{box});
        f.win.DISPPWRSProcess(at(2, "12:00:30", 84)); // still on its way when the port went
        QVERIFY(!f.win.rtDisplaying);
        QCOMPARE(f.win.socSeries->count(), unplug ? 2 : 1); // logout clears the record, a loss keeps it
        f.button("BasicBtn")->click();
        QCOMPARE(f.page(), 1);
        QCOMPARE(f.boxes.count(), 1);
    }

    void endToEnd()
    {
        SimOptions o;
        o.sampleMs = 100; // ten samples a second
        BmsSimulator sim(o);
        WindowFixture f;
        BMSMainWin& win = f.win;
        QStringList wire;
        connect(&sim, &BmsSimulator::commandReceived, this, [&wire](const QString& line) { wire << line; });
        QString received; // what reached the stream parser
        win.routeObserver = [&received](const char* parser, const QString& r) {
            received += QByteArray(parser) == "DISPPWRSProcess" ? QString(r).remove('\r') : QString();
        };
        QVERIFY(sim.start());
        win.show();
        f.w<QComboBox>("PortComBox")->setCurrentText(sim.portPath());
        win.OpenBtn_clicked();
        win.RealBtn_clicked();
        QCOMPARE(f.label("CurrBatNumLab"), "1");
        QTRY_COMPARE_WITH_TIMEOUT(win.presentNum, 3, 3000); // "pwrsys" answered

        f.button("RTDataOnBtn")->click();
        // Ten device seconds a second: a dozen samples in little more than a second.
        QTRY_VERIFY_WITH_TIMEOUT(std::min({win.socSeries->count(), win.voltSeries->count(), win.currSeries->count(),
                                           win.tempSeries->count()}) >= 12, 5000);
        QCOMPARE(wire.last(), "disp pwrs 1");
        const QPointF last = win.socSeries->points().last();
        QCOMPARE(last.x(), (win.socSeries->count() - 1) / 60.0); // one second apart
        QCOMPARE(win.gauges().first()->getValue(), last.y());
        f.button("BasicBtn")->click();
        QCOMPARE(f.page(), 2);

        f.button("RTDataOffBtn")->click();
        QTRY_VERIFY_WITH_TIMEOUT(!win.rtDisplaying, 3000);
        QCOMPARE(wire.last(), "disp 0");
        QCOMPARE(f.boxes.seen(), QStringList({"Message|RTdata on succcess!",
                                            "Message|In real-time rendering, can't switch pages!\nPlease click \"RTData OFF\"!",
                                            "Message|RTdata off succcess!"}));
        QTemporaryDir dir;
        f.boxes.inputs << dir.filePath("run.txt");
        f.button("RTDataDownBtn")->click();
        QCOMPARE(contents(dir.filePath("run.txt")), received + "\n\nfinish");
        f.button("BasicBtn")->click();
        QCOMPARE(f.page(), 1);
    }
};

QTEST_MAIN(TestRealTime)
#include "tst_realtime.moc"
