#ifndef SERIALSETTINGS_H
#define SERIALSETTINGS_H

#include <QSerialPort>
#include <QString>

// The line parameters of the console port. The defaults are what every BMS console
// speaks: 115200 baud, 8 data bits, no parity, one stop bit, no flow control.
struct SerialSettings {
    QString name;
    int baudRate = 115200;
    int dataBits = QSerialPort::Data8;
    int stopBits = QSerialPort::OneStop;
    int parity = QSerialPort::NoParity;
    int flowControl = QSerialPort::NoFlowControl;
};

#endif // SERIALSETTINGS_H
