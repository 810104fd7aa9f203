// The pack gauge as the operator sees it: rendered to an image and read pixel by pixel.

#include "battery.h"

#include <QtTest>
#include <QImage>
#include <QTimer>

namespace {

// One animation tick, exactly as the 50 ms timer delivers it.
void tick(Battery& gauge)
{
    QMetaObject::invokeMethod(&gauge, "updateValue", Qt::DirectConnection);
}

bool animating(const Battery& gauge)
{
    const QTimer* timer = gauge.findChild<QTimer*>();
    return timer && timer->isActive();
}

// Runs the animation to its end without waiting on the clock.
int settle(Battery& gauge)
{
    int ticks = 0;
    while (animating(gauge) && ticks < 10000) {
        tick(gauge);
        ++ticks;
    }
    return ticks;
}

QImage render(Battery& gauge)
{
    return gauge.grab().toImage().convertToFormat(QImage::Format_RGB32);
}

bool reddish(QColor c)
{
    return c.red() > 170 && c.green() < 130 && c.blue() < 130;
}

bool greenish(QColor c)
{
    return c.green() > 150 && c.red() < 110;
}

} // namespace

class TestBattery : public QObject
{
    Q_OBJECT

private slots:
    void defaults();
    void clamping_data();
    void clamping();
    void animation();
    void retarget();
    void realTimer();
    void range_data();
    void range();
    void setters();
    void fillColour_data();
    void fillColour();
    void fillLength_data();
    void fillLength();
    void noFillAtMinimum();
    void head();
};

void TestBattery::defaults()
{
    Battery gauge;
    QCOMPARE(gauge.sizeHint(), QSize(150, 80));
    QCOMPARE(gauge.minimumSizeHint(), QSize(30, 10));
    QCOMPARE(gauge.getValue(), 0.0);
    QCOMPARE(gauge.getAlarmValue(), 30.0);
    QVERIFY(!animating(gauge));
}

void TestBattery::clamping_data()
{
    QTest::addColumn<double>("input");
    QTest::addColumn<double>("target");
    QTest::addColumn<int>("signals");

    QTest::newRow("above the range") << 150.0 << 100.0 << 1;
    QTest::newRow("below the range") << -5.0 << 0.0 << 0; // equals the shown 0: no animation
    QTest::newRow("inside") << 42.5 << 42.5 << 1;
    QTest::newRow("no-value mark") << 268435455.0 << 100.0 << 1;
    QTest::newRow("not a number") << qQNaN() << 0.0 << 0;
}

void TestBattery::clamping()
{
    QFETCH(double, input);
    Battery gauge;
    QSignalSpy changed(&gauge, &Battery::valueChanged);
    gauge.setValue(input);
    QTEST(gauge.getValue(), "target");
    QTEST(int(changed.count()), "signals");
    settle(gauge);
    QTEST(gauge.getShownValue(), "target");
}

void TestBattery::animation()
{
    Battery gauge;
    QSignalSpy changed(&gauge, &Battery::valueChanged);
    gauge.setValue(87);
    QCOMPARE(gauge.getValue(), 87.0);
    QCOMPARE(changed.count(), 1);
    QCOMPARE(changed.at(0).at(0).toDouble(), 87.0);
    QVERIFY(animating(gauge));

    for (int i = 0; i < 86; ++i)
        tick(gauge);
    QCOMPARE(gauge.getShownValue(), 86.0);
    QVERIFY(animating(gauge));
    tick(gauge);
    QCOMPARE(gauge.getShownValue(), 87.0);
    QVERIFY(!animating(gauge));
    QCOMPARE(changed.count(), 1);

    // Down again with a step that does not divide the distance: it stops on the target.
    gauge.setStep(2.5);
    gauge.setValue(80.0);
    QCOMPARE(settle(gauge), 3);
    QCOMPARE(gauge.getShownValue(), 80.0);

    // The same target again changes nothing.
    gauge.setValue(80.0);
    QCOMPARE(changed.count(), 2);
    QVERIFY(!animating(gauge));
}

void TestBattery::retarget()
{
    Battery gauge;
    gauge.setValue(50);
    for (int i = 0; i < 20; ++i)
        tick(gauge);
    QCOMPARE(gauge.getShownValue(), 20.0);
    // A new target mid-way continues from where the fill is, in the new direction.
    gauge.setValue(10);
    QCOMPARE(settle(gauge), 10);
    QCOMPARE(gauge.getShownValue(), 10.0);
}

void TestBattery::realTimer()
{
    Battery gauge;
    gauge.setStep(25);
    gauge.setValue(100);
    QTRY_COMPARE_WITH_TIMEOUT(gauge.getShownValue(), 100.0, 3000);
    QVERIFY(!animating(gauge));
}

void TestBattery::range_data()
{
    QTest::addColumn<double>("start");
    QTest::addColumn<double>("min");
    QTest::addColumn<double>("max");
    QTest::addColumn<double>("expMin");
    QTest::addColumn<double>("expMax");
    QTest::addColumn<double>("expValue");

    QTest::newRow("empty range ignored") << 40.0 << 50.0 << 50.0 << 0.0 << 100.0 << 40.0;
    QTest::newRow("reversed range ignored") << 40.0 << 60.0 << 40.0 << 0.0 << 100.0 << 40.0;
    QTest::newRow("value above the new max") << 90.0 << 20.0 << 80.0 << 20.0 << 80.0 << 80.0;
    QTest::newRow("value below the new min") << 10.0 << 20.0 << 80.0 << 20.0 << 80.0 << 20.0;
    QTest::newRow("value inside") << 50.0 << 20.0 << 80.0 << 20.0 << 80.0 << 50.0;
}

