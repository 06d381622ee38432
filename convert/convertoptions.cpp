#include "convert/convertoptions.h"

#include <cmath>
#include <cstdlib>

const char* const kConvertUsage =
    "Usage: kastra-convert INPUT OUTPUT [options]\n"
    "\n"
    "Converts a scan into a volume file (.dat) for Kastra, or exports a volume file.\n"
    "\n"
    "INPUT   a folder holding a DICOM series; a .nii or .nii.gz (NIfTI-1 or NIfTI-2),\n"
    "        .nrrd, .nhdr, .mha, .mhd or .dat file\n"
    "OUTPUT  a .dat file; or, when INPUT is a .dat, a .nii.gz, .nii, .nrrd or .mha file\n"
    "\n"
    "Options:\n"
    "  --series UID    the DICOM series to convert when the folder holds several\n"
    "  --volume N      the volume of a 4-D NIfTI file, counted from 0 (default 0)\n"
    "  --ct            the samples are Hounsfield units: write HU + 1024\n"
    "  --window LO HI  map the values LO..HI onto 0..4095, clamping outside\n"
    "  --keep-grid     keep the voxel grid: no resampling of anisotropic voxels to cubes\n"
    "  --shrink N      average N x N x N blocks (N from 2 to 16), for volumes too large\n"
    "  --help          print this text\n";

namespace {

bool parseNumber(const std::string& text, double& value)
{
    char* end = nullptr;
    value = std::strtod(text.c_str(), &end);
    return !text.empty() && end && *end == '\0' && std::isfinite(value);
}

bool parseCount(const std::string& text, int low, int high, int& value)
{
    double number = 0;
    if (!parseNumber(text, number) || number != std::floor(number) || number < low || number > high)
        return false;
    value = int(number);
    return true;
}

} // namespace

std::string parseConvertOptions(const std::vector<std::string>& arguments, ConvertOptions& options)
{
    std::vector<std::string> paths;
    for (size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        const size_t left = arguments.size() - i - 1;
        if (argument == "--help") {
            options.help = true;
        } else if (argument == "--ct") {
            options.ct = true;
        } else if (argument == "--keep-grid") {
            options.keepGrid = true;
        } else if (argument == "--series") {
            if (left < 1 || arguments[i + 1].empty())
                return "--series needs a series UID";
            options.series = arguments[++i];
        } else if (argument == "--volume") {
            if (left < 1 || !parseCount(arguments[i + 1], 0, 1 << 30, options.volume))
                return "--volume needs a volume number from 0";
            ++i;
        } else if (argument == "--shrink") {
            if (left < 1 || !parseCount(arguments[i + 1], 1, 16, options.shrink))
                return "--shrink needs a block size from 1 to 16";
            ++i;
        } else if (argument == "--window") {
            if (left < 2 || !parseNumber(arguments[i + 1], options.windowLow) ||
                !parseNumber(arguments[i + 2], options.windowHigh))
                return "--window needs two numbers, LO and HI";
            if (options.windowLow >= options.windowHigh)
                return "--window needs LO below HI";
            options.window = true;
            i += 2;
        } else if (argument.size() > 1 && argument[0] == '-') {
            return "unknown option " + argument;
        } else {
            paths.push_back(argument);
        }
    }
    if (options.help)
        return {};
    if (paths.size() != 2)
        return "expected INPUT and OUTPUT, got " + std::to_string(paths.size()) + " paths";
    if (options.ct && options.window)
        return "--ct and --window exclude each other";
    options.input = paths[0];
    options.output = paths[1];
    return {};
}
