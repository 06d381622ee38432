#include "render/volumeaxes.h"

#include <QStringList>

bool VolumeAxes::mirrors() const
{
    // A permutation's parity by its inversions, each reversal one more.
    int odd = 0;
    for (int i = 0; i < 3; ++i) {
        odd += m_reversed[size_t(i)];
        for (int j = i + 1; j < 3; ++j)
            odd += m_axes[size_t(i)] > m_axes[size_t(j)];
    }
    return odd % 2 == 1;
}

QMatrix4x4 VolumeAxes::matrix() const
{
    QMatrix4x4 matrix;
    matrix.fill(0);
    for (int shown = 0; shown < 3; ++shown)
        matrix(shown, axisOf(shown)) = reversed(shown) ? -1 : 1;
    matrix(3, 3) = 1;
    return matrix;
}

VolumeAxes VolumeAxes::turned(int about) const
{
    // Counterclockwise about `about`: its next axis turns onto the one after,
    // which turns onto the next reversed (about z: x onto y, y onto -x).
    const size_t next = size_t((about + 1) % 3), after = size_t((about + 2) % 3);
    VolumeAxes axes = *this;
    axes.m_axes[next] = m_axes[after];
    axes.m_reversed[next] = !m_reversed[after];
    axes.m_axes[after] = m_axes[next];
    axes.m_reversed[after] = m_reversed[next];
    return axes;
}

VolumeAxes VolumeAxes::mirrored(int along) const
{
    VolumeAxes axes = *this;
    axes.m_reversed[size_t(along)] = !m_reversed[size_t(along)];
    return axes;
}

QString VolumeAxes::text() const
{
    QStringList names;
    for (int shown = 0; shown < 3; ++shown)
        names << QString(reversed(shown) ? "-" : "+") + QChar('x' + axisOf(shown));
    return names.join(' ');
}

VolumeAxes VolumeAxes::fromText(const QString& text)
{
    // A line's end or more spaces, as an editor may leave them, are no fault.
    const QStringList names = text.simplified().split(' ');
    VolumeAxes axes;
    int seen = 0;
    for (int shown = 0; shown < 3 && names.size() == 3; ++shown) {
        const QString& name = names[shown];
        const int axis = name.size() == 2 ? name[1].unicode() - 'x' : -1;
        if (axis < 0 || axis > 2 || (name[0] != '+' && name[0] != '-') || seen & (1 << axis))
            return {};
        seen |= 1 << axis;
        axes.m_axes[size_t(shown)] = axis;
        axes.m_reversed[size_t(shown)] = name[0] == '-';
    }
    return seen == 7 ? axes : VolumeAxes();
}
