#ifndef CHARTFONTS_H
#define CHARTFONTS_H

#include "screenscale.h"

#include <QFont>

namespace QtCharts {
class QChart;
}

// The charts are designed for a 1920-pixel-wide screen; on narrower ones every chart
// of the program takes the same smaller fonts (ScreenScale::chartFonts).
namespace ChartFonts {

// Sets the sizes on the chart's title, its legend and every axis it has.
void apply(QtCharts::QChart* chart, const ScreenScale::ChartFonts& sizes);

inline QFont arial(int pointSize) { return QFont(QStringLiteral("Arial"), pointSize); }

} // namespace ChartFonts

#endif // CHARTFONTS_H
