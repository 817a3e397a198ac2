#include "gradient/DualActiveSetQP.h"

#include <algorithm>
#include <cassert>
#include <cmath>
#include <limits>
#include <sstream>
#include <utility>

#include "linalg/LinearAlgebra.h"

namespace Opt {

using Status = DualActiveSetQP::Status;

namespace {

constexpr double kInfinity = std::numeric_limits<double>::infinity();

std::size_t toSize(int value)
{
    return static_cast<std::size_t>(value);
}

// Position of R(row, column), row ≤ column, in the column-by-column packed
// upper triangle.
std::size_t packedIndex(int row, int column)
{
    return toSize(column) * toSize(column + 1) / 2 + toSize(row);
}

// A plane rotation taking (a, b) to (hypot(a, b), 0).
struct Rotation {
    double cosine = 1.0;
    double sine = 0.0;

    static Rotation annihilating(double a, double b)
    {
        const double length = std::hypot(a, b);
        if (length == 0.0) {
            return {};
        }
        return {a / length, b / length};
    }

    void apply(double& a, double& b) const
    {
        const double first = cosine * a + sine * b;
        b = cosine * b - sine * a;
        a = first;
    }
};

// The work arrays of one solve, cut in order out of the solver's blocks.
struct WorkArrays {
    double* triangle = nullptr;          // R, packed upper triangle, n(n + 1)/2
    double* rowNorms = nullptr;          // ‖a_j‖, m
    double* multipliers = nullptr;       // active multipliers and the one being added, n + 1
    double* transformedNormal = nullptr; // Jᵀ n_p, n
    double* primalDirection = nullptr;   // z, n
    double* dualDirection = nullptr;     // R⁻¹ (Jᵀ n_p) over the active part, n
    double* magnitudes = nullptr;        // magnitude of the terms behind each d_k, n
    double* reduced = nullptr;           // R⁻ᵀ rhs on the active part, -Jᵀc beyond it, n
    double* normal = nullptr;            // a row of the constraint matrix, copied contiguous, n
    int* active = nullptr;               // constraint ids of the active set, n
};

template <typename T>
T* take(std::vector<T>& block, std::size_t& used, std::size_t size)
{
    assert(used + size <= block.size());
    T* slice = block.data() + used;
    used += size;
    return slice;
}

WorkArrays cutWorkArrays(std::vector<double>& doubles, std::vector<int>& ints, int m, int n)
{
    WorkArrays arrays;
    std::size_t used = 0;
    arrays.triangle = take(doubles, used, packedIndex(0, n));
    arrays.rowNorms = take(doubles, used, toSize(m));
    arrays.multipliers = take(doubles, used, toSize(n + 1));
    arrays.transformedNormal = take(doubles, used, toSize(n));
    arrays.primalDirection = take(doubles, used, toSize(n));
    arrays.dualDirection = take(doubles, used, toSize(n));
    arrays.magnitudes = take(doubles, used, toSize(n));
    arrays.reduced = take(doubles, used, toSize(n));
    arrays.normal = take(doubles, used, toSize(n));
    std::size_t usedInts = 0;
    arrays.active = take(ints, usedInts, toSize(n));
    return arrays;
}

template <typename T>
std::string describe(const T& value)
{
    std::ostringstream text;
    text.precision(17);
    text << value;
    return text.str();
}

std::string checkSizes(const DualActiveSetQP::Problem& problem)
{
    const int n = problem.hessian.rows();
    const int m = problem.rows.rows();
    if (n < 1 || problem.hessian.columns() != n) {
        return "hessian is " + describe(problem.hessian.rows()) + " x " +
               describe(problem.hessian.columns()) + "; it must be square with at least one row";
    }
    if (problem.linear.size() != toSize(n)) {
        return "linear has " + describe(problem.linear.size()) + " entries; hessian needs " +
               describe(n);
    }
    if (m > 0 && problem.rows.columns() != n) {
        return "rows has " + describe(problem.rows.columns()) + " columns; hessian needs " +
               describe(n);
    }
    if (problem.offsets.size() != toSize(m)) {
        return "offsets has " + describe(problem.offsets.size()) + " entries; rows has " +
               describe(m) + " rows";
    }
    if (problem.nEqualities < 0 || problem.nEqualities > m) {
        return "nEqualities is " + describe(problem.nEqualities) + "; it must lie in [0, " +
               describe(m) + "]";
    }
    if (problem.lower.size() != toSize(n) || problem.upper.size() != toSize(n)) {
        return "lower and upper have " + describe(problem.lower.size()) + " and " +
               describe(problem.upper.size()) + " entries; hessian needs " + describe(n);
    }
    return {};
}

std::string checkFiniteMatrix(const Matrix& matrix, const char* name)
{
    for (int column = 0; column < matrix.columns(); ++column) {
        for (int row = 0; row < matrix.rows(); ++row) {
            if (!std::isfinite(matrix(row, column))) {
                return std::string(name) + "(" + describe(row) + ", " + describe(column) +
                       ") is " + describe(matrix(row, column));
            }
        }
    }
    return {};
}

std::string checkFiniteVector(const std::vector<double>& values, const char* name)
{
    for (std::size_t i = 0; i < values.size(); ++i) {
        if (!std::isfinite(values[i])) {
            return std::string(name) + "[" + describe(i) + "] is " + describe(values[i]);
        }
    }
    return {};
}

std::string checkValues(const DualActiveSetQP::Problem& problem)
{
    for (const std::string& message :
         {checkFiniteMatrix(problem.hessian, "hessian"), checkFiniteVector(problem.linear, "linear"),
          checkFiniteMatrix(problem.rows, "rows"), checkFiniteVector(problem.offsets, "offsets")}) {
        if (!message.empty()) {
            return message;
        }
    }
    for (std::size_t i = 0; i < problem.lower.size(); ++i) {
        const double lower = problem.lower[i];
        const double upper = problem.upper[i];
        if (std::isnan(lower) || lower == kInfinity) {
            return "lower[" + describe(i) + "] is " + describe(lower) +
                   "; it must be finite or -inf";
        }
        if (std::isnan(upper) || upper == -kInfinity) {
            return "upper[" + describe(i) + "] is " + describe(upper) +
                   "; it must be finite or +inf";
        }
    }
    return {};
}

std::string checkSettings(double accuracy, int iterationLimit)
{
    if (!(accuracy >= 0.0 && accuracy < 1.0)) {
        return "accuracy is " + describe(accuracy) + "; it must lie in [0, 1)";
    }
    if (iterationLimit < 0) {
        return "iterationLimit is " + describe(iterationLimit) + "; it must not be negative";
    }
    return {};
}

std::string checkBoundOrder(const DualActiveSetQP::Problem& problem)
{
    for (std::size_t i = 0; i < problem.lower.size(); ++i) {
        if (problem.lower[i] > problem.upper[i]) {
            return "lower[" + describe(i) + "] = " + describe(problem.lower[i]) +
                   " exceeds upper[" + describe(i) + "] = " + describe(problem.upper[i]);
        }
    }
    return {};
}

// One solve of the dual method on factors already set up: J = L⁻ᵀ in the
// solver's matrix, the other arrays cut from its blocks. Every constraint is
// written nᵀd ≥ rhs with slack nᵀd - rhs and known by an id: j < m is row j as
// given, m + i the lower bound of d_i, m + n + i its upper bound, and
// m + 2n + j row j reversed, which an equality becomes when d starts on its
// positive side, so that every constraint being added starts violated or
// exactly satisfied.
class ActiveSetIteration {
public:
    ActiveSetIteration(const DualActiveSetQP::Problem& qp, Matrix& factor, const WorkArrays& arrays,
                       double relativeAccuracy, int limit, DualActiveSetQP::Solution& result)
        : problem(qp), factorJ(factor), work(arrays), m(qp.rows.rows()), n(qp.hessian.rows()),
          meq(qp.nEqualities), accuracy(relativeAccuracy), iterationLimit(limit),
          solution(result), d(result.step.data())
    {
    }

