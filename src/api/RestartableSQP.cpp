// The restartable SQP: one host evaluation per call, the whole iteration state
// in the caller's block between calls (SQPStateBlock), so that each evaluation
// can be one external job and the host process may even end between them.
#include "api/zelkor.h"

#include <algorithm>
#include <limits>
#include <string>
#include <vector>

#include "api/EntryPointGuard.h"
#include "api/FlatInput.h"
#include "api/GradientModeRule.h"
#include "api/LastStatus.h"
#include "common/NumericConstants.h"
#include "engine/OptEngine.h"
#include "gradient/SQPParameter.h"
#include "gradient/SQPStateBlock.h"
#include "gradient/SequentialQuadraticProgramming.h"

namespace Opt {

namespace {

constexpr int kError = -1;
constexpr int kEvaluate = 1;
constexpr int kGradientModePosition = 5;
constexpr int kHostGradientMode = 3;

struct RestartCall {
    const char* name;
    double* x;
    int n;
    double* f;
    int m;
    const std::vector<std::vector<double>>* bounds;
    double* state;
    std::size_t stateSize;
    double* reals;
    int* ints;
};

std::string checkArguments(const RestartCall& call)
{
    if (call.x == nullptr || call.f == nullptr || call.state == nullptr) {
        return std::string(call.x == nullptr ? "x" : call.f == nullptr ? "f" : "state") +
               " is null";
    }
    if (call.n < 1 || call.m < 1) {
        return "n = " + std::to_string(call.n) + ", m = " + std::to_string(call.m) +
               ": at least one design variable and the objective response are needed";
    }
    const std::size_t needed = SQPStateBlock::size(call.n, call.m);
    if (call.stateSize != needed) {
        return "the state block holds " + std::to_string(call.stateSize) +
               " doubles; n = " + std::to_string(call.n) + ", m = " + std::to_string(call.m) +
               " need " + std::to_string(needed) + " (zelkorSQPStateSize)";
    }
    return std::string();
}

// The engine's ints with a gradient mode this driver can serve: it has no
// gradient callback, so modes that read sensitivities become forward
// differences, and host gradients on request are refused.
std::string servedInts(const int* ints, std::vector<int>& copy)
{
    copy.assign(SQPParameter::kIntCount, kUnsetInt);
    if (ints != nullptr) {
        copy.assign(ints, ints + SQPParameter::kIntCount);
    }
    replaceUnservedGradientMode(copy, kGradientModePosition, false);
    if (copy[kGradientModePosition] == kHostGradientMode) {
        return "ints[5] = 3 asks the host for gradients, which a restartable run cannot "
               "answer; use 1 (forward differences)";
    }
    return std::string();
}

int reject(const RestartCall& call, const std::string& problem)
{
    return rejectArgument(call.name, problem, kError);
}

// Steps the engine until it asks for an evaluation, finishes or fails.
int stepUntilHostNeeded(OptEngineMain& session, const RestartCall& call)
{
    int code = 0;
    do {
        code = session.runOptEngine(call.x, call.f, nullptr);
    } while (code == 2 || code == 3);
    return code;
}

int runOneCall(const RestartCall& call)
{
    std::string problem = checkArguments(call);
    SQPStateBlock::Stage stage = SQPStateBlock::kStageNew;
    if (problem.empty()) {
        problem = SQPStateBlock::stage(call.state, call.n, call.m, stage);
    }
    if (problem.empty() && stage == SQPStateBlock::kStageEnded) {
        problem = "the run kept in this state block has ended; zero the block to start a new one";
    }
    std::vector<int> ints;
    if (problem.empty()) {
        problem = servedInts(call.ints, ints);
    }
    if (!problem.empty()) {
        return reject(call, problem);
    }
    // Only a new run starts from x; later calls build the engine anywhere inside
    // the box (the restored state replaces the design), and x may then hold a
    // perturbation just past a bound.
    std::vector<double> start(call.x, call.x + call.n);
    if (stage != SQPStateBlock::kStageNew) {
        for (std::size_t i = 0; i < start.size() && i < call.bounds->size(); ++i) {
            const std::vector<double>& list = (*call.bounds)[i];
            if (!list.empty()) {
                start[i] = std::min(std::max(start[i], list.front()), list.back());
            }
        }
    }
    if (rejectProblem(call.name, call.n, call.m, start, *call.bounds)) {
        return kError;
    }
    OptEngineMain session(call.n, call.m, start, *call.bounds, call.reals, ints.data(),
                          SequentialQuadraticProgramming::kMethodCode, 0);
    auto* engine = dynamic_cast<SequentialQuadraticProgramming*>(session.engine.get());
    if (engine == nullptr) {
        rejectSettings(call.name);
        return kError;
    }
    if (stage == SQPStateBlock::kStageNew) {
        // The start is the first design to evaluate: x already holds it.
        SQPStateBlock::setStage(call.state, call.n, call.m, SQPStateBlock::kStageStartOut);
        LastStatus::set(ZELKOR_STATUS_OK);
        return kEvaluate;
    }
    if (stage == SQPStateBlock::kStageSaved) {
        engine->restoreState(SQPStateBlock::read(call.state, call.n, call.m));
    }
    const int code = stepUntilHostNeeded(session, call);
    if (code == kEvaluate) {
        SQPState saved;
        engine->saveState(saved);
        SQPStateBlock::write(saved, call.n, call.m, call.state);
        LastStatus::set(ZELKOR_STATUS_OK);
        return code;
    }
    SQPStateBlock::setStage(call.state, call.n, call.m, SQPStateBlock::kStageEnded);
    LastStatus::recordRun(call.name, *engine, code);
    return code;
}

int guarded(const RestartCall& call)
{
    return guardEntryPoint(call.name, kError, [&] { return runOneCall(call); });
}

} // namespace

} // namespace Opt

