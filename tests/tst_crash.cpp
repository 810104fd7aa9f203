#include "breakpadhandler.h"
#include "crashreportdialog.h"
#include "msgbox.h"
#include "showdir.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QUrl>
#include <QtTest>

#include <memory>

namespace {
QByteArray readFile(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return QByteArray();
    return f.readAll();
}

bool writeFile(const QString& path, const QByteArray& content)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(content) == content.size();
}

// First "<key> = <value>" of `block` in minidump_dump's text output, as a number.
qulonglong dumpField(const QString& text, const QString& block, const QString& key, bool* found)
{
    const int start = text.indexOf(QRegularExpression(QStringLiteral("^%1$").arg(block),
                                                      QRegularExpression::MultilineOption));
    *found = false;
    if (start < 0)
        return 0;
    const QRegularExpression line(QStringLiteral("^\\s+%1\\s+=\\s+(0x[0-9a-f]+|\\d+)")
                                      .arg(QRegularExpression::escape(key)),
                                  QRegularExpression::MultilineOption);
    const QRegularExpressionMatch m = line.match(text, start);
    if (!m.hasMatch())
        return 0;
    *found = true;
    return m.captured(1).toULongLong(nullptr, 0);
}

struct Offer {
    QStringList events;           // "dialog" and "show:<path>" in the order they happened
    QStringList reportAtDialog;   // what the report folder held while the dialog was up
    QString dialogTitle;
    QString dialogText;
    bool dialogModal = false;
    bool dialogParented = true;
};
} // namespace

class TestCrash : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void crashLeavesReadableDump_data();
    void crashLeavesReadableDump();
    void relativeDumpPathUnderApplicationDir();
    void unusableDumpPathInstallsNothing();
    void dialogForm();
    void offerLastRunDumps_data();
    void offerLastRunDumps();
    void uncopiedDumpIsKept();
    void showDirHandsPathOverAsOneArgument();

private:
    QString dumpDir() const { return BreakpadHandler::GetInstance()->GetBreakPadDumpPath(); }
    QString reportDir() const { return home.path() + QStringLiteral("/Desktop/CellvueReportBug"); }
    void armDefaultDumpDir();
    Offer runOffer();

    QTemporaryDir home;
    std::unique_ptr<QTemporaryDir> scratch;
};

void TestCrash::initTestCase()
{
    QVERIFY(home.isValid());
    // Desktop and application data of a user of our own.
    qputenv("HOME", QFile::encodeName(home.path()));
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(home.path() + QStringLiteral("/.config")));
    qputenv("XDG_DATA_HOME", QFile::encodeName(home.path() + QStringLiteral("/.local/share")));
    QCoreApplication::setOrganizationName(QStringLiteral("OrgName"));
    QCoreApplication::setApplicationName(QStringLiteral("Cellvue"));
    QVERIFY2(QFile::exists(QStringLiteral(CELLVUE_CRASHER)), CELLVUE_CRASHER);
    QVERIFY2(QFile::exists(QStringLiteral(CELLVUE_MINIDUMP_DUMP)), CELLVUE_MINIDUMP_DUMP);
}

void TestCrash::init()
{
    scratch.reset(new QTemporaryDir);
    QVERIFY(scratch->isValid());
    QDir(reportDir()).removeRecursively();
    QFile::remove(reportDir());
}

void TestCrash::cleanup()
{
    MsgBox::setHandler({});
    setShowDirOpener({});
    if (!dumpDir().isEmpty())
        QDir(dumpDir()).removeRecursively();
    scratch.reset();
}

void TestCrash::armDefaultDumpDir()
{
    // The very call the program makes at start-up.
    BreakpadHandler::GetInstance()->SetupBreakPad(
        QStandardPaths::standardLocations(QStandardPaths::AppLocalDataLocation).first() + "/crashs");
    QCOMPARE(dumpDir(), home.path() + QStringLiteral("/.local/share/OrgName/Cellvue/crashs"));
    QVERIFY(QFileInfo(dumpDir()).isDir());
}

void TestCrash::crashLeavesReadableDump_data()
{
    QTest::addColumn<QString>("how");
    QTest::addColumn<QString>("where");
    QTest::addColumn<int>("signal");

    QTest::newRow("null write, main thread") << "null" << "main" << 11;
    QTest::newRow("null write, worker thread") << "null" << "worker" << 11;
    QTest::newRow("abort, main thread") << "abort" << "main" << 6;
    QTest::newRow("qFatal, worker thread") << "fatal" << "worker" << 6;
}

