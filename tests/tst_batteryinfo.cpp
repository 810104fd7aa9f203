// The detail view as the operator sees it: labels read by object name after the
// setters and display operations, the cell chart's axes and lines, the cell table.

#include "batterycell.h"
#include "batteryinfo.h"
#include "msgbox.h"
#include "novalue.h"

#include <QAbstractItemModel>
#include <QGridLayout>
#include <QHeaderView>
#include <QImage>
#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QStackedWidget>
#include <QTableView>
#include <QtCharts/QChartView>
#include <QtCharts/QLegend>
#include <QtCharts/QLineSeries>
#include <QtCharts/QValueAxis>
#include <QtTest>

#include <functional>

using namespace QtCharts;

namespace {

QList<BatteryCell> makeCells(int count, double firstVolt = 3.281, double firstTemp = 24.0)
{
    QList<BatteryCell> cells;
    for (int i = 0; i < count; ++i) {
        BatteryCell c;
        c.SetBatteryId(i);
        c.SetVolt(firstVolt + i * 0.001);
        c.SetTemp(firstTemp + i * 0.1);
        cells.append(c);
    }
    return cells;
}

QList<BatteryCell> cellsWithTemps(const QList<double>& temps)
{
    QList<BatteryCell> cells;
    for (int i = 0; i < temps.size(); ++i) {
        BatteryCell c;
        c.SetBatteryId(i);
        c.SetVolt(3.3);
        c.SetTemp(temps.at(i));
        cells.append(c);
    }
    return cells;
}

using Setup = std::function<void(BatteryInfo&)>;

} // namespace

Q_DECLARE_METATYPE(Setup)

class TestBatteryInfo : public QObject
{
    Q_OBJECT

private:
    QString label(BatteryInfo& view, const char* name)
    {
        auto* lab = view.findChild<QLabel*>(QLatin1String(name));
        return lab ? lab->text() : QStringLiteral("<no label %1>").arg(QLatin1String(name));
    }
    QChart* chart(BatteryInfo& view) { return view.findChild<QChartView*>(QStringLiteral("cellLineChart"))->chart(); }
    QValueAxis* axisTitled(BatteryInfo& view, const QString& title)
    {
        for (QAbstractAxis* a : chart(view)->axes()) {
            if (a->titleText() == title)
                return qobject_cast<QValueAxis*>(a);
        }
        return nullptr;
    }
    QAbstractItemModel* table(BatteryInfo& view)
    {
        return view.findChild<QTableView*>(QStringLiteral("cellTableView"))->model();
    }
    QString cellText(BatteryInfo& view, int row, int column)
    {
        return table(view)->index(row, column).data().toString();
    }
    QLineSeries* series(BatteryInfo& view, const QString& name)
    {
        for (QAbstractSeries* s : chart(view)->series()) {
            if (s->name() == name)
                return qobject_cast<QLineSeries*>(s);
        }
        return nullptr;
    }

private slots:
    void init() { MsgBox::setHandler({}); }

    void captionsBeforeData()
    {
        BatteryInfo view;
        QCOMPARE(label(view, "SOCLab"), QStringLiteral("SOC:"));
        QCOMPARE(label(view, "VolDiffLab"), QStringLiteral("Vol Difference:"));
        QCOMPARE(label(view, "MaxVoltdLab"), QStringLiteral("Max Vol ID:"));
        QCOMPARE(label(view, "AddLab"), QStringLiteral("Device Address:"));
        QCOMPARE(label(view, "MaxChargeLab"), QStringLiteral("Max Charge Current:"));
        QCOMPARE(label(view, "BattIdLab"), QString());
        QVERIFY(view.findChild<QPushButton*>(QStringLiteral("AddBarBtn"))->isHidden());
        QCOMPARE(view.findChild<QStackedWidget*>(QStringLiteral("CellStackWid"))->currentIndex(), 0);
        QCOMPARE(view.GetCellNumber(), 0);
    }

