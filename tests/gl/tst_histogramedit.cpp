#include "tests/support/consolecapture.h"
#include "tests/support/testfolder.h"
#include "tests/support/testview.h"
#include "tfeditor/histogram.h"

#include <QApplication>
#include <QColorDialog>
#include <QMouseEvent>
#include <QTest>
#include <QTimer>

#include <functional>
#include <memory>
#include <optional>
#include <vector>

namespace {

// Answers the next colour dialog from inside its modal loop: picks `choice`,
// or cancels when there is none. Polls, since the dialog shows only once the
// double click has reached the widget.
class ColorDialogAnswer : public QObject
{
public:
    explicit ColorDialogAnswer(std::optional<QColor> choice, std::function<void()> before = {})
        : m_choice(choice), m_before(std::move(before))
    {
        connect(&m_timer, &QTimer::timeout, this, &ColorDialogAnswer::poll);
        m_timer.start(10);
    }

    bool opened = false;
    QColor initial;
    QWidget* parent = nullptr;

private:
    void poll()
    {
        auto* dialog = qobject_cast<QColorDialog*>(QApplication::activeModalWidget());
        if (!dialog || !dialog->isVisible())
            return;
        m_timer.stop();
        opened = true;
        initial = dialog->currentColor();
        parent = dialog->parentWidget();
        if (m_before)
            m_before();
        if (m_choice) {
            dialog->setCurrentColor(*m_choice);
            dialog->accept();
        } else {
            dialog->reject();
        }
    }

    std::optional<QColor> m_choice;
    std::function<void()> m_before;
    QTimer m_timer;
};

// Records the mouse events that reach the histogram's parent.
class Parent : public QWidget
{
public:
    int mouseEvents = 0;

protected:
    void mousePressEvent(QMouseEvent*) override { ++mouseEvents; }
    void mouseReleaseEvent(QMouseEvent*) override { ++mouseEvents; }
    void mouseMoveEvent(QMouseEvent*) override { ++mouseEvents; }
    void mouseDoubleClickEvent(QMouseEvent*) override { ++mouseEvents; }
};

// Counts the paint events a widget receives.
class PaintCounter : public QObject
{
public:
    int paints = 0;

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        paints += event->type() == QEvent::Paint;
        return false;
    }
};

std::vector<TransferEntry> expectedTable(const std::vector<ControlPoint>& points, int minDensity,
                                         int maxDensity)
{
    std::vector<TransferEntry> table;
    buildTransferTable(table, points, 400, 200, minDensity, maxDensity);
    return table;
}

QString describe(const TransferEntry& e)
{
    return QString("(%1, %2, %3, %4)").arg(e.red).arg(e.green).arg(e.blue).arg(e.alpha);
}

} // namespace

class TstHistogramEdit : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<TestFolder> m_folder;
    std::unique_ptr<ConsoleCapture> m_console;
    std::unique_ptr<TestView> m_view;
    std::unique_ptr<Parent> m_parent;
    Histogram* m_histogram = nullptr;
    PaintCounter m_paintCounter;

    GLWidget& view() { return m_view->widget(); }
    const std::vector<TransferEntry>& table() { return view().transferTable(); }
    const std::vector<ControlPoint>& points() { return m_histogram->m_controlPoints; }

    void press(Qt::MouseButton button, int x, int y)
    {
        QTest::mousePress(m_histogram, button, Qt::NoModifier, QPoint(x, y));
        QTest::mouseRelease(m_histogram, button, Qt::NoModifier, QPoint(x, y));
    }

    // A real double click: press, release, then the double-click event in
    // place of the second press, and its release.
    void doubleClick(int x, int y, Qt::MouseButton button = Qt::LeftButton)
    {
        press(button, x, y);
        QTest::mouseDClick(m_histogram, button, Qt::NoModifier, QPoint(x, y));
        QTest::mouseRelease(m_histogram, button, Qt::NoModifier, QPoint(x, y));
    }

    void addRedPointAt200x100()
    {
        press(Qt::LeftButton, 200, 100);
        ColorDialogAnswer answer{QColor(Qt::red)};
        doubleClick(200, 100);
        QVERIFY(answer.opened);
        QCOMPARE(points().size(), size_t(1));
        QCOMPARE(points()[0].color, QColor(Qt::red));
    }

    // After this, a rebuild would map the points onto 1000..4095 and so
    // change the table: an unchanged table proves nothing was rebuilt.
    void armRebuildDetection() { view().m_minDensity = 1000; }

