// The group view read the way the operator reads it: labels by object name, pack
// buttons where they are drawn, the alarm text word for word, the indicators lit.

#include "batterygroup.h"
#include "novalue.h"
#include "packrecord.h"

#include <QtTest>
#include <QElapsedTimer>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QTextBrowser>
#include <QVBoxLayout>

namespace {

const char* const summaryLabels[] = { "StateLab", "PreNumLab", "TotalVolLab", "TotalCurrLab", "TotalSOCLab", "TotalSOHLab" };

QStringList summary(const BatteryGroup& group)
{
    QStringList texts;
    for (const char* name : summaryLabels)
        texts << group.findChild<QLabel*>(QLatin1String(name))->text();
    return texts;
}

QRadioButton* radio(const BatteryGroup& group, const QString& name) { return group.findChild<QRadioButton*>(name); }
QRadioButton* led(const BatteryGroup& group, int pack) { return radio(group, QStringLiteral("Bat%1RadBtn").arg(pack)); }
QWidget* buttonArea(const BatteryGroup& group) { return group.findChild<QWidget*>("GroupBattBtnWid"); }

// A "pwr" row: states in the order basic, volt, curr, temp, cell volt, cell temp;
// those not given are "Normal".
PackRecord pack(const QString& add, const QStringList& states = {}, const QString& time = "22-05-01 09:02:10")
{
    const auto state = [&](int i) { return i < states.size() ? states.at(i) : QStringLiteral("Normal"); };
    PackRecord p;
    p.SetDeviceAdd(add);
    p.SetBasicStatus(state(0));
    p.SetVoltState(state(1));
    p.SetCurrState(state(2));
    p.SetTempState(state(3));
    p.SetBatteryVolState(state(4));
    p.SetBatteryTempState(state(5));
    p.SetTime(time);
    return p;
}

void build(BatteryGroup& group, int count)
{
    group.SetPresentNum(count);
    group.SetGroupBattBtn();
}

} // namespace

Q_DECLARE_METATYPE(QList<PackRecord>)

class TestBatteryGroup : public QObject
{
    Q_OBJECT

private slots:
    void packButtons_data()
    {
        QTest::addColumn<int>("count");
        QTest::addColumn<double>("rate");
        QTest::addColumn<int>("built");
        QTest::addColumn<QSize>("size");
        QTest::addColumn<QList<QPoint>>("places"); // where buttons 1, 2, … stand

        QTest::newRow("3 packs") << 3 << 1.0 << 3 << QSize(95, 26) << QList<QPoint>{ { 0, 10 }, { 0, 40 }, { 0, 70 } };
        QTest::newRow("10 packs") << 10 << 1.0 << 10 << QSize(95, 26)
                                  << QList<QPoint>{ { 0, 10 },  { 0, 40 },  { 0, 70 },  { 0, 100 }, { 0, 130 },
                                                    { 0, 160 }, { 0, 190 }, { 0, 220 }, { 110, 10 }, { 110, 40 } };
        QTest::newRow("9 packs, 800 wide") << 9 << 800 / 1920.0 << 9 << QSize(39, 10)
                                           << QList<QPoint>{ { 0, 4 },  { 0, 16 }, { 0, 29 }, { 0, 41 }, { 0, 54 },
                                                             { 0, 66 }, { 0, 79 }, { 0, 91 }, { 45, 4 } };
        QTest::newRow("a garbled count stops at 16") << 2000000 << 1.0 << 16 << QSize(95, 26) << QList<QPoint>{};
        QTest::newRow("unknown count builds nothing") << NoValue::Int << 1.0 << 0 << QSize() << QList<QPoint>{};
    }

    void packButtons()
    {
        QFETCH(int, count);
        QFETCH(double, rate);
        QFETCH(int, built);
        QFETCH(QSize, size);
        QFETCH(QList<QPoint>, places);
        BatteryGroup group;
        group.show();
        group.SetRate(rate, rate);
        build(group, count);

        QCOMPARE(buttonArea(group)->findChildren<QPushButton*>().size(), built);
        QCOMPARE(group.packButtons().size(), built);
        for (int i = 0; i < built; ++i) {
            QPushButton* btn = group.packButtons().at(i);
            QCOMPARE(btn->objectName(), QStringLiteral("batBtn%1").arg(i + 1));
            QVERIFY(btn->styleSheet().contains(QStringLiteral(":/icon/res/Bat%1.png").arg(i + 1)));
            QCOMPARE(btn->size(), size);
            QVERIFY(btn->isVisible());
            QVERIFY(btn->parentWidget()->rect().contains(btn->geometry()));
            if (i < places.size())
                QCOMPARE(btn->parentWidget()->pos(), places.at(i));
        }
    }

