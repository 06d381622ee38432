#pragma once

#include "convert/dicom/dicomslice.h"
#include "convert/dicom/dicomtags.h"

#include <gdcmImageReader.h>
#include <gdcmSplitMosaicFilter.h>

#include <string>
#include <vector>

// The tiles of a mosaic: GDCM finds their number and the direction they
// advance in from the scanner's private (CSA) header; the mosaic's position
// is that of a slice as large as the whole mosaic, centred on the first tile.
ConvertMessage mosaicSlices(const TagReader& tags, const gdcm::File& gdcmFile,
                            const DicomSlice& file, std::vector<DicomSlice>& slices);

// The tiles of the mosaic `reader` has read, split by `splitter` into the
// frames of its image, which it returns. Throws ConvertError, naming `file`,
// when GDCM cannot decode or split them.
const gdcm::Image& splitMosaic(gdcm::ImageReader& reader, gdcm::SplitMosaicFilter& splitter,
                               const std::string& file);
