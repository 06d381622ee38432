#pragma once

// What the converter found a scan to be, beyond its samples: CT, whose
// densities are HU + 1024, and whether its axes run towards the patient's
// right, anterior and superior (the orientation was known and applied).
struct ScanKind
{
    bool ct = false;
    bool patientAxes = false;
};
