#include "loghandler.h"

#include <QRegularExpression>
#include <QSet>
#include <QTemporaryDir>
#include <QThread>
#include <QtTest>

#include <atomic>
#include <csignal>
#include <memory>

#include <sys/resource.h>

namespace {
std::atomic<qint64> fakeNowMs{0};

QDateTime at(const char* text)
{
    return QDateTime::fromString(QString::fromLatin1(text), QStringLiteral("yyyy-MM-dd hh:mm:ss.zzz"));
}

void setNow(const char* text)
{
    fakeNowMs.store(at(text).toMSecsSinceEpoch());
}

QByteArray readLog(const QString& name)
{
    QFile f(QStringLiteral("log/") + name);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

QStringList logFiles()
{
    return QDir(QStringLiteral("log")).entryList(QDir::Files, QDir::Name);
}

// Every file in log/ one after the other, in name order (dated files before "today.log").
QByteArray allLogs()
{
    QByteArray all;
    for (const QString& name : logFiles())
        all += readLog(name);
    return all;
}

void writeLog(const QString& name, const QByteArray& content, const QDateTime& modified)
{
    QVERIFY(QDir().mkpath(QStringLiteral("log")));
    QFile f(QStringLiteral("log/") + name);
    QVERIFY(f.open(QIODevice::WriteOnly) && f.write(content) == content.size() && f.flush());
    QVERIFY(f.setFileTime(modified, QFileDevice::FileModificationTime));
}

// Writes 60 lines, together well past the size at which "today.log" is moved aside.
void writeMoreThanLimit(const char* tag)
{
    for (int i = 0; i < 60; ++i)
        QMessageLogger("fill.cpp", 1, "fill").debug("%s %d %s", tag, i, QByteArray(100, 'x').constData());
}
} // namespace

class TestLogHandler : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void lineFormat_data();
    void lineFormat();
    void dayRotationOnTick();
    void startWithEarlierLog_data();
    void startWithEarlierLog();
    void sizeRotationsInOneSecondKeepBoth();
    void pruning();
    void folderBound();
    void threadsWriteWholeLines();
    void installTwiceRemoveOnceAndCheck();

private:
    std::unique_ptr<QTemporaryDir> workDir;
    QString previousDir;
};

void TestLogHandler::init()
{
    previousDir = QDir::currentPath();
    workDir.reset(new QTemporaryDir);
    QVERIFY(QDir::setCurrent(workDir->path()));
    setNow("2030-01-10 12:00:00.512");
    LogHandler::setClock([] { return QDateTime::fromMSecsSinceEpoch(fakeNowMs.load()); });
}

void TestLogHandler::cleanup()
{
    LogHandler::Get().uninstallMessageHandler();
    LogHandler::setClock({});
    LogHandler::setFolderLimit(0);
    QDir::setCurrent(previousDir);
    workDir.reset();
}

void TestLogHandler::lineFormat_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QString>("message");
    QTest::addColumn<QByteArray>("expected");

    QTest::newRow("debug") << int(QtDebugMsg) << QByteArray("/home/op/src/app/window.cpp")
                           << QStringLiteral("50%1 done") << QByteArray("[DEBUG] (window.cpp:88, f()): 50%1 done");
    QTest::newRow("info") << int(QtInfoMsg) << QByteArray("main.cpp") << QStringLiteral("当前命令：pwr")
                          << "[INFO ] (main.cpp:88, f()): " + QStringLiteral("当前命令：pwr").toUtf8();
    QTest::newRow("warning") << int(QtWarningMsg) << QByteArray("C:\\src\\x.cpp") << QStringLiteral("w")
                             << QByteArray("[WARN ] (x.cpp:88, f()): w");
    QTest::newRow("critical") << int(QtCriticalMsg) << QByteArray("c.cpp") << QStringLiteral("bad")
                              << QByteArray("[ERROR] (c.cpp:88, f()): bad");
}

void TestLogHandler::lineFormat()
{
    QFETCH(int, type);
    QFETCH(QByteArray, file);
    QFETCH(QString, message);
    QFETCH(QByteArray, expected);

    LogHandler::Get().installMessageHandler();
    qt_message_output(QtMsgType(type), QMessageLogContext(file.constData(), 88, "f()", "default"), message);
    LogHandler::Get().uninstallMessageHandler();
    QCOMPARE(readLog(QStringLiteral("today.log")), "2030-01-10 12:00:00.512 - " + expected + "\n");
}

