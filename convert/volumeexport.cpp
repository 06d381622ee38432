// Exporting a volume file to another tool's format: the writer the format
// table names, into a part folder, then moved to OUTPUT.

#include "convert/volumeexport.h"

#include "convert/formats/converterror.h"
#include "convert/scanformat.h"

#include <filesystem>

namespace {

namespace fs = std::filesystem;

// The folder an export is written in; removed with whatever it holds unless
// the file left it for its final place.
class PartFolder
{
public:
    explicit PartFolder(const std::string& output) : m_folder(output + ".part")
    {
        std::error_code error;
        fs::remove_all(m_folder, error); // a leftover of an interrupted export
        if (!fs::create_directory(m_folder, error))
            throw ConvertError::writing(output, {"cannot-create", {m_folder.string()}});
        m_file = m_folder / fs::path(output).filename();
    }
    ~PartFolder()
    {
        std::error_code error;
        fs::remove_all(m_folder, error);
    }
    std::string file() const { return m_file.string(); }

private:
    fs::path m_folder, m_file;
};

} // namespace

void exportVolume(const SampleVolume& volume, const std::string& output)
{
    const ScanFormat* format = formatForWriting(output);
    if (!format)
        throw ConvertError::writing(output, {"not-export-format", {exportFormatsText()}});
    PartFolder folder(output);
    format->write(volume, folder.file());
    std::error_code error;
    fs::rename(folder.file(), output, error);
    if (error)
        throw ConvertError::writing(output, {"foreign-text", {error.message()}});
}
