// Reading a scan in four panes: the planes through the linked point, drawn
// as the volume's samples are; the patient's sides at their edges; the
// slices' own window and its drag; a measured distance.

#include "app/fourpanes.h"
#include "render/glwidget.h"
#include "render/panelink.h"
#include "render/slicepane.h"
#include "tests/support/consolecapture.h"
#include "tests/support/testfolder.h"
#include "tools/uidriver.h"
#include "volume/volumewriter.h"

#include <QMainWindow>
#include <QMenuBar>
#include <QtTest>

#include <cmath>
#include <memory>

namespace {

constexpr int kExtents[3] = {40, 30, 20};

// A density of its own for each plane: 40 apart from one y to the next,
// 7 along z and 3 along x, so that a pane showing the wrong plane, or a
// plane laid the wrong way, shows other greys.
int density(int x, int y, int z)
{
    return 100 + 3 * x + 40 * y + 7 * z;
}

// The view's area of 702 x 502 in four panes of 350 x 250.
struct Scene
{
    TestFolder folder{TestFolder::WithShaders};
    ConsoleCapture quiet;
    QMainWindow window;
    GLWidget* view = new GLWidget(&window);
    FourPanes* panes;
    bool shown = false; // the window, and the panes mapped

    explicit Scene(const ScanKind& kind)
    {
        SampleVolume volume(kExtents[0], kExtents[1], kExtents[2], 0);
        for (int z = 0; z < kExtents[2]; ++z)
            for (int y = 0; y < kExtents[1]; ++y)
                for (int x = 0; x < kExtents[0]; ++x)
                    volume.at(x, y, z) = uint16_t(density(x, y, z));
        writeVolumeFile("v.dat", volume);
        window.setCentralWidget(new QWidget);
        view->setParent(window.centralWidget());
        panes = new FourPanes(view, window.menuBar()->addMenu("&Ansicht"), &window);
        window.resize(720, 540);
        shown = ui::show(window);
        panes->setArea(QRect(0, 0, 702, 502));
        view->updateGL(); // its GL set up, so that the volume goes into its texture
        view->loadVolume("v.dat");
        panes->volumeLoaded(kind);
        panes->setOn(true);
        // A pane draws once the window system has mapped it.
        shown = shown && QTest::qWaitFor([this] {
                    return pane(PanePlane::Axial)->testAttribute(Qt::WA_Mapped) &&
                           pane(PanePlane::Coronal)->testAttribute(Qt::WA_Mapped) &&
                           pane(PanePlane::Sagittal)->testAttribute(Qt::WA_Mapped);
                });
        panes->link()->setWindow({1600, 800}); // densities 0..1600 black to white
    }

