// kastra-make-volumes <folder>: writes the sample volumes the program offers
// in its file list into <folder>, creating it. A volume whose file is already
// there with the right extents and size is left alone, so that running it
// before every start of the program costs nothing.

#include "platform/console.h"
#include "tools/phantom/phantoms.h"
#include "volume/volumedata.h"
#include "volume/volumewriter.h"

#include <filesystem>
#include <fstream>
#include <ostream>
#include <string>
#include <system_error>

namespace {

namespace fs = std::filesystem;

struct VolumeFile
{
    const char* name;
    int width, height, depth;
    SampleVolume (*make)(int, int, int);
};

const VolumeFile kVolumeFiles[] = {
    {"head.dat", 256, 256, 113, makeHeadPhantom},
    {"engine.dat", 160, 128, 64, makeEnginePhantom},
};

// The header and the size say whether a file holds the volume: the contents
// are a pure function of the extents.
bool isUpToDate(const fs::path& path, const VolumeFile& volume)
{
    std::error_code error;
    if (!fs::is_regular_file(path, error) ||
        fs::file_size(path, error) != volumeFileSize(volume.width, volume.height, volume.depth) ||
        error)
        return false;
    std::ifstream in(path, std::ios::binary);
    unsigned char header[6] = {};
    if (!in.read(reinterpret_cast<char*>(header), sizeof header))
        return false;
    const auto extent = [&header](int i) { return header[2 * i] | header[2 * i + 1] << 8; };
    return extent(0) == volume.width && extent(1) == volume.height && extent(2) == volume.depth;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        console::err() << "Usage: kastra-make-volumes <folder>" << std::endl;
        return 2;
    }
    const fs::path folder(argv[1]);
    std::error_code error;
    fs::create_directories(folder, error);
    if (error || !fs::is_directory(folder)) {
        console::err() << "+ Cannot create the folder '" << folder.string() << "'." << std::endl;
        return 1;
    }
    for (const VolumeFile& volume : kVolumeFiles) {
        const fs::path path = folder / volume.name;
        if (isUpToDate(path, volume))
            continue;
        if (!writeVolumeFile(path.string(),
                             volume.make(volume.width, volume.height, volume.depth))) {
            console::err() << "+ Cannot write '" << path.string() << "'." << std::endl;
            return 1;
        }
        console::out() << "- Wrote '" << path.string() << "' (" << volume.width << " x "
                       << volume.height << " x " << volume.depth << ")." << std::endl;
    }
    return 0;
}
