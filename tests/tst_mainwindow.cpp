// The main window's shell: where it opens, what it shows at start, the page buttons and
// what each page sends on entry, the settings file, Return in the command box, and the
// quit question.

#include "myserial.h"
#include "windowfixture.h"

#include <QSettings>
#include <QTextEdit>
#include <QtTest>

class TestMainWindow : public QObject
{
    Q_OBJECT
private slots:
    void startGeometry_data()
    {
        QTest::addColumn<QRect>("available");
        QTest::addColumn<QRect>("expected");
        // The window is as wide as the area: the five-pixel nudge would push it past the edge.
        QTest::newRow("1440x877: 812.03 high, truncated") << QRect(0, 0, 1440, 877) << QRect(0, 32, 1440, 812);
        QTest::newRow("panel on the left") << QRect(64, 0, 1856, 1080) << QRect(64, 40, 1856, 1000);
    }

    void startGeometry()
    {
        QFETCH(QRect, available);
        QTEST(BMSMainWin::StartGeometry(available), "expected");
    }

    // The window at start, and its settings file: written with the defaults at the first
    // start, and what a dialog chose read again at the next.
    void startState()
    {
        QFile::remove(QStringLiteral("ConFig/OpenPath.ini"));
        {
            WindowFixture f;
            QCOMPARE(f.win.windowTitle(), QStringLiteral("Korvello - V2.8.4"));
            QCOMPARE(f.page(), 1);
            QVERIFY(f.win.basicPolling && !f.win.pollTimer->isActive() && f.win.portScanTimer->isActive());
            QVERIFY(!f.button("CloseBtn")->isEnabled());
            // The line opens at 115200 8N1.
            QVERIFY(f.login());
            QCOMPARE(f.win.serial->settingsText(), f.pty.slavePath() + " 115200 8 1 0");
            QCOMPARE(f.win.cmdStateLab->text(), QStringLiteral("Command State:"));
            // No blank after the colon until the clock's first tick.
            QVERIFY(f.win.sysTimeLab->text().startsWith(QStringLiteral("System Time:2")));
            f.win.CurrTimeTimerOut();
            const QString text = f.win.sysTimeLab->text();
            QVERIFY(text.startsWith(QStringLiteral("System Time: ")));
            const QDateTime shown = QDateTime::fromString(text.mid(13), QStringLiteral("yyyy/MM/dd hh:mm"));
            QVERIFY(shown.isValid() && qAbs(shown.secsTo(QDateTime::currentDateTime())) < 120);

            QVERIFY(QFile::exists(QStringLiteral("ConFig/OpenPath.ini")));
            QCOMPARE(f.win.dialogStartDir(QStringLiteral("path/downpath")), QStringLiteral("."));
            QCOMPARE(f.win.dialogStartDir(QStringLiteral("path/lastpath")), QStringLiteral("."));
            f.win.rememberDialogDir(QStringLiteral("path/lastpath"), QStringLiteral("/opt/firmware/pack-2.8.bin"));
        }
        QCOMPARE(QSettings(QStringLiteral("ConFig/OpenPath.ini"), QSettings::IniFormat).value(QStringLiteral("path/downpath")).toString(),
                 QStringLiteral("."));
        WindowFixture again;
        QCOMPARE(again.win.dialogStartDir(QStringLiteral("path/lastpath")), QStringLiteral("/opt/firmware"));
    }

    // Each page button, clicked on another page: its page shown, only its own image
    // pressed, polling on the overview alone, and what the page sends on entry.
    void pages_data()
    {
        QTest::addColumn<QString>("button");
        QTest::addColumn<bool>("open");
        QTest::addColumn<QString>("model");
        QTest::addColumn<int>("index");
        QTest::addColumn<QByteArray>("wire");
        auto row = [](const char* name, const char* button, bool open, int index, const char* wire = "", const char* model = "") {
            QTest::newRow(name) << button << open << model << index << QByteArray(wire);
        };
        row("console", "SendDataBtn", true, 0);
        row("overview", "BasicBtn", true, 1);
        row("overview, closed", "BasicBtn", false, 1);
        row("real time", "RealBtn", true, 2);
        row("protection", "ConfigBtn", true, 3, "\nconfig\n");
        row("protection, closed", "ConfigBtn", false, 3);
        row("history, model unknown", "HistoryBtn", true, 4, "\ndata\n\ninfo 0\n");
        row("history, model known", "HistoryBtn", true, 4, "\ndata\n", "HVRACK-7720-KM");
        row("history, closed", "HistoryBtn", false, 4);
        row("update", "UpPageBtn", true, 5);
    }

