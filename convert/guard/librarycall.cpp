// The record of the file a scan library is reading, shared with the
// watchdog, and the library's messages kept off the terminal meanwhile.

#include "convert/guard/librarycall.h"

#include <fcntl.h>
#include <gdcmTrace.h>
#include <itkObject.h>
#include <nifti2_io.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <new>

namespace {

// What the child writes and the watchdog reads, guarded by a sequence
// number that is odd while a write is under way.
struct Record
{
    std::atomic<unsigned> sequence{0};
    bool active = false;
    char library[64] = {};
    char file[4096] = {};
    int64_t startedNs = 0;
    double limitSeconds = 0;
};

Record g_localRecord;
Record* g_record = &g_localRecord;
bool g_verbose = false;
int g_depth = 0;
int g_savedErrorStream = -1;

// Every process's steady clock is the same monotonic clock.
int64_t nowNs()
{
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

// Reading is at least this fast, however large the file: the time limit
// grows with the file's size so that a slow but progressing read is never
// taken for a loop. The least limit is shortened by tests.
double g_minimumSeconds = 30;
constexpr double kBytesPerSecond = 4e6;

void setLibraryMessages(bool on)
{
    if (on) {
        gdcm::Trace::WarningOn();
        gdcm::Trace::ErrorOn();
    } else {
        gdcm::Trace::WarningOff();
        gdcm::Trace::ErrorOff();
        gdcm::Trace::DebugOff();
    }
    itk::Object::SetGlobalWarningDisplay(on);
    nifti_set_debug_level(on ? 1 : 0);
}

void endOutermostCall()
{
    Record& record = *g_record;
    record.sequence.fetch_add(1);
    record.active = false;
    record.sequence.fetch_add(1);
    if (g_savedErrorStream >= 0) {
        std::cerr.flush();
        std::fflush(stderr);
        dup2(g_savedErrorStream, STDERR_FILENO);
        close(g_savedErrorStream);
        g_savedErrorStream = -1;
    }
}

} // namespace

LibraryCall::LibraryCall(const char* library, const std::string& file)
{
    if (g_depth++ == 0) {
        Record& record = *g_record;
        record.sequence.fetch_add(1);
        std::strncpy(record.library, library, sizeof record.library - 1);
        std::strncpy(record.file, file.c_str(), sizeof record.file - 1);
        struct stat status;
        const double bytes = stat(file.c_str(), &status) == 0 ? double(status.st_size) : 0;
        record.limitSeconds = g_minimumSeconds + bytes / kBytesPerSecond;
        record.startedNs = nowNs();
        record.active = true;
        record.sequence.fetch_add(1);
        // Libraries and the decoders they use write to the standard error
        // stream themselves (assertions, a JPEG decoder's warnings).
        if (!g_verbose) {
            std::cerr.flush();
            std::fflush(stderr);
            g_savedErrorStream = dup(STDERR_FILENO);
            const int null = open("/dev/null", O_WRONLY | O_CLOEXEC);
            if (null >= 0) {
                dup2(null, STDERR_FILENO);
                close(null);
            }
        }
    }
}

LibraryCall::~LibraryCall()
{
    if (--g_depth == 0)
        endOutermostCall();
}

void LibraryCall::abandonAll()
{
    if (g_depth > 0) {
        g_depth = 0;
        endOutermostCall();
    }
}

LibraryCall::Snapshot LibraryCall::current()
{
    const Record& record = *g_record;
    for (;;) {
        const unsigned before = record.sequence.load();
        Snapshot snapshot;
        snapshot.active = record.active;
        snapshot.library.assign(record.library, strnlen(record.library, sizeof record.library));
        snapshot.file.assign(record.file, strnlen(record.file, sizeof record.file));
        snapshot.secondsRunning = double(nowNs() - record.startedNs) / 1e9;
        snapshot.limitSeconds = record.limitSeconds;
        if (before % 2 == 0 && record.sequence.load() == before)
            return snapshot;
    }
}

void LibraryCall::shareRecord()
{
    void* memory =
        mmap(nullptr, sizeof(Record), PROT_READ | PROT_WRITE, MAP_SHARED | MAP_ANONYMOUS, -1, 0);
    if (memory != MAP_FAILED)
        g_record = new (memory) Record;
}

void LibraryCall::setMinimumLimit(double seconds)
{
    g_minimumSeconds = seconds;
}

void LibraryCall::setVerbose(bool verbose)
{
    g_verbose = verbose;
    setLibraryMessages(verbose);
}

bool LibraryCall::verbose()
{
    return g_verbose;
}

ConvertMessage libraryFailureNote(const std::string& library)
{
    return {"library-failure-note", {library}};
}
