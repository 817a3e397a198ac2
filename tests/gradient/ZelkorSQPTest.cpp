// SQP through the general entry point: Hock-Schittkowski reference problems
// solved with forward differences and with the host's gradients, and bad
// input that must end cleanly.
#include <algorithm>
#include <cmath>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "api/zelkor.h"
#include "gradient/HockSchittkowskiProblems.h"
#include "gradient/SequentialQuadraticProgramming.h"

namespace Opt {
namespace {

using Reference::HockSchittkowskiProblem;

constexpr int kSqpMethod = 1;
constexpr int kForwardDifferences = 1;
constexpr int kHostGradients = 3;
constexpr double kConstraintTolerance = 1e-4; // the engine's default
constexpr double kObjectiveShare = 0.01;      // within 1% of the published optimum
// The relative objective change that ends a run. The default (0.005) stops
// slowly converging problems (HS76, HS100) up to 2% short of their optimum.
constexpr double kObjectiveTolerance = 1e-4;

// Zelkor's callbacks are plain functions: the problem and the host's records
// live here for the duration of one call.
struct Host {
    const HockSchittkowskiProblem* problem = nullptr; // none: (x - 0.3)², constraints at -1
    int responseCalls = 0;
    int gradientCalls = 0;
    int failingCall = 0; // from this call on the objective is NaN (0: never)
    double failureRate = 0.0; // each call fails with this probability (seeded)
    std::mt19937 random{7};
    std::vector<std::vector<double>> designs;
    std::vector<std::vector<double>> responses; // as returned, failed ones included
    std::vector<double> returned; // f as the entry point left it
};
Host host;

int respond(double* x, int n, double* f, int m)
{
    ++host.responseCalls;
    host.designs.emplace_back(x, x + n);
    if (host.problem != nullptr) {
        host.problem->responses(x, f);
    } else {
        f[0] = (x[0] - 0.3) * (x[0] - 0.3);
        std::fill(f + 1, f + m, -1.0);
    }
    if (host.failingCall > 0 && host.responseCalls >= host.failingCall) {
        f[0] = std::numeric_limits<double>::quiet_NaN();
    }
    if (std::uniform_real_distribution<double>(0.0, 1.0)(host.random) < host.failureRate) {
        // NaN, infinity and the failed-evaluation marker in turn, on any response.
        const double failed[3] = {std::numeric_limits<double>::quiet_NaN(),
                                  std::numeric_limits<double>::infinity(), 1e100};
        f[host.responseCalls % m] = failed[host.responseCalls % 3];
    }
    host.responses.emplace_back(f, f + m);
    return 0;
}

int differentiate(double* x, int, double** g, int)
{
    ++host.gradientCalls;
    Reference::exactGradients(*host.problem, x, g);
    return 0;
}

// One SQP run through Zelkor from x, which then holds the final design.
int runSqp(std::vector<double>& x, std::vector<std::vector<double>> boxes, int n, int m,
           int gradientMode, GradientCallback gradients = nullptr)
{
    std::vector<double*> bounds;
    for (auto& box : boxes) {
        bounds.push_back(box.data());
    }
    std::vector<double> f(static_cast<std::size_t>(std::max(m, 1)));
    int ints[5] = {-999, -999, -999, gradientMode, -999};
    double reals[4] = {kObjectiveTolerance, -999.0, -999.0, -999.0};
    const int result = Zelkor(kSqpMethod, 0, respond, n, x.data(), bounds.data(), m, f.data(),
                              12345, ints, -7, reals, gradients);
    host.returned = f;
    return result;
}

// ------------------------------------------------------ reference problems

class ReferenceProblems : public ::testing::TestWithParam<std::tuple<std::size_t, int>> {
protected:
    void TearDown() override { host = Host(); }
};

TEST_P(ReferenceProblems, SolvedFeasiblyWithinOnePercent)
{
    const auto [index, gradientMode] = GetParam();
    const HockSchittkowskiProblem& problem = Reference::hockSchittkowskiProblems()[index];
    host.problem = &problem;
    const int n = problem.nVariables();
    const int m = problem.nResponses;
    std::vector<std::vector<double>> boxes;
    for (int i = 0; i < n; ++i) {
        boxes.push_back({problem.lower[i], problem.upper[i]});
    }
    std::vector<double> x = problem.start;
    EXPECT_EQ(runSqp(x, boxes, n, m, gradientMode,
                     gradientMode == kHostGradients ? differentiate : nullptr),
              1);
    std::vector<double> f(static_cast<std::size_t>(m));
    problem.responses(x.data(), f.data());
    EXPECT_EQ(host.returned, f) << "f holds the responses of the design returned in x";
    EXPECT_LE(*std::max_element(f.begin() + 1, f.end()), kConstraintTolerance) << problem.name;
    EXPECT_LE(std::fabs(f[0] - problem.optimum), kObjectiveShare * std::fabs(problem.optimum))
        << problem.name << ": " << f[0] << " against " << problem.optimum;
    for (int i = 0; i < n; ++i) {
        EXPECT_GE(x[i], problem.lower[i]) << problem.name;
        EXPECT_LE(x[i], problem.upper[i]) << problem.name;
    }
    EXPECT_EQ(host.gradientCalls > 0, gradientMode == kHostGradients);
}

std::string problemName(const ::testing::TestParamInfo<std::tuple<std::size_t, int>>& info)
{
    const auto [index, gradientMode] = info.param;
    return Reference::hockSchittkowskiProblems()[index].name +
           (gradientMode == kForwardDifferences ? "_differences" : "_hostGradients");
}

// Every problem in both gradient modes. HS34 with forward differences pins the
// merit's penalty weighting: with violations weighted by the QP multiplier every
// full step near its solution raised the merit by about 2e-8, and the run ended
// 6e-4 infeasible.
std::vector<std::tuple<std::size_t, int>> referenceCases()
{
    std::vector<std::tuple<std::size_t, int>> cases;
    const auto& problems = Reference::hockSchittkowskiProblems();
    for (std::size_t index = 0; index < problems.size(); ++index) {
        for (int gradientMode : {kForwardDifferences, kHostGradients}) {
            cases.emplace_back(index, gradientMode);
        }
    }
    return cases;
}

INSTANTIATE_TEST_SUITE_P(HockSchittkowski, ReferenceProblems, ::testing::ValuesIn(referenceCases()),
                         problemName);

// ------------------------------------------------------------- bad input

// (x - 0.3)² from 0 with a satisfied constraint: response call 1 is the start,
// 2 its perturbation, 3 the trial 0.3, accepted as the new base point without
// another evaluation, 4 its perturbation. Input errors go to stderr before any
// call. From the failing call on every objective is NaN: the engine backs off
// (the start evaluated again, a perturbation at half its step, a trial as
// rejected) until it gives up with a message on stdout, keeping the last good
// design.
TEST(SQPBadInput, EndsCleanlyWithAMessage)
{
    constexpr int kBackOffs = SequentialQuadraticProgramming::kMaxBackOffs;
    constexpr int kTrials = 10 + SequentialQuadraticProgramming::kExtraFeasibilityTrials;
    struct Case {
        std::vector<double> start;
        std::vector<std::vector<double>> boxes;
        int n, m, failingCall, result;
        bool onStderr;
        const char* text;
        int responseCalls;
        std::vector<double> x; // empty: not checked
    };
    const Case cases[] = {
        {{0.5}, {{0.0, 1.0}}, 0, 1, 0, 0, true, "n = 0", 0, {}},
        {{0.5}, {{0.0, 1.0}}, 1, 0, 0, 0, true, "m = 0", 0, {}},
        {{0.5, 0.5}, {{0.0, 1.0}, {2.0, 1.0}}, 2, 2, 0, 0, true,
         "design variable 1 has lower bound 2 above its upper bound 1", 0, {0.5, 0.5}},
        {{0.0}, {{0.0, 1.0}}, 1, 2, 1, 0, false, "RESPONSE 0 IS nan AT THE START DESIGN",
         1 + SequentialQuadraticProgramming::kStartRetries, {0.0}},
        {{0.0}, {{0.0, 1.0}}, 1, 2, 4, 1, false, "RESPONSE 0 IS nan AT THE DESIGN BACKED OFF",
         4 + kBackOffs, {0.3}},
        {{0.0}, {{0.0, 1.0}}, 1, 2, 3, 1, false, "RESPONSE 0 IS nan AT EVERY TRIAL",
         2 + kTrials, {0.0}},
    };
    for (const Case& c : cases) {
        host = Host();
        host.failingCall = c.failingCall;
        std::vector<double> x = c.start;
        c.onStderr ? testing::internal::CaptureStderr() : testing::internal::CaptureStdout();
        const int result = runSqp(x, c.boxes, c.n, c.m, kForwardDifferences);
        const std::string output = c.onStderr ? testing::internal::GetCapturedStderr()
                                              : testing::internal::GetCapturedStdout();
        EXPECT_EQ(result, c.result) << c.text;
        EXPECT_NE(output.find(c.text), std::string::npos) << output;
        EXPECT_EQ(host.responseCalls, c.responseCalls) << c.text;
        for (std::size_t i = 0; i < c.x.size(); ++i) {
            EXPECT_NEAR(x[i], c.x[i], 1e-12) << c.text;
        }
        if (c.failingCall >= 3) { // the design kept is the one evaluated, bit for bit
            EXPECT_EQ(x, host.designs[c.failingCall == 4 ? 2 : 0]);
        }
    }
    host = Host();
}

// Failed evaluations are data: with 10 % and 30 % of evaluations failing at
// random (NaN, infinity or the failed-evaluation marker on some response), every
// run ends within the engine's evaluation budget and returns a design the host
// evaluated with finite responses, and those responses in f.
TEST(SQPFailedEvaluations, RunsEndOnAnEvaluatedFiniteDesign)
{
    const auto& problems = Reference::hockSchittkowskiProblems();
    for (const char* name : {"HS35", "HS43", "HS65"}) {
        const auto& problem = *std::find_if(problems.begin(), problems.end(),
                                            [&](const auto& p) { return p.name == name; });
        for (double rate : {0.1, 0.3}) {
            host = Host();
            host.problem = &problem;
            host.failureRate = rate;
            std::vector<std::vector<double>> boxes;
            for (int i = 0; i < problem.nVariables(); ++i) {
                boxes.push_back({problem.lower[i], problem.upper[i]});
            }
            std::vector<double> x = problem.start;
            testing::internal::CaptureStdout();
            runSqp(x, boxes, problem.nVariables(), problem.nResponses, kForwardDifferences);
            testing::internal::GetCapturedStdout();
            EXPECT_LE(host.responseCalls, OptEngine::kEvaluationLimit) << name << " " << rate;
            bool evaluated = false;
            for (std::size_t k = 0; k < host.designs.size(); ++k) {
                const auto& r = host.responses[k];
                const bool finite = std::all_of(r.begin(), r.end(), [](double v) {
                    return std::fabs(v) < 1e100;
                });
                evaluated |= host.designs[k] == x && finite && r == host.returned;
            }
            EXPECT_TRUE(evaluated) << name << " " << rate << ": x and f are a good evaluation";
        }
    }
    host = Host();
}

} // namespace
} // namespace Opt
