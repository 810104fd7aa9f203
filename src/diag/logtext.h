#ifndef LOGTEXT_H
#define LOGTEXT_H

#include <QString>

// Text for a log line exactly as `qDebug() << text` writes a QString: in double quotes,
// with backslash escapes for quotes, backslashes, line ends and every other character
// that does not print. QDebug looks each character up in the Unicode tables one at a
// time; the command channel logs every reply in full, and this does the same work for
// a fraction of the cost. Written with qDebug().noquote().
namespace LogText {
QString quoted(const QString& text);
}

#endif // LOGTEXT_H
