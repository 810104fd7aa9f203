// End to end against a simulated 16-pack BMS: ten polling cycles recorded across an
// adapter pulled mid-cycle and a new Login; Python's csv module then reads the file and
// compares every cycle with what the overview showed when the cycle was written.

#include "battery.h"
#include "batterygroup.h"
#include "batteryinfo.h"
#include "bmsmainwin.h"
#include "bmssimulator.h"
#include "boxrecorder.h"
#include "simconsole.h"

#include <QAction>
#include <QComboBox>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QRadioButton>
#include <QTableView>
#include <QTextBrowser>
#include <QtTest>

namespace {

// Ten ticks make a cycle; 180 ms still leaves each command chain time to finish
// before the next one starts, so the operator's cycle is only compressed, not changed.
constexpr int kTickMs = 180;

QJsonObject overview(BMSMainWin& win)
{
    auto* group = win.findChild<BatteryGroup*>("BattGroupWid");
    auto* detail = win.findChild<BatteryInfo*>("BattInfoWid");
    const auto texts = [](QWidget* in, QStringList names) {
        for (QString& n : names)
            n = in->findChild<QLabel*>(n)->text();
        return QJsonArray::fromStringList(names);
    };
    QJsonArray gauges, cells, alarm;
    for (Battery* g : win.gauges())
        gauges << g->getValue();
    QString balance;
    for (int k = 1; k <= 16; ++k) {
        auto* r = group->findChild<QRadioButton*>(QStringLiteral("Bat%1RadBtn").arg(k));
        balance += !r->isVisible() ? '-' : r->isChecked() ? '1' : '0';
    }
    const QAbstractItemModel* table = detail->findChild<QTableView*>("cellTableView")->model();
    for (int row = 0; row < table->rowCount(); ++row)
        for (int col = 0; col + 2 < table->columnCount(); col += 3)
            if (!table->index(row, col).data().toString().isEmpty())
                cells << QJsonArray{ table->index(row, col).data().toString(), table->index(row, col + 1).data().toString(),
                                     table->index(row, col + 2).data().toString() };
    for (const QString& line : group->findChild<QTextBrowser*>("AlarmTextBrow")->toPlainText().split('\n'))
        if (!line.trimmed().isEmpty())
            alarm << line.trimmed();
    return { { "rows", 17 + cells.size() }, { "times", 1 },
             { "labels", texts(group, { "StateLab", "PreNumLab", "TotalVolLab", "TotalCurrLab", "TotalSOCLab", "TotalSOHLab" }) },
             { "mos", QJsonArray{ group->findChild<QRadioButton*>("CmosRadiBtn")->isChecked(),
                                  group->findChild<QRadioButton*>("DmosRadiBtn")->isChecked() } },
             { "gauges", gauges }, { "balance", balance }, { "alarm", alarm }, { "cells", cells },
             { "pack", detail->findChild<QLabel*>("BattIdLab")->text() },
             { "detail", texts(detail, { "SOHLab", "SysDefaultLab" }) } };
}

void login(BMSMainWin& win, const QString& port)
{
    win.findChild<QComboBox*>("PortComBox")->setCurrentText(port);
    win.OpenBtn_clicked();
    win.pollTimer->setInterval(kTickMs);
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
        QTemporaryDir dir;
        const QString csv = dir.filePath("rec.csv");
        BoxRecorder boxes;
        boxes.inputs << csv;
        BmsSimulator sim(o);
        QVERIFY(sim.start());
        sim.raiseAlarm(5, SimDevice::OverTemperature);
        sim.access([](SimConsole& c) {
            c.device().setDfet(false);
            c.device().pack(9).balancing = c.device().pack(9).forceBalance = true;
        });
        BMSMainWin win;
        win.show();
        QJsonArray shown;
        win.recordObserver = [&] { shown << overview(win); };
        QAction* record = win.findChild<QAction*>("actionRecord");
        record->trigger();
        QVERIFY(win.recordFile && record->isChecked());

        login(win, sim.portPath());
        QTRY_COMPARE_WITH_TIMEOUT(shown.size(), 5, 20000);
        // Pulled in the middle of the next cycle's chain: that cycle is lost, nothing else.
        QTRY_COMPARE_WITH_TIMEOUT(win.CurrentCommand, QStringLiteral("balance\n"), 5000);
        sim.stop();
        QTRY_VERIFY_WITH_TIMEOUT(!win.portOpen, 5000);
        QVERIFY(boxes.seen().contains("Error|The serial port diconnect! Please check!"));
        QVERIFY(win.recordFile);
        QVERIFY(sim.start());
        login(win, sim.portPath());
        QTRY_COMPARE_WITH_TIMEOUT(shown.size(), 10, 20000);
        QCOMPARE(win.recordLab->text(), QStringLiteral("Recording to rec.csv: 330 rows"));
        record->trigger();
        QVERIFY(!win.recordFile && win.recordLab->isHidden());

        QFile json(dir.filePath("shown.json"));
        QVERIFY(json.open(QIODevice::WriteOnly) && json.write(QJsonDocument(shown).toJson()) > 0);
        json.close();
        QProcess check;
        check.setProcessChannelMode(QProcess::MergedChannels);
        check.start("python3", { QFINDTESTDATA("support/check_recording.py"), csv, json.fileName() });
        QVERIFY(check.waitForFinished(20000));
        QVERIFY2(check.exitCode() == 0, check.readAll().constData());
    }
};

QTEST_MAIN(TestE2ERecord)
#include "tst_e2e_record.moc"