    SlicePane* pane(PanePlane plane) { return panes->pane(plane); }
};

// Where the point (u, v) of a pane's plane lies, in voxels along its across
// and up axes (the centre of the voxel (i, j) at i + 0.5, j + 0.5): the plane
// at its true proportions (voxels `spacing` mm) fits the 350 x 250 pane,
// centred, its across axis `reversed` where the patient's right is on the left.
QPointF planePixel(int across, int up, double u, double v, bool reversed,
                   const std::array<double, 3>& spacing = {{1, 1, 1}})
{
    const double width = kExtents[across] * spacing[size_t(across)],
                 height = kExtents[up] * spacing[size_t(up)];
    const double scale = std::min(350 / width, 250 / height);
    const double right = (u - kExtents[across] / 2.0) * spacing[size_t(across)] * scale;
    return QPointF(175 + (reversed ? -right : right),
                   125 - (v - kExtents[up] / 2.0) * spacing[size_t(up)] * scale);
}

QPoint pixelOf(QPointF at)
{
    return QPoint(int(std::floor(at.x())), int(std::floor(at.y())));
}

// The voxels of a pane's plane whose greys differ from the densities of the
// volume's plane at `index` across `normal`, away from the crosshair
// through `point` and the text at the edges; "" where none do. Each is read
// a third of a voxel off its centre, where blending with its neighbours
// would show.
QString differences(SlicePane* pane, int normal, int index, const std::array<int, 3>& point,
                    bool reversed, const SliceWindow& window)
{
    const int across = normal == 0 ? 1 : 0, up = normal == 2 ? 1 : 2;
    pane->updateGL();
    const QImage picture = pane->grabFrameBuffer();
    QString found;
    for (int v = 0; v < kExtents[up]; ++v)
        for (int u = 0; u < kExtents[across]; ++u) {
            const QPoint at = pixelOf(planePixel(across, up, u + 0.85, v + 0.85, reversed));
            const QPoint crosshair = pixelOf(planePixel(across, up, point[size_t(across)] + 0.5,
                                                        point[size_t(up)] + 0.5, reversed));
            if (std::abs(at.x() - crosshair.x()) < 3 || std::abs(at.y() - crosshair.y()) < 3 ||
                at.x() < 20 || at.x() > 330 || at.y() < 20 || at.y() > 230)
                continue;
            std::array<int, 3> voxel;
            voxel[size_t(normal)] = index;
            voxel[size_t(across)] = u;
            voxel[size_t(up)] = v;
            const double d = density(voxel[0], voxel[1], voxel[2]);
            const int expected =
                int(std::lround(std::clamp((d - window.low()) / window.width, 0.0, 1.0) * 255));
            if (std::abs(qRed(picture.pixel(at)) - expected) > 1)
                found += QString(" (%1, %2): %3 for %4")
                             .arg(u)
                             .arg(v)
                             .arg(qRed(picture.pixel(at)))
                             .arg(expected);
        }
    return found;
}

} // namespace

class TestPanes : public QObject
{
    Q_OBJECT

private slots:
    // A click in the axial pane sets the point: the sagittal and coronal
    // panes show the volume's planes through its voxel, as its samples are,
    // in a volume of no known orientation (x across, y and z up) and in one
    // of the patient's axes (the patient's right on the left); the wheel
    // steps the axial plane, and the cursor keys the point.
    void aClickMovesTheOtherPlanesThroughThePoint_data()
    {
        QTest::addColumn<bool>("patientAxes");
        QTest::newRow("no known orientation") << false;
        QTest::newRow("the patient's axes") << true;
    }

    void aClickMovesTheOtherPlanesThroughThePoint()
    {
        QFETCH(bool, patientAxes);
        Scene scene({false, patientAxes, {}, {}});
        QVERIFY(scene.shown);
        PaneLink* link = scene.panes->link();
        QCOMPARE(link->point().voxel, (std::array<int, 3>{{20, 15, 10}}));
        SlicePane* axial = scene.pane(PanePlane::Axial);
        QTest::mouseClick(axial, Qt::LeftButton, {},
                          pixelOf(planePixel(0, 1, 11.5, 23.5, patientAxes)));
        const std::array<int, 3> point{{11, 23, 10}};
        QCOMPARE(link->point().voxel, point);
        const SliceWindow& window = link->window();
        QCOMPARE(differences(scene.pane(PanePlane::Sagittal), 0, 11, point, patientAxes, window),
                 QString());
        QCOMPARE(differences(scene.pane(PanePlane::Coronal), 1, 23, point, patientAxes, window),
                 QString());
        QCOMPARE(differences(axial, 2, 10, point, patientAxes, window), QString());
        QCOMPARE(axial->label(), patientAxes ? "Axial 10 / 20" : "z = 10 / 20");

        ui::wheel(axial, QPoint(100, 100), 2);
        QApplication::setActiveWindow(&scene.window);
        axial->setFocus();
        QTest::keyClick(axial, Qt::Key_Right);
        QTest::keyClick(axial, Qt::Key_Up);
        QCOMPARE(link->point().voxel, (std::array<int, 3>{{patientAxes ? 10 : 12, 24, 12}}));
    }

