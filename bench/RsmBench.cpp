// Surrogate fits on random Latin-hypercube samples (fixed seeds) of the Branin
// function (N = 20, 50, 100) and the Hartmann 6 function (N = 50, 100, 200): fit
// time with leave-one-out data, the leave-one-out Q^2 and R^2 on 5000 uniform
// hold-out points, for polynomial regression (kind 4), RBF (every basis) and
// SVR (defaults; its Q^2 from N warm-started refits, and the fit time without
// them beside it). The same points go to rsm_peers.py, which fits SciPy's
// RBFInterpolator and scikit-learn's SVR in the same run (Debian's
// python3-scipy and python3-sklearn; left out when missing). Last, the
// cross-validated RBF fit of 1000 points in 6 variables.
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "bench/SurrogateSample.h"
#include "rsm/CurrentDesign.h"
#include "rsm/GivenPointsDesign.h"
#include "rsm/InputNormalisation.h"
#include "rsm/PolynomialRegression.h"
#include "rsm/RadialBasisFunction.h"
#include "rsm/SupportVectorRegression.h"

namespace {

using namespace SurrogateBench;

const char* const kBasisNames[6] = {"linear", "cubic", "thin-plate", "Gaussian", "multiquadric",
                                    "inv-multiquadric"};

void benchOurs(const char* name, const Sample& sample, int n, double& svrEpsilon, double& svrBox)
{
    install(sample);
    const int count = static_cast<int>(sample.points.size());
    std::shared_ptr<RSMBase> model;
    double ms = timedFit([&] { return std::make_shared<PolynomialRegression>(4, 0, n, count); }, model);
    printRow(name, count, "Zelkor PR kind 4", ms, model->looRSquared(), holdOutR2(*model, sample));
    for (int basis = 0; basis <= 5; ++basis) {
        ms = timedFit([&] { return std::make_shared<RadialBasisFunction>(0, basis, n, count); }, model);
        const auto& rbf = static_cast<const RadialBasisFunction&>(*model);
        const std::string label = std::string("Zelkor RBF ") + kBasisNames[basis] +
                                  (rbf.leaveOneOutRefits > 0 ? " *" : "");
        printRow(name, count, label, ms, rbf.leaveOneOutDetermination(), holdOutR2(*model, sample));
    }
    ms = timedFit([&] { return std::make_shared<SupportVectorRegression>(0, n, count); }, model);
    const auto& svr = static_cast<const SupportVectorRegression&>(*model);
    printRow(name, count, "Zelkor SVR defaults", ms, svr.leaveOneOutDetermination(),
             holdOutR2(*model, sample));
    const auto start = Clock::now();
    SupportVectorRegression plain(0, n, count);
    plain.loadResponse(0);
    plain.build(false);
    std::printf("%-10s %5d  %-26s %10.2f %10s %10.4f\n", name, count, "Zelkor SVR no refits",
                1e3 * std::chrono::duration<double>(Clock::now() - start).count(), "-",
                holdOutR2(plain, sample));
    std::printf("%-10s %5d    (SVR: %d pair updates of at most %d, %.0f per refit, epsilon %.3g, "
                "boxC %.3g)\n",
                name, count, svr.updateCount, svr.record().maxIterations + 1,
                static_cast<double>(svr.leaveOneOutUpdates) / count, svr.record().epsilon,
                svr.record().boxC);
    svrEpsilon = svr.record().epsilon;
    svrBox = svr.record().boxC;
}

void benchCrossValidatedThousand()
{
    const Sample sample = makeSample(testFunction("Hartman-6"), 1000, 2000u);
    install(sample);
    std::printf("\nCross-validated RBF fit of N = 1000 points in 6 variables (Hartmann 6)\n");
    std::printf("%-18s %10s %10s %10s %8s\n", "basis", "fit [ms]", "Q^2", "R^2 hold", "refits");
    for (int basis = 0; basis <= 5; ++basis) {
        std::shared_ptr<RSMBase> model;
        const double ms =
            timedFit([&] { return std::make_shared<RadialBasisFunction>(0, basis, 6, 1000); }, model);
        const auto& rbf = static_cast<const RadialBasisFunction&>(*model);
        std::printf("%-18s %10.1f %10.4f %10.4f %8d\n", kBasisNames[basis], ms,
                    rbf.leaveOneOutDetermination(), holdOutR2(*model, sample), rbf.leaveOneOutRefits);
    }
}

} // namespace

int main()
{
    const std::string python = pythonWithPeers();
    std::printf("Surrogates on random Latin-hypercube samples (MT19937, seed 1000 + N), R^2 on %d\n"
                "uniform hold-out points drawn after the sample from the same generator\n",
                kHoldOutPoints);
    std::printf("fit: construction, loading and build with leave-one-out data (peers: fit only)\n");
    std::printf("* the left-out models were refitted one by one (Phi needs the cut-off)\n");
    if (python.empty()) {
        std::printf("(SciPy / scikit-learn not found: peers left out)\n");
    }
    std::printf("%-10s %5s  %-26s %10s %10s %10s\n", "function", "N", "model", "fit [ms]", "Q^2",
                "R^2 hold");
    for (const SampleCase& c : kSampleCases) {
        const auto& f = testFunction(c.function);
        const Sample sample = makeSample(f, c.count, 1000u + static_cast<unsigned>(c.count));
        double svrEpsilon = 0.0;
        double svrBox = 0.0;
        benchOurs(c.label, sample, static_cast<int>(f.lower.size()), svrEpsilon, svrBox);
        benchPeers(python, c.label, sample, svrEpsilon, svrBox);
    }
    benchCrossValidatedThousand();
    return 0;
}
