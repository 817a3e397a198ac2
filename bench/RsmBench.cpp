// Surrogate fits on random Latin-hypercube samples (fixed seeds) of the Branin
// function (N = 20, 50, 100) and the Hartmann 6 function (N = 50, 100, 200): fit
// time with leave-one-out data, the leave-one-out Q^2 and R^2 on 5000 uniform
// hold-out points, for polynomial regression (kind 4), RBF (every basis) and
// SVR (defaults). SVR's leave-one-out prediction drops a term without refitting,
// so its Q^2 measures how much the fit leans on single coefficients, not how
// well it predicts. The same points go to rsm_peers.py, which fits SciPy's
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

#include "bench/TestFunctions.h"
#include "rsm/CurrentDesign.h"
#include "rsm/GivenPointsDesign.h"
#include "rsm/InputNormalisation.h"
#include "rsm/PolynomialRegression.h"
#include "rsm/RadialBasisFunction.h"
#include "rsm/SupportVectorRegression.h"

namespace {

using Clock = std::chrono::steady_clock;
using Points = std::vector<std::vector<double>>;
using namespace Opt;
using namespace Opt::RSM;

constexpr int kHoldOutPoints = 5000;
const char* const kBasisNames[6] = {"linear", "cubic", "thin-plate", "Gaussian", "multiquadric",
                                    "inv-multiquadric"};

struct Sample {
    Points points;              // surrogate coordinates
    std::vector<double> values;
    Points holdOut;
    std::vector<double> holdOutValues;
};

const Bench::TestFunction& testFunction(const std::string& name)
{
    static const std::vector<Bench::TestFunction> functions = Bench::globalTestFunctions();
    for (const auto& f : functions) {
        if (f.name == name) {
            return f;
        }
    }
    std::fprintf(stderr, "no test function %s\n", name.c_str());
    std::exit(1);
}

std::vector<DesignVariable> variablesOf(const Bench::TestFunction& f)
{
    std::vector<DesignVariable> variables;
    for (std::size_t j = 0; j < f.lower.size(); ++j) {
        variables.emplace_back(std::vector<double>{f.lower[j], f.upper[j]}, f.lower[j]);
    }
    return variables;
}

// A random Latin hypercube (McKay, Beckman and Conover 1979): every variable's
// range cut into count cells, one point per cell, the cells of each variable
// shuffled independently. Drawn here from one MT19937 per sample rather than by
// the library's LatinHypercube, whose fixed-seed mode applies the same shuffle
// cycle to every variable, a structured design that would favour no model.
Points latinHypercube(std::size_t variables, int count, std::mt19937& random)
{
    const auto n = static_cast<std::size_t>(count);
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    Points points(n, std::vector<double>(variables));
    for (std::size_t j = 0; j < variables; ++j) {
        std::vector<std::size_t> cells(n);
        for (std::size_t i = 0; i < n; ++i) {
            cells[i] = i;
        }
        for (std::size_t i = n; i > 1; --i) {
            std::swap(cells[i - 1], cells[random() % i]);
        }
        for (std::size_t i = 0; i < n; ++i) {
            points[i][j] = (static_cast<double>(cells[i]) + unit(random)) / static_cast<double>(n);
        }
    }
    return points;
}

Sample makeSample(const Bench::TestFunction& f, int count, unsigned seed)
{
    const auto variables = variablesOf(f);
    std::mt19937 random(seed);
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    Sample sample;
    for (const auto& unitPoint : latinHypercube(variables.size(), count, random)) {
        std::vector<double> x;
        for (std::size_t j = 0; j < variables.size(); ++j) {
            x.push_back(f.lower[j] + unitPoint[j] * (f.upper[j] - f.lower[j]));
        }
        sample.points.push_back(toSurrogateCoordinates(x, variables));
        sample.values.push_back(f.value(x.data()));
    }
    for (int i = 0; i < kHoldOutPoints; ++i) {
        std::vector<double> x;
        for (std::size_t j = 0; j < variables.size(); ++j) {
            x.push_back(f.lower[j] + unit(random) * (f.upper[j] - f.lower[j]));
        }
        sample.holdOut.push_back(toSurrogateCoordinates(x, variables));
        sample.holdOutValues.push_back(f.value(x.data()));
    }
    return sample;
}

void install(const Sample& sample)
{
    auto design = std::make_shared<GivenPointsDesign>(sample.points);
    for (const double v : sample.values) {
        design->pointSet->responses.push_back({v});
    }
    design->pointSet->responseColumns[0] = 0;
    setCurrentDesign(design);
}

double holdOutR2(const RSMBase& model, const Sample& sample)
{
    std::vector<double> predictions;
    for (const auto& x : sample.holdOut) {
        predictions.push_back(model.predict(x));
    }
    return RSMBase::coefficientOfDetermination(sample.holdOutValues, predictions);
}

void printRow(const char* function, int count, const std::string& model, double ms, double q2,
              double r2)
{
    std::printf("%-10s %5d  %-26s %10.2f %10.4f %10.4f\n", function, count, model.c_str(), ms, q2, r2);
}

// Constructs, loads and fits with leave-one-out data; returns the milliseconds.
double timedFit(const std::function<std::shared_ptr<RSMBase>()>& create,
                std::shared_ptr<RSMBase>& model)
{
    const auto start = Clock::now();
    model = create();
    model->loadResponse(0);
    model->build(true);
    return 1e3 * std::chrono::duration<double>(Clock::now() - start).count();
}

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
    std::printf("%-10s %5d    (SVR: %d pair updates of at most %d, epsilon %.3g, boxC %.3g)\n", name,
                count, svr.updateCount, svr.record().maxIterations + 1, svr.record().epsilon,
                svr.record().boxC);
    svrEpsilon = svr.record().epsilon;
    svrBox = svr.record().boxC;
}

