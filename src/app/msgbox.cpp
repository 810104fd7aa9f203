#include "msgbox.h"

#include <QDialog>
#include <QFileDialog>
#include <QInputDialog>
#include <QLineEdit>

namespace {
MsgBox::Handler& currentHandler()
{
    static MsgBox::Handler handler;
    return handler;
}

MsgBox::Request request(MsgBox::Kind kind, QWidget* parent, const QString& title, const QString& text)
{
    MsgBox::Request r;
    r.kind = kind;
    r.parent = parent;
    r.title = title;
    r.text = text;
    return r;
}
} // namespace

QMessageBox::StandardButton MsgBox::show(QWidget* parent, QMessageBox::Icon icon, const QString& title,
                                         const QString& text, QMessageBox::StandardButtons buttons,
                                         QMessageBox::StandardButton defaultButton)
{
    if (currentHandler()) {
        Request r = request(Kind::Box, parent, title, text);
        r.icon = icon;
        r.buttons = buttons;
        return currentHandler()(r).button;
    }
    QMessageBox box(icon, title, text, buttons, parent);
    if (defaultButton != QMessageBox::NoButton)
        box.setDefaultButton(defaultButton);
    return static_cast<QMessageBox::StandardButton>(box.exec());
}

QString MsgBox::input(QWidget* parent, const QString& title, const QString& label, const QString& styleSheet)
{
    if (currentHandler()) {
        return currentHandler()(request(Kind::Input, parent, title, label)).text;
    }
    QInputDialog dialog(parent);
    dialog.setWindowTitle(title);
    dialog.setLabelText(label);
    dialog.setTextEchoMode(QLineEdit::Normal);
    dialog.setTextValue(QString());
    if (!styleSheet.isEmpty())
        dialog.setStyleSheet(styleSheet);
    dialog.exec();
    return dialog.textValue();
}

QString MsgBox::saveFile(QWidget* parent, const QString& title, const QString& start, const QString& filter,
                         QFileDialog::Options options)
{
    if (currentHandler())
        return currentHandler()(request(Kind::SaveFile, parent, title, start)).text;
    return QFileDialog::getSaveFileName(parent, title, start, filter, nullptr, options);
}

QString MsgBox::openFile(QWidget* parent, const QString& title, const QString& dir, const QString& filter)
{
    if (currentHandler()) {
        Request r = request(Kind::OpenFile, parent, title, dir);
        r.filter = filter;
        return currentHandler()(r).text;
    }
    return QFileDialog::getOpenFileName(parent, title, dir, filter);
}

int MsgBox::exec(QDialog* dialog)
{
    if (currentHandler()) {
        Request r = request(Kind::Dialog, dialog ? dialog->parentWidget() : nullptr,
                            dialog ? dialog->windowTitle() : QString(), QString());
        r.dialog = dialog;
        return currentHandler()(r).result;
    }
    return dialog ? dialog->exec() : QDialog::Rejected;
}

MsgBox::Handler MsgBox::setHandler(Handler handler)
{
    Handler previous = currentHandler();
    currentHandler() = std::move(handler);
    return previous;
}
