#include "uilanguage.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QLibraryInfo>
#include <QTranslator>

// Q_INIT_RESOURCE must not be used inside a namespace. The translations live in the
// static core library, where the linker would otherwise drop their registration.
static void registerTranslations()
{
    Q_INIT_RESOURCE(cellvue_translations);
}

QString UiLanguage::install(const QLocale& locale)
{
    registerTranslations();
    auto* own = new QTranslator(QCoreApplication::instance());
    if (!own->load(locale, QStringLiteral("cellvue"), QStringLiteral("_"), QStringLiteral(":/i18n"))) {
        delete own;
        return QString();
    }
    QCoreApplication::installTranslator(own);

    // "Yes", "No", "OK" and "Cancel" of the message boxes are Qt's texts. Without Qt's
    // translations (Debian: qttranslations5-l10n) they stay English, the rest does not.
    auto* qt = new QTranslator(QCoreApplication::instance());
    if (qt->load(locale, QStringLiteral("qtbase"), QStringLiteral("_"),
                 QLibraryInfo::location(QLibraryInfo::TranslationsPath)))
        QCoreApplication::installTranslator(qt);
    else
        delete qt;

    // The pictures with words on them are chosen by the resource system from the default
    // locale; make it the translation's, so words and pictures never disagree (a
    // LANGUAGE list can pick Chinese words under an English LANG).
    const QString name = QFileInfo(own->filePath()).completeBaseName().section(QLatin1Char('_'), 1);
    QLocale::setDefault(QLocale(name));
    return name;
}
