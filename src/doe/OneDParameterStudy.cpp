#include "doe/OneDParameterStudy.h"

#include <cmath>
#include <stdexcept>
#include <string>

namespace Opt::DOE {

namespace {

double codedToCallerUnits(const DesignVariable& variable, double coded)
{
    return variable.lower + (variable.upper - variable.lower) * (coded + 1.0) / 2.0;
}

double codedStart(const DesignVariable& variable)
{
    return 2.0 * variable.toNormalised(variable.start) - 1.0;
}

void checkArguments(const std::vector<DesignVariable>& variables, int studiedFactor,
                    int sampleCount)
{
    if (studiedFactor < 0 || static_cast<std::size_t>(studiedFactor) >= variables.size()) {
        throw std::invalid_argument("OneDParameterStudy: studied factor " +
                                    std::to_string(studiedFactor) + " is not one of the " +
                                    std::to_string(variables.size()) + " design variables");
    }
    if (sampleCount < 0) {
        throw std::invalid_argument("OneDParameterStudy: sampleCount = " +
                                    std::to_string(sampleCount) + " is negative");
    }
    for (std::size_t j = 0; j < variables.size(); ++j) {
        if (!std::isfinite(variables[j].start)) {
            throw std::invalid_argument("OneDParameterStudy: the start of design variable " +
                                        std::to_string(j) + " is not finite");
        }
    }
}

} // namespace

OneDParameterStudy::OneDParameterStudy(const std::vector<DesignVariable>& designVariables,
                                       int studiedFactor, int sampleCount, bool snapAllFactors)
    : DOEBase(designVariables, snapAllFactors, {})
{
    checkArguments(variables, studiedFactor, sampleCount);
    levels = studiedFactor;
    const DesignVariable& studied = variables[static_cast<std::size_t>(studiedFactor)];
    if (snapAll && studied.isDiscrete()) {
        allocatePoints(static_cast<int>(studied.levels.size()));
        writeLevelStudy();
    } else {
        allocatePoints(sampleCount);
        writeContinuousStudy();
    }
}

void OneDParameterStudy::writeContinuousStudy()
{
    auto& rows = points();
    const auto studied = static_cast<std::size_t>(levels);
    if (rows.size() == 1) {
        for (std::size_t j = 0; j < variables.size(); ++j) {
            rows[0][j] = codedToCallerUnits(variables[j], 0.0);
        }
        return;
    }
    const std::vector<double> base = basePoint();
    const double step = 2.0 / static_cast<double>(rows.size() - 1);
    for (std::size_t i = 0; i < rows.size(); ++i) {
        rows[i] = base;
        rows[i][studied] =
            codedToCallerUnits(variables[studied], -1.0 + static_cast<double>(i) * step);
    }
}

void OneDParameterStudy::writeLevelStudy()
{
    auto& rows = points();
    const auto studied = static_cast<std::size_t>(levels);
    const std::vector<double> base = basePoint();
    for (std::size_t i = 0; i < rows.size(); ++i) {
        rows[i] = base;
        rows[i][studied] = variables[studied].toCallerUnits(variables[studied].levels[i]);
    }
}

std::vector<double> OneDParameterStudy::basePoint() const
{
    std::vector<double> base(variables.size());
    for (std::size_t j = 0; j < variables.size(); ++j) {
        base[j] = codedToCallerUnits(variables[j], codedStart(variables[j]));
    }
    return base;
}

} // namespace Opt::DOE
