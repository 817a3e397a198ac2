#include "lp/LinearProgramming.h"

#include <cmath>

#include "common/ErrorMessages.h"

namespace Opt {

namespace {

bool allFinite(const std::vector<double>& values)
{
    for (double v : values) {
        if (!std::isfinite(v)) {
            return false;
        }
    }
    return true;
}

bool validBounds(const std::vector<double>& bounds)
{
    return bounds[0] <= bounds[1] && bounds[0] != HUGE_VAL && bounds[1] != -HUGE_VAL;
}

} // namespace

LinearProgramming::LinearProgramming(const std::vector<double>& reals, const std::vector<int>& ints)
    : OptEngine({}, {}, 0)
{
    auto record = std::make_shared<LinearProgrammingParameter>();
    const bool complete = static_cast<int>(reals.size()) >= LinearProgrammingParameter::kRealCount &&
                          static_cast<int>(ints.size()) >= LinearProgrammingParameter::kIntCount;
    record->load(complete ? reals.data() : nullptr, complete ? ints.data() : nullptr);
    parameter = record;
}

void LinearProgramming::setLinearProgram(const LinearProgram& given)
{
    program = given;
    programGiven = true;
    simplex.reset();
    finished = false;
}

void LinearProgramming::checkProgram(const LinearProgram& program)
{
    const std::size_t n = program.objective.size();
    bool consistent = n > 0 && program.variableBounds.size() == n &&
                      program.rowBounds.size() == program.rows.size() &&
                      allFinite(program.objective);
    for (std::size_t i = 0; consistent && i < program.rows.size(); ++i) {
        consistent = program.rows[i].size() == n && allFinite(program.rows[i]) &&
                     program.rowBounds[i].size() == 2 && !std::isnan(program.rowBounds[i][0]) &&
                     !std::isnan(program.rowBounds[i][1]);
    }
    for (std::size_t j = 0; consistent && j < n; ++j) {
        consistent = program.variableBounds[j].size() == 2 &&
                     !std::isnan(program.variableBounds[j][0]) &&
                     !std::isnan(program.variableBounds[j][1]);
    }
    if (!consistent) {
        throwError(ErrorCode::InvalidInput);
    }
    for (const auto& bounds : program.variableBounds) {
        if (!validBounds(bounds)) {
            throwError(ErrorCode::InvalidVariableBounds);
        }
    }
    for (const auto& bounds : program.rowBounds) {
        if (!validBounds(bounds)) {
            throwError(ErrorCode::InvalidVariableBounds);
        }
    }
}

StepCode LinearProgramming::beginIteration(double*, double*, double**)
{
    if (simplex == nullptr && !finished) {
        if (!settings().valid()) {
            throwError(ErrorCode::InvalidSimplexParameter);
        }
        if (!programGiven) {
            throwError(ErrorCode::InvalidInput);
        }
        checkProgram(program);
        BoundedSimplex::Settings simplexSettings;
        simplexSettings.maxIterations = settings().maxIterations;
        simplexSettings.feasibilityTolerance = settings().feasibilityTolerance;
        simplexSettings.optimalityTolerance = settings().optimalityTolerance;
        simplex = std::make_unique<BoundedSimplex>(program, simplexSettings);
    }
    return StepCode::Continue;
}

StepCode LinearProgramming::computeStep(double*, double*, double**)
{
    if (finished) {
        return StepCode::Continue;
    }
    switch (simplex->iterate(settings().pivotsPerStep)) {
    case BoundedSimplex::Status::Running:
        break;
    case BoundedSimplex::Status::Optimal:
        finished = true;
        break;
    case BoundedSimplex::Status::Infeasible:
        throwError(ErrorCode::NoFeasibleSolution);
    case BoundedSimplex::Status::Unbounded:
        throwError(ErrorCode::NotConverged);
    case BoundedSimplex::Status::IterationLimit:
        throwError(ErrorCode::IterationLimitExhausted);
    case BoundedSimplex::Status::NumericalFailure:
        throwError(ErrorCode::SimplexFailed);
    }
    return StepCode::Continue;
}

StepCode LinearProgramming::updateStep()
{
    return StepCode::Continue;
}

StepCode LinearProgramming::endIteration(double*)
{
    if (!finished) {
        return StepCode::Continue;
    }
    iterationCount = simplex->iterations();
    phase = EnginePhase::Stopped;
    return StepCode::Finished;
}

std::vector<double> LinearProgramming::solution() const
{
    return simplex != nullptr ? simplex->solution() : std::vector<double>();
}

double LinearProgramming::objectiveValue() const
{
    return simplex != nullptr ? simplex->objectiveValue() : 0.0;
}

bool LinearProgramming::linearSolution(std::vector<double>& x, double& value) const
{
    if (!finished) {
        return false;
    }
    x = solution();
    value = objectiveValue();
    return true;
}

std::vector<double> LinearProgramming::rowDuals() const
{
    return simplex != nullptr ? simplex->rowDuals() : std::vector<double>();
}

} // namespace Opt
