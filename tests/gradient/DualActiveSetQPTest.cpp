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
// KKT residuals, relative to the size of the terms they are made of.
constexpr double kKktTolerance = 1e-9;

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
            if (std::fabs(residual) > kKktTolerance * (1.0 + size)) {
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
            if ((equality ? std::fabs(value) : -value) > kKktTolerance * (1.0 + size)) {
                return ::testing::AssertionFailure() << "row " << j << " has residual " << value;
            }
            if (!equality && u < 0.0) {
                return ::testing::AssertionFailure() << "row " << j << " has multiplier " << u;
            }
            if (std::fabs(u * value) > kKktTolerance * (1.0 + std::fabs(u)) * (1.0 + size)) {
                return ::testing::AssertionFailure() << "row " << j << ": u = " << u
                                                     << " with residual " << value;
            }
        }
        for (int i = 0; i < n; ++i) {
            const double size = 1.0 + std::fabs(d[i]);
            const double toLower = d[i] - qp.lower[i];
            const double toUpper = qp.upper[i] - d[i];
            if (toLower < -kKktTolerance * size || toUpper < -kKktTolerance * size) {
                return ::testing::AssertionFailure() << "d[" << i << "] = " << d[i]
                                                     << " leaves its bounds";
            }
            const double lowerU = s.lowerMultipliers[i];
            const double upperU = s.upperMultipliers[i];
            if (lowerU < 0.0 || upperU < 0.0) {
                return ::testing::AssertionFailure() << "bound multiplier of d[" << i
                                                     << "] is negative";
            }
            if ((lowerU > 0.0 && std::fabs(lowerU * toLower) > kKktTolerance * (1.0 + lowerU) * size) ||
                (upperU > 0.0 && std::fabs(upperU * toUpper) > kKktTolerance * (1.0 + upperU) * size)) {
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
        double rowScale = 1.0;           // rows 1, 5, 9, ... multiplied by this
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
            if (j % 4 == 1) {
                for (int k = 0; k < n; ++k) {
                    qp.rows(j, k) *= shape.rowScale;
                }
                qp.offsets[j] *= shape.rowScale;
            }
        }
        qp.nEqualities = shape.nEqualities;
        return qp;
    }

    DualActiveSetQP solver;
};

struct HandWorked {
    const char* name;
    Rows hessian;
    std::vector<double> linear;
    Rows rows;
    std::vector<double> offsets;
    int nEqualities;
    std::vector<double> lower, upper;   // empty: unbounded
    std::vector<double> step;           // NaN: not hand-worked
    std::vector<double> rowMultipliers; // empty: not checked
};

constexpr double kAny = std::numeric_limits<double>::quiet_NaN();

// Optima worked by hand; every solution must also satisfy KKT.
const HandWorked kHandWorked[] = {
    // Bd = -c gives (1/3, 1/3) without constraints.
    {"Unconstrained", {{2, 1}, {1, 2}}, {-1, -1}, {}, {}, 0, {}, {}, {1.0 / 3, 1.0 / 3}, {}},
    // Projection of (2, 2) onto d1 + d2 ≤ 2: (1, 1) with u = 1.
    {"HalfPlane", {{1, 0}, {0, 1}}, {-2, -2}, {{-1, -1}}, {2}, 0, {}, {}, {1, 1}, {1}},
    // (3, -1) clipped to [0, 1]²: λ_upper,0 = 2, λ_lower,1 = 1.
    {"BoxClipsBoth", {{1, 0}, {0, 1}}, {-3, 1}, {}, {}, 0, {0, 0}, {1, 1}, {1, 0}, {}},
    // On d1 = 1 the objective is d2², so d2 = 0 and λ = 1.
    {"CoupledActiveLower", {{2, 1}, {1, 2}}, {-1, -1}, {}, {}, 0, {1, -5}, {4, 5}, {1, 0}, {}},
    // Only the first row is active: (1.4, 1.7) with u = 0.8.
    {"ThreeRowsNonNegative", {{2, 0}, {0, 2}}, {-2, -5}, {{1, -2}, {-1, -2}, {-1, 2}}, {2, 6, 2},
     0, {0, 0}, {}, {1.4, 1.7}, {0.8, 0, 0}},
    // d1 + 2d2 = 5 seen from the origin (u = 2) and from (3, 3) (u = -1.6).
    {"EqualityPositive", {{2, 0}, {0, 2}}, {0, 0}, {{1, 2}}, {-5}, 1, {}, {}, {1, 2}, {2}},
    {"EqualityNegative", {{2, 0}, {0, 2}}, {-6, -6}, {{1, 2}}, {-5}, 1, {}, {}, {2.2, 1.4}, {-1.6}},
    // The same row twice: the step of one copy.
    {"DuplicateRows", {{1, 0}, {0, 1}}, {-2, -2}, {{-1, -1}, {-1, -1}}, {2, 2}, 0, {}, {}, {1, 1}, {}},
    // Three rows meet at (1, 1), the third the sum of the others.
    {"DependentRowsAtAVertex", {{1, 0}, {0, 1}}, {-2, -2}, {{-1, 0}, {0, -1}, {-1, -1}}, {1, 1, 2},
     0, {}, {}, {1, 1}, {}},
    // Five planes through (1, 1, 1) in three variables.
    {"MoreActiveRowsThanVariables", {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}}, {-3, -3, -3},
     {{-1, -1, 0}, {-1, 0, 0}, {0, -1, 0}, {0, 0, -1}, {0, -1, -1}}, {2, 1, 1, 1, 2}, 0, {}, {},
     {1, 1, 1}, {}},
    // d1 + d2 = 1 repeated as 2d1 + 2d2 = 2, with d1 = d2.
    {"RedundantEquality", {{1, 0}, {0, 4}}, {5, -3}, {{1, 1}, {2, 2}, {1, -1}}, {-1, -2, 0}, 3, {},
     {}, {0.5, 0.5}, {}},
    // An equality as two opposite inequalities with inexact coefficients.
    {"EqualityAsTwoInequalities", {{3, 1}, {1, 2}}, {0.3, -0.7}, {{0.1, 0.7}, {-0.1, -0.7}},
     {-1.0 / 3.0, 1.0 / 3.0}, 0, {}, {}, {kAny, kAny}, {}},
    // d1 fixed at 2 by equal bounds.
    {"EqualBoundsFix", {{2, 1}, {1, 2}}, {1, -1}, {{1, 1}}, {-1}, 0, {2, -10}, {2, 10}, {2, kAny}, {}},
};

