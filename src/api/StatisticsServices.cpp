// The statistics services: the empirical distribution lookup, the density of
// one input distribution, statistics and family fits of given samples, the
// post-processing of a ".rel" file and local sensitivities from a model file.
// Nothing escapes: every failure clears the success flag, returns NaN (or 0)
// and leaves one line on standard error and in zelkorLastMessage.
#include "api/zelkor.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <sstream>
#include <string>
#include <vector>

#include "api/EntryPointGuard.h"
#include "api/FlatInput.h"
#include "api/LastStatus.h"
#include "managers/RSMManager.h"
#include "reliability/DBETA_Parameter.h"
#include "reliability/DistributionFactory.h"
#include "reliability/DistributionFit.h"
#include "reliability/SampleStatistics.h"
#include "rsm/ModelFileError.h"
#include "rsm/RELDataOut.h"

namespace Opt {

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kDefaultStep = 1e-3;

// Runs body with the flag set on entry and cleared on any failure; the value
// of a failed call is NaN.
template <typename Body>
double flaggedService(const char* name, unsigned char* success, const Body& body)
{
    if (success != nullptr) {
        *success = 1;
    }
    double result = kNaN;
    const int ok = guardEntryPoint(name, 0, [&] {
        try {
            result = body();
            LastStatus::set(ZELKOR_STATUS_OK);
            return 1;
        } catch (const std::invalid_argument& bad) {
            return rejectArgument(name, bad.what());
        } catch (const FlatInput::InconsistentInput& input) {
            return rejectArgument(name, input.message);
        } catch (const RSM::ModelFileError& file) {
            return rejectArgument(name, file.message);
        }
    });
    if (!ok) {
        result = kNaN;
        if (success != nullptr) {
            *success = 0;
        }
    }
    return result;
}

void requireArray(const void* array, const char* what)
{
    if (array == nullptr) {
        throw std::invalid_argument(std::string(what) + " must not be null");
    }
}

double empiricalValue(double v, std::vector<double> s, int mode)
{
    std::sort(s.begin(), s.end());
    const double n = static_cast<double>(s.size());
    const double anchor = std::min(0.0, s.front());
    const auto before = [&](std::size_t i) { return i == 0 ? anchor : s[i - 1]; };
    if (mode == 0) {
        const double p = std::max(v, 0.0);
        for (std::size_t i = 0; i < s.size(); ++i) {
            if ((static_cast<double>(i) + 1.0) / n > p) {
                return before(i) + (p - static_cast<double>(i) / n) * n * (s[i] - before(i));
            }
        }
        return s.back();
    }
    if (mode == 1) {
        if (v < anchor) {
            return 0.0;
        }
        for (std::size_t i = 0; i < s.size(); ++i) {
            if (s[i] > v) {
                return (static_cast<double>(i) + (v - before(i)) / (s[i] - before(i))) / n;
            }
        }
        return 1.0;
    }
    return 0.0;
}

std::shared_ptr<DISTRIBUTION_Parameter> recordOfRow(const double* row)
{
    requireArray(row, "row");
    const auto record = createDistribution(row, 0);
    if (record == nullptr) {
        throw std::invalid_argument("type code row[0] = " + std::to_string(row[0]) +
                                    " names no distribution (0..8)");
    }
    return record;
}

// A density in the variable's units: the beta record's is per unit of the
// standardised value.
double densityOf(const DISTRIBUTION_Parameter& record, double x)
{
    const double density = record.pdf(x);
    if (record.typeCode() == DBETA_Parameter::kTypeCode) {
        return density / (record.upperEnd() - record.lowerEnd());
    }
    return density;
}

void packStatistics(const ResponseStatistics& s, double* out)
{
    out = std::copy(s.orderStatistics.begin(), s.orderStatistics.end(), out);
    *out++ = s.mean;
    *out++ = s.standardDeviation;
    *out++ = s.skewness;
    *out++ = s.kurtosis;
    out = std::copy(s.weightedSums.begin(), s.weightedSums.end(), out);
    out = std::copy(s.fittedParameters.begin(), s.fittedParameters.end(), out);
    out = std::copy(s.fitDistances.begin(), s.fitDistances.end(), out);
    *out = s.bestType;
}

double distributeModel(const double* samples, int nQuantities, int nSamples, double* statistics,
                       double* correlations)
{
    requireArray(samples, "samples");
    if (nQuantities < 1 || nSamples < kMinimumSampleCount) {
        throw std::invalid_argument("nQuantities = " + std::to_string(nQuantities) +
                                    ", nSamples = " + std::to_string(nSamples) +
                                    " (at least 1 quantity of " +
                                    std::to_string(kMinimumSampleCount) + " samples)");
    }
    std::vector<std::vector<double>> columns;
    std::vector<ResponseStatistics> stats;
    for (int q = 0; q < nQuantities; ++q) {
        const double* from = samples + static_cast<std::ptrdiff_t>(q) * nSamples;
        columns.emplace_back(from, from + nSamples);
        std::vector<double> sorted = columns.back();
        try {
            stats.push_back(describeSample(sorted));
        } catch (const std::invalid_argument& bad) {
            throw std::invalid_argument("quantity " + std::to_string(q) + ": " + bad.what());
        }
        if (statistics != nullptr) {
            packStatistics(stats.back(), statistics + static_cast<std::ptrdiff_t>(q) * ZELKOR_STATISTICS_LENGTH);
        }
    }
    const std::vector<double> pairs = pairCorrelations(columns, stats);
    if (correlations != nullptr) {
        std::copy(pairs.begin(), pairs.end(), correlations);
    }
    return 1.0;
}

std::shared_ptr<DISTRIBUTION_Parameter> relpostRecord(const RSM::ReliabilityRecord& record,
                                                      bool response, int index)
{
    const std::size_t count = response ? record.responses.size() : record.inputRows.size();
    if (index < 0 || static_cast<std::size_t>(index) >= count) {
        throw std::invalid_argument("index = " + std::to_string(index) + ": the file holds " +
                                    std::to_string(count) + (response ? " responses" : " inputs"));
    }
    const auto u = static_cast<std::size_t>(index);
    std::shared_ptr<DISTRIBUTION_Parameter> built;
    if (response) {
        const auto& block = record.responses[u];
        std::array<double, kFittedParameterCount> fitted{};
        std::copy(block.begin() + 106, block.begin() + 126, fitted.begin());
        built = fittedRecord(static_cast<int>(block[135]), fitted);
    } else {
        built = createDistribution(record.inputRows[u].data(), index);
    }
    if (built == nullptr) {
        throw std::invalid_argument(std::string(response ? "response " : "input ") +
                                    std::to_string(index) + " has no distribution");
    }
    return built;
}

double relpost(int quantity, int index, double value, const char* fileName)
{
    requireArray(fileName, "fileName");
    const RSM::ReliabilityRecord record = RSM::RELDataOut(fileName, " ").readReliability();
    if (quantity == ZELKOR_RELPOST_FAILURE) {
        if (index < 0 || static_cast<std::size_t>(index) >= record.responses.size()) {
            throw std::invalid_argument("index = " + std::to_string(index) + " names no response");
        }
        return record.responses[static_cast<std::size_t>(index)][136];
    }
    if (quantity < ZELKOR_RELPOST_RESPONSE_PDF || quantity > ZELKOR_RELPOST_INPUT_QUANTILE) {
        throw std::invalid_argument("quantity = " + std::to_string(quantity) + " (0..6)");
    }
    const auto built = relpostRecord(record, quantity < ZELKOR_RELPOST_INPUT_PDF, index);
    switch (quantity % 3) {
    case 0: return densityOf(*built, value);
    case 1: return built->cdf(value);
    default: return built->quantile(value);
    }
}

std::vector<double> predictAt(const std::string& file, int responseId, const std::vector<double>& x,
                              const std::vector<std::vector<double>>& bounds)
{
    RSM::RSMManager evaluator(x, bounds);
    bool ok = true;
    std::string problem;
    const std::vector<double> values =
        evaluator.evaluateFromModelFile(file, {responseId}, &ok, &problem);
    if (!ok) {
        throw std::invalid_argument(problem);
    }
    return values;
}

// Forward differences with h = delta (upper - lower) of each "CONT" or "RAND"
// variable; every perturbed point starts from an unchanged copy of x.
double localSensitivity(const std::string& file, int responseId, const std::vector<double>& x,
                        const std::vector<std::vector<double>>& bounds,
                        const std::vector<std::string>& types, double delta, double* out)
{
    if (!(delta > 0.0) || !std::isfinite(delta)) {
        delta = kDefaultStep;
    }
    if (types.size() != x.size()) {
        throw std::invalid_argument(std::to_string(types.size()) + " type keywords for " +
                                    std::to_string(x.size()) + " variables");
    }
    const double f0 = predictAt(file, responseId, x, bounds)[0];
    for (std::size_t k = 0; k < x.size(); ++k) {
        out[k] = 0.0;
        if (types[k] != "CONT" && types[k] != "RAND") {
            continue;
        }
        const double h = delta * (bounds[k].back() - bounds[k].front());
        std::vector<double> moved = x;
        moved[k] += h;
        out[k] = (predictAt(file, responseId, moved, bounds)[0] - f0) / h;
    }
    return f0;
}

std::vector<std::vector<double>> checkedBounds(int n, const double* x, const double* boundLists,
                                               const int* listLengths)
{
    requireArray(x, "x");
    return FlatInput::checkedListsFromFlat(n, boundLists, listLengths);
}

std::vector<std::string> splitKeywords(const char* text)
{
    requireArray(text, "variableTypes");
    std::istringstream in(text);
    std::vector<std::string> words;
    for (std::string word; in >> word;) {
        words.push_back(word);
    }
    return words;
}

} // namespace

} // namespace Opt

