// The weight-set key of a cross-bar model file: found in the base name only,
// whichever separator the host wrote, in the order pd, pc, pb, pa; and the
// design vector each set hands to the models.
#include <stdexcept>

#include <gtest/gtest.h>

#include "managers/WeightSetLayout.h"

namespace {

using Opt::RSM::WeightSetLayout;
using Key = WeightSetLayout::Key;

Key keyOf(const char* name)
{
    const auto layout = WeightSetLayout::fromFileName(name);
    EXPECT_TRUE(layout.has_value()) << name;
    return layout ? layout->key() : Key::Pa;
}

TEST(WeightSetLayout, TheFirstKeyInSearchOrderWins)
{
    EXPECT_EQ(keyOf("cowlbar_weight_pa_cowlbar_weight_pc.rsm"), Key::Pc);
    EXPECT_EQ(keyOf("cowlbar_weight_pb+cowlbar_weight_pd"), Key::Pd);
    EXPECT_EQ(keyOf("cowl_cowlbar_weight_pb.v2.rsm"), Key::Pb);
}

TEST(WeightSetLayout, BothSeparatorsEndTheFolderAndAKeyThereDoesNotCount)
{
    EXPECT_EQ(keyOf("C:\\cowlbar_weight_pd\\body_cowlbar_weight_pa.rsm"), Key::Pa);
    EXPECT_EQ(keyOf("/data/cowlbar_weight_pd/body_cowlbar_weight_pa.rsm"), Key::Pa);
    EXPECT_EQ(WeightSetLayout::baseName("D:\\run.1/models\\cowl.x.rsm"), "cowl.x");
    EXPECT_FALSE(WeightSetLayout::fromFileName("/data/cowlbar_weight_pd/body.rsm"));
    EXPECT_FALSE(WeightSetLayout::fromFileName("cowlbar_weight_pd.d\\body"));
}

TEST(WeightSetLayout, EachSetFormsItsVector)
{
    const std::vector<double> x = {1.0, 2.0, 3.0};
    const std::vector<std::vector<double>> bounds = {{0, 4}, {0, 5}, {0, 6}};
    const WeightSetLayout::Weight weight{9.0, 5.0, 15.0};
    const auto formed = [&](const char* name, const WeightSetLayout::Weight* w) {
        return WeightSetLayout::fromFileName(name)->form(x, bounds, 1, w);
    };
    EXPECT_EQ(formed("a_cowlbar_weight_pa", nullptr).values, x);
    EXPECT_EQ(formed("a_cowlbar_weight_pb", &weight).values, (std::vector<double>{1, 2, 3, 9}));
    const auto pc = formed("a_cowlbar_weight_pc", &weight);
    EXPECT_EQ(pc.values, (std::vector<double>{2, 3, 9}));
    EXPECT_EQ(pc.bounds, (std::vector<std::vector<double>>{{0, 5}, {0, 6}, {5, 15}}));
    EXPECT_EQ(formed("a_cowlbar_weight_pd", nullptr).values, (std::vector<double>{2, 3}));
    EXPECT_THROW(formed("a_cowlbar_weight_pc", nullptr), std::invalid_argument);
    EXPECT_THROW(WeightSetLayout::fromFileName("a_cowlbar_weight_pd")->form(x, bounds, 3, nullptr),
                 std::invalid_argument);
}

} // namespace
