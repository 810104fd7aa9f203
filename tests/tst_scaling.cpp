// The window on the screens a technician's laptop has: the window and the fonts picked
// for each; every page inside the available area with a full 16-pack system on show
// and no text cut off; and the same area always giving the same window.

#include "bmsmainwin.h"
#include "boxrecorder.h"
#include "simconsole.h"

#include <QAbstractButton>
#include <QGridLayout>
#include <QHeaderView>
#include <QLabel>
#include <QStandardItemModel>
#include <QTableView>
#include <QToolButton>
#include <QtCharts/QChart>
#include <QtCharts/QChartView>
#include <QtCharts/QLineSeries>
#include <QtTest>

namespace {

QString reply(SimConsole& console, const char* command)
{
    QByteArray bytes;
    for (const SimConsole::Output& out : console.feed(QByteArray(command) + '\r'))
        bytes += out.bytes;
    return QString::fromLatin1(bytes);
}

// Everything the window ever shows at once, from a simulated 16-pack system: a polling
// cycle with pack 16 picked and the console unlocked, the protection table, the whole
// event history in the 17-column layout, and a minute of the real-time stream.
void showEverything(BMSMainWin& win)
{
    SimOptions options;
    options.packs = 16;
    options.model = QStringLiteral("HVRACK-7720-KM"); // the whole history in one reply
    options.eventMask = true;
    options.events = 45;
    SimConsole console(options);
    win.PwrsysProcess(reply(console, "pwrsys"));
    win.PwrAlarmProcess(reply(console, "pwr"), 16);
    win.BalanceProcess(reply(console, "balance"), 16);
    win.CtrlProcess(reply(console, "ctrl"));
    win.InfoProcess(reply(console, "info 16"));
    win.BatProcess(reply(console, "bat 16"), 16);
    win.PwrSigleProcess(reply(console, "pwr 16"));
    win.findChild<QWidget*>("SendDataBtn")->show();
    win.ConfigProcess(reply(console, "config"));
    win.portOpen = true; // a listing is only taken from an open port
    win.DataListEventProcess(reply(console, "datalist event 0"));
    win.portOpen = false; // and the stream drawn as after "RTData OFF", so every page opens
    win.DISPPWRSProcess(reply(console, "disp pwrs 16"));
    for (int second = 0; second < 60; ++second) {
        for (const SimConsole::Output& out : console.advance(1000))
            win.DISPPWRSProcess(QString::fromLatin1(out.bytes));
    }
}

// Every page in turn, opened with its own button: each widget the operator sees with
// its place and font, and in `faults` what does not fit: text cut off, a widget out
// of its parent or over a sibling, a chart or a table column squeezed below its text.
QStringList visiblePages(BMSMainWin& win, QStringList* faults = nullptr)
{
    QStringList lines, ignored;
    faults = faults ? faults : &ignored;
    // The overview twice: with the detail view's cell chart and with its cell table.
    const char* const buttons[] = {"SendDataBtn", "BasicBtn", "ChangeBtn", "RealBtn", "ConfigBtn", "HistoryBtn", "UpPageBtn"};
    for (int page = 0; page < 7; ++page) {
        win.findChild<QAbstractButton*>(buttons[page])->click();
        QCoreApplication::processEvents();
        const auto fault = [&](const QString& what) { *faults << QStringLiteral("page %1: ").arg(page) + what; };
        for (QWidget* w : win.findChildren<QWidget*>()) {
            if (!w->isVisible() || w->isWindow())
                continue;
            const QRect g = w->geometry();
            lines << QStringLiteral("%1 %2,%3 %4x%5 %6pt").arg(w->objectName()).arg(g.x()).arg(g.y())
                         .arg(g.width()).arg(g.height()).arg(w->font().pointSize());
            auto* label = qobject_cast<QLabel*>(w);
            auto* button = qobject_cast<QAbstractButton*>(w);
            const QString text = label ? label->text() : button ? button->text() : QString();
            const QSize need = w->fontMetrics().size(Qt::TextShowMnemonic, text);
            const bool fits = label && label->wordWrap() ? w->height() >= label->heightForWidth(w->width())
                                                         : w->width() >= need.width() && w->height() >= need.height();
            if (!text.trimmed().isEmpty() && !fits)
                fault(QStringLiteral("%1 \"%2\" cut off").arg(w->objectName(), text));
            // What a scroll area scrolls may lie outside its view; everything else
            // stays inside its parent and clear of its siblings.
            QWidget* parent = w->parentWidget();
            auto* area = qobject_cast<QAbstractScrollArea*>(parent->parentWidget());
            if (area && area->viewport() == parent)
                continue;
            if (!parent->rect().contains(g))
                fault(QStringLiteral("%1 out of %2").arg(w->objectName(), parent->objectName()));
            for (QObject* o : parent->children()) {
                auto* sibling = qobject_cast<QWidget*>(o);
                if (sibling && w < sibling && sibling->isVisible() && !sibling->isWindow()
                    && sibling->geometry().intersects(g))
                    fault(QStringLiteral("%1 over %2").arg(w->objectName(), sibling->objectName()));
            }
            if (auto* view = qobject_cast<QtCharts::QChartView*>(w)) {
                if (!QRectF(view->rect()).contains(view->chart()->geometry()))
                    fault(QStringLiteral("%1 squeezed").arg(view->objectName()));
            }
            if (auto* table = qobject_cast<QTableView*>(w)) {
                QHeaderView* header = table->horizontalHeader();
                for (int c = 0; c < table->model()->columnCount(); ++c) {
                    // A title within its border; a value as the table draws it.
                    int width = header->fontMetrics().horizontalAdvance(table->model()->headerData(c, Qt::Horizontal).toString()) + 2;
                    for (int r = 0; r < table->model()->rowCount(); ++r)
                        width = qMax(width, table->fontMetrics().horizontalAdvance(table->model()->index(r, c).data().toString()));
                    if (header->sectionSize(c) < width)
                        fault(QStringLiteral("%1 column %2 %3 < %4").arg(table->objectName()).arg(c).arg(header->sectionSize(c)).arg(width));
                }
            }
        }
    }
    win.findChild<QAbstractButton*>("ChangeBtn")->click(); // back to the chart
    return lines;
}

} // namespace

