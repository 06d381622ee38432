// The kastra-convert command: its usage, the conversion from reading to
// writing with its console lines, and the refusals in one line each.

#include "convert/converter.h"

#include "convert/axismapping.h"
#include "convert/formats/converterror.h"
#include "convert/formats/progressbar.h"
#include "convert/formats/scaninput.h"
#include "convert/guard/librarycall.h"
#include "convert/guard/watchdog.h"
#include "convert/libraryversions.h"
#include "convert/resampling.h"
#include "convert/scanformat.h"
#include "convert/scanlisting.h"
#include "convert/sizecheck.h"
#include "convert/valuemapping.h"
#include "convert/volumeexport.h"
#include "convert/volumesequence.h"
#include "convert/voxelgrid.h"
#include "platform/console.h"
#include "platform/systemmemory.h"
#include "volume/volumeloader.h"
#include "volume/volumewriter.h"

#include <itkMacro.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cmath>
#include <csignal>
#include <cstring>
#include <filesystem>
#include <iomanip>
#include <limits>
#include <new>
#include <optional>
#include <ostream>
#include <sstream>

namespace {

using Clock = std::chrono::steady_clock;

std::string spacingText(const std::array<double, 3>& spacing)
{
    std::ostringstream text;
    text << std::setprecision(4) << spacing[0] << " x " << spacing[1] << " x " << spacing[2]
         << " mm";
    return text.str();
}

// `text` broken into lines of at most 88 characters, all but the first
// indented by 8 spaces.
std::string wrapped(const std::string& text)
{
    std::string result, line;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find(' ', start);
        end = end == std::string::npos ? text.size() : end;
        const std::string word = text.substr(start, end - start);
        if (!line.empty() && line.size() + 1 + word.size() > 80) {
            result += line + "\n        ";
            line.clear();
        }
        line += (line.empty() ? "" : " ") + word;
        start = end + 1;
    }
    return result + line + "\n";
}

// ITK's descriptions can span lines and start with the class and
// address of the object that threw; the report is one line about the file.
std::string oneLine(std::string text)
{
    const size_t address = text.find("): ");
    if (text.rfind("ITK ERROR: ", 0) == 0 && address != std::string::npos)
        text.erase(0, address + 3);
    for (char& c : text)
        if (c == '\n' || c == '\r')
            c = ' ';
    while (!text.empty() && text.back() == ' ')
        text.pop_back();
    return text;
}

// A reader that went away (`kastra-convert ... | head`) is told as any other
// failure is, not by a signal: SIGPIPE is ignored.
void checkStandardOutput()
{
    if (!(console::out() << std::flush))
        throw ConvertError({"cannot-write-standard-output", {std::strerror(errno)}});
}

void exportDat(const ConvertOptions& options, Clock::time_point started)
{
    if (!isVolumeFile(options.input))
        throw ConvertError::writing(options.output, {"export-needs-dat", {exportFormatsText()}});
    if (options.ct || options.noCt || options.window || options.keepGrid || options.shrink != 1 ||
        !options.series.empty() || options.volume != 0 || options.allVolumes)
        throw ConvertError::writing(options.output, {"export-takes-no-options"});
    SampleVolume volume;
    const std::string error = readVolumeSamples(options.input, volume);
    if (!error.empty())
        throw ConvertError::reading(options.input, {"foreign-text", {error}});
    exportVolume(volume, options.output);
    const std::array<uint64_t, 3> extents{
        {uint64_t(volume.width), uint64_t(volume.height), uint64_t(volume.depth)}};
    console::out() << "- Exported " << named(options.input) << " (" << extentsText(extents)
                   << ") to " << named(options.output) << " in " << std::fixed
                   << std::setprecision(1)
                   << std::chrono::duration<double>(Clock::now() - started).count() << " s."
                   << std::defaultfloat << std::endl;
}

void printOrientation(const ScanHeader& header, const AxisMapping& axes)
{
    if (!header.statesPatientFrame) {
        console::out() << "- Orientation: kept as stored, its first row at the top ("
                       << header.format << " states no patient frame to go by)" << std::endl;
        return;
    }
    const Direction written = mappedDirection(header.direction, axes);
    console::out() << "- Orientation: stored axes run towards " << axisLetters(header.direction);
    if (determinant(header.direction) < 0)
        console::out() << " (a mirrored frame: one reversal more undoes the mirror)";
    console::out() << "; written towards " << axisLetters(written)
                   << ": x left to right, y posterior to anterior, z inferior to superior";
    const double oblique = obliqueDegrees(written);
    if (oblique > 0.5)
        console::out() << " (oblique: up to " << std::setprecision(2) << oblique
                       << " degrees off, taken as the nearest axes)";
    console::out() << std::endl;
}

// The header's notes, of which the one on volumes says all are written.
void printNotes(const ScanHeader& header, bool allVolumes)
{
    for (std::string note : header.notes) {
        const size_t writing = note.find("; writing volume ");
        if (allVolumes && note.rfind("- Volumes: ", 0) == 0 && writing != std::string::npos)
            note = note.substr(0, writing) + "; writing every one (--all-volumes)";
        console::out() << note << std::endl;
    }
}

