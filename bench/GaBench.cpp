// The genetic algorithms (GA, micro-GA, hybrid GA) on standard problems with
// known best values, beside pagmo2's simple genetic algorithm (sga) at the same
// evaluation budget, and the time per design of ours and sga on a trivial problem.
//
// Problems: the 10-D Rastrigin and Ackley functions, and three constrained
// engineering designs of the GA literature: the pressure vessel and the welded
// beam (bench/EngineeringProblems.h) and the tension/compression spring
// (Belegundu 1982, Arora 1989). Constraints are written g <= 0, scaled to order
// one.
//
// A run that ends in an error counts as n/a.
//
// Each method runs with five seeds; the table gives the median of the final
// design's objective (a final design that violates a constraint by more than 1e-6
// is counted infeasible and shown with a star), the best of the five, how many of
// the five reached the best known value (feasible, objective within 0.01% of it,
// or within 1e-4 of a best known 0), and the mean number of evaluations.
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <functional>
#include <limits>
#include <string>
#include <vector>

#include "api/zelkor.h"
#include "bench/EngineeringProblems.h"
#include "ga/HybridGA.h"
#include "session/EngineBuilder.h"
#include "tests/ga/GATestSupport.h"

#ifdef ZELKOR_BENCH_WITH_PAGMO
#include <pagmo/algorithms/sga.hpp>
#include <pagmo/population.hpp>
#include <pagmo/problem.hpp>
#include <pagmo/problems/unconstrain.hpp>
#endif

namespace {

using Clock = std::chrono::steady_clock;
constexpr double kPi = 3.14159265358979323846;
constexpr int kBudget = 10000;
constexpr int kSeeds = 5;
constexpr double kFeasibilityTolerance = 1e-6;
constexpr double kReachedTolerance = 1e-4; // relative, absolute for a best known 0

using Problem = Bench::ConstrainedProblem;

double rastrigin(const double* x, int n)
{
    double sum = 10.0 * n;
    for (int i = 0; i < n; ++i) {
        sum += x[i] * x[i] - 10.0 * std::cos(2.0 * kPi * x[i]);
    }
    return sum;
}

double ackley(const double* x, int n)
{
    double squares = 0.0;
    double cosines = 0.0;
    for (int i = 0; i < n; ++i) {
        squares += x[i] * x[i];
        cosines += std::cos(2.0 * kPi * x[i]);
    }
    return -20.0 * std::exp(-0.2 * std::sqrt(squares / n)) - std::exp(cosines / n) + 20.0 + std::exp(1.0);
}

std::vector<Problem> problems()
{
    return {
        {"Rastrigin-10", std::vector<double>(10, -5.12), std::vector<double>(10, 5.12), 0, 0.0,
         [](const double* x, double* f) { f[0] = rastrigin(x, 10); }},
        {"Ackley-10", std::vector<double>(10, -32.768), std::vector<double>(10, 32.768), 0, 0.0,
         [](const double* x, double* f) { f[0] = ackley(x, 10); }},
        Bench::pressureVesselProblem(),
        Bench::weldedBeamProblem(),
        {"spring", {0.05, 0.25, 2.0}, {2.0, 1.3, 15.0}, 4, 0.012665, Opt::GATesting::springDesign},
    };
}

struct Outcome {
    double objective = std::numeric_limits<double>::quiet_NaN();
    bool feasible = false;
    int evaluations = 0;
};

Outcome judge(const Problem& problem, const std::vector<double>& x, int evaluations)
{
    std::vector<double> f(static_cast<std::size_t>(problem.constraints + 1));
    problem.evaluate(x.data(), f.data());
    Outcome outcome;
    outcome.objective = f[0];
    outcome.feasible = std::all_of(f.begin() + 1, f.end(), [](double g) { return g <= kFeasibilityTolerance; });
    outcome.evaluations = evaluations;
    return outcome;
}

// Our engines stepped through a session, as the array entry points do.
Outcome runOurs(const Problem& problem, int engineType, int seed)
{
    std::vector<int> ints(Opt::HybridGA::kIntCount, -999);
    std::vector<double> reals(Opt::HybridGA::kRealCount, -999.0);
    ints[6] = kBudget;
    ints[10] = 100000; // no stall stop: the whole budget
    ints[13] = seed;
    reals[0] = problem.constraints > 0 ? -1.0 : -999.0; // feasibility first
    if (engineType == 1) {
        ints[2] = 100;
        ints[3] = kBudget / 100;
    } else {
        ints[3] = 1000000;
        ints[23] = 30; // inner SQP: iterations
        ints[25] = 1;  // inner SQP: forward differences
    }
    const int n = static_cast<int>(problem.lower.size());
    const int m = problem.constraints + 1;
    std::vector<std::vector<double>> bounds;
    for (int i = 0; i < n; ++i) {
        bounds.push_back({problem.lower[static_cast<std::size_t>(i)], problem.upper[static_cast<std::size_t>(i)]});
    }
    std::vector<double> x = problem.lower;
    std::vector<double> f(static_cast<std::size_t>(m));
    Opt::OptEngineMain session(n, m, x, bounds, reals.data(), ints.data(), engineType, 0);
    int evaluations = 0;
    int state = 3;
    while (state == 1 || state == 2 || state == 3) {
        if (state == 1) {
            problem.evaluate(x.data(), f.data());
            ++evaluations;
        }
        state = session.runOptEngine(x.data(), f.data(), nullptr);
    }
    if (state != 0) {
        return Outcome();
    }
    return judge(problem, x, evaluations);
}

#ifdef ZELKOR_BENCH_WITH_PAGMO
int pagmoEvaluations = 0;

struct PagmoProblem {
    const Problem* problem = nullptr;
    pagmo::vector_double fitness(const pagmo::vector_double& x) const
    {
        ++pagmoEvaluations;
        pagmo::vector_double f(static_cast<std::size_t>(problem->constraints + 1));
        problem->evaluate(x.data(), f.data());
        return f;
    }
    std::pair<pagmo::vector_double, pagmo::vector_double> get_bounds() const
    {
        return {problem->lower, problem->upper};
    }
    pagmo::vector_double::size_type get_nic() const
    {
        return static_cast<pagmo::vector_double::size_type>(problem->constraints);
    }
};

Outcome runPagmo(const Problem& problem, int seed)
{
    constexpr unsigned kPopulation = 100;
    pagmoEvaluations = 0;
    pagmo::problem base{PagmoProblem{&problem}};
    pagmo::problem wrapped = problem.constraints > 0
                                 ? pagmo::problem{pagmo::unconstrain{base, "kuri"}}
                                 : base;
    pagmo::population population{wrapped, kPopulation, static_cast<unsigned>(seed)};
    pagmo::algorithm algorithm{pagmo::sga(kBudget / kPopulation - 1, .90, 1., 0.02, 1., 2u,
                                          "exponential", "polynomial", "tournament",
                                          static_cast<unsigned>(seed))};
    population = algorithm.evolve(population);
    return judge(problem, population.champion_x(), pagmoEvaluations);
}
#endif

struct Summary {
    std::string median = "n/a";
    std::string best = "n/a";
    int reached = 0;
    int evaluations = 0;
};

bool reachesBestKnown(const Outcome& outcome, double bestKnown)
{
    const double scale = bestKnown == 0.0 ? 1.0 : std::fabs(bestKnown);
    return outcome.feasible && outcome.objective <= bestKnown + kReachedTolerance * scale;
}

std::string shown(const Outcome& outcome)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.6g%s", outcome.objective, outcome.feasible ? "" : "*");
    return text;
}

