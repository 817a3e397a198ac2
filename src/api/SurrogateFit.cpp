// zelkorFitSurrogates (ours): the surrogate study's fitting half for a host that
// already holds its sample. It runs the study engine that samples and fits
// without searching (type 15) in data-set mode on the host's points, answers
// each sampled design from the host's values instead of a callback, and keeps
// the models' quality measures and, when asked, the model file.
#include "api/zelkor.h"

#include <cmath>
#include <limits>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "api/EntryPointGuard.h"
#include "api/FlatInput.h"
#include "api/LastStatus.h"

namespace Opt {

namespace {

constexpr const char* kName = "zelkorFitSurrogates";
constexpr int kFitOnlyStudyType = 15;
constexpr int kQualitySlots = 4;

using Rows = std::vector<std::vector<double>>;

struct FitArguments {
    int n;
    int nPoints;
    const double* points;
    int m;
    const double* values;
    const int* modelSettings;
    int threadCount;
    const char* modelFile;
    double* quality;
};

Rows pointRows(const FitArguments& in)
{
    Rows rows;
    for (int k = 0; k < in.nPoints; ++k) {
        const double* row = in.points + static_cast<std::size_t>(k) * in.n;
        rows.emplace_back(row, row + in.n);
    }
    return rows;
}

// The point's first value outside its variable's range, as a message; empty
// when the point lies inside.
std::string pointOutsideBounds(const Rows& points, const Rows& bounds)
{
    for (std::size_t k = 0; k < points.size(); ++k) {
        for (std::size_t i = 0; i < bounds.size(); ++i) {
            const double value = points[k][i];
            if (!std::isfinite(value) || value < bounds[i].front() || value > bounds[i].back()) {
                return "points[" + std::to_string(k) + "][" + std::to_string(i) +
                       "] = " + std::to_string(value) + " is outside [" +
                       std::to_string(bounds[i].front()) + ", " + std::to_string(bounds[i].back()) +
                       "]";
            }
        }
    }
    return std::string();
}

std::shared_ptr<DataSet> fitDataSet(const FitArguments& in, const Rows& points, const Rows& bounds)
{
    auto dataSet = std::make_shared<DataSet>();
    for (int id = 0; id < in.m; ++id) {
        auto definition = std::make_shared<ResponseDefinition>();
        if (in.modelSettings != nullptr) {
            definition->surrogate.modelType = in.modelSettings[2 * id];
            definition->surrogate.option = in.modelSettings[2 * id + 1];
        }
        dataSet->responses[id] = definition;
    }
    dataSet->designValues = points.front();
    dataSet->bounds = bounds;
    dataSet->givenPoints = points;
    dataSet->engineType = kFitOnlyStudyType;
    dataSet->threadCount = in.threadCount;
    dataSet->storeSummaries = true;
    dataSet->showProgress = false;
    if (in.modelFile != nullptr) {
        dataSet->modelFile = in.modelFile;
    }
    return dataSet;
}

// Answers the study's k-th sampled design from the host's values. The study
// samples its points in order; any other design would be a defect of ours.
void answerSample(const FitArguments& in, const Rows& points, int k, DataSet& dataSet)
{
    if (k >= in.nPoints || dataSet.designValues != points[static_cast<std::size_t>(k)]) {
        throw std::logic_error("the study asked for a design that is not the next given point");
    }
    for (int id = 0; id < in.m; ++id) {
        dataSet.responses[id]->value = in.values[static_cast<std::size_t>(k) * in.m + id];
    }
}

void copyQuality(const DataSet& dataSet, double* quality, int m)
{
    const double none = std::numeric_limits<double>::quiet_NaN();
    for (int id = 0; id < m; ++id) {
        const auto found = dataSet.surrogateSummaries.find(id);
        const SurrogateSummary summary =
            found == dataSet.surrogateSummaries.end() ? SurrogateSummary{} : found->second;
        double* slot = quality + static_cast<std::size_t>(id) * kQualitySlots;
        slot[0] = summary.rSquared.value_or(none);
        slot[1] = summary.adjustedRSquared.value_or(none);
        slot[2] = summary.qSquared.value_or(none);
        slot[3] = summary.adjustedQSquared.value_or(none);
    }
}

int fit(const FitArguments& in, const Rows& bounds)
{
    const Rows points = pointRows(in);
    const std::string outside = pointOutsideBounds(points, bounds);
    if (!outside.empty()) {
        return rejectArgument(kName, outside);
    }
    const auto dataSet = fitDataSet(in, points, bounds);
    std::unique_ptr<OptEngineMain> session;
    try {
        session = std::make_unique<OptEngineMain>(dataSet);
    } catch (const std::invalid_argument& settings) {
        return rejectArgument(kName, settings.what());
    }
    if (session->engine == nullptr) {
        return rejectArgument(kName, "the models could not be set up from these settings");
    }
    int sampled = 0;
    int code = 0;
    do {
        code = session->runOptEngine(nullptr, nullptr, nullptr);
        if (code == 1) {
            answerSample(in, points, sampled++, *dataSet);
        }
    } while (code == 1 || code == 2 || code == 3);
    if (code != 0) {
        LastStatus::set(ZELKOR_STATUS_ENGINE_ERROR, std::string(kName) + ": the fit stopped on an error");
        return 0;
    }
    if (in.quality != nullptr) {
        copyQuality(*dataSet, in.quality, in.m);
    }
    LastStatus::set(ZELKOR_STATUS_OK);
    return 1;
}

} // namespace

} // namespace Opt

extern "C" ZELKOR_API int zelkorFitSurrogates(int n, int nPoints, const double* points, int m,
                                              const double* values, const double* boundLists,
                                              const int* listLengths, const int* modelSettings,
                                              int threadCount, const char* modelFile,
                                              double* quality)
{
    using namespace Opt;
    return guardEntryPoint(kName, 0, [&] {
        try {
            if (points == nullptr || values == nullptr) {
                return rejectArgument(kName, "points and values must not be null");
            }
            if (nPoints < 1 || m < 1) {
                return rejectArgument(kName, "nPoints = " + std::to_string(nPoints) + ", m = " +
                                                 std::to_string(m) + " (at least 1 each)");
            }
            const Rows bounds = FlatInput::checkedListsFromFlat(n, boundLists, listLengths);
            return fit({n, nPoints, points, m, values, modelSettings, threadCount, modelFile,
                        quality},
                       bounds);
        } catch (const FlatInput::InconsistentInput& input) {
            return rejectArgument(kName, input.message);
        }
    });
}
