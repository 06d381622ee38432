#pragma once

#include "volume/volumedata.h"

#include <string>

// Writes a volume file's samples for other tools in the format OUTPUT's
// extension names (the export formats of the format table), with x, y, z as
// the file's first, second and third axis, unit spacing and the samples
// unchanged. The writers choose their encoding by the file name, so the file
// is written under its final name inside a folder OUTPUT.part and then moved
// to OUTPUT. Throws ConvertError or ITK's exceptions; a failure leaves no
// OUTPUT.part and OUTPUT untouched.
void exportVolume(const SampleVolume& volume, const std::string& output);
