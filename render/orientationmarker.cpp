#include "render/orientationmarker.h"

#include <QFontMetrics>
#include <QImage>
#include <QMatrix4x4>
#include <QPainter>
#include <QPainterPath>
#include <QVector3D>

#include <algorithm>
#include <array>
#include <cmath>

namespace {

using SideNames = const char* const[3][2]; // of each axis, its positive end first
const SideNames kPatientSides = {{"R", "L"}, {"A", "P"}, {"S", "I"}};
const SideNames kVolumeAxes = {{"+x", "-x"}, {"+y", "-y"}, {"+z", "-z"}};

// The sides a direction in volume axes points to, the strongest first.
QString sidesOf(const QVector3D& direction, SideNames& towards)
{
    std::array<int, 3> axes = {0, 1, 2};
    std::sort(axes.begin(), axes.end(), [&](int a, int b) {
        return std::abs(direction[a]) > std::abs(direction[b]);
    });
    QString letters;
    for (int i = 0; i < 2; ++i)
        if (i == 0 || std::abs(direction[axes[i]]) > std::sin(22.5 * M_PI / 180.0))
            letters += towards[axes[i]][direction[axes[i]] < 0];
    return letters;
}

EdgeLetters edgesNamed(const QMatrix4x4& turn, SideNames& names)
{
    const QMatrix4x4 back = turn.inverted(); // view axes into volume axes
    const QVector3D right = back.mapVector(QVector3D(1, 0, 0));
    const QVector3D up = back.mapVector(QVector3D(0, 1, 0));
    return {sidesOf(right, names), sidesOf(-right, names), sidesOf(up, names), sidesOf(-up, names)};
}

} // namespace

EdgeLetters edgeLetters(const QMatrix4x4& turn)
{
    return edgesNamed(turn, kPatientSides);
}

EdgeLetters edgeAxes(const QMatrix4x4& turn)
{
    return edgesNamed(turn, kVolumeAxes);
}

QImage markerImage(const QString& text, const QFont& font)
{
    const QFontMetrics metrics(font);
    const int margin = 6;
    QImage image(metrics.horizontalAdvance(text) + 2 * margin, metrics.height() + 2 * margin,
                 QImage::Format_RGBA8888_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    QPainterPath path;
    path.addText(margin, margin + metrics.ascent(), font, text);
    painter.strokePath(path, QPen(QColor(0, 0, 0, 160), 3));
    painter.fillPath(path, QColor(255, 215, 50));
    return image;
}
