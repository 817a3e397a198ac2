// A surrogate study run by a C++ host in data-set mode: the host builds a
// DataSet, steps the study engine through Opt::OptEngineMain and evaluates each
// design the study publishes. The three-bar truss (Nowacki 1973): minimise the
// volume of two bar areas under three stress limits (load 2, allowable stress
// 2, length 100). The volume is fitted by a linear polynomial (it is linear),
// each stress limit by kriging, on a Latin hypercube of 30 designs; the
// genetic algorithm finds the optimum on the models and the study evaluates it
// once more. The optimum lies on a stress limit, so the models' small error
// there shows in the verified design: the example exits 0 when its volume is
// within 1 % of the known optimum, 263.8958434, and no stress exceeds its limit
// by more than 1 % of the allowable stress.
#include <cmath>
#include <cstdio>
#include <memory>
#include <vector>

#include "zelkor.h"

namespace {

constexpr double kKnownVolume = 263.8958434;

// The volume, then the three stress limits (each satisfied when not above 0).
std::vector<double> truss(const std::vector<double>& x)
{
    const double root2 = std::sqrt(2.0);
    const double load = 2.0;
    const double stress = 2.0;
    const double denominator = root2 * x[0] * x[0] + 2.0 * x[0] * x[1];
    return {(2.0 * root2 * x[0] + x[1]) * 100.0,
            (root2 * x[0] + x[1]) / denominator * load - stress,
            x[1] / denominator * load - stress,
            load / (root2 * x[1] + x[0]) - stress};
}

std::shared_ptr<Opt::DataSet> trussStudy()
{
    auto study = std::make_shared<Opt::DataSet>();
    auto volume = std::make_shared<Opt::ResponseDefinition>();
    volume->surrogate = {1, 1}; // polynomial regression, linear
    study->responses[0] = volume;
    for (int id = 1; id <= 3; ++id) {
        auto limit = std::make_shared<Opt::ResponseDefinition>();
        limit->kind = 1;            // a constraint ...
        limit->upper = 0.0;         // ... satisfied when not above 0
        limit->surrogate = {2, -1}; // kriging, default correlation
        study->responses[id] = limit;
    }
    study->bounds.assign(2, {0.1, 1.0});
    study->designValues.assign(2, 0.5);
    study->engineType = 8;                   // sample, fit, search, verify
    study->designSettings = {{2, 0, 0, 30}}; // Latin hypercube of 30 designs
    study->fixedSeed = true;              // the same sample on every run
    study->threadCount = 2;               // fit both models at once
    Opt::SearchSettings ga;                  // the genetic algorithm's arrays (engine type 1):
    ga.reals = {-1.0};                       // feasibility-first ranking
    study->gaSearchSettings.push_back(ga);   // every other setting at its default
    return study;
}

} // namespace

int main()
{
    const auto study = trussStudy();
    Opt::OptEngineMain session(study);
    int evaluations = 0;
    int code = 3;
    do {
        code = session.runOptEngine(nullptr, nullptr, nullptr);
        if (code == 1) { // evaluate the published design
            const std::vector<double> f = truss(study->designValues);
            for (int id = 0; id <= 3; ++id) {
                study->responses[id]->value = f[static_cast<std::size_t>(id)];
            }
            ++evaluations;
        }
    } while (code == 1 || code == 2 || code == 3);

    // The study ends on the surrogate optimum, which the host has just evaluated.
    const std::vector<double>& x = study->designValues;
    const double found = *study->responses[0]->value;
    double worst = -HUGE_VAL;
    for (int id = 1; id <= 3; ++id) {
        worst = std::fmax(worst, *study->responses[id]->value);
    }
    std::printf("three-bar truss: %d evaluations, areas %.4f %.4f, volume %.4f (known %.4f), "
                "largest stress limit %.2e\n",
                evaluations, x[0], x[1], found, kKnownVolume, worst);
    const bool good = code == 0 && worst <= 0.02 && std::fabs(found / kKnownVolume - 1.0) < 0.01;
    return good ? 0 : 1;
}
