#include "windowfixture.h"

#include <QAction>
#include <QFile>
#include <QKeyEvent>
#include <QSettings>
#include <QStatusBar>
#include <QTextEdit>
#include <QTimer>
#include <QtTest>

class TestMainWindow : public QObject
{
    Q_OBJECT
private slots:
    void startGeometry_data();
    void startGeometry();
    void formAndStartState();
    void pageSwitching_data();
    void pageSwitching();
    void refusedWhileRendering();
    void entryCommands_data();
    void entryCommands();
    void settingsDefaultsAndWriteBack();
    void returnInSendEdActsAsSend();
    void quitQuestion_data();
    void quitQuestion();
    void clockText();
};

void TestMainWindow::startGeometry_data()
{
    QTest::addColumn<QRect>("available");
    QTest::addColumn<QRect>("expected");
    // The window is as wide as the area: the five-pixel nudge would push it past the edge.
    QTest::newRow("1920x1080") << QRect(0, 0, 1920, 1080) << QRect(0, 40, 1920, 1000);
    // 877 / 1080 * 1000 = 812.03, truncated
    QTest::newRow("1440x877") << QRect(0, 0, 1440, 877) << QRect(0, 32, 1440, 812);
    QTest::newRow("1366x728") << QRect(0, 0, 1366, 728) << QRect(0, 27, 1366, 674);
    QTest::newRow("panel on the left") << QRect(64, 0, 1856, 1080) << QRect(64, 40, 1856, 1000);
}

void TestMainWindow::startGeometry()
{
    QFETCH(QRect, available);
    QFETCH(QRect, expected);
    QCOMPARE(BMSMainWin::StartGeometry(available), expected);
}

void TestMainWindow::formAndStartState()
{
    WindowFixture f;
    QCOMPARE(f.win.windowTitle(), QStringLiteral("Korvello - V2.8.4"));
    QCOMPARE(f.page(), 1);
    QVERIFY(f.win.basicPolling && !f.win.pollTimer->isActive() && f.win.portScanTimer->isActive());
    QVERIFY(!f.button("CloseBtn")->isEnabled());
    // only the port box of the serial settings is offered; the switching buttons stay hidden
    for (const char* hidden : {"SendDataBtn", "SelfTestBtn", "UpdateBtn", "CfetOnBtn", "CfetOffBtn", "DfetOnBtn",
                               "DfetOffBtn", "RealTimerBtn", "widget_2", "widget_3", "widget_4", "widget_5"})
        QVERIFY2(f.w(hidden)->isHidden(), hidden);
    auto* baud = f.w<QComboBox>("BaudComBox");
    QCOMPARE(baud->currentText(), QStringLiteral("115200"));
    QCOMPARE(baud->itemText(6), QStringLiteral("25600"));
    QCOMPARE(f.w<QComboBox>("StopbitComBox")->itemData(1).toInt(), int(QSerialPort::OneAndHalfStop));
    QCOMPARE(f.w<QComboBox>("ParityComBox")->itemData(1).toInt(), int(QSerialPort::OddParity));
    QCOMPARE(f.win.cmdStateLab->text(), QStringLiteral("Command State:"));
    QVERIFY(f.win.sysTimeLab->text().startsWith(QStringLiteral("System Time:2")));
    QVERIFY(f.w("BatterySixteen"));
}

void TestMainWindow::pageSwitching_data()
{
    QTest::addColumn<QString>("buttonName");
    QTest::addColumn<int>("index");
    QTest::addColumn<QString>("pressedImage");
    QTest::addColumn<bool>("polls");
    QTest::newRow("console") << "SendDataBtn" << 0 << ":/icon/res/SendDataPress.png" << false;
    QTest::newRow("overview") << "BasicBtn" << 1 << ":/icon/res/normalpress.png" << true;
    QTest::newRow("real time") << "RealBtn" << 2 << ":/icon/res/realdatapress.png" << false;
    QTest::newRow("protection") << "ConfigBtn" << 3 << ":/icon/res/alarmpropress.png" << false;
    QTest::newRow("history") << "HistoryBtn" << 4 << ":/icon/res/HistoryPress.png" << false;
    QTest::newRow("update") << "UpPageBtn" << 5 << ":/icon/res/updatepanpress.png" << false;
}

