// The overview replies as the device prints them, read by the parsers behind the
// overview page: every value here is one the operator ends up seeing.

#include "balancereply.h"
#include "batreply.h"
#include "battery.h"
#include "batterygroup.h"
#include "batteryinfo.h"
#include "bmsmainwin.h"
#include "boxrecorder.h"
#include "ctrlreply.h"
#include "novalue.h"
#include "pwrsinglereply.h"
#include "pwrsysreply.h"
#include "pwrtablereply.h"

#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QTableView>
#include <QTextBrowser>
#include <QtTest>

namespace {

const QString pwrsysIdle = QStringLiteral(
    "@\npwrsys\n"
    "System is idle\n"
    "Present Num              : 3\n"
    "System Volt              : 52480      mV\n"
    "System Curr              : -1250      mA\n"
    "System SOC               : 87         %\n"
    "System SOH               : 100        %\n"
    "Command completed successfully\n$$");

const QString pwrHeader = QStringLiteral(
    "@\npwr\n"
    "Power Volt   Curr   Tempr  Tlow   Thigh  Vlow   Vhigh  Base.St  Volt.St  Curr.St  Temp.St  Coulomb  Time                 B.V.St   B.T.St\n");

const QString packRow1 = QStringLiteral(
    "1     5248   -410   2500   2400   2600   3270   3290   Normal   Normal   Normal   Normal   87%   22-05-01 10:21:33   Normal   Normal");
const QString packRow2 = QStringLiteral(
    "2     5247   -420   2510   2410   2610   3268   3291   SysError Normal   Normal   Normal   85%   22-05-01 09:02:10   Normal   Normal");
const QString packRow3 = QStringLiteral(
    "3     5249   -400   2490   2390   2590   3271   3288   Normal   Normal   Normal   HighTemp 91%   22-05-02 11:00:00   Normal   Normal");

QString pwrTableText(const QStringList& rows, const QString& header = pwrHeader)
{
    return header + rows.join(QLatin1Char('\n')) + QStringLiteral("\nCommand completed successfully\n$$");
}

const QString pwrSingleText = QStringLiteral(
    "@\npwr 3\n"
    "Current                  : -410       mA\n"
    "Temperature              : 25000      mC\n"
    "Coulomb                  : 87         %\n"
    "Total Coulomb            : 100000     mAH\n"
    "Real Coulomb             : 98000      mAH\n"
    "Basic Status             : Normal\n"
    "System Fault             : Normal\n"
    "Command completed successfully\n$$");

QString batTable(const QStringList& rows)
{
    return QStringLiteral("@\nbat 2\nCell     Volt   Curr   Temp   Status   VoltSt   CurrSt   TempSt   SOC   Coulomb\n")
        + rows.join(QLatin1Char('\n')) + QStringLiteral("\nCommand completed successfully\n$$");
}

QString cell11(int id, int mv, int soc = 87, int mah = 87000)
{
    return QStringLiteral("%1        %2   -410   24000  Normal   Normal   Normal   Normal   %3%   %4 mAH")
        .arg(id).arg(mv).arg(soc).arg(mah);
}

QString balanceReply(const QStringList& rows)
{
    return QStringLiteral("@\nbalance\n") + rows.join(QLatin1Char('\n'))
        + QStringLiteral("\nCommand completed successfully\n$$");
}

QStringList repeated(const QString& row, int times)
{
    QStringList rows;
    for (int i = 0; i < times; ++i)
        rows << row;
    return rows;
}

QString replaced(QString text, const QString& from, const QString& to)
{
    return text.replace(from, to);
}

// The main window with its overview page, fed replies the way the dispatch feeds them.
struct Window {
    BoxRecorder boxes;
    BMSMainWin win;
    BatteryGroup* group = win.findChild<BatteryGroup*>(QStringLiteral("BattGroupWid"));
    BatteryInfo* detail = win.findChild<BatteryInfo*>(QStringLiteral("BattInfoWid"));

    QString groupLabel(const char* name) const { return group->findChild<QLabel*>(QLatin1String(name))->text(); }
    QString detailLabel(const char* name) const { return detail->findChild<QLabel*>(QLatin1String(name))->text(); }
    QString alarmText() const { return group->findChild<QTextBrowser*>(QStringLiteral("AlarmTextBrow"))->toPlainText(); }
    QRadioButton* radio(const QString& name) const { return group->findChild<QRadioButton*>(name); }
    Battery* gauge(int pack) const { return win.gauges().at(pack - 1); }
    int cellRows() const { return detail->findChild<QTableView*>(QStringLiteral("cellTableView"))->model()->rowCount(); }
};

const QColor theme(74, 120, 222);

} // namespace

