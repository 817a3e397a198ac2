// Kriging on the surrogate bench's samples: the random Latin-hypercube points
// (fixed seeds) of the Branin function (N = 20, 50, 100) and the Hartmann 6
// function (N = 50, 100, 200) with 5000 uniform hold-out points, drawn by the
// helpers shared with bench/RsmBench.cpp (bench/SurrogateSample.h). For every
// correlation kind (constant trend), the ensemble of surrogates and ordinary
// kriging: the fit time with leave-one-out data, Q^2 and the hold-out R^2, beside
// scikit-learn's GaussianProcessRegressor (constant times anisotropic RBF
// kernel, normalize_y) fitted on the same points (in the function's own units)
// in the same run by bench/rsm_peers.py. Last, likelihood evaluations per second for N = 100, 200,
// 500 and the share of this machine's dpotrf rate they reach. (The parallel fit of a study's
// models is timed by bench/StudyBench.cpp.)
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "bench/SurrogateSample.h"

#include "linalg/LinearAlgebra.h"
#include "rsm/EnsembleOfSurrogates.h"
#include "rsm/Kriging.h"
#include "rsm/NearestSampleList.h"
#include "rsm/OrdinaryKrigingGeo.h"

namespace {

using namespace SurrogateBench;

const char* const kCorrelationNames[3] = {"exp(-theta d)", "exp(-theta d^1.5)", "exp(-theta d^p)"};

double seconds(Clock::time_point start)
{
    return std::chrono::duration<double>(Clock::now() - start).count();
}

double ensembleHoldOutR2(const EnsembleOfSurrogates& model, const Sample& sample)
{
    std::vector<double> predictions;
    for (const auto& x : sample.holdOut) {
        NearestSampleList::fill(x, sample.points);
        predictions.push_back(model.predict(x));
    }
    return RSMBase::coefficientOfDetermination(sample.holdOutValues, predictions);
}

void benchKriging(const char* name, const Sample& sample, int n)
{
    install(sample);
    const int count = static_cast<int>(sample.points.size());
    std::shared_ptr<RSMBase> model;
    for (int kind = 0; kind <= 2; ++kind) {
        const double ms =
            timedFit([&] { return std::make_shared<Kriging>(0, kind, 0, count, n, 0); }, model);
        const auto& kriging = static_cast<const Kriging&>(*model);
        printRow(name, count, std::string("Zelkor kriging ") + kCorrelationNames[kind], ms,
                 kriging.looRSquared(), holdOutR2(*model, sample));
        std::printf("%-10s %5d    (%d likelihood evaluations)\n", name, count,
                    kriging.likelihoodEvaluations);
    }
    // The default search passes min(300 n, 1000) as DIRECT's setting 2, the
    // division depth, and so leaves the evaluation limit (setting 4) at 3000;
    // the row below caps the evaluations at that number instead.
    auto capped = std::make_shared<KrigingSearchOptions>();
    capped->ints = {-999, -999, -999, std::min(10 * n, 40), std::min(300 * n, 1000), -999};
    const double cappedMs =
        timedFit([&] { return std::make_shared<Kriging>(0, 2, 0, count, n, 0, capped); }, model);
    printRow(name, count, "  d^p, evaluations capped", cappedMs,
             static_cast<const Kriging&>(*model).looRSquared(), holdOutR2(*model, sample));

    EnsembleMemberSettings settings;
    settings.variableCount = n;
    settings.pointCount = count;
    double ms = timedFit([&] { return std::make_shared<EnsembleOfSurrogates>(0, settings, 0); }, model);
    const auto& ensemble = static_cast<const EnsembleOfSurrogates&>(*model);
    NearestSampleList::resize(ensemble.neighbourCount);
    printRow(name, count, "Zelkor ensemble", ms, 0.0, ensembleHoldOutR2(ensemble, sample));
    ms = timedFit([&] { return std::make_shared<OrdinaryKrigingGeo>(0, 0, n, 1.0, count); }, model);
    printRow(name, count, "Zelkor ordinary kriging", ms, 0.0, holdOutR2(*model, sample));
}

// The sample in the test function's own units, for a second peer row: the
// peer's optimizer starts every length scale at 1, which on [-1, 1]
// coordinates can leave K nearly singular (the smooth Branin function) and
// end at the scales' lower bound with a hold-out R^2 near 0; in other units it
// may start elsewhere. A GP is invariant to the affine map itself.
Sample inFunctionUnits(const Sample& sample, const Bench::TestFunction& f)
{
    Sample mapped = sample;
    for (Points* points : {&mapped.points, &mapped.holdOut}) {
        for (auto& x : *points) {
            for (std::size_t j = 0; j < x.size(); ++j) {
                x[j] = f.lower[j] + 0.5 * (x[j] + 1.0) * (f.upper[j] - f.lower[j]);
            }
        }
    }
    return mapped;
}

// Repeats work for at least a quarter of a second; returns repetitions per second.
template <typename Work>
double rate(Work work)
{
    int repetitions = 0;
    const auto start = Clock::now();
    do {
        work();
        ++repetitions;
    } while (seconds(start) < 0.25 || repetitions < 3);
    return repetitions / seconds(start);
}

void benchLikelihoodRateAt(int count, int kind)
{
    const Sample sample =
        makeSample(testFunction("Hartman-6"), count, 3000u + static_cast<unsigned>(count));
    install(sample);
    Kriging kriging(0, kind, 0, count, 6, 0);
    kriging.loadResponse(0);
    // Correlations far enough from 1 that R stays numerically positive definite
    // at N = 100 (the Cholesky path, which the rates are about).
    std::vector<double> h = {10.0, 20.0, 5.0, 15.0, 10.0, 30.0, 1.5, 1.5, 1.5, 1.5, 1.5, 1.5};
    h.resize(static_cast<std::size_t>(Kriging::hyperParameterCount(kind, 6)));
    const std::vector<double> start = h;
    // Every hyper-parameter new at each evaluation (no term reused), then one
    // changed at a time, as between DIRECT's samples c - delta e_i, c + delta e_i.
    int call = 0;
    const double allNew = rate([&] {
        for (double& value : h) {
            value *= ++call % 2 == 0 ? 1.001 : 1.0 / 1.001;
        }
        kriging.likelihoodObjective(h);
    });
    const double oneChanged = rate([&] {
        // Each hyper-parameter in turn, up on one round and back on the next.
        const auto at = static_cast<std::size_t>(++call) % h.size();
        h[at] *= (static_cast<std::size_t>(call) / h.size()) % 2 == 0 ? 1.001 : 1.0 / 1.001;
        kriging.likelihoodObjective(h);
    });
    Matrix master(count, count);
    for (int j = 0; j < count; ++j) {
        for (int i = 0; i < count; ++i) {
            master(i, j) = Kriging::correlation(kind, start, sample.points[static_cast<std::size_t>(i)].data(),
                                                sample.points[static_cast<std::size_t>(j)].data(), 6);
        }
    }
    Matrix factor = master;
    if (!Linalg::choleskyFactor(factor).ok()) {
        std::printf("%6d %6d  R is not positive definite here: no Cholesky rate to compare\n", count,
                    kind);
        return;
    }
    const double factorisations = rate([&] {
        factor = master;
        Linalg::choleskyFactor(factor);
    });
    const double flops = static_cast<double>(count) * count * count / 3.0;
    std::printf("%6d %6d %12.1f %12.1f %12.1f %12.2f %7.0f%% %7.0f%%\n", count, kind, allNew,
                oneChanged, factorisations, factorisations * flops * 1e-9,
                100.0 * allNew / factorisations, 100.0 * oneChanged / factorisations);
}

void benchLikelihoodRate()
{
    std::printf("\nLikelihood evaluations (Hartmann 6, correlation kinds 0 and 2, constant trend) against\n"
                "dpotrf of the same order (refilled from a copy each time, as the evaluation refills R)\n");
    std::printf("%6s %6s %12s %12s %12s %12s %8s %8s\n", "N", "kind", "evals/s new", "evals/s one",
                "dpotrf/s", "dpotrf GF/s", "share", "share");
    std::printf("(new: every hyper-parameter changed between evaluations; one: a single one, as "
                "between DIRECT's samples)\n");
    for (const int count : {100, 200, 500}) {
        for (const int kind : {0, 2}) {
            benchLikelihoodRateAt(count, kind);
        }
    }
}

} // namespace

