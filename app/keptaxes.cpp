#include "app/keptaxes.h"

#include "app/scancache.h"
#include "app/usersettings.h"

#include <QFileInfo>
#include <QVariantMap>

namespace {

// One map under one key: paths hold the slashes settings take for groups.
const char* const kSetting = "volumeAxes";

} // namespace

VolumeAxes keptAxes(const QString& volume)
{
    if (volume.isEmpty())
        return {};
    const ScanCache cache;
    if (cache.holds(volume))
        return cache.axes(volume);
    const QVariantMap kept = userSettings().value(kSetting).toMap();
    return VolumeAxes::fromText(kept.value(QFileInfo(volume).absoluteFilePath()).toString());
}

void keepAxes(const QString& volume, const VolumeAxes& axes)
{
    if (volume.isEmpty())
        return;
    const ScanCache cache;
    if (cache.holds(volume))
        return cache.setAxes(volume, axes);
    QVariantMap kept = userSettings().value(kSetting).toMap();
    const QString key = QFileInfo(volume).absoluteFilePath();
    axes.isFileAxes() ? void(kept.remove(key)) : void(kept.insert(key, axes.text()));
    userSettings().setValue(kSetting, kept);
}
