// SQP benchmark: the Hock-Schittkowski reference table solved through Zelkor
// method 1 with forward differences and with host gradients (evaluations,
// final error, feasibility), and the time of the dual active-set QP solver on
// random strictly convex QPs with n = m = 10, 50, 200 (median of repeats).
//
// The side-by-side comparison with SciPy's SLSQP is bench/sqp_vs_slsqp.py,
// which loads the shared library and runs both on the same problems.
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <vector>

#include "../tests/gradient/HockSchittkowskiProblems.h"
#include "api/zelkor.h"
#include "common/RandomSource.h"
#include "gradient/DualActiveSetQP.h"
#include "gradient/SequentialQuadraticProgramming.h"

namespace {

using Opt::Reference::HockSchittkowskiProblem;

const HockSchittkowskiProblem* activeProblem = nullptr;
int responseCalls = 0;
int gradientCalls = 0;

int respond(double* x, int, double* f, int)
{
    ++responseCalls;
    activeProblem->responses(x, f);
    return 0;
}

int differentiate(double* x, int, double** g, int)
{
    ++gradientCalls;
    Opt::Reference::exactGradients(*activeProblem, x, g);
    return 0;
}

struct Outcome {
    double objective = 0.0;
    double relativeError = 0.0;
    double largestConstraint = 0.0;
    int feasible = 0;
};

Outcome solve(const HockSchittkowskiProblem& problem, int gradientMode, double objectiveTolerance)
{
    activeProblem = &problem;
    responseCalls = 0;
    gradientCalls = 0;
    const int n = problem.nVariables();
    const int m = problem.nResponses;
    std::vector<double> x = problem.start;
    std::vector<double> f(static_cast<std::size_t>(m));
    std::vector<std::vector<double>> boxes;
    std::vector<double*> bounds;
    for (int i = 0; i < n; ++i) {
        boxes.push_back({problem.lower[i], problem.upper[i]});
    }
    for (auto& box : boxes) {
        bounds.push_back(box.data());
    }
    int ints[5] = {-999, -999, -999, gradientMode, -999};
    double reals[4] = {objectiveTolerance, -999.0, -999.0, -999.0};
    Outcome outcome;
    outcome.feasible = Zelkor(1, 0, respond, n, x.data(), bounds.data(), m, f.data(), 0, ints, 0,
                              reals, gradientMode == 3 ? differentiate : nullptr);
    std::vector<double> final(static_cast<std::size_t>(m));
    problem.responses(x.data(), final.data());
    outcome.objective = final[0];
    outcome.relativeError =
        std::fabs(final[0] - problem.optimum) / std::max(1.0, std::fabs(problem.optimum));
    outcome.largestConstraint = m > 1 ? *std::max_element(final.begin() + 1, final.end()) : 0.0;
    return outcome;
}

void referenceProblems(double objectiveTolerance)
{
    if (objectiveTolerance < 0.0) {
        std::printf("Hock-Schittkowski problems through Zelkor method 1 (default settings)\n");
    } else {
        std::printf("Hock-Schittkowski problems through Zelkor method 1 (objectiveTolerance %g)\n",
                    objectiveTolerance);
    }
    std::printf("%-6s %3s %3s | %-34s | %-40s\n", "", "", "",
                "forward differences", "host gradients");
    std::printf("%-6s %3s %3s | %6s %11s %10s %3s | %6s %5s %11s %10s %3s\n", "problem", "n",
                "m", "evals", "rel.error", "max g", "ok", "evals", "grads", "rel.error", "max g",
                "ok");
    for (const HockSchittkowskiProblem& problem : Opt::Reference::hockSchittkowskiProblems()) {
        const Outcome differences = solve(problem, 1, objectiveTolerance);
        const int differenceEvaluations = responseCalls;
        const Outcome host = solve(problem, 3, objectiveTolerance);
        std::printf("%-7s %3d %3d | %6d %11.2e %10.2e %3s | %6d %5d %11.2e %10.2e %3s\n",
                    problem.name.c_str(), problem.nVariables(), problem.nResponses - 1,
                    differenceEvaluations, differences.relativeError,
                    differences.largestConstraint, differences.feasible ? "yes" : "no",
                    responseCalls, gradientCalls, host.relativeError, host.largestConstraint,
                    host.feasible ? "yes" : "no");
    }
    std::printf("(rel.error: |f - f*| / max(1, |f*|) at the final design; max g: largest "
                "constraint value there)\n\n");
}

// One run with forward differences through a session of our own, so that the
// engine's rules can be changed; returns the evaluations made and counts in
// repeats those of the design evaluated just before (the accepted trial
// evaluated again as the next base point).
int solveWithRules(const HockSchittkowskiProblem& problem,
                   const Opt::SequentialQuadraticProgramming::Rules& rules, Outcome& outcome,
                   int& repeats)
{
    const int n = problem.nVariables();
    const int m = problem.nResponses;
    std::vector<std::vector<double>> bounds;
    for (int i = 0; i < n; ++i) {
        bounds.push_back({problem.lower[i], problem.upper[i]});
    }
    std::vector<int> ints(12, -999);
    std::vector<double> reals(12, -999.0);
    ints[5] = 1; // forward differences
    std::vector<double> x = problem.start;
    std::vector<double> f(static_cast<std::size_t>(m));
    Opt::OptEngineMain session(n, m, x, bounds, reals.data(), ints.data(),
                               Opt::SequentialQuadraticProgramming::kMethodCode, 0);
    std::static_pointer_cast<Opt::SequentialQuadraticProgramming>(session.engine)->setRules(rules);
    problem.responses(x.data(), f.data());
    int evaluations = 1;
    std::vector<double> last = x;
    int state = 3;
    while (true) {
        state = session.runOptEngine(x.data(), f.data(), nullptr);
        if (state != 1 && state != 2 && state != 3) {
            break;
        }
        if (state == 1) {
            problem.responses(x.data(), f.data());
            ++evaluations;
            repeats += x == last ? 1 : 0;
            last = x;
        }
    }
    problem.responses(x.data(), f.data());
    outcome.relativeError =
        std::fabs(f[0] - problem.optimum) / std::max(1.0, std::fabs(problem.optimum));
    outcome.largestConstraint = m > 1 ? *std::max_element(f.begin() + 1, f.end()) : 0.0;
    outcome.feasible = state == 0 && outcome.largestConstraint <= 1e-4;
    return evaluations;
}

// The merit weights a violation |g_j| by the QP multiplier u_j. On HS34 with
// forward differences that weight is too small near the solution: every full
// step raises the merit slightly, the search shrinks the step ten times and the
// run ends infeasible. Weighting by the penalty r_j >= |u_j| is the change
// measured beside it.
void meritExperiment()
{
    std::printf("Merit weighting of violations, forward differences, default settings\n");
    std::printf("%-7s | %-30s | %-30s\n", "", "u_j |g_j| (the engine's rule)", "r_j |g_j|");
    std::printf("%-7s | %6s %11s %10s %3s| %6s %11s %10s %3s\n", "problem", "evals", "rel.error",
                "max g", "ok", "evals", "rel.error", "max g", "ok");
    int totals[2] = {0, 0};
    int repeats[2] = {0, 0};
    for (const HockSchittkowskiProblem& problem : Opt::Reference::hockSchittkowskiProblems()) {
        std::printf("%-7s |", problem.name.c_str());
        for (int variant = 0; variant < 2; ++variant) {
            Opt::SequentialQuadraticProgramming::Rules rules;
            rules.violationWeightedByPenalty = variant == 1;
            Outcome outcome;
            const int evaluations = solveWithRules(problem, rules, outcome, repeats[variant]);
            totals[variant] += evaluations;
            std::printf(" %6d %11.2e %10.2e %3s%s", evaluations, outcome.relativeError,
                        outcome.largestConstraint, outcome.feasible ? "yes" : "no",
                        variant == 0 ? "|" : "\n");
        }
    }
    std::printf("%-7s | %6d %27s| %6d\n", "total", totals[0], "", totals[1]);
    std::printf("%-7s | %6d %27s| %6d\n", "repeats", repeats[0], "", repeats[1]);
    std::printf("(repeats: the accepted trial evaluated again as the next base point; a run that "
                "kept its responses would make the same designs without them)\n\n");
}

// A random strictly convex QP: B = MᵀM + I, rows through a random point so that
// the QP is feasible, a box of half-width 1.
Opt::DualActiveSetQP::Problem randomQp(int n, int m, std::uint32_t seed)
{
    Opt::RandomSource random(seed);
    auto symmetric = [&random]() { return 2.0 * random.uniform() - 1.0; };
    Opt::Matrix factor(n, n);
    for (int r = 0; r < n; ++r) {
        for (int c = 0; c < n; ++c) {
            factor(r, c) = symmetric();
        }
    }
    Opt::DualActiveSetQP::Problem qp;
    qp.hessian = Opt::Matrix(n, n);
    for (int r = 0; r < n; ++r) {
        for (int c = 0; c < n; ++c) {
            double sum = r == c ? 1.0 : 0.0;
            for (int k = 0; k < n; ++k) {
                sum += factor(k, r) * factor(k, c);
            }
            qp.hessian(r, c) = sum;
        }
    }
    std::vector<double> inside(static_cast<std::size_t>(n));
    for (int i = 0; i < n; ++i) {
        qp.linear.push_back(10.0 * symmetric());
        inside[i] = 0.5 * symmetric();
        qp.lower.push_back(-1.0);
        qp.upper.push_back(1.0);
    }
    qp.rows = Opt::Matrix(m, n);
    for (int j = 0; j < m; ++j) {
        double product = 0.0;
        for (int i = 0; i < n; ++i) {
            qp.rows(j, i) = symmetric();
            product += qp.rows(j, i) * inside[i];
        }
        qp.offsets.push_back(-product + 0.1 * random.uniform());
    }
    return qp;
}

void qpTimings()
{
    std::printf("DualActiveSetQP on random strictly convex QPs (n = m, box [-1, 1])\n");
    std::printf("%5s %8s %12s %12s %10s\n", "n", "repeats", "median ms", "min ms", "changes");
    for (int n : {10, 50, 200}) {
        const int repeats = n <= 50 ? 201 : 21;
        std::vector<double> milliseconds;
        int changes = 0;
        Opt::DualActiveSetQP solver;
        for (int k = 0; k < repeats; ++k) {
            const Opt::DualActiveSetQP::Problem qp = randomQp(n, n, 1000u + static_cast<std::uint32_t>(k));
            const auto start = std::chrono::steady_clock::now();
            const auto solution =
                solver.solve(qp, 0.0, Opt::DualActiveSetQP::standardIterationLimit(n, n));
            const auto stop = std::chrono::steady_clock::now();
            milliseconds.push_back(std::chrono::duration<double, std::milli>(stop - start).count());
            if (solution.status != Opt::DualActiveSetQP::Status::Solved) {
                std::printf("  seed %d: status %d\n", k, static_cast<int>(solution.status));
            }
            changes = std::max(changes, solution.iterations);
        }
        std::vector<double> sorted = milliseconds;
        std::sort(sorted.begin(), sorted.end());
        std::printf("%5d %8d %12.4f %12.4f %10d\n", n, repeats, sorted[sorted.size() / 2],
                    sorted.front(), changes);
    }
    std::printf("(changes: the most active-set changes in one solve)\n");
}

} // namespace

int main()
{
    referenceProblems(-999.0);
    referenceProblems(1e-4);
    meritExperiment();
    qpTimings();
    return 0;
}