private slots:
    void initTestCase()
    {
        QCoreApplication::setAttribute(Qt::AA_DontUseNativeDialogs);
        m_folder = std::make_unique<TestFolder>(TestFolder::WithShaders);
        m_console = std::make_unique<ConsoleCapture>();
    }

    void init()
    {
        m_view = std::make_unique<TestView>(300, 300);
        m_parent = std::make_unique<Parent>();
        m_histogram = new Histogram(m_parent.get());
        m_histogram->setGeometry(0, 0, 400, 200);
        m_parent->resize(400, 200);
        m_histogram->m_renderer = &view();
        m_histogram->installEventFilter(&m_paintCounter);
        m_parent->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_parent.get()));
        QCOMPARE(m_histogram->size(), QSize(400, 200));
    }

    void cleanup()
    {
        m_parent.reset();
        m_view.reset();
        QVERIFY2(m_console->err().find("Could not bind texture") == std::string::npos,
                 m_console->err().c_str());
        m_console->clear();
    }

    void cleanupTestCase()
    {
        m_console.reset();
        m_folder.reset();
    }

    // Every edit repaints the widget, and rebuilds the table from the points
    // and uploads it.
    void tableFollowsEachEdit()
    {
        QVERIFY(!view().transferReady());

        QTest::qWait(20);
        m_paintCounter.paints = 0;
        press(Qt::LeftButton, 200, 100);
        QTRY_VERIFY(m_paintCounter.paints > 0);
        QVERIFY(view().transferReady());
        QCOMPARE(points().size(), size_t(1));
        QCOMPARE(points()[0].x, 200);
        QCOMPARE(points()[0].y, 100);
        QVERIFY(!points()[0].color.isValid());
        // The unset colour adds no red, green or blue.
        QCOMPARE(describe(table()[2047]), describe({0, 0, 0, 127}));
        QVERIFY(table() == expectedTable(points(), 0, 4095));

        QTest::qWait(20);
        m_paintCounter.paints = 0;
        ColorDialogAnswer answer{QColor(Qt::red)};
        QTest::mouseDClick(m_histogram, Qt::LeftButton, Qt::NoModifier, QPoint(203, 96));
        QVERIFY(answer.opened);
        QCOMPARE(answer.parent, static_cast<QWidget*>(m_histogram));
        QTRY_VERIFY(m_paintCounter.paints > 0);
        QCOMPARE(points()[0].color, QColor(Qt::red));
        QCOMPARE(describe(table()[0]), describe({0, 0, 0, 0}));
        QCOMPARE(describe(table()[2047]), describe({255, 0, 0, 127}));
        QVERIFY(table() == expectedTable(points(), 0, 4095));

        // The texture holds what the table holds.
        view().makeCurrent();
        std::vector<TransferEntry> texels(kDensityCount);
        glBindTexture(GL_TEXTURE_1D, view().transferTexture());
        glGetTexImage(GL_TEXTURE_1D, 0, GL_RGBA, GL_UNSIGNED_BYTE, texels.data());
        QVERIFY(texels == table());

        // The next edit maps the points onto the view's window of that moment.
        view().m_minDensity = 1000;
        view().m_maxDensity = 3000;
        press(Qt::LeftButton, 300, 150);
        QCOMPARE(points().size(), size_t(2));
        QCOMPARE(describe(table()[2000]), describe({255, 0, 0, 127}));
        QCOMPARE(describe(table()[999]), describe({0, 0, 0, 0}));
        QVERIFY(table() == expectedTable(points(), 1000, 3000));

        QTest::qWait(20);
        m_paintCounter.paints = 0;
        press(Qt::RightButton, 200, 100);
        QTRY_VERIFY(m_paintCounter.paints > 0);
        QCOMPARE(points().size(), size_t(1));
        QCOMPARE(points()[0].x, 300);
        QVERIFY(table() == expectedTable(points(), 1000, 3000));

        press(Qt::RightButton, 300, 150);
        QVERIFY(points().empty());
        QVERIFY(table() == expectedTable({}, 1000, 3000));
    }

    // A press acts on a point within 4 pixels on both axes; 5 is empty space.
    void hitRuleIsFourPixels()
    {
        press(Qt::LeftButton, 200, 100);
        const std::vector<TransferEntry> before = table();
        armRebuildDetection();
        for (const QPoint& miss : {QPoint(205, 100), QPoint(195, 100), QPoint(200, 105),
                                   QPoint(200, 95), QPoint(205, 105), QPoint(195, 95)}) {
            press(Qt::RightButton, miss.x(), miss.y());
            QCOMPARE(points().size(), size_t(1));
        }
        QVERIFY(table() == before);

        press(Qt::RightButton, 204, 104);
        QVERIFY(points().empty());
        QVERIFY(table() == expectedTable({}, 1000, 4095));

        view().m_minDensity = 0;
        press(Qt::LeftButton, 200, 100);
        press(Qt::RightButton, 196, 96);
        QVERIFY(points().empty());

        // A left press at 5 pixels is on empty space: it adds a second point.
        press(Qt::LeftButton, 200, 100);
        press(Qt::LeftButton, 205, 95);
        QCOMPARE(points().size(), size_t(2));
        QCOMPARE(points()[1].x, 205);
        QCOMPARE(points()[1].y, 95);
    }

    // Points stay sorted by x, so a press in two overlapping squares acts on
    // the one with the smaller x, whichever came first.
    void overlappingSquaresActOnTheSmallerX()
    {
        press(Qt::LeftButton, 300, 100);
        press(Qt::LeftButton, 106, 100);
        press(Qt::LeftButton, 100, 103);
        QCOMPARE(points().size(), size_t(3));
        QCOMPARE(points()[0].x, 100);
        QCOMPARE(points()[0].y, 103);
        QCOMPARE(points()[1].x, 106);
        QCOMPARE(points()[2].x, 300);
        QVERIFY(table() == expectedTable(points(), 0, 4095));

        ColorDialogAnswer answer{QColor(Qt::green)};
        QTest::mouseDClick(m_histogram, Qt::LeftButton, Qt::NoModifier, QPoint(103, 101));
        QVERIFY(answer.opened);
        QCOMPARE(points()[0].color, QColor(Qt::green));
        QVERIFY(!points()[1].color.isValid());

        press(Qt::RightButton, 103, 101);
        QCOMPARE(points().size(), size_t(2));
        QCOMPARE(points()[0].x, 106);
        QCOMPARE(points()[1].x, 300);
        QVERIFY(table() == expectedTable(points(), 0, 4095));
    }

    // The press adds a point; the double click then recolours that new point.
    void doubleClickOnEmptySpaceAddsThenRecolours()
    {
        ColorDialogAnswer answer{QColor(Qt::blue)};
        doubleClick(150, 60);
        QVERIFY(answer.opened);
        QCOMPARE(points().size(), size_t(1));
        QCOMPARE(points()[0].x, 150);
        QCOMPARE(points()[0].y, 60);
        QCOMPARE(points()[0].color, QColor(Qt::blue));
        // 150 x 10.2375 = 1535.6; 60 / 200 x 255 = 76.5.
        QCOMPARE(describe(table()[1535]), describe({0, 0, 255, 76}));
        QVERIFY(table() == expectedTable(points(), 0, 4095));
    }

    void cancelChangesNothing()
    {
        addRedPointAt200x100();
        const std::vector<TransferEntry> before = table();
        armRebuildDetection();

        ColorDialogAnswer answer(std::nullopt);
        QTest::mouseDClick(m_histogram, Qt::LeftButton, Qt::NoModifier, QPoint(200, 100));
        QVERIFY(answer.opened);
        QCOMPARE(answer.initial, QColor(Qt::red));
        QCOMPARE(points().size(), size_t(1));
        QCOMPARE(points()[0].color, QColor(Qt::red));
        QVERIFY(table() == before);
    }

    // A press on a point with the left or middle button, a middle click
    // anywhere, and double clicks with other buttons change and rebuild nothing.
    void otherPressesDoNothing()
    {
        addRedPointAt200x100();
        const std::vector<TransferEntry> before = table();
        armRebuildDetection();

        press(Qt::LeftButton, 202, 101);
        press(Qt::MiddleButton, 200, 100);
        press(Qt::MiddleButton, 50, 50);
        ColorDialogAnswer answer(std::nullopt);
        QTest::mouseDClick(m_histogram, Qt::MiddleButton, Qt::NoModifier, QPoint(200, 100));
        QTest::mouseDClick(m_histogram, Qt::RightButton, Qt::NoModifier, QPoint(200, 100));
        QTest::qWait(50);
        QVERIFY(!answer.opened);
        QCOMPARE(points().size(), size_t(1));
        QCOMPARE(points()[0].x, 200);
        QCOMPARE(points()[0].color, QColor(Qt::red));
        QVERIFY(table() == before);
        QCOMPARE(m_parent->mouseEvents, 0);
    }

    // Dragging moves nothing, and neither moves nor releases reach the parent.
    void dragsMoveNothing()
    {
        addRedPointAt200x100();
        const std::vector<TransferEntry> before = table();
        armRebuildDetection();

        QTest::mousePress(m_histogram, Qt::LeftButton, Qt::NoModifier, QPoint(200, 100));
        for (int step = 1; step <= 5; ++step) {
            const QPoint pos(200 + 10 * step, 100 + 5 * step);
            QMouseEvent move(QEvent::MouseMove, pos, m_histogram->mapToGlobal(pos), Qt::NoButton,
                             Qt::LeftButton, Qt::NoModifier);
            QApplication::sendEvent(m_histogram, &move);
            QVERIFY(move.isAccepted());
        }
        QTest::mouseRelease(m_histogram, Qt::LeftButton, Qt::NoModifier, QPoint(250, 125));
        QCOMPARE(points().size(), size_t(1));
        QCOMPARE(points()[0].x, 200);
        QCOMPARE(points()[0].y, 100);
        QVERIFY(table() == before);

        // A drag that starts on empty space adds its point where it starts.
        view().m_minDensity = 0;
        QTest::mousePress(m_histogram, Qt::LeftButton, Qt::NoModifier, QPoint(50, 50));
        const QPoint end(80, 90);
        QMouseEvent move(QEvent::MouseMove, end, m_histogram->mapToGlobal(end), Qt::NoButton,
                         Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(m_histogram, &move);
        QTest::mouseRelease(m_histogram, Qt::LeftButton, Qt::NoModifier, end);
        QCOMPARE(points().size(), size_t(2));
        QCOMPARE(points()[0].x, 50);
        QCOMPARE(points()[0].y, 50);
        QCOMPARE(m_parent->mouseEvents, 0);
    }

    // Should the list be emptied while the dialog is open, the chosen colour
    // has no point left to go to.
    void listEmptiedWhileTheDialogIsOpen()
    {
        press(Qt::LeftButton, 200, 100);
        const std::vector<TransferEntry> before = table();
        armRebuildDetection();

        ColorDialogAnswer answer(QColor(Qt::red), [this] { m_histogram->m_controlPoints.clear(); });
        QTest::mouseDClick(m_histogram, Qt::LeftButton, Qt::NoModifier, QPoint(200, 100));
        QVERIFY(answer.opened);
        QVERIFY(points().empty());
        QVERIFY(table() == before);
    }
};

QTEST_MAIN(TstHistogramEdit)
#include "tst_histogramedit.moc"
