#pragma once

#include <stdexcept>

namespace Opt::RSM {

// The two conditions under which a surrogate cannot go on: a model asked for on
// fewer than two sample points, and a fit that raised an exception.
enum class FatalCause { TooFewPoints, BuildFailed };

// The line each cause reports, without its line end.
const char* fatalMessage(FatalCause cause);

// A replacement of the fatal handler: it receives the line without its line end.
using FatalHandler = void (*)(const char* message);

// Installs a process-wide handler in place of the default one (null restores the
// default) and returns the handler it replaces (null for the default). Meant to
// be set once by a host, before any model is built.
FatalHandler setFatalHandler(FatalHandler handler);

// Thrown by raiseFatal when a replaced handler returns: the failed call must not
// go on, and a host that keeps the process alive can catch this instead.
class SurrogateFailure : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The one way the surrogate layer gives up. The default handler writes the
// cause's line and a line end to standard error and ends the process with exit
// status 0; a replaced handler is called with the line, and if it returns,
// SurrogateFailure carrying the line is thrown.
[[noreturn]] void raiseFatal(FatalCause cause);

} // namespace Opt::RSM
