// The overview and identity replies as the device prints them, read by the parsers
// behind the overview page and then through the main window: every value here is one
// the operator ends up seeing.

#include "balancereply.h"
#include "batreply.h"
#include "battery.h"
#include "batterygroup.h"
#include "batteryinfo.h"
#include "bmsmainwin.h"
#include "boxrecorder.h"
#include "ctrlreply.h"
#include "inforeply.h"
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

const QString done = QStringLiteral("Command completed successfully\n$$");

const QString pwrsysIdle = QStringLiteral(
    "@\npwrsys\n"
    "System is idle\n"
    "Present Num              : 3\n"
    "System Volt              : 52480      mV\n"
    "System Curr              : -1250      mA\n"
    "System SOC               : 87         %\n"
    "System SOH               : 100        %\n") + done;

const QString pwrHeader = QStringLiteral(
    "@\npwr\n"
    "Power Volt   Curr   Tempr  Tlow   Thigh  Vlow   Vhigh  Base.St  Volt.St  Curr.St  Temp.St  Coulomb  Time                 B.V.St   B.T.St\n");
const QString packRow1 = QStringLiteral(
    "1     5248   -410   2500   2400   2600   3270   3290   Normal   Normal   Normal   Normal   87%   22-05-01 10:21:33   Normal   Normal");
const QString packRow2 = QStringLiteral(
    "2     5247   -420   2510   2410   2610   3268   3291   SysError Normal   Normal   Normal   85%   22-05-01 09:02:10   Normal   Normal");
const QString packRow3 = QStringLiteral(
    "3     5249   -400   2490   2390   2590   3271   3288   Normal   Normal   Normal   HighTemp 91%   22-05-02 11:00:00   Normal   Normal");
// Row 2 with its last column lost: 16 parts.
const QString packRow2Short = packRow2.left(packRow2.lastIndexOf("   Normal"));

const QString pwrSingleText = QStringLiteral(
    "@\npwr 3\n"
    "Current                  : -410       mA\n"
    "Temperature              : 25000      mC\n"
    "Coulomb                  : 87         %\n"
    "Total Coulomb            : 100000     mAH\n"
    "Real Coulomb             : 98000      mAH\n"
    "Basic Status             : Normal\n"
    "System Fault             : Normal\n") + done;

QString replaced(QString text, const QString& from, const QString& to)
{
    return text.replace(from, to);
}

// A table reply: its head (the echo and, but for "balance", the column names), the rows, the closing line.
QString table(const QString& head, const QStringList& rows)
{
    return head + rows.join('\n') + '\n' + done;
}

const QString batHead = QStringLiteral("@\nbat 2\nCell     Volt   Curr   Temp   Status   VoltSt   CurrSt   TempSt   SOC   Coulomb\n");

QString cell11(int id, int mv, int soc = 87, int mah = 87000)
{
    return QStringLiteral("%1        %2   -410   24000  Normal   Normal   Normal   Normal   %3%   %4 mAH").arg(id).arg(mv).arg(soc).arg(mah);
}

using Lines = QList<QPair<QString, QString>>;

const Lines standard{
    {"Device address", "1"},       {"Device name", "HVRACK-7720-KM"}, {"Boot version", "V1.0.2"},
    {"Main Soft version", "V2.3.1"}, {"Comm version", "V1.2"},        {"Release Date", "2021-05-17"},
    {"Barcode", "ABCD2021E0561234"}, {"Specification", "51.2V100AH"}, {"Cell Number", "16"},
    {"Max Charge Curr", "100A"},
};

// An "info" reply as the framing hands it over: key lines padded to one column.
QString infoReply(const Lines& lines, const QString& tail = done)
{
    QString text = QStringLiteral("@\ninfo 1\n");
    for (const auto& l : lines)
        text += l.first.leftJustified(20) + QStringLiteral(": ") + l.second + '\n';
    return text + tail;
}

// The standard lines with `key` given `value`, or left out for a null value.
Lines with(const QString& key, const QString& value = QString())
{
    Lines lines;
    for (const auto& l : standard) {
        if (l.first != key)
            lines << l;
        else if (!value.isNull())
            lines << qMakePair(key, value);
    }
    return lines;
}

