// The window on the screens a technician's laptop has: the rates and the fonts picked
// for each; every page inside the available area with a full 16-pack system on show
// and no text cut off; and the same area always giving the same window.

#include "bmsmainwin.h"
#include "boxrecorder.h"
#include "screenscale.h"
#include "simconsole.h"

#include <QAbstractButton>
#include <QGridLayout>
#include <QLabel>
#include <QStackedWidget>
#include <QtCharts/QChart>
#include <QtCharts/QChartView>
#include <QtTest>

namespace {

QString reply(SimConsole& console, const char* command)
{
    QByteArray bytes;
    for (const SimConsole::Output& out : console.feed(QByteArray(command) + '\r'))
        bytes += out.bytes;
    return QString::fromLatin1(bytes);
}

// The replies of a polling cycle of a 16-pack system, pack 16 picked, and the console
// unlocked, so the window carries all it ever shows at once.
void showEverything(BMSMainWin& win)
{
    SimOptions options;
    options.packs = 16;
    SimConsole console(options);
    win.PwrsysProcess(reply(console, "pwrsys"));
    win.PwrAlarmProcess(reply(console, "pwr"), 16);
    win.BalanceProcess(reply(console, "balance"), 16);
    win.CtrlProcess(reply(console, "ctrl"));
    win.InfoProcess(reply(console, "info 16"));
    win.BatProcess(reply(console, "bat 16"), 16);
    win.PwrSigleProcess(reply(console, "pwr 16"));
    win.findChild<QWidget*>("SendDataBtn")->show();
}

// Every page in turn: each widget the operator sees with its place and font, and the
// texts that do not fit the room they were given.
QStringList visiblePages(BMSMainWin& win, QStringList* cutOff = nullptr)
{
    QStringList lines;
    auto* pages = win.findChild<QStackedWidget*>("StackWid");
    for (int page = 0; page < pages->count(); ++page) {
        pages->setCurrentIndex(page);
        QCoreApplication::processEvents();
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
            if (cutOff && !text.trimmed().isEmpty() && !fits)
                *cutOff << QStringLiteral("page %1: %2 \"%3\"").arg(page).arg(w->objectName(), text);
        }
    }
    return lines;
}

} // namespace

class TestScaling : public QObject
{
    Q_OBJECT

private slots:
    void ratesAndFonts_data()
    {
        QTest::addColumn<QSize>("area");
        QTest::addColumn<QPointF>("rates");     // width, height
        QTest::addColumn<QSize>("window");
        // widget font ("Arial" pt, 0: the form's own); cell chart title, legend, axis titles, axis labels
        QTest::addColumn<QList<int>>("fonts");
        QTest::addColumn<QList<int>>("rows");   // detail view row stretches: top, cells, switch
        QTest::newRow("1920x1080") << QSize(1920, 1080) << QPointF(1, 1) << QSize(1920, 1000) << QList<int>{0, 12, 7, 11, 9} << QList<int>{0, 1, 0};
        QTest::newRow("1920x1040") << QSize(1920, 1040) << QPointF(1, 0.962963) << QSize(1920, 962) << QList<int>{0, 12, 7, 11, 9} << QList<int>{0, 1, 0};
        QTest::newRow("1440x870") << QSize(1440, 870) << QPointF(0.75, 0.805556) << QSize(1440, 805) << QList<int>{10, 11, 6, 10, 8} << QList<int>{0, 1, 0};
        QTest::newRow("1366x728") << QSize(1366, 728) << QPointF(0.711458, 0.674074) << QSize(1366, 674) << QList<int>{10, 11, 6, 10, 8} << QList<int>{2, 4, 2};
        QTest::newRow("1280x680") << QSize(1280, 680) << QPointF(0.666667, 0.62963) << QSize(1280, 629) << QList<int>{9, 10, 5, 9, 7} << QList<int>{1, 4, 1};
        QTest::newRow("1024x728") << QSize(1024, 728) << QPointF(0.533333, 0.674074) << QSize(1024, 674) << QList<int>{8, 9, 4, 8, 6} << QList<int>{2, 4, 2};
        QTest::newRow("800x560") << QSize(800, 560) << QPointF(0.416667, 0.518519) << QSize(800, 518) << QList<int>{7, 8, 3, 7, 5} << QList<int>{1, 4, 1};
    }

