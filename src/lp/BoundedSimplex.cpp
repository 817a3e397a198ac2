#include "lp/BoundedSimplex.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "linalg/LinearAlgebra.h"

namespace Opt {

namespace {

constexpr double kInfinity = std::numeric_limits<double>::infinity();
constexpr double kPivotTolerance = 1e-9;
constexpr double kDegenerateStep = 1e-12;
constexpr int kDegenerateRunBeforeBland = 20;

double startValue(double lower, double upper)
{
    if (std::isfinite(lower)) {
        return lower;
    }
    return std::isfinite(upper) ? upper : 0.0;
}

} // namespace

BoundedSimplex::BoundedSimplex(const LinearProgram& program, const Settings& chosen)
    : m(static_cast<int>(program.rows.size())), n(static_cast<int>(program.objective.size())),
      settings(chosen), a(m, n), cost(static_cast<std::size_t>(n + m), 0.0),
      lower(static_cast<std::size_t>(n + m)), upper(static_cast<std::size_t>(n + m)),
      value(static_cast<std::size_t>(n + m)), head(static_cast<std::size_t>(m)),
      basisRow(static_cast<std::size_t>(n + m), -1), inverse(m, m),
      duals(static_cast<std::size_t>(m), 0.0)
{
    if (settings.maxIterations <= 0) {
        settings.maxIterations = 1000 + 50 * (m + n);
    }
    for (int j = 0; j < n; ++j) {
        cost[j] = program.objective[j];
        lower[j] = program.variableBounds[j][0];
        upper[j] = program.variableBounds[j][1];
        value[j] = startValue(lower[j], upper[j]);
        for (int i = 0; i < m; ++i) {
            a(i, j) = program.rows[i][j];
        }
    }
    for (int i = 0; i < m; ++i) {
        const int logical = n + i;
        lower[logical] = program.rowBounds[i][0];
        upper[logical] = program.rowBounds[i][1];
        head[i] = logical;
        basisRow[logical] = i;
        inverse(i, i) = -1.0;
    }
    recomputeBasicValues();
}

std::vector<double> BoundedSimplex::solution() const
{
    return std::vector<double>(value.begin(), value.begin() + n);
}

double BoundedSimplex::objectiveValue() const
{
    double sum = 0.0;
    for (int j = 0; j < n; ++j) {
        sum += cost[j] * value[j];
    }
    return sum;
}

BoundedSimplex::Status BoundedSimplex::iterate(int maxPivots)
{
    for (int k = 0; k < maxPivots && state == Status::Running; ++k) {
        if (iterationCount >= settings.maxIterations) {
            state = Status::IterationLimit;
            break;
        }
        state = stepOnce();
    }
    return state;
}

BoundedSimplex::Status BoundedSimplex::stepOnce()
{
    std::vector<double> basicCosts;
    const Phase phase = setBasicCosts(basicCosts);
    duals = Linalg::multiply(inverse, basicCosts, Linalg::Transpose::Yes);
    const std::vector<double> d = reducedCosts(duals, phase);
    int direction = 0;
    const int entering = chooseEntering(d, direction);
    if (entering < 0) {
        return phase == Phase::Optimality ? Status::Optimal : Status::Infeasible;
    }
    const std::vector<double> alpha = ftran(entering);
    double step = 0.0;
    const int leavingRow = ratioTest(alpha, direction, phase, step);
    if (leavingRow < 0 && !std::isfinite(upper[entering] - lower[entering])) {
        return phase == Phase::Optimality ? Status::Unbounded : Status::NumericalFailure;
    }
    pivot(entering, direction, leavingRow, step, alpha);
    ++iterationCount;
    if (step <= kDegenerateStep) {
        smallestIndexRule = ++degenerateRun >= kDegenerateRunBeforeBland;
    } else {
        degenerateRun = 0;
        smallestIndexRule = false;
    }
    if (pivotsSinceRefactor >= settings.refactorInterval && !refactor()) {
        return Status::NumericalFailure;
    }
    return Status::Running;
}

BoundedSimplex::Phase BoundedSimplex::setBasicCosts(std::vector<double>& basicCosts) const
{
    basicCosts.assign(static_cast<std::size_t>(m), 0.0);
    bool infeasible = false;
    const double tolerance = settings.feasibilityTolerance;
    for (int i = 0; i < m; ++i) {
        const int j = head[i];
        if (value[j] < lower[j] - tolerance) {
            basicCosts[i] = -1.0;
            infeasible = true;
        } else if (value[j] > upper[j] + tolerance) {
            basicCosts[i] = 1.0;
            infeasible = true;
        }
    }
    if (infeasible) {
        return Phase::Feasibility;
    }
    for (int i = 0; i < m; ++i) {
        basicCosts[i] = cost[head[i]];
    }
    return Phase::Optimality;
}

std::vector<double> BoundedSimplex::reducedCosts(const std::vector<double>& y, Phase phase) const
{
    std::vector<double> d(static_cast<std::size_t>(n + m), 0.0);
    const std::vector<double> aty = Linalg::multiply(a, y, Linalg::Transpose::Yes);
    for (int j = 0; j < n; ++j) {
        d[j] = (phase == Phase::Optimality ? cost[j] : 0.0) - aty[j];
    }
    for (int i = 0; i < m; ++i) {
        d[n + i] = y[i]; // the logical's column is -e_i and its cost 0
    }
    return d;
}

int BoundedSimplex::chooseEntering(const std::vector<double>& d, int& direction) const
{
    const double tolerance = settings.optimalityTolerance;
    int best = -1;
    double bestGain = 0.0;
    for (int j = 0; j < n + m; ++j) {
        if (basisRow[j] >= 0 || lower[j] == upper[j]) {
            continue;
        }
        const bool canRise = value[j] < upper[j] && d[j] < -tolerance;
        const bool canFall = value[j] > lower[j] && d[j] > tolerance;
        if (!canRise && !canFall) {
            continue;
        }
        if (smallestIndexRule) {
            direction = canRise ? 1 : -1;
            return j;
        }
        if (std::fabs(d[j]) > bestGain) {
            bestGain = std::fabs(d[j]);
            best = j;
            direction = canRise ? 1 : -1;
        }
    }
    return best;
}

std::vector<double> BoundedSimplex::ftran(int variable) const
{
    if (variable < n) {
        const double* column = a.data() + static_cast<std::size_t>(variable) * static_cast<std::size_t>(m);
        return Linalg::multiply(inverse, std::vector<double>(column, column + m));
    }
    std::vector<double> alpha = inverse.column(variable - n);
    for (double& entry : alpha) {
        entry = -entry;
    }
    return alpha;
}

int BoundedSimplex::ratioTest(const std::vector<double>& alpha, int direction, Phase phase,
                              double& step) const
{
    const double tolerance = settings.feasibilityTolerance;
    step = kInfinity;
    int leaving = -1;
    double leavingPivot = 0.0;
    for (int i = 0; i < m; ++i) {
        const double rate = -alpha[i] * direction; // change of basic i per unit step
        if (std::fabs(alpha[i]) <= kPivotTolerance) {
            continue;
        }
        const int j = head[i];
        double target = 0.0;
        if (rate > 0.0) {
            if (phase == Phase::Feasibility && value[j] < lower[j] - tolerance) {
                target = lower[j]; // becomes feasible here
            } else if (value[j] <= upper[j] + tolerance) {
                target = upper[j];
            } else {
                continue; // above its upper bound and rising: nothing ahead
            }
        } else {
            if (phase == Phase::Feasibility && value[j] > upper[j] + tolerance) {
                target = upper[j];
            } else if (value[j] >= lower[j] - tolerance) {
                target = lower[j];
            } else {
                continue;
            }
        }
        if (!std::isfinite(target)) {
            continue;
        }
        const double ratio = std::max(0.0, (target - value[j]) / rate);
        const bool better = ratio < step - kDegenerateStep;
        const bool tie = !better && ratio <= step + kDegenerateStep;
        if (better || (tie && (smallestIndexRule ? j < head[leaving]
                                                 : std::fabs(alpha[i]) > leavingPivot))) {
            step = ratio;
            leaving = i;
            leavingPivot = std::fabs(alpha[i]);
        }
    }
    return leaving;
}

void BoundedSimplex::pivot(int entering, int direction, int leavingRow, double step,
                           const std::vector<double>& alpha)
{
    const double range = upper[entering] - lower[entering];
    const bool flip = std::isfinite(range) && (leavingRow < 0 || range <= step);
    if (flip) {
        step = range;
    }
    for (int i = 0; i < m; ++i) {
        value[head[i]] -= alpha[i] * direction * step;
    }
    value[entering] += direction * step;
    if (flip) {
        value[entering] = direction > 0 ? upper[entering] : lower[entering];
        return;
    }
    // The leaving variable settles exactly on the bound it reached.
    const int leaving = head[leavingRow];
    const double rate = -alpha[leavingRow] * direction;
    const double reached = rate > 0.0 ? upper[leaving] : lower[leaving];
    const double viaFeasibility = rate > 0.0 ? lower[leaving] : upper[leaving];
    value[leaving] = std::fabs(value[leaving] - reached) <= std::fabs(value[leaving] - viaFeasibility)
                         ? reached
                         : viaFeasibility;
    basisRow[leaving] = -1;
    basisRow[entering] = leavingRow;
    head[leavingRow] = entering;

    const double p = alpha[leavingRow];
    for (int c = 0; c < m; ++c) {
        const double t = inverse(leavingRow, c) / p;
        if (t != 0.0) {
            for (int i = 0; i < m; ++i) {
                inverse(i, c) -= alpha[i] * t;
            }
        }
        inverse(leavingRow, c) = t;
    }
    ++pivotsSinceRefactor;
}

bool BoundedSimplex::refactor()
{
    Matrix basis(m, m);
    for (int i = 0; i < m; ++i) {
        const int j = head[i];
        if (j < n) {
            for (int r = 0; r < m; ++r) {
                basis(r, i) = a(r, j);
            }
        } else {
            basis(j - n, i) = -1.0;
        }
    }
    if (!Linalg::invertGeneral(basis).ok()) {
        return false;
    }
    inverse = basis;
    pivotsSinceRefactor = 0;
    recomputeBasicValues();
    return true;
}

void BoundedSimplex::recomputeBasicValues()
{
    // B x_B + N x_N = 0 with the logical columns -e_i.
    std::vector<double> nonbasic(static_cast<std::size_t>(n), 0.0);
    for (int j = 0; j < n; ++j) {
        if (basisRow[j] < 0) {
            nonbasic[j] = value[j];
        }
    }
    std::vector<double> rhs = Linalg::multiply(a, nonbasic);
    for (int i = 0; i < m; ++i) {
        if (basisRow[n + i] < 0) {
            rhs[i] -= value[n + i];
        }
    }
    const std::vector<double> basic = Linalg::multiply(inverse, rhs);
    for (int i = 0; i < m; ++i) {
        value[head[i]] = -basic[i];
    }
}

} // namespace Opt
