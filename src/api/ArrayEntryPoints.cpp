// The array family of entry points: the engine's own parameter arrays pass
// through unchanged, the callback takes the design and response arrays, and the
// report stays silent.
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

std::string checkArguments(ArrayCallback evaluate, const double* x, const double* f,
                           const std::vector<std::vector<double>>* bounds, int n, int m)
{
    if (evaluate == nullptr) {
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

int runArrayEntryPoint(const ArrayEntryPoint& entry, ArrayCallback evaluate, double* x,
                       double* f, const std::vector<std::vector<double>>* bounds, int n, int m,
                       double* reals, int* ints)
{
    const std::string problem = checkArguments(evaluate, x, f, bounds, n, m);
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
    loop.evaluate = [&] { evaluate(x, f); };
    loop.onGradients = entry.onGradients;
    const int endState = loop.run(session, entry.firstState, x, f, nullptr);
    return LastStatus::recordRun(entry.name, *session.engine, endState);
}

int guarded(const ArrayEntryPoint& entry, ArrayCallback evaluate, double* x, double* f,
            const std::vector<std::vector<double>>* bounds, int n, int m, double* reals, int* ints)
{
    return guardEntryPoint(entry.name, 0, [&] {
        return runArrayEntryPoint(entry, evaluate, x, f, bounds, n, m, reals, ints);
    });
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
