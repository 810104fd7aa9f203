// The group view read the way the operator reads it: labels by object name, pack
// buttons where they are drawn, the alarm text word for word, the indicators lit.

#include "batterygroup.h"
#include "novalue.h"
#include "packrecord.h"

#include <QtTest>
#include <QElapsedTimer>
#include <QLabel>
#include <QLayout>
#include <QPushButton>
#include <QRadioButton>
#include <QTextBrowser>
#include <QVBoxLayout>

namespace {

QString labelText(const BatteryGroup& group, const char* name)
{
    const QLabel* label = group.findChild<QLabel*>(QLatin1String(name));
    return label ? label->text() : QStringLiteral("<no %1>").arg(QLatin1String(name));
}

QRadioButton* radio(const BatteryGroup& group, const QString& name)
{
    return group.findChild<QRadioButton*>(name);
}

void flushDeletes()
{
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

PackRecord pack(const QString& add, const QString& basic = "Normal", const QString& volt = "Normal",
                const QString& curr = "Normal", const QString& temp = "Normal", const QString& time = "22-05-01 09:02:10",
                const QString& cellVol = "Normal", const QString& cellTemp = "Normal")
{
    PackRecord p;
    p.SetDeviceAdd(add);
    p.SetBasicStatus(basic);
    p.SetVoltState(volt);
    p.SetCurrState(curr);
    p.SetTempState(temp);
    p.SetTime(time);
    p.SetBatteryVolState(cellVol);
    p.SetBatteryTempState(cellTemp);
    return p;
}

} // namespace

Q_DECLARE_METATYPE(QList<PackRecord>)

class TestBatteryGroup : public QObject
{
    Q_OBJECT

private slots:
    void initialLook();
    void packButtons_data();
    void packButtons();
    void allButtonsVisible();
    void rebuildOnCountChange();
    void clickEmitsPackNumber();
    void clickGuard();
    void rebuildDuringClickHandler();
    void summaryLabels_data();
    void summaryLabels();
    void alarmText_data();
    void alarmText();
    void balanceIndicators();
    void indicatorsIgnoreClicks();
    void disconnectedLook();
    void rates_data();
    void rates();
};

void TestBatteryGroup::initialLook()
{
    BatteryGroup group;
    group.show();
    QCOMPARE(labelText(group, "StateLab"), QString("State:"));
    QCOMPARE(radio(group, "CmosRadiBtn")->text(), QString("CMOS State "));
    QCOMPARE(group.GetPresentNum(), 0);
    // The balance lights appear only once a balance reply was read.
    for (int i = 1; i <= 16; ++i) {
        QRadioButton* led = radio(group, QStringLiteral("Bat%1RadBtn").arg(i));
        QCOMPARE(led->text(), QStringLiteral("Bat %1").arg(i));
        QVERIFY(!led->isVisible());
    }
}

void TestBatteryGroup::packButtons_data()
{
    QTest::addColumn<int>("count");
    QTest::addColumn<int>("built");
    QTest::addColumn<QList<QPoint>>("places"); // where buttons 1, 2, … stand

    QTest::newRow("3 packs") << 3 << 3 << QList<QPoint>{ { 0, 10 }, { 0, 40 }, { 0, 70 } };
    QTest::newRow("10 packs") << 10 << 10
                              << QList<QPoint>{ { 0, 10 },  { 0, 40 },  { 0, 70 },  { 0, 100 }, { 0, 130 },
                                                { 0, 160 }, { 0, 190 }, { 0, 220 }, { 110, 10 }, { 110, 40 } };
    QTest::newRow("16 packs") << 16 << 16 << QList<QPoint>{ { 0, 220 }, { 110, 10 }, { 110, 220 } };
    QTest::newRow("a garbled count stops at 16") << 2000000 << 16 << QList<QPoint>{};
    QTest::newRow("none") << 0 << 0 << QList<QPoint>{};
    QTest::newRow("unknown count builds nothing") << NoValue::Int << 0 << QList<QPoint>{};
}

void TestBatteryGroup::packButtons()
{
    QFETCH(int, count);
    QFETCH(int, built);
    QFETCH(QList<QPoint>, places);
    BatteryGroup group;
    group.show();
    group.SetPresentNum(count);
    group.SetGroupBattBtn();

    QWidget* area = group.findChild<QWidget*>("GroupBattBtnWid");
    const QList<QPushButton*> buttons = area->findChildren<QPushButton*>();
    QCOMPARE(buttons.size(), built);
    QCOMPARE(group.packButtons().size(), built);
    for (int i = 0; i < built; ++i) {
        QPushButton* btn = group.packButtons().at(i);
        QCOMPARE(btn->objectName(), QStringLiteral("batBtn%1").arg(i + 1));
        QCOMPARE(btn->size(), QSize(95, 26));
        QVERIFY(btn->isVisible());
        QVERIFY(btn->styleSheet().contains(QStringLiteral(":/icon/res/Bat%1.png").arg(i + 1)));
        QVERIFY(btn->styleSheet().contains(":/icon/res/pressed.png"));
        // The whole button lies inside its holder, nothing clipped.
        QVERIFY(btn->parentWidget()->rect().contains(btn->geometry()));
    }
    if (places.size() == built) {
        for (int i = 0; i < built; ++i)
            QCOMPARE(group.packButtons().at(i)->parentWidget()->pos(), places.at(i));
    } else if (!places.isEmpty()) {
        QCOMPARE(group.packButtons().at(7)->parentWidget()->pos(), places.at(0));
        QCOMPARE(group.packButtons().at(8)->parentWidget()->pos(), places.at(1));
        QCOMPARE(group.packButtons().at(15)->parentWidget()->pos(), places.at(2));
    }
}

void TestBatteryGroup::allButtonsVisible()
{
    // The group view gets about 1600 x 300 on the overview page: every pack button
    // must be there whole, none cut off at the bottom.
    QWidget page;
    auto* layout = new QVBoxLayout(&page);
    layout->setContentsMargins(0, 0, 0, 0);
    auto* group = new BatteryGroup(&page);
    layout->addWidget(group);
    page.resize(1600, 300);
    page.show();
    QVERIFY(QTest::qWaitForWindowExposed(&page));
    group->SetPresentNum(16);
    group->SetGroupBattBtn();
    QCOMPARE(group->height(), 300);
    for (QPushButton* btn : group->packButtons()) {
        QTRY_VERIFY(btn->isVisible());
        QCOMPARE(btn->visibleRegion().boundingRect(), btn->rect());
        const QRect inGroup(btn->mapTo(group, QPoint(0, 0)), btn->size());
        QVERIFY2(group->rect().contains(inGroup), qPrintable(btn->objectName()));
    }
}

void TestBatteryGroup::rebuildOnCountChange()
{
    BatteryGroup group;
    group.SetPresentNum(3);
    group.SetGroupBattBtn();
    group.DelGroupBtnWid();
    QVERIFY(group.packButtons().isEmpty());
    group.SetPresentNum(4);
    group.SetGroupBattBtn();
    flushDeletes();
    QWidget* area = group.findChild<QWidget*>("GroupBattBtnWid");
    const QList<QPushButton*> buttons = area->findChildren<QPushButton*>();
    QCOMPARE(buttons.size(), 4);
    QVERIFY(area->findChild<QPushButton*>("batBtn4"));
    // Rebuilding without clearing first leaves no stray holders behind.
    group.SetGroupBattBtn();
    flushDeletes();
    QCOMPARE(area->findChildren<QPushButton*>().size(), 4);
    QCOMPARE(area->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly).size(), 4);
}

