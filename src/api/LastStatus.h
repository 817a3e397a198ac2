#pragma once

#include <string>

namespace Opt {

class OptEngine;

// The status and message of the calling thread's last exported call, read back
// by zelkorLastStatus and zelkorLastMessage. Thread-local, so that hosts running
// entry points on several threads each see their own; a nested call from inside
// a host callback overwrites the outer call's status until the outer call sets
// its own on return. Codes are the ZELKOR_STATUS_ constants of zelkor.h.
class LastStatus {
public:
    static void set(int code, const std::string& message = std::string());
    static int code();
    static const char* message();

    // Classifies a finished optimising run from the state that ended its driving
    // loop and what the engine reports: an error step is an engine error; a
    // feasible design is ok, or budget reached when the engine stopped on its
    // iteration or evaluation limit; any other design is infeasible. Returns the
    // entry point's result, the engine's feasible flag.
    static int recordRun(const char* entryPoint, const OptEngine& engine, int endState);
};

} // namespace Opt
