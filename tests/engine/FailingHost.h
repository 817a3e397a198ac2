#pragma once

#include <algorithm>
#include <cmath>
#include <functional>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "bench/TestFunctions.h"

namespace Opt::Testing {

// A problem as the host evaluates it: f[0] the objective, f[1..m-1] constraints
// feasible at or below 0.
struct HostProblem {
    std::string name;
    std::vector<std::vector<double>> bounds; // [lower, upper] per variable
    int m;
    std::function<void(const double* x, double* f)> evaluate;
};

// Two unconstrained problems of the global-optimisation benchmark and the
// constrained quadratic of Bracken and McCormick (1968): minimise (x - 2)^2 +
// (y - 1)^2 subject to x^2 - y <= 0 and x + y - 2 <= 0, optimum 1 at (1, 1).
inline std::vector<HostProblem> failureProblems()
{
    std::vector<HostProblem> problems;
    for (const Bench::TestFunction& t : Bench::globalTestFunctions()) {
        if (t.name == "Branin" || t.name == "Six-hump camel") {
            problems.push_back({t.name, {{t.lower[0], t.upper[0]}, {t.lower[1], t.upper[1]}}, 1,
                                [value = t.value](const double* x, double* f) { f[0] = value(x); }});
        }
    }
    problems.push_back({"Bracken-McCormick", {{-2.0, 3.0}, {-2.0, 3.0}}, 3, [](const double* x, double* f) {
                            f[0] = (x[0] - 2.0) * (x[0] - 2.0) + (x[1] - 1.0) * (x[1] - 1.0);
                            f[1] = x[0] * x[0] - x[1];
                            f[2] = x[0] + x[1] - 2.0;
                        }});
    return problems;
}

// A host whose evaluations fail at random: with probability `rate` one response
// (in turn over the responses) comes back as NaN, +infinity or 1e100 (in turn).
// It records every evaluation that did not fail (injected or not), so that a run's result can be
// checked against what the host really returned. The engines' callbacks are
// plain functions: the host under test is the one set active.
class FailingHost {
public:
    FailingHost(HostProblem problem, double rate, unsigned seed)
        : problem(std::move(problem)), rate(rate), draws(seed)
    {
        active = this;
    }
    ~FailingHost() { active = nullptr; }

    static int evaluate(double* x, int n, double* f, int m)
    {
        active->respond(x, n, f, m);
        return 0;
    }

    // Whether x and f are a design this host evaluated without failure and the
    // responses it returned there (x within tolerance of the evaluated design, for
    // engines that hand it back through normalised coordinates).
    bool evaluatedWithoutFailure(const double* x, const double* f, double tolerance = 0.0) const
    {
        for (std::size_t k = 0; k < designs.size(); ++k) {
            if (closeTo(designs[k], x, tolerance) && sameResponses(responses[k], f)) {
                return true;
            }
        }
        return false;
    }

    HostProblem problem;
    double rate;
    int evaluations = 0;
    int failures = 0;

private:
    void respond(const double* x, int n, double* f, int m)
    {
        ++evaluations;
        problem.evaluate(x, f);
        if (std::uniform_real_distribution<double>(0.0, 1.0)(draws) < rate) {
            const double failed[] = {std::numeric_limits<double>::quiet_NaN(),
                                     std::numeric_limits<double>::infinity(), 1e100};
            f[failures % m] = failed[failures % 3];
            ++failures;
        }
        // A problem may fail on its own too: only finite responses below 1e100 count.
        if (std::all_of(f, f + m, [](double v) { return std::fabs(v) < 1e100; })) {
            designs.emplace_back(x, x + n);
            responses.emplace_back(f, f + m);
        }
    }

    static bool closeTo(const std::vector<double>& design, const double* x, double tolerance)
    {
        for (std::size_t i = 0; i < design.size(); ++i) {
            if (!(std::fabs(design[i] - x[i]) <= tolerance)) {
                return false;
            }
        }
        return true;
    }

    static bool sameResponses(const std::vector<double>& values, const double* f)
    {
        for (std::size_t j = 0; j < values.size(); ++j) {
            if (!(values[j] == f[j])) {
                return false;
            }
        }
        return true;
    }

    std::mt19937 draws;
    std::vector<std::vector<double>> designs;
    std::vector<std::vector<double>> responses;
    static inline FailingHost* active = nullptr;
};

} // namespace Opt::Testing
