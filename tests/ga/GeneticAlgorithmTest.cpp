// The generational GA: parameter loading, selection, the elite, the ranking of
// constraints, the stop rules, the repository, reproducibility and reference
// problems with known optima.
#include "ga/GeneticAlgorithm.h"

#include <cmath>
#include <functional>
#include <set>

#include <gtest/gtest.h>

#include "api/zelkor.h"

namespace Opt {
namespace {

using Model = std::function<std::vector<double>(const std::vector<double>&)>;

std::vector<int> gaInts(int population, int generations, int seed)
{
    std::vector<int> ints(GAParameter::kIntCount, -999);
    ints[2] = population;
    ints[3] = generations;
    ints[13] = seed;
    return ints;
}

std::vector<double> gaReals(double penalty = -999.0)
{
    std::vector<double> reals(GAParameter::kRealCount, -999.0);
    reals[0] = penalty;
    return reals;
}

// Exposes the tournament for the tie rules.
class InspectedGA : public GeneticAlgorithm {
public:
    using GeneticAlgorithm::GeneticAlgorithm;
    using GeneticAlgorithm::tournament;
};

// Steps an engine as the entry points do (step first), evaluating with model and
// recording every design handed to the host.
class GADriver {
public:
    GADriver(OptEngine& engine, Model model, int nVariables, int nResponses)
        : engine(engine), model(std::move(model)), x(static_cast<std::size_t>(nVariables)),
          f(static_cast<std::size_t>(nResponses))
    {
    }
    // Steps until the predicate holds or the run ends; returns the last step code.
    int stepUntil(const std::function<bool()>& done)
    {
        int code = 3;
        while (!done()) {
            code = engine.step(x.data(), f.data(), nullptr);
            if (code == 1) {
                designs.push_back(x);
                f = model(x);
            } else if (code != 2 && code != 3) {
                break;
            }
        }
        return code;
    }
    int run()
    {
        return stepUntil([] { return false; });
    }
    // Until the first generation has been bred (the elite appended).
    void breedFirstGeneration()
    {
        stepUntil([this] { return engine.phase == EnginePhase::EndIteration; });
    }

    OptEngine& engine;
    Model model;
    std::vector<double> x;
    std::vector<double> f;
    std::vector<std::vector<double>> designs;
};

const std::vector<std::vector<double>> kUnitSquare = {{0.0, 1.0}, {0.0, 1.0}};

std::vector<double> bowl(const std::vector<double>& x)
{
    return {(x[0] - 0.3) * (x[0] - 0.3) + (x[1] - 0.7) * (x[1] - 0.7)};
}

TEST(GAParameterLoad, UnsetAndNegativeEntriesTakeTheDefaults)
{
    GAParameter p;
    std::vector<int> ints(20, -999);
    std::vector<double> reals(20, -999.0);
    p.load(reals.data(), ints.data());
    EXPECT_EQ(p.populationSize, 251);
    EXPECT_EQ(p.maxGenerations, 1000);
    EXPECT_EQ(p.coding, 1);
    EXPECT_EQ(p.bitsPerVariable, 15);
    EXPECT_EQ(p.maxEvaluations, 10000);
    EXPECT_EQ(p.realCrossover, 1);
    EXPECT_EQ(p.stallGenerations, 50);
    EXPECT_EQ(p.penalty, 100.0);
    EXPECT_EQ(p.crossoverRate, 0.7);
    EXPECT_EQ(p.mutationRate, 0.0);
    EXPECT_EQ(p.nicheRadius, 0.1);
    ints[4] = 0;  // binary coding forces the real crossover off
    ints[8] = 1;
    ints[2] = 0;  // no population: the default
    ints[11] = 5; // unknown selection mode: plain
    reals[0] = -1.0;
    reals[1] = -0.5;
    p.load(reals.data(), ints.data());
    EXPECT_EQ(p.realCrossover, 0);
    EXPECT_EQ(p.populationSize, 251);
    EXPECT_EQ(p.selectionMode, 0);
    EXPECT_EQ(p.penalty, -1.0) << "a negative penalty selects feasibility-first ranking";
    EXPECT_EQ(p.crossoverRate, 0.7);
    p.load(nullptr, nullptr);
    EXPECT_EQ(p.penalty, 100.0);
    EXPECT_EQ(p.coding, 1);
}

TEST(GeneticAlgorithmBuild, DiscreteVariablesForceRealCodingAndCodingTwoIsRejected)
{
    std::vector<int> ints = gaInts(6, 5, 1);
    ints[4] = 0;
    const std::vector<std::vector<double>> mixed = {{0.0, 0.5, 1.0}, {0.0, 1.0}};
    GeneticAlgorithm ga({0.0, 0.0}, mixed, 1, gaReals(), ints, 0);
    EXPECT_EQ(ga.settings().coding, GAGenomes::kReal);
    EXPECT_EQ(ga.evaluationCount, 0);

    ints[4] = 2;
    testing::internal::CaptureStderr();
    OptEngineMain rejected(2, 1, {0.0, 0.0}, kUnitSquare, gaReals().data(), ints.data(), 1, 0);
    EXPECT_EQ(rejected.engine, nullptr);
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "GeneticAlgorithm: coding 2 (binary and real strings together) is not supported; "
              "use 0 (binary) or 1 (real); no engine built\n");
    OptEngineMain forcedReal(2, 1, {0.0, 0.0}, mixed, gaReals().data(), ints.data(), 1, 0);
    ASSERT_NE(forcedReal.engine, nullptr);
}

class FirstGeneration : public ::testing::Test {
protected:
    void breed(int population, const Model& model, int responses = 1, double penalty = -999.0)
    {
        ga = std::make_unique<InspectedGA>(std::vector<double>{0.0, 0.0}, kUnitSquare, responses,
                                           gaReals(penalty), gaInts(population, 10, 3), 0);
        driver = std::make_unique<GADriver>(*ga, model, 2, responses);
        driver->breedFirstGeneration();
    }

