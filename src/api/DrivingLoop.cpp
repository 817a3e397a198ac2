#include "api/DrivingLoop.h"

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

} // namespace

int DrivingLoop::run(OptEngineMain& session, int firstState, double* x, double* f,
                     double** g) const
{
    int state = firstState;
    for (;;) {
        switch (state) {
        case kEvaluate:
            timed(evaluationSeconds, evaluate);
            state = kContinue;
            break;
        case kGradients:
            if (onGradients == GradientRequest::EndLoop) {
                return state;
            }
            if (onGradients == GradientRequest::CallHost) {
                timed(evaluationSeconds, supplyGradients);
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
