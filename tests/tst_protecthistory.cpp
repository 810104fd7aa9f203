// The protection and event history pages: driven as the dispatch drives them, and end
// to end against the simulated BMS (the protection table from "config", then the
// history read to its end, paged with "continue" or framed in one reply, and double
// clicks opening one event window each). Checked is what the tables, labels and boxes
// show and what goes on the wire; the protection text's save is in the real-time
// suite's table of text saves.

#include "windowfixture.h"

#include "dataevent.h"
#include "replyfield.h"
#include "simconsole.h"
#include "suitetools.h"

#include <QStandardItemModel>
#include <QTableView>
#include <QTextBrowser>
#include <QtTest>

namespace {

const QString kDone = QStringLiteral("Command completed successfully");
const QString kPress = QStringLiteral("Press [Enter] to be continued,other key to exit");
const QString kHead = QStringLiteral("Item Date Time Volt Curr Tempr Tlow Thigh Vlow Vhigh Base.St Volt.St Curr.St "
                                     "Temp.St Per% Events\n");
const QString kCompletedBox = QStringLiteral("Message|The event Command completed successfully!");

// Listing rows from..to, each ending in a line feed.
QString rows(int from, int to, bool mask = false)
{
    QString out;
    for (int i = from; i <= to; ++i)
        out += QStringLiteral("%1 2024-05-01 10:00:00 52800 -1200 25 24 26 3290 3310 %2Idle Normal Normal Normal "
                              "80% Power on\n").arg(i).arg(mask ? "0x0001 " : "");
    return out;
}

// A row of the model as the operator reads it, cells joined by "|"; -1 is the last.
QString shown(QStandardItemModel* m, int row)
{
    QStringList cells;
    for (int c = 0; c < m->columnCount(); ++c)
        cells << m->index(row < 0 ? m->rowCount() - 1 : row, c).data().toString();
    return m->rowCount() ? cells.join('|') : QString();
}

// The items of the listed events, top to bottom.
QString items(QStandardItemModel* m)
{
    QStringList cells;
    for (int r = 0; r < m->rowCount(); ++r)
        cells << m->index(r, 0).data().toString();
    return cells.join(' ');
}

// The texts of the open event windows, sorted; closes them when asked.
QStringList eventWindows(bool close)
{
    QStringList texts;
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (qobject_cast<DataEvent*>(w) && w->isVisible())
            texts << w->findChild<QTextBrowser*>("EventTextBro")->toPlainText();
        if (qobject_cast<DataEvent*>(w) && close)
            w->close();
    }
    texts.sort();
    return texts;
}

} // namespace

class TestProtectHistory : public QObject
{
    Q_OBJECT
private slots:
    void protectionTable_data()
    {
        QTest::addColumn<int>("lines");
        QTest::addColumn<QString>("last");
        QTest::addColumn<bool>("shut");
        QTest::addColumn<QString>("row");
        QTest::newRow("40 lines stay empty") << 40 << "Low SOC Alarm : 10 %" << true << "";
        QTest::newRow("41 lines, two values") << 41 << "Low SOC Alarm : 10 %" << true << "Low SOC Alarm|10||%";
        QTest::newRow("three values") << 41 << "Full Charge : 3.500  56.000 V" << true << "Full Charge|3.500|56.000|V";
        QTest::newRow("four values") << 41 << "Odd : 1 2 3 V" << true << "|||";
        QTest::newRow("one value") << 41 << "Odd : 1" << true << "|||";
        QTest::newRow("no colon") << 41 << "Heater 5 C" << true << "Heater 5 C|Heater|5|C";
        QTest::newRow("no shutdown section") << 41 << "Low SOC Alarm : 10 %" << false << "Low SOC Alarm|10||%";
    }

    // The second line is blank: it counts towards the 40 but gives no row.
    void protectionTable()
    {
        QFETCH(int, lines);
        QFETCH(QString, last);
        QFETCH(bool, shut);
        QFETCH(QString, row);
        QStringList section{"Over Voltage Alarm : 3.550 56.800 V", ""};
        while (section.size() < lines - 1)
            section << QStringLiteral("Cell Temp Diff Alarm : 10 C");
        const QString shutText = shut ? QStringLiteral("Shut time\nIdle Shut Delay : 72 h") : QString();
        WindowFixture f;
        f.win.ConfigProcess("@config\n" + (section << last).join('\n') + '\n' + shutText + '\n' + kDone + "\n$$");
        QCOMPARE(f.win.configModel->rowCount(), row.isEmpty() ? 0 : lines - 1);
        QCOMPARE(shown(f.win.configModel, -1), row);
        QCOMPARE(f.w<QTextBrowser>("ConfigTextBro")->toPlainText(), shutText);
    }

