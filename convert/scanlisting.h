#pragma once

#include "convert/convertoptions.h"

#include <string>

// kastra-convert INPUT --list [--series UID]: what the input holds, read from
// its headers, as one line of JSON for a program that runs the converter:
//   {"format": "DICOM series", "series": [{"uid": "1.2.3", "description":
//   "T1 axial", "modality": "MR", "files": 120}], "volumes": [{"description":
//   "echo 1"}, {"description": "echo 2"}], "toldApartBy": "echo", "ct": false,
//   "ctReason": "its modality is MR"}
// "series" only for DICOM, in the order the converter lists them; "volumes",
// "toldApartBy" and whether the conversion takes the values for CT ("ct", and
// why) of the chosen (or only) series or of the file, left out while a series
// is still to be chosen. Where the header does not tell CT, the samples of
// the first volume are read. Throws as the input's reader does.
std::string scanListing(const ConvertOptions& options);
