// The population container: initialisation rules, selection, the crossover,
// mutation and snapping operators and their random sources.
#include "ga/GAGenomes.h"

#include <algorithm>
#include <cmath>

#include <gtest/gtest.h>

namespace Opt {
namespace {

class RealPopulation : public ::testing::Test {
protected:
    // n genes, N individuals, genes given row by row.
    void fill(const std::vector<std::vector<double>>& rows)
    {
        genomes.build(GAGenomes::kReal, static_cast<int>(rows.size()));
        genomes.setStringLength(static_cast<int>(rows.front().size()));
        for (std::size_t i = 0; i < rows.size(); ++i) {
            genomes.assignReal(static_cast<int>(i), rows[i]);
        }
    }
    std::vector<double> next(int i) const
    {
        return genomes.nextRealStrings()[static_cast<std::size_t>(i)].values();
    }

    GAGenomes genomes{GAGenomes::kReal, RandomSource(21u)};
};

TEST(GAGenomesBinary, RandomBitsComeFromOneCopyAcrossTheIndividuals)
{
    GAGenomes genomes(GAGenomes::kBinary, RandomSource(4u));
    genomes.build(GAGenomes::kBinary, 3);
    genomes.setStringLength(20);
    genomes.randomizeBinary(0, 3);
    RandomSource expected(4u);
    for (const GABinaryString& string : genomes.binaryStrings()) {
        for (int k = 0; k < 20; ++k) {
            EXPECT_EQ(string.bit(k), expected.uniform() >= 0.5);
        }
    }
    EXPECT_TRUE(genomes.randomSource() == RandomSource(4u)) << "the container's generator is untouched";
}

TEST(GAGenomesBinary, SinglePointCrossoverExchangesTheBitsBeforeTheCut)
{
    GAGenomes genomes(GAGenomes::kBinary, RandomSource(9u));
    genomes.build(GAGenomes::kBinary, 2);
    genomes.setStringLength(40);
    genomes.randomizeBinary(0, 2);
    genomes.select(0);
    genomes.select(1);
    const GABinaryString a = genomes.nextBinaryStrings()[0];
    const GABinaryString b = genomes.nextBinaryStrings()[1];
    genomes.crossBinary(0, 1, 35);
    for (int k = 0; k < 40; ++k) {
        EXPECT_EQ(genomes.nextBinaryStrings()[0].bit(k), k < 35 ? b.bit(k) : a.bit(k)) << k;
        EXPECT_EQ(genomes.nextBinaryStrings()[1].bit(k), k < 35 ? a.bit(k) : b.bit(k)) << k;
    }
}

TEST(GAGenomesBinary, AutomaticMutationRateIsOneOverTheStringLength)
{
    GAGenomes genomes(GAGenomes::kBinary, RandomSource(5u));
    genomes.build(GAGenomes::kBinary, 4);
    genomes.setStringLength(45);
    genomes.randomizeBinary(0, 4);
    for (int i = 0; i < 4; ++i) {
        genomes.select(i);
    }
    const std::vector<GABinaryString> before = genomes.nextBinaryStrings();
    genomes.mutateBinary(0.0);
    RandomSource draws(5u);
    int flips = 0;
    for (std::size_t i = 0; i < before.size(); ++i) {
        for (int k = 0; k < 45; ++k) {
            const bool flipped = draws.uniform() < 1.0 / 45.0;
            flips += flipped ? 1 : 0;
            EXPECT_EQ(genomes.nextBinaryStrings()[i].bit(k), before[i].bit(k) != flipped);
        }
    }
    EXPECT_GT(flips, 0);
}

TEST_F(RealPopulation, ContinuousGenesAreDrawnIndividualAfterIndividual)
{
    genomes.build(GAGenomes::kReal, 3);
    genomes.setStringLength(2);
    genomes.initialiseReal(0, 3);
    RandomSource expected(21u);
    for (const GARealString& string : genomes.realStrings()) {
        EXPECT_EQ(string.gene(0), expected.uniform());
        EXPECT_EQ(string.gene(1), expected.uniform());
    }
}

TEST_F(RealPopulation, DiscreteVariablesTakeListValuesAndReseedTheGenerator)
{
    const std::vector<double> first = {0.0, 0.25, 0.5, 1.0};
    const std::vector<double> third = {0.1, 0.9};
    genomes.setDiscreteLists({first, {}, third});
    genomes.build(GAGenomes::kReal, 8);
    genomes.setStringLength(3);
    genomes.initialiseReal(0, 8);
    // The first variable cycles through a shuffled order of its values.
    std::vector<double> firstValues;
    for (const GARealString& string : genomes.realStrings()) {
        firstValues.push_back(string.gene(0));
        EXPECT_TRUE(string.gene(2) == 0.1 || string.gene(2) == 0.9);
    }
    for (std::size_t i = 0; i < 4; ++i) {
        EXPECT_EQ(firstValues[i], firstValues[i + 4]) << "the order wraps";
    }
    std::vector<double> cycle(firstValues.begin(), firstValues.begin() + 4);
    std::sort(cycle.begin(), cycle.end());
    EXPECT_EQ(cycle, first);
    // After the draws of variable 2 the generator is reseeded with 3.
    EXPECT_TRUE(genomes.randomSource() == RandomSource(3u));
    // The continuous gene still comes from the generator's state at the start.
    RandomSource expected(21u);
    EXPECT_EQ(genomes.realStrings()[0].gene(1), expected.uniform());
}

TEST(GAGenomesSbx, GivenDrawsGiveTheBoundedChildren)
{
    // y = (0.2, 0.6): margin 0.2, spread 0.4, beta 2, alpha 1.75.
    double y1 = 0.2;
    double y2 = 0.6;
    GAGenomes::crossGenes(y1, y2, 0.5); // below 1/alpha: betaQ = sqrt(0.875)
    EXPECT_NEAR(y1, 0.4 - 0.2 * std::sqrt(0.875), 1e-15);
    EXPECT_NEAR(y2, 0.4 + 0.2 * std::sqrt(0.875), 1e-15);
    y1 = 0.6; // the first member always takes the lower child
    y2 = 0.2;
    GAGenomes::crossGenes(y1, y2, 0.9); // above 1/alpha: betaQ = sqrt(1 / (2 - 1.575))
    EXPECT_NEAR(y1, 0.4 - 0.2 * std::sqrt(1.0 / 0.425), 1e-15);
    EXPECT_NEAR(y2, 0.4 + 0.2 * std::sqrt(1.0 / 0.425), 1e-15);
    y1 = 0.2;
    y2 = 0.6;
    GAGenomes::crossGenes(y1, y2, 0.0);
    EXPECT_EQ(y1, 0.4);
    EXPECT_EQ(y2, 0.4);
}

TEST(GAGenomesSbx, ChildrenStayInTheUnitInterval)
{
    for (double u : {0.0, 0.3, 0.7, 0.999999, 1.5}) {
        double y1 = 0.0;
        double y2 = 1.0;
        GAGenomes::crossGenes(y1, y2, u);
        EXPECT_GE(y1, 0.0);
        EXPECT_LE(y2, 1.0);
        if (u >= 1.0) {
            continue; // draws are below 1; a clamped 1 spreads equal genes without bound
        }
        double same1 = 0.3;
        double same2 = 0.3;
        GAGenomes::crossGenes(same1, same2, u);
        EXPECT_NEAR(same1, 0.3, 1e-15);
        EXPECT_NEAR(same2, 0.3, 1e-15);
    }
}

TEST(GAGenomesSnap, ValuesOutsideOrOnTheListNeedNoDraw)
{
    const std::vector<double> list = {0.2, 0.5, 0.8};
    RandomSource source(1u);
    const RandomSource untouched = source;
    EXPECT_EQ(GAGenomes::snapToList(-0.1, list, source), 0.2);
    EXPECT_EQ(GAGenomes::snapToList(0.2, list, source), 0.2);
    EXPECT_EQ(GAGenomes::snapToList(0.97, list, source), 0.8);
    EXPECT_EQ(GAGenomes::snapToList(0.5 + 1e-17, list, source), 0.5);
    EXPECT_TRUE(source == untouched);
}

TEST(GAGenomesSnap, ValueBetweenTwoEntriesIsDecidedByOneDraw)
{
    const std::vector<double> list = {0.2, 0.5, 0.8};
    for (std::uint32_t seed = 1; seed < 40; ++seed) {
        RandomSource source(seed);
        RandomSource draw(seed);
        const double expected = draw.uniform() < 0.5 ? 0.5 : 0.8;
        EXPECT_EQ(GAGenomes::snapToList(0.65, list, source), expected);
        EXPECT_TRUE(source == draw) << "exactly one draw";
    }
}

TEST_F(RealPopulation, SnapPutsEveryDiscreteGeneOnItsList)
{
    genomes.setDiscreteLists({{}, {0.0, 0.5, 1.0}});
    fill({{0.33, 0.1}, {0.44, 0.74}, {0.55, 0.26}, {0.66, -0.2}});
    genomes.snapToDiscrete();
    for (const GARealString& string : genomes.realStrings()) {
        EXPECT_TRUE(string.gene(1) == 0.0 || string.gene(1) == 0.5 || string.gene(1) == 1.0);
    }
    EXPECT_EQ(genomes.realStrings()[3].gene(1), 0.0);
    EXPECT_EQ(genomes.realStrings()[2].gene(0), 0.55) << "continuous genes stay";
}

TEST_F(RealPopulation, PairOfCopiesOfOneParentTakesTheNextIndividual)
{
    fill({{0.1}, {0.2}, {0.3}, {0.4}, {0.5}, {0.6}});
    for (int parent : {0, 0, 1, 2, 3}) {
        genomes.select(parent);
    }
    genomes.crossReal(1.0); // everyone joins
    EXPECT_EQ(genomes.selectedParents(), (std::vector<int>{0, 1, 0, 2, 3}));
    // The pairs were (0, 1) in the first part and (2, 3) in the second; 4 was left.
    EXPECT_EQ(next(4), (std::vector<double>{0.4}));
    EXPECT_NEAR(next(0)[0] + next(1)[0], 0.1 + 0.2, 1e-15) << "SBX keeps the mean";
}

TEST_F(RealPopulation, LastIndividualIsNeverSwapped)
{
    fill({{0.1}, {0.2}, {0.3}, {0.4}});
    for (int parent : {1, 2, 2}) {
        genomes.select(parent);
    }
    genomes.crossReal(1.0);
    EXPECT_EQ(genomes.selectedParents(), (std::vector<int>{1, 2, 2}));
    EXPECT_NEAR(next(2)[0], 0.3, 1e-15);
}

TEST_F(RealPopulation, CrossoverRateZeroLeavesEveryone)
{
    fill({{0.1, 0.9}, {0.2, 0.8}, {0.3, 0.7}, {0.4, 0.6}});
    for (int i = 0; i < 3; ++i) {
        genomes.select(i);
    }
    genomes.crossReal(0.0);
    EXPECT_EQ(next(0), (std::vector<double>{0.1, 0.9}));
    EXPECT_EQ(next(2), (std::vector<double>{0.3, 0.7}));
}

TEST_F(RealPopulation, MutationSparesTheLastSelectedIndividual)
{
    fill({{0.3, 0.6}, {0.4, 0.5}, {0.2, 0.7}});
    for (int i = 0; i < 3; ++i) {
        genomes.select(i);
    }
    // At the last generation the automatic rate is 1: every gene of the others moves.
    genomes.mutateReal(0.0, 10, 10);
    EXPECT_NE(next(0)[0], 0.3);
    EXPECT_NE(next(1)[1], 0.5);
    EXPECT_EQ(next(2), (std::vector<double>{0.2, 0.7}));
}

TEST_F(RealPopulation, CommitMakesTheNextPopulationCurrent)
{
    fill({{0.1}, {0.2}, {0.3}});
    genomes.select(2);
    genomes.select(2);
    genomes.select(0);
    genomes.commitGeneration();
    EXPECT_EQ(genomes.realStrings()[0].values(), (std::vector<double>{0.3}));
    EXPECT_EQ(genomes.realStrings()[2].values(), (std::vector<double>{0.1}));
    EXPECT_TRUE(genomes.selectedParents().empty());
    EXPECT_EQ(genomes.nextCount(), 0);
}

TEST_F(RealPopulation, DistanceIsTheRootMeanSquare)
{
    fill({{0.0, 0.0}, {0.3, 0.4}});
    EXPECT_NEAR(genomes.distance(0, 1), std::sqrt(0.25 / 2.0), 1e-15);
    EXPECT_EQ(genomes.distance(0, 7), 0.0);
}

TEST_F(RealPopulation, NewIndividualsFollowTheInitialRules)
{
    genomes.setDiscreteLists({{}, {0.25, 0.75}});
    fill({{0.5, 0.25}, {0.5, 0.25}, {0.5, 0.25}, {0.5, 0.25}, {0.5, 0.25}});
    genomes.fillNextWithNewIndividuals(4);
    EXPECT_EQ(genomes.selectedParents(), (std::vector<int>(4, -1)));
    RandomSource expected(21u);
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(next(i)[0], expected.uniform());
        EXPECT_TRUE(next(i)[1] == 0.25 || next(i)[1] == 0.75);
    }
    EXPECT_NE(next(0), next(1));
}

TEST(GAGenomesFlags, LocallyImprovedFlagsClearAtBuild)
{
    GAGenomes genomes(GAGenomes::kReal, RandomSource());
    genomes.build(GAGenomes::kReal, 3);
    genomes.setLocallyImproved(1);
    genomes.setLocallyImproved(9);
    EXPECT_TRUE(genomes.isLocallyImproved(1));
    EXPECT_FALSE(genomes.isLocallyImproved(0));
    genomes.clearLocallyImproved();
    EXPECT_FALSE(genomes.isLocallyImproved(1));
    genomes.setLocallyImproved(2);
    genomes.build(GAGenomes::kReal, 3);
    EXPECT_FALSE(genomes.isLocallyImproved(2));
}

} // namespace
} // namespace Opt
