// A constraint limit becomes g = (value - upper) / scale or g = (lower - value) / scale
// with scale = |limit| (1 when the limit is 0): relative to the limit, so that
// constraints of different units weigh alike in the methods' penalties and
// tolerances. A maximised objective is negated.
#include "cli/Study.h"

#include <cmath>
#include <sstream>

namespace Opt {
namespace Cli {

namespace {

double limitScale(double limit)
{
    return limit == 0.0 ? 1.0 : std::fabs(limit);
}

}  // namespace

std::vector<double> Study::libraryResponses(const std::vector<double>& analysisValues) const
{
    std::vector<double> objective;
    std::vector<double> constraints;
    for (std::size_t i = 0; i < responses.size() && i < analysisValues.size(); ++i) {
        const Response& response = responses[i];
        const double value = analysisValues[i];
        if (response.role == Response::Role::Objective) {
            objective.push_back(response.maximise ? -value : value);
            continue;
        }
        if (response.upper) {
            constraints.push_back((value - *response.upper) / limitScale(*response.upper));
        }
        if (response.lower) {
            constraints.push_back((*response.lower - value) / limitScale(*response.lower));
        }
    }
    objective.insert(objective.end(), constraints.begin(), constraints.end());
    return objective;
}

int Study::libraryResponseCount() const
{
    int count = 0;
    for (const Response& response : responses) {
        count += response.role == Response::Role::Objective
                     ? 1
                     : static_cast<int>(response.upper.has_value()) +
                           static_cast<int>(response.lower.has_value());
    }
    return count;
}

std::vector<std::vector<double>> Study::boundLists() const
{
    std::vector<std::vector<double>> lists;
    for (const Variable& variable : variables) {
        if (variable.levels.empty()) {
            lists.push_back({variable.lower, variable.upper});
        } else {
            std::vector<double> list{variable.levels.front()};
            list.insert(list.end(), variable.levels.begin(), variable.levels.end());
            list.push_back(variable.levels.back());
            lists.push_back(list);
        }
    }
    return lists;
}

std::string numberText(double value)
{
    std::ostringstream out;
    out.precision(12);
    out << value;
    return out.str();
}

}  // namespace Cli
}  // namespace Opt