const QString wholeInfo = "1|HVRACK-7720-KM|V1.0.2|V2.3.1|V1.2|2021-05-17|ABCD2021E0561234|51.2V100AH|16|100A";

// The main window, fed replies the way the dispatch feeds them.
struct Window {
    BoxRecorder boxes;
    BMSMainWin win;
    BatteryGroup* group = win.findChild<BatteryGroup*>(QStringLiteral("BattGroupWid"));
    BatteryInfo* detail = win.findChild<BatteryInfo*>(QStringLiteral("BattInfoWid"));

    QStringList labels(const QStringList& names) const
    {
        QStringList t;
        for (const QString& name : names)
            t << win.findChild<QLabel*>(name)->text();
        return t;
    }
    QString label(const QString& name) const { return labels({name}).first(); }
    QString alarmText() const { return group->findChild<QTextBrowser*>(QStringLiteral("AlarmTextBrow"))->toPlainText(); }
    bool lit(const QString& name) const { return group->findChild<QRadioButton*>(name)->isChecked(); }
    Battery* gauge(int pack) const { return win.gauges().at(pack - 1); }
};

const QColor theme(74, 120, 222);
const QColor idle(100, 100, 100);
const QStringList summaryNames{"StateLab", "PreNumLab", "TotalVolLab", "TotalCurrLab", "TotalSOCLab", "TotalSOHLab"};
const QStringList infoNames{"AddLab", "BootLab", "SoftVerLab", "CommVerLab", "ReleaLab", "BarcodeLab", "SpeciLab", "CellNumLab", "MaxChargeLab"};
const QStringList identity{"Device Address: 1", "Boot Version: V1.0.2", "Main Soft Version: V2.3.1", "Comm Version: V1.2",
                           "Release Date: 2021-05-17", "Barcode: ABCD2021E0561234", "Specification: 51.2V100AH",
                           "Cell Number: 16", "Max Charge Current: 100A"};

// What the parser of a reply takes from it, the parser picked by the command the reply
// echoes on its second line; `count` is the packs present or the cells expected.
QString read(const QString& reply, int count)
{
    const QString command = reply.section('\n', 1, 1);
    if (command == "pwrsys") { // [broken] state (? for none), present, V, A, SOC, SOH
        const PwrsysReply r = PwrsysReply::parse(reply);
        return (r.complete ? "" : "broken ") + QStringList{r.stateFound ? r.state : "?", NoValue::text(r.presentNum),
                                                          NoValue::text(r.totalVoltage), NoValue::text(r.totalCurrent),
                                                          NoValue::text(r.totalSoc), NoValue::text(r.totalSoh)}.join(' ');
    }
    if (command == "pwr") { // [short:] address|basic|volt|curr|temp|soc|time|cell volt|cell temp; …
        const PwrTableReply r = PwrTableReply::parse(reply, count);
        QStringList packs;
        for (const PackRecord& p : r.packs)
            packs << QStringList{p.GetDeviceAdd(), p.GetBasicStatus(), p.GetVoltState(), p.GetCurrState(), p.GetTempState(),
                                 QString::number(p.GetAllCoulomb()), p.GetTime(), p.GetBatteryVolState(), p.GetBatteryTempState()}
                         .join('|');
        return (r.enoughRows ? "" : "short:") + packs.join("; ");
    }
    if (command.startsWith("pwr ")) { // [broken|]A|°C|SOC|SOH|basic status|system fault
        const PwrSingleReply r = PwrSingleReply::parse(reply);
        return (r.complete ? "" : "broken|") + QStringList{NoValue::text(r.current), NoValue::text(r.temperature), NoValue::text(r.soc),
                                                          NoValue::text(r.soh), r.basicStatus, r.sysDefault}.join('|');
    }
    if (command.startsWith("bat ")) { // [mismatch] cells kept, max V@id, min V@id, SOC, Ah
        const BatReply r = BatReply::parse(reply, count);
        return (r.countMatches ? "" : "mismatch ") + QStringList{QString::number(r.cells.size()),
                                                                NoValue::text(r.maxVol) + '@' + NoValue::text(r.maxVolId),
                                                                NoValue::text(r.minVol) + '@' + NoValue::text(r.minVolId),
                                                                NoValue::text(r.soc), NoValue::text(r.coulomb)}.join(' ');
    }
    if (command == "balance") { // the states, or nothing the view may take
        const BalanceReply r = BalanceReply::parse(reply, count);
        return r.usable() ? r.states.join(' ') : "unusable";
    }
    if (command == "ctrl") { // CFET|DFET as printed
        const CtrlReply r = CtrlReply::parse(reply);
        return r.cfet + '|' + r.dfet;
    }
    // [broken|]address|name|boot|main|comm|date|barcode|rating|cells|max charge
    const InfoReply r = InfoReply::parse(reply);
    return (r.complete ? "" : "broken|") + QStringList{r.deviceAdd, r.deviceName, r.bootVersion, r.mainVersion, r.comVersion,
                                                      r.relaseDate, r.barcode, r.packSpec, NoValue::text(r.cellNumber),
                                                      r.maxChargeCurr}.join('|');
}

} // namespace

