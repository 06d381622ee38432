#pragma once

#include "convert/messages/convertmessage.h"

#include <string>

// A file handed to a scan library (ITK, GDCM, the NIfTI library) for as long
// as this lives. Such libraries can abort or loop for ever on a damaged file;
// the watchdog (watchdog.h) reads what is being read from here, to name the
// file when the library takes the process down or does not return in time.
// Meanwhile the library's own messages are kept off the terminal, unless
// setVerbose(true).
class LibraryCall
{
public:
    LibraryCall(const char* library, const std::string& file);
    ~LibraryCall();
    LibraryCall(const LibraryCall&) = delete;
    LibraryCall& operator=(const LibraryCall&) = delete;

    struct Snapshot
    {
        bool active = false;
        std::string library, file;
        double secondsRunning = 0;
        double limitSeconds = 0; // the time a library may take over the file
    };
    // What is being read now, as the watchdog sees it.
    static Snapshot current();

    // Puts the record in memory a child process shares with its parent:
    // called once, before the watchdog forks.
    static void shareRecord();

    // Ends every call under way, where a jump out of a library skipped their
    // destructors (the fuzz targets contain an abort so, as the watchdog
    // would by ending the child).
    static void abandonAll();

    // The time a library may take over a file: at least `seconds` (30 by
    // default), and a second more for each 4 MB of it.
    static void setMinimumLimit(double seconds);

    static void setVerbose(bool verbose);
    static bool verbose();
};

// What a refusal says of a file `library` failed on after the checks made
// before it found nothing wrong: the file is not known to be damaged. "the
// file may be damaged, or of a kind GDCM does not read"
ConvertMessage libraryFailureNote(const std::string& library);
