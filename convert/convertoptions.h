#pragma once

#include <string>
#include <vector>

// The command line of kastra-convert.
struct ConvertOptions
{
    std::string input;
    std::string output;
    std::string series;      // --series UID: the DICOM series, when a folder holds several
    int volume = 0;          // --volume N: the volume of a 4-D series or file
    bool allVolumes = false; // --all-volumes: every volume, into a folder
    bool ct = false;         // --ct: the samples are Hounsfield units
    bool noCt = false;       // --no-ct: they are not, whatever the input says
    bool window = false;
    double windowLow = 0, windowHigh = 0; // --window LO HI
    bool keepGrid = false;                // --keep-grid: no resampling to cubes
    int shrink = 1;                       // --shrink N: average N x N x N blocks
    bool verbose = false;                 // --verbose: the libraries' own messages too
    bool list = false;                    // --list: the series and volumes, as JSON
    bool progress = false;                // --progress: "progress STAGE PERCENT" lines
    bool codes = false;                   // --codes: refusals and the values' reason as codes too
    bool help = false;
    bool version = false;   // --version: the program's version
    bool libraries = false; // --libraries: the scan libraries' versions and licences
};

// Parses the arguments that follow the program's name. Returns "" or what is
// wrong with them.
std::string parseConvertOptions(const std::vector<std::string>& arguments, ConvertOptions& options);
