#include "ga/GARealString.h"

#include <algorithm>
#include <cmath>
#include <iostream>

namespace Opt {

void GARealString::resize(int length)
{
    geneCount = length > 0 ? length : 0;
    genes.resize(static_cast<std::size_t>(geneCount), 0.0);
}

void GARealString::randomize(RandomSource& generator)
{
    for (double& value : genes) {
        value = generator.uniform();
    }
}

void GARealString::decode(std::vector<double>& out, const std::vector<int>& /*bitsPerVariable*/) const
{
    out = genes;
}

void GARealString::assign(const std::vector<double>& values)
{
    genes = values;
    geneCount = static_cast<int>(genes.size());
}

double GARealString::mutationStep(double x, double u, int generation)
{
    double delta = std::min(x, 1.0 - x);
    if (std::fabs(delta) < kStepFloor) {
        delta = 0.0;
    }
    const double e = generation + kBaseDistributionIndex + 1.0;
    const double far = std::pow(1.0 - delta, e);
    double step = u <= 0.5 ? std::pow(2.0 * u + (1.0 - 2.0 * u) * far, 1.0 / e) - 1.0
                           : 1.0 - std::pow(2.0 * (1.0 - u) + 2.0 * (u - 0.5) * far, 1.0 / e);
    if (std::fabs(step) < kStepFloor) {
        step = 0.0;
    }
    return step;
}

void GARealString::mutateGene(int gene, double u, int generation)
{
    if (gene < 0 || gene >= geneCount) {
        return;
    }
    double& x = genes[static_cast<std::size_t>(gene)];
    const double delta = std::min(x, 1.0 - x);
    const double step = mutationStep(x, u, generation);
    x += step;
    if (x < 0.0 || x > 1.0) {
        std::cout << x << '\n' << (std::fabs(delta) < kStepFloor ? 0.0 : delta) << '\n' << step << '\n';
    }
}

bool GARealString::sameGenes(const GARealString& other, double tolerance) const
{
    if (geneCount != other.geneCount) {
        return false;
    }
    for (std::size_t k = 0; k < genes.size(); ++k) {
        if (!(std::fabs(genes[k] - other.genes[k]) < tolerance)) {
            return false;
        }
    }
    return true;
}

} // namespace Opt
