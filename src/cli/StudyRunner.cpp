#include "cli/StudyRunner.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <iostream>
#include <limits>
#include <random>

#include "zelkor.h"
#include "cli/ParametersFile.h"
#include "cli/ProcessRunner.h"

namespace Opt {
namespace Cli {

namespace fs = std::filesystem;

namespace {

// Returning from the handler makes the failed surrogate call throw, which the
// runner catches, rather than the library ending the process.
void keepRunningOnFatalError(const char*) {}

const char* statusWord(int status)
{
    switch (status) {
    case ZELKOR_STATUS_OK: return "feasible optimum";
    case ZELKOR_STATUS_INFEASIBLE: return "infeasible final design";
    case ZELKOR_STATUS_INVALID_INPUT: return "rejected input";
    case ZELKOR_STATUS_ENGINE_ERROR: return "engine error";
    case ZELKOR_STATUS_HOST_EXCEPTION: return "stopped by an error of the run";
    case ZELKOR_STATUS_BUDGET_REACHED: return "feasible, evaluation budget reached";
    default: return "unknown status";
    }
}

// The library's responses (objective first, then g <= 0) of a design that is
// an answer: a finite objective and every limit met.
bool meetsEveryLimit(const std::vector<double>& values)
{
    return !values.empty() && std::isfinite(values.front()) &&
           std::all_of(values.begin() + 1, values.end(), [](double g) { return g <= 0.0; });
}

}  // namespace

StudyRunner::StudyRunner(const Study& study, const RunOptions& options)
    : study_(study), options_(options)
{
}

StudyRunner::~StudyRunner() = default;

std::string StudyRunner::inStudyFolder(const std::string& path) const
{
    return (fs::path(study_.folder) / path).lexically_normal().string();
}

bool StudyRunner::usesSeed() const
{
    const MethodCall::Kind kind = study_.method.kind;
    return kind == MethodCall::Kind::Ga || kind == MethodCall::Kind::MicroGa ||
           kind == MethodCall::Kind::HybridGa;
}

void StudyRunner::prepareLog()
{
    const std::string path = inStudyFolder(study_.logFile);
    fs::create_directories(fs::path(path).parent_path());
    if (!study_.reportFile.empty()) {
        fs::create_directories(fs::path(inStudyFolder(study_.reportFile)).parent_path());
    }
    EvaluationLog::Contents contents;
    if (options_.resume && fs::exists(path)) {
        contents = EvaluationLog::load(path, study_);
    } else if (options_.resume) {
        std::fprintf(stderr, "zelkor: no log %s to resume from; starting afresh\n", path.c_str());
    }
    seed_ = study_.method.seed ? study_.method.seed : contents.seed;
    if (usesSeed() && !seed_) {
        seed_ = static_cast<int>(std::random_device{}() % 1000000000u);
    }
    log_.create(path, study_, usesSeed() ? seed_ : std::nullopt);
    std::sort(contents.evaluations.begin(), contents.evaluations.end(),
              [](const Evaluation& a, const Evaluation& b) { return a.index < b.index; });
    for (const Evaluation& evaluation : contents.evaluations) {
        log_.append(evaluation);
        known_[keyOf(evaluation.design)].toReplay.push_back(evaluation);
        ++evaluationsKept_;
        failuresKept_ += evaluation.succeeded() ? 0 : 1;
    }
}

int StudyRunner::run()
{
    // Interrupts are caught from here on: one during the log's rewrite below
    // stops the run after it, not halfway through the rows.
    ProcessRunner::catchInterrupts();
    try {
        prepareLog();
    } catch (const std::exception& error) {
        std::fprintf(stderr, "zelkor: %s\n", error.what());
        return kError;
    }
    if (seed_) {
        zelkorSetSeed(*seed_);
    }
    const int jobs = options_.jobs.value_or(study_.jobs);
    progress_ = std::make_unique<ProgressLine>(study_.method.evaluationBudget,
                                               ProcessRunner::isTerminal(2));
    runner_ = std::make_unique<EvaluationRunner>(
        study_, jobs, [this](const Evaluation& e, int running) { recordFinished(e, running); });
    zelkorSetFatalHandler(keepRunningOnFatalError);

    std::vector<double> x;
    for (const Variable& variable : study_.variables) {
        x.push_back(variable.start);
    }
    std::vector<double> f(static_cast<std::size_t>(study_.libraryResponseCount()), 0.0);
    const int result = callLibrary(x, f);
    progress_->close();
    if (ProcessRunner::interrupted()) {
        std::fprintf(stderr,
                     "zelkor: interrupted; %d evaluations kept in %s, continue with --resume\n",
                     evaluationsKept_, inStudyFolder(study_.logFile).c_str());
        return kInterrupted;
    }
    return finish(result, x, f);
}

// The report goes to the report file for the library call only, so that the
// summary and any message of ours stay on the real standard output.
int StudyRunner::callLibrary(std::vector<double>& x, std::vector<double>& f)
{
    std::string error;
    int savedStdout = -1;
    if (!study_.reportFile.empty()) {
        savedStdout = ProcessRunner::redirectStandardOutput(inStudyFolder(study_.reportFile), error);
        if (savedStdout < 0) {
            std::fprintf(stderr, "zelkor: cannot write the report file %s: %s\n",
                         inStudyFolder(study_.reportFile).c_str(), error.c_str());
            return -1;
        }
    }
    int result = -1;
    try {
        result = study_.method.kind == MethodCall::Kind::SurrogateStudy ? callSurrogateStudy(x, f)
                                                                        : callMethod(x, f);
    } catch (const Interrupted&) {
        result = -1;
    } catch (const std::exception& failure) {
        error = failure.what();
    }
    std::cout.flush();
    ProcessRunner::restoreStandardOutput(savedStdout);
    if (!error.empty()) {
        std::fprintf(stderr, "zelkor: the study stopped: %s\n", error.c_str());
    }
    return error.empty() ? result : -1;
}

int StudyRunner::callMethod(std::vector<double>& x, std::vector<double>& f)
{
    const std::vector<std::vector<double>> bounds = study_.boundLists();
    std::vector<int> ints = study_.method.ints;
    std::vector<double> reals = study_.method.reals;
    ints.resize(20, -999);
    reals.resize(20, -999.0);
    ZelkorBatchCounts counts{};
    return ZelkorBatchVector(study_.method.zelkorMethod, study_.reportLevel, &onVectorBatch, this,
                             0, &x, &bounds, &f, ints.data(), reals.data(), nullptr, &counts);
}

int StudyRunner::callSurrogateStudy(std::vector<double>& x, std::vector<double>& f)
{
    std::vector<double> boundLists;
    std::vector<int> listLengths;
    for (const std::vector<double>& list : study_.boundLists()) {
        boundLists.insert(boundLists.end(), list.begin(), list.end());
        listLengths.push_back(static_cast<int>(list.size()));
    }
    const MethodCall& method = study_.method;
    const std::string modelFile = method.modelFile.empty() ? "" : inStudyFolder(method.modelFile);
    return runRSMOPTBatch(&onRowBatch, this, 0, static_cast<int>(x.size()),
                          static_cast<int>(f.size()), x.data(), f.data(), boundLists.data(),
                          listLengths.data(), method.designSettings.data(),
                          method.modelSettings.empty() ? nullptr : method.modelSettings.data(),
                          method.searchSettings.empty() ? nullptr : method.searchSettings.data(),
                          modelFile.empty() ? nullptr : modelFile.c_str(), study_.reportLevel);
}

void StudyRunner::onVectorBatch(const std::vector<std::vector<double>>* designs,
                                std::vector<std::vector<double>>* responses, void* user)
{
    static_cast<StudyRunner*>(user)->evaluateBatch(*designs, *responses);
}

void StudyRunner::onRowBatch(int count, const double* designs, double* responses, void* user)
{
    auto* runner = static_cast<StudyRunner*>(user);
    const std::size_t n = runner->study_.variables.size();
    const std::size_t m = static_cast<std::size_t>(runner->study_.libraryResponseCount());
    std::vector<std::vector<double>> designRows;
    std::vector<std::vector<double>> responseRows(static_cast<std::size_t>(count),
                                                  std::vector<double>(m));
    for (int k = 0; k < count; ++k) {
        designRows.emplace_back(designs + k * n, designs + (k + 1) * n);
    }
    runner->evaluateBatch(designRows, responseRows);
    for (int k = 0; k < count; ++k) {
        std::copy(responseRows[k].begin(), responseRows[k].end(), responses + k * m);
    }
}

void StudyRunner::evaluateBatch(const std::vector<std::vector<double>>& designs,
                                std::vector<std::vector<double>>& responses)
{
    std::vector<std::optional<Evaluation>> answers(designs.size());
    // A design asked for twice in one batch is answered once: its later requests
    // take the first one's answer and never draw on the log, whose rows belong to
    // later requests of that design.
    std::map<DesignKey, std::size_t> firstRequest;
    std::vector<std::size_t> answeredBy(designs.size());
    std::vector<Evaluation> pending;
    for (std::size_t k = 0; k < designs.size(); ++k) {
        const int index = nextIndex_++;
        const DesignKey key = keyOf(designs[k]);
        const auto [first, isFirst] = firstRequest.emplace(key, k);
        answeredBy[k] = first->second;
        if (!isFirst) {
            ++answeredFromRecord_;
            continue;
        }
        answers[k] = recordedAnswer(known_[key]);
        if (answers[k]) {
            ++answeredFromRecord_;
            progress_->answeredFromLog(!answers[k]->succeeded(), feasibleObjective(*answers[k]));
            continue;
        }
        Evaluation evaluation;
        evaluation.index = index;
        evaluation.design = designs[k];
        pending.push_back(evaluation);
    }
    if (!pending.empty()) {
        runner_->run(pending);
    }
    for (std::size_t k = 0; k < designs.size(); ++k) {
        const std::optional<Evaluation>& recorded = answers[answeredBy[k]];
        const Evaluation& answer = recorded ? *recorded : *known_.at(keyOf(designs[k])).latest;
        const std::vector<double> values = libraryValues(answer);
        std::copy(values.begin(), values.end(), responses[k].begin());
    }
}

std::optional<Evaluation> StudyRunner::recordedAnswer(DesignRecord& record)
{
    if (!record.toReplay.empty()) {
        Evaluation replayed = record.toReplay.front();
        record.toReplay.pop_front();
        record.latest = replayed;
        if (replayed.succeeded()) {
            record.success = replayed;
        }
        return replayed;
    }
    return record.success;
}

void StudyRunner::recordFinished(const Evaluation& evaluation, int running)
{
    log_.append(evaluation);
    DesignRecord& record = known_[keyOf(evaluation.design)];
    record.latest = evaluation;
    if (evaluation.succeeded()) {
        record.success = evaluation;
    }
    ++ranHere_;
    ++evaluationsKept_;
    failuresKept_ += evaluation.succeeded() ? 0 : 1;
    progress_->finished(!evaluation.succeeded(), feasibleObjective(evaluation), running);
}

// A failed evaluation reaches the method as NaN in every response: each of the
// library's methods takes that as a failed design (ranked last by DIRECT and
// the GAs, stepped back from by the SQP and the SAO, replaced before a fit by
// the surrogate study) and goes on.
std::vector<double> StudyRunner::libraryValues(const Evaluation& evaluation) const
{
    if (!evaluation.succeeded()) {
        return std::vector<double>(static_cast<std::size_t>(study_.libraryResponseCount()),
                                   std::numeric_limits<double>::quiet_NaN());
    }
    return study_.libraryResponses(evaluation.values);
}

std::optional<double> StudyRunner::feasibleObjective(const Evaluation& evaluation) const
{
    if (!evaluation.succeeded()) {
        return std::nullopt;
    }
    if (!meetsEveryLimit(study_.libraryResponses(evaluation.values))) {
        return std::nullopt;
    }
    for (std::size_t j = 0; j < study_.responses.size(); ++j) {
        if (study_.responses[j].role == Response::Role::Objective) {
            return evaluation.values[j];
        }
    }
    return std::nullopt;
}

StudyRunner::DesignKey StudyRunner::keyOf(const std::vector<double>& design)
{
    DesignKey key(design.size());
    for (std::size_t i = 0; i < design.size(); ++i) {
        std::memcpy(&key[i], &design[i], sizeof(double));
    }
    return key;
}

int StudyRunner::finish(int result, const std::vector<double>& x, const std::vector<double>& f)
{
    if (result < 0) {
        return kError;
    }
    const int status = zelkorLastStatus();
    printResult(status, x, f);
    if (failuresKept_ > 0 && failuresKept_ == evaluationsKept_) {
        std::fprintf(stderr, "zelkor: every evaluation failed; the log's status and detail "
                             "columns say why\n");
        return kError;
    }
    if (status == ZELKOR_STATUS_INVALID_INPUT || status == ZELKOR_STATUS_HOST_EXCEPTION ||
        status == ZELKOR_STATUS_ENGINE_ERROR) {
        return kError;
    }
    // The exit status judges the returned design by its responses: the micro-GA's
    // own flag can call a feasible design infeasible (its elite keeps a stale
    // constraint record under the penalty ranking).
    const bool limitsHold = meetsEveryLimit(f);
    if (limitsHold != (result == 1)) {
        std::printf("zelkor: by its responses the design %s; the exit status follows the "
                    "responses\n", limitsHold ? "meets every limit" : "failed or misses a limit");
    }
    return limitsHold ? kFeasible : kInfeasible;
}

void StudyRunner::printResult(int status, const std::vector<double>& x,
                              const std::vector<double>& f) const
{
    const std::string message = zelkorLastMessage();
    std::printf("zelkor: %s finished: %s%s\n", study_.method.name.c_str(), statusWord(status),
                message.empty() ? "" : (" (" + message + ")").c_str());
    std::printf("design:");
    for (std::size_t i = 0; i < x.size(); ++i) {
        std::printf("  %s = %s", study_.variables[i].name.c_str(), exactText(x[i]).c_str());
    }
    std::printf("\nresponses:");
    const auto known = known_.find(keyOf(x));
    if (known != known_.end() && known->second.latest) {
        const Evaluation& final = known->second.success ? *known->second.success
                                                        : *known->second.latest;
        for (std::size_t j = 0; j < study_.responses.size(); ++j) {
            std::printf("  %s = %.10g", study_.responses[j].name.c_str(), final.values[j]);
        }
    } else {
        for (double value : f) {
            std::printf("  %.10g", value);  // the library's values: no evaluation of ours matched
        }
    }
    std::printf("\nevaluations: %d run now, %d answered from the log or repeated; the log holds "
                "%d, %d of them failed\n",
                ranHere_, answeredFromRecord_, evaluationsKept_, failuresKept_);
    std::printf("log: %s\n", inStudyFolder(study_.logFile).c_str());
    if (!study_.reportFile.empty()) {
        std::printf("report: %s\n", inStudyFolder(study_.reportFile).c_str());
    }
}

}  // namespace Cli
}  // namespace Opt
