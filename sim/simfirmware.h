#ifndef SIMFIRMWARE_H
#define SIMFIRMWARE_H

#include <QByteArray>
#include <QString>

// The firmware images the simulated loader accepts. An image is a 16-byte header
// followed by the payload:
//
//   offset  size  content
//   0       4     magic "CVFW"
//   4       1     target: 'P' pack main program, 'H' hub, 'B' boot program
//   5       1     version major
//   6       1     version minor
//   7       1     version patch
//   8       4     payload length in bytes, little-endian
//   12      4     sum of the payload bytes modulo 2^32, little-endian
//   16      n     payload
//
// Xmodem pads the last block with 0x1A, so the loader keeps exactly 16 + length bytes.
// "updata" takes pack and hub images, "uboot" boot images. The loader refuses a file
// without the magic ("Version without head"), and one whose target does not suit the
// command, whose version is below 1.0.0, whose payload is cut short or whose payload
// sum is wrong ("Version invalid").
class SimFirmware
{
public:
    enum Target { Unknown = 0, Pack = 'P', Hub = 'H', Boot = 'B' };
    enum Verdict { Accepted, WithoutHead, Invalid };

    static constexpr int HeaderSize = 16;

    static QByteArray build(Target target, int major, int minor, int patch, const QByteArray& payload);

    struct Check {
        Verdict verdict = WithoutHead;
        Target target = Unknown;
        QString version;                 // "V1.2.3"
        QByteArray image;                // header and payload, padding removed
    };

    // bootCommand: the transfer was started with "uboot".
    static Check check(const QByteArray& received, bool bootCommand);
};

#endif // SIMFIRMWARE_H
