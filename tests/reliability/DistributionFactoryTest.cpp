#include "reliability/DistributionFactory.h"

#include <array>

#include "reliability/DistributionTestSupport.h"

namespace Opt {
namespace {

using Row = std::array<double, kDistributionRowLength>;

class DistributionFactory : public ::testing::Test {
protected:
    static constexpr double kUnused = 99.0; // columns a family does not read

    static std::shared_ptr<DISTRIBUTION_Parameter> create(const Row& row, int variableIndex = 0)
    {
        return createDistribution(row.data(), variableIndex);
    }

    // The family built and the mean and standard deviation its parameters fix.
    static void expectFamily(const Row& row, double mean, double standardDeviation)
    {
        const auto record = create(row);
        ASSERT_NE(record, nullptr) << "type " << row[0];
        EXPECT_EQ(record->typeCode(), static_cast<int>(row[0]));
        EXPECT_NEAR(record->mean(), mean, 1e-13) << "type " << row[0];
        EXPECT_NEAR(record->standardDeviation(), standardDeviation, 1e-13) << "type " << row[0];
    }
};

TEST_F(DistributionFactory, EachFamilyReadsItsColumns)
{
    expectFamily({0, 5.0, 2.0, kUnused, kUnused, kUnused}, 5.0, 2.0);
    expectFamily({1, 2.0, 0.5, kUnused, kUnused, kUnused}, 2.0, 0.5); // of X, not ln X
    expectFamily({2, 0.5, kUnused, 3.0, kUnused, kUnused}, 3.0 + 1.0 / 0.5, 1.0 / 0.5);
    expectFamily({3, kUnused, kUnused, kUnused, 1.0, 5.0}, 3.0, 4.0 / std::sqrt(12.0));
    expectFamily({4, 2.0, kUnused, 1.0, kUnused, kUnused}, 1.0 + 2.0 * std::sqrt(kPi / 2.0),
                 2.0 * std::sqrt((4.0 - kPi) / 2.0));
    expectFamily({5, 3.0, 2.0, 1.0, kUnused, kUnused}, 1.0 + 3.0 * 2.0, std::sqrt(3.0) * 2.0);
    // Weibull of shape 1 is the exponential with mean excess = scale.
    expectFamily({6, 1.0, 2.0, 1.0, kUnused, kUnused}, 1.0 + 2.0, 2.0);
    // beta(2, 3) on [1, 6]: mean 1 + 2/5 · 5, variance 6/(25 · 6) · 25
    expectFamily({7, 2.0, 3.0, kUnused, 1.0, 6.0}, 3.0, 1.0);
    // triangle 1, 2, 6: variance (1 + 4 + 36 − 2 − 6 − 12)/18
    expectFamily({8, 2.0, kUnused, kUnused, 1.0, 6.0}, 3.0, std::sqrt(21.0 / 18.0));
    // The record knows its variable, and fractional codes truncate.
    EXPECT_EQ(create({0, 0.0, 1.0, 0.0, 0.0, 0.0}, 7)->variableIndex(), 7);
    EXPECT_EQ(create({2.7, 1.0, 0.0, 0.0, 0.0, 0.0})->typeCode(), 2);
}

TEST_F(DistributionFactory, CodesNamingNoFamilyBuildNothingAndBadRowsFail)
{
    for (double code : {9.0, 12.0, -1.0, std::nan(""), kInfinity, 1e300}) {
        EXPECT_EQ(create({code, 0.0, 1.0, 0.0, 0.0, 1.0}), nullptr) << "code " << code;
    }
    EXPECT_EQ(createDistribution(nullptr, 0), nullptr);
    expectErrorMentioning<std::domain_error>([] { create({1, 1.0, 0.0, 0.0, 0.0, 0.0}); },
                                             "Scale parameter is 0, but must be > 0 !");
    expectErrorMentioning<std::domain_error>([] { create({3, 0.0, 0.0, 0.0, 5.0, 5.0}); },
                                             "lower parameter is 5, but must be less than upper!");
}

} // namespace
} // namespace Opt
