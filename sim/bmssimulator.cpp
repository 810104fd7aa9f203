#include "bmssimulator.h"

#include "simconsole.h"
#include "simport.h"

BmsSimulator::BmsSimulator(const SimOptions& options, QObject* parent)
    : QObject(parent)
    , m_options(options)
    , m_port(new SimPort(options))
{
    m_thread.setObjectName(QStringLiteral("BmsSimulator"));
    connect(m_port, &SimPort::closed, this, &BmsSimulator::portGone);
    connect(m_port, &SimPort::clientArrived, this, &BmsSimulator::clientArrived);
    connect(m_port, &SimPort::clientGone, this, &BmsSimulator::clientGone);
    connect(m_port, &SimPort::commandReceived, this, &BmsSimulator::commandReceived);
}

BmsSimulator::~BmsSimulator()
{
    stop();
    delete m_port;
}

bool BmsSimulator::start()
{
    if (isRunning())
        return true;
    if (m_thread.isRunning()) {
        // The port vanished earlier; bring the object home before opening anew.
        QMetaObject::invokeMethod(m_port, "shutdown", Qt::BlockingQueuedConnection,
                                  Q_ARG(QThread*, QThread::currentThread()));
        m_thread.quit();
        m_thread.wait();
    }
    if (!m_port->open())
        return false;
    m_path = m_port->path();
    m_port->moveToThread(&m_thread);
    m_thread.start();
    QMetaObject::invokeMethod(m_port, "activate", Qt::BlockingQueuedConnection);
    return true;
}

void BmsSimulator::stop()
{
    if (!m_thread.isRunning())
        return;
    QMetaObject::invokeMethod(m_port, "shutdown", Qt::BlockingQueuedConnection,
                              Q_ARG(QThread*, QThread::currentThread()));
    m_thread.quit();
    m_thread.wait();
}

bool BmsSimulator::isRunning() const
{
    return m_thread.isRunning() && m_port->isOpen();
}

QString BmsSimulator::portPath() const
{
    // A port that has gone is not offered any more.
    return m_port->isOpen() ? m_path : QString();
}

void BmsSimulator::setFaults(const SimFaults& faults)
{
    m_port->setFaults(faults);
}

SimFaults BmsSimulator::faults() const
{
    return m_port->faults();
}

void BmsSimulator::raiseAlarm(int pack, SimDevice::Alarm alarm)
{
    access([&](SimConsole& c) { c.device().raiseAlarm(pack, alarm); });
}

void BmsSimulator::clearAlarms(int pack)
{
    access([&](SimConsole& c) { c.device().clearAlarms(pack); });
}

void BmsSimulator::setSoc(int pack, double percent)
{
    access([&](SimConsole& c) { c.device().setSoc(pack, percent); });
}

void BmsSimulator::setCurrent(int pack, double milliamps)
{
    access([&](SimConsole& c) { c.device().setCurrent(pack, milliamps); });
}

QByteArray BmsSimulator::storedImage() const
{
    QByteArray image;
    access([&](SimConsole& c) { image = c.device().storedImage(); });
    return image;
}

QByteArray BmsSimulator::receivedFile() const
{
    QByteArray file;
    access([&](SimConsole& c) { file = c.device().receivedFile(); });
    return file;
}

QString BmsSimulator::lastBarcode() const
{
    QString barcode;
    access([&](SimConsole& c) { barcode = c.device().lastBarcode(); });
    return barcode;
}

void BmsSimulator::access(const std::function<void(SimConsole&)>& fn) const
{
    m_port->withConsole(fn);
}
