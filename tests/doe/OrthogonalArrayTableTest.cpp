#include "doe/OrthogonalArrayTable.h"

#include <set>
#include <tuple>
#include <vector>

#include <gtest/gtest.h>

namespace Opt::DOE {
namespace {

std::string name(const OrthogonalArrayTable& table)
{
    return std::to_string(table.levels) + " levels, " + std::to_string(table.runs) + " runs";
}

// The fifteen arrays, each of strength 2: in every pair of columns each pair of
// symbols appears runs / levels^2 times.
TEST(OrthogonalArrayCatalogue, HoldsTheFifteenArraysAndEveryPairOfColumnsIsBalanced)
{
    std::set<std::tuple<int, int, int>> sizes;
    for (const auto& table : orthogonalArrayCatalogue()) {
        ASSERT_EQ(table.symbols.size(), static_cast<std::size_t>(table.runs * table.columns)) << name(table);
        sizes.insert({table.levels, table.runs, table.columns});
        const int expected = table.runs / (table.levels * table.levels);
        ASSERT_EQ(expected * table.levels * table.levels, table.runs) << name(table);
        for (int a = 0; a < table.columns; ++a) {
            for (int b = a + 1; b < table.columns; ++b) {
                std::vector<int> counts(static_cast<std::size_t>(table.levels * table.levels), 0);
                for (int r = 0; r < table.runs; ++r) {
                    const int first = table.symbol(r, a);
                    const int second = table.symbol(r, b);
                    ASSERT_LT(first, table.levels) << name(table);
                    ASSERT_LT(second, table.levels) << name(table);
                    ++counts[static_cast<std::size_t>(first * table.levels + second)];
                }
                for (const int count : counts) {
                    ASSERT_EQ(count, expected) << name(table) << ", columns " << a << " and " << b;
                }
            }
        }
    }
    const std::set<std::tuple<int, int, int>> expected{
        {2, 4, 3},  {2, 8, 7},   {2, 12, 11}, {2, 16, 15}, {2, 32, 31},
        {2, 96, 48}, {3, 9, 4},  {3, 18, 7},  {3, 36, 13}, {3, 81, 40},
        {4, 16, 5}, {4, 32, 9},  {4, 64, 21}, {5, 25, 6},  {5, 50, 11}};
    EXPECT_EQ(sizes, expected);
    EXPECT_EQ(orthogonalArrayCatalogue().size(), 15u);
}

} // namespace
} // namespace Opt::DOE
