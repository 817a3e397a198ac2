#include "api/DrivingLoop.h"

#include <exception>
#include <string>

#include "api/BatchedEvaluation.h"
#include "api/EntryPointGuard.h"
#include "engine/OptEngine.h"
#include "platform/Platform.h"

namespace Opt {

namespace {

constexpr int kEvaluate = 1;
constexpr int kCallAgain = 2;
constexpr int kContinue = 3;
constexpr int kGradients = 4;

template <typename Action>
void timed(double* seconds, const Action& action)
{
    if (seconds == nullptr) {
        action();
        return;
    }
    const double start = Platform::wallClockSeconds();
    action();
    *seconds += Platform::wallClockSeconds() - start;
}

std::string hostMessage()
{
    try {
        throw;
    } catch (const std::exception& error) {
        return error.what();
    } catch (const std::string& message) {
        return message;
    } catch (...) {
        return "unknown exception from a host callback";
    }
}

// Calls the host; if it throws, hands the best design so far back and reports.
template <typename Action>
void callHost(OptEngineMain& session, double* x, double* f, double* seconds,
              const Action& action)
{
    try {
        timed(seconds, action);
    } catch (const LookAheadDefect&) {
        throw; // the engine's fault, not the host's
    } catch (...) {
        const std::string message = hostMessage();
        if (session.engine != nullptr) {
            session.engine->handOverBestSoFar(x, f);
        }
        throw HostCallbackFailure{message};
    }
}

} // namespace

int DrivingLoop::run(OptEngineMain& session, int firstState, double* x, double* f,
                     double** g) const
{
    int state = firstState;
    for (;;) {
        switch (state) {
        case kEvaluate:
            callHost(session, x, f, evaluationSeconds, evaluate);
            state = kContinue;
            break;
        case kGradients:
            if (onGradients == GradientRequest::EndLoop) {
                return state;
            }
            if (onGradients == GradientRequest::CallHost) {
                callHost(session, x, f, evaluationSeconds, supplyGradients);
            }
            state = kContinue;
            break;
        case kCallAgain:
            state = kContinue;
            break;
        case kContinue:
            timed(engineSeconds, [&] { state = session.runOptEngine(x, f, g); });
            break;
        default:
            return state;
        }
    }
}

} // namespace Opt
