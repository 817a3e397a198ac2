// DIRECT on the standard test functions of the global optimisation literature,
// beside NLopt's original DIRECT (GN_ORIG_DIRECT) on the same functions, and the
// engine's own time per evaluation on a trivial 6-variable function.
//
// Per function: the evaluations until the best value seen comes within 0.01% of
// the global minimum (counted in the callback; the start design that runDIRECT
// evaluates first is included), or the best relative error when it never does,
// and why the run stopped. Two experiments rerun our search with one rule
// changed, to show which rule explains a count far from the published one:
// "no stall" switches off the stop after eight stagnant iterations, "eps 1e-4"
// also uses the sufficient-decrease threshold of the original paper, "by size"
// groups the candidates by rectangle size, as the original description does,
// instead of by level (on top of "eps 1e-4"). A third experiment moves the
// six-hump camel to a box that breaks its point symmetry, a fourth takes the
// Shubert function apart rule by rule.
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <limits>
#include <string>
#include <vector>

#include "api/zelkor.h"
#include "bench/TestFunctions.h"
#include "direct/DIRECT.h"

#ifdef ZELKOR_BENCH_WITH_NLOPT
#include <nlopt.h>
#endif

namespace {

using Bench::TestFunction;
using Clock = std::chrono::steady_clock;

constexpr double kAccuracy = 1e-4; // 0.01 %

struct Tally {
    const TestFunction* function = nullptr;
    int evaluations = 0;
    int hitAt = -1;
    double best = std::numeric_limits<double>::infinity();
    double callbackSeconds = 0.0;

