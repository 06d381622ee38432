// The watchdog: the conversion in a child process, ended when a library
// call outlasts its limit or a signal cancels, and one line for a child that
// died.

#include "convert/guard/watchdog.h"

#include "convert/guard/librarycall.h"
#include "platform/console.h"

#include <signal.h>
#include <string.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <iterator>
#include <ostream>
#include <thread>

namespace {

constexpr auto kPollInterval = std::chrono::milliseconds(20);
constexpr int kCancelSignals[] = {SIGTERM, SIGINT};

volatile std::sig_atomic_t g_cancelled = 0;

void onCancel(int)
{
    g_cancelled = 1;
}

// Catches the cancel signals (`catching`), or gives them back their actions.
void catchCancel(bool catching, struct sigaction (&before)[std::size(kCancelSignals)])
{
    struct sigaction action = {};
    action.sa_handler = onCancel;
    for (size_t i = 0; i < std::size(kCancelSignals); ++i)
        sigaction(kCancelSignals[i], catching ? &action : &before[i],
                  catching ? &before[i] : nullptr);
}

std::string signalName(int signal)
{
    const char* name = sigabbrev_np(signal);
    return name ? std::string("SIG") + name : "signal " + std::to_string(signal);
}

} // namespace

int runWatched(const std::function<int()>& work, const std::string& input,
               const std::string& output, const std::vector<std::string>& leftovers)
{
    LibraryCall::shareRecord();
    std::cout.flush();
    std::cerr.flush();
    // Caught before the fork, so that no cancel leaves the child running.
    struct sigaction before[std::size(kCancelSignals)];
    g_cancelled = 0;
    catchCancel(true, before);
    const pid_t child = fork();
    if (child <= 0)
        catchCancel(false, before);
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
        overdue = call.active && call.secondsRunning > call.limitSeconds;
        if (overdue || g_cancelled) {
            kill(child, SIGKILL);
            waitpid(child, &status, 0);
            break;
        }
        std::this_thread::sleep_for(kPollInterval);
    }
    catchCancel(false, before);
    // A child that finished before the cancel was seen has done its work.
    if (!overdue && WIFEXITED(status))
        return WEXITSTATUS(status);

    call = LibraryCall::current();
    std::error_code error;
    for (const std::string& path : leftovers)
        std::filesystem::remove_all(path, error);
    if (g_cancelled)
        printRefusal(output.empty() ? ConvertMessage("cancelled")
                                    : ConvertMessage("cancelled-unwritten", {output}));
    else if (overdue)
        printRefusal(
            {"cannot-read",
             {call.file, ConvertMessage("library-overdue", {call.library, int(call.limitSeconds),
                                                            libraryFailureNote(call.library)})}});
    else if (WTERMSIG(status) == SIGKILL)
        printRefusal({"cannot-convert", {input, ConvertMessage("converter-killed")}});
    else if (call.active)
        printRefusal({"cannot-read",
                      {call.file, ConvertMessage("library-crashed",
                                                 {call.library, signalName(WTERMSIG(status)),
                                                  libraryFailureNote(call.library)})}});
    else
        printRefusal(
            {"cannot-convert",
             {input, ConvertMessage("converter-crashed", {signalName(WTERMSIG(status))})}});
    return 1;
}
