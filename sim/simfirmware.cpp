#include "simfirmware.h"

namespace {

void putLe32(QByteArray& out, int offset, quint32 v)
{
    for (int i = 0; i < 4; ++i)
        out[offset + i] = char((v >> (8 * i)) & 0xFF);
}

quint32 getLe32(const QByteArray& in, int offset)
{
    quint32 v = 0;
    for (int i = 0; i < 4; ++i)
        v |= quint32(quint8(in[offset + i])) << (8 * i);
    return v;
}

quint32 byteSum(const char* data, int size)
{
    quint32 sum = 0;
    for (int i = 0; i < size; ++i)
        sum += quint8(data[i]);
    return sum;
}

} // namespace

QByteArray SimFirmware::build(Target target, int major, int minor, int patch, const QByteArray& payload)
{
    QByteArray out(HeaderSize, '\0');
    out.replace(0, 4, "CVFW");
    out[4] = char(target);
    out[5] = char(major);
    out[6] = char(minor);
    out[7] = char(patch);
    putLe32(out, 8, quint32(payload.size()));
    putLe32(out, 12, byteSum(payload.constData(), payload.size()));
    out.append(payload);
    return out;
}

SimFirmware::Check SimFirmware::check(const QByteArray& received, bool bootCommand)
{
    Check c;
    if (received.size() < HeaderSize || !received.startsWith("CVFW")) {
        c.verdict = WithoutHead;
        return c;
    }
    c.verdict = Invalid;
    const char t = received[4];
    c.target = (t == 'P' || t == 'H' || t == 'B') ? Target(t) : Unknown;
    const int major = quint8(received[5]);
    const int minor = quint8(received[6]);
    const int patch = quint8(received[7]);
    c.version = QStringLiteral("V%1.%2.%3").arg(major).arg(minor).arg(patch);
    const quint32 length = getLe32(received, 8);
    const quint32 sum = getLe32(received, 12);

    const bool targetFits = bootCommand ? c.target == Boot : (c.target == Pack || c.target == Hub);
    if (!targetFits || major < 1)
        return c;
    if (length > quint32(received.size() - HeaderSize))
        return c;
    if (byteSum(received.constData() + HeaderSize, int(length)) != sum)
        return c;
    c.verdict = Accepted;
    c.image = received.left(HeaderSize + int(length));
    return c;
}
