#include "gradient/DualActiveSetQP.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <vector>

#include <gtest/gtest.h>

#include "common/RandomSource.h"

namespace Opt {
namespace {

using Status = DualActiveSetQP::Status;
using Rows = std::vector<std::vector<double>>;

constexpr double kInf = std::numeric_limits<double>::infinity();

// Hand-worked optima are exact rationals; the solver must reach them to a few
// rounding units of the data.
constexpr double kExactTolerance = 1e-12;
// KKT residuals of random problems, relative to the size of the terms they
// are made of.
constexpr double kStationarityTolerance = 1e-9;
constexpr double kFeasibilityTolerance = 1e-9;
constexpr double kComplementarityTolerance = 1e-9;

class DualActiveSetQPTest : public ::testing::Test {
protected:
    static DualActiveSetQP::Problem problem(const Rows& hessian, const std::vector<double>& linear,
                                            const Rows& rows, const std::vector<double>& offsets,
                                            int nEqualities = 0)
    {
        DualActiveSetQP::Problem qp;
        qp.hessian = Matrix::fromRows(hessian);
        qp.linear = linear;
        qp.rows = Matrix::fromRows(rows);
        qp.offsets = offsets;
        qp.nEqualities = nEqualities;
        qp.lower.assign(linear.size(), -kInf);
        qp.upper.assign(linear.size(), kInf);
        return qp;
    }

    DualActiveSetQP::Solution solve(const DualActiveSetQP::Problem& qp, double accuracy = 0.0)
    {
        const int limit = DualActiveSetQP::standardIterationLimit(qp.rows.rows(), qp.hessian.rows());
        return solver.solve(qp, accuracy, limit);
    }

    // Stationarity Bd + c - Σ u_j a_j - λ_lower + λ_upper = 0, feasibility,
    // complementarity and multiplier signs, each relative to the magnitude of
    // its terms. Together they prove d optimal for a convex QP.
    static ::testing::AssertionResult satisfiesKkt(const DualActiveSetQP::Problem& qp,
                                                   const DualActiveSetQP::Solution& s)
    {
        const int n = qp.hessian.rows();
        const int m = qp.rows.rows();
        const auto& d = s.step;
        for (int i = 0; i < n; ++i) {
            double residual = qp.linear[i] - s.lowerMultipliers[i] + s.upperMultipliers[i];
            double size = std::fabs(qp.linear[i]) + s.lowerMultipliers[i] + s.upperMultipliers[i];
            for (int k = 0; k < n; ++k) {
                residual += qp.hessian(i, k) * d[k];
                size += std::fabs(qp.hessian(i, k) * d[k]);
            }
            for (int j = 0; j < m; ++j) {
                residual -= s.rowMultipliers[j] * qp.rows(j, i);
                size += std::fabs(s.rowMultipliers[j] * qp.rows(j, i));
            }
            if (std::fabs(residual) > kStationarityTolerance * (1.0 + size)) {
                return ::testing::AssertionFailure() << "stationarity residual " << residual
                                                     << " in component " << i;
            }
        }
        for (int j = 0; j < m; ++j) {
            double value = qp.offsets[j];
            double size = std::fabs(qp.offsets[j]);
            for (int k = 0; k < n; ++k) {
                value += qp.rows(j, k) * d[k];
                size += std::fabs(qp.rows(j, k) * d[k]);
            }
            const double u = s.rowMultipliers[j];
            const bool equality = j < qp.nEqualities;
            if ((equality ? std::fabs(value) : -value) > kFeasibilityTolerance * (1.0 + size)) {
                return ::testing::AssertionFailure() << "row " << j << " has residual " << value;
            }
            if (!equality && u < 0.0) {
                return ::testing::AssertionFailure() << "row " << j << " has multiplier " << u;
            }
            if (std::fabs(u * value) > kComplementarityTolerance * (1.0 + std::fabs(u)) * (1.0 + size)) {
                return ::testing::AssertionFailure() << "row " << j << ": u = " << u
                                                     << " with residual " << value;
            }
        }
        for (int i = 0; i < n; ++i) {
            const double size = 1.0 + std::fabs(d[i]);
            const double toLower = d[i] - qp.lower[i];
            const double toUpper = qp.upper[i] - d[i];
            if (toLower < -kFeasibilityTolerance * size || toUpper < -kFeasibilityTolerance * size) {
                return ::testing::AssertionFailure() << "d[" << i << "] = " << d[i]
                                                     << " leaves its bounds";
            }
            const double lowerU = s.lowerMultipliers[i];
            const double upperU = s.upperMultipliers[i];
            if (lowerU < 0.0 || upperU < 0.0) {
                return ::testing::AssertionFailure() << "bound multiplier of d[" << i
                                                     << "] is negative";
            }
            if ((lowerU > 0.0 && std::fabs(lowerU * toLower) > kComplementarityTolerance * (1.0 + lowerU) * size) ||
                (upperU > 0.0 && std::fabs(upperU * toUpper) > kComplementarityTolerance * (1.0 + upperU) * size)) {
                return ::testing::AssertionFailure() << "bound of d[" << i
                                                     << "] has a multiplier but is not active";
            }
        }
        return ::testing::AssertionSuccess();
    }

