// runRSMOPT: a whole surrogate study for a C host (ours). It builds a data set
// from plain arrays, runs the study engine in data-set mode (sampling through
// the host's callback, fitting, the search on the surrogates, one host
// evaluation of the surrogate optimum) and hands back the verified design.
#include "api/zelkor.h"

#include <algorithm>
#include <cmath>
#include <exception>
#include <stdexcept>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "api/BatchedEvaluation.h"
#include "api/EntryPointGuard.h"
#include "api/FlatInput.h"
#include "api/LastStatus.h"
#include "direct/DIRECTParameter.h"
#include "ga/GAParameter.h"

namespace Opt {

namespace {

constexpr const char* kName = "runRSMOPT";
constexpr int kStudyType = 8;
constexpr int kStoredStudyType = 9;
constexpr int kGeneticSearch = 2;
constexpr int kDirectSearch = 0;
constexpr int kDirectIterationsIndex = 3;
constexpr int kDirectEvaluationsIndex = 4;
constexpr int kGeneticEvaluationsIndex = 6;
constexpr int kUnset = -999;
constexpr double kFeasibilityFirst = -1.0;

struct StudyArguments {
    ResponseCallback evaluate; // null when the study runs batched
    BatchCallback evaluateBatch;
    void* user;
    int batchLimit;
    int n;
    int m;
    double* x;
    double* f;
    std::vector<std::vector<double>> bounds;
    const int* designSettings;
    const int* modelSettings;
    const int* searchSettings;
    const char* modelFile;
    int reportLevel;
};

std::shared_ptr<ResponseDefinition> definitionOf(int id, const int* modelSettings)
{
    auto definition = std::make_shared<ResponseDefinition>();
    if (id > 0) {
        definition->kind = 1;
        definition->upper = 0.0;
    }
    if (modelSettings != nullptr) {
        definition->surrogate.modelType = modelSettings[2 * id];
        definition->surrogate.option = modelSettings[2 * id + 1];
    }
    return definition;
}

// The inner search's settings: the genetic algorithm with feasibility-first
// ranking (the default: it needs no penalty factor matched to the scale of the
// constraints) or DIRECT, with the budget of surrogate evaluations when one is
// given.
void setSearch(DataSet& dataSet, const int* searchSettings)
{
    const int method = searchSettings == nullptr ? kGeneticSearch : searchSettings[0];
    const int budget = searchSettings == nullptr ? 0 : searchSettings[1];
    SearchSettings settings;
    if (method == kGeneticSearch) {
        settings.ints.assign(GAParameter::kIntCount, kUnset);
        settings.reals = {kFeasibilityFirst};
        if (budget > 0) {
            settings.ints[kGeneticEvaluationsIndex] = budget;
        }
        dataSet.gaSearchSettings.push_back(settings);
        return;
    }
    if (method != kDirectSearch) {
        std::ostringstream text;
        text << "searchSettings[0] = " << method << " (0 DIRECT or 2 genetic algorithm)";
        FlatInput::reject(text);
    }
    settings.ints.assign(DIRECTParameter::kIntCount, 0);
    settings.ints[kDirectIterationsIndex] = DIRECTParameter::kIterationCap;
    if (budget > 0) {
        settings.ints[kDirectEvaluationsIndex] = budget;
    }
    dataSet.directSearchSettings.push_back(settings);
}

std::shared_ptr<DataSet> studyDataSet(const StudyArguments& in)
{
    auto dataSet = std::make_shared<DataSet>();
    for (int id = 0; id < in.m; ++id) {
        dataSet->responses[id] = definitionOf(id, in.modelSettings);
    }
    dataSet->designValues.assign(in.x, in.x + in.n);
    dataSet->bounds = in.bounds;
    dataSet->engineType = in.modelFile != nullptr && *in.modelFile != '\0' ? kStoredStudyType
                                                                            : kStudyType;
    if (in.modelFile != nullptr) {
        dataSet->modelFile = in.modelFile;
    }
    for (int k = 0; k < 4; ++k) {
        dataSet->designSettings[static_cast<std::size_t>(k)] = in.designSettings[k];
    }
    const int* search = in.searchSettings;
    dataSet->threadCount = search != nullptr && search[2] > 0 ? search[2] : 1;
    dataSet->fixedSeed = search == nullptr || search[3] != 0;
    dataSet->showProgress = in.reportLevel >= 1;
    setSearch(*dataSet, search);
    return dataSet;
}

// The largest constraint violation of responses f (0 when every constraint
// holds; infinite for a non-finite value or objective).
double largestViolation(const std::vector<double>& f)
{
    double largest = std::isfinite(f[0]) ? 0.0 : HUGE_VAL;
    for (std::size_t j = 1; j < f.size(); ++j) {
        largest = std::isfinite(f[j]) ? std::max(largest, f[j]) : HUGE_VAL;
    }
    return largest;
}

// One evaluated design and the host's responses there.
struct Evaluated {
    std::vector<double> design;
    std::vector<double> responses;