    std::unique_ptr<InspectedGA> ga;
    std::unique_ptr<GADriver> driver;
};

TEST_F(FirstGeneration, EveryIndividualIsEvaluatedOnceBeforeBreeding)
{
    breed(12, bowl);
    EXPECT_EQ(driver->designs.size(), 12u);
    EXPECT_EQ(ga->evaluationCount, 12);
    std::set<std::vector<double>> distinct(driver->designs.begin(), driver->designs.end());
    EXPECT_EQ(distinct.size(), 12u);
    for (std::size_t i = 0; i < 12; ++i) {
        EXPECT_EQ(ga->fitnessRecords()[i].value, bowl(driver->designs[i])[0]);
    }
}

TEST_F(FirstGeneration, WorstNeverParentsAndTheEliteComesLast)
{
    breed(15, bowl);
    const std::vector<int>& parents = ga->population().selectedParents();
    ASSERT_EQ(parents.size(), 15u);
    for (std::size_t k = 0; k + 1 < parents.size(); ++k) {
        EXPECT_NE(parents[k], ga->worst());
    }
    EXPECT_EQ(parents.back(), ga->best());
    const auto& elite = ga->population().nextRealStrings().back();
    EXPECT_EQ(elite.values(), ga->population().realStrings()[static_cast<std::size_t>(ga->best())].values());
    for (const auto& record : ga->fitnessRecords()) {
        EXPECT_GE(record.value, ga->bestValue());
    }
}

TEST_F(FirstGeneration, TwoIndividualsPairTheBetterWithItself)
{
    breed(2, bowl);
    const int better = ga->best();
    EXPECT_EQ(ga->population().selectedParents(), (std::vector<int>{better, better}));
}

TEST_F(FirstGeneration, TiesGoToTheSecondEntry)
{
    breed(6, [](const std::vector<double>& x) { return std::vector<double>{std::floor(2.0 * x[0])}; });
    const auto& records = ga->fitnessRecords();
    for (int a = 0; a < 6; ++a) {
        for (int b = 0; b < 6; ++b) {
            const int winner = ga->tournament(a, b, 0);
            if (records[a].value == records[b].value) {
                EXPECT_EQ(winner, b);
            } else {
                EXPECT_EQ(winner, records[a].value < records[b].value ? a : b);
            }
        }
    }
}

TEST_F(FirstGeneration, PenaltyAddsTheViolationAboveZero)
{
    const Model model = [](const std::vector<double>& x) {
        return std::vector<double>{x[0], 0.5 - x[0]};
    };
    breed(20, model, 2, 100.0);
    // Ranking left the penalised records as computed.
    for (std::size_t i = 0; i < 20; ++i) {
        const double x0 = driver->designs[i][0];
        EXPECT_DOUBLE_EQ(ga->fitnessRecords()[i].value, x0 + 100.0 * std::max(0.5 - x0, 0.0));
        EXPECT_DOUBLE_EQ(ga->fitnessRecords()[i].violation, std::max(0.5 - x0, 0.0));
    }
}

TEST_F(FirstGeneration, FeasibilityFirstRanksEveryFeasibleDesignFirst)
{
    const Model model = [](const std::vector<double>& x) {
        return std::vector<double>{x[0], 0.5 - x[0]};
    };
    breed(20, model, 2, -1.0);
    double largestFeasible = -1.0;
    double smallestFeasible = 2.0;
    for (const auto& design : driver->designs) {
        if (design[0] >= 0.5) {
            largestFeasible = std::max(largestFeasible, design[0]);
            smallestFeasible = std::min(smallestFeasible, design[0]);
        }
    }
    ASSERT_GT(largestFeasible, 0.0) << "the population holds feasible designs";
    for (std::size_t i = 0; i < 20; ++i) {
        const double x0 = driver->designs[i][0];
        const double expected = x0 >= 0.5 ? x0 : (0.5 - x0) + largestFeasible;
        EXPECT_DOUBLE_EQ(ga->fitnessRecords()[i].value, expected);
    }
    EXPECT_EQ(driver->designs[static_cast<std::size_t>(ga->best())][0], smallestFeasible);
    EXPECT_TRUE(ga->feasible);
}

TEST(GeneticAlgorithmStop, StallEndsTheRunOnlyWithAFeasibleBest)
{
    std::vector<int> ints = gaInts(6, 12, 2);
    ints[10] = 3; // stall generations
    for (double constraint : {-1.0, 1.0}) {
        GeneticAlgorithm ga({0.5, 0.5}, kUnitSquare, 2, gaReals(), ints, 0);
        GADriver driver(ga, [constraint](const std::vector<double>&) {
            return std::vector<double>{2.0, constraint};
        }, 2, 2);
        EXPECT_EQ(driver.run(), 0);
        if (constraint < 0.0) {
            EXPECT_EQ(ga.stopReason(), GeneticAlgorithm::StopReason::Stall);
            EXPECT_EQ(ga.iterationCount, 4) << "the first generation sets the best, three stall";
        } else {
            EXPECT_EQ(ga.stopReason(), GeneticAlgorithm::StopReason::Generations);
            EXPECT_EQ(ga.iterationCount, 12);
            EXPECT_FALSE(ga.feasible);
        }
        EXPECT_EQ(ga.step(driver.x.data(), driver.f.data(), nullptr), 0) << "stopped stays stopped";
    }
}

TEST(GeneticAlgorithmStop, EvaluationBudgetEndsTheRunAtTheEndOfAGeneration)
{
    std::vector<int> ints = gaInts(10, 100, 2);
    ints[6] = 25;
    GeneticAlgorithm ga({0.5, 0.5}, kUnitSquare, 1, gaReals(), ints, 0);
    GADriver driver(ga, bowl, 2, 1);
    EXPECT_EQ(driver.run(), 0);
    EXPECT_EQ(ga.stopReason(), GeneticAlgorithm::StopReason::Evaluations);
    EXPECT_EQ(driver.designs.size(), 30u);
    // The final design is the best individual of the last generation.
    EXPECT_NEAR(bowl(driver.x)[0], ga.bestValue(), 1e-12);
}

TEST(GeneticAlgorithmRepository, DesignsAlreadyEvaluatedAreNotSentAgain)
{
    std::vector<int> ints = gaInts(10, 8, 5);
    ints[14] = 1;
    // The allowed values are the interior entries 1 and 2; the ends are bounds.
    const std::vector<std::vector<double>> levels = {{0.0, 1.0, 2.0, 3.0}};
    GeneticAlgorithm ga({0.0}, levels, 1, gaReals(), ints, 0);
    GADriver driver(ga, [](const std::vector<double>& x) { return std::vector<double>{x[0]}; }, 1, 1);
    driver.run();
    std::set<std::vector<double>> distinct(driver.designs.begin(), driver.designs.end());
    EXPECT_EQ(driver.designs.size(), distinct.size()) << "no design is sent twice";
    EXPECT_EQ(distinct, (std::set<std::vector<double>>{{1.0}, {2.0}}));
    EXPECT_EQ(ga.evaluationCount, static_cast<int>(driver.designs.size()));
    EXPECT_EQ(ga.evaluatedDesigns().size(), ga.evaluationCount);
    EXPECT_EQ(driver.x[0], 1.0);
}

std::vector<std::vector<double>> designsOfRun(int seed, int coding)
{
    std::vector<int> ints = gaInts(8, 6, seed);
    ints[4] = coding;
    GeneticAlgorithm ga({0.5, 0.5}, kUnitSquare, 1, gaReals(), ints, 0);
    GADriver driver(ga, bowl, 2, 1);
    driver.run();
    return driver.designs;
}

TEST(GeneticAlgorithmSeed, SameSeedSameDesignsOtherSeedOthers)
{
    for (int coding : {0, 1}) {
        const auto first = designsOfRun(7, coding);
        EXPECT_EQ(first.size(), 48u);
        EXPECT_EQ(designsOfRun(7, coding), first) << "coding " << coding;
        EXPECT_NE(designsOfRun(8, coding), first) << "coding " << coding;
    }
}

// Reference problems through the exported entry point.
struct Problem {
    const char* name;
    std::vector<std::vector<double>> bounds;
    int responses;
    std::function<void(const double*, double*)> evaluate;
    std::vector<double> optimum;
    double minimum;
};

const Problem* problem = nullptr;

int evaluateProblem(double* x, double* f)
{
    problem->evaluate(x, f);
    return 0;
}

std::pair<std::vector<double>, int> solveWithGA(const Problem& p, std::vector<int> ints,
                                                std::vector<double> reals)
{
    problem = &p;
    std::vector<double> x(p.bounds.size(), 0.0);
    std::vector<double> f(static_cast<std::size_t>(p.responses));
    const int feasible = runGA_ptr(evaluateProblem, x.data(), f.data(), &p.bounds,
                                   static_cast<int>(x.size()), p.responses, reals.data(), ints.data());
    return {x, feasible};
}

const Problem kRosenbrockLike = {
    "shifted bowl", {{-2.0, 2.0}, {-2.0, 2.0}, {-2.0, 2.0}}, 1,
    [](const double* x, double* f) {
        f[0] = (x[0] - 1.0) * (x[0] - 1.0) + 2.0 * (x[1] + 0.5) * (x[1] + 0.5) +
               3.0 * (x[2] - 0.25) * (x[2] - 0.25);
    },
    {1.0, -0.5, 0.25}, 0.0};

// Bracken and McCormick (1968): min (x - 2)^2 + (y - 1)^2 with x^2 - y <= 0 and
// x + y <= 2; the optimum 1 at (1, 1) lies on both constraints.
const Problem kBrackenMcCormick = {
    "Bracken-McCormick", {{-2.0, 3.0}, {-2.0, 3.0}}, 3,
    [](const double* x, double* f) {
        f[0] = (x[0] - 2.0) * (x[0] - 2.0) + (x[1] - 1.0) * (x[1] - 1.0);
        f[1] = x[0] * x[0] - x[1];
        f[2] = x[0] + x[1] - 2.0;
    },
    {1.0, 1.0}, 1.0};

TEST(GeneticAlgorithmReference, RealCodingFindsTheBowlMinimum)
{
    const auto [x, feasible] = solveWithGA(kRosenbrockLike, gaInts(40, 150, 1), gaReals());
    EXPECT_EQ(feasible, 1);
    for (std::size_t i = 0; i < 3; ++i) {
        EXPECT_NEAR(x[i], kRosenbrockLike.optimum[i], 0.02) << i;
    }
}

TEST(GeneticAlgorithmReference, BinaryCodingFindsTheBowlMinimum)
{
    std::vector<int> ints = gaInts(60, 200, 1);
    ints[4] = 0;
    const auto [x, feasible] = solveWithGA(kRosenbrockLike, ints, gaReals());
    EXPECT_EQ(feasible, 1);
    std::vector<double> f(1);
    kRosenbrockLike.evaluate(x.data(), f.data());
    EXPECT_LT(f[0], 1e-3);
}

TEST(GeneticAlgorithmReference, ConstrainedOptimumOnTwoActiveConstraints)
{
    for (double penalty : {1000.0, -1.0}) {
        const auto [x, feasible] = solveWithGA(kBrackenMcCormick, gaInts(60, 200, 4), gaReals(penalty));
        std::vector<double> f(3);
        kBrackenMcCormick.evaluate(x.data(), f.data());
        EXPECT_NEAR(f[0], 1.0, 0.05) << "penalty " << penalty;
        EXPECT_LT(f[1], 1e-3);
        EXPECT_LT(f[2], 1e-3);
        if (penalty < 0.0) {
            EXPECT_EQ(feasible, 1) << "feasibility first keeps the best design feasible";
        }
    }
}

TEST(GeneticAlgorithmReference, NicheRestrictedTournamentAlsoConverges)
{
    std::vector<int> ints = gaInts(40, 150, 9);
    ints[11] = 1;
    const auto [x, feasible] = solveWithGA(kRosenbrockLike, ints, gaReals());
    std::vector<double> f(1);
    kRosenbrockLike.evaluate(x.data(), f.data());
    EXPECT_LT(f[0], 1e-3);
}

} // namespace
} // namespace Opt

