#pragma once

#include "convert/convertoptions.h"
#include "convert/dicom/dicomfolder.h"
#include "convert/formats/scaninput.h"

#include <memory>
#include <optional>

// The volumes a conversion writes: the one --volume chooses, or with
// --all-volumes every volume of a 4-D input, opened one after another. A DICOM
// folder's headers are read once for all of them.
class VolumeSequence
{
public:
    // Opens the first volume. Throws as ScanFormat::open does.
    explicit VolumeSequence(const ConvertOptions& options);

    // The first volume's header: the volumes of one input share it.
    const ScanHeader& header() const { return m_first->header(); }
    int count() const { return m_count; }
    // The samples of the sequence's volume `index` (0 .. count() - 1).
    SourceImage read(int index, ProgressBar& progress);

private:
    const ConvertOptions& m_options;
    std::optional<DicomFolder> m_folder;
    std::unique_ptr<ScanInput> m_first;
    int m_count = 1;
};
