#include "myserial.h"

#include <QDebug>
#include <QFileInfo>
#include <QSerialPort>

MySerial::MySerial(QObject* parent)
    : QObject(parent)
{
}

MySerial::~MySerial()
{
    close();
}

bool MySerial::open()
{
    close();
    port = new QSerialPort(this);
    port->setPortName(settings.name);
    port->setBaudRate(settings.baudRate, QSerialPort::AllDirections);
    port->setDataBits(static_cast<QSerialPort::DataBits>(settings.dataBits));
    port->setStopBits(static_cast<QSerialPort::StopBits>(settings.stopBits));
    port->setParity(static_cast<QSerialPort::Parity>(settings.parity));
    port->setFlowControl(static_cast<QSerialPort::FlowControl>(settings.flowControl));
    const quint64 session = ++opens;
    if (!port->open(QIODevice::ReadWrite))
        return false;
    connect(port, &QSerialPort::readyRead, this, &MySerial::readyRead);
    connect(port, &QSerialPort::errorOccurred, this,
            [this, session, last = QSerialPort::NoError](QSerialPort::SerialPortError error) mutable {
                if (error == QSerialPort::NoError)
                    return;
                if (error != last) // a gone device repeats its error until the port is closed
                    qDebug() << "serial port error:" << error << port->errorString();
                last = error;
                if (!deviceGone(error))
                    return;
                // The port reports this from inside its own read or write, where it must
                // not be closed yet.
                QMetaObject::invokeMethod(this, [this, session] {
                    if (session == opens && isOpen())
                        emit portLost();
                }, Qt::QueuedConnection);
            });
    return true;
}

bool MySerial::deviceGone(int error) const
{
    if (error == QSerialPort::ResourceError)
        return true;
#ifdef Q_OS_UNIX
    // A pseudo-terminal whose other end has closed reads as end of file, which the
    // port reports as a plain read error; its vanished device node tells the two apart.
    if (error == QSerialPort::ReadError) {
        const QString node = settings.name.startsWith(QLatin1Char('/')) ? settings.name
                                                                        : QStringLiteral("/dev/") + settings.name;
        return !QFileInfo::exists(node);
    }
#endif
    return false;
}

void MySerial::close()
{
    if (!port)
        return;
    if (port->isOpen())
        port->close();
    delete port;
    port = nullptr;
}

bool MySerial::isConnected() const
{
    return port && port->isOpen();
}

bool MySerial::isOpen() const
{
    return isConnected();
}

qint64 MySerial::SerialSendData(const QString& text)
{
    if (text.isEmpty() || !isOpen())
        return -1;
    const QByteArray bytes = text.toLocal8Bit();
    qDebug() << "发送的数据：" << bytes;
    return port->write(bytes);
}

qint64 MySerial::write(const QByteArray& bytes)
{
    if (!isOpen())
        return 0;
    qDebug() << "发送的bytes：" << bytes.toHex(' ');
    qDebug() << "数据帧大小：" << bytes.size();
    return port->write(bytes);
}

void MySerial::flush()
{
    if (isOpen())
        port->flush();
}

QByteArray MySerial::readAll()
{
    if (!isOpen()) {
        qDebug() << "serial readAll() serial == nullptr or not open";
        return QByteArray();
    }
    return port->readAll();
}

qint64 MySerial::read(char* data, qint64 maxSize)
{
    return isOpen() ? port->read(data, maxSize) : 0;
}

bool MySerial::waitForReadyRead(int ms)
{
    return isOpen() ? port->waitForReadyRead(ms) : false;
}

qint64 MySerial::bytesAvailable() const
{
    return isOpen() ? port->bytesAvailable() : 0;
}

QString MySerial::settingsText() const
{
    return QStringLiteral("%1 %2 %3 %4 %5")
        .arg(settings.name)
        .arg(settings.baudRate)
        .arg(settings.dataBits)
        .arg(settings.stopBits)
        .arg(settings.parity);
}

void MySerial::setSerialSettings(const SerialSettings& s)
{
    settings = s;
}

QString MySerial::NowPortName() const
{
    return isOpen() ? port->portName() : QString();
}

void MySerial::ReadData()
{
    const QByteArray data = readAll();
    if (!data.isEmpty())
        emit ReadSerilaData(data);
}
