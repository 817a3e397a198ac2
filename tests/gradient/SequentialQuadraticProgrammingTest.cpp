// The SQP engine step by step: the move-limit box and its adaptation, the
// linearisation near the constraint boundary, the merit line search, the
// damped BFGS update, QP failures, discrete snapping, data-set mode, and runs
// split over calls by saving and restoring the state.
#include "gradient/SequentialQuadraticProgramming.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "gradient/HockSchittkowskiProblems.h"
#include "gradient/SqpDriver.h"

namespace Opt {
namespace {

using Testing::Point;
using Testing::SqpDriver;
using Testing::sqpInts;
using Testing::sqpReals;

constexpr int kForwardDifferences = 1;
constexpr int kHostGradients = 3;

std::vector<int> differenceInts(std::initializer_list<std::pair<int, int>> more = {})
{
    std::vector<int> ints = sqpInts(more);
    ints[5] = kForwardDifferences;
    return ints;
}

// Records the stored move limit after every line search and the limits of the
// QP solves of every direction finding.
struct MoveLimitLog {
    std::vector<double> afterSearch;
    std::vector<std::vector<double>> solves;
    EnginePhase lastPhase = EnginePhase::BeginIteration;

    void operator()(const SequentialQuadraticProgramming& engine, int)
    {
        if (lastPhase == EnginePhase::UpdateStep && engine.phase == EnginePhase::EndIteration) {
            afterSearch.push_back(engine.settings().moveLimit);
        }
        if (lastPhase == EnginePhase::ComputeStep && engine.phase != EnginePhase::ComputeStep) {
            solves.push_back(engine.moveLimitsTried());
        }
        lastPhase = engine.phase;
    }
};

// ------------------------------------------------------------- move limits

// Minimising -x over [0, 100] from the lower bound: every QP step runs to the
// edge of its box and every full step is accepted, so the box grows by a
// quarter per iteration up to 0.4, and the last step stops at the bound. On a
// linear objective y = 0, so the first BFGS update is damped (θ = 0.8) and B s
// becomes η = 0.2 B_prev s: in one variable B goes from 1 to 0.2.
TEST(SQPMoveLimit, GrowsAfterFullStepsToItsMaximum)
{
    SqpDriver driver({0.0}, {{0.0, 100.0}}, 1, sqpReals(), differenceInts());
    MoveLimitLog log;
    double firstUpdate = -1.0;
    const int result = driver.run([](const Point& x) { return Point{-x[0]}; }, {},
                                  [&](const SequentialQuadraticProgramming& engine, int code) {
                                      log(engine, code);
                                      if (firstUpdate < 0.0 && engine.iterationCount == 1 &&
                                          engine.phase == EnginePhase::UpdateStep) {
                                          firstUpdate = engine.hessian()(0, 0);
                                      }
                                  });
    EXPECT_EQ(result, 0);
    EXPECT_NEAR(firstUpdate, 0.2, 1e-12);
    ASSERT_GE(log.solves.size(), 3u);
    EXPECT_EQ(log.solves[0], (std::vector<double>{0.3}));
    EXPECT_EQ(log.solves[1], (std::vector<double>{0.375}));
    EXPECT_EQ(log.solves[2], (std::vector<double>{0.4}));
    ASSERT_GE(log.afterSearch.size(), 3u);
    EXPECT_DOUBLE_EQ(log.afterSearch[0], 0.375);
    EXPECT_DOUBLE_EQ(log.afterSearch[1], 0.4);
    EXPECT_DOUBLE_EQ(log.afterSearch[2], 0.4);
    // Base points (start, then each accepted trial, which is not evaluated
    // again): 0, 30, 67.5, 100.
    std::vector<double> bases{driver.evaluated[0][0]};
    for (std::size_t k = 2; k < driver.evaluated.size(); k += 2) { // perturbation, trial
        bases.push_back(driver.evaluated[k][0]);
    }
    ASSERT_GE(bases.size(), 4u);
    EXPECT_NEAR(bases[1], 30.0, 1e-9);
    EXPECT_NEAR(bases[2], 67.5, 1e-9);
    EXPECT_NEAR(bases[3], 100.0, 1e-9);
    EXPECT_NEAR(driver.x[0], 100.0, 1e-9);
}

// 1000 (x - a)² from x = 0: the full step overshoots, the third trial is
// accepted, and the box shrinks by a quarter - from the default 0.3 to 0.225,
// and from 0.06 to the floor 0.05 rather than 0.045.
TEST(SQPMoveLimit, ShrinksAfterLongerSearchesToItsMinimum)
{
    for (const auto& [start, minimum, expected] :
         {std::tuple{-999.0, 0.05, 0.225}, std::tuple{0.06, 0.005, 0.05}}) {
        SqpDriver driver({0.0}, {{0.0, 1.0}}, 1, sqpReals({{8, start}}), differenceInts());
        MoveLimitLog log;
        const double centre = minimum;
        driver.run([centre](const Point& x) { return Point{1000.0 * (x[0] - centre) * (x[0] - centre)}; },
                   {}, std::ref(log), [&log] { return log.afterSearch.size() == 1; });
        ASSERT_EQ(log.afterSearch.size(), 1u);
        EXPECT_EQ(driver.engine->lastRecord().lineSearchTrials, 3);
        EXPECT_DOUBLE_EQ(log.afterSearch[0], expected);
    }
}

// A design at a bound gets a one-sided box: the objective pulls x0 below its
// lower bound, the QP step keeps it there while x1 moves.
TEST(SQPMoveLimit, DesignAtABoundGetsAOneSidedBox)
{
    SqpDriver driver({0.0, 0.2}, {{0.0, 1.0}, {0.0, 1.0}}, 1, sqpReals(), differenceInts());
    driver.run([](const Point& x) { return Point{x[0] + (x[1] - 0.5) * (x[1] - 0.5)}; });
    for (const Point& design : driver.evaluated) {
        EXPECT_GE(design[0], 0.0);
    }
    ASSERT_GE(driver.evaluated.size(), 4u);
    EXPECT_EQ(driver.evaluated[3][0], 0.0); // the first trial
    EXPECT_GT(driver.evaluated[3][1], 0.2);
    EXPECT_EQ(driver.x[0], 0.0);
    EXPECT_NEAR(driver.x[1], 0.5, 1e-3);
    // At the upper bound with the objective pulling further up the box is
    // [-ML, 0]: the step is exactly zero and a zero step ends the run.
    SqpDriver top({5.0}, {{0.0, 5.0}}, 1, sqpReals(), differenceInts());
    EXPECT_EQ(top.run([](const Point& x) { return Point{-x[0]}; }), 0);
    EXPECT_EQ(top.evaluated.size(), 2u); // the start and its perturbation
    EXPECT_EQ(top.engine->lastRecord().stepNorm, 0.0);
    EXPECT_EQ(top.x[0], 5.0);
}


// ------------------------------------------------------- failed QP solves

// x >= 12 on [0, 10] from 0: the linearisation 0.9·12 - 10 d̃ ≤ 0 needs a
// normalised step of 1.08, beyond every box.
TEST(SQPIncompatibleConstraints, ThreeSolvesThenTheInterrupt)
{
    SqpDriver driver({0.0}, {{0.0, 10.0}}, 2, sqpReals(), differenceInts());
    testing::internal::CaptureStdout();
    const int result = driver.run([](const Point& x) { return Point{x[0], 12.0 - x[0]}; });
    const std::string output = testing::internal::GetCapturedStdout();
    EXPECT_EQ(result, -1);
    EXPECT_EQ(driver.evaluated.size(), 2u); // the start and its perturbation
    EXPECT_EQ(driver.engine->moveLimitsTried(), (std::vector<double>{0.3, 0.6, 1.0}));
    EXPECT_EQ(output, " INTERRUPT DESIGN OPTIMIZATION DUE TO INCOMPATIBLE CONSTRAINTS !!\n");
    EXPECT_EQ(driver.x[0], 0.0); // the current design, not the perturbed one
    EXPECT_FALSE(driver.engine->feasible);
}

// x >= 4 on [0, 10]: the first box is too small, the doubled one holds the
// step; the stored move limit is not changed by the doubling.
TEST(SQPIncompatibleConstraints, DoubledBoxThatHoldsTheStepIsUsed)
{
    SqpDriver driver({0.0}, {{0.0, 10.0}}, 2, sqpReals(), differenceInts());
    MoveLimitLog log;
    driver.run([](const Point& x) { return Point{x[0], 4.0 - x[0]}; }, {}, std::ref(log),
               [&log] { return !log.afterSearch.empty(); });
    ASSERT_EQ(log.solves.size(), 1u);
    EXPECT_EQ(log.solves[0], (std::vector<double>{0.3, 0.6}));
    EXPECT_NEAR(driver.engine->step()[0], 0.36, 1e-6);
    EXPECT_DOUBLE_EQ(log.afterSearch[0], 0.375); // adapted from 0.3, not from 0.6
}

// -------------------------------------------------- linearisation band

// Minimise -x subject to x <= 0.5 on [0, 1]. A constraint inside the
// tolerance band (g = -5e-5) is linearised as 0.9 g + d <= 0, one outside it
// (g = -2e-4) as g + d <= 0; the first trial shows which.
TEST(SQPLinearisation, NearlyActiveConstraintTakesTheFactor)
{
    for (const auto& [start, trial] : {std::pair{0.49995, 0.49995 + 0.9 * 5e-5},
                                       std::pair{0.4998, 0.5}}) {
        SqpDriver driver({start}, {{0.0, 1.0}}, 2, sqpReals(), differenceInts());
        driver.run([](const Point& x) { return Point{-x[0], x[0] - 0.5}; }, {}, {},
                   [&driver] { return driver.evaluated.size() == 3; });
        ASSERT_EQ(driver.evaluated.size(), 3u);
        EXPECT_NEAR(driver.evaluated[2][0], trial, 1e-10) << "start " << start;
    }
}

// ------------------------------------------------------------ line search

// f = c (x - 0.1)² on [0, 1] with c just above 1. With B = I the full step
// lands between the start and its forward perturbation in f. Measured against
// the start (the base point) the trial is a decrease and is accepted at once;
// measured against the perturbed design it would not be.
TEST(SQPLineSearch, ReferenceMeritIsTakenAtTheBasePoint)
{
    const double c = 1.0 + 2.5e-5;
    const auto model = [c](const Point& x) { return Point{c * (x[0] - 0.1) * (x[0] - 0.1)}; };
    SqpDriver driver({0.0}, {{0.0, 1.0}}, 1, sqpReals(), differenceInts());
    MoveLimitLog log;
    driver.run(model, {}, std::ref(log), [&log] { return !log.afterSearch.empty(); });
    ASSERT_EQ(driver.evaluated.size(), 3u);
    const double base = model(driver.evaluated[0])[0];
    const double perturbed = model(driver.evaluated[1])[0];
    const double trial = model(driver.evaluated[2])[0];
    ASSERT_LT(perturbed, trial);
    ASSERT_LT(trial, base);
    EXPECT_EQ(driver.engine->lastRecord().lineSearchTrials, 1);
    EXPECT_DOUBLE_EQ(log.afterSearch[0], 0.375);
}

// With feasibility required (option 1) and a constraint no trial can meet,
// the search ends 10 trials after maxLineSearchTrials on the trial of lowest
// merit, and the run goes on to its end.
TEST(SQPLineSearch, SearchForAFeasibleTrialEnds)
{
    // g = (x - 0.5)² + 0.01 > 0 everywhere; its linearisation at 0 is solvable.
    const auto model = [](const Point& x) {
        return Point{x[0], (x[0] - 0.5) * (x[0] - 0.5) + 0.01};
    };
    SqpDriver driver({0.0}, {{0.0, 1.0}}, 2, sqpReals(), differenceInts({{7, 3}}));
    driver.engine->setParameterOption(1);
    MoveLimitLog log;
    testing::internal::CaptureStdout();
    int code = driver.run(model, {}, std::ref(log), [&log] { return log.afterSearch.size() == 1; });
    ASSERT_EQ(log.afterSearch.size(), 1u);
    EXPECT_EQ(driver.engine->lastRecord().lineSearchTrials, 3 + 10);
    ASSERT_EQ(driver.evaluated.size(), 2u + 13u); // start, perturbation, trials
    EXPECT_DOUBLE_EQ(log.afterSearch[0], 0.225);  // a long search
    const double u = driver.engine->multipliers()[0];
    const double r = driver.engine->penalties()[0];
    ASSERT_GT(r, 0.0);
    const auto merit = [&](const Point& x) {
        const Point f = model(x);
        const double g = f[1];
        return f[0] + (u / r + g >= 0.0 ? u * std::fabs(g) + 0.5 * r * g * g : 0.5 * u * u / r);
    };
    std::size_t best = 2;
    for (std::size_t k = 3; k < 15; ++k) {
        best = merit(driver.evaluated[k]) < merit(driver.evaluated[best]) ? k : best;
    }
    code = driver.run(model, {}, {}, {}, code);
    testing::internal::GetCapturedStdout();
    EXPECT_TRUE(code == 0 || code == -1);
    ASSERT_GT(driver.evaluated.size(), 15u);
    EXPECT_EQ(driver.evaluated[15], driver.evaluated[best]); // the next base point
}

// ---------------------------------------------------------- BFGS update

// On a convex quadratic with exact gradients the update is undamped and
// satisfies the secant condition B s = y.
TEST(SQPHessianUpdate, ExactGradientsSatisfyTheSecantCondition)
{
    // f = 2 x0² + x0 x1 + 3 x1² on [-1, 1]²: normalised Hessian 4·[4 1; 1 6].
    const auto model = [](const Point& x) {
        return Point{2.0 * x[0] * x[0] + x[0] * x[1] + 3.0 * x[1] * x[1] - x[0] - 2.0 * x[1]};
    };
    const auto gradients = [](const Point& x) {
        return std::vector<Point>{{4.0 * x[0] + x[1] - 1.0}, {x[0] + 6.0 * x[1] - 2.0}};
    };
    SqpDriver driver({0.9, -0.9}, {{-1.0, 1.0}, {-1.0, 1.0}}, 1, sqpReals(),
                     sqpInts({{5, kHostGradients}}));
    driver.run(model, gradients, {}, [&driver] {
        return driver.engine->iterationCount == 1 && driver.engine->phase == EnginePhase::UpdateStep;
    });
    const auto& variables = driver.engine->designVariables;
    const double s0 = variables[0].accepted - variables[0].startCopy;
    const double s1 = variables[1].accepted - variables[1].startCopy;
    const Matrix& B = driver.engine->hessian();
    // y = (normalised Hessian) s, exactly, for a quadratic.
    EXPECT_NEAR(B(0, 0) * s0 + B(0, 1) * s1, 4.0 * (4.0 * s0 + s1), 1e-12);
    EXPECT_NEAR(B(1, 0) * s0 + B(1, 1) * s1, 4.0 * (s0 + 6.0 * s1), 1e-12);
    EXPECT_NEAR(B(0, 1), B(1, 0), 1e-12);
}

// ------------------------------------------------------- ending the run

TEST(SQPTermination, IterationLimitEndsTheRunWithAMessage)
{
    SqpDriver driver({0.0}, {{0.0, 1.0}}, 1, sqpReals(), differenceInts({{3, 2}}));
    // A slowly converging objective that the objective test does not stop early.
    EXPECT_EQ(driver.run([](const Point& x) { return Point{std::exp(-20.0 * x[0]) - x[0]}; }), 0);
    EXPECT_EQ(driver.engine->iterationCount, 2);
    const auto& messages = driver.engine->messages();
    ASSERT_EQ(messages.size(), 2u);
    EXPECT_EQ(messages[0], " MAXIMUM ITERATION REACHED.");
    EXPECT_EQ(messages[1], " FEASIBLE OPTIMUM \n");
}

// ------------------------------------------------------ discrete variables

// Levels 0.25, 0.5, 0.75 inside [0, 1]. Without active constraints the final
// value rounds down (s = 0); with x >= 0.62 active (its gradient points down)
// it rounds up, towards feasibility. The snapped design is evaluated once more,
// so that f and the feasible flag describe the design returned.
TEST(SQPDiscreteVariables, SnapTowardsFeasibilityAndEvaluateTheSnappedDesign)
{
    const std::vector<std::vector<double>> levels = {{0.0, 0.25, 0.5, 0.75, 1.0}};
    SqpDriver unconstrained({0.2}, levels, 1, sqpReals(), differenceInts());
    unconstrained.run([](const Point& x) { return Point{(x[0] - 0.6) * (x[0] - 0.6)}; });
    EXPECT_EQ(unconstrained.x[0], 0.5);
    SqpDriver heldUp({0.9}, levels, 2, sqpReals(), differenceInts());
    heldUp.run([](const Point& x) { return Point{x[0], 0.62 - x[0]}; });
    EXPECT_EQ(heldUp.x[0], 0.75);
    for (const SqpDriver* driver : {&unconstrained, &heldUp}) {
        EXPECT_EQ(driver->evaluated.back(), driver->x);
    }
    EXPECT_TRUE(heldUp.engine->feasible);
}

// ------------------------------------------------------ data-set mode

// x on [0, 4] from 0 in data-set mode: response 1 the objective (scale 10),
// response 2 the constraint, evaluated by model(x) into (objective, constraint).
struct DataSetRun {
    std::shared_ptr<DataSet> dataSet = std::make_shared<DataSet>();
    std::shared_ptr<ResponseDefinition> objective = std::make_shared<ResponseDefinition>();
    std::shared_ptr<ResponseDefinition> constraint = std::make_shared<ResponseDefinition>();
    int evaluations = 0;