    void basicLabels_data()
    {
        QTest::addColumn<Setup>("setup");
        QTest::addColumn<QString>("labelName");
        QTest::addColumn<QString>("expected");

        const double none = NoValue::Double;
        const int noneInt = NoValue::Int;
        auto row = [](const char* tag, Setup s, const char* lab, const QString& text) {
            QTest::newRow(tag) << s << QString::fromLatin1(lab) << text;
        };
        row("soc known", [](BatteryInfo& v) { v.SetSOC(87); }, "SOCLab", "SOC: 87 %");
        row("soc zero", [](BatteryInfo& v) { v.SetSOC(0); }, "SOCLab", "SOC: 0 %");
        row("soc none", [=](BatteryInfo& v) { v.SetSOC(noneInt); }, "SOCLab", "SOC: -- %");
        row("soh %g", [](BatteryInfo& v) { v.SetSOH(98.0 / 100.0 * 100.0); }, "SOHLab", "SOH: 98 %");
        row("soh fraction", [](BatteryInfo& v) { v.SetSOH(97.333333333); }, "SOHLab", "SOH: 97.3333 %");
        row("soh none", [=](BatteryInfo& v) { v.SetSOH(none); }, "SOHLab", "SOH: -- %");
        row("capacity", [](BatteryInfo& v) { v.SetAllCoulomb(87); }, "CapaLab", "Capacity: 87 AH");
        row("capacity none", [=](BatteryInfo& v) { v.SetAllCoulomb(none); }, "CapaLab", "Capacity: -- AH");
        row("current negative", [](BatteryInfo& v) { v.SetCurrent(-0.41); }, "CurrLab", "Current: -0.41 A");
        row("current none", [=](BatteryInfo& v) { v.SetCurrent(none); }, "CurrLab", "Current: -- A");
        row("temp", [](BatteryInfo& v) { v.SetEnviornmentTemp(25.125); }, "TempLab", "Temp: 25.125 ℃");
        row("temp none", [=](BatteryInfo& v) { v.SetEnviornmentTemp(none); }, "TempLab", "Temp: -- ℃");
        row("max volt", [](BatteryInfo& v) { v.SetMaxVol(3.29); }, "MaxVolLab", "Max Voltage: 3.29 V");
        row("max volt none", [=](BatteryInfo& v) { v.SetMaxVol(none); }, "MaxVolLab", "Max Voltage: -- V");
        row("min volt", [](BatteryInfo& v) { v.SetMinVol(3.279); }, "MinVolLab", "Min Voltage: 3.279 V");
        row("min volt none", [=](BatteryInfo& v) { v.SetMinVol(none); }, "MinVolLab", "Min Voltage: -- V");
        row("difference", [](BatteryInfo& v) { v.SetMaxVol(3.29); v.SetMinVol(3.279); },
            "VolDiffLab", "Vol Difference: 0.011 V");
        row("difference max unknown", [=](BatteryInfo& v) { v.SetMaxVol(none); v.SetMinVol(3.279); },
            "VolDiffLab", "Vol Difference: -- V");
        row("difference min unknown", [=](BatteryInfo& v) { v.SetMaxVol(3.29); v.SetMinVol(none); },
            "VolDiffLab", "Vol Difference: -- V");
        row("max id 0 shown as 1", [](BatteryInfo& v) { v.SetMaxVolid(0); }, "MaxVoltdLab", "Max Vol ID: 1");
        row("max id 15", [](BatteryInfo& v) { v.SetMaxVolid(15); }, "MaxVoltdLab", "Max Vol ID: 16");
        row("max id none", [=](BatteryInfo& v) { v.SetMaxVolid(noneInt); }, "MaxVoltdLab", "Max Vol ID: --");
        row("min id 1 shown as 2", [](BatteryInfo& v) { v.SetMinVolid(1); }, "MinVoltIdLab", "Min Vol ID: 2");
        row("min id none", [=](BatteryInfo& v) { v.SetMinVolid(noneInt); }, "MinVoltIdLab", "Min Vol ID: --");
        row("basic status", [](BatteryInfo& v) { v.SetBasicStatus("Normal"); }, "BasStaLab", "Basic Status: Normal");
        row("basic status empty", [](BatteryInfo& v) { v.SetBasicStatus(""); }, "BasStaLab", "Basic Status: --");
        row("fault", [](BatteryInfo& v) { v.SetSysDefault("OverTemp"); }, "SysDefaultLab", "System Fault: OverTemp");
        row("fault empty", [](BatteryInfo& v) { v.SetSysDefault(""); }, "SysDefaultLab", "System Fault: --");
    }

