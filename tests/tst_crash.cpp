// Crash reporting: a crash leaves a dump Breakpad's own reader takes, the next start
// offers the dumps once and copies them to the desktop, and the folder is handed to the
// desktop's opener as one argument whatever its name.

#include "breakpadhandler.h"
#include "crashreportdialog.h"
#include "msgbox.h"
#include "showdir.h"
#include "suitetools.h"

#include <QLabel>
#include <QtTest>

namespace {
// A number from the exception record in minidump_dump's text output.
qulonglong exceptionField(const QString& dump, const QString& key)
{
    const QRegularExpression line("^MDException$[\\s\\S]*?^\\s+" + QRegularExpression::escape(key) + "\\s+=\\s+(\\S+)$",
                                  QRegularExpression::MultilineOption);
    return line.match(dump).captured(1).toULongLong(nullptr, 0);
}
} // namespace

class TestCrash : public QObject
{
    Q_OBJECT

    QTemporaryDir home;
    QString dumpDir() const { return home.path() + "/crashs"; }
    QString reportDir() const { return home.path() + "/Desktop/CellvueReportBug"; }

    // Runs the start-up step with every dialog and folder opening recorded, in order.
    QStringList runOffer()
    {
        QStringList events;
        MsgBox::setHandler([&events](const MsgBox::Request& r) {
            auto* label = r.dialog ? r.dialog->findChild<QLabel*>("label") : nullptr;
            events << "dialog: " + (label ? label->text() : QString());
            return MsgBox::Answer{QMessageBox::NoButton, QString(), QDialog::Accepted};
        });
        setShowDirOpener([&events](const QString& path) {
            events << "show: " + path;
            return true;
        });
        CrashReportDialog::OfferLastRunDumps();
        MsgBox::setHandler({});
        setShowDirOpener({});
        return events;
    }

private slots:
    void initTestCase()
    {
        // A desktop of our own.
        qputenv("HOME", QFile::encodeName(home.path()));
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(home.path() + "/.config"));
        BreakpadHandler::GetInstance()->SetupBreakPad(dumpDir());
    }

    void init()
    {
        QDir(reportDir()).removeRecursively();
        QFile::remove(reportDir());
        QDir(dumpDir()).removeRecursively();
        QVERIFY(QDir().mkpath(dumpDir()));
    }

    void crashLeavesReadableDump_data()
    {
        QTest::addColumn<QString>("how");
        QTest::addColumn<QString>("where");
        QTest::addColumn<int>("signal");
        QTest::newRow("null write, worker thread") << "null" << "worker" << 11;
        QTest::newRow("abort, main thread") << "abort" << "main" << 6;
    }

    void crashLeavesReadableDump()
    {
        QFETCH(QString, how);
        QFETCH(QString, where);
        QFETCH(int, signal);

        QTemporaryDir run;
        const QString dumps = run.path() + "/dumps";
        QProcess crasher;
        crasher.setWorkingDirectory(run.path());
        crasher.start(CELLVUE_CRASHER, {dumps, how, where});
        QVERIFY(crasher.waitForFinished(10000));
        QCOMPARE(crasher.exitStatus(), QProcess::CrashExit);
        QCOMPARE(crasher.exitCode(), signal);

        const QString out = QString::fromLocal8Bit(crasher.readAllStandardOutput());
        const auto lineOf = [&out](const char* pattern) {
            return QRegularExpression(pattern, QRegularExpression::MultilineOption).match(out).capturedTexts();
        };
        const QStringList tid = lineOf("^tid (\\d+)$"), crash = lineOf("^onCrash 1 (\\S+) (\\S+)$");
        QVERIFY2(tid.size() == 2 && crash.size() == 3, qPrintable(out));
        QCOMPARE(crash[1], dumps);
        QCOMPARE(QDir(dumps).entryList(QDir::Files), QStringList{crash[2] + ".dmp"});

        QProcess reader;
        reader.start(CELLVUE_MINIDUMP_DUMP, {dumps + '/' + crash[2] + ".dmp"});
        QVERIFY(reader.waitForFinished(10000));
        const QString dump = QString::fromLocal8Bit(reader.readAllStandardOutput());
        QVERIFY2(dump.contains("signature            = 0x504d444d"), qPrintable(dump.left(400)));
        // minidump_dump exits 1 for any Linux dump: Breakpad's Linux client never writes the
        // Windows-only misc-info and memory-info streams. Any other complaint is a bad dump.
        const QString errors = QString::fromLocal8Bit(reader.readAllStandardError())
                                   .remove(QRegularExpression(".*(GetMiscInfo|GetMemoryInfoList)\\(\\) failed.*"));
        QVERIFY2(!errors.contains("ERROR"), qPrintable(errors));
        QCOMPARE(exceptionField(dump, "thread_id"), tid[1].toULongLong());
        QCOMPARE(exceptionField(dump, "exception_record.exception_code"), qulonglong(signal));

        // The crash callback's line reached the log file before the process died.
        QVERIFY(fileBytes(run.path() + "/log/today.log")
                    .contains("Succeed to write minidump, dump path: " + QFile::encodeName(dumps + "/" + crash[2])));
    }

    void offerLastRunDumps_data()
    {
        QTest::addColumn<QStringList>("dumps");
        QTest::addColumn<QStringList>("alreadyCopied");
        QTest::addColumn<bool>("reportBlocked");

        QTest::newRow("no dumps") << QStringList{} << QStringList{} << false;
        QTest::newRow("two dumps") << QStringList{"5a1c.dmp", "77e0.dmp"} << QStringList{} << false;
        QTest::newRow("earlier copy kept") << QStringList{"5a1c.dmp", "77e0.dmp"} << QStringList{"77e0.dmp"} << false;
        // A file has the report folder's name: nothing can be copied, so nothing is lost.
        QTest::newRow("uncopyable dump kept") << QStringList{"5a1c.dmp"} << QStringList{} << true;
    }

    void offerLastRunDumps()
    {
        QFETCH(QStringList, dumps);
        QFETCH(QStringList, alreadyCopied);
        QFETCH(bool, reportBlocked);

        for (const QString& name : dumps)
            QVERIFY(writeFile(dumpDir() + '/' + name, "minidump " + name.toLatin1()));
        QVERIFY(QDir().mkpath(reportBlocked || alreadyCopied.isEmpty() ? home.path() + "/Desktop" : reportDir()));
        QVERIFY(!reportBlocked || writeFile(reportDir(), "in the way"));
        for (const QString& name : alreadyCopied)
            QVERIFY(writeFile(reportDir() + '/' + name, "earlier copy"));

        const QStringList offered = dumps.isEmpty() ? QStringList()
                                                    : QStringList{"dialog: Sorry, This app was crashed last time!", "show: " + reportDir()};
        QCOMPARE(runOffer(), offered);
        QVERIFY(!dumps.isEmpty() || !QFileInfo::exists(reportDir()));
        for (const QString& name : dumps) {
            const QByteArray expected = alreadyCopied.contains(name) ? QByteArray("earlier copy") : "minidump " + name.toLatin1();
            QCOMPARE(fileBytes((reportBlocked ? dumpDir() : reportDir()) + '/' + name), expected);
        }
        QCOMPARE(QDir(dumpDir()).entryList(QDir::Files), reportBlocked ? dumps : QStringList{});
        // Offered once: the next start finds nothing, unless a dump could not be delivered.
        QCOMPARE(runOffer(), reportBlocked ? offered : QStringList{});
    }

    void showDirHandsPathOverAsOneArgument()
    {
        // A stand-in for the desktop's opener that records its arguments, one a line.
        QTemporaryDir bin;
        const QByteArray record = QFile::encodeName(bin.path() + "/opened.txt");
        QVERIFY(writeFile(bin.path() + "/xdg-open", "#!/bin/sh\n{ echo \"$#\"; for a in \"$@\"; do echo \"$a\"; done; } > '" +
                                                        record + ".tmp'\nmv '" + record + ".tmp' '" + record + "'\n"));
        QVERIFY(QFile::setPermissions(bin.path() + "/xdg-open", QFile::ReadOwner | QFile::ExeOwner));
        const QByteArray oldPath = qgetenv("PATH");
        qputenv("PATH", QFile::encodeName(bin.path()) + ":" + oldPath);
        const QString previousDir = QDir::currentPath();
        QDir::setCurrent(bin.path());

        const QString folder = bin.path() + "/Report a b\"; touch pwned; \"$(touch pwned2)'";
        QVERIFY(QDir().mkpath(folder));
        ShowDir(folder);
        QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(record), 5000);
        qputenv("PATH", oldPath);
        QDir::setCurrent(previousDir);

        const QStringList lines = QString::fromLocal8Bit(fileBytes(record)).split('\n');
        const QUrl url(lines.value(1));
        QCOMPARE(lines.value(0), QStringLiteral("1"));
        QCOMPARE(url.isLocalFile() ? url.toLocalFile() : lines.value(1), folder);
        QVERIFY(!QFile::exists(bin.path() + "/pwned") && !QFile::exists(bin.path() + "/pwned2"));
    }
};

QTEST_MAIN(TestCrash)
#include "tst_crash.moc"
