// runRELSTUDY: a whole reliability study for a C host (ours), and
// runRELANAL_LEM, the same study of one response, a slope's factor of safety,
// which fails below a given factor. Each builds the
// reliability analysis (engine type 10) in host-array mode, hands it the random
// inputs, drives it through the host's callback for the design of experiments
// and copies the statistics and failure probabilities out.
#include "api/zelkor.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "api/EntryPointGuard.h"
#include "api/FlatInput.h"
#include "api/LastStatus.h"
#include "reliability/ReliabilityAnalysis.h"

namespace Opt {

namespace {

constexpr double kNotRandom = 9.0;
constexpr int kFinished = 0;
constexpr int kEvaluate = 1;

struct StudyInput {
    ResponseCallback evaluate;
    int n;
    int m;
    std::vector<double> x;
    std::vector<std::vector<double>> bounds;
    std::vector<std::array<double, 6>> rows;
    std::vector<double> correlation;
    std::vector<int> ints;
    std::optional<double> objectiveFailsBelow; // the objective fails below this value
};

std::vector<std::array<double, 6>> inputRows(int n, const double* rows, const int* randomFlags)
{
    std::vector<std::array<double, 6>> result(static_cast<std::size_t>(n));
    for (int i = 0; i < n; ++i) {
        std::copy(rows + 6 * i, rows + 6 * i + 6, result[static_cast<std::size_t>(i)].begin());
        if (randomFlags != nullptr && randomFlags[i] == 0) {
            result[static_cast<std::size_t>(i)][0] = kNotRandom;
        }
    }
    return result;
}

int randomCount(const std::vector<std::array<double, 6>>& rows)
{
    int count = 0;
    for (const auto& row : rows) {
        count += row[0] >= 0.0 && row[0] < kNotRandom ? 1 : 0;
    }
    return count;
}

void copyResults(const ReliabilityAnalysis& analysis, double* statistics, double* correlations,
                 double* failureProbability, double* standardError)
{
    const auto& stats = analysis.statistics();
    for (std::size_t j = 0; j < stats.size(); ++j) {
        const auto& failure = analysis.failures()[j];
        if (failureProbability != nullptr) {
            failureProbability[j] = failure.probability;
        }
        if (standardError != nullptr) {
            standardError[j] = failure.standardError;
        }
        if (statistics == nullptr) {
            continue;
        }
        const ResponseStatistics& s = stats[j];
        double* out = statistics + j * ZELKOR_RELIABILITY_LENGTH;
        out = std::copy(s.orderStatistics.begin(), s.orderStatistics.end(), out);
        *out++ = s.mean;
        *out++ = s.standardDeviation;
        *out++ = s.skewness;
        *out++ = s.kurtosis;
        out = std::copy(s.weightedSums.begin(), s.weightedSums.end(), out);
        out = std::copy(s.fittedParameters.begin(), s.fittedParameters.end(), out);
        out = std::copy(s.fitDistances.begin(), s.fitDistances.end(), out);
        *out++ = s.bestType;
        *out++ = failure.probability;
        *out = failure.standardError;
    }
    if (correlations != nullptr) {
        std::copy(analysis.correlations().begin(), analysis.correlations().end(), correlations);
    }
}

struct StudyOutputs {
    double* statistics;
    double* correlations;
    double* failureProbability;
    double* standardError;
};

int runStudy(const char* name, StudyInput& in, const char* resultFile, const StudyOutputs& out)
{
    OptEngineMain session(in.n, in.m, in.x, in.bounds, nullptr, in.ints.data(),
                          ReliabilityAnalysis::kEngineType, 0);
    auto* analysis = dynamic_cast<ReliabilityAnalysis*>(session.engine.get());
    if (analysis == nullptr) {
        return rejectSettings(name);
    }
    analysis->setRandomInputs(in.rows, in.correlation);
    if (in.objectiveFailsBelow) {
        analysis->setFailureBelow(0, *in.objectiveFailsBelow);
    }
    if (resultFile != nullptr && *resultFile != '\0') {
        analysis->setResultFile(resultFile);
    }
    std::vector<double> x = in.x;
    std::vector<double> f(static_cast<std::size_t>(in.m), 0.0);
    int code = kEvaluate;
    do {
        code = session.runOptEngine(x.data(), f.data(), nullptr);
        if (code == kEvaluate) {
            in.evaluate(x.data(), in.n, f.data(), in.m);
        }
    } while (code > kFinished);
    if (code != kFinished) {
        LastStatus::set(ZELKOR_STATUS_ENGINE_ERROR, std::string(name) + ": the study stopped on an error");
        return 0;
    }
    copyResults(*analysis, out.statistics, out.correlations, out.failureProbability,
                out.standardError);
    LastStatus::set(ZELKOR_STATUS_OK);
    return 1;
}

// The host's arrays of a study, as the exported functions take them.
struct StudyArguments {
    ResponseCallback evaluate;
    int n;
    int m;
    const double* x;
    const double* boundLists;
    const int* listLengths;
    const double* inputRows;
    const int* randomFlags;
    const double* correlation;
    const int* designSettings;
    int modelType;
    const int* reliabilitySettings;
    std::optional<double> objectiveFailsBelow;
};

// Checks the arguments, builds the study's input and runs it; bad input is
// rejected with a line naming it.
int checkedStudy(const char* name, const StudyArguments& a, const char* resultFile,
                 const StudyOutputs& out)
{
    try {
        if (a.evaluate == nullptr || a.x == nullptr || a.inputRows == nullptr ||
            a.designSettings == nullptr) {
            return rejectArgument(name, "evaluate, x, inputRows and designSettings must not be null");
        }
        if (a.m < 1) {
            return rejectArgument(name, "m = " + std::to_string(a.m) + " (at least one response)");
        }
        auto bounds = FlatInput::checkedListsFromFlat(a.n, a.boundLists, a.listLengths);
        if (rejectProblem(name, a.n, a.m, std::vector<double>(a.x, a.x + a.n), bounds)) {
            return 0;
        }
        StudyInput in{a.evaluate, a.n, a.m, std::vector<double>(a.x, a.x + a.n), std::move(bounds),
                      Opt::inputRows(a.n, a.inputRows, a.randomFlags), {}, {},
                      a.objectiveFailsBelow};
        const int r = randomCount(in.rows);
        if (a.correlation != nullptr) {
            in.correlation.assign(a.correlation, a.correlation + r * r);
        }
        in.ints.assign(ReliabilityAnalysis::kHostIntCount, -1);
        for (int k = 0; a.reliabilitySettings != nullptr && k < ReliabilityParameter::kIntCount; ++k) {
            in.ints[static_cast<std::size_t>(k)] = a.reliabilitySettings[k];
        }
        std::copy(a.designSettings, a.designSettings + 4, in.ints.begin() + 5);
        in.ints[9] = a.modelType;
        return runStudy(name, in, resultFile, out);
    } catch (const FlatInput::InconsistentInput& input) {
        return rejectArgument(name, input.message);
    } catch (const std::invalid_argument& bad) {
        return rejectArgument(name, bad.what());
    }
}

} // namespace

} // namespace Opt

