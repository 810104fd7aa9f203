// The recorder without a window: parsed replies to CSV lines, and the file they go to.

#include "balancereply.h"
#include "batreply.h"
#include "ctrlreply.h"
#include "pwrsinglereply.h"
#include "pwrsysreply.h"
#include "pwrtablereply.h"
#include "recordfile.h"
#include "recordrowbuilder.h"

#include <QTemporaryDir>
#include <QtTest>

#include <csignal>
#include <sys/resource.h>

namespace {

const QString kPwrsys = "pwrsys\nSystem is discharging\nPresent Num : 2\nSystem Volt : 52480 mV\n"
                        "System Curr : -1250 mA\nSystem SOC : 87 %\nSystem SOH : 100 %\nCommand completed successfully";
const QString kPwr = "pwr\nPower Volt Curr Tempr Tlow Thigh Vlow Vhigh Base.St Volt.St Curr.St Temp.St Coulomb Time B.V.St B.T.St\n"
                     "1 52480 -410 25000 24000 26000 3270 3290 Normal Normal Normal Normal 87% 22-05-01 10:21:33 Normal Normal\n"
                     "2 52470 -420 25100 24100 26100 3268 3291 SysError Normal Normal HTemp 85% 22-05-01 09:02:10 Normal Normal\n"
                     "Command completed successfully";
const QString kPwr2 = "pwr 2\nCurrent : -420 mA\nTemperature : 25100 mC\nCoulomb : 85 %\nTotal Coulomb : 100000 mAH\n"
                      "Real Coulomb : 98000 mAH\nBasic Status : Normal\nSystem Fault : Normal\nCommand completed successfully";
const QString kBat2 = "bat 2\nCell Volt Curr Temp Status VoltSt CurrSt TempSt SOC Coulomb\n"
                      "0 3281 -420 24000 Normal Normal Normal Normal 85% 85000 mAH\n"
                      "1 3268 -420 24500 Normal LowV Normal Normal 84% 84000 mAH\nCommand completed successfully";

} // namespace

class TestRecord : public QObject
{
    Q_OBJECT

private slots:
    // One edit of the replies of a cycle, and the line it gives.
    void rows_data()
    {
        QTest::addColumn<QString>("from");
        QTest::addColumn<QString>("to");
        QTest::addColumn<int>("offsetMin");
        QTest::addColumn<int>("row");
        QTest::addColumn<QString>("line");
        const QString t = "2024-06-01T10:00:05+02:00,";
        QTest::newRow("system") << "" << "" << 120 << 0 << t + "system,,,discharge,2,52.48,-1.25,,,,,,87,100,ON,OFF,,,,,,,,";
        QTest::newRow("system, no value") << "System SOH" << "System S0H" << 120 << 0 << t + "system,,,,,,,,,,,,,,ON,OFF,,,,,,,,";
        QTest::newRow("west of UTC") << "" << "" << -210 << 0 << "2024-06-01T10:00:05-03:30,system,,,discharge,2,52.48,-1.25,,,,,,87,100,ON,OFF,,,,,,,,";
        QTest::newRow("UTC") << "" << "" << 0 << 0 << "2024-06-01T10:00:05+00:00,system,,,discharge,2,52.48,-1.25,,,,,,87,100,ON,OFF,,,,,,,,";
        QTest::newRow("pack") << "" << "" << 120 << 1 << t + "pack,1,,Normal,,52.48,-0.41,25,24,26,3.27,3.29,87,,,,Normal,Normal,Normal,Normal,Normal,0,,22-05-01 10:21:33";
        QTest::newRow("pack in detail") << "" << "" << 120 << 2 << t + "pack,2,,SysError,,52.47,-0.42,25.1,24.1,26.1,3.268,3.291,85,98,,,Normal,Normal,HTemp,Normal,Normal,1,Normal,22-05-01 09:02:10";
        QTest::newRow("pack volt not a number") << "52480 -410" << "n/a -410" << 120 << 1 << t + "pack,1,,Normal,,,-0.41,25,24,26,3.27,3.29,87,,,,Normal,Normal,Normal,Normal,Normal,0,,22-05-01 10:21:33";
        QTest::newRow("state with a comma") << "SysError" << "Sys,Error" << 120 << 2 << t + "pack,2,,\"Sys,Error\",,52.47,-0.42,25.1,24.1,26.1,3.268,3.291,85,98,,,Normal,Normal,HTemp,Normal,Normal,1,Normal,22-05-01 09:02:10";
        QTest::newRow("fault with comma and quotes") << "Fault : Normal" << "Fault : Sensor \"T3\", open" << 120 << 2 << t + "pack,2,,SysError,,52.47,-0.42,25.1,24.1,26.1,3.268,3.291,85,98,,,Normal,Normal,HTemp,Normal,Normal,1,\"Sensor \"\"T3\"\", open\",22-05-01 09:02:10";
        QTest::newRow("cell") << "" << "" << 120 << 4 << t + "cell,2,2,,,3.268,,24.5,,,,,,,,,LowV,,Normal,,,,,";
    }