void TestBatteryGroup::clickEmitsPackNumber()
{
    BatteryGroup group;
    group.SetPresentNum(10);
    group.SetGroupBattBtn();
    group.show();
    QSignalSpy spy(&group, &BatteryGroup::GroupBattBtnClick);
    QTest::mouseClick(group.findChild<QPushButton*>("batBtn7"), Qt::LeftButton);
    QCOMPARE(spy.count(), 1);
    QCOMPARE(spy.at(0).at(0).toBool(), false);
    QCOMPARE(spy.at(0).at(1).toInt(), 7);

    // A button the view did not make names no pack and emits nothing.
    QPushButton stranger(&group);
    stranger.setObjectName("batBtn17");
    connect(&stranger, &QPushButton::clicked, &group, &BatteryGroup::BtnBatClicked);
    QTest::qWait(900);
    stranger.click();
    QCOMPARE(spy.count(), 1);
}

void TestBatteryGroup::clickGuard()
{
    BatteryGroup group;
    group.SetPresentNum(3);
    group.SetGroupBattBtn();
    group.show();
    QPushButton* btn = group.findChild<QPushButton*>("batBtn2");
    QSignalSpy spy(&group, &BatteryGroup::GroupBattBtnClick);

    // Clicks at 0, 300, 600 and 900 ms. The guard runs for 800 ms from the first one;
    // what each click must report follows from when it really happened, so a slow
    // machine changes the expectation, never the verdict. Within 40 ms of the guard's
    // end either answer is right.
    QElapsedTimer clock;
    clock.start();
    QList<qint64> at;
    for (int i = 0; i < 4; ++i) {
        if (i > 0)
            QTest::qWait(int(qMax<qint64>(0, 300 * i - clock.elapsed())));
        at << clock.elapsed();
        btn->click();
    }
    QCOMPARE(spy.count(), 4);
    QCOMPARE(spy.at(0).at(0).toBool(), false);
    for (int i = 1; i < 4; ++i) {
        QCOMPARE(spy.at(i).at(1).toInt(), 2);
        const bool active = spy.at(i).at(0).toBool();
        if (at.at(i) < 760)
            QVERIFY2(active, qPrintable(QString("click at %1 ms").arg(at.at(i))));
        else if (at.at(i) > 840)
            QVERIFY2(!active, qPrintable(QString("click at %1 ms").arg(at.at(i))));
    }
    // The usual case on an idle machine: false, true, true, then false again.
    if (at.at(2) < 760 && at.at(3) > 840) {
        QCOMPARE(spy.at(1).at(0).toBool(), true);
        QCOMPARE(spy.at(2).at(0).toBool(), true);
        QCOMPARE(spy.at(3).at(0).toBool(), false);
    }
}

