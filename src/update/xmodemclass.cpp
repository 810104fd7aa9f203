#include "xmodemclass.h"

#include "xmodemsink.h"

#include <QByteArray>
#include <QDebug>

#include <cstring>

namespace {
// Receivers commonly need two CANs in a row before they give up, so that one
// noisy byte cannot end a transfer.
const QByteArray kCancel(2, XmodemClass::CAN);
} // namespace

XmodemClass::XmodemClass(XmodemSink* thread)
    : thread(thread)
{
}

void XmodemClass::SetThread(XmodemSink* t)
{
    thread = t;
}

char XmodemClass::calvVerifi(const char* packet)
{
    qint32 sum = 0;
    for (int i = 3; i < 3 + BlockSize; ++i)
        sum += qint8(packet[i]);
    return char(sum & 0xFF);
}

void XmodemClass::startTransmit()
{
    sending = true;
    state = Idle;
    open = true;
    retries = 0;
}

int XmodemClass::transmit(char b, qint64& bytes)
{
    if (!isOpen())
        return Continue;
    if (b == CAN) {
        open = false;
        return Cancelled;
    }
    if (state == Idle) {
        // Only NAK opens the transfer: "C" asks for the CRC variant, which this
        // loader does not speak.
        if (b != NAK)
            return Continue;
        std::memset(packet, 0, sizeof packet); // block numbers start again from 1
        state = Sending;
        thread->TransFileStart();
        return nextBlock(bytes);
    }
    switch (state) {
    case Sending:
        return b == ACK ? nextBlock(bytes) : resend();
    case LastSent:
        if (b == ACK) {
            state = EotSent;
            retries = 0;
            thread->sendPortData(QByteArray(1, EOT));
            return Continue;
        }
        return b == NAK ? resend() : Continue;
    case EotSent:
        if (b == ACK) {
            state = Idle;
            open = false;
            return Completed;
        }
        return b == NAK ? resend() : Continue;
    default:
        return Continue;
    }
}

int XmodemClass::nextBlock(qint64& bytes)
{
    const quint8 number = quint8(quint8(packet[1]) + 1);
    packet[0] = SOH;
    packet[1] = char(number);
    packet[2] = char(0xFF - number);
    const int n = thread->ReadFile(packet + 3, BlockSize);
    if (n < 0)
        return giveUp(ReadFailed);
    bytes += n;
    qDebug() << "bytes:" << bytes;
    // The end of the file shows only as a short read, so a file of whole blocks ends
    // with one block of padding.
    if (n < BlockSize) {
        std::memset(packet + 3 + n, SUB, size_t(BlockSize - n));
        state = LastSent;
    }
    packet[PacketSize - 1] = calvVerifi(packet);
    retries = 0;
    thread->sendPortData(QByteArray(packet, PacketSize));
    return Continue;
}

int XmodemClass::resend()
{
    // A receiver that refuses everything would otherwise be fed the same packet
    // for ever, each resend restarting the stall watchdog.
    if (++retries > MaxRetries)
        return giveUp(RetriesExhausted);
    thread->sendPortData(state == EotSent ? QByteArray(1, EOT) : QByteArray(packet, PacketSize));
    return Continue;
}

int XmodemClass::giveUp(Result why)
{
    thread->sendPortData(kCancel);
    state = Idle;
    open = false;
    return why;
}

void XmodemClass::cancelTrans()
{
    // EOT is no way to cancel: before the first block a receiver would take it as
    // the end of an empty file.
    if (!isOpen())
        return;
    giveUp(Cancelled);
}
