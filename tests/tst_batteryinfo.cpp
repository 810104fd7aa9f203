// The detail view as the operator sees it: labels read by object name after the
// setters and display operations, the cell chart's axes and lines, the cell table.

#include "batterycell.h"
#include "batteryinfo.h"
#include "novalue.h"

#include <QAbstractItemModel>
#include <QHeaderView>
#include <QImage>
#include <QLabel>
#include <QPushButton>
#include <QStackedWidget>
#include <QTableView>
#include <QtCharts/QChartView>
#include <QtCharts/QLineSeries>
#include <QtCharts/QValueAxis>
#include <QtTest>

#include <cmath>
#include <functional>

using namespace QtCharts;

namespace {

using Setup = std::function<void(BatteryInfo&)>;
const double none = NoValue::Double;

// Cells 0, 1, … at 3.281 V, 3.282 V, … with the given temperatures; a reading the
// device garbled is garbled in both columns.
QList<BatteryCell> cells(const QList<double>& temps)
{
    QList<BatteryCell> list;
    for (int i = 0; i < temps.size(); ++i) {
        BatteryCell c;
        c.SetBatteryId(i);
        c.SetVolt(std::isfinite(temps.at(i)) ? 3.281 + i * 0.001 : temps.at(i));
        c.SetTemp(temps.at(i));
        list.append(c);
    }
    return list;
}

QList<BatteryCell> cells(int count)
{
    QList<double> temps;
    for (int i = 0; i < count; ++i)
        temps << 24.0 + i * 0.1;
    return cells(temps);
}

void feed(BatteryInfo& view, int cellNumber, const QList<BatteryCell>& list)
{
    view.SetCellNumber(cellNumber);
    view.SetBatterys(list);
    view.CreatCellCharts();
}

// "Name=text" for every label named in `expected` ("Name=…"), read off the view.
QStringList shown(const QWidget& view, const QStringList& expected)
{
    QStringList got;
    for (const QString& e : expected) {
        const QString name = e.section('=', 0, 0);
        const QLabel* label = view.findChild<QLabel*>(name);
        got << name + '=' + (label ? label->text() : QStringLiteral("<missing>"));
    }
    return got;
}

// Every label of the view with nothing known.
const QStringList unknownLabels{ "BattIdLab=", "SOCLab=SOC: -- %", "SOHLab=SOH: -- %", "CapaLab=Capacity: -- AH",
                                 "CurrLab=Current: -- A", "TempLab=Temp: -- ℃", "MaxVolLab=Max Voltage: -- V",
                                 "MinVolLab=Min Voltage: -- V", "VolDiffLab=Vol Difference: -- V",
                                 "MaxVoltdLab=Max Vol ID: --", "MinVoltIdLab=Min Vol ID: --",
                                 "BasStaLab=Basic Status: --", "SysDefaultLab=System Fault: --",
                                 "AddLab=Device Address: --", "BootLab=Boot Version: --",
                                 "SoftVerLab=Main Soft Version: --", "CommVerLab=Comm Version: --",
                                 "ReleaLab=Release Date: --", "BarcodeLab=Barcode: --", "SpeciLab=Specification: --",
                                 "CellNumLab=Cell Number: --", "MaxChargeLab=Max Charge Current: --" };

QChart* chart(const BatteryInfo& view) { return view.findChild<QChartView*>("cellLineChart")->chart(); }
QAbstractItemModel* table(const BatteryInfo& view) { return view.findChild<QTableView*>("cellTableView")->model(); }
QPushButton* addBarcode(const BatteryInfo& view) { return view.findChild<QPushButton*>("AddBarBtn"); }

QValueAxis* axis(const BatteryInfo& view, const QString& title)
{
    for (QAbstractAxis* a : chart(view)->axes()) {
        if (a->titleText() == title)
            return qobject_cast<QValueAxis*>(a);
    }
    return nullptr;
}

QLineSeries* series(const BatteryInfo& view, const QString& name)
{
    for (QAbstractSeries* s : chart(view)->series()) {
        if (s->name() == name)
            return qobject_cast<QLineSeries*>(s);
    }
    return nullptr;
}

} // namespace

Q_DECLARE_METATYPE(Setup)

