#include "chartfonts.h"

#include <QtCharts/QAbstractAxis>
#include <QtCharts/QChart>
#include <QtCharts/QLegend>

namespace ChartFonts {

void apply(QtCharts::QChart* chart, const ScreenScale::ChartFonts& sizes)
{
    chart->setTitleFont(arial(sizes.title));
    chart->legend()->setFont(arial(sizes.legend));
    const auto axes = chart->axes();
    for (QtCharts::QAbstractAxis* axis : axes) {
        axis->setTitleFont(arial(sizes.axisTitle));
        axis->setLabelsFont(arial(sizes.axisLabel));
    }
}

} // namespace ChartFonts
