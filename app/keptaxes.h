#pragma once

#include "render/volumeaxes.h"

#include <QString>

// The axes the user set a volume's view by (volumeaxes.h), kept with the
// volume across runs: for one the converter made, as a note beside it in
// the cache, so that it goes with the cache entry; for any other volume
// file, in the user's settings under its absolute path. The file's own axes
// are kept as no entry at all; a volume of no path keeps nothing.
VolumeAxes keptAxes(const QString& volume);
void keepAxes(const QString& volume, const VolumeAxes& axes);
