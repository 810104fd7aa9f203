// The program against the simulated BMS over a real pseudo-terminal: what the
// polling cycle puts on the wire, in which order and at which pace.
#include "bmssimulator.h"
#include "boxrecorder.h"
#include "bmsmainwin.h"
#include "battery.h"
#include "simconsole.h"

#include <QAction>
#include <QComboBox>
#include <QElapsedTimer>
#include <QLabel>
#include <QtTest>

class TestE2eChannel : public QObject
{
    Q_OBJECT
private slots:
    void pollingChainOnTheWire();
    void simulatorFromToolsMenu();
    void sessionEndResetsViews_data();
    void sessionEndResetsViews();
};

void TestE2eChannel::pollingChainOnTheWire()
{
    SimOptions options;
    options.packs = 3;
    options.seed = 11;
    options.faults.chunk = true; // replies arrive in random pieces, as from a UART
    BmsSimulator sim(options);
    QVERIFY(sim.start());

    struct Line {
        QString command;
        qint64 at;
    };
    QList<Line> wire;
    QElapsedTimer clock;
    clock.start();
    connect(&sim, &BmsSimulator::commandReceived, this, [&](const QString& line) {
        wire << Line{line.trimmed(), clock.elapsed()};
    });

    BoxRecorder boxes;
    BMSMainWin win;
    win.findChild<QComboBox*>(QStringLiteral("PortComBox"))->setCurrentText(sim.portPath());
    const qint64 openedAt = clock.elapsed();
    win.OpenBtn_clicked();
    QVERIFY(win.portOpen);

    auto commands = [&wire] {
        QStringList out;
        for (const Line& l : wire)
            out << l.command;
        return out;
    };
    const QStringList chain{"pwrsys", "pwr", "balance", "ctrl"};
    QStringList expected = QStringList{"login debug"} + chain;
    QTRY_COMPARE_WITH_TIMEOUT(commands(), expected, 4000);

    // fifth tick: the same chain; tenth tick: the chosen pack in detail
    expected += chain;
    QTRY_COMPARE_WITH_TIMEOUT(commands(), expected, 8000);
    expected += QStringList{"info 1", "bat 1", "pwr 1"};
    QTRY_COMPARE_WITH_TIMEOUT(commands(), expected, 8000);

    const qint64 fifthTick = wire.at(5).at - openedAt;
    QVERIFY2(fifthTick > 4500 && fifthTick < 6500, qPrintable(QString::number(fifthTick)));
    const qint64 tenthTick = wire.at(9).at - openedAt;
    QVERIFY2(tenthTick > 9500 && tenthTick < 11500, qPrintable(QString::number(tenthTick)));
    // each chain step follows its predecessor's reply after the 200 ms pause
    for (int i : {6, 7, 8, 10, 11}) {
        const qint64 gap = wire.at(i).at - wire.at(i - 1).at;
        QVERIFY2(gap >= 190 && gap < 900, qPrintable(QStringLiteral("%1: %2 ms").arg(wire.at(i).command).arg(gap)));
    }
    QTRY_COMPARE_WITH_TIMEOUT(win.cmdStateLab->text(), QStringLiteral("Command State: completed successfully"), 2000);
    QCOMPARE(boxes.count(), 0);
    win.CloseBtn_clicked();
    QTRY_COMPARE(commands().last(), QStringLiteral("logout"));
}

