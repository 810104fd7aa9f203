// The Chinese translation: every text the operator sees has one, and a window started
// under a Chinese locale shows it.

#include "suitetools.h"
#include "uilanguage.h"
#include "windowfixture.h"

#include <QMenuBar>
#include <QProcess>
#include <QResource>
#include <QTemporaryDir>
#include <QtTest>

class TestTranslation : public QObject
{
    Q_OBJECT
private slots:
    // lupdate over today's sources into a copy of the committed translation, with the
    // options of scripts/update-translations.sh: a text added or changed since the last
    // refresh comes in unfinished.
    void everyTextIsTranslated()
    {
        QTemporaryDir dir;
        const QString ts = dir.filePath(QStringLiteral("cellvue_zh_CN.ts"));
        QVERIFY(QFile::copy(QStringLiteral(CELLVUE_SOURCE_DIR "/src/translations/cellvue_zh_CN.ts"), ts));
        QFile::setPermissions(ts, QFile::ReadOwner | QFile::WriteOwner);
        QProcess lupdate;
        lupdate.setWorkingDirectory(QStringLiteral(CELLVUE_SOURCE_DIR));
        lupdate.start(QStringLiteral(CELLVUE_LUPDATE), {"-silent", "-no-obsolete", "-locations", "none", "src", "-ts", ts});
        QVERIFY(lupdate.waitForFinished(120000));
        QVERIFY2(lupdate.exitCode() == 0, lupdate.readAllStandardError().constData());

        QStringList untranslated;
        int messages = 0;
        const QRegularExpression message(QStringLiteral("<source>(.*?)</source>.*?<translation([^>]*?)(?:/>|>(.*?)</translation>)"),
                                         QRegularExpression::DotMatchesEverythingOption);
        for (auto it = message.globalMatch(QString::fromUtf8(fileBytes(ts))); it.hasNext(); ++messages) {
            const QRegularExpressionMatch m = it.next();
            if (m.captured(2).contains(QLatin1String("unfinished")) || m.captured(3).isEmpty())
                untranslated << m.captured(1);
        }
        QVERIFY2(messages > 100, "lupdate found next to no texts; did it scan src/?");
        QVERIFY2(untranslated.isEmpty(), qPrintable(QStringLiteral("%1 text(s) without a Chinese translation; run "
                                                                   "scripts/update-translations.sh and translate them:\n    %2")
                                                        .arg(untranslated.size()).arg(untranslated.join(QStringLiteral("\n    ")))));
    }

    void chineseLocaleShowsChinese()
    {
        // A German technician gets the English window, not the only translation there is.
        QCOMPARE(UiLanguage::install(QLocale(QLocale::German, QLocale::Germany)), QString());
        QCOMPARE(UiLanguage::install(), QStringLiteral("zh_CN"));

        WindowFixture f;
        QCOMPARE(QStringList({f.button("OpenBtn")->text(), f.label("StateLab"), f.label("EventNumLab"), f.win.cmdStateLab->text(),
                              f.win.menuBar()->actions().value(0)->text()}),
                 QStringList({"登录", "状态：", "事件数：", "命令状态：", "工具(&T)"}));
        // The page buttons carry their captions in their images; the Chinese ones are chosen.
        const QString pageButton = QStringLiteral(":/icon/res/normal.png");
        QVERIFY(QResource(pageButton).uncompressedData() != QResource(pageButton, QLocale::c()).uncompressedData());
        f.boxes.button = QMessageBox::No;
        f.win.close();
        QCOMPARE(f.boxes.seen(), QStringList{QStringLiteral("Korvello|确定要退出 Korvello 吗？")});
    }
};

int main(int argc, char* argv[])
{
    // A German desktop that lists Chinese second, whatever the calling shell's locale:
    // there is no German translation, so the words are Chinese, and the pictures with
    // words on them must be too, though Qt's own locale here is German.
    qputenv("LANGUAGE", "de:zh_CN");
    qputenv("LC_ALL", "de_DE.UTF-8");
    qputenv("LANG", "de_DE.UTF-8");
    QApplication app(argc, argv);
    TestTranslation test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_translation.moc"
