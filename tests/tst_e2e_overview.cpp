// End to end against the simulated BMS: the polling cycle fills the overview page (the
// group view, the pack gauges and the detail view of the chosen pack), the operator
// picks another pack, an alarm raised in the device reaches the alarm text, and
// closing the port returns the page to its disconnected look.
//
// The device takes no new samples during a test (its sample interval is set beyond
// the test's length), so every value it prints can be compared exactly.
//
// With CELLVUE_SHOT_DIR set, the window is also saved there as overview-3packs.png and
// overview-16packs.png: by "import -window root" when running on a real X display
// (xvfb-run … env QT_QPA_PLATFORM=xcb), otherwise by grabbing the window.

#include "battery.h"
#include "batterygroup.h"
#include "batteryinfo.h"
#include "bmsmainwin.h"
#include "bmssimulator.h"
#include "boxrecorder.h"
#include "simconsole.h"

#include <QAbstractItemModel>
#include <QComboBox>
#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QLabel>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QTableView>
#include <QTextBrowser>
#include <QtTest>

#include <functional>

namespace {

const QColor theme(74, 120, 222);

SimOptions frozen(int packs)
{
    SimOptions o;
    o.packs = packs;
    o.sampleMs = 1 << 30;
    return o;
}

struct Session {
    BoxRecorder boxes;
    BmsSimulator sim;
    BMSMainWin win;
    BatteryGroup* group = nullptr;
    BatteryInfo* detail = nullptr;

    explicit Session(const SimOptions& o)
        : sim(o)
    {
        group = win.findChild<BatteryGroup*>(QStringLiteral("BattGroupWid"));
        detail = win.findChild<BatteryInfo*>(QStringLiteral("BattInfoWid"));
    }

    bool open()
    {
        win.resize(1920, 1000);
        win.show();
        win.findChild<QComboBox*>(QStringLiteral("PortComBox"))->setCurrentText(sim.portPath());
        win.OpenBtn_clicked();
        return win.portOpen;
    }

    QString groupLabel(const char* name) const { return group->findChild<QLabel*>(QLatin1String(name))->text(); }
    QString detailLabel(const char* name) const { return detail->findChild<QLabel*>(QLatin1String(name))->text(); }
    QRadioButton* radio(const QString& name) const { return group->findChild<QRadioButton*>(name); }
    QString alarmText() const { return group->findChild<QTextBrowser*>(QStringLiteral("AlarmTextBrow"))->toPlainText(); }
    QStringList buttonNames() const
    {
        QStringList names;
        for (QPushButton* b : group->findChild<QWidget*>(QStringLiteral("GroupBattBtnWid"))->findChildren<QPushButton*>())
            names << b->objectName();
        names.sort();
        return names;
    }

    template <typename T>
    T device(const std::function<T(SimDevice&)>& read) const
    {
        T value{};
        sim.access([&](SimConsole& c) { value = read(c.device()); });
        return value;
    }
    int packSoc(int n) const { return device<int>([n](SimDevice& d) { return d.pack(n).soc(); }); }

    // What the group view must show for the device as it stands.
    QStringList expectedSummary() const
    {
        QStringList texts;
        sim.access([&](SimConsole& c) {
            const SimDevice& d = c.device();
            static const QMap<QString, QString> words = {
                { "idle", "idle" }, { "charging", "charge" }, { "discharging", "discharge" }, { "error", "SysError" } };
            texts << "State: " + words.value(d.systemState())
                  << "Present Num: " + QString::number(d.packCount())
                  << "Total Voltage: " + QString::number(d.systemVoltMv() / 1000.0, 'g', 6) + " V"
                  << "Total Current: " + QString::number(d.systemCurrentMa() / 1000.0, 'g', 6) + " A"
                  << "Total SOC: " + QString::number(d.systemSoc()) + " %"
                  << "Total SOH: " + QString::number(d.systemSoh()) + " %";
        });
        return texts;
    }
    QStringList shownSummary() const
    {
        return { groupLabel("StateLab"),    groupLabel("PreNumLab"),   groupLabel("TotalVolLab"),
                 groupLabel("TotalCurrLab"), groupLabel("TotalSOCLab"), groupLabel("TotalSOHLab") };
    }

    bool gaugesSettled() const
    {
        for (Battery* g : win.gauges()) {
            if (g->getShownValue() != g->getValue())
                return false;
        }
        return true;
    }

    void shoot(const QString& name)
    {
        const QString dir = qEnvironmentVariable("CELLVUE_SHOT_DIR");
        if (dir.isEmpty())
            return;
        QDir().mkpath(dir);
        const QString path = dir + QLatin1Char('/') + name;
        QTest::qWait(300);
        if (QGuiApplication::platformName() == QLatin1String("xcb"))
            QProcess::execute(QStringLiteral("import"), { QStringLiteral("-window"), QStringLiteral("root"), path });
        else
            win.grab().save(path);
    }
};

} // namespace

