// The overview's widgets as the operator sees them: the pack gauge's value, animation
// and fill; the group view's pack buttons, alarm text and indicators; the detail view's
// labels, cell chart and table; and the compiled-in images they are drawn with.

#include "battery.h"
#include "batterycell.h"
#include "batterygroup.h"
#include "batteryinfo.h"
#include "novalue.h"
#include "packrecord.h"

#include <QDirIterator>
#include <QHeaderView>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QStackedWidget>
#include <QTableView>
#include <QTextBrowser>
#include <QtCharts/QChartView>
#include <QtCharts/QLineSeries>
#include <QtCharts/QValueAxis>
#include <QtTest>

#include <cmath>

using namespace QtCharts;
Q_DECLARE_METATYPE(QList<PackRecord>)

namespace {

// Ticks the gauge's animation as its 50 ms timer would, at most `limit` times, without
// waiting on the clock; returns how many ticks it took.
int settle(Battery& gauge, int limit = 10000)
{
    int ticks = 0;
    for (const QTimer* t = gauge.findChild<QTimer*>(); t->isActive() && ticks < limit; ++ticks)
        QMetaObject::invokeMethod(&gauge, "updateValue", Qt::DirectConnection);
    return ticks;
}

// A "pwr" row: states in the order basic, volt, curr, temp, cell volt, cell temp;
// those not given are "Normal".
PackRecord pack(const QString& add, const QStringList& states = {}, const QString& time = "22-05-01 09:02:10")
{
    const auto state = [&](int i) { return states.value(i, QStringLiteral("Normal")); };
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

// Cells 0, 1, … at 3.281 V, 3.282 V, … with the given temperatures (24.0, 24.1, … when
// only a count is given); a reading the device garbled is garbled in both columns.
QList<BatteryCell> cells(QList<double> temps, int count = 0)
{
    for (int i = 0; i < count; ++i)
        temps << 24.0 + i * 0.1;
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

void feed(BatteryInfo& view, int cellNumber, const QList<BatteryCell>& list)
{
    view.SetCellNumber(cellNumber);
    view.SetBatterys(list);
    view.CreatCellCharts();
}

QChart* chart(const BatteryInfo& view) { return view.findChild<QChartView*>("cellLineChart")->chart(); }
QAbstractItemModel* table(const BatteryInfo& view) { return view.findChild<QTableView*>("cellTableView")->model(); }

QValueAxis* axis(const BatteryInfo& view, const QString& title)
{
    for (QAbstractAxis* a : chart(view)->axes())
        if (a->titleText() == title)
            return qobject_cast<QValueAxis*>(a);
    return nullptr;
}

QLineSeries* series(const BatteryInfo& view, const QString& name)
{
    for (QAbstractSeries* s : chart(view)->series())
        if (s->name() == name)
            return qobject_cast<QLineSeries*>(s);
    return nullptr;
}

// Whether the image, composited on the white page background as the operator sees it,
// shows more than anti-aliasing noise; a missing image shows nothing.
bool showsSomething(const QString& name)
{
    const QImage src(name);
    QImage seen(src.size(), QImage::Format_RGB32);
    seen.fill(Qt::white);
    QPainter(&seen).drawImage(0, 0, src);
    for (int y = 0; y < seen.height(); ++y)
        for (int x = 0; x < seen.width(); ++x) {
            const QRgb p = seen.pixel(x, y);
            if (std::min({qRed(p), qGreen(p), qBlue(p)}) < 255 - 48)
                return true;
        }
    return false;
}

} // namespace

class TestViews : public QObject
{
    Q_OBJECT

private slots:
    // The resources live in a static library; referencing their initialiser keeps the
    // linker from dropping them from this executable.
    void initTestCase() { Q_INIT_RESOURCE(cellvue); }

    // ---- the pack gauge ----

    // A script of v<value> and t<ticks> (T: until it rests; w: until it rests on its own timer);
    // then the target, the value drawn, the ticks each T took and the changes signalled.
    void gauge_data()
    {
        QTest::addColumn<QString>("script");
        QTest::addColumn<QString>("result");
        QTest::newRow("below the range equals the shown 0") << "v-5 T" << "0 0 0 0";
        QTest::newRow("no-value mark") << "v268435455 T" << "100 100 100 1";
        QTest::newRow("not a number") << "vnan T" << "0 0 0 0";
        QTest::newRow("same target again; a new one mid-way turns where the fill is; the timer draws")
            << "v80 T v80 v100 t10 v85 T v90 w" << "90 90 80,5 4";
    }

    void gauge()
    {
        QFETCH(QString, script);
        Battery gauge;
        QSignalSpy changed(&gauge, &Battery::valueChanged);
        QStringList ticks;
        for (const QString& op : script.split(' ')) {
            const double n = op.mid(1) == "nan" ? qQNaN() : op.mid(1).toDouble();
            if (op[0] == 'v')
                gauge.setValue(n);
            else if (op[0] == 't')
                settle(gauge, int(n));
            else if (op[0] == 'w')
                QTRY_COMPARE_WITH_TIMEOUT(gauge.getShownValue(), gauge.getValue(), 3000);
            else
                ticks << QString::number(settle(gauge));
        }
        settle(gauge);
        QTEST(QStringList({QString::number(gauge.getValue()), QString::number(gauge.getShownValue()), ticks.join(','),
                           QString::number(changed.count())}).join(' '), "result");
    }

    void gaugeFill_data()
    {
        QTest::addColumn<double>("to");
        QTest::addColumn<bool>("alarm");
        QTest::addColumn<int>("lastFilled"); // rightmost x well inside the fill

        // 150 x 80: the fill starts at x = 6 and takes 1.3 px per percent.
        QTest::newRow("30: alarm at the threshold") << 30.0 << true << 6 + 39 - 2;
        QTest::newRow("31: normal") << 31.0 << false << 6 + 40 - 2;
        QTest::newRow("full") << 100.0 << false << 6 + 130 - 2;
    }

    void gaugeFill()
    {
        QFETCH(double, to);
        QFETCH(bool, alarm);
        QFETCH(int, lastFilled);
        Battery gauge;
        gauge.resize(150, 80);
        gauge.setValue(to);
        settle(gauge);
        const QImage image = gauge.grab().toImage();
        const QColor inside = image.pixelColor(lastFilled, 12), beyond = image.pixelColor(lastFilled + 4, 12);
        const auto red = [](QColor c) { return c.red() > 170 && c.green() < 130 && c.blue() < 130; };
        const auto green = [](QColor c) { return c.green() > 150 && c.red() < 110; };
        QVERIFY2(alarm ? red(inside) : green(inside), qPrintable(inside.name()));
        QVERIFY2(to == 100 || (!red(beyond) && !green(beyond)), qPrintable(beyond.name()));
    }

    // ---- the group view ----

    void packButtons_data()
    {
        QTest::addColumn<int>("count");
        QTest::addColumn<double>("rate");
        QTest::addColumn<int>("built");
        QTest::newRow("16 packs") << 16 << 1.0 << 16;
        QTest::newRow("9 packs, 800 wide") << 9 << 800 / 1920.0 << 9;
        QTest::newRow("a garbled count stops at 16") << 2000000 << 1.0 << 16;
    }

    // Eight to a column, each with its own image, none cut off or covering another;
    // built twice over, nothing stays behind.
    void packButtons()
    {
        QFETCH(int, count);
        QFETCH(double, rate);
        BatteryGroup group;
        group.SetRate(rate, rate);
        group.SetPresentNum(count);
        group.SetGroupBattBtn();
        group.SetGroupBattBtn();
        group.show();
        QVERIFY(QTest::qWaitForWindowExposed(&group));
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);

        QWidget* area = group.findChild<QWidget*>("GroupBattBtnWid");
        QTEST(int(area->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly).size()), "built");
        const QList<QPushButton*> buttons = group.packButtons();
        QList<QRect> at;
        for (int i = 0; i < buttons.size(); ++i) {
            QPushButton* btn = buttons[i];
            at << QRect(btn->mapTo(&group, QPoint(0, 0)), btn->size());
            QVERIFY(btn->styleSheet().contains(QStringLiteral(":/icon/res/Bat%1.png)").arg(i + 1)));
            QTRY_COMPARE(btn->visibleRegion().boundingRect(), btn->rect());
            if (i % 8)
                QVERIFY(at[i].left() == at[i - 1].left() && at[i].top() > at[i - 1].bottom());
            else if (i)
                QVERIFY(at[i].left() > at[i - 8].right());
        }
    }

