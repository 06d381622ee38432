// The names of the keys that tell slices apart, and a slice's geometry from
// its header's text.

#include "convert/dicom/dicomslice.h"

#include "convert/dicom/dicomtags.h"
#include "convert/formats/converterror.h"

#include <algorithm>

const char* sliceKeyName(SliceKey key)
{
    static const char* const names[kSliceKeys] = {"stack",
                                                  "image type",
                                                  "echo",
                                                  "temporal position",
                                                  "diffusion",
                                                  "dimension index",
                                                  "trigger time",
                                                  "acquisition number",
                                                  "acquisition time",
                                                  "instance number"};
    return names[int(key)];
}

ConvertMessage setGeometry(DicomSlice& slice, const std::string& position,
                           const std::string& orientation, const std::string& spacing)
{
    const std::vector<double> p = numbers(position), o = numbers(orientation), s = numbers(spacing);
    if (p.size() != 3 || o.size() != 6)
        return {"no-position-and-orientation", {slice.file}};
    if (s.size() != 2 || !(s[0] > 0) || !(s[1] > 0))
        return {"no-pixel-spacing", {slice.file}};
    std::copy(p.begin(), p.end(), slice.position.begin());
    std::copy(o.begin(), o.end(), slice.orientation.begin());
    slice.pixelSpacing = {{s[1], s[0]}}; // DICOM gives the row spacing first
    return {};
}
