// The slip-surface search: the threshold of the objective test, the
// preliminary test that skips a cycle's search, the abort on a box without
// admissible surfaces, and runSAOOPT_LEM on the demo's slope against an
// exhaustive grid search with the same slice method.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "api/zelkor.h"
#include "examples/slope_fellenius.h"
#include "managers/SAOManagerForLEM.h"

namespace Opt::RSM {
namespace {

constexpr double kFailed = 1e100;
constexpr int kSamplesPerCycle = 8; // face-centred central composite in 2 variables, centre reused

SAOManagerForLEM squareManager(double threshold = -999.0)
{
    std::vector<double> reals(SAOManagerForLEM::kRealCount, -999.0);
    reals[6] = threshold;
    return SAOManagerForLEM({0.5, 0.5}, {{0.0, 1.0}, {0.0, 1.0}}, 1, reals,
                            std::vector<int>(SAOManagerForLEM::kIntCount, -999));
}

// Steps the manager as runSAOOPT_LEM does; returns the number of host
// evaluations and leaves the final step's x and f.
template <typename Host>
int drive(SAOManagerForLEM& sao, const Host& host, std::vector<double>& x, double& f)
{
    x = {0.5, 0.5};
    int evaluations = 0;
    int code = static_cast<int>(StepCode::Evaluate);
    while (code >= 1 && code <= 3) {
        if (code == static_cast<int>(StepCode::Evaluate)) {
            f = host(x);
            ++evaluations;
        }
        code = sao.step(x.data(), &f, nullptr);
    }
    EXPECT_EQ(code, static_cast<int>(StepCode::Finished));
    return evaluations;
}

TEST(SAOManagerForLEMTest, SmallChangeConvergesOnlyBelowTheThreshold)
{
    for (const double level : {0.9, 5.0}) {
        SAOManagerForLEM sao = squareManager();
        for (const double objective : {level + 1.0, level + 1e-5, level}) {
            sao.history.push_back({objective, objective, 0.0, 0.1, 1, true});
        }
        EXPECT_EQ(sao.isConverged(), level < SAOManagerForLEM::kDefaultThreshold) << level;
    }
    SAOManagerForLEM raised = squareManager(10.0);
    for (const double objective : {6.0, 5.00001, 5.0}) {
        raised.history.push_back({objective, objective, 0.0, 0.1, 1, true});
    }
    EXPECT_TRUE(raised.isConverged());
}

// Only the start is admissible: every cycle fails the preliminary test, so no
// candidate is ever published; each cycle is a failed step (limit * 0.65)
// until the limit reaches its floor, ten cycles from 0.1.
TEST(SAOManagerForLEMTest, FailedPreliminaryTestPublishesNoCandidate)
{
    SAOManagerForLEM sao = squareManager();
    std::vector<double> x;
    double f = 0.0;
    const int evaluations = drive(
        sao, [](const std::vector<double>& p) { return p[0] == 0.5 && p[1] == 0.5 ? 1.2 : kFailed; },
        x, f);
    EXPECT_EQ(evaluations, 1 + 10 * kSamplesPerCycle);
    EXPECT_TRUE(sao.feasible);
    EXPECT_FALSE(sao.abortRun);
    EXPECT_EQ(sao.history.size(), 1u);
    EXPECT_EQ(x, (std::vector<double>{0.5, 0.5}));
    EXPECT_EQ(f, 1.2);
}

// No admissible design in the first box, the start included: the run stops
// after that one cycle, with feasible false and the start handed back.
TEST(SAOManagerForLEMTest, AbortStopsAtOnceWithoutAResult)
{
    SAOManagerForLEM sao = squareManager();
    std::vector<double> x;
    double f = 0.0;
    const int evaluations =
        drive(sao, [](const std::vector<double>&) { return std::nan(""); }, x, f);
    EXPECT_EQ(evaluations, 1 + kSamplesPerCycle);
    EXPECT_TRUE(sao.abortRun);
    EXPECT_FALSE(sao.feasible);
    EXPECT_EQ(x, (std::vector<double>{0.5, 0.5}));
    EXPECT_EQ(f, kFailed);
}

int noSlipSurface(double*, int, double* f, int)
{
    f[0] = kFailed;
    return 0;
}

TEST(SAOManagerForLEMTest, EntryPointReportsAnAbortedSearch)
{
    std::vector<double> x{0.5, 0.5};
    double f = 0.0;
    const std::vector<std::vector<double>> bounds{{0.0, 1.0}, {0.0, 1.0}};
    EXPECT_EQ(runSAOOPT_LEM(noSlipSurface, x.data(), &f, &bounds, 2, nullptr, nullptr), 0);
    EXPECT_EQ(zelkorLastStatus(), ZELKOR_STATUS_INFEASIBLE);
    EXPECT_NE(std::string(zelkorLastMessage()).find("no admissible slip surface"),
              std::string::npos);
}

TEST(SAOManagerForLEMTest, EntryPointRejectsBadInput)
{
    std::vector<double> x{0.5, 0.5, 0.5};
    double f = 0.0;
    const std::vector<std::vector<double>> bounds{{0.0, 1.0}, {0.0, 1.0}};
    EXPECT_EQ(runSAOOPT_LEM(nullptr, x.data(), &f, &bounds, 2, nullptr, nullptr), 0);
    EXPECT_EQ(zelkorLastStatus(), ZELKOR_STATUS_INVALID_INPUT);
    EXPECT_NE(std::string(zelkorLastMessage()).find("no response callback"), std::string::npos);
    EXPECT_EQ(runSAOOPT_LEM(noSlipSurface, x.data(), &f, &bounds, 3, nullptr, nullptr), 0);
    EXPECT_EQ(zelkorLastStatus(), ZELKOR_STATUS_INVALID_INPUT);
    EXPECT_EQ(runSAOOPT_LEM(noSlipSurface, x.data(), nullptr, &bounds, 2, nullptr, nullptr), 0);
    EXPECT_NE(std::string(zelkorLastMessage()).find("f is null"), std::string::npos);
}

int slopeFactor(double* x, int, double* f, int)
{
    f[0] = slope::factorOfSafety({x[0], x[1], x[2]}, slope::Soil{}, slope::Geometry{});
    return 0;
}

// The demo's slope: the critical circle of a 30-step grid over the same box
// (0.9422) is matched within 1 % of the factor of safety.
TEST(SAOManagerForLEMTest, FindsTheGridSearchCriticalCircle)
{
    constexpr double kTolerance = 0.01;
    const double lower[3] = {0.0, 10.0, 5.0};
    const double upper[3] = {30.0, 40.0, 45.0};
    const slope::GridResult grid =
        slope::gridSearch(slope::Soil{}, slope::Geometry{}, lower, upper, 30);
    std::vector<double> x{15.0, 25.0, 25.0};
    double f = 0.0;
    const std::vector<std::vector<double>> bounds{{0.0, 30.0}, {10.0, 40.0}, {5.0, 45.0}};
    std::vector<double> reals(SAOManagerForLEM::kRealCount, -999.0);
    reals[1] = 1e-4;
    ASSERT_EQ(runSAOOPT_LEM(slopeFactor, x.data(), &f, &bounds, 3, reals.data(), nullptr), 1)
        << zelkorLastMessage();
    EXPECT_NEAR(f, grid.factor, kTolerance * grid.factor);
    EXPECT_EQ(f, slope::factorOfSafety({x[0], x[1], x[2]}, slope::Soil{}, slope::Geometry{}));
}

} // namespace
} // namespace Opt::RSM
