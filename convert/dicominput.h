#pragma once

#include "convert/scaninput.h"

#include <string>
#include <vector>

// One DICOM series from a folder, read with the toolkit's DICOM reader, which
// sorts the slices by position and applies the rescale slope and intercept.
// The series states the patient's frame. A folder holding several series
// needs the UID of one; without it the series are listed and refused.
class DicomInput : public ScanInput
{
public:
    DicomInput(const std::string& folder, const std::string& seriesUid, int volume);
    SourceImage read(ProgressBar& progress) override;

private:
    std::vector<std::string> m_files;
};