extern "C" ZELKOR_API int runRELSTUDY(ResponseCallback evaluate, int n, int m, const double* x,
                                      const double* boundLists, const int* listLengths,
                                      const double* inputRows, const int* randomFlags,
                                      const double* correlation, const int* designSettings,
                                      int modelType, const int* reliabilitySettings,
                                      const char* resultFile, double* statistics,
                                      double* correlations, double* failureProbability,
                                      double* standardError)
{
    using namespace Opt;
    constexpr const char* kName = "runRELSTUDY";
    return guardEntryPoint(kName, 0, [&] {
        const StudyArguments arguments{evaluate,    n,           m,          x,
                                       boundLists,  listLengths, inputRows,  randomFlags,
                                       correlation, designSettings, modelType,
                                       reliabilitySettings, std::nullopt};
        return checkedStudy(kName, arguments, resultFile,
                            {statistics, correlations, failureProbability, standardError});
    });
}

extern "C" ZELKOR_API int runRELANAL_LEM(ResponseCallback evaluate, int n, const double* x,
                                         const double* boundLists, const int* listLengths,
                                         const double* inputRows, const int* randomFlags,
                                         const double* correlation, const int* designSettings,
                                         int modelType, const int* reliabilitySettings,
                                         double failureFactor, const char* resultFile,
                                         double* statistics, double* failureProbability,
                                         double* standardError)
{
    using namespace Opt;
    constexpr const char* kName = "runRELANAL_LEM";
    constexpr int kOneResponse = 1;
    return guardEntryPoint(kName, 0, [&] {
        if (!(failureFactor > 0.0) || !std::isfinite(failureFactor)) {
            return rejectArgument(kName, "failureFactor = " + std::to_string(failureFactor) +
                                             " (a finite factor of safety above 0)");
        }
        const StudyArguments arguments{evaluate,    n,           kOneResponse, x,
                                       boundLists,  listLengths, inputRows,    randomFlags,
                                       correlation, designSettings, modelType,
                                       reliabilitySettings, failureFactor};
        return checkedStudy(kName, arguments, resultFile,
                            {statistics, nullptr, failureProbability, standardError});
    });
}
