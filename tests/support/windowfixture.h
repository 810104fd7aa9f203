#ifndef WINDOWFIXTURE_H
#define WINDOWFIXTURE_H

#include "bmsmainwin.h"
#include "boxrecorder.h"
#include "ptypair.h"

#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QStackedWidget>
#include <QTest>

// The main window connected to the slave side of a pseudo-terminal, with every
// operator box recorded. Tests play the device on pty.
struct WindowFixture {
    BoxRecorder boxes;
    PtyPair pty;
    BMSMainWin win;

    template <typename T = QWidget>
    T* w(const char* name) { return win.findChild<T*>(QString::fromLatin1(name)); }
    QPushButton* button(const char* name) { return w<QPushButton>(name); }
    QString label(const char* name) { return w<QLabel>(name)->text(); }
    int page() { return w<QStackedWidget>("StackWid")->currentIndex(); }

    // Logs in on the pty and swallows the login traffic.
    bool login()
    {
        w<QComboBox>("PortComBox")->setCurrentText(pty.slavePath());
        win.OpenBtn_clicked();
        const QByteArray hello = pty.readUntil("pwrsys\n", 2000);
        return win.portOpen && hello.contains("pwrsys\n");
    }
};

#endif // WINDOWFIXTURE_H
