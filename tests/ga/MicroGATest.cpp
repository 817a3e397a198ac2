// The micro-GA: its population rule, the restart on convergence and a reference
// problem.
#include "ga/MicroGA.h"

#include <cmath>
#include <functional>

#include <gtest/gtest.h>

#include "api/zelkor.h"

namespace Opt {
namespace {

using Model = std::function<std::vector<double>(const std::vector<double>&)>;

std::vector<int> microInts(int population, int generations, int seed)
{
    std::vector<int> ints(GAParameter::kIntCount, -999);
    ints[2] = population;
    ints[3] = generations;
    ints[13] = seed;
    return ints;
}

const std::vector<double> kUnsetReals(GAParameter::kRealCount, -999.0);

// Steps a micro-GA one generation at a time.
class MicroRun {
public:
    MicroRun(const std::vector<std::vector<double>>& bounds, std::vector<int> ints, Model model,
             std::vector<double> reals = kUnsetReals)
        : ga(std::vector<double>(bounds.size(), 0.0), bounds, 1, reals, ints, 0),
          model(std::move(model)), x(bounds.size()), f(1)
    {
    }
    // Runs to the end of the next generation step (the next population bred).
    int nextGeneration()
    {
        int code = 3;
        do {
            code = ga.step(x.data(), f.data(), nullptr);
            if (code == 1) {
                ++evaluations;
                f = model(x);
            }
        } while ((code == 1 || code == 3) && ga.phase != EnginePhase::EndIteration);
        return code;
    }
    int run()
    {
        int code = 3;
        while (code == 1 || code == 3) {
            code = nextGeneration();
            if (code == 3) {
                code = ga.step(x.data(), f.data(), nullptr); // end of generation
            }
        }
        return code;
    }

    MicroGA ga;
    Model model;
    std::vector<double> x;
    std::vector<double> f;
    int evaluations = 0;
};

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
        std::vector<int> ints = microInts(entry, 5, 0);
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
    MicroRun run({{0.0, 0.5, 1.0}, {0.0, 0.5, 1.0}}, microInts(5, 10, 1),
                 [](const std::vector<double>& x) { return std::vector<double>{x[0]}; });
    run.nextGeneration();
    EXPECT_EQ(run.ga.restarts(), 0) << "the first generation always breeds";
    EXPECT_EQ(run.ga.identicalPairs(100), 10);
    run.ga.step(run.x.data(), run.f.data(), nullptr);
    run.nextGeneration();
    EXPECT_EQ(run.ga.restarts(), 1);
    EXPECT_TRUE(run.ga.restartedLast());
    EXPECT_EQ(run.ga.population().selectedParents(), (std::vector<int>{-1, -1, -1, -1, run.ga.best()}));
}

int evaluateBowl4(double* x, double* f)
{
    f[0] = bowl(std::vector<double>(x, x + 4))[0];
    return 0;
}

TEST(MicroGAReference, FindsTheBowlMinimumWithinItsBudget)
{
    std::vector<int> ints = microInts(-1, 2000, 5);
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
