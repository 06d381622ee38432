#include "tests/support/consolecapture.h"
#include "tests/support/testfolder.h"
#include "tests/support/testview.h"
#include "tfeditor/histogram.h"

#include <QApplication>
#include <QColorDialog>
#include <QMouseEvent>
#include <QTest>
#include <QTimer>

#include <algorithm>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

namespace {

// Answers the next colour dialog from inside its modal loop, after running `before`: picks
// `choice`, or cancels without one. Polls, as the dialog shows only once the double click is in.
struct ColorDialogAnswer : QObject
{
    explicit ColorDialogAnswer(std::optional<QColor> choice, std::function<void()> before = {})
    {
        connect(&timer, &QTimer::timeout, this, [this, choice, before] {
            auto* dialog = qobject_cast<QColorDialog*>(QApplication::activeModalWidget());
            if (!dialog || !dialog->isVisible())
                return;
            timer.stop();
            opened = true;
            initial = dialog->currentColor();
            parent = dialog->parentWidget();
            if (before)
                before();
            if (choice)
                dialog->setCurrentColor(*choice);
            choice ? dialog->accept() : dialog->reject();
        });
        timer.start(10);
    }
    QTimer timer;
    bool opened = false;
    QColor initial;
    QWidget* parent = nullptr;
};

// Counts the paint events of the widgets it filters.
struct PaintCounter : QObject
{
    bool eventFilter(QObject*, QEvent* event) override
    {
        count += event->type() == QEvent::Paint;
        return false;
    }
    int count = 0;
};

} // namespace

class TstHistogramEdit : public QObject
{
    Q_OBJECT

private:
    TestFolder m_folder{TestFolder::WithShaders};
    ConsoleCapture m_console;
    std::unique_ptr<TestView> m_view;
    std::unique_ptr<Histogram> m_histogram;
    PaintCounter m_paints;

    GLWidget& view() { return m_view->widget(); }
    const std::vector<TransferEntry>& table() { return view().transferTable(); }
    const std::vector<ControlPoint>& points() { return m_histogram->m_controlPoints; }
    QPoint pos(size_t i) { return QPoint(points()[i].x, points()[i].y); }

    void press(Qt::MouseButton button, QPoint at)
    {
        QTest::mousePress(m_histogram.get(), button, Qt::NoModifier, at);
        QTest::mouseRelease(m_histogram.get(), button, Qt::NoModifier, at);
    }

    // Sends one mouse event; whether the histogram accepted it (else its parent would get it).
    bool send(QEvent::Type type, Qt::MouseButton button, QPoint at)
    {
        QMouseEvent event(type, at, m_histogram->mapToGlobal(at),
                          type == QEvent::MouseMove ? Qt::NoButton : button,
                          type == QEvent::MouseButtonRelease ? Qt::NoButton : button,
                          Qt::NoModifier);
        QApplication::sendEvent(m_histogram.get(), &event);
        return event.isAccepted();
    }

    // A real double click: press, release, the double-click event, release.
    void doubleClick(QPoint at)
    {
        press(Qt::LeftButton, at);
        QTest::mouseDClick(m_histogram.get(), Qt::LeftButton, Qt::NoModifier, at);
        QTest::mouseRelease(m_histogram.get(), Qt::LeftButton, Qt::NoModifier, at);
    }

