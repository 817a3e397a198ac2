#include "rsm/EnsembleOfSurrogates.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>
#include <string>
#include <utility>

#include "common/NumericConstants.h"
#include "rsm/ModelFileError.h"
#include "rsm/ModelFileReader.h"
#include "rsm/ModelFileWriter.h"
#include "rsm/NearestSampleList.h"

namespace Opt::RSM {

namespace {

constexpr int kKrigingMember = 1;
constexpr int kRadialBasisMember = 2;

double distance(const std::vector<double>& a, const std::vector<double>& b)
{
    double sum = 0.0;
    for (std::size_t k = 0; k < a.size(); ++k) {
        sum += (a[k] - b[k]) * (a[k] - b[k]);
    }
    return std::sqrt(sum);
}

// 3t^2 - 2t^3: 0 at a sample, 1 where x is as far from its nearest sample as
// from the second nearest.
double interpolationFactor(double t)
{
    return t * t * (3.0 - 2.0 * t);
}

} // namespace

EnsembleOfSurrogates::EnsembleOfSurrogates(int id, const EnsembleMemberSettings& settings,
                                           int neighbourSetting)
    : RSMBase(std::make_shared<EOSData>(), id), variableCount(settings.variableCount)
{
    takeCurrentSample(variableCount);
    polynomial = std::make_shared<PolynomialRegression>(settings.polynomialKind, id, variableCount,
                                                        settings.pointCount);
    kriging = std::make_shared<Kriging>(settings.krigingTrendKind, settings.correlationKind,
                                        settings.krigingSolveMode, settings.pointCount,
                                        variableCount, id, settings.krigingSearchOptions);
    radialBasis = std::make_shared<RadialBasisFunction>(id, settings.radialBasisKind, variableCount,
                                                        settings.pointCount);
    supportVector = std::make_shared<SupportVectorRegression>(id, variableCount, settings.pointCount);
    neighbourCount = neighbourSetting < 2 ? std::max(variableCount, 2) : neighbourSetting;
    data->values.assign(samples.size(), 0.0);
}

EnsembleOfSurrogates::EnsembleOfSurrogates(Restored, int id, int variables)
    : RSMBase(std::make_shared<EOSData>(), id), variableCount(variables), built(true)
{
}

void EnsembleOfSurrogates::prepareToPredict(const RSMBase& model, const std::vector<double>& x)
{
    if (const auto* ensemble = dynamic_cast<const EnsembleOfSurrogates*>(&model)) {
        NearestSampleList::resize(ensemble->neighbourCount);
        NearestSampleList::fill(x, model.samplePoints());
    }
}

std::array<const RSMBase*, EnsembleOfSurrogates::kMemberCount> EnsembleOfSurrogates::members() const
{
    return {polynomial.get(), kriging.get(), radialBasis.get(), supportVector.get()};
}

bool EnsembleOfSurrogates::build(bool withCrossValidation)
{
    if (built) {
        return false;
    }
    built = true;
    // Each member turns its own fit failures into the fatal build failure.
    return polynomial->build(withCrossValidation) && kriging->build(withCrossValidation) &&
           radialBasis->build(withCrossValidation) && supportVector->build(withCrossValidation);
}

void EnsembleOfSurrogates::loadResponse(int id)
{
    RSMBase::loadResponse(id);
    polynomial->loadResponse(id);
    kriging->loadResponse(id);
    radialBasis->loadResponse(id);
    supportVector->loadResponse(id);
}

void EnsembleOfSurrogates::setResponseValues(const std::vector<double>& values)
{
    RSMBase::setResponseValues(values);
    polynomial->setResponseValues(values);
    kriging->setResponseValues(values);
    radialBasis->setResponseValues(values);
    supportVector->setResponseValues(values);
}

std::vector<int> EnsembleOfSurrogates::neighbours(const std::vector<int>& list) const
{
    const std::size_t k = std::min(static_cast<std::size_t>(neighbourCount), samples.size());
    if (list.size() < k || k < 2) {
        throw std::logic_error("ensemble: the nearest-sample list holds " +
                               std::to_string(list.size()) + " points, " + std::to_string(k) +
                               " needed (fill it for the prediction point first)");
    }
    std::vector<int> first(list.begin(), list.begin() + static_cast<std::ptrdiff_t>(k));
    for (const int j : first) {
        requireSample(j);
    }
    return first;
}

std::array<double, EnsembleOfSurrogates::kMemberCount>
EnsembleOfSurrogates::memberErrors(const std::vector<double>& x) const
{
    return errorsNear(x, NearestSampleList::indices());
}

std::array<double, EnsembleOfSurrogates::kMemberCount>
EnsembleOfSurrogates::memberWeights(const std::vector<double>& x) const
{
    return weightsNear(x, NearestSampleList::indices());
}

std::array<double, EnsembleOfSurrogates::kMemberCount>
EnsembleOfSurrogates::errorsNear(const std::vector<double>& x, const std::vector<int>& list) const
{
    requirePoint(x, variableCount);
    const std::vector<int> near = neighbours(list);
    const double nearest = distance(x, samples[static_cast<std::size_t>(near[0])]);
    const double second = distance(x, samples[static_cast<std::size_t>(near[1])]);
    const double t = second > 0.0 ? nearest / second : 0.0;
    std::array<double, kMemberCount> errors{};
    const auto all = members();
    for (int m = 0; m < kMemberCount; ++m) {
        const double value = all[static_cast<std::size_t>(m)]->predict(x);
        double sum = 0.0;
        for (const int j : near) {
            const double difference = value - all[static_cast<std::size_t>(m)]->predictLeaveOneOut(j, x);
            sum += difference * difference;
        }
        double error = std::sqrt(sum / static_cast<double>(near.size()));
        if (m == kKrigingMember || m == kRadialBasisMember) {
            error *= interpolationFactor(t);
        }
        errors[static_cast<std::size_t>(m)] = error;
    }
    return errors;
}

std::array<double, EnsembleOfSurrogates::kMemberCount>
EnsembleOfSurrogates::weightsNear(const std::vector<double>& x, const std::vector<int>& list) const
{
    const std::array<double, kMemberCount> errors = errorsNear(x, list);
    std::array<double, kMemberCount> weights{};
    const auto zero = std::count_if(errors.begin(), errors.end(),
                                    [](double e) { return std::fabs(e) < kNumericZero; });
    if (zero > 0) {
        for (std::size_t m = 0; m < weights.size(); ++m) {
            weights[m] = std::fabs(errors[m]) < kNumericZero ? 1.0 / static_cast<double>(zero) : 0.0;
        }
        return weights;
    }
    double total = 0.0;
    for (const double e : errors) {
        total += 1.0 / e;
    }
    for (std::size_t m = 0; m < weights.size(); ++m) {
        weights[m] = (1.0 / errors[m]) / total;
    }
    return weights;
}

double EnsembleOfSurrogates::predictNear(const std::vector<double>& x, const std::vector<int>& list) const
{
    const std::array<double, kMemberCount> weights = weightsNear(x, list);
    const auto all = members();
    double value = 0.0;
    for (std::size_t m = 0; m < weights.size(); ++m) {
        value += weights[m] * all[m]->predict(x);
    }
    return value;
}

double EnsembleOfSurrogates::predictNormalised(const std::vector<double>& x, bool* ok) const
{
    const double value = predictNear(x, NearestSampleList::indices());
    if (ok != nullptr) {
        *ok = true;
    }
    return value;
}

double EnsembleOfSurrogates::predict(const std::vector<double>& x) const
{
    return predictNormalised(x, nullptr);
}

double EnsembleOfSurrogates::rSquared() const
{
    // A list of this pass's own: assessing one model must not disturb the list a
    // caller filled, nor race with another model assessed at the same time.
    NearestSamples near;
    near.resize(neighbourCount);
    return determinationAtSamples([this, &near](int i) {
        const auto& point = samples[static_cast<std::size_t>(i)];
        near.fill(point, samples);
        return predictNear(point, near.indices());
    });
}

void EnsembleOfSurrogates::storeQuality(std::shared_ptr<DataSet> dataSet) const
{
    if (dataSet == nullptr) {
        return;
    }
    SurrogateSummary& summary = dataSet->surrogateSummaries[responseId];
    summary.rSquared = clampToUnitInterval(rSquared());
}

void EnsembleOfSurrogates::storeModel(std::shared_ptr<DataSet> /*dataSet*/) const {}

void EnsembleOfSurrogates::writeRecord(ModelFileWriter& writer) const
{
    writer.writeInt(static_cast<long long>(samples.size()));
    writer.writeInt(neighbourCount);
    polynomial->writeBlock(writer, true);
    kriging->writeBlock(writer, true);
    radialBasis->writeBlock(writer, true);
    supportVector->writeBlock(writer);
    writer.writeVector(data->values);
}

std::shared_ptr<EnsembleOfSurrogates> EnsembleOfSurrogates::readRecord(ModelFileReader& reader, int id,
                                                                       int variables)
{
    auto model = std::shared_ptr<EnsembleOfSurrogates>(new EnsembleOfSurrogates(Restored{}, id, variables));
    const std::int32_t count = reader.readInt("ensemble point count");
    model->neighbourCount = reader.readInt("ensemble neighbour count");
    model->polynomial = PolynomialRegression::readBlock(reader, id, variables, true);
    model->kriging = Kriging::readBlock(reader, id, variables, true);
    model->radialBasis = RadialBasisFunction::readBlock(reader, id, variables, true);
    model->supportVector = SupportVectorRegression::readBlock(reader, id, variables);
    model->data->values = reader.readVector("ensemble values");
    const std::size_t n = model->data->values.size();
    const auto& krigingRecord = std::as_const(*model->kriging).record();
    if (count < 0 || static_cast<std::size_t>(count) != n || model->neighbourCount < 2 ||
        krigingRecord.weights.size() != n ||
        std::as_const(*model->radialBasis).record().weights.size() != n ||
        std::as_const(*model->supportVector).record().beta.size() != n ||
        std::as_const(*model->polynomial).record().leaveOneOutCoefficients.size() != n) {
        throw ModelFileError{"an ensemble record whose members disagree on the point count " +
                             std::to_string(count) + " or with K = " +
                             std::to_string(model->neighbourCount)};
    }
    return model;
}

void EnsembleOfSurrogates::restoreSamples(const std::vector<std::vector<double>>& points)
{
    restoreSample(points);
    polynomial->restoreSample(points);
    kriging->restoreSample(points);
    radialBasis->restoreSample(points);
    supportVector->restoreSample(points);
    // The SVR block carries no leave-one-out data; the member refits them.
    supportVector->restoreLeaveOneOut(data->values);
}

} // namespace Opt::RSM
