#include "tfeditor/histogram.h"

#include <QImage>
#include <QTest>

#include <array>
#include <cmath>
#include <vector>

namespace {

const QColor kWhite(255, 255, 255);
const QColor kRed(255, 0, 0);
const QColor kBlack(0, 0, 0);

ControlPoint point(int x, int y, const QColor& color = QColor())
{
    ControlPoint p;
    p.color = color;
    p.x = x;
    p.y = y;
    return p;
}

QImage paint(Histogram& histogram, int width, int height)
{
    histogram.resize(width, height);
    return histogram.grab().toImage().convertToFormat(QImage::Format_RGB32);
}

// The opaque colour of one pixel.
QColor at(const QImage& image, int x, int y)
{
    return QColor(image.pixel(x, y));
}

QString describe(const QColor& colour)
{
    return QString("(%1, %2, %3)").arg(colour.red()).arg(colour.green()).arg(colour.blue());
}

// With no points the polyline is the one diagonal from (0, 0) to (W - 1, H);
// pixels within 2.5 of it are left out, everything else in column x must be
// red from the bottom up to heights[x] and white above.
void expectBars(const QImage& image, const std::vector<int>& heights)
{
    const int w = image.width(), h = image.height();
    const double length = std::hypot(double(w - 1), double(h));
    for (int x = 0; x < w; ++x) {
        for (int y = 0; y < h; ++y) {
            const double distance = std::abs(h * (x + 0.5) - (w - 1) * (y + 0.5)) / length;
            if (distance <= 2.5)
                continue;
            const QColor expected = y >= h - heights[size_t(x)] ? kRed : kWhite;
            const QColor actual = at(image, x, y);
            QVERIFY2(actual == expected, qPrintable(QString("pixel (%1, %2) is %3, expected %4")
                                                        .arg(x)
                                                        .arg(y)
                                                        .arg(describe(actual))
                                                        .arg(describe(expected))));
        }
    }
}

} // namespace

class TstHistogramPaint : public QObject
{
    Q_OBJECT

private:
    std::array<int32_t, kDensityCount> m_counts{};

private slots:
    void init() { m_counts.fill(0); }

    void whiteBeforeAnyHistogram()
    {
        Histogram histogram(nullptr);
        histogram.m_controlPoints = {point(100, 50, Qt::blue)};
        const QImage image = paint(histogram, 400, 100);
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                QCOMPARE(at(image, x, y), kWhite);
    }

    // Bins 1000..1099 on 400 pixels: 4-pixel bars at x = 0, 4, ..., 396, each
    // as high as its count (peak 100 on 100 pixels); bin 1100 has no bar.
    void barsOfANarrowWindow()
    {
        for (int i = 0; i < 100; ++i)
            m_counts[size_t(1000 + i)] = i + 1;
        m_counts[1100] = 100;
        Histogram histogram(nullptr);
        histogram.m_histogram = m_counts.data();
        histogram.m_minDensity = 1000;
        histogram.m_maxDensity = 1100;
        const QImage image = paint(histogram, 400, 100);

        std::vector<int> heights(400);
        for (int x = 0; x < 400; ++x)
            heights[size_t(x)] = x / 4 + 1;
        expectBars(image, heights);
    }

    // 3 x 33.333332f is 99.9999962 in double: the peak bar is 99 pixels high.
    // A count of 1 gives 33.
    void barHeightsAreTruncatedDoubleProducts()
    {
        m_counts[10] = 3;
        m_counts[11] = 1;
        Histogram histogram(nullptr);
        histogram.m_histogram = m_counts.data();
        histogram.m_minDensity = 10;
        histogram.m_maxDensity = 12;
        const QImage image = paint(histogram, 40, 100);

        std::vector<int> heights(40, 33);
        std::fill(heights.begin(), heights.begin() + 20, 99);
        expectBars(image, heights);
    }

