#pragma once

#include <array>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "common/RandomSource.h"
#include "managers/RSMManager.h"
#include "reliability/DISTRIBUTION_Parameter.h"
#include "reliability/ReliabilityParameter.h"
#include "reliability/SampleStatistics.h"
#include "rsm/RELDataOut.h"

namespace Opt {

// Reliability analysis on surrogates: how the responses of a design scatter
// when some inputs are random, and how likely each constraint is to fail.
//
// It is a surrogate study (RSMManager): the design of experiments is laid out
// and evaluated through the host (beginIteration), one surrogate per response
// is fitted in parallel (prepareStep), then computeStep runs a Monte Carlo of
// kSampleCount samples on the surrogates and finish derives, per response, the
// order statistics, moments, probability-weighted sums, family fits
// (SampleStatistics, DistributionFit), the correlations of every pair of
// responses and the failure probabilities, and writes the ".rel" file
// (RELDataOut documents its layout) when a file name is set. The run ends
// after that one pass.
//
// Modes. Host-array mode: ints[0..4] the ReliabilityParameter, ints[5..8] the
// four study design settings (as a surrogate study's, a Latin hypercube is
// seeded with 0), ints[9] the model type (1..6, as SurrogateSettings), ints[10]
// its option (-1 the default); the random inputs come through setRandomInputs
// before the first step; responses 1.. are constraints g <= 0. Data-set mode:
// the data set's study settings, its randomInputs and inputCorrelation, its
// search settings' ints as the ReliabilityParameter; a response of kind 1
// fails outside its lower/upper values; the ".rel" file is
// "<modelFile>.rel" when the data set names a model file.
//
// Generator: MT19937, seeded with 0 in host-array mode and in data-set mode
// with a fixed seed, from the clock otherwise.
//
// Deviations of ours, each the default:
// - The Monte Carlo samples the random inputs' distributions, not the coded
//   box uniformly: a uniform box overstates failure probabilities many times
//   over and its answer depends on the box's width. Each random input is drawn
//   through its record (RandomInputSampler), put in coded coordinates without
//   clipping; the other variables stay at their given values.
// - Correlations divide the co-moment by N - 1, like the standard deviations:
//   dividing by N reads 0.9 for perfectly correlated samples at N = 10.
// - The order statistics are the 1 % ... 99 % quantiles (positions 1000j - 1):
//   position 0 is the sample minimum, far noisier, and 99 % would be missing.
// - The best family is chosen by parsimony (DistributionFit): the smallest
//   distance alone picks a richer family that contains the true one.
// - Sampling may run on reliabilityOption1 threads; draws are made on the
//   calling thread in a fixed order first, so the results equal one thread's.
//   Models of type 5 (the ensemble reads a process-wide neighbour list) are
//   always predicted on the calling thread.
// The statistics services' deviations are in StatisticsServices.h.
//
// Decisions where behaviour was open:
// - A response that is constant over the samples (it depends on no random
//   input) reports its value as every order statistic and the mean, zero
//   spread, shape statistics 0, no family (type -1, distances 1), and NaN
//   as its correlation with any other response.
// - The failure probability is the fraction of samples beyond a limit; its
//   standard error sqrt(p(1 - p)/N).
// Failures: bad settings or inputs throw std::invalid_argument from the
// constructor or setRandomInputs; Boost's errors from a record reach the caller.
class ReliabilityAnalysis : public RSM::RSMManager {
public:
    static constexpr int kEngineType = 10;
    static constexpr int kSampleCount = 100000;
    static constexpr int kHostIntCount = 11;

    struct FailureEstimate {
        double probability;   // NaN for a response without limits
        double standardError;
    };

    ReliabilityAnalysis(const std::vector<double>& start,
                        const std::vector<std::vector<double>>& bounds, int nResponses,
                        const std::vector<int>& ints);
    explicit ReliabilityAnalysis(std::shared_ptr<DataSet> dataSet, const std::vector<int>& ints);

    // One six-double row per design variable (the DistributionFactory layout;
    // a type code of 9 or above marks a variable that is not random) and, for
    // sampling method 1, the r x r correlation of the r random inputs in
    // standard-normal space, row-major (empty: independent).
    void setRandomInputs(const std::vector<std::array<double, 6>>& rows,
                         const std::vector<double>& correlation);
    // Host-array mode: response `response` fails below `limit` instead of by
    // its default rule (a constraint above 0, the objective never); the slope
    // driver's factor of safety fails below 1.
    void setFailureBelow(std::size_t response, double limit) { failureBelow[response] = limit; }
    // The ".rel" file written by finish (base path; the extension is added).
    void setResultFile(const std::string& basePath) { resultFile = basePath; }

    StepCode receiveResponses(const double* f, double** g) override;
    void buildHostArrayModels() override;
    StepCode computeStep(double* x, double* f, double** g) override;
    void finish(double* x) override;

    const std::vector<ResponseStatistics>& statistics() const { return responseStatistics; }
    const std::vector<double>& correlations() const { return responseCorrelations; }
    const std::vector<FailureEstimate>& failures() const { return failureEstimates; }
    // The sampled inputs of the last Monte Carlo (caller units, row-major).
    const std::vector<double>& sampledInputs() const { return inputTable; }
    const ReliabilityParameter& settings() const { return parameter; }

private:
    void storeSample(const double* f);
    void predictSamples();
    void estimateFailures();
    RSM::ReliabilityRecord resultRecord() const;
    bool failed(std::size_t response, double value) const;

    ReliabilityParameter parameter;
    SurrogateSettings surrogate;
    std::vector<std::array<double, 6>> inputRows;
    std::vector<std::shared_ptr<DISTRIBUTION_Parameter>> records;
    std::vector<double> inputCorrelation;
    RandomSource generator{0};
    std::vector<double> inputTable;
    std::vector<std::vector<double>> sampleTable; // per response, kSampleCount values
    std::vector<ResponseStatistics> responseStatistics;
    std::vector<double> responseCorrelations;
    std::vector<FailureEstimate> failureEstimates;
    std::string resultFile;
    std::map<std::size_t, double> failureBelow;
};

} // namespace Opt