Summary summarise(std::vector<Outcome> outcomes, double bestKnown)
{
    Summary summary;
    outcomes.erase(std::remove_if(outcomes.begin(), outcomes.end(),
                                  [](const Outcome& o) { return std::isnan(o.objective); }),
                   outcomes.end());
    if (outcomes.empty()) {
        return summary;
    }
    // Feasible before infeasible, then by objective.
    std::sort(outcomes.begin(), outcomes.end(), [](const Outcome& a, const Outcome& b) {
        return a.feasible != b.feasible ? a.feasible : a.objective < b.objective;
    });
    summary.median = shown(outcomes[outcomes.size() / 2]);
    summary.best = shown(outcomes.front());
    long total = 0;
    for (const Outcome& o : outcomes) {
        total += o.evaluations;
        summary.reached += reachesBestKnown(o, bestKnown) ? 1 : 0;
    }
    summary.evaluations = static_cast<int>(total / static_cast<long>(outcomes.size()));
    return summary;
}

void compareOnProblems()
{
    const bool hybridAvailable = Opt::findEngineBuilder(Opt::HybridGA::kInnerEngineType) != nullptr &&
                                 Opt::findEngineBuilder(Opt::HybridGA::kInnerEngineType)->buildFromHost;
    std::printf("Median and best final objective over %d seeds, budget %d evaluations "
                "(* infeasible; n/a: every run ended in an error)\n",
                kSeeds, kBudget);
    std::printf("%-16s %-9s %12s %12s %12s %7s %11s\n", "problem", "method", "median", "best",
                "best known", "reached", "evaluations");
    for (const Problem& problem : problems()) {
        struct Method {
            const char* name;
            std::function<Outcome(int)> run;
        };
        std::vector<Method> methods = {
            {"GA", [&](int seed) { return runOurs(problem, 1, seed); }},
            {"micro-GA", [&](int seed) { return runOurs(problem, 4, seed); }},
            {"hybrid", [&](int seed) { return hybridAvailable ? runOurs(problem, 5, seed) : Outcome(); }},
#ifdef ZELKOR_BENCH_WITH_PAGMO
            {"pagmo sga", [&](int seed) { return runPagmo(problem, seed); }},
#endif
        };
        for (const Method& method : methods) {
            std::vector<Outcome> outcomes;
            for (int seed = 1; seed <= kSeeds; ++seed) {
                outcomes.push_back(method.run(seed));
            }
            const Summary summary = summarise(outcomes, problem.bestKnown);
            std::printf("%-16s %-9s %12s %12s %12.6g %5d/%d %11d\n", problem.name.c_str(),
                        method.name, summary.median.c_str(), summary.best.c_str(), problem.bestKnown,
                        summary.reached, kSeeds, summary.evaluations);
        }
    }
    if (!hybridAvailable) {
        std::printf("(hybrid: no engine of type 0 in this build for its local searches)\n");
    }
}

