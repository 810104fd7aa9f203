#include "loghandler.h"
#include "logtext.h"
#include "suitetools.h"

#include <QSet>
#include <QTemporaryDir>
#include <QThread>
#include <QtTest>

#include <atomic>

namespace {
std::atomic<qint64> fakeNowMs{0};

QDateTime at(const QString& text)
{
    return QDateTime::fromString(text, QStringLiteral("yyyy-MM-dd hh:mm:ss.zzz"));
}

void setNow(const QString& text)
{
    fakeNowMs.store(at(text).toMSecsSinceEpoch());
}

QStringList logFiles()
{
    return QDir(QStringLiteral("log")).entryList(QDir::Files, QDir::Name);
}

// Every file in log/ in name order: dated files before "today.log".
QByteArray allLogs()
{
    QByteArray all;
    for (const QString& name : logFiles())
        all += fileBytes(QStringLiteral("log/") + name);
    return all;
}

void writeLog(const QString& name, const QByteArray& content, const QDateTime& modified)
{
    QVERIFY(QDir().mkpath(QStringLiteral("log")));
    QFile f(QStringLiteral("log/") + name);
    QVERIFY(f.open(QIODevice::WriteOnly) && f.write(content) == content.size() && f.flush());
    QVERIFY(f.setFileTime(modified, QFileDevice::FileModificationTime));
}
} // namespace

class TestLogHandler : public QObject
{
    Q_OBJECT

    QTemporaryDir workDir; // each test starts in it without a log folder

private slots:
    void init()
    {
        QVERIFY(QDir::setCurrent(workDir.path()) && QDir(QStringLiteral("log")).removeRecursively());
        setNow(QStringLiteral("2030-01-10 12:00:00.512"));
        LogHandler::setClock([] { return QDateTime::fromMSecsSinceEpoch(fakeNowMs.load()); });
    }

    void cleanup()
    {
        LogHandler::Get().uninstallMessageHandler();
        LogHandler::setClock({});
        LogHandler::setFolderLimit(0);
    }

    void lineFormat_data()
    {
        QTest::addColumn<int>("type");
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QString>("message");
        QTest::addColumn<QByteArray>("expected");

        QTest::newRow("debug") << int(QtDebugMsg) << QByteArray("/home/op/src/app/window.cpp") << "50%1 \"done\"\t\x01"
                               << QByteArray("2030-01-10 12:00:00.512 - [DEBUG] (window.cpp:88, f()): 50%1 \"done\"\t\x01");
        QTest::newRow("info") << int(QtInfoMsg) << QByteArray("main.cpp") << "当前命令：pwr 😀\u200b"
                              << "2030-01-10 12:00:00.512 - [INFO ] (main.cpp:88, f()): " + QByteArray("当前命令：pwr 😀\u200b");
        QTest::newRow("warning, next second") << int(QtWarningMsg) << QByteArray("C:\\src\\x.cpp") << "C:\\x\r\n\x7f"
                                              << QByteArray("2030-01-10 12:00:01.007 - [WARN ] (x.cpp:88, f()): C:\\x\r\n\x7f");
        QTest::newRow("critical, next day") << int(QtCriticalMsg) << QByteArray("c.cpp") << QString(QChar(0xdc00))
                                            << QByteArray("2030-01-11 00:00:00.000 - [ERROR] (c.cpp:88, f()): ?");
    }

    // Each row goes through the start-up sequence: a removal before any installation is
    // harmless, a second installation changes nothing, and the check's line reaches only
    // the handler that was there before (the test's), never the file. A first line is
    // written at the start time, so that the row's own time stamp shows whether the stamp
    // follows the clock. The receive path logs replies with LogText::quoted and noquote():
    // that must read as QDebug's own quoting.
    void lineFormat()
    {
        QFETCH(int, type);
        QFETCH(QByteArray, file);
        QFETCH(QString, message);
        QFETCH(QByteArray, expected);

        LogHandler::Get().uninstallMessageHandler();
        LogHandler::Get().installMessageHandler();
        LogHandler::Get().installMessageHandler();
        QTest::ignoreMessage(QtDebugMsg, "不写入测试");
        LogHandler::Get().checkMessageHandler();
        qDebug("first");
        setNow(QString::fromLatin1(expected.left(23)));
        qt_message_output(QtMsgType(type), QMessageLogContext(file.constData(), 88, "f()", "default"), message);
        LogHandler::Get().uninstallMessageHandler();
        QTest::ignoreMessage(QtDebugMsg, "after removal"); // the earlier handler is back
        qDebug("after removal");
        QVERIFY2(allLogs().endsWith("): first\n" + expected + "\n") && allLogs().count('\n') == 2 + message.count('\n'),
                 allLogs().constData());
        QString byQDebug;
        QDebug(&byQDebug) << message;
        QCOMPARE(LogText::quoted(message) + QLatin1Char(' '), byQDebug);
    }

