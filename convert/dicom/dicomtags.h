#pragma once

#include <gdcmDataSet.h>
#include <gdcmFile.h>
#include <gdcmStringFilter.h>

#include <cstddef>
#include <string>
#include <vector>

// Reading values out of GDCM's data sets, as text and numbers.

// DICOM pads its text values with spaces or a zero byte.
std::string trimmed(const std::string& text);

// The numbers of a value ("0.5\0.5"); empty when any is not a finite number.
std::vector<double> numbers(const std::string& text);

// The values of elements as text, also of elements nested in sequences.
class TagReader : private gdcm::StringFilter
{
public:
    explicit TagReader(const gdcm::File& file) { SetFile(file); }

    std::string text(const gdcm::DataSet& ds, const gdcm::Tag& tag) const;
    std::string text(const gdcm::DataSet& ds, const gdcm::PrivateTag& tag) const;
    // The value as one number, or `missing`.
    double number(const gdcm::DataSet& ds, const gdcm::Tag& tag, double missing) const;
};

// Item `index` (from 0) of the sequence `tag` in `ds`, or null.
const gdcm::DataSet* item(const gdcm::DataSet& ds, const gdcm::Tag& tag, size_t index = 0);
