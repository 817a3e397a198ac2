// The demo: bundled problems solved through the library's general entry point
// Zelkor, each with its run report, then a table of what was found against the
// known optimum.
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
};

// DIRECT: up to 100 iterations and 2000 samples.
const std::vector<int> kDirectInts = {-999, 100, 2000, -999, -999, -999, -999, -999, -999};
// SQP: 50 iterations, forward differences, objective tolerance 1e-4.
const std::vector<int> kSqpInts = {50, -999, -999, 1, -999, -999, -999, -999, -999};
const std::vector<double> kSqpReals = {1e-4, -999.0, -999.0, -999.0, -999.0, -999.0};
const std::vector<double> kUnsetReals(6, -999.0);

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
    return {atOptimum[0], feasible == 1, evaluations};
}

} // namespace

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
    std::printf("%-16s %-8s %14s %14s %11s %9s\n", "problem", "method", "found", "known",
                "evaluations", "feasible");
    for (std::size_t k = 0; k < problems.size(); ++k) {
        std::printf("%-16s %-8s %14.6f %14.6f %11d %9s\n", problems[k].name, problems[k].method,
                    outcomes[k].objective, problems[k].knownOptimum, outcomes[k].evaluations,
                    outcomes[k].feasible ? "yes" : "no");
    }
    std::printf("\nEach run rewrites QUORAL_result/OPT_RESULT.txt; it holds the last one.\n");
    return 0;
}