class TestStatusReplies : public QObject
{
    Q_OBJECT

private slots:
    void pwrsys_data();
    void pwrsys();
    void pwrTable_data();
    void pwrTable();
    void pwrSingle_data();
    void pwrSingle();
    void bat_data();
    void bat();
    void balance_data();
    void balance();
    void ctrl_data();
    void ctrl();

    // The same replies through the main window, read off its widgets.
    void windowSystemSummary();
    void windowPackTable();
    void windowSinglePack();
    void windowSocChange_data();
    void windowSocChange();
    void windowCells();
    void windowBalance();
    void windowSwitches();
    void windowGaugeReset();
};

void TestStatusReplies::pwrsys_data()
{
    QTest::addColumn<QString>("reply");
    QTest::addColumn<bool>("complete");
    QTest::addColumn<QString>("state"); // empty: the shown state is kept
    QTest::addColumn<int>("present");
    QTest::addColumn<double>("volt");
    QTest::addColumn<double>("curr");
    QTest::addColumn<int>("soc");
    QTest::addColumn<int>("soh");

    const int none = NoValue::Int;
    const double dnone = NoValue::Double;

    QTest::newRow("idle, discharging current") << pwrsysIdle << true << "idle" << 3 << 52.48 << -1.25 << 87 << 100;
    QTest::newRow("charging") << replaced(pwrsysIdle, "System is idle", "System is charging")
                              << true << "charge" << 3 << 52.48 << -1.25 << 87 << 100;
    QTest::newRow("discharging") << replaced(pwrsysIdle, "System is idle", "System is discharging")
                                 << true << "discharge" << 3 << 52.48 << -1.25 << 87 << 100;
    QTest::newRow("discharg without charging") << replaced(pwrsysIdle, "System is idle", "System is discharg")
                                               << true << "discharge" << 3 << 52.48 << -1.25 << 87 << 100;
    QTest::newRow("idle wins whatever follows")
        << replaced(pwrsysIdle, "System is idle", "System is idle, discharging soon")
        << true << "idle" << 3 << 52.48 << -1.25 << 87 << 100;
    QTest::newRow("error") << replaced(pwrsysIdle, "System is idle", "System is error")
                           << true << "SysError" << 3 << 52.48 << -1.25 << 87 << 100;
    QTest::newRow("unknown state keeps the shown one")
        << replaced(pwrsysIdle, "System is idle", "System is sleeping")
        << true << "" << 3 << 52.48 << -1.25 << 87 << 100;
    QTest::newRow("positive current, 16 packs")
        << replaced(replaced(pwrsysIdle, "-1250", "500"), ": 3\n", ": 16\n")
        << true << "idle" << 16 << 52.48 << 0.5 << 87 << 100;
    QTest::newRow("present count is a word") << replaced(pwrsysIdle, ": 3\n", ": many\n")
                                             << true << "idle" << none << 52.48 << -1.25 << 87 << 100;
    QTest::newRow("voltage is a word, others read") << replaced(pwrsysIdle, "52480", "high")
                                                    << true << "idle" << 3 << dnone << -1.25 << 87 << 100;
    QTest::newRow("missing unit gives no value") << replaced(pwrsysIdle, "-1250      mA", "-1250")
                                                 << true << "idle" << 3 << 52.48 << dnone << 87 << 100;
    QTest::newRow("SOC with a fraction") << replaced(pwrsysIdle, "87         %", "87.5 %")
                                         << true << "idle" << 3 << 52.48 << -1.25 << none << 100;

    const QStringList keys = { "System is", "Present Num", "System Volt", "System Curr", "System SOC", "System SOH" };
    for (const QString& key : keys) {
        QTest::newRow(qPrintable("missing " + key)) << replaced(pwrsysIdle, key, "Xyz")
                                                   << false << "" << none << dnone << dnone << none << none;
    }
    QTest::newRow("empty reply") << QString() << false << "" << none << dnone << dnone << none << none;
}

