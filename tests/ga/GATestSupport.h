#pragma once

#include <cmath>
#include <functional>
#include <vector>

#include "engine/OptEngine.h"
#include "ga/GAGenomes.h"
#include "ga/GAParameter.h"

namespace Opt::GATesting {

using Model = std::function<std::vector<double>(const std::vector<double>&)>;

// Tension/compression spring (Belegundu 1982, Arora 1989): wire diameter d, coil
// diameter D and active coils N on [0.05, 2] x [0.25, 1.3] x [2, 15]; best known
// weight 0.012665 (Coello 2000). f[0] is the weight, f[1] to f[4] the constraints
// scaled to order one, feasible at or below 0. The GA bench solves it too.
inline void springDesign(const double* x, double* f)
{
    const double d = x[0], coil = x[1], turns = x[2];
    f[0] = (turns + 2.0) * coil * d * d;
    f[1] = 1.0 - coil * coil * coil * turns / (71785.0 * std::pow(d, 4));
    f[2] = (4.0 * coil * coil - d * coil) / (12566.0 * (coil * d * d * d - std::pow(d, 4))) +
           1.0 / (5108.0 * d * d) - 1.0;
    f[3] = 1.0 - 140.45 * d / (coil * coil * turns);
    f[4] = (coil + d) / 1.5 - 1.0;
}

// Integer settings with only the population, the generation count and the seed set.
inline std::vector<int> gaInts(int population, int generations, int seed, int count = GAParameter::kIntCount)
{
    std::vector<int> ints(static_cast<std::size_t>(count), -999);
    ints[2] = population;
    ints[3] = generations;
    ints[13] = seed;
    return ints;
}

inline std::vector<double> gaReals(double penalty = -999.0)
{
    std::vector<double> reals(GAParameter::kRealCount, -999.0);
    reals[0] = penalty;
    return reals;
}

// A real-coded population holding the given rows of genes.
inline GAGenomes realPopulation(const std::vector<std::vector<double>>& rows, RandomSource source = RandomSource())
{
    GAGenomes genomes(GAGenomes::kReal, source);
    genomes.build(GAGenomes::kReal, static_cast<int>(rows.size()));
    genomes.setStringLength(static_cast<int>(rows.front().size()));
    for (std::size_t i = 0; i < rows.size(); ++i) {
        genomes.assignReal(static_cast<int>(i), rows[i]);
    }
    return genomes;
}

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
    int untilPhase(EnginePhase phase)
    {
        return stepUntil([this, phase] { return engine.phase == phase; });
    }

    OptEngine& engine;
    Model model;
    std::vector<double> x;
    std::vector<double> f;
    std::vector<std::vector<double>> designs;
};

} // namespace Opt::GATesting
