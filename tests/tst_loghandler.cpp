#include "loghandler.h"
#include "loghandlerprivate.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QSet>
#include <QTemporaryDir>
#include <QThread>
#include <QtTest>

#include <atomic>
#include <memory>

namespace {
std::atomic<qint64> fakeNowMs{0};

void setNow(const QDateTime& when)
{
    fakeNowMs.store(when.toMSecsSinceEpoch());
}

QDateTime at(const char* text)
{
    return QDateTime::fromString(QString::fromLatin1(text), QStringLiteral("yyyy-MM-dd hh:mm:ss.zzz"));
}

QByteArray readFile(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return QByteArray();
    return f.readAll();
}

void writeFile(const QString& path, const QByteArray& content, const QDateTime& modified = QDateTime())
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(content);
    f.flush();
    if (modified.isValid())
        QVERIFY(f.setFileTime(modified, QFileDevice::FileModificationTime));
}

QStringList logFiles()
{
    return QDir(QStringLiteral("log")).entryList(QDir::Files, QDir::Name);
}

// Writes messages until "today.log" must have grown past the rotation limit.
void writeMoreThanLimit(const QString& tag)
{
    const QString pad(100, QLatin1Char('x'));
    for (int i = 0; i < 60; ++i)
        QMessageLogger("src/app/bmsmainwin.cpp", 1, "fill").debug("%s %d %s", qPrintable(tag), i, qPrintable(pad));
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
    void sameMillisecondSameStamp();
    void dayRotationOnTick();
    void startOnAnotherDay_data();
    void startOnAnotherDay();
    void sizeRotationWithinTwoSeconds();
    void twoSizeRotationsInOneSecondKeepBoth();
    void pruningByDateInName();
    void threadsWriteWholeLines();
    void installTwiceRemoveOnce();
    void startupCheckStaysOutOfFile();
    void unwritableLogDirectory();

private:
    std::unique_ptr<QTemporaryDir> workDir;
    QString previousDir;
};

void TestLogHandler::init()
{
    previousDir = QDir::currentPath();
    workDir.reset(new QTemporaryDir);
    QVERIFY(workDir->isValid());
    QVERIFY(QDir::setCurrent(workDir->path()));
    setNow(at("2030-01-10 12:00:00.512"));
    LogHandler::setClock([] { return QDateTime::fromMSecsSinceEpoch(fakeNowMs.load()); });
}

void TestLogHandler::cleanup()
{
    LogHandler::Get().uninstallMessageHandler();
    LogHandler::setClock({});
    QDir::setCurrent(previousDir);
    workDir.reset();
}

void TestLogHandler::lineFormat_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<int>("line");
    QTest::addColumn<QByteArray>("function");
    QTest::addColumn<QString>("message");
    QTest::addColumn<QByteArray>("expected");

    const QByteArray stamp = "2030-01-10 12:00:00.512";
    QTest::newRow("debug") << int(QtDebugMsg) << QByteArray("/home/op/cellvue/src/app/window.cpp") << 88
                           << QByteArray("void Window::update()") << QStringLiteral("hello")
                           << stamp + " - [DEBUG] (window.cpp:88, void Window::update()): hello\n";
    QTest::newRow("info has a blank") << int(QtInfoMsg) << QByteArray("main.cpp") << 40 << QByteArray("int main()")
                                      << QStringLiteral("hi") << stamp + " - [INFO ] (main.cpp:40, int main()): hi\n";
    QTest::newRow("warning has a blank")
        << int(QtWarningMsg) << QByteArray("src/serial/myserial.cpp") << 7 << QByteArray("f") << QStringLiteral("w")
        << stamp + " - [WARN ] (myserial.cpp:7, f): w\n";
    QTest::newRow("critical is ERROR") << int(QtCriticalMsg) << QByteArray("a/b/c.cpp") << 123456
                                       << QByteArray("g") << QStringLiteral("bad")
                                       << stamp + " - [ERROR] (c.cpp:123456, g): bad\n";
    QTest::newRow("no context") << int(QtDebugMsg) << QByteArray() << 0 << QByteArray()
                                << QStringLiteral("ReceData:@pwr$$") << stamp + " - [DEBUG] (:0, ): ReceData:@pwr$$\n";
    QTest::newRow("windows path") << int(QtDebugMsg) << QByteArray("C:\\build\\src\\x.cpp") << 3 << QByteArray("h")
                                  << QStringLiteral("m") << stamp + " - [DEBUG] (x.cpp:3, h): m\n";
    QTest::newRow("placeholders stay literal")
        << int(QtDebugMsg) << QByteArray("p.cpp") << 1 << QByteArray("f") << QStringLiteral("50%1 and %2 done")
        << stamp + " - [DEBUG] (p.cpp:1, f): 50%1 and %2 done\n";
    QTest::newRow("utf-8 text") << int(QtDebugMsg) << QByteArray("p.cpp") << 2 << QByteArray("f")
                                << QStringLiteral("当前命令：pwr")
                                << stamp + " - [DEBUG] (p.cpp:2, f): " + QStringLiteral("当前命令：pwr").toUtf8() + "\n";
}

