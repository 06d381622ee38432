// The walk through a DICOM file's element headers before GDCM reads it
// (dicomlengths.h): lengths, nesting and encodings checked without reading
// a value.

#include "convert/dicom/dicomlengths.h"

#include <zlib.h>

#include <cstdint>
#include <cstdio>
#include <fstream>
#include <memory>
#include <sstream>
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

// Inside a sequence of VR UN, whatever the file's encoding.
constexpr Encoding kImplicitLittleEndian{false, false, false};

// A deflated data set inflates to at most this much: a file that claims
// more is refused rather than held in memory for the walk.
constexpr uint64_t kMostInflated = uint64_t(1) << 31;

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

std::string tag(uint16_t group, uint16_t element)
{
    char text[16];
    std::snprintf(text, sizeof text, "(%04x,%04x)", group, element);
    return text;
}

// One element's header, as the walk reads it.
struct Element
{
    uint16_t group = 0, element = 0;
    char vr[2] = {};
    bool hasVr = false; // two capital letters after the tag
    uint64_t length = 0;
    uint64_t headerBytes = 8;

    bool is(uint16_t g, uint16_t e) const { return group == g && element == e; }
    bool item() const { return is(0xfffe, 0xe000); }
    bool itemEnd() const { return is(0xfffe, 0xe00d); }
    bool sequenceEnd() const { return is(0xfffe, 0xe0dd); }
    bool delimiter() const { return itemEnd() || sequenceEnd(); }
    bool vrIs(const char* name) const { return hasVr && vr[0] == name[0] && vr[1] == name[1]; }
    bool undefinedLength() const { return length == 0xffffffff; }
};

class Walker
{
public:
    Walker(std::istream& file, uint64_t size) : m_file(file), m_size(size) {}

    // Walks the elements from `at` up to the end; false with the problem set
    // where a length or the nesting does not hold. Stops early, true, where
    // the meta information ends (group 0002 done) when `metaOnly`.
    bool walk(uint64_t& at, const Encoding& encoding, bool metaOnly, std::string* syntax)
    {
        m_open.clear();
        m_inPixelData = false;
        while (at < m_size) {
            if (!m_open.empty() && at >= m_open.back().end) {
                if (at > m_open.back().end)
                    return fail(std::string("an element runs past the end of its ") +
                                (m_open.back().kind == Item ? "item" : "sequence"));
                m_open.pop_back();
                continue;
            }
            Element element;
            unsigned char head[8];
            if (!readBytes(at, head, 8))
                break; // a few stray bytes at the end: GDCM stops there
            element.group = uint16_t(number(head, 2, encodingHere(encoding).bigEndian));
            if (metaOnly && element.group != 0x0002)
                return true;
            if (!readElement(at, head, encodingHere(encoding), element))
                return false;
            at += element.headerBytes;
            if (!checkPlacement(element))
                return false;
            if (element.delimiter()) {
                m_open.pop_back();
                m_inPixelData = m_inPixelData && !m_open.empty();
                continue;
            }
            const Step step = enterOrStep(at, element, encodingHere(encoding));
            if (step == Refused)
                return false;
            if (syntax && element.is(0x0002, 0x0010)) {
                syntax->resize(element.length);
                readBytes(at, reinterpret_cast<unsigned char*>(syntax->data()), element.length);
            }
            if (step == SteppedOver)
                at += element.length;
        }
        while (!m_open.empty() && m_open.back().end == at)
            m_open.pop_back();
        if (!m_open.empty() && !metaOnly)
            return fail(m_inPixelData ? "its compressed pixel data is cut short"
                                      : "it ends inside a sequence");
        return true;
    }

    const std::string& problem() const { return m_problem; }

private:
    // What is open, innermost last: sequences (elements of undefined length
    // or explicitly SQ, encapsulated pixel data among them) hold only items
    // and, when of undefined length, their own delimiter; items hold
    // elements. Those of a stated length end where it says. Fragments are a
    // sequence of encapsulated data (pixel data, or OB or OW of undefined
    // length, as GDCM reads them): items of a stated length, their bytes not
    // elements. A sequence of VR UN and undefined length is encoded implicit
    // little endian, whatever the file's encoding, and so is all it holds.
    enum Kind : char { Sequence, Item, Fragments };
    struct Open
    {
        Kind kind;
        uint64_t end; // UINT64_MAX: at its delimiter
        bool implicitInside;
    };
    enum Step { Entered, SteppedOver, Refused };

    const Encoding& encodingHere(const Encoding& file) const
    {
        return !m_open.empty() && m_open.back().implicitInside ? kImplicitLittleEndian : file;
    }

    // The header of the element at `at`, whose first eight bytes are `head`:
    // its tag, VR and length.
    bool readElement(uint64_t at, const unsigned char head[8], const Encoding& encoding,
                     Element& element)
    {
        element.group = uint16_t(number(head, 2, encoding.bigEndian));
        element.element = uint16_t(number(head + 2, 2, encoding.bigEndian));
        element.vr[0] = char(head[4]);
        element.vr[1] = char(head[5]);
        element.hasVr = head[4] >= 'A' && head[4] <= 'Z' && head[5] >= 'A' && head[5] <= 'Z';
        // An explicit data set names every element's VR; GDCM reads one that
        // does not in other encodings, where any length may turn up.
        if (encoding.explicitVr && element.group != 0xfffe && !element.hasVr)
            return fail("its element " + tag(element.group, element.element) +
                        " has no value representation, which its encoding requires");
        if (element.group == 0xfffe || !encoding.explicitVr) {
            element.hasVr = false; // the bytes are the length's
            element.length = number(head + 4, 4, encoding.bigEndian);
        } else if (longLength(element.vr)) {
            unsigned char extra[4];
            if (!readBytes(at + 8, extra, 4))
                return fail("it ends inside the header of its element " +
                            tag(element.group, element.element));
            element.length = number(extra, 4, encoding.bigEndian);
            element.headerBytes = 12;
        } else {
            element.length = number(head + 6, 2, encoding.bigEndian);
        }
        return true;
    }