    void allButtonsVisible()
    {
        // The overview page gives the group view about 1600 x 300: no button cut off.
        QWidget page;
        auto* layout = new QVBoxLayout(&page);
        layout->setContentsMargins(0, 0, 0, 0);
        auto* group = new BatteryGroup(&page);
        layout->addWidget(group);
        page.resize(1600, 300);
        page.show();
        QVERIFY(QTest::qWaitForWindowExposed(&page));
        build(*group, 16);
        for (QPushButton* btn : group->packButtons()) {
            QTRY_VERIFY(btn->isVisible());
            QCOMPARE(btn->visibleRegion().boundingRect(), btn->rect());
            QVERIFY2(group->rect().contains(QRect(btn->mapTo(group, QPoint(0, 0)), btn->size())),
                     qPrintable(btn->objectName()));
        }
    }

    void rebuild()
    {
        BatteryGroup group;
        build(group, 3);
        group.DelGroupBtnWid();
        QVERIFY(group.packButtons().isEmpty());
        build(group, 4);
        // Rebuilding without clearing first leaves no stray holders behind.
        group.SetGroupBattBtn();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QCOMPARE(buttonArea(group)->findChildren<QPushButton*>().size(), 4);
        QCOMPARE(buttonArea(group)->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly).size(), 4);
        QVERIFY(buttonArea(group)->findChild<QPushButton*>("batBtn4"));
    }

    void clickGuard()
    {
        BatteryGroup group;
        build(group, 3);
        group.show();
        QSignalSpy spy(&group, &BatteryGroup::GroupBattBtnClick);

        // Clicks at 0, 300, 600 and 900 ms; the guard runs 800 ms from the first. What
        // each click must report follows from when it really happened, so a slow machine
        // changes the expectation, never the verdict; within 40 ms of the end either is right.
        QElapsedTimer clock;
        clock.start();
        QList<qint64> at;
        for (int i = 0; i < 4; ++i) {
            if (i > 0)
                QTest::qWait(int(qMax<qint64>(0, 300 * i - clock.elapsed())));
            at << clock.elapsed();
            group.findChild<QPushButton*>("batBtn2")->click();
        }
        QCOMPARE(spy.count(), 4);
        QCOMPARE(spy.at(0).at(0).toBool(), false);
        for (int i = 0; i < 4; ++i) {
            QCOMPARE(spy.at(i).at(1).toInt(), 2);
            const QByteArray when = QByteArray::number(at.at(i)) + " ms";
            if (i > 0 && at.at(i) < 760)
                QVERIFY2(spy.at(i).at(0).toBool(), when);
            else if (at.at(i) > 840)
                QVERIFY2(!spy.at(i).at(0).toBool(), when);
        }

        // A button the view did not make names no pack and emits nothing.
        QPushButton stranger(&group);
        stranger.setObjectName("batBtn17");
        connect(&stranger, &QPushButton::clicked, &group, &BatteryGroup::BtnBatClicked);
        stranger.click();
        QCOMPARE(spy.count(), 4);
    }

    void rebuildDuringClickHandler()
    {
        // The window answers a too-quick click with a modal warning; while it is open a
        // reply with a new pack count rebuilds the buttons under the clicked one.
        BatteryGroup group;
        build(group, 3);
        group.show();
        QVERIFY(QTest::qWaitForWindowExposed(&group));
        connect(&group, &BatteryGroup::GroupBattBtnClick, &group, [&group] {
            QEventLoop modal;
            QTimer::singleShot(20, &group, [&group] {
                group.DelGroupBtnWid();
                build(group, 4);
            });
            QTimer::singleShot(100, &modal, &QEventLoop::quit);
            modal.exec();
        });
        QPushButton* btn = group.findChild<QPushButton*>("batBtn2");
        QTest::mouseClick(group.windowHandle(), Qt::LeftButton, Qt::NoModifier, btn->mapTo(&group, btn->rect().center()));
        QTRY_COMPARE(buttonArea(group)->findChildren<QPushButton*>().size(), 4);
    }

    void summaryLabels_data()
    {
        QTest::addColumn<QVariantList>("values"); // state, present, V, A, SOC, SOH, CFET, DFET
        QTest::addColumn<QStringList>("texts");   // the six labels, then the MOSFET marks lit ("CD")

        QTest::newRow("idle system") << QVariantList{ "idle", 3, 52.48, -1.25, 87, 100, "ON", "OFF" }
                                     << QStringList{ "State: idle", "Present Num: 3", "Total Voltage: 52.48 V",
                                                     "Total Current: -1.25 A", "Total SOC: 87 %", "Total SOH: 100 %", "C" };
        QTest::newRow("nothing known")
            << QVariantList{ "", NoValue::Int, NoValue::Double, NoValue::Double, NoValue::Int, NoValue::Int, "", "" }
            << QStringList{ "State: --", "Present Num: --", "Total Voltage: -- V", "Total Current: -- A",
                            "Total SOC: -- %", "Total SOH: -- %", "" };
        QTest::newRow("lower-case on is off") << QVariantList{ "charge", 16, 0.0, 0.5, 0, 99, "on", "ON" }
                                              << QStringList{ "State: charge", "Present Num: 16", "Total Voltage: 0 V",
                                                              "Total Current: 0.5 A", "Total SOC: 0 %", "Total SOH: 99 %", "D" };
    }

    void summaryLabels()
    {
        QFETCH(QVariantList, values);
        BatteryGroup group;
        group.SetGroupState(values.at(0).toString());
        group.SetPresentNum(values.at(1).toInt());
        group.SetTotalVoltage(values.at(2).toDouble());
        group.SetTotalCurrent(values.at(3).toDouble());
        group.SetTotalSOC(values.at(4).toInt());
        group.SetTotalSOH(values.at(5).toInt());
        group.SetCMOSState(values.at(6).toString());
        group.SetDMOSState(values.at(7).toString());
        group.SetBattGroupMess();
        const QString lit = QString(radio(group, "CmosRadiBtn")->isChecked() ? "C" : "")
            + (radio(group, "DmosRadiBtn")->isChecked() ? "D" : "");
        QTEST(summary(group) << lit, "texts");
    }

    void alarmText_data()
    {
        QTest::addColumn<QList<PackRecord>>("packs");
        QTest::addColumn<QString>("text");

        QTest::newRow("basic status error") << QList<PackRecord>{ pack("1"), pack("2", { "SysError" }), pack("3") }
                                            << "BasicState: bat2 SysError\nAlarmTime: bat2 22-05-01 09:02:10";
        QTest::newRow("no time stamp") << QList<PackRecord>{ pack("4", { "Normal", "Normal", "Normal", "OverTemp" }, "-- --") }
                                       << "TempState: bat4 OverTemp";
        QTest::newRow("normal, and a basic status other than SysError")
            << QList<PackRecord>{ pack("1"), pack("2", { "Standby" }) } << "";
        QTest::newRow("every state of two packs")
            << QList<PackRecord>{ pack("1", { "SysError", "OverVolt", "OverCurr", "LowTemp", "CellOV", "CellUT" },
                                       "22-05-03 01:02:03"),
                                  pack("9", { "Normal", "normal" }) }
            << "BasicState: bat1 SysError\nVoltState: bat1 OverVolt\nCurrState: bat1 OverCurr\nTempState: bat1 LowTemp\n"
               "CellVolState: bat1 CellOV\nCellTempState: bat1 CellUT\nAlarmTime: bat1 22-05-03 01:02:03\n\n"
               "VoltState: bat9 normal\nAlarmTime: bat9 22-05-01 09:02:10";
    }

    void alarmText()
    {
        QFETCH(QList<PackRecord>, packs);
        BatteryGroup group;
        QTextBrowser* box = group.findChild<QTextBrowser*>("AlarmTextBrow");
        box->setPlainText("old text");
        group.SetPackList(packs);
        group.SetBattGroupAlarm();
        // "\r" ends a pack's block; the text box shows it as a line break.
        QString shown = box->toPlainText();
        shown.replace(QChar::ParagraphSeparator, '\n').replace(QChar::LineSeparator, '\n').replace('\r', '\n');
        QTEST(shown.trimmed(), "text");
    }

    void balanceIndicators()
    {
        BatteryGroup group;
        group.show();
        for (int i = 1; i <= 16; ++i)
            QVERIFY(!led(group, i)->isVisible());
        group.SetBalanceList({ "0", "1", "0" });
        group.SetBattGroupBalanceInfo();
        for (int i = 1; i <= 16; ++i) {
            QCOMPARE(led(group, i)->isVisible(), i <= 3);
            QCOMPARE(led(group, i)->isChecked(), i == 2);
        }
        // Only the exact text "1" lights a pack; entries past the sixteenth are ignored.
        QStringList many;
        for (int i = 0; i < 20; ++i)
            many << (i % 2 ? "1" : " 1");
        group.SetBalanceList(many);
        group.SetBattGroupBalanceInfo();
        for (int i = 1; i <= 16; ++i) {
            QVERIFY(led(group, i)->isVisible());
            QCOMPARE(led(group, i)->isChecked(), i % 2 == 0);
        }
    }

    void indicatorsIgnoreClicks()
    {
        BatteryGroup group;
        group.show();
        group.SetBalanceList({ "0" });
        group.SetBattGroupBalanceInfo();
        QVERIFY(QTest::qWaitForWindowExposed(&group));
        // Clicked through the window, as a real mouse does, on the indicator's own centre.
        for (const char* name : { "Bat1RadBtn", "CmosRadiBtn" }) {
            QRadioButton* indicator = radio(group, name);
            QTest::mouseClick(group.windowHandle(), Qt::LeftButton, Qt::NoModifier,
                              indicator->mapTo(&group, indicator->rect().center()));
            QVERIFY2(!indicator->isChecked(), name);
        }
    }
};

QTEST_MAIN(TestBatteryGroup)
#include "tst_batterygroup.moc"
