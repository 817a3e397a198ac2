#include "rsm/ParallelModelBuild.h"

#include <algorithm>
#include <exception>
#include <stdexcept>
#include <string>
#include <vector>

#include <omp.h>

#include "linalg/BlasThreadLimit.h"
#include "rsm/FatalError.h"
#include "rsm/ProgressLine.h"

namespace Opt::RSM {

namespace {

// The lock of the building line and its count. One for the process, created on
// first use, so that every build (of any study) serialises its output on it.
class ProgressLock {
public:
    ProgressLock() { omp_init_lock(&lock); }
    ~ProgressLock() { omp_destroy_lock(&lock); }
    ProgressLock(const ProgressLock&) = delete;
    ProgressLock& operator=(const ProgressLock&) = delete;

    omp_lock_t lock;
};

omp_lock_t* progressLock()
{
    static ProgressLock instance;
    return &instance.lock;
}

// Defers the fatal errors raised on the current thread while it lives.
class DeferredFatalScope {
public:
    DeferredFatalScope() : previous(deferFatalErrors(true)) {}
    ~DeferredFatalScope() { deferFatalErrors(previous); }
    DeferredFatalScope(const DeferredFatalScope&) = delete;
    DeferredFatalScope& operator=(const DeferredFatalScope&) = delete;

private:
    bool previous;
};

std::vector<RSMBase*> modelsInKeyOrder(const ModelMap& models)
{
    std::vector<RSMBase*> order;
    for (const auto& [id, model] : models) {
        if (model == nullptr) {
            throw std::invalid_argument("parallel model build: no model for response " +
                                        std::to_string(id));
        }
        order.push_back(model.get());
    }
    return order;
}

// Fits one model on the current (worker) thread; the failure, if any, is
// returned rather than thrown, since no exception may leave the parallel region.
std::exception_ptr fitCapturingFailure(RSMBase& model)
{
    const DeferredFatalScope deferred;
    try {
        model.build(true);
    } catch (...) {
        return std::current_exception();
    }
    return nullptr;
}

// Raises the first failure on the calling thread: a deferred fatal error goes
// through the fatal handler now, anything else is rethrown as it was.
void raiseFirstFailure(const std::vector<std::exception_ptr>& failures)
{
    const auto first = std::find_if(failures.begin(), failures.end(),
                                    [](const std::exception_ptr& failure) { return failure != nullptr; });
    if (first == failures.end()) {
        return;
    }
    try {
        std::rethrow_exception(*first);
    } catch (const DeferredFatal& fatal) {
        raiseFatal(fatal.cause, fatal.detail);
    }
}

} // namespace

ParallelModelBuild::ParallelModelBuild(std::FILE* progressStream) : progress(progressStream) {}

bool ParallelModelBuild::run(const ModelMap& models, int threadSetting)
{
    const std::vector<RSMBase*> order = modelsInKeyOrder(models);
    if (std::all_of(order.begin(), order.end(), [](const RSMBase* model) { return model->isBuilt(); })) {
        return false;
    }
    for (const auto& [id, model] : models) {
        model->loadResponse(id);
    }
    const int count = static_cast<int>(order.size());
    ProgressLine line(ProgressLine::Phase::BuildingModel, progress);
    omp_set_lock(progressLock());
    line.update(0);
    omp_unset_lock(progressLock());

    std::vector<std::exception_ptr> failures(order.size());
    int finished = 0;
    // Each fit's LAPACK calls run on the fit's own thread, whatever the thread
    // setting: a BLAS starting threads of its own as well would oversubscribe
    // the cores, and since OpenBLAS's sums depend on its thread count, the
    // models would differ between one fitting thread and several.
    const Linalg::BlasThreadLimit blasLimit(1);
    omp_set_num_threads(std::max(1, std::min(count, threadSetting)));
#pragma omp parallel for schedule(static)
    for (int i = 0; i < count; ++i) {
        const auto at = static_cast<std::size_t>(i);
        failures[at] = fitCapturingFailure(*order[at]);
        if (failures[at] == nullptr) {
            omp_set_lock(progressLock());
            ++finished;
            line.update(static_cast<int>(100LL * finished / count));
            omp_unset_lock(progressLock());
        }
    }
    omp_set_num_threads(1);
    raiseFirstFailure(failures);
    return true;
}

} // namespace Opt::RSM
