#pragma once

#include <cstdio>

namespace Opt::RSM {

// One of the three progress lines a surrogate study shows while it samples the
// design, builds the models and searches the optimum: the phase's text ending in
// "  0%", then the percentage rewritten in place, then COMPLETED.
//
// Output, byte for byte: update(0) writes the full text without a line end;
// update(p), 0 < p, writes four backspaces, p as "%3d" and '%', and flushes;
// at 100 four more backspaces, "COMPLETED" and a line end follow. A repeated
// percentage is written again (callers report every step, not every change).
//
// Decisions where behaviour was open:
// - A percentage outside 0..100 is clamped into it, so a miscounted caller can
//   neither widen the field nor skip the line end.
// - update(0) flushes too, so that the text shows before a long first step.
// - A null stream writes nothing.
// - The line owns nothing: the stream is the caller's and must outlive it. Not
//   thread-safe; a caller updating from several threads holds a lock around it.
class ProgressLine {
public:
    enum class Phase { DesignSampling, BuildingModel, FindingOptimum };

    explicit ProgressLine(Phase phase, std::FILE* stream = stdout);

    void update(int percent);

    // The text written at 0 %.
    static const char* startText(Phase phase);

private:
    Phase phase;
    std::FILE* stream;
};

} // namespace Opt::RSM
