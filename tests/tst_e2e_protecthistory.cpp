// End to end against the simulated BMS: the protection page fills from "config", and
// the event history is read to its end, paged with "continue" or framed in one reply,
// with double clicks opening one event window each.

#include "bmsmainwin.h"
#include "bmssimulator.h"
#include "boxrecorder.h"
#include "dataevent.h"
#include "replyfield.h"
#include "simconsole.h"

#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QStandardItemModel>
#include <QTableView>
#include <QTextBrowser>
#include <QTimer>
#include <QtTest>

namespace {

// Logged in to a started simulator, the opening chain answered to its end.
bool loginTo(BMSMainWin& win, BmsSimulator& sim)
{
    if (!sim.start())
        return false;
    win.show();
    win.findChild<QComboBox*>("PortComBox")->setCurrentText(sim.portPath());
    bool ctrlRead = false;
    win.routeObserver = [&ctrlRead](const char* parser, const QString&) {
        ctrlRead = ctrlRead || QByteArray(parser) == "CtrlProcess";
    };
    win.OpenBtn_clicked();
    const bool settled = QTest::qWaitFor([&] { return ctrlRead; }, 5000);
    win.routeObserver = nullptr;
    return settled;
}

// As a mouse does it: QTest's own double click ends up without one in item views.
void doubleClick(QTableView* view, const QModelIndex& index)
{
    const QPoint at = view->visualRect(index).center();
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, at);
    QMouseEvent dbl(QEvent::MouseButtonDblClick, at, view->viewport()->mapToGlobal(at), Qt::LeftButton,
                    Qt::LeftButton, {});
    QApplication::sendEvent(view->viewport(), &dbl);
    QTest::mouseRelease(view->viewport(), Qt::LeftButton, {}, at);
}

QStringList column(QStandardItemModel* m, int c)
{
    QStringList out;
    for (int r = 0; r < m->rowCount(); ++r)
        out << m->index(r, c).data().toString();
    return out;
}

} // namespace

class TestE2EProtectHistory : public QObject
{
    Q_OBJECT
private slots:
    void protectionPage()
    {
        BoxRecorder boxes;
        BmsSimulator sim;
        BMSMainWin win;
        QVERIFY(loginTo(win, sim));
        QList<SimThreshold> limits;
        sim.access([&](SimConsole& c) { limits = c.device().thresholds(); });
        QVERIFY(limits.size() > 40);
        win.findChild<QPushButton*>("ConfigBtn")->click();
        QTRY_COMPARE_WITH_TIMEOUT(win.configModel->rowCount(), limits.size(), 5000);
        QStringList device;
        for (const SimThreshold& t : limits)
            device << t.name + '|' + t.cell + '|' + t.power + '|' + t.unit;
        QStringList shown;
        for (int r = 0; r < limits.size(); ++r)
            shown << QStringList{column(win.configModel, 0)[r], column(win.configModel, 1)[r],
                                 column(win.configModel, 2)[r], column(win.configModel, 3)[r]}.join('|');
        QCOMPARE(shown, device);
        const QString shut = win.findChild<QTextBrowser*>("ConfigTextBro")->toPlainText();
        QVERIFY(shut.startsWith("Shut time\nIdle Shut Delay"));
        QCOMPARE(boxes.count(), 0);
    }

    void eventHistory_data()
    {
        QTest::addColumn<QString>("model");
        QTest::addColumn<bool>("mask");
        QTest::newRow("paged, 16 columns") << "HVRACK-7720N" << false;
        QTest::newRow("framed, 17 columns") << "HVRACK-7720-KM" << true;
    }

    void eventHistory()
    {
        QFETCH(QString, model);
        QFETCH(bool, mask);
        SimOptions o;
        o.model = model;
        o.eventMask = mask;
        o.events = 45;
        o.pageRows = 10;
        BoxRecorder boxes;
        BmsSimulator sim(o);
        BMSMainWin win;
        QVERIFY(loginTo(win, sim));
        win.currBatNum = 1; // as after the first ten seconds
        win.findChild<QPushButton*>("HistoryBtn")->click();
        QTRY_COMPARE_WITH_TIMEOUT(win.findChild<QLabel*>("EventNumLab")->text(), QStringLiteral("Event num: 45"), 5000);
        QTRY_COMPARE_WITH_TIMEOUT(win.deviceModel, model, 5000);

        const QString done = QStringLiteral("Message|The event Command completed successfully!");
        win.findChild<QPushButton*>("HisEveBtn")->click();
        QTRY_VERIFY_WITH_TIMEOUT(win.eventModel->rowCount() > 0, 5000);
        while (!boxes.seen().contains(done)) {
            QVERIFY(win.eventListing);
            QTRY_VERIFY_WITH_TIMEOUT(!win.ReContinueTimer->isActive(), 3000);
            const int before = win.eventModel->rowCount();
            win.findChild<QPushButton*>("ContinueBtn")->click();
            QTRY_VERIFY_WITH_TIMEOUT(win.eventModel->rowCount() > before, 5000);
        }
        QStringList items;
        for (int i = 1; i <= 45; ++i)
            items << QString::number(i);
        QCOMPARE(column(win.eventModel, 0), items);
        QCOMPARE(boxes.seen(), QStringList{done});
        QVERIFY(!win.eventListing);
        QCOMPARE(win.eventModel->columnCount(), mask ? 17 : 16);
        SimEvent last;
        sim.access([&](SimConsole& c) { last = c.device().events().last(); });
        QCOMPARE(win.eventModel->index(44, mask ? 16 : 15).data().toString(), last.text + ' ');

        // Two double clicks, two windows, each with its own event.
        QTableView* view = win.findChild<QTableView*>("DataListlView");
        for (int row : {4, 20}) {
            view->scrollTo(win.eventModel->index(row, 0));
            doubleClick(view, win.eventModel->index(row, 0));
        }
        QStringList opened;
        QTRY_COMPARE_WITH_TIMEOUT(
            [&] {
                opened.clear();
                for (QWidget* w : QApplication::topLevelWidgets())
                    if (qobject_cast<DataEvent*>(w) && w->isVisible())
                        opened << ReplyField::text(w->findChild<QTextBrowser*>()->toPlainText(), "Item");
                opened.sort();
                return opened;
            }(),
            (QStringList{"21", "5"}), 5000);
        for (QWidget* w : QApplication::topLevelWidgets())
            if (qobject_cast<DataEvent*>(w))
                w->close();
    }
};

QTEST_MAIN(TestE2EProtectHistory)
#include "tst_e2e_protecthistory.moc"