int main()
{
    const std::string python = pythonWithPeers();
    std::printf("Kriging on random Latin-hypercube samples (MT19937, seed 1000 + N, as the surrogate\n"
                "bench), R^2 on %d uniform hold-out points; fit with leave-one-out data (peer: fit only)\n",
                kHoldOutPoints);
    const char* blasThreads = std::getenv("OPENBLAS_NUM_THREADS");
    std::printf("OPENBLAS_NUM_THREADS=%s (for both sides: the peer runs as a child process)\n",
                blasThreads != nullptr ? blasThreads : "(unset: OpenBLAS picks)");
    if (python.empty()) {
        std::printf("(scikit-learn not found: the peer is left out)\n");
    }
    std::printf("%-10s %5s  %-26s %10s %10s %10s\n", "function", "N", "model", "fit [ms]", "Q^2",
                "R^2 hold");
    for (const SampleCase& c : kSampleCases) {
        const auto& f = testFunction(c.function);
        const Sample sample = makeSample(f, c.count, 1000u + static_cast<unsigned>(c.count));
        benchKriging(c.label, sample, static_cast<int>(f.lower.size()));
        benchPeers(python, c.label, sample, 0.0, 0.0, "gp");
        benchPeers(python, c.label, inFunctionUnits(sample, f), 0.0, 0.0, "gp-units");
    }
    benchLikelihoodRate();
    return 0;
}
