#include "bench/benchsupport.h"

#include "platform/console.h"
#include "platform/systemmemory.h"

#include <stdlib.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <system_error>

namespace fs = std::filesystem;

double secondsSince(BenchClock::time_point start)
{
    return std::chrono::duration<double>(BenchClock::now() - start).count();
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    const size_t n = values.size();
    return n % 2 ? values[n / 2] : 0.5 * (values[n / 2 - 1] + values[n / 2]);
}

ScratchFolder::ScratchFolder()
{
    std::error_code error;
    std::string pattern = (fs::temp_directory_path(error) / "kastra-bench-XXXXXX").string();
    if (!error && mkdtemp(pattern.data()))
        m_path = pattern;
}

ScratchFolder::~ScratchFolder()
{
    std::error_code ignored;
    if (created())
        fs::remove_all(m_path, ignored);
}

std::string ScratchFolder::file(const std::string& name) const
{
    return (m_path / name).string();
}

QuietConsole::QuietConsole(Errors errors)
{
    console::redirect(&m_null, errors == KeepErrors ? nullptr : &m_null);
}

QuietConsole::~QuietConsole()
{
    console::redirect(nullptr, nullptr);
}

namespace {

// `text` as one word for the shell, whatever it holds.
std::string shellQuoted(const std::string& text)
{
    std::string quoted = "'";
    for (char c : text)
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

} // namespace

std::optional<FreshRun> runFresh(const std::vector<std::string>& arguments)
{
    char self[4096];
    const ssize_t length = readlink("/proc/self/exe", self, sizeof self - 1);
    if (length <= 0)
        return std::nullopt;
    self[length] = '\0';
    std::string command = shellQuoted(self);
    for (const std::string& argument : arguments)
        command += " " + shellQuoted(argument);
    std::FILE* child = popen(command.c_str(), "r");
    if (!child)
        return std::nullopt;
    long long bytes = 0;
    double seconds = 0;
    const bool parsed = std::fscanf(child, "%lld %lf", &bytes, &seconds) == 2;
    if (pclose(child) != 0 || !parsed)
        return std::nullopt;
    return FreshRun{double(bytes), seconds};
}

int reportFreshRun(const std::function<int()>& work)
{
    const int64_t before = residentBytes();
    const BenchClock::time_point start = BenchClock::now();
    const int status = work();
    const double seconds = secondsSince(start);
    const int64_t peak = peakResidentBytes();
    if (before < 0 || peak < 0)
        return 1;
    std::printf("%lld %.9f\n", static_cast<long long>(peak - before), seconds);
    return status;
}