    void ratesAndFonts()
    {
        QFETCH(QSize, area);
        QFETCH(QPointF, rates);
        QFETCH(QSize, window);
        QFETCH(QList<int>, fonts);
        QFETCH(QList<int>, rows);
        BMSMainWin win;
        win.OnDeskTopResize(QRect(QPoint(0, 0), area));
        QVERIFY((QPointF(win.widthRate, win.heightRate) - rates).manhattanLength() < 1e-5);
        QCOMPARE(win.size(), window);
        // The window was scaled for the test screen (800 x 600) when it was built, so
        // above the brackets the form's fonts must have come back.
        for (const auto& own : QList<QPair<const char*, int>>{{"PortLab", 16}, {"SOCLab", 11}, {"StateLab", 14}, {"BalanWid", 10}})
            QCOMPARE(win.findChild<QWidget*>(own.first)->font().pointSize(), fonts[0] ? fonts[0] : own.second);
        QtCharts::QChart* cells = win.findChild<QtCharts::QChartView*>("cellLineChart")->chart();
        QList<int> chartFonts{0, cells->titleFont().pointSize(), cells->legend()->font().pointSize()};
        for (QtCharts::QAbstractAxis* axis : cells->axes()) // three axes, all alike
            chartFonts << axis->titleFont().pointSize() << axis->labelsFont().pointSize();
        QCOMPARE(chartFonts, (QList<int>{0, fonts[1], fonts[2]} << fonts.mid(3) << fonts.mid(3) << fonts.mid(3)));
        auto* grid = win.findChild<QWidget*>("BattInfoWid")->findChild<QGridLayout*>("gridLayout_7");
        QCOMPARE((QList<int>{grid->rowStretch(0), grid->rowStretch(1), grid->rowStretch(2)}), rows);
    }

    void everyPageFits_data()
    {
        QTest::addColumn<QSize>("area");
        for (QSize area : {QSize(1920, 1040), QSize(1440, 870), QSize(1366, 728), QSize(1280, 680), QSize(1024, 728), QSize(800, 560)})
            QTest::addRow("%dx%d", area.width(), area.height()) << area;
    }

    void everyPageFits()
    {
        QFETCH(QSize, area);
        BoxRecorder boxes;
        BMSMainWin win;
        win.CurrTimeTimerOut(); // the clock's first tick widens its text by a blank
        const QRect available(QPoint(0, 0), area);
        win.show();
        QVERIFY(QTest::qWaitForWindowExposed(&win));
        showEverything(win);
        visiblePages(win);
        win.OnDeskTopResize(available); // with every page laid out and filled
        QVERIFY2(available.contains(QRect(QPoint(0, 0), win.minimumSize())),
                 qPrintable(QStringLiteral("the window needs %1x%2").arg(win.minimumWidth()).arg(win.minimumHeight())));
        QCOMPARE(win.size(), ScreenScale::windowSize(area));
        QStringList cutOff;
        const QStringList first = visiblePages(win, &cutOff);
        QVERIFY2(cutOff.isEmpty(), qPrintable(cutOff.join(QLatin1Char('\n'))));

        // The same area again (a taskbar shown and hidden), then a projector and back.
        win.OnDeskTopResize(available);
        QCOMPARE(visiblePages(win), first);
        win.OnDeskTopResize(QRect(0, 0, 800, 560));
        win.OnDeskTopResize(QRect(0, 0, 1920, 1080));
        win.OnDeskTopResize(available);
        QCOMPARE(visiblePages(win), first);
    }
};

QTEST_MAIN(TestScaling)
#include "tst_scaling.moc"
