// The protection and event history pages driven as the dispatch drives them: what the
// tables and labels show, what goes on the wire and what lands on disk.

#include "windowfixture.h"

#include "dataevent.h"

#include <QFile>
#include <QStandardItemModel>
#include <QTemporaryDir>
#include <QTextBrowser>
#include <QtTest>

#include <csignal>
#include <sys/resource.h>

namespace {

const QString kDone = QStringLiteral("Command completed successfully");
const QString kPress = QStringLiteral("Press [Enter] to be continued,other key to exit");
const QString kHead = QStringLiteral("Item Date Time Volt Curr Tempr Tlow Thigh Vlow Vhigh Base.St Volt.St Curr.St "
                                     "Temp.St Per% Events");
const QString kHeadMask = QString(kHead).replace(QStringLiteral("Vhigh"), QStringLiteral("Vhigh mask"));

QString eventRow(int item, bool mask = false)
{
    return QStringLiteral("%1 2024-05-01 10:00:00 52800 -1200 25 24 26 3290 3310 %2Idle Normal Normal Normal 80% "
                          "Power on")
        .arg(item)
        .arg(mask ? QStringLiteral("0x0001 ") : QString());
}

QStringList rowTexts(QStandardItemModel* m, int row)
{
    QStringList out;
    for (int c = 0; row >= 0 && c < m->columnCount(); ++c)
        out << m->index(row, c).data().toString();
    return out;
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
        QTest::addColumn<QStringList>("row");
        const QStringList empty{"", "", "", ""};
        QTest::newRow("40 lines stay empty") << 40 << "Low SOC Alarm : 10 %" << true << QStringList();
        QTest::newRow("41 lines, two values") << 41 << "Low SOC Alarm : 10 %" << true
                                              << QStringList{"Low SOC Alarm", "10", "", "%"};
        QTest::newRow("three values") << 41 << "Full Charge Volt : 3.500   56.000  V" << true
                                      << QStringList{"Full Charge Volt", "3.500", "56.000", "V"};
        QTest::newRow("four values") << 41 << "Odd : 1 2 3 V" << true << empty;
        QTest::newRow("one value") << 41 << "Odd : 1" << true << empty;
        QTest::newRow("no colon") << 41 << "Heater 5 C" << true << QStringList{"Heater 5 C", "Heater", "5", "C"};
        QTest::newRow("no shutdown section") << 41 << "Low SOC Alarm : 10 %" << false
                                             << QStringList{"Low SOC Alarm", "10", "", "%"};
    }

    // One blank line counts towards the 40 but gives no row.
    void protectionTable()
    {
        QFETCH(int, lines);
        QFETCH(QString, last);
        QFETCH(bool, shut);
        QFETCH(QStringList, row);
        QStringList section{"Over Voltage Alarm : 3.550 56.800 V", ""};
        while (section.size() < lines - 1)
            section << QStringLiteral("Cell Temp Diff Alarm : 10 C");
        section << last;
        const QString shutText = shut ? QStringLiteral("Shut time\nIdle Shut Delay : 72 h") : QString();
        WindowFixture f;
        f.win.ConfigProcess("@config\n" + section.join('\n') + '\n' + shutText + '\n' + kDone + "\n$$");
        QCOMPARE(f.win.configModel->rowCount(), row.isEmpty() ? 0 : lines - 1);
        QCOMPARE(rowTexts(f.win.configModel, f.win.configModel->rowCount() - 1), row);
        QCOMPARE(f.w<QTextBrowser>("ConfigTextBro")->toPlainText(), shutText);
    }

    void saveProtection_data()
    {
        QTest::addColumn<QString>("fault");
        QTest::newRow("before any reply") << "";
        QTest::newRow("read-only folder") << "read-only";
        QTest::newRow("disk full") << "disk full";
    }

