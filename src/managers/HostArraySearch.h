#pragma once

#include <vector>

#include "engine/OptEngine.h"
#include "engine/StepCode.h"

namespace Opt::RSM {

// Drives a search engine built in host-array mode on surrogates to its end: x
// holds the start on entry, f its responses; every design the engine publishes
// is predicted by responses(x), which returns the new f. On return x holds the
// engine's final design (a difference step may have left it a hair outside the
// bounds: callers clamp). The managers' searches on their models share it.
template <typename Responses>
void runHostArraySearch(OptEngine& engine, std::vector<double>& x, std::vector<double>& f,
                        const Responses& responses)
{
    int code = static_cast<int>(StepCode::Continue);
    do {
        code = engine.step(x.data(), f.data(), nullptr);
        if (code == static_cast<int>(StepCode::Evaluate)) {
            f = responses(x);
        }
    } while (code == static_cast<int>(StepCode::Evaluate) ||
             code == static_cast<int>(StepCode::CallAgain) ||
             code == static_cast<int>(StepCode::Continue));
}

} // namespace Opt::RSM
