// The listing of an input's series and volumes, as JSON.

#include "convert/scanlisting.h"

#include "convert/dicom/dicominput.h"
#include "convert/formats/converterror.h"
#include "convert/formats/progressbar.h"
#include "convert/messages/jsonstring.h"
#include "convert/scanformat.h"
#include "convert/sizecheck.h"
#include "convert/valuemapping.h"
#include "platform/systemmemory.h"

#include <cstdint>
#include <cstdio>
#include <memory>
#include <sstream>
#include <vector>

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
            throw ConvertError::reading(options.input, {"no-series", {options.series}});
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
        checkConversionMemory(header, VoxelGrid{}, writtenAxisMapping(header), options,
                              physicalMemoryBytes());
        ProgressBar quiet(false);
        image = input->read(quiet);
    }
    const HounsfieldDecision ct = decideHounsfield(options, header, read ? &image : nullptr);
    json << ", \"ct\": " << (ct.hounsfield ? "true" : "false")
         << ", \"ctReason\": " << jsonString(ct.reason.text());
    if (options.codes)
        json << ", \"ctReasonCode\": " << ct.reason.json();
    json << "}\n";
    return json.str();
}