void TestCrash::crashLeavesReadableDump()
{
    QFETCH(QString, how);
    QFETCH(QString, where);
    QFETCH(int, signal);

    const QString dumps = scratch->path() + QStringLiteral("/dumps");
    QProcess crasher;
    crasher.setWorkingDirectory(scratch->path());
    crasher.start(QStringLiteral(CELLVUE_CRASHER), {dumps, how, where});
    QVERIFY(crasher.waitForFinished(10000));
    QCOMPARE(crasher.exitStatus(), QProcess::CrashExit);
    QCOMPARE(crasher.exitCode(), signal);

    const QString out = QString::fromLocal8Bit(crasher.readAllStandardOutput());
    const QRegularExpressionMatch tid = QRegularExpression(QStringLiteral("^tid (\\d+)$"),
                                                           QRegularExpression::MultilineOption).match(out);
    QVERIFY2(tid.hasMatch(), qPrintable(out));
    const QRegularExpressionMatch crash = QRegularExpression(QStringLiteral("^onCrash 1 (\\S+) (\\S+)$"),
                                                             QRegularExpression::MultilineOption).match(out);
    QVERIFY2(crash.hasMatch(), qPrintable(out));
    QCOMPARE(crash.captured(1), dumps);
    const QString id = crash.captured(2);
    QCOMPARE(QDir(dumps).entryList(QDir::Files), QStringList{id + QStringLiteral(".dmp")});

    QProcess reader;
    reader.start(QStringLiteral(CELLVUE_MINIDUMP_DUMP), {dumps + QLatin1Char('/') + id + QStringLiteral(".dmp")});
    QVERIFY(reader.waitForFinished(10000));
    QCOMPARE(reader.exitStatus(), QProcess::NormalExit);
    const QString dump = QString::fromLocal8Bit(reader.readAllStandardOutput());
    QVERIFY2(dump.contains(QStringLiteral("signature            = 0x504d444d")), qPrintable(dump.left(400)));
    // minidump_dump exits 1 for any Linux dump: Breakpad's Linux client never writes the
    // Windows-only misc-info and memory-info streams. Any other complaint is a bad dump.
    const QStringList complaints = QString::fromLocal8Bit(reader.readAllStandardError())
                                       .split(QLatin1Char('\n'))
                                       .filter(QStringLiteral("ERROR"));
    for (const QString& c : complaints)
        QVERIFY2(c.contains(QStringLiteral("GetMiscInfo() failed")) ||
                     c.contains(QStringLiteral("GetMemoryInfoList() failed")),
                 qPrintable(c));

    bool found = false;
    QCOMPARE(dumpField(dump, QStringLiteral("MDException"), QStringLiteral("thread_id"), &found),
             tid.captured(1).toULongLong());
    QVERIFY(found);
    QCOMPARE(dumpField(dump, QStringLiteral("MDException"), QStringLiteral("exception_record.exception_code"), &found),
             qulonglong(signal));
    QVERIFY(found);
    if (how == QLatin1String("null")) {
        QCOMPARE(dumpField(dump, QStringLiteral("MDException"),
                           QStringLiteral("exception_record.exception_address"), &found),
                 qulonglong(0));
        QVERIFY(found);
    }
    // The crashing thread is among the threads the dump lists.
    QVERIFY(dump.contains(QRegularExpression(
        QStringLiteral("MDRawThread\\n\\s+thread_id\\s+= 0x%1\\n").arg(tid.captured(1).toULongLong(), 0, 16))));

    // The crash callback's line and the lines just before the crash reached the log file.
    const QByteArray log = readFile(scratch->path() + QStringLiteral("/log/today.log"));
    QVERIFY2(log.contains("about to crash: " + how.toLatin1()), log.constData());
    QVERIFY2(log.contains("Succeed to write minidump, dump path: " + QFile::encodeName(dumps + "/" + id)),
             log.constData());
    if (how == QLatin1String("fatal"))
        QVERIFY2(QString::fromUtf8(log).contains(QRegularExpression(QStringLiteral("- \\[FATAL\\] \\(.*\\): fatal on purpose\n"))),
                 log.constData());
}

void TestCrash::relativeDumpPathUnderApplicationDir()
{
    const QString relative = QStringLiteral("tst_crash_relative/sub/../crashs");
    const QString expected = QCoreApplication::applicationDirPath() + QStringLiteral("/tst_crash_relative/crashs");
    BreakpadHandler::GetInstance()->SetupBreakPad(relative);
    QCOMPARE(dumpDir(), expected);
    QVERIFY(QFileInfo(expected).isDir());
    QDir(QCoreApplication::applicationDirPath() + QStringLiteral("/tst_crash_relative")).removeRecursively();
}

