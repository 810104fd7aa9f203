#ifndef CONSOLEVIEW_H
#define CONSOLEVIEW_H

#include <QByteArray>
#include <QString>

class QTextBrowser;

// Appends what one quiet period gathered from the line to the console view, the way a
// terminal shows it, logs it ("ReceData:") and returns it as text (empty for no bytes).
QString showReceived(QTextBrowser* view, const QByteArray& bytes);

#endif // CONSOLEVIEW_H