    struct RandomShape {
        int n = 1;
        int m = 0;
        int nEqualities = 0;
        double diagonalShift = 0.1;  // δ in B = MᵀM + δI
        int zeroFactorRows = 0;      // rows of M set to zero: B's smallest eigenvalues become δ
        double throughShare = 1.0 / 3.0; // share of inequality rows through x0
        bool combineEveryThird = false;  // rows 3, 6, ... combine the two rows before them
    };

    // A strictly convex QP with a known feasible point x0 inside the box: rows
    // through x0 or passing it at a random distance, so that degenerate
    // vertices occur.
    static DualActiveSetQP::Problem randomProblem(std::uint32_t seed, const RandomShape& shape)
    {
        const int n = shape.n;
        const int m = shape.m;
        RandomSource random(seed);
        auto symmetric = [&random]() { return 2.0 * random.uniform() - 1.0; };
        Matrix factor(n, n);
        for (int r = 0; r < n; ++r) {
            for (int c = 0; c < n; ++c) {
                factor(r, c) = r < shape.zeroFactorRows ? 0.0 : symmetric();
            }
        }
        DualActiveSetQP::Problem qp;
        qp.hessian = Matrix(n, n);
        for (int r = 0; r < n; ++r) {
            for (int c = 0; c < n; ++c) {
                double sum = r == c ? shape.diagonalShift : 0.0;
                for (int k = 0; k < n; ++k) {
                    sum += factor(k, r) * factor(k, c);
                }
                qp.hessian(r, c) = sum;
            }
        }
        std::vector<double> x0(n);
        for (int i = 0; i < n; ++i) {
            qp.linear.push_back(5.0 * symmetric());
            x0[i] = 0.5 * symmetric();
            qp.lower.push_back(random.uniform() < 0.2 ? -kInf : -1.0 - random.uniform());
            qp.upper.push_back(random.uniform() < 0.2 ? kInf : 1.0 + random.uniform());
        }
        qp.rows = Matrix(m, n);
        for (int j = 0; j < m; ++j) {
            const bool combined = shape.combineEveryThird && j > 0 && j % 3 == 0;
            const double first = symmetric();
            const double second = symmetric();
            double product = 0.0;
            for (int k = 0; k < n; ++k) {
                qp.rows(j, k) = combined ? first * qp.rows(j - 1, k) + second * qp.rows(j - 2, k)
                                         : symmetric();
                product += qp.rows(j, k) * x0[k];
            }
            const bool through = j < shape.nEqualities || random.uniform() < shape.throughShare;
            qp.offsets.push_back(-product + (through ? 0.0 : random.uniform()));
        }
        qp.nEqualities = shape.nEqualities;
        return qp;
    }

