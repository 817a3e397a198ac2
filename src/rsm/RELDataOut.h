#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "rsm/DataOutBase.h"

namespace Opt::RSM {

// What a reliability analysis keeps beside its models, as plain numbers (the
// statistics' meaning is the analysis's; this file only stores them).
struct ReliabilityRecord {
    // One block per response, in this order (kResponseBlockLength doubles):
    //   0..98    the 1 % ... 99 % order statistics
    //   99..102  mean, standard deviation, skewness, excess kurtosis
    //   103..105 the three probability-weighted sums
    //   106..125 the 20 fitted family parameters
    //   126..134 the 9 fit distances (type codes 0..8)
    //   135      the best-fitting type code (-1: none, a constant response)
    //   136, 137 the failure probability and its Monte Carlo standard error
    //            (NaN for a response without limits)
    static constexpr int kResponseBlockLength = 138;
    static constexpr int kInputRowLength = 6;

    std::int32_t samplingMethod = 0;
    std::int32_t sampleCount = 0;
    // The host's six-double row per design variable; a type code of 9 or above
    // marks a variable that is not random.
    std::vector<std::array<double, kInputRowLength>> inputRows;
    std::vector<std::int32_t> responseIds;
    std::vector<std::array<double, kResponseBlockLength>> responses;
    std::vector<double> correlations; // n(n-1)/2, pairs i < j in row order
};

// The model file of a reliability analysis, ".rel" by default (see DataOutBase).
//
// Layout: a model file as DataOutBase writes it, whose directory has one more
// entry after the models, id kStatisticsId (the largest int32, so ids still
// ascend) pointing at the statistics record, which runs to the end of the file:
//   int32 kStatisticsRecordType, int32 samplingMethod, int32 sampleCount,
//   int32 v (variables), v x 6 doubles (input rows),
//   int32 n (responses), n int32 ids, n x kResponseBlockLength doubles,
//   n(n-1)/2 doubles (correlations).
// Every model record therefore ends where the next entry begins, so readModel
// reads the models of a ".rel" file like those of any model file.
class RELDataOut : public DataOutBase {
public:
    static constexpr const char* kDefaultExtension = ".rel";
    static constexpr std::int32_t kStatisticsId = 2147483647;
    static constexpr std::int32_t kStatisticsRecordType = 1000;

    RELDataOut(const std::string& basePath, const std::string& extension);

    // Writes the models (as writeModels does) and the statistics record.
    // Reports failure like writeModels: one line on standard error, false.
    bool writeReliability(const ModelMap& models, const std::vector<std::vector<double>>& points,
                          bool normalised, const ReliabilityRecord& record);

    // The statistics record of the file; throws ModelFileError saying what is
    // wrong (no such file, no statistics entry, a truncated or corrupt record).
    ReliabilityRecord readReliability() const;
};

} // namespace Opt::RSM
