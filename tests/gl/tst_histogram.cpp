// The histogram widget: its picture (bars, markers, the graded polyline),
// and editing the control points with the mouse, which rebuilds and uploads
// the view's transfer table.

#include "tests/support/consolecapture.h"
#include "tests/support/testfolder.h"
#include "tests/support/testview.h"
#include "tfeditor/histogram.h"
#include "tools/uidriver.h"
#include "volume/volumewriter.h"

#include <QtTest>

#include <cmath>
#include <functional>
#include <memory>

namespace {

const QColor kWhite(Qt::white), kBlack(Qt::black); // red is kRed (testview.h)

// A bar picture: the window on a widget `width` x 100, the count of each bin
// and the expected bar height of each pixel column.
struct BarCase
{
    const char* name;
    int width, lo, hi;
    int (*count)(int bin);
    int (*height)(int x);
    bool logarithmic = false;
};

int epiCounts(int bin)
{
    return bin == 100 ? 200000 : bin == 0 ? 1 : 10 * (bin >= 50 && bin < 60);
}

const BarCase kBarCases[] = {
    // 3 x 33.333332f is 99.9999962 in double: 99 pixels, where float
    // arithmetic gives 100. Bin hi would have its bar at x = 99.
    {"peak 3 on 100 px: a 99-px bar, none for bin hi", 100, 10, 13,
     [](int b) { return b == 11 ? 1 : 3 * (b == 10 || b == 13); },
     [](int x) { return x < 33 ? 99 : 33 * (x < 66); }},
    // About ten bins a column; bin hi holds the peak, halving every bar, but has no bar.
    {"lo 0, hi 4095 on 410 px: 1-px bars", 410, 0, 4095,
     [](int b) { return b == 0 || b == 2000 || b == 4094 ? 5 : 10 * (b == 4095); },
     [](int x) { return x == 0 || x == 200 || x == 409 ? 50 : 0; }},
    // A window the main window failed to keep in range reads nothing outside the counts.
    {"window beyond the table", 40, -2, 2, [](int b) { return b == 0 ? 4 : 2 * (b == 1); },
     [](int x) { return x < 20 ? 0 : 50 + 50 * (x < 30); }},
    // The same at the top: bin 4095 is the last counted, 4096 and 4097 read nothing.
    {"window beyond the top bin", 40, 4093, 4097,
     [](int b) { return b == 4095 ? 4 : 2 * (b == 4093); },
     [](int x) { return x < 10 ? 50 : 100 * (x >= 20 && x < 30); }},
    // An EPI's counts: air (bin hi, no bar of its own) dwarfs the brain's
    // bins, which a linear scale draws as nothing: on the log scale a count
    // of 10 stands floor(100 ln 11 / ln 200001) = 19 px high, and 1 5 px.
    {"an EPI, logarithmic", 100, 0, 100, epiCounts,
     [](int x) { return x == 0 ? 5 : 19 * (x >= 50 && x < 60); }, true},
};

} // namespace

class TestHistogram : public QObject
{
    Q_OBJECT

private:
    TestFolder m_folder{TestFolder::WithShaders};
    ConsoleCapture m_console;
    std::unique_ptr<TestView> m_view;
    std::unique_ptr<Histogram> m_histogram;
    // Counts of 1000 on either side of the table show any read beyond it.
    std::vector<int32_t> m_padded = std::vector<int32_t>(kDensityCount + 32, 1000);
    int m_paints = 0;

    GLWidget& view() { return m_view->widget(); }
    const std::vector<TransferEntry>& table() { return view().transferTable(); }
    const std::vector<ControlPoint>& points() { return m_histogram->m_controlPoints; }
    QPoint pos(size_t i) { return QPoint(points()[i].x, points()[i].y); }

    void press(Qt::MouseButton button, QPoint at)
    {
        QTest::mouseClick(m_histogram.get(), button, Qt::NoModifier, at);
    }

    QImage paint(int width, int height)
    {
        m_histogram->resize(width, height);
        return m_histogram->grab().toImage().convertToFormat(QImage::Format_RGB32);
    }

    bool eventFilter(QObject*, QEvent* event) override
    {
        m_paints += event->type() == QEvent::Paint;
        return false;
    }

    // Whether `edit` makes the histogram repaint, through the event loop.
    bool repaints(const std::function<void()>& edit)
    {
        QTest::qWait(20);
        m_paints = 0;
        edit();
        return QTest::qWaitFor([this] { return m_paints > 0; }, 2000);
    }

    // Whether the table is the one the points give on this 400 x 200 widget for lo..hi.
    bool tableBuiltFor(int lo, int hi)
    {
        std::vector<TransferEntry> expected;
        buildTransferTable(expected, points(), 400, 200, lo, hi);
        return table() == expected;
    }

