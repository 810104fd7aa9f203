#include "screenscale.h"

#include <QFontMetrics>
#include <QHeaderView>
#include <QTableView>
#include <QWidget>

namespace ScreenScale {

QSize windowSize(const QSize& available)
{
    return QSize(int(widthRate(available) * DesignWidth), int(heightRate(available) * WindowHeight));
}

QRect startGeometry(const QRect& available)
{
    const QSize size = windowSize(available.size());
    const int spareWidth = available.width() - size.width();
    // The five-pixel nudge would push a full-width window past the right edge and cut
    // off the battery column; it is given only as far as the area allows.
    const int x = qMin(spareWidth / 2 + 5, spareWidth);
    const int y = (available.height() - size.height()) / 2;
    return QRect(available.topLeft() + QPoint(x, y), size);
}

int widgetFontSize(double wr)
{
    if (wr <= Width800)
        return 7;
    if (wr <= Width1176)
        return 8;
    if (wr <= Width1280)
        return 9;
    if (wr <= Width1440)
        return 10;
    return 0;
}

QSize scaled(const QSize& design, double wr, double hr)
{
    auto one = [](int value, double rate) { return value >= QWIDGETSIZE_MAX ? value : int(value * rate); };
    return QSize(one(design.width(), wr), one(design.height(), hr));
}

ChartFonts chartFonts(double wr, const ChartFonts& design)
{
    if (wr <= Width800)
        return {8, 3, 7, 5};
    if (wr <= Width1176)
        return {9, 4, 8, 6};
    if (wr <= Width1280)
        return {10, 5, 9, 7};
    if (wr <= Width1440)
        return {11, 6, 10, 8};
    return design;
}

void setHeaderFont(QTableView* table, int pointSize)
{
    for (QHeaderView* header : {table->horizontalHeader(), table->verticalHeader()}) {
        // Once set, a header's font no longer follows the table's; the scaling sets it
        // anew on every change of the screen, after the table's.
        header->setFont(pointSize > 0 ? QFont(QStringLiteral("Arial"), pointSize) : table->font());
        setStyleSheet(header, pointSize > 0 ? QStringLiteral("QHeaderView::section{font: %1pt Arial; padding-left: 0px;}")
                                                  .arg(pointSize)
                                            : QString());
    }
    QHeaderView* titles = table->horizontalHeader();
    int widest = 0;
    if (pointSize > 0 && table->model()) {
        for (int c = 0; c < titles->count(); ++c) {
            if (titles->sectionResizeMode(c) != QHeaderView::Stretch)
                continue; // sized to its contents, title included
            const QString title = table->model()->headerData(c, Qt::Horizontal).toString();
            widest = qMax(widest, titles->fontMetrics().horizontalAdvance(title));
        }
    }
    // The section's border, one pixel each side.
    titles->setMinimumSectionSize(widest > 0 ? widest + 2 : -1);
}

RowStretch cellRowStretch(double hr, const RowStretch& design)
{
    if (hr <= Height680)
        return {1, 4, 1};
    if (hr <= Height760)
        return {2, 4, 2};
    return design;
}

void setStyleSheet(QWidget* widget, const QString& sheet)
{
    if (widget->styleSheet() != sheet)
        widget->setStyleSheet(sheet);
}

} // namespace ScreenScale
