// The data file and spacing checks the readers make before a library reads
// the samples (datafilecheck.h).

#include "convert/formats/datafilecheck.h"

#include "convert/formats/converterror.h"

#include <sys/stat.h>
#include <zlib.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <vector>

namespace {

constexpr uint64_t kDeflateLimit = 1032;

} // namespace

std::string dataFileBesideHeader(const std::string& header, const std::string& dataFile)
{
    const std::filesystem::path path(dataFile);
    return path.is_absolute() ? dataFile
                              : (std::filesystem::path(header).parent_path() / path).string();
}

bool plausibleSpacing(double millimetres)
{
    return millimetres > 0 && millimetres <= 1e6;
}

void checkSpacing(const std::string& input, const std::array<double, 3>& spacing)
{
    if (std::all_of(spacing.begin(), spacing.end(), plausibleSpacing))
        return;
    std::ostringstream text;
    text << spacing[0] << " x " << spacing[1] << " x " << spacing[2];
    throw ConvertError::reading(input, {"implausible-spacing", {text.str()}});
}

void checkDataFile(const std::string& input, const std::string& dataFile, uint64_t offset,
                   uint64_t announced, DataEncoding encoding)
{
    struct stat status;
    if (stat(dataFile.c_str(), &status) != 0)
        throw ConvertError::reading(input, {"data-file-missing", {dataFile}});
    // A folder (an empty data file name) or a device has no size to check,
    // and a library reads it until it gives up, or for ever.
    if (!S_ISREG(status.st_mode))
        throw ConvertError::reading(input, {"data-file-not-regular", {dataFile}});
    const uint64_t size = uint64_t(status.st_size);
    const uint64_t held = size > offset ? size - offset : 0;
    if ((encoding == DataEncoding::Raw && held < announced) ||
        (encoding == DataEncoding::Gzip && held < announced / kDeflateLimit))
        throw ConvertError::reading(
            input,
            {encoding == DataEncoding::Gzip ? "data-file-short-compressed" : "data-file-short",
             {announced, dataFile, held}});
}

void checkDeflatedData(const std::string& input, const std::string& dataFile, uint64_t offset,
                       uint64_t compressed, uint64_t announced)
{
    z_stream stream{};
    // As MetaIO inflates: a zlib or a gzip header.
    if (inflateInit2(&stream, 15 + 32) != Z_OK)
        throw ConvertError::reading(input, {"out-of-memory"});
    const std::unique_ptr<z_stream, int (*)(z_stream*)> ending(&stream, inflateEnd);
    std::ifstream file(dataFile, std::ios::binary);
    file.seekg(std::streamoff(offset));
    std::vector<char> in(1 << 16), out(1 << 16);
    uint64_t left = compressed == 0 ? ~uint64_t(0) : compressed, inflated = 0;
    int status = Z_OK;
    while (inflated < announced && status == Z_OK) {
        if (stream.avail_in == 0 && left > 0) {
            file.read(in.data(), std::streamsize(std::min<uint64_t>(in.size(), left)));
            stream.next_in = reinterpret_cast<Bytef*>(in.data());
            stream.avail_in = uInt(file.gcount());
            left -= stream.avail_in;
            if (file.gcount() == 0)
                left = 0;
        }
        const uInt before = stream.avail_in;
        stream.next_out = reinterpret_cast<Bytef*>(out.data());
        stream.avail_out = uInt(out.size());
        status = inflate(&stream, Z_NO_FLUSH);
        inflated += out.size() - stream.avail_out;
        if (status == Z_OK && stream.avail_in == before && stream.avail_out == out.size())
            break; // no progress: the input ended, or the stream is stuck
    }
    if (inflated < announced)
        throw ConvertError::reading(input, {status == Z_DATA_ERROR || status == Z_NEED_DICT
                                                ? "compressed-samples-damaged"
                                                : "compressed-samples-short",
                                            {inflated, announced}});
}
