#ifndef BENCHSUPPORT_H
#define BENCHSUPPORT_H

#include "msgbox.h"

#include <QByteArray>
#include <QFile>
#include <QString>

// A field of /proc/<process>/status in kB ("VmRSS", "VmHWM"); -1 when it cannot be read.
inline long statusKb(const char* field, const QString& process = QStringLiteral("self"))
{
    QFile f(QStringLiteral("/proc/%1/status").arg(process));
    if (!f.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray key = QByteArray(field) + ':';
    for (const QByteArray& line : f.readAll().split('\n')) {
        if (line.startsWith(key))
            return line.mid(key.size()).trimmed().split(' ').value(0).toLong();
    }
    return -1;
}

// Answers every operator box with Yes and counts them, so a benchmark never waits.
inline void countBoxes(int& boxes)
{
    MsgBox::setHandler([&boxes](const MsgBox::Request&) {
        ++boxes;
        MsgBox::Answer a;
        a.button = QMessageBox::Yes;
        return a;
    });
}

#endif // BENCHSUPPORT_H
