#include "render/proxycube.h"

#include <GL/glew.h>

ProxyCube proxyCube(const float reciprocal[3])
{
    const float hx = 0.5f / reciprocal[0];
    const float hy = 0.5f / reciprocal[1];
    const float hz = 0.5f / reciprocal[2];
    // The second face's red of 5.0 is clamped by the GL to 1; face colours
    // only mark the faces, the ray caster reads the positions.
    return {{
        {{0.5f, 0, 0},
         {{{{-hx, -hy, hz}, {0, 0}},
           {{hx, -hy, hz}, {1, 0}},
           {{hx, hy, hz}, {1, 0.5f}},
           {{-hx, hy, hz}, {0, 0.5f}}}}},
        {{5.0f, 0.5f, 0},
         {{{{-hx, -hy, -hz}, {1, 0}},
           {{-hx, hy, -hz}, {1, 0.5f}},
           {{hx, hy, -hz}, {0, 0.5f}},
           {{hx, -hy, -hz}, {0, 0}}}}},
        {{0.5f, 0, 0.5f},
         {{{{-hx, hy, -hz}, {0, 0.5f}},
           {{-hx, hy, hz}, {0, 0}},
           {{hx, hy, hz}, {1, 0}},
           {{hx, hy, -hz}, {1, 0.5f}}}}},
        {{0.75f, 0, 0},
         {{{{-hx, -hy, -hz}, {1, 0.5f}},
           {{hx, -hy, -hz}, {0, 0.5f}},
           {{hx, -hy, hz}, {0, 0}},
           {{-hx, -hy, hz}, {1, 0}}}}},
        {{0.75f, 0.75f, 0},
         {{{{hx, -hy, -hz}, {1, 0}},
           {{hx, hy, -hz}, {1, 0.5f}},
           {{hx, hy, hz}, {0, 0.5f}},
           {{hx, -hy, hz}, {0, 0}}}}},
        {{0.75f, 0, 0.75f},
         {{{{-hx, -hy, -hz}, {0, 0}},
           {{-hx, -hy, hz}, {1, 0}},
           {{-hx, hy, hz}, {1, 0.5f}},
           {{-hx, hy, -hz}, {0, 0.5f}}}}},
    }};
}

void drawProxyCube(const float reciprocal[3])
{
    const float whole[2][3] = {{0, 0, 0}, {1, 1, 1}};
    drawProxyBox(reciprocal, whole[0], whole[1]);
}

void drawProxyBox(const float reciprocal[3], const float low[3], const float high[3])
{
    ProxyCube cube = proxyCube(reciprocal);
    // Each corner of the cube at -h or +h moves to the box's face there.
    for (ProxyFace& face : cube)
        for (ProxyCorner& corner : face.corners)
            for (int axis = 0; axis < 3; ++axis) {
                const float half = 0.5f / reciprocal[axis];
                const float at = corner.position[axis] < 0 ? low[axis] : high[axis];
                corner.position[axis] = (at - 0.5f) * 2.0f * half;
            }
    glBegin(GL_QUADS);
    for (const ProxyFace& face : cube) {
        glColor3f(face.color[0], face.color[1], face.color[2]);
        for (const ProxyCorner& corner : face.corners) {
            glTexCoord2f(corner.texCoord[0], corner.texCoord[1]);
            glVertex3f(corner.position[0], corner.position[1], corner.position[2]);
        }
    }
    glEnd();
}
