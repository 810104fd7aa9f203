#include "boxrecorder.h"

BoxRecorder::BoxRecorder()
{
    previous = MsgBox::setHandler([this](const MsgBox::Request& r) {
        requests << r;
        MsgBox::Answer a;
        a.button = (r.buttons & button) ? button
                   : (r.buttons & QMessageBox::Ok) ? QMessageBox::Ok
                                                   : QMessageBox::Yes;
        if ((r.kind == MsgBox::Kind::Input || r.kind == MsgBox::Kind::SaveFile) && !inputs.isEmpty())
            a.text = inputs.takeFirst();
        if (r.kind == MsgBox::Kind::OpenFile && !files.isEmpty())
            a.text = files.takeFirst();
        a.result = 1;
        return a;
    });
}

QStringList BoxRecorder::seen() const
{
    QStringList out;
    for (const MsgBox::Request& r : requests) {
        // File dialogs are answered, not seen.
        if (r.kind != MsgBox::Kind::SaveFile && r.kind != MsgBox::Kind::OpenFile)
            out << r.title + QLatin1Char('|') + r.text;
    }
    return out;
}