    Status run()
    {
        computeRowNorms();
        if (!placeOnActiveSet()) {
            return overflow();
        }
        for (int row = 0; row < meq; ++row) {
            const Status status = addEquality(row);
            if (status != Status::Solved) {
                return finishWith(status);
            }
        }
        for (int next = mostViolated(); next >= 0; next = mostViolated()) {
            const Status status = addConstraint(next);
            if (status != Status::Solved) {
                return finishWith(status);
            }
        }
        return finishWith(checkFinalResiduals());
    }

private:
    enum class Kind { Row, Lower, Upper, ReversedRow };

    Kind kindOf(int id) const
    {
        if (id < m) {
            return Kind::Row;
        }
        if (id < m + n) {
            return Kind::Lower;
        }
        if (id < m + 2 * n) {
            return Kind::Upper;
        }
        return Kind::ReversedRow;
    }

    int indexOf(int id) const
    {
        switch (kindOf(id)) {
        case Kind::Row: return id;
        case Kind::Lower: return id - m;
        case Kind::Upper: return id - m - n;
        case Kind::ReversedRow: return id - m - 2 * n;
        }
        return id;
    }

    int lowerId(int variable) const { return m + variable; }
    int upperId(int variable) const { return m + n + variable; }
    int reversedId(int row) const { return m + 2 * n + row; }

