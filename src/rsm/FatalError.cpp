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
    }
    return "ERROR : BUILDING SURROGATE MODEL IS FAILED.";
}

DeferredFatal::DeferredFatal(FatalCause fatalCause)
    : std::runtime_error(fatalMessage(fatalCause)), cause(fatalCause)
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

void raiseFatal(FatalCause cause)
{
    if (fatalErrorsDeferred) {
        throw DeferredFatal(cause);
    }
    const char* message = fatalMessage(cause);
    const FatalHandler handler = installedHandler.load();
    if (handler == nullptr) {
        endProcess(message);
    }
    handler(message);
    throw SurrogateFailure(message);
}

} // namespace Opt::RSM
