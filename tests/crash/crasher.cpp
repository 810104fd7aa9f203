// Crashes on purpose with the crash handler armed, so that tst_crash can check the dump
// Breakpad leaves behind.
//
//   cellvue_crasher <dump directory> <null|abort> <main|worker>
//
// Prints "tid <n>" (the thread about to crash) and, from the crash callback,
// "onCrash <succeeded> <directory> <minidump id>". Logs go to log/ in the working
// directory.
#include "breakpadhandler.h"
#include "loghandler.h"

#include <QCoreApplication>

#include <cstdio>
#include <cstdlib>
#include <thread>

#include <unistd.h>

namespace {
void crashNow(const char* how)
{
    std::printf("tid %ld\n", long(gettid()));
    qDebug("about to crash: %s", how);
    if (qstrcmp(how, "null") == 0) {
        // Hide the null from the optimiser, which would otherwise drop the store.
        int* volatile target = nullptr;
        *static_cast<volatile int*>(target) = 42;
    }
    std::abort();
}
} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    if (argc != 4)
        return 2;
    std::setbuf(stdout, nullptr); // the process dies on purpose: nothing may wait in a buffer
    LogHandler::Get().installMessageHandler();
    BreakpadHandler* handler = BreakpadHandler::GetInstance();
    handler->SetupBreakPad(QString::fromLocal8Bit(argv[1]));
    QObject::connect(handler, &BreakpadHandler::onCrash, [](bool succeeded, const QString& dir, const QString& id) {
        std::printf("onCrash %d %s %s\n", succeeded ? 1 : 0, qPrintable(dir), qPrintable(id));
    });
    if (qstrcmp(argv[3], "worker") == 0)
        std::thread([argv] { crashNow(argv[2]); }).join();
    else
        crashNow(argv[2]);
    return 0;
}