extern "C" ZELKOR_API int zelkorSQPStateSize(int n, int m)
{
    if (n < 1 || m < 1) {
        return 0;
    }
    const std::size_t size = Opt::SQPStateBlock::size(n, m);
    return size > static_cast<std::size_t>(std::numeric_limits<int>::max()) ? 0
                                                                            : static_cast<int>(size);
}

extern "C" ZELKOR_API int runSQP_CFD(std::vector<double>* x, std::vector<double>* f,
                                     const std::vector<std::vector<double>>* bounds,
                                     std::vector<double>* state, double* reals, int* ints)
{
    const char* name = "runSQP_CFD";
    if (x == nullptr || f == nullptr || bounds == nullptr || state == nullptr) {
        const char* missing = x == nullptr        ? "x"
                              : f == nullptr      ? "f"
                              : bounds == nullptr ? "bounds"
                                                  : "state";
        return Opt::rejectArgument(name, std::string(missing) + " is null", Opt::kError);
    }
    const Opt::RestartCall call{name, x->data(), static_cast<int>(x->size()), f->data(),
                                static_cast<int>(f->size()), bounds, state->data(), state->size(),
                                reals, ints};
    return Opt::guarded(call);
}

extern "C" ZELKOR_API int runSQP_CFD_(double* x, int n, double* f, int m,
                                      const double* boundLists, const int* listLengths,
                                      double* state, int stateSize, double* reals, int* ints)
{
    const char* name = "runSQP_CFD_";
    return Opt::guardEntryPoint(name, Opt::kError, [&] {
        std::vector<std::vector<double>> bounds;
        try {
            if (n < 1 || boundLists == nullptr) {
                return Opt::rejectArgument(
                    name, n < 1 ? "n = " + std::to_string(n) + ": at least one design variable is needed"
                                : std::string("boundLists is null"),
                    Opt::kError);
            }
            bounds = Opt::FlatInput::listsFromFlat(n, boundLists, listLengths);
            for (std::size_t i = 0; i < bounds.size(); ++i) {
                Opt::FlatInput::checkBoundList(i, bounds[i].data(), bounds[i].size());
            }
        } catch (const Opt::FlatInput::InconsistentInput& input) {
            return Opt::rejectArgument(name, input.message, Opt::kError);
        }
        const Opt::RestartCall call{name, x, n, f, m, &bounds, state,
                                    static_cast<std::size_t>(stateSize < 0 ? 0 : stateSize),
                                    reals, ints};
        return Opt::runOneCall(call);
    });
}
