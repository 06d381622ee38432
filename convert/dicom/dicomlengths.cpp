// The walk through a DICOM file's element headers before GDCM reads it
// (dicomlengths.h): the meta information, then the data set in the encoding
// it names, inflated first when deflated.

#include "convert/dicom/dicomlengths.h"

#include "convert/dicom/elementwalker.h"

#include <zlib.h>

#include <cstdint>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

namespace {

// The data set after the meta information, inflated (raw deflate, as DICOM
// writes it); false with `problem` set when the stream is damaged or
// inflates to more than `most` bytes.
bool inflateDataSet(std::istream& file, uint64_t from, uint64_t most, std::string& inflated,
                    ConvertMessage& problem)
{
    z_stream stream{};
    if (inflateInit2(&stream, -MAX_WBITS) != Z_OK)
        return false;
    const std::unique_ptr<z_stream, int (*)(z_stream*)> ending(&stream, inflateEnd);
    file.clear();
    file.seekg(std::streamoff(from));
    std::vector<char> in(1 << 16), out(1 << 16);
    int status = Z_OK;
    while (status != Z_STREAM_END) {
        if (stream.avail_in == 0) {
            file.read(in.data(), std::streamsize(in.size()));
            stream.next_in = reinterpret_cast<Bytef*>(in.data());
            stream.avail_in = uInt(file.gcount());
            if (stream.avail_in == 0)
                break; // the stream ends early: what inflated is walked
        }
        stream.next_out = reinterpret_cast<Bytef*>(out.data());
        stream.avail_out = uInt(out.size());
        status = inflate(&stream, Z_NO_FLUSH);
        if (status != Z_OK && status != Z_STREAM_END) {
            problem = {"deflated-data-set-damaged"};
            return false;
        }
        inflated.append(out.data(), out.size() - stream.avail_out);
        if (inflated.size() > most) {
            problem = {"deflated-data-set-too-large", {most >> 20}};
            return false;
        }
    }
    return true;
}

} // namespace

ConvertMessage dicomLengthProblem(const std::string& path, uint64_t mostInflated)
{
    std::ifstream file(path, std::ios::binary | std::ios::ate);
    if (!file)
        return {};
    const uint64_t size = uint64_t(file.tellg());
    ElementWalker walker(file, size);
    char magic[4] = {};
    file.seekg(128);
    const bool preamble = bool(file.read(magic, 4)) && std::string(magic, 4) == "DICM";
    uint64_t at = preamble ? 132 : 0;

    // The meta information is explicit little endian and names the data
    // set's encoding. Without it, the first element shows whether a VR is
    // written (two capital letters after the tag) and the byte order.
    DicomEncoding encoding;
    std::string syntax;
    if (preamble && !walker.walk(at, encoding, true, &syntax))
        return walker.problem();
    // Without the meta information's transfer syntax, GDCM guesses the
    // encoding, and reads on in one it finds no fault with.
    if (preamble && syntax.empty())
        return {"no-transfer-syntax"};
    while (!syntax.empty() && (syntax.back() == '\0' || syntax.back() == ' '))
        syntax.pop_back();
    if (preamble) {
        encoding.explicitVr = syntax != "1.2.840.10008.1.2";
        encoding.bigEndian = syntax == "1.2.840.10008.1.2.2";
        encoding.deflated = syntax == "1.2.840.10008.1.2.1.99";
    } else {
        // A data set starts with a group below 0x0100 (0x0008 as a rule): its
        // first bytes show the byte order.
        unsigned char first[6] = {};
        file.clear();
        file.seekg(0);
        file.read(reinterpret_cast<char*>(first), 6);
        encoding.explicitVr =
            first[4] >= 'A' && first[4] <= 'Z' && first[5] >= 'A' && first[5] <= 'Z';
        encoding.bigEndian = first[0] == 0 && first[1] != 0;
    }
    if (!encoding.deflated)
        return walker.walk(at, encoding, false, nullptr) ? ConvertMessage() : walker.problem();

    // A deflated data set is walked as GDCM reads it: inflated.
    std::string inflated;
    ConvertMessage problem;
    if (!inflateDataSet(file, at, mostInflated, inflated, problem))
        return problem;
    std::istringstream dataSet(std::move(inflated));
    ElementWalker inflatedWalker(dataSet, dataSet.str().size());
    uint64_t start = 0;
    return inflatedWalker.walk(start, encoding, false, nullptr) ? ConvertMessage()
                                                                : inflatedWalker.problem();
}
