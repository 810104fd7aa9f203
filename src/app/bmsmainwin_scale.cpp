// Fitting the window to the screen. The forms are laid out with layouts, so the
// window's size is whatever the screen offers and the layouts share it out; what the
// scaling adjusts is what the layouts cannot: the minimum and maximum sizes drawn for
// a 1920 x 1080 screen, the icons that fill their buttons, and the fonts. Every run
// starts from the values the form gave each widget, kept on the widget the first time
// it is scaled, so the same area always gives the same window however often the
// desktop reports a change.
#include "bmsmainwin.h"
#include "ui_bmsmainwin.h"

#include "batterygroup.h"
#include "batteryinfo.h"
#include "screenscale.h"

#include <QAbstractButton>
#include <QBoxLayout>
#include <QCoreApplication>
#include <QDebug>
#include <QEvent>
#include <QGridLayout>
#include <QGuiApplication>
#include <QHeaderView>
#include <QImageReader>
#include <QLabel>
#include <QLayout>
#include <QMainWindow>
#include <QPushButton>
#include <QScreen>
#include <QStatusBar>
#include <QStyle>
#include <QTableView>
#include <QToolButton>

#include <algorithm>
#include <cctype>
#include <cstdio>

namespace {

// Where a widget's design values are kept: min size, max size, own font (or nothing
// when it inherits its parent's), icon size (or nothing when the icon is not drawn to
// fill the button).
const char* const DesignKey = "cellvueDesign";
// The limits the scaling last gave a widget, to tell them from ones its owner set since.
const char* const AppliedKey = "cellvueScaledLimits";

struct Design {
    QSize minimum;
    QSize maximum;
    QVariant font;
    QSize icon;
};

Design designOf(QWidget* w)
{
    QVariantList stored = w->property(DesignKey).toList();
    if (stored.isEmpty()) {
        QSize icon;
        if (auto* button = qobject_cast<QAbstractButton*>(w)) {
            const QSize minimum = w->minimumSize();
            if (!minimum.isEmpty() && button->iconSize().width() >= minimum.width()
                && button->iconSize().height() >= minimum.height())
                icon = button->iconSize();
        }
        const QVariant font = w->testAttribute(Qt::WA_SetFont) ? QVariant::fromValue(w->font()) : QVariant();
        stored = {w->minimumSize(), w->maximumSize(), font, icon};
        w->setProperty(DesignKey, stored);
    }
    return {stored.at(0).toSize(), stored.at(1).toSize(), stored.at(2), stored.at(3).toSize()};
}

bool holds(const QLayout* layout, const QWidget* w)
{
    if (layout->menuBar() == w)
        return true;
    for (int i = 0; i < layout->count(); ++i) {
        QLayoutItem* item = layout->itemAt(i);
        if (item->widget() == w || (item->layout() && holds(item->layout(), w)))
            return true;
    }
    return false;
}

// A widget outside its parent's layouts (a pack button's holder, the inner parts of
// a scroll area) is placed by its owner, which sizes it from the rates itself.
bool laidOut(const QWidget* w)
{
    const QWidget* parent = w->parentWidget();
    // The main window's own layout does not list its central widget and status bar.
    if (auto* window = qobject_cast<const QMainWindow*>(parent)) {
        if (w == window->centralWidget() || w == window->findChild<QStatusBar*>(QString(), Qt::FindDirectChildrenOnly))
            return true;
    }
    return parent && parent->layout() && holds(parent->layout(), w);
}

// A layout's margins and spacing are geometry too: on a small screen the gaps drawn for
// 1920 pixels would take the room the text needs. Kept and scaled like a widget's.
void scaleLayout(QLayout* layout, double wr, double hr)
{
    auto* grid = qobject_cast<QGridLayout*>(layout);
    auto* box = qobject_cast<QBoxLayout*>(layout);
    QVariantList stored = layout->property(DesignKey).toList();
    if (stored.isEmpty()) {
        const QMargins m = layout->contentsMargins();
        stored = {m.left(), m.top(), m.right(), m.bottom(), grid ? grid->horizontalSpacing() : layout->spacing(),
                  grid ? grid->verticalSpacing() : layout->spacing()};
        layout->setProperty(DesignKey, stored);
    }
    auto across = [&](int i) { return int(stored.at(i).toInt() * wr); };
    auto down = [&](int i) { return int(stored.at(i).toInt() * hr); };
    layout->setContentsMargins(across(0), down(1), across(2), down(3));
    if (grid) {
        grid->setHorizontalSpacing(across(4));
        grid->setVerticalSpacing(down(5));
    } else if (box) {
        const bool horizontal = box->direction() == QBoxLayout::LeftToRight || box->direction() == QBoxLayout::RightToLeft;
        box->setSpacing(horizontal ? across(4) : down(5));
    }
    for (int i = 0; i < layout->count(); ++i) {
        if (QLayout* inner = layout->itemAt(i)->layout())
            scaleLayout(inner, wr, hr);
    }
}

// The width a push button's text needs. The style keeps every text button at least
// 80 pixels wide whatever its font; on a small screen that floor, not the text, would
// decide how wide a column is.
int textButtonWidth(const QPushButton* button)
{
    const QStyle* style = button->style();
    int width = button->fontMetrics().size(Qt::TextShowMnemonic, button->text()).width()
                + style->pixelMetric(QStyle::PM_ButtonMargin, nullptr, button)
                + 2 * style->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, button)
                + 2 * button->fontMetrics().averageCharWidth();
    if (!button->icon().isNull())
        width += button->iconSize().width() + 4;
    return width;
}

