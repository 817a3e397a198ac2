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
    std::vector<int> ints; // the method's user parameters (unset: -999)
    double objectiveScale; // the objective as printed = f[0] * objectiveScale
};

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

// Sandgren's pressure vessel (1990): a cylindrical vessel with hemispherical
// heads; shell and head thicknesses come in steps of 0.0625 in, radius and length
// are continuous. Cost in thousands of dollars, constraints relative to their
// limits: thickness against radius (ASME code), volume of at least 1296000 in^3,
// length at most 240 in.
constexpr double kPlateStep = 0.0625;

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
    std::vector<double> reals(6, -999.0);
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
    std::vector<double> plates;
    for (int k = 1; k <= 99; ++k) {
        plates.push_back(k * kPlateStep);
    }
    std::vector<double> plateList = {plates.front()};
    plateList.insert(plateList.end(), plates.begin(), plates.end());
    plateList.push_back(plates.back());
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

// Whether this build holds the SQP engine that the hybrid GA's local searches
// run on: Zelkor returns without calling the host for a method it cannot build.
bool hasSqpEngine()
{
    static const DemoProblem probe = {"probe", "SQP", 1, {0.5}, {{0.0, 1.0}}, 1,
                                      [](const double* x, double* f) { f[0] = x[0] * x[0]; },
                                      0.0, "", std::vector<int>(5, -999), 1.0};
    solve(probe, 0);
    return evaluations > 0;
}

} // namespace

int main()
{
    std::printf("Zelkor %s demo\n\n", zelkorVersion());
    // DIRECT: user ints[1] iteration limit, [2] sample budget. GA: [1] evaluations,
    // [5] population, [6] generations without improvement. Hybrid GA: also [0]
    // the local searches' iterations and [3] their gradients (1: forward
    // differences).
    const std::vector<int> directInts = {-999, 100, 2000, -999, -999, -999, -999};
    const std::vector<int> gaInts = {-999, 30000, -999, -999, -999, 100, 200};
    const std::vector<int> hybridInts = {20, 30000, -999, 1, -999, 21, 200};
    const std::vector<double> vesselStart = {1.0, 1.0, 50.0, 100.0};
    const std::vector<std::vector<double>> vesselBounds = {
        {kPlateStep, 99 * kPlateStep}, {kPlateStep, 99 * kPlateStep}, {10, 200}, {10, 200}};
    std::vector<DemoProblem> problems = {
        {"six-hump camel", "DIRECT", 0, {2.5, 1.5}, {{-3, 3}, {-2, 2}}, 1, sixHumpCamel,
         -1.0316285, "Dixon & Szego 1978", directInts, 1.0},
        {"Mishra's bird", "DIRECT", 0, {-1.0, -1.0}, {{-10, 0}, {-6.5, 0}}, 2, mishraBird,
         -106.7645367, "Mishra 2006", directInts, 1.0},
        {"pressure vessel", "GA", 2, vesselStart, vesselBounds, 5, pressureVessel, 6059.714335,
         "Sandgren 1990", gaInts, 1000.0},
    };
    const bool hybridRuns = hasSqpEngine();
    if (hybridRuns) {
        problems.push_back({"pressure vessel", "HYBRIDGA", 4, vesselStart, vesselBounds, 5,
                            pressureVessel, 6059.714335, "Sandgren 1990", hybridInts, 1000.0});
    }
    std::vector<Outcome> outcomes;
    for (const DemoProblem& problem : problems) {
        std::printf("==== %s (%s) by %s\n", problem.name, problem.source, problem.method);
        // Report level 11: the banner, the problem and the closing lines on the
        // console, the whole history in QUORAL_result/OPT_RESULT.txt.
        outcomes.push_back(solve(problem, 11));
        std::printf("\n");
    }
    std::printf("==== pressure vessel with plate lists (Sandgren 1990) by runGA\n");
    const Outcome listed = solveWithPlateLists();
    std::printf("\n%-16s %-8s %14s %14s %11s %9s\n", "problem", "method", "found", "known",
                "evaluations", "feasible");
    for (std::size_t k = 0; k < problems.size(); ++k) {
        std::printf("%-16s %-8s %14.6f %14.6f %11d %9s\n", problems[k].name, problems[k].method,
                    outcomes[k].objective, problems[k].knownOptimum, outcomes[k].evaluations,
                    outcomes[k].feasible ? "yes" : "no");
    }
    std::printf("%-16s %-8s %14.6f %14.6f %11d %9s\n", "pressure vessel", "runGA",
                listed.objective, 6059.714335, listed.evaluations, listed.feasible ? "yes" : "no");
    if (!hybridRuns) {
        std::printf("(the hybrid GA needs the SQP engine for its local searches; this build has "
                    "none)\n");
    }
    std::printf("\nThe result file of the last run is QUORAL_result/OPT_RESULT.txt.\n");
    return 0;
}