// Tools > Simulated BMS starts a device on a fresh port and selects it; Login reaches
// it; choosing the action again takes the port away like an unplugged adapter.
void TestE2eChannel::simulatorFromToolsMenu()
{
    BoxRecorder boxes;
    BMSMainWin win;
    auto* action = win.findChild<QAction*>(QStringLiteral("actionSimulator"));
    QVERIFY(action);
    action->trigger();
    QVERIFY(win.simulatorDevice());
    const QString port = win.simulatorDevice()->portPath();
    QVERIFY(port.startsWith(QStringLiteral("/dev/")));
    QVERIFY(action->isChecked());
    QVERIFY(win.getSerialNameList().contains(port));
    auto* box = win.findChild<QComboBox*>(QStringLiteral("PortComBox"));
    QCOMPARE(box->currentText(), port);

    win.OpenBtn_clicked();
    QVERIFY(win.portOpen);
    QTRY_COMPARE_WITH_TIMEOUT(win.cmdStateLab->text(), QStringLiteral("Command State: completed successfully"), 3000);

    action->trigger(); // stop
    QVERIFY(!win.simulatorDevice());
    QVERIFY(!action->isChecked());
    QTRY_VERIFY_WITH_TIMEOUT(!win.portOpen, 3000);
    QVERIFY(!win.getSerialNameList().contains(port));
}

namespace {
// What the operator reads on the overview page, the first gauge included.
QStringList overview(BMSMainWin& win)
{
    QStringList shown;
    for (const char* name : {"StateLab", "PreNumLab", "TotalVolLab", "AddLab", "BarcodeLab", "CellNumLab",
                             "CurrBatNumLab"})
        shown << win.findChild<QLabel*>(QLatin1String(name))->text();
    return shown << QString::number(win.gauges().first()->getValue());
}

QString barcodeOf(BmsSimulator& sim, int pack)
{
    QString barcode;
    sim.access([&](SimConsole& c) { barcode = c.device().pack(pack).barcode; });
    return QStringLiteral("Barcode: ") + barcode;
}
} // namespace

// Logout and a pulled adapter leave the page alike, and the next BMS logged in to is
// read under its own identity, not the previous one's.
void TestE2eChannel::sessionEndResetsViews_data()
{
    QTest::addColumn<bool>("unplug");
    QTest::newRow("Logout") << false;
    QTest::newRow("adapter pulled") << true;
}

void TestE2eChannel::sessionEndResetsViews()
{
    QFETCH(bool, unplug);
    SimOptions first;
    first.seed = 11;
    SimOptions second;
    second.seed = 12; // other barcodes
    BmsSimulator simA(first);
    BmsSimulator simB(second);
    QVERIFY(simA.start() && simB.start());
    BoxRecorder boxes;
    BMSMainWin win;
    auto* barcodeLab = win.findChild<QLabel*>(QStringLiteral("BarcodeLab"));
    const auto login = [&win](BmsSimulator& sim) { // and let the opening chain finish
        win.findChild<QComboBox*>(QStringLiteral("PortComBox"))->setCurrentText(sim.portPath());
        win.OpenBtn_clicked();
        return QTest::qWaitFor([&win] { return win.CurrentCommand == QLatin1String("ctrl\n"); }, 5000);
    };
    QVERIFY(login(simA));
    win.GroupBatClicked(false, 1);
    QTRY_COMPARE_WITH_TIMEOUT(barcodeLab->text(), barcodeOf(simA, 1), 5000);
    QTRY_VERIFY_WITH_TIMEOUT(win.gauges().first()->getValue() > 0, 5000);

    if (unplug)
        simA.stop();
    else
        win.CloseBtn_clicked();
    QTRY_VERIFY_WITH_TIMEOUT(!win.portOpen, 3000);
    QTest::qWait(300); // a chain step that was pausing has come and gone
    QCOMPARE(overview(win), (QStringList{"State: ", "Present Num: ", "Total Voltage: ", "Device Address: ",
                                         "Barcode: ", "Cell Number: ", " ", "0"}));
    QCOMPARE(boxes.count(), unplug ? 1 : 0);

    QVERIFY(login(simB));
    win.pollTimer->stop();
    win.pollTick = 9;
    win.RealTimerTimeOut(); // the tenth tick reads the pack's identity anew
    QTRY_COMPARE_WITH_TIMEOUT(barcodeLab->text(), barcodeOf(simB, 1), 5000);
    win.CloseBtn_clicked();
}

QTEST_MAIN(TestE2eChannel)
#include "tst_e2e_channel.moc"
