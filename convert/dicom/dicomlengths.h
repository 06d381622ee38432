#pragma once

#include "convert/messages/convertmessage.h"

#include <cstdint>
#include <string>

// A deflated data set is inflated for the walk, up to this much: a file
// whose data set inflates further is refused rather than held in memory.
constexpr uint64_t kMostInflatedBytes = uint64_t(1) << 31;

// GDCM allocates every element's stated length before it reads the value,
// so a damaged length in a small file asks for up to 4 GB; and it decodes a
// cut file's pixel data as far as it goes, filling the rest without a word.
// This walks the file's element headers (the little- and big-endian,
// explicit and implicit encodings; a deflated data set inflated, at most
// `mostInflated` bytes of it) without reading
// values, into items and explicit sequences, and says what is wrong when a
// length runs past the end of the file or of its item, an element of
// undefined length (a sequence, compressed pixel data) is not closed before
// it, an item or delimiter stands where an element belongs or the other way
// round, a delimiter states a length, encapsulated data (pixel data, OB or OW
// of undefined length) holds an item of undefined length, an element of an explicit data set has no
// VR, or the meta information names no transfer syntax (in each GDCM tries another encoding and
// finds any length); empty when the file's structure holds. Sequences of a stated length in
// implicit encoding are stepped over, as no VR marks them.
ConvertMessage dicomLengthProblem(const std::string& path,
                                  uint64_t mostInflated = kMostInflatedBytes);