    void basicLabels()
    {
        QFETCH(Setup, setup);
        QFETCH(QString, labelName);
        QFETCH(QString, expected);
        BatteryInfo view;
        setup(view);
        view.SetBasicMess();
        QCOMPARE(label(view, labelName.toLatin1().constData()), expected);
    }

    void packNumber_data()
    {
        QTest::addColumn<int>("number");
        QTest::addColumn<QString>("expected");
        QTest::newRow("pack 3") << 3 << "3";
        QTest::newRow("pack 16") << 16 << "16";
        QTest::newRow("unknown") << NoValue::Int << "";
    }

    void packNumber()
    {
        QFETCH(int, number);
        QFETCH(QString, expected);
        BatteryInfo view;
        view.SetCurrBatNum(7);
        view.SetCurrBatNum(number);
        QCOMPARE(label(view, "BattIdLab"), expected);
    }

    void infoLabels()
    {
        BatteryInfo view;
        view.SetDeviceAdd("1");
        view.SetBootVersion("V1.0.2");
        view.SetMainVersion("V2.3.1");
        view.SetComVersion("V1.2");
        view.SetRelaseDate("2021-05-17");
        view.SetBarcode("ABCD2021E0561234");
        view.SetSpecification("51.2V100AH");
        view.SetCellNumber(16);
        view.SetMaxChargeCurr("100A");
        view.SetInfoMess();
        QCOMPARE(label(view, "AddLab"), QStringLiteral("Device Address: 1"));
        QCOMPARE(label(view, "BootLab"), QStringLiteral("Boot Version: V1.0.2"));
        QCOMPARE(label(view, "SoftVerLab"), QStringLiteral("Main Soft Version: V2.3.1"));
        QCOMPARE(label(view, "CommVerLab"), QStringLiteral("Comm Version: V1.2"));
        QCOMPARE(label(view, "ReleaLab"), QStringLiteral("Release Date: 2021-05-17"));
        QCOMPARE(label(view, "BarcodeLab"), QStringLiteral("Barcode: ABCD2021E0561234"));
        QCOMPARE(label(view, "SpeciLab"), QStringLiteral("Specification: 51.2V100AH"));
        QCOMPARE(label(view, "CellNumLab"), QStringLiteral("Cell Number: 16"));
        QCOMPARE(label(view, "MaxChargeLab"), QStringLiteral("Max Charge Current: 100A"));

        // Everything unknown: the "--" form of every line.
        for (auto set : {&BatteryInfo::SetDeviceAdd, &BatteryInfo::SetBootVersion, &BatteryInfo::SetMainVersion,
                         &BatteryInfo::SetComVersion, &BatteryInfo::SetRelaseDate, &BatteryInfo::SetBarcode,
                         &BatteryInfo::SetSpecification, &BatteryInfo::SetMaxChargeCurr})
            (view.*set)(QString());
        view.SetCellNumber(NoValue::Int);
        view.SetInfoMess();
        QCOMPARE(label(view, "AddLab"), QStringLiteral("Device Address: --"));
        QCOMPARE(label(view, "BootLab"), QStringLiteral("Boot Version: --"));
        QCOMPARE(label(view, "SoftVerLab"), QStringLiteral("Main Soft Version: --"));
        QCOMPARE(label(view, "CommVerLab"), QStringLiteral("Comm Version: --"));
        QCOMPARE(label(view, "ReleaLab"), QStringLiteral("Release Date: --"));
        QCOMPARE(label(view, "BarcodeLab"), QStringLiteral("Barcode: --"));
        QCOMPARE(label(view, "SpeciLab"), QStringLiteral("Specification: --"));
        QCOMPARE(label(view, "CellNumLab"), QStringLiteral("Cell Number: --"));
        QCOMPARE(label(view, "MaxChargeLab"), QStringLiteral("Max Charge Current: --"));
    }

