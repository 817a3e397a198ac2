// Reliability benches beside OpenTURNS (bench/reliability_peers.py, run on the
// same samples):
//   fit    the eight fitted families, 1e5 samples each drawn by inverse
//          transform: time per response and the family picked.
//   mc     the Monte Carlo of a reliability study on kriging surrogates: 200
//          Latin-hypercube points in 6-D, 10 responses, 1e5 samples of
//          normal inputs; the sample, the responses and the Monte Carlo
//          inputs are written for the peer, which fits its own kriging and
//          predicts the same points.
// Usage: ReliabilityBench DIR [threads]; writes DIR/fit_<code>.txt,
// DIR/mc_sample.txt, DIR/mc_inputs.bin and prints our rows.
#include <chrono>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "api/zelkor.h"
#include "reliability/DistributionFactory.h"
#include "reliability/ReliabilityAnalysis.h"

namespace {

constexpr int kSamples = 100000;
constexpr int kVariables = 6;
constexpr int kResponses = 10;

double seconds(std::chrono::steady_clock::time_point from)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - from).count();
}

void fitBench(const std::string& dir)
{
    const std::vector<std::vector<double>> rows{
        {0, 5.0, 2.0, 0, 0, 0},    {1, 3.0, 1.0, 0, 0, 0},   {2, 2.0, 0, 1.0, 0, 0},
        {3, 0, 0, 0, -1.0, 4.0},   {4, 2.0, 0, -1.0, 0, 0},  {5, 3.0, 2.0, 1.0, 0, 0},
        {6, 1.5, 2.0, 0.5, 0, 0},  {7, 2.0, 5.0, 0, 0.0, 1.0}};
    std::mt19937 generator(2024);
    std::printf("fit  true-family  picked  seconds\n");
    for (const auto& row : rows) {
        const auto record = Opt::createDistribution(row.data(), 0);
        std::vector<double> samples(kSamples);
        for (double& v : samples) {
            v = record->quantile((generator() + 0.5) / 4294967296.0);
        }
        std::ofstream out(dir + "/fit_" + std::to_string(static_cast<int>(row[0])) + ".txt");
        out.precision(17);
        for (const double v : samples) {
            out << v << '\n';
        }
        std::vector<double> stats(ZELKOR_STATISTICS_LENGTH);
        const auto start = std::chrono::steady_clock::now();
        evaluate_distribute_model(samples.data(), 1, kSamples, stats.data(), nullptr, nullptr);
        std::printf("fit  %11d  %6d  %7.3f\n", static_cast<int>(row[0]), static_cast<int>(stats[135]),
                    seconds(start));
    }
}

int responses(double* x, int n, double* f, int m)
{
    for (int j = 0; j < m; ++j) {
        double value = 0.0;
        for (int i = 0; i < n; ++i) {
            value += std::sin((j + 1) * 0.3 * x[i] + i) + 0.1 * (i + 1) * x[i] * x[i];
        }
        f[j] = value;
    }
    return 0;
}

void monteCarloBench(const std::string& dir, int threads)
{
    std::vector<double> start(kVariables, 0.0);
    std::vector<std::vector<double>> bounds(kVariables, {-3.0, 3.0});
    std::vector<int> ints(Opt::ReliabilityAnalysis::kHostIntCount, -1);
    ints[1] = threads;
    ints[5] = 2;
    ints[6] = 0;
    ints[7] = 0;
    ints[8] = 200;
    ints[9] = 2;
    Opt::OptEngineMain session(kVariables, kResponses, start, bounds, nullptr, ints.data(),
                               Opt::ReliabilityAnalysis::kEngineType, 0);
    auto* analysis = dynamic_cast<Opt::ReliabilityAnalysis*>(session.engine.get());
    analysis->setRandomInputs(std::vector<std::array<double, 6>>(kVariables, {{0, 0.0, 1.0, 0, 0, 0}}), {});
    std::vector<double> f(kResponses);
    std::ofstream sample(dir + "/mc_sample.txt");
    sample.precision(17);
    int code = 1;
    while ((code = session.runOptEngine(start.data(), f.data(), nullptr)) > 0) {
        if (code == 1) {
            responses(start.data(), kVariables, f.data(), kResponses);
            for (const double v : start) sample << v << ' ';
            for (const double v : f) sample << v << ' ';
            sample << '\n';
        }
    }
    const auto begin = std::chrono::steady_clock::now();
    analysis->computeStep(nullptr, nullptr, nullptr);
    const double elapsed = seconds(begin);
    std::ofstream inputs(dir + "/mc_inputs.bin", std::ios::binary);
    inputs.write(reinterpret_cast<const char*>(analysis->sampledInputs().data()),
                 static_cast<std::streamsize>(analysis->sampledInputs().size() * sizeof(double)));
    std::printf("mc   zelkor  threads %d  %7.3f s  %6.3f us per point per response\n", threads,
                elapsed, elapsed / kSamples / kResponses * 1e6);
}

} // namespace

int main(int argc, char** argv)
{
    const std::string dir = argc > 1 ? argv[1] : ".";
    const int threads = argc > 2 ? std::atoi(argv[2]) : 2;
    fitBench(dir);
    monteCarloBench(dir, threads);
    return 0;
}