class TestE2EOverview : public QObject
{
    Q_OBJECT

private slots:
    void threePacks();
    void sixteenPacks();
};

void TestE2EOverview::threePacks()
{
    Session s{ frozen(3) };
    QVERIFY(s.sim.start());
    // Distinct charges, one of them at alarm level; pack 2 balancing.
    s.sim.setSoc(1, 87);
    s.sim.setSoc(2, 42);
    s.sim.setSoc(3, 15);
    // forceBalance: the flag survives the re-sampling that raising an alarm causes.
    s.sim.access([](SimConsole& c) { c.device().pack(2).balancing = c.device().pack(2).forceBalance = true; });
    QVERIFY(s.open());

    // The first pwrsys → pwr → balance → ctrl chain runs right after the login.
    QTRY_COMPARE_WITH_TIMEOUT(s.groupLabel("PreNumLab"), QStringLiteral("Present Num: 3"), 5000);
    QTRY_COMPARE_WITH_TIMEOUT(s.shownSummary(), s.expectedSummary(), 3000);
    QCOMPARE(s.buttonNames(), (QStringList{ "batBtn1", "batBtn2", "batBtn3" }));
    QTRY_VERIFY_WITH_TIMEOUT(s.radio("CmosRadiBtn")->isChecked() && s.radio("DmosRadiBtn")->isChecked(), 3000);
    QTRY_VERIFY_WITH_TIMEOUT(s.radio("Bat2RadBtn")->isVisible(), 3000);
    QVERIFY(s.radio("Bat2RadBtn")->isChecked());
    QVERIFY(!s.radio("Bat1RadBtn")->isChecked() && s.radio("Bat1RadBtn")->isVisible());
    QVERIFY(!s.radio("Bat3RadBtn")->isChecked());
    QVERIFY(!s.radio("Bat4RadBtn")->isVisible());
    QVERIFY(s.alarmText().isEmpty());

    // Gauges 1–3 at the packs' charge, live border; the others untouched.
    const QList<Battery*> gauges = s.win.gauges();
    QCOMPARE(gauges.size(), 16);
    for (int k = 1; k <= 3; ++k) {
        QTRY_COMPARE_WITH_TIMEOUT(gauges.at(k - 1)->getValue(), double(s.packSoc(k)), 3000);
        QCOMPARE(gauges.at(k - 1)->getBorderColorStart(), theme);
        QCOMPARE(gauges.at(k - 1)->getBorderColorEnd(), theme);
    }
    QCOMPARE(gauges.at(3)->getValue(), 0.0);
    QCOMPARE(gauges.at(3)->getBorderColorStart(), QColor(100, 100, 100));

    // About 12 s in, the tenth tick has read pack 1 into the detail view.
    QTRY_COMPARE_WITH_TIMEOUT(s.detailLabel("BattIdLab"), QStringLiteral("1"), 15000);
    QCOMPARE(s.detailLabel("AddLab"), QStringLiteral("Device Address: 1"));
    QCOMPARE(s.detailLabel("CellNumLab"), QStringLiteral("Cell Number: 16"));
    QCOMPARE(s.detailLabel("SOCLab"), QStringLiteral("SOC: %1 %").arg(s.packSoc(1)));
    QTRY_COMPARE_WITH_TIMEOUT(s.detail->findChild<QTableView*>("cellTableView")->model()->rowCount(), 4, 3000);

    // The gauge of the pack at 15 % is drawn in alarm red.
    QTRY_VERIFY_WITH_TIMEOUT(s.gaugesSettled(), 6000);
    Battery* low = gauges.at(2);
    const QImage image = low->grab().toImage();
    const QColor fill = image.pixelColor(image.width() / 30 + 2, image.height() / 2);
    QVERIFY2(fill.red() > 170 && fill.green() < 130, qPrintable(fill.name()));
    const QImage full = gauges.at(0)->grab().toImage();
    const QColor green = full.pixelColor(full.width() / 30 + 2, full.height() / 2);
    QVERIFY2(green.green() > 150 && green.red() < 110, qPrintable(green.name()));

    // Picking pack 2 switches the detail view within one cycle.
    QTest::mouseClick(s.group->findChild<QPushButton*>("batBtn2"), Qt::LeftButton);
    QTRY_COMPARE_WITH_TIMEOUT(s.detailLabel("BattIdLab"), QStringLiteral("2"), 10000);
    QCOMPARE(s.detailLabel("AddLab"), QStringLiteral("Device Address: 2"));
    QCOMPARE(s.detailLabel("SOCLab"), QStringLiteral("SOC: %1 %").arg(s.packSoc(2)));
    QCOMPARE(s.win.currBatNum, 2);

    // An alarm in the device and a discharge switch turned off show at the next cycle.
    s.sim.raiseAlarm(2, SimDevice::OverTemperature);
    s.sim.access([](SimConsole& c) { c.device().setDfet(false); });
    const QString when = s.device<QString>([](SimDevice& d) {
        return d.pack(2).lastAlarm.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    });
    QTRY_VERIFY_WITH_TIMEOUT(s.alarmText().contains(QStringLiteral("TempState: bat2 HTemp")), 15000);
    QVERIFY2(s.alarmText().contains(QStringLiteral("CellTempState: bat2 HTemp")), qPrintable(s.alarmText()));
    QVERIFY2(s.alarmText().contains(QStringLiteral("AlarmTime: bat2 ") + when), qPrintable(s.alarmText()));
    QVERIFY(!s.alarmText().contains(QStringLiteral("bat1")));
    QTRY_VERIFY_WITH_TIMEOUT(!s.radio("DmosRadiBtn")->isChecked(), 3000);
    QVERIFY(s.radio("CmosRadiBtn")->isChecked());
    QVERIFY(s.radio("Bat2RadBtn")->isChecked());
    QCOMPARE(s.boxes.count(), 0);
    s.shoot(QStringLiteral("overview-3packs.png"));

    // Logout: the page goes back to its disconnected look.
    s.win.CloseBtn_clicked();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCOMPARE(s.groupLabel("StateLab"), QStringLiteral("State: "));
    QCOMPARE(s.groupLabel("TotalVolLab"), QStringLiteral("Total Voltage: "));
    QVERIFY(s.buttonNames().isEmpty());
    QVERIFY(s.alarmText().isEmpty());
    QVERIFY(!s.radio("Bat2RadBtn")->isVisible());
    QVERIFY(!s.radio("CmosRadiBtn")->isChecked());
    for (Battery* g : gauges) {
        QCOMPARE(g->getValue(), 0.0);
        QCOMPARE(g->getBorderColorStart(), QColor(100, 100, 100));
        QCOMPARE(g->getBorderColorEnd(), QColor(80, 80, 80));
    }
    QCOMPARE(s.win.presentNum, 0);
    QCOMPARE(s.win.oldPresentNum, 0);
}