void TestBatteryGroup::rebuildDuringClickHandler()
{
    // The window answers a too-quick click with a modal warning. While it is open the
    // event loop runs on, and a reply with a new pack count rebuilds the buttons: the
    // clicked button must not be destroyed under its own click.
    BatteryGroup group;
    group.SetPresentNum(3);
    group.SetGroupBattBtn();
    group.show();
    QVERIFY(QTest::qWaitForWindowExposed(&group));
    connect(&group, &BatteryGroup::GroupBattBtnClick, &group, [&group] {
        QEventLoop modal;
        QTimer::singleShot(20, &group, [&group] {
            group.DelGroupBtnWid();
            group.SetPresentNum(4);
            group.SetGroupBattBtn();
        });
        QTimer::singleShot(100, &modal, &QEventLoop::quit);
        modal.exec();
    });
    QPushButton* btn = group.findChild<QPushButton*>("batBtn2");
    const QPoint centre = btn->mapTo(&group, btn->rect().center());
    QTest::mouseClick(group.windowHandle(), Qt::LeftButton, Qt::NoModifier, centre);
    QTRY_COMPARE(group.findChild<QWidget*>("GroupBattBtnWid")->findChildren<QPushButton*>().size(), 4);
    QVERIFY(group.findChild<QPushButton*>("batBtn4"));
}

