#ifndef SIMXMODEMRECEIVER_H
#define SIMXMODEMRECEIVER_H

#include <QByteArray>
#include <QString>

#include <random>

// The receiving side of Xmodem as the BMS loader speaks it: checksum variant,
// 128-byte blocks. It asks for the transfer with NAK until the first block comes,
// checks each block's number, complement and checksum, answers ACK or NAK, takes a
// repeated block as already stored, and ends on EOT (ACK) or CAN. Times are the
// caller's milliseconds; the receiver never reads a clock itself.
class SimXmodemReceiver
{
public:
    enum class State { Idle, Waiting, Receiving, Completed, Cancelled, Failed };

    static constexpr char SOH = 0x01;
    static constexpr char EOT = 0x04;
    static constexpr char ACK = 0x06;
    static constexpr char NAK = 0x15;
    static constexpr char CAN = 0x18;
    static constexpr int BlockSize = 128;
    static constexpr int PacketSize = BlockSize + 4;

    // Faults: the share of good blocks answered with NAK, the number of good blocks
    // after which the receiver cancels, and after which it falls silent (negative: never).
    void setFaults(double nakShare, int cancelAfter, quint32 seed, int silentAfter = -1);

    // Arms the receiver; the first NAK goes out retryMs later, so that it never
    // travels in the same burst as the text that announced the transfer.
    void start(qint64 now, int retryMs);

    // Bytes from the sender; returns the bytes to send back.
    QByteArray feed(const QByteArray& bytes, qint64 now);
    // Timers: NAK while waiting, NAK after a stalled block. Returns the bytes to send.
    QByteArray poll(qint64 now);
    // When poll() next has something to do; -1 when nothing is pending.
    qint64 deadline() const;

    State state() const { return m_state; }
    bool active() const { return m_state == State::Waiting || m_state == State::Receiving; }
    QByteArray data() const { return m_data; }
    int blocks() const { return m_blocks; }
    QString reason() const { return m_reason; }
    // From the NAK that the first block answered to the EOT, in the caller's
    // milliseconds; -1 until a transfer has completed. The same yardstick for any sender.
    qint64 transferMs() const { return m_state == State::Completed ? m_closedAt - m_openedAt : -1; }

private:
    QByteArray takePacket();
    QByteArray feedQuiet(const QByteArray& bytes, qint64 now);
    // The answer to one whole block, and its two outcomes: a broken block and a good one.
    QByteArray judgeBlock(const QByteArray& packet);
    QByteArray rejectBlock(const QByteArray& packet);
    QByteArray storeBlock(const QByteArray& packet);
    QByteArray pollQuiet(qint64 now);
    QByteArray answer(QByteArray out, qint64 now);
    void fail(State state, const QString& reason);

    State m_state = State::Idle;
    QByteArray m_buffer;
    QByteArray m_data;
    int m_blocks = 0;
    int m_retries = 0;
    int m_retryMs = 1000;
    qint64 m_nextNak = -1;
    qint64 m_lastByte = 0;
    bool m_tailChecked = false;          // a stalled half block was looked at for CAN
    bool m_brokenByCancel = false;       // the last bad block held a run of CANs
    QString m_reason;
    double m_nakShare = 0.0;
    int m_cancelAfter = -1;
    int m_silentAfter = -1;
    qint64 m_lastNak = 0;
    qint64 m_openedAt = 0;
    qint64 m_closedAt = 0;
    std::mt19937 m_rng{1};
};

#endif // SIMXMODEMRECEIVER_H
