#pragma once

#include <functional>

#include "api/zelkor.h"

namespace Opt {

// What a driving loop does when the engine asks for gradients.
enum class GradientRequest {
    CallHost,   // call the gradient callback, then step again
    StepAgain,  // step again without gradients
    EndLoop,    // stop: the entry point has no gradient callback
};

// The loop every entry point runs: step the engine, evaluate the published
// design when asked (state 1), supply gradients (state 4) as the entry point
// allows, step again on 2 and 3, and stop on anything else. When the seconds
// accumulators are given, each host evaluation adds its wall-clock time to one
// and each engine step to the other.
//
// A callback that throws ends the run: the loop hands the engine's best design
// so far and its responses back in x and f (OptEngine::handOverBestSoFar; when
// the engine keeps none, x holds the last design handed out) and throws
// HostCallbackFailure with the host's message for the entry point's guard.
struct DrivingLoop {
    std::function<void()> evaluate;
    std::function<void()> supplyGradients;
    GradientRequest onGradients = GradientRequest::EndLoop;
    double* evaluationSeconds = nullptr;
    double* engineSeconds = nullptr;

    // Runs from firstState (1: evaluate first, 3: step first) and returns the state
    // that ended the loop.
    int run(OptEngineMain& session, int firstState, double* x, double* f, double** g) const;
};

} // namespace Opt
