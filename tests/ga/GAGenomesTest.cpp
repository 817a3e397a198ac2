// The population container: the binary crossover, SBX and snapping on given
// draws, and the pairing of the selected parents.
#include "ga/GAGenomes.h"

#include <cmath>

#include <gtest/gtest.h>

#include "GATestSupport.h"

namespace Opt {
namespace {

class RealPopulation : public ::testing::Test {
protected:
    void fill(const std::vector<std::vector<double>>& rows)
    {
        genomes = GATesting::realPopulation(rows, RandomSource(21u));
    }
    std::vector<double> next(int i) const
    {
        return genomes.nextRealStrings()[static_cast<std::size_t>(i)].values();
    }

    GAGenomes genomes{GAGenomes::kReal, RandomSource(21u)};
};

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

TEST(GAGenomesSnap, OnlyAValueBetweenTwoEntriesTakesADraw)
{
    const std::vector<double> list = {0.2, 0.5, 0.8};
    RandomSource source(1u);
    const RandomSource untouched = source;
    EXPECT_EQ(GAGenomes::snapToList(-0.1, list, source), 0.2);
    EXPECT_EQ(GAGenomes::snapToList(0.2, list, source), 0.2);
    EXPECT_EQ(GAGenomes::snapToList(0.97, list, source), 0.8);
    EXPECT_EQ(GAGenomes::snapToList(0.5 + 1e-17, list, source), 0.5);
    EXPECT_TRUE(source == untouched);
    // Between two entries, one draw decides.
    for (std::uint32_t seed = 1; seed < 40; ++seed) {
        RandomSource seeded(seed);
        RandomSource draw(seed);
        const double expected = draw.uniform() < 0.5 ? 0.5 : 0.8;
        EXPECT_EQ(GAGenomes::snapToList(0.65, list, seeded), expected);
        EXPECT_TRUE(seeded == draw) << "exactly one draw";
    }
}

TEST_F(RealPopulation, SnapPutsEveryDiscreteGeneOnItsList)
{
    fill({{0.33, 0.1}, {0.44, 0.74}, {0.55, 0.26}, {0.66, -0.2}});
    genomes.setDiscreteLists({{}, {0.0, 0.5, 1.0}});
    genomes.snapToDiscrete();
    for (const GARealString& string : genomes.realStrings()) {
        EXPECT_TRUE(string.gene(1) == 0.0 || string.gene(1) == 0.5 || string.gene(1) == 1.0);
    }
    EXPECT_EQ(genomes.realStrings()[3].gene(1), 0.0);
    EXPECT_EQ(genomes.realStrings()[2].gene(0), 0.55) << "continuous genes stay";
}

TEST_F(RealPopulation, PairOfCopiesTakesTheNextIndividualAndTheLastIsNeverSwapped)
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
    fill({{0.1}, {0.2}, {0.3}, {0.4}});
    for (int parent : {1, 2, 2}) {
        genomes.select(parent);
    }
    genomes.crossReal(1.0);
    EXPECT_EQ(genomes.selectedParents(), (std::vector<int>{1, 2, 2}));
    EXPECT_NEAR(next(2)[0], 0.3, 1e-15);
}

TEST_F(RealPopulation, LaterGenerationsSelectExactCopiesIntoReusedStrings)
{
    // From the second generation on, selected copies are written into the strings
    // of the generation before, which must keep nothing of what they held.
    fill({{0.1, 0.9}, {0.2, 0.8}, {0.3, 0.7}, {0.4, 0.6}});
    for (int parent : {3, 2, 1, 0}) {
        genomes.select(parent);
    }
    genomes.commitGeneration();
    for (int parent : {1, 1, 3, 0}) {
        genomes.select(parent);
    }
    EXPECT_EQ(next(0), (std::vector<double>{0.3, 0.7}));
    EXPECT_EQ(next(1), (std::vector<double>{0.3, 0.7}));
    EXPECT_EQ(next(2), (std::vector<double>{0.1, 0.9}));
    EXPECT_EQ(next(3), (std::vector<double>{0.4, 0.6}));
    EXPECT_EQ(genomes.nextCount(), 4);
}

} // namespace
} // namespace Opt
