// End to end against the simulated BMS: a picked pack's identity fills the detail view's
// information box, and a pack without barcode gets one through the add-barcode dialog
// (after the device has refused one that another pack carries).

#include "batteryinfo.h"
#include "bmsmainwin.h"
#include "bmssimulator.h"
#include "boxrecorder.h"
#include "simconsole.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

class TestE2EDetail : public QObject
{
    Q_OBJECT

private slots:
    void packIdentity_data()
    {
        QTest::addColumn<int>("pack");
        QTest::addColumn<int>("cells");
        QTest::addColumn<bool>("blank");
        QTest::newRow("with barcode") << 2 << 16 << false;
        QTest::newRow("without barcode, 15 cells") << 3 << 15 << true;
    }

    void packIdentity()
    {
        QFETCH(int, pack);
        QFETCH(int, cells);
        QFETCH(bool, blank);
        SimOptions o;
        o.cells = cells;
        if (blank)
            o.blankBarcodes = { pack };
        BoxRecorder boxes;
        BmsSimulator sim(o);
        BMSMainWin win;
        BatteryInfo* view = win.findChild<BatteryInfo*>("BattInfoWid");
        QPushButton* addBarcode = view->findChild<QPushButton*>("AddBarBtn");
        const auto label = [view](const char* name) { return view->findChild<QLabel*>(name)->text(); };
        QVERIFY(sim.start());
        win.show();
        win.findChild<QComboBox*>("PortComBox")->setCurrentText(sim.portPath());
        win.OpenBtn_clicked();
        QVERIFY(win.portOpen);
        // Opening runs its own chain; a pick made meanwhile could have its reply read
        // together with another one, and an operator is never that quick.
        QTRY_COMPARE_WITH_TIMEOUT(win.CurrentCommand, QStringLiteral("ctrl\n"), 5000);
        QTest::qWait(500);

        win.GroupBatClicked(false, pack);
        QTRY_COMPARE_WITH_TIMEOUT(label("AddLab"), QStringLiteral("Device Address: %1").arg(pack), 5000);
        SimPack p;
        sim.access([&](SimConsole& c) { p = c.device().pack(pack); });
        const QStringList shown{ label("BootLab"), label("SoftVerLab"), label("CommVerLab"), label("ReleaLab"),
                                 label("BarcodeLab"), label("SpeciLab"), label("MaxChargeLab"), label("CellNumLab") };
        const QStringList device{ "Boot Version: " + p.bootVersion, "Main Soft Version: " + p.mainVersion,
                                  "Comm Version: " + p.commVersion, "Release Date: " + p.releaseDate,
                                  "Barcode: " + (blank ? QStringLiteral("--") : p.barcode),
                                  "Specification: " + p.packSpec, "Max Charge Current: " + p.maxChargeCurr,
                                  "Cell Number: " + QString::number(cells) };
        QCOMPARE(shown, device);
        QCOMPARE(win.deviceModel, o.model);
        QCOMPARE(addBarcode->isHidden(), !blank);
        QCOMPARE(boxes.count(), 0);
        if (!blank)
            return;

        // Let the bat/pwr chain finish, and stop the poll: its next "pwrsys" could go out
        // before the answer to the "info" that follows a written barcode arrives.
        QTRY_COMPARE_WITH_TIMEOUT(label("BattIdLab"), QString::number(pack), 5000);
        win.RealTimerBtn_clicked();
        QVERIFY(!win.basicPolling);
        // Typed into the dialog and confirmed with Return, as an operator would.
        const auto enter = [&](const QString& code) {
            boxes.clear();
            addBarcode->click();
            auto* edit = QApplication::activeModalWidget()->findChild<QLineEdit*>("BarEdit");
            edit->setText(code);
            QTest::keyClick(edit, Qt::Key_Return);
        };
        // The device refuses a barcode another pack carries.
        QString taken;
        sim.access([&](SimConsole& c) { taken = c.device().pack(1).barcode; });
        enter(taken);
        QTRY_COMPARE_WITH_TIMEOUT(boxes.seen(), QStringList{ QStringLiteral("Message|Added barcode fail!") }, 5000);
        QCOMPARE(label("BarcodeLab"), QStringLiteral("Barcode: --"));
        QVERIFY(!addBarcode->isHidden());

        const QString barcode = QStringLiteral("ABCD2024E0000003");
        enter(barcode);
        QTRY_COMPARE_WITH_TIMEOUT(sim.lastBarcode(), barcode, 5000);
        QTRY_COMPARE_WITH_TIMEOUT(label("BarcodeLab"), "Barcode: " + barcode, 5000);
        QVERIFY(addBarcode->isHidden());
        QCOMPARE(boxes.seen(), QStringList{ QStringLiteral("Message|Added barcode successfully!") });
    }
};

QTEST_MAIN(TestE2EDetail)
#include "tst_e2e_detail.moc"
