#pragma once

#include <vector>

#include "engine/DataSet.h"

namespace Opt::RSM {

// The nodes and weights over which a robust study averages a response: the
// tensor product of one Gauss rule per random input, Gauss-Hermite for a
// normal input and Gauss-Legendre for a uniform one, each standardised to mean
// 0 and variance 1 with weights that sum to 1. A node's offsets times the
// inputs' standard deviations are the scatter added to their centres.
//
// Why Gauss rules rather than a random sample: the study's objective must be
// the same number every time the search asks for the same design (a sampled
// estimate would make the search chase noise), and an n-node rule gives the
// mean and variance of a polynomial surrogate of degree n - 1 exactly, with
// few evaluations of the models.
class RandomInputGrid {
public:
    static constexpr int kNormal = 1;
    static constexpr int kUniform = 2;
    static constexpr int kFewestPoints = 2;
    static constexpr int kMostPoints = 20;
    static constexpr int kLargestGrid = 4096;

    // Throws std::invalid_argument, naming the offending setting, for settings
    // that describe no grid (see RobustSettings).
    RandomInputGrid(const RobustSettings& settings, int variableCount);

    int nodeCount() const { return static_cast<int>(weights.size()); }
    // Standardised offsets of node k, one per random input, in input order.
    const std::vector<double>& offsets(int k) const { return nodes[static_cast<std::size_t>(k)]; }
    double weight(int k) const { return weights[static_cast<std::size_t>(k)]; }

    // The standardised one-dimensional rule of a distribution with n nodes.
    static void gaussRule(int distribution, int n, std::vector<double>& points,
                          std::vector<double>& ruleWeights);

private:
    std::vector<std::vector<double>> nodes;
    std::vector<double> weights;
};

} // namespace Opt::RSM