// A picture drawn to whatever size it is given; what it asks for is only its natural
// size, which scaling is meant to override.
bool isPicture(const QWidget* w)
{
    if (auto* label = qobject_cast<const QLabel*>(w))
        return label->text().isEmpty();
    if (auto* button = qobject_cast<const QAbstractButton*>(w))
        return button->text().isEmpty();
    return false;
}

// The design limits scaled. A minimum set on a widget stands in for the one it asks for
// itself, so a scaled design minimum below what the text now needs would cut the text
// off; the widget gets at least what it needs. A container (a widget with a layout) gets
// no minimum at all: what its contents need decides, also when they grow later, which a
// fixed number would not follow.
void setScaledLimits(QWidget* w, const Design& design, double wr, double hr)
{
    QSize minimum;
    if (!w->layout()) {
        minimum = ScreenScale::scaled(design.minimum, wr, hr);
        // Set first: a label's own hint includes the minimum it has, which would
        // otherwise carry the last scale's minimum over into this one.
        w->setMinimumSize(minimum);
        auto* button = qobject_cast<QPushButton*>(w);
        const bool textButton = button && !button->text().isEmpty();
        const bool fitWidth = design.minimum.width() > 0 || (textButton && ScreenScale::widgetFontSize(wr) > 0);
        const bool fitHeight = design.minimum.height() > 0;
        // Most widgets have no minimum of their own, and working out what their contents
        // need (text metrics) is the dearest step of a scaling pass.
        if (fitWidth || fitHeight) {
            QSize need = w->minimumSizeHint();
            // Children placed by hand in a plain area (a pack's buttons) need all the room
            // they take. (Other widgets place their inner parts to fit whatever they get.)
            const QRect placed = w->metaObject() == &QWidget::staticMetaObject ? w->childrenRect() : QRect();
            if (!placed.isEmpty())
                need = need.expandedTo(QSize(placed.right() + 1, placed.bottom() + 1));
            if (textButton)
                need.setWidth(textButtonWidth(button));
            if (isPicture(w))
                need = QSize(0, 0);
            if (fitWidth)
                minimum.setWidth(qMax(minimum.width(), need.width()));
            if (fitHeight)
                minimum.setHeight(qMax(minimum.height(), need.height()));
        }
    }
    w->setMinimumSize(minimum.expandedTo(QSize(0, 0)));
    w->setMaximumSize(ScreenScale::scaled(design.maximum, wr, hr).expandedTo(minimum));
    w->setProperty(AppliedKey, QVariantList{w->minimumSize(), w->maximumSize()});
}

