#include "platform/Platform.h"

#include <chrono>
#include <cerrno>

#if defined(_WIN32)
#  include <direct.h>
#  include <windows.h>
#  include <psapi.h>
#else
#  include <dlfcn.h>
#  include <sys/resource.h>
#  include <sys/stat.h>
#  include <sys/types.h>
#  include <time.h>
#  include <unistd.h>
#  if defined(__GLIBC__)
#    include <malloc.h>
#  endif
#endif

namespace Opt::Platform {

namespace {

// The branch number of the AVX code path, the highest one we allow so that
// results do not change with the processor generation.
constexpr int kAvxBranch = 9;

#if defined(_WIN32)
double fileTimeSeconds(const FILETIME& time)
{
    ULARGE_INTEGER ticks;
    ticks.LowPart = time.dwLowDateTime;
    ticks.HighPart = time.dwHighDateTime;
    return static_cast<double>(ticks.QuadPart) * 1e-7; // 100-ns ticks
}
#endif

// OpenBLAS keeps no reproducibility branch: report the branch we want as the
// automatic one and accept setting it.
int automaticBranch()
{
    return kAvxBranch;
}

bool setBranch(int /*branch*/)
{
    return true;
}

} // namespace

double processCpuSeconds()
{
#if defined(_WIN32)
    FILETIME creation, exit, kernel, user;
    if (!GetProcessTimes(GetCurrentProcess(), &creation, &exit, &kernel, &user)) {
        return 0.0;
    }
    return fileTimeSeconds(kernel) + fileTimeSeconds(user);
#else
    rusage usage{};
    if (getrusage(RUSAGE_SELF, &usage) != 0) {
        return 0.0;
    }
    const auto seconds = [](const timeval& t) {
        return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_usec / 1000) / 1000.0;
    };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
#endif
}

double wallClockSeconds()
{
    using namespace std::chrono;
    const auto ms = duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
    return static_cast<double>(ms) / 1000.0;
}

long long epochSeconds()
{
    using namespace std::chrono;
    return duration_cast<seconds>(system_clock::now().time_since_epoch()).count();
}

int clockSeed()
{
#if defined(_WIN32)
    SYSTEMTIME now;
    GetSystemTime(&now);
    return now.wSecond * 100 + now.wMilliseconds;
#else
    timespec now{};
    clock_gettime(CLOCK_REALTIME, &now);
    tm utc{};
    gmtime_r(&now.tv_sec, &utc);
    const int second = utc.tm_sec > 59 ? 59 : utc.tm_sec; // a leap second counts as 59
    return second * 100 + static_cast<int>(now.tv_nsec / 1000000);
#endif
}

void releaseWorkingSet()
{
#if defined(_WIN32)
    K32EmptyWorkingSet(GetCurrentProcess());
#elif defined(__GLIBC__)
    malloc_trim(0);
#endif
}

std::string currentDirectory()
{
    std::string buffer(4096, '\0');
#if defined(_WIN32)
    if (_getcwd(buffer.data(), static_cast<int>(buffer.size())) == nullptr) {
        return std::string();
    }
#else
    if (getcwd(buffer.data(), buffer.size()) == nullptr) {
        return std::string();
    }
#endif
    buffer.resize(buffer.find('\0'));
    return buffer;
}

bool makeDirectory(const std::string& path)
{
#if defined(_WIN32)
    const int result = _mkdir(path.c_str());
#else
    const int result = mkdir(path.c_str(), 0777);
#endif
    return result == 0 || errno == EEXIST;
}

char pathSeparator()
{
#if defined(_WIN32)
    return '\\';
#else
    return '/';
#endif
}

std::string joinPath(const std::string& directory, const std::string& name)
{
    if (directory.empty()) {
        return name;
    }
    return directory + pathSeparator() + name;
}

bool fixReproducibilityBranch()
{
    const int automatic = automaticBranch();
    const int wanted = automatic < kAvxBranch ? automatic : kAvxBranch;
    return setBranch(wanted);
}

void* loadedFunction(const char* name)
{
#if defined(_WIN32)
    // The BLAS provider is a DLL of its own; the program itself is searched too.
    for (const char* module : {"libopenblas.dll", "openblas.dll", static_cast<const char*>(nullptr)}) {
        if (const HMODULE handle = GetModuleHandleA(module)) {
            if (const FARPROC found = GetProcAddress(handle, name)) {
                return reinterpret_cast<void*>(found);
            }
        }
    }
    return nullptr;
#else
    return dlsym(RTLD_DEFAULT, name);
#endif
}

} // namespace Opt::Platform
