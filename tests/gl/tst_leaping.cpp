// Leaping over empty space is lossless: every pixel of a ray-cast frame
// equals the plain march's within one unit per channel, for thin features
// on brick faces, tables transparent over part of the range and densities
// a table entry away from an edge of the table, in all three modes.

#include "render/glfeatures.h"
#include "tests/support/consolecapture.h"
#include "tests/support/testfolder.h"
#include "tests/support/testview.h"
#include "tests/support/uidriver.h"
#include "volume/volumewriter.h"

#include <QtTest>

namespace {

// 96 x 88 x 80 voxels (bricks of 8) of air holding blocks of 2048 and of
// 100 that each fill three bricks along every axis (at 16 bits, 2048 / 4095
// is stored a little above and 100 / 4095 a little below: they read a little
// of the table's next and previous entries); a plane of 3000 on x = 88, the
// first voxel of a brick and the last of the brick before; a plane of 1200
// on z = 23, the last voxel of a brick; a square of 4095 on x = 73, in the
// second voxel of a brick, behind the blocks seen along x; and one voxel of
// 4095 on the corner of eight bricks. Boxes run from x0 to x1 - 1.
const int kBoxes[][7] = {{8, 40, 40, 33, 65, 65, 2048},  {40, 40, 40, 65, 65, 65, 100},
                         {88, 24, 16, 89, 80, 72, 3000}, {8, 8, 23, 88, 80, 24, 1200},
                         {73, 44, 44, 74, 60, 60, 4095}, {80, 16, 72, 81, 17, 73, 4095}};

// Control points on a 4095 x 255 editor, density and opacity, as text.
using Transfer = QVector<QPoint>;
const Transfer kWindow = {{999, 0}, {1000, 200}, {1500, 200}, {1501, 0}};

} // namespace

class TestLeaping : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { requestAlphaChannel(); }
    void cleanup() { hideGLFeatures({}); }

    void leapingChangesNoPixel_data()
    {
        QTest::addColumn<int>("mode");
        QTest::addColumn<Transfer>("transfer");
        QTest::addColumn<QPoint>("turn"); // a drag across and down, one degree per pixel
        QTest::addColumn<bool>("paddedTexture"); // the volume in a corner of a larger texture
        QTest::newRow("composite, window") << 0 << kWindow << QPoint(-50, 35) << false;
        QTest::newRow("composite, just above 2048")
            << 0 << Transfer{{2048, 0}, {2049, 255}, {4094, 255}} << QPoint(30, -20) << false;
        QTest::newRow("composite, just below 100")
            << 0 << Transfer{{98, 0}, {99, 255}, {100, 0}} << QPoint(-40, 20) << false;
        QTest::newRow("maximum") << 2 << Transfer{{0, 255}, {4094, 255}} << QPoint(120, -30) << false;
        QTest::newRow("average, below 1001")
            << 1 << Transfer{{0, 255}, {1000, 255}, {1001, 0}} << QPoint(65, 25) << false;
        QTest::newRow("composite, padded texture") << 0 << kWindow << QPoint(-50, 35) << true;
    }

    void leapingChangesNoPixel()
    {
        QFETCH(int, mode);
        QFETCH(Transfer, transfer);
        QFETCH(QPoint, turn);
        QFETCH(bool, paddedTexture);
        TestFolder folder(TestFolder::WithShaders);
        ConsoleCapture quiet;
        SampleVolume volume(96, 88, 80, 0);
        for (const int* box : kBoxes)
            for (int z = box[2]; z < box[5]; ++z)
                for (int y = box[1]; y < box[4]; ++y)
                    for (int x = box[0]; x < box[3]; ++x)
                        volume.at(x, y, z) = uint16_t(box[6]);
        QVERIFY(writeVolumeFile(folder.file("v.dat"), volume));
        GLFeatures hidden;
        hidden.nonPowerOfTwo = paddedTexture;
        hideGLFeatures(hidden);
        TestView view(240, 200);
        // Loaded under a table that shows nothing: leaping must follow its change.
        setTransfer(view.widget(), {{0, Qt::white, 0}, {4094, Qt::white, 0}});
        view->loadVolume("v.dat");

        std::vector<TablePoint> points;
        for (const QPoint& p : transfer)
            points.push_back({p.x(), QColor::fromHsv(p.x() * 300 / 4095, 200, 255), p.y()});
        setTransfer(view.widget(), points);
        void (GLWidget::*modes[])() = {&GLWidget::setCompositeMode, &GLWidget::setAverageMode,
                                       &GLWidget::setMIPMode};
        (view.widget().*modes[mode])();
        ui::drag(&view.widget(), QPoint(1, 1), QPoint(1, 1) + turn);

        view->setLeaping(false);
        const QImage plain = view.render();
        view->setLeaping(true);
        const QImage leaping = view.render();
        int differing = 0, shown = 0;
        for (int y = 0; y < plain.height(); ++y)
            for (int x = 0; x < plain.width(); ++x) {
                shown += qAlpha(plain.pixel(x, y)) > 0;
                differing += !nearPixel(leaping.pixel(x, y), plain.pixel(x, y), 1);
            }
        if (differing > 0) {
            TestView::saveArtefact(plain, QString("leaping-%1-plain").arg(QTest::currentDataTag()));
            TestView::saveArtefact(leaping, QString("leaping-%1").arg(QTest::currentDataTag()));
        }
        QVERIFY2(shown > 500, "the plain march shows too little of the volume to compare");
        QVERIFY2(differing == 0, qPrintable(QString("%1 pixels differ").arg(differing)));
    }
};

QTEST_MAIN(TestLeaping)
#include "tst_leaping.moc"
