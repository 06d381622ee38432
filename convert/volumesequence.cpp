// The volumes one conversion writes, opened in turn (volumesequence.h).

#include "convert/volumesequence.h"

#include "convert/dicom/dicominput.h"
#include "convert/formats/converterror.h"
#include "convert/scanformat.h"

#include <string>

VolumeSequence::VolumeSequence(const ConvertOptions& options) : m_options(options)
{
    const ScanFormat& format = inputFormat(options);
    if (&format == &scanFormats().front())
        m_folder.emplace(options.input);
    ConvertOptions first = options;
    first.volume = options.allVolumes ? 0 : options.volume;
    m_first = m_folder ? std::make_unique<DicomInput>(
                             *m_folder, options.input,
                             DicomChoice{options.series, first.volume, options.keepGrid})
                       : format.open(options.input, first);
    if (options.allVolumes)
        m_count = int(header().volumeCount);
}

SourceImage VolumeSequence::read(int index, ProgressBar& progress)
{
    if (index == 0 && !m_options.allVolumes)
        return m_first->read(progress);
    if (m_first->readsVolumesInTurn())
        return m_first->readVolume(index, progress);
    if (index == 0)
        return m_first->read(progress);
    ConvertOptions one = m_options;
    one.volume = index;
    const std::unique_ptr<ScanInput> input =
        m_folder ? std::make_unique<DicomInput>(*m_folder, m_options.input,
                                                DicomChoice{one.series, index, one.keepGrid})
                 : inputFormat(one).open(one.input, one);
    // One grid for all: a volume of another shape would be written as if it
    // had the first one's.
    const ScanHeader& own = input->header();
    if (own.extents != header().extents || own.spacing != header().spacing ||
        own.direction != header().direction)
        throw ConvertError::reading(m_options.input, {"volume-on-other-grid", {index}});
    return input->read(progress);
}
