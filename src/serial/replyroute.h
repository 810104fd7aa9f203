#ifndef REPLYROUTE_H
#define REPLYROUTE_H

#include <QString>
#include <QStringList>

#include <functional>

class BMSMainWin;

// One row of a reply dispatch table: a reply goes to `parser` when the current
// command contains any of `commandHas` and the reply contains all of `replyHas`.
// "%N" in either stands for the chosen pack number at the time of the test.
// `run` returns false when the command-state label must be left alone.
struct ReplyRoute {
    QStringList commandHas;
    QStringList replyHas;
    const char* parser;
    std::function<bool(BMSMainWin&, const QString&)> run;

    bool matches(const QString& command, const QString& reply, int packNumber) const;
};

#endif // REPLYROUTE_H