void TestStatusReplies::pwrsys()
{
    QFETCH(QString, reply);
    const PwrsysReply r = PwrsysReply::parse(reply);
    QTEST(r.complete, "complete");
    QFETCH(QString, state);
    QCOMPARE(r.stateFound, !state.isEmpty());
    QCOMPARE(r.state, state);
    QTEST(r.presentNum, "present");
    QTEST(r.totalVoltage, "volt");
    QTEST(r.totalCurrent, "curr");
    QTEST(r.totalSoc, "soc");
    QTEST(r.totalSoh, "soh");
}

void TestStatusReplies::pwrTable_data()
{
    QTest::addColumn<QString>("reply");
    QTest::addColumn<int>("present");
    QTest::addColumn<bool>("enough");
    // address|basic|volt|curr|temp|soc|time|cellVol|cellTemp per record
    QTest::addColumn<QStringList>("packs");

    const QString p1 = "1|Normal|Normal|Normal|Normal|87|22-05-01 10:21:33|Normal|Normal";
    const QString p2 = "2|SysError|Normal|Normal|Normal|85|22-05-01 09:02:10|Normal|Normal";
    const QString p3 = "3|Normal|Normal|Normal|HighTemp|91|22-05-02 11:00:00|Normal|Normal";

    QTest::newRow("three packs") << pwrTableText({ packRow1, packRow2, packRow3 }) << 3 << true
                                 << QStringList{ p1, p2, p3 };
    QTest::newRow("16-part row skipped, later packs move up")
        << pwrTableText({ packRow1, packRow2.left(packRow2.lastIndexOf("   Normal")), packRow3 }) << 3 << true
        << QStringList{ p1, p3 };
    QTest::newRow("fewer rows than packs: nothing") << pwrTableText({ packRow1, packRow2 }) << 3 << false
                                                    << QStringList{};
    QTest::newRow("more rows than packs: first ones") << pwrTableText({ packRow1, packRow2, packRow3 }) << 2 << true
                                                      << QStringList{ p1, p2 };
    QTest::newRow("device-type header")
        << pwrTableText({ packRow1 + "   HV", packRow2 + "   HV" },
                    replaced(pwrHeader, "B.T.St\n", "B.T.St   DevType\n"))
        << 2 << true << QStringList{ p1, p2 };
    QTest::newRow("SOC that is not a number counts as 0")
        << pwrTableText({ replaced(packRow1, "87%", "n/a%") }) << 1 << true
        << QStringList{ "1|Normal|Normal|Normal|Normal|0|22-05-01 10:21:33|Normal|Normal" };
    QTest::newRow("fractional SOC") << pwrTableText({ replaced(packRow1, "87%", "87.5%") }) << 1 << true
                                    << QStringList{ "1|Normal|Normal|Normal|Normal|87.5|22-05-01 10:21:33|Normal|Normal" };
    QTest::newRow("no closing line: empty body")
        << replaced(pwrTableText({ packRow1, packRow2 }), "Command completed successfully", "") << 2 << false
        << QStringList{};
    QTest::newRow("no header") << replaced(pwrTableText({ packRow1 }), "B.T.St", "X") << 1 << true << QStringList{};
}

void TestStatusReplies::pwrTable()
{
    QFETCH(QString, reply);
    QFETCH(int, present);
    QFETCH(QStringList, packs);
    const PwrTableReply r = PwrTableReply::parse(reply, present);
    QTEST(r.enoughRows, "enough");
    QStringList got;
    for (const PackRecord& p : r.packs) {
        got << QStringList{ p.GetDeviceAdd(),      p.GetBasicStatus(), p.GetVoltState(),
                            p.GetCurrState(),      p.GetTempState(),   QString::number(p.GetAllCoulomb()),
                            p.GetTime(),           p.GetBatteryVolState(), p.GetBatteryTempState() }
                   .join(QLatin1Char('|'));
    }
    QCOMPARE(got, packs);
    QCOMPARE(r.packColumns.size(), r.packs.size());
}

