// libFuzzer target for the volume loader: every input is a volume file's
// bytes. After each load the record must be what the format makes of the
// bytes (a successful load) or exactly as it was (a refusal); any other
// outcome aborts, which the fuzzer reports as a crash together with the input.

#include "platform/console.h"
#include "tests/support/expectedvolume.h"
#include "volume/volumeloader.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <ostream>
#include <streambuf>

namespace {

// The largest accepted volume has 32 Ki samples (32 x 32 x 32): a random
// header is refused or loads in well under a millisecond, and every path of
// the loader is still reached.
constexpr uint64_t kMemoryBudget = kLoadBytesPerSample * (uint64_t(1) << 15);

// Discards what is written and remembers whether anything was: a deep volume
// prints a progress line per slice, too many to keep.
struct NullBuffer : std::streambuf
{
    bool written = false;
    int_type overflow(int_type c) override
    {
        written = true;
        return traits_type::not_eof(c);
    }
    std::streamsize xsputn(const char*, std::streamsize n) override
    {
        written = written || n > 0;
        return n;
    }
};

NullBuffer g_outBuffer, g_errBuffer;
std::ostream g_out(&g_outBuffer), g_err(&g_errBuffer);

// The record a load starts from: not a fresh one, so that a refusal that
// touched it would show.
const uint8_t kReferenceFile[] = {3, 0, 1, 0, 2, 0, 0, 0, 255, 15, 0, 16, 9, 0, 1, 2, 3, 4};
const VolumeData g_reference = expectedVolume(kReferenceFile, sizeof kReferenceFile);

#define CHECK(condition)                                                                           \
    do {                                                                                           \
        if (!(condition)) {                                                                        \
            std::fprintf(stderr, "fuzz_volumeloader: %s\n", #condition);                           \
            std::abort();                                                                          \
        }                                                                                          \
    } while (0)

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    console::redirect(&g_out, &g_err);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    // The stream only reads; an empty input still needs a valid buffer.
    static char empty[1];
    void* buffer = size > 0 ? const_cast<uint8_t*>(data) : static_cast<void*>(empty);
    std::FILE* file = fmemopen(buffer, size, "rb");
    if (!file)
        return 0;

    VolumeData volume = g_reference;
    g_outBuffer.written = g_errBuffer.written = false;
    readVolumeStream(file, volume, kMemoryBudget);

    // What the format allows, decided from the header alone: the loader must
    // accept exactly these files and refuse the rest.
    const auto u16 = [data](size_t at) { return unsigned(data[at]) | unsigned(data[at + 1]) << 8; };
    const uint64_t count = size >= 6 ? uint64_t(u16(0)) * u16(2) * u16(4) : 0;
    if (count > 0 && count <= kMemoryBudget / kLoadBytesPerSample) {
        // Extents from the header, every voxel its sample in 0..1 (0 where the
        // file ends early), values above 4095 counted in bin 4095.
        CHECK(!g_errBuffer.written);
        CHECK(g_outBuffer.written);
        CHECK(sameVolume(volume, expectedVolume(data, size)));
    } else if (!g_errBuffer.written) {
        // Too large to load whole: a reduced level, each voxel its block's
        // mean, within the budget.
        const int factor = volume.level.factor;
        CHECK(factor >= 2 && factor <= 64 && (factor & (factor - 1)) == 0);
        CHECK(uint64_t(volume.voxels.size()) * sizeof(float) <= kMemoryBudget);
        CHECK(sameVolume(volume, expectedLevel(data, size, factor)));
    } else {
        // A refusal prints its error line and leaves the record alone.
        CHECK(g_errBuffer.written);
        CHECK(!g_outBuffer.written);
        CHECK(sameVolume(volume, g_reference));
    }
    return 0;
}