void TestBattery::range()
{
    QFETCH(double, start);
    QFETCH(double, min);
    QFETCH(double, max);
    Battery gauge;
    gauge.setValue(start);
    gauge.setRange(min, max);
    QTEST(gauge.getMinValue(), "expMin");
    QTEST(gauge.getMaxValue(), "expMax");
    QTEST(gauge.getValue(), "expValue");
}

void TestBattery::setters()
{
    Battery gauge;
    gauge.setMinValue(100.0); // would leave an empty range
    QCOMPARE(gauge.getMinValue(), 0.0);
    gauge.setStep(4);
    gauge.setStep(0.0); // a step of 0 or below would never arrive
    gauge.setStep(-1.0);
    QCOMPARE(gauge.getStep(), 4.0);
    gauge.setValue(10);
    QCOMPARE(settle(gauge), 3);
}

void TestBattery::fillColour_data()
{
    QTest::addColumn<double>("from");
    QTest::addColumn<double>("to");
    QTest::addColumn<bool>("alarm");

    QTest::newRow("40 to 30: alarm at the threshold") << 40.0 << 30.0 << true;
    QTest::newRow("40 to 31: normal") << 40.0 << 31.0 << false;
    QTest::newRow("0 to 87: normal") << 0.0 << 87.0 << false;
    QTest::newRow("87 to 5: alarm") << 87.0 << 5.0 << true;
}

void TestBattery::fillColour()
{
    QFETCH(double, from);
    QFETCH(double, to);
    QFETCH(bool, alarm);
    Battery gauge;
    gauge.resize(150, 80);
    gauge.setValue(from);
    settle(gauge);
    gauge.setValue(to);
    settle(gauge);
    const QImage image = render(gauge);
    // Left end of the fill, half-way down; the text sits in the middle.
    const QColor fill = image.pixelColor(8, 40);
    QVERIFY2(alarm ? reddish(fill) : greenish(fill), qPrintable(fill.name()));
    // The gradient runs from the start colour at the top to the end colour at the bottom.
    const QColor top = image.pixelColor(8, 8);
    const QColor bottom = image.pixelColor(8, 72);
    if (alarm)
        QVERIFY(top.green() > bottom.green());
    else
        QVERIFY(top.blue() < bottom.blue());
}

void TestBattery::fillLength_data()
{
    QTest::addColumn<double>("value");
    QTest::addColumn<int>("lastFilled"); // rightmost x fully inside the fill

    // 150 x 80: body from x = 2 to 140, margin 4, 1.3 px per percent from x = 6.
    QTest::newRow("50 %") << 50.0 << 6 + 65 - 2;
    QTest::newRow("100 %") << 100.0 << 6 + 130 - 2;
    QTest::newRow("20 %") << 20.0 << 6 + 26 - 2;
}

void TestBattery::fillLength()
{
    QFETCH(double, value);
    QFETCH(int, lastFilled);
    Battery gauge;
    gauge.resize(150, 80);
    gauge.setAlarmValue(0); // keep one colour family for every value
    gauge.setValue(value);
    settle(gauge);
    const QImage image = render(gauge);
    const int y = 12; // above the text
    QVERIFY2(greenish(image.pixelColor(lastFilled, y)), qPrintable(image.pixelColor(lastFilled, y).name()));
    if (value < 100)
        QVERIFY(!greenish(image.pixelColor(lastFilled + 4, y)));
}

void TestBattery::noFillAtMinimum()
{
    Battery gauge;
    gauge.resize(150, 80);
    gauge.setValue(60);
    for (int i = 0; i < 30; ++i)
        tick(gauge);
    // Target back at the minimum while the fill still shows 30: nothing is filled,
    // but the text still tells the value being drawn.
    gauge.setValue(0);
    const QImage image = render(gauge);
    const QColor inside = image.pixelColor(12, 40);
    QVERIFY2(!greenish(inside) && !reddish(inside), qPrintable(inside.name()));
    // The outline is still there (its colour on the left edge).
    const QColor edge = image.pixelColor(2, 40);
    QVERIFY2(qAbs(edge.red() - 100) < 40 && qAbs(edge.green() - 100) < 40, qPrintable(edge.name()));
}

void TestBattery::head()
{
    Battery gauge;
    gauge.resize(300, 80);
    gauge.setBorderColorStart(QColor(74, 120, 222));
    gauge.setBorderColorEnd(QColor(74, 120, 222));
    const QImage image = render(gauge);
    // Head: x from the body's right edge (280) to 289, y from 26 to 54.
    const QColor head = image.pixelColor(285, 40);
    QCOMPARE(head, QColor(74, 120, 222));
    QVERIFY(image.pixelColor(285, 15) != QColor(74, 120, 222));
    QVERIFY(image.pixelColor(295, 40) != QColor(74, 120, 222));
}

QTEST_MAIN(TestBattery)
#include "tst_battery.moc"