    void eventListing_data()
    {
        QTest::addColumn<QStringList>("pages");
        QTest::addColumn<int>("columns");
        QTest::addColumn<QString>("items");
        QTest::addColumn<QString>("last");
        QTest::addColumn<bool>("listing");
        QTest::addColumn<QString>("boxes");
        const QString first = "datalist event 0\n" + kHead + rows(1, 3) + kPress;
        const QString masked = QString(kHead).replace("Vhigh", "Vhigh mask") + rows(1, 1, true) + kDone;
        QTest::newRow("three rows, then two") << QStringList{first, rows(4, 5) + kDone} << 16 << "1 2 3 4 5" << ""
                                              << false << kCompletedBox;
        QTest::newRow("mask") << QStringList{masked} << 17 << "1"
                              << "1|2024-05-01|10:00:00|52800|-1200|25|24|26|3290|3310|0x0001|Idle|Normal|Normal|"
                                 "Normal|80%|Power on " << false << kCompletedBox;
        QTest::newRow("mask, then a listing without") << QStringList{masked, kHead + rows(2, 2) + kDone} << 16 << "2"
                                                      << "" << false << kCompletedBox + '\n' + kCompletedBox;
        QTest::newRow("worked 18 tokens, 15 tokens, 14 dropped")
            << QStringList{kHead + "7 2024-03-01 08:15:02 51234 -1200 25 24 26 3201 3215 Idle Normal Normal Normal 87% "
                                   "Low volt alarm\n8 d t 1 2 3 4 5 6 7 b v c t 9%\n9 d t 1 2 3 4 5 6 7 b v c t\n" + kDone}
            << 16 << "7 8" << "8|d|t|1|2|3|4|5|6|7|b|v|c|t|9%|" << false << kCompletedBox;
        QTest::newRow("an earlier reply's completion, no listing open")
            << QStringList{"@info 1\n" + kDone + "\n$$\n"} << 16 << "" << "" << false << "";
        QTest::newRow("an earlier reply's completion in a first page")
            << QStringList{"@info 1\n" + kDone + "\n$$\n" + first} << 16 << "1 2 3" << "" << true << "";
        QTest::newRow("device error keeps the listing")
            << QStringList{first, "Invalid command or fail to excute."} << 16 << "1 2 3" << "" << true
            << "Message|The event Command fail to excute!Please click \"Event\"!";
    }

    void eventListing()
    {
        QFETCH(QStringList, pages);
        QFETCH(QString, last);
        WindowFixture f;
        f.win.portOpen = true;
        for (const QString& page : pages)
            f.win.DataListEventProcess(page);
        QTEST(f.win.eventModel->columnCount(), "columns");
        QTEST(items(f.win.eventModel), "items");
        if (!last.isEmpty())
            QCOMPARE(shown(f.win.eventModel, -1), last);
        QTEST(f.win.eventListing, "listing");
        QTEST(f.boxes.seen().join('\n'), "boxes");
    }

    // The count, "config default", and "continue", "Event" and "reflash" around an
    // open listing, then Logout in the middle of one: as the label, the boxes and the
    // wire show them.
    void commands()
    {
        WindowFixture f;
        QVERIFY(f.login());
        f.win.pollTimer->stop();
        f.win.DataProcess("@data\nData Number : 37\n" + kDone);
        f.win.DataProcess("@data\nData Number :\n" + kDone);
        QCOMPARE(f.label("EventNumLab"), QStringLiteral("Event num: 37"));
        f.win.currBatNum = 3;
        f.button("ConfigDeBtn")->click();
        emit f.win.CommandInfoStr("@config default\nFactory settings restored\n" + kDone + "\n$$");
        QCOMPARE(f.pty.readFor(50), QByteArray("\nconfig default\n\ninfo 3\n"));

        f.win.ContinueBtn_clicked();
        f.win.DataListEventProcess(kHead + rows(1, 1) + kPress);
        f.win.HisEveBtn_clicked();
        f.win.ContinueBtn_clicked();
        f.win.ContinueBtn_clicked();
        f.win.RefleshBtn_clicked();
        QCOMPARE(f.win.eventModel->rowCount(), 0);
        f.win.HisEveBtn_clicked();
        // One "continue" of the two, and "Event" during the listing sent nothing.
        QCOMPARE(f.pty.readFor(50), QByteArray("\r\ndata\n\ndatalist event 0\n"));

        // A page still on its way when the port closed opens no listing, so "continue"
        // cannot write into the next session.
        f.win.DataListEventProcess(kHead + rows(1, 1) + kPress);
        f.win.CloseBtn_clicked();
        QCOMPARE(f.win.eventModel->rowCount(), 0);
        QCOMPARE(f.label("EventNumLab"), QStringLiteral("Event num:"));
        f.win.DataListEventProcess(kHead + rows(1, 1) + kPress);
        f.win.ContinueBtn_clicked();
        QVERIFY(!f.pty.readFor(50).contains('\r'));
        const QString cannotContinue = "Message|Can't continue, Please click \"Event\"!";
        QCOMPARE(f.boxes.seen(), (QStringList{
                                     "Message|The event is empty!", "Message|The initial configuration is successful!",
                                     cannotContinue,
                                     "Message|Can't click \"Event\", Please click \"continue\" or click \"reflash\" or wait!",
                                     "warning|The operation is too frequent!\nPlease try again later!",
                                     "Message|The event list was not read to the end.", cannotContinue}));
    }