void TestBatteryGroup::summaryLabels_data()
{
    QTest::addColumn<QString>("state");
    QTest::addColumn<int>("present");
    QTest::addColumn<double>("volt");
    QTest::addColumn<double>("curr");
    QTest::addColumn<int>("soc");
    QTest::addColumn<int>("soh");
    QTest::addColumn<QString>("cmos");
    QTest::addColumn<QString>("dmos");
    QTest::addColumn<QStringList>("texts"); // State, Present, Voltage, Current, SOC, SOH
    QTest::addColumn<bool>("cmosOn");
    QTest::addColumn<bool>("dmosOn");

    QTest::newRow("idle system")
        << "idle" << 3 << 52.48 << -1.25 << 87 << 100 << "ON" << "OFF"
        << QStringList{ "State: idle", "Present Num: 3", "Total Voltage: 52.48 V", "Total Current: -1.25 A",
                        "Total SOC: 87 %", "Total SOH: 100 %" }
        << true << false;
    QTest::newRow("small current, both on")
        << "charge" << 16 << 53.1 << 0.5 << 0 << 99 << "ON" << "ON"
        << QStringList{ "State: charge", "Present Num: 16", "Total Voltage: 53.1 V", "Total Current: 0.5 A",
                        "Total SOC: 0 %", "Total SOH: 99 %" }
        << true << true;
    QTest::newRow("nothing known")
        << "" << NoValue::Int << NoValue::Double << NoValue::Double << NoValue::Int << NoValue::Int << "" << ""
        << QStringList{ "State: --", "Present Num: --", "Total Voltage: -- V", "Total Current: -- A",
                        "Total SOC: -- %", "Total SOH: -- %" }
        << false << false;
    QTest::newRow("lower-case on is off")
        << "SysError" << 2 << 0.0 << 0.0 << 5 << 80 << "on" << "On"
        << QStringList{ "State: SysError", "Present Num: 2", "Total Voltage: 0 V", "Total Current: 0 A",
                        "Total SOC: 5 %", "Total SOH: 80 %" }
        << false << false;
}

void TestBatteryGroup::summaryLabels()
{
    QFETCH(QStringList, texts);
    BatteryGroup group;
    QFETCH(QString, state);
    QFETCH(int, present);
    QFETCH(double, volt);
    QFETCH(double, curr);
    QFETCH(int, soc);
    QFETCH(int, soh);
    QFETCH(QString, cmos);
    QFETCH(QString, dmos);
    group.SetGroupState(state);
    group.SetPresentNum(present);
    group.SetTotalVoltage(volt);
    group.SetTotalCurrent(curr);
    group.SetTotalSOC(soc);
    group.SetTotalSOH(soh);
    group.SetCMOSState(cmos);
    group.SetDMOSState(dmos);
    // The setters only store.
    QCOMPARE(labelText(group, "StateLab"), QString("State:"));
    group.SetBattGroupMess();
    QCOMPARE(labelText(group, "StateLab"), texts.at(0));
    QCOMPARE(labelText(group, "PreNumLab"), texts.at(1));
    QCOMPARE(labelText(group, "TotalVolLab"), texts.at(2));
    QCOMPARE(labelText(group, "TotalCurrLab"), texts.at(3));
    QCOMPARE(labelText(group, "TotalSOCLab"), texts.at(4));
    QCOMPARE(labelText(group, "TotalSOHLab"), texts.at(5));
    QTEST(radio(group, "CmosRadiBtn")->isChecked(), "cmosOn");
    QTEST(radio(group, "DmosRadiBtn")->isChecked(), "dmosOn");
}

void TestBatteryGroup::alarmText_data()
{
    QTest::addColumn<QList<PackRecord>>("packs");
    QTest::addColumn<QString>("text");

    QTest::newRow("basic status error")
        << QList<PackRecord>{ pack("1"), pack("2", "SysError"), pack("3") }
        << "BasicState: bat2 SysError\nAlarmTime: bat2 22-05-01 09:02:10\n\r";
    QTest::newRow("temperature only") << QList<PackRecord>{ pack("4", "Normal", "Normal", "Normal", "OverTemp") }
                                      << "TempState: bat4 OverTemp\nAlarmTime: bat4 22-05-01 09:02:10\n\r";
    QTest::newRow("no time stamp") << QList<PackRecord>{ pack("4", "Normal", "Normal", "Normal", "OverTemp", "-- --") }
                                   << "TempState: bat4 OverTemp\n";
    QTest::newRow("all normal") << QList<PackRecord>{ pack("1"), pack("2") } << "";
    QTest::newRow("basic status other than SysError is no alarm")
        << QList<PackRecord>{ pack("1", "Standby") } << "";
    QTest::newRow("every state of two packs")
        << QList<PackRecord>{ pack("1", "SysError", "OverVolt", "OverCurr", "LowTemp", "22-05-03 01:02:03", "CellOV", "CellUT"),
                              pack("9", "Normal", "normal") }
        << "BasicState: bat1 SysError\nVoltState: bat1 OverVolt\nCurrState: bat1 OverCurr\nTempState: bat1 LowTemp\n"
           "CellVolState: bat1 CellOV\nCellTempState: bat1 CellUT\nAlarmTime: bat1 22-05-03 01:02:03\n\r"
           "VoltState: bat9 normal\nAlarmTime: bat9 22-05-01 09:02:10\n\r";
    QTest::newRow("no packs") << QList<PackRecord>{} << "";
}

