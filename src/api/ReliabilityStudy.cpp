// runRELSTUDY: a whole reliability study for a C host (ours). It builds the
// reliability analysis (engine type 10) in host-array mode, hands it the random
// inputs, drives it through the host's callback for the design of experiments
// and copies the statistics and failure probabilities out.
#include "api/zelkor.h"

#include <algorithm>
#include <array>
#include <memory>
#include <string>
#include <vector>

#include "api/EntryPointGuard.h"
#include "api/FlatInput.h"
#include "api/LastStatus.h"
#include "reliability/ReliabilityAnalysis.h"

namespace Opt {

namespace {

constexpr const char* kName = "runRELSTUDY";
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

int runStudy(StudyInput& in, const char* resultFile, double* statistics, double* correlations,
             double* failureProbability, double* standardError)
{
    OptEngineMain session(in.n, in.m, in.x, in.bounds, nullptr, in.ints.data(),
                          ReliabilityAnalysis::kEngineType, 0);
    auto* analysis = dynamic_cast<ReliabilityAnalysis*>(session.engine.get());
    if (analysis == nullptr) {
        return rejectSettings(kName);
    }
    analysis->setRandomInputs(in.rows, in.correlation);
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
        LastStatus::set(ZELKOR_STATUS_ENGINE_ERROR, std::string(kName) + ": the study stopped on an error");
        return 0;
    }
    copyResults(*analysis, statistics, correlations, failureProbability, standardError);
    LastStatus::set(ZELKOR_STATUS_OK);
    return 1;
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
    return guardEntryPoint(kName, 0, [&] {
        try {
            if (evaluate == nullptr || x == nullptr || inputRows == nullptr ||
                designSettings == nullptr) {
                return rejectArgument(kName, "evaluate, x, inputRows and designSettings must not be null");
            }
            if (m < 1) {
                return rejectArgument(kName, "m = " + std::to_string(m) + " (at least one response)");
            }
            auto bounds = FlatInput::checkedListsFromFlat(n, boundLists, listLengths);
            if (rejectProblem(kName, n, m, std::vector<double>(x, x + n), bounds)) {
                return 0;
            }
            StudyInput in{evaluate, n, m, std::vector<double>(x, x + n), std::move(bounds),
                          Opt::inputRows(n, inputRows, randomFlags), {}, {}};
            const int r = randomCount(in.rows);
            if (correlation != nullptr) {
                in.correlation.assign(correlation, correlation + r * r);
            }
            in.ints.assign(ReliabilityAnalysis::kHostIntCount, -1);
            for (int k = 0; reliabilitySettings != nullptr && k < ReliabilityParameter::kIntCount; ++k) {
                in.ints[static_cast<std::size_t>(k)] = reliabilitySettings[k];
            }
            std::copy(designSettings, designSettings + 4, in.ints.begin() + 5);
            in.ints[9] = modelType;
            return runStudy(in, resultFile, statistics, correlations, failureProbability,
                            standardError);
        } catch (const FlatInput::InconsistentInput& input) {
            return rejectArgument(kName, input.message);
        } catch (const std::invalid_argument& bad) {
            return rejectArgument(kName, bad.what());
        }
    });
}