class TestReplies : public QObject
{
    Q_OBJECT

private slots:
    void parse_data()
    {
        QTest::addColumn<QString>("reply");
        QTest::addColumn<int>("count");
        QTest::addColumn<QString>("read");
        const auto row = [](const QString& name, const QString& reply, const QString& read, int count = 3) {
            QTest::newRow(qPrintable(name)) << reply << count << read;
        };

        const auto state = [](const QString& line) { return replaced(pwrsysIdle, "System is idle", line); };
        row("pwrsys idle, -1250 mA", pwrsysIdle, "idle 3 52.48 -1.25 87 100");
        row("pwrsys charging", state("System is charging"), "charge 3 52.48 -1.25 87 100");
        row("pwrsys discharg", state("System is discharg"), "discharge 3 52.48 -1.25 87 100");
        row("pwrsys error", state("System is error"), "SysError 3 52.48 -1.25 87 100");
        row("pwrsys, present count is a word", replaced(pwrsysIdle, ": 3\n", ": many\n"), "idle -- 52.48 -1.25 87 100");
        row("pwrsys, missing unit", replaced(pwrsysIdle, "-1250      mA", "-1250"), "idle 3 52.48 -- 87 100");
        row("pwrsys, SOC with a fraction", replaced(pwrsysIdle, "87         %", "87.5 %"), "idle 3 52.48 -1.25 -- 100");
        for (const char* key : {"System is", "Present Num", "System Volt", "System Curr", "System SOC", "System SOH"})
            row(QString("pwrsys without ") + key, replaced(pwrsysIdle, key, "Xyz"), "broken ? -- -- -- -- --");

        const QString p1 = "1|Normal|Normal|Normal|Normal|87|22-05-01 10:21:33|Normal|Normal";
        const QString p2 = "2|SysError|Normal|Normal|Normal|85|22-05-01 09:02:10|Normal|Normal";
        row("pwr, more rows than packs: first ones", table(pwrHeader, {packRow1, packRow2, packRow3}), p1 + "; " + p2, 2);
        row("pwr, device-type header",
            table(replaced(pwrHeader, "B.T.St\n", "B.T.St   DevType\n"), {packRow1 + "   HV", packRow2 + "   HV"}),
            p1 + "; " + p2, 2);
        row("pwr, SOC that is not a number counts as 0", table(pwrHeader, {replaced(packRow1, "87%", "n/a%")}), replaced(p1, "|87|", "|0|"), 1);
        row("pwr, no closing line", replaced(table(pwrHeader, {packRow1, packRow2}), done, ""), "short:", 2);

        row("pwr N, SOH limited to 100", replaced(pwrSingleText, "98000", "105000"), "-0.41|25|87|100|Normal|Normal");
        row("pwr N, zero total: no SOH", replaced(pwrSingleText, "100000", "0"), "-0.41|25|87|--|Normal|Normal");
        row("pwr N, unknown total: no SOH", replaced(pwrSingleText, "100000", "?"), "-0.41|25|87|--|Normal|Normal");
        row("pwr N, negative temperature", replaced(pwrSingleText, "25000", "-5500"), "-0.41|-5.5|87|98|Normal|Normal");
        row("pwr N, status words with blanks",
            replaced(replaced(pwrSingleText, ": Normal\nSystem", ": Over Volt\nSystem"), ": Normal\nCommand", ": AFE Fault\nCommand"),
            "-0.41|25|87|98|Over Volt|AFE Fault");
        for (const char* key : {"Temperature", "Real Coulomb", "Basic Status", "System Fault"})
            row(QString("pwr N without ") + key, replaced(pwrSingleText, key, "Xyz"), "broken|--|--|--|--||");

        row("bat, 10 columns",
            table(batHead, {"0  3281  24000  x  Normal  Normal  Normal  87%  87000  mAH",
                            "1  3301  24100  x  Normal  Normal  Normal  80%  80999  mAH"}),
            "2 3.301@1 3.281@0 80 80", 2);
        row("bat, equal extremes keep the lower id",
            table(batHead, {cell11(0, 3200), cell11(1, 3300), cell11(2, 3300), cell11(3, 3100), cell11(4, 3100)}), "5 3.3@1 3.1@3 87 87", 5);
        row("bat, 999 mAH is 0 Ah", table(batHead, {cell11(0, 3281, 87, 999)}), "1 3.281@0 3.281@0 87 0", 1);
        row("bat, 12-part row neither stored nor counted",
            table(batHead, {cell11(0, 3281), "1  0  -410  24000  Normal  Over Volt  Normal  Normal  Normal  5%  0 mAH", cell11(2, 3290)}),
            "2 3.29@2 3.281@0 87 87");
        row("bat, lost first row does not invent 0 V", table(batHead, {"0  garbled", cell11(1, 3279), cell11(2, 3290)}), "2 3.29@2 3.279@1 87 87");
        row("bat, 16 rows for 15 cells", table(batHead, QVector<QString>(16, cell11(0, 3281)).toList()), "mismatch 0 --@-- --@-- -- --", 15);
        row("bat, no table", "@\nbat 2\nTarget device is not present\n$$", "mismatch 0 --@-- --@-- -- --");

        row("balance, 4 rows for 3 packs", table("@\nbalance\n", {"1 0", "2 1", "3 0", "4 1"}), "unusable");
        // Row counts that would match if the word were overlooked.
        row("balance, Unknown command", "@\nbalance\nUnknown command 'balance'\n1 1\n$$", "unusable", 2);
        row("balance, short row: later packs move up", table("@\nbalance\n", {"1     1", "2", "3     0"}), "1 0");

        row("ctrl, padded", "@\nctrl\nCFET            :    OFF\nDFET            :   ON   \nCommand completed\n$$", "OFF|ON");
        row("ctrl, no DFET line", "@\nctrl\nCFET : ON\n" + done, "ON|");

        for (const QString& key : InfoReply::requiredKeys())
            row("info without " + key, infoReply(with(key == "Boot" ? QStringLiteral("Boot version") : key)), "broken|||||||||--|");
        const QString barcode = "|ABCD2021E0561234|";
        row("info, barcode of 15", infoReply(with("Barcode", "ABCD2021E056123")), replaced(wholeInfo, barcode, "||"));
        row("info, barcode of 17", infoReply(with("Barcode", "ABCD2021E05612345")), replaced(wholeInfo, barcode, "|ABCD2021E05612345|"));
        Lines after = standard, neither = standard;
        after.insert(3, {"Boot  version", "V0.9"}); // after "Boot version": the padded key wins wherever it stands
        neither[2] = {"Bootloader", "V0.6"};
        row("info, Boot  version after Boot version", infoReply(after), replaced(wholeInfo, "V1.0.2", "V0.9"));
        row("info, neither boot key", infoReply(neither), replaced(wholeInfo, "V1.0.2", ""));
        row("info, cell number and blanks", infoReply(with("Cell Number", "16     ")), wholeInfo);
        for (const char* bad : {"16 cells", "0x10", "99999999999"})
            row(QString("info, cell number ") + bad, infoReply(with("Cell Number", bad)), replaced(wholeInfo, "|16|", "|--|"));
        row("info, Cell Number on the last line", infoReply(with("Cell Number"), "Cell Number   :  15  "), replaced(wholeInfo, "|16|", "|15|"));
        row("info, Max Charge Curr on the last line", infoReply(with("Max Charge Curr"), "Max Charge Curr : 50A  "),
            replaced(wholeInfo, "|100A", "|50A"));
    }