    // Items only in sequences, elements only in items and the data set, a
    // delimiter only where what it closes is open and of undefined length,
    // and stating no length. GDCM reads what stands out of place in some
    // other encoding, where any length may turn up.
    bool checkPlacement(const Element& element)
    {
        const bool inFragments = !m_open.empty() && m_open.back().kind == Fragments;
        const bool inSequence = inFragments || (!m_open.empty() && m_open.back().kind == Sequence);
        const bool undefinedEnd = !m_open.empty() && m_open.back().end == UINT64_MAX;
        if (inSequence != (element.item() || element.sequenceEnd()) ||
            (element.itemEnd() && (m_open.empty() || inSequence)) ||
            (element.delimiter() && !undefinedEnd) ||
            (element.group == 0xfffe && !element.item() && !element.delimiter()))
            return fail("its element " + tag(element.group, element.element) + " stands where " +
                        (inSequence ? "an item" : "an element") + " belongs");
        if (element.delimiter() && element.length != 0) // GDCM allocates it all the same
            return fail("its delimiter " + tag(element.group, element.element) + " states " +
                        std::to_string(element.length) + " bytes, not 0");
        return true;
    }

    // Opens what the element holds (a sequence, an item, encapsulated
    // fragments), or checks that its stated length stays within the file.
    Step enterOrStep(uint64_t at, const Element& element, const Encoding& encoding)
    {
        const bool inFragments = !m_open.empty() && m_open.back().kind == Fragments;
        const bool implicitInside = !m_open.empty() && m_open.back().implicitInside;
        const bool pixelData = element.is(0x7fe0, 0x0010);
        const bool encapsulated = pixelData || element.vrIs("OB") || element.vrIs("OW");
        if (element.undefinedLength() && inFragments)
            return refuse(m_inPixelData
                              ? "its compressed pixel data holds an item of undefined length"
                              : "its element " + tag(element.group, element.element) +
                                    " holds an item of undefined length");
        if (element.undefinedLength()) { // its items and delimiters follow as elements
            const Kind kind = element.item() ? Item : encapsulated ? Fragments : Sequence;
            m_open.push_back({kind, UINT64_MAX, implicitInside || element.vrIs("UN")});
            m_inPixelData = m_inPixelData || pixelData;
            return Entered;
        }
        if (element.length > m_size - at && pixelData)
            return refuse("it holds " + std::to_string(m_size - at) + " bytes of pixel data, " +
                          std::to_string(element.length) + " are announced");
        if (element.length > m_size - at)
            return refuse(m_inPixelData
                              ? "its compressed pixel data is cut short"
                              : "its element " + tag(element.group, element.element) + " states " +
                                    std::to_string(element.length) + " bytes, " +
                                    std::to_string(m_size - at) + " follow it");
        // Items, and sequences an explicit VR marks, are walked into as GDCM
        // reads them; implicit sequences of a stated length are stepped over,
        // as nothing marks them.
        const bool sequence = encoding.explicitVr && element.vrIs("SQ");
        if ((element.item() && !inFragments) || sequence) {
            m_open.push_back(
                {element.item() ? Item : Sequence, at + element.length, implicitInside});
            return Entered;
        }
        return SteppedOver;
    }

    bool readBytes(uint64_t at, unsigned char* bytes, uint64_t count)
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

    bool fail(const std::string& problem)
    {
        m_problem = problem;
        return false;
    }

    Step refuse(const std::string& problem)
    {
        m_problem = problem;
        return Refused;
    }

    std::istream& m_file;
    uint64_t m_size;
    std::vector<Open> m_open;
    bool m_inPixelData = false;
    std::string m_problem;
};

// The data set after the meta information, inflated (raw deflate, as DICOM
// writes it); false with `problem` set when the stream is damaged or
// inflates to more than kMostInflated.
bool inflateDataSet(std::istream& file, uint64_t from, std::string& inflated, std::string& problem)
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
            problem = "its deflated data set is damaged";
            return false;
        }
        inflated.append(out.data(), out.size() - stream.avail_out);
        if (inflated.size() > kMostInflated) {
            problem = "its deflated data set inflates to more than " +
                      std::to_string(kMostInflated >> 20) + " MB";
            return false;
        }
    }
    return true;
}

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
    // written (two capital letters after the tag) and the byte order.
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
        return walker.walk(at, encoding, false, nullptr) ? std::string() : walker.problem();

    // A deflated data set is walked as GDCM reads it: inflated.
    std::string inflated, problem;
    if (!inflateDataSet(file, at, inflated, problem))
        return problem;
    std::istringstream dataSet(std::move(inflated));
    Walker inflatedWalker(dataSet, dataSet.str().size());
    uint64_t start = 0;
    return inflatedWalker.walk(start, encoding, false, nullptr) ? std::string()
                                                                : inflatedWalker.problem();
}
