#include "managers/RobustOptManager.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>

namespace Opt::RSM {

namespace {

constexpr int kConstraintKind = 1;
constexpr int kMaximise = 2;
constexpr int kTarget = 3;

int variableCount(const std::shared_ptr<DataSet>& dataSet)
{
    return static_cast<int>(dataSet->bounds.size());
}

// Refuses a data set that is not a robust study, or whose settings describe no
// rule, before the study arranges its design (which is installed process-wide).
std::shared_ptr<DataSet> checked(std::shared_ptr<DataSet> dataSet)
{
    if (dataSet == nullptr || dataSet->engineType != RSMManager::kRobustStudy) {
        throw std::invalid_argument("robust study: the data set must name engine type 13");
    }
    static_cast<void>(RandomInputGrid(dataSet->robust, variableCount(dataSet)));
    return dataSet;
}

} // namespace

RobustOptManager::RobustOptManager(std::shared_ptr<DataSet> shared)
    : RSMManager(checked(shared)), settings(shared->robust), grid(settings, variableCount(shared))
{
}

std::vector<RobustStatistic> RobustOptManager::statistics(const std::vector<double>& x) const
{
    const std::size_t responses = models.size();
    std::vector<double> sums(responses, 0.0);
    std::vector<std::vector<double>> predictions;
    std::vector<double> point = x;
    for (int k = 0; k < grid.nodeCount(); ++k) {
        for (std::size_t i = 0; i < settings.inputs.size(); ++i) {
            const RandomInput& input = settings.inputs[i];
            const auto v = static_cast<std::size_t>(input.variable);
            const double centre = input.designed ? x[v] : input.mean;
            point[v] = centre + input.standardDeviation * grid.offsets(k)[i];
        }
        predictions.push_back(RSMManager::evaluateModels(point));
        for (std::size_t j = 0; j < responses; ++j) {
            sums[j] += grid.weight(k) * predictions.back()[j];
        }
    }
    // The variance about the mean, not E[p^2] - mean^2, which cancels badly
    // when the scatter is small beside the mean.
    std::vector<RobustStatistic> result(responses);
    for (std::size_t j = 0; j < responses; ++j) {
        double variance = 0.0;
        for (int k = 0; k < grid.nodeCount(); ++k) {
            const double deviation = predictions[static_cast<std::size_t>(k)][j] - sums[j];
            variance += grid.weight(k) * deviation * deviation;
        }
        result[j] = {sums[j], std::sqrt(variance)};
    }
    return result;
}

double RobustOptManager::robustValue(const RobustStatistic& statistic,
                                     const ResponseDefinition& definition) const
{
    const double spread = settings.k * statistic.standardDeviation;
    const double up = statistic.mean + spread, down = statistic.mean - spread;
    if (definition.kind != kConstraintKind) {
        if (definition.goal == kMaximise) {
            return down;
        }
        if (definition.goal == kTarget) {
            return statistic.mean >= definition.target ? up : down;
        }
        return up;
    }
    if (definition.upper && definition.lower) {
        return *definition.upper - statistic.mean <= statistic.mean - *definition.lower ? up : down;
    }
    if (definition.upper) {
        return up;
    }
    return definition.lower ? down : statistic.mean;
}

std::vector<double> RobustOptManager::evaluateModels(const std::vector<double>& x) const
{
    const std::vector<RobustStatistic> stats = statistics(x);
    std::vector<double> values;
    values.reserve(stats.size());
    std::size_t j = 0;
    for (const auto& entry : dataSet->responses) {
        values.push_back(robustValue(stats[j++], *entry.second));
    }
    return values;
}

void RobustOptManager::endInnerSearch()
{
    for (SearchResult& result : dataSet->searchResults) {
        for (const RandomInput& input : settings.inputs) {
            if (!input.designed) {
                result.design[static_cast<std::size_t>(input.variable)] = input.mean;
            }
        }
    }
    dataSet->robustStatistics.clear();
    if (!dataSet->searchResults.empty()) {
        const std::vector<RobustStatistic> stats = statistics(dataSet->searchResults.front().design);
        std::size_t j = 0;
        for (const auto& entry : dataSet->responses) {
            dataSet->robustStatistics[entry.first] = stats[j++];
        }
    }
    RSMManager::endInnerSearch();
}

} // namespace Opt::RSM
