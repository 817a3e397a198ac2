// The reinforcement-layout drivers: the layout micro-GA of runMicroGA (one bar
// diameter and one spacing, its log and bounds report) and the layer-by-layer
// reinforcement design of runGA_ReinforcementDesign(_UniSpace), whose genome
// is turned into bar diameters, spacings, bar counts and steel areas for the
// host's seven-argument callback.
#include "api/zelkor.h"

#include <cmath>
#include <string>
#include <vector>

#include "api/DrivingLoop.h"
#include "api/EntryPointGuard.h"
#include "api/LastStatus.h"
#include "engine/OptEngine.h"
#include "ga/LayoutMicroGA.h"
#include "ga/SWWGA.h"

namespace Opt {

namespace {

constexpr int kStepFirst = 3;

int runLayoutMicroGA(VectorCallback evaluate, std::vector<double>* x, std::vector<double>* f,
                     const std::vector<std::vector<double>>* bounds, double* reals, int* ints,
                     double* evaluationSeconds, double* engineSeconds, const std::string* layout,
                     double spacingStep, double spreadLength)
{
    const char* name = "runMicroGA";
    for (double* seconds : {evaluationSeconds, engineSeconds}) {
        if (seconds != nullptr) {
            *seconds = 0.0;
        }
    }
    if (evaluate == nullptr || x == nullptr || f == nullptr || bounds == nullptr) {
        return rejectArgument(name, "the callback, x, f and bounds must all be given");
    }
    if (layout == nullptr || layout->empty()) {
        return rejectArgument(name, "the layout text (the run's name, the base of its log and "
                                    "bounds report) is empty");
    }
    if (x->size() != LayoutMicroGA::kVariables || f->empty()) {
        return rejectArgument(name, "x holds " + std::to_string(x->size()) + " and f " +
                                        std::to_string(f->size()) +
                                        " values: the layout has two design variables (bar "
                                        "diameter, spacing) and at least the objective");
    }
    if (rejectProblem(name, 2, static_cast<int>(f->size()), *x, *bounds)) {
        return 0;
    }
    OptEngineMain session(2, static_cast<int>(f->size()), *x, *bounds, reals, ints,
                          LayoutMicroGA::kEngineType, 0);
    auto* engine = dynamic_cast<LayoutMicroGA*>(session.engine.get());
    if (engine == nullptr) {
        return rejectSettings(name);
    }
    std::string problem = engine->setLayout(*layout, spacingStep, spreadLength);
    if (problem.empty()) {
        problem = engine->openFiles();
    }
    if (!problem.empty()) {
        return rejectArgument(name, problem);
    }
    DrivingLoop loop;
    loop.evaluate = [&] { evaluate(x, f); };
    loop.evaluationSeconds = evaluationSeconds;
    loop.engineSeconds = engineSeconds;
    const int endState = loop.run(session, kStepFirst, x->data(), f->data(), nullptr);
    return LastStatus::recordRun(name, *session.engine, endState);
}

// The reinforcement-design problem as the engine sees it: per layer a bar
// diameter over the catalogue and a spacing over the step grid (UniSpace: one
// spacing for every layer, the last variable).
struct ReinforcementProblem {
    const char* name;
    int layers = 0;
    bool uniformSpacing = false;
    std::vector<double> catalogue;
    std::vector<double> spacings;
    std::vector<double> widths;