void TestStatusReplies::pwrSingle_data()
{
    QTest::addColumn<QString>("reply");
    QTest::addColumn<bool>("complete");
    QTest::addColumn<double>("current");
    QTest::addColumn<double>("temp");
    QTest::addColumn<int>("soc");
    QTest::addColumn<double>("soh");
    QTest::addColumn<QString>("basic");
    QTest::addColumn<QString>("fault");

    const int none = NoValue::Int;
    const double dnone = NoValue::Double;

    QTest::newRow("whole reply") << pwrSingleText << true << -0.41 << 25.0 << 87 << 98.0 << "Normal" << "Normal";
    QTest::newRow("SOH limited to 100") << replaced(pwrSingleText, "98000", "105000")
                                        << true << -0.41 << 25.0 << 87 << 100.0 << "Normal" << "Normal";
    QTest::newRow("real coulomb unknown") << replaced(pwrSingleText, "98000", "--")
                                          << true << -0.41 << 25.0 << 87 << dnone << "Normal" << "Normal";
    QTest::newRow("zero total gives no SOH") << replaced(pwrSingleText, "100000", "0")
                                             << true << -0.41 << 25.0 << 87 << dnone << "Normal" << "Normal";
    QTest::newRow("unknown total gives no SOH") << replaced(pwrSingleText, "100000", "?")
                                                << true << -0.41 << 25.0 << 87 << dnone << "Normal" << "Normal";
    QTest::newRow("SOC is a word") << replaced(pwrSingleText, "87         %", "full %")
                                   << true << -0.41 << 25.0 << none << 98.0 << "Normal" << "Normal";
    QTest::newRow("negative temperature") << replaced(pwrSingleText, "25000", "-5500")
                                          << true << -0.41 << -5.5 << 87 << 98.0 << "Normal" << "Normal";
    QTest::newRow("status words with blanks")
        << replaced(replaced(pwrSingleText, "Basic Status             : Normal", "Basic Status : Over Volt"),
                    "System Fault             : Normal", "System Fault : AFE Fault")
        << true << -0.41 << 25.0 << 87 << 98.0 << "Over Volt" << "AFE Fault";
    QTest::newRow("no current line") << replaced(pwrSingleText, "Current                  : -410       mA\n", "")
                                     << true << dnone << 25.0 << 87 << 98.0 << "Normal" << "Normal";
    const QStringList keys = { "Temperature", "Real Coulomb", "Basic Status", "System Fault" };
    for (const QString& key : keys) {
        QTest::newRow(qPrintable("missing " + key)) << replaced(pwrSingleText, key, "Xyz")
                                                   << false << dnone << dnone << none << dnone << "" << "";
    }
    QTest::newRow("missing every Coulomb") << replaced(pwrSingleText, "Coulomb", "Q")
                                           << false << dnone << dnone << none << dnone << "" << "";
}

void TestStatusReplies::pwrSingle()
{
    QFETCH(QString, reply);
    const PwrSingleReply r = PwrSingleReply::parse(reply);
    QTEST(r.complete, "complete");
    QTEST(r.current, "current");
    QTEST(r.temperature, "temp");
    QTEST(r.soc, "soc");
    QTEST(r.soh, "soh");
    QTEST(r.basicStatus, "basic");
    QTEST(r.sysDefault, "fault");
}

