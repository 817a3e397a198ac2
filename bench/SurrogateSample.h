#pragma once

// What the surrogate benchmarks share: the test functions' Latin-hypercube
// samples (MT19937, fixed seeds) with their hold-out points, installing a sample
// as the current design, hold-out R^2, timing a fit, and handing the same points
// to rsm_peers.py for the SciPy / scikit-learn peers.
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include <unistd.h>

#include "bench/TestFunctions.h"
#include "rsm/CurrentDesign.h"
#include "rsm/GivenPointsDesign.h"
#include "rsm/InputNormalisation.h"
#include "rsm/RSMBase.h"

namespace SurrogateBench {

using namespace Opt;
using namespace Opt::RSM;
using Clock = std::chrono::steady_clock;
using Points = std::vector<std::vector<double>>;

constexpr int kHoldOutPoints = 5000;

// The benchmark's samples: test function, row label, number of points.
struct SampleCase {
    const char* function;
    const char* label;
    int count;
};
const SampleCase kSampleCases[] = {{"Branin", "Branin", 20},         {"Branin", "Branin", 50},
                                   {"Branin", "Branin", 100},        {"Hartman-6", "Hartmann6", 50},
                                   {"Hartman-6", "Hartmann6", 100}, {"Hartman-6", "Hartmann6", 200}};

struct Sample {
    Points points;              // surrogate coordinates
    std::vector<double> values;
    Points holdOut;
    std::vector<double> holdOutValues;
};

inline const Bench::TestFunction& testFunction(const std::string& name)
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

inline std::vector<DesignVariable> variablesOf(const Bench::TestFunction& f)
{
    std::vector<DesignVariable> variables;
    for (std::size_t j = 0; j < f.lower.size(); ++j) {
        variables.emplace_back(std::vector<double>{f.lower[j], f.upper[j]}, f.lower[j]);
    }
    return variables;
}

// A random Latin hypercube (McKay, Beckman and Conover 1979): every variable's
// range cut into count cells, one point per cell, the cells of each variable
// shuffled independently. Drawn here from one MT19937 per sample, so that the
// samples of the surrogate benches stay the same whatever becomes of the
// library's LatinHypercube (bench/LhsBench.cpp measures that one beside SciPy).
inline Points latinHypercube(std::size_t variables, int count, std::mt19937& random)
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

inline Sample makeSample(const Bench::TestFunction& f, int count, unsigned seed)
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

inline void install(const Sample& sample)
{
    auto design = std::make_shared<GivenPointsDesign>(sample.points);
    for (const double v : sample.values) {
        design->pointSet->responses.push_back({v});
    }
    design->pointSet->responseColumns[0] = 0;
    setCurrentDesign(design);
}

inline double holdOutR2(const RSMBase& model, const Sample& sample)
{
    std::vector<double> predictions;
    for (const auto& x : sample.holdOut) {
        predictions.push_back(model.predict(x));
    }
    return RSMBase::coefficientOfDetermination(sample.holdOutValues, predictions);
}

inline void printRow(const char* function, int count, const std::string& model, double ms, double q2,
              double r2)
{
    std::printf("%-10s %5d  %-26s %10.2f %10.4f %10.4f\n", function, count, model.c_str(), ms, q2, r2);
}

// Constructs, loads and fits with leave-one-out data; returns the milliseconds.
inline double timedFit(const std::function<std::shared_ptr<RSMBase>()>& create,
                std::shared_ptr<RSMBase>& model)
{
    const auto start = Clock::now();
    model = create();
    model->loadResponse(0);
    model->build(true);
    return 1e3 * std::chrono::duration<double>(Clock::now() - start).count();
}

// The path of a script beside this header in bench/.
inline std::string benchScript(const char* name)
{
    std::string path = __FILE__;
    const auto slash = path.find_last_of('/');
    return (slash == std::string::npos ? std::string(".") : path.substr(0, slash)) + "/" + name;
}

inline std::string peerScript() { return benchScript("rsm_peers.py"); }

// A Python interpreter that imports `modules` (a comma-separated list), or ""
// when there is none.
inline std::string pythonWith(const char* modules)
{
    for (const char* candidate : {"/usr/bin/python3", "python3"}) {
        const std::string check = std::string(candidate) + " -c 'import " + modules +
                                  "' > /dev/null 2>&1";
        if (std::system(check.c_str()) == 0) {
            return candidate;
        }
    }
    return "";
}

inline std::string pythonWithPeers() { return pythonWith("scipy, sklearn"); }

inline void writeSample(const std::string& path, const Sample& sample, double svrEpsilon, double svrBox)
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

// Runs rsm_peers.py on the sample; `mode` selects the peer ("" for the RBF and
// SVR peers, "gp" or "gp-units" for the Gaussian process).
inline void benchPeers(const std::string& python, const char* name, const Sample& sample, double svrEpsilon,
                double svrBox, const std::string& mode = "")
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
    const std::string command =
        python + " " + peerScript() + " " + name + " " + path + (mode.empty() ? "" : " " + mode);
    if (std::system(command.c_str()) != 0) {
        std::printf("(%s failed)\n", command.c_str());
    }
    std::remove(path);
}

} // namespace SurrogateBench