    DualActiveSetQP solver;
};

// min d1² + d1 d2 + d2² - d1 - d2 (B = [2 1; 1 2], c = (-1, -1)) without
// constraints: Bd = -c gives d = (1/3, 1/3), reached without any iteration.
TEST_F(DualActiveSetQPTest, UnconstrainedMinimiserNeedsNoIteration)
{
    const auto qp = problem({{2, 1}, {1, 2}}, {-1, -1}, {}, {});
    const auto s = solve(qp);
    ASSERT_EQ(s.status, Status::Solved) << s.message;
    EXPECT_NEAR(s.step[0], 1.0 / 3.0, kExactTolerance);
    EXPECT_NEAR(s.step[1], 1.0 / 3.0, kExactTolerance);
    EXPECT_EQ(s.iterations, 0);
    EXPECT_TRUE(s.message.empty());
}

// min ½‖d - (2, 2)‖² subject to d1 + d2 ≤ 2, written -d1 - d2 + 2 ≥ 0: the
// projection of (2, 2) is (1, 1); d + c = (-1, -1) = u (-1, -1) gives u = 1.
TEST_F(DualActiveSetQPTest, ProjectionOntoAHalfPlane)
{
    const auto qp = problem({{1, 0}, {0, 1}}, {-2, -2}, {{-1, -1}}, {2});
    const auto s = solve(qp);
    ASSERT_EQ(s.status, Status::Solved) << s.message;
    EXPECT_NEAR(s.step[0], 1.0, kExactTolerance);
    EXPECT_NEAR(s.step[1], 1.0, kExactTolerance);
    EXPECT_NEAR(s.rowMultipliers[0], 1.0, kExactTolerance);
    EXPECT_EQ(s.iterations, 1);
}

// min ½(d1² + d2²) - 3 d1 + d2 on [0, 1]²: the unconstrained (3, -1) is clipped
// to (1, 0); component 1: 1 - 3 + λ_upper = 0, component 2: 0 + 1 - λ_lower = 0.
TEST_F(DualActiveSetQPTest, BoxClipsBothVariables)
{
    auto qp = problem({{1, 0}, {0, 1}}, {-3, 1}, {}, {});
    qp.lower = {0, 0};
    qp.upper = {1, 1};
    const auto s = solve(qp);
    ASSERT_EQ(s.status, Status::Solved) << s.message;
    EXPECT_EQ(s.step[0], 1.0);
    EXPECT_EQ(s.step[1], 0.0);
    EXPECT_NEAR(s.upperMultipliers[0], 2.0, kExactTolerance);
    EXPECT_NEAR(s.lowerMultipliers[1], 1.0, kExactTolerance);
    EXPECT_EQ(s.lowerMultipliers[0], 0.0);
    EXPECT_EQ(s.upperMultipliers[1], 0.0);
}

// B = [2 1; 1 2], c = (-1, -1) with d1 ≥ 1: on d1 = 1 the objective is
// 1 + d2 + d2² - 1 - d2 = d2², so d2 = 0; component 1 of the stationarity
// condition gives 2 - 1 - λ = 0, λ = 1.
TEST_F(DualActiveSetQPTest, CoupledHessianWithAnActiveLowerBound)
{
    auto qp = problem({{2, 1}, {1, 2}}, {-1, -1}, {}, {});
    qp.lower = {1, -5};
    qp.upper = {4, 5};
    const auto s = solve(qp);
    ASSERT_EQ(s.status, Status::Solved) << s.message;
    EXPECT_EQ(s.step[0], 1.0);
    EXPECT_NEAR(s.step[1], 0.0, kExactTolerance);
    EXPECT_NEAR(s.lowerMultipliers[0], 1.0, kExactTolerance);
}

// min (d1 - 1)² + (d2 - 2.5)² (B = 2I, c = (-2, -5)) subject to
// d1 - 2d2 + 2 ≥ 0, -d1 - 2d2 + 6 ≥ 0, -d1 + 2d2 + 2 ≥ 0, d ≥ 0. Only the first
// row is active: projecting (1, 2.5) onto d1 - 2d2 = -2 gives (1.4, 1.7), where
// Bd + c = (0.8, -1.6) = u (1, -2), u = 0.8; the other rows keep 1.2 and 4.
TEST_F(DualActiveSetQPTest, ThreeRowsAndNonNegativity)
{
    auto qp = problem({{2, 0}, {0, 2}}, {-2, -5}, {{1, -2}, {-1, -2}, {-1, 2}}, {2, 6, 2});
    qp.lower = {0, 0};
    const auto s = solve(qp);
    ASSERT_EQ(s.status, Status::Solved) << s.message;
    EXPECT_NEAR(s.step[0], 1.4, kExactTolerance);
    EXPECT_NEAR(s.step[1], 1.7, kExactTolerance);
    EXPECT_NEAR(s.rowMultipliers[0], 0.8, kExactTolerance);
    EXPECT_EQ(s.rowMultipliers[1], 0.0);
    EXPECT_EQ(s.rowMultipliers[2], 0.0);
}

// min d1² + d2² subject to d1 + 2d2 = 5: d = (1, 2), Bd = (2, 4) = u (1, 2),
// u = 2. Seen from d = (3, 3) instead (c = (-6, -6)) the equality d1 + 2d2 = 5
// lies below the start; d = (3, 3) - 4/5 (1, 2) = (2.2, 1.4) and
// Bd + c = (-1.6, -3.2) = u (1, 2) gives a negative multiplier u = -1.6.
TEST_F(DualActiveSetQPTest, EqualityMultiplierTakesEitherSign)
{
    const auto below = solve(problem({{2, 0}, {0, 2}}, {0, 0}, {{1, 2}}, {-5}, 1));
    ASSERT_EQ(below.status, Status::Solved) << below.message;
    EXPECT_NEAR(below.step[0], 1.0, kExactTolerance);
    EXPECT_NEAR(below.step[1], 2.0, kExactTolerance);
    EXPECT_NEAR(below.rowMultipliers[0], 2.0, kExactTolerance);

    const auto above = solve(problem({{2, 0}, {0, 2}}, {-6, -6}, {{1, 2}}, {-5}, 1));
    ASSERT_EQ(above.status, Status::Solved) << above.message;
    EXPECT_NEAR(above.step[0], 2.2, kExactTolerance);
    EXPECT_NEAR(above.step[1], 1.4, kExactTolerance);
    EXPECT_NEAR(above.rowMultipliers[0], -1.6, kExactTolerance);
}

TEST_F(DualActiveSetQPTest, RandomInequalityProblemsSatisfyKkt)
{
    for (std::uint32_t seed = 1; seed <= 150; ++seed) {
        RandomShape shape;
        shape.n = 1 + static_cast<int>(seed % 25);
        shape.m = static_cast<int>((seed * 7) % 40);
        const auto qp = randomProblem(seed, shape);
        const auto s = solve(qp);
        ASSERT_EQ(s.status, Status::Solved) << "seed " << seed << ": " << s.message;
        EXPECT_TRUE(satisfiesKkt(qp, s)) << "seed " << seed;
    }
}

TEST_F(DualActiveSetQPTest, RandomProblemsWithEqualitiesSatisfyKkt)
{
    for (std::uint32_t seed = 1; seed <= 100; ++seed) {
        RandomShape shape;
        shape.n = 2 + static_cast<int>(seed % 20);
        shape.m = 1 + static_cast<int>((seed * 5) % 30);
        shape.nEqualities = std::min(shape.m, 1 + static_cast<int>(seed) % shape.n);
        const auto qp = randomProblem(1000 + seed, shape);
        const auto s = solve(qp);
        ASSERT_EQ(s.status, Status::Solved) << "seed " << seed << ": " << s.message;
        EXPECT_TRUE(satisfiesKkt(qp, s)) << "seed " << seed;
    }
}

// Every row through x0 and every third a combination of the two before it:
// many vertices with more active rows than their dimension.
TEST_F(DualActiveSetQPTest, RandomDegenerateProblemsSatisfyKkt)
{
    for (std::uint32_t seed = 1; seed <= 100; ++seed) {
        RandomShape shape;
        shape.n = 2 + static_cast<int>(seed % 15);
        shape.m = 3 * shape.n;
        shape.nEqualities = static_cast<int>(seed % 2);
        shape.throughShare = 1.0;
        shape.combineEveryThird = true;
        const auto qp = randomProblem(9000 + seed, shape);
        const auto s = solve(qp);
        ASSERT_EQ(s.status, Status::Solved) << "seed " << seed << ": " << s.message;
        EXPECT_TRUE(satisfiesKkt(qp, s)) << "seed " << seed;
    }
}

// One or two zero rows in M leave B = MᵀM + 1e-10 I with eigenvalues near
// 1e-10 beside ones near n: condition numbers of about 1e11.
TEST_F(DualActiveSetQPTest, IllConditionedHessiansSatisfyKkt)
{
    for (std::uint32_t seed = 1; seed <= 60; ++seed) {
        RandomShape shape;
        shape.n = 3 + static_cast<int>(seed % 20);
        shape.m = 2 * shape.n;
        shape.nEqualities = static_cast<int>(seed % 3);
        shape.diagonalShift = 1e-10;
        shape.zeroFactorRows = 1 + static_cast<int>(seed % 2);
        const auto qp = randomProblem(5000 + seed, shape);
        const auto s = solve(qp);
        ASSERT_EQ(s.status, Status::Solved) << "seed " << seed << ": " << s.message;
        EXPECT_TRUE(satisfiesKkt(qp, s)) << "seed " << seed;
    }
}

// The same row twice must give the same step as once, with the multiplier
// shared between the copies.
TEST_F(DualActiveSetQPTest, DuplicateRowsShareOneMultiplier)
{
    const auto once = solve(problem({{1, 0}, {0, 1}}, {-2, -2}, {{-1, -1}}, {2}));
    const auto qp = problem({{1, 0}, {0, 1}}, {-2, -2}, {{-1, -1}, {-1, -1}}, {2, 2});
    const auto twice = solve(qp);
    ASSERT_EQ(twice.status, Status::Solved) << twice.message;
    EXPECT_NEAR(twice.step[0], once.step[0], kExactTolerance);
    EXPECT_NEAR(twice.step[1], once.step[1], kExactTolerance);
    EXPECT_NEAR(twice.rowMultipliers[0] + twice.rowMultipliers[1], 1.0, kExactTolerance);
    EXPECT_TRUE(satisfiesKkt(qp, twice));
}

// The direction finding of a converged SQP iteration: the step is zero up to
// rounding, every active row passes through the origin with an offset at the
// rounding level, and the computed step's components are noise of 1e-16 and
// below. Residuals of that noise on the active rows are no loss of accuracy.
TEST_F(DualActiveSetQPTest, ActiveRowsThroughTheOriginAtRoundingLevel)
{
    auto vertex = problem({{1, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 1, 0}, {0, 0, 0, 1}},
                          {0.69332481594756246, 0.35750998416915536, 0.12233107769861817,
                           0.69253082806244493},
                          {{0, -4, -1, 2}, {0, 0, 3, 0}, {3, 0, 2, -1}, {3, -2, -2, -4},
                           {-1, 0, -1, 4}, {3, 4, -3, 2}},
                          {4.4846624089404945e-16, 0.0, -7.3104336345568303e-16, 0.0,
                           -8.676322889514268e-16, 0.0});
    auto edge = problem({{1, 0, 0}, {0, 1, 0}, {0, 0, 1}},
                        {-0.70843027671799064, 0.085658801253885031, 0.49826135020703077},
                        {{3, -2, -2}, {0, -4, 0}, {-1, 4, 1}, {0, -3, 2}},
                        {-2.0645929500460627e-16, 8.3179528452456003e-16,
                         -1.1310645844787359e-17, 7.8419914608821277e-16});
    for (auto* qp : {&vertex, &edge}) {
        qp->lower.assign(qp->linear.size(), -1.0);
        qp->upper.assign(qp->linear.size(), 1.0);
        const auto s = solve(*qp);
        ASSERT_EQ(s.status, Status::Solved) << s.message;
        EXPECT_TRUE(satisfiesKkt(*qp, s));
    }
}

// min ½‖d - (2, 2)‖² with d1 ≤ 1, d2 ≤ 1 and their sum d1 + d2 ≤ 2: all three
// rows meet at the optimum (1, 1) and the third is the sum of the others, so
// the multipliers are not unique; any valid split must satisfy KKT.
TEST_F(DualActiveSetQPTest, DependentRowsAtADegenerateVertex)
{
    const auto qp = problem({{1, 0}, {0, 1}}, {-2, -2}, {{-1, 0}, {0, -1}, {-1, -1}}, {1, 1, 2});
    const auto s = solve(qp);
    ASSERT_EQ(s.status, Status::Solved) << s.message;
    EXPECT_NEAR(s.step[0], 1.0, kExactTolerance);
    EXPECT_NEAR(s.step[1], 1.0, kExactTolerance);
    EXPECT_TRUE(satisfiesKkt(qp, s));
}

// Five planes through the point (1, 1, 1), all active at the optimum of
// ½‖d - (3, 3, 3)‖² under d_i ≤ 1 and two sums, in three variables.
TEST_F(DualActiveSetQPTest, MoreActiveRowsThanVariables)
{
    const auto qp = problem({{1, 0, 0}, {0, 1, 0}, {0, 0, 1}}, {-3, -3, -3},
                            {{-1, -1, 0}, {-1, 0, 0}, {0, -1, 0}, {0, 0, -1}, {0, -1, -1}},
                            {2, 1, 1, 1, 2});
    const auto s = solve(qp);
    ASSERT_EQ(s.status, Status::Solved) << s.message;
    for (double value : s.step) {
        EXPECT_NEAR(value, 1.0, kExactTolerance);
    }
    EXPECT_TRUE(satisfiesKkt(qp, s));
}

// An equality written as a pair of opposite inequalities, with coefficients
// that are not exact in binary, must give the equality's answer.
TEST_F(DualActiveSetQPTest, EqualityWrittenAsTwoInequalities)
{
    const Rows hessian = {{3, 1}, {1, 2}};
    const std::vector<double> c = {0.3, -0.7};
    const auto equality = solve(problem(hessian, c, {{0.1, 0.7}}, {-1.0 / 3.0}, 1));
    const auto qp = problem(hessian, c, {{0.1, 0.7}, {-0.1, -0.7}}, {-1.0 / 3.0, 1.0 / 3.0});
    const auto pair = solve(qp);
    ASSERT_EQ(pair.status, Status::Solved) << pair.message;
    EXPECT_NEAR(pair.step[0], equality.step[0], kExactTolerance);
    EXPECT_NEAR(pair.step[1], equality.step[1], kExactTolerance);
    EXPECT_NEAR(pair.rowMultipliers[0] - pair.rowMultipliers[1], equality.rowMultipliers[0],
                1e-10);
    EXPECT_TRUE(satisfiesKkt(qp, pair));
}

// d1 + d2 = 1 repeated as 2d1 + 2d2 = 2 is redundant; with d1 - d2 = 0 the
// solution is (½, ½) whatever the objective.
TEST_F(DualActiveSetQPTest, RedundantEqualityIsSkipped)
{
    const auto qp = problem({{1, 0}, {0, 4}}, {5, -3}, {{1, 1}, {2, 2}, {1, -1}}, {-1, -2, 0}, 3);
    const auto s = solve(qp);
    ASSERT_EQ(s.status, Status::Solved) << s.message;
    EXPECT_NEAR(s.step[0], 0.5, kExactTolerance);
    EXPECT_NEAR(s.step[1], 0.5, kExactTolerance);
    EXPECT_TRUE(satisfiesKkt(qp, s));
}

// d1 = d2 = 2 fixed by equal bounds: d is exactly the bound and only the
// multipliers carry the gradient.
TEST_F(DualActiveSetQPTest, EqualBoundsFixAVariable)
{
    auto qp = problem({{2, 1}, {1, 2}}, {1, -1}, {{1, 1}}, {-1});
    qp.lower = {2, -10};
    qp.upper = {2, 10};
    const auto s = solve(qp);
    ASSERT_EQ(s.status, Status::Solved) << s.message;
    EXPECT_EQ(s.step[0], 2.0);
    EXPECT_TRUE(satisfiesKkt(qp, s));
}

// A row scaled by 1e6 is the same constraint: the step and the scaled
// multiplier must not change.
TEST_F(DualActiveSetQPTest, RowScalingDoesNotChangeTheStep)
{
    RandomShape shape;
    shape.n = 8;
    shape.m = 12;
    const auto qp = randomProblem(77, shape);
    auto scaled = qp;
    for (int k = 0; k < 8; ++k) {
        scaled.rows(3, k) *= 1e6;
    }
    scaled.offsets[3] *= 1e6;
    const auto s = solve(qp);
    const auto t = solve(scaled);
    ASSERT_EQ(t.status, Status::Solved) << t.message;
    for (int k = 0; k < 8; ++k) {
        EXPECT_NEAR(t.step[k], s.step[k], 1e-9);
    }
    EXPECT_NEAR(t.rowMultipliers[3] * 1e6, s.rowMultipliers[3], 1e-9 * (1.0 + s.rowMultipliers[3]));
}

// One solver object solving problems of changing size must give what a fresh
// one gives: no state may leak from one solve into the next.
TEST_F(DualActiveSetQPTest, ReusedSolverMatchesAFreshOne)
{
    const int sizes[] = {12, 3, 20, 5};
    for (int n : sizes) {
        RandomShape shape;
        shape.n = n;
        shape.m = n + 4;
        shape.nEqualities = 1;
        const auto qp = randomProblem(300 + n, shape);
        const auto reused = solve(qp);
        DualActiveSetQP fresh;
        const auto expected = fresh.solve(qp, 0.0, DualActiveSetQP::standardIterationLimit(n + 4, n));
        ASSERT_EQ(reused.status, Status::Solved) << reused.message;
        EXPECT_EQ(reused.step, expected.step);
        EXPECT_EQ(reused.rowMultipliers, expected.rowMultipliers);
        EXPECT_EQ(reused.iterations, expected.iterations);
    }
}

TEST_F(DualActiveSetQPTest, InconsistentConstraintsGiveANegativeStatus)
{
    const Rows identity = {{1, 0}, {0, 1}};
    // d1 ≥ 1 and d1 ≤ 0.
    auto s = solve(problem(identity, {0, 0}, {{1, 0}, {-1, 0}}, {-1, 0}));
    EXPECT_EQ(s.status, Status::Inconsistent);
    EXPECT_NE(s.message.find("inconsistent"), std::string::npos) << s.message;
    // d1 + d2 ≥ 3 in the box [0, 1]².
    auto boxed = problem(identity, {0, 0}, {{1, 1}}, {-3});
    boxed.lower = {0, 0};
    boxed.upper = {1, 1};
    EXPECT_EQ(solve(boxed).status, Status::Inconsistent);
    // d1 + d2 = 1 and 2d1 + 2d2 = 3.
    EXPECT_EQ(solve(problem(identity, {0, 0}, {{1, 1}, {2, 2}}, {-1, -3}, 2)).status,
              Status::Inconsistent);
    // The equality d1 + d2 = 5 in the box [0, 1]².
    auto boxedEquality = problem(identity, {0, 0}, {{1, 1}}, {-5}, 1);
    boxedEquality.lower = {0, 0};
    boxedEquality.upper = {1, 1};
    EXPECT_EQ(solve(boxedEquality).status, Status::Inconsistent);
    // A zero row with a negative offset: 0 ≥ 1.
    s = solve(problem(identity, {0, 0}, {{0, 0}}, {-1}));
    EXPECT_EQ(s.status, Status::Inconsistent);
    EXPECT_NE(s.message.find("row 0"), std::string::npos) << s.message;
}

// d1 ≥ 1 against d1 ≤ 1 - gap. A gap of 1e-14 is below what the default
// accuracy can tell from rounding: accepted at the default, and reported as
// insufficient accuracy when a finer accuracy is asked for. A gap of 1e-6 is
// inconsistent at any accuracy.
TEST_F(DualActiveSetQPTest, GapBelowRoundingIsAnAccuracyQuestion)
{
    auto gapped = [this](double gap) {
        return problem({{1, 0}, {0, 1}}, {0, 0}, {{1, 0}, {-1, 0}}, {-1, 1 - gap});
    };
    EXPECT_EQ(solve(gapped(1e-14)).status, Status::Solved);
    const auto fine = solve(gapped(1e-14), 1e-16);
    EXPECT_EQ(fine.status, Status::AccuracyInsufficient);
    EXPECT_NE(fine.message.find("rounding"), std::string::npos) << fine.message;
    EXPECT_EQ(solve(gapped(1e-6)).status, Status::Inconsistent);
    EXPECT_EQ(solve(gapped(1e-6), 1e-16).status, Status::Inconsistent);
}

TEST_F(DualActiveSetQPTest, IterationLimitStopsWithStatusOne)
{
    RandomShape shape;
    shape.n = 10;
    shape.m = 15;
    const auto qp = randomProblem(21, shape);
    const auto full = solver.solve(qp, 0.0, DualActiveSetQP::standardIterationLimit(15, 10));
    ASSERT_EQ(full.status, Status::Solved) << full.message;
    ASSERT_GE(full.iterations, 3);
    const auto limited = solver.solve(qp, 0.0, full.iterations - 1);
    EXPECT_EQ(limited.status, Status::IterationLimit);
    EXPECT_EQ(limited.iterations, full.iterations - 1);
    EXPECT_EQ(limited.message, "the iteration limit of " + std::to_string(full.iterations - 1) +
                                   " active-set changes was reached");
    EXPECT_EQ(solver.solve(qp, 0.0, 0).status, Status::IterationLimit);
}

TEST_F(DualActiveSetQPTest, LowerAboveUpperIsReportedWithTheIndex)
{
    auto qp = problem({{1, 0}, {0, 1}}, {0, 0}, {}, {});
    qp.lower = {0, 3};
    qp.upper = {1, 2};
    const auto s = solve(qp);
    EXPECT_EQ(s.status, Status::InconsistentBounds);
    EXPECT_EQ(s.message, "lower[1] = 3 exceeds upper[1] = 2");
    EXPECT_EQ(s.step.size(), 2u);
}

TEST_F(DualActiveSetQPTest, IndefiniteHessianIsRejected)
{
    const auto s = solve(problem({{1, 2}, {2, 1}}, {0, 0}, {}, {}));
    EXPECT_EQ(s.status, Status::NotPositiveDefinite);
    EXPECT_NE(s.message.find("not positive definite"), std::string::npos) << s.message;
}

TEST_F(DualActiveSetQPTest, BadInputIsRejectedWithAMessage)
{
    const auto valid = problem({{1, 0}, {0, 1}}, {0, 0}, {{1, 1}}, {-1});
    auto expectInvalid = [this](const DualActiveSetQP::Problem& qp, const std::string& text,
                                double accuracy = 0.0, int limit = 10) {
        const auto s = solver.solve(qp, accuracy, limit);
        EXPECT_EQ(s.status, Status::InvalidInput) << text;
        EXPECT_NE(s.message.find(text), std::string::npos) << s.message;
        EXPECT_TRUE(s.step.empty());
    };
    auto qp = valid;
    qp.hessian = Matrix(2, 3);
    expectInvalid(qp, "hessian is 2 x 3");
    qp = valid;
    qp.hessian = Matrix();
    expectInvalid(qp, "hessian is 0 x 0");
    qp = valid;
    qp.linear = {0};
    expectInvalid(qp, "linear has 1 entries");
    qp = valid;
    qp.offsets = {};
    expectInvalid(qp, "offsets has 0 entries");
    qp = valid;
    qp.nEqualities = 2;
    expectInvalid(qp, "nEqualities is 2");
    qp = valid;
    qp.upper = {1};
    expectInvalid(qp, "lower and upper have 2 and 1 entries");
    qp = valid;
    qp.hessian(1, 0) = std::nan("");
    expectInvalid(qp, "hessian(1, 0) is nan");
    qp = valid;
    qp.offsets[0] = kInf;
    expectInvalid(qp, "offsets[0] is inf");
    qp = valid;
    qp.lower[1] = kInf;
    expectInvalid(qp, "lower[1] is inf");
    expectInvalid(valid, "accuracy is -1", -1.0);
    expectInvalid(valid, "iterationLimit is -1", 0.0, -1);
}

} // namespace
} // namespace Opt