using namespace Opt;

extern "C" ZELKOR_API double switch_cdf_fos(double v, const double* samples, int count, int mode)
{
    return flaggedService("switch_cdf_fos", nullptr, [&] {
        requireArray(samples, "samples");
        if (count < 1 || !std::isfinite(v)) {
            throw std::invalid_argument("count = " + std::to_string(count) + ", v = " +
                                        std::to_string(v) + " (one sample and a finite v needed)");
        }
        return empiricalValue(v, std::vector<double>(samples, samples + count), mode);
    });
}

extern "C" ZELKOR_API double evaluate_pdfval(double x, const double* row, unsigned char* success)
{
    return flaggedService("evaluate_pdfval", success,
                          [&] { return densityOf(*recordOfRow(row), x); });
}

extern "C" ZELKOR_API int evaluate_distribute_model(const double* samples, int nQuantities,
                                                    int nSamples, double* statistics,
                                                    double* correlations, unsigned char* success)
{
    const double done = flaggedService("evaluate_distribute_model", success, [&] {
        return distributeModel(samples, nQuantities, nSamples, statistics, correlations);
    });
    return done == 1.0 ? 1 : 0;
}

extern "C" ZELKOR_API double evaluate_relpost(int quantity, int index, double value,
                                              const char* fileName, unsigned char* success)
{
    return flaggedService("evaluate_relpost", success,
                          [&] { return relpost(quantity, index, value, fileName); });
}

