// The transfer table built from control points: entry by entry.

#include "render/transfertable.h"

#include <QtTest>

Q_DECLARE_METATYPE(TransferEntry)

namespace {

ControlPoint point(int x, int y, QColor color = QColor())
{
    ControlPoint p;
    p.color = color;
    p.x = x;
    p.y = y;
    return p;
}

std::vector<TransferEntry> build(const std::vector<ControlPoint>& points, int width, int height,
                                 int minDensity = 0, int maxDensity = 4095)
{
    std::vector<TransferEntry> table(kDensityCount, TransferEntry{1, 2, 3, 4});
    buildTransferTable(table, points, width, height, minDensity, maxDensity);
    return table;
}

QString text(const TransferEntry& e)
{
    return QString("(%1, %2, %3, %4)").arg(e.red).arg(e.green).arg(e.blue).arg(e.alpha);
}

#define COMPARE_ENTRY(entry, r, g, b, a) QCOMPARE(text(entry), text(TransferEntry{r, g, b, a}))

} // namespace

class TestTransferTable : public QObject
{
    Q_OBJECT

private slots:
    void withoutPointsTheTableIsATransparentGreyRamp()
    {
        const auto table = build({}, 400, 200);
        QCOMPARE(table.size(), size_t(kDensityCount));
        for (size_t i = 0; i < table.size(); ++i) {
            QCOMPARE(table[i].alpha, uint8_t(0));
            QCOMPARE(table[i].red, table[i].green);
            QCOMPARE(table[i].green, table[i].blue);
            if (i > 0)
                QVERIFY(table[i].red >= table[i - 1].red);
        }
        COMPARE_ENTRY(table[0], 0, 0, 0, 0);
        COMPARE_ENTRY(table[4095], 255, 255, 255, 0);
        // 255 / 4095 per entry, truncated: entry 2048 holds 127.56...
        QCOMPARE(table[2048].red, uint8_t(127));
    }

    void oneRedPointOnTheFullWindow()
    {
        const auto table = build({point(200, 100, Qt::red)}, 400, 200);
        COMPARE_ENTRY(table[0], 0, 0, 0, 0);
        // 200 x 4095 / 400 = 2047.5 lands on 2047; 100 / 200 x 255 = 127.5.
        COMPARE_ENTRY(table[2047], 255, 0, 0, 127);
        // Halfway down the first ramp, and then on towards the white end.
        QCOMPARE(table[1023].red, uint8_t(127));
        QCOMPARE(table[1023].green, uint8_t(0));
        QCOMPARE(table[1023].alpha, uint8_t(63));
        QCOMPARE(table[3071].red, uint8_t(255));
        QVERIFY(table[3071].green > 100 && table[3071].green < 140);
        COMPARE_ENTRY(table[4095], 255, 255, 255, 0);
    }

    void theWindowPlacesThePointsAndClearsTheRest()
    {
        const auto table = build({point(200, 100, Qt::red)}, 400, 200, 1000, 3000);
        for (int i = 0; i < 1000; ++i)
            COMPARE_ENTRY(table[size_t(i)], 0, 0, 0, 0);
        for (int i = 3001; i < kDensityCount; ++i)
            COMPARE_ENTRY(table[size_t(i)], 0, 0, 0, 0);
        COMPARE_ENTRY(table[1000], 0, 0, 0, 0); // the black end point
        COMPARE_ENTRY(table[2000], 255, 0, 0, 127);
        COMPARE_ENTRY(table[3000], 255, 255, 255, 0);
    }

    void opacityFollowsTheHeight()
    {
        const auto top = build({point(200, 0, Qt::blue)}, 400, 200);
        const auto bottom = build({point(200, 199, Qt::blue)}, 400, 200);
        COMPARE_ENTRY(top[2047], 0, 0, 255, 0);
        // 199 / 200 x 255 = 253.725, truncated.
        COMPARE_ENTRY(bottom[2047], 0, 0, 255, 253);
    }

    void colourAlphaAndUnsetColoursPlayNoPart()
    {
        const auto translucent = build({point(200, 100, QColor(255, 0, 0, 10))}, 400, 200);
        COMPARE_ENTRY(translucent[2047], 255, 0, 0, 127);
        const auto unset = build({point(200, 100)}, 400, 200);
        COMPARE_ENTRY(unset[2047], 0, 0, 0, 127);
    }

    void pointsAtTheSameXMakeAOneEntrySegment()
    {
        const auto table =
            build({point(100, 50, Qt::red), point(100, 150, Qt::green), point(300, 0, Qt::blue)},
                  400, 200);
        // 100 x 10.2375f = 1023.75: both points land on entry 1023; the later
        // segment (from the second point) writes it last.
        COMPARE_ENTRY(table[1023], 0, 255, 0, 191);
        QCOMPARE(table[1024].green, uint8_t(254));
        // The list handed in stays as it was, unsorted.
        std::vector<ControlPoint> points = {point(300, 0), point(100, 0)};
        build(points, 400, 200);
        QCOMPARE(points[0].x, 300);
    }

    void theWhiteEndMayFallOneEntryShort()
    {
        // 300 x 13.65f is 4094.99988 in double: the end lands on 4094.
        const auto table = build({}, 300, 200);
        COMPARE_ENTRY(table[4094], 255, 255, 255, 0);
        COMPARE_ENTRY(table[4095], 0, 0, 0, 0);
    }

    void pointsOnTheEdgesKeepTheirOwnValues()
    {
        const auto table = build({point(0, 199, Qt::red), point(400, 199, Qt::green)}, 400, 200);
        COMPARE_ENTRY(table[0], 255, 0, 0, 253);
        COMPARE_ENTRY(table[4095], 0, 255, 0, 253);
    }

    void indicesOutsideTheTableAreSkipped()
    {
        // A window reaching past the table: the ramp is cut at entry 4095 and
        // the white end point (5000) and a point beyond it write nothing.
        const auto high = build({point(500, 100, Qt::red)}, 400, 200, 3000, 5000);
        COMPARE_ENTRY(high[2999], 0, 0, 0, 0);
        COMPARE_ENTRY(high[3000], 0, 0, 0, 0);
        QCOMPARE(high[4095].alpha, uint8_t(0));
        QCOMPARE(high[4095].red, uint8_t(139)); // 1095 x 255 / 2000 = 139.6
        const auto low = build({}, 400, 200, -100, 100);
        // Entries -100..-1 are skipped; the ramp goes on from entry 0.
        COMPARE_ENTRY(low[0], 127, 127, 127, 0);
        QVERIFY(low[100].red >= 254); // 200 float steps of 1.275
        COMPARE_ENTRY(low[101], 0, 0, 0, 0);
    }

    void opacityBelowTheWidgetSaturates()
    {
        // A point left below the bottom edge after the widget shrank.
        const auto table = build({point(200, 400, Qt::red)}, 400, 200);
        COMPARE_ENTRY(table[2047], 255, 0, 0, 255);
    }

    void anEmptyWidgetLeavesTheTableCleared_data()
    {
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("height");
        QTest::newRow("no width") << 0 << 200;
        QTest::newRow("no height") << 400 << 0;
        QTest::newRow("negative") << -5 << -5;
    }

    void anEmptyWidgetLeavesTheTableCleared()
    {
        QFETCH(int, width);
        QFETCH(int, height);
        const auto table = build({point(0, 0, Qt::red)}, width, height);
        for (const TransferEntry& entry : table)
            COMPARE_ENTRY(entry, 0, 0, 0, 0);
    }
};

QTEST_GUILESS_MAIN(TestTransferTable)
#include "tst_transfertable.moc"
