#include "chartfonts.h"

#include <QtCharts/QAbstractAxis>
#include <QtCharts/QChart>
#include <QtCharts/QLegend>

namespace ChartFonts {

bool forWidthRate(double widthRate, Sizes* sizes)
{
    struct Bracket {
        double upTo;
        Sizes sizes;
    };
    // Tried smallest first; the thresholds are 800, 1176, 1280 and 1440 pixels.
    static const Bracket brackets[] = {
        {0.416667, {8, 3, 7, 5}},
        {0.6125, {9, 4, 8, 6}},
        {0.666667, {10, 5, 9, 7}},
        {0.75, {11, 6, 10, 8}},
    };
    for (const Bracket& b : brackets) {
        if (widthRate <= b.upTo) {
            *sizes = b.sizes;
            return true;
        }
    }
    return false;
}

void apply(QtCharts::QChart* chart, const Sizes& sizes)
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
