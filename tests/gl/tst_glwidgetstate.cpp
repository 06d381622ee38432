// The view's state: its meta-object, initial fields, slots, size hints and
// rotation by real mouse drags.

#include "render/glwidget.h"
#include "tests/support/consolecapture.h"
#include "tests/support/testfolder.h"
#include "volume/volumewriter.h"

#include <QtTest>

namespace {

void move(QWidget* widget, QPoint to, Qt::MouseButtons held)
{
    QMouseEvent event(QEvent::MouseMove, to, Qt::NoButton, held, Qt::NoModifier);
    QCoreApplication::sendEvent(widget, &event);
}

} // namespace

class TestGLWidgetState : public QObject
{
    Q_OBJECT

private slots:
    void signalsAndSlotsInTheirOrder()
    {
        const QMetaObject& meta = GLWidget::staticMetaObject;
        QCOMPARE(meta.className(), "GLWidget");
        QCOMPARE(meta.superClass(), &QGLWidget::staticMetaObject);
        const QStringList expected = {
            "signal xRotationChanged(int) angle", "signal yRotationChanged(int) angle",
            "signal zRotationChanged(int) angle", "slot setSlicing(bool) checked",
            "slot setXAxis()",                    "slot setYAxis()",
            "slot setZAxis()",                    "slot setSlice(int) slice",
            "slot setMinDensity(int) value",      "slot setMaxDensity(int) value",
            "slot setCompositeMode()",            "slot setAverageMode()",
            "slot setMIPMode()"};
        QStringList actual;
        for (int i = meta.methodOffset(); i < meta.methodCount(); ++i) {
            const QMetaMethod method = meta.method(i);
            QString text = method.methodType() == QMetaMethod::Signal ? "signal " : "slot ";
            text += method.methodSignature();
            for (const QByteArray& name : method.parameterNames())
                text += " " + name;
            actual << text;
            if (method.methodType() == QMetaMethod::Slot)
                QCOMPARE(method.access(), QMetaMethod::Public);
        }
        QCOMPARE(actual, expected);
        QCOMPARE(meta.propertyCount(), meta.propertyOffset());
    }

    void initialWindowAndSizeHints()
    {
        GLWidget view(nullptr);
        QCOMPARE(view.viewportSize(), QSize(770, 500)); // until the first resize
        QCOMPARE(view.sizeHint(), QSize(400, 400));
        QCOMPARE(view.minimumSizeHint(), QSize(50, 50));
        QCOMPARE(view.transferTable().size(), size_t(4096));
        QVERIFY(view.transferTable()[2000] == (TransferEntry{0, 0, 0, 255}));
    }

    void slotsStoreTheirArgumentUnchecked()
    {
        GLWidget view(nullptr);
        QCOMPARE(view.sliceCount(), 1); // before any load, on every axis
        view.setSlice(0);
        QCOMPARE(view.slicePosition(), 0.0f);
        view.setSlice(1);
        QCOMPARE(view.slicePosition(), 1.0f);
        view.setMaxDensity(200);
        view.setMinDensity(300); // nothing swapped or clamped
        QCOMPARE(view.m_minDensity, 300);
        QCOMPARE(view.m_maxDensity, 200);
        view.setSlicing(true);
        QVERIFY(view.isSlicing());
        view.setAverageMode();
        QCOMPARE(view.renderMode(), 1);
        view.setMIPMode();
        QCOMPARE(view.renderMode(), 2);
        view.setCompositeMode();
        QCOMPARE(view.renderMode(), 0);
    }

    void sliceCountFollowsTheAxis()
    {
        TestFolder folder;
        QVERIFY(writeVolumeFile(folder.file("v.dat"), SampleVolume(256, 128, 113)));
        GLWidget view(nullptr);
        ConsoleCapture quiet;
        view.loadVolume("v.dat");
        view.setZAxis();
        QCOMPARE(view.sliceCount(), 113);
        view.setSlice(56);
        QCOMPARE(view.slicePosition(), float(56.0 / 113.0));
        view.setXAxis(); // the position stays until the next setSlice
        QCOMPARE(view.slicePosition(), float(56.0 / 113.0));
        QCOMPARE(view.sliceCount(), 256);
        view.setYAxis();
        QCOMPARE(view.sliceCount(), 128);
        view.setSlice(64);
        QCOMPARE(view.slicePosition(), 0.5f);
    }

    void leftDragsTurnTheView()
    {
        GLWidget view(nullptr);
        view.resize(300, 300);
        QTest::mousePress(&view, Qt::LeftButton, Qt::NoModifier, QPoint(100, 100));
        QCOMPARE(view.lastMousePos(), QPoint(100, 100));
        move(&view, QPoint(130, 90), Qt::LeftButton);
        QCOMPARE(view.xRotation(), -10);
        QCOMPARE(view.yRotation(), 30);
        move(&view, QPoint(130, 290), Qt::LeftButton);
        QCOMPARE(view.xRotation(), 190); // angles are neither wrapped nor scaled
        QTest::mouseRelease(&view, Qt::LeftButton, Qt::NoModifier, QPoint(130, 290));

        // A right-button drag turns nothing, but the next left move measures
        // from where the right drag left the cursor.
        QTest::mousePress(&view, Qt::RightButton, Qt::NoModifier, QPoint(10, 10));
        move(&view, QPoint(50, 20), Qt::RightButton);
        QCOMPARE(view.xRotation(), 190);
        QCOMPARE(view.yRotation(), 30);
        QCOMPARE(view.lastMousePos(), QPoint(50, 20));
        move(&view, QPoint(55, 27), Qt::LeftButton | Qt::RightButton);
        QCOMPARE(view.xRotation(), 197);
        QCOMPARE(view.yRotation(), 35);
    }

    void everySlotAsksForARepaint()
    {
        // Each slot schedules one repaint through the event loop, also when
        // nothing changes.
        class CountingView : public GLWidget
        {
        public:
            CountingView() : GLWidget(nullptr) {}
            int updates = 0;

        protected:
            bool event(QEvent* e) override
            {
                if (e->type() == QEvent::UpdateRequest)
                    ++updates;
                return GLWidget::event(e);
            }
        };
        TestFolder folder(TestFolder::WithShaders);
        ConsoleCapture quiet;
        CountingView view;
        view.resize(100, 100);
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));
        QCoreApplication::processEvents();
        const char* names[] = {"setXAxis", "setYAxis", "setZAxis", "setCompositeMode",
                               "setAverageMode", "setMIPMode"};
        for (const char* slot : names) {
            view.updates = 0;
            QVERIFY(QMetaObject::invokeMethod(&view, slot));
            QCOMPARE(view.updates, 0); // scheduled, not drawn at once
            QTRY_COMPARE(view.updates, 1);
        }
        view.updates = 0;
        view.setSlicing(false);
        QTRY_COMPARE(view.updates, 1);
    }
};

QTEST_MAIN(TestGLWidgetState)
#include "tst_glwidgetstate.moc"
