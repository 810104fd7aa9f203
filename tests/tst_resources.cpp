// The compiled-in images: every name the program uses must load at its drawn size, and
// the operator must be able to tell pressed from normal and on from off at a glance.

#include <QColor>
#include <QImage>
#include <QPainter>
#include <QPixmap>
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
    const QImage src(name);
    QImage out(src.size(), QImage::Format_RGB32);
    out.fill(Qt::white);
    QPainter p(&out);
    p.drawImage(0, 0, src);
    return out;
}

int channelGap(QRgb a, QRgb b)
{
    return std::max({std::abs(qRed(a) - qRed(b)), std::abs(qGreen(a) - qGreen(b)),
                     std::abs(qBlue(a) - qBlue(b))});
}

// Pixels that change clearly (not just anti-aliasing noise) between two images.
int changedPixels(const QImage &a, const QImage &b)
{
    int changed = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x)
            if (channelGap(a.pixel(x, y), b.pixel(x, y)) > 48)
                ++changed;
    return changed;
}

double changedShare(const QImage &a, const QImage &b)
{
    return double(changedPixels(a, b)) / (a.width() * a.height());
}

int countLike(const QImage &img, const QColor &colour, int tolerance)
{
    int n = 0;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            if (channelGap(img.pixel(x, y), colour.rgb()) <= tolerance)
                ++n;
    return n;
}

QColor meanColour(const QImage &img)
{
    qint64 r = 0, g = 0, b = 0;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x) {
            const QRgb px = img.pixel(x, y);
            r += qRed(px);
            g += qGreen(px);
            b += qBlue(px);
        }
    const qint64 n = qint64(img.width()) * img.height();
    return QColor(int(r / n), int(g / n), int(b / n));
}

const QColor kTheme(74, 120, 222);

} // namespace

class TestResources : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { initCellvueResources(); }

    void loadsAtDrawnSize_data();
    void loadsAtDrawnSize();
    void pageButtonsShowPressed_data();
    void pageButtonsShowPressed();
    void stateIndicatorsDiffer_data();
    void stateIndicatorsDiffer();
    void packButtonsCarryTheirNumber();
    void frameStretchesWithoutDistortion();
};

void TestResources::loadsAtDrawnSize_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QSize>("size");

    const QSize page(230, 64);
    const char *pages[] = {"SendData", "SendDataPress", "normal", "normalpress", "rtdata",
                           "realdatapress", "alarmpro", "alarmpropress", "History",
                           "HistoryPress", "updatepan", "updatepanpress"};
    for (const char *p : pages)
        QTest::newRow(p) << QStringLiteral(":/icon/res/%1.png").arg(QLatin1String(p)) << page;
    for (int i = 1; i <= 16; ++i)
        QTest::addRow("Bat%d", i) << QStringLiteral(":/icon/res/Bat%1.png").arg(i) << QSize(95, 26);

    const struct {
        const char *file;
        int w, h;
    } others[] = {
        {"pressed.png", 120, 34}, {"PressShawdow.png", 140, 44}, {"mosoff.png", 60, 30},
        {"moson.png", 60, 30}, {"balanceledoff.png", 20, 20}, {"balanceledon.png", 20, 20},
        {"group.jpg", 180, 110}, {"alarm.jpg", 60, 60}, {"balance.png", 60, 60},
        {"BatTwo.png", 120, 120}, {"info.png", 60, 60}, {"details.png", 40, 40},
        {"Add.png", 130, 36}, {"groupboxborder.png", 80, 80}, {"Confirm.png", 120, 36},
        {"cfeton.png", 140, 44}, {"cfetoff.png", 140, 44}, {"dfeton.png", 140, 44},
        {"dfetoff.png", 140, 44}, {"selftest.png", 140, 44}, {"update.png", 140, 44},
        {"rtdataon.png", 150, 44}, {"rtdataoff.png", 150, 44}, {"download.png", 150, 44},
        {"cleanallen.png", 150, 44}, {"UpdateBtn.png", 200, 60}, {"wake.png", 200, 60},
        {"uboot.png", 200, 60}, {"UpdateMess.jpg", 900, 320}, {"logo.png", 220, 80},
    };
    for (const auto &o : others)
        QTest::newRow(o.file) << QStringLiteral(":/icon/res/%1").arg(QLatin1String(o.file))
                              << QSize(o.w, o.h);

    QTest::newRow("checkout/up") << QStringLiteral(":/images/resource/images/checkout/up.png") << QSize(11, 11);
    QTest::newRow("checkout/down") << QStringLiteral(":/images/resource/images/checkout/down.png") << QSize(11, 11);
}

void TestResources::loadsAtDrawnSize()
{
    QFETCH(QString, name);
    QFETCH(QSize, size);

    const QPixmap pixmap(name);
    QVERIFY2(!pixmap.isNull(), qPrintable(name));
    QCOMPARE(pixmap.size(), size);

    // Nothing may be an empty canvas: some pixels must stand out from the page.
    const QImage seen = onWhite(name);
    QVERIFY2(countLike(seen, Qt::white, 24) < seen.width() * seen.height(), qPrintable(name));
    if (name.endsWith(QLatin1String(".jpg"))) {
        // JPEG has no transparency, so pictures must sit on the white page colour.
        for (const QPoint corner : {QPoint(0, 0), QPoint(size.width() - 1, 0),
                                    QPoint(0, size.height() - 1),
                                    QPoint(size.width() - 1, size.height() - 1)})
            QVERIFY2(channelGap(seen.pixel(corner), QColor(Qt::white).rgb()) <= 6, qPrintable(name));
    }
}

