// The walk through a DICOM data set's element headers (elementwalker.h).

#include "convert/dicom/elementwalker.h"

#include <cstdio>

namespace {

// Inside a sequence of VR UN, whatever the file's encoding.
constexpr DicomEncoding kImplicitLittleEndian{false, false, false};

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

} // namespace

bool ElementWalker::walk(uint64_t& at, const DicomEncoding& encoding, bool metaOnly,
                         std::string* syntax)
{
    m_open.clear();
    m_inPixelData = false;
    while (at < m_size) {
        if (!m_open.empty() && at >= m_open.back().end) {
            if (at > m_open.back().end)
                return fail(
                    {m_open.back().kind == Item ? "element-past-item" : "element-past-sequence"});
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
        // Only a value of a stated length that the file holds: an unknown VR
        // reads a four-byte length, which may be undefined.
        if (syntax && element.is(0x0002, 0x0010) && step == SteppedOver) {
            syntax->resize(element.length);
            readBytes(at, reinterpret_cast<unsigned char*>(syntax->data()), element.length);
        }
        if (step == SteppedOver)
            at += element.length;
    }
    while (!m_open.empty() && m_open.back().end == at)
        m_open.pop_back();
    if (!m_open.empty() && !metaOnly)
        return fail({m_inPixelData ? "compressed-pixel-data-short" : "ends-inside-sequence"});
    return true;
}

const DicomEncoding& ElementWalker::encodingHere(const DicomEncoding& file) const
{
    return !m_open.empty() && m_open.back().implicitInside ? kImplicitLittleEndian : file;
}

bool ElementWalker::readElement(uint64_t at, const unsigned char head[8],
                                const DicomEncoding& encoding, Element& element)
{
    element.group = uint16_t(number(head, 2, encoding.bigEndian));
    element.element = uint16_t(number(head + 2, 2, encoding.bigEndian));
    element.vr[0] = char(head[4]);
    element.vr[1] = char(head[5]);
    element.hasVr = head[4] >= 'A' && head[4] <= 'Z' && head[5] >= 'A' && head[5] <= 'Z';
    // An explicit data set names every element's VR; GDCM reads one that
    // does not in other encodings, where any length may turn up.
    if (encoding.explicitVr && element.group != 0xfffe && !element.hasVr)
        return fail({"element-without-vr", {tag(element.group, element.element)}});
    if (element.group == 0xfffe || !encoding.explicitVr) {
        element.hasVr = false; // the bytes are the length's
        element.length = number(head + 4, 4, encoding.bigEndian);
    } else if (longLength(element.vr)) {
        unsigned char extra[4];
        if (!readBytes(at + 8, extra, 4))
            return fail({"ends-inside-element-header", {tag(element.group, element.element)}});
        element.length = number(extra, 4, encoding.bigEndian);
        element.headerBytes = 12;
    } else {
        element.length = number(head + 6, 2, encoding.bigEndian);
    }
    return true;
}

bool ElementWalker::checkPlacement(const Element& element)
{
    const bool inFragments = !m_open.empty() && m_open.back().kind == Fragments;
    const bool inSequence = inFragments || (!m_open.empty() && m_open.back().kind == Sequence);
    const bool undefinedEnd = !m_open.empty() && m_open.back().end == UINT64_MAX;
    if (inSequence != (element.item() || element.sequenceEnd()) ||
        (element.itemEnd() && (m_open.empty() || inSequence)) ||
        (element.delimiter() && !undefinedEnd) ||
        (element.group == 0xfffe && !element.item() && !element.delimiter()))
        return fail({inSequence ? "element-where-item-belongs" : "element-where-element-belongs",
                     {tag(element.group, element.element)}});
    if (element.delimiter() && element.length != 0) // GDCM allocates it all the same
        return fail(
            {"delimiter-with-length", {tag(element.group, element.element), element.length}});
    return true;
}

ElementWalker::Step ElementWalker::enterOrStep(uint64_t at, const Element& element,
                                               const DicomEncoding& encoding)
{
    const bool inFragments = !m_open.empty() && m_open.back().kind == Fragments;
    const bool implicitInside = !m_open.empty() && m_open.back().implicitInside;
    const bool pixelData = element.is(0x7fe0, 0x0010);
    const bool encapsulated = pixelData || element.vrIs("OB") || element.vrIs("OW");
    if (element.undefinedLength() && inFragments)
        return refuse(m_inPixelData ? ConvertMessage("pixel-data-item-undefined-length")
                                    : ConvertMessage("item-undefined-length",
                                                     {tag(element.group, element.element)}));
    if (element.undefinedLength()) { // its items and delimiters follow as elements
        const Kind kind = element.item() ? Item : encapsulated ? Fragments : Sequence;
        m_open.push_back({kind, UINT64_MAX, implicitInside || element.vrIs("UN")});
        m_inPixelData = m_inPixelData || pixelData;
        return Entered;
    }
    if (element.length > m_size - at && pixelData)
        return refuse({"pixel-data-short", {m_size - at, element.length}});
    if (element.length > m_size - at)
        return refuse(m_inPixelData
                          ? ConvertMessage("compressed-pixel-data-short")
                          : ConvertMessage("element-past-end", {tag(element.group, element.element),
                                                                element.length, m_size - at}));
    // Items, and sequences an explicit VR marks, are walked into as GDCM
    // reads them; implicit sequences of a stated length are stepped over,
    // as nothing marks them.
    const bool sequence = encoding.explicitVr && element.vrIs("SQ");
    if ((element.item() && !inFragments) || sequence) {
        m_open.push_back({element.item() ? Item : Sequence, at + element.length, implicitInside});
        return Entered;
    }
    return SteppedOver;
}

bool ElementWalker::readBytes(uint64_t at, unsigned char* bytes, uint64_t count)
{
    m_file.clear();
    m_file.seekg(std::streamoff(at));
    return bool(m_file.read(reinterpret_cast<char*>(bytes), std::streamsize(count)));
}

uint32_t ElementWalker::number(const unsigned char* bytes, int count, bool bigEndian)
{
    uint32_t value = 0;
    for (int i = 0; i < count; ++i)
        value |= uint32_t(bytes[bigEndian ? count - 1 - i : i]) << (8 * i);
    return value;
}

bool ElementWalker::fail(ConvertMessage problem)
{
    m_problem = std::move(problem);
    return false;
}

ElementWalker::Step ElementWalker::refuse(ConvertMessage problem)
{
    m_problem = std::move(problem);
    return Refused;
}
