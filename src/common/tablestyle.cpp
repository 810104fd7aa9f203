#include "tablestyle.h"

#include "screenscale.h"

#include <QTableView>

namespace TableStyle {

QString sheet(const Look& look)
{
    return QStringLiteral(
               "QScrollBar:vertical{background:#FFFFFF;padding-top:20px;padding-bottom:20px;padding-left:3px;"
               "padding-right:3px;border-left:1px solid #d7d7d7;}QScrollBar::handle:vertical{background:#dbdbdb;"
               "border-radius:6px;min-height:80px;}QScrollBar::handle:vertical:hover{background:#d0d0d0;}"
               "QScrollBar::add-line:vertical{background:url(:/images/resource/images/checkout/down.png) center "
               "no-repeat;}QScrollBar::sub-line:vertical{background:url(:/images/resource/images/checkout/up.png) "
               "center no-repeat;}QScrollBar:horizontal{background:#FFFFFF;padding-top:%1;padding-bottom:%1;"
               "padding-left:%2;padding-right:%2;border-top:1px solid #d7d7d7;}QScrollBar::handle:horizontal{"
               "background:#dbdbdb;border-radius:6px;%3;}QScrollBar::handle:horizontal:hover{"
               "background:#d0d0d0;}QScrollBar::add-line:horizontal{background:url(:/images/resource/images/"
               "checkout/down.png)center no-repeat;}QScrollBar::sub-line:horizontal{background:url(:/images/"
               "resource/images/checkout/down.png)center no-repeat;}QTableView QHeaderView::section {"
               "background-color: qlineargradient(x1:0, y1:0, x2:0, y2:1,stop:0 #616161, stop: 0.5 #505050,"
               "stop: 0.6 #434343, stop:1 #656565);color: white;padding-left: 4px;border: 1px solid #6c6c6c;"
               "font: %4;}")
        .arg(QLatin1String(look.horizontalPaddingEnds), QLatin1String(look.horizontalPaddingSides),
             QLatin1String(look.horizontalHandleExtent), QLatin1String(look.headerFont));
}

void apply(QTableView* view, const Look& look)
{
    if (!view)
        return;
    view->ensurePolished();
    // The detail view asks again on every change of scale.
    ScreenScale::setStyleSheet(view, sheet(look));
}

} // namespace TableStyle
