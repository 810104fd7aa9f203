#ifndef UPDATATHREAD_H
#define UPDATATHREAD_H

#include "xmodemclass.h"
#include "xmodemsink.h"

#include <QByteArray>
#include <QDeadlineTimer>
#include <QMutex>
#include <QQueue>
#include <QSemaphore>
#include <QString>
#include <QThread>

#include <atomic>

class QFile;

// The firmware transfer worker. Its thread runs a request loop that owns the engine
// and the file: every start, re-arm, received byte, read and cancel happens there,
// so the GUI thread only posts requests and receives signals. It never touches the
// serial port: packets leave as sendData, queued to the window, which writes them;
// the window hands the receiver's bytes back through readData.
class UpdataThread : public QThread, private XmodemSink
{
    Q_OBJECT
public:
    enum Protocol { Xmodem = 0 };
    enum TransMode { NoTrans = 0, Send = 1 };
    enum Status { NoRequest = 0, StartReq = 1, CancelReq = 2, DataReq = 3 };

    // Re-arms of the start watchdog before TimeOut.
    static constexpr int StartTries = 10;

    explicit UpdataThread(QObject* parent = nullptr);
    ~UpdataThread() override;

    // Called on the GUI thread before StartTransmit; the start request takes a copy.
    void SetFileName(const QString& name);
    void SetProtocol(Protocol p);
    void SetTransMode(TransMode mode);

    void StartTransmit();
    // Gives the transfer up: the receiver is told with CAN, the file is closed and no
    // signal follows. Answers still waiting for the loop are dropped with it.
    void CancelTransmit();
    void SetStatus(Status s);

    qint64 FileSize() const { return fileSize; }
    qint64 FilePos() const { return filePos; }
    int progress() const;

    // Ends the loop and joins the thread. A transfer still open is cancelled once the
    // loop has ended, from the calling thread, so its CAN goes out through a direct
    // sendData even when no event loop will run again. Safe to call twice.
    void stop();

    // The start watchdog's tick: 1000 ms in the program, shorter in tests.
    void setStartInterval(int ms) { startInterval = ms; }

signals:
    void sendData(const QByteArray& bytes);
    void TransStart();
    void TransFinsh(int result);
    // The file could not be opened, or failed while being read; the transfer is over.
    void FileError(const QString& fileName, const QString& reason);
    void TimeOut();

public slots:
    void readData(const QByteArray& array);

protected:
    void run() override;

private:
    struct Request {
        Status status = NoRequest;
        QByteArray data;
        QString fileName;
        Protocol protocol = Xmodem;
        TransMode mode = NoTrans;
    };

    void post(const Request& r);
    Request takeRequest();
    void onTimerUpdate();
    bool StartTransmit_p();
    void cancelTransmit_p();
    void receviePack_p(const QByteArray& bytes);
    void endTransfer();
    void CloseFile();

    // XmodemSink, called by the engine on the worker thread.
    void sendPortData(const QByteArray& bytes) override;
    int ReadFile(char* data, int maxSize) override;
    void TransFileStart() override;

    // Worker thread only.
    Protocol protocol = Xmodem;
    TransMode transMode = NoTrans;
    QString fileName;
    QFile* file = nullptr;
    XmodemClass xmodem;
    int startTries = 0;
    bool watching = false;         // the start watchdog runs
    QDeadlineTimer nextTick;

    // Read by the GUI for the progress display.
    std::atomic<qint64> fileSize{0};
    std::atomic<qint64> filePos{0};
    std::atomic<int> startInterval{1000};

    // The mailbox: every request is queued, none replaces another.
    QMutex mutex;
    QSemaphore semaphore;
    QQueue<Request> requests;
    QString nextFileName;
    Protocol nextProtocol = Xmodem;
    TransMode nextMode = NoTrans;
};

#endif // UPDATATHREAD_H