extern "C" ZELKOR_API double evaluate_local_sensitivityC(const char* modelFile, int responseId,
                                                         int n, const double* x,
                                                         const double* boundLists,
                                                         const int* listLengths,
                                                         const char* const* variableTypes,
                                                         double delta, double* sensitivities,
                                                         unsigned char* success)
{
    return flaggedService("evaluate_local_sensitivityC", success, [&] {
        requireArray(modelFile, "modelFile");
        requireArray(variableTypes, "variableTypes");
        requireArray(sensitivities, "sensitivities");
        const auto bounds = checkedBounds(n, x, boundLists, listLengths);
        std::vector<std::string> types;
        for (int k = 0; k < n; ++k) {
            types.emplace_back(variableTypes[k] == nullptr ? "" : variableTypes[k]);
        }
        return localSensitivity(modelFile, responseId, std::vector<double>(x, x + n), bounds,
                                types, delta, sensitivities);
    });
}

extern "C" ZELKOR_API double evaluate_local_sensitivity_(const char* modelFile, int responseId,
                                                         int n, const double* x,
                                                         const double* boundLists,
                                                         const int* listLengths,
                                                         const char* variableTypes, double delta,
                                                         double* sensitivities,
                                                         unsigned char* success)
{
    return flaggedService("evaluate_local_sensitivity_", success, [&] {
        requireArray(modelFile, "modelFile");
        requireArray(sensitivities, "sensitivities");
        const auto bounds = checkedBounds(n, x, boundLists, listLengths);
        return localSensitivity(modelFile, responseId, std::vector<double>(x, x + n), bounds,
                                splitKeywords(variableTypes), delta, sensitivities);
    });
}