    void parse()
    {
        QFETCH(QString, reply);
        QFETCH(int, count);
        QTEST(read(reply, count), "read");
    }

    // ---- through the main window: what its glue keeps or clears on a broken reply ----

    void windowSystemSummary()
    {
        Window w;
        w.win.PwrsysProcess(pwrsysIdle);
        const QList<QPushButton*> built = w.group->packButtons();
        // The same count keeps the buttons; a state the view does not know keeps the last.
        w.win.PwrsysProcess(replaced(pwrsysIdle, "System is idle", "System is charging"));
        w.win.PwrsysProcess(replaced(pwrsysIdle, "System is idle", "System is sleeping"));
        QCOMPARE(w.label("StateLab"), QString("State: charge"));
        QCOMPARE(w.group->packButtons(), built);
        // A cut-off reply shows every value as unknown and builds nothing.
        w.win.PwrsysProcess(replaced(pwrsysIdle, "System SOH", "Xyz"));
        QCOMPARE(w.labels(summaryNames), (QStringList{"State: --", "Present Num: --", "Total Voltage: -- V", "Total Current: -- A",
                                                      "Total SOC: -- %", "Total SOH: -- %"}));
        QCOMPARE(w.group->packButtons(), built);
        w.win.PwrsysProcess(replaced(pwrsysIdle, ": 3\n", ": ?\n"));
        QCOMPARE(w.label("PreNumLab"), QString("Present Num: --"));
        QCOMPARE(w.group->packButtons().size(), 0);
        QCOMPARE(w.boxes.count(), 0);
    }

