#ifndef SIMPORT_H
#define SIMPORT_H

#include "simconsole.h"
#include "simfaults.h"
#include "simoptions.h"

#include <QElapsedTimer>
#include <QList>
#include <QMutex>
#include <QObject>
#include <QString>

#include <functional>
#include <random>

class QSocketNotifier;
class QTimer;

// The wire end of the simulated BMS: the master side of a pseudo-terminal whose slave
// path clients open like any serial adapter. It feeds what arrives to the console,
// writes the console's answers back with the configured faults applied, and keeps the
// console's clock in step with real time. While no client holds the slave open the
// device keeps running but its output goes nowhere, as on an unplugged line.
// open() may be called from any thread; everything else runs on the thread the object
// lives in, except withConsole() and setFaults(), which any thread may call.
class SimPort : public QObject
{
    Q_OBJECT
public:
    explicit SimPort(const SimOptions& options, QObject* parent = nullptr);
    ~SimPort() override;

    // Creates the pseudo-terminal (raw, 115200 baud) and returns false on failure.
    bool open();
    bool isOpen() const;
    QString path() const;

    void withConsole(const std::function<void(SimConsole&)>& fn);
    void setFaults(const SimFaults& faults);
    SimFaults faults() const;

public slots:
    // Starts reading and the clock; call on the port's own thread after open().
    void activate();
    // Closes the master: the slave path disappears and clients see the port gone.
    void close();
    // close(), then hand the object back to the thread given.
    void shutdown(QThread* home);

signals:
    void closed();
    void clientArrived();
    void clientGone();
    void commandReceived(const QString& line);

private slots:
    void onReadable();
    void onWritable();
    void onEventTimer();
    void checkClient();
    void flush();

private:
    struct Piece {
        QByteArray bytes;
        qint64 due = 0;
    };

    void hangUp();
    void catchUp();
    void enqueue(const QList<SimConsole::Output>& outputs);
    void reschedule();
    double chance();
    int randInt(int lo, int hi);

    SimOptions m_options;
    mutable QMutex m_mutex;
    SimConsole m_console;
    SimFaults m_faults;
    std::mt19937 m_faultRng;

    int m_master = -1;
    QString m_path;
    bool m_client = false;
    QSocketNotifier* m_readNotifier = nullptr;
    QSocketNotifier* m_writeNotifier = nullptr;
    QTimer* m_eventTimer = nullptr;
    QTimer* m_flushTimer = nullptr;
    QTimer* m_clientTimer = nullptr;
    QTimer* m_vanishTimer = nullptr;
    QElapsedTimer m_clock;
    QList<Piece> m_queue;
    qint64 m_lastDue = 0;
};

#endif // SIMPORT_H
