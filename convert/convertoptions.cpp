// The command line of kastra-convert, parsed into its options.

#include "convert/convertoptions.h"

#include <cmath>
#include <cstdlib>

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
        } else if (argument == "--version") {
            options.version = true;
        } else if (argument == "--libraries") {
            options.libraries = true;
        } else if (argument == "--ct") {
            options.ct = true;
        } else if (argument == "--no-ct") {
            options.noCt = true;
        } else if (argument == "--verbose") {
            options.verbose = true;
        } else if (argument == "--keep-grid") {
            options.keepGrid = true;
        } else if (argument == "--all-volumes") {
            options.allVolumes = true;
        } else if (argument == "--list") {
            options.list = true;
        } else if (argument == "--progress") {
            options.progress = true;
        } else if (argument == "--codes") {
            options.codes = true;
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
    if (options.help || options.version || options.libraries)
        return {};
    if (options.ct && options.noCt)
        return "--ct and --no-ct exclude each other";
    if (options.list && paths.size() != 1)
        return "expected INPUT alone with --list, got " + std::to_string(paths.size()) + " paths";
    if (options.list &&
        (options.volume != 0 || options.allVolumes || options.ct || options.noCt ||
         options.window || options.keepGrid || options.shrink != 1 || options.progress))
        return "--list takes no options but --series, --verbose and --codes";
    if (options.list) {
        options.input = paths[0];
        return {};
    }
    if (paths.size() != 2)
        return "expected INPUT and OUTPUT, got " + std::to_string(paths.size()) + " paths";
    if (options.ct && options.window)
        return "--ct and --window exclude each other";
    if (options.allVolumes && options.volume != 0)
        return "--volume and --all-volumes exclude each other";
    options.input = paths[0];
    options.output = paths[1];
    return {};
}
