// The micro-GA: its population rule, the restart on convergence and a reference
// problem.
#include "ga/MicroGA.h"

#include <gtest/gtest.h>

#include "GATestSupport.h"
#include "api/zelkor.h"

namespace Opt {
namespace {

using GATesting::GADriver;
using GATesting::gaInts;

const std::vector<double> kUnsetReals(GAParameter::kRealCount, -999.0);

std::vector<double> bowl(const std::vector<double>& x)
{
    double sum = 0.0;
    for (std::size_t i = 0; i < x.size(); ++i) {
        sum += (x[i] - 0.2 * static_cast<double>(i + 1)) * (x[i] - 0.2 * static_cast<double>(i + 1));
    }
    return {sum};
}

TEST(MicroGAParameterLoad, PopulationIsOddAndAtMostTwentyOne)
{
    const std::vector<std::pair<int, int>> cases = {{4, 5},   {8, 9},   {20, 21}, {21, 21},
                                                    {22, 21}, {40, 21}, {-1, 7},  {-999, 7},
                                                    {7, 7},   {1, 1}};
    for (const auto& [entry, expected] : cases) {
        MicroGAParameter p;
        std::vector<int> ints = gaInts(entry, 5, 0);
        p.load(kUnsetReals.data(), ints.data());
        EXPECT_EQ(p.populationSize, expected) << "entry " << entry;
    }
    MicroGAParameter p;
    p.load(nullptr, nullptr);
    EXPECT_EQ(p.populationSize, 7);
}

TEST(MicroGARun, IdenticalPopulationRestartsAtTheNextGenerationStep)
{
    // One allowed value: every individual is the same design.
    const std::vector<std::vector<double>> oneValue(2, {0.0, 0.5, 1.0});
    MicroGA ga({0.0, 0.0}, oneValue, 1, kUnsetReals, gaInts(5, 10, 1), 0);
    GADriver driver(ga, [](const std::vector<double>& x) { return std::vector<double>{x[0]}; }, 2, 1);
    driver.untilPhase(EnginePhase::EndIteration);
    EXPECT_EQ(ga.restarts(), 0) << "the first generation always breeds";
    EXPECT_EQ(ga.identicalPairs(100), 10);
    ga.step(driver.x.data(), driver.f.data(), nullptr);
    driver.untilPhase(EnginePhase::EndIteration);
    EXPECT_EQ(ga.restarts(), 1);
    EXPECT_TRUE(ga.restartedLast());
    EXPECT_EQ(ga.population().selectedParents(), (std::vector<int>{-1, -1, -1, -1, ga.best()}));
}

int evaluateBowl4(double* x, double* f)
{
    f[0] = bowl(std::vector<double>(x, x + 4))[0];
    return 0;
}

TEST(MicroGAReference, FindsTheBowlMinimumWithinItsBudget)
{
    std::vector<int> ints = gaInts(-1, 2000, 5);
    ints[6] = 6000;
    const std::vector<std::vector<double>> bounds(4, {-1.0, 1.0});
    std::vector<double> x(4, 0.0);
    std::vector<double> f(1);
    std::vector<double> reals = kUnsetReals;
    EXPECT_EQ(runMicroGA_ptr(evaluateBowl4, x.data(), f.data(), &bounds, 4, 1, reals.data(),
                             ints.data()),
              1);
    EXPECT_LT(bowl(x)[0], 1e-3);
}

} // namespace
} // namespace Opt
