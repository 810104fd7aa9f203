#ifndef BREAKPADHANDLERPRIVATE_H
#define BREAKPADHANDLERPRIVATE_H

#include <QString>

namespace google_breakpad {
class ExceptionHandler;
}

// What BreakpadHandler keeps out of its header, so that only one file of the program
// sees Breakpad's own headers.
class BreakpadHandlerPrivate
{
public:
    // Installed by SetupBreakPad and kept for the life of the process.
    google_breakpad::ExceptionHandler* exceptionHandler = nullptr;
    // Absolute path of the dump directory; empty until set up.
    QString dumpPath;
};

#endif // BREAKPADHANDLERPRIVATE_H
