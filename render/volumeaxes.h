#pragma once

#include <QMatrix4x4>
#include <QString>

#include <array>

// How the view sets the volume's axes before it turns it: a signed
// permutation of x, y and z, for a scan whose file states no patient frame
// and lies on its side or mirrored. Shown axis i (right, up, towards the
// viewer in the unturned view) runs along the volume's axis `axisOf(i)`,
// backwards where `reversed(i)`. The voxels stay as the file has them:
// only where the box stands changes.
class VolumeAxes
{
public:
    bool isFileAxes() const { return *this == VolumeAxes(); }
    int axisOf(int shown) const { return m_axes[size_t(shown)]; }
    bool reversed(int shown) const { return m_reversed[size_t(shown)]; }
    // Odd: the volume is seen as in a mirror, not merely turned.
    bool mirrors() const;

    // Volume coordinates, centred on the box, into shown ones.
    QMatrix4x4 matrix() const;

    // Turned 90 degrees about the shown axis `about`, counterclockwise as
    // seen from its positive end; mirrored along the shown axis `along`.
    VolumeAxes turned(int about) const;
    VolumeAxes mirrored(int along) const;

    // The volume's axis each shown axis runs along, "-y +x +z"; the file's
    // axes for a text that names no permutation.
    QString text() const;
    static VolumeAxes fromText(const QString& text);

    bool operator==(const VolumeAxes& other) const
    {
        return m_axes == other.m_axes && m_reversed == other.m_reversed;
    }
    bool operator!=(const VolumeAxes& other) const { return !(*this == other); }

private:
    std::array<int, 3> m_axes{{0, 1, 2}};
    std::array<bool, 3> m_reversed{{false, false, false}};
};
