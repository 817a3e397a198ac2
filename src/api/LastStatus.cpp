#include "api/LastStatus.h"

#include "api/zelkor.h"
#include "engine/OptEngine.h"

namespace Opt {

namespace {

struct Record {
    int code = ZELKOR_STATUS_OK;
    std::string message;
};

thread_local Record last;

constexpr int kErrorStep = -1;
constexpr int kGradientRequest = 4;

} // namespace

void LastStatus::set(int code, const std::string& message)
{
    last.code = code;
    last.message = message;
}

int LastStatus::code()
{
    return last.code;
}

const char* LastStatus::message()
{
    return last.message.c_str();
}

int LastStatus::recordRun(const char* entryPoint, const OptEngine& engine, int endState)
{
    const std::string name(entryPoint);
    if (endState == kErrorStep) {
        set(ZELKOR_STATUS_ENGINE_ERROR, name + ": the engine stopped on an error");
    } else if (endState == kGradientRequest) {
        set(ZELKOR_STATUS_ENGINE_ERROR,
            name + ": the engine asked for gradients but no gradient callback was given");
    } else if (!engine.feasible) {
        set(ZELKOR_STATUS_INFEASIBLE, name + ": the final design violates a constraint");
    } else if (engine.stoppedOnBudget()) {
        set(ZELKOR_STATUS_BUDGET_REACHED,
            name + ": the engine stopped on its iteration or evaluation limit");
    } else {
        set(ZELKOR_STATUS_OK);
    }
    return engine.feasible ? 1 : 0;
}

} // namespace Opt

extern "C" ZELKOR_API int zelkorLastStatus(void)
{
    return Opt::LastStatus::code();
}

extern "C" ZELKOR_API const char* zelkorLastMessage(void)
{
    return Opt::LastStatus::message();
}