TEST_F(DualActiveSetQPTest, HandWorkedOptima)
{
    for (const HandWorked& c : kHandWorked) {
        auto qp = problem(c.hessian, c.linear, c.rows, c.offsets, c.nEqualities);
        if (!c.lower.empty()) qp.lower = c.lower;
        if (!c.upper.empty()) qp.upper = c.upper;
        const auto s = solve(qp);
        ASSERT_EQ(s.status, Status::Solved) << c.name << ": " << s.message;
        for (std::size_t i = 0; i < c.step.size(); ++i) {
            const bool onBound = (!c.lower.empty() && c.step[i] == c.lower[i]) ||
                                 (!c.upper.empty() && c.step[i] == c.upper[i]);
            if (onBound) { // an active bound is met exactly
                EXPECT_EQ(s.step[i], c.step[i]) << c.name;
            } else if (!std::isnan(c.step[i])) {
                EXPECT_NEAR(s.step[i], c.step[i], kExactTolerance) << c.name;
            }
        }
        for (std::size_t j = 0; j < c.rowMultipliers.size(); ++j) {
            EXPECT_NEAR(s.rowMultipliers[j], c.rowMultipliers[j], kExactTolerance) << c.name;
        }
        EXPECT_TRUE(satisfiesKkt(qp, s)) << c.name;
    }
}

