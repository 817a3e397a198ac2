// The statistics services and the family fits, through the public header.
#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <vector>

#include "api/zelkor.h"
#include "reliability/DistributionFactory.h"

namespace {

constexpr int kMean = 99;
constexpr int kBestType = 135;

struct LookupCase {
    std::vector<double> samples;
    int mode;
    double v;
    double expected;
};

TEST(StatisticsServices, EmpiricalDistributionLookups)
{
    const std::vector<double> s{4.0, 2.0, 3.0, 1.0};
    const std::vector<LookupCase> cases{
        {s, 1, 2.5, 0.625}, {s, 1, 0.5, 0.125}, {s, 1, 5.0, 1.0}, {s, 0, 1.0, 4.0},
        {s, 0, 0.625, 2.5}, {s, 7, 0.5, 0.0},
        // Negative samples: anchored at min(0, s_0), 0 below it, v < 0 read as 0.
        {{-2.0, -1.0}, 1, -3.0, 0.0}, {{-2.0, -1.0}, 1, -1.5, 0.75},
        {{-2.0, -1.0}, 0, -0.25, -2.0}};
    for (const LookupCase& c : cases) {
        EXPECT_DOUBLE_EQ(switch_cdf_fos(c.v, c.samples.data(), static_cast<int>(c.samples.size()), c.mode),
                         c.expected)
            << "mode " << c.mode << " at " << c.v;
    }
    EXPECT_TRUE(std::isnan(switch_cdf_fos(0.5, nullptr, 4, 1)));
}

TEST(StatisticsServices, DensityInTheVariablesUnits)
{
    const double normal[] = {0, 0.0, 1.0, 0, 0, 0};
    const double beta[] = {7, 2.0, 2.0, 0, 0.0, 4.0}; // Boost's density at t = 0.5 is 1.5
    unsigned char ok = 0;
    EXPECT_DOUBLE_EQ(evaluate_pdfval(0.0, normal, &ok), 1.0 / std::sqrt(2.0 * std::acos(-1.0)));
    EXPECT_EQ(ok, 1);
    EXPECT_DOUBLE_EQ(evaluate_pdfval(2.0, beta, &ok), 0.375);
}

TEST(StatisticsServices, BadInputClearsTheFlag)
{
    const double unknown[] = {12, 0.0, 1.0, 0, 0, 0};
    const double negativeSd[] = {0, 0.0, -1.0, 0, 0, 0};
    const std::vector<double> constant(10, 2.0);
    unsigned char ok = 1;
    EXPECT_TRUE(std::isnan(evaluate_pdfval(0.0, unknown, &ok)));
    EXPECT_EQ(ok, 0);
    EXPECT_EQ(zelkorLastStatus(), ZELKOR_STATUS_INVALID_INPUT);
    EXPECT_TRUE(std::isnan(evaluate_pdfval(0.0, negativeSd, &ok)));
    EXPECT_EQ(ok, 0);
    EXPECT_EQ(evaluate_distribute_model(constant.data(), 1, 0, nullptr, nullptr, &ok), 0);
    EXPECT_EQ(evaluate_distribute_model(constant.data(), 1, 10, nullptr, nullptr, &ok), 0);
    EXPECT_NE(std::string(zelkorLastMessage()).find("constant"), std::string::npos);
    EXPECT_TRUE(std::isnan(evaluate_relpost(0, 0, 0.0, "no_such_reliability_file", &ok)));
    EXPECT_EQ(ok, 0);
    double slopes[1];
    const double x[] = {0.5};
    const char* types[] = {"CONT"};
    evaluate_local_sensitivityC("no_such_model.rsm", 0, 1, x, nullptr, nullptr, types, 1e-3, slopes, &ok);
    EXPECT_EQ(ok, 0);
}

// Pearson with N - 1 (perfect correlation reads 1 at N = 5) and quantiles at
// ceil(jN/100) - 1 (the 1 % value, not the minimum; the 99 % one present).
TEST(StatisticsServices, CorrelationAndOrderStatistics)
{
    std::vector<double> samples(2000);
    for (int k = 0; k < 1000; ++k) {
        samples[static_cast<std::size_t>(k)] = k + 1.0;
        samples[static_cast<std::size_t>(1000 + k)] = 2.0 * (k + 1.0);
    }
    std::vector<double> stats(2 * ZELKOR_STATISTICS_LENGTH);
    double correlation = 0.0;
    ASSERT_EQ(evaluate_distribute_model(samples.data(), 2, 1000, stats.data(), &correlation, nullptr), 1);
    EXPECT_DOUBLE_EQ(correlation, 1.0);
    EXPECT_EQ(stats[0], 10.0);
    EXPECT_EQ(stats[98], 990.0);
    EXPECT_DOUBLE_EQ(stats[kMean], 500.5);
    const std::vector<double> five{1, 2, 3, 4, 5, 2, 4, 6, 8, 10};
    ASSERT_EQ(evaluate_distribute_model(five.data(), 2, 5, nullptr, &correlation, nullptr), 1);
    EXPECT_DOUBLE_EQ(correlation, 1.0);
}

// Samples drawn by inverse transform from each family (shifted ones and shapes
// below 1 included) are recognised as that family.
TEST(StatisticsServices, EachFamilyIsRecoveredFromItsSamples)
{
    const std::vector<std::vector<double>> rows{
        {0, 5.0, 2.0, 0, 0, 0},      {0, -3.0, 0.1, 0, 0, 0},  {1, 3.0, 1.0, 0, 0, 0},
        {1, 10.0, 6.0, 0, 0, 0},     {2, 2.0, 0, 1.0, 0, 0},   {2, 0.1, 0, -5.0, 0, 0},
        {3, 0, 0, 0, -1.0, 4.0},     {4, 2.0, 0, -1.0, 0, 0},  {5, 3.0, 2.0, 1.0, 0, 0},
        {5, 0.5, 1.0, 0.0, 0, 0},    {6, 1.5, 2.0, 0.5, 0, 0}, {6, 0.7, 1.0, 0.0, 0, 0},
        {7, 3.0, 1.5, 0, 0.0, 1.0},  {7, 0.5, 0.5, 0, -2.0, 3.0}};
    constexpr int kSamples = 20000;
    std::mt19937 generator(7);
    std::vector<double> stats(ZELKOR_STATISTICS_LENGTH);
    for (const auto& row : rows) {
        const auto record = Opt::createDistribution(row.data(), 0);
        std::vector<double> samples(kSamples);
        for (double& v : samples) {
            v = record->quantile((generator() + 0.5) / 4294967296.0);
        }
        ASSERT_EQ(evaluate_distribute_model(samples.data(), 1, kSamples, stats.data(), nullptr, nullptr), 1);
        EXPECT_EQ(stats[kBestType], row[0]) << "family " << row[0] << " with " << row[1] << ", " << row[2];
    }
}

} // namespace

