#include "convert/dicom/dicomlengths.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

namespace {

// How the data set after the file meta information is encoded.
struct Encoding
{
    bool explicitVr = true;
    bool bigEndian = false;
    bool deflated = false;
};

// Whether a value representation's length takes four bytes after two
// reserved ones: all but those with two-byte lengths, unknown ones too, as
// GDCM reads them.
bool longLength(const char vr[2])
{
    static const char* const kShort[] = {"AE", "AS", "AT", "CS", "DA", "DS", "DT",
                                         "FD", "FL", "IS", "LO", "LT", "PN", "SH",
                                         "SL", "SS", "ST", "TM", "UI", "UL", "US"};
    for (const char* candidate : kShort)
        if (vr[0] == candidate[0] && vr[1] == candidate[1])
            return false;
    return true;
}

class Walker
{
public:
    Walker(std::ifstream& file, uint64_t size) : m_file(file), m_size(size) {}

    // Walks the elements from `at` up to `end` (or the file's end); false
    // with m_problem set where a length does not hold. Stops early, true,
    // where the meta information ends (group 0002 done) when `metaOnly`.
    bool walk(uint64_t& at, const Encoding& encoding, bool metaOnly, std::string* syntax)
    {
        // What is open, innermost last: sequences (elements of undefined
        // length or explicitly SQ, encapsulated pixel data among them) hold
        // only items and, when of undefined length, their own delimiter;
        // items hold elements. Those of a stated length end where it says.
        // Fragments are a sequence of encapsulated data (pixel data, or OB
        // or OW of undefined length, as GDCM reads them): items of a stated
        // length, their bytes not elements.
        enum Kind : char { Sequence, Item, Fragments };
        struct Open
        {
            Kind kind;
            uint64_t end; // UINT64_MAX: at its delimiter
        };
        std::vector<Open> open;
        bool inPixelData = false;
        while (at < m_size) {
            if (!open.empty() && at >= open.back().end) {
                if (at > open.back().end)
                    return fail(std::string("an element runs past the end of its ") +
                                (open.back().kind == Item ? "item" : "sequence"));
                open.pop_back();
                continue;
            }
            unsigned char head[8];
            if (!read(at, head, 8))
                break; // a few stray bytes at the end: GDCM stops there
            const uint16_t group = number(head, 2, encoding.bigEndian);
            const uint16_t element = number(head + 2, 2, encoding.bigEndian);
            if (metaOnly && group != 0x0002)
                return true;
            uint64_t length, header = 8;
            const bool vr = head[4] >= 'A' && head[4] <= 'Z' && head[5] >= 'A' && head[5] <= 'Z';
            const bool explicitSequence = encoding.explicitVr && head[4] == 'S' && head[5] == 'Q';
            // An explicit data set names every element's VR; GDCM reads one
            // that does not in other encodings, where any length may turn up.
            if (encoding.explicitVr && group != 0xfffe && !vr)
                return fail("its element " + tag(group, element) +
                            " has no value representation, which its encoding requires");
            if (group == 0xfffe || !encoding.explicitVr) {
                length = number(head + 4, 4, encoding.bigEndian);
            } else if (longLength(reinterpret_cast<const char*>(head + 4))) {
                unsigned char extra[4];
                if (!read(at + 8, extra, 4))
                    return fail("it ends inside the header of its element " + tag(group, element));
                length = number(extra, 4, encoding.bigEndian);
                header = 12;
            } else {
                length = number(head + 6, 2, encoding.bigEndian);
            }
            at += header;
            // GDCM reads what stands out of place in some other encoding,
            // where any length may turn up: refused here.
            const bool inFragments = !open.empty() && open.back().kind == Fragments;
            const bool inSequence = inFragments || (!open.empty() && open.back().kind == Sequence);
            const bool undefinedEnd = !open.empty() && open.back().end == UINT64_MAX;
            const bool item = group == 0xfffe && element == 0xe000;
            const bool itemEnd = group == 0xfffe && element == 0xe00d;
            const bool sequenceEnd = group == 0xfffe && element == 0xe0dd;
            if (inSequence != (item || sequenceEnd) || (itemEnd && (open.empty() || inSequence)) ||
                ((itemEnd || sequenceEnd) && !undefinedEnd) ||
                (group == 0xfffe && !item && !itemEnd && !sequenceEnd))
                return fail("its element " + tag(group, element) + " stands where " +
                            (inSequence ? "an item" : "an element") + " belongs");
            if ((itemEnd || sequenceEnd) && length != 0) // GDCM allocates it all the same
                return fail("its delimiter " + tag(group, element) + " states " +
                            std::to_string(length) + " bytes, not 0");
            if (itemEnd || sequenceEnd) {
                open.pop_back();
                inPixelData = inPixelData && !open.empty();
                continue;
            }
            const bool pixelData = group == 0x7fe0 && element == 0x0010;
            const bool encapsulated =
                pixelData ||
                (encoding.explicitVr && vr &&
                 ((head[4] == 'O' && head[5] == 'B') || (head[4] == 'O' && head[5] == 'W')));
            if (length == 0xffffffff && inFragments)
                return fail(inPixelData
                                ? "its compressed pixel data holds an item of undefined length"
                                : "its element " + tag(group, element) +
                                      " holds an item of undefined length");
            if (length == 0xffffffff) { // its items and delimiters follow as elements
                open.push_back({item ? Item : encapsulated ? Fragments : Sequence, UINT64_MAX});
                inPixelData = inPixelData || pixelData;
                continue;
            }
            if (length > m_size - at && pixelData)
                return fail("it holds " + std::to_string(m_size - at) + " bytes of pixel data, " +
                            std::to_string(length) + " are announced");
            if (length > m_size - at)
                return fail(inPixelData ? "its compressed pixel data is cut short"
                                        : "its element " + tag(group, element) + " states " +
                                              std::to_string(length) + " bytes, " +
                                              std::to_string(m_size - at) + " follow it");
            if (syntax && group == 0x0002 && element == 0x0010) {
                syntax->resize(length);
                read(at, reinterpret_cast<unsigned char*>(syntax->data()), length);
            }
            if ((item && !inFragments) || explicitSequence) { // walked into, as GDCM reads it
                open.push_back({item ? Item : Sequence, at + length});
                continue;
            }
            at += length;
        }
        while (!open.empty() && open.back().end == at)
            open.pop_back();
        if (!open.empty() && !metaOnly)
            return fail(inPixelData ? "its compressed pixel data is cut short"
                                    : "it ends inside a sequence");
        return true;
    }

