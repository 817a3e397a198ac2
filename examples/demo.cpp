// The demo: bundled problems solved through the library's general entry point
// Zelkor, each with its run report, then a table of what was found against the
// known optimum.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "zelkor.h"

namespace {

struct DemoProblem {
    const char* name;
    const char* method;
    int methodCode;
    std::vector<double> start;
    std::vector<std::vector<double>> bounds; // lower, upper
    int responses;
    void (*evaluate)(const double* x, double* f);
    double knownOptimum;
    const char* source;
    std::vector<int> ints;     // Zelkor's user parameters for the method
    std::vector<double> reals;
    double objectiveScale = 1.0; // the objective as printed = f[0] * objectiveScale
};

// DIRECT: up to 100 iterations and 2000 samples.
const std::vector<int> kDirectInts = {-999, 100, 2000, -999, -999, -999, -999, -999, -999};
// SQP: 50 iterations, forward differences, objective tolerance 1e-4.
const std::vector<int> kSqpInts = {50, -999, -999, 1, -999, -999, -999, -999, -999};
const std::vector<double> kSqpReals = {1e-4, -999.0, -999.0, -999.0, -999.0, -999.0};
const std::vector<double> kUnsetReals(6, -999.0);
// GA: 30000 evaluations, a population of 100, 200 generations without improvement.
const std::vector<int> kGaInts = {-999, 30000, -999, -999, -999, 100, 200};
// Hybrid GA: also 20 iterations and forward differences for its local searches.
const std::vector<int> kHybridInts = {20, 30000, -999, 1, -999, 21, 200};

// Six-hump camel back: six local minima, two of them global (Dixon and Szegö 1978).
void sixHumpCamel(const double* x, double* f)
{
    const double a = x[0] * x[0];
    f[0] = (4 - 2.1 * a + a * a / 3) * a + x[0] * x[1] + (-4 + 4 * x[1] * x[1]) * x[1] * x[1];
}

// Mishra's bird, constrained to a disc: many local minima, the global one on the
// edge of the feasible region (Mishra 2006).
void mishraBird(const double* x, double* f)
{
    const double a = 1 - std::cos(x[0]);
    const double b = 1 - std::sin(x[1]);
    f[0] = std::sin(x[1]) * std::exp(a * a) + std::cos(x[0]) * std::exp(b * b) +
           (x[0] - x[1]) * (x[0] - x[1]);
    f[1] = (x[0] + 5) * (x[0] + 5) + (x[1] + 5) * (x[1] + 5) - 25;
}

// Three-bar truss (Nowacki 1973): minimise the volume of two bar areas under
// three stress limits; load 2, allowable stress 2, length 100.
void threeBarTruss(const double* x, double* f)
{
    const double root2 = std::sqrt(2.0);
    const double load = 2.0;
    const double stress = 2.0;
    const double denominator = root2 * x[0] * x[0] + 2.0 * x[0] * x[1];
    f[0] = (2.0 * root2 * x[0] + x[1]) * 100.0;
    f[1] = (root2 * x[0] + x[1]) / denominator * load - stress;
    f[2] = x[1] / denominator * load - stress;
    f[3] = load / (root2 * x[1] + x[0]) - stress;
}

// Svanberg's (1987) cantilever of five hollow square segments: minimise the
// weight under one displacement limit.
void cantilever(const double* x, double* f)
{
    f[0] = 0.0624 * (x[0] + x[1] + x[2] + x[3] + x[4]);
    f[1] = 61.0 / std::pow(x[0], 3) + 37.0 / std::pow(x[1], 3) + 19.0 / std::pow(x[2], 3) +
           7.0 / std::pow(x[3], 3) + 1.0 / std::pow(x[4], 3) - 1.0;
}

// Sandgren's pressure vessel (1990): a cylindrical vessel with hemispherical
// heads; shell and head thicknesses come in steps of 0.0625 in, radius and length
// are continuous. Cost in thousands of dollars, constraints relative to their
// limits: thickness against radius (ASME code), volume of at least 1296000 in^3,
// length at most 240 in.
constexpr double kPlateStep = 0.0625;
constexpr double kVesselBestKnown = 6059.714335;

double toPlate(double thickness)
{
    return std::max(1.0, std::round(thickness / kPlateStep)) * kPlateStep;
}

void vesselResponses(double ts, double th, double r, double l, double* f)
{
    const double pi = 3.14159265358979323846;
    f[0] = (0.6224 * ts * r * l + 1.7781 * th * r * r + 3.1661 * ts * ts * l + 19.84 * ts * ts * r) /
           1000.0;
    f[1] = (0.0193 * r - ts) / 0.0193;
    f[2] = (0.00954 * r - th) / 0.00954;
    f[3] = 1.0 - (pi * r * r * l + 4.0 / 3.0 * pi * r * r * r) / 1296000.0;
    f[4] = l / 240.0 - 1.0;
}

// Through Zelkor the bounds are continuous: the host rolls each thickness to the
// nearest plate it can buy.
void pressureVessel(const double* x, double* f)
{
    vesselResponses(toPlate(x[0]), toPlate(x[1]), x[2], x[3], f);
}

const DemoProblem* current = nullptr;
int evaluations = 0;

int respond(double* x, int, double* f, int)
{
    ++evaluations;
    current->evaluate(x, f);
    return 0;
}

struct Outcome {
    double objective;
    bool feasible;
    int evaluations;
};

Outcome solve(const DemoProblem& problem, int reportLevel)
{
    current = &problem;
    evaluations = 0;
    std::vector<double> x = problem.start;
    std::vector<double> f(static_cast<std::size_t>(problem.responses));
    std::vector<double*> bounds;
    std::vector<std::vector<double>> boundPairs = problem.bounds;
    for (auto& pair : boundPairs) {
        bounds.push_back(pair.data());
    }
    std::vector<int> ints = problem.ints;
    std::vector<double> reals = problem.reals;
    const int feasible = Zelkor(problem.methodCode, reportLevel, respond,
                                static_cast<int>(x.size()), x.data(), bounds.data(),
                                problem.responses, f.data(), 0, ints.data(), 0, reals.data(),
                                nullptr);
    std::vector<double> atOptimum(f.size());
    problem.evaluate(x.data(), atOptimum.data());
    return {atOptimum[0] * problem.objectiveScale, feasible == 1, evaluations};
}

// The pressure vessel with the plate thicknesses as discrete design variables:
// runGA takes bound lists, [lower, allowed values..., upper], which Zelkor's
// two-value bounds cannot express.
int respondVessel(double* x, double* f)
{
    ++evaluations;
    vesselResponses(x[0], x[1], x[2], x[3], f);
    return 0;
}

Outcome solveWithPlateLists()
{
    std::vector<double> plateList = {kPlateStep};
    for (int k = 1; k <= 99; ++k) {
        plateList.push_back(k * kPlateStep);
    }
    plateList.push_back(99 * kPlateStep);
    const std::vector<std::vector<double>> bounds = {plateList, plateList, {10.0, 200.0},
                                                     {10.0, 200.0}};
    std::vector<double> x = {1.0, 1.0, 50.0, 100.0};
    std::vector<double> f(5);
    std::vector<int> ints(20, -999);
    std::vector<double> reals(20, -999.0);
    ints[2] = 100;   // population
    ints[3] = 300;   // generations
    ints[6] = 30000; // evaluations
    ints[10] = 300;  // generations without improvement
    ints[13] = 3;    // seed
    reals[0] = -1.0; // feasible designs rank first
    evaluations = 0;
    double evaluationSeconds = 0.0;
    double engineSeconds = 0.0;
    const int feasible = runGA(respondVessel, &x, &f, &bounds, reals.data(), ints.data(),
                               &evaluationSeconds, &engineSeconds);
    vesselResponses(x[0], x[1], x[2], x[3], f.data());
    std::printf("runGA: Ts %.4f, Th %.4f, R %.4f, L %.4f; %.3f s in the engine, %.3f s in the "
                "callback\n",
                x[0], x[1], x[2], x[3], engineSeconds, evaluationSeconds);
    return {f[0] * 1000.0, feasible == 1, evaluations};
}

} // namespace

