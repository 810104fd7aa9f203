#ifndef UNITSCALE_H
#define UNITSCALE_H

#include "novalue.h"

// The console prints thousandths (mV, mA, mC, mAH); the views show whole units.
namespace UnitScale {

// A thousandth-unit value in whole units; the no-value mark stays the mark. Dividing
// rather than multiplying by 0.001 keeps 52480 mV the double nearest to 52.48.
inline double fromMilli(double v)
{
    return NoValue::isNone(v) ? v : v / 1000.0;
}

} // namespace UnitScale

#endif // UNITSCALE_H
