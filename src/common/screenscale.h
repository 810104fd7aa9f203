#ifndef SCREENSCALE_H
#define SCREENSCALE_H

#include <QRect>
#include <QSize>

class QString;
class QTableView;
class QWidget;

// How the window and its views adapt to the screen. The forms are drawn for an
// available area of 1920 x 1080; the two rates say how much of that a screen offers.
// Sizes follow the rates, but text does not shrink gracefully in proportion, so fonts
// are picked from a few width brackets instead. Everything here depends on the area
// alone: nothing is derived from what the widgets currently measure.
namespace ScreenScale {

constexpr double DesignWidth = 1920.0;
constexpr double DesignHeight = 1080.0;
// The window is 1000 design pixels high, not 1080: the rest is left to the title bar
// and the desktop's own margins.
constexpr double WindowHeight = 1000.0;

// Width brackets, always compared as rate <= threshold, the narrowest first. Each is
// the rate of a common screen width; the values are rounded up so that the exact width
// still falls inside (800 / 1920 = 0.416666… <= 0.416667).
constexpr double Width800 = 0.416667;
constexpr double Width1024 = 0.533334;
constexpr double Width1176 = 0.6125;
constexpr double Width1280 = 0.666667;
constexpr double Width1440 = 0.75;
// Height brackets of the detail view.
constexpr double Height680 = 0.62963;
constexpr double Height760 = 0.703704;

inline double widthRate(const QSize& available) { return available.width() / DesignWidth; }
inline double heightRate(const QSize& available) { return available.height() / DesignHeight; }

// The window's size for an available area.
QSize windowSize(const QSize& available);
// Size and place of the window at start: centred (with a small nudge to the right
// when there is room for it) and never reaching past the area.
QRect startGeometry(const QRect& available);

// Point size of the widget font ("Arial") for a width rate; 0 keeps the design fonts.
int widgetFontSize(double widthRate);

// A design size scaled by the rates; 0 and "no limit" stay what they are.
QSize scaled(const QSize& design, double widthRate, double heightRate);

// Point sizes of a chart's texts (the detail view's cell chart, the real-time charts).
struct ChartFonts {
    int title;
    int legend;
    int axisTitle;
    int axisLabel;
};
// The chart fonts for a width rate; above the brackets the design fonts.
ChartFonts chartFonts(double widthRate, const ChartFonts& design);

// The type of a table's header sections, titles and row numbers alike: "Arial" at the
// point size, or with 0 the table style's own type again. A table style that names a
// header font holds it against any widget font, yet a header measures its sections
// with its widget font; both are set, so that what is measured is what is drawn. The
// style's left padding goes too: the narrow columns of a small screen need the room.
// No stretched section grows narrower than its title then; a table too narrow for all
// its titles scrolls sideways instead of cutting them off.
void setHeaderFont(QTableView* table, int pointSize);

// Sets a style sheet unless the widget has it already. Qt repolishes the widget and all
// it holds on every call, even with the same text, and the scaling sets its sheets on
// every change of the screen and twice at start-up.
void setStyleSheet(QWidget* widget, const QString& sheet);

// Stretch factors of the detail view's rows (top area, cells, chart switch).
struct RowStretch {
    int top;
    int cells;
    int bar;
};
// The row stretches for a height rate; above the brackets the design stretches.
RowStretch cellRowStretch(double heightRate, const RowStretch& design);

} // namespace ScreenScale

#endif // SCREENSCALE_H
