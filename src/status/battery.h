#ifndef BATTERY_H
#define BATTERY_H

#include <QColor>
#include <QRectF>
#include <QWidget>

class QTimer;

// A pack's state of charge drawn as a horizontal battery that fills smoothly towards
// its target value and turns red at or below the alarm value.
class Battery : public QWidget
{
    Q_OBJECT
public:
    explicit Battery(QWidget* parent = nullptr);
    ~Battery() override;

    double getMinValue() const { return minValue; }
    double getMaxValue() const { return maxValue; }
    double getValue() const { return value; }
    double getAlarmValue() const { return alarmValue; }
    double getStep() const { return step; }
    int getBorderWidth() const { return borderWidth; }
    int getBorderRadius() const { return borderRadius; }
    int getBgRadius() const { return bgRadius; }
    int getHeadRadius() const { return headRadius; }
    QColor getBorderColorStart() const { return borderColorStart; }
    QColor getBorderColorEnd() const { return borderColorEnd; }
    QColor getAlarmColorStart() const { return alarmColorStart; }
    QColor getAlarmColorEnd() const { return alarmColorEnd; }
    QColor getNormalColorStart() const { return normalColorStart; }
    QColor getNormalColorEnd() const { return normalColorEnd; }
    // The value currently drawn, which trails getValue() while the gauge animates.
    double getShownValue() const { return shownValue; }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

public slots:
    void setRange(double minValue, double maxValue);
    void setRange(int minValue, int maxValue);
    void setMinValue(double minValue);
    void setMaxValue(double maxValue);
    void setValue(double value);
    void setValue(int value);
    void setAlarmValue(double alarmValue);
    void setAlarmValue(int alarmValue);
    void setStep(double step);
    void setStep(int step);
    void setBorderWidth(int borderWidth);
    void setBorderRadius(int borderRadius);
    void setBgRadius(int bgRadius);
    void setHeadRadius(int headRadius);
    void setBorderColorStart(const QColor& color);
    void setBorderColorEnd(const QColor& color);
    void setAlarmColorStart(const QColor& color);
    void setAlarmColorEnd(const QColor& color);
    void setNormalColorStart(const QColor& color);
    void setNormalColorEnd(const QColor& color);

signals:
    void valueChanged(double value);

protected:
    void paintEvent(QPaintEvent*) override;

private slots:
    void updateValue();

private:
    // Stores a look property and repaints, only when it really changes.
    template <typename T>
    void assignAndRepaint(T& member, const T& value)
    {
        if (member != value) {
            member = value;
            update();
        }
    }

private:
    double minValue = 0;
    double maxValue = 100;
    double value = 0;
    double alarmValue = 30;
    double step = 1.0;
    int borderWidth = 2;
    int borderRadius = 5;
    int bgRadius = 2;
    int headRadius = 1;
    QColor borderColorStart{100, 100, 100};
    QColor borderColorEnd{80, 80, 80};
    QColor alarmColorStart{250, 118, 113};
    QColor alarmColorEnd{204, 38, 38};
    QColor normalColorStart{50, 205, 51};
    QColor normalColorEnd{60, 179, 133};
    bool decreasing = false;
    double shownValue = 0;
    QRectF bodyRect;
    QTimer* animTimer = nullptr;
};

#endif // BATTERY_H
