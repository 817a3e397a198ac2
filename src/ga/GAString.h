#pragma once

#include <vector>

#include "common/RandomSource.h"

namespace Opt {

// A chromosome of a genetic algorithm (Goldberg, "Genetic Algorithms in Search,
// Optimization and Machine Learning", 1989): one candidate design in normalised
// form, 0 at a variable's lower bound and 1 at its upper bound. A string never
// holds physical values.
//
// The operations are those every coding offers; a coding that has no use for one
// (a binary string has no genes to assign, a real string no bits to flip) does
// nothing.
class GAString {
public:
    virtual ~GAString() = default;

    // Sets the number of bits or genes; new ones are 0.
    virtual void resize(int length) = 0;
    // Draws every bit or gene in index order from generator, advancing it.
    virtual void randomize(RandomSource& generator) = 0;
    // Writes one normalised value per design variable into out, which already
    // holds one entry per variable.
    virtual void decode(std::vector<double>& out, const std::vector<int>& bitsPerVariable) const = 0;
    virtual void assign(const std::vector<double>& values) = 0;
    virtual void mutateGene(int /*gene*/, double /*u*/, int /*generation*/) {}
    virtual void flipBit(int /*bit*/) {}
};

} // namespace Opt
