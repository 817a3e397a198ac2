#pragma once

#include <stdexcept>
#include <string>

namespace Opt::RSM {

// The conditions under which a surrogate cannot go on: a model asked for on
// fewer than two sample points, a fit that raised an exception, and a model
// file that a study checks but that cannot serve its responses.
enum class FatalCause { TooFewPoints, BuildFailed, InadequateModelFile };

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

// Raised by raiseFatal in place of the handler on a thread whose fatal errors
// are deferred (deferFatalErrors): it carries the cause to the thread that
// reports it, by calling raiseFatal with it once the deferring work is over.
class DeferredFatal : public std::runtime_error {
public:
    DeferredFatal(FatalCause cause, const std::string& detail);
    FatalCause cause;
    std::string detail;
};

// Defers (or stops deferring) the fatal errors raised on the calling thread and
// returns the previous state. Work run on threads of its own defers them, so
// that neither the process ends nor a host's handler runs on a worker thread
// while other workers are still busy; the thread that started the work reports
// the first failure afterwards.
bool deferFatalErrors(bool defer);

// The one way the surrogate layer gives up. The default handler writes the
// cause's line and a line end to standard error and ends the process with exit
// status 0; a replaced handler is called with the line, and if it returns,
// SurrogateFailure carrying the line is thrown. On a thread that defers its
// fatal errors, DeferredFatal is thrown instead and no handler is called.
// A detail (the message of the exception that made a fit fail, say) follows the
// cause's line in parentheses, so that the user learns why (ours: the line
// alone named no cause).
[[noreturn]] void raiseFatal(FatalCause cause, const std::string& detail = std::string());

} // namespace Opt::RSM
