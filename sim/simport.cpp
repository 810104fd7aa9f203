#include "simport.h"

#include <QSocketNotifier>
#include <QThread>
#include <QTimer>

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

namespace {

// Line noise never contains the frame marks or the Xmodem control bytes: those
// would make a different fault (a stolen reply) than the one asked for.
bool noiseByteAllowed(quint8 b)
{
    switch (b) {
    case '@': case '$': case '\r': case '\n':
    case 0x01: case 0x04: case 0x06: case 0x15: case 0x18:
        return false;
    default:
        return true;
    }
}

} // namespace

SimPort::SimPort(const SimOptions& options, QObject* parent)
    : QObject(parent)
    , m_options(options)
    , m_console(options)
    , m_faults(options.faults)
    , m_faultRng(options.seed ^ 0x5EED5EEDu)
{
}

SimPort::~SimPort()
{
    if (m_master >= 0)
        ::close(m_master);
}

bool SimPort::open()
{
    if (m_master >= 0)
        return true;
    int master = -1;
    int slave = -1;
    char name[128] = {};
    if (::openpty(&master, &slave, name, nullptr, nullptr) != 0)
        return false;
    termios tio {};
    if (::tcgetattr(slave, &tio) == 0) {
        ::cfmakeraw(&tio);
        ::cfsetispeed(&tio, B115200);
        ::cfsetospeed(&tio, B115200);
        ::tcsetattr(slave, TCSANOW, &tio);
    }
    // The slave is not kept open: with no client on it the master reports a hang-up,
    // which is how the port tells whether anybody is listening.
    ::close(slave);
    ::fcntl(master, F_SETFL, ::fcntl(master, F_GETFL) | O_NONBLOCK);
    ::fcntl(master, F_SETFD, FD_CLOEXEC);
    QMutexLocker lock(&m_mutex);
    m_master = master;
    m_path = QString::fromLocal8Bit(name);
    return true;
}

bool SimPort::isOpen() const
{
    QMutexLocker lock(&m_mutex);
    return m_master >= 0;
}

QString SimPort::path() const
{
    QMutexLocker lock(&m_mutex);
    return m_path;
}

void SimPort::withConsole(const std::function<void(SimConsole&)>& fn)
{
    QMutexLocker lock(&m_mutex);
    fn(m_console);
}

void SimPort::setFaults(const SimFaults& faults)
{
    QMutexLocker lock(&m_mutex);
    m_faults = faults;
    m_console.setXmodemFaults(faults.xmodemNak, faults.xmodemCancelAfter, faults.xmodemSilentAfter);
}

SimFaults SimPort::faults() const
{
    QMutexLocker lock(&m_mutex);
    return m_faults;
}

void SimPort::activate()
{
    if (m_master < 0 || m_readNotifier)
        return;
    // A device keeps running while its cable is out: after a restart the clock goes on
    // from where it was, instead of holding the model still until it catches up again.
    if (!m_clock.isValid())
        m_clock.start();
    m_readNotifier = new QSocketNotifier(m_master, QSocketNotifier::Read, this);
    connect(m_readNotifier, &QSocketNotifier::activated, this, &SimPort::onReadable);
    m_writeNotifier = new QSocketNotifier(m_master, QSocketNotifier::Write, this);
    m_writeNotifier->setEnabled(false);
    connect(m_writeNotifier, &QSocketNotifier::activated, this, &SimPort::onWritable);

    m_eventTimer = new QTimer(this);
    m_eventTimer->setSingleShot(true);
    m_eventTimer->setTimerType(Qt::PreciseTimer);
    connect(m_eventTimer, &QTimer::timeout, this, &SimPort::onEventTimer);
    m_flushTimer = new QTimer(this);
    m_flushTimer->setSingleShot(true);
    m_flushTimer->setTimerType(Qt::PreciseTimer);
    connect(m_flushTimer, &QTimer::timeout, this, &SimPort::flush);
    m_clientTimer = new QTimer(this);
    m_clientTimer->setInterval(50);
    connect(m_clientTimer, &QTimer::timeout, this, &SimPort::checkClient);

    const int vanish = faults().vanishAfterMs;
    if (vanish >= 0) {
        m_vanishTimer = new QTimer(this);
        m_vanishTimer->setSingleShot(true);
        connect(m_vanishTimer, &QTimer::timeout, this, &SimPort::close);
        m_vanishTimer->start(vanish);
    }
    // Nobody has the slave open yet.
    m_readNotifier->setEnabled(false);
    m_clientTimer->start();
    checkClient();
    reschedule();
}

void SimPort::close()
{
    if (m_master < 0)
        return;
    delete m_readNotifier;
    delete m_writeNotifier;
    delete m_eventTimer;
    delete m_flushTimer;
    delete m_clientTimer;
    delete m_vanishTimer;
    m_readNotifier = m_writeNotifier = nullptr;
    m_eventTimer = m_flushTimer = m_clientTimer = m_vanishTimer = nullptr;
    {
        QMutexLocker lock(&m_mutex);
        ::close(m_master);
        m_master = -1;
        m_queue.clear();
        m_client = false;
    }
    emit closed();
}

void SimPort::shutdown(QThread* home)
{
    close();
    moveToThread(home);
}

void SimPort::checkClient()
{
    if (m_master < 0)
        return;
    pollfd p {m_master, POLLIN, 0};
    if (::poll(&p, 1, 0) < 0 || (p.revents & POLLHUP))
        return; // still nobody on the other end
    m_clientTimer->stop();
    m_readNotifier->setEnabled(true);
    {
        QMutexLocker lock(&m_mutex);
        m_client = true;
        m_lastDue = 0;
    }
    emit clientArrived();
    onReadable();
}

