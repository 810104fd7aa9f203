#ifndef STEADYCLOCK_H
#define STEADYCLOCK_H

#include <QElapsedTimer>

// Milliseconds since the first call, on the monotonic clock: waits and quiet times must
// not jump when the technician's laptop sets its wall clock. One clock for the program.
inline qint64 steadyMs()
{
    static QElapsedTimer since;
    if (!since.isValid())
        since.start();
    return since.elapsed();
}

#endif // STEADYCLOCK_H
