#pragma once

#include <string>

// The only module that calls the operating system. POSIX is implemented now; the
// Windows calls sit beside them behind _WIN32 so the same sources build a DLL.
namespace Opt::Platform {

// CPU time of the whole process, user plus kernel, in seconds.
double processCpuSeconds();

// Wall-clock time in seconds with millisecond resolution, for elapsed times only
// (the origin is arbitrary but fixed for the process).
double wallClockSeconds();

// Seconds since 1970-01-01 UTC, the seed of the runtime-style shuffles.
long long epochSeconds();

// The clock seed of the random generators: the current UTC second within the
// minute (0-59) times 100 plus the current millisecond (0-999).
int clockSeed();

// Gives memory the process no longer uses back to the system (trims the working
// set). Never fails; where the system has no such call it does nothing.
void releaseWorkingSet();

// The process's current directory; empty when it cannot be read.
std::string currentDirectory();

// Creates one directory; an existing directory counts as success.
bool makeDirectory(const std::string& path);

// The native path separator.
char pathSeparator();

// Joins a directory and a name with the native separator.
std::string joinPath(const std::string& directory, const std::string& name);

// Fixes the LAPACK/BLAS provider's numerical-reproducibility code branch: reads the
// branch it would choose for this processor, takes the smaller of it and the AVX
// branch, and sets it. Returns false when setting fails. OpenBLAS has no such
// switch (its results depend only on the kernel and thread count), so here the
// branch counts as already fixed and the call succeeds.
bool fixReproducibilityBranch();

// The address of a function the process has loaded under that C name (in any
// loaded library), or null when none has. The library looks up optional
// extensions of its dependencies this way (OpenBLAS's thread setting).
void* loadedFunction(const char* name);

} // namespace Opt::Platform
