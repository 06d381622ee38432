#pragma once

#include "convert/dicom/dicomslice.h"
#include "convert/dicom/dicomtags.h"

#include <string>
#include <vector>

// The tiles of a mosaic: GDCM finds their number and the direction they
// advance in from the scanner's private (CSA) header; the mosaic's position
// is that of a slice as large as the whole mosaic, centred on the first tile.
std::string mosaicSlices(const TagReader& tags, const gdcm::File& gdcmFile, const DicomSlice& file,
                         std::vector<DicomSlice>& slices);