    // Window 0..4095 on 410 pixels: about ten bins per column, each bar one
    // pixel wide. Bin 4095 holds the largest count: it halves every bar but
    // gets none of its own.
    void wideWindowOnePixelBarsAndBinHiOnlyScales()
    {
        m_counts[0] = 5;
        m_counts[2000] = 5; // 2000 x 0.1001221 = 200.24
        m_counts[4094] = 5; // 409.9
        m_counts[4095] = 10;
        Histogram histogram(nullptr);
        histogram.m_histogram = m_counts.data();
        const QImage image = paint(histogram, 410, 100);

        std::vector<int> heights(410, 0);
        heights[0] = heights[200] = heights[409] = 50;
        expectBars(image, heights);
    }

    void noBarsForAnEmptyOrZeroWidthWindow()
    {
        m_counts[500] = 7;
        Histogram histogram(nullptr);
        histogram.m_histogram = m_counts.data();

        // All bins of the window hold 0: no scale, no bars, only the diagonal.
        histogram.m_minDensity = 600;
        histogram.m_maxDensity = 700;
        expectBars(paint(histogram, 400, 100), std::vector<int>(400, 0));

        // lo == hi: no bars, but the points and the polyline are drawn.
        histogram.m_minDensity = histogram.m_maxDensity = 500;
        histogram.m_controlPoints = {point(100, 50, Qt::blue)};
        const QImage image = paint(histogram, 400, 100);
        for (int y = 0; y < 100; ++y)
            for (int x = 0; x < 400; ++x)
                QVERIFY(at(image, x, y) != kRed);
        QCOMPARE(at(image, 96, 53), QColor(Qt::blue));
        QVERIFY(at(image, 50, 25) != kWhite);
        QVERIFY(at(image, 250, 75) != kWhite);
    }

    // A window the main window failed to keep within 0..4095 reads no count
    // outside the table: the counts around it must not show.
    void windowBeyondTheTableReadsNothingOutside()
    {
        std::vector<int32_t> padded(kDensityCount + 32, 1000);
        int32_t* counts = padded.data() + 16;
        std::fill(counts, counts + kDensityCount, 0);
        counts[0] = 4;
        counts[1] = 2;
        Histogram histogram(nullptr);
        histogram.m_histogram = counts;
        histogram.m_minDensity = -2;
        histogram.m_maxDensity = 2;
        const QImage image = paint(histogram, 40, 100);

        std::vector<int> heights(40, 0);
        std::fill(heights.begin() + 20, heights.begin() + 30, 100);
        std::fill(heights.begin() + 30, heights.end(), 50);
        expectBars(image, heights);
    }

    void polylineWithoutPointsIsTheBlackDiagonal()
    {
        Histogram histogram(nullptr);
        histogram.m_histogram = m_counts.data();
        const QImage image = paint(histogram, 400, 100);
        for (int x = 0; x < 400; ++x) {
            int black = 0;
            for (int y = 0; y < 100; ++y) {
                const QColor pixel = at(image, x, y);
                QVERIFY2(pixel == kWhite || pixel == kBlack,
                         qPrintable(QString("(%1, %2): %3").arg(x).arg(y).arg(describe(pixel))));
                black += pixel == kBlack;
            }
            // Every column carries the line, about three pixels thick (the
            // last column only its end).
            QVERIFY2(black >= (x < 399 ? 2 : 1) && black <= 4,
                     qPrintable(QString("column %1").arg(x)));
        }
        QCOMPARE(at(image, 0, 0), kBlack);
        QCOMPARE(at(image, 200, 50), kBlack);
        QCOMPARE(at(image, 399, 99), kBlack);
        QCOMPARE(at(image, 399, 0), kWhite);
        QCOMPARE(at(image, 0, 99), kWhite);
    }