    // The patient's sides at the left, right, top and bottom edges of each
    // plane; none without a known orientation.
    void theSidesAreNamedAtTheEdges()
    {
        Scene patient({false, true, {}, {}});
        QVERIFY(patient.shown);
        QCOMPARE(patient.pane(PanePlane::Axial)->edgeLetters(), (QStringList{"R", "L", "A", "P"}));
        QCOMPARE(patient.pane(PanePlane::Coronal)->edgeLetters(),
                 (QStringList{"R", "L", "S", "I"}));
        QCOMPARE(patient.pane(PanePlane::Sagittal)->edgeLetters(),
                 (QStringList{"A", "P", "S", "I"}));
        Scene unknown({false, false, {}, {}});
        QVERIFY(unknown.pane(PanePlane::Axial)->edgeLetters().isEmpty());
    }

    // A CT starts in the soft-tissue window, 400 wide about 40 HU; a slice's
    // grey is clamp((density - (level - width / 2)) / width). A right drag
    // widens the window by 2 densities a pixel to the right and raises the
    // level by 2 a pixel upwards.
    void theSlicesHaveAWindowOfTheirOwn()
    {
        Scene ct({true, false, {}, {}});
        QVERIFY(ct.shown);
        PaneLink* link = ct.panes->link();
        ct.panes->volumeLoaded({true, false, {}, {}});
        QCOMPARE(link->window().text(true), QString("Fenster 400, Zentrum 40"));
        link->setWindow({300, 1000});
        SlicePane* coronal = ct.pane(PanePlane::Coronal);
        QCOMPARE(differences(coronal, 1, 15, link->point().voxel, false, link->window()),
                 QString());
        ui::drag(coronal, QPoint(100, 100), QPoint(130, 80), Qt::RightButton);
        QCOMPARE(link->window().text(true), QString("Fenster 360, Zentrum 16"));
    }

    // Two clicks while measuring, at the pixels of two voxel centres: the
    // line's length in mm where the voxel size is known (0.5 x 0.5 x 2 mm:
    // 20 voxels along x and 8 along z make 10 and 16 mm, 18.87 in all), else
    // in voxels (21.54); a click lands within half a pixel of the centre.
    void aDistanceIsMeasuredInMillimetres_data()
    {
        QTest::addColumn<bool>("known");
        QTest::addColumn<double>("length");
        QTest::addColumn<QString>("unit");
        QTest::newRow("voxel size known") << true << std::hypot(10.0, 16.0) << " mm";
        QTest::newRow("unknown") << false << std::hypot(20.0, 8.0) << " Voxel";
    }

    void aDistanceIsMeasuredInMillimetres()
    {
        QFETCH(bool, known);
        QFETCH(double, length);
        QFETCH(QString, unit);
        const std::array<double, 3> size{{0.5, 0.5, 2}}, cubes{{1, 1, 1}};
        Scene scene({false, false, {}, known ? size : std::array<double, 3>{}});
        QVERIFY(scene.shown);
        SlicePane* coronal = scene.pane(PanePlane::Coronal);
        QApplication::setActiveWindow(&scene.window); // whatever the display's focus
        coronal->setFocus();
        QTest::keyClick(coronal, Qt::Key_M);
        QVERIFY(scene.panes->link()->measuring());
        for (const auto& [x, z] : {std::pair(5, 2), std::pair(25, 10)})
            QTest::mouseClick(
                coronal, Qt::LeftButton, {},
                pixelOf(planePixel(0, 2, x + 0.5, z + 0.5, false, known ? size : cubes)));
        const std::vector<PaneLink::Ruler>& rulers = scene.panes->link()->rulers();
        QCOMPARE(rulers.size(), size_t(1));
        const QString said = scene.panes->link()->lengthText(rulers[0]);
        QVERIFY2(said.endsWith(unit) &&
                     std::abs(said.chopped(unit.size()).toDouble() - length) < 0.2,
                 qPrintable(said));
        QVERIFY(!scene.panes->link()->measuring());
    }
};

QTEST_MAIN(TestPanes)
#include "tst_panes.moc"