namespace Opt {
namespace {

TEST(GeneticAlgorithmReport, KeptHistoryRecordsEveryGenerationAndTheResult)
{
    std::vector<int> ints = gaInts(6, 4, 2);
    std::vector<double> reals = gaReals();
    testing::internal::CaptureStdout();
    OptEngineMain session(2, 2, {0.5, 0.5}, kUnitSquare, reals.data(), ints.data(),
                          GeneticAlgorithm::kMethodCode, 13);
    GADriver driver(*session.engine, [](const std::vector<double>& x) {
        return std::vector<double>{x[0] + x[1], x[0] - 0.5};
    }, 2, 2);
    EXPECT_EQ(driver.run(), 0);
    const std::string printed = testing::internal::GetCapturedStdout();
    EXPECT_NE(printed.find("OPTIMIZATION METHOD                 :       GA"), std::string::npos);
    EXPECT_NE(printed.find("HISTORY OF OPTIMIZATION"), std::string::npos);
    EXPECT_NE(printed.find("  ITER:   3 "), std::string::npos);
    EXPECT_NE(printed.find("OPTIMIZATION IS COMPLETED"), std::string::npos);
    const RunReport& report = session.engine->report;
    // Generations 1 to 3 print a block; the fourth ends the run with the result.
    ASSERT_EQ(report.objectiveHistory.size(), 4u);
    EXPECT_EQ(report.objectiveHistory.back()[1], driver.x[0] + driver.x[1]);
    EXPECT_EQ(report.constraintHistory.back()[1], driver.x[0] - 0.5);
}

} // namespace
} // namespace Opt

