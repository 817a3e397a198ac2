// The array family of entry points: the engine's own parameter arrays pass
// through unchanged, the callback takes the design and response arrays, and the
// report stays silent. The slope search runSAOOPT_LEM shares the family's
// checks and loop with a four-argument callback and one response.
#include "api/zelkor.h"

#include <functional>
#include <string>
#include <vector>

#include "api/DrivingLoop.h"
#include "api/EntryPointGuard.h"
#include "api/GradientModeRule.h"
#include "api/LastStatus.h"
#include "common/NumericConstants.h"
#include "engine/OptEngine.h"
#include "managers/SAOManagerForLEM.h"
#include "session/EngineBuilder.h"

namespace Opt {

namespace {

struct ArrayEntryPoint {
    const char* name;
    int engineType;
    int firstState;
    GradientRequest onGradients;
    bool clearParameterOption = false; // set the parameter record's option to 0 first
    int gradientModePosition = -1;      // the SQP's gradient mode in the engine's ints
    // Explains a run whose engine ended without a feasible result for a reason
    // of its own; null when the general classification says all.
    void (*explainRun)(const char* name, const OptEngine& engine) = nullptr;
};

// The array family has no gradient callback: an SQP gradient mode it cannot
// serve becomes forward differences (GradientModeRule). Returns the ints to
// build with: the caller's, or a copy with the mode replaced.
int* withGradientMode(const ArrayEntryPoint& entry, int* ints, std::vector<int>& copy)
{
    const EngineBuilder* builder = findEngineBuilder(entry.engineType);
    if (entry.gradientModePosition < 0 || builder == nullptr) {
        return ints;
    }
    copy.assign(static_cast<std::size_t>(builder->intCount), kUnsetInt);
    if (ints != nullptr) {
        copy.assign(ints, ints + builder->intCount);
    }
    return replaceUnservedGradientMode(copy, entry.gradientModePosition, false) >= 0 ? copy.data()
                                                                                     : ints;
}

std::string checkArguments(bool callbackGiven, const double* x, const double* f,
                           const std::vector<std::vector<double>>* bounds, int n, int m)
{
    if (!callbackGiven) {
        return "no response callback given";
    }
    if (x == nullptr || f == nullptr || bounds == nullptr) {
        return std::string(x == nullptr ? "x" : f == nullptr ? "f" : "bounds") + " is null";
    }
    if (n < 1 || m < 1) {
        return "n = " + std::to_string(n) + ", m = " + std::to_string(m) +
               ": at least one design variable and the objective response are needed";
    }
    return std::string();
}

// evaluate calls the host's callback on x and f, whatever its form; callbackGiven
// says whether the host passed one.
int runArrayEntryPoint(const ArrayEntryPoint& entry, const std::function<void()>& evaluate,
                       bool callbackGiven, double* x, double* f,
                       const std::vector<std::vector<double>>* bounds, int n, int m,
                       double* reals, int* ints)
{
    const std::string problem = checkArguments(callbackGiven, x, f, bounds, n, m);
    if (!problem.empty()) {
        return rejectArgument(entry.name, problem);
    }
    const std::vector<double> start(x, x + n);
    if (rejectProblem(entry.name, n, m, start, *bounds)) {
        return 0;
    }
    std::vector<int> intsCopy;
    OptEngineMain session(n, m, start, *bounds, reals, withGradientMode(entry, ints, intsCopy),
                          entry.engineType, 0);
    if (session.engine == nullptr) {
        return rejectSettings(entry.name);
    }
    if (entry.clearParameterOption) {
        session.engine->setParameterOption(0);
    }
    DrivingLoop loop;
    loop.evaluate = evaluate;
    loop.onGradients = entry.onGradients;
    const int endState = loop.run(session, entry.firstState, x, f, nullptr);
    const int result = LastStatus::recordRun(entry.name, *session.engine, endState);
    if (entry.explainRun != nullptr && endState == 0) {
        entry.explainRun(entry.name, *session.engine);
    }
    return result;
}

int guarded(const ArrayEntryPoint& entry, ArrayCallback evaluate, double* x, double* f,
            const std::vector<std::vector<double>>* bounds, int n, int m, double* reals, int* ints)
{
    return guardEntryPoint(entry.name, 0, [&] {
        return runArrayEntryPoint(
            entry, [&] { evaluate(x, f); }, evaluate != nullptr, x, f, bounds, n, m, reals, ints);
    });
}

// The slope search ends without a result only when it found no admissible slip
// surface around the start.
void explainSlopeSearch(const char* name, const OptEngine& engine)
{
    const auto* slope = dynamic_cast<const RSM::SAOManagerForLEM*>(&engine);
    if (slope != nullptr && slope->abortRun) {
        LastStatus::set(ZELKOR_STATUS_INFEASIBLE,
                        std::string(name) + ": no admissible slip surface among the designs "
                                            "sampled around the start; the run was aborted");
    }
}

} // namespace

} // namespace Opt

