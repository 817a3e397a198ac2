#include "rsm/OrdinaryKrigingGeo.h"

#include <cmath>
#include <stdexcept>
#include <string>

#include "linalg/LinearAlgebra.h"
#include "rsm/ModelFileError.h"
#include "rsm/ModelFileReader.h"
#include "rsm/ModelFileWriter.h"

namespace Opt::RSM {

namespace {

double distance(const std::vector<double>& a, const std::vector<double>& b)
{
    double sum = 0.0;
    for (std::size_t k = 0; k < a.size(); ++k) {
        sum += (a[k] - b[k]) * (a[k] - b[k]);
    }
    return std::sqrt(sum);
}

} // namespace

OrdinaryKrigingGeo::OrdinaryKrigingGeo(int id, int modelSetting, int variables, double a,
                                       int /*pointCount: the model takes every point*/)
    : RSMBase(std::make_shared<RSMData>(), id), variableCount(variables), setting(modelSetting),
      slope(a)
{
    if (variableCount < 1) {
        throw std::invalid_argument("ordinary kriging: " + std::to_string(variableCount) +
                                    " variables");
    }
    if (!std::isfinite(slope) || slope == 0.0) {
        throw std::invalid_argument("ordinary kriging: variogram slope " + std::to_string(slope));
    }
    takeCurrentSample(variableCount);
    data->values.assign(samples.size(), 0.0);
}

OrdinaryKrigingGeo::OrdinaryKrigingGeo(Restored, int id, int variables)
    : RSMBase(std::make_shared<RSMData>(), id), variableCount(variables), built(true)
{
}

bool OrdinaryKrigingGeo::build(bool /*withCrossValidation*/)
{
    return buildOnce(built, [this] {
        const int n = sampleCount();
        Matrix g(n + 1, n + 1);
        for (int j = 0; j < n; ++j) {
            for (int i = j + 1; i < n; ++i) {
                g(i, j) = slope * distance(samples[static_cast<std::size_t>(i)],
                                           samples[static_cast<std::size_t>(j)]);
            }
            g(n, j) = slope;
        }
        const Linalg::LinalgStatus status = Linalg::invertSymmetric(g);
        if (!status.ok()) {
            throw std::runtime_error("ordinary kriging: " + status.message);
        }
        inverse = std::move(g);
    });
}

double OrdinaryKrigingGeo::predictNormalised(const std::vector<double>& x, bool* ok) const
{
    requirePoint(x, variableCount);
    const auto n = data->values.size();
    if (inverse.rows() != static_cast<int>(n) + 1 || samples.size() != n) {
        throw std::logic_error("ordinary kriging: predicting before build");
    }
    std::vector<double> g(n + 1, slope);
    for (std::size_t i = 0; i < n; ++i) {
        g[i] = slope * distance(x, samples[i]);
    }
    const std::vector<double> lambda = Linalg::multiply(inverse, g);
    double value = 0.0;
    for (std::size_t i = 0; i < n; ++i) {
        value += lambda[i] * data->values[i];
    }
    if (ok != nullptr) {
        *ok = true;
    }
    return value;
}

double OrdinaryKrigingGeo::predict(const std::vector<double>& x) const
{
    return predictNormalised(x, nullptr);
}

void OrdinaryKrigingGeo::storeQuality(std::shared_ptr<DataSet> /*dataSet*/) const {}

void OrdinaryKrigingGeo::storeModel(std::shared_ptr<DataSet> /*dataSet*/) const {}

void OrdinaryKrigingGeo::writeRecord(ModelFileWriter& writer) const
{
    writer.writeInt(static_cast<long long>(data->values.size()));
    writer.writeDouble(slope);
    writer.writeInt(setting);
    writer.writeVector(std::vector<double>(
        inverse.data(), inverse.data() + static_cast<std::ptrdiff_t>(inverse.rows()) * inverse.columns()));
    writer.writeVector(data->values);
}

std::shared_ptr<OrdinaryKrigingGeo> OrdinaryKrigingGeo::readRecord(ModelFileReader& reader, int id,
                                                                   int variables)
{
    auto model = std::shared_ptr<OrdinaryKrigingGeo>(new OrdinaryKrigingGeo(Restored{}, id, variables));
    const std::int32_t count = reader.readInt("ordinary kriging point count");
    model->slope = reader.readDouble("ordinary kriging slope");
    model->setting = reader.readInt("ordinary kriging setting");
    const std::vector<double> flat = reader.readVector("ordinary kriging inverse");
    model->data->values = reader.readVector("ordinary kriging values");
    const auto n = model->data->values.size();
    if (count < 0 || static_cast<std::size_t>(count) != n || flat.size() != (n + 1) * (n + 1)) {
        throw ModelFileError{"ordinary kriging record of " + std::to_string(count) + " points, " +
                             std::to_string(n) + " values and an inverse of " +
                             std::to_string(flat.size()) + " entries"};
    }
    model->inverse = Matrix(static_cast<int>(n) + 1, static_cast<int>(n) + 1);
    std::copy(flat.begin(), flat.end(), model->inverse.data());
    return model;
}

} // namespace Opt::RSM
