// The hybrid GA: the local-search tasks on the fittest half and what a finished
// search writes back, with a small stand-in registered as engine type 0 for the
// duration of a test; then a reference problem with the library's SQP engine.
#include "ga/HybridGA.h"

#include <algorithm>
#include <cmath>
#include <functional>
#include <optional>

#include <gtest/gtest.h>

#include "session/EngineBuilder.h"

namespace Opt {
namespace {

// What the stand-in saw when it was built.
struct InnerBuild {
    std::vector<double> start;
    std::vector<std::vector<double>> bounds;
    std::vector<double> reals;
    std::vector<int> ints;
};
std::vector<InnerBuild> innerBuilds;

// Takes the responses of its start, publishes the point halfway to the centre
// of the box, and finishes there (or fails at once when told to).
class HalfwayEngine : public OptEngine {
public:
    HalfwayEngine(const HostEngineInput& in, bool failing)
        : OptEngine(in.start, in.bounds, in.nResponses), failing(failing)
    {
        evaluationPending = true;
    }
    StepCode beginIteration(double*, double*, double**) override
    {
        if (failing) {
            return StepCode::Error;
        }
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
    bool failing;
    bool moved = false;
};

// Registers the stand-in as engine type 0 and puts back what was there.
class InnerEngineStandIn {
public:
    explicit InnerEngineStandIn(bool failing = false)
    {
        if (const EngineBuilder* existing = findEngineBuilder(HybridGA::kInnerEngineType)) {
            saved = *existing;
        }
        EngineBuilder builder;
        builder.engineType = HybridGA::kInnerEngineType;
        builder.realCount = 12;
        builder.intCount = 12;
        builder.buildFromHost = [failing](const HostEngineInput& in) {
            innerBuilds.push_back({in.start, in.bounds, in.reals, in.ints});
            return std::make_shared<HalfwayEngine>(in, failing);
        };
        registerEngineBuilder(builder);
        innerBuilds.clear();
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

using Model = std::function<std::vector<double>(const std::vector<double>&)>;

class HybridRun : public ::testing::Test {
protected:
    void build(int population, double penalty, Model responses, int nResponses)
    {
        std::vector<int> ints(HybridGA::kIntCount, -999);
        std::vector<double> reals(HybridGA::kRealCount, -999.0);
        ints[2] = population;
        ints[3] = 4;
        ints[13] = 17;
        reals[0] = penalty;
        for (int k = 0; k < 12; ++k) {
            ints[20 + k] = 120 + k;
            reals[20 + k] = 20.5 + k;
        }
        ga = std::make_unique<HybridGA>(std::vector<double>{0.0, 0.0}, bounds, nResponses, reals,
                                        ints, 0);
        model = std::move(responses);
        f.assign(static_cast<std::size_t>(nResponses), 0.0);
    }
    int stepUntil(EnginePhase wanted)
    {
        int code = 3;
        do {
            code = ga->step(x.data(), f.data(), nullptr);
            if (code == 1) {
                designs.push_back(x);
                f = model(x);
            }
        } while ((code == 1 || code == 3) && ga->phase != wanted);
        return code;
    }

    InnerEngineStandIn standIn;
    std::vector<std::vector<double>> bounds = {{-1.0, 3.0}, {0.0, 2.0}};
    std::unique_ptr<HybridGA> ga;
    Model model;
    std::vector<double> x = {0.0, 0.0};
    std::vector<double> f;
    std::vector<std::vector<double>> designs;
};

std::vector<double> bowl(const std::vector<double>& x)
{
    return {(x[0] - 2.5) * (x[0] - 2.5) + x[1] * x[1], x[0] - 10.0};
}

TEST_F(HybridRun, SevenIndividualsGiveThreeSearchesOnTheFittestInAscendingOrder)
{
    build(7, -999.0, bowl, 2);
    EXPECT_EQ(ga->localSearches(), 3);
    stepUntil(EnginePhase::ComputeStep);
    std::vector<std::pair<double, int>> order;
    for (std::size_t i = 0; i < 7; ++i) {
        order.emplace_back(ga->fitnessRecords()[i].value, static_cast<int>(i));
    }
    std::sort(order.begin(), order.end());
    const std::vector<GARealString> before = ga->population().realStrings();
    stepUntil(EnginePhase::UpdateStep);
    ASSERT_EQ(ga->tasks().size(), 3u);
    ASSERT_EQ(innerBuilds.size(), 3u);
    for (std::size_t k = 0; k < 3; ++k) {
        const int individual = ga->tasks()[k].individual;
        EXPECT_EQ(individual, order[k].second) << "task " << k;
        EXPECT_TRUE(ga->tasks()[k].started);
        // The start was the individual's design in caller units.
        const std::vector<double>& genes = before[static_cast<std::size_t>(individual)].values();
        EXPECT_NEAR(innerBuilds[k].start[0], -1.0 + 4.0 * genes[0], 1e-12);
        EXPECT_NEAR(innerBuilds[k].start[1], 2.0 * genes[1], 1e-12);
        // The stand-in's optimum is halfway to the centre; it replaces the genes.
        const std::vector<double>& improved =
            ga->population().realStrings()[static_cast<std::size_t>(individual)].values();
        EXPECT_NEAR(improved[0], genes[0] + 0.5 * (0.5 - genes[0]), 1e-12);
        EXPECT_NEAR(improved[1], genes[1] + 0.5 * (0.5 - genes[1]), 1e-12);
        EXPECT_TRUE(ga->population().isLocallyImproved(individual));
    }
    // Seven population designs, then a start and the halfway point per task.
    EXPECT_EQ(designs.size(), 7u + 3u * 2u);
    EXPECT_EQ(ga->evaluationCount, 13);
    stepUntil(EnginePhase::BeginIteration);
    for (int i = 0; i < 7; ++i) {
        EXPECT_FALSE(ga->population().isLocallyImproved(i)) << "flags clear at the end of a generation";
    }
}

} // namespace
} // namespace Opt

namespace Opt {
namespace {

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

} // namespace
} // namespace Opt
