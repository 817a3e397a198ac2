// DIRECT: the sampling pattern, candidate selection on hand-built stores, the
// stop rules, the penalty, and reference problems with known global minima.
#include "direct/DIRECT.h"

#include <algorithm>
#include <cmath>
#include <functional>
#include <limits>
#include <tuple>

#include <gtest/gtest.h>

#include "api/zelkor.h"
#include "bench/TestFunctions.h"
#include "engine/FailingHost.h"

namespace Opt {
namespace {

using Responses = std::function<std::vector<double>(const std::vector<double>&)>;

// Drives a DIRECT engine in host-array mode from the start design, as runDIRECT
// does, recording every design handed to the host.
struct DirectRun {
    std::vector<std::vector<double>> designs;
    std::vector<std::vector<double>> responses;
    std::vector<double> x;
    DIRECT* engine = nullptr;
    std::shared_ptr<OptEngine> keep;
    int lastStep = 0;

    DirectRun(std::vector<double> start, std::vector<std::vector<double>> bounds, int m,
              const Responses& model, std::vector<int> ints = std::vector<int>(11, 0),
              std::vector<double> reals = std::vector<double>(10, 0.0),
              const DIRECT::Rules& rules = DIRECT::Rules())
        : x(std::move(start))
    {
        OptEngineMain session(static_cast<int>(x.size()), m, x, bounds, reals.data(), ints.data(),
                              DIRECT::kMethodCode, 0);
        keep = session.engine;
        engine = dynamic_cast<DIRECT*>(session.engine.get());
        engine->setRules(rules);
        std::vector<double> f(static_cast<std::size_t>(m));
        int state = 1;
        while (state >= 1 && state <= 4) {
            if (state == 1) {
                designs.push_back(x);
                f = model(x);
                responses.push_back(f);
            }
            state = session.runOptEngine(x.data(), f.data(), nullptr);
        }
        lastStep = state;
    }
};

// Integer settings with the iteration limit, the evaluation budget and the
// division depth given (0: the default).
std::vector<int> limits(int iterations, int evaluations = 0, int depth = 0)
{
    return {0, 0, depth, iterations, evaluations, 0, 0, 0, 0, 0, 0};
}

std::vector<double> sphereAround(const std::vector<double>& x, double centre)
{
    double sum = 0.0;
    for (double v : x) {
        sum += (v - centre) * (v - centre);
    }
    return {sum};
}

TEST(DIRECTSampling, FirstIterationDividesTheCentreAlongEveryVariable)
{
    const DirectRun run({9.0, 9.0, 9.0}, {{0.0, 3.0}, {0.0, 3.0}, {-3.0, 0.0}}, 1,
                        [](const std::vector<double>& x) { return sphereAround(x, 0.7); },
                        limits(1));
    ASSERT_NE(run.engine, nullptr);
    // The start, the centre, then c - delta e_i before c + delta e_i, delta = 1/3.
    ASSERT_EQ(run.designs.size(), 1u + 1u + 6u);
    EXPECT_EQ(run.designs[0], (std::vector<double>{9.0, 9.0, 9.0}));
    EXPECT_EQ(run.designs[1], (std::vector<double>{1.5, 1.5, -1.5}));
    const std::vector<std::vector<double>> expected = {
        {0.5, 1.5, -1.5}, {2.5, 1.5, -1.5}, {1.5, 0.5, -1.5},
        {1.5, 2.5, -1.5}, {1.5, 1.5, -2.5}, {1.5, 1.5, -0.5}};
    for (std::size_t k = 0; k < expected.size(); ++k) {
        for (std::size_t i = 0; i < 3; ++i) {
            EXPECT_NEAR(run.designs[2 + k][i], expected[k][i], 1e-12) << "point " << k;
        }
    }
    EXPECT_EQ(run.engine->iterationCount, 1);
    EXPECT_EQ(run.engine->stopReason(), DIRECT::StopReason::Iterations);
}

TEST(DIRECTSampling, SidesAreTrisectedInOrderOfTheSmallestSample)
{
    // Along variable 1 the samples are better, so it is divided first: its new
    // points keep the larger boxes (level 1), those along variable 0 get level 2.
    const DirectRun run({0.5, 0.5}, {{0.0, 1.0}, {0.0, 1.0}}, 1,
                        [](const std::vector<double>& x) {
                            return std::vector<double>{std::fabs(x[0] - 0.5) + 3.0 * x[1]};
                        },
                        limits(1));
    const DIRECTSampleStore& store = run.engine->samples();
    ASSERT_EQ(store.pointCount(), 5);
    EXPECT_EQ(store.count(0, 1), 1); // along variable 0, divided second
    EXPECT_EQ(store.count(1, 1), 1);
    EXPECT_EQ(store.count(0, 3), 0); // along variable 1, divided first
    EXPECT_EQ(store.count(1, 3), 1);
    EXPECT_EQ(store.level(0), 2);
}

class CandidateSelection : public ::testing::Test {
protected:
    int add(std::vector<std::int32_t> counts, double value)
    {
        const int point = store.addPoint(std::vector<double>(counts.size(), 0.5), counts);
        store.setValue(point, value);
        return point;
    }
    std::vector<int> select(double best) { return DIRECT::selectRectangles(store, best, 500); }

