#pragma once

#include "convert/dicom/dicomslice.h"

#include <cstddef>
#include <string>
#include <vector>

// The volumes a series' slices make: slices that share a position belong to
// different volumes (a 4-D series: fMRI, diffusion, echoes, cardiac phases,
// the kinds of frame of a multi-frame file).
struct SeriesVolumes
{
    std::vector<std::vector<DicomSlice>> volumes; // in the order of their keys
    std::vector<SliceKey> distinguishing;         // keys whose values tell them apart
    size_t positions = 0;
};

// Sorts `slices` (of one orientation and size) into volumes. Throws
// ConvertError, naming `input`, when they do not make whole volumes that
// their keys tell apart.
SeriesVolumes splitIntoVolumes(std::vector<DicomSlice> slices, const std::string& input);

// "echo 2, temporal position 3": what `volume` is, by the keys that tell the
// series' volumes apart.
std::string volumeDescription(const std::vector<DicomSlice>& volume,
                              const std::vector<SliceKey>& keys);