void TestStatusReplies::bat_data()
{
    QTest::addColumn<QString>("reply");
    QTest::addColumn<int>("cellCount");
    QTest::addColumn<bool>("matches");
    QTest::addColumn<int>("cells");
    QTest::addColumn<double>("maxVol");
    QTest::addColumn<int>("maxId");
    QTest::addColumn<double>("minVol");
    QTest::addColumn<int>("minId");
    QTest::addColumn<int>("soc");
    QTest::addColumn<double>("coulomb");

    const int none = NoValue::Int;
    const double dnone = NoValue::Double;

    QTest::newRow("11 columns")
        << batTable({ cell11(0, 3281, 87, 87000), cell11(1, 3279, 86, 86500), cell11(2, 3290, 88, 88100) })
        << 3 << true << 3 << 3.29 << 2 << 3.279 << 1 << 86 << 86.0;
    QTest::newRow("10 columns")
        << batTable({ "0  3281  24000  x  Normal  Normal  Normal  87%  87000  mAH",
                      "1  3301  24100  x  Normal  Normal  Normal  80%  80999  mAH" })
        << 2 << true << 2 << 3.301 << 1 << 3.281 << 0 << 80 << 80.0;
    QTest::newRow("equal highest keeps the lower id")
        << batTable({ cell11(0, 3200), cell11(1, 3300), cell11(2, 3300), cell11(3, 3100), cell11(4, 3100) })
        << 5 << true << 5 << 3.3 << 1 << 3.1 << 3 << 87 << 87.0;
    QTest::newRow("999 mAH is 0 Ah") << batTable({ cell11(0, 3281, 87, 999) })
                                     << 1 << true << 1 << 3.281 << 0 << 3.281 << 0 << 87 << 0.0;
    QTest::newRow("87999 mAH is 87 Ah") << batTable({ cell11(0, 3281, 87, 87999), cell11(1, 3281, 90, 90000) })
                                        << 2 << true << 2 << 3.281 << 0 << 3.281 << 0 << 87 << 87.0;
    QTest::newRow("9-column row neither stored nor counted")
        << batTable({ cell11(0, 3281), "1  2000  -410  24000  Normal  Normal  Normal  Normal  10%", cell11(2, 3290) })
        << 3 << true << 2 << 3.29 << 2 << 3.281 << 0 << 87 << 87.0;
    QTest::newRow("garbled 12-column row neither stored nor counted")
        << batTable({ cell11(0, 3281), "1  0  -410  24000  Normal  Over Volt  Normal  Normal  Normal  5%  0 mAH",
                      cell11(2, 3290) })
        << 3 << true << 2 << 3.29 << 2 << 3.281 << 0 << 87 << 87.0;
    QTest::newRow("lost first row does not invent 0 V")
        << batTable({ "0  garbled", cell11(1, 3279), cell11(2, 3290) })
        << 3 << true << 2 << 3.29 << 2 << 3.279 << 1 << 87 << 87.0;
    QTest::newRow("16 rows for 15 cells")
        << batTable(repeated(cell11(0, 3281), 16))
        << 15 << false << 0 << dnone << none << dnone << none << none << dnone;
    QTest::newRow("no table") << QStringLiteral("@\nbat 2\nTarget device is not present\n$$")
                              << 3 << false << 0 << dnone << none << dnone << none << none << dnone;
}

void TestStatusReplies::bat()
{
    QFETCH(QString, reply);
    QFETCH(int, cellCount);
    const BatReply r = BatReply::parse(reply, cellCount);
    QTEST(r.countMatches, "matches");
    QTEST(int(r.cells.size()), "cells");
    QTEST(r.maxVol, "maxVol");
    QTEST(r.maxVolId, "maxId");
    QTEST(r.minVol, "minVol");
    QTEST(r.minVolId, "minId");
    QTEST(r.soc, "soc");
    QTEST(r.coulomb, "coulomb");
}

void TestStatusReplies::balance_data()
{
    QTest::addColumn<QString>("reply");
    QTest::addColumn<int>("present");
    QTest::addColumn<bool>("usable");
    QTest::addColumn<QStringList>("states");

    QTest::newRow("pack 2 balancing") << balanceReply({ "1     0", "2     1", "3     0" }) << 3 << true
                                      << QStringList{ "0", "1", "0" };
    QTest::newRow("2 rows for 3 packs") << balanceReply({ "1     0", "2     1" }) << 3 << false << QStringList{};
    QTest::newRow("4 rows for 3 packs") << balanceReply({ "1 0", "2 1", "3 0", "4 1" }) << 3 << false
                                        << QStringList{};
    QTest::newRow("Unknown command") << QStringLiteral("@\nbalance\nUnknown command 'balance'\n1 1\n$$") << 1
                                     << false << QStringList{};
    QTest::newRow("Unknown alone") << QStringLiteral("@\nbalance\n1 1\nUnknown\n$$") << 2 << false
                                   << QStringList{};
    QTest::newRow("short row: later packs move up") << balanceReply({ "1     1", "2", "3     0" }) << 3 << true
                                                    << QStringList{ "1", "0" };
    QTest::newRow("16 packs") << balanceReply({ "1 0", "2 0", "3 0", "4 0", "5 0", "6 0", "7 0", "8 1",
                                                "9 0", "10 0", "11 0", "12 0", "13 0", "14 0", "15 0", "16 1" })
                              << 16 << true
                              << QStringList{ "0", "0", "0", "0", "0", "0", "0", "1",
                                              "0", "0", "0", "0", "0", "0", "0", "1" };
}

void TestStatusReplies::balance()
{
    QFETCH(QString, reply);
    QFETCH(int, present);
    const BalanceReply r = BalanceReply::parse(reply, present);
    QTEST(r.usable(), "usable");
    if (r.usable())
        QTEST(r.states, "states");
}

