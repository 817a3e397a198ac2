#pragma once

#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "common/DesignVariable.h"
#include "common/ErrorMessages.h"

namespace Opt::DOE::Testing {

// k continuous variables on [0, 1], so caller units equal normalised units.
inline std::vector<DesignVariable> unitVariables(int k)
{
    return std::vector<DesignVariable>(static_cast<std::size_t>(k), DesignVariable({0.0, 1.0}, 0.5));
}

// Factor j of every point.
inline std::vector<double> column(const std::vector<std::vector<double>>& points, std::size_t j)
{
    std::vector<double> values;
    for (const auto& point : points) {
        values.push_back(point.at(j));
    }
    return values;
}

// The message a construction throws as a std::string, or "" when it throws none.
inline std::string thrownMessage(const std::function<void()>& construction)
{
    try {
        construction();
    } catch (const std::string& message) {
        return message;
    }
    return std::string();
}

inline const std::string& pointLimitMessage()
{
    return errorMessage(ErrorCode::PointLimitExceeded);
}

} // namespace Opt::DOE::Testing
