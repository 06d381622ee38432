// The modelling kit behind the sample volumes: signed distances of the solids,
// the blurred edge, and layers painted over each other by the slice renderer.

#include "tools/phantom/phantom.h"

#include <QtTest>

#include <algorithm>
#include <cmath>

using namespace phantom;

Q_DECLARE_METATYPE(Primitive)

namespace {

// 21 voxels a side, 10 voxels to the unit: the origin is voxel (10, 10, 10).
const Frame kFrame(21, 21, 21, 10.0f);

} // namespace

class TestPhantomKit : public QObject
{
    Q_OBJECT

private slots:
    // Expected distances, in voxels, from the geometry of each solid.
    void signedDistances_data()
    {
        const Phantom p(kFrame, 0.0f, 0);
        const Primitive sphere = p.ellipsoid({0, 0, 0}, {0.5f, 0.5f, 0.5f});
        const Primitive box = p.box({0, 0, 0}, {0.3f, 0.3f, 0.3f}, 0.1f);
        const Primitive disc = p.cylinder(2, {0, 0, 0}, {0.4f, 0.4f, 0.2f});
        const Primitive low = p.below({0, 0, 1}, 0.1f); // z < 11
        QTest::addColumn<Primitive>("solid");
        QTest::addColumn<QVector<float>>("voxel");
        QTest::addColumn<float>("distance");
        QTest::newRow("sphere centre") << sphere << QVector<float>{10, 10, 10} << -5.0f;
        QTest::newRow("sphere outside") << sphere << QVector<float>{18, 10, 10} << 3.0f;
        QTest::newRow("sphere diagonal") << sphere << QVector<float>{13, 14, 10} << 0.0f;
        QTest::newRow("box inside") << box << QVector<float>{11, 10, 10} << -2.0f;
        QTest::newRow("box face") << box << QVector<float>{10, 14, 10} << 1.0f;
        QTest::newRow("box edge") << box << QVector<float>{15, 17, 10} << std::sqrt(34.0f) - 1;
        QTest::newRow("cylinder side") << disc << QVector<float>{10, 17, 11} << 3.0f;
        QTest::newRow("cylinder bottom") << disc << QVector<float>{11, 10, 5} << 3.0f;
        QTest::newRow("cylinder rim") << disc << QVector<float>{16, 10, 14} << std::sqrt(8.0f);
        QTest::newRow("cylinder inside") << disc << QVector<float>{13, 10, 9} << -1.0f;
        QTest::newRow("plane above") << low << QVector<float>{3, 4, 15} << 4.0f;
        QTest::newRow("plane below") << low << QVector<float>{3, 4, 5} << -6.0f;
        QTest::newRow("hole") << Phantom::outside(sphere) << QVector<float>{18, 10, 10} << -3.0f;
    }
    void signedDistances()
    {
        QFETCH(Primitive, solid);
        QFETCH(QVector<float>, voxel);
        QFETCH(float, distance);
        QVERIFY(std::fabs(solid.distance(voxel[0], voxel[1], voxel[2]) - distance) < 1e-4f);
    }

    // A voxel-wide ramp centred on the surface, symmetric about it.
    void edgesAreBlurredOverAVoxel()
    {
        QCOMPARE(coverage(-2.0f), 1.0f);
        QCOMPARE(coverage(0.0f), 0.5f);
        QCOMPARE(coverage(0.75f), 0.0f);
        QVERIFY(coverage(-0.3f) > 0.75f && coverage(-0.3f) < 0.95f);
        QVERIFY(std::fabs(coverage(-0.3f) + coverage(0.3f) - 1.0f) < 1e-6f);
    }

    void layersCoverWhatIsBelowThem()
    {
        // A box filling the volume, over it the left half of a sphere (an intersection),
        // over both everything below z = 5.
        Phantom p(kFrame, 0.0f, 0);
        p.paint(1000, p.box({0, 0, 0}, {2, 2, 2}));
        p.paint(3000, p.ellipsoid({0, 0, 0}, {0.5f, 0.5f, 0.5f}), p.below({1, 0, 0}, 0));
        p.paint(1800, p.below({0, 0, 1}, -0.5f));
        const SampleVolume volume = p.render();
        QCOMPARE(volume.samples.size(), size_t(21 * 21 * 21));
        QVERIFY(std::count(volume.samples.begin(), volume.samples.end(), 0) == 0);
        QCOMPARE(int(volume.at(7, 10, 10)), 3000);  // in both parts
        QCOMPARE(int(volume.at(10, 10, 10)), 2000); // on the plane: half covered
        QCOMPARE(int(volume.at(13, 10, 10)), 1000); // in the sphere only
        QCOMPARE(int(volume.at(7, 10, 17)), 1000);  // in the half-space only
        // On all three surfaces: half of the top layer, a quarter of each below it.
        QCOMPARE(int(volume.at(10, 10, 5)), 900 + 750 + 250);

        // Scanner noise of the stated deviation around the density, clamped at 4095.
        Phantom noisy(kFrame, 20.0f, 7);
        noisy.paint(1000, noisy.box({0, 0, 0}, {2, 2, 2}));
        noisy.paint(5000, noisy.ellipsoid({0, 0, 0}, {0.3f, 0.3f, 0.3f}));
        const SampleVolume samples = noisy.render();
        double sum = 0, squares = 0;
        const int count = 21 * 3 * 21; // the rows y < 3, away from the sphere
        for (int z = 0; z < 21; ++z)
            for (int y = 0; y < 3; ++y)
                for (int x = 0; x < 21; ++x) {
                    const double sample = samples.at(x, y, z);
                    sum += sample;
                    squares += sample * sample;
                }
        const double mean = sum / count, deviation = std::sqrt(squares / count - mean * mean);
        QVERIFY2(std::fabs(mean - 1000) < 2 && std::fabs(deviation - 20) < 2,
                 qPrintable(QString("%1 +- %2").arg(mean).arg(deviation)));
        QCOMPARE(int(samples.at(10, 10, 10)), 4095);
    }
};

QTEST_GUILESS_MAIN(TestPhantomKit)
#include "tst_phantomkit.moc"
