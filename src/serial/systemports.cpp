#include "systemports.h"

#include "steadyclock.h"

#include <QSerialPortInfo>
#include <QStringList>

#ifdef Q_OS_UNIX
#include <dirent.h>
#endif

namespace {

// On Unix the device path is what a technician recognises (/dev/ttyUSB0) and what
// can be typed for a port the system does not enumerate; elsewhere the name (COM3).
QString listedName(const QSerialPortInfo& info)
{
#ifdef Q_OS_UNIX
    return info.systemLocation();
#else
    return info.portName();
#endif
}

QString adapterTip(const QSerialPortInfo& info)
{
    QStringList parts;
    if (!info.manufacturer().isEmpty())
        parts << info.manufacturer();
    if (!info.description().isEmpty())
        parts << info.description();
    if (info.hasVendorIdentifier() && info.hasProductIdentifier())
        parts << QStringLiteral("%1:%2")
                     .arg(info.vendorIdentifier(), 4, 16, QLatin1Char('0'))
                     .arg(info.productIdentifier(), 4, 16, QLatin1Char('0'));
    return parts.join(QStringLiteral(" — "));
}

} // namespace

SystemPorts::SystemPorts()
    : SystemPorts(&SystemPorts::deviceFolderSignature, &SystemPorts::enumerate, &steadyMs)
{
}

SystemPorts::SystemPorts(Signature signature, Enumerate enumerate, Clock clock)
    : signature(std::move(signature))
    , enumerator(std::move(enumerate))
    , clock(std::move(clock))
{
}

SystemPorts& SystemPorts::instance()
{
    static SystemPorts ports;
    return ports;
}

const QVector<SystemPorts::Port>& SystemPorts::ports()
{
    const qint64 now = clock();
    const quint64 folder = signature();
    if (looked && folder != lastSignature)
        settleUntil = now + settleMs;
    lastSignature = folder;
    if (!looked || folder == 0 || now < settleUntil || now - lastFullLook >= fullLookMs) {
        known = enumerator();
        looked = true;
        lastFullLook = now;
    }
    return known;
}

quint64 SystemPorts::deviceFolderSignature()
{
#ifdef Q_OS_UNIX
    DIR* dev = opendir("/dev");
    if (!dev)
        return 0;
    // A sum of one hash per name: the order in which the folder lists them does not
    // matter, any name added or taken away does.
    quint64 sum = 1;
    while (const dirent* entry = readdir(dev)) {
        quint64 h = 14695981039346656037ULL; // FNV-1a
        for (const char* c = entry->d_name; *c; ++c)
            h = (h ^ static_cast<unsigned char>(*c)) * 1099511628211ULL;
        sum += h;
    }
    closedir(dev);
    return sum ? sum : 1;
#else
    return 0;
#endif
}

QVector<SystemPorts::Port> SystemPorts::enumerate()
{
    QVector<Port> ports;
    const auto infos = QSerialPortInfo::availablePorts();
    for (const QSerialPortInfo& info : infos)
        ports.append({listedName(info), adapterTip(info)});
    return ports;
}