void TestLogHandler::dayRotationOnTick()
{
    setNow("2030-01-10 23:59:59.000");
    LogHandler::Get().installMessageHandler();
    qDebug("before midnight");
    setNow("2030-01-11 00:00:01.000");
    QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(QStringLiteral("log/2030-01-10.log")), 3000);
    qDebug("after midnight");
    LogHandler::Get().uninstallMessageHandler();

    QCOMPARE(logFiles(), (QStringList{QStringLiteral("2030-01-10.log"), QStringLiteral("today.log")}));
    QVERIFY(readLog(QStringLiteral("2030-01-10.log")).endsWith("): before midnight\n"));
    QVERIFY(readLog(QStringLiteral("today.log")).endsWith("): after midnight\n"));
    QCOMPARE(allLogs().count('\n'), 2);
}

void TestLogHandler::startWithEarlierLog_data()
{
    QTest::addColumn<QByteArray>("lastWritten");
    QTest::addColumn<bool>("copyFails");
    QTest::addColumn<QStringList>("filesAtStart");

    const QStringList both{QStringLiteral("2030-01-05.log"), QStringLiteral("today.log")};
    QTest::newRow("later day renames at once") << QByteArray("2030-01-05 22:10:00.000") << false << both;
    QTest::newRow("same day appends") << QByteArray("2030-01-10 08:00:00.000") << false
                                      << QStringList{QStringLiteral("today.log")};
    QTest::newRow("failed copy keeps today.log") << QByteArray("2030-01-05 22:10:00.000") << true
                                                 << QStringList{QStringLiteral("today.log")};
}

void TestLogHandler::startWithEarlierLog()
{
    QFETCH(QByteArray, lastWritten);
    QFETCH(bool, copyFails);
    QFETCH(QStringList, filesAtStart);

    const QByteArray earlier = "earlier run " + QByteArray(2000, 'e') + "\n";
    writeLog(QStringLiteral("today.log"), earlier, at(lastWritten.constData()));
    rlimit saved;
    QCOMPARE(getrlimit(RLIMIT_FSIZE, &saved), 0);
    if (copyFails) {
        // No file may grow past 1 KiB, as on a full disk: the copy cannot be written.
        std::signal(SIGXFSZ, SIG_IGN);
        rlimit small = saved;
        small.rlim_cur = 1024;
        QCOMPARE(setrlimit(RLIMIT_FSIZE, &small), 0);
    }
    LogHandler::Get().installMessageHandler();
    QCOMPARE(setrlimit(RLIMIT_FSIZE, &saved), 0);

    // No waiting: the rename belongs to the installation itself.
    QCOMPARE(logFiles(), filesAtStart);
    QVERIFY(allLogs().startsWith(earlier));
    qDebug("this run");
    if (copyFails) // the next tick tries again
        QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(QStringLiteral("log/2030-01-05.log")), 3000);
    LogHandler::Get().uninstallMessageHandler();

    const QByteArray all = allLogs();
    QVERIFY(all.startsWith(earlier));
    QVERIFY(all.endsWith(": this run\n"));
    QCOMPARE(all.count('\n'), 2);
}

void TestLogHandler::sizeRotationsInOneSecondKeepBoth()
{
    setNow("2030-01-10 14:03:27.000");
    LogHandler::Get().installMessageHandler();
    writeMoreThanLimit("first");
    // The first 2 s tick moves it; a little slack for a loaded machine, well short of
    // the second tick.
    QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(QStringLiteral("log/2030-01-10 14:03:27.log")), 3000);
    // The clock has not moved: the second backup falls into the same second.
    writeMoreThanLimit("second");
    QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(QStringLiteral("log/2030-01-10 14:03:27 (2).log")), 3000);
    qDebug("after rotation");
    LogHandler::Get().uninstallMessageHandler();

    const QByteArray one = readLog(QStringLiteral("2030-01-10 14:03:27.log"));
    const QByteArray two = readLog(QStringLiteral("2030-01-10 14:03:27 (2).log"));
    QCOMPARE(one.count('\n'), 60);
    QCOMPARE(two.count('\n'), 60);
    QVERIFY(one.contains("first 59 x") && two.contains("second 59 x") && !two.contains("first"));
    QVERIFY(readLog(QStringLiteral("today.log")).endsWith(": after rotation\n"));
    QCOMPARE(logFiles().size(), 3);
}

void TestLogHandler::pruning()
{
    setNow("2030-03-10 12:00:00.000");
    const QStringList gone{QStringLiteral("2030-02-07.log"), QStringLiteral("2030-02-07 23:59:59.log"),
                           QStringLiteral("2030-02-07 08:00:00 (3).log")};
    QStringList kept{QStringLiteral("2030-02-09.log"), QStringLiteral("2030-02-09 00:00:01.log"),
                     QStringLiteral("2030-03-09.log"), QStringLiteral("notes.log"), QStringLiteral("today.log")};
    for (const QString& name : gone + kept)
        writeLog(name, "x\n", at("2030-03-10 11:00:00.000"));

    LogHandler::Get().installMessageHandler();
    QTRY_VERIFY_WITH_TIMEOUT(!QFile::exists(QStringLiteral("log/") + gone.first()), 3000);
    LogHandler::Get().uninstallMessageHandler();

    QStringList left = logFiles();
    left.sort();
    kept.sort();
    QCOMPARE(left, kept);
}

