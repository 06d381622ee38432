// libFuzzer target for the converter's readers, one executable per format
// variant (KASTRA_FUZZ_VARIANT). Each input is written into a temporary folder
// as the variant's files (fuzzinput.h), and read as the
// converter reads it: open, the checks before the read, the read. A refusal
// (ConvertError, ITK's exceptions) is fine, and so is an abort inside a library
// call, which the converter's watchdog turns into a refusal. Anything else (an
// abort outside, a sanitizer report, a hang, an image unlike its header) is a
// finding.

#include "convert/axismapping.h"
#include "convert/formats/converterror.h"
#include "convert/formats/progressbar.h"
#include "convert/formats/scaninput.h"
#include "convert/guard/librarycall.h"
#include "convert/scanformat.h"
#include "convert/sizecheck.h"
#include "convert/voxelgrid.h"
#include "platform/console.h"
#include "tests/fuzz/fuzzinput.h"

#include <itkMacro.h>
#include <sanitizer/common_interface_defs.h>
#include <unistd.h>

#include <algorithm>
#include <csetjmp>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <ostream>
#include <string_view>
#include <vector>

namespace {

// A random header reads at most this much: no input allocates gigabytes.
constexpr uint64_t kMemoryBudget = uint64_t(256) << 20;

const FuzzVariant* g_variant = nullptr;
int g_errorStream = STDERR_FILENO; // a copy: library calls point the stream at /dev/null
std::filesystem::path g_folder;
std::ostream g_discard(nullptr);
sigjmp_buf g_abortJump;
// The signals a library dies of, which the converter's watchdog turns into
// a refusal when a library call is under way; libFuzzer's own handlers.
constexpr int kDeadlySignals[] = {SIGABRT, SIGSEGV, SIGBUS, SIGFPE, SIGILL};
struct sigaction g_fuzzerActions[std::size(kDeadlySignals)];

#define CHECK(condition)                                                                           \
    do {                                                                                           \
        if (!(condition)) {                                                                        \
            dprintf(g_errorStream, "fuzz_convert: %s\n", #condition);                              \
            std::abort();                                                                          \
        }                                                                                          \
    } while (0)

// In the converter, an abort inside a library call ends only the watched
// child: here it jumps back. Any other abort goes on to libFuzzer.
void restoreFuzzerActions()
{
    for (size_t i = 0; i < std::size(kDeadlySignals); ++i)
        sigaction(kDeadlySignals[i], &g_fuzzerActions[i], nullptr);
}

void onDeadlySignal(int signal)
{
    if (LibraryCall::current().active)
        siglongjmp(g_abortJump, 1);
    restoreFuzzerActions();
    std::raise(signal); // delivered to libFuzzer's handler: a finding in our own code
}

void readAsConverter(const ConvertOptions& options)
{
    const std::unique_ptr<ScanInput> input = openScanInput(options);
    const ScanHeader& header = input->header();
    const AxisMapping axes = writtenAxisMapping(header);
    const VoxelGrid grid = voxelGridFor(header.extents, header.spacing, 1, false);
    checkProgramTakes(grid, axes, header, options);
    checkConversionMemory(header, grid, axes, options, kMemoryBudget);
    ProgressBar progress(false);
    const SourceImage image = input->read(progress);

    // The checks let through only what fits, and the read is what the header said.
    const std::array<uint64_t, 3>& extents = header.extents;
    CHECK(double(extents[0]) * double(extents[1]) * double(extents[2]) *
              double(sampleBytes(header.sampleType)) <=
          double(kMemoryBudget));
    CHECK(image.index() == size_t(header.sampleType));
    std::visit(
        [&](const auto& read) {
            CHECK(read);
            const auto size = read->GetBufferedRegion().GetSize();
            CHECK(read->GetLargestPossibleRegion().GetSize() == size);
            for (unsigned axis = 0; axis < 3; ++axis)
                CHECK(size[axis] == extents[axis]);
            CHECK(read->GetPixelContainer()->Size() == extents[0] * extents[1] * extents[2]);
        },
        image);
}

} // namespace

// A contained abort leaves the library's memory behind, as the killed child
// would: leaks are the sanitizer test suite's to find, not these targets'.
// Faults come to onDeadlySignal first, as to the watchdog: one in a library
// call is its refusal, one elsewhere goes on to libFuzzer as a finding.
extern "C" const char* __asan_default_options()
{
    return "detect_leaks=0:handle_segv=0:handle_sigbus=0:handle_sigfpe=0:handle_sigill=0";
}

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    g_errorStream = dup(STDERR_FILENO);
    __sanitizer_set_report_fd(reinterpret_cast<void*>(intptr_t(g_errorStream)));
    g_variant = fuzzVariant(KASTRA_FUZZ_VARIANT);
    CHECK(g_variant);
    std::string folder = (std::filesystem::temp_directory_path() / "kastra-fuzz-XXXXXX").string();
    CHECK(mkdtemp(folder.data()));
    g_folder = folder;
    std::atexit([] { std::filesystem::remove_all(g_folder); });
    console::redirect(&g_discard, &g_discard);
    LibraryCall::setVerbose(false);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::string_view rest(reinterpret_cast<const char*>(data), size);
    // The JPEG 2000 decoder under GDCM writes over the heap on damaged
    // frames, which the sanitizers then find at some later free: the
    // converter's child dies of it and is refused, but no target can go on
    // after it. Its transfer syntaxes (1.2.840.10008.1.2.4.90 to .93) are left out.
    if (rest.find("1.2.840.10008.1.2.4.9") != rest.npos)
        return 0;
    ConvertOptions options;
    options.input = writeFuzzInput(*g_variant, rest, g_folder).string();
    struct sigaction onDeadlyAction = {};
    onDeadlyAction.sa_handler = onDeadlySignal;
    for (size_t i = 0; i < std::size(kDeadlySignals); ++i)
        sigaction(kDeadlySignals[i], &onDeadlyAction, &g_fuzzerActions[i]);
    if (sigsetjmp(g_abortJump, 1) == 0) {
        try {
            readAsConverter(options);
        } catch (const ConvertError&) {
        } catch (const itk::ExceptionObject&) {
        } catch (const std::exception& error) {
            dprintf(g_errorStream, "fuzz_convert: %s\n", error.what());
            std::abort();
        }
    } else {
        LibraryCall::abandonAll(); // the calls the jump left
    }
    restoreFuzzerActions();
    return 0;
}