void TestMainWindow::pageSwitching()
{
    QFETCH(QString, buttonName);
    QFETCH(int, index);
    QFETCH(QString, pressedImage);
    QFETCH(bool, polls);

    WindowFixture f;
    QVERIFY(f.login());
    // start elsewhere so every button really switches
    f.win.UpPageBtn_clicked();
    if (buttonName == QLatin1String("UpPageBtn"))
        f.win.SendDataBtn_clicked();
    f.pty.readFor(50);

    QPushButton* b = f.button(buttonName.toLatin1().constData());
    QMetaObject::invokeMethod(&f.win, (buttonName + QStringLiteral("_clicked")).toLatin1().constData());
    QCOMPARE(f.page(), index);
    QVERIFY(b->styleSheet().contains(pressedImage));
    int pressed = 0;
    for (const char* other : {"SendDataBtn", "BasicBtn", "RealBtn", "ConfigBtn", "HistoryBtn", "UpPageBtn"})
        pressed += f.button(other)->styleSheet().contains(QStringLiteral("ress")) ? 1 : 0;
    QCOMPARE(pressed, 1); // only the clicked button shows its pressed image
    QCOMPARE(f.win.basicPolling, polls);
    QCOMPARE(f.win.pollTimer->isActive(), polls);
}

void TestMainWindow::refusedWhileRendering()
{
    WindowFixture f;
    f.win.rtDisplaying = true;
    const QString before = f.button("BasicBtn")->styleSheet();
    for (const char* slot : {"SendDataBtn_clicked", "ConfigBtn_clicked", "HistoryBtn_clicked", "UpPageBtn_clicked"})
        QMetaObject::invokeMethod(&f.win, slot);
    QCOMPARE(f.page(), 1);
    QCOMPARE(f.button("BasicBtn")->styleSheet(), before);
    QCOMPARE(f.boxes.count(), 4);
    QCOMPARE(f.boxes.seen().first(),
             QStringLiteral("Message|In real-time rendering, can't switch pages!\nPlease click \"RTData OFF\"!"));
    QCOMPARE(f.boxes.requests.first().icon, QMessageBox::Information);
    // the real-time page itself is not guarded
    f.win.RealBtn_clicked();
    QCOMPARE(f.page(), 2);
}

void TestMainWindow::entryCommands_data()
{
    QTest::addColumn<QString>("slot");
    QTest::addColumn<bool>("open");
    QTest::addColumn<QString>("model");
    QTest::addColumn<QByteArray>("wire");
    QTest::newRow("protection, closed") << "ConfigBtn_clicked" << false << "" << QByteArray();
    QTest::newRow("protection, open") << "ConfigBtn_clicked" << true << "" << QByteArray("\nconfig\n");
    QTest::newRow("history, closed") << "HistoryBtn_clicked" << false << "" << QByteArray();
    QTest::newRow("history, model known") << "HistoryBtn_clicked" << true << "HVRACK-7720-KM" << QByteArray("\ndata\n");
    QTest::newRow("history, model unknown") << "HistoryBtn_clicked" << true << "" << QByteArray("\ndata\n\ninfo 0\n");
    QTest::newRow("overview, closed") << "BasicBtn_clicked" << false << "" << QByteArray();
}

void TestMainWindow::entryCommands()
{
    QFETCH(QString, slot);
    QFETCH(bool, open);
    QFETCH(QString, model);
    QFETCH(QByteArray, wire);

    WindowFixture f;
    if (open)
        QVERIFY(f.login());
    f.win.pollTimer->stop();
    f.win.deviceModel = model;
    f.win.currBatNum = 0;
    QMetaObject::invokeMethod(&f.win, slot.toLatin1().constData());
    QCOMPARE(f.pty.readFor(150), wire);
    QCOMPARE(f.boxes.count(), 0); // a closed port is silent on page changes
    if (slot == QLatin1String("BasicBtn_clicked"))
        QVERIFY(!f.win.pollTimer->isActive());
}

