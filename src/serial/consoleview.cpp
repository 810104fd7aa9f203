#include "consoleview.h"

#include "logtext.h"

#include <QDebug>
#include <QTextBrowser>
#include <QTextCursor>
#include <QTextDocument>

namespace {
// Characters the console view keeps at most.
constexpr int kConsoleChars = 1000000;

// Every run of two or more "\r" becomes one.
void collapseCarriageReturns(QString& text)
{
    QChar* out = text.data();
    const QChar* in = out;
    const QChar* const end = in + text.size();
    for (; in != end; ++in) {
        if (*in == QLatin1Char('\r') && in + 1 != end && in[1] == QLatin1Char('\r'))
            continue;
        *out++ = *in;
    }
    text.truncate(int(out - text.constData()));
}

// A burst with as many lines as the view keeps, or more, pushes out everything the view
// held and then its own first lines: it is cut to the lines the view would still show,
// and true returned.
bool cutToLastLines(QString& text, int keep)
{
    const int newlines = keep > 0 ? int(text.count(QLatin1Char('\n'))) : 0;
    if (newlines < keep || keep <= 0)
        return false;
    // Each line end begins a block of its own: the view ends up showing what follows
    // the (newlines - keep + 1)th of them.
    int at = -1;
    for (int skip = newlines - keep + 1; skip > 0; --skip)
        at = text.indexOf(QLatin1Char('\n'), at + 1);
    text.remove(0, at + 1);
    return true;
}
} // namespace

QString showReceived(QTextBrowser* view, const QByteArray& bytes)
{
    if (bytes.isEmpty())
        return QString();
    const QString text = QString::fromUtf8(bytes.constData(), bytes.size());
    qDebug().noquote() << "ReceData:" << LogText::quoted(text);
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
        collapseCarriageReturns(shown);
        shown.replace(QLatin1String("\r\n"), QLatin1String("\n"));
        shown.replace(QLatin1String("\n\r"), QLatin1String("\n"));
    }
    // The view keeps 1000 lines. Every line put in costs a block of the document, and
    // taking the oldest out again as much: a burst longer than the view (a stream, a
    // flood) would be inserted in full only to be thrown away at once.
    QTextDocument* doc = view->document();
    if (cutToLastLines(shown, doc->maximumBlockCount())) {
        cursor.select(QTextCursor::Document);
        cursor.removeSelectedText();
    }
    cursor.insertText(shown);
    // A line that never ends (a noisy cable) is capped by its characters instead, so
    // the view cannot grow without bound.
    if (doc->characterCount() > kConsoleChars) {
        QTextCursor head(doc);
        head.setPosition(doc->characterCount() - kConsoleChars, QTextCursor::KeepAnchor);
        head.removeSelectedText();
    }
    return text;
}