void TestLogHandler::lineFormat()
{
    QFETCH(int, type);
    QFETCH(QByteArray, file);
    QFETCH(int, line);
    QFETCH(QByteArray, function);
    QFETCH(QString, message);
    QFETCH(QByteArray, expected);

    LogHandler::Get().installMessageHandler();
    QMessageLogger logger(file.isNull() ? nullptr : file.constData(), line,
                          function.isNull() ? nullptr : function.constData());
    switch (QtMsgType(type)) {
    case QtInfoMsg:
        logger.info("%s", qUtf8Printable(message));
        break;
    case QtWarningMsg:
        logger.warning("%s", qUtf8Printable(message));
        break;
    case QtCriticalMsg:
        logger.critical("%s", qUtf8Printable(message));
        break;
    default:
        logger.debug("%s", qUtf8Printable(message));
        break;
    }
    LogHandler::Get().uninstallMessageHandler();

    QCOMPARE(readFile(QStringLiteral("log/today.log")), expected);
}

void TestLogHandler::sameMillisecondSameStamp()
{
    LogHandler::Get().installMessageHandler();
    qDebug("first");
    qDebug("second");
    LogHandler::Get().uninstallMessageHandler();

    const QList<QByteArray> lines = readFile(QStringLiteral("log/today.log")).split('\n');
    QCOMPARE(lines.size(), 3); // two lines and what follows the last "\n"
    QVERIFY(lines[0].startsWith("2030-01-10 12:00:00.512 - [DEBUG]"));
    QVERIFY(lines[1].startsWith("2030-01-10 12:00:00.512 - [DEBUG]"));
    QVERIFY(lines[0].endsWith(": first"));
    QVERIFY(lines[1].endsWith(": second"));
}

void TestLogHandler::dayRotationOnTick()
{
    setNow(at("2030-01-10 23:59:59.000"));
    LogHandler::Get().installMessageHandler();
    qDebug("before midnight");
    setNow(at("2030-01-11 00:00:01.000"));

    QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(QStringLiteral("log/2030-01-10.log")), 3000);
    qDebug("after midnight");
    LogHandler::Get().uninstallMessageHandler();

    const QByteArray old = readFile(QStringLiteral("log/2030-01-10.log"));
    QVERIFY(old.contains("before midnight"));
    QVERIFY(!old.contains("after midnight"));
    const QByteArray today = readFile(QStringLiteral("log/today.log"));
    QVERIFY(today.startsWith("2030-01-11 00:00:01.000 - [DEBUG]"));
    QVERIFY(today.contains("after midnight"));
    QVERIFY(!today.contains("before midnight"));
    QCOMPARE(logFiles(), (QStringList{QStringLiteral("2030-01-10.log"), QStringLiteral("today.log")}));
}

void TestLogHandler::startOnAnotherDay_data()
{
    QTest::addColumn<QDateTime>("lastWritten");
    QTest::addColumn<QStringList>("files");
    QTest::addColumn<QByteArray>("todayStart");

    QTest::newRow("later day renames at once")
        << at("2030-01-05 22:10:00.000") << QStringList{QStringLiteral("2030-01-05.log"), QStringLiteral("today.log")}
        << QByteArray("2030-01-10 12:00:00.512 - [DEBUG]");
    QTest::newRow("same day appends")
        << at("2030-01-10 08:00:00.000") << QStringList{QStringLiteral("today.log")} << QByteArray("earlier run\n");
}