    const std::string& problem() const { return m_problem; }

private:
    bool read(uint64_t at, unsigned char* bytes, uint64_t count)
    {
        m_file.clear();
        m_file.seekg(std::streamoff(at));
        return bool(m_file.read(reinterpret_cast<char*>(bytes), std::streamsize(count)));
    }

    static uint32_t number(const unsigned char* bytes, int count, bool bigEndian)
    {
        uint32_t value = 0;
        for (int i = 0; i < count; ++i)
            value |= uint32_t(bytes[bigEndian ? count - 1 - i : i]) << (8 * i);
        return value;
    }

    static std::string tag(uint16_t group, uint16_t element)
    {
        char text[16];
        std::snprintf(text, sizeof text, "(%04x,%04x)", group, element);
        return text;
    }

    bool fail(const std::string& problem)
    {
        m_problem = problem;
        return false;
    }

    std::ifstream& m_file;
    uint64_t m_size;
    std::string m_problem;
};

} // namespace

std::string dicomLengthProblem(const std::string& path)
{
    std::ifstream file(path, std::ios::binary | std::ios::ate);
    if (!file)
        return {};
    const uint64_t size = uint64_t(file.tellg());
    Walker walker(file, size);
    char magic[4] = {};
    file.seekg(128);
    const bool preamble = bool(file.read(magic, 4)) && std::string(magic, 4) == "DICM";
    uint64_t at = preamble ? 132 : 0;

    // The meta information is explicit little endian and names the data
    // set's encoding. Without it, the first element shows whether a VR is
    // written (two capital letters after the tag).
    Encoding encoding;
    std::string syntax;
    if (preamble && !walker.walk(at, encoding, true, &syntax))
        return walker.problem();
    // Without the meta information's transfer syntax, GDCM guesses the
    // encoding, and reads on in one it finds no fault with.
    if (preamble && syntax.empty())
        return "its file meta information names no transfer syntax";
    while (!syntax.empty() && (syntax.back() == '\0' || syntax.back() == ' '))
        syntax.pop_back();
    if (preamble) {
        encoding.explicitVr = syntax != "1.2.840.10008.1.2";
        encoding.bigEndian = syntax == "1.2.840.10008.1.2.2";
        encoding.deflated = syntax == "1.2.840.10008.1.2.1.99";
    } else {
        char vr[2] = {};
        file.clear();
        file.seekg(4);
        file.read(vr, 2);
        encoding.explicitVr = vr[0] >= 'A' && vr[0] <= 'Z' && vr[1] >= 'A' && vr[1] <= 'Z';
    }
    if (encoding.deflated)
        return {};
    return walker.walk(at, encoding, false, nullptr) ? std::string() : walker.problem();
}
