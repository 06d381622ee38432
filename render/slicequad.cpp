#include "render/slicequad.h"

SliceQuad sliceQuad(int axis, float p, const float half[3])
{
    const float hx = half[0], hy = half[1], hz = half[2];
    switch (axis) {
    case 0: // width across, height up, at depth coordinate p
        return {{{{0, 0, p}, {-hx, -hy}},
                 {{1, 0, p}, {hx, -hy}},
                 {{1, 1, p}, {hx, hy}},
                 {{0, 1, p}, {-hx, hy}}}};
    case 1: // width across, depth up, at height coordinate p
        return {{{{0, p, 0}, {-hx, -hz}},
                 {{1, p, 0}, {hx, -hz}},
                 {{1, p, 1}, {hx, hz}},
                 {{0, p, 1}, {-hx, hz}}}};
    default: // height across, depth up, at width coordinate p
        return {{{{p, 0, 0}, {-hy, -hz}},
                 {{p, 1, 0}, {hy, -hz}},
                 {{p, 1, 1}, {hy, hz}},
                 {{p, 0, 1}, {-hy, hz}}}};
    }
}
