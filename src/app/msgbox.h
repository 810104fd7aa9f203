#ifndef MSGBOX_H
#define MSGBOX_H

#include <QFileDialog>
#include <QMessageBox>
#include <QString>

#include <functional>

class QDialog;
class QWidget;

// Every modal question or notice the operator sees goes through here: message boxes,
// the access-code prompt and our own dialogs. In normal runs it simply shows them.
// Tests install a handler that records each request and answers it, so no test ever
// waits on a modal dialog.
class MsgBox
{
public:
    enum class Kind { Box, Input, Dialog, SaveFile, OpenFile };

    struct Request {
        Kind kind = Kind::Box;
        QWidget* parent = nullptr;
        QMessageBox::Icon icon = QMessageBox::NoIcon;
        QString title;
        QString text; // the box text, the input label, or the file dialog's start path
        QMessageBox::StandardButtons buttons = QMessageBox::NoButton;
        QDialog* dialog = nullptr; // Kind::Dialog only
        QString filter;            // Kind::OpenFile: name filter; text is the start directory
    };

    struct Answer {
        QMessageBox::StandardButton button = QMessageBox::NoButton; // Kind::Box
        QString text;                                               // Kind::Input, Kind::SaveFile, Kind::OpenFile
        int result = 0;                                             // Kind::Dialog
    };

    using Handler = std::function<Answer(const Request&)>;

    // A modal box; returns the button pressed.
    static QMessageBox::StandardButton show(QWidget* parent, QMessageBox::Icon icon,
                                            const QString& title, const QString& text,
                                            QMessageBox::StandardButtons buttons = QMessageBox::Yes,
                                            QMessageBox::StandardButton defaultButton = QMessageBox::NoButton);

    // A modal single-line text prompt with visible echo; returns the text typed
    // (whether the dialog was accepted or cancelled).
    static QString input(QWidget* parent, const QString& title, const QString& label,
                         const QString& styleSheet = QString());

    // A save-file dialog opened at start; returns the chosen path, empty when cancelled.
    // Callers that append to an existing file pass QFileDialog::DontConfirmOverwrite.
    static QString saveFile(QWidget* parent, const QString& title, const QString& start,
                            const QString& filter, QFileDialog::Options options = {});
    // A modal file dialog to open one existing file; returns its path, or an empty
    // string when the operator cancelled.
    static QString openFile(QWidget* parent, const QString& title, const QString& dir, const QString& filter);

    // Runs a dialog modally (QDialog::exec) and returns its result.
    static int exec(QDialog* dialog);

    // Installs a handler that takes the place of the real dialogs; an empty handler
    // restores them. Returns the previous handler.
    static Handler setHandler(Handler handler);
};

#endif // MSGBOX_H
