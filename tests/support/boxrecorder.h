#ifndef BOXRECORDER_H
#define BOXRECORDER_H

#include "msgbox.h"

#include <QStringList>

// Records every operator box and dialog while it lives and answers them: boxes with
// `button` (Yes, or OK for an OK-only box), prompts and file dialogs with the next of
// `inputs`; dialogs are accepted.
class BoxRecorder
{
public:
    BoxRecorder();
    ~BoxRecorder() { MsgBox::setHandler(previous); }

    QList<MsgBox::Request> requests;
    QMessageBox::StandardButton button = QMessageBox::Yes;
    QStringList inputs;
    QStringList files; // answers to file dialogs, in turn; none left: cancelled

    int count() const { return requests.size(); }
    // Titles and texts of the recorded boxes and prompts, "title|text" each.
    QStringList seen() const;
    void clear() { requests.clear(); }

private:
    MsgBox::Handler previous;
};

#endif // BOXRECORDER_H
