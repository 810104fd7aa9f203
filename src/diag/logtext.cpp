#include "logtext.h"

namespace {

QChar hexDigit(uint value)
{
    return QLatin1Char("0123456789ABCDEF"[value & 0xf]);
}

void appendHex(QString& out, char kind, uint value, int digits)
{
    out += QLatin1Char('\\');
    out += QLatin1Char(kind);
    for (int shift = 4 * (digits - 1); shift >= 0; shift -= 4)
        out += hexDigit(value >> shift);
}

// Printable ASCII, the one range decided without the tables; quote and backslash are
// escaped.
bool plainAscii(ushort c)
{
    return c >= 0x20 && c < 0x7f && c != '"' && c != '\\';
}

} // namespace

QString LogText::quoted(const QString& text)
{
    QString out;
    out.reserve(text.size() + text.size() / 16 + 2);
    out += QLatin1Char('"');
    const QChar* p = text.constData();
    const QChar* const end = p + text.size();
    while (p != end) {
        const QChar* run = p;
        while (p != end && (plainAscii(p->unicode()) || (p->unicode() >= 0x80 && p->isPrint())))
            ++p;
        out.append(run, int(p - run));
        if (p == end)
            break;
        const ushort c = p->unicode();
        switch (c) {
        case '"':
        case '\\':
            out += QLatin1Char('\\');
            out += QChar(c);
            break;
        case '\b':
            out += QLatin1String("\\b");
            break;
        case '\f':
            out += QLatin1String("\\f");
            break;
        case '\n':
            out += QLatin1String("\\n");
            break;
        case '\r':
            out += QLatin1String("\\r");
            break;
        case '\t':
            out += QLatin1String("\\t");
            break;
        default:
            if (QChar::isHighSurrogate(c) && p + 1 != end && p[1].isLowSurrogate()) {
                const uint ucs4 = QChar::surrogateToUcs4(c, p[1].unicode());
                if (QChar::isPrint(ucs4)) {
                    out += p[0];
                    out += p[1];
                } else {
                    appendHex(out, 'U', ucs4, 8);
                }
                ++p;
            } else {
                appendHex(out, 'u', c, 4);
            }
        }
        ++p;
    }
    out += QLatin1Char('"');
    return out;
}