extern "C" ZELKOR_API double evaluate_local_sensitivity(const std::string* modelFile,
                                                        int responseId,
                                                        const std::vector<double>* x,
                                                        const std::vector<std::vector<double>>* bounds,
                                                        const std::vector<std::string>* variableTypes,
                                                        double delta,
                                                        std::vector<double>* sensitivities,
                                                        unsigned char* success)
{
    return flaggedService("evaluate_local_sensitivity", success, [&] {
        requireArray(modelFile, "modelFile");
        requireArray(x, "x");
        requireArray(bounds, "bounds");
        requireArray(variableTypes, "variableTypes");
        requireArray(sensitivities, "sensitivities");
        if (bounds->size() != x->size()) {
            throw std::invalid_argument(std::to_string(bounds->size()) + " bound lists for " +
                                        std::to_string(x->size()) + " variables");
        }
        for (std::size_t i = 0; i < bounds->size(); ++i) {
            FlatInput::checkBoundList(i, (*bounds)[i].data(), (*bounds)[i].size());
        }
        sensitivities->assign(x->size(), 0.0);
        return localSensitivity(*modelFile, responseId, *x, *bounds, *variableTypes, delta,
                                sensitivities->data());
    });
}

namespace Opt {

namespace {

double distributionValue(const DISTRIBUTION_Parameter& record, int quantity, double value)
{
    switch (quantity) {
    case ZELKOR_DISTRIBUTION_PDF: return densityOf(record, value);
    case ZELKOR_DISTRIBUTION_CDF: return record.cdf(value);
    case ZELKOR_DISTRIBUTION_QUANTILE:
        if (!(value >= 0.0 && value <= 1.0)) {
            throw std::invalid_argument("probability " + std::to_string(value) +
                                        " is outside [0, 1]");
        }
        return record.quantile(value);
    case ZELKOR_DISTRIBUTION_MEAN: return record.mean();
    case ZELKOR_DISTRIBUTION_SD: return record.standardDeviation();
    case ZELKOR_DISTRIBUTION_SKEWNESS: return record.skewness();
    default: return record.kurtosis() - 3.0;
    }
}

} // namespace

} // namespace Opt

extern "C" ZELKOR_API int evaluate_distribution(int quantity, const double* row, int count,
                                                const double* values, double* results,
                                                unsigned char* success)
{
    using namespace Opt;
    const double done = flaggedService("evaluate_distribution", success, [&] {
        if (quantity < ZELKOR_DISTRIBUTION_PDF || quantity > ZELKOR_DISTRIBUTION_EXCESS_KURTOSIS) {
            throw std::invalid_argument("quantity = " + std::to_string(quantity) +
                                        " names nothing (0..6)");
        }
        if (count < 0) {
            throw std::invalid_argument("count = " + std::to_string(count) + " is negative");
        }
        requireArray(results, "results");
        const bool readsValues = quantity <= ZELKOR_DISTRIBUTION_QUANTILE;
        if (readsValues && count > 0) {
            requireArray(values, "values");
        }
        const auto record = recordOfRow(row);
        for (int k = 0; k < count; ++k) {
            results[k] = distributionValue(*record, quantity, readsValues ? values[k] : 0.0);
        }
        return 1.0;
    });
    return done == 1.0 ? count : -1;
}