    int spacingVariable(int layer) const
    {
        return uniformSpacing ? layers : 2 * layer + 1;
    }
    int diameterVariable(int layer) const { return uniformSpacing ? layer : 2 * layer; }
    int variableCount() const { return uniformSpacing ? layers + 1 : 2 * layers; }
};

std::string checkReinforcementInput(ReinforcementProblem& problem, const double* catalogue,
                                    int catalogueSize, const double* spacingRange,
                                    const double* widths)
{
    if (problem.layers < 1 || catalogue == nullptr || catalogueSize < 2 ||
        spacingRange == nullptr || widths == nullptr) {
        return "nLayers = " + std::to_string(problem.layers) + ", catalogueSize = " +
               std::to_string(catalogueSize) +
               ": at least one layer, two catalogue bars, the spacing range and the layer "
               "widths are needed";
    }
    for (int i = 0; i < catalogueSize; ++i) {
        if (!(catalogue[i] > 0.0) || !std::isfinite(catalogue[i]) ||
            (i > 0 && !(catalogue[i] > catalogue[i - 1]))) {
            return "catalogue[" + std::to_string(i) + "] = " + std::to_string(catalogue[i]) +
                   ": diameters must be positive and ascending";
        }
    }
    const double low = spacingRange[0], high = spacingRange[1], step = spacingRange[2];
    if (!(low > 0.0) || !(step > 0.0) || !(high >= low + step) || !std::isfinite(high)) {
        return "spacingRange = {" + std::to_string(low) + ", " + std::to_string(high) + ", " +
               std::to_string(step) + "}: need 0 < min, step > 0 and max >= min + step";
    }
    for (int layer = 0; layer < problem.layers; ++layer) {
        if (!(widths[layer] > 0.0) || !std::isfinite(widths[layer])) {
            return "layerWidths[" + std::to_string(layer) + "] = " +
                   std::to_string(widths[layer]) + " is not a positive length";
        }
    }
    problem.catalogue.assign(catalogue, catalogue + catalogueSize);
    for (int k = 0; low + k * step <= high * (1 + 1e-12); ++k) {
        problem.spacings.push_back(low + k * step);
    }
    problem.widths.assign(widths, widths + problem.layers);
    return std::string();
}

// The level of a list nearest to a decoded value, so that the host receives
// catalogue diameters and grid spacings exactly.
double nearestLevel(const std::vector<double>& levels, double value)
{
    double best = levels.front();
    for (double level : levels) {
        if (std::fabs(level - value) < std::fabs(best - value)) {
            best = level;
        }
    }
    return best;
}

struct LayerArrays {
    std::vector<double> diameters, spacings, areas;
    std::vector<int> bars;

