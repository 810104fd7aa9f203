#ifndef UILANGUAGE_H
#define UILANGUAGE_H

#include <QLocale>
#include <QString>

// The language of the window, chosen once at start from the operator's locale. The
// English texts are the program's own; other languages come from the translations
// compiled into the program (src/translations).
namespace UiLanguage {

// Installs the translation that fits the locale's languages, together with Qt's own for
// the standard buttons and dialogs when the system has it. Returns the translation's
// locale name ("zh_CN"), or an empty string when the window stays in English.
QString install(const QLocale& locale = QLocale::system());

} // namespace UiLanguage

#endif // UILANGUAGE_H