class TestBatteryInfo : public QObject
{
    Q_OBJECT

private slots:
    void labels_data()
    {
        QTest::addColumn<Setup>("setup");
        QTest::addColumn<QStringList>("expected");

        QTest::newRow("all known") << Setup([](BatteryInfo& v) {
            v.SetCurrBatNum(3);
            v.SetSOC(87);
            v.SetSOH(97.333333333);
            v.SetAllCoulomb(87);
            v.SetCurrent(-0.41);
            v.SetEnviornmentTemp(25.125);
            v.SetMaxVol(3.29);
            v.SetMinVol(3.279);
            v.SetMaxVolid(0);
            v.SetMinVolid(15);
            v.SetBasicStatus("Normal");
            v.SetSysDefault("OverTemp");
        }) << QStringList{ "BattIdLab=3", "SOCLab=SOC: 87 %", "SOHLab=SOH: 97.3333 %", "CapaLab=Capacity: 87 AH",
                           "CurrLab=Current: -0.41 A", "TempLab=Temp: 25.125 ℃", "MaxVolLab=Max Voltage: 3.29 V",
                           "MinVolLab=Min Voltage: 3.279 V", "VolDiffLab=Vol Difference: 0.011 V",
                           "MaxVoltdLab=Max Vol ID: 1", "MinVoltIdLab=Min Vol ID: 16",
                           "BasStaLab=Basic Status: Normal", "SysDefaultLab=System Fault: OverTemp" };
        QTest::newRow("nothing known") << Setup([](BatteryInfo& v) {
            v.SetCurrBatNum(7);
            v.SetCurrBatNum(NoValue::Int);
            v.SetSOC(NoValue::Int);
            v.SetSOH(none);
            v.SetAllCoulomb(none);
            v.SetCurrent(none);
            v.SetEnviornmentTemp(none);
            v.SetMaxVol(none);
            v.SetMinVol(none);
            v.SetMaxVolid(NoValue::Int);
            v.SetMinVolid(NoValue::Int);
            v.SetCellNumber(NoValue::Int);
        }) << unknownLabels;
        QTest::newRow("zero is a value, %g drops float noise") << Setup([](BatteryInfo& v) {
            v.SetSOC(0);
            v.SetSOH(98.0 / 100.0 * 100.0);
            v.SetMaxVol(3.3);
            v.SetMinVol(3.2);
        }) << QStringList{ "SOCLab=SOC: 0 %", "SOHLab=SOH: 98 %", "VolDiffLab=Vol Difference: 0.1 V" };
        QTest::newRow("only the highest known") << Setup([](BatteryInfo& v) { v.SetMaxVol(3.29); v.SetMinVol(none); })
                                                << QStringList{ "MaxVolLab=Max Voltage: 3.29 V", "VolDiffLab=Vol Difference: -- V" };
        QTest::newRow("only the lowest known") << Setup([](BatteryInfo& v) { v.SetMaxVol(none); v.SetMinVol(3.279); })
                                               << QStringList{ "MinVolLab=Min Voltage: 3.279 V", "VolDiffLab=Vol Difference: -- V" };
    }

    void labels()
    {
        QFETCH(Setup, setup);
        QFETCH(QStringList, expected);
        BatteryInfo view;
        setup(view);
        view.SetBasicMess();
        view.SetInfoMess();
        QCOMPARE(shown(view, expected), expected);
    }

    void addBarcodeButton_data()
    {
        QTest::addColumn<QString>("address");
        QTest::addColumn<QString>("barcode");
        QTest::addColumn<bool>("shown");
        QTest::newRow("barcode present") << "2" << "ABCD2021E0561234" << false;
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
        // From the opposite state, so a view that never touches the button fails.
        view.SetDeviceAdd(shown ? QString() : QStringLiteral("2"));
        view.SetInfoMess();
        view.SetDeviceAdd(address);
        view.SetBarcode(barcode);
        view.SetInfoMess();
        QCOMPARE(addBarcode(view)->isVisible(), shown);
    }

    void cellChart_data()
    {
        QTest::addColumn<QList<double>>("temps");
        QTest::addColumn<double>("min");
        QTest::addColumn<double>("max");
        QTest::addColumn<int>("points");
        QTest::newRow("21.4 to 25.9") << QList<double>{ 23.0, 21.4, 25.9, 24.2 } << 19.0 << 27.0 << 4;
        QTest::newRow("-3.5 to -1.0, highest starts at 0") << QList<double>{ -1.0, -3.5, -2.2 } << -5.0 << 2.0 << 3;
        QTest::newRow("non-finite readings left out")
            << QList<double>{ qQNaN(), 22.3, qInf(), 24.0, -qInf() } << 20.0 << 26.0 << 2;
    }

    void cellChart()
    {
        QFETCH(QList<double>, temps);
        BatteryInfo view;
        feed(view, temps.size(), cells(temps));
        QValueAxis* tempAxis = axis(view, QStringLiteral("Temp(℃)"));
        QTEST(tempAxis->min(), "min");
        QTEST(tempAxis->max(), "max");
        QLineSeries* volt = series(view, "Volt");
        QLineSeries* temp = series(view, "Temp");
        QTEST(volt->count(), "points");
        QTEST(temp->count(), "points");
        QVERIFY(temp->attachedAxes().contains(tempAxis));
        // Cell 0 is drawn at 1; the cell axis runs over the cells.
        QCOMPARE(volt->at(0).x(), std::isfinite(temps.first()) ? 1.0 : 2.0);
        QCOMPARE(axis(view, "Cell ID")->min(), 1.0);
        QCOMPARE(axis(view, "Cell ID")->max(), double(temps.size()));
    }

