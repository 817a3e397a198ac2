// The vector family of entry points: the design and the responses live in the
// caller's vectors, whose sizes give the problem's counts; the engine's own
// parameter arrays pass through unchanged; the report stays silent; and the time
// spent in the host's callback and in the engine is handed back.
#include "api/zelkor.h"

#include <string>
#include <vector>

#include "api/DrivingLoop.h"
#include "api/EntryPointGuard.h"
#include "api/LastStatus.h"
#include "engine/OptEngine.h"

namespace Opt {

namespace {

constexpr int kStepFirst = 3;

std::string checkArguments(ArrayCallback evaluate, const std::vector<double>* x,
                           const std::vector<double>* f,
                           const std::vector<std::vector<double>>* bounds)
{
    if (evaluate == nullptr) {
        return "no response callback given";
    }
    if (x == nullptr || f == nullptr || bounds == nullptr) {
        return std::string(x == nullptr ? "x" : f == nullptr ? "f" : "bounds") + " is null";
    }
    if (x->empty() || f->empty()) {
        return "x holds " + std::to_string(x->size()) + " and f " + std::to_string(f->size()) +
               " values: at least one design variable and the objective response are needed";
    }
    return std::string();
}

int runVectorEntryPoint(const char* name, int engineType, ArrayCallback evaluate,
                        std::vector<double>* x, std::vector<double>* f,
                        const std::vector<std::vector<double>>* bounds, double* reals, int* ints,
                        double* evaluationSeconds, double* engineSeconds)
{
    for (double* seconds : {evaluationSeconds, engineSeconds}) {
        if (seconds != nullptr) {
            *seconds = 0.0;
        }
    }
    const std::string problem = checkArguments(evaluate, x, f, bounds);
    if (!problem.empty()) {
        return rejectArgument(name, problem);
    }
    const int n = static_cast<int>(x->size());
    const int m = static_cast<int>(f->size());
    if (rejectProblem(name, n, m, *x, *bounds)) {
        return 0;
    }
    OptEngineMain session(n, m, *x, *bounds, reals, ints, engineType, 0);
    if (session.engine == nullptr) {
        return rejectSettings(name);
    }
    DrivingLoop loop;
    loop.evaluate = [&] { evaluate(x->data(), f->data()); };
    loop.onGradients = GradientRequest::EndLoop;
    loop.evaluationSeconds = evaluationSeconds;
    loop.engineSeconds = engineSeconds;
    const int endState = loop.run(session, kStepFirst, x->data(), f->data(), nullptr);
    return LastStatus::recordRun(name, *session.engine, endState);
}

int guarded(const char* name, int engineType, ArrayCallback evaluate, std::vector<double>* x,
            std::vector<double>* f, const std::vector<std::vector<double>>* bounds, double* reals,
            int* ints, double* evaluationSeconds, double* engineSeconds)
{
    return guardEntryPoint(name, 0, [&] {
        return runVectorEntryPoint(name, engineType, evaluate, x, f, bounds, reals, ints,
                                   evaluationSeconds, engineSeconds);
    });
}

} // namespace

} // namespace Opt

extern "C" ZELKOR_API int runGA(ArrayCallback evaluate, std::vector<double>* x,
                                std::vector<double>* f,
                                const std::vector<std::vector<double>>* bounds, double* reals,
                                int* ints, double* evaluationSeconds, double* engineSeconds)
{
    return Opt::guarded("runGA", 1, evaluate, x, f, bounds, reals, ints, evaluationSeconds,
                        engineSeconds);
}

extern "C" ZELKOR_API int runMicroGA_(ArrayCallback evaluate, std::vector<double>* x,
                                      std::vector<double>* f,
                                      const std::vector<std::vector<double>>* bounds,
                                      double* reals, int* ints, double* evaluationSeconds,
                                      double* engineSeconds)
{
    return Opt::guarded("runMicroGA_", 4, evaluate, x, f, bounds, reals, ints, evaluationSeconds,
                        engineSeconds);
}
