#include "rsm/RSMBase.h"

#include <algorithm>
#include <cassert>
#include <cmath>
#include <stdexcept>
#include <string>

#include "common/NumericConstants.h"
#include "rsm/CurrentDesign.h"
#include "rsm/FatalError.h"

namespace Opt::RSM {

RSMBase::RSMBase(std::shared_ptr<RSMData> record, int id) : data(std::move(record)), responseId(id) {}

double RSMBase::looRSquared() const
{
    return 0.0;
}

int RSMBase::modelType() const
{
    return data->dataType();
}

void RSMBase::loadResponse(int id)
{
    std::vector<bool> failed;
    std::vector<double> values = readResponseColumn(id, &failed);
    double largest = -kFailedEvaluation;
    for (std::size_t i = 0; i < values.size(); ++i) {
        if (!failed[i] && values[i] > -kFailedEvaluation && values[i] < kFailedEvaluation) {
            largest = std::max(largest, values[i]);
        }
    }
    for (std::size_t i = 0; i < values.size(); ++i) {
        if (failed[i]) {
            values[i] = largest;
        }
    }
    responseId = id;
    data->values = std::move(values);
}

void RSMBase::setResponseValues(const std::vector<double>& values)
{
    if (&values == &data->values) {
        return;
    }
    if (values.size() != samples.size()) {
        throw std::invalid_argument("surrogate: " + std::to_string(values.size()) +
                                    " response values for " + std::to_string(samples.size()) +
                                    " sample points");
    }
    data->values = values;
}

double RSMBase::rSquared() const
{
    return 0.0;
}

double RSMBase::predictLeaveOneOut(int /*sample*/, const std::vector<double>& /*x*/) const
{
    return 0.0;
}

void RSMBase::selectResponse(int /*responseId*/) {}

double RSMBase::predictionVariance(const std::vector<double>& /*x*/) const
{
    return 0.0;
}

void RSMBase::predictMany(const double* points, int count, int dimension, double* values) const
{
    std::vector<double> x(static_cast<std::size_t>(std::max(dimension, 0)));
    for (int i = 0; i < count; ++i) {
        std::copy_n(points + static_cast<std::ptrdiff_t>(i) * dimension, x.size(), x.begin());
        values[i] = predict(x);
    }
}

double RSMBase::coefficientOfDetermination(const std::vector<double>& values,
                                           const std::vector<double>& predictions)
{
    assert(values.size() == predictions.size());
    double mean = 0.0;
    for (const double v : values) {
        mean += v;
    }
    mean /= values.empty() ? 1.0 : static_cast<double>(values.size());
    double residual = 0.0;
    double spread = 0.0;
    for (std::size_t i = 0; i < values.size(); ++i) {
        residual += (values[i] - predictions[i]) * (values[i] - predictions[i]);
        spread += (values[i] - mean) * (values[i] - mean);
    }
    if (std::fabs(spread) < kNumericZero) {
        return 1.0;
    }
    return 1.0 - residual / spread;
}

double RSMBase::clampToUnitInterval(double value)
{
    return std::min(1.0, std::max(0.0, value));
}

void RSMBase::takeCurrentSample(int variableCount)
{
    const auto design = currentDesign();
    const int count = design == nullptr ? 0 : design->pointCount;
    if (count < 2) {
        raiseFatal(FatalCause::TooFewPoints);
    }
    if (design->pointSet == nullptr || design->pointSet->points.size() < static_cast<std::size_t>(count)) {
        throw std::logic_error("surrogate: the current design counts " + std::to_string(count) +
                               " points but holds fewer");
    }
    const auto& points = design->pointSet->points;
    for (int i = 0; i < count; ++i) {
        if (points[static_cast<std::size_t>(i)].size() != static_cast<std::size_t>(variableCount)) {
            throw std::invalid_argument(
                "surrogate: point " + std::to_string(i) + " of the current design has " +
                std::to_string(points[static_cast<std::size_t>(i)].size()) +
                " coordinates, the model " + std::to_string(variableCount) + " variables");
        }
    }
    samples.assign(points.begin(), points.begin() + count);
}

std::vector<double> RSMBase::readResponseColumn(int id, std::vector<bool>* failed) const
{
    const auto design = currentDesign();
    if (design == nullptr || design->pointSet == nullptr) {
        throw std::logic_error("surrogate: no current design to load response " +
                               std::to_string(id) + " from");
    }
    const std::size_t count = samples.size();
    if (design->pointCount != static_cast<int>(count)) {
        throw std::logic_error("surrogate: the current design has " +
                               std::to_string(design->pointCount) +
                               " points, the model was built on " + std::to_string(count));
    }
    auto& set = *design->pointSet;
    const int column = set.responseColumns.emplace(id, 0).first->second;
    if (set.responses.size() < count) {
        throw std::out_of_range("surrogate: the response table has " +
                                std::to_string(set.responses.size()) + " rows for " +
                                std::to_string(count) + " points");
    }
    std::vector<double> values(count);
    if (failed != nullptr) {
        failed->assign(count, false);
    }
    for (std::size_t i = 0; i < count; ++i) {
        const auto& row = set.responses[i];
        if (column < 0 || static_cast<std::size_t>(column) >= row.size()) {
            throw std::out_of_range("surrogate: response " + std::to_string(id) + " has column " +
                                    std::to_string(column) + ", row " + std::to_string(i) +
                                    " of the response table has " + std::to_string(row.size()));
        }
        const double raw = row[static_cast<std::size_t>(column)];
        values[i] = raw / data->scale;
        if (failed != nullptr && std::fabs(raw - kFailedEvaluation) < kNumericZero) {
            (*failed)[i] = true;
        }
    }
    return values;
}

bool RSMBase::buildOnce(bool& built, const std::function<void()>& fit)
{
    if (built) {
        return false;
    }
    try {
        fit();
    } catch (const SurrogateFailure&) {
        throw; // reported already
    } catch (const DeferredFatal&) {
        throw; // reported by the thread that started the fit
    } catch (const std::exception& failure) {
        raiseFatal(FatalCause::BuildFailed, failure.what());
    } catch (...) {
        raiseFatal(FatalCause::BuildFailed, "an exception of unknown type");
    }
    built = true; // only a fit that succeeded counts
    return true;
}

void RSMBase::requirePoint(const std::vector<double>& x, int variableCount)
{
    if (x.size() != static_cast<std::size_t>(variableCount)) {
        throw std::invalid_argument("surrogate: a point of " + std::to_string(x.size()) +
                                    " coordinates for a model of " +
                                    std::to_string(variableCount) + " variables");
    }
}

void RSMBase::requireSample(int sample) const
{
    if (sample < 0 || sample >= sampleCount()) {
        throw std::out_of_range("surrogate: sample " + std::to_string(sample) + " of " +
                                std::to_string(sampleCount()));
    }
}

double RSMBase::determinationAtSamples(const std::function<double(int)>& predictionAt) const
{
    if (samples.empty() || data->values.size() != samples.size()) {
        return 0.0; // a model restored from a file keeps no values to compare with
    }
    std::vector<double> predictions(samples.size());
    for (std::size_t i = 0; i < samples.size(); ++i) {
        predictions[i] = predictionAt(static_cast<int>(i));
    }
    return coefficientOfDetermination(data->values, predictions);
}

} // namespace Opt::RSM
