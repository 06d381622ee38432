// Proportions of the drawn volume: frame factors, proxy cube, slice quads,
// the aspect-keeping projection and texture sizes.

#include "render/framegeometry.h"
#include "render/proxycube.h"
#include "render/slicequad.h"
#include "render/texturesize.h"

#include <QtTest>

#include <cmath>

namespace {

QString corner(const float* position, int count)
{
    QStringList parts;
    for (int i = 0; i < count; ++i)
        parts << QString::number(double(position[i]));
    return "(" + parts.join(", ") + ")";
}

} // namespace

class TestGeometry : public QObject
{
    Q_OBJECT

private slots:
    void frameFactorsFollowTheLongestSide()
    {
        const FrameGeometry frame = frameGeometryFor(256, 128, 64);
        QCOMPARE(frame.largest, 256.0f);
        QCOMPARE(corner(frame.reciprocal, 3), QString("(1, 2, 4)"));
        QCOMPARE(corner(frame.half, 3), QString("(0.5, 0.25, 0.125)"));
        QCOMPARE(corner(frame.scale, 3), QString("(2, 4, 8)"));
        const FrameGeometry tall = frameGeometryFor(100, 400, 200);
        QCOMPARE(corner(tall.half, 3), QString("(0.125, 0.5, 0.25)"));
        const FrameGeometry single = frameGeometryFor(1, 1, 1);
        QCOMPARE(corner(single.half, 3), QString("(0.5, 0.5, 0.5)"));
    }

    void theProxyCubeIsTheVolumesBox()
    {
        const FrameGeometry frame = frameGeometryFor(256, 128, 64);
        const ProxyCube cube = proxyCube(frame.reciprocal);
        QCOMPARE(cube.size(), size_t(6));
        // Face 1 (z = +hz) and face 6 (x = -hx), corner by corner.
        QCOMPARE(corner(cube[0].corners[0].position, 3), QString("(-0.5, -0.25, 0.125)"));
        QCOMPARE(corner(cube[0].corners[2].position, 3), QString("(0.5, 0.25, 0.125)"));
        QCOMPARE(corner(cube[0].corners[2].texCoord, 2), QString("(1, 0.5)"));
        QCOMPARE(corner(cube[1].color, 3), QString("(5, 0.5, 0)"));
        QCOMPARE(corner(cube[5].corners[3].position, 3), QString("(-0.5, 0.25, -0.125)"));
        QCOMPARE(corner(cube[5].color, 3), QString("(0.75, 0, 0.75)"));
        for (const ProxyFace& face : cube) {
            for (const ProxyCorner& c : face.corners) {
                QCOMPARE(std::fabs(c.position[0]), 0.5f);
                QCOMPARE(std::fabs(c.position[1]), 0.25f);
                QCOMPARE(std::fabs(c.position[2]), 0.125f);
                QVERIFY(c.texCoord[1] <= 0.5f);
                // Times the scale uniform, every corner lands on -1 or 1.
                for (int axis = 0; axis < 3; ++axis)
                    QCOMPARE(std::fabs(c.position[axis] * frame.scale[axis]), 1.0f);
            }
        }
    }

    void sliceQuadsCutAlongTheirAxis()
    {
        const FrameGeometry frame = frameGeometryFor(256, 128, 64);
        const SliceQuad x = sliceQuad(0, 0.25f, frame.half);
        QCOMPARE(corner(x[0].texCoord, 3), QString("(0, 0, 0.25)"));
        QCOMPARE(corner(x[0].position, 2), QString("(-0.5, -0.25)"));
        QCOMPARE(corner(x[2].position, 2), QString("(0.5, 0.25)"));
        const SliceQuad y = sliceQuad(1, 0.25f, frame.half);
        QCOMPARE(corner(y[2].texCoord, 3), QString("(1, 0.25, 1)"));
        QCOMPARE(corner(y[2].position, 2), QString("(0.5, 0.125)"));
        const SliceQuad z = sliceQuad(2, 0.25f, frame.half);
        QCOMPARE(corner(z[1].texCoord, 3), QString("(0.25, 1, 0)"));
        QCOMPARE(corner(z[2].position, 2), QString("(0.25, 0.125)"));
        // Any other axis value draws like the third.
        const SliceQuad other = sliceQuad(7, 0.25f, frame.half);
        QCOMPARE(corner(other[3].texCoord, 3), corner(z[3].texCoord, 3));
    }

    void theProjectionKeepsOneUnitSquare()
    {
        const AspectScale wide = aspectScale(700, 500);
        QCOMPARE(wide.x, 500.0f / 700.0f);
        QCOMPARE(wide.y, 1.0f);
        const AspectScale tall = aspectScale(300, 600);
        QCOMPARE(tall.x, 1.0f);
        QCOMPARE(tall.y, 0.5f);
        const AspectScale empty = aspectScale(0, 500);
        QCOMPARE(empty.x, 1.0f);
        QCOMPARE(empty.y, 1.0f);
    }

    void theFootprintBoundsTheTurnedCube()
    {
        // The rectangle holds the projected box with at most two spare
        // pixels on each side.
        const auto verifyBounds = [](const PixelRect& r, double left, double bottom, double right,
                                     double top) {
            QVERIFY2(r.x <= left && r.x >= left - 2 && r.y <= bottom && r.y >= bottom - 2,
                     qPrintable(QString("%1, %2").arg(r.x).arg(r.y)));
            QVERIFY2(r.x + r.width >= right && r.x + r.width <= right + 2 &&
                         r.y + r.height >= top && r.y + r.height <= top + 2,
                     qPrintable(QString("%1 x %2").arg(r.width).arg(r.height)));
        };
        // A 64-voxel cube in a 700 x 500 view spans 225..475 by 125..375.
        const FrameGeometry cube = frameGeometryFor(64, 64, 64);
        verifyBounds(cubeFootprint(cube, 0, 0, 700, 500), 225, 125, 475, 375);
        // Turned 45 degrees about y, it is sqrt(2) times as wide, as high as before.
        const double half = 125 * std::sqrt(2.0);
        verifyBounds(cubeFootprint(cube, 0, 45, 700, 500), 350 - half, 125, 350 + half, 375);
        // A flat volume turned on its edge: its depth runs up the view.
        const FrameGeometry flat = frameGeometryFor(256, 256, 64);
        verifyBounds(cubeFootprint(flat, 90, 0, 500, 500), 125, 218.75, 375, 281.25);
        // Any turn keeps it inside the view (its diagonal is under one unit).
        const PixelRect turned = cubeFootprint(cube, 30, 30, 100, 100);
        QVERIFY(turned.x >= 0 && turned.x + turned.width <= 100);
        QCOMPARE(cubeFootprint(cube, 0, 0, 0, 100).width, 0);
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
