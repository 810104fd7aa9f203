#ifndef REPLYROUTE_H
#define REPLYROUTE_H

#include <QString>
#include <QStringList>

class BMSMainWin;

// One row of a reply dispatch table. A reply goes to the row's parser when the current
// command contains any of `commandHas` and the reply contains all of `replyHas`; "%N"
// in either, and in `followUp`, stands for the chosen pack number at that moment.
// After the parser the row may wait `waitMs` (the event loop runs meanwhile, so later
// replies are dispatched inside the wait) and then send `followUp`, the next step of
// the overview's polling chain, when `when` says so. One runner in the command channel
// reads every row; nothing of a row's behaviour hides in code of its own.
struct ReplyRoute {
    using Parser = void (BMSMainWin::*)(const QString& reply);
    using CountParser = void (BMSMainWin::*)(const QString& reply, int count);
    // The count a counting parser reads its reply with, or NoValue::Int when the views
    // do not know it yet.
    using Count = int (*)(const BMSMainWin&);
    using Step = void (*)(BMSMainWin&);

    // Which device models the parser serves: one model frames its whole event list in
    // a single reply, the others page it unframed.
    enum class Model { Any, FramesEventList, PagesEventList };

    // When the follow-up command goes out.
    enum class Send {
        Never,
        WhilePolling, // only while the overview polls, decided before the wait (no wait otherwise)
        IfPolling,    // after the wait, if the overview polls
        IfChainFree,  // after the wait, if the overview polls and no pack was just picked
    };

    // What the reply is handed to. Without a parser the reply is taken and dropped.
    struct Action {
        Action() = default;
        Action(Parser p, const char* n) : parse(p), name(n) {}
        // then runs right after the parser, before the wait.
        Action(Parser p, const char* n, void (BMSMainWin::*t)()) : parse(p), name(n), then(t) {}
        Action(Parser p, const char* n, Model m) : parse(p), name(n), model(m) {}
        // Not parsed while the count is unknown; the command-state label then keeps its
        // text, and unknown (if any) runs instead.
        Action(CountParser p, const char* n, Count c, Step u = nullptr)
            : parseCounted(p), name(n), count(c), unknown(u)
        {
        }

        Parser parse = nullptr;
        CountParser parseCounted = nullptr;
        const char* name = nullptr;
        Count count = nullptr;
        Step unknown = nullptr;
        void (BMSMainWin::*then)() = nullptr;
        Model model = Model::Any;
    };

    QStringList commandHas;
    QStringList replyHas;
    Action action;
    int waitMs = 0;
    const char* followUp = nullptr;
    Send when = Send::Never;

    bool matches(const QString& command, const QString& reply, int packNumber) const;
    // text with "%N" replaced by the pack number.
    static QString withPack(const QString& text, int packNumber);
};

// Names a parser once for a row: its member and, for the log and the route observer,
// its name.
#define ROUTE_PARSER(member) &BMSMainWin::member, #member

#endif // REPLYROUTE_H