    bool isEqualityEntry(int position) const { return position < activeEqualities; }

    double rowProduct(int row, const double* values) const
    {
        double sum = 0.0;
        for (int k = 0; k < n; ++k) {
            sum += problem.rows(row, k) * values[k];
        }
        return sum;
    }

    double rowMagnitude(int row) const
    {
        double sum = std::fabs(problem.offsets[toSize(row)]);
        for (int k = 0; k < n; ++k) {
            sum += std::fabs(problem.rows(row, k)) * work.magnitudes[k];
        }
        return sum;
    }

    double rightHandSide(int id) const
    {
        const int index = indexOf(id);
        switch (kindOf(id)) {
        case Kind::Row: return -problem.offsets[toSize(index)];
        case Kind::Lower: return problem.lower[toSize(index)];
        case Kind::Upper: return -problem.upper[toSize(index)];
        case Kind::ReversedRow: return problem.offsets[toSize(index)];
        }
        return 0.0;
    }

    double slack(int id) const
    {
        const int index = indexOf(id);
        switch (kindOf(id)) {
        case Kind::Row: return rowProduct(index, d) + problem.offsets[toSize(index)];
        case Kind::Lower: return d[index] - problem.lower[toSize(index)];
        case Kind::Upper: return problem.upper[toSize(index)] - d[index];
        case Kind::ReversedRow: return -(rowProduct(index, d) + problem.offsets[toSize(index)]);
        }
        return 0.0;
    }

    // The size of the terms the slack is computed from; rounding errors in the
    // slack are a small multiple of this times the rounding unit.
    double magnitude(int id) const
    {
        const int index = indexOf(id);
        switch (kindOf(id)) {
        case Kind::Row:
        case Kind::ReversedRow: return rowMagnitude(index);
        case Kind::Lower:
        case Kind::Upper: return std::fabs(rightHandSide(id)) + work.magnitudes[index];
        }
        return 0.0;
    }

    double tolerance(int id) const { return accuracy * magnitude(id); }

    double normalNorm(int id) const
    {
        const Kind kind = kindOf(id);
        if (kind == Kind::Row || kind == Kind::ReversedRow) {
            return work.rowNorms[indexOf(id)];
        }
        return 1.0;
    }

    void computeRowNorms()
    {
        for (int row = 0; row < m; ++row) {
            double sum = 0.0;
            for (int k = 0; k < n; ++k) {
                sum += problem.rows(row, k) * problem.rows(row, k);
            }
            work.rowNorms[row] = std::sqrt(sum);
        }
    }

    // Jᵀ times the constraint's normal. A bound's normal is ±e_i, so the
    // product is a row of J.
    void transformNormal(int id, double* result) const
    {
        const int index = indexOf(id);
        const Kind kind = kindOf(id);
        if (kind == Kind::Lower || kind == Kind::Upper) {
            const double sign = kind == Kind::Lower ? 1.0 : -1.0;
            for (int column = 0; column < n; ++column) {
                result[column] = sign * factorJ(index, column);
            }
            return;
        }
        const double sign = kind == Kind::Row ? 1.0 : -1.0;
        for (int k = 0; k < n; ++k) {
            work.normal[k] = sign * problem.rows(index, k);
        }
        for (int column = 0; column < n; ++column) {
            const double* jColumn = &factorJ(0, column);
            double sum = 0.0;
            for (int k = 0; k < n; ++k) {
                sum += jColumn[k] * work.normal[k];
            }
            result[column] = sum;
        }
    }

