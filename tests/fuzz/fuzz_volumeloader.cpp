// libFuzzer target for the volume loader: every input is a volume file's
// bytes. After each load the record must be consistent with the bytes (a
// successful load) or exactly as it was (a refusal); any other outcome aborts,
// which the fuzzer reports as a crash together with the input.

#include "platform/console.h"
#include "volume/volumeloader.h"

#include <algorithm>
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

// Discards what is written and remembers whether anything was.
class NullBuffer : public std::streambuf
{
public:
    bool written = false;

protected:
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

NullBuffer g_outBuffer;
NullBuffer g_errBuffer;
std::ostream g_out(&g_outBuffer);
std::ostream g_err(&g_errBuffer);

// The record a load starts from: not a fresh one, so that a refusal that
// touched it would show.
VolumeData referenceVolume()
{
    VolumeData volume;
    volume.width = 5;
    volume.height = 4;
    volume.depth = 3;
    volume.voxels.assign(60, 0.0f);
    for (size_t i = 0; i < volume.voxels.size(); ++i) {
        volume.voxels[i] = float(i) / 59.0f;
        volume.histogram[i * 60] = int32_t(i + 1);
    }
    return volume;
}

const VolumeData g_reference = referenceVolume();

[[noreturn]] void fail(const char* what)
{
    std::fprintf(stderr, "fuzz_volumeloader: %s\n", what);
    std::abort();
}

#define CHECK(condition)                                                                           \
    do {                                                                                           \
        if (!(condition))                                                                          \
            fail(#condition);                                                                      \
    } while (0)

unsigned readU16(const uint8_t* bytes)
{
    return bytes[0] | unsigned(bytes[1]) << 8;
}

bool sameAsReference(const VolumeData& volume)
{
    return volume.width == g_reference.width && volume.height == g_reference.height &&
           volume.depth == g_reference.depth && volume.voxels == g_reference.voxels &&
           volume.histogram == g_reference.histogram;
}

// Checks a successful load against the bytes: extents from the header, every
// voxel from its sample (0 where the file ends early), in 0..1, and a
// histogram that recounts the samples with values above 4095 in bin 4095.
void checkLoaded(const VolumeData& volume, const uint8_t* data, size_t size)
{
    const unsigned width = readU16(data), height = readU16(data + 2), depth = readU16(data + 4);
    CHECK(volume.width == int32_t(width));
    CHECK(volume.height == int32_t(height));
    CHECK(volume.depth == int32_t(depth));
    const size_t count = size_t(width) * height * depth;
    CHECK(volume.voxels.size() == count);

    static int32_t expected[kDensityCount];
    std::fill(expected, expected + kDensityCount, 0);
    const size_t available = (size - 6) / 2;
    for (size_t i = 0; i < count; ++i) {
        const unsigned raw = i < available ? readU16(data + 6 + 2 * i) : 0;
        const unsigned density = raw < kMaxDensity ? raw : kMaxDensity;
        ++expected[density];
        const float voxel = volume.voxels[i];
        CHECK(voxel >= 0.0f && voxel <= 1.0f);
        CHECK(voxel == float(double(density) / double(kMaxDensity)));
    }
    int64_t total = 0;
    for (int bin = 0; bin < kDensityCount; ++bin) {
        CHECK(volume.histogram[size_t(bin)] == expected[bin]);
        total += volume.histogram[size_t(bin)];
    }
    CHECK(total == int64_t(count));
}

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
    g_outBuffer.written = false;
    g_errBuffer.written = false;
    readVolumeStream(file, volume, kMemoryBudget);

    // What the format allows, decided from the header alone: the loader must
    // accept exactly these files and refuse the rest.
    bool acceptable = size >= 6;
    if (acceptable) {
        const uint64_t count = uint64_t(readU16(data)) * readU16(data + 2) * readU16(data + 4);
        acceptable = count > 0 && count <= kMemoryBudget / kLoadBytesPerSample;
    }

    if (acceptable) {
        CHECK(!g_errBuffer.written);
        CHECK(g_outBuffer.written);
        checkLoaded(volume, data, size);
    } else {
        // A refusal prints its error line and leaves the record alone.
        CHECK(g_errBuffer.written);
        CHECK(!g_outBuffer.written);
        CHECK(sameAsReference(volume));
    }
    return 0;
}
