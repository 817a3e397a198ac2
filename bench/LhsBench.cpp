// Latin hypercube quality beside SciPy's scipy.stats.qmc.LatinHypercube (no
// optimisation), both drawn in the same run on the same n and d: for n = 10, 20,
// 50, 100 points and d = 2, 5, 10 factors, the largest absolute correlation
// between two columns (lower is better) and the smallest distance between two
// points in the unit cube (higher is better), each the median over 20 seeds.
// Ours are fixed-seed designs with fixedSeed 0..19, SciPy's those of seed
// 0..19, drawn by bench/lhs_peers.py (Debian's python3-scipy; left out when
// missing). Both measures are computed here, on both sides alike.
//
// Like with like: our default variant places each point at a uniform position
// within its cell, as SciPy's default (scramble=True) does. Our corner variant
// (cells m/(n-1)) is compared with SciPy's centred design (scramble=False,
// cells (m + 0.5)/n) moved onto the same grid m/(n-1), an affine map that leaves
// the correlations as they are.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

#include "common/DesignVariable.h"
#include "doe/LatinHypercube.h"

namespace {

using Opt::DesignVariable;
using Opt::DOE::LatinHypercube;
using Points = std::vector<std::vector<double>>;

constexpr int kSeeds = 20;
constexpr int kCounts[] = {10, 20, 50, 100};
constexpr int kFactors[] = {2, 5, 10};
// The standard error of a median of m normal values is sqrt(pi/2) sigma/sqrt(m).
constexpr double kMedianErrorFactor = 1.2533;
constexpr double kNoiseBand = 2.0;
constexpr double kTie = 1e-9;

double columnCorrelation(const Points& points, std::size_t a, std::size_t b)
{
    const auto n = static_cast<double>(points.size());
    double meanA = 0.0;
    double meanB = 0.0;
    for (const auto& p : points) {
        meanA += p[a] / n;
        meanB += p[b] / n;
    }
    double ab = 0.0;
    double aa = 0.0;
    double bb = 0.0;
    for (const auto& p : points) {
        ab += (p[a] - meanA) * (p[b] - meanB);
        aa += (p[a] - meanA) * (p[a] - meanA);
        bb += (p[b] - meanB) * (p[b] - meanB);
    }
    return ab / std::sqrt(aa * bb);
}

double largestCorrelation(const Points& points)
{
    double largest = 0.0;
    for (std::size_t a = 0; a < points[0].size(); ++a) {
        for (std::size_t b = a + 1; b < points[0].size(); ++b) {
            largest = std::max(largest, std::abs(columnCorrelation(points, a, b)));
        }
    }
    return largest;
}

double smallestDistance(const Points& points)
{
    double smallest = INFINITY;
    for (std::size_t i = 0; i < points.size(); ++i) {
        for (std::size_t k = i + 1; k < points.size(); ++k) {
            double squared = 0.0;
            for (std::size_t j = 0; j < points[i].size(); ++j) {
                squared += (points[i][j] - points[k][j]) * (points[i][j] - points[k][j]);
            }
            smallest = std::min(smallest, squared);
        }
    }
    return std::sqrt(smallest);
}

struct Summary {
    double median = 0.0;
    double noise = 0.0; // standard error of the median
};

Summary summarise(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    const std::size_t m = values.size();
    Summary summary;
    summary.median = (values[(m - 1) / 2] + values[m / 2]) / 2.0;
    double mean = 0.0;
    for (const double v : values) {
        mean += v / static_cast<double>(m);
    }
    double squares = 0.0;
    for (const double v : values) {
        squares += (v - mean) * (v - mean);
    }
    summary.noise = kMedianErrorFactor * std::sqrt(squares / static_cast<double>(m - 1)) /
                    std::sqrt(static_cast<double>(m));
    return summary;
}

struct Measures {
    Summary correlation;
    Summary distance;
};

Measures measure(const std::vector<Points>& designs)
{
    std::vector<double> correlations;
    std::vector<double> distances;
    for (const auto& design : designs) {
        correlations.push_back(largestCorrelation(design));
        distances.push_back(smallestDistance(design));
    }
    return {summarise(correlations), summarise(distances)};
}

std::vector<Points> ourDesigns(int n, int d, int variant)
{
    const std::vector<DesignVariable> unitCube(static_cast<std::size_t>(d), DesignVariable({0.0, 1.0}, 0.5));
    std::vector<Points> designs;
    for (int seed = 0; seed < kSeeds; ++seed) {
        const LatinHypercube design(unitCube, n, variant, 0, false, {}, static_cast<std::uint32_t>(seed));
        designs.push_back(design.pointSet->points);
    }
    return designs;
}

std::string peerScript()
{
    std::string path = __FILE__;
    const auto slash = path.find_last_of('/');
    return (slash == std::string::npos ? std::string(".") : path.substr(0, slash)) + "/lhs_peers.py";
}

std::string pythonWithScipy()
{
    for (const char* candidate : {"/usr/bin/python3", "python3"}) {
        const std::string check = std::string(candidate) + " -c 'import scipy' > /dev/null 2>&1";
        if (std::system(check.c_str()) == 0) {
            return candidate;
        }
    }
    return "";
}

// SciPy's kSeeds designs of n points in d factors, or none when the peer fails.
std::vector<Points> scipyDesigns(const std::string& python, int n, int d, const char* mode)
{
    const std::string command = python + " " + peerScript() + " " + std::to_string(n) + " " +
                                std::to_string(d) + " " + std::to_string(kSeeds) + " " + mode;
    FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr) {
        return {};
    }
    std::vector<Points> designs(kSeeds, Points(static_cast<std::size_t>(n), std::vector<double>(d)));
    bool complete = true;
    for (auto& design : designs) {
        for (auto& point : design) {
            for (double& x : point) {
                complete = complete && std::fscanf(pipe, "%lf", &x) == 1;
            }
        }
    }
    complete = pclose(pipe) == 0 && complete;
    return complete ? designs : std::vector<Points>{};
}