TEST_F(DualActiveSetQPTest, RandomProblemsSatisfyKkt)
{
    struct Family {
        const char* name;
        std::uint32_t count, seedBase;
        RandomShape (*shape)(std::uint32_t seed);
    };
    const Family families[] = {
        {"inequalities", 150, 0, [](std::uint32_t s) {
             RandomShape r; r.n = 1 + int(s % 25); r.m = int((s * 7) % 40); return r; }},
        {"equalities", 100, 1000, [](std::uint32_t s) {
             RandomShape r; r.n = 2 + int(s % 20); r.m = 1 + int((s * 5) % 30);
             r.nEqualities = std::min(r.m, 1 + int(s) % r.n); return r; }},
        // Every row through x0 and every third a combination of the two before.
        {"degenerate", 100, 9000, [](std::uint32_t s) {
             RandomShape r; r.n = 2 + int(s % 15); r.m = 3 * r.n; r.nEqualities = int(s % 2);
             r.throughShare = 1.0; r.combineEveryThird = true; return r; }},
        // Zero rows in M: condition numbers of about 1e11.
        {"ill-conditioned", 60, 5000, [](std::uint32_t s) {
             RandomShape r; r.n = 3 + int(s % 20); r.m = 2 * r.n; r.nEqualities = int(s % 3);
             r.diagonalShift = 1e-10; r.zeroFactorRows = 1 + int(s % 2); return r; }},
        // A row multiplied by 1e6 is the same constraint: the step must not change.
        {"badly scaled", 40, 7000, [](std::uint32_t s) {
             RandomShape r; r.n = 2 + int(s % 12); r.m = 2 + int((s * 3) % 16);
             r.nEqualities = int(s % 2); r.rowScale = 1e6; return r; }},
    };
    for (const Family& family : families) {
        for (std::uint32_t seed = 1; seed <= family.count; ++seed) {
            RandomShape shape = family.shape(seed);
            const auto qp = randomProblem(family.seedBase + seed, shape);
            const auto s = solve(qp);
            ASSERT_EQ(s.status, Status::Solved) << family.name << " " << seed << ": " << s.message;
            EXPECT_TRUE(satisfiesKkt(qp, s)) << family.name << " " << seed;
            if (shape.rowScale != 1.0) {
                shape.rowScale = 1.0;
                const auto plain = solve(randomProblem(family.seedBase + seed, shape));
                for (std::size_t k = 0; k < s.step.size(); ++k) {
                    EXPECT_NEAR(s.step[k], plain.step[k], 1e-9) << family.name << " " << seed;
                }
            }
        }
    }
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

TEST_F(DualActiveSetQPTest, InconsistentConstraintsGiveANegativeStatus)
{
    const Rows identity = {{1, 0}, {0, 1}};
    // The name ends with the text the message must hold, if any.
    const HandWorked cases[] = {
        {"d1 >= 1 and d1 <= 0|inconsistent", identity, {0, 0}, {{1, 0}, {-1, 0}}, {-1, 0}, 0, {}, {}, {}, {}},
        {"d1 + d2 >= 3 in [0, 1]^2", identity, {0, 0}, {{1, 1}}, {-3}, 0, {0, 0}, {1, 1}, {}, {}},
        {"d1 + d2 = 1 and 2d1 + 2d2 = 3", identity, {0, 0}, {{1, 1}, {2, 2}}, {-1, -3}, 2, {}, {}, {}, {}},
        {"d1 + d2 = 5 in [0, 1]^2", identity, {0, 0}, {{1, 1}}, {-5}, 1, {0, 0}, {1, 1}, {}, {}},
        {"0 >= 1|row 0", identity, {0, 0}, {{0, 0}}, {-1}, 0, {}, {}, {}, {}},
    };
    for (const HandWorked& c : cases) {
        auto qp = problem(c.hessian, c.linear, c.rows, c.offsets, c.nEqualities);
        if (!c.lower.empty()) qp.lower = c.lower;
        if (!c.upper.empty()) qp.upper = c.upper;
        const auto s = solve(qp);
        EXPECT_EQ(s.status, Status::Inconsistent) << c.name;
        const std::string name = c.name;
        if (name.find('|') != std::string::npos) {
            EXPECT_NE(s.message.find(name.substr(name.find('|') + 1)), std::string::npos) << s.message;
        }
    }
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
    const auto qp = randomProblem(21, RandomShape{10, 15});
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

TEST_F(DualActiveSetQPTest, UnusableProblemsAreRejectedWithAMessage)
{
    auto crossed = problem({{1, 0}, {0, 1}}, {0, 0}, {}, {});
    crossed.lower = {0, 3};
    crossed.upper = {1, 2};
    auto s = solve(crossed);
    EXPECT_EQ(s.status, Status::InconsistentBounds);
    EXPECT_EQ(s.message, "lower[1] = 3 exceeds upper[1] = 2");
    EXPECT_EQ(s.step.size(), 2u);
    s = solve(problem({{1, 2}, {2, 1}}, {0, 0}, {}, {}));
    EXPECT_EQ(s.status, Status::NotPositiveDefinite);
    EXPECT_NE(s.message.find("not positive definite"), std::string::npos) << s.message;

    const auto valid = problem({{1, 0}, {0, 1}}, {0, 0}, {{1, 1}}, {-1});
    using Edit = void (*)(DualActiveSetQP::Problem&);
    const std::pair<Edit, const char*> cases[] = {
        {[](auto& q) { q.hessian = Matrix(2, 3); }, "hessian is 2 x 3"},
        {[](auto& q) { q.hessian = Matrix(); }, "hessian is 0 x 0"},
        {[](auto& q) { q.linear = {0}; }, "linear has 1 entries"},
        {[](auto& q) { q.offsets = {}; }, "offsets has 0 entries"},
        {[](auto& q) { q.nEqualities = 2; }, "nEqualities is 2"},
        {[](auto& q) { q.upper = {1}; }, "lower and upper have 2 and 1 entries"},
        {[](auto& q) { q.hessian(1, 0) = std::nan(""); }, "hessian(1, 0) is nan"},
        {[](auto& q) { q.offsets[0] = kInf; }, "offsets[0] is inf"},
        {[](auto& q) { q.lower[1] = kInf; }, "lower[1] is inf"},
    };
    auto expectInvalid = [this](const DualActiveSetQP::Problem& qp, const std::string& text,
                                double accuracy, int limit) {
        const auto r = solver.solve(qp, accuracy, limit);
        EXPECT_EQ(r.status, Status::InvalidInput) << text;
        EXPECT_NE(r.message.find(text), std::string::npos) << r.message;
        EXPECT_TRUE(r.step.empty());
    };
    for (const auto& [edit, text] : cases) {
        auto qp = valid;
        edit(qp);
        expectInvalid(qp, text, 0.0, 10);
    }
    expectInvalid(valid, "accuracy is -1", -1.0, 10);
    expectInvalid(valid, "iterationLimit is -1", 0.0, -1);
}

} // namespace
} // namespace Opt
