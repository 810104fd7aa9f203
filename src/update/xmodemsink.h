#ifndef XMODEMSINK_H
#define XMODEMSINK_H

#include <QByteArray>

// What the Xmodem engine needs from its surroundings: a way out to the line, the file
// it sends, and a place to say that the receiver has opened the transfer. The worker
// thread is the one implementation in the program; tests put a recorder in its place.
class XmodemSink
{
public:
    virtual ~XmodemSink() = default;
    virtual void sendPortData(const QByteArray& bytes) = 0;
    // Up to maxSize bytes of the file; fewer at its end, -1 when reading fails.
    virtual int ReadFile(char* data, int maxSize) = 0;
    virtual void TransFileStart() = 0;
};

#endif // XMODEMSINK_H
