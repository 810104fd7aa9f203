#include "simxmodemreceiver.h"

namespace {
constexpr int kMaxWaitingNaks = 30;     // about half a minute for a sender to start
constexpr int kMaxRetries = 10;         // bad or missing blocks in a row
constexpr int kStallMs = 3000;          // a block that stops half-way
constexpr int kCancelLookMs = 500;      // a sender that gives up mid-block says CAN CAN

// A sender that aborts in the middle of a block sends CANs (lrzsz adds backspaces
// to clear them from a terminal). Two in a row at the end of a stalled block are
// taken as the abort; inside a block that goes on they are just data.
bool holdsCancelRun(const QByteArray& bytes)
{
    return bytes.contains(QByteArray(5, SimXmodemReceiver::CAN));
}

bool endsWithCancel(const QByteArray& buffer)
{
    int end = buffer.size();
    while (end > 0 && buffer[end - 1] == '\b')
        --end;
    return end >= 2 && buffer[end - 1] == SimXmodemReceiver::CAN && buffer[end - 2] == SimXmodemReceiver::CAN;
}
}

void SimXmodemReceiver::setFaults(double nakShare, int cancelAfter, quint32 seed, int silentAfter)
{
    m_nakShare = nakShare;
    m_cancelAfter = cancelAfter;
    m_silentAfter = silentAfter;
    m_rng.seed(seed);
}

void SimXmodemReceiver::start(qint64 now, int retryMs)
{
    m_state = State::Waiting;
    m_buffer.clear();
    m_data.clear();
    m_blocks = 0;
    m_retries = 0;
    m_retryMs = retryMs;
    m_nextNak = now + retryMs;
    m_lastByte = now;
    m_reason.clear();
    m_tailChecked = false;
    m_brokenByCancel = false;
}

void SimXmodemReceiver::fail(State state, const QString& reason)
{
    m_state = state;
    m_reason = reason;
    m_nextNak = -1;
    m_buffer.clear();
}

// What the receiver says, unless it has fallen silent.
QByteArray SimXmodemReceiver::answer(QByteArray out, qint64 now)
{
    if (m_state == State::Waiting && out.contains(NAK))
        m_lastNak = now;
    if (m_silentAfter >= 0 && m_blocks >= m_silentAfter)
        out.clear();
    return out;
}

QByteArray SimXmodemReceiver::feed(const QByteArray& bytes, qint64 now)
{
    return answer(feedQuiet(bytes, now), now);
}

QByteArray SimXmodemReceiver::poll(qint64 now)
{
    return answer(pollQuiet(now), now);
}

QByteArray SimXmodemReceiver::feedQuiet(const QByteArray& bytes, qint64 now)
{
    QByteArray out;
    if (!active())
        return out;
    m_buffer.append(bytes);
    m_lastByte = now;
    m_tailChecked = false;

    // Every ending (fail, EOT) empties the buffer or leaves the active states.
    while (!m_buffer.isEmpty() && active()) {
        const char head = m_buffer.at(0);
        if (head == SOH) {
            // A block has begun: no more calls for the transfer until it is judged.
            m_nextNak = -1;
            if (m_buffer.size() < PacketSize)
                break;
            out.append(judgeBlock(takePacket()));
        } else if (head == EOT) {
            out.append(ACK);
            m_state = State::Completed;
            m_closedAt = now;
            m_nextNak = -1;
            m_buffer.clear();
        } else if (head == CAN) {
            fail(State::Cancelled, QStringLiteral("cancelled by sender"));
        } else {
            m_buffer.remove(0, 1); // line noise between blocks
        }
    }
    return out;
}