void TestCrash::unusableDumpPathInstallsNothing()
{
    armDefaultDumpDir();
    const QString blocker = scratch->path() + QStringLiteral("/plainfile");
    QVERIFY(writeFile(blocker, "x"));
    const QString bad = blocker + QStringLiteral("/crashs");
    QTest::ignoreMessage(QtDebugMsg, qPrintable(QStringLiteral("Failed to set dump path which not exists: ") + bad));
    BreakpadHandler::GetInstance()->SetupBreakPad(bad);
    QCOMPARE(dumpDir(), home.path() + QStringLiteral("/.local/share/OrgName/Cellvue/crashs"));
}

void TestCrash::dialogForm()
{
    CrashReportDialog dialog(nullptr);
    QCOMPARE(dialog.windowTitle(), QStringLiteral("Dialog"));
    QCOMPARE(dialog.size(), QSize(500, 170));
    QVERIFY(!(dialog.windowFlags() & Qt::WindowContextHelpButtonHint));

    auto* title = dialog.findChild<QLabel*>(QStringLiteral("label"));
    auto* text = dialog.findChild<QLabel*>(QStringLiteral("label_2"));
    auto* ok = dialog.findChild<QPushButton*>(QStringLiteral("pushButtonOk"));
    QVERIFY(title && text && ok);
    QCOMPARE(title->text(), QStringLiteral("Sorry, This app was crashed last time!"));
    QCOMPARE(title->font().pointSize(), 15);
    QVERIFY(title->font().bold());
    QVERIFY(title->wordWrap());
    QCOMPARE(text->text(), QStringLiteral("Please send us the files that  popped up in the \"File window\". "
                                          "So we can solve the App-crash problem."));
    QCOMPARE(text->font().pointSize(), 10);
    QVERIFY(text->wordWrap());
    QCOMPARE(ok->text(), QStringLiteral("Ok"));
    QVERIFY(ok->isDefault());

    ok->click();
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
}

Offer TestCrash::runOffer()
{
    auto offer = std::make_shared<Offer>();
    const QString report = reportDir();
    MsgBox::setHandler([offer, report](const MsgBox::Request& r) {
        offer->events << QStringLiteral("dialog");
        offer->reportAtDialog = QDir(report).entryList(QDir::Files, QDir::Name);
        if (auto* d = qobject_cast<CrashReportDialog*>(r.dialog)) {
            offer->dialogTitle = d->windowTitle();
            if (auto* label = d->findChild<QLabel*>(QStringLiteral("label")))
                offer->dialogText = label->text();
            offer->dialogModal = d->isModal();
            offer->dialogParented = d->parentWidget() != nullptr;
        }
        MsgBox::Answer a;
        a.result = QDialog::Accepted;
        return a;
    });
    setShowDirOpener([offer](const QString& path) {
        offer->events << QStringLiteral("show:") + path;
        return true;
    });
    CrashReportDialog::OfferLastRunDumps();
    return *offer;
}

void TestCrash::offerLastRunDumps_data()
{
    QTest::addColumn<QStringList>("dumps");
    QTest::addColumn<QStringList>("alreadyCopied");

    QTest::newRow("no dumps") << QStringList{} << QStringList{};
    QTest::newRow("one dump") << QStringList{"5a1c.dmp"} << QStringList{};
    QTest::newRow("two dumps") << QStringList{"5a1c.dmp", "77e0.dmp"} << QStringList{};
    QTest::newRow("earlier copy kept") << QStringList{"5a1c.dmp", "77e0.dmp"} << QStringList{"77e0.dmp"};
}