extern "C" ZELKOR_API int runDIRECT(ArrayCallback evaluate, double* x, double* f,
                                    const std::vector<std::vector<double>>* bounds, int n, int m,
                                    double* reals, int* ints)
{
    static const Opt::ArrayEntryPoint entry{"runDIRECT", 6, 1, Opt::GradientRequest::StepAgain};
    return Opt::guarded(entry, evaluate, x, f, bounds, n, m, reals, ints);
}

extern "C" ZELKOR_API int runSQP_Soil(ArrayCallback evaluate, double* x, double* f,
                                      const std::vector<std::vector<double>>* bounds, int n,
                                      int m, double* reals, int* ints)
{
    static const Opt::ArrayEntryPoint entry{"runSQP_Soil", 0, 1, Opt::GradientRequest::EndLoop,
                                            true, 5};
    return Opt::guarded(entry, evaluate, x, f, bounds, n, m, reals, ints);
}

extern "C" ZELKOR_API int runGA_ptr(ArrayCallback evaluate, double* x, double* f,
                                    const std::vector<std::vector<double>>* bounds, int n, int m,
                                    double* reals, int* ints)
{
    static const Opt::ArrayEntryPoint entry{"runGA_ptr", 1, 3, Opt::GradientRequest::EndLoop};
    return Opt::guarded(entry, evaluate, x, f, bounds, n, m, reals, ints);
}

extern "C" ZELKOR_API int runMicroGA_ptr(ArrayCallback evaluate, double* x, double* f,
                                         const std::vector<std::vector<double>>* bounds, int n,
                                         int m, double* reals, int* ints)
{
    static const Opt::ArrayEntryPoint entry{"runMicroGA_ptr", 4, 3, Opt::GradientRequest::EndLoop};
    return Opt::guarded(entry, evaluate, x, f, bounds, n, m, reals, ints);
}

extern "C" ZELKOR_API int runSAOOPT_Soil(ArrayCallback evaluate, double* x, double* f,
                                         const std::vector<std::vector<double>>* bounds, int n,
                                         int m, double* reals, int* ints)
{
    static const Opt::ArrayEntryPoint entry{"runSAOOPT_Soil", 11, 1, Opt::GradientRequest::EndLoop};
    return Opt::guarded(entry, evaluate, x, f, bounds, n, m, reals, ints);
}

extern "C" ZELKOR_API int runSAOOPT_LEM(ResponseCallback evaluate, double* x, double* f,
                                        const std::vector<std::vector<double>>* bounds, int n,
                                        double* reals, int* ints)
{
    constexpr int kOneResponse = 1;
    static const Opt::ArrayEntryPoint entry{"runSAOOPT_LEM", Opt::RSM::SAOManagerForLEM::kEngineType,
                                            1, Opt::GradientRequest::EndLoop, false, -1,
                                            Opt::explainSlopeSearch};
    return Opt::guardEntryPoint(entry.name, 0, [&] {
        return Opt::runArrayEntryPoint(
            entry, [&] { evaluate(x, n, f, kOneResponse); }, evaluate != nullptr, x, f, bounds,
            n, kOneResponse, reals, ints);
    });
}
