// The format table, and the dispatch and texts made from it.

#include "convert/scanformat.h"

#include "convert/dicom/dicominput.h"
#include "convert/formats/converterror.h"
#include "convert/formats/datinput.h"
#include "convert/formats/metaimageinput.h"
#include "convert/formats/niftiinput.h"
#include "convert/formats/nrrdinput.h"
#include "convert/formats/scanwriters.h"

#include <algorithm>
#include <cctype>
#include <filesystem>

namespace {

template <class Input, class... Arguments> std::unique_ptr<ScanInput> make(Arguments&&... arguments)
{
    return std::make_unique<Input>(std::forward<Arguments>(arguments)...);
}

bool endsWith(const std::string& name, const std::string& ending)
{
    return name.size() > ending.size() &&
           name.compare(name.size() - ending.size(), ending.size(), ending) == 0;
}

std::string lowerCaseName(const std::string& path)
{
    std::string name = std::filesystem::path(path).filename().string();
    std::transform(name.begin(), name.end(), name.begin(),
                   [](unsigned char c) { return char(std::tolower(c)); });
    return name;
}

const ScanFormat* formatByExtension(const std::string& path,
                                    std::vector<std::string> ScanFormat::*extensions)
{
    const std::string name = lowerCaseName(path);
    for (const ScanFormat& format : scanFormats())
        for (const std::string& extension : format.*extensions)
            if (endsWith(name, extension))
                return &format;
    return nullptr;
}

// "NIfTI (.nii.gz, .nii), NRRD (.nrrd, .nhdr) or volume file (.dat)"
std::string listText(std::vector<std::string> ScanFormat::*extensions)
{
    std::vector<std::string> items;
    for (const ScanFormat& format : scanFormats()) {
        const std::vector<std::string>& list = format.*extensions;
        if (list.empty())
            continue;
        std::string item = format.name + " (";
        for (size_t i = 0; i < list.size(); ++i)
            item += (i ? ", " : "") + list[i];
        items.push_back(item + ")");
    }
    std::string text;
    for (size_t i = 0; i < items.size(); ++i)
        text += (i == 0 ? "" : i + 1 == items.size() ? " or " : ", ") + items[i];
    return text;
}

} // namespace

const std::vector<ScanFormat>& scanFormats()
{
    // One row a format: name, extensions read, extensions written, whether
    // --volume chooses, the reader, the writer.
    // clang-format off
    static const std::vector<ScanFormat> formats{
        {"DICOM series", {}, {}, true,
         [](const std::string& path, const ConvertOptions& options) {
             return make<DicomInput>(
                 DicomFolder(path), path,
                 DicomChoice{options.series, options.volume, options.keepGrid});
         },
         nullptr},
        {"NIfTI", {".nii.gz", ".nii"}, {".nii.gz", ".nii"}, true,
         [](const std::string& path, const ConvertOptions& options) {
             return make<NiftiInput>(path, options.volume);
         },
         writeNiftiFile},
        {"NRRD", {".nrrd", ".nhdr"}, {".nrrd"}, false,
         [](const std::string& path, const ConvertOptions&) {
             return make<NrrdInput>(path);
         },
         writeNrrdFile},
        {"MetaImage", {".mha", ".mhd"}, {".mha"}, false,
         [](const std::string& path, const ConvertOptions&) {
             return make<MetaImageInput>(path);
         },
         writeMetaImageFile},
        {"volume", {".dat"}, {}, false,
         [](const std::string& path, const ConvertOptions&) { return make<DatInput>(path); },
         nullptr},
    };
    // clang-format on
    return formats;
}

const ScanFormat* formatForReading(const std::string& path)
{
    std::error_code error;
    if (std::filesystem::is_directory(path, error))
        return &scanFormats().front();
    if (const ScanFormat* format = formatByExtension(path, &ScanFormat::readExtensions))
        return format;
    // A single DICOM file, by its name or its content: it holds a series too.
    if (endsWith(lowerCaseName(path), ".dcm") ||
        (std::filesystem::is_regular_file(path, error) && startsLikeDicom(path)))
        return &scanFormats().front();
    return nullptr;
}

const ScanFormat* formatForWriting(const std::string& path)
{
    return formatByExtension(path, &ScanFormat::writeExtensions);
}

bool isVolumeFile(const std::string& path)
{
    return endsWith(lowerCaseName(path), ".dat");
}

const ScanFormat& inputFormat(const ConvertOptions& options)
{
    const std::string& path = options.input;
    std::error_code error;
    if (!std::filesystem::exists(path, error))
        throw ConvertError::reading(path, {"no-such-path"});
    const ScanFormat* format = formatForReading(path);
    if (!format)
        throw ConvertError::reading(path,
                                    {"unknown-format", {listText(&ScanFormat::readExtensions)}});
    if (options.volume != 0 && !format->holdsSeveralVolumes)
        throw ConvertError::reading(path, {"volume-of-single-volume-format", {format->name}});
    return *format;
}

std::unique_ptr<ScanInput> openScanInput(const ConvertOptions& options)
{
    return inputFormat(options).open(options.input, options);
}

std::string readableFormatsText()
{
    return "a folder holding a DICOM series, a DICOM file, or a " +
           listText(&ScanFormat::readExtensions) + " file";
}

std::string exportFormatsText()
{
    return listText(&ScanFormat::writeExtensions);
}