namespace Opt {
namespace {

// Data-set mode: designs go through the data set, responses come back by id.
std::vector<double> solveOnDataSet(double penalty, bool lowerBound)
{
    auto data = std::make_shared<DataSet>();
    data->bounds = {{0.0, 1.0}, {0.0, 1.0}};
    data->designValues = {0.1, 0.1};
    data->engineType = GeneticAlgorithm::kMethodCode;
    // Upper bound: maximise x0 + x1 with x0^2 + x1^2 <= 0.5 (1 at (0.5, 0.5)).
    // Lower bound: minimise x0 + x1 with x0^2 + x1^2 >= 0.5 (sqrt(0.5) on an axis).
    auto objective = std::make_shared<ResponseDefinition>();
    objective->goal = lowerBound ? 1 : 2;
    auto constraint = std::make_shared<ResponseDefinition>();
    constraint->kind = 1;
    if (lowerBound) {
        constraint->lower = 0.5;
    } else {
        constraint->upper = 0.5;
    }
    data->responses = {{0, objective}, {1, constraint}};
    data->currentSearchSettings.ints = gaInts(30, 80, 3);
    data->currentSearchSettings.reals = gaReals(penalty);
    OptEngineMain session(data);
    int code = 3;
    while (code >= 1 && code <= 3) {
        code = session.runOptEngine(nullptr, nullptr, nullptr);
        if (code == 1) {
            const std::vector<double>& x = data->designValues;
            objective->value = x[0] + x[1];
            constraint->value = x[0] * x[0] + x[1] * x[1];
        }
    }
    EXPECT_EQ(code, 0);
    return data->designValues;
}

TEST(GeneticAlgorithmDataSet, UpperBoundConstraintWithBothRankings)
{
    for (double penalty : {100.0, -1.0}) {
        const std::vector<double> x = solveOnDataSet(penalty, false);
        EXPECT_NEAR(x[0] + x[1], 1.0, 0.02) << "penalty " << penalty;
        EXPECT_LE(x[0] * x[0] + x[1] * x[1], 0.5 + 1e-9) << "penalty " << penalty;
    }
}

TEST(GeneticAlgorithmDataSet, LowerBoundConstraintWithAPenalty)
{
    const std::vector<double> x = solveOnDataSet(100.0, true);
    EXPECT_NEAR(x[0] + x[1], std::sqrt(0.5), 0.02);
    EXPECT_GE(x[0] * x[0] + x[1] * x[1], 0.5 - 1e-9);
}

} // namespace
} // namespace Opt