void TestStatusReplies::ctrl_data()
{
    QTest::addColumn<QString>("reply");
    QTest::addColumn<QString>("cfet");
    QTest::addColumn<QString>("dfet");

    QTest::newRow("on and off") << "@\nctrl\nCFET : ON\nDFET : OFF\nCommand completed successfully\n$$"
                                << "ON" << "OFF";
    QTest::newRow("padded") << "@\nctrl\nCFET            :    OFF\nDFET            :   ON   \nCommand completed\n$$"
                            << "OFF" << "ON";
    QTest::newRow("lower case stays as printed") << "@\nctrl\nCFET : on\nDFET : ON\n$$" << "on" << "ON";
    QTest::newRow("no DFET line") << "@\nctrl\nCFET : ON\nCommand completed successfully\n$$" << "ON" << "";
}

void TestStatusReplies::ctrl()
{
    QFETCH(QString, reply);
    const CtrlReply r = CtrlReply::parse(reply);
    QTEST(r.cfet, "cfet");
    QTEST(r.dfet, "dfet");
}

void TestStatusReplies::windowSystemSummary()
{
    Window w;
    w.win.PwrsysProcess(pwrsysIdle);
    QCOMPARE(w.groupLabel("StateLab"), QString("State: idle"));
    QCOMPARE(w.groupLabel("PreNumLab"), QString("Present Num: 3"));
    QCOMPARE(w.groupLabel("TotalVolLab"), QString("Total Voltage: 52.48 V"));
    QCOMPARE(w.groupLabel("TotalCurrLab"), QString("Total Current: -1.25 A"));
    QCOMPARE(w.groupLabel("TotalSOCLab"), QString("Total SOC: 87 %"));
    QCOMPARE(w.groupLabel("TotalSOHLab"), QString("Total SOH: 100 %"));
    QCOMPARE(w.win.presentNum, 3);
    QCOMPARE(w.group->packButtons().size(), 3);

    // 3 → 4 rebuilds the buttons once; a second 4 leaves the same buttons in place.
    const QString four = replaced(pwrsysIdle, ": 3\n", ": 4\n");
    w.win.PwrsysProcess(four);
    QCOMPARE(w.group->packButtons().size(), 4);
    const QList<QPushButton*> built = w.group->packButtons();
    w.win.PwrsysProcess(replaced(four, "System is idle", "System is charging"));
    QCOMPARE(w.group->packButtons(), built);
    QCOMPARE(w.groupLabel("StateLab"), QString("State: charge"));
    QCOMPARE(w.win.oldPresentNum, 4);

    // A state the view does not know keeps the last one.
    w.win.PwrsysProcess(replaced(four, "System is idle", "System is sleeping"));
    QCOMPARE(w.groupLabel("StateLab"), QString("State: charge"));

    // A cut-off reply shows every value as unknown and builds nothing.
    w.win.PwrsysProcess(replaced(pwrsysIdle, "System SOH", "Xyz"));
    QCOMPARE(w.groupLabel("StateLab"), QString("State: --"));
    QCOMPARE(w.groupLabel("PreNumLab"), QString("Present Num: --"));
    QCOMPARE(w.groupLabel("TotalVolLab"), QString("Total Voltage: -- V"));
    QCOMPARE(w.groupLabel("TotalCurrLab"), QString("Total Current: -- A"));
    QCOMPARE(w.groupLabel("TotalSOCLab"), QString("Total SOC: -- %"));
    QCOMPARE(w.groupLabel("TotalSOHLab"), QString("Total SOH: -- %"));
    QCOMPARE(w.group->packButtons(), built);

    // A count that is a word: no buttons, "--" shown, the window's count 0.
    w.win.PwrsysProcess(replaced(pwrsysIdle, ": 3\n", ": ?\n"));
    QCOMPARE(w.groupLabel("PreNumLab"), QString("Present Num: --"));
    QCOMPARE(w.win.presentNum, 0);
    QCOMPARE(w.group->packButtons().size(), 0);
    QCOMPARE(w.boxes.count(), 0);
}

