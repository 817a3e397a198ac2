// One run of the analysis program at one design, as the log keeps it. A
// failure is data: its status and detail say what went wrong, its values are
// NaN where the analysis gave none, and the method sees it as a failed
// evaluation.
#pragma once

#include <string>
#include <vector>

namespace Opt {
namespace Cli {

struct Evaluation {
    // "ok", or what failed: "exit" (non-zero exit status), "signal", "timeout",
    // "no-results", "bad-results", "missing", "not-finite", "not-started".
    static constexpr const char* kOk = "ok";

    int index = -1;                   // the design's place in the order the method asked
    std::vector<double> design;       // in the order of the study's variables
    std::vector<double> values;       // in the order of the study's responses
    std::string status = kOk;
    std::string detail;
    double wallSeconds = 0.0;
    std::string where;                // host name, or the Slurm job id

    bool succeeded() const { return status == kOk; }
};

}  // namespace Cli
}  // namespace Opt
