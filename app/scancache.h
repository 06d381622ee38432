#pragma once

#include "app/scankind.h"
#include "render/volumeaxes.h"

#include <QString>
#include <QStringList>

// Converted scans kept in the user's cache folder (~/.cache/kastra), one
// volume file for each scan and choice of series and volume: a second open
// of an unchanged scan takes its volume at once. A volume's name is the
// scan's, then a hash of what made it: the scan's absolute path, size and
// modification time (of a folder, those of each file in it), and the
// converter's options; every volume of a scan (--all-volumes) is a folder of
// them, a ".volumes". The cache holds at most kLimitBytes; the volumes used
// longest ago go first.
class ScanCache
{
public:
    static constexpr qint64 kLimitBytes = qint64(4) << 30;

    ScanCache(); // in the user's cache folder
    explicit ScanCache(const QString& folder);

    const QString& folder() const { return m_folder; }

    // The volume file a conversion of `scan` with `options` is kept as.
    QString volumeFor(const QString& scan, const QStringList& options) const;

    // Whether `volume` is kept; it then counts as used now.
    bool take(const QString& volume) const;

    // What a kept volume's scan was (scankind.h), noted beside it.
    void setKind(const QString& volume, const ScanKind& kind) const;
    ScanKind kind(const QString& volume) const;
    // Whether `volume` lies in the cache; the axes the user set its view
    // by, noted beside it (the file's where none are).
    bool holds(const QString& volume) const;
    void setAxes(const QString& volume, const VolumeAxes& axes) const;
    VolumeAxes axes(const QString& volume) const;

    // Removes the volumes used longest ago until the rest hold at most
    // `limit` bytes, sparing `spared`.
    void trim(qint64 limit, const QString& spared) const;

    // Removes every kept volume and what an ended conversion left; returns
    // how many volumes went.
    int clear() const;

private:
    QString m_folder;
};
