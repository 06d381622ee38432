#pragma once

#include <QJsonObject>
#include <QString>

#include <array>

// What the converter found a scan to be, beyond its samples: CT, whose
// densities are HU + 1024, and whether its axes run towards the patient's
// right, anterior and superior (the orientation was known and applied); why
// it read the values as it did, as its code line gives it (a message for
// converterMessageText: "its modality is CT"); and the size of the voxels it
// wrote, in mm (0 each where not known).
struct ScanKind
{
    bool ct = false;
    bool patientAxes = false;
    QJsonObject reason;
    std::array<double, 3> voxelSize{{0, 0, 0}};
};

// The reading of a scan's values and why, as the window says it:
// "CT (HU): seine Modalität ist CT".
QString valuesReadingText(const ScanKind& kind);
