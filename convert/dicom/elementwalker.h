#pragma once

#include "convert/messages/convertmessage.h"

#include <cstdint>
#include <istream>
#include <string>
#include <vector>

// How a DICOM data set is encoded.
struct DicomEncoding
{
    bool explicitVr = true;
    bool bigEndian = false;
    bool deflated = false;
};

// Walks a DICOM data set's element headers without reading their values,
// into items and explicit sequences, and says what is wrong when a length
// runs past the end of the data or of its item, something stands out of its
// place in the nesting, or an explicit data set lacks a VR (dicomlengths.h).
class ElementWalker
{
public:
    ElementWalker(std::istream& file, uint64_t size) : m_file(file), m_size(size) {}

    // Walks the elements from `at` up to the end; false with the problem set
    // where a length or the nesting does not hold. Stops early, true, where
    // the meta information ends (group 0002 done) when `metaOnly`.
    bool walk(uint64_t& at, const DicomEncoding& encoding, bool metaOnly, std::string* syntax);

    const ConvertMessage& problem() const { return m_problem; }

private:
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

    const DicomEncoding& encodingHere(const DicomEncoding& file) const;

    // The header of the element at `at`, whose first eight bytes are `head`:
    // its tag, VR and length.
    bool readElement(uint64_t at, const unsigned char head[8], const DicomEncoding& encoding,
                     Element& element);

    // Items only in sequences, elements only in items and the data set, a
    // delimiter only where what it closes is open and of undefined length,
    // and stating no length. GDCM reads what stands out of place in some
    // other encoding, where any length may turn up.
    bool checkPlacement(const Element& element);

    // Opens what the element holds (a sequence, an item, encapsulated
    // fragments), or checks that its stated length stays within the file.
    Step enterOrStep(uint64_t at, const Element& element, const DicomEncoding& encoding);

    bool readBytes(uint64_t at, unsigned char* bytes, uint64_t count);

    static uint32_t number(const unsigned char* bytes, int count, bool bigEndian);

    bool fail(ConvertMessage problem);

    Step refuse(ConvertMessage problem);

    std::istream& m_file;
    uint64_t m_size;
    std::vector<Open> m_open;
    bool m_inPixelData = false;
    ConvertMessage m_problem;
};
