#pragma once

#include "convert/dicom/dicomfolder.h"
#include "convert/dicom/dicomslice.h"
#include "convert/dicom/slicestack.h"
#include "convert/formats/scaninput.h"

#include <string>
#include <vector>

// What the command line chooses of a folder's series.
struct DicomChoice
{
    std::string series;    // --series UID, "" when the folder holds one series
    int volume = 0;        // --volume N, of a 4-D series
    bool keepGrid = false; // --keep-grid: uneven or sheared slices are refused, not resampled
    bool listing = false;  // --list: the files beside a single file are not read
};

// One volume of one DICOM series from a folder or a single file, whose
// headers `scan` has read: its slices sorted by position, slices that share
// a position are different volumes (--volume chooses), slices that do not lie
// evenly along their normal, or drift sideways (a gantry tilt), are resampled
// onto an even grid (--keep-grid refuses them). Pixels are decoded with GDCM,
// the rescale slope and intercept of each slice applied. The series states
// the patient's frame. A folder holding several series needs the UID of one;
// without it the series are listed and refused. A single slice of a series
// whose other files lie beside it is converted alone, and said so.
class DicomInput : public ScanInput
{
public:
    DicomInput(const DicomFolder& scan, const std::string& input, const DicomChoice& choice);
    SourceImage read(ProgressBar& progress) override;

private:
    // Decodes every slice in turn and hands it to `take` with its index:
    // its stored values, the slice's rescale applied, as doubles.
    template <class Take> void decodeSlices(ProgressBar& progress, Take&& take);

    DicomPixelFormat m_format;
    std::vector<DicomSlice> m_slices; // the chosen volume's, along their normal
    StackGeometry m_geometry;
};
