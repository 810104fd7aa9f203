// The program against the simulated BMS over a real pseudo-terminal: what the polling
// cycle puts on the wire, in which order and at which pace, and how a session ends.
#include "battery.h"
#include "simconsole.h"
#include "suitetools.h"

#include <QAction>
#include <QElapsedTimer>
#include <QLabel>
#include <QtTest>

namespace {
QString barcodeOf(BmsSimulator& sim, int pack)
{
    QString barcode;
    sim.access([&](SimConsole& c) { barcode = c.device().pack(pack).barcode; });
    return QStringLiteral("Barcode: ") + barcode;
}
} // namespace

class TestE2eChannel : public QObject
{
    Q_OBJECT
private slots:
    // The Tools menu's simulated BMS, its replies arriving in random pieces as from a
    // UART, polled for ten seconds and then left by Logout or by stopping it from the
    // menu (the port goes away like a pulled adapter): the page is left alike, and the
    // next BMS logged in to is read under its own identity, not the previous one's.
    void pollingAndSessionEnd_data()
    {
        QTest::addColumn<bool>("unplug");
        QTest::newRow("Logout") << false;
        QTest::newRow("simulator stopped") << true;
    }

    void pollingAndSessionEnd()
    {
        QFETCH(bool, unplug);
        BoxRecorder boxes;
        BMSMainWin win;
        auto* action = win.findChild<QAction*>(QStringLiteral("actionSimulator"));
        action->trigger();
        BmsSimulator* simA = win.simulatorDevice();
        QVERIFY(simA && action->isChecked());
        SimFaults chunked;
        chunked.chunk = true;
        simA->setFaults(chunked);
        QStringList commands;
        QList<qint64> at;
        QElapsedTimer clock;
        connect(simA, &BmsSimulator::commandReceived, this, [&](const QString& line) {
            commands << line.trimmed();
            at << clock.elapsed();
        });
        const QString portA = simA->portPath();
        clock.start();
        QVERIFY(loginToSim(win, portA));
        // the opening chain, the fifth tick's, then the tenth tick's chosen pack in detail
        const QStringList chain{"pwrsys", "pwr", "balance", "ctrl"};
        const QStringList expected = QStringList{"login debug"} + chain + chain + QStringList{"info 1", "bat 1", "pwr 1"};
        QTRY_COMPARE_WITH_TIMEOUT(commands, expected, 14000);
        QVERIFY2(at[5] > 4500 && at[5] < 6500, qPrintable(QString::number(at[5])));
        QVERIFY2(at[9] > 9500 && at[9] < 11500, qPrintable(QString::number(at[9])));
        // each chain step follows its predecessor's reply after the 200 ms pause
        for (int i : {6, 7, 8, 10, 11}) {
            const qint64 gap = at[i] - at[i - 1];
            QVERIFY2(gap >= 190 && gap < 900, qPrintable(QStringLiteral("%1: %2 ms").arg(commands[i]).arg(gap)));
        }
        auto* barcodeLab = win.findChild<QLabel*>(QStringLiteral("BarcodeLab"));
        QTRY_COMPARE_WITH_TIMEOUT(win.cmdStateLab->text(), QStringLiteral("Command State: completed successfully"), 2000);
        QCOMPARE(barcodeLab->text(), barcodeOf(*simA, 1));

        if (unplug)
            action->trigger();
        else
            win.CloseBtn_clicked();
        QTRY_VERIFY_WITH_TIMEOUT(!win.portOpen, 3000);
        QTest::qWait(300); // a chain step that was pausing has come and gone
        QStringList overview; // what the operator reads on the overview page, the first gauge included
        for (const char* name : {"StateLab", "PreNumLab", "TotalVolLab", "AddLab", "BarcodeLab", "CellNumLab", "CurrBatNumLab"})
            overview << win.findChild<QLabel*>(QLatin1String(name))->text();
        QCOMPARE(overview << QString::number(win.gauges().first()->getValue()),
                 (QStringList{"State: ", "Present Num: ", "Total Voltage: ", "Device Address: ", "Barcode: ", "Cell Number: ", " ", "0"}));
        QCOMPARE(boxes.seen(), unplug ? QStringList{"Error|The serial port diconnect! Please check!"} : QStringList());
        QVERIFY(!win.pollTimer->isActive() && win.deviceModel.isEmpty() && win.findChild<QPushButton*>(QStringLiteral("OpenBtn"))->isEnabled());
        if (unplug)
            QVERIFY(!win.simulatorDevice() && !action->isChecked() && !win.getSerialNameList().contains(portA));
        else
            QCOMPARE(commands.last(), QStringLiteral("logout"));

        SimOptions other;
        other.seed = 12;
        BmsSimulator simB(other);
        QVERIFY(simB.start());
        QVERIFY(loginToSim(win, simB.portPath()));
        QCOMPARE(win.findChild<QLabel*>(QStringLiteral("CurrBatNumLab"))->text(), QStringLiteral("0"));
        win.pollTimer->stop();
        win.pollTick = 9;
        win.RealTimerTimeOut(); // the tenth tick reads the pack's identity anew
        QTRY_COMPARE_WITH_TIMEOUT(barcodeLab->text(), barcodeOf(simB, 1), 5000);
    }
};

QTEST_MAIN(TestE2eChannel)
#include "tst_e2e_channel.moc"
