#include "lp/BoundedSimplex.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <utility>

#include "linalg/LinearAlgebra.h"

namespace Opt {

namespace {

constexpr double kInfinity = std::numeric_limits<double>::infinity();
// Below this no entry is a pivot, however large the rest of its column: it
// guards columns that are zero but for rounding.
constexpr double kAbsolutePivotFloor = 1e-11;
constexpr double kDegenerateStep = 1e-12;
// Keeps 2^exponent and its reciprocal far from overflow and from denormals.
constexpr int kLargestScaleExponent = 400;

double startValue(double lower, double upper)
{
    if (std::isfinite(lower)) {
        return lower;
    }
    return std::isfinite(upper) ? upper : 0.0;
}

double nearestPowerOfTwo(double factor)
{
    const long exponent = std::lround(std::log2(factor));
    return std::ldexp(1.0, static_cast<int>(std::clamp<long>(exponent, -kLargestScaleExponent,
                                                             kLargestScaleExponent)));
}

} // namespace

BoundedSimplex::BoundedSimplex(const LinearProgram& program, const Settings& chosen)
    : m(static_cast<int>(program.rows.size())), n(static_cast<int>(program.objective.size())),
      settings(chosen), a(m, n), rowScale(static_cast<std::size_t>(m), 1.0),
      columnScale(static_cast<std::size_t>(n), 1.0), cost(static_cast<std::size_t>(n + m), 0.0),
      lower(static_cast<std::size_t>(n + m)), upper(static_cast<std::size_t>(n + m)),
      value(static_cast<std::size_t>(n + m)), head(static_cast<std::size_t>(m)),
      basisRow(static_cast<std::size_t>(n + m), -1), inverse(m, m), factorWork(m, m),
      basicCosts(static_cast<std::size_t>(m), 0.0), duals(static_cast<std::size_t>(m), 0.0),
      columnDuals(static_cast<std::size_t>(n), 0.0), reducedCost(static_cast<std::size_t>(n + m), 0.0),
      alpha(static_cast<std::size_t>(m), 0.0), rightHandSide(static_cast<std::size_t>(m), 0.0),
      basicSolution(static_cast<std::size_t>(m), 0.0), structuralWork(static_cast<std::size_t>(n), 0.0)
{
    if (settings.maxIterations <= 0) {
        settings.maxIterations = 1000 + 50 * (m + n);
    }
    if (settings.scaleMatrix) {
        scale(program);
    }
    loadScaled(program);
    for (int i = 0; i < m; ++i) {
        head[i] = n + i;
        basisRow[n + i] = i;
        inverse(i, i) = -1.0;
    }
    recomputeBasicValues();
}

void BoundedSimplex::scale(const LinearProgram& program)
{
    const auto entry = [&](int i, int j) { return program.rows[i][j] * rowScale[i] * columnScale[j]; };
    for (int i = 0; i < m; ++i) {
        double largest = 0.0;
        for (int j = 0; j < n; ++j) {
            largest = std::max(largest, std::fabs(entry(i, j)));
        }
        rowScale[i] = nearestPowerOfTwo(largest > 0.0 ? 1.0 / largest : 1.0);
    }
    for (int j = 0; j < n; ++j) {
        double largest = 0.0;
        for (int i = 0; i < m; ++i) {
            largest = std::max(largest, std::fabs(entry(i, j)));
        }
        columnScale[j] = nearestPowerOfTwo(largest > 0.0 ? 1.0 / largest : 1.0);
    }
}

// Structural x_j becomes x_j / C_j and logical s_i becomes R_i s_i; infinite
// bounds stay infinite.
void BoundedSimplex::loadScaled(const LinearProgram& program)
{
    for (int j = 0; j < n; ++j) {
        cost[j] = program.objective[j] * columnScale[j];
        lower[j] = program.variableBounds[j][0] / columnScale[j];
        upper[j] = program.variableBounds[j][1] / columnScale[j];
        value[j] = startValue(lower[j], upper[j]);
        for (int i = 0; i < m; ++i) {
            a(i, j) = program.rows[i][j] * rowScale[i] * columnScale[j];
        }
    }
    for (int i = 0; i < m; ++i) {
        lower[n + i] = program.rowBounds[i][0] * rowScale[i];
        upper[n + i] = program.rowBounds[i][1] * rowScale[i];
    }
}

std::vector<double> BoundedSimplex::solution() const
{
    std::vector<double> x(static_cast<std::size_t>(n));
    for (int j = 0; j < n; ++j) {
        x[j] = value[j] * columnScale[j];
    }
    return x;
}

double BoundedSimplex::objectiveValue() const
{
    double sum = 0.0;
    for (int j = 0; j < n; ++j) {
        sum += cost[j] * value[j];
    }
    return sum;
}

std::vector<double> BoundedSimplex::rowDuals() const
{
    std::vector<double> y(static_cast<std::size_t>(m));
    for (int i = 0; i < m; ++i) {
        y[i] = duals[i] * rowScale[i];
    }
    return y;
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
    Choice choice = price();
    if (choice.entering < 0 && pivotsSinceRefactor > 0) {
        if (!refreshBasis()) {
            return Status::NumericalFailure;
        }
        choice = price();
    }
    if (choice.entering < 0) {
        return choice.phase == Phase::Optimality ? Status::Optimal : Status::Infeasible;
    }
    ftran(choice.entering);
    double step = 0.0;
    const int leavingRow = ratioTest(choice.direction, choice.phase, step);
    if (leavingRow < 0 && !std::isfinite(upper[choice.entering] - lower[choice.entering])) {
        if (pivotsSinceRefactor > 0) {
            // Price again from a fresh inverse before calling the program unbounded.
            return refreshBasis() ? Status::Running : Status::NumericalFailure;
        }
        return choice.phase == Phase::Optimality ? Status::Unbounded : Status::NumericalFailure;
    }
    pivot(choice.entering, choice.direction, leavingRow, step);
    ++iterationCount;
    noteStepLength(step);
    if (pivotsSinceRefactor >= settings.refactorInterval && !refreshBasis()) {
        return Status::NumericalFailure;
    }
    return Status::Running;
}

BoundedSimplex::Choice BoundedSimplex::price()
{
    Choice choice{setBasicCosts(), -1, 0};
    Linalg::multiplyInto(inverse, basicCosts, Linalg::Transpose::Yes, duals);
    computeReducedCosts(choice.phase);
    choice.entering = chooseEntering(choice.direction);
    return choice;
}

BoundedSimplex::Phase BoundedSimplex::setBasicCosts()
{
    std::fill(basicCosts.begin(), basicCosts.end(), 0.0);
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

void BoundedSimplex::computeReducedCosts(Phase phase)
{
    Linalg::multiplyInto(a, duals, Linalg::Transpose::Yes, columnDuals);
    for (int j = 0; j < n; ++j) {
        reducedCost[j] = (phase == Phase::Optimality ? cost[j] : 0.0) - columnDuals[j];
    }
    for (int i = 0; i < m; ++i) {
        reducedCost[n + i] = duals[i]; // the logical's column is -e_i and its cost 0
    }
}

int BoundedSimplex::chooseEntering(int& direction) const
{
    const double tolerance = settings.optimalityTolerance;
    int best = -1;
    double bestGain = 0.0;
    for (int j = 0; j < n + m; ++j) {
        if (basisRow[j] >= 0 || lower[j] == upper[j]) {
            continue;
        }
        const double d = reducedCost[j];
        const bool canRise = value[j] < upper[j] && d < -tolerance;
        const bool canFall = value[j] > lower[j] && d > tolerance;
        if (!canRise && !canFall) {
            continue;
        }
        if (smallestIndexRule) {
            direction = canRise ? 1 : -1;
            return j;
        }
        if (std::fabs(d) > bestGain) {
            bestGain = std::fabs(d);
            best = j;
            direction = canRise ? 1 : -1;
        }
    }
    return best;
}

void BoundedSimplex::ftran(int variable)
{
    if (variable < n) {
        const double* column = a.data() + static_cast<std::size_t>(variable) * static_cast<std::size_t>(m);
        std::copy(column, column + m, rightHandSide.begin());
        Linalg::multiplyInto(inverse, rightHandSide, Linalg::Transpose::No, alpha);
        return;
    }
    const int logicalRow = variable - n;
    for (int i = 0; i < m; ++i) {
        alpha[i] = -inverse(i, logicalRow);
    }
}

int BoundedSimplex::ratioTest(int direction, Phase phase, double& step) const
{
    double largestEntry = 0.0;
    for (double entry : alpha) {
        largestEntry = std::max(largestEntry, std::fabs(entry));
    }
    const double pivotTolerance = std::max(kAbsolutePivotFloor, kRelativePivotTolerance * largestEntry);
    const double tolerance = settings.feasibilityTolerance;
    step = kInfinity;
    int leaving = -1;
    double leavingPivot = 0.0;
    for (int i = 0; i < m; ++i) {
        if (std::fabs(alpha[i]) <= pivotTolerance) {
            continue;
        }
        const double rate = -alpha[i] * direction; // change of basic i per unit step
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

void BoundedSimplex::pivot(int entering, int direction, int leavingRow, double step)
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

void BoundedSimplex::noteStepLength(double step)
{
    if (step <= kDegenerateStep) {
        smallestIndexRule = ++degenerateRun >= settings.degenerateRunBeforeBland;
    } else {
        degenerateRun = 0;
        smallestIndexRule = false;
    }
}

// A fresh inverse, from the current basis when it factors, from the slack
// basis otherwise; false once the slack restarts are used up.
bool BoundedSimplex::refreshBasis()
{
    if (refactor()) {
        return true;
    }
    restartFromSlackBasis();
    return slackRestarts <= kMaxSlackRestarts;
}

bool BoundedSimplex::refactor()
{
    std::fill(factorWork.data(), factorWork.data() + static_cast<std::size_t>(m) * m, 0.0);
    for (int i = 0; i < m; ++i) {
        const int j = head[i];
        if (j < n) {
            for (int r = 0; r < m; ++r) {
                factorWork(r, i) = a(r, j);
            }
        } else {
            factorWork(j - n, i) = -1.0;
        }
    }
    if (!Linalg::invertGeneral(factorWork).ok() ||
        !std::all_of(factorWork.data(), factorWork.data() + static_cast<std::size_t>(m) * m,
                     [](double entry) { return std::isfinite(entry); })) {
        return false;
    }
    std::swap(inverse, factorWork);
    pivotsSinceRefactor = 0;
    recomputeBasicValues();
    return true;
}

void BoundedSimplex::restartFromSlackBasis()
{
    for (int i = 0; i < m; ++i) {
        const int j = head[i];
        if (j < n) {
            basisRow[j] = -1;
            const bool towardsLower = std::fabs(value[j] - lower[j]) <= std::fabs(value[j] - upper[j]);
            if (std::isfinite(lower[j]) && (towardsLower || !std::isfinite(upper[j]))) {
                value[j] = lower[j];
            } else if (std::isfinite(upper[j])) {
                value[j] = upper[j];
            }
        }
    }
    std::fill(inverse.data(), inverse.data() + static_cast<std::size_t>(m) * m, 0.0);
    for (int i = 0; i < m; ++i) {
        head[i] = n + i;
        basisRow[n + i] = i;
        inverse(i, i) = -1.0;
    }
    pivotsSinceRefactor = 0;
    degenerateRun = 0;
    smallestIndexRule = false;
    ++slackRestarts;
    recomputeBasicValues();
}

void BoundedSimplex::recomputeBasicValues()
{
    // B x_B + N x_N = 0 with the logical columns -e_i.
    for (int j = 0; j < n; ++j) {
        structuralWork[j] = basisRow[j] < 0 ? value[j] : 0.0;
    }
    Linalg::multiplyInto(a, structuralWork, Linalg::Transpose::No, rightHandSide);
    for (int i = 0; i < m; ++i) {
        if (basisRow[n + i] < 0) {
            rightHandSide[i] -= value[n + i];
        }
    }
    Linalg::multiplyInto(inverse, rightHandSide, Linalg::Transpose::No, basicSolution);
    for (int i = 0; i < m; ++i) {
        value[head[i]] = -basicSolution[i];
    }
}

} // namespace Opt
