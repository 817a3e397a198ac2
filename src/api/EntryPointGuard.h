#pragma once

#include <exception>
#include <iostream>
#include <string>
#include <vector>

#include "api/LastStatus.h"
#include "api/zelkor.h"
#include "session/SessionInputCheck.h"

namespace Opt {

// Thrown by a driving loop when a host callback throws, after the loop has handed
// the best design so far back to the host; carries the host's message.
struct HostCallbackFailure {
    std::string message;
};

// Runs the body of an exported function so that nothing escapes the C boundary:
// a thrown message string or exception is written to standard error after the
// entry point's name, recorded as the thread's last status (host exception when
// a callback threw, engine error otherwise), and the entry point returns
// `failure` instead. The body sets the status of a call that returns normally.
template <typename Body>
int guardEntryPoint(const char* name, int failure, const Body& body)
{
    std::string line = std::string(name) + ": ";
    int status = ZELKOR_STATUS_ENGINE_ERROR;
    try {
        return body();
    } catch (const HostCallbackFailure& host) {
        line += host.message;
        status = ZELKOR_STATUS_HOST_EXCEPTION;
    } catch (const std::string& message) {
        line += message;
    } catch (const std::exception& error) {
        line += error.what();
    } catch (...) {
        line += "unknown exception";
    }
    std::cerr << line << std::endl;
    LastStatus::set(status, line);
    return failure;
}

// One line on standard error for a rejected argument, recorded as invalid input;
// returns the failure value.
inline int rejectArgument(const char* name, const std::string& problem, int failure = 0)
{
    const std::string line = std::string(name) + ": " + problem + "; nothing done";
    std::cerr << line << std::endl;
    LastStatus::set(ZELKOR_STATUS_INVALID_INPUT, line);
    return failure;
}

// The checks an optimising entry point makes before it builds its session: the
// session's own (reported in the session's words, as the session would) and a
// start inside the bounds. Returns true, with the line printed and recorded as
// invalid input, when the problem is rejected.
inline bool rejectProblem(const char* name, int n, int m, const std::vector<double>& start,
                          const std::vector<std::vector<double>>& bounds)
{
    const std::string session = checkSessionInput(n, m, true, start, bounds);
    if (!session.empty()) {
        std::cerr << session << std::endl;
        LastStatus::set(ZELKOR_STATUS_INVALID_INPUT, session);
        return true;
    }
    const std::string outside = checkStartInsideBounds(start, bounds);
    if (!outside.empty()) {
        rejectArgument(name, outside);
        return true;
    }
    return false;
}

// For a session that built no engine although its problem passed the checks
// above: the engine's builder rejected its settings.
inline int rejectSettings(const char* name)
{
    LastStatus::set(ZELKOR_STATUS_INVALID_INPUT,
                    std::string(name) + ": the engine rejected its settings; nothing done");
    return 0;
}

} // namespace Opt