    void dayRotation_data()
    {
        QTest::addColumn<QString>("lastWritten"); // of an earlier run's today.log; empty: none
        QTest::addColumn<bool>("copyFails");
        QTest::addColumn<QString>("laterNow"); // the clock after the first line; empty: unchanged
        QTest::addColumn<QStringList>("files");

        const QStringList both{QStringLiteral("2030-01-05.log"), QStringLiteral("today.log")};
        QTest::newRow("earlier day renamed at start") << "2030-01-05 22:10:00.000" << false << "" << both;
        QTest::newRow("same day appended") << "2030-01-10 08:00:00.000" << false << "" << QStringList{"today.log"};
        QTest::newRow("failed copy kept, tried again") << "2030-01-05 22:10:00.000" << true << "" << both;
        QTest::newRow("midnight on a tick") << "" << false << "2030-01-11 00:00:01.000"
                                            << QStringList{"2030-01-10.log", "today.log"};
    }

    void dayRotation()
    {
        QFETCH(QString, lastWritten);
        QFETCH(bool, copyFails);
        QFETCH(QString, laterNow);
        QFETCH(QStringList, files);

        const QByteArray earlier = lastWritten.isEmpty() ? QByteArray() : "earlier run " + QByteArray(2000, 'e') + "\n";
        if (!earlier.isEmpty())
            writeLog(QStringLiteral("today.log"), earlier, at(lastWritten));
        {
            // No file may grow past 1 KiB, as on a full disk: the copy cannot be written.
            const SaveFault disk(copyFails ? SaveFault::DiskFull : SaveFault::None, QStringLiteral("log"), 1024);
            LogHandler::Get().installMessageHandler();
        }
        // No waiting: a rename of an earlier day's file belongs to the installation itself.
        if (!copyFails)
            QCOMPARE(logFiles().size(), earlier.isEmpty() ? 1 : files.size());
        qDebug("first line");
        if (!laterNow.isEmpty())
            setNow(laterNow);
        // A failed copy and midnight are both the next tick's.
        QTRY_COMPARE_WITH_TIMEOUT(logFiles(), files, 3000);
        qDebug("last line");
        LogHandler::Get().uninstallMessageHandler();

        const QByteArray all = allLogs();
        QVERIFY(all.startsWith(earlier + QByteArray(lastWritten.isEmpty() ? "2030-01-10 12:00:00.512" : "")));
        QVERIFY(all.endsWith(": last line\n"));
        QCOMPARE(all.count('\n'), earlier.count('\n') + 2);
        if (!laterNow.isEmpty())
            QVERIFY(fileBytes(QStringLiteral("log/today.log")).startsWith("2030-01-11")); // the first line stayed behind
    }