// Contents change after the window was scaled: a pack's buttons are built, a label
// gets a longer value. A minimum set by the scaling would then hold them to the old
// size and cut them off; so whenever a container's layout is about to run again, the
// limits of what it holds are worked out anew. Limits an owner has set since (a view
// adapting itself to a bracket) are the owner's and stay.
class LimitsKeeper : public QObject
{
public:
    explicit LimitsKeeper(QObject* parent) : QObject(parent) { setObjectName(QStringLiteral("scaleLimitsKeeper")); }
    double widthRate = 1.0;
    double heightRate = 1.0;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() != QEvent::LayoutRequest)
            return false;
        bool changed = false;
        for (QObject* child : watched->children()) {
            auto* w = qobject_cast<QWidget*>(child);
            if (!w || w->layout() || !laidOut(w))
                continue;
            const QVariantList applied = w->property(AppliedKey).toList();
            if (applied.size() == 2 && applied.at(0).toSize() == w->minimumSize()
                && applied.at(1).toSize() == w->maximumSize()) {
                setScaledLimits(w, designOf(w), widthRate, heightRate);
                changed = changed || w->property(AppliedKey).toList() != applied;
            }
        }
        // Working a limit out sets the widget's minimum for a moment (setScaledLimits),
        // and that asks for this very layout pass again. When every limit came out as it
        // was, the pass about to run is all there is to do: another would only repeat
        // this one, and post the next, for as long as the window is open.
        if (!changed)
            QCoreApplication::removePostedEvents(watched, QEvent::LayoutRequest);
        return false;
    }
};

// Columns fitted to their contents (the event list) were fitted to the old font; with a
// larger one their values would be cut short. A stretched column takes what is left.
void refitColumns(QTableView* table)
{
    if (!table->model() || table->model()->rowCount() == 0)
        return;
    const QHeaderView* header = table->horizontalHeader();
    for (int c = 0; c < header->count(); ++c) {
        if (header->sectionResizeMode(c) == QHeaderView::Interactive)
            table->resizeColumnToContents(c);
    }
}

// The update guide is a picture of text. Shrunk by the rates, its small print could not
// be read on a 1024-pixel screen; so it keeps the scaled minimum (the window still
// fits) but takes the page's width and up to its natural height wherever there is
// room. It is drawn to whatever size it gets, centred and never enlarged, also when
// the window is resized by hand while the page is open.
class PictureFit : public QObject
{
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Resize) {
            auto* button = static_cast<QAbstractButton*>(watched);
            button->setIconSize(button->size());
        }
        return false;
    }
};

void fitPicture(QToolButton* picture, const QString& file)
{
    if (!picture->findChild<PictureFit*>())
        picture->installEventFilter(new PictureFit(picture));
    // Until its page is first shown the picture is not read; its header tells the size.
    const QSize natural = picture->icon().isNull() ? QImageReader(file).size()
                                                   : picture->icon().actualSize(QSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX));
    picture->setMaximumSize(QWIDGETSIZE_MAX, qMax(natural.height(), picture->minimumHeight()));
    picture->setIconSize(picture->size());
}

void logGeometry(const char* when, const QWidget* w)
{
    const QByteArray name = w->objectName().toLatin1();
    const bool plainName = std::all_of(name.begin(), name.end(), [](char c) { return std::isalnum(uchar(c)) || c == '_'; });
    if (!plainName || name.size() > 200) { // QDebug knows how to quote anything else
        qDebug() << when << w->objectName() << "pwidegt x:" << w->x() << "pwidget y:" << w->y() << "pwidget:"
                 << w->width() << w->height() << "pwidget geometry:" << w->geometry();
        return;
    }
    // Two of these for every widget on each scaling, some 800 lines at start-up: printed
    // into a buffer, the same text costs a fraction of QDebug's stream formatting.
    char line[384];
    std::snprintf(line, sizeof line, "%s \"%s\" pwidegt x: %d pwidget y: %d pwidget: %d %d pwidget geometry: QRect(%d,%d %dx%d)",
                  when, name.constData(), w->x(), w->y(), w->width(), w->height(), w->x(), w->y(), w->width(), w->height());
    qDebug("%s", line);
}

} // namespace

QRect BMSMainWin::StartGeometry(const QRect& available)
{
    return ScreenScale::startGeometry(available);
}

void BMSMainWin::RefreshDPI()
{
    QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen)
        return;
    const QRect area = screen->availableGeometry();
    qDebug() << "scressize:" << area.size();
    qDebug() << "srcesswid:" << area.width();
    qDebug() << "screenheight:" << area.height();
    OnDeskTopResize(area);
    const QList<QScreen*> screens = QGuiApplication::screens();
    if (!screens.isEmpty())
        connect(screens.first(), &QScreen::availableGeometryChanged, this, &BMSMainWin::OnDeskTopResize,
                Qt::UniqueConnection);
}