    DIRECTSampleStore store{2};
};

// Stores given as (division counts, value) per point, with the best value, the
// division depth and the candidates expected.
TEST_F(CandidateSelection, HandBuiltStores)
{
    struct Case {
        const char* name;
        std::vector<std::pair<std::vector<std::int32_t>, double>> points;
        double best;
        int depth;
        std::vector<int> expected;
    };
    const Case cases[] = {
        {"a single level keeps its lowest point", {{{1, 0}, 3.0}, {{0, 1}, 2.0}, {{1, 0}, 4.0}}, 2.0, 500, {1}},
        // 1e-29 is a real difference; on equal values the later point is the level's lowest.
        {"values within the tie tolerance are all candidates",
         {{{1, 0}, 0.0}, {{0, 1}, 1e-31}, {{1, 0}, 1e-29}, {{0, 1}, 0.0}}, 0.0, 500, {3, 0, 1}},
        {"a smaller box worse than a larger one is dominated", {{{0, 0}, 5.0}, {{1, 1}, 1.0}, {{2, 1}, 4.0}}, 1.0,
         500, {0, 1}},
        {"tied twins are kept or dropped together",
         {{{0, 0}, 5.0}, {{1, 1}, 1.0}, {{1, 1}, 1.0}, {{2, 1}, 4.0}, {{2, 1}, 4.0}}, 1.0, 500, {0, 2, 1}},
        {"exhausted rectangles are never selected", {{{3, 3}, 0.0}, {{1, 2}, 1.0}}, 0.0, 3, {1}},
    };
    for (const Case& c : cases) {
        store = DIRECTSampleStore(2);
        for (const auto& [counts, value] : c.points) {
            add(counts, value);
        }
        EXPECT_EQ(DIRECT::selectRectangles(store, c.best, c.depth), c.expected) << c.name;
    }
}

TEST_F(CandidateSelection, ZeroBestValueSwitchesToTheAbsoluteTest)
{
    // Point b promises K d_b - F_b = -0.01 below its own value: the relative test
    // keeps it while the best value (0.02) exceeds that shortfall, the absolute
    // test (best value 0, or within 1e-30 of it) does not.
    const int a = add({0, 0}, 0.0);
    const int b = add({1, 0}, 1.0);
    const double da = store.halfDiagonal(a);
    const double db = store.halfDiagonal(b);
    store.setValue(a, 1.0 + 0.99 * (da - db) / db);
    EXPECT_EQ(select(0.02), (std::vector<int>{a, b}));
    EXPECT_EQ(select(0.0), (std::vector<int>{a}));
    EXPECT_EQ(select(1e-31), (std::vector<int>{a}));
}

// The level index against a sorted reference: points join, leave and move in a
// fixed pseudo-random order; every level must be walked in the reference order.
TEST(DIRECTLevelIndex, WalksEveryLevelInOrderThroughInsertsAndErasesAndStopsWhenTold)
{
    using Entry = DIRECTLevelIndex::Entry;
    auto order = [](const Entry& a, const Entry& b) { return DIRECTLevelIndex::precedes(a, b); };
    DIRECTLevelIndex index;
    std::vector<std::vector<Entry>> reference(4);
    std::vector<int> levelOf(200, -1);
    unsigned state = 12345u;
    auto next = [&state](unsigned range) {
        state = state * 1103515245u + 12345u;
        return static_cast<int>((state >> 16) % range);
    };
    for (int step = 0; step < 2000; ++step) {
        const int point = next(200);
        if (levelOf[point] >= 0) {
            auto& entries = reference[static_cast<std::size_t>(levelOf[point])];
            entries.erase(std::find_if(entries.begin(), entries.end(),
                                       [point](const Entry& e) { return e.point == point; }));
            index.erase(point);
            levelOf[point] = -1;
        }
        if (next(3) != 0) { // insert (or move) two times out of three
            const int level = next(4);
            const double value = static_cast<double>(next(8)); // many equal values
            index.insert(point, level, value);
            reference[static_cast<std::size_t>(level)].push_back({value, point});
            levelOf[point] = level;
        }
    }
    ASSERT_EQ(index.levelCount(), 4);
    for (int level = 0; level < 4; ++level) {
        auto expected = reference[static_cast<std::size_t>(level)];
        std::sort(expected.begin(), expected.end(), order);
        std::vector<int> walked;
        index.visitInOrder(level, [&walked](const Entry& e) {
            walked.push_back(e.point);
            return true;
        });
        std::vector<int> expectedPoints;
        for (const Entry& e : expected) {
            expectedPoints.push_back(e.point);
        }
        EXPECT_EQ(walked, expectedPoints) << "level " << level;
        EXPECT_EQ(index.entriesOf(level).size(), expected.size());
    }
    for (int point = 0; point < 200; ++point) {
        EXPECT_EQ(index.contains(point), levelOf[point] >= 0) << "point " << point;
    }
    // A walk stops when the visitor says so; erasing a point never indexed does nothing.
    DIRECTLevelIndex ten;
    for (int point = 0; point < 10; ++point) {
        ten.insert(point, 1, 10.0 - point);
    }
    std::vector<int> stopped;
    ten.visitInOrder(1, [&stopped](const DIRECTLevelIndex::Entry& e) {
        stopped.push_back(e.point);
        return stopped.size() < 3;
    });
    EXPECT_EQ(stopped, (std::vector<int>{9, 8, 7}));
    EXPECT_TRUE(ten.emptyLevel(0));
    ten.erase(42); // never indexed: left alone
    EXPECT_FALSE(ten.contains(42));
}

TEST(DIRECTSampleStore, NeighboursCopyTheBoxAndRecordedValuesWaitUntilAdmitted)
{
    DIRECTSampleStore store(3);
    const int point = store.addPoint({0.5, 0.25, 0.75}, {1, 0, 2});
    const int neighbour = store.addNeighbour(point, 1, 0.125);
    EXPECT_EQ(store.centre(neighbour), (std::vector<double>{0.5, 0.125, 0.75}));
    EXPECT_EQ(store.centre(point), (std::vector<double>{0.5, 0.25, 0.75}));
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(store.count(i, neighbour), store.count(i, point)) << "variable " << i;
    }
    EXPECT_EQ(store.level(neighbour), 3);
    EXPECT_EQ(store.halfDiagonal(neighbour), store.halfDiagonal(point));
    EXPECT_EQ(store.smallestCount(neighbour), 0);
    EXPECT_TRUE(std::isnan(store.value(neighbour)));
    // A recorded value (NaN counts as infinity) waits outside the index until admitted.
    DIRECTSampleStore flat(2);
    const int only = flat.addPoint({0.5, 0.5}, {0, 0});
    flat.recordValue(only, std::numeric_limits<double>::quiet_NaN());
    EXPECT_EQ(flat.value(only), std::numeric_limits<double>::infinity());
    EXPECT_FALSE(flat.levelIndex().contains(only));
    flat.incrementCount(0, only);
    flat.admit(only);
    flat.admit(only); // a second admission changes nothing
    ASSERT_TRUE(flat.levelIndex().contains(only));
    EXPECT_EQ(flat.levelIndex().entriesOf(1).size(), 1u);
    flat.retire(only);
    EXPECT_FALSE(flat.levelIndex().contains(only));
}

// Iteration limit, evaluation budget and penalty as given, their clamped or
// default values, and the fixed defaults; a negative target value becomes 0.
TEST(DIRECTParameterLoad, ClampsAndDefaults)
{
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const std::vector<std::tuple<int, int, double, int, int, double>> cases{
        {0, 0, 0.0, 50, 3000, 5.0}, {250, 20000, nan, 100, 10000, 5.0}, {99, 9999, 0.5, 99, 9999, 0.5}};
    for (const auto& [iterations, evaluations, penalty, loadedIterations, loadedEvaluations, loadedPenalty] : cases) {
        const std::vector<int> ints = limits(iterations, evaluations);
        const std::vector<double> reals{penalty, -2.0, 0, 0, 0, 0, 0, 0, 0, 0};
        DIRECTParameter p;
        p.load(reals.data(), ints.data());
        EXPECT_EQ(p.maxIterations, loadedIterations);
        EXPECT_EQ(p.maxEvaluations, loadedEvaluations);
        EXPECT_EQ(p.penaltyFactor, loadedPenalty);
        EXPECT_EQ(p.maxDivisionDepth, 500);
        EXPECT_EQ(p.goal, 1);
        EXPECT_EQ(p.targetValue, 0.0);
    }
}

TEST(DIRECTStopping, EightStagnantIterationsEndTheSearch)
{
    // The centre is the minimum, so the best value never improves; a zero
    // optimum stagnates the same way.
    const DirectRun run({0.2}, {{0.0, 1.0}}, 1, [](const std::vector<double>& x) {
        return std::vector<double>{1.0 + (x[0] - 0.5) * (x[0] - 0.5)};
    });
    const DirectRun zero({0.2, 0.2}, {{0.0, 1.0}, {0.0, 1.0}}, 1,
                         [](const std::vector<double>& x) { return sphereAround(x, 0.5); });
    for (const DirectRun* r : {&run, &zero}) {
        EXPECT_EQ(r->lastStep, 0);
        EXPECT_EQ(r->engine->stopReason(), DIRECT::StopReason::Stagnation);
        EXPECT_EQ(r->engine->iterationCount, 8);
    }
    EXPECT_EQ(zero.x, (std::vector<double>{0.5, 0.5}));
}

TEST(DIRECTStopping, BudgetAndDepthEndTheSearch)
{
    const Responses wavy = [](const std::vector<double>& x) {
        return std::vector<double>{std::sin(13.0 * x[0]) * std::cos(7.0 * x[1]) + x[0]};
    };
    const DirectRun budget({0.1, 0.1}, {{0.0, 1.0}, {0.0, 1.0}}, 1, wavy,
                           limits(100, 40));
    EXPECT_EQ(budget.engine->stopReason(), DIRECT::StopReason::Budget);
    EXPECT_GE(budget.engine->samples().pointCount(), 40);
    EXPECT_LT(budget.engine->samples().pointCount(), 60) << "only the last iteration overshoots";

    const DirectRun depth({0.1, 0.1}, {{0.0, 1.0}, {0.0, 1.0}}, 1, wavy,
                          limits(100, 0, 1));
    EXPECT_EQ(depth.engine->stopReason(), DIRECT::StopReason::Exhausted);
    // With one trisection allowed per variable, the centre and the four boxes
    // around it are divided until every count is 1: 1 + 4 + 2 + 2 points.
    EXPECT_EQ(depth.engine->samples().pointCount(), 9);
}

TEST(DIRECTStopping, TargetValueAndRulesBeyondTheSettingsCaps)
{
    const DirectRun run({0.1}, {{0.0, 4.0}}, 1,
                        [](const std::vector<double>& x) {
                            return std::vector<double>{1.0 + (x[0] - 1.3) * (x[0] - 1.3)};
                        },
                        limits(100),
                        {0.0, 1.01, 0, 0, 0, 0, 0, 0, 0, 0});
    EXPECT_EQ(run.engine->stopReason(), DIRECT::StopReason::Target);
    EXPECT_LT(run.engine->bestValue(), 1.05);
    // Rules replace the settings' limits, beyond their caps too.
    const Responses slope = [](const std::vector<double>& x) {
        return std::vector<double>{1.0 + x[0]};
    };
    DIRECT::Rules rules;
    rules.stagnationLimit = 0;
    rules.sufficientDecrease = 1e-4; // few boxes per iteration: the budget stays far
    rules.maxIterations = 130;       // past the cap of 100
    const DirectRun longer({0.1}, {{0.0, 1.0}}, 1, slope, limits(100),
                           std::vector<double>(10, 0.0), rules);
    EXPECT_EQ(longer.engine->stopReason(), DIRECT::StopReason::Iterations);
    EXPECT_EQ(longer.engine->iterationCount, 130);

    rules.maxEvaluations = 30; // below the settings' 3000
    const DirectRun shorter({0.1}, {{0.0, 1.0}}, 1, slope, limits(100),
                            std::vector<double>(10, 0.0), rules);
    EXPECT_EQ(shorter.engine->stopReason(), DIRECT::StopReason::Budget);
    EXPECT_GE(shorter.engine->samples().pointCount(), 30);
    EXPECT_LT(shorter.engine->samples().pointCount(), 50);
}

TEST(DIRECTPenalty, PositiveConstraintValuesArePenalised)
{
    // Minimise -x subject to x - 0.3 <= 0 on [0, 1].
    const DirectRun run({0.0}, {{0.0, 1.0}}, 2,
                        [](const std::vector<double>& x) {
                            return std::vector<double>{-x[0], x[0] - 0.3};
                        },
                        limits(100), {2.0, 0, 0, 0, 0, 0, 0, 0, 0, 0});
    const DIRECTSampleStore& store = run.engine->samples();
    EXPECT_DOUBLE_EQ(store.value(0), -0.5 + 2.0 * 0.2) << "centre violates by 0.2";
    EXPECT_DOUBLE_EQ(store.value(1), -1.0 / 6.0) << "feasible: no penalty";
    EXPECT_NEAR(run.x[0], 0.3, 1e-3);
    EXPECT_EQ(run.engine->feasible, run.x[0] - 0.3 <= 0.0);
}

TEST(DIRECTResult, HandsOverTheBestDesignFound)
{
    const Responses bumpy = [](const std::vector<double>& x) {
        return std::vector<double>{std::sin(5.0 * x[0]) + std::cos(3.0 * x[1]) + 0.1 * x[0] * x[1],
                                   x[0] + x[1] - 2.5};
    };
    const DirectRun run({0.0, 0.0}, {{-2.0, 2.0}, {-2.0, 2.0}}, 2, bumpy);
    double best = std::numeric_limits<double>::infinity();
    std::vector<double> bestDesign;
    for (std::size_t k = 1; k < run.responses.size(); ++k) { // the start is not a sample
        const double penalised = run.responses[k][0] + 5.0 * std::max(0.0, run.responses[k][1]);
        if (penalised < best) {
            best = penalised;
            bestDesign = run.designs[k];
        }
    }
    EXPECT_EQ(run.lastStep, 0);
    EXPECT_EQ(run.x, bestDesign);
    EXPECT_DOUBLE_EQ(run.engine->bestValue(), best);
}

// Runs DIRECT through Zelkor on the active host; returns the host's evaluation
// count. User ints: [1] iterations, [2] evaluations.
int directThroughZelkor(Testing::FailingHost& host, std::vector<double>& x, std::vector<double>& f,
                        int evaluations)
{
    std::vector<double*> bounds;
    for (std::vector<double>& bound : host.problem.bounds) {
        bounds.push_back(bound.data());
    }
    int ints[4] = {0, 100, evaluations, 0};
    Zelkor(0, 0, Testing::FailingHost::evaluate, static_cast<int>(x.size()), x.data(),
           bounds.data(), host.problem.m, f.data(), 0, ints, 0, nullptr, nullptr);
    return host.evaluations;
}

bool atTheCentre(const double* x)
{
    return x[0] == 0.5 && x[1] == 0.5;
}

double bowl(const double* x)
{
    return (x[0] - 0.3) * (x[0] - 0.3) + (x[1] - 0.7) * (x[1] - 0.7);
}

// Failed responses where they used to end the search or become its result: a NaN
// objective at the centre (returned after two evaluations), a NaN constraint
// where the objective is lowest (a NaN adds no penalty), 1e100 at the centre
// (no rectangle passed the decrease test). The search goes on and hands back an
// evaluated design.
TEST(DIRECTFailedEvaluations, FailedCentreOrConstraintIsNeverTheResult)
{
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const std::vector<std::pair<const char*, std::function<void(const double*, double*)>>> cases = {
        {"NaN objective at the centre",
         [nan](const double* x, double* f) { f[0] = atTheCentre(x) ? nan : bowl(x); f[1] = -1.0; }},
        {"NaN constraint at the lowest objective",
         [nan](const double* x, double* f) { f[0] = bowl(x); f[1] = f[0] < 0.05 ? nan : -1.0; }},
        {"1e100 at the centre",
         [](const double* x, double* f) { f[0] = atTheCentre(x) ? 1e100 : bowl(x); f[1] = -1.0; }},
    };
    for (const auto& [name, model] : cases) {
        Testing::FailingHost host({name, {{0.0, 1.0}, {0.0, 1.0}}, 2, model}, 0.0, 1);
        std::vector<double> x = {0.1, 0.1};
        std::vector<double> f(2);
        EXPECT_GT(directThroughZelkor(host, x, f, 300), 100) << name;
        EXPECT_TRUE(host.evaluatedWithoutFailure(x.data(), f.data())) << name;
        EXPECT_LT(f[0], 0.06) << name; // the search went on to the low region
    }
}

// 10% and 30% of the evaluations fail at random: every run ends within its
// budget and hands back a design the host evaluated, with its responses. The
// budget: the start design, the sample limit, and the iteration that crosses the
// limit (still evaluated: 2n points per box it divides, at most 15 boxes here).
TEST(DIRECTFailedEvaluations, RandomFailuresNeverEndTheRunOrBecomeItsResult)
{
    constexpr int kLimit = 400;
    constexpr int kBudget = 1 + kLimit + 15 * 4;
    for (const Testing::HostProblem& problem : Testing::failureProblems()) {
        for (const double rate : {0.1, 0.3}) {
            Testing::FailingHost host(problem, rate, 7);
            std::vector<double> x = {problem.bounds[0][0], problem.bounds[1][0]};
            std::vector<double> f(static_cast<std::size_t>(problem.m));
            const int evaluations = directThroughZelkor(host, x, f, kLimit);
            const std::string run = problem.name + " at " + std::to_string(rate);
            EXPECT_LE(evaluations, kBudget) << run;
            EXPECT_GT(host.failures, 0) << run;
            EXPECT_TRUE(host.evaluatedWithoutFailure(x.data(), f.data())) << run;
        }
    }
}

// Reference problems of the global optimisation literature with their published
// global minima (the benchmark's table); DIRECT must come within 0.5%.
TEST(DIRECTReference, ReachesThePublishedMinima)
{
    int solved = 0;
    for (const Bench::TestFunction& problem : Bench::globalTestFunctions()) {
        if (problem.name != "Branin" && problem.name != "Six-hump camel" && problem.name != "Goldstein-Price") {
            continue;
        }
        ++solved;
        std::vector<std::vector<double>> bounds;
        for (std::size_t i = 0; i < problem.lower.size(); ++i) {
            bounds.push_back({problem.lower[i], problem.upper[i]});
        }
        const DirectRun run(problem.lower, bounds, 1, [&](const std::vector<double>& x) {
            return std::vector<double>{problem.value(x.data())};
        }, limits(100, 2000));
        const double tolerance = 5e-3 * std::max(1.0, std::fabs(problem.minimum));
        EXPECT_NEAR(run.engine->bestValue(), problem.minimum, tolerance) << problem.name;
        EXPECT_NEAR(problem.value(run.x.data()), problem.minimum, tolerance) << problem.name;
    }
    EXPECT_EQ(solved, 3);
}

// Data-set mode: the driver evaluates its own model at the data set's design.
TEST(DIRECTDataSet, MinimisesTheModelSubjectToATwoSidedConstraint)
{
    auto dataSet = std::make_shared<DataSet>();
    dataSet->engineType = DIRECT::kMethodCode;
    dataSet->bounds = {{-1.0, 1.0}, {-1.0, 1.0}};
    dataSet->designValues = {0.0, 0.0};
    auto objective = std::make_shared<ResponseDefinition>();
    auto sum = std::make_shared<ResponseDefinition>();
    sum->kind = 1;
    sum->lower = 0.5; // 0.5 <= x + y <= 1
    sum->upper = 1.0;
    dataSet->responses[1] = objective;
    dataSet->responses[2] = sum;
    dataSet->currentSearchSettings.ints = {0, 0, 0, 60, 1500};

    OptEngineMain session(dataSet);
    ASSERT_NE(session.engine, nullptr);
    int state = 3;
    while (state == 1 || state == 2 || state == 3) {
        const double x = dataSet->designValues[0];
        const double y = dataSet->designValues[1];
        objective->value = x * x + y * y; // the minimum on the band is at x = y = 0.25
        sum->value = x + y;
        state = session.runOptEngine(nullptr, nullptr, nullptr);
    }
    EXPECT_EQ(state, 0);
    EXPECT_NEAR(dataSet->designValues[0], 0.25, 0.02);
    EXPECT_NEAR(dataSet->designValues[1], 0.25, 0.02);
}

} // namespace
} // namespace Opt