void TestBatteryGroup::alarmText()
{
    QFETCH(QList<PackRecord>, packs);
    QFETCH(QString, text);
    BatteryGroup group;
    QTextBrowser* box = group.findChild<QTextBrowser*>("AlarmTextBrow");
    box->setPlainText("old text");
    group.SetPackList(packs);
    group.SetBattGroupAlarm();
    // The text box shows line by line what was composed ("\r" ends a pack's block).
    QString shown = box->toPlainText();
    QString expected = text;
    expected.replace("\n\r", "\n\n");
    expected.replace('\r', '\n');
    shown.replace(QChar::ParagraphSeparator, '\n');
    shown.replace(QChar::LineSeparator, '\n');
    QCOMPARE(shown.trimmed(), expected.trimmed());
}

void TestBatteryGroup::balanceIndicators()
{
    BatteryGroup group;
    group.show();
    group.SetBalanceList({ "0", "1", "0" });
    group.SetBattGroupBalanceInfo();
    for (int i = 1; i <= 16; ++i) {
        QRadioButton* led = radio(group, QStringLiteral("Bat%1RadBtn").arg(i));
        QCOMPARE(led->isVisible(), i <= 3);
        QCOMPARE(led->isChecked(), i == 2);
    }
    group.SetBalanceList({ "0", "0", "0" });
    group.SetBattGroupBalanceInfo();
    QVERIFY(!radio(group, "Bat2RadBtn")->isChecked());

    // Only the exact text "1" lights a pack; entries past the sixteenth are ignored.
    QStringList many;
    for (int i = 0; i < 20; ++i)
        many << (i % 2 ? "1" : " 1");
    group.SetBalanceList(many);
    group.SetBattGroupBalanceInfo();
    for (int i = 1; i <= 16; ++i) {
        QRadioButton* led = radio(group, QStringLiteral("Bat%1RadBtn").arg(i));
        QVERIFY(led->isVisible());
        QCOMPARE(led->isChecked(), i % 2 == 0);
    }
    group.BalanceNoVisale();
    QVERIFY(!radio(group, "Bat16RadBtn")->isVisible());
}

void TestBatteryGroup::indicatorsIgnoreClicks()
{
    BatteryGroup group;
    group.show();
    group.SetBalanceList({ "0" });
    group.SetBattGroupBalanceInfo();
    QVERIFY(QTest::qWaitForWindowExposed(&group));
    // Clicked through the window, as a real mouse does, on the indicator's own centre.
    for (const char* name : { "Bat1RadBtn", "CmosRadiBtn" }) {
        QRadioButton* indicator = radio(group, name);
        const QPoint centre = indicator->mapTo(&group, indicator->rect().center());
        QTest::mouseClick(group.windowHandle(), Qt::LeftButton, Qt::NoModifier, centre);
        QVERIFY2(!indicator->isChecked(), name);
    }
}

