#include "managers/ModelFileQueries.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <exception>
#include <fstream>
#include <iostream>

#include "rsm/DataOutBase.h"
#include "rsm/EnsembleOfSurrogates.h"
#include "rsm/InputNormalisation.h"
#include "rsm/ModelFileError.h"

namespace Opt::RSM {

namespace {

// Evenly spaced from lower to upper, the last value exactly upper.
double gridValue(const DesignVariable& variable, int index, int count)
{
    if (index == count - 1) {
        return variable.upper;
    }
    return variable.lower + (variable.upper - variable.lower) * index / (count - 1);
}

} // namespace

ModelFileQueries::ModelFileQueries(const std::vector<DesignVariable>& designVariables,
                                   std::string* problemSink)
    : variables(designVariables), problem(problemSink)
{
}

void ModelFileQueries::report(const std::string& line) const
{
    if (problem != nullptr) {
        *problem = line;
    } else {
        std::cerr << line << std::endl;
    }
}

std::vector<double> ModelFileQueries::design() const
{
    std::vector<double> x(variables.size());
    for (std::size_t i = 0; i < variables.size(); ++i) {
        x[i] = variables[i].toCallerUnits(variables[i].value);
    }
    return x;
}

bool ModelFileQueries::load(const std::string& fileName, const std::vector<int>& ids,
                            LoadedModels& loaded) const
{
    std::ifstream file(fileName, std::ios::binary);
    std::string reason;
    if (!file) {
        reason = "cannot be opened for reading";
    } else {
        file.seekg(0, std::ios::end);
        const std::streamoff size = file.tellg();
        try {
            if (size < 0) {
                throw ModelFileError{"the size of the file cannot be read"};
            }
            for (const int id : ids) {
                RestoredModel restored = DataOutBase::readRecord(
                    file, static_cast<std::uint64_t>(size), id, static_cast<int>(variables.size()));
                if (restored.trailer) {
                    loaded.normalised = restored.trailer->normalised;
                }
                loaded.models.push_back(std::move(restored.model));
            }
            return true;
        } catch (const ModelFileError& error) {
            reason = error.message;
        }
    }
    report("model file '" + fileName + "': " + reason);
    return false;
}

bool ModelFileQueries::predictRow(const LoadedModels& loaded, const std::vector<int>& ids,
                                  const std::vector<double>& callerPoint,
                                  std::vector<double>& row) const
{
    const std::vector<double> point =
        loaded.normalised ? toSurrogateCoordinates(callerPoint, variables) : callerPoint;
    row.assign(loaded.models.size(), 0.0);
    for (std::size_t k = 0; k < loaded.models.size(); ++k) {
        const RSMBase& model = *loaded.models[k];
        EnsembleOfSurrogates::prepareToPredict(model, point);
        bool ok = true;
        row[k] = model.predictNormalised(point, &ok);
        if (!ok || !std::isfinite(row[k])) {
            report("the model of response " + std::to_string(ids[k]) +
                   " gives no prediction at the design asked for");
            return false;
        }
    }
    return true;
}

std::vector<std::vector<double>> ModelFileQueries::evaluateAt(
    const std::string& fileName, const std::vector<int>& ids,
    const std::vector<std::vector<double>>& points, bool* success) const
{
    std::vector<std::vector<double>> rows(points.size(), std::vector<double>(ids.size(), 0.0));
    LoadedModels loaded;
    bool ok = load(fileName, ids, loaded);
    try {
        for (std::size_t p = 0; ok && p < points.size(); ++p) {
            ok = predictRow(loaded, ids, points[p], rows[p]);
        }
    } catch (const std::exception& error) {
        report("model file '" + fileName + "': " + error.what());
        ok = false;
    }
    if (!ok) {
        *success = false;
        for (auto& row : rows) {
            std::fill(row.begin(), row.end(), 0.0);
        }
    }
    return rows;
}

std::vector<double> ModelFileQueries::evaluateAll(const std::string& fileName,
                                                  const std::vector<int>& ids,
                                                  bool* success) const
{
    return evaluateAt(fileName, ids, {design()}, success).front();
}

std::vector<std::vector<double>> ModelFileQueries::evaluateGrid(const std::string& fileName,
                                                                const std::vector<int>& ids,
                                                                const Grid& grid,
                                                                bool* success) const
{
    const std::vector<double> base = design();
    std::vector<std::vector<double>> points;
    points.reserve(static_cast<std::size_t>(grid.firstCount) *
                   static_cast<std::size_t>(grid.secondCount));
    const auto first = static_cast<std::size_t>(grid.first);
    const auto second = static_cast<std::size_t>(grid.second);
    for (int a = 0; a < grid.firstCount; ++a) {
        for (int b = 0; b < grid.secondCount; ++b) {
            std::vector<double> point = base;
            point[first] = gridValue(variables[first], a, grid.firstCount);
            point[second] = gridValue(variables[second], b, grid.secondCount);
            points.push_back(std::move(point));
        }
    }
    return evaluateAt(fileName, ids, points, success);
}

std::vector<ModelFileQueries::Validation> ModelFileQueries::validate(
    const std::string& fileName, const std::vector<int>& ids,
    const std::vector<std::vector<double>>& points,
    const std::vector<std::vector<double>>& observed, bool* success) const
{
    std::vector<Validation> measures(ids.size());
    bool ok = true;
    const auto predicted = evaluateAt(fileName, ids, points, &ok);
    if (!ok) {
        *success = false;
        return measures;
    }
    for (std::size_t k = 0; k < ids.size(); ++k) {
        std::vector<double> values(points.size());
        std::vector<double> predictions(points.size());
        double squares = 0.0;
        for (std::size_t p = 0; p < points.size(); ++p) {
            values[p] = observed[p][k];
            predictions[p] = predicted[p][k];
            const double error = std::fabs(values[p] - predictions[p]);
            squares += error * error;
            measures[k].largestError = std::max(measures[k].largestError, error);
        }
        measures[k].rSquared = RSMBase::coefficientOfDetermination(values, predictions);
        const auto count = static_cast<double>(std::max<std::size_t>(points.size(), 1));
        measures[k].rootMeanSquareError = std::sqrt(squares / count);
    }
    return measures;
}

} // namespace Opt::RSM
