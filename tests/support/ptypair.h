#ifndef PTYPAIR_H
#define PTYPAIR_H

#include <QByteArray>
#include <QString>

// A raw pseudo-terminal pair for tests: the program opens slavePath() through
// QSerialPort like any adapter, the test reads and writes the master side. Given a
// path, it is instead the test's own end of a terminal someone else serves (the
// simulated BMS's port).
class PtyPair
{
public:
    PtyPair();
    explicit PtyPair(const QString& terminal);
    ~PtyPair() { closeMaster(); }
    Q_DISABLE_COPY(PtyPair)

    bool isValid() const { return master >= 0; }
    QString slavePath() const { return path; }

    void write(const QByteArray& bytes);
    // Everything that arrived on the master side so far (non-blocking), while the
    // event loop keeps running.
    QByteArray readAvailable();
    // Bytes arriving within ms milliseconds, the event loop running meanwhile.
    QByteArray readFor(int ms) { return readUntil(QByteArray(), ms); }
    // Reads until needle has arrived or timeoutMs passed; returns all bytes read.
    QByteArray readUntil(const QByteArray& needle, int timeoutMs);
    // A command written the way the program writes it; its framed reply, from "@" to
    // the prompt after "$$".
    QByteArray command(const QByteArray& cmd, int timeoutMs = 3000);
    // Closes the master: the slave node disappears, like an unplugged adapter.
    void closeMaster();

    int reads = 0;       // reads that returned bytes
    bool hungUp = false; // the other end is gone: a read failed for good

private:
    int master = -1;
    int slaveKeep = -1;
    QString path;
};

#endif // PTYPAIR_H
