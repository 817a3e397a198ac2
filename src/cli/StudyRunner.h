// Runs a study: the method of the library asks for designs in batches
// (ZelkorBatchVector, or runRSMOPTBatch for the surrogate study); each batch's
// new designs go to the analysis program, at most `jobs` at once; every
// evaluation is logged as it ends.
//
// Designs are matched bit for bit. A design that succeeded once is answered
// from that evaluation when asked again: the analysis is taken to be
// deterministic. A design that only failed is run again when asked again, as
// a method asks again to retry (the SQP retries a failed start), and a failure
// may be passing (a busy cluster). With --resume the log's evaluations are
// replayed first, each design's in the order they were asked for, so that the
// resumed run sees exactly the answers of the interrupted one and runs no
// analysis that ended before.
//
// The library's run report (printed on standard output at the study's report
// level) goes to the study's report file; the status line goes to standard
// error; the result goes to standard output once the run is over.
#pragma once

#include <deque>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "cli/Evaluation.h"
#include "cli/EvaluationLog.h"
#include "cli/EvaluationRunner.h"
#include "cli/ProgressLine.h"
#include "cli/Study.h"

namespace Opt {
namespace Cli {

struct RunOptions {
    std::optional<int> jobs;   // the command line's --jobs; else the study's
    bool resume = false;
};

class StudyRunner {
public:
    // Exit statuses of `zelkor run`.
    enum ExitStatus { kFeasible = 0, kError = 1, kInfeasible = 2, kInterrupted = 130 };

    StudyRunner(const Study& study, const RunOptions& options);
    ~StudyRunner();
    int run();

private:
    using DesignKey = std::vector<unsigned long long>;
    // What is known of one design: logged evaluations still to replay, its
    // successful evaluation, its latest.
    struct DesignRecord {
        std::deque<Evaluation> toReplay;
        std::optional<Evaluation> success;
        std::optional<Evaluation> latest;
    };

    const Study& study_;
    RunOptions options_;
    std::map<DesignKey, DesignRecord> known_;
    EvaluationLog log_;
    std::unique_ptr<ProgressLine> progress_;
    std::unique_ptr<EvaluationRunner> runner_;
    int nextIndex_ = 0;
    int ranHere_ = 0;
    int answeredFromRecord_ = 0;
    int evaluationsKept_ = 0;
    int failuresKept_ = 0;
    std::optional<int> seed_;

    std::string inStudyFolder(const std::string& path) const;
    void prepareLog();
    bool usesSeed() const;
    int callLibrary(std::vector<double>& x, std::vector<double>& f);
    int callMethod(std::vector<double>& x, std::vector<double>& f);
    int callSurrogateStudy(std::vector<double>& x, std::vector<double>& f);
    int finish(int result, const std::vector<double>& x, const std::vector<double>& f);
    void printResult(int status, const std::vector<double>& x, const std::vector<double>& f) const;

    void evaluateBatch(const std::vector<std::vector<double>>& designs,
                       std::vector<std::vector<double>>& responses);
    void recordFinished(const Evaluation& evaluation, int running);
    std::optional<Evaluation> recordedAnswer(DesignRecord& record);
    std::vector<double> libraryValues(const Evaluation& evaluation) const;
    std::optional<double> feasibleObjective(const Evaluation& evaluation) const;

    static DesignKey keyOf(const std::vector<double>& design);
    static void onVectorBatch(const std::vector<std::vector<double>>* designs,
                              std::vector<std::vector<double>>* responses, void* user);
    static void onRowBatch(int count, const double* designs, double* responses, void* user);
};

}  // namespace Cli
}  // namespace Opt
