#pragma once

#include <cstdio>

#include "rsm/RSMBase.h"

namespace Opt::RSM {

// Fits the surrogates of a study side by side, one OpenMP thread per model at a
// time, and shows the building progress line (ProgressLine) while it does.
//
// run(models, threadSetting), for the models of a study keyed by response id:
// 1. When every model is fitted already, nothing is done and nothing printed.
// 2. Each model loads its response from the current design of experiments
//    (loadResponse with its key), in key order, on the calling thread.
// 3. "    BUILDING APPROXIMATE MODEL:   0%" is written.
// 4. The OpenMP thread count is set to min(M, threadSetting) (at least 1), M
//    the number of models, and the models are fitted with leave-one-out data
//    (build(true)) in a parallel loop with a static schedule: each thread fits
//    whole models. After each fit, under one process-wide OpenMP lock (the same
//    lock for every build), the count k of fitted models goes up and the line
//    shows floor(100 k / M).
// 5. The thread count is set back to 1, whatever happened in the loop.
//
// Ownership and concurrency: the map and the models stay the caller's; the
// build keeps no pointer past the call. During the loop a model writes only its
// own fields and data record and reads its own copy of the sample; models may
// share only read-only data (kriging search options, say). The current design
// of experiments is read on the calling thread before the loop and not at all
// during it; the caller must not change it, nor touch the models, until run
// returns. An ensemble's fit reads no nearest-sample list, and its R^2 uses a
// list of its own, so the process-wide list is never touched either. The
// progress stream is written only under the lock; it is the caller's and must
// outlive the build. One build at a time per process (the current design is
// one for the process); run itself is not meant to be called from several
// threads at once.
//
// Failures: a fatal error of a fit (FatalError) is deferred on the worker
// thread, so that neither the process ends nor a host's handler runs while
// other threads are still fitting. After the loop and the thread-count reset,
// the first failure in key order is raised on the calling thread: the default
// handler ends the process with its "ERROR : " line and exit status 0, a
// replaced handler is called once and SurrogateFailure reaches the caller (or
// the handler's own exception does). Any other exception of a fit is carried
// out the same way and rethrown. A failed model does not count towards the
// progress line. Models after a failure are still fitted (the loop is not cut
// short), so the result does not depend on the thread that failed first.
//
// Bad input: a null model throws std::invalid_argument before anything is
// loaded or printed; a thread setting below 1 counts as 1.
class ParallelModelBuild {
public:
    // A null stream shows no progress line.
    explicit ParallelModelBuild(std::FILE* progress = stdout);

    // Returns false when every model was fitted already (nothing done).
    bool run(const ModelMap& models, int threadSetting);

private:
    std::FILE* progress;
};

} // namespace Opt::RSM