void SimPort::hangUp()
{
    m_readNotifier->setEnabled(false);
    m_writeNotifier->setEnabled(false);
    bool was = false;
    {
        QMutexLocker lock(&m_mutex);
        was = m_client;
        m_client = false;
        m_queue.clear();
    }
    // Whatever the last client left unread must not greet the next one.
    const int slave = ::open(m_path.toLocal8Bit().constData(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (slave >= 0) {
        ::tcflush(slave, TCIOFLUSH);
        ::close(slave);
    }
    m_clientTimer->start();
    if (was)
        emit clientGone();
}

void SimPort::onReadable()
{
    if (m_master < 0)
        return;
    QByteArray data;
    char buf[4096];
    bool gone = false;
    for (;;) {
        const ssize_t n = ::read(m_master, buf, sizeof buf);
        if (n > 0) {
            data.append(buf, int(n));
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        gone = n == 0 || (errno != EAGAIN && errno != EWOULDBLOCK);
        break;
    }
    QStringList log;
    if (!data.isEmpty()) {
        QMutexLocker lock(&m_mutex);
        catchUp();
        enqueue(m_console.feed(data));
        log = m_console.takeCommandLog();
    }
    for (const QString& line : log)
        emit commandReceived(line);
    if (gone) {
        hangUp();
        return;
    }
    reschedule();
    flush();
}

void SimPort::onEventTimer()
{
    QStringList log;
    {
        QMutexLocker lock(&m_mutex);
        catchUp();
        log = m_console.takeCommandLog();
    }
    for (const QString& line : log)
        emit commandReceived(line);
    reschedule();
    flush();
}

void SimPort::catchUp()
{
    const qint64 delta = m_clock.elapsed() - m_console.uptimeMs();
    if (delta > 0)
        enqueue(m_console.advance(delta));
}

void SimPort::reschedule()
{
    if (!m_eventTimer)
        return;
    qint64 ms = 0;
    {
        QMutexLocker lock(&m_mutex);
        ms = m_console.msToNextEvent();
    }
    m_eventTimer->start(int(std::min<qint64>(ms, 60000)));
}

double SimPort::chance()
{
    return double(m_faultRng()) / 4294967296.0;
}

int SimPort::randInt(int lo, int hi)
{
    return lo + int(quint32(m_faultRng()) % (quint32(hi - lo) + 1u));
}

void SimPort::enqueue(const QList<SimConsole::Output>& outputs)
{
    // Called with the mutex held.
    for (const SimConsole::Output& o : outputs) {
        if (!m_client)
            continue; // nobody listening: the bytes are lost on the line
        const bool answer = o.kind == SimConsole::Output::Frame || o.kind == SimConsole::Output::Text;
        const bool control = o.kind == SimConsole::Output::Control;
        if (answer && m_faults.silence > 0 && chance() < m_faults.silence)
            continue;
        QByteArray bytes = o.bytes;
        if (o.kind == SimConsole::Output::Frame && m_faults.loseFrameEnd > 0 && chance() < m_faults.loseFrameEnd) {
            const int at = bytes.lastIndexOf("$$");
            if (at >= 0)
                bytes.remove(at, 2);
        }
        if (!control && m_faults.garbage > 0 && chance() < m_faults.garbage) {
            QByteArray noise;
            const int n = randInt(1, 8);
            while (noise.size() < n) {
                const quint8 b = quint8(randInt(0, 255));
                if (noiseByteAllowed(b))
                    noise.append(char(b));
            }
            bytes.prepend(noise);
        }
        const qint64 now = m_clock.elapsed();
        // Each answer is late by the latency, counted from when it was given; the order
        // on the line never changes.
        qint64 due = std::max(now + std::max(0, m_faults.latencyMs), m_lastDue);
        if (m_faults.chunk && !control && bytes.size() > 1) {
            QList<int> cuts;
            const int count = randInt(1, std::min(6, bytes.size() - 1));
            while (cuts.size() < count) {
                const int at = randInt(1, bytes.size() - 1);
                if (!cuts.contains(at))
                    cuts.append(at);
            }
            std::sort(cuts.begin(), cuts.end());
            int from = 0;
            cuts.append(bytes.size());
            for (int at : cuts) {
                m_queue.append({bytes.mid(from, at - from), due});
                due += randInt(1, std::max(1, m_faults.chunkGapMs));
                from = at;
            }
            m_lastDue = m_queue.last().due;
        } else {
            m_queue.append({bytes, due});
            m_lastDue = due;
        }
    }
}

void SimPort::flush()
{
    if (m_master < 0)
        return;
    QMutexLocker lock(&m_mutex);
    const qint64 now = m_clock.elapsed();
    while (!m_queue.isEmpty() && m_queue.first().due <= now) {
        Piece& piece = m_queue.first();
        const ssize_t n = ::write(m_master, piece.bytes.constData(), size_t(piece.bytes.size()));
        if (n == piece.bytes.size()) {
            m_queue.removeFirst();
            continue;
        }
        if (n > 0) {
            piece.bytes.remove(0, int(n));
        } else if (n < 0 && errno == EINTR) {
            continue;
        } else if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK) {
            lock.unlock();
            hangUp();
            return;
        }
        // The client is slower than the line: wait until it has room again.
        m_writeNotifier->setEnabled(true);
        return;
    }
    if (!m_queue.isEmpty())
        m_flushTimer->start(int(m_queue.first().due - now));
}

void SimPort::onWritable()
{
    m_writeNotifier->setEnabled(false);
    flush();
}
