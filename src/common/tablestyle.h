#ifndef TABLESTYLE_H
#define TABLESTYLE_H

#include <QString>

class QTableView;

// The scroll-bar and header look every table of the program shares. The main window's
// tables and the detail view's cell table differ only in the horizontal scroll bar and
// the header font, so those are all a caller names.
namespace TableStyle {

struct Look {
    const char* horizontalPaddingEnds;  // top and bottom padding of the horizontal bar
    const char* horizontalPaddingSides; // its left and right padding
    const char* horizontalHandleExtent; // the extent rule of its handle
    const char* headerFont;
};

// The main window's pages (protection settings, event list).
constexpr Look Page{"0px", "20px", "min-height:80px", "12pt Arial"};
// The detail view's cell table, which sits in a smaller frame.
constexpr Look Detail{"1px", "15px", "max-height:3px", "8pt 'Arial'"};

QString sheet(const Look& look);

// Sets the sheet on view. Polished first: a view below a parent with its own style
// sheet would otherwise only store the sheet and keep its header and scroll bars in
// the plain look until some later repolish.
void apply(QTableView* view, const Look& look);

} // namespace TableStyle

#endif // TABLESTYLE_H