// The range of every volume's values, where the mapping must be one for all
// of them: densities compare across time only under one mapping.
ValueRange rangeOfAll(VolumeSequence& volumes, ProgressBar& progress)
{
    ValueRange all{std::numeric_limits<double>::infinity(),
                   -std::numeric_limits<double>::infinity()};
    for (int v = 0; v < volumes.count(); ++v) {
        progress.share(v, volumes.count());
        progress.start("Measuring");
        const ValueRange range = valueRange(volumes.read(v, progress));
        all = {std::min(all.low, range.low), std::max(all.high, range.high)};
    }
    progress.finish();
    progress.share(0, 1);
    return all;
}

// The folder --all-volumes writes into, removed unless it was completed.
class PartFolder
{
public:
    explicit PartFolder(const std::string& path) : m_path(path + ".part")
    {
        std::filesystem::remove_all(m_path);
        std::filesystem::create_directories(m_path);
    }
    ~PartFolder()
    {
        std::error_code error;
        if (!m_path.empty())
            std::filesystem::remove_all(m_path, error);
    }
    // Volume v of `count`, by a name that sorts in their order.
    std::string volumePath(int v, int count) const
    {
        const int digits = std::max(3, int(std::to_string(count - 1).size()));
        std::string number = std::to_string(v);
        return m_path + "/" + std::string(size_t(digits) - number.size(), '0') + number + ".dat";
    }
    void complete(const std::string& path)
    {
        std::filesystem::rename(m_path, path);
        m_path.clear();
    }

private:
    std::string m_path;
};

void convertToDat(const ConvertOptions& options, bool progressBar, Clock::time_point started)
{
    std::error_code error;
    if (options.allVolumes ? std::filesystem::exists(options.output, error)
                           : !isVolumeFile(options.output))
        throw ConvertError::writing(options.output,
                                    options.allVolumes
                                        ? ConvertMessage("output-exists")
                                        : ConvertMessage("output-not-dat", {exportFormatsText()}));
    VolumeSequence volumes(options);
    const ScanHeader& header = volumes.header();
    console::out() << "- Input: " << header.format << " " << named(options.input) << ", "
                   << extentsText(header.extents) << " voxels of " << spacingText(header.spacing)
                   << std::endl;
    printNotes(header, options.allVolumes);

    const AxisMapping axes = writtenAxisMapping(header);
    const VoxelGrid grid =
        voxelGridFor(header.extents, header.spacing, options.shrink, options.keepGrid);
    checkProgramTakes(grid, axes, header, options);
    checkConversionMemory(header, grid, axes, options, physicalMemoryBytes());
    printOrientation(header, axes);

    ProgressBar progress(progressBar, options.progress);
    const int count = volumes.count();
    const bool several = options.allVolumes;
    ValueRange range;
    if (several)
        range = rangeOfAll(volumes, progress);
    std::optional<PartFolder> folder;
    if (several)
        folder.emplace(options.output);
    const std::array<uint64_t, 3> written = axes.permuted(grid.extents);
    const std::array<double, 3> writtenSpacing = axes.permuted(grid.spacing);
    ValueMapping mapping;
    uint64_t clamped = 0, padded = 0;
    for (int v = 0; v < count; ++v) {
        progress.share(v, count);
        progress.start("Reading");
        SourceImage image = volumes.read(v, progress);
        progress.finish();
        if (!several)
            range = valueRange(image);
        if (v == 0)
            mapping = chooseValueMapping(options, header, range, image);
        padded += replacePadding(image, mapping);
        if (options.shrink > 1) {
            progress.start("Shrinking");
            image = shrinkImage(image, options.shrink, progress);
            progress.finish();
        }
        if (grid.resampled) {
            progress.start("Resampling");
            image = resampleImage(image, grid, progress);
            progress.finish();
        }
        if (v == 0)
            console::out() << "- Output: "
                           << (several ? std::to_string(count) + " volumes of " : "")
                           << extentsText(written) << " voxels of " << spacingText(writtenSpacing)
                           << (grid.resampled     ? ", resampled to cubes (linear)"
                               : options.keepGrid ? ", the source's grid (--keep-grid)"
                                                  : "")
                           << std::endl;

        progress.start("Mapping");
        MappedSamples mapped = mapSamples(image, axes, mapping, progress);
        progress.finish();
        if (!mapped.storage.samples.empty())
            image = FloatImage::Pointer(); // the source's memory goes before the writing
        clamped += mapped.clamped;
        if (v + 1 == count && !mapping.reason.empty())
            printReasonCode(mapping.reason);
        if (v + 1 == count)
            console::out() << valuesLine(mapping, clamped, padded) << std::endl;
        checkStandardOutput(); // before the output exists, which a failure leaves alone
        const std::string path = several ? folder->volumePath(v, count) : options.output;
        if (!writeVolumeFile(path, mapped.extents[0], mapped.extents[1], mapped.extents[2],
                             mapped.samples))
            throw ConvertError({"cannot-write-file", {path}});
    }
    if (several)
        folder->complete(options.output);

    console::out() << "- Converted " << header.format << ", " << extentsText(header.extents)
                   << " voxels of " << spacingText(header.spacing) << ", values " << range.low
                   << ".." << range.high << ", into " << named(options.output) << ", "
                   << (several ? std::to_string(count) + " volumes of " : "")
                   << extentsText(written) << " voxels of " << spacingText(writtenSpacing) << ", "
                   << mapping.description << ", in " << std::fixed << std::setprecision(1)
                   << std::chrono::duration<double>(Clock::now() - started).count() << " s."
                   << std::defaultfloat << std::endl;
}

} // namespace

