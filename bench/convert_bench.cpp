// kastra-bench-convert [--repeats N]: converts a generated 512 x 512 x 512
// int16 NRRD file and a 512 x 512 x 200 CT DICOM series (both written here
// with ITK, Hounsfield units of the head phantom) with and without the
// resampling to cubes, and reads each with ITK alone for comparison. Every
// run is a fresh process, from the page cache; the figures are the fastest
// of the repeats. Prints a table, then the same figures as one JSON line.
//
//   M voxels/s: source voxels per second of the whole conversion;
//   own work:   (conversion - ITK's read) / ITK's read, target at most 30 %;
//   peak:       growth of the peak resident size over the start, per source
//               voxel; target at most 8 bytes without resampling.

#include "bench/benchsupport.h"
#include "convert/converter.h"
#include "convert/convertoptions.h"
#include "tools/phantom/phantoms.h"
#include "volume/volumedata.h"

#include <itkGDCMImageIO.h>
#include <itkGDCMSeriesFileNames.h>
#include <itkImage.h>
#include <itkImageFileReader.h>
#include <itkImageFileWriter.h>
#include <itkImageSeriesReader.h>
#include <itkImageSeriesWriter.h>
#include <itkMetaDataDictionary.h>
#include <itkMetaDataObject.h>
#include <itkNrrdImageIO.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <iostream>
#include <optional>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

namespace {

namespace fs = std::filesystem;
using HounsfieldImage = itk::Image<int16_t, 3>;

constexpr double kOwnWorkTarget = 0.30;
constexpr double kPeakTarget = 8.0;
constexpr const char* kChildOption = "--child";

HounsfieldImage::Pointer phantomInHounsfieldUnits(int width, int height, int depth,
                                                  const std::array<double, 3>& spacing)
{
    const SampleVolume volume = makeHeadPhantom(width, height, depth);
    auto image = HounsfieldImage::New();
    image->SetRegions(
        HounsfieldImage::SizeType{{unsigned(width), unsigned(height), unsigned(depth)}});
    image->SetSpacing(spacing.data());
    image->Allocate();
    std::transform(volume.samples.begin(), volume.samples.end(), image->GetBufferPointer(),
                   [](uint16_t sample) { return int16_t(int(sample) - 1024); });
    return image;
}

void writeNrrd(const std::string& path)
{
    auto writer = itk::ImageFileWriter<HounsfieldImage>::New();
    writer->SetImageIO(itk::NrrdImageIO::New());
    writer->SetInput(phantomInHounsfieldUnits(512, 512, 512, {{0.5, 0.5, 0.8}}));
    writer->SetFileName(path);
    writer->Update();
}

// Axial slices, stored as Hounsfield units + 1024 with the intercept -1024,
// as scanners write them.
void writeDicomSeries(const std::string& folder)
{
    using Slice = itk::Image<int16_t, 2>;
    fs::create_directories(folder);
    const auto image = phantomInHounsfieldUnits(512, 512, 200, {{0.7, 0.7, 1.0}});
    std::vector<itk::MetaDataDictionary> dictionaries(200);
    itk::ImageSeriesWriter<HounsfieldImage, Slice>::DictionaryArrayType pointers;
    std::vector<std::string> names;
    for (unsigned z = 0; z < 200; ++z) {
        std::ostringstream position;
        position << "0\\0\\" << z * 1.0;
        const std::pair<const char*, std::string> tags[] = {{"0008|0060", "CT"},
                                                            {"0020|0032", position.str()},
                                                            {"0020|0037", "1\\0\\0\\0\\1\\0"},
                                                            {"0020|0013", std::to_string(z + 1)},
                                                            {"0028|0030", "0.7\\0.7"},
                                                            {"0028|0004", "MONOCHROME2"},
                                                            {"0028|1052", "-1024"},
                                                            {"0028|1053", "1"}};
        for (const auto& tag : tags)
            itk::EncapsulateMetaData<std::string>(dictionaries[z], tag.first, tag.second);
        pointers.push_back(&dictionaries[z]);
        names.push_back(folder + "/slice" + std::to_string(1000 + z) + ".dcm");
    }
    auto writer = itk::ImageSeriesWriter<HounsfieldImage, Slice>::New();
    writer->SetInput(image);
    writer->SetImageIO(itk::GDCMImageIO::New());
    writer->SetFileNames(names);
    writer->SetMetaDataDictionaryArray(&pointers);
    writer->Update();
}

// ITK's own read of the input, into the type it reports.
void readWithToolkit(const std::string& input)
{
    if (fs::is_directory(input)) {
        auto names = itk::GDCMSeriesFileNames::New();
        names->SetDirectory(input);
        auto reader = itk::ImageSeriesReader<itk::Image<int32_t, 3>>::New();
        reader->SetImageIO(itk::GDCMImageIO::New());
        reader->SetFileNames(names->GetInputFileNames());
        reader->Update();
    } else {
        auto reader = itk::ImageFileReader<HounsfieldImage>::New();
        reader->SetImageIO(itk::NrrdImageIO::New());
        reader->SetFileName(input);
        reader->Update();
    }
}

// In a fresh process: the read or the conversion.
int child(char** argv)
{
    const std::string what = argv[2];
    return reportFreshRun([&] {
        if (what == "read") {
            readWithToolkit(argv[3]);
            return 0;
        }
        const QuietConsole quiet(QuietConsole::KeepErrors);
        ConvertOptions options;
        options.input = argv[3];
        options.output = argv[4];
        options.ct = true;
        options.keepGrid = what == "keep-grid";
        return convert(options, false);
    });
}

struct Measure
{
    double seconds = 1e300;
    double peakBytes = 0;
};

Measure inFreshProcesses(std::vector<std::string> arguments, int repeats)
{
    arguments.insert(arguments.begin(), kChildOption);
    Measure best;
    for (int r = 0; r < repeats; ++r) {
        const std::optional<FreshRun> run = runFresh(arguments);
        if (!run)
            return Measure{};
        best.seconds = std::min(best.seconds, run->seconds);
        best.peakBytes = std::max(best.peakBytes, run->peakBytes);
    }
    return best;
}

struct Row
{
    std::string name;
    double voxels;
    Measure read, keepGrid, cubes;
};

} // namespace