void TestStatusReplies::windowPackTable()
{
    Window w;
    w.gauge(3)->setValue(55.0);
    // The second row lost a column: packs 1 and 3 land on gauges 1 and 2.
    w.win.PwrAlarmProcess(pwrTableText({ packRow1, packRow2.left(packRow2.lastIndexOf("   Normal")), packRow3 }), 3);
    QCOMPARE(w.gauge(1)->getValue(), 87.0);
    QCOMPARE(w.gauge(2)->getValue(), 91.0);
    QCOMPARE(w.gauge(3)->getValue(), 55.0);
    for (int k : { 1, 2 }) {
        QCOMPARE(w.gauge(k)->getBorderColorStart(), theme);
        QCOMPARE(w.gauge(k)->getBorderColorEnd(), theme);
    }
    QCOMPARE(w.gauge(3)->getBorderColorStart(), QColor(100, 100, 100));
    QCOMPARE(w.alarmText().trimmed(), QString("TempState: bat3 HighTemp\nAlarmTime: bat3 22-05-02 11:00:00"));

    // The whole table: the alarm text of the example, gauges in pack order.
    w.win.PwrAlarmProcess(pwrTableText({ packRow1, packRow2, packRow3 }), 3);
    QCOMPARE(w.gauge(2)->getValue(), 85.0);
    QCOMPARE(w.gauge(3)->getValue(), 91.0);
    QVERIFY(w.alarmText().startsWith("BasicState: bat2 SysError\nAlarmTime: bat2 22-05-01 09:02:10"));

    // Fewer rows than packs present: alarm text and gauges stay as they are.
    const QString before = w.alarmText();
    w.win.PwrAlarmProcess(pwrTableText({ replaced(packRow1, "87%", "5%") }), 3);
    QCOMPARE(w.alarmText(), before);
    QCOMPARE(w.gauge(1)->getValue(), 87.0);
}

void TestStatusReplies::windowSinglePack()
{
    Window w;
    w.win.currBatNum = 3;
    w.win.PwrSigleProcess(replaced(pwrSingleText, "98000", "105000"));
    QCOMPARE(w.detailLabel("BattIdLab"), QString("3"));
    QCOMPARE(w.detailLabel("SOCLab"), QString("SOC: 87 %"));
    QCOMPARE(w.detailLabel("SOHLab"), QString("SOH: 100 %"));
    QCOMPARE(w.detailLabel("CurrLab"), QString("Current: -0.41 A"));
    QCOMPARE(w.detailLabel("TempLab"), QString::fromUtf8("Temp: 25 ℃"));
    QCOMPARE(w.detailLabel("BasStaLab"), QString("Basic Status: Normal"));
    QCOMPARE(w.detailLabel("SysDefaultLab"), QString("System Fault: Normal"));
    QCOMPARE(w.gauge(3)->getValue(), 87.0);
    QCOMPARE(w.gauge(3)->getBorderColorStart(), theme);

    // A SOC that is not a number: "--" in the view, the gauge left alone.
    w.win.PwrSigleProcess(replaced(pwrSingleText, "87         %", "full %"));
    QCOMPARE(w.detailLabel("SOCLab"), QString("SOC: -- %"));
    QCOMPARE(w.detailLabel("SOHLab"), QString("SOH: 98 %"));
    QCOMPARE(w.gauge(3)->getValue(), 87.0);

    // A cut-off reply: every value unknown, no pack number.
    w.win.PwrSigleProcess(replaced(pwrSingleText, "System Fault", "Xyz"));
    QCOMPARE(w.detailLabel("BattIdLab"), QString());
    QCOMPARE(w.detailLabel("SOCLab"), QString("SOC: -- %"));
    QCOMPARE(w.detailLabel("CurrLab"), QString("Current: -- A"));
    QCOMPARE(w.detailLabel("BasStaLab"), QString("Basic Status: --"));
    QCOMPARE(w.gauge(3)->getValue(), 87.0);
}

void TestStatusReplies::windowSocChange_data()
{
    QTest::addColumn<int>("pack");
    QTest::addColumn<int>("moved"); // the gauge that moved, 0 for none

    QTest::newRow("pack 1") << 1 << 1;
    QTest::newRow("pack 16") << 16 << 16;
    QTest::newRow("pack 0") << 0 << 0;
    QTest::newRow("pack 17") << 17 << 0;
    QTest::newRow("pack -1") << -1 << 0;
}

void TestStatusReplies::windowSocChange()
{
    QFETCH(int, pack);
    QFETCH(int, moved);
    Window w;
    w.win.BatterySocChange(pack, 50);
    for (int k = 1; k <= 16; ++k) {
        QCOMPARE(w.gauge(k)->getValue(), k == moved ? 50.0 : 0.0);
        QCOMPARE(w.gauge(k)->getBorderColorStart(), k == moved ? theme : QColor(100, 100, 100));
    }
}