void TestLogHandler::startOnAnotherDay()
{
    QFETCH(QDateTime, lastWritten);
    QFETCH(QStringList, files);
    QFETCH(QByteArray, todayStart);

    QVERIFY(QDir().mkpath(QStringLiteral("log")));
    writeFile(QStringLiteral("log/today.log"), "earlier run\n", lastWritten);

    LogHandler::Get().installMessageHandler();
    // No waiting: the rename belongs to the installation itself.
    QCOMPARE(logFiles(), files);
    qDebug("this run");
    LogHandler::Get().uninstallMessageHandler();

    const QByteArray today = readFile(QStringLiteral("log/today.log"));
    QVERIFY2(today.startsWith(todayStart), today.constData());
    QVERIFY(today.endsWith(": this run\n"));
    if (files.size() == 2)
        QCOMPARE(readFile(QStringLiteral("log/") + files.first()), QByteArray("earlier run\n"));
}

void TestLogHandler::sizeRotationWithinTwoSeconds()
{
    setNow(at("2030-01-10 14:03:27.000"));
    LogHandler::Get().installMessageHandler();
    QElapsedTimer clock;
    clock.start();
    writeMoreThanLimit(QStringLiteral("first"));

    const QString backup = QStringLiteral("log/2030-01-10 14:03:27.log");
    // The first 2 s tick moves it; a little slack for a loaded machine, well short of
    // the second tick.
    QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(backup), 3000);
    QVERIFY2(clock.elapsed() < 3000, qPrintable(QString::number(clock.elapsed())));
    qDebug("after rotation");
    LogHandler::Get().uninstallMessageHandler();

    const QByteArray moved = readFile(backup);
    QVERIFY(moved.size() > LogHandlerPrivate::maxLogFileSize);
    QCOMPARE(moved.count('\n'), 60);
    QVERIFY(moved.contains("first 0 x"));
    QVERIFY(moved.contains("first 59 x"));
    const QByteArray today = readFile(QStringLiteral("log/today.log"));
    QCOMPARE(today.count('\n'), 1);
    QVERIFY(today.endsWith(": after rotation\n"));
}

void TestLogHandler::twoSizeRotationsInOneSecondKeepBoth()
{
    setNow(at("2030-01-10 14:03:27.000"));
    LogHandler::Get().installMessageHandler();
    writeMoreThanLimit(QStringLiteral("first"));
    QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(QStringLiteral("log/2030-01-10 14:03:27.log")), 3000);
    // The clock has not moved: the second backup falls into the same second.
    writeMoreThanLimit(QStringLiteral("second"));
    QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(QStringLiteral("log/2030-01-10 14:03:27 (2).log")), 3000);
    LogHandler::Get().uninstallMessageHandler();

    const QByteArray one = readFile(QStringLiteral("log/2030-01-10 14:03:27.log"));
    const QByteArray two = readFile(QStringLiteral("log/2030-01-10 14:03:27 (2).log"));
    QCOMPARE(one.count('\n'), 60);
    QCOMPARE(two.count('\n'), 60);
    QVERIFY(one.contains("first 59 x") && !one.contains("second"));
    QVERIFY(two.contains("second 59 x") && !two.contains("first"));
    QCOMPARE(readFile(QStringLiteral("log/today.log")), QByteArray());
}

void TestLogHandler::pruningByDateInName()
{
    const QDateTime now = at("2030-03-10 12:00:00.000");
    setNow(now);
    QVERIFY(QDir().mkpath(QStringLiteral("log")));

    struct Entry {
        QString name;
        bool kept;
    };
    auto day = [&](int daysAgo) { return now.date().addDays(-daysAgo).toString(QStringLiteral("yyyy-MM-dd")); };
    const QList<Entry> entries = {
        {day(31) + QStringLiteral(".log"), false},
        {day(30) + QStringLiteral(".log"), false}, // its midnight is before now - 30 days
        {day(29) + QStringLiteral(".log"), true},
        {day(31) + QStringLiteral(" 23:59:59.log"), false},
        {day(31) + QStringLiteral(" 08:00:00 (3).log"), false},
        {day(29) + QStringLiteral(" 00:00:01.log"), true},
        {day(1) + QStringLiteral(".log"), true},
        {QStringLiteral("today.log"), true},
        {day(400) + QStringLiteral(".txt"), true}, // not one of ours
        {QStringLiteral("notes.log"), true},
    };
    for (const Entry& e : entries)
        writeFile(QStringLiteral("log/") + e.name, "x\n", e.name == QLatin1String("today.log") ? now : QDateTime());

    LogHandler::Get().installMessageHandler();
    QTRY_VERIFY_WITH_TIMEOUT(!QFile::exists(QStringLiteral("log/") + entries.first().name), 3000);
    LogHandler::Get().uninstallMessageHandler();

    for (const Entry& e : entries)
        QVERIFY2(QFile::exists(QStringLiteral("log/") + e.name) == e.kept,
                 qPrintable(e.name + (e.kept ? QStringLiteral(" was deleted") : QStringLiteral(" was kept"))));
}