QByteArray SimXmodemReceiver::judgeBlock(const QByteArray& packet)
{
    const quint8 number = quint8(packet[1]);
    const quint8 complement = quint8(packet[2]);
    quint8 sum = 0;
    for (int i = 3; i < 3 + BlockSize; ++i)
        sum = quint8(sum + quint8(packet[i]));
    if (quint8(number ^ complement) != 0xFF || sum != quint8(packet[PacketSize - 1]))
        return rejectBlock(packet);

    if (m_state == State::Waiting)
        m_openedAt = m_lastNak;
    m_state = State::Receiving;
    m_brokenByCancel = false;
    if (number == quint8(m_blocks + 1))
        return storeBlock(packet);
    if (m_blocks > 0 && number == quint8(m_blocks))
        return QByteArray(1, ACK); // our ACK was lost and the sender repeats the block we hold
    fail(State::Failed, QStringLiteral("block out of sequence"));
    return QByteArray(2, CAN);
}

QByteArray SimXmodemReceiver::rejectBlock(const QByteArray& packet)
{
    // A sender that aborted inside a block filled it up with its CANs.
    if (endsWithCancel(packet + m_buffer)) {
        fail(State::Cancelled, QStringLiteral("cancelled by sender"));
        return QByteArray();
    }
    // A sender that buffers its output may have put its CANs in the middle of the
    // block; if it then falls silent, that is what it meant.
    m_brokenByCancel = holdsCancelRun(packet + m_buffer);
    // Whatever followed belongs to the broken block; the sender repeats it.
    m_buffer.clear();
    if (++m_retries > kMaxRetries) {
        fail(State::Failed, QStringLiteral("too many bad blocks"));
        return QByteArray(2, CAN);
    }
    return QByteArray(1, NAK);
}

QByteArray SimXmodemReceiver::storeBlock(const QByteArray& packet)
{
    if (m_nakShare > 0.0 && double(m_rng()) / 4294967296.0 < m_nakShare)
        return QByteArray(1, NAK);
    m_retries = 0;
    m_data.append(packet.mid(3, BlockSize));
    ++m_blocks;
    if (m_cancelAfter >= 0 && m_blocks >= m_cancelAfter) {
        fail(State::Cancelled, QStringLiteral("cancelled by receiver"));
        return QByteArray(2, CAN);
    }
    return QByteArray(1, ACK);
}

QByteArray SimXmodemReceiver::takePacket()
{
    const QByteArray packet = m_buffer.left(PacketSize);
    m_buffer.remove(0, PacketSize);
    return packet;
}

QByteArray SimXmodemReceiver::pollQuiet(qint64 now)
{
    QByteArray out;
    if (!active())
        return out;
    if (m_state == State::Waiting && m_buffer.isEmpty()) {
        if (m_nextNak >= 0 && now >= m_nextNak) {
            if (++m_retries > kMaxWaitingNaks) {
                fail(State::Failed, QStringLiteral("no sender"));
                return out;
            }
            out.append(NAK);
            m_nextNak = now + m_retryMs;
        }
        return out;
    }
    if (!m_buffer.isEmpty() && !m_tailChecked && now - m_lastByte >= kCancelLookMs) {
        m_tailChecked = true;
        if (endsWithCancel(m_buffer)) {
            fail(State::Cancelled, QStringLiteral("cancelled by sender"));
            return out;
        }
    }
    // A block that stopped half-way, or a sender that went quiet after our answer.
    if (now - m_lastByte >= kStallMs) {
        if (m_brokenByCancel || holdsCancelRun(m_buffer) || endsWithCancel(m_buffer)) {
            fail(State::Cancelled, QStringLiteral("cancelled by sender"));
            return out;
        }
        m_buffer.clear();
        m_lastByte = now;
        if (++m_retries > kMaxRetries) {
            out.append(CAN).append(CAN);
            fail(State::Failed, QStringLiteral("sender went quiet"));
            return out;
        }
        out.append(NAK);
        if (m_state == State::Waiting)
            m_nextNak = now + m_retryMs;
    }
    return out;
}

qint64 SimXmodemReceiver::deadline() const
{
    if (!active())
        return -1;
    if (m_state == State::Waiting && m_buffer.isEmpty())
        return m_nextNak;
    if (!m_buffer.isEmpty() && !m_tailChecked)
        return m_lastByte + kCancelLookMs;
    return m_lastByte + kStallMs;
}