int main(int argc, char** argv)
{
    if (argc >= 4 && std::strcmp(argv[1], kChildOption) == 0)
        return child(argv);
    int repeats = 2;
    if (argc == 3 && std::strcmp(argv[1], "--repeats") == 0)
        repeats = std::max(1, std::atoi(argv[2]));
    else if (argc != 1) {
        std::cerr << "Usage: kastra-bench-convert [--repeats N]\n";
        return 2;
    }

    const ScratchFolder folder;
    if (!folder.created()) {
        std::cerr << "cannot create a temporary folder\n";
        return 1;
    }
    const std::string nrrd = folder.file("ct.nrrd"), series = folder.file("series");
    const std::string output = folder.file("out.dat");
    std::vector<Row> rows = {{"NRRD 512x512x512", 512.0 * 512 * 512, {}, {}, {}},
                             {"DICOM 512x512x200", 512.0 * 512 * 200, {}, {}, {}}};
    try {
        writeNrrd(nrrd);
        writeDicomSeries(series);
    } catch (const itk::ExceptionObject& error) {
        std::cerr << "cannot write the inputs: " << error.GetDescription() << "\n";
        return 1;
    }
    for (Row& row : rows) {
        const std::string input = row.name[0] == 'N' ? nrrd : series;
        row.read = inFreshProcesses({"read", input}, repeats);
        row.keepGrid = inFreshProcesses({"keep-grid", input, output}, repeats);
        row.cubes = inFreshProcesses({"cubes", input, output}, repeats);
    }

    std::printf("Conversions with --ct from the page cache, fastest of %d fresh processes each\n",
                repeats);
    std::printf("%-18s %-10s %9s %9s %8s %9s %11s\n", "input", "grid", "read ms", "conv ms",
                "Mvox/s", "own work", "peak B/vox");
    std::ostringstream json;
    json << "{\"benchmark\":\"convert\",\"repeats\":" << repeats << ",\"cases\":[";
    bool first = true;
    for (const Row& row : rows)
        for (const auto& [grid, measure] :
             {std::pair<const char*, const Measure&>{"keep-grid", row.keepGrid},
              {"cubes", row.cubes}}) {
            const double own = (measure.seconds - row.read.seconds) / row.read.seconds;
            const double perVoxel = measure.peakBytes / row.voxels;
            std::printf("%-18s %-10s %9.0f %9.0f %8.1f %8.0f%% %11.2f\n", row.name.c_str(), grid,
                        row.read.seconds * 1e3, measure.seconds * 1e3,
                        row.voxels / measure.seconds / 1e6, own * 100, perVoxel);
            json << (first ? "" : ",") << "{\"input\":\"" << row.name << "\",\"grid\":\"" << grid
                 << "\",\"read_ms\":" << row.read.seconds * 1e3
                 << ",\"convert_ms\":" << measure.seconds * 1e3
                 << ",\"mvoxels_per_s\":" << row.voxels / measure.seconds / 1e6
                 << ",\"own_work\":" << own
                 << ",\"read_peak_bytes_per_voxel\":" << row.read.peakBytes / row.voxels
                 << ",\"peak_bytes_per_voxel\":" << perVoxel << "}";
            first = false;
        }
    json << "],\"own_work_target\":" << kOwnWorkTarget << ",\"peak_target\":" << kPeakTarget << "}";
    for (const Row& row : rows) {
        const double own = (row.keepGrid.seconds - row.read.seconds) / row.read.seconds;
        const double perVoxel = row.keepGrid.peakBytes / row.voxels;
        std::printf("%s without resampling: own work %.0f%% (%s the 30%% target), peak %.2f "
                    "bytes per source voxel (%s the 8-byte target)\n",
                    row.name.c_str(), own * 100, own <= kOwnWorkTarget ? "meets" : "misses",
                    perVoxel, perVoxel <= kPeakTarget ? "meets" : "misses");
    }
    std::printf("%s\n", json.str().c_str());
    return 0;
}