std::string peerScript()
{
    std::string path = __FILE__;
    const auto slash = path.find_last_of('/');
    return (slash == std::string::npos ? std::string(".") : path.substr(0, slash)) + "/rsm_peers.py";
}

std::string pythonWithPeers()
{
    for (const char* candidate : {"/usr/bin/python3", "python3"}) {
        const std::string check = std::string(candidate) +
                                  " -c 'import scipy, sklearn' > /dev/null 2>&1";
        if (std::system(check.c_str()) == 0) {
            return candidate;
        }
    }
    return "";
}

void writeSample(const std::string& path, const Sample& sample, double svrEpsilon, double svrBox)
{
    FILE* file = std::fopen(path.c_str(), "w");
    if (file == nullptr) {
        return;
    }
    std::fprintf(file, "%zu %zu %zu %.17g %.17g\n", sample.points.size(), sample.points[0].size(),
                 sample.holdOut.size(), svrEpsilon, svrBox);
    const auto rows = [file](const Points& points, const std::vector<double>& values) {
        for (std::size_t i = 0; i < points.size(); ++i) {
            for (const double x : points[i]) {
                std::fprintf(file, "%.17g ", x);
            }
            std::fprintf(file, "%.17g\n", values[i]);
        }
    };
    rows(sample.points, sample.values);
    rows(sample.holdOut, sample.holdOutValues);
    std::fclose(file);
}

void benchPeers(const std::string& python, const char* name, const Sample& sample, double svrEpsilon,
                double svrBox)
{
    if (python.empty()) {
        return;
    }
    char path[] = "/tmp/zelkor_rsm_bench_XXXXXX";
    const int descriptor = mkstemp(path);
    if (descriptor < 0) {
        return;
    }
    writeSample(path, sample, svrEpsilon, svrBox);
    std::fflush(stdout);
    const std::string command = python + " " + peerScript() + " " + name + " " + path;
    if (std::system(command.c_str()) != 0) {
        std::printf("(%s failed)\n", command.c_str());
    }
    std::remove(path);
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
    struct Case {
        const char* function;
        const char* label;
        int count;
    };
    const Case cases[] = {{"Branin", "Branin", 20},      {"Branin", "Branin", 50},
                          {"Branin", "Branin", 100},     {"Hartman-6", "Hartmann6", 50},
                          {"Hartman-6", "Hartmann6", 100}, {"Hartman-6", "Hartmann6", 200}};
    for (const Case& c : cases) {
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
