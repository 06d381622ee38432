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

    // The volumes of a 4-D file in turn from one opening of it: a .nii.gz
    // inflates once for all of them, where each volume read on its own
    // inflates the file from its start.
    bool readsVolumesInTurn() const override { return true; }
    SourceImage readVolume(int index, ProgressBar& progress) override;

private:
    // `count` stored values in the library's buffer `data` as samples.
    SourceImage samplesOf(const void* data, size_t count) const;

    std::string m_path;
    int m_volume;
    struct Header; // the library's header record, an unnamed struct
    std::unique_ptr<Header> m_nifti;
    bool m_scaled = false; // the stored values need the header's slope and intercept
};