    // Feasible before infeasible, then the lower objective; among infeasible
    // designs the smaller largest violation.
    bool betterThan(const Evaluated& other) const
    {
        const double violation = largestViolation(responses);
        const double otherViolation = largestViolation(other.responses);
        if (violation == 0.0 && otherViolation == 0.0) {
            return responses[0] < other.responses[0];
        }
        return violation < otherViolation;
    }
};

// Has the host evaluate the design the study published, alone or, batched,
// from the batch it belongs to, and hands the responses to the study.
Evaluated callHost(const StudyArguments& in, DataSet& dataSet, const OptEngine& engine,
                   BatchedEvaluation* batched)
{
    Evaluated evaluated{dataSet.designValues, {}};
    std::vector<double> design = evaluated.design;
    try {
        if (batched != nullptr) {
            batched->serve(engine, design.data(), in.f);
        } else {
            in.evaluate(design.data(), in.n, in.f, in.m);
        }
    } catch (const LookAheadDefect&) {
        throw;
    } catch (const std::exception& error) {
        throw HostCallbackFailure{error.what()};
    } catch (...) {
        throw HostCallbackFailure{"the response callback threw an unknown exception"};
    }
    for (int id = 0; id < in.m; ++id) {
        dataSet.responses[id]->value = in.f[id];
    }
    evaluated.responses.assign(in.f, in.f + in.m);
    return evaluated;
}

std::unique_ptr<BatchedEvaluation> batchedHost(const StudyArguments& in)
{
    if (in.evaluateBatch == nullptr) {
        return nullptr;
    }
    return std::make_unique<BatchedEvaluation>(
        in.n, in.m, in.batchLimit, [&in](int count, const double* designs, double* responses) {
            in.evaluateBatch(count, designs, responses, in.user);
        });
}

int runStudy(const StudyArguments& in)
{
    const auto dataSet = studyDataSet(in);
    std::unique_ptr<OptEngineMain> built;
    try {
        built = std::make_unique<OptEngineMain>(dataSet);
    } catch (const std::invalid_argument& settings) {
        return rejectArgument(kName, settings.what());
    }
    OptEngineMain& session = *built;
    if (session.engine == nullptr) {
        return rejectArgument(kName, "the study could not be built from these settings");
    }
    const auto batched = batchedHost(in);
    Evaluated last;
    Evaluated bestSampled;
    int code = 0;
    do {
        code = session.runOptEngine(nullptr, nullptr, nullptr);
        if (code == 1) {
            if (!last.design.empty() && (bestSampled.design.empty() || last.betterThan(bestSampled))) {
                bestSampled = last;
            }
            last = callHost(in, *dataSet, *session.engine, batched.get());
        }
    } while (code == 1 || code == 2 || code == 3);
    if (batched != nullptr) {
        batched->finish(*session.engine);
    }
    if (code != 0) {
        LastStatus::set(ZELKOR_STATUS_ENGINE_ERROR, std::string(kName) + ": the study stopped on an error");
        return 0;
    }
    // The last evaluation is the host's at the surrogate optimum, which the
    // finished study publishes as its design; a sampled design that beats it
    // is returned instead.
    const Evaluated& chosen =
        !bestSampled.design.empty() && bestSampled.betterThan(last) ? bestSampled : last;
    std::copy(chosen.design.begin(), chosen.design.end(), in.x);
    std::copy(chosen.responses.begin(), chosen.responses.end(), in.f);
    const bool ok = largestViolation(chosen.responses) == 0.0;
    LastStatus::set(ok ? ZELKOR_STATUS_OK : ZELKOR_STATUS_INFEASIBLE,
                    ok ? std::string() : std::string(kName) + ": the verified design violates a constraint");
    return ok ? 1 : 0;
}

} // namespace

} // namespace Opt

namespace Opt {
namespace {

int startStudy(StudyArguments in, const double* boundLists, const int* listLengths)
{
    return guardEntryPoint(kName, 0, [&] {
        try {
            if ((in.evaluate == nullptr && in.evaluateBatch == nullptr) || in.x == nullptr ||
                in.f == nullptr || in.designSettings == nullptr) {
                return rejectArgument(kName, "the callback, x, f and designSettings must not be null");
            }
            if (in.m < 1) {
                return rejectArgument(kName, "m = " + std::to_string(in.m) + " (the objective is needed)");
            }
            if (in.batchLimit < 0) {
                return rejectArgument(kName, "batchLimit = " + std::to_string(in.batchLimit) +
                                                 " (0 for no limit, or at least 1)");
            }
            in.bounds = FlatInput::checkedListsFromFlat(in.n, boundLists, listLengths);
            if (rejectProblem(kName, in.n, in.m, std::vector<double>(in.x, in.x + in.n), in.bounds)) {
                return 0;
            }
            return runStudy(in);
        } catch (const FlatInput::InconsistentInput& input) {
            return rejectArgument(kName, input.message);
        }
    });
}

} // namespace
} // namespace Opt

extern "C" ZELKOR_API int runRSMOPT(ResponseCallback evaluate, int n, int m, double* x, double* f,
                                    const double* boundLists, const int* listLengths,
                                    const int* designSettings, const int* modelSettings,
                                    const int* searchSettings, const char* modelFile,
                                    int reportLevel)
{
    return Opt::startStudy({evaluate, nullptr, nullptr, 0, n, m, x, f, {}, designSettings,
                            modelSettings, searchSettings, modelFile, reportLevel},
                           boundLists, listLengths);
}

extern "C" ZELKOR_API int runRSMOPTBatch(BatchCallback evaluateBatch, void* user, int batchLimit,
                                         int n, int m, double* x, double* f,
                                         const double* boundLists, const int* listLengths,
                                         const int* designSettings, const int* modelSettings,
                                         const int* searchSettings, const char* modelFile,
                                         int reportLevel)
{
    return Opt::startStudy({nullptr, evaluateBatch, user, batchLimit, n, m, x, f, {},
                            designSettings, modelSettings, searchSettings, modelFile, reportLevel},
                           boundLists, listLengths);
}
