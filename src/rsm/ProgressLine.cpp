#include "rsm/ProgressLine.h"

#include <algorithm>

namespace Opt::RSM {

namespace {

constexpr int kComplete = 100;
// Steps the cursor back over the "%3d%" field.
constexpr const char* kBackOverField = "\b\b\b\b";

} // namespace

ProgressLine::ProgressLine(Phase linePhase, std::FILE* out) : phase(linePhase), stream(out) {}

const char* ProgressLine::startText(Phase phase)
{
    switch (phase) {
    case Phase::DesignSampling:
        return "    DESIGN SAMPLING:   0%";
    case Phase::BuildingModel:
        return "    BUILDING APPROXIMATE MODEL:   0%";
    case Phase::FindingOptimum:
        return "    FINDING OPTIMUM POINT:   0%";
    }
    return "";
}

void ProgressLine::update(int percent)
{
    if (stream == nullptr) {
        return;
    }
    const int p = std::clamp(percent, 0, kComplete);
    if (p == 0) {
        std::fputs(startText(phase), stream);
        std::fflush(stream);
        return;
    }
    std::fprintf(stream, "%s%3d%%", kBackOverField, p);
    std::fflush(stream);
    if (p == kComplete) {
        std::fprintf(stream, "%sCOMPLETED\n", kBackOverField);
        std::fflush(stream);
    }
}

} // namespace Opt::RSM
