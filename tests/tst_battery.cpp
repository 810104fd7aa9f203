// The pack gauge as the operator sees it: its value, its animation, the rendered fill.

#include "battery.h"

#include <QtTest>
#include <QImage>
#include <QTimer>

namespace {

bool animating(const Battery& gauge)
{
    const QTimer* timer = gauge.findChild<QTimer*>();
    return timer && timer->isActive();
}

// Ticks the animation as the 50 ms timer would, without waiting on the clock; at most
// `limit` ticks, and returns how many it took.
int settle(Battery& gauge, int limit = 10000)
{
    int ticks = 0;
    for (; animating(gauge) && ticks < limit; ++ticks)
        QMetaObject::invokeMethod(&gauge, "updateValue", Qt::DirectConnection);
    return ticks;
}

bool reddish(QColor c) { return c.red() > 170 && c.green() < 130 && c.blue() < 130; }
bool greenish(QColor c) { return c.green() > 150 && c.red() < 110; }

} // namespace

class TestBattery : public QObject
{
    Q_OBJECT

private slots:
    void clamping_data()
    {
        QTest::addColumn<double>("input");
        QTest::addColumn<double>("target");
        QTest::addColumn<int>("signals");
        QTest::newRow("above the range") << 150.0 << 100.0 << 1;
        QTest::newRow("below the range, equals the shown 0") << -5.0 << 0.0 << 0;
        QTest::newRow("inside") << 42.5 << 42.5 << 1;
        QTest::newRow("no-value mark") << 268435455.0 << 100.0 << 1;
        QTest::newRow("not a number") << qQNaN() << 0.0 << 0;
    }

    void clamping()
    {
        QFETCH(double, input);
        Battery gauge;
        QSignalSpy changed(&gauge, &Battery::valueChanged);
        gauge.setValue(input);
        QTEST(gauge.getValue(), "target");
        QTEST(int(changed.count()), "signals");
        QVERIFY(settle(gauge) < 10000);
        QTEST(gauge.getShownValue(), "target");
    }

    void animation()
    {
        Battery gauge;
        QSignalSpy changed(&gauge, &Battery::valueChanged);
        gauge.setValue(87);
        QCOMPARE(settle(gauge, 86), 86);
        QCOMPARE(gauge.getShownValue(), 86.0);
        QCOMPARE(settle(gauge), 1);
        QCOMPARE(gauge.getShownValue(), 87.0);
        // A step that does not divide the distance still stops on the target.
        gauge.setStep(2.5);
        gauge.setValue(80.0);
        QCOMPARE(settle(gauge), 3);
        QCOMPARE(gauge.getShownValue(), 80.0);
        // The same target again changes nothing; a new one mid-way turns where the fill is.
        gauge.setValue(80.0);
        gauge.setValue(100.0);
        settle(gauge, 4);
        gauge.setValue(85.0);
        QCOMPARE(settle(gauge), 2);
        QCOMPARE(gauge.getShownValue(), 85.0);
        QCOMPARE(changed.count(), 4);
    }

    void realTimer()
    {
        Battery gauge;
        gauge.setStep(25);
        gauge.setValue(100);
        QTRY_COMPARE_WITH_TIMEOUT(gauge.getShownValue(), 100.0, 3000);
        QVERIFY(!animating(gauge));
    }

    void step_data()
    {
        QTest::addColumn<double>("step");
        QTest::addColumn<int>("ticks"); // to go from 0 to 10 after a step of 4 was set
        QTest::newRow("5") << 5.0 << 2;
        QTest::newRow("0 is ignored") << 0.0 << 3;
        QTest::newRow("negative is ignored") << -1.0 << 3;
        QTest::newRow("not a number is ignored") << qQNaN() << 3;
    }

    void step()
    {
        QFETCH(double, step);
        Battery gauge;
        gauge.setStep(4);
        gauge.setStep(step);
        gauge.setValue(10);
        QTEST(settle(gauge), "ticks");
        QCOMPARE(gauge.getShownValue(), 10.0);
    }

    void range_data()
    {
        QTest::addColumn<double>("start");
        QTest::addColumn<double>("min");
        QTest::addColumn<double>("max");
        QTest::addColumn<QString>("expected"); // min max value
        QTest::newRow("empty range ignored") << 40.0 << 50.0 << 50.0 << "0 100 40";
        QTest::newRow("reversed range ignored") << 40.0 << 60.0 << 40.0 << "0 100 40";
        QTest::newRow("not a number ignored") << 40.0 << qQNaN() << 80.0 << "0 100 40";
        QTest::newRow("value above the new max") << 90.0 << 20.0 << 80.0 << "20 80 80";
        QTest::newRow("value below the new min") << 10.0 << 20.0 << 80.0 << "20 80 20";
    }

    void range()
    {
        QFETCH(double, start);
        QFETCH(double, min);
        QFETCH(double, max);
        Battery gauge;
        gauge.setValue(start);
        gauge.setRange(min, max);
        QTEST(QStringLiteral("%1 %2 %3").arg(gauge.getMinValue()).arg(gauge.getMaxValue()).arg(gauge.getValue()),
              "expected");
    }

    void fill_data()
    {
        QTest::addColumn<double>("from");
        QTest::addColumn<double>("to");
        QTest::addColumn<bool>("alarm");
        QTest::addColumn<int>("lastFilled"); // rightmost x well inside the fill

        // 150 x 80: the fill starts at x = 6 and takes 1.3 px per percent.
        QTest::newRow("40 to 30: alarm at the threshold") << 40.0 << 30.0 << true << 6 + 39 - 2;
        QTest::newRow("40 to 31: normal") << 40.0 << 31.0 << false << 6 + 40 - 2;
        QTest::newRow("0 to 87: normal") << 0.0 << 87.0 << false << 6 + 113 - 2;
        QTest::newRow("87 to 5: alarm") << 87.0 << 5.0 << true << 6 + 6 - 2;
        QTest::newRow("full") << 0.0 << 100.0 << false << 6 + 130 - 2;
    }

    void fill()
    {
        QFETCH(double, from);
        QFETCH(double, to);
        QFETCH(bool, alarm);
        QFETCH(int, lastFilled);
        Battery gauge;
        gauge.resize(150, 80);
        gauge.setValue(from);
        settle(gauge);
        gauge.setValue(to);
        settle(gauge);
        const QImage image = gauge.grab().toImage();
        const int y = 12; // above the text
        const QColor inside = image.pixelColor(lastFilled, y);
        QVERIFY2(alarm ? reddish(inside) : greenish(inside), qPrintable(inside.name()));
        const QColor beyond = image.pixelColor(lastFilled + 4, y);
        if (to < 100)
            QVERIFY2(!reddish(beyond) && !greenish(beyond), qPrintable(beyond.name()));
    }
};

QTEST_MAIN(TestBattery)
#include "tst_battery.moc"