    void rows()
    {
        QFETCH(QString, from);
        QFETCH(QString, to);
        QFETCH(int, offsetMin);
        QFETCH(int, row);
        QFETCH(QString, line);
        QString replies = QStringList{ kPwrsys, kPwr, "balance\n1 0\n2 1\nCommand completed successfully",
                                       "ctrl\nCFET : ON\nDFET : OFF\nCommand completed successfully", kPwr2, kBat2 }
                              .join('\f');
        if (!from.isEmpty())
            replies.replace(replies.indexOf(from), from.size(), to);
        const QStringList r = replies.split('\f');
        const PwrsysReply sys = PwrsysReply::parse(r[0]);
        const CtrlReply ctrl = CtrlReply::parse(r[3]);
        const PwrSingleReply detail = PwrSingleReply::parse(r[4]);
        RecordRowBuilder::Cycle c;
        c.time = QDateTime(QDate(2024, 6, 1), QTime(10, 0, 5), Qt::OffsetFromUTC, offsetMin * 60);
        c.state = sys.state;
        c.presentNum = sys.presentNum;
        c.voltage = sys.totalVoltage;
        c.current = sys.totalCurrent;
        c.soc = sys.totalSoc;
        c.soh = sys.totalSoh;
        c.cfet = ctrl.cfet;
        c.dfet = ctrl.dfet;
        c.packs = PwrTableReply::parse(r[1], 2).packs;
        c.balance = BalanceReply::parse(r[2], 2).states;
        c.detailPack = 2;
        c.detailSoh = detail.soh;
        c.detailFault = detail.sysDefault;
        c.cells = BatReply::parse(r[5], 2).cells;
        const QList<QStringList> rows = RecordRowBuilder::rows(c);
        QCOMPARE(rows.size(), 5);
        QCOMPARE(RecordRowBuilder::line(rows.at(row)), line.toUtf8() + "\r\n");
    }

    // Two cycles appended to what the file held before.
    void file_data()
    {
        QTest::addColumn<QByteArray>("before"); // null: no file
        QTest::addColumn<int>("room");          // bytes the file may grow by; -1: no limit
        QTest::addColumn<QByteArray>("after");  // null: the file is refused
        QTest::addColumn<QString>("error");
        const QByteArray h = RecordFile::header();
        QTest::newRow("new file") << QByteArray() << -1 << h + "a\r\nb\r\n" << "";
        QTest::newRow("empty file") << QByteArray("") << -1 << h + "a\r\nb\r\n" << "";
        QTest::newRow("earlier recording") << h + "z\r\n" << -1 << h + "z\r\na\r\nb\r\n" << "";
        QTest::newRow("row cut short") << h + "z,1" << -1 << h + "z,1\r\na\r\nb\r\n" << "";
        QTest::newRow("other data") << QByteArray("name,age\r\n") << -1 << QByteArray() << "other data";
        QTest::newRow("a directory") << QByteArray("dir") << -1 << QByteArray() << "directory";
        QTest::newRow("disk full") << h << 4 << h + "a\r\n" << "File too large";
    }

    void file()
    {
        QFETCH(QByteArray, before);
        QFETCH(int, room);
        QFETCH(QByteArray, after);
        QFETCH(QString, error);
        QTemporaryDir dir;
        const QString path = dir.filePath("rec.csv");
        if (before == "dir")
            QVERIFY(QDir(dir.path()).mkdir("rec.csv"));
        else if (!before.isNull())
            QVERIFY(writeAll(path, before));

        rlimit saved{};
        getrlimit(RLIMIT_FSIZE, &saved);
        if (room >= 0) {
            // Past the limit a write fails with EFBIG instead of the signal ending us.
            std::signal(SIGXFSZ, SIG_IGN);
            rlimit full = saved;
            full.rlim_cur = before.size() + room;
            setrlimit(RLIMIT_FSIZE, &full);
        }
        RecordFile file(path);
        const bool ok = file.open() && file.append({ { "a" } }) && file.append({ { "b" } });
        setrlimit(RLIMIT_FSIZE, &saved);

        QCOMPARE(ok, error.isEmpty());
        QVERIFY2(file.errorString().contains(error), qPrintable(file.errorString()));
        QFile written(path);
        if (before != "dir" && written.open(QIODevice::ReadOnly))
            QCOMPARE(written.readAll(), after.isNull() ? before : after);
        QCOMPARE(file.rowsWritten(), qint64(error.isEmpty() ? 2 : room >= 0 ? 1 : 0));
    }

private:
    static bool writeAll(const QString& path, const QByteArray& bytes)
    {
        QFile f(path);
        return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
    }
};

QTEST_GUILESS_MAIN(TestRecord)
#include "tst_record.moc"