void TestE2EOverview::sixteenPacks()
{
    Session s{ frozen(16) };
    QVERIFY(s.sim.start());
    for (int k = 1; k <= 16; ++k)
        s.sim.setSoc(k, 100 - 6 * k);
    s.sim.raiseAlarm(4, SimDevice::OverVoltage);
    s.sim.raiseAlarm(11, SimDevice::SystemFault);
    s.sim.access([](SimConsole& c) {
        for (int k : { 6, 13 })
            c.device().pack(k).balancing = c.device().pack(k).forceBalance = true;
    });
    QVERIFY(s.open());

    QTRY_COMPARE_WITH_TIMEOUT(s.groupLabel("PreNumLab"), QStringLiteral("Present Num: 16"), 5000);
    QTRY_COMPARE_WITH_TIMEOUT(s.shownSummary(), s.expectedSummary(), 3000);
    QCOMPARE(s.buttonNames().size(), 16);
    // All sixteen stand whole on the page, none cut off by the view's edge.
    for (QPushButton* btn : s.group->packButtons()) {
        QTRY_VERIFY(btn->isVisible());
        QCOMPARE(btn->visibleRegion().boundingRect(), btn->rect());
    }
    QTRY_VERIFY_WITH_TIMEOUT(s.radio("Bat16RadBtn")->isVisible(), 3000);
    for (int k = 1; k <= 16; ++k)
        QCOMPARE(s.radio(QStringLiteral("Bat%1RadBtn").arg(k))->isChecked(), k == 6 || k == 13);
    QVERIFY2(s.alarmText().contains(QStringLiteral("VoltState: bat4 HVolt")), qPrintable(s.alarmText()));
    QVERIFY2(s.alarmText().contains(QStringLiteral("BasicState: bat11 SysError")), qPrintable(s.alarmText()));
    const QList<Battery*> gauges = s.win.gauges();
    for (int k = 1; k <= 16; ++k)
        QTRY_COMPARE_WITH_TIMEOUT(gauges.at(k - 1)->getValue(), double(s.packSoc(k)), 3000);

    // The last pack can be picked like the first.
    QTRY_COMPARE_WITH_TIMEOUT(s.detailLabel("BattIdLab"), QStringLiteral("1"), 15000);
    QTest::mouseClick(s.group->findChild<QPushButton*>("batBtn16"), Qt::LeftButton);
    QTRY_COMPARE_WITH_TIMEOUT(s.detailLabel("BattIdLab"), QStringLiteral("16"), 10000);
    QTRY_VERIFY_WITH_TIMEOUT(s.gaugesSettled(), 8000);
    QCOMPARE(s.boxes.count(), 0);
    s.shoot(QStringLiteral("overview-16packs.png"));
}

QTEST_MAIN(TestE2EOverview)
#include "tst_e2e_overview.moc"
