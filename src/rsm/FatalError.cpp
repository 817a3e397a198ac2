#include "rsm/FatalError.h"

#include <atomic>
#include <cstdlib>
#include <iostream>

namespace Opt::RSM {

namespace {

std::atomic<FatalHandler> installedHandler{nullptr};
thread_local bool fatalErrorsDeferred = false;

[[noreturn]] void endProcess(const char* message)
{
    std::cerr << message << std::endl;
    std::exit(0);
}

} // namespace

const char* fatalMessage(FatalCause cause)
{
    switch (cause) {
    case FatalCause::TooFewPoints:
        return "ERROR : TOO SMALL DOE DATA FOR SURROGATES MODEL.";
    case FatalCause::BuildFailed:
        return "ERROR : BUILDING SURROGATE MODEL IS FAILED.";
    case FatalCause::InadequateModelFile:
        return "ERROR : INADEQUATE RSM DATA.";
    }
    return "ERROR : BUILDING SURROGATE MODEL IS FAILED.";
}

DeferredFatal::DeferredFatal(FatalCause fatalCause, const std::string& fatalDetail)
    : std::runtime_error(fatalMessage(fatalCause)), cause(fatalCause), detail(fatalDetail)
{
}

bool deferFatalErrors(bool defer)
{
    const bool previous = fatalErrorsDeferred;
    fatalErrorsDeferred = defer;
    return previous;
}

FatalHandler setFatalHandler(FatalHandler handler)
{
    return installedHandler.exchange(handler);
}

void raiseFatal(FatalCause cause, const std::string& detail)
{
    if (fatalErrorsDeferred) {
        throw DeferredFatal(cause, detail);
    }
    const std::string line =
        detail.empty() ? fatalMessage(cause) : std::string(fatalMessage(cause)) + " (" + detail + ")";
    const FatalHandler handler = installedHandler.load();
    if (handler == nullptr) {
        endProcess(line.c_str());
    }
    handler(line.c_str());
    throw SurrogateFailure(line);
}

} // namespace Opt::RSM