    // On a tick a "today.log" past 5 KB is moved aside and dated logs and size backups from
    // days that began more than 30 days ago go; with a lower bound the next tick brings the
    // folder under it, the oldest size backups first. A flood written between two ticks is
    // bounded as it is written.
    void tickRotationPruningAndBound()
    {
        setNow(QStringLiteral("2030-03-10 12:00:00.000"));
        const QStringList old{"2030-02-08.log", "2030-02-07 23:59:59.log", "2030-02-07 08:00:00 (3).log"};
        const QStringList young{"2030-02-09.log", "2030-03-09.log", "notes.log"};
        for (const QString& name : old + young)
            writeLog(name, "x\n", at(QStringLiteral("2030-03-10 11:00:00.000")));
        writeLog(QStringLiteral("today.log"), QByteArray(5200, 't'), at(QStringLiteral("2030-03-10 11:00:00.000")));
        const qint64 limit = 64 * 1024;
        const QDateTime day = at(QStringLiteral("2030-03-10 08:00:00.000"));
        const auto backup = [&](int i) { return day.addSecs(i).toString("yyyy-MM-dd hh:mm:ss'.log'"); };
        for (int i = 0; i < 40; ++i)
            writeLog(backup(i), QByteArray(4096, 'b'), day.addSecs(i));
        writeLog(QStringLiteral("big notes.log"), QByteArray(limit, 'n'), day); // not ours: kept, not counted
        LogHandler::Get().installMessageHandler();
        QTRY_VERIFY_WITH_TIMEOUT(!QFile::exists(QStringLiteral("log/") + old.first()), 3000);
        for (const QString& name : old)
            QVERIFY2(!QFile::exists(QStringLiteral("log/") + name), qPrintable(name));
        for (const QString& name : young + QStringList{backup(0), "2030-03-10 12:00:00.log"})
            QVERIFY2(QFile::exists(QStringLiteral("log/") + name), qPrintable(name));
        QCOMPARE(fileBytes(QStringLiteral("log/today.log")), QByteArray());
        LogHandler::setFolderLimit(limit);
        QTRY_VERIFY_WITH_TIMEOUT(!QFile::exists(QStringLiteral("log/") + backup(0)), 3000);
        QVERIFY(QFile::exists(QStringLiteral("log/") + backup(30)) && QFile::exists(QStringLiteral("log/") + backup(39)));
        for (int i = 0; i < 16 * 1024; ++i) // 1 MiB
            QMessageLogger("flood.cpp", 1, "flood").debug("%s", QByteArray(60, 'f').constData());
        LogHandler::Get().uninstallMessageHandler();

        qint64 ours = 0;
        for (const QFileInfo& fi : QDir(QStringLiteral("log")).entryInfoList(QDir::Files))
            ours += fi.fileName().endsWith(QLatin1String("notes.log")) ? 0 : fi.size();
        QVERIFY2(ours <= limit, qPrintable(QString::number(ours)));
    }

    // Lines from four threads at once reach the files whole and all of them, while both the
    // ticks and the flood check move "today.log" aside, many times within one second, under
    // numbered names.
    void threadsFloodWholeLines()
    {
        const int threads = 4, perThread = 800;
        LogHandler::setFolderLimit(16 * 64 * 1024); // looked at every 64 KiB
        LogHandler::Get().installMessageHandler();
        QList<QThread*> workers;
        for (int t = 0; t < threads; ++t) {
            workers << QThread::create([t] {
                for (int i = 0; i < perThread; ++i) {
                    QMessageLogger("w.cpp", 1, "worker").debug("thread %d message %d %s", t, i, QByteArray(40, 'x').constData());
                    if (i % 8 == 0) // long enough for a tick to fall in
                        QThread::usleep(25000);
                }
            });
            workers.last()->start();
        }
        for (QThread* w : workers)
            QTRY_VERIFY_WITH_TIMEOUT(w->isFinished(), 20000);
        qDeleteAll(workers);
        LogHandler::Get().uninstallMessageHandler();

        QVERIFY2(logFiles().contains(QStringLiteral("2030-01-10 12:00:00 (3).log")), qPrintable(logFiles().join(',')));
        QSet<QByteArray> expected{QByteArray()};
        for (int i = 0; i < threads * perThread; ++i)
            expected << "2030-01-10 12:00:00.512 - [DEBUG] (w.cpp:1, worker): thread " + QByteArray::number(i % threads)
                            + " message " + QByteArray::number(i / threads) + " " + QByteArray(40, 'x');
        QList<QByteArray> lines = allLogs().split('\n');
        QCOMPARE(lines.size(), threads * perThread + 1);
        QCOMPARE(QSet<QByteArray>(lines.begin(), lines.end()), expected);
    }
};

QTEST_GUILESS_MAIN(TestLogHandler)
#include "tst_loghandler.moc"