// Time per design against a trivial callback, ours beside pagmo2's sga on the same
// problem and budget: N = 251, n = 20, 40 generations. Clock reads around every step or callback would cost about as
// much as the work they time, so each figure comes from timing a whole run (or a
// million callbacks) once, and the median of several repeats is shown.
constexpr int kTimedPopulation = 251;
constexpr int kTimedVariables = 20;
constexpr int kTimedGenerations = 40;
constexpr int kTimingRepeats = 7;

int sphere(double* x, double* f)
{
    double sum = 0.0;
    for (int i = 0; i < kTimedVariables; ++i) {
        sum += x[i] * x[i];
    }
    f[0] = sum;
    return 0;
}

// Called through a volatile pointer, so that the compiler cannot fold the calls
// of the timing loops into one another.
int (*volatile trivialCallback)(double*, double*) = sphere;

struct TimedSettings {
    std::vector<int> ints = std::vector<int>(20, -999);
    std::vector<double> reals = std::vector<double>(20, -999.0);
    std::vector<std::vector<double>> bounds =
        std::vector<std::vector<double>>(kTimedVariables, {-1.0, 1.0});

    explicit TimedSettings(bool repository)
    {
        ints[2] = kTimedPopulation;
        ints[3] = kTimedGenerations;
        ints[6] = 1000000;
        ints[14] = repository ? 1 : 0;
    }
};