    double& triangle(int row, int column) { return work.triangle[packedIndex(row, column)]; }

    // result = R⁻¹ values over the first activeCount entries.
    void solveTriangle(const double* values, double* result)
    {
        std::copy(values, values + activeCount, result);
        for (int column = activeCount - 1; column >= 0; --column) {
            result[column] /= triangle(column, column);
            for (int row = 0; row < column; ++row) {
                result[row] -= triangle(row, column) * result[column];
            }
        }
    }

    // result = R⁻ᵀ values over the first activeCount entries.
    void solveTransposedTriangle(const double* values, double* result)
    {
        for (int row = 0; row < activeCount; ++row) {
            double sum = values[row];
            for (int k = 0; k < row; ++k) {
                sum -= triangle(k, row) * result[k];
            }
            result[row] = sum / triangle(row, row);
        }
    }

    void rotateColumns(int first, const Rotation& rotation)
    {
        double* a = &factorJ(0, first);
        double* b = &factorJ(0, first + 1);
        for (int k = 0; k < n; ++k) {
            rotation.apply(a[k], b[k]);
        }
    }

    // Sets d to the minimiser of the objective on the active constraints held
    // as equalities: with w = R⁻ᵀ rhs_A and v = Jᵀc, d = J₁w - J₂v₂. Recomputing
    // it from the factors keeps rounding errors from building up over the
    // iterations. Returns false when d or a multiplier is no longer finite.
    bool placeOnActiveSet()
    {
        double* reduced = work.reduced;
        for (int column = activeCount; column < n; ++column) {
            const double* jColumn = &factorJ(0, column);
            double sum = 0.0;
            for (int k = 0; k < n; ++k) {
                sum += jColumn[k] * problem.linear[toSize(k)];
            }
            reduced[column] = -sum;
        }
        for (int position = 0; position < activeCount; ++position) {
            work.dualDirection[position] = rightHandSide(work.active[position]);
        }
        solveTransposedTriangle(work.dualDirection, reduced);
        std::fill(d, d + n, 0.0);
        std::fill(work.magnitudes, work.magnitudes + n, 0.0);
        for (int column = 0; column < n; ++column) {
            const double* jColumn = &factorJ(0, column);
            for (int k = 0; k < n; ++k) {
                const double term = jColumn[k] * reduced[column];
                d[k] += term;
                work.magnitudes[k] += std::fabs(term);
            }
        }
        setActiveBoundsExactly();
        const auto finite = [](double value) { return std::isfinite(value); };
        return std::all_of(d, d + n, finite) &&
               std::all_of(work.multipliers, work.multipliers + activeCount, finite);
    }

    void setActiveBoundsExactly()
    {
        for (int position = 0; position < activeCount; ++position) {
            const int id = work.active[position];
            const Kind kind = kindOf(id);
            if (kind == Kind::Lower || kind == Kind::Upper) {
                const int variable = indexOf(id);
                d[variable] = kind == Kind::Lower ? problem.lower[toSize(variable)]
                                                  : problem.upper[toSize(variable)];
                work.magnitudes[variable] =
                    std::max(work.magnitudes[variable], std::fabs(d[variable]));
            }
        }
    }

    bool isActive(int id) const
    {
        return std::find(work.active, work.active + activeCount, id) != work.active + activeCount;
    }

    // Keeps the constraint with the largest violation per unit normal length.
    void consider(int id, int& best, double& bestMeasure) const
    {
        const double s = slack(id);
        if (s >= 0.0 || s >= -tolerance(id)) {
            return; // the tolerance costs another pass over the row, so only when needed
        }
        const double norm = normalNorm(id);
        const double measure = norm > 0.0 ? s / norm : -kInfinity;
        if (measure < bestMeasure && !isActive(id)) {
            best = id;
            bestMeasure = measure;
        }
    }