void TestBatteryGroup::disconnectedLook()
{
    BatteryGroup group;
    group.show();
    group.SetGroupState("idle");
    group.SetPresentNum(3);
    group.SetCMOSState("ON");
    group.SetDMOSState("ON");
    group.SetBattGroupMess();
    group.SetGroupBattBtn();
    group.SetPackList({ pack("2", "SysError") });
    group.SetBattGroupAlarm();
    group.SetBalanceList({ "1", "1", "1" });
    group.SetBattGroupBalanceInfo();

    group.SetBatteryGroupInit();
    flushDeletes();
    QCOMPARE(group.GetPresentNum(), 0);
    QVERIFY(group.GetPackList().isEmpty());
    QVERIFY(group.packButtons().isEmpty());
    QVERIFY(group.findChild<QWidget*>("GroupBattBtnWid")->findChildren<QWidget*>().isEmpty());
    QVERIFY(group.findChild<QTextBrowser*>("AlarmTextBrow")->toPlainText().isEmpty());
    QVERIFY(!radio(group, "Bat1RadBtn")->isVisible());
    QCOMPARE(labelText(group, "StateLab"), QString("State: "));
    QCOMPARE(labelText(group, "PreNumLab"), QString("Present Num: "));
    QCOMPARE(labelText(group, "TotalVolLab"), QString("Total Voltage: "));
    QCOMPARE(labelText(group, "TotalCurrLab"), QString("Total Current: "));
    QCOMPARE(labelText(group, "TotalSOCLab"), QString("Total SOC: "));
    QCOMPARE(labelText(group, "TotalSOHLab"), QString("Total SOH: "));
    QVERIFY(!radio(group, "CmosRadiBtn")->isChecked());
    QVERIFY(!radio(group, "DmosRadiBtn")->isChecked());

    // The stored values stay: the next refresh shows them until new replies arrive.
    group.SetBattGroupMess();
    QCOMPARE(labelText(group, "StateLab"), QString("State: idle"));
    QCOMPARE(labelText(group, "PreNumLab"), QString("Present Num: 0"));
    QVERIFY(radio(group, "CmosRadiBtn")->isChecked());
}

void TestBatteryGroup::rates_data()
{
    QTest::addColumn<double>("rate");
    QTest::addColumn<QSize>("button");
    QTest::addColumn<QPoint>("ninth");
    QTest::addColumn<int>("leftMargin");
    QTest::addColumn<QString>("mosIndicator");
    QTest::addColumn<QSize>("balanceLab"); // empty: as designed

    QTest::newRow("800 wide") << 800 / 1920.0 << QSize(39, 10) << QPoint(45, 4) << 0 << "width:27px;height:20px"
                              << QSize(25, 40);
    QTest::newRow("1024 wide") << 1024 / 1920.0 << QSize(50, 13) << QPoint(58, 5) << 3
                               << "width:50px;height:20px" << QSize(30, 40);
    QTest::newRow("1440 wide") << 0.75 << QSize(71, 19) << QPoint(82, 7) << 9 << "width:60px;height:30px" << QSize();
    QTest::newRow("full HD") << 1.0 << QSize(95, 26) << QPoint(110, 10) << 9 << "" << QSize();
}

void TestBatteryGroup::rates()
{
    QFETCH(double, rate);
    QFETCH(QSize, button);
    QFETCH(QPoint, ninth);
    QFETCH(int, leftMargin);
    QFETCH(QString, mosIndicator);
    QFETCH(QSize, balanceLab);
    BatteryGroup group;
    const QString designedStyle = radio(group, "CmosRadiBtn")->styleSheet();
    const QSize designedLab = group.findChild<QLabel*>("BalanceLab")->maximumSize();
    group.SetRate(rate, rate);
    group.SetPresentNum(9);
    group.SetGroupBattBtn();
    QPushButton* btn = group.packButtons().at(8);
    QCOMPARE(btn->size(), button);
    QCOMPARE(btn->parentWidget()->pos(), ninth);
    QCOMPARE(btn->parentWidget()->layout()->contentsMargins().left(), leftMargin);
    if (mosIndicator.isEmpty())
        QCOMPARE(radio(group, "CmosRadiBtn")->styleSheet(), designedStyle);
    else
        QVERIFY(radio(group, "DmosRadiBtn")->styleSheet().contains(mosIndicator));
    if (balanceLab.isValid())
        QCOMPARE(group.findChild<QLabel*>("BalanceLab")->maximumSize(), balanceLab);
    else
        QCOMPARE(group.findChild<QLabel*>("BalanceLab")->maximumSize(), designedLab);
}

QTEST_MAIN(TestBatteryGroup)
#include "tst_batterygroup.moc"
