#pragma once

#include "convert/dicom/dicomslice.h"

#include <string>
#include <vector>

// How a series stores its pixel values.
struct DicomPixelFormat
{
    unsigned samplesPerPixel = 1;
    unsigned bitsAllocated = 16;
    unsigned bitsStored = 16;
    unsigned highBit = 15;
    bool isSigned = false;
    std::string photometric; // MONOCHROME2, RGB, PALETTE COLOR, ...; "" when not stated

    bool operator==(const DicomPixelFormat& other) const;
};

// One series of a folder, its files' headers read: the 2-D slices its files
// hold (a file each, the frames of multi-frame files, the tiles of mosaics).
struct DicomSeries
{
    std::string uid, description, modality;
    std::vector<std::string> files;
    std::vector<DicomSlice> slices;
    DicomPixelFormat pixelFormat;
    bool mosaic = false;     // its files are mosaics of tiles
    bool multiFrame = false; // its files are enhanced multi-frame files
    // Why a file's slices cannot be made, for the one line that refuses the
    // series if it is chosen: "'IM7' states no image position".
    ConvertMessage problem;
};

// The DICOM files of a folder (not its subfolders), or a single DICOM file,
// their headers read with GDCM, sorted into series. A file that starts like
// DICOM but cannot be read is refused, naming it; files that are not DICOM or
// hold no image are left out and counted.
class DicomFolder
{
public:
    explicit DicomFolder(const std::string& input);

    // By UID.
    const std::vector<DicomSeries>& series() const { return m_series; }
    // "left out 2 files that are not a DICOM image: 'README', ...", or "".
    const ConvertMessage& leftOut() const { return m_leftOut; }
    // The series `uid` names, or the only one when `uid` is "". Throws
    // ConvertError when there is none; where several are left to choose
    // from, they are listed on the console first.
    const DicomSeries& chosen(const std::string& uid) const;

private:
    std::string m_input;
    std::vector<DicomSeries> m_series;
    ConvertMessage m_leftOut;
};

// Whether the file starts as DICOM files do: "DICM" after 128 bytes.
bool startsLikeDicom(const std::string& path);

// How many other files of the folder that holds `file` belong to the series
// `uid`; none where that folder cannot be read.
size_t filesBeside(const std::string& file, const std::string& uid);