void BMSMainWin::OnDeskTopResize(const QRect& availableGeometry)
{
    qDebug() << "windowwidth" << availableGeometry.width() << " height:" << availableGeometry.height();
    qDebug() << "width:" << width() << "height:" << height();
    const double wr = ScreenScale::widthRate(availableGeometry.size());
    const double hr = ScreenScale::heightRate(availableGeometry.size());
    qDebug() << "rate:" << wr << "hightrate:" << hr;

    changeObjectSize(*this, wr, hr);
    widthRate = wr;
    heightRate = hr;
    // The views first: a chart view raises its own minimum to what its chart needs
    // whenever it is resized, so the chart fonts must be the new ones by then.
    ui->BattGroupWid->SetRate(wr, hr);
    ui->BattInfoWid->SetRate(wr, hr);
    RateOfChartInit();
    for (QTableView* table : {ui->ConfigTabView, ui->DataListlView}) {
        // Their table style draws 12-point titles and row numbers; under the brackets
        // they take the table's own size.
        ScreenScale::setHeaderFont(table, ScreenScale::widgetFontSize(wr));
        refitColumns(table);
    }
    fitPicture(ui->UpdateMessToolBtn, QString::fromLatin1(UpdateGuide));
    // The layouts learn of the new sizes through posted events, and not at all while
    // the window is hidden; until then they keep the minimum of the old scale, and a
    // resize below it would not take. So every cached size is dropped and the window's
    // minimum worked out at once.
    for (QWidget* w : findChildren<QWidget*>())
        w->updateGeometry();
    for (QLayout* l : findChildren<QLayout*>())
        l->invalidate();
    layout()->activate();
    // A maximised window is sized by the desktop, which knows the area better.
    if (!isMaximized() && !isFullScreen()) {
        resize(ScreenScale::windowSize(availableGeometry.size()));
        // A monitor unplugged or a panel moved may leave the window out of reach.
        if (isVisible() && !availableGeometry.contains(frameGeometry()))
            move(ScreenScale::startGeometry(availableGeometry).topLeft());
    }
    qDebug() << "BattInfoWid:" << ui->BattInfoWid->size();
}

void BMSMainWin::changeObjectSize(const QObject& parent, double wr, double hr)
{
    auto* keeper = static_cast<LimitsKeeper*>(
        findChild<QObject*>(QStringLiteral("scaleLimitsKeeper"), Qt::FindDirectChildrenOnly));
    if (!keeper)
        keeper = new LimitsKeeper(this);
    keeper->widthRate = wr;
    keeper->heightRate = hr;
    const int fontSize = ScreenScale::widgetFontSize(wr);
    for (QObject* child : parent.children()) {
        auto* w = qobject_cast<QWidget*>(child);
        // Dialogs size themselves; widgets outside a layout are placed by their owner.
        if (!w || w->isWindow() || !laidOut(w))
            continue;
        logGeometry("before pwdiname:", w);
        const Design design = designOf(w);

        if (fontSize > 0) {
            if (fontSize == 7)
                qDebug() << "test:" << "awtqae";
            QFont font(QStringLiteral("Arial"), fontSize);
            font.setWeight(QFont::Normal);
            font.setItalic(false);
            w->setFont(font);
        } else if (design.font.isValid()) {
            w->setFont(design.font.value<QFont>());
        } else {
            // What it would inherit, set outright: below a style sheet an unset font
            // falls back to the application's, not the parent's.
            w->setFont(w->parentWidget()->font());
        }

        if (design.icon.isValid())
            static_cast<QAbstractButton*>(w)->setIconSize(ScreenScale::scaled(design.icon, wr, hr));
        // The status bar builds its layout anew whenever a widget joins it.
        if (w->layout() && !qobject_cast<QStatusBar*>(w))
            scaleLayout(w->layout(), wr, hr);
        setScaledLimits(w, design, wr, hr);
        if (w->layout())
            w->installEventFilter(keeper);
        changeObjectSize(*w, wr, hr);
        logGeometry("after pwdiname:", w);
    }
}
