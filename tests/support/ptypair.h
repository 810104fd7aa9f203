#ifndef PTYPAIR_H
#define PTYPAIR_H

#include <QByteArray>
#include <QString>

// A raw pseudo-terminal pair for tests: the program opens slavePath() through
// QSerialPort like any adapter, the test reads and writes the master side.
class PtyPair
{
public:
    PtyPair();
    ~PtyPair();
    PtyPair(const PtyPair&) = delete;
    PtyPair& operator=(const PtyPair&) = delete;

    bool isValid() const { return master >= 0; }
    QString slavePath() const { return path; }

    void write(const QByteArray& bytes);
    // Everything that arrived on the master side so far (non-blocking), while the
    // event loop keeps running.
    QByteArray readAvailable();
    // Bytes arriving within ms milliseconds, the event loop running meanwhile.
    QByteArray readFor(int ms);
    // Reads until needle has arrived or timeoutMs passed; returns all bytes read.
    QByteArray readUntil(const QByteArray& needle, int timeoutMs);
    // Closes the master: the slave node disappears, like an unplugged adapter.
    void closeMaster();

private:
    int master = -1;
    int slaveKeep = -1;
    QString path;
};

#endif // PTYPAIR_H
