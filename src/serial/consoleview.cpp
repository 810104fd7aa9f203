#include "consoleview.h"

#include <QDebug>
#include <QRegularExpression>
#include <QTextBrowser>
#include <QTextCursor>
#include <QTextDocument>

namespace {
// Characters the console view keeps at most.
constexpr int kConsoleChars = 1000000;
} // namespace

QString showReceived(QTextBrowser* view, const QByteArray& bytes)
{
    if (bytes.isEmpty())
        return QString();
    const QString text = QString::fromUtf8(bytes.constData(), bytes.size());
    qDebug() << "ReceData:" << text;
    QString shown = text;
    const bool hasCr = shown.contains(QLatin1Char('\r'));
    const bool hasLf = shown.contains(QLatin1Char('\n'));
    QTextCursor cursor(view->document());
    cursor.movePosition(QTextCursor::End);
    if (hasCr && !hasLf) {
        // A line that redraws itself replaces the last line instead of piling up.
        cursor.movePosition(QTextCursor::StartOfBlock, QTextCursor::KeepAnchor);
        cursor.removeSelectedText();
        shown = shown.mid(shown.lastIndexOf(QLatin1Char('\r')) + 1);
    } else if (hasCr && hasLf) {
        static const QRegularExpression crRun(QStringLiteral("\r{2,}"));
        shown.replace(crRun, QStringLiteral("\r"));
        shown.replace(QLatin1String("\r\n"), QLatin1String("\n"));
        shown.replace(QLatin1String("\n\r"), QLatin1String("\n"));
    }
    cursor.insertText(shown);
    // The view keeps 1000 lines; a line that never ends (a noisy cable) is capped by
    // its characters instead, so the view cannot grow without bound.
    QTextDocument* doc = view->document();
    if (doc->characterCount() > kConsoleChars) {
        QTextCursor head(doc);
        head.setPosition(doc->characterCount() - kConsoleChars, QTextCursor::KeepAnchor);
        head.removeSelectedText();
    }
    return text;
}
