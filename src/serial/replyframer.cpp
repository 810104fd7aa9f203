#include "replyframer.h"

#include <QDebug>

bool ReplyFramer::isXmodemControl(char c)
{
    switch (static_cast<unsigned char>(c)) {
    case 0x01: // SOH
    case 0x04: // EOT
    case 0x06: // ACK
    case 0x15: // NAK
    case 0x18: // CAN
        return true;
    default:
        return false;
    }
}

void ReplyFramer::feed(const QByteArray& chunk)
{
    raw.append(chunk);
    // Only a read that starts a quiet period can be the transfer's: a control byte
    // after text is text.
    if (!raw.isEmpty() && isXmodemControl(raw.at(0))) {
        xmodem.append(raw);
        raw.clear();
    }

    // The buffer never keeps a "$$" between reads, so only the new bytes (and the one
    // before them, for a "$$" split across reads) need a look. The bytes are kept as
    // they came: a read may begin with the line end of the previous line, and trimming
    // it would glue two lines of the reply together.
    int from = qMax(0, frame.size() - 1);
    frame.append(chunk);
    for (int close = frame.indexOf("$$", from); close >= 0; close = frame.indexOf("$$")) {
        const int at = frame.indexOf('@');
        if (at >= 0 && at < close) {
            // Built from the whole frame: a NUL inside a reply must not cut it short.
            QString text = QString::fromUtf8(frame.constData(), close + 2);
            text.remove(QChar(0));
            text.remove(QLatin1Char('\r'));
            frames.enqueue(text);
        } else {
            qDebug() << "test buff error:" << close + 2 << "bytes before \"$$\" without \"@\"";
        }
        // After "$$" come the prompt and line noise; but a bridge with a large buffer
        // may hand over the next reply in the same read, and it starts at its "@".
        const int next = frame.indexOf('@', close + 2);
        frame = next >= 0 ? frame.mid(next) : QByteArray();
    }

    if (frame.size() > frameCap) {
        // Keep only a frame that may still be completed: the last "@" onwards.
        const int lastAt = frame.lastIndexOf('@');
        if (lastAt > 0 && frame.size() - lastAt <= frameCap)
            frame.remove(0, lastAt);
        else
            frame.clear();
    }
}

QString ReplyFramer::takeFrame()
{
    return frames.isEmpty() ? QString() : frames.dequeue();
}

QByteArray ReplyFramer::takeXmodem()
{
    QByteArray bytes;
    bytes.swap(xmodem);
    return bytes;
}

QByteArray ReplyFramer::takeQuiet()
{
    QByteArray text;
    text.swap(raw);
    if (!frame.contains('@'))
        frame.clear();
    return text;
}

void ReplyFramer::clear()
{
    raw.clear();
    frame.clear();
    xmodem.clear();
    frames.clear();
    quietEnd = 0;
}