    void eventWindowIsPlainText()
    {
        BMSMainWin win;
        const QString reply = "@data event 3\nEvent : <b>Cell</b> <img src=\"http://x/y.png\">\nVolt : 1\n$$";
        win.DataEventProcess(reply);
        QCOMPARE(eventWindows(true), QStringList{reply});
    }

    void endToEnd_data()
    {
        QTest::addColumn<QString>("model");
        QTest::addColumn<bool>("mask");
        QTest::newRow("paged, 16 columns") << "HVRACK-7720N" << false;
        QTest::newRow("framed, 17 columns") << "HVRACK-7720-KM" << true;
    }

    void endToEnd()
    {
        QFETCH(QString, model);
        QFETCH(bool, mask);
        SimOptions o;
        o.model = model;
        o.eventMask = mask;
        o.events = 45;
        o.pageRows = 10;
        SimSession s(o);
        BMSMainWin& win = *s.win;
        QVERIFY(s.up());
        QList<SimThreshold> limits;
        SimEvent last;
        s.sim.access([&](SimConsole& c) { limits = c.device().thresholds(), last = c.device().events().last(); });
        s.button("ConfigBtn")->click();
        QTRY_COMPARE_WITH_TIMEOUT(win.configModel->rowCount(), limits.size(), 5000);
        QVERIFY(limits.size() > 40);
        const SimThreshold& t = limits[5];
        QCOMPARE(shown(win.configModel, 5), QStringList({t.name, t.cell, t.power, t.unit}).join('|'));
        QVERIFY(win.findChild<QTextBrowser*>("ConfigTextBro")->toPlainText().startsWith("Shut time\nIdle Shut Delay"));

        win.currBatNum = 1; // as after the first ten seconds
        s.button("HistoryBtn")->click();
        QTRY_COMPARE_WITH_TIMEOUT(win.findChild<QLabel*>("EventNumLab")->text(), QStringLiteral("Event num: 45"), 5000);
        QTRY_COMPARE_WITH_TIMEOUT(win.deviceModel, model, 5000);

        s.button("HisEveBtn")->click();
        QTRY_VERIFY_WITH_TIMEOUT(win.eventModel->rowCount() > 0, 5000);
        while (!s.boxes.seen().contains(kCompletedBox)) {
            QVERIFY(win.eventListing);
            QTRY_VERIFY_WITH_TIMEOUT(!win.ReContinueTimer->isActive(), 3000);
            const int before = win.eventModel->rowCount();
            s.button("ContinueBtn")->click();
            QTRY_VERIFY_WITH_TIMEOUT(win.eventModel->rowCount() > before, 5000);
        }
        QCOMPARE(s.boxes.seen(), QStringList{kCompletedBox});
        QStringList all;
        for (int i = 1; i <= 45; ++i)
            all << QString::number(i);
        QCOMPARE(items(win.eventModel), all.join(' ')); // every event once, in the device's order
        QCOMPARE(win.eventModel->columnCount(), mask ? 17 : 16);
        QVERIFY(shown(win.eventModel, -1).endsWith('|' + last.text + ' '));

        // Two double clicks, two windows, each with its own event.
        auto* view = win.findChild<QTableView*>("DataListlView");
        emit view->doubleClicked(win.eventModel->index(4, 3));
        emit view->doubleClicked(win.eventModel->index(20, 3));
        QTRY_COMPARE_WITH_TIMEOUT(eventWindows(false).size(), 2, 5000);
        const QStringList opened = eventWindows(true);
        QCOMPARE(ReplyField::text(opened[0], "Item") + ' ' + ReplyField::text(opened[1], "Item"), QStringLiteral("21 5"));
    }
};

QTEST_MAIN(TestProtectHistory)
#include "tst_protecthistory.moc"
