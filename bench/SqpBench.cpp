// SQP benchmark: the Hock-Schittkowski reference table and the curved valleys
// (HS1-HS5, HS38) solved through Zelkor method 1 with forward differences and
// with host gradients (evaluations, final error, feasibility); the engine's
// rules changed one at a time from C++ (the merit's weighting before and after,
// and two proposed changes of the line search); and the time of the dual
// active-set QP solver on random strictly convex QPs with n = m = 10, 50, 200
// (median of repeats).
//
// The side-by-side comparison with SciPy's SLSQP is bench/sqp_vs_slsqp.py,
// which loads the shared library and runs both on the same problems.
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "SqpValleyProblems.h"
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

using ProblemTable = std::vector<HockSchittkowskiProblem>;

// The valleys run up to 200 iterations: at the default 30 the runs that crawl
// along the valley floor end by the iteration limit, which hides how they crawl.
constexpr int kValleyIterations = 200;
constexpr int kDefaultIterations = -999;
constexpr double kDefaultTolerance = -999.0;

double relativeError(const HockSchittkowskiProblem& problem, double objective)
{
    return std::fabs(objective - problem.optimum) / std::max(1.0, std::fabs(problem.optimum));
}

Outcome solve(const HockSchittkowskiProblem& problem, int gradientMode, double objectiveTolerance,
              int maxIterations)
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
    int ints[5] = {maxIterations, -999, -999, gradientMode, -999};
    double reals[4] = {objectiveTolerance, -999.0, -999.0, -999.0};
    Outcome outcome;
    outcome.feasible = Zelkor(1, 0, respond, n, x.data(), bounds.data(), m, f.data(), 0, ints, 0,
                              reals, gradientMode == 3 ? differentiate : nullptr);
    std::vector<double> final(static_cast<std::size_t>(m));
    problem.responses(x.data(), final.data());
    outcome.objective = final[0];
    outcome.relativeError = relativeError(problem, final[0]);
    outcome.largestConstraint = m > 1 ? *std::max_element(final.begin() + 1, final.end()) : 0.0;
    return outcome;
}

void referenceProblems(const ProblemTable& problems, double objectiveTolerance, int maxIterations)
{
    char tolerance[32] = "default";
    if (objectiveTolerance >= 0.0) {
        std::snprintf(tolerance, sizeof tolerance, "%g", objectiveTolerance);
    }
    std::printf("Through Zelkor method 1 (objectiveTolerance %s, maxIterations %s)\n", tolerance,
                maxIterations < 0 ? "default" : std::to_string(maxIterations).c_str());
    std::printf("%-6s %3s %3s | %-34s | %-40s\n", "", "", "",
                "forward differences", "host gradients");
    std::printf("%-6s %3s %3s | %6s %11s %10s %3s | %6s %5s %11s %10s %3s\n", "problem", "n",
                "m", "evals", "rel.error", "max g", "ok", "evals", "grads", "rel.error", "max g",
                "ok");
    int totals[2] = {0, 0};
    for (const HockSchittkowskiProblem& problem : problems) {
        const Outcome differences = solve(problem, 1, objectiveTolerance, maxIterations);
        const int differenceEvaluations = responseCalls;
        const Outcome host = solve(problem, 3, objectiveTolerance, maxIterations);
        totals[0] += differenceEvaluations;
        totals[1] += responseCalls;
        std::printf("%-7s %3d %3d | %6d %11.2e %10.2e %3s | %6d %5d %11.2e %10.2e %3s\n",
                    problem.name.c_str(), problem.nVariables(), problem.nResponses - 1,
                    differenceEvaluations, differences.relativeError,
                    differences.largestConstraint, differences.feasible ? "yes" : "no",
                    responseCalls, gradientCalls, host.relativeError, host.largestConstraint,
                    host.feasible ? "yes" : "no");
    }
    std::printf("%-15s | %6d %27s | %6d\n", "total", totals[0], "", totals[1]);
    std::printf("(rel.error: |f - f*| / max(1, |f*|) at the final design; max g: largest "
                "constraint value there)\n\n");
}

// One run with forward differences through a session of our own, so that the
// engine's rules can be changed; returns the evaluations made.
int solveWithRules(const HockSchittkowskiProblem& problem,
                   const Opt::SequentialQuadraticProgramming::Rules& rules,
                   double objectiveTolerance, int maxIterations, Outcome& outcome)
{
    const int n = problem.nVariables();
    const int m = problem.nResponses;
    std::vector<std::vector<double>> bounds;
    for (int i = 0; i < n; ++i) {
        bounds.push_back({problem.lower[i], problem.upper[i]});
    }
    std::vector<int> ints(12, -999);
    std::vector<double> reals(12, -999.0);
    ints[3] = maxIterations;
    ints[5] = 1; // forward differences
    reals[0] = objectiveTolerance;
    std::vector<double> x = problem.start;
    std::vector<double> f(static_cast<std::size_t>(m));
    Opt::OptEngineMain session(n, m, x, bounds, reals.data(), ints.data(),
                               Opt::SequentialQuadraticProgramming::kMethodCode, 0);
    std::static_pointer_cast<Opt::SequentialQuadraticProgramming>(session.engine)->setRules(rules);
    problem.responses(x.data(), f.data());
    int evaluations = 1;
    int state = 3;
    while (true) {
        state = session.runOptEngine(x.data(), f.data(), nullptr);
        if (state != 1 && state != 2 && state != 3) {
            break;
        }
        if (state == 1) {
            problem.responses(x.data(), f.data());
            ++evaluations;
        }
    }
    problem.responses(x.data(), f.data());
    outcome.relativeError = relativeError(problem, f[0]);
    outcome.largestConstraint = m > 1 ? *std::max_element(f.begin() + 1, f.end()) : 0.0;
    outcome.feasible = state == 0 && outcome.largestConstraint <= 1e-4;
    return evaluations;
}

