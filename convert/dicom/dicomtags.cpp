// Reading values out of GDCM's data sets: DICOM's padded text, its
// backslash-separated numbers, and the items of sequences.

#include "convert/dicom/dicomtags.h"

#include <gdcmSequenceOfItems.h>

#include <cmath>
#include <cstdlib>
#include <sstream>

using gdcm::Tag;

// DICOM pads its text values with spaces or a zero byte.
std::string trimmed(const std::string& text)
{
    static const std::string padding(" \0", 2);
    const size_t first = text.find_first_not_of(padding);
    const size_t last = text.find_last_not_of(padding);
    return first == std::string::npos ? std::string() : text.substr(first, last - first + 1);
}

// The numbers of a value ("0.5\0.5"); empty when any is not a finite number.
std::vector<double> numbers(const std::string& text)
{
    std::vector<double> values;
    std::istringstream stream(text);
    std::string item;
    while (std::getline(stream, item, '\\')) {
        item = trimmed(item);
        char* end = nullptr;
        const double value = std::strtod(item.c_str(), &end);
        if (item.empty() || *end != '\0' || !std::isfinite(value))
            return {};
        values.push_back(value);
    }
    return values;
}

std::string TagReader::text(const gdcm::DataSet& ds, const Tag& tag) const
{
    if (!ds.FindDataElement(tag) || ds.GetDataElement(tag).IsEmpty())
        return {};
    return trimmed(ToStringPair(tag, ds).second);
}

std::string TagReader::text(const gdcm::DataSet& ds, const gdcm::PrivateTag& tag) const
{
    if (!ds.FindDataElement(tag) || ds.GetDataElement(tag).IsEmpty())
        return {};
    return trimmed(ToStringPair(ds.GetDataElement(tag)).second);
}

double TagReader::number(const gdcm::DataSet& ds, const Tag& tag, double missing) const
{
    const std::vector<double> values = numbers(text(ds, tag));
    return values.size() == 1 ? values[0] : missing;
}

// Item `index` (from 0) of the sequence `tag` in `ds`, or null.
const gdcm::DataSet* item(const gdcm::DataSet& ds, const Tag& tag, size_t index)
{
    if (!ds.FindDataElement(tag))
        return nullptr;
    const gdcm::SmartPointer<gdcm::SequenceOfItems> items = ds.GetDataElement(tag).GetValueAsSQ();
    if (!items || index >= items->GetNumberOfItems())
        return nullptr;
    return &items->GetItem(index + 1).GetNestedDataSet(); // GDCM counts items from 1
}
