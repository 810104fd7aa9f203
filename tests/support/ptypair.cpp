#include "ptypair.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTest>

#include <cerrno>
#include <fcntl.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

PtyPair::PtyPair()
{
    int slave = -1;
    char name[256] = {};
    if (openpty(&master, &slave, name, nullptr, nullptr) != 0) {
        master = -1;
        return;
    }
    termios tio{};
    tcgetattr(slave, &tio);
    cfmakeraw(&tio);
    tcsetattr(slave, TCSANOW, &tio);
    // Keeping one slave descriptor open keeps the master readable between the
    // program's open and close of the port.
    slaveKeep = slave;
    fcntl(master, F_SETFL, fcntl(master, F_GETFL) | O_NONBLOCK);
    path = QString::fromLocal8Bit(name);
}

PtyPair::~PtyPair()
{
    closeMaster();
}

void PtyPair::write(const QByteArray& bytes)
{
    qsizetype done = 0;
    while (master >= 0 && done < bytes.size()) {
        const ssize_t n = ::write(master, bytes.constData() + done, static_cast<size_t>(bytes.size() - done));
        if (n > 0)
            done += n;
        else if (n < 0 && errno != EAGAIN && errno != EINTR)
            return;
        else
            QTest::qWait(1);
    }
}

QByteArray PtyPair::readAvailable()
{
    QByteArray out;
    char buf[4096];
    for (;;) {
        if (master < 0)
            break;
        const ssize_t n = ::read(master, buf, sizeof buf);
        if (n <= 0)
            break;
        out.append(buf, static_cast<int>(n));
    }
    return out;
}

QByteArray PtyPair::readFor(int ms)
{
    QByteArray out;
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < ms) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        out += readAvailable();
        QTest::qWait(2);
    }
    out += readAvailable();
    return out;
}

QByteArray PtyPair::readUntil(const QByteArray& needle, int timeoutMs)
{
    QByteArray out;
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < timeoutMs && !out.contains(needle)) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        out += readAvailable();
        if (!out.contains(needle))
            QTest::qWait(2);
    }
    return out;
}

void PtyPair::closeMaster()
{
    if (slaveKeep >= 0)
        ::close(slaveKeep);
    if (master >= 0)
        ::close(master);
    slaveKeep = master = -1;
}
