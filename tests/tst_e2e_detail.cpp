// End to end against the simulated BMS: the operator picks a pack and the detail view
// fills with that pack's identity, basic data and cells; a pack without barcode gets
// one through the add-barcode button.
//
// With CELLVUE_SHOT_DIR set, the window is also saved there as detail-e2e-chart.png and
// detail-e2e-table.png.

#include "batteryinfo.h"
#include "bmsmainwin.h"
#include "bmssimulator.h"
#include "boxrecorder.h"
#include "simconsole.h"

#include <QAbstractItemModel>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QPushButton>
#include <QStackedWidget>
#include <QTableView>
#include <QtCharts/QChartView>
#include <QtCharts/QLineSeries>
#include <QtTest>

using namespace QtCharts;

namespace {

struct Session {
    BoxRecorder boxes;
    BmsSimulator sim;
    BMSMainWin win;
    BatteryInfo* view = nullptr;

    explicit Session(const SimOptions& o)
        : sim(o)
    {
        view = win.findChild<BatteryInfo*>(QStringLiteral("BattInfoWid"));
    }

    bool open()
    {
        if (!sim.start())
            return false;
        win.resize(1920, 1000);
        win.show();
        win.findChild<QComboBox*>(QStringLiteral("PortComBox"))->setCurrentText(sim.portPath());
        win.OpenBtn_clicked();
        if (!win.portOpen)
            return false;
        // Opening runs its own chain (login, pwrsys, pwr, balance, ctrl). A pick made
        // while it runs can have its reply arrive in one read with another reply, and
        // only the first frame of a read is taken; an operator is never that quick.
        if (!QTest::qWaitFor([&] { return win.CurrentCommand == QLatin1String("ctrl\n"); }, 5000))
            return false;
        QTest::qWait(500);
        return true;
    }

    QString label(const char* name) const { return view->findChild<QLabel*>(QLatin1String(name))->text(); }
    QPushButton* button(const char* name) const { return view->findChild<QPushButton*>(QLatin1String(name)); }
    QAbstractItemModel* table() const
    {
        return view->findChild<QTableView*>(QStringLiteral("cellTableView"))->model();
    }
    QList<QAbstractSeries*> series() const
    {
        return view->findChild<QChartView*>(QStringLiteral("cellLineChart"))->chart()->series();
    }
    SimPack pack(int n) const
    {
        SimPack p;
        sim.access([&](SimConsole& c) { p = c.device().pack(n); });
        return p;
    }

    void shoot(const QString& name)
    {
        const QString dir = qEnvironmentVariable("CELLVUE_SHOT_DIR");
        if (dir.isEmpty())
            return;
        QDir().mkpath(dir);
        win.grab().save(dir + QLatin1Char('/') + name);
    }
};

} // namespace

