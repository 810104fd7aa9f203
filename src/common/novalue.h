#ifndef NOVALUE_H
#define NOVALUE_H

#include <QString>

// The device leaves fields out and prints words where numbers belong; parsers then
// store this mark instead of a number and every view shows "--" for it. The value is
// 0x0FFFFFFF (28 one-bits) on purpose: it is what the device firmware uses, and it
// still fits a signed 32-bit int.
namespace NoValue {

constexpr int Int = 0x0FFFFFFF;
constexpr double Double = 268435455.0;

inline bool isNone(int v) { return v == Int; }
inline bool isNone(double v) { return v == Double; }

// The one way a missing value is shown to the operator.
inline QString mark() { return QStringLiteral("--"); }

// Decimal text, or "--" for the mark.
inline QString text(int v) { return isNone(v) ? mark() : QString::number(v); }

// Shortest general format with at most 6 significant digits (52.48, -1.25, 0.5),
// or "--" for the mark.
inline QString text(double v) { return isNone(v) ? mark() : QString::number(v, 'g', 6); }

} // namespace NoValue

#endif // NOVALUE_H