    // A marker covers x - 5 .. x + 4 and y - 5 .. y + 4 in the point's colour;
    // the segments through its centre cover only its middle rows.
    void markersAreTenByTenInTheirColour()
    {
        Histogram histogram(nullptr);
        histogram.m_histogram = m_counts.data();
        histogram.m_controlPoints = {point(200, 50, Qt::green), point(300, 20)};
        const QImage image = paint(histogram, 400, 100);
        const QColor green(Qt::green);
        for (int x = 195; x <= 204; ++x) {
            QCOMPARE(at(image, x, 45), green);
            QCOMPARE(at(image, x, 44), kWhite);
        }
        for (int y : {45, 46, 53, 54}) {
            QCOMPARE(at(image, 195, y), green);
            QCOMPARE(at(image, 194, y), kWhite);
        }
        for (int y : {45, 46}) {
            QCOMPARE(at(image, 204, y), green);
            QCOMPARE(at(image, 205, y), kWhite);
        }
        for (int x = 195; x <= 199; ++x) {
            QCOMPARE(at(image, x, 54), green);
            QCOMPARE(at(image, x, 55), kWhite);
        }

        // A point whose colour was never chosen is drawn in the unset colour
        // as the toolkit paints it: opaque black.
        for (int x = 295; x <= 304; ++x)
            QCOMPARE(at(image, x, 15), kBlack);
        QCOMPARE(at(image, 294, 15), kWhite);
        QCOMPARE(at(image, 295, 14), kWhite);
    }

    // Each segment fades from the colour of one point to that of the next,
    // three pixels thick.
    void segmentsAreGradientsThreePixelsWide()
    {
        Histogram histogram(nullptr);
        histogram.m_histogram = m_counts.data();
        histogram.m_controlPoints = {point(100, 50, Qt::red), point(300, 50, Qt::blue)};
        const QImage image = paint(histogram, 400, 100);

        const QColor nearRed = at(image, 120, 50), middle = at(image, 200, 50),
                     nearBlue = at(image, 280, 50);
        QVERIFY2(nearRed.red() > 220 && nearRed.blue() < 35 && nearRed.green() == 0,
                 qPrintable(describe(nearRed)));
        QVERIFY2(std::abs(middle.red() - 128) < 10 && std::abs(middle.blue() - 128) < 10,
                 qPrintable(describe(middle)));
        QVERIFY2(nearBlue.blue() > 220 && nearBlue.red() < 35, qPrintable(describe(nearBlue)));

        int thickness = 0;
        for (int y = 40; y < 60; ++y)
            thickness += at(image, 200, y) != kWhite;
        QCOMPARE(thickness, 3);
    }

    // Without a renderer (a widget on its own) edits still change the list
    // and repaint it.
    void editsWithoutARendererStillRepaint()
    {
        Histogram histogram(nullptr);
        histogram.m_histogram = m_counts.data();
        histogram.resize(400, 100);

        QTest::mouseClick(&histogram, Qt::LeftButton, Qt::NoModifier, QPoint(300, 20));
        QTest::mouseClick(&histogram, Qt::LeftButton, Qt::NoModifier, QPoint(100, 30));
        QCOMPARE(histogram.m_controlPoints.size(), size_t(2));
        QCOMPARE(histogram.m_controlPoints[0].x, 100);
        QCOMPARE(histogram.m_controlPoints[0].y, 30);
        QVERIFY(!histogram.m_controlPoints[0].color.isValid());
        QCOMPARE(histogram.m_controlPoints[1].x, 300);
        QCOMPARE(at(paint(histogram, 400, 100), 295, 15), kBlack);

        QTest::mouseClick(&histogram, Qt::RightButton, Qt::NoModifier, QPoint(303, 23));
        QCOMPARE(histogram.m_controlPoints.size(), size_t(1));
        QCOMPARE(histogram.m_controlPoints[0].x, 100);
        QCOMPARE(at(paint(histogram, 400, 100), 295, 15), kWhite);
    }
};

QTEST_MAIN(TstHistogramPaint)
#include "tst_histogrampaint.moc"
