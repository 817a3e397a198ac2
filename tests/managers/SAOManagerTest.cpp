// The sequential approximate optimisation: the move-limit and acceptance
// tables, the stopping tests, each deviation of ours, and a run to the optimum
// through the general entry point.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "api/zelkor.h"
#include "managers/SAOManager.h"
#include "managers/SAOReferenceProblems.h"

namespace Opt::RSM {
namespace {

using Reference::HockSchittkowskiProblem;
constexpr int kUnset = -999;

const HockSchittkowskiProblem& problemNamed(const std::string& name)
{
    const auto& table = Reference::saoReferenceProblems();
    return *std::find_if(table.begin(), table.end(), [&](const auto& p) { return p.name == name; });
}

std::vector<std::vector<double>> boundsOf(const HockSchittkowskiProblem& problem)
{
    std::vector<std::vector<double>> bounds;
    for (int i = 0; i < problem.nVariables(); ++i) {
        bounds.push_back({problem.lower[i], problem.upper[i]});
    }
    return bounds;
}

SAOManager managerFor(const HockSchittkowskiProblem& problem, int maxEvaluations = kUnset)
{
    std::vector<int> ints(SAOParameter::kIntCount, kUnset);
    ints[3] = maxEvaluations;
    return SAOManager(problem.start, boundsOf(problem), problem.nResponses,
                      std::vector<double>(SAOParameter::kRealCount, kUnset), ints, 0);
}

// Drives a manager as the array entry points do (the start evaluated first) and
// keeps every design the host evaluated.
std::vector<std::vector<double>> drive(SAOManager& sao, const HockSchittkowskiProblem& problem,
                                       std::vector<double>& x, std::vector<double>& f)
{
    x = problem.start;
    f.assign(static_cast<std::size_t>(problem.nResponses), 0.0);
    std::vector<std::vector<double>> evaluated;
    int code = static_cast<int>(StepCode::Evaluate);
    while (code >= 1 && code <= 3) {
        if (code == static_cast<int>(StepCode::Evaluate)) {
            problem.responses(x.data(), f.data());
            evaluated.push_back(x);
        }
        code = sao.step(x.data(), f.data(), nullptr);
    }
    return evaluated;
}

TEST(MoveLimiterTest, UpdateTableRowByRow)
{
    struct Row {
        double limit, actual, predicted;
        bool candidateFeasible, entryFeasible, violationFell;
        double expected;
    };
    const Row rows[] = {
        {0.1, -1.0, -1.0, true, true, false, 0.12},      // rho = 1 > expand: grows
        {0.1, -1.0, -0.5, true, true, false, 0.1},       // accept <= rho <= expand: kept
        {0.1, -1.0, -0.05, true, true, false, 0.065},    // rho below accept
        {0.1, 1.0, -1.0, true, true, false, 0.065},      // feasible but worse
        {0.002, 0.0, -1.0, true, true, false, 0.0013},   // no change: 0.65, not clamped
        {0.0025, 1.0, -1.0, true, true, false, 0.002},   // held at the floor
        {1.9, -1.0, -1.0, true, true, false, 2.0},       // capped
        {0.1, -1.0, -1.0, false, true, false, 0.075},    // infeasible after feasible
        {0.1, 1.0, -1.0, false, false, true, 0.11},      // violation fell: grows
        {0.1, -1.0, -1.0, false, false, false, 0.075},   // violation did not fall
    };
    for (const Row& row : rows) {
        MoveLimiter limiter({{0.0, 1.0}}, row.limit, 0.9, 0.1);
        limiter.update({row.actual, row.predicted, row.candidateFeasible, row.entryFeasible,
                        row.violationFell});
        EXPECT_NEAR(limiter.limit, row.expected, 1e-12) << "from " << row.limit;
    }
    MoveLimiter floor({{0.0, 1.0}}, 0.0025, 0.9, 0.1);
    floor.update({1.0, -1.0, true, true, false});
    EXPECT_TRUE(floor.atFloor());
}

TEST(SAOManagerTest, AcceptanceComparesInfeasibleDesignsByLargestViolation)
{
    struct Row {
        bool entryFeasible, candidateFeasible;
        double objectiveChange, violationChange;
        bool accepted;
    };
    const Row rows[] = {
        {false, true, 5.0, -1.0, true},  {true, false, -5.0, 1.0, false},
        {true, true, -1.0, 0.0, true},   {true, true, 1.0, 0.0, false},
        {false, false, 1.0, -0.1, true}, {false, false, -1.0, 0.1, false},
    };
    for (const Row& row : rows) {
        SAOManager sao = managerFor(problemNamed("HS21"));
        sao.history = {SAOManager::Record{10.0, 10.0, 1.0, 0.1, 1, row.entryFeasible}};
        sao.candidate = {10.0 + row.objectiveChange, 9.0, 1.0 + row.violationChange, 0.1, 2,
                         row.candidateFeasible};
        EXPECT_EQ(sao.acceptCandidate(), row.accepted) << row.objectiveChange;
    }
}

TEST(SAOManagerTest, ObjectiveTestIsRelativeBetweenFeasibleEntriesFromTheThird)
{
    struct Row {
        std::vector<double> objectives;
        bool firstFeasible;
        bool converged;
    };
    const Row rows[] = {
        {{100.0, 100.05}, true, false},         // second entry: too early
        {{90.0, 100.05, 100.0}, true, true},    // 0.05 < 0.001 * 100
        {{1.0, 0.001, 0.0015}, true, false},    // absolute 0.01 would stop here
        {{1e5, 2e5, 1e5 + 50.0}, true, false},  // 50 > 0.001 * 1e5: not yet
        {{90.0, 100.05, 100.0}, false, true},   // only the last two entries count
    };
    for (const Row& row : rows) {
        SAOManager sao = managerFor(problemNamed("HS21"));
        sao.history.clear();
        for (const double objective : row.objectives) {
            sao.history.push_back({objective, objective, 0.0, 0.1, 1, true});
        }
        sao.history[row.objectives.size() - 2].feasible = row.firstFeasible;
        EXPECT_EQ(sao.isConverged(), row.converged && row.firstFeasible) << row.objectives.back();
    }
}

TEST(SAOManagerTest, ConstraintToleranceIsInclusive)
{
    for (const auto& [value, feasible] : {std::pair{0.003, true}, std::pair{0.0031, false}}) {
        SAOManager sao = managerFor(problemNamed("HS21"));
        std::vector<double> x = {2.0, -1.0};
        std::vector<double> f = {1.0, value};
        sao.step(x.data(), f.data(), nullptr);
        EXPECT_EQ(sao.history.at(0).feasible, feasible) << value;
    }
}

TEST(SAOManagerTest, NestedSearchKeepsCandidatesFeasibleBeyondAPenaltyOf100)
{
    // The multiplier of x1 + x2 <= 1 is 1000: a penalty of 100 would move the
    // candidate to the box corner (0.5, 0.55), 5 % outside.
    static const auto responses = [](const auto* x, auto* f) {
        f[0] = -1000.0 * (x[0] + x[1]);
        f[1] = x[0] + x[1] - 1.0;
    };
    const auto steep = Reference::problem("steep", {0.45, 0.5}, {0, 0}, {1, 1}, 2, -1000.0, responses);
    SAOManager sao = managerFor(steep, 10);
    std::vector<double> x, f;
    const auto evaluated = drive(sao, steep, x, f);
    ASSERT_EQ(evaluated.size(), 10u); // start, eight samples, the candidate
    EXPECT_LE(evaluated.back()[0] + evaluated.back()[1] - 1.0, 0.003);
}

TEST(SAOManagerTest, BudgetCentreReuseAndReturnedDesign)
{
    const HockSchittkowskiProblem& problem = problemNamed("three-bar truss");
    for (const int budget : {40, kUnset}) {
        SAOManager sao = managerFor(problem, budget);
        std::vector<double> x, f;
        const auto evaluated = drive(sao, problem, x, f);
        if (budget > 0) {
            EXPECT_LE(static_cast<int>(evaluated.size()), budget);
        }
        // Each cycle: eight new points of the nine (the centre reused), one candidate.
        EXPECT_EQ((evaluated.size() - 1) % 9, 0u);
        std::vector<double> atX(f.size());
        problem.responses(x.data(), atX.data());
        EXPECT_EQ(atX, f);
        EXPECT_DOUBLE_EQ(f[0], sao.history.back().objective);
        EXPECT_TRUE(std::find(evaluated.begin(), evaluated.end(), x) != evaluated.end());
        if (!sao.candidateAccepted) {
            EXPECT_NE(evaluated.back(), x); // the rejected candidate is not returned
        }
    }
}

TEST(SAOManagerTest, RefinedCandidateReachesThePressureVesselOptimum)
{
    // The genetic search alone ends 7 % off: its candidates miss the box's
    // surrogate optimum where three constraints meet.
    const HockSchittkowskiProblem& problem = problemNamed("pressure vessel");
    SAOManager sao = managerFor(problem);
    EXPECT_FALSE(sao.settings().refineCandidate);
    static_cast<SAOParameter&>(*sao.parameter).refineCandidate = true;
    std::vector<double> x, f;
    drive(sao, problem, x, f);
    EXPECT_NEAR(f[0], problem.optimum, 0.01 * problem.optimum);
    EXPECT_LE(*std::max_element(f.begin() + 1, f.end()), 0.003);
}

int respond(double* x, int, double* f, int)
{
    problemNamed("HS35").responses(x, f);
    return 0;
}

TEST(SAOManagerTest, ZelkorMethod5ReachesTheOptimumOfASmoothProblem)
{
    const HockSchittkowskiProblem& problem = problemNamed("HS35");
    std::vector<double> x = problem.start;
    std::vector<double> f(2);
    std::vector<std::vector<double>> boxes = boundsOf(problem);
    std::vector<double*> bounds;
    for (auto& box : boxes) {
        bounds.push_back(box.data());
    }
    EXPECT_EQ(Zelkor(5, 0, respond, 3, x.data(), bounds.data(), 2, f.data(), 0, nullptr, 0,
                     nullptr, nullptr),
              1);
    EXPECT_NEAR(f[0], problem.optimum, 0.01 * problem.optimum);
    EXPECT_LE(f[1], 0.003);
}

} // namespace
} // namespace Opt::RSM