double secondsSince(Clock::time_point start)
{
    return std::chrono::duration<double>(Clock::now() - start).count();
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// Seconds of one trivial callback, from a million calls in a row.
double callbackSeconds()
{
    constexpr int kCalls = 1000000;
    std::vector<double> x(kTimedVariables, 0.5);
    double f = 0.0;
    const auto start = Clock::now();
    for (int k = 0; k < kCalls; ++k) {
        x[0] = k * 1e-9;
        trivialCallback(x.data(), &f);
    }
    return secondsSince(start) / kCalls;
}

// Seconds of a whole run stepped through a session, the engine built inside the
// timing; counts the host evaluations.
double sessionRunSeconds(bool repository, int& evaluations)
{
    TimedSettings settings(repository);
    std::vector<double> x(kTimedVariables, 0.0);
    std::vector<double> f(1);
    evaluations = 0;
    const auto start = Clock::now();
    Opt::OptEngineMain session(kTimedVariables, 1, x, settings.bounds, settings.reals.data(),
                               settings.ints.data(), 1, 0);
    int state = 3;
    while (state == 1 || state == 3) {
        if (state == 1) {
            trivialCallback(x.data(), f.data());
            ++evaluations;
        }
        state = session.runOptEngine(x.data(), f.data(), nullptr);
    }
    return secondsSince(start);
}

// Seconds of the same run through the exported vector entry point runGA, which
// is asked for its own time accounting as a host would.
double entryPointRunSeconds(bool repository)
{
    TimedSettings settings(repository);
    std::vector<double> x(kTimedVariables, 0.0);
    std::vector<double> f(1);
    double evaluationSeconds = 0.0;
    double engineSeconds = 0.0;
    const auto start = Clock::now();
    runGA(trivialCallback, &x, &f, &settings.bounds, settings.reals.data(), settings.ints.data(),
          &evaluationSeconds, &engineSeconds);
    return secondsSince(start);
}

#ifdef ZELKOR_BENCH_WITH_PAGMO
// The same trivial problem for pagmo2: 20 variables on [-1, 1], the sphere through
// the same callback; pagmo counts the evaluations.
struct TrivialPagmoProblem {
    pagmo::vector_double fitness(const pagmo::vector_double& x) const
    {
        double f = 0.0;
        trivialCallback(const_cast<double*>(x.data()), &f);
        return {f};
    }
    std::pair<pagmo::vector_double, pagmo::vector_double> get_bounds() const
    {
        return {pagmo::vector_double(kTimedVariables, -1.0), pagmo::vector_double(kTimedVariables, 1.0)};
    }
};

// Seconds of a whole sga run on the trivial problem at our sizes (N = 251, 40
// generations): the initial population's evaluation and the evolve loop, with
// operators as close to ours as sga offers (binary tournaments, SBX with index
// 1 at rate 0.7, polynomial mutation with index 100 at rate 0.5, about the mean of
// our automatic rate over such a run). Counts the evaluations.
double sgaRunSeconds(int& evaluations)
{
    const auto start = Clock::now();
    pagmo::problem problem{TrivialPagmoProblem{}};
    pagmo::population population{problem, kTimedPopulation + 1, 1u};
    pagmo::algorithm algorithm{pagmo::sga(kTimedGenerations, 0.7, 1.0, 0.5, 100.0, 2u, "sbx",
                                          "polynomial", "tournament", 1u)};
    population = algorithm.evolve(population);
    const double seconds = secondsSince(start);
    evaluations = static_cast<int>(population.get_problem().get_fevals());
    return seconds;
}
#endif

struct PerDesign {
    double whole = 0.0;   // seconds per design of the whole run, callbacks included
    double fastest = 0.0; // the same for the fastest run
    int evaluations = 0;
};

// Median and fastest of kTimingRepeats runs of run, per design.
PerDesign timePerDesign(const std::function<double(int&)>& run)
{
    std::vector<double> seconds;
    PerDesign result;
    for (int repeat = 0; repeat < kTimingRepeats; ++repeat) {
        seconds.push_back(run(result.evaluations));
    }
    result.whole = median(seconds) / result.evaluations;
    result.fastest = *std::min_element(seconds.begin(), seconds.end()) / result.evaluations;
    return result;
}

void printTimes(const char* name, const PerDesign& times, double callback, double hostCall)
{
    std::printf("%-20s %11d %12.1f %12.1f %13.1f %12.1f\n", name, times.evaluations,
                1e9 * times.whole, 1e9 * times.fastest, 1e9 * (times.whole - callback), 1e9 * hostCall);
}

void timeOurs(bool repository, double callback)
{
    const PerDesign times =
        timePerDesign([repository](int& evaluations) { return sessionRunSeconds(repository, evaluations); });
    std::vector<double> entryPointExtra; // a runGA run less a session run just before it
    int evaluations = 0;
    for (int repeat = 0; repeat < kTimingRepeats; ++repeat) {
        const double session = sessionRunSeconds(repository, evaluations);
        entryPointExtra.push_back(entryPointRunSeconds(repository) - session);
    }
    const double hostCall = median(entryPointExtra) / evaluations + callback;
    printTimes(repository ? "GA with repository" : "GA", times, callback, hostCall);
}

void timeGenerations()
{
    std::printf("\nTime per design, N = %d, n = %d, trivial callback, %d generations "
                "(median of %d runs)\n", kTimedPopulation, kTimedVariables, kTimedGenerations,
                kTimingRepeats);
    std::printf("%-20s %11s %12s %12s %13s %12s\n", "method", "evaluations", "ns/design",
                "fastest run", "engine only", "via runGA ns");
    const double callback = callbackSeconds();
    timeOurs(false, callback);
    timeOurs(true, callback);
#ifdef ZELKOR_BENCH_WITH_PAGMO
    const PerDesign sga = timePerDesign(sgaRunSeconds);
    std::printf("%-20s %11d %12.1f %12.1f %13s %12s\n", "pagmo sga", sga.evaluations,
                1e9 * sga.whole, 1e9 * sga.fastest, "-", "-");
#endif
    std::printf("  ns/design:    a whole run (engine built, initial population included) with the\n"
                "                trivial callback, divided by the designs evaluated; ours stepped\n"
                "                through a session, pagmo's sga built and evolved\n"
                "  fastest run:  the same for the fastest run\n"
                "  engine only:  ns/design less one callback (%.1f ns: a 20-term sum of squares,\n"
                "                timed over a million calls)\n"
                "  via runGA ns: what one host evaluation costs when runGA drives the run: a whole\n"
                "                runGA call less the session run just before it (median of the\n"
                "                pairs), per design, plus the callback (so: callback, driving loop\n"
                "                and its time accounting)\n",
                1e9 * callback);
}

} // namespace

int main()
{
    compareOnProblems();
    timeGenerations();
    return 0;
}
