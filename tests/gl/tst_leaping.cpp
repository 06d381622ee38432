// Leaping over empty space is lossless: every pixel of a ray-cast frame
// equals the plain march's within one unit per channel, for thin features
// on brick faces, transfer functions transparent over part of the range,
// densities a table entry away from an edge of the table, all three modes
// and turned views.

#include "tests/support/consolecapture.h"
#include "tests/support/testfolder.h"
#include "tests/support/testview.h"
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

// Control points on a 4095 x 255 editor: x is the density, y the opacity.
using Transfer = std::vector<std::pair<int, int>>;
const Transfer kWindow = {{999, 0}, {1000, 200}, {1500, 200}, {1501, 0}};
const Transfer kAbove2048 = {{2048, 0}, {2049, 255}, {4094, 255}};
const Transfer kBelow100 = {{98, 0}, {99, 255}, {100, 0}};
const Transfer kAllButAir = {{2, 0}, {3, 255}, {4094, 255}};
const Transfer kRamp = {{0, 255}, {4094, 255}};

struct Case
{
    const char* name;
    void (GLWidget::*mode)();
    Transfer transfer;
    QPoint turn; // degrees about y and about x: a drag across and down
};

const Case kCases[] = {
    {"composite, window, straight on", &GLWidget::setCompositeMode, kWindow, {0, 0}},
    {"composite, window, turned", &GLWidget::setCompositeMode, kWindow, {-50, 35}},
    {"composite, just above 2048", &GLWidget::setCompositeMode, kAbove2048, {30, -20}},
    {"composite, just below 100", &GLWidget::setCompositeMode, kBelow100, {-40, 20}},
    {"composite, all but air, straight on", &GLWidget::setCompositeMode, kAllButAir, {0, 0}},
    {"maximum, ramp, turned", &GLWidget::setMIPMode, kRamp, {120, -30}},
    {"maximum, just above 2048", &GLWidget::setMIPMode, kAbove2048, {-15, 10}},
    {"maximum, ramp, from the side", &GLWidget::setMIPMode, kRamp, {90, 0}},
    {"average, ramp, turned", &GLWidget::setAverageMode, kRamp, {65, 25}},
    {"average, ramp, from the side", &GLWidget::setAverageMode, kRamp, {90, 0}},
};

} // namespace

class TestLeaping : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { requestAlphaChannel(); }

    void leapingChangesNoPixel_data()
    {
        QTest::addColumn<int>("index");
        for (const Case& c : kCases)
            QTest::newRow(c.name) << int(&c - kCases);
    }

    void leapingChangesNoPixel()
    {
        QFETCH(int, index);
        const Case& c = kCases[index];
        TestFolder folder(TestFolder::WithShaders);
        ConsoleCapture quiet;
        SampleVolume volume(96, 88, 80, 0);
        for (const int* box : kBoxes)
            for (int z = box[2]; z < box[5]; ++z)
                for (int y = box[1]; y < box[4]; ++y)
                    for (int x = box[0]; x < box[3]; ++x)
                        volume.at(x, y, z) = uint16_t(box[6]);
        QVERIFY(writeVolumeFile(folder.file("v.dat"), volume));
        TestView view(240, 200);
        view->loadVolume("v.dat");

        std::vector<TablePoint> points;
        for (const auto& [density, alpha] : c.transfer)
            points.push_back({density, QColor::fromHsv(density * 300 / 4095, 200, 255), alpha});
        setTransfer(view.widget(), points);
        (view.widget().*c.mode)();
        QTest::mousePress(&view.widget(), Qt::LeftButton, Qt::NoModifier, QPoint(1, 1));
        QMouseEvent drag(QEvent::MouseMove, QPoint(1, 1) + c.turn, Qt::NoButton, Qt::LeftButton,
                         Qt::NoModifier);
        QCoreApplication::sendEvent(&view.widget(), &drag);

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
            TestView::saveArtefact(plain, QString("leaping-%1-plain").arg(index));
            TestView::saveArtefact(leaping, QString("leaping-%1-leaping").arg(index));
        }
        QVERIFY2(shown > 500, "the plain march shows too little of the volume to compare");
        QVERIFY2(differing == 0, qPrintable(QString("%1 pixels differ").arg(differing)));
    }
};

QTEST_MAIN(TestLeaping)
#include "tst_leaping.moc"
