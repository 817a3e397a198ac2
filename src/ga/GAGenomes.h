#pragma once

#include <vector>

#include "common/RandomSource.h"
#include "ga/GABinaryString.h"
#include "ga/GARealString.h"

namespace Opt {

// The population of a genetic algorithm and the string-level operators that act
// on it: the current generation, the next one being bred, the parent each bred
// individual was copied from, and the discrete value lists of the variables.
//
// Random draws. The container owns one MT19937 generator, a copy of its engine's
// that the engine replaces at the end of every generation. Every operator draws
// from a private copy taken when it starts and leaves the container's generator
// as it was, with one exception: the initialisation of discrete variables other
// than the first reseeds the container's generator with j + 1 after the draws of
// variable j, so that each variable's draws start from a known state.
//
// Operators. crossBinary exchanges the bits before a cut point (Goldberg 1989);
// crossReal is the bounded simulated binary crossover of Deb and Agrawal (1995)
// with distribution index 1; mutateReal is their polynomial mutation. Crossover
// and mutation act on the next population, which holds the selected individuals
// (without the elite) while they run.
//
// Codings: 0 binary strings, 1 real strings, 2 both populations kept side by side
// with the real strings deciding the design. The engines reject coding 2 when
// they are built; the container keeps both populations consistently so that the
// operators stay well defined.
class GAGenomes {
public:
    static constexpr int kBinary = 0;
    static constexpr int kReal = 1;
    static constexpr int kBoth = 2;
    static constexpr double kSameGeneTolerance = 1e-9;

    GAGenomes(int coding, const RandomSource& generator);

    void build(int coding, int populationSize);
    void setStringLength(int length);
    void setBitsPerVariable(const std::vector<int>& bits);
    // One list per design variable: empty for a continuous variable, else the
    // allowed values normalised and ascending.
    void setDiscreteLists(const std::vector<std::vector<double>>& lists);
    void setGenerator(const RandomSource& source) { generator = source; }

    void randomizeBinary(int first, int last);
    void initialiseReal(int first, int last);
    void decodeIndividual(int i, std::vector<double>& out) const;
    void select(int i);
    void crossBinary(int a, int b, int cut);
    void crossReal(double crossoverRate);
    void mutateBinary(double mutationRate);
    void mutateReal(double mutationRate, int maxGenerations, int generation);
    void commitGeneration();
    void snapToDiscrete();
    // Root mean square difference of the genes of real strings i and j.
    double distance(int i, int j) const;

    // Replaces the next population by count new individuals drawn by the rules of
    // the initial population (a micro-GA restart); their parent entries are -1.
    void fillNextWithNewIndividuals(int count);
    // Replaces the genes of real string i (a locally improved individual).
    void assignReal(int i, const std::vector<double>& values);
    void setLocallyImproved(int i);
    void clearLocallyImproved();
    bool isLocallyImproved(int i) const;

    // A uniform integer in [first, last]: the standard library's uniform integer
    // distribution on the generator's 32-bit outputs.
    static int drawInteger(RandomSource& source, int first, int last);
    // The shuffle of the pairing lists and discrete initialisation: for k = 0 ..
    // count - 1, entry k is swapped with entry k + (r mod (size - k)), r a uniform
    // integer in [0, 2^31 - 1].
    static void shuffle(std::vector<int>& entries, int count, RandomSource& source);

    // Bounded SBX on one pair of genes with the draw u: y1 moves to the lower,
    // y2 to the upper child value, both clamped to [0, 1].
    static void crossGenes(double& y1, double& y2, double u);
    // The value of list (ascending) that x snaps to; draws from source only when x
    // lies strictly between two entries.
    static double snapToList(double x, const std::vector<double>& list, RandomSource& source);

    int coding() const { return codingValue; }
    int populationSize() const { return size; }
    int totalBits() const { return bitCount; }
    int geneCountOfStrings() const { return geneCount; }
    const std::vector<int>& bitsPerVariable() const { return bitsPerField; }
    const std::vector<GABinaryString>& binaryStrings() const { return binaryPopulation; }
    const std::vector<GARealString>& realStrings() const { return realPopulation; }
    const std::vector<GABinaryString>& nextBinaryStrings() const { return nextBinary; }
    const std::vector<GARealString>& nextRealStrings() const { return nextReal; }
    const std::vector<int>& selectedParents() const { return parents; }
    const RandomSource& randomSource() const { return generator; }
    // The number of individuals in the next population.
    int nextCount() const;

private:
    bool usesBinary() const { return codingValue == kBinary || codingValue == kBoth; }
    bool usesReal() const { return codingValue == kReal || codingValue == kBoth; }
    bool isDiscrete(std::size_t variable) const;
    bool anyDiscrete() const;
    void initialiseRealStrings(std::vector<GARealString>& strings, int first, int last);
    void crossRealPart(RandomSource& draws, double crossoverRate, int first, int last);
    // Crosses the genes of one pair by crossGenes, one draw per gene in gene order.
    void crossPair(GARealString& a, GARealString& b, RandomSource& draws);
    void swapNext(int a, int b);

    std::vector<GABinaryString> binaryPopulation;
    std::vector<GABinaryString> nextBinary;
    std::vector<int> bitsPerField;
    std::vector<GARealString> realPopulation;
    std::vector<GARealString> nextReal;
    std::vector<int> parents;
    std::vector<std::vector<double>> discreteLists;
    int geneCount = 0;
    int bitCount = 0;
    int codingValue = kReal;
    int size = 0;
    RandomSource generator;
    std::vector<bool> locallyImproved;
    // Strings of past generations kept for their storage, and the draws of one
    // crossing pair: working memory only, no part of the population's state.
    std::vector<GABinaryString> spareBinary;
    std::vector<GARealString> spareReal;
    std::vector<double> pairDraws;
};

} // namespace Opt