// A surrogate study of the three-bar truss: a Latin hypercube of 30 designs
// evaluated by the host, kriging fitted to every response, the optimum found on
// the models by the genetic algorithm and verified by one more evaluation (or
// the best sampled design, when that is better); the
// models are kept in QUORAL_result/three_bar_truss.rsm for the model-file
// services.
Outcome surrogateStudy(const DemoProblem& truss)
{
    current = &truss;
    evaluations = 0;
    std::vector<double> x = {0.5, 0.5};
    std::vector<double> f(4);
    const double boundLists[] = {0.1, 1.0, 0.1, 1.0};
    const int latinHypercube[] = {2, 0, 0, 30};
    const int feasible = runRSMOPT(respond, 2, 4, x.data(), f.data(), boundLists, nullptr,
                                   latinHypercube, nullptr, nullptr,
                                   "QUORAL_result/three_bar_truss", 1);
    std::printf("returned design: areas %.4f %.4f, volume %.4f, largest stress limit %.2e\n",
                x[0], x[1], f[0], std::max({f[1], f[2], f[3]}));
    return {f[0], feasible == 1, evaluations};
}

int main()
{
    std::printf("Zelkor %s demo\n\n", zelkorVersion());
    const std::vector<DemoProblem> problems = {
        {"three-bar truss", "SQP", 1, {0.5, 0.5}, {{0.001, 1}, {0.001, 1}}, 4, threeBarTruss,
         263.8958434, "Nowacki 1973", kSqpInts, kSqpReals},
        {"cantilever", "SQP", 1, {5, 5, 5, 5, 5}, {{1, 10}, {1, 10}, {1, 10}, {1, 10}, {1, 10}}, 2,
         cantilever, 1.3399564, "Svanberg 1987", kSqpInts, kSqpReals},
        {"six-hump camel", "DIRECT", 0, {2.5, 1.5}, {{-3, 3}, {-2, 2}}, 1, sixHumpCamel,
         -1.0316285, "Dixon & Szego 1978", kDirectInts, kUnsetReals},
        {"Mishra's bird", "DIRECT", 0, {-1.0, -1.0}, {{-10, 0}, {-6.5, 0}}, 2, mishraBird,
         -106.7645367, "Mishra 2006", kDirectInts, kUnsetReals},
        {"pressure vessel", "GA", 2, {1.0, 1.0, 50.0, 100.0},
         {{kPlateStep, 99 * kPlateStep}, {kPlateStep, 99 * kPlateStep}, {10, 200}, {10, 200}}, 5,
         pressureVessel, kVesselBestKnown, "Sandgren 1990", kGaInts, kUnsetReals, 1000.0},
        {"pressure vessel", "HYBRIDGA", 4, {1.0, 1.0, 50.0, 100.0},
         {{kPlateStep, 99 * kPlateStep}, {kPlateStep, 99 * kPlateStep}, {10, 200}, {10, 200}}, 5,
         pressureVessel, kVesselBestKnown, "Sandgren 1990", kHybridInts, kUnsetReals, 1000.0},
    };
    std::vector<Outcome> outcomes;
    for (const DemoProblem& problem : problems) {
        std::printf("==== %s (%s) by %s\n", problem.name, problem.source, problem.method);
        // Report level 13 prints the whole run report (10 + 3) and keeps the
        // history for QUORAL_result/OPT_RESULT.txt; the global searches, with
        // their hundreds of iterations, print at level 1 only.
        outcomes.push_back(solve(problem, problem.methodCode == 1 ? 13 : 11));
        std::printf("\n");
    }
    std::printf("==== pressure vessel with plate lists (Sandgren 1990) by runGA\n");
    const Outcome listed = solveWithPlateLists();
    std::printf("\n==== three-bar truss (Nowacki 1973) by a surrogate study, runRSMOPT\n");
    const Outcome study = surrogateStudy(problems.front());
    std::printf("\n%-16s %-8s %14s %14s %11s %9s\n", "problem", "method", "found", "known",
                "evaluations", "feasible");
    for (std::size_t k = 0; k < problems.size(); ++k) {
        std::printf("%-16s %-8s %14.6f %14.6f %11d %9s\n", problems[k].name, problems[k].method,
                    outcomes[k].objective, problems[k].knownOptimum, outcomes[k].evaluations,
                    outcomes[k].feasible ? "yes" : "no");
    }
    std::printf("%-16s %-8s %14.6f %14.6f %11d %9s\n", "pressure vessel", "runGA",
                listed.objective, kVesselBestKnown, listed.evaluations, listed.feasible ? "yes" : "no");
    std::printf("%-16s %-8s %14.6f %14.6f %11d %9s\n", "three-bar truss", "RSM", study.objective,
                problems.front().knownOptimum, study.evaluations, study.feasible ? "yes" : "no");
    std::printf("\nEach run rewrites QUORAL_result/OPT_RESULT.txt; it holds the last one.\n"
                "A surrogate study's optimum is as good as its models where it lies: on a\n"
                "constraint their error can put it just outside, and runRSMOPT then returns\n"
                "the best feasible design it sampled instead.\n");
    return 0;
}
