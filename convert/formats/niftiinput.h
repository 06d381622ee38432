#pragma once

#include "convert/formats/scaninput.h"

#include <memory>
#include <string>

// A NIfTI-1 or NIfTI-2 file (.nii, .nii.gz), read with the format's reference
// library. Its sform, or else its qform, states the patient's frame; a file
// with neither keeps its stored order. Of a 4-D file, one volume. A BIDS
// sidecar beside it (scan.json) may say whether it is CT, by its Modality.
class NiftiInput : public ScanInput
{
public:
    NiftiInput(const std::string& path, int volume);
    ~NiftiInput() override;
    SourceImage read(ProgressBar& progress) override;

private:
    std::string m_path;
    int m_volume;
    struct Header; // the library's header record, an unnamed struct
    std::unique_ptr<Header> m_nifti;
    bool m_scaled = false; // the stored values need the header's slope and intercept
};