void TestLogHandler::threadsWriteWholeLines()
{
    // Long enough for rotation ticks to fall in the middle of the writing.
    const int threads = 4;
    const int perThread = 800;
    LogHandler::Get().installMessageHandler();

    QList<QThread*> workers;
    for (int t = 0; t < threads; ++t) {
        workers << QThread::create([t] {
            const QByteArray pad(40, 'x');
            for (int i = 0; i < perThread; ++i) {
                QMessageLogger("tst_loghandler.cpp", 1, "worker").debug("thread %d message %d %s", t, i, pad.constData());
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
        "^2030-01-10 12:00:00\\.512 - \\[DEBUG\\] \\(tst_loghandler\\.cpp:1, worker\\): thread (\\d) message (\\d+) x{40}$"));
    QSet<QString> seen;
    int lines = 0;
    const QStringList files = logFiles();
    for (const QString& name : files) {
        const QList<QByteArray> content = readFile(QStringLiteral("log/") + name).split('\n');
        for (int i = 0; i < content.size() - 1; ++i) {
            const QRegularExpressionMatch m = whole.match(QString::fromUtf8(content[i]));
            QVERIFY2(m.hasMatch(), content[i].constData());
            const QString key = m.captured(1) + QLatin1Char('/') + m.captured(2);
            QVERIFY2(!seen.contains(key), qPrintable(key));
            seen.insert(key);
            ++lines;
        }
        QVERIFY2(content.last().isEmpty(), qPrintable(name + QStringLiteral(" ends inside a line")));
    }
    QCOMPARE(lines, threads * perThread);
    // The writing spans rotation ticks: the lines above were found across backups too.
    QVERIFY2(files.size() > 1, qPrintable(files.join(QLatin1Char(','))));
}

void TestLogHandler::installTwiceRemoveOnce()
{
    LogHandler::Get().uninstallMessageHandler(); // never installed: harmless
    QVERIFY(!LogHandler::Get().isInstalled());

    LogHandler::Get().installMessageHandler();
    LogHandler::Get().installMessageHandler();
    qDebug("while installed");
    LogHandler::Get().uninstallMessageHandler();
    QVERIFY(!LogHandler::Get().isInstalled());

    // One removal was enough, and the handler that was there before is back.
    QTest::ignoreMessage(QtDebugMsg, "after removal");
    qDebug("after removal");

    const QByteArray file = readFile(QStringLiteral("log/today.log"));
    QCOMPARE(file.count('\n'), 1);
    QVERIFY(file.endsWith(": while installed\n"));
}

void TestLogHandler::startupCheckStaysOutOfFile()
{
    LogHandler::Get().installMessageHandler();
    qDebug("before check");
    // Reaches the handler in place before ours (here the test's), never the file.
    QTest::ignoreMessage(QtDebugMsg, "不写入测试");
    LogHandler::Get().checkMessageHandler();
    QVERIFY(LogHandler::Get().isInstalled());
    qDebug("after check");
    LogHandler::Get().uninstallMessageHandler();

    // Reinstalling may rotate (the test clock is not the file system's), so read all.
    QByteArray file;
    for (const QString& name : logFiles())
        file += readFile(QStringLiteral("log/") + name);
    QVERIFY(file.contains(": before check\n"));
    QVERIFY(file.contains(": after check\n"));
    QVERIFY(!file.contains(QStringLiteral("不写入测试").toUtf8()));
}

void TestLogHandler::unwritableLogDirectory()
{
    // "log" is taken by a plain file: no log can be opened, messages still flow.
    writeFile(QStringLiteral("log"), "not a directory\n");
    LogHandler::Get().installMessageHandler();
    qWarning("still alive");
    QTest::qWait(2100); // one rotation tick with nothing to rotate
    LogHandler::Get().uninstallMessageHandler();
    QCOMPARE(readFile(QStringLiteral("log")), QByteArray("not a directory\n"));
}

QTEST_GUILESS_MAIN(TestLogHandler)
#include "tst_loghandler.moc"