    void saveProtection()
    {
        QFETCH(QString, fault);
        QTemporaryDir dir;
        const QString path = dir.path() + "/config.txt";
        WindowFixture f;
        f.boxes.inputs << path;
        if (fault.isEmpty()) {
            f.win.ConfigDownBtn_clicked();
            QVERIFY(QFile::exists(path));
            QCOMPARE(QFileInfo(path).size(), 0);
            QCOMPARE(f.win.dialogStartDir("path/downpath"), dir.path());
            return;
        }
        QFile old(path);
        QVERIFY(old.open(QIODevice::WriteOnly) && old.write("older good file\n") > 0);
        old.close();
        f.win.configText = QString(8192, 'x');
        const rlimit unlimited{RLIM_INFINITY, RLIM_INFINITY};
        if (fault == "read-only") {
            QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::ExeOwner);
            if (QFileInfo(dir.path()).isWritable())
                QSKIP("this user writes into read-only folders");
        } else {
            // A disk that fills up in the middle of the write.
            std::signal(SIGXFSZ, SIG_IGN);
            const rlimit small{1024, RLIM_INFINITY};
            setrlimit(RLIMIT_FSIZE, &small);
        }
        f.win.ConfigDownBtn_clicked();
        setrlimit(RLIMIT_FSIZE, &unlimited);
        QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        QVERIFY(old.open(QIODevice::ReadOnly));
        QCOMPARE(old.readAll(), QByteArray("older good file\n"));
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{"config.txt"});
        QCOMPARE(f.boxes.requests.last().title, QStringLiteral("Warning"));
        QVERIFY(f.boxes.requests.last().text.startsWith("Could not save " + path + ":\n"));
        QVERIFY(f.boxes.requests.last().text.size() > path.size() + 20); // the system's reason
        QVERIFY(f.win.dialogStartDir("path/downpath") != dir.path());
    }

    void configDefault()
    {
        WindowFixture f;
        QVERIFY(f.login());
        f.win.pollTimer->stop();
        f.win.currBatNum = 3;
        f.button("ConfigDeBtn")->click();
        QCOMPARE(f.pty.readFor(100), QByteArray("\nconfig default\n"));
        emit f.win.CommandInfoStr("@config default\nFactory settings restored\n" + kDone + "\n$$");
        QCOMPARE(f.boxes.seen(), QStringList{"Message|The initial configuration is successful!"});
        QCOMPARE(f.pty.readFor(100), QByteArray("\ninfo 3\n"));
    }

    void eventCount_data()
    {
        QTest::addColumn<QString>("body");
        QTest::addColumn<QString>("label");
        QTest::addColumn<QStringList>("boxes");
        QTest::newRow("count") << "Data Number : 37" << "Event num: 37" << QStringList();
        QTest::newRow("no value") << "Data Number :" << "Event num:" << QStringList{"Message|The event is empty!"};
        QTest::newRow("not a number") << "Data Number : many" << "Event num: --" << QStringList();
        QTest::newRow("no count at all") << "Please login debug first" << "Event num: --" << QStringList();
    }

    void eventCount()
    {
        QFETCH(QString, body);
        QFETCH(QString, label);
        QFETCH(QStringList, boxes);
        WindowFixture f;
        f.win.CurrentCommand = "data\n";
        emit f.win.CommandInfoStr("@data\n" + body + '\n' + kDone + "\n$$");
        QCOMPARE(f.label("EventNumLab"), label);
        QCOMPARE(f.boxes.seen(), boxes);
    }

    void eventListing_data()
    {
        QTest::addColumn<QStringList>("pages");
        QTest::addColumn<int>("columns");
        QTest::addColumn<QStringList>("items");
        QTest::addColumn<QStringList>("last");
        QTest::addColumn<bool>("listing");
        QTest::addColumn<QStringList>("boxes");
        const QStringList done{"Message|The event Command completed successfully!"};
        const QStringList first{"datalist event 0\n" + kHead + '\n' + eventRow(1) + '\n' + eventRow(2) + '\n' + eventRow(3)
                                + '\n' + kPress};
        QTest::newRow("three rows, then two") << first + QStringList{eventRow(4) + '\n' + eventRow(5) + '\n' + kDone}
                                              << 16 << QStringList{"1", "2", "3", "4", "5"} << QStringList() << false
                                              << done;
        const QString masked = kHeadMask + '\n' + eventRow(1, true) + '\n' + kDone;
        QTest::newRow("mask") << QStringList{masked} << 17 << QStringList{"1"}
                              << QStringList{"1", "2024-05-01", "10:00:00", "52800", "-1200", "25", "24", "26",
                                             "3290", "3310", "0x0001", "Idle", "Normal", "Normal", "Normal", "80%",
                                             "Power on "}
                              << false << done;
        QTest::newRow("mask, then a listing without") << QStringList{masked, kHead + '\n' + eventRow(2) + '\n' + kDone}
                                                      << 16 << QStringList{"2"} << QStringList() << false
                                                      << done + done;
        QTest::newRow("worked 18 tokens, 15 tokens, 14 dropped")
            << QStringList{kHead + "\n7 2024-03-01 08:15:02 51234 -1200 25 24 26 3201 3215 Idle Normal Normal Normal "
                                   "87% Low volt alarm\n8 d t 1 2 3 4 5 6 7 b v c t 9%\n9 d t 1 2 3 4 5 6 7 b v c t\n"
                           + kDone}
            << 16 << QStringList{"7", "8"} << QStringList{"8", "d", "t", "1", "2", "3", "4", "5", "6", "7", "b",
                                                         "v", "c", "t", "9%", ""}
            << false << done;
        QTest::newRow("an earlier reply's completion, no listing open")
            << QStringList{"@info 1\n" + kDone + "\n$$\n"} << 16 << QStringList() << QStringList() << false
            << QStringList();
        QTest::newRow("earlier reply's completion in a first page")
            << QStringList{"@info 1\n" + kDone + "\n$$\n" + first[0]} << 16 << QStringList{"1", "2", "3"}
            << QStringList() << true << QStringList();
        QTest::newRow("device error keeps the listing")
            << first + QStringList{"Invalid command or fail to excute."} << 16 << QStringList{"1", "2", "3"}
            << QStringList() << true << QStringList{"Message|The event Command fail to excute!Please click \"Event\"!"};
        QTest::newRow("unknown command keeps the listing")
            << first + QStringList{"Unknown command"} << 16 << QStringList{"1", "2", "3"} << QStringList() << true
            << QStringList{"Message|The Unknown Command!Please click \"Event\"!"};
    }

    void eventListing()
    {
        QFETCH(QStringList, pages);
        QFETCH(int, columns);
        QFETCH(QStringList, items);
        QFETCH(QStringList, last);
        QFETCH(bool, listing);
        QFETCH(QStringList, boxes);
        WindowFixture f;
        f.win.portOpen = true;
        for (const QString& page : pages)
            f.win.DataListEventProcess(page);
        QStandardItemModel* m = f.win.eventModel;
        QCOMPARE(m->columnCount(), columns);
        QStringList shownItems;
        for (int r = 0; r < m->rowCount(); ++r)
            shownItems << m->index(r, 0).data().toString();
        QCOMPARE(shownItems, items);
        if (!last.isEmpty())
            QCOMPARE(rowTexts(m, m->rowCount() - 1), last);
        QCOMPARE(f.win.eventListing, listing);
        QCOMPARE(f.boxes.seen(), boxes);
    }

    // "continue", "Event" and "reflash" while a listing is open, as the wire sees them.
    void paging()
    {
        WindowFixture f;
        QVERIFY(f.login());
        f.win.pollTimer->stop();
        f.win.ContinueBtn_clicked();
        f.win.DataListEventProcess(kHead + '\n' + eventRow(1) + '\n' + kPress);
        f.win.HisEveBtn_clicked();
        QVERIFY(f.pty.readFor(50).isEmpty());
        f.win.ContinueBtn_clicked();
        f.win.ContinueBtn_clicked();
        QCOMPARE(f.pty.readFor(50), QByteArray("\r"));
        f.win.RefleshBtn_clicked();
        QCOMPARE(f.win.eventModel->rowCount(), 0);
        f.win.HisEveBtn_clicked();
        QCOMPARE(f.pty.readFor(50), QByteArray("\ndata\n\ndatalist event 0\n"));
        QCOMPARE(f.boxes.seen(), (QStringList{
                                     "Message|Can't continue, Please click \"Event\"!",
                                     "Message|Can't click \"Event\", Please click \"continue\" or click \"reflash\" or wait!",
                                     "warning|The operation is too frequent!\nPlease try again later!"}));
    }

    void portClosedEndsListing_data()
    {
        QTest::addColumn<bool>("unplug");
        QTest::addColumn<QString>("box");
        QTest::newRow("logout") << false << "Message|The event list was not read to the end.";
        QTest::newRow("unplug") << true
                                << "Error|The serial port diconnect! Please check!\n\nThe event list was not read to the end.";
    }

    void portClosedEndsListing()
    {
        QFETCH(bool, unplug);
        QFETCH(QString, box);
        WindowFixture f;
        QStringList ports{f.pty.slavePath()};
        f.win.portListProvider = [&ports] { return ports; };
        f.win.ReflashSerialComx();
        QVERIFY(f.login());
        f.win.pollTimer->stop();
        emit f.win.CommandInfoStr("@data\nData Number : 37\n" + kDone + "\n$$");
        f.win.DataListEventProcess(kHead + '\n' + eventRow(1) + '\n' + kPress);
        if (unplug) {
            ports.clear();
            f.win.ReflashSerialComx();
        } else {
            f.win.CloseBtn_clicked();
        }
        QCOMPARE(f.boxes.seen(), QStringList{box});
        QCOMPARE(f.win.eventModel->rowCount(), 0);
        QCOMPARE(f.label("EventNumLab"), QStringLiteral("Event num:"));
        // A page that was still on its way is not taken for a listing.
        f.win.DataListEventProcess(kHead + '\n' + eventRow(1) + '\n' + kPress);
        f.win.ContinueBtn_clicked();
        QCOMPARE(f.boxes.seen().last(), QStringLiteral("Message|Can't continue, Please click \"Event\"!"));
        QVERIFY(!f.pty.readFor(50).contains('\r'));
    }

    void eventWindowIsPlainText()
    {
        BoxRecorder boxes;
        BMSMainWin win;
        const QString reply = "@data event 3\nEvent : <b>Cell</b> <img src=\"http://x/y.png\">\nVolt : 1\n$$";
        win.DataEventProcess(reply);
        DataEvent* window = nullptr;
        for (QWidget* w : QApplication::topLevelWidgets())
            window = window ? window : qobject_cast<DataEvent*>(w);
        QVERIFY(window && window->isVisible());
        QCOMPARE(window->findChild<QTextBrowser*>("EventTextBro")->toPlainText(), reply);
        window->close();
    }
};

QTEST_MAIN(TestProtectHistory)
#include "tst_protecthistory.moc"
