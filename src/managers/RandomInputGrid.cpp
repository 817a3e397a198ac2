#include "managers/RandomInputGrid.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>
#include <string>

#include "linalg/LinearAlgebra.h"

namespace Opt::RSM {

namespace {

void refuse(const std::string& why)
{
    throw std::invalid_argument("robust study: " + why);
}

void checkInput(const RandomInput& input, std::size_t index, int variableCount)
{
    const std::string name = "random input " + std::to_string(index);
    if (input.distribution != RandomInputGrid::kNormal &&
        input.distribution != RandomInputGrid::kUniform) {
        refuse(name + " has distribution " + std::to_string(input.distribution) +
               " (1 normal, 2 uniform)");
    }
    if (input.variable < 0 || input.variable >= variableCount) {
        refuse(name + " names design variable " + std::to_string(input.variable) + " of " +
               std::to_string(variableCount));
    }
    if (!(input.standardDeviation > 0.0) || !std::isfinite(input.standardDeviation) ||
        !std::isfinite(input.mean)) {
        refuse(name + " needs a positive, finite standard deviation and a finite mean");
    }
}

void checkSettings(const RobustSettings& settings, int variableCount)
{
    if (settings.inputs.empty()) {
        refuse("no random inputs are given (DataSet::robust.inputs)");
    }
    if (!(settings.k >= 0.0) || !std::isfinite(settings.k)) {
        refuse("k = " + std::to_string(settings.k) + " must be finite and not negative");
    }
    const int n = settings.quadraturePoints;
    if (n < RandomInputGrid::kFewestPoints || n > RandomInputGrid::kMostPoints) {
        refuse("quadraturePoints = " + std::to_string(n) + " is outside 2..20");
    }
    std::vector<bool> seen(static_cast<std::size_t>(std::max(variableCount, 0)), false);
    double size = 1.0;
    for (std::size_t i = 0; i < settings.inputs.size(); ++i) {
        checkInput(settings.inputs[i], i, variableCount);
        const auto variable = static_cast<std::size_t>(settings.inputs[i].variable);
        if (seen[variable]) {
            refuse("design variable " + std::to_string(variable) + " is random twice");
        }
        seen[variable] = true;
        size *= n;
    }
    if (size > RandomInputGrid::kLargestGrid) {
        refuse(std::to_string(n) + " points for each of " + std::to_string(settings.inputs.size()) +
               " random inputs exceed the rule's 4096 nodes; use fewer points");
    }
}

} // namespace

void RandomInputGrid::gaussRule(int distribution, int n, std::vector<double>& points,
                                std::vector<double>& ruleWeights)
{
    // Golub and Welsch: the nodes are the eigenvalues of the symmetric
    // tridiagonal matrix of the orthogonal polynomials' recurrence, the weights
    // the squared first components of its eigenvectors (the measures are
    // probabilities, so they sum to 1).
    Matrix jacobi(n, n, 0.0);
    for (int i = 1; i < n; ++i) {
        const double b = distribution == kNormal ? std::sqrt(double(i))
                                                 : i / std::sqrt(4.0 * i * i - 1.0);
        jacobi(i, i - 1) = b;
        jacobi(i - 1, i) = b;
    }
    const Linalg::SymmetricEigenDecomposition eigen = Linalg::decomposeSymmetricEigen(jacobi);
    if (!eigen.status.ok()) {
        refuse("the quadrature rule could not be formed: " + eigen.status.message);
    }
    // Legendre nodes lie on [-1, 1], variance 1/3: scaled to variance 1.
    const double scale = distribution == kNormal ? 1.0 : std::sqrt(3.0);
    points.resize(static_cast<std::size_t>(n));
    ruleWeights.resize(static_cast<std::size_t>(n));
    for (int j = 0; j < n; ++j) {
        points[static_cast<std::size_t>(j)] = scale * eigen.values[static_cast<std::size_t>(j)];
        ruleWeights[static_cast<std::size_t>(j)] = eigen.vectors(0, j) * eigen.vectors(0, j);
    }
}

RandomInputGrid::RandomInputGrid(const RobustSettings& settings, int variableCount)
{
    checkSettings(settings, variableCount);
    nodes = {{}};
    weights = {1.0};
    for (const RandomInput& input : settings.inputs) {
        std::vector<double> points, ruleWeights;
        gaussRule(input.distribution, settings.quadraturePoints, points, ruleWeights);
        std::vector<std::vector<double>> grown;
        std::vector<double> grownWeights;
        for (std::size_t k = 0; k < nodes.size(); ++k) {
            for (std::size_t j = 0; j < points.size(); ++j) {
                grown.push_back(nodes[k]);
                grown.back().push_back(points[j]);
                grownWeights.push_back(weights[k] * ruleWeights[j]);
            }
        }
        nodes = std::move(grown);
        weights = std::move(grownWeights);
    }
}

} // namespace Opt::RSM
