// The tiles of a mosaic (one file holding the slices of a volume side by
// side) as slices, after a check of the scanner's private header that GDCM
// cannot make itself; and their pixels split apart.

#include "convert/dicom/mosaic.h"

#include "convert/formats/converterror.h"
#include "convert/guard/librarycall.h"

#include <gdcmCSAHeader.h>

#include <cstdint>
#include <cstring>
#include <vector>

using gdcm::Tag;

namespace {

// Whether a CSA header's counts and lengths stay within its bytes: GDCM's
// parser reads them as given and loops for ever past the end of a damaged
// one. "SV10" and the older layout: a count of elements, each 84 bytes with
// its count of items at 76, each item 16 bytes with its length at 4, then
// that many bytes padded to four.
bool csaHeaderHolds(const gdcm::DataElement& element)
{
    const gdcm::ByteValue* value = element.GetByteValue();
    if (!value || !value->GetPointer())
        return false;
    const unsigned char* bytes = reinterpret_cast<const unsigned char*>(value->GetPointer());
    const uint64_t size = value->GetLength();
    const auto number = [&](uint64_t at, uint64_t& out) {
        if (at + 4 > size)
            return false;
        out = bytes[at] | uint32_t(bytes[at + 1]) << 8 | uint32_t(bytes[at + 2]) << 16 |
              uint32_t(bytes[at + 3]) << 24;
        return true;
    };
    uint64_t at = size >= 4 && std::memcmp(bytes, "SV10", 4) == 0 ? 8 : 0, elements = 0;
    if (!number(at, elements))
        return false;
    at += 8;
    for (uint64_t e = 0; e < elements; ++e) {
        uint64_t items = 0;
        if (!number(at + 76, items))
            return false;
        at += 84;
        for (uint64_t i = 0; i < items; ++i) {
            uint64_t length = 0;
            if (!number(at + 4, length) || at + 16 + (length + 3) / 4 * 4 > size)
                return false;
            at += 16 + (length + 3) / 4 * 4;
        }
    }
    return true;
}

} // namespace

// The tiles of a mosaic: GDCM finds their number and the direction they
// advance in from the scanner's private (CSA) header; the mosaic's position
// is that of a slice as large as the whole mosaic, centred on the first tile.
ConvertMessage mosaicSlices(const TagReader& tags, const gdcm::File& gdcmFile,
                            const DicomSlice& file, std::vector<DicomSlice>& slices)
{
    const gdcm::DataSet& ds = gdcmFile.GetDataSet();
    // Without the private header, GDCM guesses the count from the
    // acquisition matrix, padding the volume with blank slices.
    gdcm::CSAHeader csa;
    for (const gdcm::PrivateTag& tag :
         {csa.GetCSAImageHeaderInfoTag(), csa.GetCSASeriesHeaderInfoTag()})
        if (ds.FindDataElement(tag) && !csaHeaderHolds(ds.GetDataElement(tag)))
            return {"mosaic-csa-damaged", {file.file}};
    const gdcm::PrivateTag& csaTag = csa.GetCSAImageHeaderInfoTag();
    const bool counted = ds.FindDataElement(csaTag) &&
                         csa.LoadFromDataElement(ds.GetDataElement(csaTag)) &&
                         csa.FindCSAElementByName("NumberOfImagesInMosaic");
    const unsigned tiles =
        counted ? gdcm::SplitMosaicFilter::GetNumberOfImagesInMosaic(gdcmFile) : 0;
    gdcm::SplitMosaicFilter filter;
    filter.SetFile(gdcmFile);
    unsigned dims[3] = {};
    double normal[3] = {};
    bool inverted = false;
    if (tiles == 0 || !filter.ComputeMOSAICDimensions(dims) || dims[0] == 0 || dims[1] == 0)
        return {"mosaic-without-tile-count", {file.file}};
    if (!filter.ComputeMOSAICSliceNormal(normal, inverted))
        return {"mosaic-without-slice-direction", {file.file}};
    const double spacing = tags.number(ds, Tag(0x0018, 0x0088), 0);
    if (!(spacing > 0) && tiles > 1)
        return {"mosaic-without-spacing", {file.file}};
    DicomSlice tile = file;
    tile.mosaicTile = true;
    tile.columns = dims[0];
    tile.rows = dims[1];
    const double across = file.pixelSpacing[0] * (file.columns - dims[0]) / 2;
    const double down = file.pixelSpacing[1] * (file.rows - dims[1]) / 2;
    for (unsigned t = 0; t < tiles; ++t) {
        // GDCM's splitter lays the tiles out along the slice normal: in
        // their stored order, or reversed when they advance against it.
        tile.frame = inverted ? tiles - 1 - t : t;
        for (size_t axis = 0; axis < 3; ++axis)
            tile.position[axis] = file.position[axis] + across * file.orientation[axis] +
                                  down * file.orientation[3 + axis] + t * spacing * normal[axis];
        slices.push_back(tile);
    }
    return {};
}

const gdcm::Image& splitMosaic(gdcm::ImageReader& reader, gdcm::SplitMosaicFilter& splitter,
                               const std::string& file)
{
    gdcm::Image& image = reader.GetImage();
    const gdcm::PixelFormat stored = image.GetPixelFormat();
    // GDCM's splitter takes unsigned 16-bit pixels only, and only moves them:
    // signed ones are decoded, split as their bit patterns, and read as
    // signed again.
    if (stored.GetBitsAllocated() == 16 && stored.GetPixelRepresentation() == 1) {
        std::vector<char> decoded(image.GetBufferLength());
        if (!image.GetBuffer(decoded.data()))
            throw ConvertError::reading(file, {"gdcm-cannot-decode", {libraryFailureNote("GDCM")}});
        gdcm::DataElement pixels(Tag(0x7fe0, 0x0010));
        pixels.SetVR(gdcm::VR::OW);
        pixels.SetByteValue(decoded.data(), uint32_t(decoded.size()));
        image.SetDataElement(pixels);
        image.SetTransferSyntax(gdcm::TransferSyntax::ExplicitVRLittleEndian);
        image.SetNeedByteSwap(false);
        gdcm::PixelFormat bits = stored;
        bits.SetPixelRepresentation(0);
        image.SetPixelFormat(bits);
    }
    splitter.SetImage(image);
    splitter.SetFile(reader.GetFile());
    if (!splitter.Split())
        throw ConvertError::reading(file, {"gdcm-cannot-split-mosaic"});
    splitter.GetImage().SetPixelFormat(stored);
    return splitter.GetImage();
}