    // The inequality to add next, or -1 when every one is satisfied.
    int mostViolated() const
    {
        int best = -1;
        double bestMeasure = 0.0;
        for (int row = meq; row < m; ++row) {
            consider(row, best, bestMeasure);
        }
        for (int variable = 0; variable < n; ++variable) {
            if (problem.lower[toSize(variable)] > -kInfinity) {
                consider(lowerId(variable), best, bestMeasure);
            }
            if (problem.upper[toSize(variable)] < kInfinity) {
                consider(upperId(variable), best, bestMeasure);
            }
        }
        return best;
    }

    Status addEquality(int row)
    {
        const double s = slack(row);
        return addConstraint(s <= 0.0 ? row : reversedId(row));
    }

    // Step 2 of the method for the violated constraint p: dual and primal steps
    // until p joins the active set, dropping active constraints whose
    // multipliers reach zero on the way. Solved means p was added (or, for an
    // equality, found redundant).
    Status addConstraint(int p)
    {
        double* u = work.multipliers;
        u[activeCount] = 0.0;
        for (;;) {
            double* transformed = work.transformedNormal;
            transformNormal(p, transformed);
            double inside = 0.0;
            double outside = 0.0;
            for (int i = 0; i < n; ++i) {
                (i < activeCount ? inside : outside) += transformed[i] * transformed[i];
            }
            const bool dependent =
                std::sqrt(outside) <= DualActiveSetQP::kDependenceTolerance *
                                          std::sqrt(inside + outside);
            solveTriangle(transformed, work.dualDirection);
            int drop = -1;
            const double dualLimit = dualStepLimit(drop);
            const double s = slack(p);
            if (dependent) {
                if (u[activeCount] == 0.0 && s >= -tolerance(p)) {
                    return Status::Solved; // a redundant equality: implied by the active ones
                }
                if (drop < 0) {
                    return cannotAdd(p, s);
                }
                if (solution.iterations >= iterationLimit) {
                    return Status::IterationLimit;
                }
                stepMultipliers(dualLimit);
                dropActive(drop);
                continue;
            }
            computePrimalDirection(transformed);
            const double primalLimit = std::max(0.0, -s / outside);
            if (solution.iterations >= iterationLimit) {
                return Status::IterationLimit;
            }
            if (drop >= 0 && dualLimit < primalLimit) {
                for (int k = 0; k < n; ++k) {
                    d[k] += dualLimit * work.primalDirection[k];
                }
                stepMultipliers(dualLimit);
                dropActive(drop);
                continue;
            }
            stepMultipliers(primalLimit);
            appendActive(p, transformed);
            return placeOnActiveSet() ? Status::Solved : overflow();
        }
    }

    // The largest dual step before an active inequality's multiplier reaches
    // zero, and its position in drop; infinite (drop -1) when none limits it.
    double dualStepLimit(int& drop) const
    {
        double limit = kInfinity;
        for (int position = activeEqualities; position < activeCount; ++position) {
            const double r = work.dualDirection[position];
            if (r > 0.0) {
                const double ratio = work.multipliers[position] / r;
                if (ratio < limit) {
                    limit = ratio;
                    drop = position;
                }
            }
        }
        return limit;
    }

    void computePrimalDirection(const double* transformed)
    {
        std::fill(work.primalDirection, work.primalDirection + n, 0.0);
        for (int column = activeCount; column < n; ++column) {
            const double* jColumn = &factorJ(0, column);
            for (int k = 0; k < n; ++k) {
                work.primalDirection[k] += jColumn[k] * transformed[column];
            }
        }
    }

    // u_A -= t r, u_p += t. Inequality multipliers stay non-negative; a value
    // below zero can only be rounding.
    void stepMultipliers(double t)
    {
        double* u = work.multipliers;
        for (int position = 0; position < activeCount; ++position) {
            u[position] -= t * work.dualDirection[position];
            if (!isEqualityEntry(position)) {
                u[position] = std::max(0.0, u[position]);
            }
        }
        u[activeCount] += t;
    }

