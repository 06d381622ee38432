// The watchdog: the conversion in a child process, ended when a library
// call outlasts its limit, and one line for a child that died.

#include "convert/guard/watchdog.h"

#include "convert/guard/librarycall.h"
#include "platform/console.h"

#include <signal.h>
#include <string.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <ostream>
#include <thread>

namespace {

constexpr auto kPollInterval = std::chrono::milliseconds(20);

std::string signalName(int signal)
{
    const char* name = sigabbrev_np(signal);
    return name ? std::string("SIG") + name : "signal " + std::to_string(signal);
}

} // namespace

int runWatched(const std::function<int()>& work, const std::string& input,
               const std::vector<std::string>& leftovers)
{
    LibraryCall::shareRecord();
    std::cout.flush();
    std::cerr.flush();
    const pid_t child = fork();
    if (child < 0)
        return work();
    if (child == 0) {
        const int status = work();
        std::cout.flush();
        std::cerr.flush();
        std::exit(status);
    }

    int status = 0;
    LibraryCall::Snapshot call;
    bool overdue = false;
    while (waitpid(child, &status, WNOHANG) == 0) {
        call = LibraryCall::current();
        if (call.active && call.secondsRunning > call.limitSeconds) {
            overdue = true;
            kill(child, SIGKILL);
            waitpid(child, &status, 0);
            break;
        }
        std::this_thread::sleep_for(kPollInterval);
    }
    if (!overdue && WIFEXITED(status))
        return WEXITSTATUS(status);

    call = LibraryCall::current();
    std::error_code error;
    for (const std::string& path : leftovers)
        std::filesystem::remove_all(path, error);
    std::ostream& err = console::err();
    err << "kastra-convert: ";
    if (overdue)
        err << "cannot read '" << call.file << "': " << call.library
            << " did not finish with it in " << int(call.limitSeconds) << " s; "
            << libraryFailureNote(call.library);
    else if (WTERMSIG(status) == SIGKILL)
        err << "cannot convert '" << input << "': the converter was killed (SIGKILL), perhaps "
            << "for want of memory";
    else if (call.active)
        err << "cannot read '" << call.file << "': " << call.library << " failed on it ("
            << signalName(WTERMSIG(status)) << "); " << libraryFailureNote(call.library);
    else
        err << "cannot convert '" << input << "': the converter stopped on "
            << signalName(WTERMSIG(status)) << "; this is a fault in kastra-convert";
    err << std::endl;
    return 1;
}
