// Runs the analysis at a list of designs with at most `jobs` analyses at once:
// prepares each working directory (parameters file written, old results
// removed), launches the analysis, and turns its end into an Evaluation, a
// failure being one with a status. Ctrl-C stops launching, kills the running
// analyses (cancelling their Slurm jobs) and throws Interrupted; the
// evaluations that ended before it have been handed to onFinished already.
#pragma once

#include <functional>
#include <map>
#include <vector>

#include "cli/AnalysisCommand.h"
#include "cli/Evaluation.h"
#include "cli/Interrupted.h"
#include "cli/ProcessRunner.h"
#include "cli/Study.h"

namespace Opt {
namespace Cli {

class EvaluationRunner {
public:
    using FinishedHandler = std::function<void(const Evaluation&, int stillRunning)>;

    EvaluationRunner(const Study& study, int jobs, FinishedHandler onFinished);

    // pending: index and design filled in; returns them with the outcomes.
    std::vector<Evaluation> run(std::vector<Evaluation> pending);

private:
    const Study& study_;
    int jobs_;
    FinishedHandler onFinished_;
    AnalysisCommand command_;
    ProcessRunner processes_;

    int launch(const Evaluation& evaluation, std::string& directory);
    void complete(Evaluation& evaluation, const std::string& directory,
                  const ProcessOutcome& outcome);
    void readResponses(Evaluation& evaluation, const std::string& directory);
    // running: index -> working directory of the analyses still running.
    void stopAll(const std::map<int, std::string>& running);
    static std::string lastLineOf(const std::string& path);
};

}  // namespace Cli
}  // namespace Opt