// The distribution service over many values: the normal's known quantile and
// moments, and a refused probability that clears the flag.
TEST(StatisticsServices, DistributionFunctionsOverValues)
{
    const double normal[6] = {0, 10.0, 2.0, 0, 0, 0};
    const double values[2] = {0.5, 0.975};
    double results[2] = {0, 0};
    unsigned char ok = 0;
    ASSERT_EQ(evaluate_distribution(ZELKOR_DISTRIBUTION_QUANTILE, normal, 2, values, results, &ok), 2);
    EXPECT_NEAR(results[0], 10.0, 1e-12);
    EXPECT_NEAR(results[1], 10.0 + 2.0 * 1.959963984540054, 1e-9);
    ASSERT_EQ(evaluate_distribution(ZELKOR_DISTRIBUTION_CDF, normal, 1, results, results, &ok), 1);
    EXPECT_NEAR(results[0], 0.5, 1e-12);
    ASSERT_EQ(evaluate_distribution(ZELKOR_DISTRIBUTION_SD, normal, 1, nullptr, results, &ok), 1);
    EXPECT_DOUBLE_EQ(results[0], 2.0);
    const double outside[1] = {1.5};
    EXPECT_EQ(evaluate_distribution(ZELKOR_DISTRIBUTION_QUANTILE, normal, 1, outside, results, &ok), -1);
    EXPECT_EQ(ok, 0);
    EXPECT_EQ(zelkorLastStatus(), ZELKOR_STATUS_INVALID_INPUT);
}
