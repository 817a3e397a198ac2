#include "session/SessionInputCheck.h"

#include <cmath>
#include <sstream>

namespace Opt {

namespace {

std::string problem(const std::ostringstream& text)
{
    return "OptEngineMain: " + text.str() + "; no engine built";
}

std::string checkCounts(int nDesignVariables, int nResponses, bool needsResponses)
{
    std::ostringstream text;
    if (nDesignVariables < 0) {
        text << "nDesignVariables = " << nDesignVariables << " is negative";
    } else if (nDesignVariables == 0) {
        text << "nDesignVariables = 0: a problem needs at least one design variable";
    } else if (nResponses < 0) {
        text << "nResponses = " << nResponses << " is negative";
    } else if (needsResponses && nResponses == 0) {
        text << "nResponses = 0: a problem needs at least its objective response";
    } else {
        return std::string();
    }
    return problem(text);
}

std::string checkVariable(std::size_t i, double startValue, const std::vector<double>& list)
{
    std::ostringstream text;
    if (list.size() < 2) {
        text << "the bound list of design variable " << i << " holds " << list.size()
             << (list.size() == 1 ? " entry" : " entries")
             << " (a lower and an upper bound are needed)";
        return problem(text);
    }
    for (std::size_t k = 0; k < list.size(); ++k) {
        if (!std::isfinite(list[k])) {
            text << "entry " << k << " of the bound list of design variable " << i << " is "
                 << list[k];
            return problem(text);
        }
    }
    if (list.front() > list.back()) {
        text << "design variable " << i << " has lower bound " << list.front()
             << " above its upper bound " << list.back();
        return problem(text);
    }
    if (!std::isfinite(startValue)) {
        text << "the start value of design variable " << i << " is " << startValue;
        return problem(text);
    }
    return std::string();
}

} // namespace

std::string checkSessionInput(int nDesignVariables, int nResponses, bool needsResponses,
                              const std::vector<double>& start,
                              const std::vector<std::vector<double>>& bounds)
{
    const std::string counts = checkCounts(nDesignVariables, nResponses, needsResponses);
    if (!counts.empty()) {
        return counts;
    }
    const auto n = static_cast<std::size_t>(nDesignVariables);
    std::ostringstream text;
    if (start.size() < n) {
        text << "the start vector holds " << start.size() << " values for " << n
             << " design variables";
        return problem(text);
    }
    if (bounds.size() < n) {
        text << "there are " << bounds.size() << " bound lists for " << n << " design variables";
        return problem(text);
    }
    for (std::size_t i = 0; i < n; ++i) {
        const std::string variable = checkVariable(i, start[i], bounds[i]);
        if (!variable.empty()) {
            return variable;
        }
    }
    return std::string();
}

std::string checkStartInsideBounds(const std::vector<double>& start,
                                   const std::vector<std::vector<double>>& bounds)
{
    for (std::size_t i = 0; i < start.size() && i < bounds.size(); ++i) {
        const std::vector<double>& list = bounds[i];
        if (list.size() < 2 || !(list.front() <= list.back())) {
            continue;
        }
        if (start[i] < list.front() || start[i] > list.back()) {
            std::ostringstream text;
            text << "the start value of design variable " << i << " is " << start[i]
                 << ", outside its bounds [" << list.front() << ", " << list.back() << "]";
            return text.str();
        }
    }
    return std::string();
}

} // namespace Opt
