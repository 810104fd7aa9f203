#include "boxrecorder.h"

BoxRecorder::BoxRecorder()
{
    previous = MsgBox::setHandler([this](const MsgBox::Request& r) {
        requests << r;
        MsgBox::Answer a;
        a.button = (r.buttons & button) ? button
                   : (r.buttons & QMessageBox::Ok) ? QMessageBox::Ok
                                                   : QMessageBox::Yes;
        if (r.kind == MsgBox::Kind::Input && !inputs.isEmpty())
            a.text = inputs.takeFirst();
        if (r.kind == MsgBox::Kind::OpenFile && !files.isEmpty())
            a.text = files.takeFirst();
        a.result = dialogResult;
        return a;
    });
}

BoxRecorder::~BoxRecorder()
{
    MsgBox::setHandler(previous);
}

QStringList BoxRecorder::seen() const
{
    QStringList out;
    for (const MsgBox::Request& r : requests)
        out << r.title + QLatin1Char('|') + r.text;
    return out;
}
