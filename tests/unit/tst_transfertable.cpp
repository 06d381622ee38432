// The transfer table built from control points, entry by entry. The expected
// entries are worked out by hand from the editor's geometry: x times
// (hi - lo) / width plus lo is the index, y / height x 255 the opacity, and
// ramps run between neighbouring points, truncated to bytes.

#include "render/transfertable.h"

#include <QtTest>

namespace {

struct Entry {
    int index;
    TransferEntry value;
};

struct TableCase {
    const char* name;
    std::vector<ControlPoint> points;
    int width, height, lo, hi;
    std::vector<Entry> expected;
};

const QColor kRed(255, 0, 0), kGreen(0, 255, 0), kBlue(0, 0, 255);

const TableCase kCases[] = {
    {"no points: a transparent grey ramp", {}, 400, 200, 0, 4095,
     {{0, {0, 0, 0, 0}}, {2048, {127, 127, 127, 0}}, {4095, {255, 255, 255, 0}}}},
    // 200 x 4095 / 400 = 2047.5 lands on 2047; 100 / 200 x 255 = 127.5.
    {"one red point", {{kRed, 200, 100}}, 400, 200, 0, 4095,
     {{0, {0, 0, 0, 0}}, {1023, {127, 0, 0, 63}}, {2047, {255, 0, 0, 127}},
      {4095, {255, 255, 255, 0}}}},
    {"the window places the points and clears the rest", {{kRed, 200, 100}}, 400, 200, 1000, 3000,
     {{999, {0, 0, 0, 0}}, {1000, {0, 0, 0, 0}}, {2000, {255, 0, 0, 127}},
      {3000, {255, 255, 255, 0}}, {3001, {0, 0, 0, 0}}, {4095, {0, 0, 0, 0}}}},
    {"the top edge is transparent", {{kBlue, 200, 0}}, 400, 200, 0, 4095, {{2047, {0, 0, 255, 0}}}},
    {"the bottom row is 199 / 200 opaque", {{kBlue, 200, 199}}, 400, 200, 0, 4095,
     {{2047, {0, 0, 255, 253}}}},
    {"a colour's own alpha plays no part", {{QColor(255, 0, 0, 10), 200, 100}}, 400, 200, 0, 4095,
     {{2047, {255, 0, 0, 127}}}},
    {"an unset colour is black", {{QColor(), 200, 100}}, 400, 200, 0, 4095,
     {{2047, {0, 0, 0, 127}}}},
    // 100 x 10.2375f = 1023.75: both first points land on 1023, and the
    // segment from the second one writes it last.
    {"points at one x make a one-entry segment",
     {{kRed, 100, 50}, {kGreen, 100, 150}, {kBlue, 300, 0}}, 400, 200, 0, 4095,
     {{1023, {0, 255, 0, 191}}, {1024, {0, 254, 0, 191}}}},
    {"unsorted points are sorted", {{kBlue, 300, 0}, {kGreen, 100, 150}}, 400, 200, 0, 4095,
     {{1023, {0, 255, 0, 191}}}},
    // 300 x 13.65f is 4094.99988 in double: the white end lands on 4094.
    {"the white end may fall one entry short", {}, 300, 200, 0, 4095,
     {{4094, {255, 255, 255, 0}}, {4095, {0, 0, 0, 0}}}},
    {"points on the edges keep their own values", {{kRed, 0, 199}, {kGreen, 400, 199}}, 400, 200,
     0, 4095, {{0, {255, 0, 0, 253}}, {4095, {0, 255, 0, 253}}}},
    // The ramp to the white end (5000) is cut at 4095: 1095 / 2000 x 255.
    {"indices past the table are skipped", {{kRed, 500, 100}}, 400, 200, 3000, 5000,
     {{2999, {0, 0, 0, 0}}, {3000, {0, 0, 0, 0}}, {4095, {139, 139, 139, 0}}}},
    {"indices below the table are skipped", {}, 400, 200, -100, 100,
     {{0, {127, 127, 127, 0}}, {101, {0, 0, 0, 0}}}},
    {"a point below a shrunk widget saturates", {{kRed, 200, 400}}, 400, 200, 0, 4095,
     {{2047, {255, 0, 0, 255}}}},
    {"no width", {{kRed, 0, 0}}, 0, 200, 0, 4095, {{0, {0, 0, 0, 0}}, {4095, {0, 0, 0, 0}}}},
    {"no height", {{kRed, 0, 0}}, 400, 0, 0, 4095, {{0, {0, 0, 0, 0}}, {4095, {0, 0, 0, 0}}}},
};

QString text(const TransferEntry& e)
{
    return QString::asprintf("(%d, %d, %d, %d)", e.red, e.green, e.blue, e.alpha);
}

} // namespace

class TestTransferTable : public QObject
{
    Q_OBJECT

private slots:
    void entries_data()
    {
        QTest::addColumn<int>("row");
        for (const TableCase& c : kCases)
            QTest::newRow(c.name) << int(&c - kCases);
    }

    void entries()
    {
        QFETCH(int, row);
        const TableCase& c = kCases[row];
        std::vector<TransferEntry> table(kDensityCount, TransferEntry{1, 2, 3, 4});
        buildTransferTable(table, c.points, c.width, c.height, c.lo, c.hi);
        QCOMPARE(table.size(), size_t(kDensityCount));
        for (const Entry& e : c.expected)
            QCOMPARE(text(table[size_t(e.index)]), text(e.value));
    }
};

QTEST_GUILESS_MAIN(TestTransferTable)
#include "tst_transfertable.moc"
