#ifndef SYSTEMPORTS_H
#define SYSTEMPORTS_H

#include <QString>
#include <QVector>

#include <functional>

// The serial ports the system offers, for the once-a-second port scan. Enumerating them
// asks udev about every tty of the machine, some milliseconds of system calls; done every
// second, that was most of what the program cost while it sat idle. A port's device node
// appears and disappears in /dev with its adapter, so the folder's list of names tells
// whether anything was plugged or unplugged, for a fraction of the cost: the ports are
// enumerated again only then, and for a few seconds after (udev and sysfs catch up with
// the node a moment later), and once a minute in any case.
class SystemPorts
{
public:
    struct Port {
        QString name; // as a technician recognises it: /dev/ttyUSB0, COM3
        QString tip;  // the adapter: maker, product, USB ids
    };
    // A value that changes whenever a device node comes or goes; 0 when the folder
    // cannot be read, which makes every look a full one.
    using Signature = std::function<quint64()>;
    using Enumerate = std::function<QVector<Port>()>;
    using Clock = std::function<qint64()>; // milliseconds, steady

    static constexpr qint64 settleMs = 3000;
    static constexpr qint64 fullLookMs = 60000;

    // The real device folder, QSerialPortInfo and a steady clock.
    SystemPorts();
    SystemPorts(Signature signature, Enumerate enumerate, Clock clock);

    // The one the program's windows share: the ports are the machine's, not a window's.
    static SystemPorts& instance();

    const QVector<Port>& ports();

    static quint64 deviceFolderSignature();
    static QVector<Port> enumerate();

private:
    Signature signature;
    Enumerate enumerator;
    Clock clock;
    QVector<Port> known;
    bool looked = false;
    quint64 lastSignature = 0;
    qint64 settleUntil = 0;
    qint64 lastFullLook = 0;
};

#endif // SYSTEMPORTS_H