    // Rotates the transformed normal's part outside the active span onto its
    // first entry, which becomes the new diagonal of R.
    void appendActive(int p, double* transformed)
    {
        for (int column = n - 1; column > activeCount; --column) {
            if (transformed[column] == 0.0) {
                continue;
            }
            const Rotation rotation =
                Rotation::annihilating(transformed[column - 1], transformed[column]);
            rotation.apply(transformed[column - 1], transformed[column]);
            rotateColumns(column - 1, rotation);
        }
        for (int row = 0; row <= activeCount; ++row) {
            triangle(row, activeCount) = transformed[row];
        }
        work.active[activeCount] = p;
        if (kindOf(p) == Kind::ReversedRow || (kindOf(p) == Kind::Row && p < meq)) {
            ++activeEqualities;
        }
        ++activeCount;
        ++solution.iterations;
    }

    // Removes the active constraint at position and restores R to upper
    // triangular form: each later column moves one place left, and a rotation
    // of rows (column - 1, column) clears the entry that falls below the
    // diagonal. The packed columns shrink as they move, so each is rotated in
    // its old place first and then copied into the place freed before it.
    void dropActive(int position)
    {
        for (int column = position + 1; column < activeCount; ++column) {
            const Rotation rotation =
                Rotation::annihilating(triangle(column - 1, column), triangle(column, column));
            for (int later = column; later < activeCount; ++later) {
                rotation.apply(triangle(column - 1, later), triangle(column, later));
            }
            rotateColumns(column - 1, rotation);
            const double* source = &triangle(0, column);
            std::copy(source, source + column, &triangle(0, column - 1));
        }
        double* u = work.multipliers;
        for (int k = position; k + 1 < activeCount; ++k) {
            work.active[k] = work.active[k + 1];
        }
        for (int k = position; k < activeCount; ++k) {
            u[k] = u[k + 1]; // the last one moved is the multiplier of the constraint being added
        }
        --activeCount;
        ++solution.iterations;
    }

    Status cannotAdd(int p, double s)
    {
        std::ostringstream text;
        text.precision(3);
        text << describeConstraint(p) << " is violated by " << -s
             << " and depends on the active constraints";
        if (-s <= DualActiveSetQP::kDefaultAccuracy * magnitude(p)) {
            solution.message = text.str() + ", a violation rounding errors can explain";
            return Status::AccuracyInsufficient;
        }
        solution.message = text.str() + ": the constraints are inconsistent";
        return Status::Inconsistent;
    }

    std::string describeConstraint(int id) const
    {
        const std::string index = describe(indexOf(id));
        switch (kindOf(id)) {
        case Kind::Row: return "row " + index;
        case Kind::ReversedRow: return "equality row " + index;
        case Kind::Lower: return "lower bound of d[" + index + "]";
        case Kind::Upper: return "upper bound of d[" + index + "]";
        }
        return index;
    }

    Status overflow()
    {
        solution.message = "the step or a multiplier overflowed";
        return Status::AccuracyInsufficient;
    }

    // Every equality row (including those skipped as redundant) and every
    // active constraint must hold to the looser of the accuracy and
    // kActiveResidualLevel; otherwise the factors have lost accuracy.
    Status checkFinalResiduals()
    {
        const double level = std::max(accuracy, DualActiveSetQP::kActiveResidualLevel);
        for (int row = 0; row < meq; ++row) {
            if (std::fabs(slack(row)) > level * magnitude(row)) {
                return residualTooLarge(row);
            }
        }
        // d's components carry rounding errors relative to its largest one,
        // whatever their own size: a component that cancelled down to noise
        // is tracked with the magnitude of the noise, not of its origin.
        double largestStep = 0.0;
        for (int k = 0; k < n; ++k) {
            largestStep = std::max(largestStep, std::fabs(d[k]));
        }
        for (int position = activeEqualities; position < activeCount; ++position) {
            const int id = work.active[position];
            if (slack(id) < -level * (magnitude(id) + normalNorm(id) * largestStep)) {
                return residualTooLarge(id);
            }
        }
        return Status::Solved;
    }