    // Returns the table, then moves the window so that any rebuild would change it.
    std::vector<TransferEntry> watchForRebuilds()
    {
        view().m_minDensity = 1000;
        return table();
    }

private slots:
    void initTestCase() { QCoreApplication::setAttribute(Qt::AA_DontUseNativeDialogs); }

    void init()
    {
        m_view = std::make_unique<TestView>(100, 100);
        m_histogram = std::make_unique<Histogram>(nullptr);
        m_histogram->resize(400, 200);
        m_histogram->m_renderer = &view();
        m_histogram->installEventFilter(this);
        QVERIFY(ui::show(*m_histogram));
        m_console.clear();
    }

    void cleanup()
    {
        m_histogram.reset();
        m_view.reset();
        QCOMPARE(m_console.err(), std::string());
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
        int32_t* counts = m_padded.data() + 16;
        for (int b = 0; b < kDensityCount; ++b)
            counts[b] = c.count(b);
        m_histogram->m_histogram = counts;
        m_histogram->m_minDensity = c.lo;
        m_histogram->m_maxDensity = c.hi;
        m_histogram->setLogarithmic(c.logarithmic);
        const int w = c.width, h = 100;
        const QImage image = paint(w, h);
        const double length = std::hypot(double(w - 1), double(h));
        for (int x = 0; x < w; ++x)
            for (int y = 0; y < h; ++y) {
                const double distance = std::abs(h * (x + 0.5) - (w - 1) * (y + 0.5)) / length;
                const QColor bar = y >= h - c.height(x) ? kRed : kWhite, actual = image.pixel(x, y);
                const bool ok = distance < 1.4
                                    ? actual == kBlack
                                    : actual == bar || (distance < 1.6 && actual == kBlack);
                QVERIFY2(ok, qPrintable(QString("(%1, %2) %3").arg(x).arg(y).arg(actual.name())));
            }
    }

    // Every edit repaints the editor, rebuilds the table from the points for the window of the
    // moment and uploads it.
    void tableFollowsEachEdit()
    {
        QVERIFY(!view().transferReady());
        QVERIFY(repaints([this] { press(Qt::LeftButton, {200, 100}); }));
        QVERIFY(view().transferReady());
        QCOMPARE(points().size(), size_t(1));
        QCOMPARE(pos(0), QPoint(200, 100));
        QVERIFY(!points()[0].color.isValid());
        QVERIFY(tableBuiltFor(0, 4095));

        ui::ColourDialogAnswer answer{QColor(Qt::red)};
        QVERIFY(repaints([this] { ui::doubleClick(m_histogram.get(), {203, 96}); }));
        QVERIFY(answer.opened);
        QCOMPARE(answer.parent, static_cast<QWidget*>(m_histogram.get()));
        QCOMPARE(points()[0].color, QColor(Qt::red));
        QVERIFY(tableBuiltFor(0, 4095));
        view().makeCurrent();
        std::vector<TransferEntry> texels(kDensityCount);
        glBindTexture(GL_TEXTURE_1D, view().transferTexture());
        glGetTexImage(GL_TEXTURE_1D, 0, GL_RGBA, GL_UNSIGNED_BYTE, texels.data());
        QVERIFY(texels == table());

        view().m_minDensity = 1000;
        view().m_maxDensity = 3000;
        press(Qt::LeftButton, {300, 150});
        QVERIFY(repaints([this] { press(Qt::RightButton, {200, 100}); }));
        QCOMPARE(points().size(), size_t(1));
        QCOMPARE(pos(0), QPoint(300, 150));
        QVERIFY(tableBuiltFor(1000, 3000));
    }

    // The view shows an edit's table at once, with no other event: the frame the edit brings
    // is the one a repaint draws, and not the frame before it.
    void theViewShowsAnEditAtOnce()
    {
        QVERIFY(writeVolumeFile("v.dat", SampleVolume(16, 16, 16, 3000)));
        view().loadVolume("v.dat");
        m_histogram->m_controlPoints = {{QColor(Qt::white), 280, 190}, {QColor(Qt::red), 310, 190}};
        m_histogram->rebuildTransferFunction();
        const QImage before = m_view->render();
        press(Qt::RightButton, {310, 190});
        QTest::qWait(50);
        const QImage shown = m_view->readBack();
        QVERIFY(shown != before);
        QVERIFY(shown == m_view->render());
        m_console.clear(); // the frames' own diagnostics
    }

    // A press acts on a point within 4 pixels on both axes; at 5 it is on empty space. A left
    // press on the point changes and rebuilds nothing; off it, it adds a point; a right press
    // removes the point, or else the one just added.
    void hitRuleIsFourPixels()
    {
        for (const QPoint& offset : {QPoint(4, 4), QPoint(-4, -4), QPoint(5, 0), QPoint(-5, 0),
                                     QPoint(0, 5), QPoint(0, -5)}) {
            const bool hit = std::abs(offset.x()) == 4;
            m_histogram->m_controlPoints.clear();
            view().m_minDensity = 0;
            press(Qt::LeftButton, {200, 100});
            const std::vector<TransferEntry> before = watchForRebuilds();
            press(Qt::LeftButton, QPoint(200, 100) + offset);
            QCOMPARE(points().size(), size_t(hit ? 1 : 2));
            QCOMPARE(table() == before, hit);
            press(Qt::RightButton, QPoint(200, 100) + offset);
            QCOMPARE(points().size(), size_t(hit ? 0 : 1));
            QVERIFY(tableBuiltFor(1000, 4095));
        }
    }

