#include "rsm/NearestSamples.h"

#include <algorithm>
#include <numeric>
#include <stdexcept>
#include <string>

namespace Opt::RSM {

namespace {

double squaredDistance(const std::vector<double>& a, const std::vector<double>& b)
{
    double sum = 0.0;
    for (std::size_t k = 0; k < a.size() && k < b.size(); ++k) {
        sum += (a[k] - b[k]) * (a[k] - b[k]);
    }
    return sum;
}

} // namespace

void NearestSamples::resize(int length)
{
    if (length < 0) {
        throw std::invalid_argument("nearest-sample list of length " + std::to_string(length));
    }
    capacity = length;
    nearest.clear();
}

void NearestSamples::fill(const std::vector<double>& x, const std::vector<std::vector<double>>& points)
{
    std::vector<double> distances(points.size());
    for (std::size_t i = 0; i < points.size(); ++i) {
        distances[i] = squaredDistance(x, points[i]);
    }
    std::vector<int> order(points.size());
    std::iota(order.begin(), order.end(), 0);
    const auto kept = std::min(order.size(), static_cast<std::size_t>(capacity));
    std::partial_sort(order.begin(), order.begin() + static_cast<std::ptrdiff_t>(kept), order.end(),
                      [&distances](int a, int b) {
                          const auto da = distances[static_cast<std::size_t>(a)];
                          const auto db = distances[static_cast<std::size_t>(b)];
                          return da < db || (da == db && a < b);
                      });
    order.resize(kept);
    nearest = std::move(order);
}

} // namespace Opt::RSM
