#pragma once

namespace Opt::Linalg {

// Caps the threads the BLAS provider starts inside each call, for as long as
// the object lives, and restores the previous count after.
//
// A study's model fits call LAPACK from several OpenMP threads at once. A BLAS
// that also starts threads of its own in every call then oversubscribes the
// cores: with Debian's OpenBLAS (pthreads build) and no OPENBLAS_NUM_THREADS,
// sixteen kriging fits on two threads took 2.3 times as long as on one. And
// OpenBLAS's sums depend on its thread count, so the models would differ with
// the number of fitting threads. The fits therefore cap the provider at one
// thread per call while they run, on one fitting thread or several.
//
// Works with OpenBLAS, found at run time by its openblas_get_num_threads and
// openblas_set_num_threads; with any other provider it changes nothing. The
// count is process-wide: a host computing with the same BLAS on threads of its
// own during the loop runs single-threaded calls meanwhile.
class BlasThreadLimit {
public:
    explicit BlasThreadLimit(int threads);
    ~BlasThreadLimit();
    BlasThreadLimit(const BlasThreadLimit&) = delete;
    BlasThreadLimit& operator=(const BlasThreadLimit&) = delete;

    // The provider's thread count now, 0 when it does not say.
    static int providerThreads();

private:
    int previous = 0; // the count to restore; 0 when nothing was changed
};

} // namespace Opt::Linalg
