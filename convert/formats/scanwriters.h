#pragma once

#include "volume/volumedata.h"

#include <string>

// The writers of the format table: NIfTI-1 (.nii, .nii.gz) with the NIfTI
// library, NRRD and MetaImage with ITK's writers.
void writeNiftiFile(const SampleVolume& volume, const std::string& path);
void writeNrrdFile(const SampleVolume& volume, const std::string& path);
void writeMetaImageFile(const SampleVolume& volume, const std::string& path);
