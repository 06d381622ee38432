#pragma once

#include "convert/convertoptions.h"

#include <memory>
#include <string>
#include <vector>

class ScanInput;
struct SampleVolume;

// A format the converter reads or writes. The dispatch, the error texts and
// the usage text are all made from the table of them, so a new format is one
// row there and its reader and writer.
struct ScanFormat
{
    std::string name;                         // "NIfTI"
    std::vector<std::string> readExtensions;  // lower case; none for a folder's format
    std::vector<std::string> writeExtensions; // those it exports a volume file to
    bool holdsSeveralVolumes;                 // --volume chooses one
    // Opens the input and reads its header. Throws ConvertError or ITK's
    // exceptions.
    std::unique_ptr<ScanInput> (*open)(const std::string& path, const ConvertOptions& options);
    // Writes a volume file's samples, or null. Throws as open does.
    void (*write)(const SampleVolume& volume, const std::string& path);
};

const std::vector<ScanFormat>& scanFormats();

// The format INPUT is read as: a folder's (DICOM), the one whose extension
// ends its name, or DICOM for a file that starts like one or ends in .dcm;
// null when none.
const ScanFormat* formatForReading(const std::string& path);

// The format OUTPUT is exported to, by its extension; null when none.
const ScanFormat* formatForWriting(const std::string& path);

// Whether `path` names a volume file (.dat).
bool isVolumeFile(const std::string& path);

// The format of the input the options name. Throws ConvertError where there
// is no such input, it is of no format read, or --volume chooses in vain.
const ScanFormat& inputFormat(const ConvertOptions& options);

// The input the options name, opened. Throws as inputFormat and
// ScanFormat::open do.
std::unique_ptr<ScanInput> openScanInput(const ConvertOptions& options);

// For the usage and error texts: "a folder holding a DICOM series, a DICOM
// file, or a NIfTI (.nii.gz, .nii), ... file" and "NIfTI (.nii.gz, .nii), ...".
std::string readableFormatsText();
std::string exportFormatsText();
