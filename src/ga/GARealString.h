#pragma once

#include <vector>

#include "ga/GAString.h"

namespace Opt {

// A real-coded chromosome: one gene per design variable, each normally in [0, 1].
//
// mutateGene is the polynomial mutation of Deb and Agrawal ("Simulated binary
// crossover for continuous search space", Complex Systems 9, 1995) with the
// distribution index 100 + generation, so the perturbation narrows as the run
// goes on. The step never leaves [0, 1] from a gene inside it (it is bounded by
// the distance to the nearer bound); a gene that ends outside anyway (it started
// outside) is reported on standard output and kept.
class GARealString final : public GAString {
public:
    static constexpr double kStepFloor = 1e-8; // distances and steps below it count as 0
    static constexpr int kBaseDistributionIndex = 100;

    void resize(int length) override;
    void randomize(RandomSource& generator) override;
    void decode(std::vector<double>& out, const std::vector<int>& bitsPerVariable) const override;
    void assign(const std::vector<double>& values) override;
    void mutateGene(int gene, double u, int generation) override;

    int length() const { return geneCount; }
    double gene(int i) const { return genes[static_cast<std::size_t>(i)]; }
    void setGene(int i, double value) { genes[static_cast<std::size_t>(i)] = value; }
    const std::vector<double>& values() const { return genes; }
    // Whether both strings have the same length and every pair of genes differs
    // by less than tolerance.
    bool sameGenes(const GARealString& other, double tolerance) const;

    // The polynomial mutation step for gene value x, draw u and generation t.
    static double mutationStep(double x, double u, int generation);

private:
    int geneCount = 0;
    std::vector<double> genes;
};

} // namespace Opt