void TestCrash::offerLastRunDumps()
{
    QFETCH(QStringList, dumps);
    QFETCH(QStringList, alreadyCopied);

    armDefaultDumpDir();
    // Not dumps: a note and a directory whose name looks like one.
    QVERIFY(writeFile(dumpDir() + QStringLiteral("/notes.txt"), "keep"));
    QVERIFY(QDir(dumpDir()).mkdir(QStringLiteral("folder.dmp")));
    for (const QString& name : dumps)
        QVERIFY(writeFile(dumpDir() + QLatin1Char('/') + name, "minidump " + name.toLatin1()));
    if (!alreadyCopied.isEmpty())
        QVERIFY(QDir().mkpath(reportDir()));
    for (const QString& name : alreadyCopied)
        QVERIFY(writeFile(reportDir() + QLatin1Char('/') + name, "earlier copy"));

    const Offer offer = runOffer();

    if (dumps.isEmpty()) {
        QCOMPARE(offer.events, QStringList{});
        QVERIFY(!QFileInfo::exists(reportDir()));
    } else {
        QCOMPARE(offer.events, (QStringList{QStringLiteral("dialog"), QStringLiteral("show:") + reportDir()}));
        QCOMPARE(offer.reportAtDialog, dumps); // copied before the operator is asked
        QCOMPARE(offer.dialogTitle, QStringLiteral("Dialog"));
        QCOMPARE(offer.dialogText, QStringLiteral("Sorry, This app was crashed last time!"));
        QVERIFY(offer.dialogModal);
        QVERIFY(!offer.dialogParented);
        for (const QString& name : dumps) {
            const QByteArray expected = alreadyCopied.contains(name) ? QByteArray("earlier copy")
                                                                     : "minidump " + name.toLatin1();
            QCOMPARE(readFile(reportDir() + QLatin1Char('/') + name), expected);
        }
    }
    QCOMPARE(QDir(dumpDir()).entryList(QStringList{QStringLiteral("*.dmp")}, QDir::Files), QStringList{});
    QCOMPARE(readFile(dumpDir() + QStringLiteral("/notes.txt")), QByteArray("keep"));
    QVERIFY(QFileInfo(dumpDir() + QStringLiteral("/folder.dmp")).isDir());

    // Offered once: the next start finds nothing.
    QCOMPARE(runOffer().events, QStringList{});
}

void TestCrash::uncopiedDumpIsKept()
{
    armDefaultDumpDir();
    QVERIFY(writeFile(dumpDir() + QStringLiteral("/5a1c.dmp"), "only copy"));
    // The report folder cannot be made: a file has its name.
    QVERIFY(QDir().mkpath(home.path() + QStringLiteral("/Desktop")));
    QVERIFY(writeFile(reportDir(), "in the way"));

    const Offer offer = runOffer();
    QCOMPARE(offer.events, (QStringList{QStringLiteral("dialog"), QStringLiteral("show:") + reportDir()}));
    QCOMPARE(readFile(dumpDir() + QStringLiteral("/5a1c.dmp")), QByteArray("only copy"));
}

void TestCrash::showDirHandsPathOverAsOneArgument()
{
    // A stand-in for the desktop's opener that records what it was given.
    const QString bin = scratch->path() + QStringLiteral("/bin");
    const QString record = scratch->path() + QStringLiteral("/opened.txt");
    QVERIFY(QDir().mkpath(bin));
    QVERIFY(writeFile(bin + QStringLiteral("/xdg-open"),
                      "#!/bin/sh\n{ echo \"$#\"; for a in \"$@\"; do echo \"$a\"; done; } > \"$CELLVUE_OPEN_RECORD.tmp\"\n"
                      "mv \"$CELLVUE_OPEN_RECORD.tmp\" \"$CELLVUE_OPEN_RECORD\"\n"));
    QVERIFY(QFile::setPermissions(bin + QStringLiteral("/xdg-open"),
                                  QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
    const QByteArray oldPath = qgetenv("PATH");
    qputenv("PATH", QFile::encodeName(bin) + ":" + oldPath);
    qputenv("CELLVUE_OPEN_RECORD", QFile::encodeName(record));

    const QString folder = scratch->path() + QStringLiteral("/Report a b\"; touch pwned; \"$(touch pwned2)'");
    QVERIFY(QDir().mkpath(folder));
    const QString previousDir = QDir::currentPath();
    QDir::setCurrent(scratch->path());
    ShowDir(folder);

    QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(record), 5000);
    qputenv("PATH", oldPath);
    QDir::setCurrent(previousDir);
    const QStringList lines = QString::fromLocal8Bit(readFile(record)).split(QLatin1Char('\n'));
    QCOMPARE(lines.value(0), QStringLiteral("1"));
    const QString arg = lines.value(1);
    const QUrl url(arg);
    QCOMPARE(url.scheme() == QLatin1String("file") ? url.toLocalFile() : arg, folder);
    QVERIFY(!QFile::exists(scratch->path() + QStringLiteral("/pwned")));
    QVERIFY(!QFile::exists(scratch->path() + QStringLiteral("/pwned2")));
}

QTEST_MAIN(TestCrash)
#include "tst_crash.moc"
