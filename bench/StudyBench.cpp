// The surrogate study (RSMManager, runRSMOPT) in three tables.
//
// Quality at a budget of N true evaluations, on Branin and Hartmann 6 (N = 20,
// 50, 100) and the pressure vessel (N = 50; bench/EngineeringProblems.h): the
// true objective at the design each method returns, beside the known minimum.
// The pressure vessel runs twice: the second time the study searches its
// models by DIRECT (runRSMOPT's other search).
//   study     runRSMOPT: a random Latin hypercube of N - 1 points, one kriging
//             model per response, the genetic algorithm with feasibility-first
//             ranking on the models (the defaults), and the host's evaluation
//             of the surrogate optimum, which is returned unless a sampled
//             design is better (then that one is);
//   best seen the best design among the study's own N evaluations (feasible
//             first, within 1e-6);
//   DIRECT    ours on the true function (Zelkor method 0, evaluation limit N):
//             the best of its first N evaluations, since it checks the limit
//             between iterations and may take more, and beside it the design
//             it returns, with the evaluations it took;
//   EGO       OpenTURNS's efficient global optimisation (bench/study_peers.py,
//             Debian's python3-openturns; left out when missing) from a Latin
//             hypercube of N/2 points, N/2 points by expected improvement;
//   EGO same  EGO from the study's own N - 1 points, one point by expected
//             improvement: the same sample and budget, a different last point.
// runRSMOPT seeds its Latin hypercube with 0 or from the clock only, so the
// seeded repeats drive the same study through the data-set constructor of
// OptEngineMain with the study's sample replaced by the library's
// LatinHypercube (same variant) seeded 0..kSeeds-1; seed 0 must and does give
// runRSMOPT's design bit for bit (a line says so otherwise). EGO repeats with
// OpenTURNS seeds 0..kSeeds-1. Medians over the seeds; a design that violates a
// constraint by more than 1e-6 counts as worse than every feasible one and is
// starred. DIRECT is deterministic: one run.
//
// Wall time of the study, split by its step codes: sampling (the steps until
// the first that asks for no evaluation; the test functions cost microseconds,
// so this is the library's share of a real study's sampling), fitting (the
// study's prepareStep, called by the bench at that point: the step that follows
// then finds the models fitted and only searches), the search on the models,
// and the verification with the residual tables that end the study.
//
// The parallel fit (ParallelModelBuild): M = 1, 4, 16 kriging responses as
// the study creates them (createSurrogate, correlation kind 0) on one Hartmann 6
// sample of N = 200 points, on 1 and 2 threads, best of kTimingRepeats runs
// (goal: 1.8 times faster on two threads from M = 4).
//
// Timings depend on what else the machine runs: the load average is printed
// beside them. `StudyBench quality` and `StudyBench parallel` run one part.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include <unistd.h>

#include "api/zelkor.h"
#include "bench/EngineeringProblems.h"
#include "bench/SurrogateSample.h"
#include "doe/LatinHypercube.h"
#include "managers/RSMManager.h"
#include "managers/SurrogateFactory.h"
#include "rsm/ParallelModelBuild.h"

