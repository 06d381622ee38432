// The data file and spacing checks the readers make before a library reads
// the samples (datafilecheck.h).

#include "convert/formats/datafilecheck.h"

#include "convert/formats/converterror.h"

#include <sys/stat.h>

namespace {

constexpr uint64_t kDeflateLimit = 1032;

} // namespace

bool plausibleSpacing(double millimetres)
{
    return millimetres > 0 && millimetres <= 1e6;
}

void checkDataFile(const std::string& input, const std::string& dataFile, uint64_t offset,
                   uint64_t announced, DataEncoding encoding)
{
    struct stat status;
    if (stat(dataFile.c_str(), &status) != 0)
        throw ConvertError("cannot read '" + input + "': its data file '" + dataFile +
                           "' is missing");
    // A folder (an empty data file name) or a device has no size to check,
    // and a library reads it until it gives up, or for ever.
    if (!S_ISREG(status.st_mode))
        throw ConvertError("cannot read '" + input + "': its data file '" + dataFile +
                           "' is not a regular file");
    const uint64_t size = uint64_t(status.st_size);
    const uint64_t held = size > offset ? size - offset : 0;
    if ((encoding == DataEncoding::Raw && held < announced) ||
        (encoding == DataEncoding::Gzip && held < announced / kDeflateLimit))
        throw ConvertError("cannot read '" + input + "': the header announces " +
                           std::to_string(announced) + " bytes of samples, '" + dataFile +
                           "' holds " + std::to_string(held) +
                           (encoding == DataEncoding::Gzip ? " compressed" : ""));
}