    // Whether the edit makes the histogram repaint.
    bool repaints(const std::function<void()>& edit)
    {
        QTest::qWait(20);
        m_paints.count = 0;
        edit();
        return QTest::qWaitFor([this] { return m_paints.count > 0; }, 2000);
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
        m_view = std::make_unique<TestView>(300, 300);
        m_histogram = std::make_unique<Histogram>(nullptr);
        m_histogram->resize(400, 200);
        m_histogram->m_renderer = &view();
        m_histogram->installEventFilter(&m_paints);
        m_histogram->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_histogram.get()));
    }

    void cleanup()
    {
        m_histogram.reset();
        m_view.reset();
        QVERIFY2(m_console.err().find("Could not bind texture") == std::string::npos,
                 m_console.err().c_str());
        m_console.clear();
    }

    // Every edit repaints the widget, rebuilds the table from the points for the window of the
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

        ColorDialogAnswer answer{QColor(Qt::red)};
        QVERIFY(repaints([this] { doubleClick({203, 96}); }));
        QVERIFY(answer.opened);
        QCOMPARE(answer.parent, static_cast<QWidget*>(m_histogram.get()));
        QCOMPARE(points()[0].color, QColor(Qt::red));
        QVERIFY(table()[2047] == (TransferEntry{255, 0, 0, 127}));
        view().makeCurrent();
        std::vector<TransferEntry> texels(kDensityCount);
        glBindTexture(GL_TEXTURE_1D, view().transferTexture());
        glGetTexImage(GL_TEXTURE_1D, 0, GL_RGBA, GL_UNSIGNED_BYTE, texels.data());
        QVERIFY(texels == table());

        view().m_minDensity = 1000;
        view().m_maxDensity = 3000;
        press(Qt::LeftButton, {300, 150});
        QVERIFY(table()[2000] == (TransferEntry{255, 0, 0, 127}));
        QVERIFY(repaints([this] { press(Qt::RightButton, {200, 100}); }));
        QCOMPARE(points().size(), size_t(1));
        QCOMPARE(pos(0), QPoint(300, 150));
        QVERIFY(tableBuiltFor(1000, 3000));
    }

    void hitRuleIsFourPixels_data()
    {
        QTest::addColumn<QPoint>("offset");
        QTest::addColumn<bool>("hit");
        for (const QPoint& offset : {QPoint(4, 4), QPoint(-4, -4), QPoint(5, 0), QPoint(-5, 0),
                                     QPoint(0, 5), QPoint(0, -5)})
            QTest::addRow("%d, %d", offset.x(), offset.y())
                << offset << (offset.x() == 4 || offset.x() == -4);
    }

    // A press acts on a point within 4 pixels on both axes; at 5 it is on empty space.
    void hitRuleIsFourPixels()
    {
        QFETCH(QPoint, offset);
        QFETCH(bool, hit);
        const QPoint at = QPoint(200, 100) + offset;
        press(Qt::LeftButton, {200, 100});
        const std::vector<TransferEntry> before = watchForRebuilds();
        // A left press on the point changes and rebuilds nothing; off it, it adds a point.
        press(Qt::LeftButton, at);
        QCOMPARE(points().size(), size_t(hit ? 1 : 2));
        QCOMPARE(table() == before, hit);
        // A right press removes the point, or else the one it has just added.
        press(Qt::RightButton, at);
        QCOMPARE(points().size(), size_t(hit ? 0 : 1));
        QVERIFY(hit || pos(0) == QPoint(200, 100));
        QVERIFY(tableBuiltFor(1000, 4095));
    }

    // Points stay sorted by x: one added left of the others comes first, and a press where two
    // squares overlap acts on the one with the smaller x, whichever came first.
    void overlappingSquaresActOnTheSmallerX()
    {
        for (const QPoint& at : {QPoint(300, 100), QPoint(106, 100), QPoint(100, 103)})
            press(Qt::LeftButton, at);
        QCOMPARE(points().size(), size_t(3));
        QCOMPARE(pos(0), QPoint(100, 103));
        QCOMPARE(pos(1), QPoint(106, 100));
        ColorDialogAnswer answer{QColor(Qt::green)};
        doubleClick({103, 101});
        QVERIFY(answer.opened);
        QCOMPARE(points()[0].color, QColor(Qt::green));
        QVERIFY(!points()[1].color.isValid() && !points()[2].color.isValid());
        press(Qt::RightButton, {103, 101});
        QCOMPARE(points().size(), size_t(2));
        QCOMPARE(pos(0), QPoint(106, 100));
    }

    // On empty space the press adds a point and the double click recolours it; cancelling the
    // dialog, or a load emptying the list while it is open, then changes and rebuilds nothing.
    void doubleClickAddsRecoloursAndCancels()
    {
        ColorDialogAnswer pick{QColor(Qt::blue)};
        doubleClick({150, 60});
        QVERIFY(pick.opened);
        QCOMPARE(points().size(), size_t(1));
        QCOMPARE(pos(0), QPoint(150, 60));
        QCOMPARE(points()[0].color, QColor(Qt::blue));
        QVERIFY(tableBuiltFor(0, 4095));

        const std::vector<TransferEntry> before = watchForRebuilds();
        ColorDialogAnswer cancel{std::nullopt};
        doubleClick({150, 60});
        QVERIFY(cancel.opened);
        QCOMPARE(cancel.initial, QColor(Qt::blue));
        QCOMPARE(points().size(), size_t(1));
        QCOMPARE(points()[0].color, QColor(Qt::blue));
        QVERIFY(table() == before);

        ColorDialogAnswer emptied(QColor(Qt::red),
                                  [this] { m_histogram->m_controlPoints.clear(); });
        doubleClick({150, 60});
        QVERIFY(emptied.opened);
        QVERIFY(points().empty());
        QVERIFY(table() == before);
    }

    // Middle presses, double clicks with other buttons and drags change and rebuild nothing; the
    // histogram accepts each of these events, so none passes on to its parent.
    void otherPressesAndDragsChangeNothing()
    {
        const QPoint on(200, 100);
        press(Qt::LeftButton, on);
        const std::vector<TransferEntry> before = watchForRebuilds();
        ColorDialogAnswer answer{std::nullopt};
        QVERIFY(send(QEvent::MouseButtonPress, Qt::MiddleButton, on));
        QVERIFY(send(QEvent::MouseButtonRelease, Qt::MiddleButton, on));
        QVERIFY(send(QEvent::MouseButtonPress, Qt::MiddleButton, {50, 50}));
        QVERIFY(send(QEvent::MouseButtonDblClick, Qt::MiddleButton, on));
        QVERIFY(send(QEvent::MouseButtonDblClick, Qt::RightButton, on));
        // A drag in small steps, so that the point would stay under the cursor.
        QVERIFY(send(QEvent::MouseButtonPress, Qt::LeftButton, on));
        for (int step = 1; step <= 10; ++step)
            QVERIFY(send(QEvent::MouseMove, Qt::LeftButton, on + QPoint(2, 1) * step));
        QVERIFY(send(QEvent::MouseButtonRelease, Qt::LeftButton, on + QPoint(20, 10)));
        QVERIFY(!answer.opened);
        QCOMPARE(points().size(), size_t(1));
        QCOMPARE(pos(0), on);
        QVERIFY(table() == before);
    }
};

QTEST_MAIN(TstHistogramEdit)
#include "tst_histogramedit.moc"