    void pages()
    {
        QFETCH(QString, button);
        QFETCH(bool, open);
        QFETCH(QString, model);
        WindowFixture f;
        QVERIFY(!open || f.login());
        button == "UpPageBtn" ? f.win.SendDataBtn_clicked() : f.win.UpPageBtn_clicked();
        f.pty.readFor(50);
        f.win.deviceModel = model;
        f.win.currBatNum = 0;

        QMetaObject::invokeMethod(&f.win, qPrintable(button + "_clicked"));
        QTEST(f.page(), "index");
        QTEST(f.pty.readFor(150), "wire");
        QVERIFY(f.button(qPrintable(button))->styleSheet().contains(QStringLiteral("ress.png")));
        int pressed = 0;
        for (const char* other : {"SendDataBtn", "BasicBtn", "RealBtn", "ConfigBtn", "HistoryBtn", "UpPageBtn"})
            pressed += f.button(other)->styleSheet().contains(QStringLiteral("ress.png"));
        QCOMPARE(pressed, 1);
        QCOMPARE(f.win.basicPolling, button == "BasicBtn");
        QCOMPARE(f.win.pollTimer->isActive(), button == "BasicBtn" && open);
        QCOMPARE(f.boxes.count(), 0); // a closed port is silent on page changes
    }

    void refusedWhileRendering()
    {
        WindowFixture f;
        f.win.rtDisplaying = true;
        const QString before = f.button("BasicBtn")->styleSheet();
        for (const char* slot : {"SendDataBtn_clicked", "ConfigBtn_clicked", "HistoryBtn_clicked", "UpPageBtn_clicked"})
            QMetaObject::invokeMethod(&f.win, slot);
        QCOMPARE(f.page(), 1);
        QCOMPARE(f.button("BasicBtn")->styleSheet(), before);
        QCOMPARE(f.boxes.seen(), QVector<QString>(4, "Message|In real-time rendering, can't switch pages!\nPlease click \"RTData OFF\"!").toList());
        QCOMPARE(f.boxes.requests.first().icon, QMessageBox::Information);
        // The real-time page itself is not guarded.
        f.win.RealBtn_clicked();
        QCOMPARE(f.page(), 2);
    }

    void returnInSendEdActsAsSend()
    {
        WindowFixture f;
        QVERIFY(f.login());
        auto* edit = f.w<QTextEdit>("SendEd");
        // Return and the keypad's Enter send the line and are used up; any other key types.
        for (const auto& k : QList<QPair<Qt::Key, QByteArray>>{{Qt::Key_Return, "pwr 2\r"}, {Qt::Key_Enter, "pwr 2\r"}, {Qt::Key_A, ""}}) {
            edit->setPlainText(QStringLiteral("pwr 2"));
            edit->moveCursor(QTextCursor::End);
            QTest::keyClick(edit, k.first, k.first == Qt::Key_Enter ? Qt::KeypadModifier : Qt::NoModifier);
            QCOMPARE(f.pty.readFor(100), k.second);
            QCOMPARE(edit->toPlainText(), k.second.isEmpty() ? QStringLiteral("pwr 2a") : QString());
        }
    }

    void quitQuestion_data()
    {
        QTest::addColumn<int>("answer");
        QTest::addColumn<bool>("accepted");
        QTest::newRow("yes") << int(QMessageBox::Yes) << true;
        QTest::newRow("no") << int(QMessageBox::No) << false;
    }

    void quitQuestion()
    {
        QFETCH(int, answer);
        WindowFixture f;
        QVERIFY(f.login());
        f.boxes.button = static_cast<QMessageBox::StandardButton>(answer);
        QCloseEvent ev;
        QApplication::sendEvent(&f.win, &ev);
        QTEST(ev.isAccepted(), "accepted");
        QCOMPARE(f.boxes.seen(), QStringList{QStringLiteral("Korvello|Do you wish to quit Korvello?")});
        QCOMPARE(int(f.boxes.requests.first().buttons), int(QMessageBox::Yes | QMessageBox::No));
        QVERIFY(f.win.portOpen); // the question alone never touches the link
    }
};

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
