#include "uilanguage.h"
#include "windowfixture.h"

#include <QAction>
#include <QApplication>
#include <QMenuBar>
#include <QProcess>
#include <QResource>
#include <QTemporaryDir>
#include <QXmlStreamReader>
#include <QtTest>

class TestTranslation : public QObject
{
    Q_OBJECT
private slots:
    void everyTextIsTranslated();
    void chineseLocaleShowsChinese();
};

void TestTranslation::everyTextIsTranslated()
{
    // lupdate over today's sources into a copy of the committed translation, with the
    // options of scripts/update-translations.sh: a text added or changed since the last
    // refresh comes in unfinished.
    QTemporaryDir dir;
    const QString ts = dir.filePath(QStringLiteral("cellvue_zh_CN.ts"));
    QVERIFY(QFile::copy(QStringLiteral(CELLVUE_SOURCE_DIR "/src/translations/cellvue_zh_CN.ts"), ts));
    QFile::setPermissions(ts, QFile::ReadOwner | QFile::WriteOwner);
    QProcess lupdate;
    lupdate.setWorkingDirectory(QStringLiteral(CELLVUE_SOURCE_DIR));
    lupdate.start(QStringLiteral(CELLVUE_LUPDATE),
                  {"-silent", "-no-obsolete", "-locations", "none", "src", "-ts", ts});
    QVERIFY(lupdate.waitForFinished(120000));
    QVERIFY2(lupdate.exitCode() == 0, lupdate.readAllStandardError().constData());

    QFile file(ts);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QXmlStreamReader xml(&file);
    QString context, source;
    QStringList untranslated;
    int messages = 0;
    while (xml.readNext() != QXmlStreamReader::Invalid && !xml.atEnd()) {
        if (!xml.isStartElement())
            continue;
        if (xml.name() == QLatin1String("name")) {
            context = xml.readElementText();
        } else if (xml.name() == QLatin1String("source")) {
            source = xml.readElementText();
        } else if (xml.name() == QLatin1String("translation")) {
            ++messages;
            const bool unfinished = xml.attributes().value(QLatin1String("type")) == QLatin1String("unfinished");
            if (xml.readElementText(QXmlStreamReader::IncludeChildElements).isEmpty() || unfinished)
                untranslated << context + QStringLiteral(": \"") + source + QLatin1Char('"');
        }
    }
    QVERIFY2(!xml.hasError(), qPrintable(xml.errorString()));
    QVERIFY2(messages > 100, "lupdate found next to no texts; did it scan src/?");
    QVERIFY2(untranslated.isEmpty(),
             qPrintable(QStringLiteral("%1 text(s) without a Chinese translation; run "
                                       "scripts/update-translations.sh and translate them:\n    %2")
                            .arg(untranslated.size())
                            .arg(untranslated.join(QStringLiteral("\n    ")))));
}

void TestTranslation::chineseLocaleShowsChinese()
{
    // A German technician gets the English window, not the only translation there is.
    QCOMPARE(UiLanguage::install(QLocale(QLocale::German, QLocale::Germany)), QString());
    QCOMPARE(UiLanguage::install(), QStringLiteral("zh_CN"));

    WindowFixture f;
    QCOMPARE(f.button("OpenBtn")->text(), QStringLiteral("登录"));
    QCOMPARE(f.label("StateLab"), QStringLiteral("状态："));
    QCOMPARE(f.label("EventNumLab"), QStringLiteral("事件数："));
    QCOMPARE(f.win.cmdStateLab->text(), QStringLiteral("命令状态："));
    QCOMPARE(f.win.menuBar()->actions().value(0)->text(), QStringLiteral("工具(&T)"));

    // The page buttons carry their captions in their images; the Chinese ones are chosen.
    const QString pageButton = QStringLiteral(":/icon/res/normal.png");
    QVERIFY(QResource(pageButton).uncompressedData() != QResource(pageButton, QLocale::c()).uncompressedData());

    f.boxes.button = QMessageBox::No;
    f.win.close();
    QCOMPARE(f.boxes.seen(), QStringList{QStringLiteral("Korvello|确定要退出 Korvello 吗？")});
}

int main(int argc, char* argv[])
{
    // Started as on a desktop that runs in Chinese, whatever the calling shell's locale.
    qputenv("LANGUAGE", "zh_CN");
    qputenv("LC_ALL", "zh_CN.UTF-8");
    qputenv("LANG", "zh_CN.UTF-8");
    QApplication app(argc, argv);
    TestTranslation test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_translation.moc"
