// The real-time page: stream replies as the charts plot them, the tips the operator
// hovers, the text saves of this page and of the protection page, and one run against
// the simulated BMS that ends with the port.

#include "battery.h"
#include "realtimetrace.h"
#include "suitetools.h"
#include "windowfixture.h"

#include <QSettings>
#include <QTemporaryDir>
#include <QTextBrowser>
#include <QtCharts/QChart>
#include <QtCharts/QLineSeries>
#include <QtCharts/QValueAxis>

#include <algorithm>

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
    // What the four charts plot of the replies: each sample as "minutes SOC volt
    // current temperature", then the ranges of the time axis and of the four value axes.
    // Only the acknowledgement shows the box.
    void stream_data()
    {
        QTest::addColumn<QStringList>("replies");
        QTest::addColumn<QString>("samples");
        QTest::addColumn<QString>("axes");
        const QString r1 = at(1, "12:00:00", 85), r2 = at(2, "12:00:30", 84), first = "0 85 52.1 -1.2 25";
        const QString wide = row(2, "2023-05-01 12:00:30", "52000", 3000, 31500, "84%", true);
        QTest::newRow("the worked first sample") << QStringList{kHead + r1 + kAck} << first << "0-0 75-95 50.1-54.1 -3.2-2 15-35";
        QTest::newRow("16 and 17 fields, both year formats") << QStringList{r1, wide}
                                                             << first + "|0.5 84 52 3 31.5" << "0-0.5 74-95 50-54.1 -3.2-5 15-41.5";
        QTest::newRow("15 fields end the rows") << QStringList{r1 + r2.section(' ', 0, 14) + "\n" + r2}
                                                << first << "0-0 75-95 50.1-54.1 -3.2-2 15-35";
        QTest::newRow("18 fields are skipped") << QStringList{r1 + r2.trimmed() + " 7 8\n" + at(3, "12:01:00", 83)}
                                               << first + "|1 83 52.1 -1.2 25" << "0-1 73-95 50.1-54.1 -3.2-2 15-35";
        QTest::newRow("SOC 3 and 100") << QStringList{at(1, "12:00:00", 3), at(2, "12:00:30", 100)}
                                       << "0 3 52.1 -1.2 25|0.5 100 52.1 -1.2 25" << "0-0.5 0-110 50.1-54.1 -3.2-2 15-35";
        QTest::newRow("before the first ID 1") << QStringList{at(5, "12:00:00", 85), at(6, "12:07:00", 85)}
                                               << first + "|" + first << "0-0 0-95 -2-54.1 -3.2-2 -10-35";
        QTest::newRow("unknown command") << QStringList{"disp pwrs 1\r\r\nUnknown command\r\r\n"} << "" << "0-1 0-110 0-1 0-1 0-1";
    }

    void stream()
    {
        QFETCH(QStringList, replies);
        WindowFixture f;
        feed(f.win, replies);
        QVERIFY(f.win.rtDisplaying);
        QStringList samples;
        for (int p = 0; p < f.win.socSeries->count(); ++p) {
            QStringList s{QString::number(f.win.socSeries->at(p).x())};
            for (QLineSeries* c : {f.win.socSeries, f.win.voltSeries, f.win.currSeries, f.win.tempSeries})
                s << QString::number(c->at(p).y());
            samples << s.join(' ');
        }
        QTEST(samples.join('|'), "samples");
        auto* time = qobject_cast<QValueAxis*>(f.win.tempChart->axes(Qt::Horizontal).last());
        QTEST(QStringList({range(time), range(f.win.socAxisY), range(f.win.voltAxisY), range(f.win.currAxisY),
                           range(f.win.tempAxisY)}).join(' '), "axes");
        QCOMPARE(f.boxes.seen(), replies.join(QString()).contains(kAck) ? QStringList{"Message|RTdata on succcess!"} : QStringList());
    }

    void hoverTips_data()
    {
        QTest::addColumn<QStringList>("replies");
        QTest::addColumn<int>("chart");
        QTest::addColumn<QPointF>("point");
        QTest::addColumn<QString>("tip");
        const QStringList soc{at(1, "12:00:00", 85), at(2, "12:01:30", 84)};
        QTest::newRow("SOC listed") << soc << 0 << QPointF(1.5, 84.4) << "Time: 1.50min\nSOC: 84%";
        QTest::newRow("SOC 0 after a restart") << QStringList{at(1, "12:00:00", 0)} << 0 << QPointF(-1, 0.2) << "";
        const QStringList volt{row(1, "23-05-01 12:00:00", "30000", 0, 25000, "85"), row(2, "23-05-01 12:01:00", "60000", 0, 25000, "85")};
        QTest::newRow("volt within a hundredth of 30 V") << volt << 1 << QPointF(1, 59.75) << "Time: 1.00min\nVolt: 60.0V";
        QTest::newRow("volt 0.5 V away") << volt << 1 << QPointF(1, 59.5) << "";
        const QStringList curr{at(1, "12:00:00", 85), row(2, "23-05-01 12:00:30", "52100", -1300, 25000, "85")};
        QTest::newRow("current within 0.1 A") << curr << 2 << QPointF(0.25, -1.25) << "Time: 0.25min\nCurr: -1.2A";
        QTest::newRow("current 0.15 A away") << curr << 2 << QPointF(0.25, -1.45) << "";
        const QStringList temp{row(1, "23-05-01 12:00:00", "52100", 0, 25400, "85"), row(2, "23-05-01 12:00:30", "52100", 0, 25800, "85")};
        QTest::newRow("25.4 and 25.8 list 25") << temp << 3 << QPointF(0.5, 25.3) << "Time: 0.50min\nTemp: 25℃";
        QTest::newRow("26 not listed") << temp << 3 << QPointF(0.5, 25.7) << "";
    }

    void hoverTips()
    {
        QFETCH(QStringList, replies);
        QFETCH(int, chart);
        QFETCH(QPointF, point);
        WindowFixture f;
        feed(f.win, replies);
        void (BMSMainWin::*hovers[])(const QPointF&, bool) = {&BMSMainWin::SocPointHoverd, &BMSMainWin::VoltPointHoverd,
                                                               &BMSMainWin::CurrPointHoverd, &BMSMainWin::TempPointHoverd};
        (f.win.*hovers[chart])(point, true);
        QTEST(f.win.tipLab->isHidden() ? QString() : f.win.tipLab->text(), "tip");
        (f.win.*hovers[chart])(point, false); // leaving hides the tip
        QVERIFY(f.win.tipLab->isHidden());
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
            series.resize(qMin(trace.append(all.last()), series.size()));
            series += trace.points().mid(series.size());
        }
        QCOMPARE(series, trace.points());
        QVERIFY(series.size() <= 256 && series.contains(all.at(28800)) && series.contains(all.at(57600)));
        QVERIFY(std::is_sorted(series.begin(), series.end(), [](QPointF a, QPointF b) { return a.x() < b.x(); }));
    }

    // A text save of either page, with the remembered folder and at most one box naming
    // the file and the reason: one that does not happen leaves the older file whole.
    // (The real-time export done, and refused while streaming: the end-to-end run.)
    void textSaves_data()
    {
        QTest::addColumn<bool>("protection"); // else the real-time log of a stopped stream
        QTest::addColumn<int>("fault");       // a SaveFault kind; -1: the dialog cancelled
        QTest::newRow("real-time, cancelled") << false << -1;
        QTest::newRow("real-time, read-only folder") << false << int(SaveFault::ReadOnlyFolder);
        QTest::newRow("real-time, disk full") << false << int(SaveFault::DiskFull);
        QTest::newRow("protection before any reply") << true << int(SaveFault::None); // writes the empty text
        QTest::newRow("protection, read-only folder") << true << int(SaveFault::ReadOnlyFolder);
    }

    void textSaves()
    {
        QFETCH(bool, protection);
        QFETCH(int, fault);
        WindowFixture f;
        QTemporaryDir dir;
        const QString file = dir.filePath("saved.txt");
        QVERIFY(writeFile(file, "old file\n"));
        f.win.settings->setValue("path/downpath", ".");
        if (protection)
            f.win.configText = fault ? "@config\nOver Voltage Alarm : 3.550 56.800 V\n$$" : "";
        else
            feed(f.win, {kHead + at(1, "12:00:00", 85) + kAck}), f.win.DispStopProcess("@disp 0\nCommand completed successfully\n$$");
        f.boxes.clear();
        f.boxes.inputs << (fault < 0 ? QString() : file);
        {
            const SaveFault faulty(SaveFault::Kind(qMax(fault, 0)), dir.path());
            protection ? f.win.ConfigDownBtn_clicked() : f.win.RTDataDownBtn_clicked();
        }
        const QString seen = f.boxes.seen().join('|');
        QVERIFY2(fault > 0 ? seen.startsWith("Warning|Could not save " + file + ":\n") && !seen.endsWith('\n') : seen.isEmpty(),
                 qPrintable(seen));
        QCOMPARE(fileBytes(file), fault ? QByteArray("old file\n") : QByteArray());
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"saved.txt"}); // nothing half-written left
        QCOMPARE(f.win.settings->value("path/downpath").toString(), fault ? "." : dir.path());
    }

    void endToEnd()
    {
        SimOptions o;
        o.sampleMs = 100; // ten samples a second
        SimSession s(o);
        BMSMainWin& win = *s.win;
        const auto page = [&win] { return win.findChild<QStackedWidget*>("StackWid")->currentIndex(); };
        QVERIFY(s.up());
        QString received; // what reached the stream parser
        win.routeObserver = [&received](const char* parser, const QString& r) {
            received += QByteArray(parser) == "DISPPWRSProcess" ? QString(r).remove('\r') : QString();
        };
        win.RealBtn_clicked();
        QCOMPARE(win.findChild<QLabel*>("CurrBatNumLab")->text(), "1");

        s.button("RTDataOnBtn")->click();
        // Ten device seconds a second: a dozen samples in little more than a second.
        QTRY_VERIFY_WITH_TIMEOUT(std::min({win.socSeries->count(), win.voltSeries->count(), win.currSeries->count(),
                                           win.tempSeries->count()}) >= 12, 5000);
        QCOMPARE(s.commands.last(), "disp pwrs 1");
        const QPointF last = win.socSeries->points().last();
        QCOMPARE(last.x(), (win.socSeries->count() - 1) / 60.0); // one second apart
        QCOMPARE(win.gauges().first()->getValue(), last.y());
        s.button("BasicBtn")->click();
        s.button("RTDataDownBtn")->click();
        QCOMPARE(page(), 2);

        s.button("RTDataOffBtn")->click();
        QTRY_VERIFY_WITH_TIMEOUT(!win.rtDisplaying, 3000);
        QCOMPARE(s.commands.last(), "disp 0");
        QCOMPARE(s.boxes.seen(), QStringList({"Message|RTdata on succcess!",
                                            "Message|In real-time rendering, can't switch pages!\nPlease click \"RTData OFF\"!",
                                            "Message|Can't download, Please click \"RTData OFF\"!", "Message|RTdata off succcess!"}));
        QTemporaryDir dir;
        s.boxes.inputs << dir.filePath("run.txt");
        s.button("RTDataDownBtn")->click();
        const QString saved = QString::fromUtf8(fileBytes(dir.filePath("run.txt")));
        QCOMPARE(saved, received + "\n\nfinish");
        QCOMPARE(saved, win.findChild<QTextBrowser*>("RTDataTextBrow")->toPlainText());
        QCOMPARE(win.settings->value("path/downpath").toString(), dir.path());

        // The port closing under a stream ends it on this side, so that the operator can
        // leave the page; a reply still on its way locks nothing again. Logout clears
        // what arrived, a loss keeps it to be exported.
        for (const bool unplug : {false, true}) {
            if (unplug) { // a device of its own: the last one streams on, unstopped
                s.sim.stop();
                QVERIFY(s.sim.start());
                win.findChild<QComboBox*>("PortComBox")->setCurrentText(s.sim.portPath());
                win.OpenBtn_clicked(); // on this page only "pwrsys" follows the login
            }
            QTRY_COMPARE_WITH_TIMEOUT(win.presentNum, 3, 3000);
            s.button("RTDataOnBtn")->click();
            QTRY_VERIFY_WITH_TIMEOUT(win.socSeries->count() >= 2, 3000);
            const int before = win.socSeries->count();
            unplug ? s.sim.stop() : win.CloseBtn_clicked();
            QTRY_VERIFY_WITH_TIMEOUT(!win.portOpen, 3000);
            win.DISPPWRSProcess(at(2, "12:00:30", 84));
            QVERIFY(!win.rtDisplaying);
            QVERIFY(unplug ? win.socSeries->count() > before : win.socSeries->count() == 1);
        }
        s.button("BasicBtn")->click();
        QCOMPARE(page(), 1);
        QCOMPARE(s.boxes.seen().mid(4), QStringList({"Message|RTdata on succcess!", "Message|The real-time recording was stopped.",
                                                   "Message|RTdata on succcess!",
                                                   "Error|The serial port diconnect! Please check!\n\nThe real-time recording was stopped."}));
    }
};

QTEST_MAIN(TestRealTime)
#include "tst_realtime.moc"
