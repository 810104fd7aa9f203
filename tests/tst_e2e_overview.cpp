// End to end against the simulated BMS: the polling cycle fills the overview page, an
// alarm raised in the device reaches the alarm text, the operator picks a pack and reads
// its identity, gives a pack without barcode one (after the device has refused one that
// another pack carries), and Logout returns the page to its disconnected look. The
// device takes no new samples during a run, so every value it prints compares exactly.

#include "battery.h"
#include "batterygroup.h"
#include "batteryinfo.h"
#include "bmsmainwin.h"
#include "bmssimulator.h"
#include "boxrecorder.h"
#include "simconsole.h"

#include <QAbstractItemModel>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTableView>
#include <QTextBrowser>
#include <QtTest>

class TestE2EOverview : public QObject
{
    Q_OBJECT

    BatteryGroup* group = nullptr;
    BatteryInfo* detail = nullptr;

    QStringList labels(QWidget* in, const QStringList& names)
    {
        QStringList texts;
        for (const QString& name : names)
            texts << in->findChild<QLabel*>(name)->text();
        return texts;
    }
    QString label(QWidget* in, const char* name) { return labels(in, {name}).first(); }
    QRadioButton* radio(const QString& name) { return group->findChild<QRadioButton*>(name); }
    QString alarmText() { return group->findChild<QTextBrowser*>("AlarmTextBrow")->toPlainText(); }
    QStringList summary()
    {
        return labels(group, {"StateLab", "PreNumLab", "TotalVolLab", "TotalCurrLab", "TotalSOCLab", "TotalSOHLab"});
    }
    // Per balance mark: "-" hidden, "0" shown off, "1" shown on.
    QString balanceMarks()
    {
        QString marks;
        for (int k = 1; k <= 16; ++k) {
            QRadioButton* r = radio(QStringLiteral("Bat%1RadBtn").arg(k));
            marks += !r->isVisible() ? '-' : r->isChecked() ? '1' : '0';
        }
        return marks;
    }

private slots:
    void session_data()
    {
        QTest::addColumn<int>("packs");
        QTest::addColumn<int>("pick");
        QTest::addColumn<int>("cells");
        QTest::addColumn<bool>("blank");
        QTest::newRow("3 packs, pack 2 picked") << 3 << 2 << 16 << false;
        QTest::newRow("16 packs of 15 cells, the last picked, without barcode") << 16 << 16 << 15 << true;
    }

