// The store of evaluated strings: what counts as the same design, and copying
// the stored responses out.
#include "ga/GARepository.h"

#include <gtest/gtest.h>

#include "GATestSupport.h"

namespace Opt {
namespace {

using GATesting::realPopulation;

class Repository : public ::testing::Test {
protected:
    static std::vector<ResponseRow> rowsWith(double objective, double constraint)
    {
        std::vector<ResponseRow> rows(2);
        rows[0].value = objective;
        rows[1].value = constraint;
        rows[1].acceptedValue = constraint + 1.0;
        return rows;
    }

    GARepository repository;
};

TEST_F(Repository, RealGenesWithinOneBillionthAreTheSameDesign)
{
    const GAGenomes stored = realPopulation({{0.25, 0.5, 0.75}});
    repository.store(stored, GAGenomes::kReal, 0, rowsWith(1.0, -2.0));
    const GAGenomes probes = realPopulation(
        {{0.25 + 5e-10, 0.5 - 5e-10, 0.75 + 5e-10}, {0.25 + 2e-9, 0.5, 0.75}, {0.25, 0.5, 0.75 - 2e-9}});
    EXPECT_TRUE(repository.find(GAGenomes::kReal, probes, 0));
    EXPECT_FALSE(repository.find(GAGenomes::kReal, probes, 1));
    EXPECT_FALSE(repository.find(GAGenomes::kReal, probes, 2));
    EXPECT_FALSE(repository.find(GAGenomes::kReal, probes, 5)) << "no such individual";
}

TEST_F(Repository, FirstMatchInStorageOrderIsFoundAcrossABucketBoundaryAndCopiedOut)
{
    // The store indexes first genes in buckets of 1e-8; a match may sit just
    // across a boundary, and the earlier of two matches wins, in one bucket too.
    const GAGenomes stored = realPopulation({{2e-8 + 4e-10, 0.5}, {2e-8 - 4e-10, 0.5}, {0.7, 0.5}});
    repository.store(stored, GAGenomes::kReal, 2, rowsWith(3.0, 0.0));
    repository.store(stored, GAGenomes::kReal, 0, rowsWith(1.0, 0.0));
    repository.store(stored, GAGenomes::kReal, 1, rowsWith(2.0, 0.0));
    repository.store(stored, GAGenomes::kReal, 1, rowsWith(9.0, 0.0));
    const GAGenomes probe = realPopulation({{2e-8 - 4e-10, 0.5}, {2e-8 - 1.2e-9, 0.5}});
    ASSERT_TRUE(repository.find(GAGenomes::kReal, probe, 0));
    EXPECT_EQ(repository.lastMatch(), 1);
    ASSERT_TRUE(repository.find(GAGenomes::kReal, probe, 1));
    EXPECT_EQ(repository.lastMatch(), 2);
    std::vector<ResponseRow> rows = rowsWith(0.0, 0.0);
    repository.copyOut(rows);
    EXPECT_EQ(rows[0].value, 2.0);
    EXPECT_EQ(rows[1].acceptedValue, 1.0) << "bookkeeping fields come back as stored";
    EXPECT_EQ(repository.lastMatch(), -1);
}

TEST_F(Repository, EntriesOfManySizesComeBackWhole)
{
    // Genes and rows of all entries share two arrays: each entry must come back
    // with exactly its own, whatever was stored before and after it.
    const GAGenomes shortStrings = realPopulation({{0.5}, {0.25}});
    const GAGenomes longStrings = realPopulation({{0.5, 0.5, 0.5}});
    repository.reserve(GAGenomes::kReal, 2, 1, 1);
    repository.store(shortStrings, GAGenomes::kReal, 0, std::vector<ResponseRow>(1));
    repository.store(longStrings, GAGenomes::kReal, 0, rowsWith(7.0, -7.0));
    repository.store(shortStrings, GAGenomes::kReal, 1, rowsWith(4.0, 0.0));
    ASSERT_TRUE(repository.find(GAGenomes::kReal, longStrings, 0));
    EXPECT_EQ(repository.lastMatch(), 1) << "the first entry has the same first gene but one gene only";
    std::vector<ResponseRow> rows;
    repository.copyOut(rows);
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0].value, 7.0);
    EXPECT_EQ(rows[1].value, -7.0);
    ASSERT_TRUE(repository.find(GAGenomes::kReal, shortStrings, 1));
    repository.copyOut(rows);
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0].value, 4.0);
    EXPECT_EQ(repository.size(), 3);
}

TEST_F(Repository, BinaryStringsMatchOnEveryBit)
{
    GAGenomes first(GAGenomes::kBinary, RandomSource(3u));
    first.build(GAGenomes::kBinary, 2);
    first.setStringLength(37);
    first.randomizeBinary(0, 2);
    GAGenomes again = first;
    GAGenomes other(GAGenomes::kBinary, RandomSource(4u));
    other.build(GAGenomes::kBinary, 1);
    other.setStringLength(37);
    other.randomizeBinary(0, 1);
    repository.store(first, GAGenomes::kBinary, 1, rowsWith(1.0, 0.0));
    EXPECT_TRUE(repository.find(GAGenomes::kBinary, again, 1));
    EXPECT_FALSE(repository.find(GAGenomes::kBinary, again, 0));
    EXPECT_FALSE(repository.find(GAGenomes::kBinary, other, 0));
    EXPECT_FALSE(repository.find(GAGenomes::kBinary, again, 2)) << "no such individual";
    EXPECT_FALSE(repository.find(GAGenomes::kBinary, again, -1)) << "no such individual";
}

} // namespace
} // namespace Opt
