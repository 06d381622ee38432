#pragma once

#include <array>
#include <cstdint>
#include <string>

// Checks a reader makes on a header's own word before a library reads the
// samples it announces.

// How an input's samples are stored in their data file, for checking that
// the file can hold what the header announces.
enum class DataEncoding { Raw, Gzip, Unknown };

// Throws ConvertError when `dataFile`, holding `announced` bytes of samples
// from byte `offset` on, is not a regular file or too short for them. Gzip
// data cannot expand more than 1032 times (deflate's limit); of other
// encodings nothing is known.
void checkDataFile(const std::string& input, const std::string& dataFile, uint64_t offset,
                   uint64_t announced, DataEncoding encoding);

// Throws ConvertError when the deflated samples of `dataFile` from byte
// `offset` on (`compressed` bytes of them, or up to its end where 0) do not
// inflate to at least `announced` bytes. MetaIO's inflation loops for ever on
// some damaged streams; this one ends at the first step that makes no
// progress. It reads the data once more, a piece at a time.
void checkDeflatedData(const std::string& input, const std::string& dataFile, uint64_t offset,
                       uint64_t compressed, uint64_t announced);

// A data file named in a detached header, relative to the header's folder.
std::string dataFileBesideHeader(const std::string& header, const std::string& dataFile);

// Whether `millimetres` can be a voxel's spacing: above 0 and at most a
// kilometre. A header's NaN or 0 would make the cube grid meaningless, and a
// larger size, which no scan has, overflows it once shrunk.
bool plausibleSpacing(double millimetres);

// Throws ConvertError unless each of a header's three spacings is plausible.
void checkSpacing(const std::string& input, const std::array<double, 3>& spacing);
