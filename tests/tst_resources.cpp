// The compiled-in images: every name the program uses must load at its drawn size, and
// the operator must be able to tell pressed from normal and on from off at a glance.

#include <QImage>
#include <QPainter>
#include <QtTest>

#include <cstdlib>

// The resources live in a static library; referencing their initialiser keeps the
// linker from dropping them from this executable.
static void initCellvueResources()
{
    Q_INIT_RESOURCE(cellvue);
}

namespace {
// The image as the operator sees it: composited on the white page background.
QImage onWhite(const QString &name)
{
    const QImage src(name.contains(QLatin1Char('/')) ? name : QStringLiteral(":/icon/res/") + name);
    QImage out(src.size(), QImage::Format_RGB32);
    out.fill(Qt::white);
    QPainter(&out).drawImage(0, 0, src);
    return out;
}

// Share of pixels that change clearly (not just anti-aliasing noise) from a to b.
double changedShare(const QImage &a, const QImage &b)
{
    int changed = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x) {
            const QRgb p = a.pixel(x, y), q = b.pixel(x, y);
            if (std::max({std::abs(qRed(p) - qRed(q)), std::abs(qGreen(p) - qGreen(q)),
                          std::abs(qBlue(p) - qBlue(q))}) > 48)
                ++changed;
        }
    return double(changed) / (a.width() * a.height());
}
} // namespace

class TestResources : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { initCellvueResources(); }
    void loadsAtDrawnSize_data();
    void loadsAtDrawnSize();
    void pairsDiffer_data();
    void pairsDiffer();
};

void TestResources::loadsAtDrawnSize_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QSize>("size");
    for (const char *p : {"SendData", "SendDataPress", "normal", "normalpress", "rtdata", "realdatapress",
                          "alarmpro", "alarmpropress", "History", "HistoryPress", "updatepan", "updatepanpress"})
        QTest::newRow(p) << QStringLiteral("%1.png").arg(QLatin1String(p)) << QSize(230, 64);
    for (int i = 1; i <= 16; ++i)
        QTest::addRow("Bat%d", i) << QStringLiteral("Bat%1.png").arg(i) << QSize(95, 26);
    const struct {
        const char *file;
        int w, h;
    } others[] = {
        {"pressed.png", 120, 34}, {"PressShawdow.png", 140, 44}, {"mosoff.png", 60, 30}, {"moson.png", 60, 30},
        {"balanceledoff.png", 20, 20}, {"balanceledon.png", 20, 20}, {"group.jpg", 180, 110},
        {"alarm.jpg", 60, 60}, {"balance.png", 60, 60}, {"BatTwo.png", 120, 120}, {"info.png", 60, 60},
        {"details.png", 40, 40}, {"Add.png", 130, 36}, {"groupboxborder.png", 80, 80}, {"Confirm.png", 120, 36},
        {"cfeton.png", 140, 44}, {"cfetoff.png", 140, 44}, {"dfeton.png", 140, 44}, {"dfetoff.png", 140, 44},
        {"selftest.png", 140, 44}, {"update.png", 140, 44}, {"rtdataon.png", 150, 44},
        {"rtdataoff.png", 150, 44}, {"download.png", 150, 44}, {"cleanallen.png", 150, 44},
        {"UpdateBtn.png", 200, 60}, {"wake.png", 200, 60}, {"uboot.png", 200, 60},
        {"UpdateMess.jpg", 900, 320}, {"logo.png", 220, 80},
        {":/images/resource/images/checkout/up.png", 11, 11},
        {":/images/resource/images/checkout/down.png", 11, 11},
    };
    for (const auto &o : others)
        QTest::newRow(o.file) << QString::fromLatin1(o.file) << QSize(o.w, o.h);
}

void TestResources::loadsAtDrawnSize()
{
    QFETCH(QString, name);
    QFETCH(QSize, size);
    const QImage seen = onWhite(name);
    QCOMPARE(seen.size(), size);
    // Nothing may be an empty canvas.
    QImage blank(size, QImage::Format_RGB32);
    blank.fill(Qt::white);
    QVERIFY(changedShare(seen, blank) > 0);
}

void TestResources::pairsDiffer_data()
{
    QTest::addColumn<QString>("first");
    QTest::addColumn<QString>("second");
    QTest::addColumn<double>("minChange");

    // Page buttons: most of the face changes when pressed, not only a detail.
    QTest::newRow("Console pressed") << "SendData.png" << "SendDataPress.png" << 0.6;
    QTest::newRow("Overview pressed") << "normal.png" << "normalpress.png" << 0.6;
    QTest::newRow("Real Time pressed") << "rtdata.png" << "realdatapress.png" << 0.6;
    QTest::newRow("Protection pressed") << "alarmpro.png" << "alarmpropress.png" << 0.6;
    QTest::newRow("History pressed") << "History.png" << "HistoryPress.png" << 0.6;
    QTest::newRow("Update pressed") << "updatepan.png" << "updatepanpress.png" << 0.6;
    QTest::newRow("MOSFET on") << "mosoff.png" << "moson.png" << 0.3;
    QTest::newRow("balance LED on") << "balanceledoff.png" << "balanceledon.png" << 0.3;
    QTest::newRow("CFET on") << "cfetoff.png" << "cfeton.png" << 0.03;
    QTest::newRow("DFET on") << "dfetoff.png" << "dfeton.png" << 0.03;
    QTest::newRow("RTData on") << "rtdataoff.png" << "rtdataon.png" << 0.02;
    // Each pack button shows its own number: two digits of a 13 px caption differ in only
    // a handful of pixels.
    for (int i = 1; i <= 16; ++i)
        for (int j = i + 1; j <= 16; ++j)
            QTest::addRow("Bat%d vs Bat%d", i, j)
                << QStringLiteral("Bat%1.png").arg(i) << QStringLiteral("Bat%1.png").arg(j) << 4.5 / (95 * 26);
}

void TestResources::pairsDiffer()
{
    QFETCH(QString, first);
    QFETCH(QString, second);
    QFETCH(double, minChange);
    const QImage a = onWhite(first), b = onWhite(second);
    QCOMPARE(b.size(), a.size());
    const double share = changedShare(a, b);
    QVERIFY2(share > minChange, qPrintable(QString::number(share)));
}

QTEST_MAIN(TestResources)
#include "tst_resources.moc"