    // Only the first click of any 800 ms goes through; a click it turns away does not
    // make the wait longer.
    void packClicks()
    {
        BatteryGroup group;
        group.SetPresentNum(3);
        group.SetGroupBattBtn();
        group.show();
        QVERIFY(QTest::qWaitForWindowExposed(&group));
        QSignalSpy spy(&group, &BatteryGroup::GroupBattBtnClick);
        QPushButton* btn = group.findChild<QPushButton*>("batBtn2");
        const auto click = [&] {
            btn->click();
            return spy.isEmpty() ? QVariantList() : spy.takeFirst();
        };
        QCOMPARE(click(), (QVariantList{false, 2}));
        QTimer* guard = group.findChild<QTimer*>(QString(), Qt::FindDirectChildrenOnly);
        QVERIFY(guard && guard->isSingleShot() && guard->interval() == 800);
        QTest::qWait(100);
        QCOMPARE(click(), (QVariantList{true, 2}));
        QVERIFY(guard->remainingTime() < 750);
        QTRY_VERIFY(!guard->isActive());
        QCOMPARE(click(), (QVariantList{false, 2}));

        // The window answers a too-quick click with a modal warning; while it is open a
        // reply with a new pack count rebuilds the buttons under the clicked one.
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
        QTest::mouseClick(group.windowHandle(), Qt::LeftButton, Qt::NoModifier, btn->mapTo(&group, btn->rect().center()));
        QTRY_COMPARE(group.findChild<QWidget*>("GroupBattBtnWid")->findChildren<QPushButton*>().size(), 4);
    }

