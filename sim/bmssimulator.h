#ifndef BMSSIMULATOR_H
#define BMSSIMULATOR_H

#include "simdevice.h"
#include "simfaults.h"
#include "simoptions.h"

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QThread>

#include <functional>

class SimConsole;
class SimPort;

// A simulated BMS on a fresh pseudo-terminal, running on a thread of its own so that
// a busy GUI, or one waiting in a nested event loop, never stalls the device.
// Clients open portPath() like any serial adapter. stop() makes the port disappear,
// exactly as if the adapter were pulled. The model can be acted on from any thread.
class BmsSimulator : public QObject
{
    Q_OBJECT
public:
    explicit BmsSimulator(const SimOptions& options = SimOptions(), QObject* parent = nullptr);
    ~BmsSimulator() override;

    bool start();
    void stop();
    bool isRunning() const;
    QString portPath() const;         // empty while no port is open
    SimOptions options() const { return m_options; }

    // Thread-safe.
    void setFaults(const SimFaults& faults);
    SimFaults faults() const;
    void raiseAlarm(int pack, SimDevice::Alarm alarm);
    void clearAlarms(int pack);
    void setSoc(int pack, double percent);
    void setCurrent(int pack, double milliamps);
    QByteArray storedImage() const;   // the last image the loader accepted
    QByteArray receivedFile() const;  // the last complete Xmodem reception, padding included
    QString lastBarcode() const;
    // Anything else: runs fn with the console (and through it the device) locked.
    void access(const std::function<void(SimConsole&)>& fn) const;

signals:
    void portGone();                  // the port was closed, by stop() or by the vanishing fault
    void clientArrived();
    void clientGone();                // the client closed the port
    void commandReceived(const QString& line);

private:
    SimOptions m_options;
    SimPort* m_port = nullptr;
    QThread m_thread;
    QString m_path;
};

#endif // BMSSIMULATOR_H
