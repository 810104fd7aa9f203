#ifndef MYSERIAL_H
#define MYSERIAL_H

#include <QByteArray>
#include <QObject>
#include <QString>

#include "serialsettings.h"

class QSerialPort;

// The one serial port of the program. Writes fail softly (a negative or zero count)
// while the port is closed, so callers never have to guard against a lost adapter.
class MySerial : public QObject
{
    Q_OBJECT
public:
    explicit MySerial(QObject* parent = nullptr);
    ~MySerial() override;

    bool open();
    void close();
    bool isConnected() const;
    bool isOpen() const;

    qint64 SerialSendData(const QString& text);
    qint64 write(const QByteArray& bytes);
    // Hands what write() buffered to the driver now instead of at the next event loop
    // turn; a firmware transfer waits on every packet, and a quitting program has
    // no next turn.
    void flush();
    QByteArray readAll();
    qint64 read(char* data, qint64 maxSize);
    bool waitForReadyRead(int ms);
    qint64 bytesAvailable() const;

    QString settingsText() const;
    void setSerialSettings(const SerialSettings& s);
    SerialSettings serialSettings() const { return settings; }
    QString NowPortName() const;
    // Counts the opens, so that work begun on one open port can tell whether the port
    // it started on is still the one open.
    quint64 session() const { return opens; }

signals:
    void readyRead();
    void ReadSerilaData(QByteArray data);
    // The open port has gone (the adapter was pulled): told once, from the event loop,
    // never from inside the port's own signal, so a receiver may close the port.
    void portLost();

public slots:
    void ReadData();

private:
    // Whether a port error means the device has gone, not just a failed transfer.
    bool deviceGone(int error) const;

    SerialSettings settings;
    QSerialPort* port = nullptr;
    quint64 opens = 0;
};

#endif // MYSERIAL_H
