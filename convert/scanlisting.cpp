// The listing of an input's series and volumes, as JSON.

#include "convert/scanlisting.h"

#include "convert/dicom/dicominput.h"
#include "convert/formats/converterror.h"
#include "convert/formats/progressbar.h"
#include "convert/scanformat.h"
#include "convert/sizecheck.h"
#include "convert/valuemapping.h"
#include "platform/systemmemory.h"

#include <cstdint>
#include <cstdio>
#include <memory>
#include <sstream>
#include <vector>

namespace {

// The length of the UTF-8 sequence `text` holds at `at`, or 0 where it holds
// none (a stray byte, a sequence cut short, an overlong or surrogate form).
size_t utf8Length(const std::string& text, size_t at)
{
    const auto byte = [&](size_t i) { return i < text.size() ? uint8_t(text[i]) : 0; };
    const uint8_t lead = byte(at);
    const size_t length = lead < 0x80                   ? 1
                          : lead >= 0xc2 && lead < 0xe0 ? 2
                          : lead >= 0xe0 && lead < 0xf0 ? 3
                          : lead >= 0xf0 && lead < 0xf5 ? 4
                                                        : 0;
    for (size_t i = 1; i < length; ++i)
        if ((byte(at + i) & 0xc0) != 0x80)
            return 0;
    const uint8_t second = byte(at + 1);
    if ((lead == 0xe0 && second < 0xa0) || (lead == 0xed && second >= 0xa0) ||
        (lead == 0xf0 && second < 0x90) || (lead == 0xf4 && second >= 0x90))
        return 0;
    return length;
}

} // namespace

std::string jsonString(const std::string& text)
{
    std::string json = "\"";
    for (size_t at = 0; at < text.size();) {
        const uint8_t byte = uint8_t(text[at]);
        const size_t length = utf8Length(text, at);
        if (byte == '"' || byte == '\\') {
            json += '\\';
            json += char(byte);
        } else if (byte < 0x20 || length == 0) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\u%04x", byte);
            json += escaped;
        } else {
            json.append(text, at, length);
            at += length;
            continue;
        }
        ++at;
    }
    return json + "\"";
}

std::string scanListing(const ConvertOptions& options)
{
    const ScanFormat& format = inputFormat(options);
    std::ostringstream json;
    json << "{\"format\": " << jsonString(format.name);
    std::unique_ptr<ScanInput> input;
    if (&format == &scanFormats().front()) {
        const DicomFolder scan(options.input);
        const std::vector<DicomSeries>& all = scan.series();
        json << ", \"series\": [";
        bool named = false;
        for (const DicomSeries& series : all) {
            json << (&series == &all.front() ? "" : ", ") << "{\"uid\": " << jsonString(series.uid)
                 << ", \"description\": " << jsonString(series.description)
                 << ", \"modality\": " << jsonString(series.modality)
                 << ", \"files\": " << series.files.size() << "}";
            named = named || series.uid == options.series;
        }
        json << "]";
        if (options.series.empty() && all.size() > 1)
            return json.str() + "}\n"; // a series is to be chosen first
        if (!options.series.empty() && !named)
            throw ConvertError("cannot read '" + options.input + "': it holds no series " +
                               options.series);
        input = std::make_unique<DicomInput>(scan, options.input,
                                             DicomChoice{options.series, 0, false, true});
    } else {
        input = format.open(options.input, options);
    }
    const ScanHeader& header = input->header();
    json << ", \"volumes\": [";
    for (uint64_t v = 0; v < header.volumeCount; ++v)
        json << (v ? ", " : "") << "{\"description\": "
             << jsonString(v < header.volumeNames.size() ? header.volumeNames[v]
                           : header.volumeCount > 1      ? "volume " + std::to_string(v)
                                                         : "")
             << "}";
    json << "], \"toldApartBy\": " << jsonString(header.toldApartBy);
    // Where the header does not say whether it is CT, the samples of the
    // volume that converts by default do, as in the conversion.
    SourceImage image;
    const bool read = !headerDecidesHounsfield(options, header);
    if (read) {
        checkConversionMemory(header, VoxelGrid{}, options.input, physicalMemoryBytes());
        ProgressBar quiet(false);
        image = input->read(quiet);
    }
    const HounsfieldDecision ct = decideHounsfield(options, header, read ? &image : nullptr);
    json << ", \"ct\": " << (ct.hounsfield ? "true" : "false")
         << ", \"ctReason\": " << jsonString(ct.reason) << "}\n";
    return json.str();
}
