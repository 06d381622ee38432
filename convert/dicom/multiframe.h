#pragma once

#include "convert/dicom/dicomslice.h"
#include "convert/dicom/dicomtags.h"

#include <string>
#include <vector>

// The slices of an enhanced multi-frame file: a frame each, described by its
// per-frame and shared functional groups.
ConvertMessage frameSlices(const TagReader& tags, const gdcm::DataSet& ds, const DicomSlice& file,
                           unsigned frames, std::vector<DicomSlice>& slices);