    DataSetRun()
    {
        dataSet->engineType = SequentialQuadraticProgramming::kMethodCode;
        dataSet->bounds = {{0.0, 4.0}};
        dataSet->designValues = {0.0};
        dataSet->currentSearchSettings.ints = differenceInts();
        objective->scale = 10.0;
        constraint->kind = 1;
        dataSet->responses = {{1, objective}, {2, constraint}};
    }

    // Steps the session to its end and returns the last code.
    int run(OptEngineMain& session, double (*model)(double))
    {
        int code = 1;
        while (code >= 1 && code <= 3 && evaluations < 500) {
            if (code == 1) {
                const double x = dataSet->designValues[0];
                objective->value = x * x;
                constraint->value = model(x);
                ++evaluations;
            }
            code = session.runOptEngine(nullptr, nullptr, nullptr);
        }
        return code;
    }
};

// x² subject to x >= 2 written as a lower bound: the row is stored with the
// negative limit -2 and normalised as (-x + 2)/2, positive exactly when
// violated (x/|L| - 1 would count it as met everywhere and return x = 0).
TEST(SQPDataSetMode, LowerBoundIsNormalisedAgainstItsNegativeLimit)
{
    DataSetRun run;
    run.constraint->lower = 2.0;
    OptEngineMain session(run.dataSet);
    EXPECT_EQ(run.run(session, [](double x) { return x; }), 0);
    EXPECT_NEAR(run.dataSet->designValues[0], 2.0, 1e-3);
    EXPECT_TRUE(session.engine->feasible);
}

// x² subject to x >= 2 from 0 on [0, 4], in data-set mode: the constraint is a
// response "12 - 4x" with upper bound 4, normalised by its limit to 2 - x, and
// the objective is taken from the response's own value, its scale of 10
// notwithstanding. The start violates by more than the threshold, so the run
// goes on by whole steps without trials, printing one iteration line per base
// point.
TEST(SQPDataSetMode, LargeViolationTakesWholeSteps)
{
    DataSetRun run;
    run.constraint->upper = 4.0;
    OptEngineMain session(run.dataSet);
    auto* engine = dynamic_cast<SequentialQuadraticProgramming*>(session.engine.get());
    ASSERT_NE(engine, nullptr);
    testing::internal::CaptureStdout();
    const int code = run.run(session, [](double x) { return 12.0 - 4.0 * x; });
    const std::string output = testing::internal::GetCapturedStdout();
    const int evaluations = run.evaluations;
    EXPECT_EQ(code, 0);
    EXPECT_TRUE(engine->skipsLineSearch());
    EXPECT_TRUE(engine->feasible);
    const double x = run.dataSet->designValues[0];
    EXPECT_NEAR(x, 2.0, 1e-3);
    EXPECT_NEAR(engine->responseRows[0].acceptedValue, x * x, 1e-12);
    EXPECT_NEAR(engine->responseRows[1].acceptedValue, 2.0 - x, 1e-12);
    // Per iteration: one perturbation and the new base point, no trials.
    EXPECT_EQ(evaluations, 1 + 2 * engine->iterationCount);
    EXPECT_EQ(output.rfind("ITERATION=  0, OBJ.( 0.000E+00), CON.(  1.20E+01), VIOL.(%)(  2.00E+02), "
                           "ERROR NORMS: O(  1.00E+00/  5.0E-03) D(  0.00E+00/  0.0E+00) LINE "
                           "SEARCH ITER.=  0\n",
                           0),
              0u);
}

// ---------------------------------------------------------- save, restore

// A run split over calls - after every evaluation request the state is saved,
// the engine dropped, and a freshly built engine restored - publishes exactly
// the designs of an unbroken run.
class SQPSaveRestore : public ::testing::TestWithParam<int> {};

TEST_P(SQPSaveRestore, SplitRunPublishesTheSameDesigns)
{
    const auto& problem = Reference::hockSchittkowskiProblems()[8]; // HS43
    ASSERT_EQ(problem.name, "HS43");
    const int n = problem.nVariables(), m = problem.nResponses;
    std::vector<std::vector<double>> bounds;
    for (int i = 0; i < n; ++i) {
        bounds.push_back({problem.lower[i], problem.upper[i]});
    }
    const auto model = [&problem, m](const Point& x) {
        Point f(static_cast<std::size_t>(m));
        problem.responses(x.data(), f.data());
        return f;
    };
    const auto gradients = [&problem, n, m](const Point& x) {
        std::vector<Point> rows(static_cast<std::size_t>(n), Point(static_cast<std::size_t>(m)));
        std::vector<double*> g;
        for (Point& row : rows) {
            g.push_back(row.data());
        }
        Reference::exactGradients(problem, x.data(), g.data());
        return rows;
    };
    const std::vector<int> ints = sqpInts({{5, GetParam()}});

    SqpDriver unbroken(problem.start, bounds, m, sqpReals(), ints);
    ASSERT_EQ(unbroken.run(model, gradients), 0);

    // Each call builds a fresh engine, restores the state saved by the previous
    // call and steps until the engine asks the host for something.
    SqpDriver split(problem.start, bounds, m, sqpReals(), ints);
    SQPState state;
    int code = 1;
    for (int call = 0; call < 2000 && (code == 1 || code == 4); ++call) {
        code == 1 ? split.evaluate(model) : split.supplyGradients(gradients);
        std::vector<double> reals = sqpReals();
        std::vector<int> settings = ints;
        OptEngineMain session(n, m, problem.start, bounds, reals.data(), settings.data(),
                              SequentialQuadraticProgramming::kMethodCode, 0);
        auto* engine = dynamic_cast<SequentialQuadraticProgramming*>(session.engine.get());
        ASSERT_NE(engine, nullptr);
        if (call > 0) {
            engine->restoreState(state);
        }
        do {
            code = session.runOptEngine(split.x.data(), split.f.data(), split.g.data());
        } while (code == 2 || code == 3);
        if (code == 1 || code == 4) {
            engine->saveState(state);
        }
    }
    EXPECT_EQ(code, 0);
    EXPECT_EQ(split.evaluated, unbroken.evaluated);
    EXPECT_EQ(split.x, unbroken.x);
}
INSTANTIATE_TEST_SUITE_P(GradientModes, SQPSaveRestore,
                         ::testing::Values(kForwardDifferences, kHostGradients));

} // namespace
} // namespace Opt
