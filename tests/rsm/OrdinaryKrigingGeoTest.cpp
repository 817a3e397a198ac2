#include "rsm/OrdinaryKrigingGeo.h"

#include <cmath>
#include <cstdio>
#include <stdexcept>

#include <gtest/gtest.h>

#include "SurrogateTestSupport.h"
#include "rsm/RSMDataOut.h"

namespace Opt::RSM {
namespace {

using Testing::installFunction;
using Testing::Points;
using Testing::scattered;

class OrdinaryKrigingGeoTest : public Testing::SurrogateTest {};

double wave(const std::vector<double>& x)
{
    return std::cos(1.5 * x[0]) * (1.0 + x[1]) + 0.2 * x[2];
}

std::shared_ptr<OrdinaryKrigingGeo> fitted(const Points& points, double slope)
{
    installFunction(points, wave);
    auto model = std::make_shared<OrdinaryKrigingGeo>(0, 7, 3, slope, 0);
    model->loadResponse(0);
    EXPECT_TRUE(model->build(false));
    return model;
}

TEST_F(OrdinaryKrigingGeoTest, ReproducesTheSamples)
{
    const Points points = scattered(25, 3);
    const auto model = fitted(points, 2.5);
    for (const auto& x : points) {
        EXPECT_NEAR(model->predict(x), wave(x), 1e-9);
    }
    EXPECT_EQ(model->modelType(), 6);
    EXPECT_EQ(model->data->dataType(), -1);
    EXPECT_FALSE(model->build(false));
}

TEST_F(OrdinaryKrigingGeoTest, WeightsAreUnbiasedAndIndependentOfTheSlope)
{
    const Points points = scattered(12, 3);
    // A constant response is predicted exactly anywhere: the weights sum to 1.
    installFunction(points, [](const std::vector<double>&) { return -4.25; });
    OrdinaryKrigingGeo constant(0, 0, 3, 1.0, 0);
    constant.loadResponse(0);
    ASSERT_TRUE(constant.build(false));
    EXPECT_NEAR(constant.predict({0.31, -0.7, 0.05}), -4.25, 1e-10);

    const auto gentle = fitted(points, 0.5);
    const auto steep = fitted(points, 40.0);
    const std::vector<double> x = {0.2, 0.4, -0.3};
    EXPECT_NEAR(gentle->predict(x), steep->predict(x), 1e-10);
}

TEST_F(OrdinaryKrigingGeoTest, StoresNothingAndRefusesBadInput)
{
    const auto model = fitted(scattered(6, 3), 1.0);
    auto dataSet = std::make_shared<DataSet>();
    model->storeQuality(dataSet);
    model->storeModel(dataSet);
    EXPECT_TRUE(dataSet->surrogateSummaries.empty());
    EXPECT_THROW(model->predict({0.0, 0.0}), std::invalid_argument);
    EXPECT_THROW(OrdinaryKrigingGeo(0, 0, 3, 0.0, 0), std::invalid_argument);
    EXPECT_THROW(OrdinaryKrigingGeo(0, 0, 3, std::nan(""), 0), std::invalid_argument);
}

TEST_F(OrdinaryKrigingGeoTest, ModelFileRoundTripGivesBitIdenticalPredictions)
{
    const Points points = scattered(15, 3);
    const auto model = fitted(points, 3.0);
    const std::string base = ::testing::TempDir() + "ordinary_kriging_round_trip";
    {
        RSMDataOut out(base, " ");
        out.writeModels(ModelMap{{2, model}}, points, false);
    }
    RSMDataOut in(base, " ");
    const auto restored = std::dynamic_pointer_cast<OrdinaryKrigingGeo>(in.readModel(2, 3));
    ASSERT_NE(restored, nullptr);
    EXPECT_EQ(restored->setting, 7);
    EXPECT_EQ(restored->slope, 3.0);
    for (const auto& x : scattered(20, 3)) {
        EXPECT_EQ(restored->predict(x), model->predict(x));
    }
    std::remove((base + ".rsm").c_str());
}

} // namespace
} // namespace Opt::RSM