class TestScaling : public QObject
{
    Q_OBJECT

private slots:
    // For each available area: the window and the fonts its brackets give;
    // every page inside the area with a full system on show; the same area always giving
    // the same window.
    void everyScreen_data()
    {
        QTest::addColumn<QSize>("area");
        QTest::addColumn<QSize>("window");
        // widget font ("Arial" pt, 0: the form's own); chart title, legend, axis titles, cell chart
        // axis labels, real-time axis labels (the chart theme's above the brackets)
        QTest::addColumn<QList<int>>("fonts");
        QTest::addColumn<QList<int>>("rows");   // detail view row stretches: top, cells, switch
        // The least share of its own width the update guide is drawn at: whole where the
        // page has the room; 3/4 at 1024 pixels keeps its 14-pixel small print as large as
        // the 8-point text around it; 800 pixels leave no room for that.
        QTest::addColumn<double>("guide");
        QTest::newRow("1920x1080") << QSize(1920, 1080) << QSize(1920, 1000) << QList<int>{0, 12, 7, 11, 9, 12} << QList<int>{0, 1, 0} << 1.0;
        QTest::newRow("1920x1040") << QSize(1920, 1040) << QSize(1920, 962) << QList<int>{0, 12, 7, 11, 9, 12} << QList<int>{0, 1, 0} << 1.0;
        QTest::newRow("1440x870") << QSize(1440, 870) << QSize(1440, 805) << QList<int>{10, 11, 6, 10, 8, 8} << QList<int>{0, 1, 0} << 1.0;
        QTest::newRow("1366x728") << QSize(1366, 728) << QSize(1366, 674) << QList<int>{10, 11, 6, 10, 8, 8} << QList<int>{2, 4, 2} << 1.0;
        QTest::newRow("1280x680") << QSize(1280, 680) << QSize(1280, 629) << QList<int>{9, 10, 5, 9, 7, 7} << QList<int>{1, 4, 1} << 1.0;
        QTest::newRow("1024x728") << QSize(1024, 728) << QSize(1024, 674) << QList<int>{8, 9, 4, 8, 6, 6} << QList<int>{2, 4, 2} << 0.75;
        QTest::newRow("800x560") << QSize(800, 560) << QSize(800, 518) << QList<int>{7, 8, 3, 7, 5, 5} << QList<int>{1, 4, 1} << 0.55;
    }