class TestE2EDetail : public QObject
{
    Q_OBJECT

private slots:
    void pickedPackFillsTheView()
    {
        Session s{SimOptions()};
        QVERIFY(s.open());
        s.win.GroupBatClicked(false, 2);

        // "info 2" → identity.
        QTRY_COMPARE_WITH_TIMEOUT(s.label("AddLab"), QStringLiteral("Device Address: 2"), 5000);
        const SimPack p = s.pack(2);
        QCOMPARE(s.label("BootLab"), QStringLiteral("Boot Version: ") + p.bootVersion);
        QCOMPARE(s.label("SoftVerLab"), QStringLiteral("Main Soft Version: ") + p.mainVersion);
        QCOMPARE(s.label("CommVerLab"), QStringLiteral("Comm Version: ") + p.commVersion);
        QCOMPARE(s.label("ReleaLab"), QStringLiteral("Release Date: ") + p.releaseDate);
        QCOMPARE(s.label("BarcodeLab"), QStringLiteral("Barcode: ") + p.barcode);
        QCOMPARE(s.label("SpeciLab"), QStringLiteral("Specification: ") + p.packSpec);
        QCOMPARE(s.label("MaxChargeLab"), QStringLiteral("Max Charge Current: ") + p.maxChargeCurr);
        QCOMPARE(s.label("CellNumLab"), QStringLiteral("Cell Number: 16"));
        QCOMPARE(s.win.deviceModel, QStringLiteral("HVRACK-7720N"));
        QVERIFY(s.button("AddBarBtn")->isHidden());

        // The chain goes on with "bat 2" and "pwr 2": cells and basic data.
        QTRY_COMPARE_WITH_TIMEOUT(s.table()->rowCount(), 4, 5000);
        QTRY_COMPARE_WITH_TIMEOUT(s.label("BattIdLab"), QStringLiteral("2"), 5000);
        QCOMPARE(s.series().size(), 2);
        QVERIFY(s.label("SOCLab").startsWith(QStringLiteral("SOC: ")));
        QVERIFY(!s.label("SOCLab").contains(QStringLiteral("--")));
        QVERIFY(!s.label("VolDiffLab").contains(QStringLiteral("--")));
        // Cell 1 of the table is the device's cell 0, in volts.
        QCOMPARE(s.table()->index(0, 0).data().toString(), QStringLiteral("1"));
        const double volt = s.table()->index(0, 1).data().toString().toDouble();
        QVERIFY2(volt > 2.5 && volt < 4.0, qPrintable(QString::number(volt)));
        QCOMPARE(qobject_cast<QLineSeries*>(s.series().first())->count(), 16);
        s.shoot(QStringLiteral("detail-e2e-chart.png"));

        s.button("ChangeBtn")->click();
        QCOMPARE(s.view->findChild<QStackedWidget*>(QStringLiteral("CellStackWid"))->currentIndex(), 1);
        QTest::qWait(100);
        s.shoot(QStringLiteral("detail-e2e-table.png"));
        QCOMPARE(s.boxes.count(), 0);
    }

    void fifteenCellPack()
    {
        SimOptions o;
        o.cells = 15;
        Session s{o};
        QVERIFY(s.open());
        s.win.GroupBatClicked(false, 1);
        QTRY_COMPARE_WITH_TIMEOUT(s.label("CellNumLab"), QStringLiteral("Cell Number: 15"), 5000);
        QTRY_COMPARE_WITH_TIMEOUT(s.table()->rowCount(), 4, 5000);
        QCOMPARE(s.table()->index(3, 6).data().toString(), QStringLiteral("15"));
        QVERIFY(!s.table()->index(3, 9).data().isValid());
    }

    void missingBarcodeIsWritten()
    {
        SimOptions o;
        o.blankBarcodes = {3};
        Session s{o};
        QVERIFY(s.open());
        s.win.GroupBatClicked(false, 3);
        QTRY_COMPARE_WITH_TIMEOUT(s.label("AddLab"), QStringLiteral("Device Address: 3"), 5000);
        QCOMPARE(s.label("BarcodeLab"), QStringLiteral("Barcode: --"));
        QVERIFY(!s.button("AddBarBtn")->isHidden());
        // Let the bat/pwr chain finish before the barcode goes out.
        QTRY_COMPARE_WITH_TIMEOUT(s.label("BattIdLab"), QStringLiteral("3"), 5000);

        // With the poll running, its next "pwrsys" can go out before the answer to the
        // "info " that follows a written barcode arrives; that answer then belongs to
        // "pwrsys" and is dropped. Polling off keeps this run about the barcode alone.
        s.win.RealTimerBtn_clicked();
        QVERIFY(!s.win.basicPolling);

        const QString barcode = QStringLiteral("ABCD2024E0000003");
        s.boxes.inputs << barcode;
        s.button("AddBarBtn")->click();
        QTRY_COMPARE_WITH_TIMEOUT(s.sim.lastBarcode(), barcode, 5000);
        QTRY_COMPARE_WITH_TIMEOUT(s.label("BarcodeLab"), QStringLiteral("Barcode: ") + barcode, 5000);
        QVERIFY(s.button("AddBarBtn")->isHidden());
        QCOMPARE(s.label("AddLab"), QStringLiteral("Device Address: 3"));
        QVERIFY(s.boxes.seen().contains(QStringLiteral("Message|Added barcode successfully!")));
    }
};

QTEST_MAIN(TestE2EDetail)
#include "tst_e2e_detail.moc"