    void alarmText_data()
    {
        QTest::addColumn<QList<PackRecord>>("packs");
        QTest::addColumn<QString>("text");

        QTest::newRow("no time stamp") << QList<PackRecord>{pack("4", {"Normal", "Normal", "Normal", "OverTemp"}, "-- --")}
                                       << "TempState: bat4 OverTemp";
        QTest::newRow("normal, and a basic status other than SysError") << QList<PackRecord>{pack("1"), pack("2", {"Standby"})}
                                                                        << "";
        QTest::newRow("every state, then packs with one alarm and none")
            << QList<PackRecord>{pack("1", {"SysError", "OverVolt", "OverCurr", "LowTemp", "CellOV", "CellUT"}, "22-05-03 01:02:03"),
                                 pack("9", {"Normal", "normal"}), pack("10")}
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

    // Only the exact text "1" lights a pack, entries past the sixteenth are ignored, and
    // a click (as a real mouse does it) flips no read-out.
    void indicators()
    {
        BatteryGroup group;
        group.show();
        QVERIFY(QTest::qWaitForWindowExposed(&group));
        QStringList many;
        for (int i = 0; i < 20; ++i)
            many << (i % 2 ? "1" : " 1");
        group.SetBalanceList(many);
        group.SetBattGroupBalanceInfo();
        for (int i = 1; i <= 16; ++i)
            QCOMPARE(group.findChild<QRadioButton*>(QStringLiteral("Bat%1RadBtn").arg(i))->isChecked(), i % 2 == 0);
        for (const char* name : {"Bat1RadBtn", "CmosRadiBtn"}) {
            QRadioButton* indicator = group.findChild<QRadioButton*>(name);
            QTest::mouseClick(group.windowHandle(), Qt::LeftButton, Qt::NoModifier, indicator->mapTo(&group, indicator->rect().center()));
            QVERIFY2(!indicator->isChecked(), name);
        }
    }

    // ---- the detail view ----

    // The difference needs both extremes; what is left of float noise is not shown.
    void volDifference_data()
    {
        QTest::addColumn<double>("max");
        QTest::addColumn<double>("min");
        QTest::addColumn<QString>("shown");
        QTest::newRow("3.3 and 3.2") << 3.3 << 3.2 << "Vol Difference: 0.1 V";
        QTest::newRow("only the highest known") << 3.29 << NoValue::Double << "Vol Difference: -- V";
        QTest::newRow("only the lowest known") << NoValue::Double << 3.279 << "Vol Difference: -- V";
    }

    void volDifference()
    {
        QFETCH(double, max);
        QFETCH(double, min);
        BatteryInfo view;
        view.SetMaxVol(max);
        view.SetMinVol(min);
        view.SetBasicMess();
        QTEST(view.findChild<QLabel*>("VolDiffLab")->text(), "shown");
    }

    void cellChart_data()
    {
        QTest::addColumn<QList<double>>("temps");
        QTest::addColumn<double>("min");
        QTest::addColumn<double>("max");
        QTest::addColumn<int>("points");
        QTest::newRow("21.4 to 25.9") << QList<double>{23.0, 21.4, 25.9, 24.2} << 19.0 << 27.0 << 4;
        QTest::newRow("-3.5 to -1.0, highest starts at 0") << QList<double>{-1.0, -3.5, -2.2} << -5.0 << 2.0 << 3;
        QTest::newRow("non-finite readings left out") << QList<double>{qQNaN(), 22.3, qInf(), 24.0, -qInf()} << 20.0 << 26.0 << 2;
    }

    void cellChart()
    {
        QFETCH(QList<double>, temps);
        BatteryInfo view;
        feed(view, temps.size(), cells(temps));
        QValueAxis* tempAxis = axis(view, QStringLiteral("Temp(℃)"));
        QTEST(tempAxis->min(), "min");
        QTEST(tempAxis->max(), "max");
        QTEST(series(view, "Temp")->count(), "points");
        QVERIFY(series(view, "Temp")->attachedAxes().contains(tempAxis));
        // Cell 0 is drawn at 1; the cell axis runs over the cells.
        QCOMPARE(series(view, "Volt")->at(0).x(), std::isfinite(temps.first()) ? 1.0 : 2.0);
        QCOMPARE(axis(view, "Cell ID")->min(), 1.0);
        QCOMPARE(axis(view, "Cell ID")->max(), double(temps.size()));
    }

    // What the detail view keeps and what it drops as replies come and the port closes;
    // a redraw replaces the lines.
    void keptOrCleared()
    {
        BatteryInfo view;
        view.show();
        feed(view, 16, cells({}, 16));
        feed(view, 16, cells({}, 16));
        QCOMPARE(chart(view)->series().size(), 2);
        // An unknown cell count leaves the chart; the table follows the cells regardless.
        feed(view, NoValue::Int, cells({50.0}));
        QCOMPARE(series(view, "Volt")->count(), 16);
        QCOMPARE(table(view)->rowCount(), 1);
        QCOMPARE(table(view)->index(0, 2).data().toString(), QStringLiteral("50"));
        // A known count without cells draws nothing rather than the previous pack.
        feed(view, 16, {});
        QCOMPARE(chart(view)->series().size(), 0);
        QCOMPARE(table(view)->rowCount(), 0);

        // Behind a closed port every label is back to its bare caption and no cell is left.
        view.SetCurrBatNum(3);
        view.SetSOC(50);
        view.SetBasicMess();
        view.SetDeviceAdd("3");
        view.SetInfoMess();
        feed(view, 16, cells({}, 16));
        view.SetBatteryInfoInit();
        QStringList left;
        for (QLabel* label : view.findChildren<QLabel*>())
            if (!label->text().isEmpty() && !QRegularExpression("^( |[A-Z][A-Za-z ]*: )$").match(label->text()).hasMatch())
                left << label->objectName() + "=" + label->text();
        QCOMPARE(left, QStringList());
        QCOMPARE(view.GetCellNumber(), 0);
        QCOMPARE(chart(view)->series().size(), 0);
        QCOMPARE(table(view)->rowCount(), 0);
        // No pack behind a closed port to write a barcode to; the address stays for the poll.
        QVERIFY(!view.findChild<QPushButton*>("AddBarBtn")->isVisible());
        QCOMPARE(view.GetDeviceAdd(), QStringLiteral("3"));
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
        view.show();
        feed(view, cellNumber, cells({}, 3));
        QVERIFY(QTest::qWaitForWindowExposed(&view));
        QValueAxis* x = axis(view, "Cell ID");
        QVERIFY(x->min() < x->max());
        QVERIFY(x->tickType() == QValueAxis::TicksDynamic || x->tickCount() <= 32);
        QCOMPARE(table(view)->rowCount(), 1);
    }

    // Four cells to a row, each as id, volt and temperature; the page button switches
    // chart and table, and a refresh keeps the page chosen. The main window styles its
    // pages; the table's own dark header must still win.
    void cellTable()
    {
        const int count = 5, rows = 2;
        QWidget page;
        page.setObjectName("page");
        page.setStyleSheet("QWidget#page{background:#FFFFFF;}");
        auto* view = new BatteryInfo(&page);
        page.resize(1200, 500);
        view->resize(1200, 500);
        page.show();
        QVERIFY(QTest::qWaitForWindowExposed(&page));
        auto* stack = view->findChild<QStackedWidget*>("CellStackWid");
        view->findChild<QPushButton*>("ChangeBtn")->click();
        feed(*view, count, cells({}, count));
        QVERIFY(stack->currentWidget()->findChild<QTableView*>("cellTableView"));
        QAbstractItemModel* m = table(*view);
        QCOMPARE(m->rowCount(), rows);
        for (int i = 0; i < 4 * rows; ++i) {
            QStringList got;
            for (int c = 0; c < 3; ++c)
                got << m->index(i / 4, (i % 4) * 3 + c).data().toString();
            const QStringList want = i < count ? QStringList{QString::number(i + 1), QString::number(3.281 + i * 0.001, 'g', 6),
                                                             QString::number(24.0 + i * 0.1, 'g', 6)}
                                               : QStringList{"", "", ""};
            QCOMPARE(got, want);
        }
        auto* header = view->findChild<QTableView*>("cellTableView")->horizontalHeader();
        QTRY_VERIFY(header->isVisible());
        const QImage img = header->grab().toImage();
        QVERIFY(qGray(img.pixel(2, img.height() / 2)) < 128);
        view->findChild<QPushButton*>("ChangeBtn")->click();
        QVERIFY(stack->currentWidget()->findChild<QChartView*>("cellLineChart"));
    }

    // ---- the images ----

    // Every image a form or the code names loads and is not an empty canvas.
    void everyImageNamedLoads()
    {
        QSet<QString> names;
        const QRegularExpression ref(":/[\\w/]+\\.(png|jpg)");
        QDirIterator it(CELLVUE_SOURCE_DIR "/src", {"*.cpp", "*.ui"}, QDir::Files, QDirIterator::Subdirectories);
        while (it.hasNext()) {
            QFile f(it.next());
            QVERIFY(f.open(QIODevice::ReadOnly));
            for (auto m = ref.globalMatch(QString::fromUtf8(f.readAll())); m.hasNext();)
                names << m.next().captured();
        }
        for (int i = 1; i <= 16; ++i) // the pack buttons' names are made at run time
            names << QStringLiteral(":/icon/res/Bat%1.png").arg(i);
        QVERIFY2(names.size() > 60, qPrintable(QString::number(names.size())));
        for (const QString& name : qAsConst(names))
            QVERIFY2(showsSomething(name), qPrintable(name));
    }
};

QTEST_MAIN(TestViews)
#include "tst_views.moc"
