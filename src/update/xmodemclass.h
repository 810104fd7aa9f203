#ifndef XMODEMCLASS_H
#define XMODEMCLASS_H

#include <QtGlobal>

class XmodemSink;

// The sending side of Xmodem, checksum variant, 128-byte blocks, as the BMS loader
// speaks it. Each byte the receiver sends is fed to transmit(), which answers with the
// next packet, a repeat, EOT or an end result; every byte for the line and every file
// read goes through the sink. No thread, no timer, no file of its own.
class XmodemClass
{
public:
    enum State : qint8 {
        Idle = 0,     // armed or finished: waiting for the receiver's NAK
        Sending = 1,  // a full data block is outstanding
        LastSent = 2, // the block that reached the end of the file is outstanding
        EotSent = 3,  // EOT is outstanding
    };
    // What transmit() returns.
    enum Result {
        Continue = 0,
        Completed = 1,        // the receiver acknowledged EOT
        Cancelled = 2,        // the receiver sent CAN
        RetriesExhausted = 3, // one packet was refused MaxRetries + 1 times; we sent CAN
        ReadFailed = 4,       // the file could not be read; we sent CAN
    };

    static constexpr char SOH = 0x01;
    static constexpr char EOT = 0x04;
    static constexpr char ACK = 0x06;
    static constexpr char NAK = 0x15;
    static constexpr char CAN = 0x18;
    static constexpr char SUB = 0x1A;
    static constexpr int BlockSize = 128;
    static constexpr int PacketSize = BlockSize + 4;
    // Resends of one packet before the transfer is given up, as Xmodem senders
    // customarily allow.
    static constexpr int MaxRetries = 10;

    explicit XmodemClass(XmodemSink* thread = nullptr);
    void SetThread(XmodemSink* thread);

    // The checksum byte of a packet: bytes 3 to 130 summed modulo 256.
    static char calvVerifi(const char* packet);

    // Arms the sender. Nothing is sent: the receiver opens the transfer with NAK.
    void startTransmit();
    // One byte from the receiver. `bytes` grows by the file bytes read.
    int transmit(char b, qint64& bytes);
    // Ends an armed or running transfer with CAN CAN; does nothing otherwise.
    void cancelTrans();

    State sendState() const { return State(state); }
    // Armed or running: a receiver's byte still means something.
    bool isOpen() const { return sending && open; }

private:
    int nextBlock(qint64& bytes);
    int resend();
    int giveUp(Result why);

    bool sending = false;
    qint8 state = Idle;
    char packet[PacketSize] = {};
    XmodemSink* thread = nullptr;
    bool open = false;
    int retries = 0;
};

#endif // XMODEMCLASS_H