    Status residualTooLarge(int id)
    {
        solution.message = describeConstraint(id) + " keeps a residual of " +
                           describe(slack(id)) + " after the last step";
        return Status::AccuracyInsufficient;
    }

    Status finishWith(Status status)
    {
        const double* u = work.multipliers;
        for (int position = 0; position < activeCount; ++position) {
            const int id = work.active[position];
            const std::size_t index = toSize(indexOf(id));
            switch (kindOf(id)) {
            case Kind::Row: solution.rowMultipliers[index] = u[position]; break;
            case Kind::ReversedRow: solution.rowMultipliers[index] = -u[position]; break;
            case Kind::Lower: solution.lowerMultipliers[index] = u[position]; break;
            case Kind::Upper: solution.upperMultipliers[index] = u[position]; break;
            }
        }
        if (status == Status::IterationLimit) {
            solution.message = "the iteration limit of " + describe(iterationLimit) +
                               " active-set changes was reached";
        }
        return status;
    }

    const DualActiveSetQP::Problem& problem;
    Matrix& factorJ;
    WorkArrays work;
    const int m;
    const int n;
    const int meq;
    const double accuracy;
    const int iterationLimit;
    DualActiveSetQP::Solution& solution;
    double* d;
    int activeCount = 0;
    int activeEqualities = 0;
};

} // namespace

DualActiveSetQP::WorkspaceSize DualActiveSetQP::workspaceSize(int nRows, int nVariables)
{
    const std::size_t m = toSize(std::max(0, nRows));
    const std::size_t n = toSize(std::max(0, nVariables));
    WorkspaceSize size;
    size.doubles = (3 * n + 3) * (n + 1) / 2 + 2 * m + 10 * n + 62;
    size.ints = n + 50;
    return size;
}

int DualActiveSetQP::standardIterationLimit(int nRows, int nVariables)
{
    return 40 * (nVariables + nRows);
}

DualActiveSetQP::Solution DualActiveSetQP::solve(const Problem& problem, double accuracy,
                                                 int iterationLimit)
{
    Solution solution;
    std::string message = checkSizes(problem);
    if (message.empty()) {
        message = checkValues(problem);
    }
    if (message.empty()) {
        message = checkSettings(accuracy, iterationLimit);
    }
    if (!message.empty()) {
        solution.status = Status::InvalidInput;
        solution.message = message;
        return solution;
    }
    const int n = problem.hessian.rows();
    const int m = problem.rows.rows();
    solution.step.assign(toSize(n), 0.0);
    solution.rowMultipliers.assign(toSize(m), 0.0);
    solution.lowerMultipliers.assign(toSize(n), 0.0);
    solution.upperMultipliers.assign(toSize(n), 0.0);

    message = checkBoundOrder(problem);
    if (!message.empty()) {
        solution.status = Status::InconsistentBounds;
        solution.message = message;
        return solution;
    }
    if (!factorise(problem.hessian, solution)) {
        return solution;
    }
    const WorkspaceSize budget = workspaceSize(m, n);
    doubleWork.resize(budget.doubles - toSize(n) * toSize(n));
    intWork.resize(budget.ints);
    const WorkArrays arrays = cutWorkArrays(doubleWork, intWork, m, n);
    ActiveSetIteration iteration(problem, factorJ, arrays,
                                 accuracy > 0.0 ? accuracy : kDefaultAccuracy, iterationLimit,
                                 solution);
    solution.status = iteration.run();
    return solution;
}

// J = L⁻ᵀ with B = LLᵀ, formed in place: factor, invert the triangle, transpose.
bool DualActiveSetQP::factorise(const Matrix& hessian, Solution& solution)
{
    factorJ = hessian;
    Linalg::LinalgStatus status = Linalg::choleskyFactor(factorJ);
    if (status.ok()) {
        status = Linalg::invertLowerTriangular(factorJ);
    }
    if (!status.ok()) {
        solution.status = Status::NotPositiveDefinite;
        solution.message = "hessian: " + status.message;
        return false;
    }
    const int n = factorJ.rows();
    for (int column = 1; column < n; ++column) {
        for (int row = 0; row < column; ++row) {
            std::swap(factorJ(row, column), factorJ(column, row));
        }
    }
    return true;
}

} // namespace Opt
