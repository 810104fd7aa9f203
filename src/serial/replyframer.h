#ifndef REPLYFRAMER_H
#define REPLYFRAMER_H

#include <QByteArray>
#include <QQueue>
#include <QString>

// Cuts the bytes read from the BMS console into what the command channel hands on:
// framed replies ("@" … "$$"), the text gathered for the quiet-time processing, and
// bytes that belong to a firmware transfer. It has no widgets and no timers: the
// caller feeds each read and says when a quiet period has ended.
class ReplyFramer
{
public:
    // A frame larger than this is not a reply the device sends; it is a stream or a
    // noisy line that opened with "@" and never closed. Bounding it keeps a session of
    // many hours at a flat memory profile.
    static constexpr int frameCap = 256 * 1024;
    // Unframed output is taken at each quiet period; a device that never pauses is cut
    // into pieces of this size instead of filling memory.
    static constexpr int rawCap = 1024 * 1024;

    // Takes one read from the port.
    void feed(const QByteArray& chunk);

    // Complete framed replies, oldest first, as text without NUL and "\r".
    bool hasFrame() const { return !frames.isEmpty(); }
    QString takeFrame();

    // The bytes of a read that began with an Xmodem control byte (empty when none).
    QByteArray takeXmodem();

    // The text gathered since the last quiet period has outgrown rawCap and should be
    // taken now.
    bool rawFull() const { return raw.size() > rawCap; }
    // Ends a quiet period: returns the text gathered, and forgets unframed output that
    // never opened a frame, since it is not the start of the next reply.
    QByteArray takeQuiet();

    // Everything received since the last quiet period.
    const QByteArray& rxRaw() const { return raw; }
    // Bytes collected towards the next framed reply.
    const QByteArray& rxFrame() const { return frame; }

    // Forgets a reply that has begun but not ended, e.g. one whose command was given up.
    void dropPartialFrame() { frame.clear(); }
    void clear();

    // The quiet period: every read begins one of `ms` from `now` (a steady clock in
    // milliseconds), so that the caller's timer need not be restarted for each read
    // but can ask, when it fires, how much of the period is left (<= 0: over).
    void startQuiet(qint64 now, int ms) { quietEnd = now + ms; }
    qint64 quietLeft(qint64 now) const { return quietEnd - now; }

    static bool isXmodemControl(char c);

private:
    QByteArray raw;
    QByteArray frame;
    QByteArray xmodem;
    QQueue<QString> frames;
    qint64 quietEnd = 0;
};

#endif // REPLYFRAMER_H
