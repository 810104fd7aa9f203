#ifndef EVENTLISTPAGE_H
#define EVENTLISTPAGE_H

#include "hiseventitem.h"

#include <QList>
#include <QString>

// One piece of the event list as it arrives: a page of a paged listing (taken after
// the quiet time) or the whole list in one framed reply. Tells which table layout the
// listing uses, which part of the text holds the rows, the rows themselves and how
// the piece ends. Kept apart from the page so that it can be tested and fuzzed.
class EventListPage
{
public:
    enum class Layout {
        Keep,   // no header: a further page of the listing in progress
        Plain,  // 16 columns
        Masked, // 17 columns, with "mask"
    };
    enum class Cut {
        None,        // no rows in this text
        FirstOfMany, // header and the first rows; more pages follow
        Whole,       // header and every row
        Further,     // rows; more pages follow
        Last,        // the last rows
    };
    enum class Outcome {
        More,      // the operator asks for the next page
        Completed, // the device says the list is complete
        Failed,    // "Invalid command or fail to excute"
        Unknown,   // the device did not know the command
    };

    // maskColumn: whether the listing so far has the mask column; a page with a
    // header decides afresh. listingOpen: whether a listing is open; without one, a
    // text with no header is not a page of it. Writes the debug lines of what it cuts
    // and reads.
    static EventListPage parse(const QString& reply, bool maskColumn, bool listingOpen);

    // One body line into item. False, and item untouched, when the line has fewer
    // tokens than the layout has fixed columns (16 with the mask, 15 without): it is
    // an echo, a blank or a broken row. The event text is every further token, each
    // followed by one blank.
    static bool readLine(const QString& line, bool maskColumn, HisEventItem* item);

    // Whether a listing is open after this piece, given whether one was before.
    bool listingAfter(bool before) const;

    Layout layout = Layout::Keep;
    Cut cut = Cut::None;
    // The layout the rows were read with.
    bool maskColumn = false;
    QString body;
    QList<HisEventItem> rows;
    Outcome outcome = Outcome::More;
};

#endif // EVENTLISTPAGE_H
