#ifndef CHARTFONTS_H
#define CHARTFONTS_H

#include <QFont>

namespace QtCharts {
class QChart;
}

// The charts are designed for a 1920-pixel-wide screen; on narrower ones every chart
// of the program takes the same smaller fonts, chosen by the window's width rate.
namespace ChartFonts {

struct Sizes {
    int title, legend, axisTitle, axisLabel; // Arial point sizes
};

// The sizes for a width rate, or false above 0.75, where the designer's fonts stay.
bool forWidthRate(double widthRate, Sizes* sizes);

// Sets the sizes on the chart's title, its legend and every axis it has.
void apply(QtCharts::QChart* chart, const Sizes& sizes);

inline QFont arial(int pointSize) { return QFont(QStringLiteral("Arial"), pointSize); }

} // namespace ChartFonts

#endif // CHARTFONTS_H
