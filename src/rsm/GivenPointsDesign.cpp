#include "rsm/GivenPointsDesign.h"

#include <stdexcept>
#include <string>

namespace Opt::RSM {

namespace {

std::vector<DesignVariable> placeholderVariables(const std::vector<std::vector<double>>& points)
{
    if (points.empty() || points.front().empty()) {
        throw std::invalid_argument("given design: at least one point of one coordinate is needed");
    }
    const std::size_t width = points.front().size();
    for (std::size_t i = 0; i < points.size(); ++i) {
        if (points[i].size() != width) {
            throw std::invalid_argument("given design: point " + std::to_string(i) + " has " +
                                        std::to_string(points[i].size()) +
                                        " coordinates, point 0 has " + std::to_string(width));
        }
    }
    return std::vector<DesignVariable>(width, DesignVariable({-1.0, 1.0}, 0.0));
}

} // namespace

GivenPointsDesign::GivenPointsDesign(const std::vector<std::vector<double>>& givenPoints)
    : DOEBase(placeholderVariables(givenPoints), false, {})
{
    allocatePoints(static_cast<int>(givenPoints.size()));
    pointSet->points = givenPoints;
}

} // namespace Opt::RSM
