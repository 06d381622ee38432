// The frames of an enhanced multi-frame file as slices, each described by
// its own functional group or the shared one.

#include "convert/dicom/multiframe.h"

#include "convert/formats/converterror.h"

#include <sstream>

using gdcm::Tag;

// The slices of an enhanced multi-frame file: a frame each, described by its
// per-frame and shared functional groups.
ConvertMessage frameSlices(const TagReader& tags, const gdcm::DataSet& ds, const DicomSlice& file,
                           unsigned frames, std::vector<DicomSlice>& slices)
{
    const gdcm::DataSet* shared = item(ds, Tag(0x5200, 0x9229));
    // The dimension that is the position within a stack orders slices, not
    // volumes: its index is left out of the volume's dimension key.
    long spatial = -1;
    for (size_t d = 0; const gdcm::DataSet* dimension = item(ds, Tag(0x0020, 0x9222), d); ++d) {
        const std::string pointer = tags.text(*dimension, Tag(0x0020, 0x9165));
        if (pointer.find("0020,9057") != std::string::npos ||
            pointer.find("0020,0032") != std::string::npos)
            spatial = long(d);
    }
    for (unsigned f = 0; f < frames; ++f) {
        const gdcm::DataSet* own = item(ds, Tag(0x5200, 0x9230), f);
        if (!own)
            return {"fewer-frames-described", {file.file, frames}};
        // A frame's attribute: in its own functional group, else the shared.
        const auto value = [&](const Tag& group, const Tag& tag, const Tag& nested = Tag()) {
            for (const gdcm::DataSet* groups : {own, shared}) {
                const gdcm::DataSet* found = groups ? item(*groups, group) : nullptr;
                if (found && nested != Tag())
                    found = item(*found, tag);
                if (found && found->FindDataElement(nested == Tag() ? tag : nested))
                    return tags.text(*found, nested == Tag() ? tag : nested);
            }
            return std::string();
        };
        DicomSlice slice = file;
        slice.frame = f;
        const ConvertMessage problem =
            setGeometry(slice, value(Tag(0x0020, 0x9113), Tag(0x0020, 0x0032)),
                        value(Tag(0x0020, 0x9116), Tag(0x0020, 0x0037)),
                        value(Tag(0x0028, 0x9110), Tag(0x0028, 0x0030)));
        if (!problem.empty())
            return {"for-frame", {problem, f + 1}};
        const std::vector<double> slope = numbers(value(Tag(0x0028, 0x9145), Tag(0x0028, 0x1053)));
        const std::vector<double> intercept =
            numbers(value(Tag(0x0028, 0x9145), Tag(0x0028, 0x1052)));
        slice.slope = slope.size() == 1 && slope[0] != 0 ? slope[0] : 1;
        slice.intercept = intercept.size() == 1 ? intercept[0] : 0;

        // Without a description of the dimensions, their indices are left
        // out: one of them is the position.
        const Tag content(0x0020, 0x9111);
        std::string dimensions;
        std::istringstream indices(spatial >= 0 ? value(content, Tag(0x0020, 0x9157)) : "");
        long d = 0;
        for (std::string index; std::getline(indices, index, '\\'); ++d)
            if (d != spatial)
                dimensions += (dimensions.empty() ? "" : "\\") + index;
        slice.keys[size_t(SliceKey::Stack)] = value(content, Tag(0x0020, 0x9056));
        slice.keys[size_t(SliceKey::TemporalPosition)] = value(content, Tag(0x0020, 0x9128));
        slice.keys[size_t(SliceKey::Dimensions)] = dimensions;
        slice.keys[size_t(SliceKey::AcquisitionTime)] = value(content, Tag(0x0018, 0x9074));
        std::string type = value(Tag(0x0018, 0x9226), Tag(0x0008, 0x9007));
        if (type.empty())
            type = value(Tag(0x0018, 0x9329), Tag(0x0008, 0x9007));
        if (!type.empty())
            slice.keys[size_t(SliceKey::ImageType)] = type;
        slice.keys[size_t(SliceKey::Echo)] = value(Tag(0x0018, 0x9114), Tag(0x0018, 0x9082));
        slice.keys[size_t(SliceKey::TriggerTime)] = value(Tag(0x0018, 0x9118), Tag(0x0020, 0x9153));
        const std::string b = value(Tag(0x0018, 0x9117), Tag(0x0018, 0x9087));
        const std::string gradient =
            value(Tag(0x0018, 0x9117), Tag(0x0018, 0x9076), Tag(0x0018, 0x9089));
        slice.keys[size_t(SliceKey::Diffusion)] = b + (gradient.empty() ? "" : "\\" + gradient);
        slices.push_back(slice);
    }
    return {};
}