    void session()
    {
        QFETCH(int, packs);
        QFETCH(int, pick);
        QFETCH(int, cells);
        QFETCH(bool, blank);
        SimOptions o;
        o.packs = packs;
        o.cells = cells;
        o.sampleMs = 1 << 30;
        if (blank)
            o.blankBarcodes = {pick};
        BoxRecorder boxes;
        BmsSimulator sim(o);
        BMSMainWin win;
        group = win.findChild<BatteryGroup*>("BattGroupWid");
        detail = win.findChild<BatteryInfo*>("BattInfoWid");
        QVERIFY(sim.start());
        for (int k = 1; k <= packs; ++k)
            sim.setSoc(k, 95 - 5 * k);
        // forceBalance: the flag survives the re-sampling that raising an alarm causes.
        sim.access([pick](SimConsole& c) { c.device().pack(pick).balancing = c.device().pack(pick).forceBalance = true; });

        QStringList expected;
        QVector<double> socs;
        SimPack first, picked;
        sim.access([&](SimConsole& c) {
            const SimDevice& d = c.device();
            const QMap<QString, QString> words = {{"idle", "idle"}, {"charging", "charge"}, {"discharging", "discharge"}, {"error", "SysError"}};
            expected = QStringList{"State: " + words.value(d.systemState()), "Present Num: " + QString::number(d.packCount()),
                                   "Total Voltage: " + QString::number(d.systemVoltMv() / 1000.0, 'g', 6) + " V",
                                   "Total Current: " + QString::number(d.systemCurrentMa() / 1000.0, 'g', 6) + " A",
                                   "Total SOC: " + QString::number(d.systemSoc()) + " %", "Total SOH: " + QString::number(d.systemSoh()) + " %"};
            for (int k = 1; k <= 16; ++k)
                socs << (k <= packs ? d.pack(k).soc() : 0.0);
            first = d.pack(1);
            picked = d.pack(pick);
        });

        win.resize(1920, 1000);
        win.show();
        win.findChild<QComboBox*>("PortComBox")->setCurrentText(sim.portPath());
        win.OpenBtn_clicked();
        QVERIFY(win.portOpen);

        QTRY_COMPARE_WITH_TIMEOUT(summary(), expected, 5000);
        QTRY_VERIFY_WITH_TIMEOUT(radio("CmosRadiBtn")->isChecked() && radio("DmosRadiBtn")->isChecked(), 3000);
        QTRY_COMPARE_WITH_TIMEOUT(balanceMarks(), QString(pick - 1, '0') + '1' + QString(packs - pick, '0') + QString(16 - packs, '-'), 3000);
        const auto gaugeValues = [&win] {
            QVector<double> values;
            for (Battery* g : win.gauges())
                values << g->getValue();
            return values;
        };
        QTRY_COMPARE_WITH_TIMEOUT(gaugeValues(), socs, 3000);

        // An alarm and a discharge switch turned off in the device show at the next cycle.
        sim.raiseAlarm(pick, SimDevice::OverTemperature);
        sim.access([](SimConsole& c) { c.device().setDfet(false); });
        QTRY_VERIFY_WITH_TIMEOUT(alarmText().contains(QStringLiteral("TempState: bat%1 HTemp").arg(pick)), 10000);
        QVERIFY2(!alarmText().contains("bat1 "), qPrintable(alarmText()));
        QTRY_VERIFY_WITH_TIMEOUT(!radio("DmosRadiBtn")->isChecked(), 3000);

        // About 12 s in, the tenth tick has read pack 1 into the detail view.
        QTRY_COMPARE_WITH_TIMEOUT(label(detail, "BattIdLab"), QStringLiteral("1"), 15000);
        QAbstractItemModel* table = detail->findChild<QTableView*>("cellTableView")->model();
        QTRY_COMPARE_WITH_TIMEOUT(table->rowCount(), 4, 3000);
        QCOMPARE(table->index(0, 1).data().toDouble(), first.cellMv.first() / 1000.0);
        QCOMPARE(table->index((cells - 1) / 4, (cells - 1) % 4 * 3 + 1).data().toDouble(), first.cellMv.last() / 1000.0);

        // Picking a pack switches the detail view within one cycle, identity and all.
        QTest::mouseClick(group->findChild<QPushButton*>(QStringLiteral("batBtn%1").arg(pick)), Qt::LeftButton);
        QTRY_COMPARE_WITH_TIMEOUT(label(detail, "AddLab"), QStringLiteral("Device Address: %1").arg(pick), 10000);
        QCOMPARE(labels(detail, {"BootLab", "SoftVerLab", "CommVerLab", "ReleaLab", "BarcodeLab", "SpeciLab", "MaxChargeLab", "CellNumLab"}),
                 (QStringList{"Boot Version: " + picked.bootVersion, "Main Soft Version: " + picked.mainVersion,
                              "Comm Version: " + picked.commVersion, "Release Date: " + picked.releaseDate,
                              "Barcode: " + (blank ? QStringLiteral("--") : picked.barcode), "Specification: " + picked.packSpec,
                              "Max Charge Current: " + picked.maxChargeCurr, "Cell Number: " + QString::number(cells)}));
        QTRY_COMPARE_WITH_TIMEOUT(label(detail, "BattIdLab"), QString::number(pick), 3000);
        QCOMPARE(label(detail, "SOCLab"), QStringLiteral("SOC: %1 %").arg(socs.at(pick - 1)));
        QPushButton* addBarcode = detail->findChild<QPushButton*>("AddBarBtn");
        QCOMPARE(addBarcode->isHidden(), !blank);
        QCOMPARE(boxes.count(), 0);

        if (blank) {
            // The poll stopped: its next "pwrsys" could go out before the answer to the
            // "info" that follows a written barcode arrives.
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
            enter(first.barcode); // another pack carries it: the device refuses
            QTRY_COMPARE_WITH_TIMEOUT(boxes.seen(), QStringList{QStringLiteral("Message|Added barcode fail!")}, 5000);
            QCOMPARE(label(detail, "BarcodeLab"), QStringLiteral("Barcode: --"));
            QVERIFY(!addBarcode->isHidden());

            const QString barcode = QStringLiteral("ABCD2024E0000003");
            enter(barcode);
            QTRY_COMPARE_WITH_TIMEOUT(sim.lastBarcode(), barcode, 5000);
            QTRY_COMPARE_WITH_TIMEOUT(label(detail, "BarcodeLab"), "Barcode: " + barcode, 5000);
            QVERIFY(addBarcode->isHidden());
            QCOMPARE(boxes.seen(), QStringList{QStringLiteral("Message|Added barcode successfully!")});
        }

        // Logout: the page goes back to its disconnected look.
        win.CloseBtn_clicked();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QCOMPARE(summary(), (QStringList{"State: ", "Present Num: ", "Total Voltage: ", "Total Current: ", "Total SOC: ", "Total SOH: "}));
        QCOMPARE(group->findChild<QWidget*>("GroupBattBtnWid")->findChildren<QPushButton*>().size(), 0);
        QVERIFY(alarmText().isEmpty());
        QCOMPARE(balanceMarks(), QString(16, '-'));
        QVERIFY(!radio("CmosRadiBtn")->isChecked() && !radio("DmosRadiBtn")->isChecked());
        for (Battery* g : win.gauges())
            QVERIFY(g->getValue() == 0 && g->getBorderColorStart() == QColor(100, 100, 100));
    }
};

QTEST_MAIN(TestE2EOverview)
#include "tst_e2e_overview.moc"
