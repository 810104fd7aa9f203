// The recorder: the replies of a cycle, as the window parsed them, to CSV lines; and the
// file they go to, with the box the operator gets when it cannot take them.

#include "batteryinfo.h"
#include "recordfile.h"
#include "suitetools.h"

#include <QtTest>

namespace {

const QString kReplies = "pwrsys\nSystem is discharging\nPresent Num : 2\nSystem Volt : 52480 mV\nSystem Curr : -1250 mA\n"
                         "System SOC : 87 %\nSystem SOH : 100 %\nCommand completed successfully\f"
                         "pwr\nPower Volt Curr Tempr Tlow Thigh Vlow Vhigh Base.St Volt.St Curr.St Temp.St Coulomb Time B.V.St B.T.St\n"
                         "1 52480 -410 25000 n/a 26000 3270 3290 Normal Normal Normal Normal 87% 22-05-01 10:21:33 Normal Normal\n"
                         "2 52470 -420 25100 24100 26100 3268 3291 SysError Normal Normal \"Hot\",T3 85% 22-05-01 09:02:10 Normal Normal\n"
                         "Command completed successfully\fbalance\n1 0\n2 1\nCommand completed successfully\f"
                         "ctrl\nCFET : ON\nDFET : OFF\nCommand completed successfully\f"
                         "bat 2\nCell Volt Curr Temp Status VoltSt CurrSt TempSt SOC Coulomb\n"
                         "0 3281 -420 24000 Normal Normal Normal Normal 85% 85000 mAH\n"
                         "1 3268 -420 24500 Normal LowV Normal Normal 84% 84000 mAH\nCommand completed successfully\f"
                         "pwr 2\nCurrent : -420 mA\nTemperature : 25100 mC\nCoulomb : 85 %\nTotal Coulomb : 100000 mAH\n"
                         "Real Coulomb : 98000 mAH\nBasic Status : Normal\nSystem Fault : Normal\nCommand completed successfully";

} // namespace

class TestRecord : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        qputenv("TZ", "XST+3:30"); // POSIX form: no time zone database needed
    }

    // One cycle parsed by the window (one reply edited) and recorded into a file that
    // held `before`: the line `row` of the file without its time, or the box shown.
    void cycle_data()
    {
        QTest::addColumn<QString>("from");
        QTest::addColumn<QString>("to");
        QTest::addColumn<QByteArray>("before"); // null: no file yet
        QTest::addColumn<int>("room");          // bytes the file may grow by; -1: no limit
        QTest::addColumn<int>("row");
        QTest::addColumn<QString>("line");
        const QString sys = "system,,,discharge,2,52.48,-1.25,,,,,,87,100,ON,OFF,,,,,,,,";
        const QByteArray h = RecordFile::header();
        QTest::newRow("system, no value") << "System SOH" << "System S0H" << QByteArray() << -1 << 1 << "system,,,,,,,,,,,,,,ON,OFF,,,,,,,,";
        QTest::newRow("pack") << "" << "" << QByteArray() << -1 << 2 << "pack,1,,Normal,,52.48,-0.41,25,,26,3.27,3.29,87,,,,Normal,Normal,Normal,Normal,Normal,0,,22-05-01 10:21:33";
        QTest::newRow("pack in detail") << "Fault : Normal" << "Fault : Open, T3" << QByteArray() << -1 << 3
            << "pack,2,,SysError,,52.47,-0.42,25.1,24.1,26.1,3.268,3.291,85,98,,,Normal,Normal,\"\"\"Hot\"\",T3\",Normal,Normal,1,\"Open, T3\",22-05-01 09:02:10";
        QTest::newRow("cell") << "" << "" << QByteArray() << -1 << 5 << "cell,2,2,,,3.268,,24.5,,,,,,,,,LowV,,Normal,,,,,";
        QTest::newRow("earlier recording") << "" << "" << h + "z\r\n" << -1 << 2 << sys;
        QTest::newRow("row cut short") << "" << "" << h + "z,1" << -1 << 2 << sys;
        QTest::newRow("other data") << "" << "" << QByteArray("name,age\r\n") << -1 << 0 << "Error|Cannot record to %1:\nIt holds other data than a recording of this program.";
        QTest::newRow("disk full") << "" << "" << h << 100 << 0 << "Error|Recording stopped, %1 cannot be written:\nFile too large";
    }

    void cycle()
    {
        QFETCH(QString, from);
        QFETCH(QString, to);
        QFETCH(QByteArray, before);
        QFETCH(int, room);
        QFETCH(int, row);
        QFETCH(QString, line);
        const QStringList r = QString(kReplies).replace(from, to).split('\f');
        QTemporaryDir dir;
        const QString path = dir.filePath("r.csv");
        QVERIFY(before.isNull() || writeFile(path, before));
        BoxRecorder boxes;
        BMSMainWin win;
        win.currBatNum = 2;
        win.findChild<BatteryInfo*>("BattInfoWid")->SetCellNumber(2);
        win.PwrsysProcess(r[0]);
        win.PwrAlarmProcess(r[1], 2);
        win.BalanceProcess(r[2], 2);
        win.CtrlProcess(r[3]);
        win.BatProcess(r[4], 2);
        win.PwrSigleProcess(r[5]);
        {
            const SaveFault fault(room < 0 ? SaveFault::None : SaveFault::DiskFull, QString(), rlim_t(before.size() + room));
            if (win.StartRecording(path))
                win.PollCycleCompleted();
        }

        const QByteArray content = fileBytes(path);
        if (line.startsWith("Error|")) {
            QCOMPARE(boxes.seen(), QStringList(line.arg(path)));
            QCOMPARE(content, before); // untouched, or cut back to the last whole cycle
            QVERIFY(!win.recordFile);
            return;
        }
        QVERIFY(content.startsWith(before.isNull() ? RecordFile::header() : before));
        const QByteArray got = content.split('\n').at(row);
        QCOMPARE(got.mid(got.indexOf(',') + 1), line.toUtf8() + '\r');
        // Local time with its offset from UTC; the zone of this run is UTC-3:30.
        QVERIFY(QRegularExpression("^\\d{4}-\\d\\d-\\d\\dT\\d\\d:\\d\\d:\\d\\d-03:30,").match(got).hasMatch());
    }
};

QTEST_MAIN(TestRecord)
#include "tst_record.moc"
