#ifndef TEXTSAVER_H
#define TEXTSAVER_H

#include <QByteArray>
#include <QString>

class QWidget;

// Saving a text export to a file the operator picks. The text is written to a
// temporary file beside the target, which replaces the target only once complete: a
// full disk or a folder without write access never leaves a half-written export and
// never destroys the older one. A failure is told to the operator with the file and
// the system's reason.
class TextSaver
{
public:
    // Asks for the file in a save dialog (title, start directory, filter) and writes
    // the text to it. Returns the file written; empty when the operator cancelled or
    // the save failed (after the warning).
    static QString saveAs(QWidget* parent, const QString& title, const QString& startDir,
                          const QString& filter, const QByteArray& text);

    // Writes the text (already encoded; line ends become the platform's) to path. On
    // failure a "Warning" box names the file and the reason, and false is returned.
    static bool write(QWidget* parent, const QString& path, const QByteArray& text);
};

#endif // TEXTSAVER_H