// The folder stays under its bound: the oldest size backups go first, and a flood
// between two ticks is bounded while it is written.
void TestLogHandler::folderBound()
{
    const qint64 limit = 64 * 1024;
    const QDateTime day = at("2030-01-10 08:00:00.000");
    const auto backup = [&](int i) { return day.addSecs(i).toString("'log/'yyyy-MM-dd hh:mm:ss'.log'"); };
    for (int i = 0; i < 40; ++i)
        writeLog(backup(i).mid(4), QByteArray(4096, 'b'), day.addSecs(i));
    writeLog(QStringLiteral("2030-01-09.log"), QByteArray(4096, 'd'), day.addDays(-1));
    writeLog(QStringLiteral("notes.log"), QByteArray(limit, 'n'), day); // not ours: kept, not counted
    LogHandler::setFolderLimit(limit);
    LogHandler::Get().installMessageHandler();
    QTRY_VERIFY_WITH_TIMEOUT(!QFile::exists(backup(0)), 3000);
    QVERIFY(QFile::exists(backup(30)) && QFile::exists(backup(39)));
    for (int i = 0; i < 16 * 1024; ++i) // 1 MiB
        QMessageLogger("flood.cpp", 1, "flood").debug("%s", QByteArray(60, 'f').constData());
    LogHandler::Get().uninstallMessageHandler();

    qint64 ours = -limit;
    for (const QFileInfo& fi : QDir(QStringLiteral("log")).entryInfoList(QDir::Files))
        ours += fi.size();
    QVERIFY2(ours <= limit, qPrintable(QString::number(ours)));
    QVERIFY(QFile::exists(QStringLiteral("log/notes.log")) && QFile::exists(QStringLiteral("log/2030-01-09.log")));
}

void TestLogHandler::threadsWriteWholeLines()
{
    // Long enough for a rotation tick to fall in the middle of the writing.
    const int threads = 4, perThread = 800;
    LogHandler::Get().installMessageHandler();
    QList<QThread*> workers;
    for (int t = 0; t < threads; ++t) {
        workers << QThread::create([t] {
            for (int i = 0; i < perThread; ++i) {
                QMessageLogger("w.cpp", 1, "worker")
                    .debug("thread %d message %d %s", t, i, QByteArray(40, 'x').constData());
                if (i % 8 == 0)
                    QThread::usleep(25000);
            }
        });
        workers.last()->start();
    }
    for (QThread* w : workers)
        QTRY_VERIFY_WITH_TIMEOUT(w->isFinished(), 20000);
    qDeleteAll(workers);
    LogHandler::Get().uninstallMessageHandler();

    const QRegularExpression whole(QStringLiteral(
        "^2030-01-10 12:00:00\\.512 - \\[DEBUG\\] \\(w\\.cpp:1, worker\\): thread \\d message \\d+ x{40}$"));
    QSet<QByteArray> seen;
    const QStringList files = logFiles();
    QVERIFY2(files.size() > 1, qPrintable(files.join(QLatin1Char(','))));
    for (const QString& name : files) {
        const QByteArray content = readLog(name);
        QVERIFY2(content.isEmpty() || content.endsWith('\n'), qPrintable(name));
        for (const QByteArray& line : content.split('\n')) {
            QVERIFY2(line.isEmpty() || whole.match(QString::fromUtf8(line)).hasMatch(), line.constData());
            seen.insert(line);
        }
    }
    seen.remove(QByteArray());
    QCOMPARE(seen.size(), threads * perThread);
}

void TestLogHandler::installTwiceRemoveOnceAndCheck()
{
    LogHandler::Get().uninstallMessageHandler(); // never installed: harmless
    LogHandler::Get().installMessageHandler();
    LogHandler::Get().installMessageHandler();
    qDebug("while installed");
    // The start-up check reaches the handler in place before ours (here the test's).
    QTest::ignoreMessage(QtDebugMsg, "不写入测试");
    LogHandler::Get().checkMessageHandler();
    qDebug("after check");
    LogHandler::Get().uninstallMessageHandler();
    QVERIFY(!LogHandler::Get().isInstalled());
    // One removal was enough, and the handler that was there before is back.
    QTest::ignoreMessage(QtDebugMsg, "after removal");
    qDebug("after removal");

    // Reinstalling may rotate (the test clock is not the file system's), so read all.
    const QByteArray all = allLogs();
    QVERIFY2(all.count('\n') == 2 && all.contains(": while installed\n") && all.contains(": after check\n"),
             all.constData());
}

QTEST_GUILESS_MAIN(TestLogHandler)
#include "tst_loghandler.moc"
