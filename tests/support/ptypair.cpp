#include "ptypair.h"

#include <QCoreApplication>
#include <QFile>
#include <QElapsedTimer>
#include <QTest>

#include <cerrno>
#include <fcntl.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

PtyPair::PtyPair()
{
    char name[256] = {};
    // Keeping one slave descriptor open keeps the master readable between the
    // program's open and close of the port.
    if (openpty(&master, &slaveKeep, name, nullptr, nullptr) != 0) {
        master = slaveKeep = -1;
        return;
    }
    termios tio{};
    tcgetattr(slaveKeep, &tio);
    cfmakeraw(&tio);
    tcsetattr(slaveKeep, TCSANOW, &tio);
    fcntl(master, F_SETFL, fcntl(master, F_GETFL) | O_NONBLOCK);
    path = QString::fromLocal8Bit(name);
}

PtyPair::PtyPair(const QString& terminal)
    : master(::open(QFile::encodeName(terminal).constData(), O_RDWR | O_NOCTTY | O_NONBLOCK))
    , path(terminal)
{
    termios tio{};
    tcgetattr(master, &tio);
    cfmakeraw(&tio);
    tcsetattr(master, TCSANOW, &tio);
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
    while (master >= 0) {
        const ssize_t n = ::read(master, buf, sizeof buf);
        hungUp = hungUp || n == 0 || (n < 0 && errno != EAGAIN && errno != EINTR);
        if (n <= 0)
            break;
        out.append(buf, static_cast<int>(n));
        ++reads;
    }
    return out;
}

QByteArray PtyPair::readUntil(const QByteArray& needle, int timeoutMs)
{
    QByteArray out;
    QElapsedTimer t;
    t.start();
    const auto waiting = [&] { return needle.isEmpty() || !out.contains(needle); };
    while (t.elapsed() < timeoutMs && waiting()) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        out += readAvailable();
        if (waiting())
            QTest::qWait(2);
    }
    return out + (needle.isEmpty() ? readAvailable() : QByteArray());
}

QByteArray PtyPair::command(const QByteArray& cmd, int timeoutMs)
{
    write("\n" + cmd + "\n");
    QByteArray out;
    QElapsedTimer t;
    t.start();
    // The prompt of the line end before the command comes first; the frame ends at the
    // prompt after its "$$".
    while (t.elapsed() < timeoutMs && !out.mid(out.indexOf("@" + cmd)).contains("$$\r\r\nBMS>"))
        out += readUntil("BMS>", int(timeoutMs - t.elapsed()));
    return out.mid(out.indexOf("@" + cmd));
}

void PtyPair::closeMaster()
{
    if (slaveKeep >= 0)
        ::close(slaveKeep);
    if (master >= 0)
        ::close(master);
    slaveKeep = master = -1;
}