    void windowTables()
    {
        Window w;
        w.gauge(3)->setValue(55.0);
        // The second row lost a column: packs 1 and 3 land on gauges 1 and 2.
        w.win.PwrAlarmProcess(table(pwrHeader, {packRow1, packRow2Short, packRow3}), 3);
        QCOMPARE(QList<double>({w.gauge(1)->getValue(), w.gauge(2)->getValue(), w.gauge(3)->getValue()}), QList<double>({87, 91, 55}));
        QCOMPARE(w.gauge(2)->getBorderColorStart(), theme);
        QCOMPARE(w.gauge(3)->getBorderColorStart(), idle);
        const QString alarm = w.alarmText();
        QCOMPARE(alarm.trimmed(), QString("TempState: bat3 HighTemp\nAlarmTime: bat3 22-05-02 11:00:00"));
        // Fewer rows than packs present: alarm text and gauges stay as they are.
        w.win.PwrAlarmProcess(table(pwrHeader, {replaced(packRow1, "87%", "5%")}), 3);
        QCOMPARE(w.alarmText(), alarm);
        QCOMPARE(w.gauge(1)->getValue(), 87.0);

        // A balance table of the wrong length changes nothing.
        w.win.BalanceProcess(table("@\nbalance\n", {"1     0", "2     1", "3     0"}), 3);
        w.win.BalanceProcess(table("@\nbalance\n", {"1     1", "2     0"}), 3);
        QVERIFY(w.lit("Bat2RadBtn") && !w.lit("Bat1RadBtn"));
    }

