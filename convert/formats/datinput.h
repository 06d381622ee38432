#pragma once

#include "convert/formats/scaninput.h"
#include "volume/volumedata.h"

#include <string>

// A volume file as input: its samples as stored, on a unit grid, in the
// stored order.
class DatInput : public ScanInput
{
public:
    explicit DatInput(const std::string& path);
    SourceImage read(ProgressBar& progress) override;

private:
    std::string m_path;
    SampleVolume m_volume; // the image read() returns uses these samples in place
};