    void everyScreen()
    {
        QFETCH(QSize, area);
        QFETCH(QSize, window);
        QFETCH(QList<int>, fonts);
        QFETCH(QList<int>, rows);
        QFETCH(double, guide);
        BoxRecorder boxes;
        BMSMainWin win;
        win.CurrTimeTimerOut(); // the clock's first tick widens its text by a blank
        const QRect available(QPoint(0, 0), area);
        win.show();
        QVERIFY(QTest::qWaitForWindowExposed(&win));
        showEverything(win);
        win.CurrTimeTimerOut(); // the clock's text from its first tick on, a space longer
        QVERIFY(win.configModel->rowCount() > 40 && win.eventModel->columnCount() == 17 && win.socSeries->count() > 60);
        visiblePages(win);
        win.OnDeskTopResize(available); // with every page laid out and filled
        QCOMPARE(win.size(), window);
        QVERIFY2(available.contains(QRect(QPoint(0, 0), win.minimumSize())),
                 qPrintable(QStringLiteral("the window needs %1x%2").arg(win.minimumWidth()).arg(win.minimumHeight())));
        // The window was scaled for the test screen (800 x 600) when it was built, so
        // above the brackets the form's fonts must have come back.
        for (const auto& own : QList<QPair<const char*, int>>{{"PortLab", 16}, {"SOCLab", 11}, {"StateLab", 14}, {"BalanWid", 10}})
            QCOMPARE(win.findChild<QWidget*>(own.first)->font().pointSize(), fonts[0] ? fonts[0] : own.second);
        // The charts follow every change of the screen; the real-time charts' hover tip is
        // as large as a chart title.
        const auto fontsOf = [&win](const char* view) {
            QtCharts::QChart* chart = win.findChild<QtCharts::QChartView*>(view)->chart();
            QList<int> sizes{chart->titleFont().pointSize(), chart->legend()->font().pointSize()};
            for (QtCharts::QAbstractAxis* axis : chart->axes())
                sizes << axis->titleFont().pointSize() << axis->labelsFont().pointSize();
            return sizes;
        };
        QCOMPARE(fontsOf("cellLineChart"), (fonts.mid(1, 2) << fonts.mid(3, 2) << fonts.mid(3, 2) << fonts.mid(3, 2)));
        QCOMPARE(fontsOf("TempCharView"), (QList<int>{fonts[1], fonts[2], fonts[3], fonts[5], fonts[3], fonts[5]}));
        QCOMPARE(win.findChild<QLabel*>("tipLab")->font().pointSize(), fonts[1]);
        auto* grid = win.findChild<QWidget*>("BattInfoWid")->findChild<QGridLayout*>("gridLayout_7");
        QCOMPARE((QList<int>{grid->rowStretch(0), grid->rowStretch(1), grid->rowStretch(2)}), rows);
        QStringList faults;
        const QStringList first = visiblePages(win, &faults);
        QVERIFY2(faults.isEmpty(), qPrintable(faults.join(QLatin1Char('\n'))));

        // The same area again (a taskbar shown and hidden), then a projector and back.
        win.OnDeskTopResize(available);
        QCOMPARE(visiblePages(win), first);
        win.OnDeskTopResize(QRect(0, 0, 800, 560));
        win.OnDeskTopResize(QRect(0, 0, 1920, 1080));
        win.OnDeskTopResize(available);
        // The update page, open all the while, shows its guide whole and large enough
        // to read.
        auto* picture = win.findChild<QToolButton*>("UpdateMessToolBtn");
        const QSize drawn = picture->icon().actualSize(picture->iconSize());
        QVERIFY(QRect(QPoint(0, 0), picture->size()).contains(QRect(QPoint(0, 0), drawn)));
        QVERIFY2(drawn.width() >= guide * picture->icon().actualSize(QSize(4096, 4096)).width(),
                 qPrintable(QStringLiteral("the guide is drawn %1 wide").arg(drawn.width())));
        QCOMPARE(visiblePages(win), first);
    }
};

QTEST_MAIN(TestScaling)
#include "tst_scaling.moc"


