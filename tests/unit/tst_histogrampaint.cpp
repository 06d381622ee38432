#include "tfeditor/histogram.h"

#include <QImage>
#include <QTest>

#include <algorithm>
#include <cmath>
#include <memory>
#include <vector>

namespace {

const QColor kWhite(Qt::white), kRed(Qt::red), kBlack(Qt::black), kGreen(Qt::green);

QColor at(const QImage& image, int x, int y)
{
    return QColor(image.pixel(x, y));
}

// A bar picture: the window on a widget `width` x 100, the count of each bin and the expected
// bar height of each pixel column.
struct BarCase
{
    const char* name;
    int width, lo, hi;
    int (*count)(int bin);
    int (*height)(int x);
};

const BarCase kBarCases[] = {
    {"lo 1000, hi 1100 on 400 px: 4-px bars", 400, 1000, 1100,
     [](int b) { return b >= 1000 && b <= 1100 ? std::min(b - 999, 100) : 0; },
     [](int x) { return x / 4 + 1; }},
    // 3 x 33.333332f is 99.9999962 in double: 99 pixels, where float arithmetic gives 100. Bin hi
    // would have its bar at x = 99.
    {"peak 3 on 100 px: a 99-px bar, none for bin hi", 100, 10, 13,
     [](int b) { return b == 11 ? 1 : 3 * (b == 10 || b == 13); },
     [](int x) { return x < 33 ? 99 : 33 * (x < 66); }},
    // About ten bins a column; bin hi holds the peak, halving every bar, but has no bar.
    {"lo 0, hi 4095 on 410 px: 1-px bars", 410, 0, 4095,
     [](int b) { return b == 0 || b == 2000 || b == 4094 ? 5 : 10 * (b == 4095); },
     [](int x) { return x == 0 || x == 200 || x == 409 ? 50 : 0; }},
    {"all-zero window", 400, 600, 700, [](int b) { return 7 * (b == 500); }, [](int) { return 0; }},
    {"lo == hi", 400, 500, 500, [](int b) { return 7 * (b == 500); }, [](int) { return 0; }},
    // A window the main window failed to keep in range reads nothing outside the counts.
    {"window beyond the table", 40, -2, 2, [](int b) { return b == 0 ? 4 : 2 * (b == 1); },
     [](int x) { return x < 20 ? 0 : 50 + 50 * (x < 30); }},
};

} // namespace

class TstHistogramPaint : public QObject
{
    Q_OBJECT

private:
    // Counts of 1000 on either side of the table show any read beyond it.
    std::vector<int32_t> m_padded;
    int32_t* m_counts = nullptr;
    std::unique_ptr<Histogram> m_widget;

    QImage paint(int width = 400)
    {
        m_widget->resize(width, 100);
        return m_widget->grab().toImage().convertToFormat(QImage::Format_RGB32);
    }

private slots:
    void init()
    {
        m_padded.assign(kDensityCount + 32, 1000);
        m_counts = m_padded.data() + 16;
        std::fill(m_counts, m_counts + kDensityCount, 0);
        m_widget = std::make_unique<Histogram>(nullptr);
        m_widget->m_histogram = m_counts;
    }

    void whiteBeforeAnyHistogram()
    {
        m_widget->m_histogram = nullptr;
        m_widget->m_controlPoints = {{Qt::blue, 100, 50}};
        QImage white(400, 100, QImage::Format_RGB32);
        white.fill(kWhite);
        QCOMPARE(paint(), white);
    }

    void bars_data()
    {
        QTest::addColumn<int>("index");
        for (const BarCase& c : kBarCases)
            QTest::newRow(c.name) << int(&c - kBarCases);
    }

    // Without points the polyline is the black diagonal from (0, 0) to (W - 1, H), 3 px thick;
    // away from it each column is red up to its bar's height and white above.
    void bars()
    {
        QFETCH(int, index);
        const BarCase& c = kBarCases[index];
        for (int b = 0; b < kDensityCount; ++b)
            m_counts[b] = c.count(b);
        m_widget->m_minDensity = c.lo;
        m_widget->m_maxDensity = c.hi;
        const QImage image = paint(c.width);
        const int w = c.width, h = 100;
        const double length = std::hypot(double(w - 1), double(h));
        for (int x = 0; x < w; ++x) {
            for (int y = 0; y < h; ++y) {
                const double distance = std::abs(h * (x + 0.5) - (w - 1) * (y + 0.5)) / length;
                const QColor bar = y >= h - c.height(x) ? kRed : kWhite, actual = at(image, x, y);
                const bool ok = distance < 1.4
                                    ? actual == kBlack
                                    : actual == bar || (distance < 1.6 && actual == kBlack);
                QVERIFY2(ok, qPrintable(QString("(%1, %2) %3").arg(x).arg(y).arg(actual.name())));
            }
        }
    }

    // A marker fills x - 5 .. x + 4 and y - 5 .. y + 4; the segments, drawn after it, cover its
    // middle rows. Each segment fades from one point's colour to the next's. Clicks edit and
    // repaint even without a renderer.
    void markersAreTenByTenInTheirColour()
    {
        m_widget->resize(400, 100);
        QTest::mouseClick(m_widget.get(), Qt::LeftButton, Qt::NoModifier, QPoint(300, 20));
        QTest::mouseClick(m_widget.get(), Qt::LeftButton, Qt::NoModifier, QPoint(200, 50));
        QCOMPARE(m_widget->m_controlPoints.size(), size_t(2));
        m_widget->m_controlPoints[0].color = kGreen;
        QImage image = paint();
        for (int x = 194; x <= 205; ++x) {
            const bool inside = x > 194 && x < 205;
            for (int y : {44, 45, 54, 55})
                QCOMPARE(at(image, x, y), inside && (y == 45 || y == 54) ? kGreen : kWhite);
            // A colour never chosen is the toolkit's unset colour, painted opaque black.
            QCOMPARE(at(image, x + 100, 14), kWhite);
            QCOMPARE(at(image, x + 100, 15), inside ? kBlack : kWhite);
        }
        for (int y = 51; y <= 54; ++y)
            for (int x : {194, 195, 204, 205})
                QCOMPARE(at(image, x, y), x == 194 || x == 205 ? kWhite : kGreen);
        QVERIFY(at(image, 196, 48) != kGreen && at(image, 203, 48) != kGreen);
        for (int x = 220; x <= 280; x += 30) {
            const QColor c = at(image, x, 50 - 3 * (x - 200) / 10);
            QVERIFY2(std::abs(c.green() - 255 * (300 - x) / 100) < 15 && c.red() + c.blue() == 0,
                     qPrintable(c.name()));
        }

        QTest::mouseClick(m_widget.get(), Qt::RightButton, Qt::NoModifier, QPoint(303, 23));
        QCOMPARE(m_widget->m_controlPoints.size(), size_t(1));
        image = paint();
        QCOMPARE(at(image, 295, 15), kWhite);
        QCOMPARE(at(image, 195, 45), kGreen);
    }
};

QTEST_MAIN(TstHistogramPaint)
#include "tst_histogrampaint.moc"