void TestStatusReplies::windowCells()
{
    Window w;
    w.detail->SetCellNumber(3);
    w.win.BatProcess(batTable({ cell11(0, 3281, 87, 87000), cell11(1, 3279, 86, 86500), cell11(2, 3290, 88, 88100) }), 3);
    w.detail->SetBasicMess();
    w.detail->CreatCellCharts();
    QCOMPARE(w.detailLabel("MaxVolLab"), QString("Max Voltage: 3.29 V"));
    QCOMPARE(w.detailLabel("MinVolLab"), QString("Min Voltage: 3.279 V"));
    QCOMPARE(w.detailLabel("MaxVoltdLab"), QString("Max Vol ID: 3"));
    QCOMPARE(w.detailLabel("MinVoltIdLab"), QString("Min Vol ID: 2"));
    QCOMPARE(w.detailLabel("SOCLab"), QString("SOC: 86 %"));
    QCOMPARE(w.detailLabel("CapaLab"), QString("Capacity: 86 AH"));
    QCOMPARE(w.cellRows(), 1);

    // A table of another length: figures unknown, the cells shown before stay.
    w.win.BatProcess(batTable({ cell11(0, 3000), cell11(1, 3000) }), 3);
    w.detail->SetBasicMess();
    w.detail->CreatCellCharts();
    QCOMPARE(w.detailLabel("MaxVolLab"), QString("Max Voltage: -- V"));
    QCOMPARE(w.detailLabel("MinVoltIdLab"), QString("Min Vol ID: --"));
    QCOMPARE(w.detailLabel("SOCLab"), QString("SOC: -- %"));
    QCOMPARE(w.detailLabel("CapaLab"), QString("Capacity: -- AH"));
    QCOMPARE(w.cellRows(), 1);
    QCOMPARE(w.detail->findChild<QTableView*>("cellTableView")->model()->index(0, 1).data().toString(),
             QString("3.281"));
}

void TestStatusReplies::windowBalance()
{
    Window w;
    w.win.BalanceProcess(balanceReply({ "1     0", "2     1", "3     0" }), 3);
    QVERIFY(w.radio("Bat2RadBtn")->isChecked());
    QVERIFY(!w.radio("Bat1RadBtn")->isChecked());
    QVERIFY(!w.radio("Bat4RadBtn")->isVisibleTo(w.group));
    QVERIFY(w.radio("Bat3RadBtn")->isVisibleTo(w.group));
    // Wrong row count and a device without the command: nothing changes.
    w.win.BalanceProcess(balanceReply({ "1     1", "2     0" }), 3);
    QVERIFY(w.radio("Bat2RadBtn")->isChecked());
    QVERIFY(!w.radio("Bat1RadBtn")->isChecked());
    w.win.BalanceProcess(QStringLiteral("@\nbalance\nUnknown command 'balance'\n$$"), 3);
    QVERIFY(w.radio("Bat2RadBtn")->isChecked());
    QCOMPARE(w.group->GetBalanceList(), (QStringList{ "0", "1", "0" }));
}

void TestStatusReplies::windowSwitches()
{
    Window w;
    w.win.CtrlProcess("@\nctrl\nCFET : ON\nDFET : OFF\nCommand completed successfully\n$$");
    QVERIFY(w.radio("CmosRadiBtn")->isChecked());
    QVERIFY(!w.radio("DmosRadiBtn")->isChecked());
    w.win.CtrlProcess("@\nctrl\nCFET : on\nDFET : ON\nCommand completed successfully\n$$");
    QVERIFY(!w.radio("CmosRadiBtn")->isChecked());
    QVERIFY(w.radio("DmosRadiBtn")->isChecked());
}

void TestStatusReplies::windowGaugeReset()
{
    Window w;
    w.win.PwrAlarmProcess(pwrTableText({ packRow1, packRow2, packRow3 }), 3);
    w.win.BatteryInit();
    for (Battery* g : w.win.gauges()) {
        QCOMPARE(g->getValue(), 0.0);
        QCOMPARE(g->getBorderColorStart(), QColor(100, 100, 100, 255));
        QCOMPARE(g->getBorderColorEnd(), QColor(80, 80, 80, 255));
    }
}

QTEST_MAIN(TestStatusReplies)
#include "tst_statusreplies.moc"
