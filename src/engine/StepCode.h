#pragma once

namespace Opt {

// The result of one engine step and what the driver does next.
enum class StepCode : int {
    Error = -1,     // stop: the run failed
    Finished = 0,   // stop: x holds the final design in caller units
    Evaluate = 1,   // evaluate the published design, then step again
    CallAgain = 2,  // step again without evaluating
    Continue = 3,   // step again
    Gradients = 4,  // supply gradients at the published design, then step again
};

// The phase an engine's next step dispatches on. Phases advance
// BeginIteration -> ComputeStep -> UpdateStep -> EndIteration -> BeginIteration
// each time the phase operation returns Continue. The value 3 is not a phase.
enum class EnginePhase : int {
    BeginIteration = 1,
    ComputeStep = 2,
    UpdateStep = 4,
    EndIteration = 5,
    Stopped = 6,
};

} // namespace Opt
