#include "battery.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QTimer>

#include <cmath>

Battery::Battery(QWidget* parent)
    : QWidget(parent)
{
    animTimer = new QTimer(this);
    animTimer->setInterval(50);
    connect(animTimer, &QTimer::timeout, this, &Battery::updateValue);
}

Battery::~Battery()
{
    if (animTimer->isActive())
        animTimer->stop();
}

QSize Battery::sizeHint() const
{
    return QSize(150, 80);
}

QSize Battery::minimumSizeHint() const
{
    return QSize(30, 10);
}

void Battery::setRange(double min, double max)
{
    // NaN bounds would make every later comparison false and pin the gauge forever.
    if (std::isnan(min) || std::isnan(max) || min >= max)
        return;
    minValue = min;
    maxValue = max;
    if (minValue > value)
        setValue(minValue);
    else if (value > maxValue)
        setValue(maxValue);
    update();
}

void Battery::setRange(int min, int max)
{
    setRange(double(min), double(max));
}

void Battery::setMinValue(double min)
{
    setRange(min, maxValue);
}

void Battery::setMaxValue(double max)
{
    setRange(minValue, max);
}

void Battery::setValue(double v)
{
    if (v == value)
        return;
    // A NaN would never compare equal to the target, so the animation could not end.
    if (std::isnan(v))
        return;
    v = qBound(minValue, v, maxValue);
    if (v > shownValue) {
        decreasing = false;
    } else if (v < shownValue) {
        decreasing = true;
    } else {
        value = v;
        update();
        return;
    }
    value = v;
    update();
    emit valueChanged(v);
    animTimer->stop();
    animTimer->start();
}

void Battery::setValue(int v)
{
    setValue(double(v));
}

void Battery::setAlarmValue(double v)
{
    if (alarmValue != v) {
        alarmValue = v;
        update();
    }
}

void Battery::setAlarmValue(int v)
{
    setAlarmValue(double(v));
}

void Battery::setStep(double s)
{
    // A step that is not positive would never reach the target and keep the 50 ms
    // timer repainting for ever.
    if (!(s > 0) || step == s)
        return;
    step = s;
    update();
}

void Battery::setStep(int s)
{
    setStep(double(s));
}

void Battery::setBorderWidth(int w)
{
    assignAndRepaint(borderWidth, w);
}

void Battery::setBorderRadius(int r)
{
    assignAndRepaint(borderRadius, r);
}

void Battery::setBgRadius(int r)
{
    assignAndRepaint(bgRadius, r);
}

void Battery::setHeadRadius(int r)
{
    assignAndRepaint(headRadius, r);
}

void Battery::setBorderColorStart(const QColor& c)
{
    assignAndRepaint(borderColorStart, c);
}

void Battery::setBorderColorEnd(const QColor& c)
{
    assignAndRepaint(borderColorEnd, c);
}

void Battery::setAlarmColorStart(const QColor& c)
{
    assignAndRepaint(alarmColorStart, c);
}

void Battery::setAlarmColorEnd(const QColor& c)
{
    assignAndRepaint(alarmColorEnd, c);
}

void Battery::setNormalColorStart(const QColor& c)
{
    assignAndRepaint(normalColorStart, c);
}

void Battery::setNormalColorEnd(const QColor& c)
{
    assignAndRepaint(normalColorEnd, c);
}

void Battery::updateValue()
{
    if (decreasing) {
        shownValue -= step;
        if (shownValue <= value) {
            shownValue = value;
            animTimer->stop();
        }
    } else {
        shownValue += step;
        if (shownValue >= value) {
            shownValue = value;
            animTimer->stop();
        }
    }
    update();
}

void Battery::paintEvent(QPaintEvent*)
{
    const int w = width();
    const int h = height();

    QPainter painter(this);
    painter.setRenderHints(QPainter::Antialiasing | QPainter::TextAntialiasing);

    // Outline: the body leaves room for the terminal on the right.
    painter.save();
    const int headWidth = w / 15;
    const int bodyWidth = w - headWidth;
    bodyRect = QRectF(QPointF(borderWidth, borderWidth), QPointF(bodyWidth, h - borderWidth));
    QPen borderPen(borderColorStart);
    borderPen.setWidth(borderWidth);
    painter.setPen(borderPen);
    painter.setBrush(Qt::NoBrush);
    painter.drawRoundedRect(bodyRect, borderRadius, borderRadius);
    painter.restore();

    // Fill: its length is measured on a 0 to 100 scale whatever the range.
    painter.save();
    if (value != minValue) {
        const int margin = qMin(w, h) / 20;
        const double unit = (bodyRect.width() - margin * 2) / 100.0;
        const double length = shownValue * unit;
        const QRectF fillRect(QPointF(bodyRect.left() + margin, bodyRect.top() + margin),
                              QPointF(borderWidth + margin + length, bodyRect.bottom() - margin));
        QLinearGradient gradient(QPointF(0, 0), QPointF(0, h));
        if (shownValue <= alarmValue) {
            gradient.setColorAt(0.0, alarmColorStart);
            gradient.setColorAt(1.0, alarmColorEnd);
        } else {
            gradient.setColorAt(0.0, normalColorStart);
            gradient.setColorAt(1.0, normalColorEnd);
        }
        painter.setPen(Qt::NoPen);
        painter.setBrush(gradient);
        painter.drawRoundedRect(fillRect, bgRadius, bgRadius);
    }
    painter.restore();

    // Head: the terminal cap, shaded like the outline.
    painter.save();
    const QRectF headRect = QRectF(QPointF(bodyRect.right(), h / 3), QPointF(w - 11, h - h / 3)).normalized();
    QLinearGradient headGradient(headRect.topLeft(), headRect.bottomLeft());
    headGradient.setColorAt(0.0, borderColorStart);
    headGradient.setColorAt(1.0, borderColorEnd);
    painter.setPen(Qt::NoPen);
    painter.setBrush(headGradient);
    painter.drawRoundedRect(headRect, headRadius, headRadius);
    painter.restore();

    // Text: the value being drawn, so the number and the fill always agree.
    painter.save();
    painter.setPen(Qt::black);
    painter.setFont(QFont(QStringLiteral("Arial"), 11));
    painter.drawText(bodyRect, Qt::AlignCenter, QString::number(shownValue, 'g', 6) + QLatin1Char('%'));
    painter.restore();
}