// Centres (m + 0.5)/n moved onto the corner grid m/(n - 1).
std::vector<Points> onCornerGrid(std::vector<Points> designs)
{
    for (auto& design : designs) {
        const auto n = static_cast<double>(design.size());
        for (auto& point : design) {
            for (double& x : point) {
                x = (x * n - 0.5) / (n - 1.0);
            }
        }
    }
    return designs;
}

// "ok" when ours is no worse on either measure; otherwise how far ours falls
// behind, marked "~" when the gap is within two standard errors of the
// difference of the medians (a gap SciPy would show against itself on other
// seeds about one time in twenty). Gaps of rounding size count as ties: the
// corner designs share one grid.
std::string verdict(const Measures& ours, const Measures& peer)
{
    std::string text;
    const auto behind = [&text](const char* name, double gap, const Summary& a, const Summary& b) {
        if (gap <= kTie * b.median) {
            return;
        }
        char item[64];
        const bool withinNoise = gap <= kNoiseBand * std::hypot(a.noise, b.noise);
        std::snprintf(item, sizeof item, "%s%s %.0f%%%s", text.empty() ? "" : ", ", name,
                      100.0 * gap / b.median, withinNoise ? " ~" : "");
        text += item;
    };
    behind("corr +", ours.correlation.median - peer.correlation.median, ours.correlation,
           peer.correlation);
    behind("dist -", peer.distance.median - ours.distance.median, ours.distance, peer.distance);
    return text.empty() ? "ok" : text;
}

void benchVariant(const std::string& python, int variant, const char* peerMode, const char* title)
{
    std::printf("\n%s\n", title);
    std::printf("%5s %3s  %10s %10s  %10s %10s  %s\n", "n", "d", "corr ours", "corr SciPy", "dist ours",
                "dist SciPy", "verdict");
    for (const int n : kCounts) {
        for (const int d : kFactors) {
            const Measures ours = measure(ourDesigns(n, d, variant));
            std::vector<Points> peer = python.empty() ? std::vector<Points>{}
                                                      : scipyDesigns(python, n, d, peerMode);
            if (peer.empty()) {
                std::printf("%5d %3d  %10.4f %10s  %10.4f %10s  (no peer)\n", n, d, ours.correlation.median,
                            "", ours.distance.median, "");
                continue;
            }
            if (variant == LatinHypercube::kCellCorners) {
                peer = onCornerGrid(std::move(peer));
            }
            const Measures scipy = measure(peer);
            std::printf("%5d %3d  %10.4f %10.4f  %10.4f %10.4f  %s\n", n, d, ours.correlation.median,
                        scipy.correlation.median, ours.distance.median, scipy.distance.median,
                        verdict(ours, scipy).c_str());
        }
    }
}

} // namespace

int main()
{
    const std::string python = pythonWithScipy();
    std::printf("Latin hypercubes, median over %d seeds: corr = largest |correlation| of two columns\n"
                "(lower is better), dist = smallest distance of two points in the unit cube (higher\n"
                "is better). verdict: ok = ours no worse on both; otherwise how far ours is behind\n"
                "SciPy's median, ~ when within two standard errors of the difference (noise).\n",
                kSeeds);
    if (python.empty()) {
        std::printf("(SciPy not found: peer left out)\n");
    }
    benchVariant(python, LatinHypercube::kRandomInCell, "random",
                 "Random position in the cell: ours variant 0 vs SciPy scramble=True");
    benchVariant(python, LatinHypercube::kCellCorners, "centred",
                 "Cell corners: ours variant 1 vs SciPy scramble=False (centres moved onto m/(n-1))");
    return 0;
}