    void windowSinglePack()
    {
        Window w;
        const QStringList names{"BattIdLab", "SOCLab", "SOHLab", "CurrLab", "TempLab", "BasStaLab", "SysDefaultLab"};
        w.win.currBatNum = 3;
        w.win.PwrSigleProcess(pwrSingleText);
        QCOMPARE(w.labels(names), (QStringList{"3", "SOC: 87 %", "SOH: 98 %", "Current: -0.41 A", QString::fromUtf8("Temp: 25 ℃"),
                                               "Basic Status: Normal", "System Fault: Normal"}));
        QCOMPARE(w.gauge(3)->getValue(), 87.0);
        QCOMPARE(w.gauge(3)->getBorderColorStart(), theme);
        // A SOC that is not a number: "--" in the view, the gauge left alone.
        w.win.PwrSigleProcess(replaced(pwrSingleText, "87         %", "full %"));
        QCOMPARE(w.label("SOCLab"), QString("SOC: -- %"));
        w.win.PwrSigleProcess(replaced(pwrSingleText, "System Fault", "Xyz"));
        QCOMPARE(w.labels(names), (QStringList{"", "SOC: -- %", "SOH: -- %", "Current: -- A", QString::fromUtf8("Temp: -- ℃"),
                                               "Basic Status: --", "System Fault: --"}));
        QCOMPARE(w.gauge(3)->getValue(), 87.0);
        // Only packs 1 to 16 have a gauge.
        for (int pack : {0, 17, 16})
            w.win.BatterySocChange(pack, 50);
        for (int k = 1; k <= 16; ++k)
            QCOMPARE(w.gauge(k)->getValue(), k == 3 ? 87.0 : k == 16 ? 50.0 : 0.0);
    }

    void windowCells()
    {
        Window w;
        const QStringList names{"MaxVolLab", "MinVolLab", "MaxVoltdLab", "MinVoltIdLab", "SOCLab", "CapaLab"};
        w.detail->SetCellNumber(3);
        w.win.BatProcess(table(batHead, {cell11(0, 3281, 87, 87000), cell11(1, 3279, 86, 86500), cell11(2, 3290, 88, 88100)}), 3);
        w.detail->SetBasicMess();
        w.detail->CreatCellCharts();
        QCOMPARE(w.labels(names), (QStringList{"Max Voltage: 3.29 V", "Min Voltage: 3.279 V", "Max Vol ID: 3", "Min Vol ID: 2",
                                               "SOC: 86 %", "Capacity: 86 AH"}));
        // A table of another length: figures unknown, the cells shown before stay.
        w.win.BatProcess(table(batHead, {cell11(0, 3000), cell11(1, 3000)}), 3);
        w.detail->SetBasicMess();
        w.detail->CreatCellCharts();
        QCOMPARE(w.labels(names), (QStringList{"Max Voltage: -- V", "Min Voltage: -- V", "Max Vol ID: --", "Min Vol ID: --",
                                               "SOC: -- %", "Capacity: -- AH"}));
        QCOMPARE(w.win.findChild<QTableView*>("cellTableView")->model()->index(0, 1).data().toString(), QString("3.281"));
    }

    // After a whole reply: what the next one leaves in the information box.
    void windowInfo()
    {
        Window w;
        w.win.InfoProcess(infoReply(standard));
        w.win.InfoProcess(infoReply(with("Device name"))); // whole, but the model is no longer known
        QCOMPARE(w.labels(infoNames), identity);
        QCOMPARE(w.win.deviceModel, QString());
        w.win.InfoProcess(infoReply(standard));
        // A broken reply clears the identity but says nothing about the model.
        w.win.InfoProcess("@\ninfo 1\nTarget device is not present\n$$");
        QStringList unknown = identity;
        unknown.replaceInStrings(QRegularExpression(": .*"), ": --");
        QCOMPARE(w.labels(infoNames), unknown);
        QCOMPARE(w.detail->GetCellNumber(), NoValue::Int);
        QCOMPARE(w.win.deviceModel, QString("HVRACK-7720-KM"));
        QVERIFY(w.detail->findChild<QPushButton*>(QStringLiteral("AddBarBtn"))->isHidden());
    }
};

QTEST_MAIN(TestReplies)
#include "tst_replies.moc"