    void chartKeptOrCleared()
    {
        BatteryInfo view;
        feed(view, 16, cells(16));
        feed(view, 16, cells(16));
        QCOMPARE(chart(view)->series().size(), 2);
        // An unknown cell count leaves the chart; the table follows the cells regardless.
        feed(view, NoValue::Int, cells(QList<double>{ 50.0 }));
        QCOMPARE(series(view, "Volt")->count(), 16);
        QCOMPARE(table(view)->rowCount(), 1);
        QCOMPARE(table(view)->index(0, 2).data().toString(), QStringLiteral("50"));
        // A known count without cells draws nothing rather than the previous pack.
        feed(view, 16, {});
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
        feed(view, cellNumber, cells(3));
        QVERIFY(QTest::qWaitForWindowExposed(&view));
        QValueAxis* x = axis(view, "Cell ID");
        QVERIFY(x->min() < x->max());
        QVERIFY(x->tickType() == QValueAxis::TicksDynamic || x->tickCount() <= 32);
        QCOMPARE(table(view)->rowCount(), 1);
    }

    void cellTable_data()
    {
        QTest::addColumn<int>("count");
        QTest::addColumn<int>("rows");
        QTest::newRow("16 cells") << 16 << 4;
        QTest::newRow("15 cells") << 15 << 4;
        QTest::newRow("5 cells") << 5 << 2;
    }

    void cellTable()
    {
        QFETCH(int, count);
        QFETCH(int, rows);
        BatteryInfo view;
        feed(view, count, cells(count));
        QAbstractItemModel* m = table(view);
        QCOMPARE(m->rowCount(), rows);
        for (int i = 0; i < 4 * rows; ++i) {
            const int row = i / 4;
            const int col = (i % 4) * 3;
            const QStringList got{ m->index(row, col).data().toString(), m->index(row, col + 1).data().toString(),
                                   m->index(row, col + 2).data().toString() };
            const QStringList want = i < count ? QStringList{ QString::number(i + 1),
                                                              QString::number(3.281 + i * 0.001, 'g', 6),
                                                              QString::number(24.0 + i * 0.1, 'g', 6) }
                                               : QStringList{ "", "", "" };
            QCOMPARE(got, want);
        }
        QCOMPARE(m->headerData(11, Qt::Horizontal).toString(), QStringLiteral("Temp(℃)"));
    }

    void chartTableSwitch()
    {
        BatteryInfo view;
        auto* stack = view.findChild<QStackedWidget*>("CellStackWid");
        auto* btn = view.findChild<QPushButton*>("ChangeBtn");
        QVERIFY(stack->currentWidget()->findChild<QChartView*>("cellLineChart"));
        btn->click();
        QVERIFY(stack->currentWidget()->findChild<QTableView*>("cellTableView"));
        // A data refresh keeps the chosen page.
        feed(view, 4, cells(4));
        QVERIFY(stack->currentWidget()->findChild<QTableView*>("cellTableView"));
        btn->click();
        QVERIFY(stack->currentWidget()->findChild<QChartView*>("cellLineChart"));
    }

    void tableHeaderLook()
    {
        // The main window styles its pages; the table's own dark header must still win.
        QWidget page;
        page.setObjectName("page");
        page.setStyleSheet("QWidget#page{background:#FFFFFF;}");
        auto* view = new BatteryInfo(&page);
        page.resize(1200, 500);
        view->resize(1200, 500);
        page.show();
        QVERIFY(QTest::qWaitForWindowExposed(&page));
        view->findChild<QPushButton*>("ChangeBtn")->click();
        auto* header = view->findChild<QTableView*>("cellTableView")->horizontalHeader();
        QTRY_VERIFY(header->isVisible());
        const QImage img = header->grab().toImage();
        QVERIFY(qGray(img.pixel(2, img.height() / 2)) < 128);
    }

    void pageReset()
    {
        BatteryInfo view;
        view.show();
        view.SetCurrBatNum(3);
        view.SetSOC(50);
        view.SetBasicMess();
        view.SetDeviceAdd("3");
        view.SetInfoMess();
        feed(view, 16, cells(16));

        view.SetBatteryInfoInit();
        // Bare captions: the unknown texts up to their "--".
        QStringList expected = QStringList(unknownLabels).replaceInStrings(QRegularExpression("--.*"), "");
        expected.replaceInStrings(QRegularExpression("^BattIdLab=$"), "BattIdLab= ");
        QCOMPARE(shown(view, expected), expected);
        QCOMPARE(view.GetCellNumber(), 0);
        QCOMPARE(chart(view)->series().size(), 0);
        QCOMPARE(table(view)->rowCount(), 0);
        // No pack behind a closed port to write a barcode to; the address stays for the poll.
        QVERIFY(!addBarcode(view)->isVisible());
        QCOMPARE(view.GetDeviceAdd(), QStringLiteral("3"));
    }
};

QTEST_MAIN(TestBatteryInfo)
#include "tst_batteryinfo.moc"
