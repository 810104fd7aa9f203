// End to end against a simulated 16-pack BMS: ten polling cycles recorded across an
// adapter pulled mid-cycle and a new Login, then read by Python's csv module and
// compared, cycle by cycle, with what the overview showed when each was written.

#include "battery.h"
#include "simconsole.h"
#include "suitetools.h"

#include <QtTest>
#include <QtWidgets>

namespace {

QJsonObject overview(BMSMainWin& win)
{
    QJsonArray labels, gauges, cells;
    for (const char* name : { "StateLab", "PreNumLab", "TotalVolLab", "TotalCurrLab", "TotalSOCLab", "TotalSOHLab" })
        labels << win.findChild<QLabel*>(name)->text();
    for (Battery* g : win.gauges())
        gauges << g->getValue();
    QString balance;
    for (int k = 1; k <= 16; ++k)
        balance += win.findChild<QRadioButton*>(QStringLiteral("Bat%1RadBtn").arg(k))->isChecked() ? '1' : '0';
    const QAbstractItemModel* t = win.findChild<QTableView*>("cellTableView")->model();
    for (int i = 0; i < t->rowCount() * t->columnCount(); i += 3) { // id, volt, temp of each cell
        const auto at = [&](int k) { return t->index(i / t->columnCount(), i % t->columnCount() + k).data().toString(); };
        if (!at(0).isEmpty())
            cells << QJsonArray{ at(0), at(1), at(2) };
    }
    return { { "labels", labels }, { "gauges", gauges }, { "balance", balance }, { "cells", cells } };
}

} // namespace

class TestE2ERecord : public QObject
{
    Q_OBJECT

private slots:
    void tenCyclesAcrossAnUnplug()
    {
        SimOptions o;
        o.packs = 16;
        SimSession s(o);
        BmsSimulator& sim = s.sim;
        BMSMainWin& win = *s.win;
        sim.access([](SimConsole& c) { c.device().pack(9).balancing = c.device().pack(9).forceBalance = true; });
        QTemporaryDir dir;
        s.boxes.inputs << dir.filePath("rec"); // ".csv" is added
        win.show();
        QJsonArray shown;
        win.recordObserver = [&] { shown << overview(win); };
        win.findChild<QAction*>("actionRecord")->trigger();
        // A cycle is ten ticks; at 180 ms each chain of commands still ends before the
        // next one starts, so the cycle is only compressed, not changed.
        QVERIFY(s.up());
        win.pollTimer->setInterval(180);
        QTRY_COMPARE_WITH_TIMEOUT(shown.size(), 5, 20000);

        // Pulled in the middle of the next cycle's chain: that cycle is lost, nothing else.
        QTRY_COMPARE_WITH_TIMEOUT(win.CurrentCommand, QStringLiteral("balance\n"), 5000);
        sim.stop();
        QTRY_VERIFY_WITH_TIMEOUT(!win.portOpen, 5000);
        QVERIFY(s.up());
        win.pollTimer->setInterval(180);
        QTRY_COMPARE_WITH_TIMEOUT(shown.size(), 10, 20000);
        QCOMPARE(win.recordLab->text(), QStringLiteral("Recording to rec.csv: 330 rows"));
        win.findChild<QAction*>("actionRecord")->trigger();
        QVERIFY(!win.recordFile && win.recordLab->isHidden());
        QCOMPARE(s.boxes.seen().filter("Error|").size(), 1); // the unplug, nothing about the file

        QProcess check;
        check.setProcessChannelMode(QProcess::MergedChannels);
        check.start("python3", { QFINDTESTDATA("support/check_recording.py"), dir.filePath("rec.csv") });
        check.write(QJsonDocument(shown).toJson());
        check.closeWriteChannel();
        QVERIFY(check.waitForFinished(20000));
        QVERIFY2(check.exitCode() == 0, check.readAll().constData());
    }
};

QTEST_MAIN(TestE2ERecord)
#include "tst_e2e_record.moc"