    void addBarcodeButton_data()
    {
        QTest::addColumn<QString>("address");
        QTest::addColumn<QString>("barcode");
        QTest::addColumn<bool>("shown");
        QTest::newRow("barcode present, address empty") << "" << "ABCD2021E0561234" << false;
        QTest::newRow("barcode present, address known") << "2" << "ABCD2021E0561234" << false;
        QTest::newRow("barcode empty, address known") << "2" << "" << true;
        QTest::newRow("barcode empty, address empty") << "" << "" << false;
    }

    void addBarcodeButton()
    {
        QFETCH(QString, address);
        QFETCH(QString, barcode);
        QFETCH(bool, shown);
        BatteryInfo view;
        view.show();
        // Start from the opposite state so a view that never touches the button fails.
        view.SetDeviceAdd(shown ? QString() : QStringLiteral("2"));
        view.SetBarcode(QString());
        view.SetInfoMess();
        view.SetDeviceAdd(address);
        view.SetBarcode(barcode);
        view.SetInfoMess();
        QCOMPARE(view.findChild<QPushButton*>(QStringLiteral("AddBarBtn"))->isVisible(), shown);
    }

    void addBarcodeEntry_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QStringList>("emitted");
        QTest::addColumn<int>("boxes");
        QTest::newRow("16 characters") << "ABCD2021E0561234" << QStringList{"ABCD2021E0561234"} << 0;
        QTest::newRow("leading blank counts") << " BCD2021E0561234" << QStringList{" BCD2021E0561234"} << 0;
        QTest::newRow("nothing typed") << "" << QStringList{} << 0;
        QTest::newRow("too short") << "SHORT" << QStringList{} << 1;
        QTest::newRow("17 characters") << "ABCD2021E05612345" << QStringList{} << 1;
    }

    void addBarcodeEntry()
    {
        QFETCH(QString, typed);
        QFETCH(QStringList, emitted);
        QFETCH(int, boxes);
        BatteryInfo view;
        QList<MsgBox::Request> requests;
        MsgBox::setHandler([&](const MsgBox::Request& r) {
            requests.append(r);
            MsgBox::Answer a;
            a.text = typed;
            a.button = QMessageBox::Ok;
            return a;
        });
        QSignalSpy spy(&view, &BatteryInfo::MissBarcode);
        view.findChild<QPushButton*>(QStringLiteral("AddBarBtn"))->click();
        MsgBox::setHandler({});

        QStringList got;
        for (const auto& args : spy)
            got << args.at(0).toString();
        QCOMPARE(got, emitted);
        QCOMPARE(requests.size(), 1 + boxes);
        QCOMPARE(requests.first().kind, MsgBox::Kind::Input);
        QCOMPARE(requests.first().title, QStringLiteral("Add Barcode"));
        if (boxes)
            QCOMPARE(requests.last().text, QStringLiteral("The Barcode length does not meet requirement!"));
    }

    void temperatureAxis_data()
    {
        QTest::addColumn<QList<double>>("temps");
        QTest::addColumn<double>("min");
        QTest::addColumn<double>("max");
        QTest::newRow("21.4 to 25.9") << QList<double>{23.0, 21.4, 25.9, 24.2} << 19.0 << 27.0;
        QTest::newRow("-3.5 to -1.0, highest starts at 0") << QList<double>{-1.0, -3.5, -2.2} << -5.0 << 2.0;
        QTest::newRow("first cell coldest") << QList<double>{10.0, 30.0} << 8.0 << 32.0;
        QTest::newRow("around zero") << QList<double>{0.5, -0.5} << -2.0 << 2.0;
    }

    void temperatureAxis()
    {
        QFETCH(QList<double>, temps);
        QFETCH(double, min);
        QFETCH(double, max);
        BatteryInfo view;
        view.SetCellNumber(temps.size());
        view.SetBatterys(cellsWithTemps(temps));
        view.CreatCellCharts();
        QValueAxis* axis = axisTitled(view, QStringLiteral("Temp(℃)"));
        QVERIFY(axis);
        QCOMPARE(axis->min(), min);
        QCOMPARE(axis->max(), max);
        QCOMPARE(axis->tickCount(), 9);
        QCOMPARE(axis->alignment(), Qt::AlignRight);
    }

    void chartLines()
    {
        BatteryInfo view;
        view.SetCellNumber(16);
        view.SetBatterys(makeCells(16));
        view.CreatCellCharts();

        QCOMPARE(chart(view)->series().size(), 2);
        QLineSeries* volt = series(view, QStringLiteral("Volt"));
        QLineSeries* temp = series(view, QStringLiteral("Temp"));
        QVERIFY(volt && temp);
        QCOMPARE(volt->count(), 16);
        QCOMPARE(volt->at(0), QPointF(1, 3.281)); // cell 0 is drawn at 1
        QCOMPARE(volt->at(15).x(), 16.0);
        QCOMPARE(temp->at(4), QPointF(5, 24.4));
        QVERIFY(volt->pointsVisible());

        QValueAxis* x = axisTitled(view, QStringLiteral("Cell ID"));
        QCOMPARE(x->min(), 1.0);
        QCOMPARE(x->max(), 16.0);
        QCOMPARE(x->tickCount(), 16);
        QCOMPARE(x->labelFormat(), QStringLiteral("%d"));
        QValueAxis* v = axisTitled(view, QStringLiteral("Volt(V)"));
        QCOMPARE(v->min(), 2.4);
        QCOMPARE(v->max(), 4.0);
        QCOMPARE(v->tickCount(), 9);
        QCOMPARE(v->labelFormat(), QStringLiteral("%.1f "));
        QVERIFY(volt->attachedAxes().contains(v));
        QVERIFY(temp->attachedAxes().contains(axisTitled(view, QStringLiteral("Temp(℃)"))));

        // A refresh replaces the lines rather than adding to them.
        view.CreatCellCharts();
        QCOMPARE(chart(view)->series().size(), 2);
    }

    void unknownCellCountLeavesChart()
    {
        BatteryInfo view;
        view.SetCellNumber(16);
        view.SetBatterys(makeCells(16));
        view.CreatCellCharts();
        view.SetCellNumber(NoValue::Int);
        view.SetBatterys(makeCells(4, 3.0, 50.0));
        view.CreatCellCharts();
        QCOMPARE(series(view, QStringLiteral("Volt"))->count(), 16);
        QCOMPARE(axisTitled(view, QStringLiteral("Cell ID"))->max(), 16.0);
        // The table follows the cell list regardless.
        QCOMPARE(table(view)->rowCount(), 1);
        QCOMPARE(cellText(view, 0, 2), QStringLiteral("50"));
    }

    void knownCountWithoutCells()
    {
        BatteryInfo view;
        view.SetCellNumber(16);
        view.SetBatterys(makeCells(16));
        view.CreatCellCharts();
        view.SetBatterys({});
        view.CreatCellCharts();
        QCOMPARE(chart(view)->series().size(), 0);
        QCOMPARE(table(view)->rowCount(), 0);
    }

    void garbledCellCount_data()
    {
        QTest::addColumn<int>("cellNumber");
        QTest::newRow("one cell") << 1;
        QTest::newRow("huge") << 100000;
        QTest::newRow("negative") << -3;
    }

    void garbledCellCount()
    {
        QFETCH(int, cellNumber);
        BatteryInfo view;
        view.resize(1200, 500);
        view.show();
        view.SetCellNumber(cellNumber);
        view.SetBatterys(makeCells(3));
        view.CreatCellCharts();
        QVERIFY(QTest::qWaitForWindowExposed(&view));
        QValueAxis* x = axisTitled(view, QStringLiteral("Cell ID"));
        QVERIFY(x->min() < x->max());
        QVERIFY(x->tickType() == QValueAxis::TicksDynamic || x->tickCount() <= 32);
        QCOMPARE(table(view)->rowCount(), 1);
    }

    void tableLayout_data()
    {
        QTest::addColumn<int>("cells");
        QTest::addColumn<int>("rows");
        QTest::newRow("16 cells") << 16 << 4;
        QTest::newRow("15 cells") << 15 << 4;
        QTest::newRow("5 cells") << 5 << 2;
        QTest::newRow("4 cells") << 4 << 1;
    }

    void tableLayout()
    {
        QFETCH(int, cells);
        QFETCH(int, rows);
        BatteryInfo view;
        view.SetCellNumber(cells);
        view.SetBatterys(makeCells(cells));
        view.CreatCellCharts();
        QAbstractItemModel* m = table(view);
        QCOMPARE(m->columnCount(), 12);
        QCOMPARE(m->rowCount(), rows);
        for (int i = 0; i < cells; ++i) {
            const int row = i / 4;
            const int col = (i % 4) * 3;
            QCOMPARE(cellText(view, row, col), QString::number(i + 1));
            QCOMPARE(cellText(view, row, col + 1), QString::number(3.281 + i * 0.001, 'g', 6));
            QCOMPARE(cellText(view, row, col + 2), QString::number(24.0 + i * 0.1, 'g', 6));
            QCOMPARE(m->index(row, col).data(Qt::TextAlignmentRole).toInt(), int(Qt::AlignCenter));
        }
        // Columns past the last cell stay empty.
        const int used = cells % 4 ? (cells % 4) * 3 : 12;
        for (int col = used; col < 12; ++col)
            QVERIFY(!m->index(rows - 1, col).data().isValid());
        QCOMPARE(m->headerData(0, Qt::Horizontal).toString(), QStringLiteral("Cell Id"));
        QCOMPARE(m->headerData(10, Qt::Horizontal).toString(), QStringLiteral("Volt(V)"));
        QCOMPARE(m->headerData(11, Qt::Horizontal).toString(), QStringLiteral("Temp(℃)"));
    }

    void chartTableSwitch()
    {
        BatteryInfo view;
        auto* stack = view.findChild<QStackedWidget*>(QStringLiteral("CellStackWid"));
        auto* btn = view.findChild<QPushButton*>(QStringLiteral("ChangeBtn"));
        QCOMPARE(stack->currentIndex(), 0);
        btn->click();
        QCOMPARE(stack->currentWidget()->findChild<QTableView*>(QStringLiteral("cellTableView")) != nullptr, true);
        // A data refresh keeps the chosen page.
        view.SetCellNumber(4);
        view.SetBatterys(makeCells(4));
        view.CreatCellCharts();
        QCOMPARE(stack->currentIndex(), 1);
        btn->click();
        QCOMPARE(stack->currentIndex(), 0);
        QVERIFY(stack->currentWidget()->findChild<QChartView*>(QStringLiteral("cellLineChart")));
    }

    void tableHeaderLook()
    {
        // The main window styles its pages; the table's own dark header must still win.
        QWidget page;
        page.setStyleSheet(QStringLiteral("QWidget#page{background:#FFFFFF;}"));
        page.setObjectName(QStringLiteral("page"));
        auto* view = new BatteryInfo(&page);
        page.resize(1200, 500);
        view->resize(1200, 500);
        page.show();
        QVERIFY(QTest::qWaitForWindowExposed(&page));
        view->findChild<QPushButton*>(QStringLiteral("ChangeBtn"))->click();
        auto* header = view->findChild<QTableView*>(QStringLiteral("cellTableView"))->horizontalHeader();
        QTRY_VERIFY(header->isVisible());
        const QImage img = header->grab().toImage();
        const QRgb px = img.pixel(2, img.height() / 2);
        QVERIFY2(qGray(px) < 128, qPrintable(QStringLiteral("header pixel %1").arg(px, 8, 16)));
    }

    void cellInit()
    {
        BatteryInfo view;
        view.SetCellNumber(16);
        view.SetBatterys(makeCells(16));
        view.CreatCellCharts();
        view.SetCellInit();
        QCOMPARE(chart(view)->series().size(), 0);
        QCOMPARE(table(view)->rowCount(), 0);
        QCOMPARE(table(view)->columnCount(), 12);
    }

    void pageReset()
    {
        BatteryInfo view;
        view.show();
        view.SetCurrBatNum(3);
        view.SetSOC(50);
        view.SetMaxVol(3.3);
        view.SetBasicMess();
        view.SetDeviceAdd("3");
        view.SetCellNumber(16);
        view.SetBatterys(makeCells(16));
        view.SetInfoMess();
        view.CreatCellCharts();

        view.SetBatteryInfoInit();
        QCOMPARE(view.GetCellNumber(), 0);
        QCOMPARE(label(view, "BattIdLab"), QStringLiteral(" "));
        const QList<QPair<const char*, const char*>> expected{
            {"SOCLab", "SOC: "},
            {"SOHLab", "SOH: "},
            {"CapaLab", "Capacity: "},
            {"CurrLab", "Current: "},
            {"TempLab", "Temp: "},
            {"MaxVolLab", "Max Voltage: "},
            {"MinVolLab", "Min Voltage: "},
            {"VolDiffLab", "Vol Difference: "},
            {"MaxVoltdLab", "Max Vol ID: "},
            {"MinVoltIdLab", "Min Vol ID: "},
            {"BasStaLab", "Basic Status: "},
            {"SysDefaultLab", "System Fault: "},
            {"AddLab", "Device Address: "},
            {"BootLab", "Boot Version: "},
            {"BarcodeLab", "Barcode: "},
            {"SpeciLab", "Specification: "},
            {"SoftVerLab", "Main Soft Version: "},
            {"CommVerLab", "Comm Version: "},
            {"MaxChargeLab", "Max Charge Current: "},
            {"ReleaLab", "Release Date: "},
            {"CellNumLab", "Cell Number: "},
        };
        for (const auto& e : expected)
            QCOMPARE(label(view, e.first), QString::fromUtf8(e.second));
        QCOMPARE(chart(view)->series().size(), 0);
        QCOMPARE(table(view)->rowCount(), 0);
        // No pack behind a closed port to write a barcode to.
        QVERIFY(!view.findChild<QPushButton*>(QStringLiteral("AddBarBtn"))->isVisible());
        // The address survives the reset, as the poll decides by it.
        QCOMPARE(view.GetDeviceAdd(), QStringLiteral("3"));
    }

    void scaling_data()
    {
        QTest::addColumn<double>("widthRate");
        QTest::addColumn<double>("heightRate");
        QTest::addColumn<int>("titlePt");
        QTest::addColumn<int>("labelPt");
        QTest::addColumn<QList<int>>("stretch");
        QTest::newRow("1920x1080") << 1.0 << 1.0 << 12 << 9 << QList<int>{0, 1, 0};
        QTest::newRow("1440x870") << 0.75 << 870 / 1080.0 << 11 << 8 << QList<int>{0, 1, 0};
        QTest::newRow("1280x800") << 1280 / 1920.0 << 800 / 1080.0 << 10 << 7 << QList<int>{0, 1, 0};
        QTest::newRow("1024x768") << 1024 / 1920.0 << 0.703704 << 9 << 6 << QList<int>{2, 4, 2};
        QTest::newRow("800x600") << 800 / 1920.0 << 600 / 1080.0 << 8 << 5 << QList<int>{1, 4, 1};
    }

    void scaling()
    {
        QFETCH(double, widthRate);
        QFETCH(double, heightRate);
        QFETCH(int, titlePt);
        QFETCH(int, labelPt);
        QFETCH(QList<int>, stretch);
        BatteryInfo view;
        view.SetRate(widthRate, heightRate);
        QCOMPARE(chart(view)->titleFont().pointSize(), titlePt);
        for (QAbstractAxis* a : chart(view)->axes())
            QCOMPARE(a->labelsFont().pointSize(), labelPt);
        auto* grid = view.findChild<QGridLayout*>(QStringLiteral("gridLayout_7"));
        QVERIFY(grid);
        QCOMPARE((QList<int>{grid->rowStretch(0), grid->rowStretch(1), grid->rowStretch(2)}), stretch);
        QVERIFY(view.findChild<QTableView*>(QStringLiteral("cellTableView"))
                    ->styleSheet()
                    .contains(QStringLiteral("font:8pt 'Arial'")));
    }
};

QTEST_MAIN(TestBatteryInfo)
#include "tst_batteryinfo.moc"