std::string convertUsage()
{
    return "Usage: kastra-convert INPUT OUTPUT [options]\n"
           "       kastra-convert INPUT --list [--series UID]\n"
           "\n"
           "Converts a scan into a volume file (.dat) for Kastra, or exports a volume file;\n"
           "or lists the series and volumes a scan holds, as JSON.\n"
           "\n"
           "INPUT   " +
           wrapped(readableFormatsText()) + "OUTPUT  " +
           wrapped("a .dat file; or, when INPUT is a .dat, a " + exportFormatsText() + " file") +
           "\n"
           "Options:\n"
           "  --series UID    the DICOM series to convert when the folder holds several\n"
           "  --volume N      the volume of a 4-D series or file, counted from 0 (default 0)\n"
           "  --all-volumes   every volume of a 4-D series or file, under one mapping of the\n"
           "                  values, into the folder OUTPUT (000.dat, 001.dat, ...)\n"
           "  --ct            the samples are Hounsfield units: write HU + 1024 (the rule\n"
           "                  for a DICOM series of modality CT, a NIfTI file whose BIDS\n"
           "                  sidecar gives the modality CT, or integer samples from -1024\n"
           "                  with a peak of air near -1000; a padding value, -2000, -2048,\n"
           "                  -3024 or -32768, is written as air, 0)\n"
           "  --no-ct         the samples are not Hounsfield units, whatever the input says\n"
           "  --window LO HI  map the values LO..HI onto 0..4095, clamping outside\n"
           "  --keep-grid     keep the voxel grid: no resampling to cubes, to an even slice\n"
           "                  spacing or across a gantry tilt (refused where it is uneven)\n"
           "  --shrink N      average N x N x N blocks (N from 2 to 16), for inputs too large\n"
           "                  to convert\n"
           "  --verbose       also show what the scan libraries say\n"
           "  --progress      also print \"progress STAGE PERCENT\" lines, for a program\n"
           "                  that runs the converter (no progress bar then)\n"
           "  --codes         also print each refusal and the reason for reading the values\n"
           "                  as CT or not as a line of JSON with a stable code and its\n"
           "                  arguments, for a program that says them in its own words\n"
           "  --list          print the series and volumes INPUT holds as one JSON object\n"
           "                  and convert nothing (no OUTPUT; --series lists its volumes)\n"
           "  --help          print this text\n"
           "  --version       print the version\n"
           "  --libraries     print the versions and licences of the scan libraries\n";
}

int convert(const ConvertOptions& options, bool progressBar)
{
    const Clock::time_point started = Clock::now();
    LibraryCall::setVerbose(options.verbose);
    try {
        if (options.list)
            console::out() << scanListing(options) << std::flush;
        else if (formatForWriting(options.output))
            exportDat(options, started);
        else
            convertToDat(options, progressBar, started);
        checkStandardOutput();
        return 0;
    } catch (const ConvertError& error) {
        printRefusal(error.message());
    } catch (const itk::ExceptionObject& error) {
        printRefusal({"cannot-convert", {options.input, oneLine(error.GetDescription())}});
    } catch (const std::bad_alloc&) {
        printRefusal({"cannot-convert", {options.input, ConvertMessage("out-of-memory")}});
    } catch (const std::exception& error) {
        printRefusal({"cannot-convert", {options.input, oneLine(error.what())}});
    }
    return 1;
}

int runConverter(int argc, char** argv)
{
    ConvertOptions options;
    const std::string error =
        parseConvertOptions(std::vector<std::string>(argv + 1, argv + argc), options);
    if (options.help || options.version || options.libraries) {
        console::out() << (options.help        ? convertUsage()
                           : options.libraries ? libraryVersions()
                                               : "kastra-convert " KASTRA_VERSION "\n");
        return 0;
    }
    if (!error.empty()) {
        console::err() << "kastra-convert: " << error << "\n\n" << convertUsage();
        return 2;
    }
    signal(SIGPIPE, SIG_IGN);
    setMessageCodesPrinted(options.codes);
    const bool progressBar = !options.progress && isatty(STDOUT_FILENO) != 0;
    return runWatched([&] { return convert(options, progressBar); }, options.input, options.output,
                      options.list ? std::vector<std::string>{}
                                   : std::vector<std::string>{options.output + ".part"});
}
