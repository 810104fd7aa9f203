// cellvue-imagegen: draws every picture that Cellvue compiles in (page buttons, pack
// buttons, state indicators, the overview and update page pictures, the logo) and writes
// the resource file that lists them.
//
//   cellvue-imagegen OUTPUT_DIR
//
// scripts/make-images.sh runs it on src/res; the output is committed, so building the
// program never needs this tool. Pictures that carry words are drawn a second time in
// Simplified Chinese into zh_CN/ and listed for that locale in the resource file, so the
// program shows them without a line of code of its own. The program's icon goes into
// hicolor/ in the sizes the desktop asks for. Everything is drawn with QPainter at the
// size the widgets show it, so style-sheet border images are not resampled more than
// necessary.

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFontDatabase>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QHash>
#include <QImage>
#include <QImageWriter>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <QSaveFile>
#include <QTextStream>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <functional>
#include <vector>

namespace {

// Palette. Everything derives from the product's theme blue rgb(74, 120, 222).
const QColor kTheme(74, 120, 222);
const QColor kThemeLight(98, 142, 238);
const QColor kThemeDark(60, 101, 206);
const QColor kThemeEdge(52, 88, 188);
const QColor kPressTop(45, 78, 170);
const QColor kPressBottom(56, 94, 194);
const QColor kPressEdge(38, 66, 150);
const QColor kTint(234, 241, 253);
const QColor kInk(30, 40, 64);
const QColor kMuted(92, 102, 122);
const QColor kGreen(34, 172, 88);
const QColor kGreenLight(72, 210, 120);
const QColor kRed(226, 80, 72);

QString g_family;
QString g_cjkFamily;

// Set while the Simplified Chinese variant of a picture is drawn.
bool g_zh = false;
QStringList g_untranslated;

// Captions of the pictures in Simplified Chinese: what the technician does, not a word
// for word rendering ("Download" saves to a file, so it reads "export").
const QHash<QString, QString> &zhCaptions()
{
    static const QHash<QString, QString> table = {
        {QStringLiteral("Console"), QStringLiteral("控制台")},
        {QStringLiteral("Overview"), QStringLiteral("总览")},
        {QStringLiteral("Real Time"), QStringLiteral("实时数据")},
        {QStringLiteral("Protection"), QStringLiteral("保护参数")},
        {QStringLiteral("History"), QStringLiteral("历史记录")},
        {QStringLiteral("Update"), QStringLiteral("固件升级")},
        {QStringLiteral("+ Barcode"), QStringLiteral("+ 条码")},
        {QStringLiteral("Confirm"), QStringLiteral("确认")},
        {QStringLiteral("CFET ON"), QStringLiteral("充电MOS开")},
        {QStringLiteral("CFET OFF"), QStringLiteral("充电MOS关")},
        {QStringLiteral("DFET ON"), QStringLiteral("放电MOS开")},
        {QStringLiteral("DFET OFF"), QStringLiteral("放电MOS关")},
        {QStringLiteral("Self Test"), QStringLiteral("自检")},
        {QStringLiteral("RTData ON"), QStringLiteral("开始采集")},
        {QStringLiteral("RTData OFF"), QStringLiteral("停止采集")},
        {QStringLiteral("Download"), QStringLiteral("导出")},
        {QStringLiteral("Clear All"), QStringLiteral("全部清除")},
        {QStringLiteral("Upgrade"), QStringLiteral("开始升级")},
        {QStringLiteral("Wake"), QStringLiteral("唤醒")},
        {QStringLiteral("Uboot"), QStringLiteral("Boot升级")},
        {QStringLiteral("ON"), QStringLiteral("开")},
        {QStringLiteral("OFF"), QStringLiteral("关")},
        {QStringLiteral("Updating the BMS firmware"), QStringLiteral("BMS 固件升级")},
        {QStringLiteral("Wake the packs"), QStringLiteral("唤醒电池包")},
        {QStringLiteral("Press Wake. The file dialog opens as soon as the BMS reports that it is ready."),
         QStringLiteral("点击“唤醒”。BMS 报告就绪后，文件选择框会自动打开。")},
        {QStringLiteral("Choose the .bin file"), QStringLiteral("选择 .bin 文件")},
        {QStringLiteral("Pick the firmware file. It is sent over the serial port while the progress bar fills."),
         QStringLiteral("选择固件文件。文件经串口发送，进度条随之前进。")},
        {QStringLiteral("Wait for the reboot"), QStringLiteral("等待重启")},
        {QStringLiteral("Keep the cable connected. The packs restart and a message tells whether the update succeeded."),
         QStringLiteral("请保持线缆连接。电池包重启后，会提示升级是否成功。")},
    };
    return table;
}

// Names and file types stay as they are in every language.
bool keptAsIs(const QString &text)
{
    static const QStringList kept = {QStringLiteral("Korvello"), QStringLiteral("CELLVUE  BMS SERVICE"),
                                     QStringLiteral(".bin")};
    if (kept.contains(text))
        return true;
    return std::none_of(text.begin(), text.end(), [](QChar c) { return c.isLetter() && c.unicode() < 0x80; });
}

// The words a picture shows in the language being drawn. A caption without a Chinese
// form is remembered, and the run fails, rather than leaving English in a Chinese picture.
QString shown(const QString &text)
{
    if (!g_zh || keptAsIs(text))
        return text;
    const auto it = zhCaptions().constFind(text);
    if (it != zhCaptions().constEnd())
        return it.value();
    if (!g_untranslated.contains(text))
        g_untranslated << text;
    return text;
}

// Chinese words need a font that has them; size and weight stay those of the design.
QFont forText(QFont f, const QString &text)
{
    if (std::any_of(text.begin(), text.end(), [](QChar c) { return c.unicode() >= 0x2E80; }))
        f.setFamily(g_cjkFamily);
    return f;
}

constexpr double kPi = 3.14159265358979323846;

using Pts = QVector<QPointF>; // QPolygonF has no initializer-list constructor in Qt 5

QFont uiFont(int pixelSize, int weight = QFont::Normal)
{
    QFont f(g_family);
    f.setPixelSize(pixelSize);
    f.setWeight(weight);
    // Grey-scale anti-aliasing only: LCD sub-pixel colours would show as fringes once a
    // border image is stretched or drawn on a different background.
    f.setStyleStrategy(QFont::StyleStrategy(QFont::PreferAntialias | QFont::NoSubpixelAntialias));
    return f;
}

// Shrinks the font until the text fits the width; captions must never be clipped.
QFont fitted(QFont f, const QString &caption, qreal maxWidth)
{
    const QString text = shown(caption);
    f = forText(f, text);
    while (f.pixelSize() > 7 && QFontMetricsF(f).horizontalAdvance(text) > maxWidth)
        f.setPixelSize(f.pixelSize() - 1);
    return f;
}

// Draws a one-line caption whose capitals are optically centred on centreY (the usual
// vertical centring of a font box puts capitals visibly low). Returns the text width.
qreal drawCaption(QPainter &p, qreal x, qreal centreY, const QString &caption, const QFont &designFont,
                  const QColor &colour, Qt::Alignment horizontal = Qt::AlignLeft, qreal width = 0)
{
    const QString text = shown(caption);
    const QFont font = forText(designFont, text);
    const QFontMetricsF fm(font);
    const qreal w = fm.horizontalAdvance(text);
    if (horizontal & Qt::AlignHCenter)
        x += (width - w) / 2;
    else if (horizontal & Qt::AlignRight)
        x += width - w;
    const qreal baseline = std::round(centreY + fm.capHeight() / 2);
    p.save();
    p.setFont(font);
    p.setPen(colour);
    p.drawText(QPointF(x, baseline), text);
    p.restore();
    return w;
}

QLinearGradient vertical(const QRectF &r, const QColor &top, const QColor &bottom)
{
    QLinearGradient g(r.topLeft(), r.bottomLeft());
    g.setColorAt(0, top);
    g.setColorAt(1, bottom);
    return g;
}

QColor alpha(QColor c, int a)
{
    c.setAlpha(a);
    return c;
}

// ---------------------------------------------------------------------------------------
// Pictograms, drawn on a 24 × 24 grid with 2-unit round strokes and scaled to the box.

enum class Glyph {
    Console, Overview, RealTime, Protection, History, Update, Battery, Power, Check, Plus,
    Download, Clear, Wake, Chip, Upload, Play, Stop, SelfTest, Barcode, ChartTable, Bolt
};

void arcWithArrow(QPainter &p, QPointF c, qreal r, qreal startDeg, qreal sweepDeg, qreal head)
{
    const QRectF box(c.x() - r, c.y() - r, 2 * r, 2 * r);
    QPainterPath arc;
    arc.arcMoveTo(box, startDeg);
    arc.arcTo(box, startDeg, sweepDeg);
    p.drawPath(arc);

    const qreal end = (startDeg + sweepDeg) * kPi / 180;
    const QPointF tip(c.x() + r * std::cos(end), c.y() - r * std::sin(end));
    // Direction of travel along the arc at its end (screen y grows downwards).
    QPointF dir(-std::sin(end), -std::cos(end));
    if (sweepDeg < 0)
        dir = -dir;
    const QPointF normal(std::cos(end), -std::sin(end));
    const QPointF point = tip + dir * (head * 0.35);
    p.drawPolyline(Pts{point - dir * head + normal * head * 0.85, point,
                             point - dir * head - normal * head * 0.85});
}

void drawGlyph(QPainter &p, Glyph g, const QRectF &box, const QColor &c, qreal stroke = 2.0)
{
    p.save();
    const qreal s = std::min(box.width(), box.height()) / 24.0;
    p.translate(box.x() + (box.width() - 24 * s) / 2, box.y() + (box.height() - 24 * s) / 2);
    p.scale(s, s);
    p.setPen(QPen(c, stroke, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(Qt::NoBrush);

    auto fillOnly = [&] {
        p.setPen(Qt::NoPen);
        p.setBrush(c);
    };

    switch (g) {
    case Glyph::Console:
        p.drawRoundedRect(QRectF(2.5, 4, 19, 16), 2.5, 2.5);
        p.drawPolyline(Pts{{7, 9.5}, {10, 12.5}, {7, 15.5}});
        p.drawLine(QPointF(12.5, 15.5), QPointF(17, 15.5));
        break;
    case Glyph::Overview:
        p.drawRoundedRect(QRectF(3, 3, 7.5, 8.5), 1.6, 1.6);
        p.drawRoundedRect(QRectF(13.5, 3, 7.5, 5), 1.6, 1.6);
        p.drawRoundedRect(QRectF(13.5, 11, 7.5, 10), 1.6, 1.6);
        p.drawRoundedRect(QRectF(3, 14.5, 7.5, 6.5), 1.6, 1.6);
        break;
    case Glyph::RealTime:
        p.drawPolyline(Pts{{2, 13}, {6, 13}, {9, 5}, {14, 20}, {17, 13}, {22, 13}});
        break;
    case Glyph::Protection: {
        QPainterPath shield;
        shield.moveTo(12, 2.5);
        shield.lineTo(20, 5.5);
        shield.lineTo(20, 11);
        shield.cubicTo(20, 16, 16.5, 19.6, 12, 21.5);
        shield.cubicTo(7.5, 19.6, 4, 16, 4, 11);
        shield.lineTo(4, 5.5);
        shield.closeSubpath();
        p.drawPath(shield);
        p.drawPolyline(Pts{{8.6, 11.8}, {11, 14.2}, {15.6, 9.4}});
        break;
    }
    case Glyph::History:
        arcWithArrow(p, {12, 12}, 8.8, 180, 318, 3.2);
        p.drawPolyline(Pts{{12, 7.5}, {12, 12}, {15.2, 14}});
        break;
    case Glyph::Update:
    case Glyph::Upload:
    case Glyph::Download: {
        if (g == Glyph::Download) {
            p.drawLine(QPointF(12, 3.5), QPointF(12, 14.5));
            p.drawPolyline(Pts{{7.5, 10}, {12, 14.5}, {16.5, 10}});
        } else {
            p.drawLine(QPointF(12, 14.5), QPointF(12, 3.5));
            p.drawPolyline(Pts{{7.5, 8}, {12, 3.5}, {16.5, 8}});
        }
        QPainterPath tray;
        tray.moveTo(3.5, 14.5);
        tray.lineTo(3.5, 18);
        tray.quadTo(3.5, 20.5, 6, 20.5);
        tray.lineTo(18, 20.5);
        tray.quadTo(20.5, 20.5, 20.5, 18);
        tray.lineTo(20.5, 14.5);
        p.drawPath(tray);
        break;
    }
    case Glyph::Battery:
        p.drawRoundedRect(QRectF(2, 7, 17.5, 10), 2.2, 2.2);
        fillOnly();
        p.drawRoundedRect(QRectF(20.2, 10, 2.3, 4), 0.9, 0.9);
        for (int i = 0; i < 3; ++i)
            p.drawRoundedRect(QRectF(4.6 + i * 4.4, 9.6, 3.4, 4.8), 0.8, 0.8);
        break;
    case Glyph::Power: {
        QPainterPath arc;
        const QRectF box(4, 5, 16, 16);
        arc.arcMoveTo(box, 125);
        arc.arcTo(box, 125, 290);
        p.drawPath(arc);
        p.drawLine(QPointF(12, 2.5), QPointF(12, 11.5));
        break;
    }
    case Glyph::Check:
        p.drawPolyline(Pts{{5, 12.5}, {10, 17.5}, {19.5, 7}});
        break;
    case Glyph::Plus:
        p.drawLine(QPointF(12, 5), QPointF(12, 19));
        p.drawLine(QPointF(5, 12), QPointF(19, 12));
        break;
    case Glyph::Clear:
        p.drawLine(QPointF(3.5, 6.5), QPointF(20.5, 6.5));
        p.drawPolyline(Pts{{9, 6.5}, {9, 3.5}, {15, 3.5}, {15, 6.5}});
        p.drawPolyline(Pts{{5.5, 6.5}, {6.6, 20.5}, {17.4, 20.5}, {18.5, 6.5}});
        p.drawLine(QPointF(10, 10.5), QPointF(10, 16.5));
        p.drawLine(QPointF(14, 10.5), QPointF(14, 16.5));
        break;
    case Glyph::Wake:
        p.drawEllipse(QPointF(12, 13.5), 7.5, 7.5);
        p.drawPolyline(Pts{{12, 9.5}, {12, 13.5}, {14.8, 15.4}});
        p.drawLine(QPointF(3.2, 6.2), QPointF(6.2, 3.2));
        p.drawLine(QPointF(17.8, 3.2), QPointF(20.8, 6.2));
        p.drawLine(QPointF(6.8, 19.2), QPointF(5.2, 21));
        p.drawLine(QPointF(17.2, 19.2), QPointF(18.8, 21));
        break;
    case Glyph::Chip: {
        p.drawRoundedRect(QRectF(6, 6, 12, 12), 2, 2);
        for (qreal v : {9.5, 12.0, 14.5}) {
            p.drawLine(QPointF(v, 2.5), QPointF(v, 6));
            p.drawLine(QPointF(v, 18), QPointF(v, 21.5));
            p.drawLine(QPointF(2.5, v), QPointF(6, v));
            p.drawLine(QPointF(18, v), QPointF(21.5, v));
        }
        fillOnly();
        p.drawRoundedRect(QRectF(9.3, 9.3, 5.4, 5.4), 1, 1);
        break;
    }
    case Glyph::Play:
        p.drawEllipse(QPointF(12, 12), 9.5, 9.5);
        p.setBrush(c);
        p.setPen(QPen(c, 1.2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.drawPolygon(Pts{{10, 8}, {16.2, 12}, {10, 16}});
        break;
    case Glyph::Stop:
        p.drawEllipse(QPointF(12, 12), 9.5, 9.5);
        fillOnly();
        p.drawRoundedRect(QRectF(8.6, 8.6, 6.8, 6.8), 1.2, 1.2);
        break;
    case Glyph::SelfTest: {
        QPainterPath board;
        board.moveTo(8.5, 4);
        board.lineTo(7, 4);
        board.quadTo(4.5, 4, 4.5, 6.5);
        board.lineTo(4.5, 19.5);
        board.quadTo(4.5, 22, 7, 22);
        board.lineTo(17, 22);
        board.quadTo(19.5, 22, 19.5, 19.5);
        board.lineTo(19.5, 6.5);
        board.quadTo(19.5, 4, 17, 4);
        board.lineTo(15.5, 4);
        p.drawPath(board);
        p.drawRoundedRect(QRectF(8.5, 2, 7, 4), 1.3, 1.3);
        p.drawPolyline(Pts{{8.5, 13.5}, {11, 16}, {15.5, 11}});
        break;
    }
    case Glyph::Barcode: {
        fillOnly();
        const qreal bars[][2] = {{3, 1.6}, {5.8, 1}, {7.8, 2.2}, {11, 1}, {13, 1},
                                 {15, 2.4}, {18.4, 1}, {20.2, 1.6}};
        for (const auto &b : bars)
            p.drawRect(QRectF(b[0], 5, b[1], 14));
        break;
    }
    case Glyph::ChartTable:
        p.drawRoundedRect(QRectF(2.5, 3.5, 19, 17), 2.5, 2.5);
        p.drawLine(QPointF(2.5, 8.5), QPointF(21.5, 8.5));
        p.drawLine(QPointF(8.5, 8.5), QPointF(8.5, 20.5));
        p.drawPolyline(Pts{{11.5, 17.5}, {14, 13.5}, {16.5, 15.5}, {19, 11.5}});
        break;
    case Glyph::Bolt:
        p.setBrush(c);
        p.setPen(QPen(c, 1, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.drawPolygon(Pts{{13.5, 2}, {4.5, 13.5}, {11, 13.5}, {10, 22}, {19.5, 10}, {13, 10}});
        break;
    }
    p.restore();
}

// ---------------------------------------------------------------------------------------
// Buttons

// Page button of the function bar: light with theme text, or filled theme when pressed.
void pageButton(QPainter &p, const QRectF &r, Glyph glyph, const QString &caption, bool pressed)
{
    const QRectF body = r.adjusted(1, pressed ? 2 : 1, -1, pressed ? -2 : -3);
    const qreal rad = 10;

    p.setPen(Qt::NoPen);
    p.setBrush(QColor(26, 58, 130, pressed ? 18 : 30));
    p.drawRoundedRect(body.translated(0, 2), rad, rad);

    QPainterPath shape;
    shape.addRoundedRect(body, rad, rad);
    if (pressed) {
        p.fillPath(shape, vertical(body, QColor(62, 106, 210), kTheme));
        // Inner shadow along the top edge makes the face read as pushed in.
        p.save();
        p.setClipPath(shape);
        QLinearGradient shade(body.topLeft(), body.topLeft() + QPointF(0, 12));
        shade.setColorAt(0, QColor(10, 25, 70, 70));
        shade.setColorAt(1, QColor(10, 25, 70, 0));
        p.fillRect(body, shade);
        p.restore();
        p.strokePath(shape, QPen(kThemeEdge, 1.5));
    } else {
        p.fillPath(shape, vertical(body, Qt::white, QColor(241, 246, 255)));
        p.strokePath(shape, QPen(kTheme, 2));
    }

    const QPointF badge(body.left() + 34, body.center().y());
    p.setPen(Qt::NoPen);
    p.setBrush(pressed ? QColor(255, 255, 255, 42) : kTint);
    p.drawEllipse(badge, 20, 20);
    drawGlyph(p, glyph, QRectF(badge.x() - 12, badge.y() - 12, 24, 24),
              pressed ? Qt::white : kTheme, 2.1);

    const qreal textX = badge.x() + 20 + 14;
    const qreal room = body.right() - 12 - textX;
    const QFont font = fitted(uiFont(21, QFont::Bold), caption, room);
    drawCaption(p, textX, body.center().y(), caption, font, pressed ? Qt::white : kTheme);
}

struct ActionStyle {
    enum Status { None, On, Off } status = None;
};

// Filled theme button with a pictogram and a caption, centred as one group.
void actionButton(QPainter &p, const QRectF &r, Glyph glyph, const QString &caption,
                  ActionStyle style = {})
{
    const QRectF body = r.adjusted(1.5, 1.5, -1.5, -3.5);
    const qreal rad = std::min<qreal>(9, body.height() * 0.24);

    p.setPen(Qt::NoPen);
    p.setBrush(QColor(20, 50, 120, 48));
    p.drawRoundedRect(body.translated(0, 2), rad, rad);

    QPainterPath shape;
    shape.addRoundedRect(body, rad, rad);
    p.fillPath(shape, vertical(body, kThemeLight, kThemeDark));
    // A thin light rim at the top gives the face a little depth.
    QLinearGradient rim(body.topLeft(), body.bottomLeft());
    rim.setColorAt(0, QColor(255, 255, 255, 110));
    rim.setColorAt(0.45, QColor(255, 255, 255, 0));
    QPainterPath inner;
    inner.addRoundedRect(body.adjusted(1, 1, -1, -1), rad - 1, rad - 1);
    p.strokePath(inner, QPen(QBrush(rim), 1));
    p.strokePath(shape, QPen(kThemeEdge, 1));

    const qreal h = body.height();
    const qreal glyphSize = std::round(h * 0.5);
    const qreal gap = std::round(h * 0.22);
    QFont font = fitted(uiFont(std::max(14, int(std::round(h * 0.37))), QFont::Bold), caption,
                        body.width() - glyphSize - gap - 2 * rad - 8);
    const qreal textW = QFontMetricsF(font).horizontalAdvance(shown(caption));
    const qreal x = std::round(body.center().x() - (glyphSize + gap + textW) / 2);
    const qreal cy = body.center().y();
    const QRectF glyphBox(x, cy - glyphSize / 2, glyphSize, glyphSize);

    if (style.status == ActionStyle::None) {
        drawGlyph(p, glyph, glyphBox, Qt::white, 2.2);
    } else {
        // FET switches carry their target state as a coloured lamp behind the pictogram.
        const QColor lamp = style.status == ActionStyle::On ? kGreen : kRed;
        p.setPen(QPen(QColor(255, 255, 255, 200), 1.2));
        QRadialGradient g(glyphBox.center() - QPointF(glyphSize * 0.15, glyphSize * 0.2), glyphSize * 0.7);
        g.setColorAt(0, lamp.lighter(135));
        g.setColorAt(1, lamp);
        p.setBrush(g);
        p.drawEllipse(glyphBox.center(), glyphSize / 2, glyphSize / 2);
        drawGlyph(p, glyph, glyphBox.adjusted(glyphSize * 0.2, glyphSize * 0.2, -glyphSize * 0.2,
                                              -glyphSize * 0.2),
                  Qt::white, 2.6);
    }
    drawCaption(p, x + glyphSize + gap, cy, caption, font, Qt::white);
}

// Pressed look shared by several buttons; it is stretched to each button's size, so it
// carries no caption and keeps its corners small relative to the face.
void pressedFace(QPainter &p, const QRectF &r, bool deepShadow)
{
    const QRectF body = r.adjusted(1.5, 2.5, -1.5, -2.5);
    const qreal rad = std::min<qreal>(8, body.height() * 0.24);
    QPainterPath shape;
    shape.addRoundedRect(body, rad, rad);
    p.fillPath(shape, vertical(body, kPressTop, kPressBottom));
    p.save();
    p.setClipPath(shape);
    QLinearGradient top(body.topLeft(), body.topLeft() + QPointF(0, body.height() * 0.4));
    top.setColorAt(0, QColor(8, 20, 60, deepShadow ? 120 : 80));
    top.setColorAt(1, QColor(8, 20, 60, 0));
    p.fillRect(body, top);
    if (deepShadow) {
        QPainterPath ring;
        ring.addRoundedRect(body.adjusted(1.5, 1.5, -1.5, -1.5), rad - 1, rad - 1);
        p.strokePath(ring, QPen(QColor(8, 20, 60, 55), 3));
    }
    p.restore();
    p.strokePath(shape, QPen(kPressEdge, 1));
}

// Pack button of the overview: a small battery and "BatN".
void packButton(QPainter &p, const QRectF &r, int pack)
{
    const QRectF body = r.adjusted(0.5, 0.5, -0.5, -1.5);
    const qreal rad = 5;
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(26, 58, 130, 30));
    p.drawRoundedRect(body.translated(0, 1), rad, rad);
    QPainterPath shape;
    shape.addRoundedRect(body, rad, rad);
    p.fillPath(shape, vertical(body, Qt::white, QColor(238, 244, 255)));
    p.strokePath(shape, QPen(kTheme, 1));

    const QString caption = g_zh ? QStringLiteral("%1号包").arg(pack) : QStringLiteral("Bat%1").arg(pack);
    const QFont font = forText(uiFont(13, QFont::Bold), caption);
    const qreal textW = QFontMetricsF(font).horizontalAdvance(caption);
    const qreal iconW = 19;
    const qreal gap = 6;
    const qreal x = std::round(body.center().x() - (iconW + gap + textW) / 2);
    const qreal cy = body.center().y();

    // Battery pictogram drawn on whole pixels, it is only 10 px high.
    const QRectF cell(x + 0.5, std::round(cy) - 4.5, 16, 9);
    p.setPen(QPen(kTheme, 1.2));
    p.setBrush(Qt::NoBrush);
    p.drawRoundedRect(cell, 2, 2);
    p.setPen(Qt::NoPen);
    p.setBrush(kTheme);
    p.drawRoundedRect(QRectF(cell.right() + 1, cy - 2, 1.8, 4), 0.6, 0.6);
    p.setBrush(kGreen);
    p.drawRoundedRect(QRectF(cell.left() + 2, cell.top() + 2, 9, cell.height() - 4), 1, 1);

    drawCaption(p, x + iconW + gap, cy, caption, font, kTheme);
}

// Toggle-switch indicator of the MOSFET state.
void mosSwitch(QPainter &p, const QRectF &r, bool on)
{
    const QRectF track = r.adjusted(1, 1, -1, -1);
    const qreal rad = track.height() / 2;
    QPainterPath shape;
    shape.addRoundedRect(track, rad, rad);
    if (on) {
        p.fillPath(shape, vertical(track, QColor(64, 206, 116), QColor(30, 164, 84)));
        p.strokePath(shape, QPen(QColor(26, 140, 72), 1));
    } else {
        p.fillPath(shape, vertical(track, QColor(206, 211, 220), QColor(188, 194, 205)));
        p.strokePath(shape, QPen(QColor(168, 175, 188), 1));
    }
    p.save();
    p.setClipPath(shape);
    QLinearGradient shade(track.topLeft(), track.topLeft() + QPointF(0, 6));
    shade.setColorAt(0, QColor(0, 0, 0, 40));
    shade.setColorAt(1, QColor(0, 0, 0, 0));
    p.fillRect(track, shade);
    p.restore();

    const qreal knobR = rad - 2.5;
    const QPointF knob(on ? track.right() - rad : track.left() + rad, track.center().y());
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0, 0, 0, 50));
    p.drawEllipse(knob + QPointF(0, 1), knobR + 0.5, knobR + 0.5);
    p.setBrush(vertical(QRectF(knob.x() - knobR, knob.y() - knobR, 2 * knobR, 2 * knobR),
                        Qt::white, QColor(234, 237, 242)));
    p.setPen(QPen(QColor(0, 0, 0, 28), 0.8));
    p.drawEllipse(knob, knobR, knobR);

    const QFont font = uiFont(int(std::round(track.height() * 0.42)), QFont::Bold);
    if (on) {
        const QRectF area(track.left() + 3, 0, knob.x() - knobR - track.left() - 3, 0);
        drawCaption(p, area.left(), track.center().y(), QStringLiteral("ON"), font, Qt::white,
                    Qt::AlignHCenter, area.width());
    } else {
        const qreal left = knob.x() + knobR;
        drawCaption(p, left, track.center().y(), QStringLiteral("OFF"), font, QColor(92, 100, 116),
                    Qt::AlignHCenter, track.right() - 3 - left);
    }
}

// Balance LED: dull grey when the cell is not balancing, glowing green when it is.
void balanceLed(QPainter &p, const QRectF &r, bool on)
{
    const QPointF c = r.center();
    const qreal lens = r.width() / 2 - 2.5;
    if (on) {
        QRadialGradient glow(c, r.width() / 2);
        glow.setColorAt(0.55, QColor(60, 220, 110, 120));
        glow.setColorAt(1, QColor(60, 220, 110, 0));
        p.setPen(Qt::NoPen);
        p.setBrush(glow);
        p.drawEllipse(c, r.width() / 2, r.width() / 2);
        QRadialGradient body(c - QPointF(lens * 0.35, lens * 0.4), lens * 1.4);
        body.setColorAt(0, QColor(200, 255, 210));
        body.setColorAt(0.35, QColor(70, 224, 112));
        body.setColorAt(1, QColor(24, 150, 64));
        p.setBrush(body);
        p.setPen(QPen(QColor(20, 128, 56), 1));
    } else {
        QRadialGradient body(c - QPointF(lens * 0.35, lens * 0.4), lens * 1.4);
        body.setColorAt(0, QColor(238, 240, 244));
        body.setColorAt(0.45, QColor(196, 201, 210));
        body.setColorAt(1, QColor(150, 157, 170));
        p.setBrush(body);
        p.setPen(QPen(QColor(136, 143, 156), 1));
    }
    p.drawEllipse(c, lens, lens);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(255, 255, 255, on ? 170 : 140));
    p.drawEllipse(QRectF(c.x() - lens * 0.55, c.y() - lens * 0.7, lens * 0.7, lens * 0.45));
}

// ---------------------------------------------------------------------------------------
// Pictures

// Stand-alone battery pack: theme body, terminals, charge level window.
void batteryPack(QPainter &p, const QRectF &r)
{
    const qreal s = r.width() / 120.0;
    p.save();
    p.translate(r.topLeft());
    p.scale(s, s);

    QRadialGradient floor(QPointF(60, 111), 44);
    floor.setColorAt(0, QColor(0, 0, 0, 55));
    floor.setColorAt(1, QColor(0, 0, 0, 0));
    p.setPen(Qt::NoPen);
    p.setBrush(floor);
    p.save();
    p.translate(60, 111);
    p.scale(1, 0.12);
    p.drawEllipse(QPointF(0, 0), 46, 46);
    p.restore();

    const QRectF plus(28, 12, 18, 12);
    const QRectF minus(74, 12, 18, 12);
    p.setBrush(vertical(plus, QColor(246, 110, 100), QColor(196, 52, 44)));
    p.drawRoundedRect(plus, 2.5, 2.5);
    p.setBrush(vertical(minus, QColor(96, 106, 122), QColor(44, 50, 62)));
    p.drawRoundedRect(minus, 2.5, 2.5);

    const QRectF body(12, 22, 96, 86);
    p.setBrush(vertical(body, kThemeLight, QColor(48, 88, 192)));
    p.setPen(QPen(kThemeEdge, 1.2));
    p.drawRoundedRect(body, 12, 12);

    const QRectF lid(12, 22, 96, 16);
    QPainterPath lidPath;
    lidPath.addRoundedRect(body, 12, 12);
    QPainterPath lidClip;
    lidClip.addRect(lid);
    p.fillPath(lidPath.intersected(lidClip), vertical(lid, QColor(150, 182, 246), QColor(110, 150, 238)));
    p.setPen(QPen(QColor(255, 255, 255, 90), 1));
    p.drawLine(QPointF(14, 38.5), QPointF(106, 38.5));

    p.setPen(QPen(Qt::white, 2.4, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(33, 30), QPointF(41, 30));
    p.drawLine(QPointF(37, 26), QPointF(37, 34));
    p.drawLine(QPointF(79, 30), QPointF(87, 30));

    const QRectF window(26, 48, 68, 48);
    p.setPen(QPen(QColor(40, 74, 170), 1));
    p.setBrush(QColor(250, 252, 255));
    p.drawRoundedRect(window, 7, 7);
    p.setPen(Qt::NoPen);
    for (int i = 0; i < 4; ++i) {
        const QRectF bar(33, 54 + i * 9.2, 40, 6.5);
        if (i == 0) {
            p.setBrush(QColor(220, 226, 236));
        } else {
            p.setBrush(vertical(bar, kGreenLight, kGreen));
        }
        p.drawRoundedRect(bar, 2.5, 2.5);
    }
    drawGlyph(p, Glyph::Bolt, QRectF(74, 58, 16, 28), kTheme);
    p.restore();
}

void rackCabinet(QPainter &p, const QRectF &r)
{
    const QRectF cab = r;
    p.setPen(QPen(QColor(34, 40, 52), 1));
    p.setBrush(vertical(cab, QColor(78, 88, 106), QColor(46, 53, 66)));
    p.drawRoundedRect(cab, 5, 5);

    // Status display strip at the top.
    const QRectF panel(cab.left() + 6, cab.top() + 5, cab.width() - 12, 9);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(24, 29, 38));
    p.drawRoundedRect(panel, 2, 2);
    p.setBrush(QColor(72, 222, 120));
    p.drawEllipse(QPointF(panel.left() + 5, panel.center().y()), 1.6, 1.6);
    p.setBrush(kThemeLight);
    p.drawRoundedRect(QRectF(panel.left() + 10, panel.center().y() - 1.2, 22, 2.4), 1, 1);

    const int rows = 8;
    const qreal top = panel.bottom() + 4;
    const qreal gap = 1.6;
    const qreal h = (cab.bottom() - 5 - top - gap * (rows - 1)) / rows;
    for (int i = 0; i < rows; ++i) {
        const QRectF m(cab.left() + 5, top + i * (h + gap), cab.width() - 10, h);
        p.setPen(QPen(QColor(150, 160, 178), 0.6));
        p.setBrush(vertical(m, QColor(246, 248, 252), QColor(208, 214, 226)));
        p.drawRoundedRect(m, 1.5, 1.5);
        p.setPen(Qt::NoPen);
        p.setBrush(kTheme);
        p.drawRect(QRectF(m.left() + 3, m.top() + 2, 3, m.height() - 4));
        p.setBrush(QColor(150, 160, 178));
        for (int v = 0; v < 4; ++v)
            p.drawRect(QRectF(m.left() + 10 + v * 4, m.top() + 2.2, 1.4, m.height() - 4.4));
        p.setBrush(i == 5 ? QColor(245, 166, 35) : QColor(44, 196, 96));
        p.drawEllipse(QPointF(m.right() - 5, m.center().y()), 1.7, 1.7);
        p.setBrush(QColor(220, 226, 236));
        p.drawRoundedRect(QRectF(m.right() - 25, m.center().y() - 1.4, 15, 2.8), 1, 1);
        p.setBrush(kGreen);
        p.drawRoundedRect(QRectF(m.right() - 25, m.center().y() - 1.4, 6 + (i * 5) % 9, 2.8), 1, 1);
    }
    p.setBrush(QColor(34, 40, 52));
    p.drawRoundedRect(QRectF(cab.left() + 4, cab.bottom(), 9, 3), 1, 1);
    p.drawRoundedRect(QRectF(cab.right() - 13, cab.bottom(), 9, 3), 1, 1);
}

void rackPicture(QPainter &p, const QRectF &r)
{
    QRadialGradient floor(QPointF(0, 0), 1);
    floor.setColorAt(0, QColor(0, 0, 0, 60));
    floor.setColorAt(1, QColor(0, 0, 0, 0));
    p.save();
    p.translate(r.center().x(), r.bottom() - 4);
    p.scale(84, 5);
    p.setPen(Qt::NoPen);
    p.setBrush(floor);
    p.drawEllipse(QPointF(0, 0), 1, 1);
    p.restore();

    // Two cabinets of eight packs, as the pack buttons are laid out beside it.
    rackCabinet(p, QRectF(r.center().x() - 76, r.top() + 4, 72, r.height() - 12));
    rackCabinet(p, QRectF(r.center().x() + 4, r.top() + 4, 72, r.height() - 12));
}

void alarmPicture(QPainter &p, const QRectF &r)
{
    const qreal s = r.width() / 60.0;
    p.save();
    p.translate(r.topLeft());
    p.scale(s, s);

    // Ringing strokes.
    p.setPen(QPen(QColor(245, 166, 35), 2.2, Qt::SolidLine, Qt::RoundCap));
    QPainterPath ring;
    const QRectF rr(8, 5, 44, 44);
    ring.arcMoveTo(rr, 150);
    ring.arcTo(rr, 150, 35);
    ring.arcMoveTo(rr, -5);
    ring.arcTo(rr, -5, 35);
    p.drawPath(ring);

    QPainterPath bell;
    bell.moveTo(30, 12);
    bell.cubicTo(21, 12, 17.5, 19.5, 17.5, 27);
    bell.lineTo(17.5, 34.5);
    bell.lineTo(13, 41);
    bell.lineTo(47, 41);
    bell.lineTo(42.5, 34.5);
    bell.lineTo(42.5, 27);
    bell.cubicTo(42.5, 19.5, 39, 12, 30, 12);
    bell.closeSubpath();
    QLinearGradient shade(QPointF(13, 0), QPointF(47, 0));
    shade.setColorAt(0, QColor(246, 164, 22));
    shade.setColorAt(0.4, QColor(255, 200, 90));
    shade.setColorAt(1, QColor(232, 140, 0));
    p.setPen(QPen(QColor(214, 124, 0), 1, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(shade);
    p.drawPath(bell);

    p.setPen(Qt::NoPen);
    p.setBrush(QColor(214, 124, 0));
    p.drawEllipse(QPointF(30, 10.5), 2.8, 2.8);
    p.drawRoundedRect(QRectF(11, 40, 38, 4.5), 2.2, 2.2);
    p.setBrush(QColor(196, 110, 0));
    p.drawEllipse(QPointF(30, 48.5), 4.5, 4.5);

    p.setPen(QPen(Qt::white, 1.6));
    p.setBrush(QColor(229, 72, 77));
    p.drawEllipse(QPointF(45.5, 14.5), 8.5, 8.5);
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::white);
    p.drawRoundedRect(QRectF(44.3, 9.5, 2.4, 6.8), 1.2, 1.2);
    p.drawEllipse(QPointF(45.5, 19.2), 1.4, 1.4);
    p.restore();
}

void balancePicture(QPainter &p, const QRectF &r)
{
    const qreal s = r.width() / 60.0;
    p.save();
    p.translate(r.topLeft());
    p.scale(s, s);

    p.setPen(Qt::NoPen);
    p.setBrush(kTint);
    p.drawEllipse(QPointF(30, 30), 29, 29);

    p.setBrush(vertical(QRectF(18, 47, 24, 5), kThemeLight, kThemeDark));
    p.drawRoundedRect(QRectF(18, 47, 24, 5), 2.5, 2.5);
    p.setBrush(kTheme);
    p.drawRoundedRect(QRectF(28.4, 15, 3.2, 33), 1.2, 1.2);
    p.drawEllipse(QPointF(30, 13.2), 3.4, 3.4);

    p.setPen(QPen(kTheme, 3, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(10.5, 19), QPointF(49.5, 19));

    p.setPen(QPen(kThemeEdge, 1.2, Qt::SolidLine, Qt::RoundCap));
    for (qreal hang : {12.0, 48.0}) {
        p.drawLine(QPointF(hang, 19), QPointF(hang - 6.5, 35));
        p.drawLine(QPointF(hang, 19), QPointF(hang + 6.5, 35));
    }
    for (qreal hang : {12.0, 48.0}) {
        const QRectF bowl(hang - 8.5, 29.5, 17, 11);
        QPainterPath pan;
        pan.moveTo(bowl.left(), bowl.center().y());
        pan.arcTo(bowl, 180, 180);
        pan.closeSubpath();
        p.setPen(QPen(kThemeEdge, 1));
        p.setBrush(vertical(bowl, kThemeLight, kThemeDark));
        p.drawPath(pan);
    }
    p.restore();
}

void infoPicture(QPainter &p, const QRectF &r)
{
    const QPointF c = r.center();
    const qreal rad = r.width() / 2 - 3;
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(20, 50, 120, 40));
    p.drawEllipse(c + QPointF(0, 1.5), rad, rad);
    QLinearGradient g(QPointF(c.x(), c.y() - rad), QPointF(c.x(), c.y() + rad));
    g.setColorAt(0, kThemeLight);
    g.setColorAt(1, QColor(50, 92, 198));
    p.setBrush(g);
    p.setPen(QPen(kThemeEdge, 1));
    p.drawEllipse(c, rad, rad);
    p.setPen(QPen(QColor(255, 255, 255, 70), 1.2));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(c, rad - 2, rad - 2);

    const qreal u = rad / 27;
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::white);
    p.drawEllipse(QPointF(c.x(), c.y() - 12 * u), 3.8 * u, 3.8 * u);
    p.drawRoundedRect(QRectF(c.x() - 3.3 * u, c.y() - 5.5 * u, 6.6 * u, 20 * u), 3.3 * u, 3.3 * u);
}

void detailsIcon(QPainter &p, const QRectF &r)
{
    const QRectF body = r.adjusted(1.5, 1.5, -1.5, -2.5);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(20, 50, 120, 40));
    p.drawRoundedRect(body.translated(0, 1.5), 8, 8);
    QPainterPath shape;
    shape.addRoundedRect(body, 8, 8);
    p.fillPath(shape, vertical(body, kThemeLight, kThemeDark));
    p.strokePath(shape, QPen(kThemeEdge, 1));
    drawGlyph(p, Glyph::ChartTable, body.adjusted(7, 7, -7, -7), Qt::white, 2.2);
}

// Nine-slice frame used with 19 px borders: everything that bends stays inside the
// 19 px corners, so the straight edges can be stretched without distortion.
void frameBorder(QPainter &p, const QRectF &r)
{
    const QRectF body = r.adjusted(3, 3, -3, -3);
    const qreal rad = 9;
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(30, 60, 130, 14));
    p.drawRoundedRect(body.adjusted(-2, -1, 2, 3), rad + 2, rad + 2);
    p.setBrush(QColor(30, 60, 130, 22));
    p.drawRoundedRect(body.adjusted(-1, 0, 1, 1.5), rad + 1, rad + 1);
    p.setBrush(Qt::white);
    p.setPen(QPen(kTheme, 2));
    p.drawRoundedRect(body, rad, rad);
}

void scrollArrow(QPainter &p, const QRectF &r, bool up)
{
    const QPointF c = r.center();
    p.setPen(QPen(QColor(138, 143, 152), 1.7, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(Qt::NoBrush);
    const qreal dy = up ? -1.5 : 1.5;
    p.drawPolyline(Pts{{c.x() - 3, c.y() - dy}, {c.x(), c.y() + dy}, {c.x() + 3, c.y() - dy}});
}

// The hexagonal cell of the logo and the icon: pointing up, corners rounded by a
// stroke of the given width around it.
QPainterPath cellShape(QPointF c, qreal R, qreal rounding)
{
    QPainterPath hex;
    for (int i = 0; i < 6; ++i) {
        const qreal a = (60 * i - 90) * kPi / 180;
        const QPointF pt(c.x() + R * std::cos(a), c.y() + R * std::sin(a));
        if (i == 0)
            hex.moveTo(pt);
        else
            hex.lineTo(pt);
    }
    hex.closeSubpath();
    QPainterPathStroker rounder;
    rounder.setWidth(rounding);
    rounder.setJoinStyle(Qt::RoundJoin);
    return hex.united(rounder.createStroke(hex)).simplified();
}

void logo(QPainter &p, const QRectF &r)
{
    // Cell glyph: a hexagonal cell holding a charged battery.
    const QPointF c(r.left() + 38, r.center().y());
    const qreal R = 31;
    const QPainterPath cell = cellShape(c, R, 8);

    p.setPen(Qt::NoPen);
    p.setBrush(QColor(20, 50, 120, 40));
    p.drawPath(cell.translated(0, 2));
    QLinearGradient g(QPointF(c.x() - R, c.y() - R), QPointF(c.x() + R, c.y() + R));
    g.setColorAt(0, QColor(112, 156, 244));
    g.setColorAt(1, QColor(44, 84, 188));
    p.setBrush(g);
    p.drawPath(cell);

    const QRectF bat(c.x() - 9, c.y() - 14, 18, 30);
    p.setPen(QPen(Qt::white, 2.6));
    p.setBrush(Qt::NoBrush);
    p.drawRoundedRect(bat, 3.5, 3.5);
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::white);
    p.drawRoundedRect(QRectF(c.x() - 4, bat.top() - 4.5, 8, 3.5), 1.2, 1.2);
    for (int i = 0; i < 3; ++i) {
        p.setBrush(i == 0 ? QColor(255, 255, 255, 110) : QColor(Qt::white));
        p.drawRoundedRect(QRectF(bat.left() + 4, bat.top() + 4.5 + i * 7.6, 10, 5.4), 1.2, 1.2);
    }

    const qreal textX = c.x() + R + 10;
    const qreal room = r.right() - 4 - textX;
    const QFont word = fitted(uiFont(34, QFont::Bold), QStringLiteral("Korvello"), room);
    drawCaption(p, textX, c.y() - 6, QStringLiteral("Korvello"), word, kInk);

    QFont tag = uiFont(10, QFont::DemiBold);
    tag.setLetterSpacing(QFont::AbsoluteSpacing, 1.6);
    tag = fitted(tag, QStringLiteral("CELLVUE  BMS SERVICE"), room);
    drawCaption(p, textX + 1, c.y() + 20, QStringLiteral("CELLVUE  BMS SERVICE"), tag, kTheme);
}

// The program's icon in the desktop menu: the logo's cell, filling the square. Below
// 32 pixels the charge shows as two bars and the outlines thicken, so it still reads as
// a battery at menu and panel sizes.
void appIcon(QPainter &p, const QRectF &r)
{
    const qreal s = r.width() / 256.0;
    const bool small = r.width() < 32;
    p.save();
    p.translate(r.topLeft());
    p.scale(s, s);

    const QPointF c(128, small ? 128 : 126);
    const qreal R = small ? 112 : 106;
    const QPainterPath cell = cellShape(c, R, small ? 14 : 28);

    p.setPen(Qt::NoPen);
    if (!small) {
        p.setBrush(QColor(20, 50, 120, 60));
        p.drawPath(cell.translated(0, 6));
    }
    QLinearGradient g(QPointF(c.x() - R, c.y() - R), QPointF(c.x() + R, c.y() + R));
    g.setColorAt(0, QColor(112, 156, 244));
    g.setColorAt(1, QColor(44, 84, 188));
    p.setBrush(g);
    p.drawPath(cell);
    if (!small) {
        // A light rim, fading downwards, lifts the cell off dark panels.
        QLinearGradient rim(QPointF(0, c.y() - R), QPointF(0, c.y() + R * 0.3));
        rim.setColorAt(0, QColor(255, 255, 255, 110));
        rim.setColorAt(1, QColor(255, 255, 255, 0));
        p.strokePath(cell, QPen(QBrush(rim), 4));
    }

    const qreal line = small ? 22 : 13;
    const QRectF bat(c.x() - 38, c.y() - 52, 76, 118);
    p.setPen(QPen(Qt::white, line, Qt::SolidLine, Qt::SquareCap, Qt::RoundJoin));
    p.setBrush(Qt::NoBrush);
    p.drawRoundedRect(bat, 14, 14);
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::white);
    p.drawRoundedRect(QRectF(c.x() - 18, bat.top() - line / 2 - 15, 36, 17), 5, 5);

    const int bars = small ? 2 : 3;
    const qreal inset = line / 2 + (small ? 10 : 9);
    const QRectF room = bat.adjusted(inset, inset, -inset, -inset);
    const qreal gap = small ? 12 : 8;
    const qreal h = (room.height() - gap * (bars - 1)) / bars;
    for (int i = 0; i < bars; ++i) {
        p.setBrush(i == 0 && !small ? QColor(255, 255, 255, 110) : QColor(Qt::white));
        p.drawRoundedRect(QRectF(room.left(), room.top() + i * (h + gap), room.width(), h), 4, 4);
    }
    p.restore();
}

// ----- update instructions ------------------------------------------------------------

void laptop(QPainter &p, const QRectF &r)
{
    const QRectF screen(r.left() + 8, r.top(), r.width() - 16, r.height() * 0.68);
    p.setPen(QPen(QColor(52, 60, 76), 2.5));
    p.setBrush(QColor(236, 242, 252));
    p.drawRoundedRect(screen, 4, 4);
    p.setPen(Qt::NoPen);
    p.setBrush(kTheme);
    p.drawRoundedRect(QRectF(screen.left() + 6, screen.top() + 6, screen.width() * 0.45, 4), 2, 2);
    p.setBrush(QColor(196, 208, 230));
    for (int i = 0; i < 3; ++i)
        p.drawRoundedRect(QRectF(screen.left() + 6, screen.top() + 14 + i * 7, screen.width() * (0.75 - i * 0.15), 3), 1.5, 1.5);
    QPainterPath base;
    base.moveTo(r.left() + 2, screen.bottom() + 4);
    base.lineTo(r.right() - 2, screen.bottom() + 4);
    base.lineTo(r.right() - 6, screen.bottom() + 10);
    base.lineTo(r.left() + 6, screen.bottom() + 10);
    base.closeSubpath();
    p.setBrush(vertical(base.boundingRect(), QColor(110, 120, 138), QColor(62, 70, 86)));
    p.drawPath(base);
}

void waves(QPainter &p, QPointF origin, const QColor &c)
{
    p.setBrush(Qt::NoBrush);
    for (int i = 0; i < 3; ++i) {
        const qreal rad = 9 + i * 8;
        p.setPen(QPen(alpha(c, 255 - i * 60), 3, Qt::SolidLine, Qt::RoundCap));
        QPainterPath arc;
        const QRectF box(origin.x() - rad, origin.y() - rad, 2 * rad, 2 * rad);
        arc.arcMoveTo(box, -38);
        arc.arcTo(box, -38, 76);
        p.drawPath(arc);
    }
    p.setPen(Qt::NoPen);
    p.setBrush(c);
    p.drawEllipse(origin, 3.5, 3.5);
}

void binFile(QPainter &p, const QRectF &r)
{
    const qreal fold = 16;
    QPainterPath doc;
    doc.moveTo(r.left() + 5, r.top());
    doc.lineTo(r.right() - fold, r.top());
    doc.lineTo(r.right(), r.top() + fold);
    doc.lineTo(r.right(), r.bottom() - 5);
    doc.quadTo(r.right(), r.bottom(), r.right() - 5, r.bottom());
    doc.lineTo(r.left() + 5, r.bottom());
    doc.quadTo(r.left(), r.bottom(), r.left(), r.bottom() - 5);
    doc.lineTo(r.left(), r.top() + 5);
    doc.quadTo(r.left(), r.top(), r.left() + 5, r.top());
    p.setPen(QPen(QColor(160, 176, 204), 1.5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(Qt::white);
    p.drawPath(doc);
    QPainterPath corner;
    corner.moveTo(r.right() - fold, r.top());
    corner.lineTo(r.right() - fold, r.top() + fold - 4);
    corner.quadTo(r.right() - fold, r.top() + fold, r.right() - fold + 4, r.top() + fold);
    corner.lineTo(r.right(), r.top() + fold);
    p.setBrush(QColor(222, 231, 248));
    p.drawPath(corner);

    p.setPen(Qt::NoPen);
    p.setBrush(QColor(210, 220, 238));
    for (int i = 0; i < 3; ++i)
        p.drawRoundedRect(QRectF(r.left() + 9, r.top() + 14 + i * 7, r.width() * (0.45 - i * 0.08), 3), 1.5, 1.5);
    const QRectF label(r.left() - 8, r.bottom() - 30, r.width() - 2, 20);
    p.setBrush(vertical(label, kThemeLight, kThemeDark));
    p.drawRoundedRect(label, 4, 4);
    drawCaption(p, label.left(), label.center().y(), QStringLiteral(".bin"), uiFont(14, QFont::Bold),
                Qt::white, Qt::AlignHCenter, label.width());
}

void cursorArrow(QPainter &p, QPointF tip)
{
    QPainterPath a;
    a.moveTo(tip);
    a.lineTo(tip + QPointF(0, 20));
    a.lineTo(tip + QPointF(5, 15.5));
    a.lineTo(tip + QPointF(8.5, 23));
    a.lineTo(tip + QPointF(11.5, 21.6));
    a.lineTo(tip + QPointF(8, 14.4));
    a.lineTo(tip + QPointF(14.5, 14));
    a.closeSubpath();
    p.setPen(QPen(Qt::white, 1.5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(kInk);
    p.drawPath(a);
}

void folder(QPainter &p, const QRectF &r)
{
    QPainterPath f;
    f.moveTo(r.left(), r.top() + 6);
    f.quadTo(r.left(), r.top(), r.left() + 6, r.top());
    f.lineTo(r.left() + r.width() * 0.38, r.top());
    f.lineTo(r.left() + r.width() * 0.48, r.top() + 8);
    f.lineTo(r.right() - 6, r.top() + 8);
    f.quadTo(r.right(), r.top() + 8, r.right(), r.top() + 14);
    f.lineTo(r.right(), r.bottom() - 6);
    f.quadTo(r.right(), r.bottom(), r.right() - 6, r.bottom());
    f.lineTo(r.left() + 6, r.bottom());
    f.quadTo(r.left(), r.bottom(), r.left(), r.bottom() - 6);
    f.closeSubpath();
    p.setPen(Qt::NoPen);
    p.setBrush(vertical(r, QColor(255, 206, 110), QColor(240, 164, 40)));
    p.drawPath(f);
    p.setBrush(QColor(255, 255, 255, 60));
    p.drawRoundedRect(QRectF(r.left() + 3, r.top() + 12, r.width() - 6, 3), 1.5, 1.5);
}

void rebootBadge(QPainter &p, QPointF c)
{
    p.setPen(Qt::NoPen);
    p.setBrush(kTint);
    p.drawEllipse(c, 40, 40);
    p.setPen(QPen(kTheme, 4.5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(Qt::NoBrush);
    arcWithArrow(p, c, 30, 100, 150, 8);
    arcWithArrow(p, c, 30, 280, 150, 8);
    drawGlyph(p, Glyph::Power, QRectF(c.x() - 15, c.y() - 15, 30, 30), kTheme, 2.6);

    const QPointF ok(c.x() + 30, c.y() + 28);
    p.setPen(QPen(Qt::white, 2.5));
    p.setBrush(kGreen);
    p.drawEllipse(ok, 12, 12);
    drawGlyph(p, Glyph::Check, QRectF(ok.x() - 8, ok.y() - 8, 16, 16), Qt::white, 3.2);
}

void progressBar(QPainter &p, const QRectF &r, qreal fraction)
{
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(220, 228, 242));
    p.drawRoundedRect(r, r.height() / 2, r.height() / 2);
    const QRectF done(r.left(), r.top(), r.width() * fraction, r.height());
    p.setBrush(vertical(done, kThemeLight, kThemeDark));
    p.drawRoundedRect(done, r.height() / 2, r.height() / 2);
}

void updateGuide(QPainter &p, const QRectF &r)
{
    drawCaption(p, 32, 34, QStringLiteral("Updating the BMS firmware"), uiFont(22, QFont::Bold), kInk);
    p.setPen(Qt::NoPen);
    p.setBrush(kTheme);
    p.drawRoundedRect(QRectF(32, 52, 44, 4), 2, 2);

    struct Step {
        QString title;
        QString text;
    };
    const Step steps[3] = {
        {QStringLiteral("Wake the packs"),
         QStringLiteral("Press Wake. The file dialog opens as soon as the BMS reports that "
                        "it is ready.")},
        {QStringLiteral("Choose the .bin file"),
         QStringLiteral("Pick the firmware file. It is sent over the serial port while the "
                        "progress bar fills.")},
        {QStringLiteral("Wait for the reboot"),
         QStringLiteral("Keep the cable connected. The packs restart and a message tells "
                        "whether the update succeeded.")},
    };

    const qreal cardW = 256;
    const qreal gap = (r.width() - 64 - 3 * cardW) / 2;
    const qreal top = 74;
    const qreal cardH = r.height() - top - 18;
    for (int i = 0; i < 3; ++i) {
        const QRectF card(32 + i * (cardW + gap), top, cardW, cardH);
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(30, 60, 130, 16));
        p.drawRoundedRect(card.translated(0, 3), 14, 14);
        p.setBrush(QColor(247, 250, 255));
        p.setPen(QPen(QColor(212, 224, 248), 1.2));
        p.drawRoundedRect(card, 14, 14);

        const QPointF num(card.left() + 34, card.top() + 32);
        p.setPen(Qt::NoPen);
        p.setBrush(vertical(QRectF(num.x() - 15, num.y() - 15, 30, 30), kThemeLight, kThemeDark));
        p.drawEllipse(num, 15, 15);
        drawCaption(p, num.x() - 15, num.y(), QString::number(i + 1), uiFont(17, QFont::Bold),
                    Qt::white, Qt::AlignHCenter, 30);
        drawCaption(p, num.x() + 26, num.y(), steps[i].title,
                    fitted(uiFont(18, QFont::Bold), steps[i].title, card.right() - num.x() - 40), kInk);

        const QRectF art(card.left() + 18, card.top() + 60, card.width() - 36, 96);
        switch (i) {
        case 0:
            laptop(p, QRectF(art.left() + 6, art.top() + 22, 84, 58));
            waves(p, QPointF(art.center().x() - 12, art.center().y() + 2), kTheme);
            batteryPack(p, QRectF(art.right() - 86, art.top() - 2, 86, 86));
            break;
        case 1:
            folder(p, QRectF(art.left() + 20, art.top() + 26, 82, 62));
            binFile(p, QRectF(art.center().x() + 4, art.top() + 4, 60, 78));
            cursorArrow(p, QPointF(art.center().x() + 56, art.top() + 58));
            break;
        case 2:
            rebootBadge(p, QPointF(art.left() + 62, art.center().y()));
            progressBar(p, QRectF(art.left() + 124, art.center().y() - 22, 88, 10), 1.0);
            progressBar(p, QRectF(art.left() + 124, art.center().y() - 3, 88, 10), 0.7);
            progressBar(p, QRectF(art.left() + 124, art.center().y() + 16, 88, 10), 0.35);
            break;
        }

        const QString text = shown(steps[i].text);
        p.setFont(forText(uiFont(14), text));
        p.setPen(kMuted);
        p.drawText(QRectF(card.left() + 20, art.bottom() + 10, card.width() - 40, card.bottom() - art.bottom() - 14),
                   Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap, text);

        if (i < 2) {
            const QPointF a(card.right() + gap / 2, card.top() + 60 + 48);
            p.setPen(QPen(alpha(kTheme, 200), 3, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
            p.setBrush(Qt::NoBrush);
            p.drawPolyline(Pts{{a.x() - 5, a.y() - 10}, {a.x() + 5, a.y()}, {a.x() - 5, a.y() + 10}});
        }
    }
}

// ---------------------------------------------------------------------------------------
// The catalogue

struct Picture {
    QString file;       // path below the output directory
    QString prefix;     // resource prefix
    QString alias;      // name inside the prefix when it differs from the file's
    QSize size;
    bool opaque;        // drawn on white (JPEG pictures have no alpha)
    std::function<void(QPainter &, const QRectF &)> draw;
    QString lang;         // locale the resource file offers this picture for, empty for all
    bool compiled = true; // listed in the resource file (the menu icons are not)
};

std::vector<Picture> catalogue()
{
    const QString icons = QStringLiteral("/icon/res");
    std::vector<Picture> list;
    auto add = [&](const QString &file, QSize size, std::function<void(QPainter &, const QRectF &)> draw,
                   bool opaque = false) {
        list.push_back({file, icons, QString(), size, opaque, std::move(draw)});
    };

    struct Page {
        const char *normal;
        const char *pressed;
        Glyph glyph;
        const char *caption;
    };
    const Page pages[] = {
        {"SendData.png", "SendDataPress.png", Glyph::Console, "Console"},
        {"normal.png", "normalpress.png", Glyph::Overview, "Overview"},
        {"rtdata.png", "realdatapress.png", Glyph::RealTime, "Real Time"},
        {"alarmpro.png", "alarmpropress.png", Glyph::Protection, "Protection"},
        {"History.png", "HistoryPress.png", Glyph::History, "History"},
        {"updatepan.png", "updatepanpress.png", Glyph::Update, "Update"},
    };
    const QSize pageSize(230, 64);
    for (const Page &pg : pages) {
        const Glyph glyph = pg.glyph;
        const QString caption = QString::fromLatin1(pg.caption);
        add(QString::fromLatin1(pg.normal), pageSize,
            [=](QPainter &p, const QRectF &r) { pageButton(p, r, glyph, caption, false); });
        add(QString::fromLatin1(pg.pressed), pageSize,
            [=](QPainter &p, const QRectF &r) { pageButton(p, r, glyph, caption, true); });
    }

    for (int pack = 1; pack <= 16; ++pack)
        add(QStringLiteral("Bat%1.png").arg(pack), QSize(95, 26),
            [=](QPainter &p, const QRectF &r) { packButton(p, r, pack); });
    add(QStringLiteral("pressed.png"), QSize(120, 34),
        [](QPainter &p, const QRectF &r) { pressedFace(p, r, false); });
    add(QStringLiteral("PressShawdow.png"), QSize(140, 44),
        [](QPainter &p, const QRectF &r) { pressedFace(p, r, true); });

    add(QStringLiteral("mosoff.png"), QSize(60, 30), [](QPainter &p, const QRectF &r) { mosSwitch(p, r, false); });
    add(QStringLiteral("moson.png"), QSize(60, 30), [](QPainter &p, const QRectF &r) { mosSwitch(p, r, true); });
    add(QStringLiteral("balanceledoff.png"), QSize(20, 20), [](QPainter &p, const QRectF &r) { balanceLed(p, r, false); });
    add(QStringLiteral("balanceledon.png"), QSize(20, 20), [](QPainter &p, const QRectF &r) { balanceLed(p, r, true); });

    add(QStringLiteral("group.jpg"), QSize(180, 110), rackPicture, true);
    add(QStringLiteral("alarm.jpg"), QSize(60, 60), alarmPicture, true);
    add(QStringLiteral("balance.png"), QSize(60, 60), balancePicture);
    add(QStringLiteral("BatTwo.png"), QSize(120, 120), batteryPack);
    add(QStringLiteral("info.png"), QSize(60, 60), infoPicture);
    add(QStringLiteral("details.png"), QSize(40, 40), detailsIcon);
    add(QStringLiteral("groupboxborder.png"), QSize(80, 80), frameBorder);

    struct Action {
        const char *file;
        int w, h;
        Glyph glyph;
        const char *caption;
        ActionStyle::Status status;
    };
    const Action actions[] = {
        {"Add.png", 130, 36, Glyph::Barcode, "+ Barcode", ActionStyle::None},
        {"Confirm.png", 120, 36, Glyph::Check, "Confirm", ActionStyle::None},
        {"cfeton.png", 140, 44, Glyph::Power, "CFET ON", ActionStyle::On},
        {"cfetoff.png", 140, 44, Glyph::Power, "CFET OFF", ActionStyle::Off},
        {"dfeton.png", 140, 44, Glyph::Power, "DFET ON", ActionStyle::On},
        {"dfetoff.png", 140, 44, Glyph::Power, "DFET OFF", ActionStyle::Off},
        {"selftest.png", 140, 44, Glyph::SelfTest, "Self Test", ActionStyle::None},
        {"update.png", 140, 44, Glyph::Upload, "Update", ActionStyle::None},
        {"rtdataon.png", 150, 44, Glyph::Play, "RTData ON", ActionStyle::None},
        {"rtdataoff.png", 150, 44, Glyph::Stop, "RTData OFF", ActionStyle::None},
        {"download.png", 150, 44, Glyph::Download, "Download", ActionStyle::None},
        {"cleanallen.png", 150, 44, Glyph::Clear, "Clear All", ActionStyle::None},
        {"UpdateBtn.png", 200, 60, Glyph::Upload, "Upgrade", ActionStyle::None},
        {"wake.png", 200, 60, Glyph::Wake, "Wake", ActionStyle::None},
        {"uboot.png", 200, 60, Glyph::Chip, "Uboot", ActionStyle::None},
    };
    for (const Action &a : actions) {
        const Glyph glyph = a.glyph;
        const QString caption = QString::fromLatin1(a.caption);
        ActionStyle style;
        style.status = a.status;
        add(QString::fromLatin1(a.file), QSize(a.w, a.h),
            [=](QPainter &p, const QRectF &r) { actionButton(p, r, glyph, caption, style); });
    }

    add(QStringLiteral("UpdateMess.jpg"), QSize(900, 320), updateGuide, true);
    add(QStringLiteral("logo.png"), QSize(220, 80), logo);

    // The desktop's icon theme takes these sizes; the program's own window uses the
    // 128-pixel one from the resources.
    for (int n : {16, 22, 24, 32, 48, 64, 128, 256, 512}) {
        Picture pic{QStringLiteral("hicolor/%1x%1/apps/cellvue.png").arg(n), icons, QString(), QSize(n, n),
                    false, appIcon};
        pic.compiled = n == 128;
        if (pic.compiled)
            pic.alias = QStringLiteral("cellvue.png");
        list.push_back(pic);
    }

    const QString checkout = QStringLiteral("/images/resource/images/checkout");
    list.push_back({QStringLiteral("checkout/up.png"), checkout, QStringLiteral("up.png"), QSize(11, 11), false,
                    [](QPainter &p, const QRectF &r) { scrollArrow(p, r, true); }});
    list.push_back({QStringLiteral("checkout/down.png"), checkout, QStringLiteral("down.png"), QSize(11, 11), false,
                    [](QPainter &p, const QRectF &r) { scrollArrow(p, r, false); }});
    return list;
}

QImage render(const Picture &pic)
{
    QImage img(pic.size, QImage::Format_ARGB32_Premultiplied);
    img.fill(pic.opaque ? QColor(Qt::white) : QColor(Qt::transparent));
    QPainter p(&img);
    p.setRenderHints(QPainter::Antialiasing | QPainter::TextAntialiasing | QPainter::SmoothPixmapTransform);
    pic.draw(p, QRectF(QPointF(0, 0), QSizeF(pic.size)));
    p.end();
    return pic.opaque ? img.convertToFormat(QImage::Format_RGB32) : img.convertToFormat(QImage::Format_ARGB32);
}

bool writeImage(const QImage &img, const QString &path)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    const bool jpeg = path.endsWith(QLatin1String(".jpg"));
    QImageWriter writer(&file, jpeg ? "jpg" : "png");
    writer.setQuality(jpeg ? 94 : -1);
    if (jpeg)
        writer.setOptimizedWrite(true);
    if (!writer.write(img)) {
        std::fprintf(stderr, "cellvue-imagegen: %s: %s\n", qPrintable(path), qPrintable(writer.errorString()));
        file.cancelWriting();
        return false;
    }
    return file.commit();
}

bool writeQrc(const std::vector<Picture> &list, const QString &path)
{
    // One <qresource> per prefix and locale, the locale-free ones first.
    QList<QPair<QString, QString>> groups;
    for (const Picture &pic : list)
        if (pic.compiled && !groups.contains({pic.lang, pic.prefix}))
            groups << qMakePair(pic.lang, pic.prefix);
    std::stable_sort(groups.begin(), groups.end(),
                     [](const QPair<QString, QString> &a, const QPair<QString, QString> &b) { return a.first < b.first; });

    QString text;
    QTextStream out(&text);
    out << "<!DOCTYPE RCC>\n"
           "<!-- Written by tools/imagegen: change the drawing there and run scripts/make-images.sh. -->\n"
           "<RCC version=\"1.0\">\n";
    for (const auto &group : groups) {
        std::vector<const Picture *> entries;
        for (const Picture &pic : list)
            if (pic.compiled && pic.lang == group.first && pic.prefix == group.second)
                entries.push_back(&pic);
        std::sort(entries.begin(), entries.end(),
                  [](const Picture *a, const Picture *b) { return a->file < b->file; });
        out << "<qresource prefix=\"" << group.second << "\"";
        if (!group.first.isEmpty())
            out << " lang=\"" << group.first << "\"";
        out << ">\n";
        for (const Picture *pic : entries) {
            if (pic->alias.isEmpty())
                out << "    <file>" << pic->file << "</file>\n";
            else
                out << "    <file alias=\"" << pic->alias << "\">" << pic->file << "</file>\n";
        }
        out << "</qresource>\n";
    }
    out << "</RCC>\n";
    out.flush();

    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    file.write(text.toUtf8());
    return file.commit();
}

} // namespace

int main(int argc, char *argv[])
{
    // Drawing needs no display; the offscreen platform also keeps the output the same
    // wherever the tool runs.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);

    const QStringList args = QCoreApplication::arguments();
    if (args.size() != 2) {
        std::fprintf(stderr, "usage: cellvue-imagegen OUTPUT_DIR\n");
        return 2;
    }

    const QStringList families = QFontDatabase().families();
    for (const char *want : {"Liberation Sans", "Arial"}) {
        if (families.contains(QLatin1String(want))) {
            g_family = QLatin1String(want);
            break;
        }
    }
    if (g_family.isEmpty()) {
        // Another fallback font would change every caption's metrics; refuse instead of
        // quietly writing images that differ from the committed ones.
        std::fprintf(stderr, "cellvue-imagegen: neither \"Liberation Sans\" nor \"Arial\" is installed "
                             "(Debian: fonts-liberation)\n");
        return 1;
    }

    for (const char *want : {"WenQuanYi Micro Hei", "Noto Sans CJK SC"}) {
        if (families.contains(QLatin1String(want))) {
            g_cjkFamily = QLatin1String(want);
            break;
        }
    }
    if (g_cjkFamily.isEmpty()) {
        std::fprintf(stderr, "cellvue-imagegen: no font for the Chinese pictures: install \"WenQuanYi Micro Hei\" "
                             "(Debian: fonts-wqy-microhei)\n");
        return 1;
    }

    const QDir out(args.at(1));
    std::vector<Picture> list = catalogue();
    const std::size_t drawn = list.size();
    for (std::size_t i = 0; i < drawn; ++i) {
        // Copied: push_back below may move the list.
        const Picture pic = list[i];
        g_zh = false;
        const QImage english = render(pic);
        g_zh = true;
        const QImage chinese = render(pic);
        std::vector<Picture> variants{pic};
        if (chinese != english) {
            Picture zh = pic;
            zh.file = QStringLiteral("zh_CN/") + pic.file;
            zh.alias = pic.alias.isEmpty() ? pic.file : pic.alias;
            zh.lang = QStringLiteral("zh_CN");
            list.push_back(zh);
            variants.push_back(zh);
        }
        for (const Picture &v : variants) {
            const QString path = out.filePath(v.file);
            if (!out.mkpath(QFileInfo(v.file).path()) || !writeImage(v.lang.isEmpty() ? english : chinese, path)) {
                std::fprintf(stderr, "cellvue-imagegen: cannot write %s\n", qPrintable(path));
                return 1;
            }
            std::printf("%-34s %4d x %-4d %7lld bytes\n", qPrintable(v.file), v.size.width(), v.size.height(),
                        static_cast<long long>(QFileInfo(path).size()));
        }
    }
    if (!g_untranslated.isEmpty()) {
        std::fprintf(stderr, "cellvue-imagegen: captions without a Chinese form (add them to zhCaptions()):\n");
        for (const QString &t : g_untranslated)
            std::fprintf(stderr, "    \"%s\"\n", qPrintable(t));
        return 1;
    }
    const QString qrc = out.filePath(QStringLiteral("cellvue.qrc"));
    if (!writeQrc(list, qrc)) {
        std::fprintf(stderr, "cellvue-imagegen: cannot write %s\n", qPrintable(qrc));
        return 1;
    }
    std::printf("%zu images and %s written with fonts \"%s\" and \"%s\"\n", list.size(), qPrintable(qrc),
                qPrintable(g_family), qPrintable(g_cjkFamily));
    return 0;
}
