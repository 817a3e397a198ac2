// The hybrid GA: the local-search tasks on the fittest half and what a finished
// search writes back, with a small stand-in registered as engine type 0 for the
// duration of a test; then a reference problem with the library's SQP engine.
#include "ga/HybridGA.h"

#include <algorithm>
#include <cmath>
#include <optional>

#include <gtest/gtest.h>

#include "GATestSupport.h"
#include "api/zelkor.h"
#include "session/EngineBuilder.h"

namespace Opt {
namespace {

// The starts the stand-in was built with.
std::vector<std::vector<double>> innerStarts;

// Takes the responses of its start, publishes the point halfway to the centre
// of the box, and finishes there.
class HalfwayEngine : public OptEngine {
public:
    explicit HalfwayEngine(const HostEngineInput& in) : OptEngine(in.start, in.bounds, in.nResponses)
    {
        evaluationPending = true;
    }
    StepCode beginIteration(double*, double*, double**) override
    {
        if (moved) {
            return StepCode::Finished;
        }
        for (DesignVariable& variable : designVariables) {
            variable.value = variable.accepted + 0.5 * (0.5 - variable.accepted);
        }
        moved = true;
        return StepCode::Evaluate;
    }

private:
    bool moved = false;
};

// Registers the stand-in as engine type 0 and puts back what was there.
class InnerEngineStandIn {
public:
    InnerEngineStandIn()
    {
        if (const EngineBuilder* existing = findEngineBuilder(HybridGA::kInnerEngineType)) {
            saved = *existing;
        }
        EngineBuilder builder;
        builder.engineType = HybridGA::kInnerEngineType;
        builder.realCount = 12;
        builder.intCount = 12;
        builder.buildFromHost = [](const HostEngineInput& in) {
            innerStarts.push_back(in.start);
            return std::make_shared<HalfwayEngine>(in);
        };
        registerEngineBuilder(builder);
        innerStarts.clear();
    }
    ~InnerEngineStandIn()
    {
        EngineBuilder restored;
        restored.engineType = HybridGA::kInnerEngineType;
        registerEngineBuilder(saved ? *saved : restored);
    }

private:
    std::optional<EngineBuilder> saved;
};

std::vector<double> bowl(const std::vector<double>& x)
{
    return {(x[0] - 2.5) * (x[0] - 2.5) + x[1] * x[1], x[0] - 10.0};
}

TEST(HybridRun, SevenIndividualsGiveThreeSearchesOnTheFittestInAscendingOrder)
{
    const InnerEngineStandIn standIn;
    HybridGA ga({0.0, 0.0}, {{-1.0, 3.0}, {0.0, 2.0}}, 2, std::vector<double>(HybridGA::kRealCount, -999.0),
                GATesting::gaInts(7, 4, 17, HybridGA::kIntCount), 0);
    GATesting::GADriver driver(ga, bowl, 2, 2);
    EXPECT_EQ(ga.localSearches(), 3);
    driver.untilPhase(EnginePhase::ComputeStep);
    std::vector<std::pair<double, int>> order;
    for (std::size_t i = 0; i < 7; ++i) {
        order.emplace_back(ga.fitnessRecords()[i].value, static_cast<int>(i));
    }
    std::sort(order.begin(), order.end());
    const std::vector<GARealString> before = ga.population().realStrings();
    driver.untilPhase(EnginePhase::UpdateStep);
    ASSERT_EQ(ga.tasks().size(), 3u);
    ASSERT_EQ(innerStarts.size(), 3u);
    for (std::size_t k = 0; k < 3; ++k) {
        const int individual = ga.tasks()[k].individual;
        EXPECT_EQ(individual, order[k].second) << "task " << k;
        EXPECT_TRUE(ga.tasks()[k].started);
        // The start was the individual's design in caller units.
        const std::vector<double>& genes = before[static_cast<std::size_t>(individual)].values();
        EXPECT_NEAR(innerStarts[k][0], -1.0 + 4.0 * genes[0], 1e-12);
        EXPECT_NEAR(innerStarts[k][1], 2.0 * genes[1], 1e-12);
        // The stand-in's optimum is halfway to the centre; it replaces the genes.
        const std::vector<double>& improved =
            ga.population().realStrings()[static_cast<std::size_t>(individual)].values();
        EXPECT_NEAR(improved[0], genes[0] + 0.5 * (0.5 - genes[0]), 1e-12);
        EXPECT_NEAR(improved[1], genes[1] + 0.5 * (0.5 - genes[1]), 1e-12);
        EXPECT_TRUE(ga.population().isLocallyImproved(individual));
    }
    // Seven population designs, then a start and the halfway point per task.
    EXPECT_EQ(driver.designs.size(), 7u + 3u * 2u);
    EXPECT_EQ(ga.evaluationCount, 13);
    driver.untilPhase(EnginePhase::BeginIteration);
    for (int i = 0; i < 7; ++i) {
        EXPECT_FALSE(ga.population().isLocallyImproved(i)) << "flags clear at the end of a generation";
    }
}

// With the library's SQP engine for the local searches.
// Six-hump camel back (Dixon and Szegö 1978): six local minima, the global
// -1.0316285 at (0.0898, -0.7127) and (-0.0898, 0.7127).
int sixHumpCamel(double* x, int, double* f, int)
{
    const double a = x[0] * x[0];
    f[0] = (4 - 2.1 * a + a * a / 3) * a + x[0] * x[1] + (-4 + 4 * x[1] * x[1]) * x[1] * x[1];
    return 0;
}

TEST(HybridGAWithSqp, SixHumpCamelThroughZelkor)
{
    ASSERT_NE(findEngineBuilder(HybridGA::kInnerEngineType), nullptr);
    // User ints: [0] SQP iterations, [1] evaluations, [3] forward differences.
    std::vector<int> ints = {20, 1000, -999, 1, -999, -999, -999};
    std::vector<double> reals(4, -999.0);
    double box[2][2] = {{-3.0, 3.0}, {-2.0, 2.0}};
    std::vector<double*> bounds = {box[0], box[1]};
    std::vector<double> x = {2.5, 1.5};
    std::vector<double> f(1);
    EXPECT_EQ(Zelkor(4, 0, sixHumpCamel, 2, x.data(), bounds.data(), 1, f.data(), 0, ints.data(), 0,
                     reals.data(), nullptr),
              1);
    std::vector<double> atOptimum(1);
    sixHumpCamel(x.data(), 2, atOptimum.data(), 1);
    EXPECT_NEAR(atOptimum[0], -1.0316285, 1e-4);
    EXPECT_NEAR(std::fabs(x[0]), 0.0898, 1e-3);
    EXPECT_NEAR(std::fabs(x[1]), 0.7127, 1e-3);
}

int spring(double* x, int, double* f, int)
{
    GATesting::springDesign(x, f);
    return 0;
}

// The spring through Zelkor with the default penalty: many local searches start at
// infeasible designs where the SQP engine meets incompatible constraints, and the
// good ones end on active constraints. The run goes on past the failed searches
// and the improved individuals compete by their constraint values, so it ends at
// the best known design (with either rule as first written it ends far from it,
// or with -1 at the first failed search).
// The inner runs print nothing: their interruptions never reach the console.
TEST(HybridGAWithSqp, SpringReachesTheBestKnownWeightSilently)
{
    // User ints: [1] evaluations, [3] forward differences, [5] population, [6] stall.
    std::vector<int> ints = {-999, 4000, -999, 1, -999, 7, 100000};
    double box[3][2] = {{0.05, 2.0}, {0.25, 1.3}, {2.0, 15.0}};
    std::vector<double*> bounds = {box[0], box[1], box[2]};
    std::vector<double> x = {1.0, 1.0, 8.0};
    std::vector<double> f(5);
    testing::internal::CaptureStdout();
    // Returns 0: the best design violates a constraint by about 2e-7.
    Zelkor(4, 0, spring, 3, x.data(), bounds.data(), 5, f.data(), 0, ints.data(), 0, nullptr,
           nullptr);
    const std::string printed = testing::internal::GetCapturedStdout();
    EXPECT_EQ(printed.find("INTERRUPT"), std::string::npos) << printed.substr(0, 200);
    std::vector<double> atX(5);
    spring(x.data(), 3, atX.data(), 5);
    EXPECT_NEAR(atX[0], 0.012665, 0.01 * 0.012665) << "within 1% of the best known";
    for (std::size_t j = 1; j < 5; ++j) {
        EXPECT_LE(atX[j], 1e-6) << "constraint " << j;
        // The returned design is the inner optimum normalised and back.
        EXPECT_NEAR(f[j], atX[j], 1e-9) << "f holds the responses of the returned design";
    }
    EXPECT_NEAR(f[0], atX[0], 1e-12);
}

} // namespace
} // namespace Opt