struct RuleVariant {
    const char* name;
    Opt::SequentialQuadraticProgramming::Rules rules;
};

// Each problem once per variant, side by side, with the total evaluations.
void compareRules(const ProblemTable& problems, const RuleVariant (&variants)[2],
                  double objectiveTolerance, int maxIterations, int (&totals)[2])
{
    for (const HockSchittkowskiProblem& problem : problems) {
        std::printf("%-7s |", problem.name.c_str());
        for (int k = 0; k < 2; ++k) {
            Outcome outcome;
            const int evaluations =
                solveWithRules(problem, variants[k].rules, objectiveTolerance, maxIterations, outcome);
            totals[k] += evaluations;
            std::printf(" %6d %11.2e %10.2e %3s%s", evaluations, outcome.relativeError,
                        outcome.largestConstraint, outcome.feasible ? "yes" : "no",
                        k == 0 ? " |" : "\n");
        }
    }
}

void printRuleHeader(const char* title, const RuleVariant (&variants)[2])
{
    std::printf("%s\n", title);
    std::printf("%-7s | %-34s | %-34s\n", "", variants[0].name, variants[1].name);
    std::printf("%-7s | %6s %11s %10s %3s | %6s %11s %10s %3s\n", "problem", "evals", "rel.error",
                "max g", "ok", "evals", "rel.error", "max g", "ok");
}

// The merit's weighting of violations, before and after the deviation. With
// u_j|g_j| every full step near HS34's solution (forward differences) raises
// the merit slightly, the search shrinks the step ten times and the run ends
// infeasible; the penalty r_j >= |u_j| is the engine's default. (The other
// deviation, the accepted trial taken over as the next base point, has no
// switch: the engine no longer evaluates that design again.)
void meritExperiment()
{
    RuleVariant variants[2] = {{"before: u_j |g_j| (the method)", {}},
                               {"after: r_j |g_j| (the default)", {}}};
    variants[0].rules.violationWeightedByPenalty = false;
    printRuleHeader("Merit weighting of violations, forward differences, default settings",
                    variants);
    int totals[2] = {0, 0};
    compareRules(Opt::Reference::hockSchittkowskiProblems(), variants, kDefaultTolerance,
                 kDefaultIterations, totals);
    std::printf("%-7s | %6d %27s | %6d\n\n", "total", totals[0], "", totals[1]);
}

// Two proposed changes of the line search, measured together (each alone is
// in the engine's Rules comment): a search that finds no decrease ends the run
// at the current design instead of accepting its last trial, and the relative
// objective change ends a run only after a search accepted at its first trial.
// Forward differences, objective tolerance 1e-4; the valleys with up to 200
// iterations at 1e-4 and 1e-6.
void proposedRules()
{
    RuleVariant variants[2] = {{"the engine's default rules", {}},
                               {"failed search ends, full-step test", {}}};
    variants[1].rules.failedSearchEndsRun = true;
    variants[1].rules.objectiveTestOnFullStepsOnly = true;
    printRuleHeader("Proposed line-search rules, forward differences, objectiveTolerance 1e-4",
                    variants);
    int totals[2] = {0, 0};
    compareRules(Opt::Reference::hockSchittkowskiProblems(), variants, 1e-4, kDefaultIterations,
                 totals);
    std::printf("%-7s | %6d %27s | %6d\n", "total", totals[0], "", totals[1]);
    for (double tolerance : {1e-4, 1e-6}) {
        std::printf("valleys, objectiveTolerance %g, up to %d iterations\n", tolerance,
                    kValleyIterations);
        int valleyTotals[2] = {0, 0};
        compareRules(Opt::Reference::valleyProblems(), variants, tolerance, kValleyIterations,
                     valleyTotals);
        std::printf("%-7s | %6d %27s | %6d\n", "total", valleyTotals[0], "", valleyTotals[1]);
    }
    std::printf("\n");
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
    const auto& references = Opt::Reference::hockSchittkowskiProblems();
    referenceProblems(references, kDefaultTolerance, kDefaultIterations);
    referenceProblems(references, 1e-4, kDefaultIterations);
    referenceProblems(Opt::Reference::valleyProblems(), 1e-4, kValleyIterations);
    meritExperiment();
    proposedRules();
    qpTimings();
    return 0;
}
