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
    std::vector<int> ints(9, -999);
    std::vector<double> reals(6, -999.0);
    ints[1] = 100;  // DIRECT: iteration limit
    ints[2] = 2000; // DIRECT: sample budget
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
        {"six-hump camel", "DIRECT", 0, {2.5, 1.5}, {{-3, 3}, {-2, 2}}, 1, sixHumpCamel,
         -1.0316285, "Dixon & Szego 1978"},
        {"Mishra's bird", "DIRECT", 0, {-1.0, -1.0}, {{-10, 0}, {-6.5, 0}}, 2, mishraBird,
         -106.7645367, "Mishra 2006"},
    };
    std::vector<Outcome> outcomes;
    for (const DemoProblem& problem : problems) {
        std::printf("==== %s (%s) by %s\n", problem.name, problem.source, problem.method);
        // Report level 11: the banner, the problem and the closing lines on the
        // console, the whole history in QUORAL_result/OPT_RESULT.txt.
        outcomes.push_back(solve(problem, 11));
        std::printf("\n");
    }
    std::printf("%-16s %-8s %14s %14s %11s %9s\n", "problem", "method", "found", "known",
                "evaluations", "feasible");
    for (std::size_t k = 0; k < problems.size(); ++k) {
        std::printf("%-16s %-8s %14.6f %14.6f %11d %9s\n", problems[k].name, problems[k].method,
                    outcomes[k].objective, problems[k].knownOptimum, outcomes[k].evaluations,
                    outcomes[k].feasible ? "yes" : "no");
    }
    std::printf("\nThe result file of the last run is QUORAL_result/OPT_RESULT.txt.\n");
    return 0;
}
