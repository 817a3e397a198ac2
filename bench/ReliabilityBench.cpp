// Reliability benches beside OpenTURNS (bench/reliability_peers.py, Debian's
// python3-openturns; left out when missing), run in the same process run on
// the same samples:
//   fit    the eight fitted families, 1e5 samples each drawn by inverse
//          transform: time per response and the family picked.
//   mc     the Monte Carlo of a reliability study on kriging surrogates: 200
//          Latin-hypercube points in 6-D, 10 responses, 1e5 samples of
//          normal inputs; the sample, the responses and the Monte Carlo
//          inputs are written for the peer, which fits its own kriging and
//          predicts the same points.
// Usage: ReliabilityBench [DIR [threads]]; writes DIR/fit_<code>.txt,
// DIR/mc_sample.txt, DIR/mc_inputs.bin (DIR a fresh temporary folder when not
// given), runs the peer on them and prints both sides in one table.
#include <array>
#include <chrono>
#include <cstdlib>
#include <cmath>
#include <cstdio>
#include <ctime>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include <unistd.h>

#include "api/zelkor.h"
#include "reliability/DistributionFactory.h"
#include "reliability/ReliabilityAnalysis.h"

namespace {

constexpr int kSamples = 100000;
constexpr int kVariables = 6;
constexpr int kResponses = 10;
// The default kind (2, fitted powers) first; 1 and 0 need one exp per sample point.
constexpr std::array<int, 3> kCorrelationKinds{2, 1, 0};

double seconds(std::chrono::steady_clock::time_point from)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - from).count();
}

struct FitRow {
    int family;
    int picked;
    double seconds;
};

std::vector<FitRow> fitBench(const std::string& dir)
{
    const std::vector<std::vector<double>> rows{
        {0, 5.0, 2.0, 0, 0, 0},    {1, 3.0, 1.0, 0, 0, 0},   {2, 2.0, 0, 1.0, 0, 0},
        {3, 0, 0, 0, -1.0, 4.0},   {4, 2.0, 0, -1.0, 0, 0},  {5, 3.0, 2.0, 1.0, 0, 0},
        {6, 1.5, 2.0, 0.5, 0, 0},  {7, 2.0, 5.0, 0, 0.0, 1.0}};
    std::mt19937 generator(2024);
    std::vector<FitRow> result;
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
        result.push_back({static_cast<int>(row[0]), static_cast<int>(stats[135]), seconds(start)});
    }
    return result;
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

// Wall time, and the processor time of all threads: on a loaded machine the
// second still says what the work costs.
struct Timing {
    double wall = 0.0;
    double processor = 0.0;
};

// correlationKind: the kriging option (0, 1 or 2).
Timing monteCarloBench(const std::string& dir, int threads, int correlationKind)
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
    ints[10] = correlationKind;
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
    const std::clock_t processorBegin = std::clock();
    analysis->computeStep(nullptr, nullptr, nullptr);
    const Timing elapsed{seconds(begin),
                         static_cast<double>(std::clock() - processorBegin) / CLOCKS_PER_SEC};
    std::ofstream inputs(dir + "/mc_inputs.bin", std::ios::binary);
    inputs.write(reinterpret_cast<const char*>(analysis->sampledInputs().data()),
                 static_cast<std::streamsize>(analysis->sampledInputs().size() * sizeof(double)));
    return elapsed;
}

// The peer's rows: "fit <family> <picked> <seconds>" and "mc <seconds>".
struct PeerRows {
    std::vector<FitRow> fits;
    double monteCarlo = -1.0;
    bool ran = false;
};

PeerRows runPeer(const std::string& dir)
{
    PeerRows peer;
    if (std::system("/usr/bin/python3 -c 'import openturns' > /dev/null 2>&1") != 0) {
        return peer;
    }
    std::string script = __FILE__;
    const auto slash = script.find_last_of('/');
    script = (slash == std::string::npos ? std::string(".") : script.substr(0, slash)) +
             "/reliability_peers.py";
    FILE* pipe = popen(("OPENBLAS_NUM_THREADS=1 /usr/bin/python3 " + script + " " + dir).c_str(), "r");
    if (pipe == nullptr) {
        return peer;
    }
    char line[256];
    while (std::fgets(line, sizeof line, pipe) != nullptr) {
        FitRow row{};
        double mc = 0.0;
        if (std::sscanf(line, "fit %d %d %lf", &row.family, &row.picked, &row.seconds) == 3) {
            peer.fits.push_back(row);
        } else if (std::sscanf(line, "mc %lf", &mc) == 1) {
            peer.monteCarlo = mc;
        }
    }
    peer.ran = pclose(pipe) == 0;
    return peer;
}

} // namespace

int main(int argc, char** argv)
{
    std::string dir;
    if (argc > 1) {
        dir = argv[1];
    } else {
        char folder[] = "/tmp/reliability_bench_XXXXXX";
        if (mkdtemp(folder) == nullptr) {
            std::perror("mkdtemp");
            return 1;
        }
        dir = folder;
    }
    const int threads = argc > 2 ? std::atoi(argv[2]) : 2;
    const std::vector<FitRow> ours = fitBench(dir);
    std::vector<Timing> monteCarlo;
    for (const int kind : kCorrelationKinds) {
        monteCarlo.push_back(monteCarloBench(dir, threads, kind));
    }
    const PeerRows peer = runPeer(dir);
    static const char* const names[] = {"normal", "lognormal", "exponential", "uniform",
                                        "Rayleigh", "gamma", "Weibull", "beta"};
    std::printf("samples in %s%s\n", dir.c_str(),
                peer.ran ? "" : "  (OpenTURNS missing or failed: its columns are empty)");
    std::printf("fit, 1e5 samples    zelkor picked  seconds   OpenTURNS picked  seconds\n");
    for (std::size_t k = 0; k < ours.size(); ++k) {
        std::printf("  %-12s      %13d  %7.3f", names[ours[k].family], ours[k].picked, ours[k].seconds);
        if (k < peer.fits.size() && peer.fits[k].family == ours[k].family) {
            std::printf("   %16d  %7.3f", peer.fits[k].picked, peer.fits[k].seconds);
        }
        std::printf("\n");
    }
    const double perPoint = 1e6 / kSamples / kResponses;
    std::printf("mc, kriging N = 200, 6-D, 1e5 x %d responses\n", kResponses);
    for (std::size_t k = 0; k < monteCarlo.size(); ++k) {
        std::printf("  zelkor kind %d (%d threads) %7.3f s  %6.3f us per point per response"
                    "  (processor time %.3f s)\n",
                    kCorrelationKinds[k], threads, monteCarlo[k].wall,
                    monteCarlo[k].wall * perPoint, monteCarlo[k].processor);
    }
    if (peer.monteCarlo >= 0.0) {
        std::printf("  OpenTURNS (squared exp.)     %7.3f s  %6.3f us per point per response\n",
                    peer.monteCarlo, peer.monteCarlo * perPoint);
    }
    return 0;
}