void TestResources::pageButtonsShowPressed_data()
{
    QTest::addColumn<QString>("normal");
    QTest::addColumn<QString>("pressed");
    QTest::newRow("Console") << "SendData" << "SendDataPress";
    QTest::newRow("Overview") << "normal" << "normalpress";
    QTest::newRow("Real Time") << "rtdata" << "realdatapress";
    QTest::newRow("Protection") << "alarmpro" << "alarmpropress";
    QTest::newRow("History") << "History" << "HistoryPress";
    QTest::newRow("Update") << "updatepan" << "updatepanpress";
}

void TestResources::pageButtonsShowPressed()
{
    QFETCH(QString, normal);
    QFETCH(QString, pressed);
    const QImage up = onWhite(QStringLiteral(":/icon/res/%1.png").arg(normal));
    const QImage down = onWhite(QStringLiteral(":/icon/res/%1.png").arg(pressed));
    QCOMPARE(down.size(), up.size());

    // Most of the face changes, not only a detail.
    QVERIFY2(changedShare(up, down) > 0.6, qPrintable(QString::number(changedShare(up, down))));

    // Normal: a light face; pressed: a theme-blue face.
    const QColor light = meanColour(up);
    QVERIFY2(light.lightness() > 200, qPrintable(light.name()));
    const QColor filled = meanColour(down);
    QVERIFY2(channelGap(filled.rgb(), kTheme.rgb()) < 40, qPrintable(filled.name()));

    // The caption stays readable: theme-coloured ink on the light face, white ink on the
    // filled one (a caption of 20 px holds a few hundred such pixels).
    QVERIFY(countLike(up, kTheme, 40) > 300);
    QVERIFY(countLike(down, Qt::white, 40) > 150);
}

void TestResources::stateIndicatorsDiffer_data()
{
    QTest::addColumn<QString>("off");
    QTest::addColumn<QString>("on");
    QTest::addColumn<double>("minChange");
    QTest::addColumn<bool>("greenWhenOn");
    QTest::addColumn<bool>("greyWhenOff");

    QTest::newRow("MOSFET") << "mosoff" << "moson" << 0.3 << true << true;
    QTest::newRow("balance LED") << "balanceledoff" << "balanceledon" << 0.3 << true << true;
    QTest::newRow("CFET") << "cfetoff" << "cfeton" << 0.03 << false << false;
    QTest::newRow("DFET") << "dfetoff" << "dfeton" << 0.03 << false << false;
    QTest::newRow("RTData") << "rtdataoff" << "rtdataon" << 0.02 << false << false;
}

void TestResources::stateIndicatorsDiffer()
{
    QFETCH(QString, off);
    QFETCH(QString, on);
    QFETCH(double, minChange);
    QFETCH(bool, greenWhenOn);
    QFETCH(bool, greyWhenOff);

    const QImage offImg = onWhite(QStringLiteral(":/icon/res/%1.png").arg(off));
    const QImage onImg = onWhite(QStringLiteral(":/icon/res/%1.png").arg(on));
    QCOMPARE(onImg.size(), offImg.size());
    const double share = changedShare(offImg, onImg);
    QVERIFY2(share > minChange, qPrintable(QString::number(share)));

    const QColor onMean = meanColour(onImg);
    if (greenWhenOn) {
        QVERIFY2(onMean.green() > onMean.red() + 40 && onMean.green() > onMean.blue() + 30,
                 qPrintable(onMean.name()));
    }
    if (greyWhenOff) {
        const QColor m = meanColour(offImg);
        const int spread = std::max({m.red(), m.green(), m.blue()}) - std::min({m.red(), m.green(), m.blue()});
        QVERIFY2(spread < 30, qPrintable(m.name()));
    }
}

void TestResources::packButtonsCarryTheirNumber()
{
    // Every pack button shows its own number, so no two may look alike (two digits of a
    // 13 px caption differ in only a handful of pixels), and none may be mistaken for the
    // pressed look.
    QVector<QImage> packs;
    for (int i = 1; i <= 16; ++i)
        packs << onWhite(QStringLiteral(":/icon/res/Bat%1.png").arg(i));
    const QImage pressed = onWhite(QStringLiteral(":/icon/res/pressed.png"))
                               .scaled(packs.first().size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    for (int i = 0; i < packs.size(); ++i) {
        for (int j = i + 1; j < packs.size(); ++j)
            QVERIFY2(changedPixels(packs[i], packs[j]) >= 5,
                     qPrintable(QStringLiteral("Bat%1 vs Bat%2").arg(i + 1).arg(j + 1)));
        QVERIFY(changedShare(packs[i], pressed) > 0.5);
    }
}

void TestResources::frameStretchesWithoutDistortion()
{
    // The frame is used as a border image with 19 px borders: only its four 19 px edge
    // bands are stretched, so along each band every row (or column) must repeat exactly.
    const QImage frame = QImage(QStringLiteral(":/icon/res/groupboxborder.png"))
                             .convertToFormat(QImage::Format_ARGB32);
    const int b = 19;
    const int w = frame.width(), h = frame.height();
    for (int x = b; x < w - b; ++x)
        for (int y = 0; y < h; ++y)
            if (y < b || y >= h - b)
                QCOMPARE(frame.pixel(x, y), frame.pixel(b, y));
    for (int y = b; y < h - b; ++y)
        for (int x = 0; x < w; ++x)
            if (x < b || x >= w - b)
                QCOMPARE(frame.pixel(x, y), frame.pixel(x, b));

    // The middle is the text area: opaque white.
    QCOMPARE(frame.pixel(w / 2, h / 2), qRgba(255, 255, 255, 255));
    // And the edge itself is drawn in the theme colour.
    QVERIFY(countLike(onWhite(QStringLiteral(":/icon/res/groupboxborder.png")), kTheme, 30) > 100);
}

QTEST_MAIN(TestResources)
#include "tst_resources.moc"
