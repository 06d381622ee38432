#pragma once

#include "convert/formats/scaninput.h"

#include <string>

// A NRRD file (.nrrd, or a detached header .nhdr) read with NrrdIO, the
// format's own library, in its stored order. The three anatomical spaces
// and their "-time" forms are turned into ITK's patient frame (LPS) here,
// by the format's definition of each; any other space, or none, states no
// patient frame.
class NrrdInput : public ScanInput
{
public:
    explicit NrrdInput(const std::string& path);
    SourceImage read(ProgressBar& progress) override;

private:
    std::string m_path;
    int m_type = 0; // the samples' type in the file (NrrdIO's nrrdType)
};
