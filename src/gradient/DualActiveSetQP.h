#pragma once

#include <cstddef>
#include <limits>
#include <string>
#include <vector>

#include "linalg/Matrix.h"

namespace Opt {

// A dense solver for strictly convex quadratic programs
//
//     minimise    ½ dᵀBd + cᵀd
//     subject to  a_jᵀd + b_j = 0      j < meq
//                 a_jᵀd + b_j ≥ 0      meq ≤ j < m
//                 lower ≤ d ≤ upper
//
// with B symmetric positive definite. It is the direction finder of the SQP
// engine, which calls it once or a few times per iteration with meq = 0 and a
// box, but it stands on its own.
//
// Method: the dual active-set method of Goldfarb and Idnani, "A numerically
// stable dual method for solving strictly convex quadratic programs", Math.
// Programming 27 (1983) 1-33, in the form M. J. D. Powell gave it for general
// inequality rows together with simple bounds (M. J. D. Powell, "On the
// quadratic programming algorithm of Goldfarb and Idnani", Math. Programming
// Study 25 (1985) 46-61). The iteration starts at
// the unconstrained minimiser -B⁻¹c, which is dual feasible, and adds one
// violated constraint at a time; each addition either completes (the
// constraint becomes active and the objective rises) or first drops an active
// constraint whose multiplier would turn negative. In exact arithmetic the
// objective rises strictly at every completed addition, so no active set
// repeats and the method ends after finitely many changes. The matrices kept
// are J = L⁻ᵀQ (B = LLᵀ) and the upper triangle R of Jᵀ times the active
// normals, both updated by Givens rotations; a bound's normal is a unit vector,
// so its transformed normal is a row of J and costs n operations instead of n².
//
// Decisions taken where the method leaves a choice:
// - The equality rows are made active first, in order, and never dropped; an
//   equality whose normal depends on the earlier ones is skipped when it is
//   satisfied within the accuracy (redundant) and reported inconsistent when
//   it is not.
// - The constraint added next is the one with the largest violation divided by
//   the Euclidean norm of its normal, so that the choice does not depend on how
//   a row happens to be scaled.
// - A constraint counts as satisfied when its residual s is not below
//   -accuracy × (the sum of the magnitudes of the terms that make up s), the
//   terms of d being taken with the magnitudes of the products they were formed
//   from. A relative test on the residual alone would call rounding noise a
//   violation whenever the solution lies near the origin.
// - After every completed addition d is recomputed from the factors as the
//   minimiser on the active set, instead of being updated by the step, so that
//   rounding errors do not accumulate over the iterations; active bounds are
//   then set exactly to their values.
// - A transformed normal counts as linearly dependent on the active normals
//   when its component outside their span is below kDependenceTolerance of its
//   length.
// - Infinite bounds (-inf below, +inf above) mean that the side is free.
//
// Storage: each solve works in storage owned by the solver object, sized from
// workspaceSize(m, n) and reused by later solves of the same or smaller size:
// the n × n matrix J (which is also the matrix the LAPACK wrapper factorises
// B in and inverts L in, so the factorisation needs no further copy), a block
// of the remaining doubles of the budget, and a block of the ints. The LAPACK
// wrapper's triangular inverse briefly holds n(n + 1)/2 doubles of its own.
// The arrays of the Solution are outputs and not part of the budget.
//
// Thread safety: one solver object per thread; solve() is not reentrant.
class DualActiveSetQP {
public:
    // Outcome of a solve. Solved is the only success; the SQP engine also
    // treats any value above 2 as success, and this solver returns none.
    enum class Status : int {
        Solved = 0,
        // The iteration limit was reached; the solution holds the last iterate,
        // which is in general infeasible.
        IterationLimit = 1,
        // Rounding errors swamp the answer: a constraint that cannot be added is
        // violated only by an amount below the default accuracy (possible only
        // when a finer accuracy was asked for), an active constraint ended
        // violated beyond kActiveResidualLevel, or d overflowed.
        AccuracyInsufficient = 2,
        // No d satisfies all rows and bounds: a violated constraint depends
        // linearly on the active ones and none of them may be dropped.
        Inconsistent = -1,
        // Some lower[i] > upper[i]; nothing was solved.
        InconsistentBounds = -2,
        // The Cholesky factorisation of B failed; nothing was solved.
        NotPositiveDefinite = -3,
        // Sizes do not agree, meq is outside [0, m], a value is not finite, or
        // the accuracy or iteration limit is out of range; nothing was solved.
        InvalidInput = -4,
    };

    struct Problem {
        Matrix hessian;                       // B, n × n; only the lower triangle is read
        std::vector<double> linear;           // c, n entries
        Matrix rows;                          // m × n; row j is a_j (0 × anything when m = 0)
        std::vector<double> offsets;          // b, m entries
        int nEqualities = 0;                  // meq: rows 0 .. meq-1 are equalities
        std::vector<double> lower;            // n entries, -inf for none
        std::vector<double> upper;            // n entries, +inf for none
    };

    struct Solution {
        Status status = Status::InvalidInput;
        // d, n entries (empty on InvalidInput, zeros when nothing was solved).
        std::vector<double> step;
        // u_j, m entries: u_j ≥ 0 for inequality rows, any sign for equalities.
        std::vector<double> rowMultipliers;
        // n entries each, ≥ 0, for d_i ≥ lower_i and for d_i ≤ upper_i, so that
        // at a solution Bd + c - Σ u_j a_j - lowerMultipliers + upperMultipliers = 0.
        std::vector<double> lowerMultipliers;
        std::vector<double> upperMultipliers;
        // Changes of the active set: each constraint added or dropped counts one.
        int iterations = 0;
        // Empty when solved; otherwise what went wrong, naming the argument,
        // index and value or the constraint concerned.
        std::string message;
    };

    struct WorkspaceSize {
        std::size_t doubles = 0;
        std::size_t ints = 0;
    };

    // The relative accuracy taken for an accuracy argument of 0: a few thousand
    // rounding units, enough for the residual of an active constraint after
    // the factors have been updated many times.
    static constexpr double kDefaultAccuracy = 1.0e4 * std::numeric_limits<double>::epsilon();
    // Below this ratio of the transformed normal's part outside the active span
    // to its whole length, a normal counts as dependent. The part rounding
    // leaves grows with the square root of B's condition number; random
    // problems with condition numbers near 1e11 still solve to KKT residuals
    // of 1e-13.
    static constexpr double kDependenceTolerance = 1.0e-10;
    // The relative residual an active constraint may keep at the end; beyond
    // it the factors have lost the accuracy the answer needs.
    static constexpr double kActiveResidualLevel = 1.0e-8;

    // The work budget of one solve with m rows and n variables:
    // (3n + 3)(n + 1)/2 + 2m + 10n + 62 doubles and n + 50 ints.
    static WorkspaceSize workspaceSize(int nRows, int nVariables);

    // The iteration limit the SQP engine passes: 40 (n + m).
    static int standardIterationLimit(int nRows, int nVariables);

    // accuracy: relative accuracy of the feasibility test, in [0, 1); 0 takes
    // kDefaultAccuracy. iterationLimit: at most this many active-set changes,
    // ≥ 0. Bad input gives InvalidInput or InconsistentBounds with a message,
    // never an exception or an out-of-bounds read.
    Solution solve(const Problem& problem, double accuracy, int iterationLimit);

private:
    // Sets J = L⁻ᵀ from B; on failure fills the solution's status and message.
    bool factorise(const Matrix& hessian, Solution& solution);

    Matrix factorJ;        // J
    std::vector<double> doubleWork;
    std::vector<int> intWork;
};

} // namespace Opt
