#include "doe/DOESamplingPointSet.h"

#include <stdexcept>
#include <string>

#include "common/ErrorMessages.h"

namespace Opt::DOE {

namespace {

void requireNonNegative(const char* name, int value)
{
    if (value < 0) {
        throw std::invalid_argument(std::string("DOESamplingPointSet: ") + name + " = " +
                                    std::to_string(value) + " is negative");
    }
}

} // namespace

void DOESamplingPointSet::allocate(int factorCount, int responseCount, int pointCount)
{
    requireNonNegative("factorCount", factorCount);
    requireNonNegative("responseCount", responseCount);
    requireNonNegative("pointCount", pointCount);
    if (pointCount > kPointLimit) {
        throwError(ErrorCode::PointLimitExceeded);
    }
    points.assign(static_cast<std::size_t>(pointCount),
                  std::vector<double>(static_cast<std::size_t>(factorCount), 0.0));
    if (responseCount > 0) {
        allocateResponses(responseCount);
    }
}

void DOESamplingPointSet::allocateResponses(int responseCount)
{
    requireNonNegative("responseCount", responseCount);
    responses.assign(points.size(), std::vector<double>(static_cast<std::size_t>(responseCount), 0.0));
    hasResponses = true;
}

} // namespace Opt::DOE
