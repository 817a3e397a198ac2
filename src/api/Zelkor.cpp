// The general entry point: translates the host's method and user parameters into
// an engine's parameter arrays, drives the engine with the host's callbacks and
// closes the run report.
#include "api/zelkor.h"

#include <cstdio>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "api/BatchedEvaluation.h"
#include "api/DrivingLoop.h"
#include "api/EntryPointGuard.h"
#include "api/GradientModeRule.h"
#include "api/LastStatus.h"
#include "api/ZelkorRun.h"
#include "common/NumericConstants.h"
#include "engine/OptEngine.h"
#include "platform/Platform.h"
#include "session/EngineBuilder.h"

namespace Opt {

namespace {


// How one method's user parameters map onto its engine's arrays.
struct MethodTranslation {
    int engineType;
    int firstState;
    std::vector<std::pair<int, int>> ints;  // (engine position, user position)
    std::vector<std::pair<int, int>> reals; // (engine position, user position)
};

const std::vector<std::pair<int, int>> kGaInts = {{2, 5}, {6, 1}, {10, 6}};

const MethodTranslation* translationOf(int method)
{
    static const std::vector<MethodTranslation> table = {
        {6, 1, {{2, 3}, {3, 1}, {4, 2}}, {{0, 0}}},
        {0, 1, {{3, 0}, {5, 3}, {7, 4}}, {{0, 0}, {1, 1}, {2, 2}, {8, 3}}},
        {1, 3, kGaInts, {}},
        {4, 3, kGaInts, {}},
        {5, 3, {{2, 5}, {6, 1}, {10, 6}, {23, 0}, {25, 3}, {27, 4}},
         {{20, 0}, {21, 1}, {22, 2}, {28, 3}}},
        {11, 1, {{2, 0}, {3, 1}, {5, 8}}, {{0, 4}, {1, 5}, {3, 3}}},
    };
    if (method < 0 || method >= static_cast<int>(table.size())) {
        return nullptr;
    }
    return &table[static_cast<std::size_t>(method)];
}

constexpr int kSaoMethod = 5;
constexpr int kSqpMethod = 1;
constexpr int kGaMethod = 2;
constexpr int kHybridMethod = 4;
constexpr int kSqpGradientMode = 5;     // engine position of the SQP's gradient mode
constexpr int kHybridGradientMode = 25; // the hybrid's inner SQP reads from position 20

// The SQP (or the hybrid's inner SQP) gets a gradient mode host-array mode can
// serve (GradientModeRule); prints which at report level 1 or more.
void chooseGradientMode(std::vector<int>& ints, int method, bool hostGradients, int reportLevel)
{
    const int position = method == kSqpMethod      ? kSqpGradientMode
                         : method == kHybridMethod ? kHybridGradientMode
                                                   : -1;
    const int requested = replaceUnservedGradientMode(ints, position, hostGradients);
    if (requested >= 0 && reportLevel >= 1) {
        std::printf("  SQP gradient mode %d taken as %d: %s\n", requested,
                    ints[static_cast<std::size_t>(position)],
                    hostGradients ? "gradients from the host's callback"
                                  : "forward differences (no gradient callback)");
    }
}

template <typename T>
std::vector<T> translate(const T* user, const std::vector<std::pair<int, int>>& map, int length,
                         T unset)
{
    std::vector<T> engine(static_cast<std::size_t>(length), unset);
    if (user == nullptr) {
        return engine;
    }
    for (const auto& [to, from] : map) {
        if (to < length) {
            engine[static_cast<std::size_t>(to)] = user[from];
        }
    }
    return engine;
}

// The SAO method's fixed settings and its replacements of negative user values.
void adjustSaoSettings(std::vector<double>& reals, std::vector<int>& ints, const double* userReals,
                       const int* userInts)
{
    if (userInts != nullptr && userInts[8] < 0 && ints.size() > 5) {
        ints[5] = 1;
    }
    if (userReals != nullptr && userReals[3] < 0.0 && reals.size() > 3) {
        reals[3] = 0.1;
    }
    if (reals.size() > 5) {
        reals[4] = 0.9;
        reals[5] = 0.1;
    }
}

constexpr int kGaSeed = 13; // engine position of the genetic methods' seed

bool isGeneticMethod(int method)
{
    return method >= kGaMethod && method <= kHybridMethod;
}

std::string checkArguments(bool canEvaluate, int n, const double* x, int m, const double* f)
{
    if (!canEvaluate) {
        return "no response callback given";
    }
    if (n < 1) {
        return "n = " + std::to_string(n) + ": at least one design variable is needed";
    }
    if (m < 1) {
        return "m = " + std::to_string(m) + ": at least the objective response is needed";
    }
    if (x == nullptr || f == nullptr) {
        return std::string(x == nullptr ? "x" : "f") + " is null";
    }
    return std::string();
}


} // namespace

int& threadRunSeed()
{
    thread_local int seed = 0;
    return seed;
}

namespace {

// Reads the caller's bounds into one list per variable, or says what is wrong.
using BoundReader = std::function<std::string(std::vector<std::vector<double>>&)>;

// The run of every form: the method and the arguments are checked before the
// bounds are read, so that each form reports the same first problem.
int runWithBounds(int method, int reportLevel, const HostEvaluation& host, int n, double* x,
                  const BoundReader& readBounds, int m, double* f, int* userInts,
                  double* userReals)
{
    const ResponseCallback evaluate = host.evaluate;
    const GradientCallback gradients = host.gradients;
    const double startSeconds = Platform::wallClockSeconds();
    const MethodTranslation* translation = translationOf(method);
    const EngineBuilder* builder =
        translation == nullptr ? nullptr : findEngineBuilder(translation->engineType);
    if (builder == nullptr || !builder->buildFromHost) {
        // no engine for this method: the host is not called
        LastStatus::set(ZELKOR_STATUS_INVALID_INPUT,
                        std::string(host.entryPoint) + ": method " + std::to_string(method) +
                            " has no engine");
        return 0;
    }
    std::string problem = checkArguments(evaluate != nullptr || host.batch != nullptr, n, x, m, f);
    std::vector<std::vector<double>> boundLists;
    if (problem.empty()) {
        problem = readBounds(boundLists);
    }
    if (!problem.empty()) {
        return rejectArgument(host.entryPoint, problem);
    }
    const std::vector<double> start(x, x + n);
    if (rejectProblem(host.entryPoint, n, m, start, boundLists)) {
        return 0;
    }
    std::vector<double> reals =
        translate<double>(userReals, translation->reals, builder->realCount, kUnsetReal);
    std::vector<int> ints = translate<int>(userInts, translation->ints, builder->intCount, kUnsetInt);
    if (method == kSaoMethod) {
        adjustSaoSettings(reals, ints, userReals, userInts);
    }
    if (isGeneticMethod(method) && ints.size() > kGaSeed) {
        ints[kGaSeed] = threadRunSeed();
    }
    chooseGradientMode(ints, method, gradients != nullptr, reportLevel);

    OptEngineMain session(n, m, start, boundLists, reals.data(), ints.data(),
                          translation->engineType, reportLevel);
    if (session.engine == nullptr) {
        return rejectSettings(host.entryPoint);
    }
    std::vector<std::vector<double>> gradientRows(static_cast<std::size_t>(n),
                                                  std::vector<double>(static_cast<std::size_t>(m)));
    std::vector<double*> g;
    for (auto& row : gradientRows) {
        g.push_back(row.data());
    }
    DrivingLoop loop;
    loop.evaluate = [&] {
        if (host.batch != nullptr) {
            host.batch->serve(*session.engine, x, f);
        } else {
            evaluate(x, n, f, m);
        }
    };
    loop.supplyGradients = [&] { gradients(x, n, g.data(), m); };
    loop.onGradients = gradients != nullptr ? GradientRequest::CallHost : GradientRequest::EndLoop;
    const int endState = loop.run(session, translation->firstState, x, f, g.data());
    if (endState == 4) {
        std::cerr << host.entryPoint
                  << ": the engine asked for gradients but no gradient callback was given"
                  << std::endl;
    }
    if (host.batch != nullptr) {
        host.batch->finish(*session.engine);
    }

    RunReport closing = session.engine->report;
    closing.writeCompletion(Platform::wallClockSeconds() - startSeconds);
    closing.writeResultFile();
    return LastStatus::recordRun(host.entryPoint, *session.engine, endState);
}

} // namespace

int runZelkor(int method, int reportLevel, const HostEvaluation& host, int n, double* x,
              double** bounds, int m, double* f, int* userInts, double* userReals)
{
    const BoundReader rows = [n, bounds](std::vector<std::vector<double>>& lists) {
        if (bounds == nullptr) {
            return std::string("bounds is null");
        }
        for (int i = 0; i < n; ++i) {
            if (bounds[i] == nullptr) {
                return "bounds[" + std::to_string(i) + "] is null";
            }
            lists.push_back({bounds[i][0], bounds[i][1]});
        }
        return std::string();
    };
    return runWithBounds(method, reportLevel, host, n, x, rows, m, f, userInts, userReals);
}

int runZelkorOnLists(int method, int reportLevel, const HostEvaluation& host, int n, double* x,
                     const std::vector<std::vector<double>>& boundLists, int m, double* f,
                     int* userInts, double* userReals)
{
    const BoundReader given = [n, &boundLists](std::vector<std::vector<double>>& lists) {
        if (boundLists.size() != static_cast<std::size_t>(n)) {
            return "bounds holds " + std::to_string(boundLists.size()) + " lists for " +
                   std::to_string(n) + " design variables";
        }
        lists = boundLists;
        return std::string();
    };
    return runWithBounds(method, reportLevel, host, n, x, given, m, f, userInts, userReals);
}

} // namespace Opt

extern "C" ZELKOR_API int Zelkor(int method, int reportLevel, ResponseCallback evaluate, int n,
                                 double* x, double** bounds, int m, double* f, int /*reserved1*/,
                                 int* ints, int /*reserved2*/, double* reals,
                                 GradientCallback gradients)
{
    return Opt::guardEntryPoint("Zelkor", 0, [&] {
        return Opt::runZelkor(method, reportLevel, {evaluate, gradients, nullptr}, n, x, bounds, m,
                              f, ints, reals);
    });
}

extern "C" ZELKOR_API int zelkorSetSeed(int seed)
{
    if (seed < 0) {
        Opt::LastStatus::set(ZELKOR_STATUS_INVALID_INPUT,
                             "zelkorSetSeed: seed = " + std::to_string(seed) +
                                 ": 0 or a positive seed is needed; the seed is unchanged");
        return 0;
    }
    Opt::threadRunSeed() = seed;
    Opt::LastStatus::set(ZELKOR_STATUS_OK);
    return 1;
}
