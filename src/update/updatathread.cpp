#include "updatathread.h"

#include <QDebug>
#include <QFile>
#include <QMutexLocker>

UpdataThread::UpdataThread(QObject* parent)
    : QThread(parent)
{
    xmodem.SetThread(this);
    setObjectName(QStringLiteral("UpdataThread"));
    qDebug() << "UpdataThread id" << QThread::currentThreadId();
    start();
}

UpdataThread::~UpdataThread()
{
    stop();
}

void UpdataThread::SetFileName(const QString& name)
{
    QMutexLocker lock(&mutex);
    nextFileName = name;
}

void UpdataThread::SetProtocol(Protocol p)
{
    QMutexLocker lock(&mutex);
    nextProtocol = p;
}

void UpdataThread::SetTransMode(TransMode mode)
{
    QMutexLocker lock(&mutex);
    nextMode = mode;
}

void UpdataThread::StartTransmit()
{
    SetStatus(StartReq);
}

void UpdataThread::CancelTransmit()
{
    {
        QMutexLocker lock(&mutex);
        // A late answer queued behind the cancel would only wake the transfer again.
        for (int i = requests.size() - 1; i >= 0; --i) {
            if (requests.at(i).status == DataReq)
                requests.removeAt(i);
        }
    }
    SetStatus(CancelReq);
}

void UpdataThread::SetStatus(Status s)
{
    Request r;
    r.status = s;
    if (s == StartReq) {
        QMutexLocker lock(&mutex);
        r.fileName = nextFileName;
        r.protocol = nextProtocol;
        r.mode = nextMode;
    }
    post(r);
}

void UpdataThread::readData(const QByteArray& array)
{
    Request r;
    r.status = DataReq;
    r.data = array;
    post(r);
}

void UpdataThread::post(const Request& r)
{
    {
        QMutexLocker lock(&mutex);
        requests.enqueue(r);
    }
    semaphore.release();
}

UpdataThread::Request UpdataThread::takeRequest()
{
    QMutexLocker lock(&mutex);
    // The semaphore also counts wake-ups without a request (stop, dropped answers).
    return requests.isEmpty() ? Request() : requests.dequeue();
}

int UpdataThread::progress() const
{
    const qint64 size = fileSize;
    return size == 0 ? 0 : int(filePos * 100 / size);
}

void UpdataThread::stop()
{
    if (isRunning()) {
        requestInterruption();
        semaphore.release();
        wait();
    }
    cancelTransmit_p();
}

void UpdataThread::run()
{
    for (;;) {
        qDebug() << "thead run";
        if (isInterruptionRequested()) {
            qDebug() << "thead interupt run";
            return;
        }
        if (watching) {
            if (!semaphore.tryAcquire(1, int(qMax<qint64>(0, nextTick.remainingTime())))) {
                onTimerUpdate();
                continue;
            }
        } else {
            semaphore.acquire();
        }
        const Request r = takeRequest();
        switch (r.status) {
        case StartReq:
            fileName = r.fileName;
            protocol = r.protocol;
            transMode = r.mode;
            startTries = 0;
            StartTransmit_p();
            break;
        case CancelReq:
            cancelTransmit_p();
            break;
        case DataReq:
            receviePack_p(r.data);
            break;
        case NoRequest:
            break;
        }
    }
}

bool UpdataThread::StartTransmit_p()
{
    CloseFile();
    watching = false;
    if (transMode != Send)
        return false;
    file = new QFile(fileName);
    if (!file->open(QIODevice::ReadOnly)) {
        const QString reason = file->errorString();
        qDebug() << "FileError" << fileName << reason;
        CloseFile();
        transMode = NoTrans;
        emit FileError(fileName, reason);
        return false;
    }
    fileSize = file->size();
    filePos = 0;
    xmodem.startTransmit();
    watching = true;
    nextTick.setRemainingTime(startInterval);
    return true;
}

void UpdataThread::onTimerUpdate()
{
    // The receiver has not opened the transfer yet: arm again from the start, and
    // after StartTries re-arms give up.
    if (startTries++ < StartTries) {
        StartTransmit_p();
        return;
    }
    qDebug() << "TimeOut Test";
    endTransfer();
    emit TimeOut();
}

void UpdataThread::cancelTransmit_p()
{
    if (transMode == NoTrans)
        return;
    endTransfer();
}

void UpdataThread::endTransfer()
{
    // A receiver that is still listening is told, so it does not wait for blocks
    // that will never come.
    if (protocol == Xmodem)
        xmodem.cancelTrans();
    CloseFile();
    transMode = NoTrans;
    watching = false;
}

void UpdataThread::receviePack_p(const QByteArray& bytes)
{
    if (transMode != Send || protocol != Xmodem || bytes.isEmpty())
        return;
    // Only the first byte of a hand-over is an answer; two ACKs that arrived together
    // must not skip a block.
    qint64 pos = filePos;
    const int result = xmodem.transmit(bytes.at(0), pos);
    filePos = pos;
    if (xmodem.sendState() != XmodemClass::Idle)
        watching = false; // the transfer has begun
    if (result == XmodemClass::Continue)
        return;
    const QString reason = file ? file->errorString() : QString();
    CloseFile();
    transMode = NoTrans;
    watching = false;
    if (result == XmodemClass::ReadFailed) {
        qDebug() << "FileError" << fileName << reason;
        emit FileError(fileName, reason);
    } else {
        emit TransFinsh(result);
    }
}

void UpdataThread::CloseFile()
{
    if (!file)
        return;
    file->close();
    delete file;
    file = nullptr;
}

void UpdataThread::sendPortData(const QByteArray& bytes)
{
    emit sendData(bytes);
}

int UpdataThread::ReadFile(char* data, int maxSize)
{
    return file ? int(file->read(data, maxSize)) : -1;
}

void UpdataThread::TransFileStart()
{
    emit TransStart();
}
