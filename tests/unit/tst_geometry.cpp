// Proportions of the drawn volume: the pixels a turned cube can cover, and
// texture sizes.

#include "render/framegeometry.h"
#include "render/texturesize.h"

#include <QtTest>

class TestGeometry : public QObject
{
    Q_OBJECT

private slots:
    // The rectangle holds the projected box with at most two spare pixels on
    // each side. Bounds worked out by turning the corners by hand: first
    // about y, then about x, one unit being the shorter side of the view.
    void theFootprintBoundsTheTurnedCube_data()
    {
        QTest::addColumn<QVector<int>>("volume"); // width, height, depth
        QTest::addColumn<QVector<int>>("turn");   // about x, about y, view width, height
        QTest::addColumn<QRectF>("bounds");       // left, bottom, width, height in pixels
        const QVector<int> cube = {64, 64, 64};
        QTest::newRow("cube, unturned") << cube << QVector<int>{0, 0, 700, 500}
                                        << QRectF(225, 125, 250, 250);
        const double half = 125 * std::sqrt(2.0); // 45 degrees: sqrt(2) times as wide
        QTest::newRow("cube, 45 about y") << cube << QVector<int>{0, 45, 700, 500}
                                          << QRectF(350 - half, 125, 2 * half, 250);
        QTest::newRow("cube, 30 about x and 40 about y")
            << cube << QVector<int>{30, 40, 700, 500} << QRectF(173.9, 53.7, 352.2, 392.6);
        QTest::newRow("flat volume on its edge") << QVector<int>{256, 256, 64}
                                                 << QVector<int>{90, 0, 500, 500}
                                                 << QRectF(125, 218.75, 250, 62.5);
        QTest::newRow("no view") << cube << QVector<int>{0, 0, 0, 100} << QRectF();
    }

    void theFootprintBoundsTheTurnedCube()
    {
        QFETCH(QVector<int>, volume);
        QFETCH(QVector<int>, turn);
        QFETCH(QRectF, bounds);
        const PixelRect r = cubeFootprint(frameGeometryFor(volume[0], volume[1], volume[2]),
                                          turn[0], turn[1], turn[2], turn[3]);
        if (bounds.isNull()) {
            QCOMPARE(r.width, 0);
            return;
        }
        const QString text = QString::asprintf("%d, %d, %d x %d", r.x, r.y, r.width, r.height);
        QVERIFY2(r.x <= bounds.left() && r.x >= bounds.left() - 2, qPrintable(text));
        QVERIFY2(r.y <= bounds.top() && r.y >= bounds.top() - 2, qPrintable(text));
        QVERIFY2(r.x + r.width >= bounds.right() && r.x + r.width <= bounds.right() + 2,
                 qPrintable(text));
        QVERIFY2(r.y + r.height >= bounds.bottom() && r.y + r.height <= bounds.bottom() + 2,
                 qPrintable(text));
    }

    void texturesRoundUpToPowersOfTwo()
    {
        const int in[] = {-3, 0, 1, 2, 3, 113, 256, 257, 65535};
        const int out[] = {1, 1, 1, 2, 4, 128, 256, 512, 65536};
        for (size_t i = 0; i < sizeof in / sizeof *in; ++i)
            QCOMPARE(nextPowerOfTwo(in[i]), out[i]);
    }
};

QTEST_GUILESS_MAIN(TestGeometry)
#include "tst_geometry.moc"