void TestMainWindow::settingsDefaultsAndWriteBack()
{
    QFile::remove(QStringLiteral("ConFig/OpenPath.ini"));
    {
        WindowFixture f;
        QVERIFY(QFile::exists(QStringLiteral("ConFig/OpenPath.ini")));
        QCOMPARE(f.win.dialogStartDir(QStringLiteral("path/downpath")), QStringLiteral("."));
        QCOMPARE(f.win.dialogStartDir(QStringLiteral("path/lastpath")), QStringLiteral("."));
        f.win.rememberDialogDir(QStringLiteral("path/lastpath"), QStringLiteral("/opt/firmware/pack-2.8.bin"));
    }
    QSettings onDisk(QStringLiteral("ConFig/OpenPath.ini"), QSettings::IniFormat);
    QCOMPARE(onDisk.value(QStringLiteral("path/lastpath")).toString(), QStringLiteral("/opt/firmware"));
    QCOMPARE(onDisk.value(QStringLiteral("path/downpath")).toString(), QStringLiteral("."));
    WindowFixture again;
    QCOMPARE(again.win.dialogStartDir(QStringLiteral("path/lastpath")), QStringLiteral("/opt/firmware"));
}

void TestMainWindow::returnInSendEdActsAsSend()
{
    WindowFixture f;
    QVERIFY(f.login());
    auto* edit = f.w<QTextEdit>("SendEd");
    edit->setPlainText(QStringLiteral("pwr 2"));
    QKeyEvent ret(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
    QVERIFY(f.win.eventFilter(edit, &ret));
    QCOMPARE(f.pty.readFor(100), QByteArray("pwr 2\r"));
    QVERIFY(edit->toPlainText().isEmpty());
    edit->setPlainText(QStringLiteral("bat 1"));
    QKeyEvent enter(QEvent::KeyPress, Qt::Key_Enter, Qt::KeypadModifier);
    QVERIFY(f.win.eventFilter(edit, &enter));
    QCOMPARE(f.pty.readFor(100), QByteArray("bat 1\r"));
    QKeyEvent letter(QEvent::KeyPress, Qt::Key_A, Qt::NoModifier, QStringLiteral("a"));
    QVERIFY(!f.win.eventFilter(edit, &letter));
}

void TestMainWindow::quitQuestion_data()
{
    QTest::addColumn<int>("answer");
    QTest::addColumn<bool>("accepted");
    QTest::newRow("yes") << int(QMessageBox::Yes) << true;
    QTest::newRow("no") << int(QMessageBox::No) << false;
}

void TestMainWindow::quitQuestion()
{
    QFETCH(int, answer);
    QFETCH(bool, accepted);
    WindowFixture f;
    QVERIFY(f.login());
    f.boxes.button = static_cast<QMessageBox::StandardButton>(answer);
    QCloseEvent ev;
    QApplication::sendEvent(&f.win, &ev);
    QCOMPARE(ev.isAccepted(), accepted);
    QCOMPARE(f.boxes.seen(), QStringList{QStringLiteral("Korvello|Do you wish to quit Korvello?")});
    QCOMPARE(int(f.boxes.requests.first().buttons), int(QMessageBox::Yes | QMessageBox::No));
    QVERIFY(f.win.portOpen); // the question alone never touches the link
}

void TestMainWindow::clockText()
{
    WindowFixture f;
    f.win.CurrTimeTimerOut();
    const QString text = f.win.sysTimeLab->text();
    QVERIFY(text.startsWith(QStringLiteral("System Time: ")));
    const QDateTime shown = QDateTime::fromString(text.mid(13), QStringLiteral("yyyy/MM/dd hh:mm"));
    QVERIFY(shown.isValid());
    QVERIFY(qAbs(shown.secsTo(QDateTime::currentDateTime())) < 120);
}

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
