#pragma once

#include "volume/volumewriter.h"

#include <string>

// Whether OUTPUT's extension asks for an export: .nii.gz, .nii, .nrrd, .mha.
bool isExportFormat(const std::string& output);

// Writes a volume file's samples for other tools: NIfTI-1 (.nii, .nii.gz),
// NRRD (.nrrd) or MetaImage (.mha), with x, y, z as the file's first, second
// and third axis, unit spacing and the samples unchanged. The writers choose
// their encoding by the file name, so the file is written under its final
// name inside a folder OUTPUT.part and then moved to OUTPUT. Throws
// ConvertError or the toolkit's exceptions; a failure leaves no OUTPUT.part
// and OUTPUT untouched.
void exportVolume(const SampleVolume& volume, const std::string& output);
