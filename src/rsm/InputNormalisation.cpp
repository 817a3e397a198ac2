#include "rsm/InputNormalisation.h"

#include <stdexcept>
#include <string>

#include "common/NumericConstants.h"

namespace Opt::RSM {

namespace {

void requireSameLength(std::size_t points, std::size_t variables)
{
    if (points != variables) {
        throw std::invalid_argument("surrogate coordinates: a point of " + std::to_string(points) +
                                    " coordinates for " + std::to_string(variables) +
                                    " design variables");
    }
}

} // namespace

double toSurrogateCoordinate(double x, const DesignVariable& variable)
{
    const double range = variable.upper - variable.lower;
    if (range < kNumericZero) {
        return 0.0;
    }
    return (x - variable.lower) * 2.0 / range - 1.0;
}

double toDesignCoordinate(double surrogateCoordinate, const DesignVariable& variable)
{
    const double range = variable.upper - variable.lower;
    if (range < kNumericZero) {
        return variable.lower;
    }
    return (surrogateCoordinate + 1.0) * 0.5 * range + variable.lower;
}

std::vector<double> toSurrogateCoordinates(const std::vector<double>& x,
                                           const std::vector<DesignVariable>& variables)
{
    requireSameLength(x.size(), variables.size());
    std::vector<double> mapped(x.size());
    for (std::size_t j = 0; j < x.size(); ++j) {
        mapped[j] = toSurrogateCoordinate(x[j], variables[j]);
    }
    return mapped;
}

std::vector<double> toDesignCoordinates(const std::vector<double>& surrogatePoint,
                                        const std::vector<DesignVariable>& variables)
{
    requireSameLength(surrogatePoint.size(), variables.size());
    std::vector<double> mapped(surrogatePoint.size());
    for (std::size_t j = 0; j < surrogatePoint.size(); ++j) {
        mapped[j] = toDesignCoordinate(surrogatePoint[j], variables[j]);
    }
    return mapped;
}

void normaliseDesignPoints(DOE::DOEBase& design)
{
    if (design.pointSet == nullptr || !design.pointSet->normalised) {
        return;
    }
    for (auto& point : design.pointSet->points) {
        point = toSurrogateCoordinates(point, design.variables);
    }
}

} // namespace Opt::RSM