    void add(double value)
    {
        ++evaluations;
        best = std::min(best, value);
        if (hitAt < 0 && relativeError(value) <= kAccuracy) {
            hitAt = evaluations;
        }
    }
    double relativeError(double value) const
    {
        return std::fabs(value - function->minimum) / std::fabs(function->minimum);
    }
};

Tally* current = nullptr;

int evaluateCurrent(double* x, double* f)
{
    const auto start = Clock::now();
    f[0] = current->function->value(x);
    current->add(f[0]);
    current->callbackSeconds += std::chrono::duration<double>(Clock::now() - start).count();
    return 0;
}

std::vector<int> directInts()
{
    return {0, 0, 0, 100, 10000, 0, 0, 0, 0, 0, 0}; // the largest budgets allowed
}

std::vector<std::vector<double>> boundsOf(const TestFunction& function)
{
    std::vector<std::vector<double>> bounds;
    for (std::size_t i = 0; i < function.lower.size(); ++i) {
        bounds.push_back({function.lower[i], function.upper[i]});
    }
    return bounds;
}

Tally runOurs(const TestFunction& function)
{
    Tally tally;
    tally.function = &function;
    current = &tally;
    std::vector<double> x = function.lower;
    std::vector<double> f(1);
    const auto bounds = boundsOf(function);
    std::vector<int> ints = directInts();
    std::vector<double> reals(10, 0.0);
    runDIRECT(evaluateCurrent, x.data(), f.data(), &bounds, static_cast<int>(x.size()), 1,
              reals.data(), ints.data());
    return tally;
}

// The same search stepped through a session, to read why it stopped; `rules`
// changes one rule for the experiments.
struct Outcome {
    Tally tally;
    const char* reason = "";
    int iterations = 0;    // at the end of the run
    int hitIteration = -1; // the iteration whose samples reached the accuracy
};

const char* reasonName(Opt::DIRECT::StopReason reason)
{
    switch (reason) {
    case Opt::DIRECT::StopReason::Budget: return "budget";
    case Opt::DIRECT::StopReason::Iterations: return "iterations";
    case Opt::DIRECT::StopReason::Stagnation: return "stagnation";
    case Opt::DIRECT::StopReason::Target: return "target";
    case Opt::DIRECT::StopReason::Exhausted: return "depth";
    default: return "-";
    }
}

Outcome runSession(const TestFunction& function, const Opt::DIRECT::Rules& rules)
{
    Outcome outcome;
    outcome.tally.function = &function;
    current = &outcome.tally;
    std::vector<double> x = function.lower;
    std::vector<double> f(1);
    std::vector<int> ints = directInts();
    std::vector<double> reals(10, 0.0);
    Opt::OptEngineMain session(static_cast<int>(x.size()), 1, x, boundsOf(function), reals.data(),
                               ints.data(), Opt::DIRECT::kMethodCode, 0);
    auto* engine = dynamic_cast<Opt::DIRECT*>(session.engine.get());
    engine->setRules(rules);
    int state = 1;
    while (state >= 1 && state <= 4) {
        if (state == 1) {
            evaluateCurrent(x.data(), f.data());
            if (outcome.hitIteration < 0 && outcome.tally.hitAt >= 0) {
                outcome.hitIteration = engine->iterationCount + 1; // counted from 1
            }
        }
        state = session.runOptEngine(x.data(), f.data(), nullptr);
    }
    outcome.reason = reasonName(engine->stopReason());
    outcome.iterations = engine->iterationCount;
    return outcome;
}

std::string countOrError(const Tally& tally)
{
    char text[32];
    if (tally.hitAt >= 0) {
        std::snprintf(text, sizeof text, "%d", tally.hitAt);
    } else {
        std::snprintf(text, sizeof text, "(%.1e)", tally.relativeError(tally.best));
    }
    return text;
}

#ifdef ZELKOR_BENCH_WITH_NLOPT
double nloptObjective(unsigned n, const double* x, double*, void*)
{
    (void)n;
    const auto start = Clock::now();
    const double value = current->function->value(x);
    current->add(value);
    current->callbackSeconds += std::chrono::duration<double>(Clock::now() - start).count();
    return value;
}

// sufficientDecrease >= 0 sets NLopt's epsilon of the decrease test ("magic_eps");
// below 0 NLopt's own default stays.
Tally runNlopt(const TestFunction& function, int maxEvaluations, bool stopAtTarget,
               double sufficientDecrease = -1.0)
{
    Tally tally;
    tally.function = &function;
    current = &tally;
    const unsigned n = static_cast<unsigned>(function.lower.size());
    nlopt_opt opt = nlopt_create(NLOPT_GN_ORIG_DIRECT, n);
    nlopt_set_lower_bounds(opt, function.lower.data());
    nlopt_set_upper_bounds(opt, function.upper.data());
    nlopt_set_min_objective(opt, nloptObjective, nullptr);
    nlopt_set_maxeval(opt, maxEvaluations);
    if (sufficientDecrease >= 0.0) {
        nlopt_set_param(opt, "magic_eps", sufficientDecrease);
    }
    if (stopAtTarget) {
        nlopt_set_stopval(opt, function.minimum + kAccuracy * std::fabs(function.minimum));
    }
    std::vector<double> x(n);
    for (unsigned i = 0; i < n; ++i) {
        x[i] = 0.5 * (function.lower[i] + function.upper[i]);
    }
    double value = 0.0;
    nlopt_optimize(opt, x.data(), &value);
    nlopt_destroy(opt);
    return tally;
}
#endif

void compareOnTestFunctions()
{
    std::printf("Evaluations to reach 0.01%% of the global minimum (relative error when never)\n");
    std::printf("%-16s %9s %9s %-11s %9s %9s %9s %9s\n", "function", "published", "Zelkor",
                "stop", "no stall", "eps 1e-4", "by size", "NLopt");
    for (const TestFunction& function : Bench::globalTestFunctions()) {
        const Tally ours = runOurs(function);
        const Outcome plain = runSession(function, Opt::DIRECT::Rules());
        Opt::DIRECT::Rules noStall;
        noStall.stagnationLimit = 0;
        const Outcome withoutStall = runSession(function, noStall);
        Opt::DIRECT::Rules paper = noStall;
        paper.sufficientDecrease = 1e-4;
        const Outcome paperThreshold = runSession(function, paper);
        Opt::DIRECT::Rules original = paper;
        original.groupBySize = true;
        const Outcome bySize = runSession(function, original);
        std::string nlopt = "n/a";
#ifdef ZELKOR_BENCH_WITH_NLOPT
        nlopt = countOrError(runNlopt(function, 10000, true));
#endif
        std::printf("%-16s %9d %9s %-11s %9s %9s %9s %9s\n", function.name.c_str(),
                    function.publishedEvaluations, countOrError(ours).c_str(), plain.reason,
                    countOrError(withoutStall.tally).c_str(),
                    countOrError(paperThreshold.tally).c_str(),
                    countOrError(bySize.tally).c_str(), nlopt.c_str());
        if (plain.tally.evaluations != ours.evaluations) {
            std::printf("  (session and runDIRECT disagree: %d vs %d evaluations)\n",
                        plain.tally.evaluations, ours.evaluations);
        }
    }
}

// The six-hump camel is point-symmetric, f(x, y) = f(-x, -y), and so is its
// usual box: mirror-image samples then tie exactly, and the count depends on how
// an implementation breaks those ties. On a box that breaks the symmetry the two
// engines sample alike.
void compareOnAsymmetricBox()
{
    const Bench::TestFunction camel = Bench::globalTestFunctions()[7];
    std::printf("\nSix-hump camel: symmetric box against one that breaks the symmetry\n");
    std::printf("%-22s %9s %9s\n", "box", "Zelkor", "NLopt");
    for (const auto& box : std::vector<std::vector<double>>{{-3, 3, -2, 2}, {-3, 2, -2, 1}}) {
        Bench::TestFunction f = camel;
        f.lower = {box[0], box[2]};
        f.upper = {box[1], box[3]};
        const std::string ours = countOrError(runOurs(f));
        std::string theirs = "n/a";
#ifdef ZELKOR_BENCH_WITH_NLOPT
        theirs = countOrError(runNlopt(f, 10000, true));
#endif
        char label[64];
        std::snprintf(label, sizeof label, "[%g, %g] x [%g, %g]", box[0], box[1], box[2], box[3]);
        std::printf("%-22s %9s %9s\n", label, ours.c_str(), theirs.c_str());
    }
}

// Shubert is never reached within 0.01% although Jones et al. report 2967
// evaluations. Rerunning it rule by rule shows why: neither lifting the stall stop
// nor lifting the 100-iteration limit is enough, and neither is the paper's
// sufficient-decrease epsilon (1e-4 against our 1e-30) alone; with both the
// paper's epsilon and no iteration limit the search reaches the global minimum
// after 2964 evaluations, in its 135th iteration. NLopt's original DIRECT stalls
// at the same local minimum (-123.58) with its default epsilon and reaches the
// global one after 2946 evaluations with epsilon 1e-4. With an epsilon near zero
// the smallest boxes around the local minimum stay potentially optimal: 100
// iterations take 6588 samples instead of 2196, and the budget runs out before
// the large boxes that hold the global minima are divided.
void explainShubert()
{
    const TestFunction shubert = Bench::globalTestFunctions()[8];
    std::printf("\nShubert, rule by rule (published: %d evaluations; budget 10000)\n",
                shubert.publishedEvaluations);
    std::printf("%-44s %10s %11s %-11s %10s\n", "rules", "iterations", "evaluations", "stop",
                "to 0.01%");
    struct Variant {
        const char* label;
        bool stall;
        bool iterationLimit;
        double epsilon;
    };
    const Variant variants[] = {
        {"ours as is (eps 1e-30, stall stop, 100 it.)", true, true, 1e-30},
        {"no stall stop", false, true, 1e-30},
        {"no stall stop, no iteration limit", false, false, 1e-30},
        {"eps 1e-4, no stall stop", false, true, 1e-4},
        {"eps 1e-4, no stall stop, no iteration limit", false, false, 1e-4},
    };
    for (const Variant& variant : variants) {
        Opt::DIRECT::Rules rules;
        rules.stagnationLimit = variant.stall ? Opt::DIRECT::kStagnationLimit : 0;
        rules.maxIterations = variant.iterationLimit ? 0 : 1000000;
        rules.sufficientDecrease = variant.epsilon;
        const Outcome outcome = runSession(shubert, rules);
        std::string reached = countOrError(outcome.tally);
        if (outcome.hitIteration >= 0) {
            reached += " (it. " + std::to_string(outcome.hitIteration) + ")";
        }
        std::printf("%-44s %10d %11d %-11s %10s\n", variant.label, outcome.iterations,
                    outcome.tally.evaluations, outcome.reason, reached.c_str());
    }
#ifdef ZELKOR_BENCH_WITH_NLOPT
    for (const double epsilon : {-1.0, 1e-4}) {
        const Tally theirs = runNlopt(shubert, 10000, false, epsilon);
        std::printf("%-44s %10s %11d %-11s %10s\n",
                    epsilon < 0.0 ? "NLopt GN_ORIG_DIRECT, its default eps"
                                  : "NLopt GN_ORIG_DIRECT, eps 1e-4",
                    "-", theirs.evaluations, "budget", countOrError(theirs).c_str());
    }
#endif
}

// A 6-variable function whose evaluation costs next to nothing, so that the time
// per evaluation measures the search itself.
TestFunction trivialFunction()
{
    return {"trivial-6", std::vector<double>(6, 0.0), std::vector<double>(6, 1.0), -6.0,
            [](const double* x) {
                double sum = 0.0;
                for (int i = 0; i < 6; ++i) {
                    sum += std::cos(9.0 * x[i]) + 0.01 * x[i];
                }
                return sum;
            },
            0};
}

double engineMicroseconds(const Tally& tally, Clock::time_point start)
{
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    return 1e6 * (seconds - tally.callbackSeconds) / tally.evaluations;
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// Both engines run in turn within each repeat, so that both see the same load;
// the median over the repeats sees through the noise of a shared machine.
void timeEngine()
{
    const TestFunction function = trivialFunction();
    std::printf("\nTime per evaluation spent in the engine (6 variables, budget 10000)\n");
    std::printf("%-8s %11s %14s %11s %14s\n", "repeat", "Zelkor eval", "Zelkor us/eval",
                "NLopt eval", "NLopt us/eval");
    Opt::DIRECT::Rules noStall; // run on to the budget
    noStall.stagnationLimit = 0;
    std::vector<double> ours;
    std::vector<double> theirs;
    for (int repeat = 0; repeat < 7; ++repeat) {
        const auto start = Clock::now();
        const Tally zelkor = runSession(function, noStall).tally;
        ours.push_back(engineMicroseconds(zelkor, start));
        std::printf("%-8d %11d %14.3f", repeat + 1, zelkor.evaluations, ours.back());
#ifdef ZELKOR_BENCH_WITH_NLOPT
        const auto nloptStart = Clock::now();
        const Tally nlopt = runNlopt(function, zelkor.evaluations, false);
        theirs.push_back(engineMicroseconds(nlopt, nloptStart));
        std::printf(" %11d %14.3f", nlopt.evaluations, theirs.back());
#endif
        std::printf("\n");
    }
    std::printf("%-8s %11s %14.3f", "median", "", median(ours));
    if (!theirs.empty()) {
        std::printf(" %11s %14.3f", "", median(theirs));
    }
    std::printf("\n");
}

} // namespace

int main()
{
    compareOnTestFunctions();
    compareOnAsymmetricBox();
    explainShubert();
    timeEngine();
    return 0;
}