    // A left drag on a point takes it to the mouse, between its neighbours and inside the widget,
    // with its colour; the view follows each move, and the table is that of the points placed
    // there. Within 3 pixels of the press it is a click: nothing changes or is rebuilt.
    void dragMovesAPoint_data()
    {
        QTest::addColumn<QPoint>("from");
        QTest::addColumn<QPoint>("to");
        QTest::addColumn<QPoint>("at");
        QTest::newRow("3 px is a click") << QPoint(200, 100) << QPoint(203, 97) << QPoint(200, 100);
        QTest::newRow("4 px is a drag") << QPoint(202, 97) << QPoint(206, 97) << QPoint(206, 97);
        QTest::newRow("previous") << QPoint(200, 100) << QPoint(20, 100) << QPoint(100, 100);
        QTest::newRow("next, bottom") << QPoint(200, 100) << QPoint(390, 260) << QPoint(300, 199);
        QTest::newRow("top left") << QPoint(100, 50) << QPoint(-30, -20) << QPoint(0, 0);
        QTest::newRow("right edge") << QPoint(300, 150) << QPoint(500, 150) << QPoint(399, 150);
    }

    void dragMovesAPoint()
    {
        QFETCH(QPoint, from);
        QFETCH(QPoint, to);
        QFETCH(QPoint, at);
        std::vector<ControlPoint> placed = {{kRed, 100, 50}, {kWhite, 200, 100}, {kRed, 300, 150}};
        m_histogram->m_controlPoints = placed;
        m_histogram->rebuildTransferFunction();
        const std::vector<TransferEntry> before = watchForRebuilds();
        ControlPoint& moved = placed[size_t(from.x() / 100 - 1)]; // the one pressed on
        const bool moves = at != QPoint(moved.x, moved.y);
        moved.x = at.x();
        moved.y = at.y();
        QTest::mousePress(m_histogram.get(), Qt::LeftButton, Qt::NoModifier, from);
        ui::move(m_histogram.get(), to, Qt::LeftButton);
        QCOMPARE(table() == before, !moves);
        QTest::mouseRelease(m_histogram.get(), Qt::LeftButton, Qt::NoModifier, to);
        std::vector<TransferEntry> expected;
        buildTransferTable(expected, placed, 400, 200, 1000, 4095);
        QVERIFY(moves ? table() == expected : table() == before);
    }

    // Points stay sorted by x, and a press where two squares overlap acts on the one with the
    // smaller x, whichever came first.
    void overlappingSquaresActOnTheSmallerX()
    {
        for (const QPoint& at : {QPoint(300, 100), QPoint(106, 100), QPoint(100, 103)})
            press(Qt::LeftButton, at);
        QCOMPARE(pos(0), QPoint(100, 103));
        QCOMPARE(pos(1), QPoint(106, 100));
        ui::ColourDialogAnswer answer{QColor(Qt::green)};
        ui::doubleClick(m_histogram.get(), {103, 101});
        QCOMPARE(points()[0].color, QColor(Qt::green));
        QVERIFY(!points()[1].color.isValid() && !points()[2].color.isValid());
        press(Qt::RightButton, {103, 101});
        QCOMPARE(pos(0), QPoint(106, 100));
    }

    // Cancelling the dialog, or a load emptying the list while it is open, changes and rebuilds
    // nothing.
    void cancelsAndOtherButtonsChangeNothing()
    {
        ui::ColourDialogAnswer pick{QColor(Qt::blue)};
        ui::doubleClick(m_histogram.get(), {150, 60});
        QCOMPARE(points()[0].color, QColor(Qt::blue));
        const std::vector<TransferEntry> before = watchForRebuilds();
        ui::ColourDialogAnswer cancel{QColor()};
        ui::doubleClick(m_histogram.get(), {150, 60});
        QVERIFY(cancel.opened);
        QCOMPARE(cancel.initial, QColor(Qt::blue));
        QCOMPARE(points()[0].color, QColor(Qt::blue));
        ui::ColourDialogAnswer emptied(QColor(Qt::red),
                                       [this] { m_histogram->m_controlPoints = {}; });
        ui::doubleClick(m_histogram.get(), {150, 60});
        QVERIFY(emptied.opened && points().empty());
        QVERIFY(table() == before);
    }
};

QTEST_MAIN(TestHistogram)
#include "tst_histogram.moc"