    void fill(const ReinforcementProblem& problem, const double* x)
    {
        const double pi = std::acos(-1.0);
        diameters.resize(problem.layers);
        spacings.resize(problem.layers);
        areas.resize(problem.layers);
        bars.resize(problem.layers);
        for (int layer = 0; layer < problem.layers; ++layer) {
            const double d = nearestLevel(problem.catalogue, x[problem.diameterVariable(layer)]);
            const double s = nearestLevel(problem.spacings, x[problem.spacingVariable(layer)]);
            diameters[layer] = d;
            spacings[layer] = s;
            bars[layer] = static_cast<int>(std::floor(problem.widths[layer] / s + 1e-9)) + 1;
            areas[layer] = bars[layer] * pi * d * d / 4.0;
        }
    }
};

int runReinforcementDesign(ReinforcementProblem& problem, ReinforcementCallback evaluate,
                           const double* catalogue, int catalogueSize, const double* spacingRange,
                           const double* widths, int m, double* diameters, double* spacings,
                           double* f, double* reals, int* ints)
{
    if (evaluate == nullptr || diameters == nullptr || spacings == nullptr || f == nullptr ||
        m < 1) {
        return rejectArgument(problem.name, "the callback, diameters, spacings and f must be "
                                            "given, and m (" + std::to_string(m) +
                                                ") must be at least 1");
    }
    const std::string problemText =
        checkReinforcementInput(problem, catalogue, catalogueSize, spacingRange, widths);
    if (!problemText.empty()) {
        return rejectArgument(problem.name, problemText);
    }
    std::vector<std::vector<double>> bounds(problem.variableCount());
    std::vector<double> start(problem.variableCount());
    // Every catalogue bar and every grid spacing, the ends included, is an
    // allowed value (a plain bound list would allow only its interior levels).
    for (int layer = 0; layer < problem.layers; ++layer) {
        bounds[problem.diameterVariable(layer)] = LayoutMicroGA::catalogueBoundList(problem.catalogue);
        bounds[problem.spacingVariable(layer)] = LayoutMicroGA::catalogueBoundList(problem.spacings);
    }
    for (std::size_t i = 0; i < bounds.size(); ++i) {
        start[i] = bounds[i].front();
    }
    const int n = problem.variableCount();
    OptEngineMain session(n, m, start, bounds, reals, ints, SWWGA::kMethodCode, 0);
    if (session.engine == nullptr) {
        return rejectSettings(problem.name);
    }
    std::vector<double> x = start;
    LayerArrays layers;
    DrivingLoop loop;
    loop.evaluate = [&] {
        layers.fill(problem, x.data());
        evaluate(problem.layers, layers.diameters.data(), layers.spacings.data(),
                 layers.bars.data(), layers.areas.data(), m, f);
    };
    const int endState = loop.run(session, kStepFirst, x.data(), f, nullptr);
    layers.fill(problem, x.data());
    std::copy(layers.diameters.begin(), layers.diameters.end(), diameters);
    std::copy(layers.spacings.begin(), layers.spacings.end(), spacings);
    return LastStatus::recordRun(problem.name, *session.engine, endState);
}

int guardedReinforcementDesign(const char* name, bool uniformSpacing,
                               ReinforcementCallback evaluate, int nLayers,
                               const double* catalogue, int catalogueSize,
                               const double* spacingRange, const double* widths, int m,
                               double* diameters, double* spacings, double* f, double* reals,
                               int* ints)
{
    return guardEntryPoint(name, 0, [&] {
        ReinforcementProblem problem;
        problem.name = name;
        problem.layers = nLayers;
        problem.uniformSpacing = uniformSpacing;
        return runReinforcementDesign(problem, evaluate, catalogue, catalogueSize, spacingRange,
                                      widths, m, diameters, spacings, f, reals, ints);
    });
}

} // namespace

} // namespace Opt

extern "C" ZELKOR_API int runMicroGA(VectorCallback evaluate, std::vector<double>* x,
                                     std::vector<double>* f,
                                     const std::vector<std::vector<double>>* bounds, double* reals,
                                     int* ints, double* evaluationSeconds, double* engineSeconds,
                                     std::string* layout, double spacingStep, double spreadLength)
{
    return Opt::guardEntryPoint("runMicroGA", 0, [&] {
        return Opt::runLayoutMicroGA(evaluate, x, f, bounds, reals, ints, evaluationSeconds,
                                     engineSeconds, layout, spacingStep, spreadLength);
    });
}

extern "C" ZELKOR_API int runGA_ReinforcementDesign(ReinforcementCallback evaluate, int nLayers,
                                                    const double* catalogue, int catalogueSize,
                                                    const double* spacingRange,
                                                    const double* layerWidths, int m,
                                                    double* diameters, double* spacings,
                                                    double* f, double* reals, int* ints)
{
    return Opt::guardedReinforcementDesign("runGA_ReinforcementDesign", false, evaluate, nLayers,
                                           catalogue, catalogueSize, spacingRange, layerWidths, m,
                                           diameters, spacings, f, reals, ints);
}

extern "C" ZELKOR_API int runGA_ReinforcementDesign_UniSpace(
    ReinforcementCallback evaluate, int nLayers, const double* catalogue, int catalogueSize,
    const double* spacingRange, const double* layerWidths, int m, double* diameters,
    double* spacings, double* f, double* reals, int* ints)
{
    return Opt::guardedReinforcementDesign("runGA_ReinforcementDesign_UniSpace", true, evaluate,
                                           nLayers, catalogue, catalogueSize, spacingRange,
                                           layerWidths, m, diameters, spacings, f, reals, ints);
}