namespace {

using namespace SurrogateBench;
using Bench::ConstrainedProblem;

constexpr int kSeeds = 5;
constexpr int kTimingRepeats = 3;
constexpr double kFeasibilityTolerance = 1e-6;
constexpr int kDirectIterationCap = 100;
constexpr int kUnset = -999;
constexpr int kDirectSearch = 0;
constexpr int kGeneticSearch = 2;
constexpr int kGeneticIntCount = 20;
constexpr int kDirectIntCount = 11;
constexpr double kFeasibilityFirst = -1.0;
constexpr int kKriging = 2;
// exp(-theta d): a kriging fit of 200 points in 6 variables takes about 0.5 s
// here, against 3.3 s with the default kind 2, which would make the table
// take several minutes by itself.
constexpr int kParallelCorrelation = 0;

double seconds(Clock::time_point start)
{
    return std::chrono::duration<double>(Clock::now() - start).count();
}

void printLoad(const char* when)
{
    double load[3] = {0.0, 0.0, 0.0};
    if (getloadavg(load, 3) > 0) {
        std::printf("(load average %s: %.2f, %.2f, %.2f on %ld cores)\n", when, load[0], load[1],
                    load[2], sysconf(_SC_NPROCESSORS_ONLN));
    }
}

// ---------------------------------------------------------------- problems

struct QualityCase {
    ConstrainedProblem problem;
    const char* peerName; // the function's name in study_peers.py
    int budget;
    int innerSearch = kGeneticSearch; // runRSMOPT's searchSettings[0]
};

ConstrainedProblem unconstrained(const char* name)
{
    const Bench::TestFunction& f = testFunction(name);
    const auto value = f.value;
    return {f.name, f.lower, f.upper, 0, f.minimum,
            [value](const double* x, double* r) { r[0] = value(x); }};
}

std::vector<QualityCase> qualityCases()
{
    std::vector<QualityCase> cases;
    for (const int budget : {20, 50, 100}) {
        cases.push_back({unconstrained("Branin"), "Branin", budget});
    }
    for (const int budget : {20, 50, 100}) {
        cases.push_back({unconstrained("Hartman-6"), "Hartmann6", budget});
    }
    cases.push_back({Bench::pressureVesselProblem(), "pressure-vessel", 50});
    // DIRECT's penalty, 5 per unit of scaled violation, is small beside a cost
    // of order 1e4: the row shows what the study's other search makes of it.
    cases.push_back({Bench::pressureVesselProblem(), "pressure-vessel", 50, kDirectSearch});
    return cases;
}

// ---------------------------------------------------------------- the host

// The callbacks take no user data: the problem under way and its counters.
const ConstrainedProblem* current = nullptr;
int evaluations = 0;
double hostSeconds = 0.0;
std::vector<double> bestSeen;  // the best design among the first `counted` evaluated
int counted = std::numeric_limits<int>::max();
std::vector<double> lastDesign;

struct Outcome {
    double objective = std::numeric_limits<double>::quiet_NaN();
    bool feasible = false;
    int evaluations = 0;
};

Outcome judge(const ConstrainedProblem& problem, const std::vector<double>& x, int count)
{
    std::vector<double> f(static_cast<std::size_t>(problem.constraints + 1));
    problem.evaluate(x.data(), f.data());
    Outcome outcome;
    outcome.objective = f[0];
    outcome.feasible =
        std::all_of(f.begin() + 1, f.end(), [](double g) { return g <= kFeasibilityTolerance; });
    outcome.evaluations = count;
    return outcome;
}

// Feasible designs first, then the lower objective; NaN last.
bool better(const Outcome& a, const Outcome& b)
{
    if (std::isnan(b.objective)) {
        return !std::isnan(a.objective);
    }
    if (std::isnan(a.objective)) {
        return false;
    }
    if (a.feasible != b.feasible) {
        return a.feasible;
    }
    return a.objective < b.objective;
}

void startHost(const ConstrainedProblem& problem, int countedEvaluations = std::numeric_limits<int>::max())
{
    current = &problem;
    counted = countedEvaluations;
    evaluations = 0;
    hostSeconds = 0.0;
    bestSeen.clear();
    lastDesign.clear();
}

int respond(double* x, int n, double* f, int)
{
    const auto start = Clock::now();
    current->evaluate(x, f);
    hostSeconds += seconds(start);
    ++evaluations;
    lastDesign.assign(x, x + n);
    if (evaluations <= counted &&
        (bestSeen.empty() || better(judge(*current, lastDesign, 0), judge(*current, bestSeen, 0)))) {
        bestSeen = lastDesign;
    }
    return 0;
}

std::vector<double> midpoint(const ConstrainedProblem& problem)
{
    std::vector<double> x;
    for (std::size_t j = 0; j < problem.lower.size(); ++j) {
        x.push_back(0.5 * (problem.lower[j] + problem.upper[j]));
    }
    return x;
}

// ---------------------------------------------------------------- the study

struct StudyRun {
    Outcome verified;
    Outcome best;
    std::vector<double> design;
    std::vector<std::vector<double>> sample; // caller units
    double sampling = 0.0;
    double fitting = 0.0;
    double search = 0.0;
    double finishing = 0.0;
    double host = 0.0;
    bool completed = false;
};

// runRSMOPT as a C host calls it: Latin hypercube of budget - 1 points seeded
// with 0, kriging for every response, the inner search at its defaults, one
// thread.
StudyRun studyByEntryPoint(const ConstrainedProblem& problem, int budget, int innerSearch)
{
    const int n = static_cast<int>(problem.lower.size());
    const int m = problem.constraints + 1;
    std::vector<double> x = midpoint(problem);
    std::vector<double> f(static_cast<std::size_t>(m));
    std::vector<double> bounds;
    for (int j = 0; j < n; ++j) {
        bounds.push_back(problem.lower[static_cast<std::size_t>(j)]);
        bounds.push_back(problem.upper[static_cast<std::size_t>(j)]);
    }
    const int design[4] = {2, 0, 0, budget - 1};
    const int search[4] = {innerSearch, 0, 1, 1};
    startHost(problem);
    runRSMOPT(respond, n, m, x.data(), f.data(), bounds.data(), nullptr, design, nullptr, search,
              nullptr, 0);
    StudyRun run;
    run.completed = zelkorLastStatus() == ZELKOR_STATUS_OK ||
                    zelkorLastStatus() == ZELKOR_STATUS_INFEASIBLE;
    run.design = x;
    run.verified = judge(problem, x, evaluations);
    run.best = judge(problem, bestSeen, evaluations);
    return run;
}

// The data set runRSMOPT builds for the same call.
std::shared_ptr<Opt::DataSet> studyDataSet(const ConstrainedProblem& problem, int budget,
                                           int innerSearch)
{
    auto dataSet = std::make_shared<Opt::DataSet>();
    for (int id = 0; id <= problem.constraints; ++id) {
        auto definition = std::make_shared<Opt::ResponseDefinition>();
        if (id > 0) {
            definition->kind = 1;
            definition->upper = 0.0;
        }
        dataSet->responses[id] = definition;
    }
    dataSet->designValues = midpoint(problem);
    for (std::size_t j = 0; j < problem.lower.size(); ++j) {
        dataSet->bounds.push_back({problem.lower[j], problem.upper[j]});
    }
    dataSet->engineType = Opt::RSM::RSMManager::kStudy;
    dataSet->designSettings = {{2, 0, 0, budget - 1}};
    dataSet->fixedSeed = true;
    dataSet->threadCount = 1;
    dataSet->showProgress = false;
    Opt::SearchSettings search;
    if (innerSearch == kGeneticSearch) {
        search.ints.assign(kGeneticIntCount, kUnset);
        search.reals = {kFeasibilityFirst};
        dataSet->gaSearchSettings.push_back(search);
    } else {
        search.ints.assign(kDirectIntCount, 0);
        search.ints[3] = kDirectIterationCap;
        dataSet->directSearchSettings.push_back(search);
    }
    return dataSet;
}

// The study's sample replaced by the library's Latin hypercube of the same
// size and variant, seeded with seed (the data set offers 0 or the clock). The
// models copy their sample when they are created, so they are created again,
// as the study creates them, on the new points.
void reseedSample(Opt::RSM::RSMManager& study, const Opt::DataSet& dataSet, unsigned seed)
{
    Opt::DOE::LatinHypercube sample(study.design->variables, study.design->pointCount,
                                    Opt::DOE::LatinHypercube::kRandomInCell, 0, false, {}, seed);
    study.callerPoints = sample.pointSet->points;
    Opt::RSM::normaliseDesignPoints(sample);
    study.design->pointSet->points = sample.pointSet->points;
    for (const auto& [id, definition] : dataSet.responses) {
        study.models[id] = createSurrogate(definition->surrogate, id, study.design->factorCount,
                                           study.design->pointCount);
    }
}

// The largest constraint value where it is positive (0 when every g <= 0),
// infinite for a non-finite response.
double largestViolation(const ConstrainedProblem& problem, const std::vector<double>& x)
{
    std::vector<double> f(static_cast<std::size_t>(problem.constraints + 1));
    problem.evaluate(x.data(), f.data());
    double largest = std::isfinite(f[0]) ? 0.0 : HUGE_VAL;
    for (std::size_t j = 1; j < f.size(); ++j) {
        largest = std::isfinite(f[j]) ? std::max(largest, f[j]) : HUGE_VAL;
    }
    return largest;
}

// What runRSMOPT returns: the verified surrogate optimum, or the best sampled
// design when that is better (feasible first, then the lower objective; among
// infeasible designs the smaller largest violation).
std::vector<double> returnedDesign(const ConstrainedProblem& problem,
                                   const std::vector<double>& sampled,
                                   const std::vector<double>& verified)
{
    if (sampled.empty()) {
        return verified;
    }
    const double sampledViolation = largestViolation(problem, sampled);
    const double verifiedViolation = largestViolation(problem, verified);
    if (sampledViolation == 0.0 && verifiedViolation == 0.0) {
        return judge(problem, sampled, 0).objective < judge(problem, verified, 0).objective
                   ? sampled
                   : verified;
    }
    return sampledViolation < verifiedViolation ? sampled : verified;
}

// The study stepped through a session, each phase timed by its step codes.
StudyRun studyInDataSetMode(const ConstrainedProblem& problem, int budget, int innerSearch,
                            unsigned seed)
{
    StudyRun run;
    const auto dataSet = studyDataSet(problem, budget, innerSearch);
    Opt::OptEngineMain session(dataSet);
    auto* study = dynamic_cast<Opt::RSM::RSMManager*>(session.engine.get());
    if (study == nullptr) {
        return run;
    }
    reseedSample(*study, *dataSet, seed);
    run.sample = study->callerPoints;
    startHost(problem);
    const int m = problem.constraints + 1;
    std::vector<double> f(static_cast<std::size_t>(m));
    const auto evaluate = [&] {
        std::vector<double> x = dataSet->designValues;
        respond(x.data(), static_cast<int>(x.size()), f.data(), m);
        for (int id = 0; id < m; ++id) {
            dataSet->responses[id]->value = f[static_cast<std::size_t>(id)];
        }
    };
    auto start = Clock::now();
    int code = session.runOptEngine(nullptr, nullptr, nullptr);
    while (code == 1) {
        evaluate();
        code = session.runOptEngine(nullptr, nullptr, nullptr);
    }
    run.sampling = seconds(start);
    start = Clock::now();
    study->prepareStep();
    run.fitting = seconds(start);
    start = Clock::now();
    while (code == 2 || code == 3) {
        code = session.runOptEngine(nullptr, nullptr, nullptr);
    }
    run.search = seconds(start);
    start = Clock::now();
    while (code == 1 || code == 2 || code == 3) {
        if (code == 1) {
            evaluate();
        }
        code = session.runOptEngine(nullptr, nullptr, nullptr);
    }
    run.finishing = seconds(start);
    run.host = hostSeconds;
    run.completed = code == 0;
    run.design = returnedDesign(problem, bestSeen, lastDesign);
    run.verified = judge(problem, run.design, evaluations);
    run.best = judge(problem, bestSeen, evaluations);
    return run;
}

// ---------------------------------------------------------------- peers

// DIRECT's final design, and the best of its first `budget` evaluations: its
// evaluation limit is checked between iterations, so a run may take more.
std::pair<Outcome, Outcome> directOnTrueFunction(const ConstrainedProblem& problem, int budget)
{
    const int n = static_cast<int>(problem.lower.size());
    const int m = problem.constraints + 1;
    std::vector<double> x = midpoint(problem);
    std::vector<double> f(static_cast<std::size_t>(m));
    std::vector<std::vector<double>> bounds;
    std::vector<double*> boundRows;
    for (int j = 0; j < n; ++j) {
        bounds.push_back({problem.lower[static_cast<std::size_t>(j)], problem.upper[static_cast<std::size_t>(j)]});
    }
    for (auto& row : bounds) {
        boundRows.push_back(row.data());
    }
    int ints[4] = {kUnset, kDirectIterationCap, budget, kUnset};
    startHost(problem, budget);
    Zelkor(0, 0, respond, n, x.data(), boundRows.data(), m, f.data(), 0, ints, 0, nullptr, nullptr);
    return {judge(problem, x, evaluations), judge(problem, bestSeen, std::min(budget, evaluations))};
}

// EGO runs of study_peers.py, one per seed, each judged here with our own
// functions; the initial design is given when `points` is not empty.
std::vector<Outcome> egoRuns(const std::string& python, const QualityCase& c, int initial,
                             const std::vector<unsigned>& seeds,
                             const std::vector<std::vector<double>>& points = {})
{
    std::vector<Outcome> outcomes;
    if (python.empty()) {
        return outcomes;
    }
    std::string command = python + " " + benchScript("study_peers.py") + " " + c.peerName + " " +
                          std::to_string(c.budget) + " " + std::to_string(initial);
    for (const unsigned seed : seeds) {
        command += " " + std::to_string(seed);
    }
    char path[] = "/tmp/zelkor_study_bench_XXXXXX";
    if (!points.empty()) {
        const int descriptor = mkstemp(path);
        if (descriptor < 0) {
            return outcomes;
        }
        FILE* file = fdopen(descriptor, "w");
        for (const auto& x : points) {
            for (const double v : x) {
                std::fprintf(file, "%.17g ", v);
            }
            std::fprintf(file, "\n");
        }
        std::fclose(file);
        command += std::string(" --points ") + path;
    }
    command += " 2> /dev/null";
    FILE* pipe = popen(command.c_str(), "r");
    if (pipe != nullptr) {
        char line[4096];
        while (std::fgets(line, sizeof line, pipe) != nullptr) {
            std::istringstream in(line);
            unsigned seed = 0;
            int count = 0;
            std::vector<double> x(c.problem.lower.size());
            in >> seed >> count;
            for (double& v : x) {
                in >> v;
            }
            if (in) {
                outcomes.push_back(judge(c.problem, x, count));
            }
        }
        pclose(pipe);
    }
    if (!points.empty()) {
        std::remove(path);
    }
    return outcomes;
}

// ---------------------------------------------------------------- tables

// The median of the outcomes in the order of `better` (the lower one of an
// even count's middle pair); evaluations are the largest count.
Outcome median(std::vector<Outcome> outcomes)
{
    if (outcomes.empty()) {
        return Outcome();
    }
    std::sort(outcomes.begin(), outcomes.end(), better);
    Outcome middle = outcomes[(outcomes.size() - 1) / 2];
    for (const Outcome& o : outcomes) {
        middle.evaluations = std::max(middle.evaluations, o.evaluations);
    }
    return middle;
}

std::string cell(const Outcome& o)
{
    if (std::isnan(o.objective)) {
        return "n/a";
    }
    char text[48];
    std::snprintf(text, sizeof text, "%.5g%s (%d)", o.objective, o.feasible ? "" : "*",
                  o.evaluations);
    return text;
}

struct TimeSplit {
    double sampling, fitting, search, finishing, host;
};

void benchQuality()
{
    const std::string python = pythonWith("openturns");
    std::printf("Study quality: the true objective at the design returned, median of %d seeds\n"
                "(true evaluations used, largest over the seeds); * violates a constraint by more\n"
                "than 1e-6.\n"
                "study          runRSMOPT: LHS of N - 1, kriging, the feasibility-first GA on the\n"
                "               models, 1 verification\n"
                "best seen      the best of the study's own N evaluations\n"
                "DIRECT         ours on the true function, one run with an evaluation limit of N:\n"
                "               the best of its first N evaluations, and its final design (as run;\n"
                "               it may take more)\n"
                "EGO            OpenTURNS: LHS of N/2, N/2 by expected improvement\n"
                "EGO same       OpenTURNS from the study's N - 1 points, 1 by expected improvement\n"
                "(inner DIRECT) the study searches the models by DIRECT (searchSettings[0] = 0)\n",
                kSeeds);
    const char* blasThreads = std::getenv("OPENBLAS_NUM_THREADS");
    std::printf("OPENBLAS_NUM_THREADS=%s (the peer runs as a child process with the same setting)\n",
                blasThreads != nullptr ? blasThreads : "(unset: OpenBLAS picks)");
    if (python.empty()) {
        std::printf("(OpenTURNS not found: the EGO columns are left out)\n");
    }
    std::printf("%-30s %4s %10s %17s %17s %17s %17s %17s %17s  %s\n", "function", "N", "minimum",
                "study", "best seen", "DIRECT first N", "DIRECT as run", "EGO", "EGO same",
                "study vs DIRECT");
    std::vector<unsigned> seeds;
    for (unsigned s = 0; s < kSeeds; ++s) {
        seeds.push_back(s);
    }
    std::vector<std::pair<std::string, TimeSplit>> splits;
    for (const QualityCase& c : qualityCases()) {
        std::vector<Outcome> study;
        std::vector<Outcome> best;
        std::vector<Outcome> egoSame;
        std::vector<TimeSplit> times;
        const StudyRun entryPoint = studyByEntryPoint(c.problem, c.budget, c.innerSearch);
        for (const unsigned seed : seeds) {
            const StudyRun run = studyInDataSetMode(c.problem, c.budget, c.innerSearch, seed);
            if (seed == 0 && (run.design != entryPoint.design || !run.completed)) {
                std::printf("(%s N = %d: the data-set run of seed 0 ends at another design than "
                            "runRSMOPT)\n",
                            c.problem.name.c_str(), c.budget);
            }
            study.push_back(run.verified);
            best.push_back(run.best);
            times.push_back({run.sampling, run.fitting, run.search, run.finishing, run.host});
            const auto same = egoRuns(python, c, c.budget - 1, {seed}, run.sample);
            egoSame.insert(egoSame.end(), same.begin(), same.end());
        }
        const auto [directRun, direct] = directOnTrueFunction(c.problem, c.budget);
        const Outcome ego = median(egoRuns(python, c, c.budget / 2, seeds));
        const Outcome ours = median(study);
        const char* verdict = better(ours, direct) ? "study better" : "DIRECT better or equal";
        const std::string label =
            c.innerSearch == kDirectSearch ? c.problem.name + " (inner DIRECT)" : c.problem.name;
        std::printf("%-30s %4d %10.5g %17s %17s %17s %17s %17s %17s  %s\n", label.c_str(),
                    c.budget, c.problem.bestKnown, cell(ours).c_str(), cell(median(best)).c_str(),
                    cell(direct).c_str(), cell(directRun).c_str(), python.empty() ? "-" : cell(ego).c_str(),
                    python.empty() ? "-" : cell(median(egoSame)).c_str(), verdict);
        std::printf("%-30s %4s %10s", "  study by seed", "", "");
        for (const Outcome& o : study) {
            std::printf(" %.5g%s", o.objective, o.feasible ? "" : "*");
        }
        std::printf("\n");
        std::fflush(stdout);
        TimeSplit split{};
        const auto middle = [&](double TimeSplit::*field) {
            std::vector<double> v;
            for (const TimeSplit& t : times) {
                v.push_back(t.*field);
            }
            std::sort(v.begin(), v.end());
            return v[v.size() / 2];
        };
        for (double TimeSplit::*field : {&TimeSplit::sampling, &TimeSplit::fitting,
                                          &TimeSplit::search, &TimeSplit::finishing,
                                          &TimeSplit::host}) {
            split.*field = middle(field);
        }
        splits.push_back({label + " N=" + std::to_string(c.budget), split});
    }
    std::printf("\nStudy wall time by phase, median of the %d seeded runs above, one fitting thread\n"
                "[ms]: sampling (of which host callbacks), fitting (kriging with leave-one-out\n"
                "data, one model per response), search (on the models), verification and\n"
                "residual tables\n",
                kSeeds);
    printLoad("now");
    std::printf("%-34s %12s %10s %10s %10s %12s %10s\n", "case", "sampling", "(host)", "fitting",
                "search", "verify+end", "total");
    for (const auto& [name, t] : splits) {
        std::printf("%-34s %12.2f %10.3f %10.1f %10.1f %12.2f %10.1f\n", name.c_str(),
                    1e3 * t.sampling, 1e3 * t.host, 1e3 * t.fitting, 1e3 * t.search,
                    1e3 * t.finishing, 1e3 * (t.sampling + t.fitting + t.search + t.finishing));
    }
}

// ---------------------------------------------------------------- parallel fit

// Response r of the parallel table: Hartmann 6 with its coordinates turned
// cyclically by r, mirrored in every other group of six, and from r = 12 on
// plus half the plain function: sixteen distinct responses of one cost.
double hartmannVariant(const Bench::TestFunction& f, const std::vector<double>& unitPoint, int r)
{
    const std::size_t n = unitPoint.size();
    std::vector<double> x(n);
    std::vector<double> plain(n);
    for (std::size_t j = 0; j < n; ++j) {
        const double u = 0.5 * (unitPoint[(j + static_cast<std::size_t>(r)) % n] + 1.0);
        x[j] = f.lower[j] + ((r / 6) % 2 == 1 ? 1.0 - u : u) * (f.upper[j] - f.lower[j]);
        plain[j] = f.lower[j] + 0.5 * (unitPoint[j] + 1.0) * (f.upper[j] - f.lower[j]);
    }
    return f.value(x.data()) + (r >= 12 ? 0.5 * f.value(plain.data()) : 0.0);
}

void installResponses(const Sample& sample, const Bench::TestFunction& f, int responses)
{
    auto design = std::make_shared<GivenPointsDesign>(sample.points);
    for (const auto& point : sample.points) {
        std::vector<double> row;
        for (int r = 0; r < responses; ++r) {
            row.push_back(hartmannVariant(f, point, r));
        }
        design->pointSet->responses.push_back(row);
    }
    for (int r = 0; r < responses; ++r) {
        design->pointSet->responseColumns[r] = r;
    }
    setCurrentDesign(design);
}

// Seconds to load and fit `responses` fresh kriging models, created as a
// study with correlation kind kParallelCorrelation creates them, on `threads`
// threads.
double parallelFitSeconds(int responses, int threads, int count)
{
    ModelMap models;
    for (int r = 0; r < responses; ++r) {
        models[r] = createSurrogate(Opt::SurrogateSettings{kKriging, kParallelCorrelation}, r, 6, count);
    }
    const auto start = Clock::now();
    ParallelModelBuild(nullptr).run(models, threads);
    return seconds(start);
}

void benchParallelFit()
{
    constexpr int kCount = 200;
    const auto& f = testFunction("Hartman-6");
    const Sample sample = makeSample(f, kCount, 1000u + kCount);
    std::printf("\nParallel fit (ParallelModelBuild): M kriging responses as a study creates them\n"
                "(correlation kind 0, exp(-theta d), constant trend, leave-one-out data) on one\n"
                "Hartmann 6 sample of N = %d, best of %d runs\n",
                kCount, kTimingRepeats);
    printLoad("before");
    std::printf("%4s %14s %14s %9s\n", "M", "1 thread [s]", "2 threads [s]", "speed-up");
    for (const int responses : {1, 4, 16}) {
        installResponses(sample, f, responses);
        double best[2] = {1e300, 1e300};
        for (int repeat = 0; repeat < kTimingRepeats; ++repeat) {
            for (const int threads : {1, 2}) {
                const double s = parallelFitSeconds(responses, threads, kCount);
                best[threads - 1] = std::min(best[threads - 1], s);
            }
        }
        std::printf("%4d %14.2f %14.2f %9.2f\n", responses, best[0], best[1], best[0] / best[1]);
        std::fflush(stdout);
    }
    printLoad("after");
}

} // namespace

int main(int argc, char** argv)
{
    const std::string part = argc > 1 ? argv[1] : "";
    if (part.empty() || part == "quality") {
        benchQuality();
    }
    if (part.empty() || part == "parallel") {
        benchParallelFit();
    }
    return 0;
}
