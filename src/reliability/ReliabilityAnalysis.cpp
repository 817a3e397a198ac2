#include "reliability/ReliabilityAnalysis.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <stdexcept>
#include <string>

#include "common/NumericConstants.h"
#include "engine/PenalisedResponse.h"
#include "managers/SurrogateFactory.h"
#include "reliability/DistributionFactory.h"
#include "reliability/RandomInputSampler.h"
#include "rsm/CurrentDesign.h"
#include "rsm/EnsembleOfSurrogates.h"
#include "rsm/InputNormalisation.h"
#include "rsm/Kriging.h"
#include "rsm/ParallelModelBuild.h"

namespace Opt {

namespace {

constexpr int kDesignSettingsAt = 5;
constexpr int kModelTypeAt = 9;
constexpr int kModelOptionAt = 10;
constexpr int kStudySettingCount = 4;
constexpr int kFixedSeedFlag = 1;
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

std::vector<int> paddedInts(const std::vector<int>& ints, std::size_t count)
{
    std::vector<int> padded(ints);
    padded.resize(std::max(padded.size(), count), -1);
    return padded;
}

// The study's design settings and the fixed-seed flag, for RSMManager.
std::vector<int> designInts(const std::vector<int>& ints)
{
    const std::vector<int> all = paddedInts(ints, ReliabilityAnalysis::kHostIntCount);
    std::vector<int> design(all.begin() + kDesignSettingsAt,
                            all.begin() + kDesignSettingsAt + kStudySettingCount);
    design.push_back(kFixedSeedFlag);
    return design;
}

ResponseStatistics constantStatistics(double value)
{
    ResponseStatistics out;
    out.orderStatistics.fill(value);
    out.mean = value;
    out.weightedSums.fill(value);
    out.fittedParameters.fill(kNaN);
    out.fitDistances.fill(1.0);
    out.bestType = -1;
    return out;
}

bool isConstant(const std::vector<double>& values)
{
    for (const double v : values) {
        if (v != values.front()) {
            return false;
        }
    }
    return true;
}

} // namespace

ReliabilityAnalysis::ReliabilityAnalysis(const std::vector<double>& start,
                                         const std::vector<std::vector<double>>& bounds,
                                         int nResponses, const std::vector<int>& ints)
    : RSMManager(start, bounds, designInts(ints))
{
    const std::vector<int> all = paddedInts(ints, kHostIntCount);
    engineType = kEngineType;
    parameter.load(nullptr, all.data());
    surrogate.modelType = all[kModelTypeAt];
    surrogate.option = all[kModelOptionAt];
    if (surrogate.modelType < 1 || surrogate.modelType > 6) {
        throw std::invalid_argument("reliability analysis: model type ints[9] = " +
                                    std::to_string(surrogate.modelType) + " (1..6)");
    }
    setResponseCount(nResponses);
    design->pointSet->allocateResponses(nResponses);
    for (int id = 0; id < nResponses; ++id) {
        design->pointSet->responseColumns[id] = id;
    }
}

ReliabilityAnalysis::ReliabilityAnalysis(std::shared_ptr<DataSet> shared,
                                         const std::vector<int>& ints)
    : RSMManager(std::move(shared))
{
    engineType = kEngineType;
    parameter.load(nullptr, paddedInts(ints, ReliabilityParameter::kIntCount).data());
    if (!dataSet->fixedSeed) {
        generator = RandomSource::fromClock();
    }
    std::vector<std::array<double, 6>> rows = dataSet->randomInputs;
    rows.resize(designVariables.size(), {{static_cast<double>(kDistributionTypeCount)}});
    setRandomInputs(rows, dataSet->inputCorrelation);
    if (!dataSet->modelFile.empty()) {
        resultFile = dataSet->modelFile;
    }
}

void ReliabilityAnalysis::setRandomInputs(const std::vector<std::array<double, 6>>& rows,
                                          const std::vector<double>& correlation)
{
    if (rows.size() != designVariables.size()) {
        throw std::invalid_argument("reliability analysis: " + std::to_string(rows.size()) +
                                    " input rows for " + std::to_string(designVariables.size()) +
                                    " design variables");
    }
    inputRows = rows;
    records.clear();
    for (std::size_t i = 0; i < rows.size(); ++i) {
        records.push_back(createDistribution(rows[i].data(), static_cast<int>(i)));
    }
    inputCorrelation = correlation;
    std::vector<double> given(designVariables.size());
    RandomInputSampler(records, given, parameter.samplingMethod, inputCorrelation); // checks
}

StepCode ReliabilityAnalysis::receiveResponses(const double* f, double** g)
{
    if (stage != Stage::Sampling) {
        return RSMManager::receiveResponses(f, g);
    }
    evaluationPending = false;
    storeSample(f);
    return StepCode::Continue;
}

void ReliabilityAnalysis::storeSample(const double* f)
{
    auto& table = design->pointSet->responses;
    const auto row = static_cast<std::size_t>(sampledCount - 1);
    if (row >= table.size()) {
        return;
    }
    for (int j = 0; j < nResponses; ++j) {
        double value = 0.0;
        if (f != nullptr) {
            value = f[j];
        } else if (dataSet != nullptr) {
            auto it = dataSet->responses.begin();
            std::advance(it, j);
            value = it->second->value.value_or(0.0);
        }
        table[row][static_cast<std::size_t>(j)] = isFailedResponse(value) ? kFailedEvaluation : value;
    }
    design->pointSet->hasResponses = true;
}

void ReliabilityAnalysis::buildHostArrayModels()
{
    if (models.empty()) {
        for (int id = 0; id < nResponses; ++id) {
            models[id] = RSM::createSurrogate(surrogate, id, nDesignVariables, design->pointCount);
        }
    }
    RSM::setCurrentDesign(design);
    RSM::ParallelModelBuild(stdout).run(models, std::max(1, parameter.reliabilityOption1));
}

StepCode ReliabilityAnalysis::computeStep(double*, double*, double**)
{
    std::vector<double> given(designVariables.size());
    for (std::size_t i = 0; i < given.size(); ++i) {
        given[i] = designVariables[i].start;
    }
    const RandomInputSampler sampler(records, given, parameter.samplingMethod, inputCorrelation);
    inputTable = sampler.draw(generator, kSampleCount, std::max(1, parameter.reliabilityOption1));
    predictSamples();
    stage = Stage::Done;
    return StepCode::Finished;
}

// Each sample's predictions depend only on its own row of inputs, so blocks of
// rows can be shared out among threads without changing any value. A block's
// rows are mapped into the surrogates' coordinates once and each model
// predicts the whole block in one call (kriging vectorises across its sample
// there, and models fitted on the same sample share each point's distances).
void ReliabilityAnalysis::predictSamples()
{
    const auto n = static_cast<std::size_t>(nDesignVariables);
    sampleTable.assign(models.size(), std::vector<double>(kSampleCount));
    bool reentrant = true;
    for (const auto& entry : models) {
        reentrant = reentrant && dynamic_cast<const RSM::EnsembleOfSurrogates*>(entry.second.get()) == nullptr;
    }
    if (!reentrant) {
        // The ensemble's neighbour list is filled per point (RSMManager::predictAt).
        for (int s = 0; s < kSampleCount; ++s) {
            const auto from = inputTable.begin() + static_cast<std::ptrdiff_t>(static_cast<std::size_t>(s) * n);
            const std::vector<double> predictions = evaluateModels(std::vector<double>(from, from + static_cast<std::ptrdiff_t>(n)));
            for (std::size_t j = 0; j < predictions.size(); ++j) {
                sampleTable[j][static_cast<std::size_t>(s)] = predictions[j];
            }
        }
        return;
    }
    std::vector<const RSM::RSMBase*> surrogates;
    for (const auto& entry : models) {
        surrogates.push_back(entry.second.get());
    }
    const bool normalised = design == nullptr || design->pointSet->normalised;
    const int threads = std::max(1, parameter.reliabilityOption1);
    constexpr int kBlock = 256;
    const int blocks = (kSampleCount + kBlock - 1) / kBlock;
#pragma omp parallel num_threads(threads)
    {
        std::vector<double> points;
#pragma omp for schedule(static)
        for (int b = 0; b < blocks; ++b) {
            const int first = b * kBlock;
            const int count = std::min(kBlock, kSampleCount - first);
            const double* rows = inputTable.data() + static_cast<std::size_t>(first) * n;
            points.assign(rows, rows + static_cast<std::size_t>(count) * n);
            if (normalised) {
                for (std::size_t at = 0; at < points.size(); ++at) {
                    points[at] = RSM::toSurrogateCoordinate(points[at], designVariables[at % n]);
                }
            }
            std::vector<double*> outputs;
            for (std::vector<double>& column : sampleTable) {
                outputs.push_back(column.data() + first);
            }
            RSM::Kriging::predictModels(surrogates, points.data(), count, static_cast<int>(n),
                                        outputs);
        }
    }
}

bool ReliabilityAnalysis::failed(std::size_t response, double value) const
{
    if (dataSet == nullptr) {
        const auto below = failureBelow.find(response);
        return below != failureBelow.end() ? value < below->second : response > 0 && value > 0.0;
    }
    auto it = dataSet->responses.begin();
    std::advance(it, static_cast<std::ptrdiff_t>(response));
    const ResponseDefinition& definition = *it->second;
    return (definition.upper && value > *definition.upper) ||
           (definition.lower && value < *definition.lower);
}

void ReliabilityAnalysis::estimateFailures()
{
    failureEstimates.clear();
    for (std::size_t j = 0; j < sampleTable.size(); ++j) {
        const bool limited = dataSet == nullptr ? j > 0 || failureBelow.count(j) > 0 : [&] {
            auto it = dataSet->responses.begin();
            std::advance(it, static_cast<std::ptrdiff_t>(j));
            return it->second->kind == 1 && (it->second->upper || it->second->lower);
        }();
        if (!limited) {
            failureEstimates.push_back({kNaN, kNaN});
            continue;
        }
        double count = 0.0;
        for (const double v : sampleTable[j]) {
            count += failed(j, v) ? 1.0 : 0.0;
        }
        const double n = static_cast<double>(sampleTable[j].size());
        const double p = count / n;
        failureEstimates.push_back({p, std::sqrt(p * (1.0 - p) / n)});
    }
}

void ReliabilityAnalysis::finish(double*)
{
    if (sampleTable.empty()) {
        return; // a run that never sampled has nothing to describe
    }
    estimateFailures();
    responseStatistics.assign(sampleTable.size(), ResponseStatistics{});
    std::vector<std::size_t> varying;
    for (std::size_t j = 0; j < sampleTable.size(); ++j) {
        if (isConstant(sampleTable[j])) {
            responseStatistics[j] = constantStatistics(sampleTable[j].front());
        } else {
            varying.push_back(j);
        }
    }
    for (const std::size_t j : varying) {
        std::vector<double> sorted = sampleTable[j];
        responseStatistics[j] = describeSample(sorted);
    }
    responseCorrelations = pairCorrelations(sampleTable, responseStatistics);
    if (!resultFile.empty()) {
        RSM::RELDataOut file(resultFile, " ");
        file.writeReliability(models, design->pointSet->points, design->pointSet->normalised,
                              resultRecord());
    }
}

RSM::ReliabilityRecord ReliabilityAnalysis::resultRecord() const
{
    RSM::ReliabilityRecord record;
    record.samplingMethod = parameter.samplingMethod;
    record.sampleCount = kSampleCount;
    record.inputRows = inputRows;
    record.correlations = responseCorrelations;
    for (const auto& entry : models) {
        record.responseIds.push_back(entry.first);
    }
    for (std::size_t j = 0; j < responseStatistics.size(); ++j) {
        const ResponseStatistics& s = responseStatistics[j];
        std::array<double, RSM::ReliabilityRecord::kResponseBlockLength> block{};
        auto out = std::copy(s.orderStatistics.begin(), s.orderStatistics.end(), block.begin());
        *out++ = s.mean;
        *out++ = s.standardDeviation;
        *out++ = s.skewness;
        *out++ = s.kurtosis;
        out = std::copy(s.weightedSums.begin(), s.weightedSums.end(), out);
        out = std::copy(s.fittedParameters.begin(), s.fittedParameters.end(), out);
        out = std::copy(s.fitDistances.begin(), s.fitDistances.end(), out);
        *out++ = s.bestType;
        *out++ = failureEstimates[j].probability;
        *out = failureEstimates[j].standardError;
        record.responses.push_back(block);
    }
    return record;
}

} // namespace Opt
