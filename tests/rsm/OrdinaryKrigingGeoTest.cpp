#include "rsm/OrdinaryKrigingGeo.h"

#include <cmath>
#include <stdexcept>

#include <gtest/gtest.h>

#include "SurrogateTestSupport.h"

namespace Opt::RSM {
namespace {

using namespace Testing;

class OrdinaryKrigingGeoTest : public Testing::SurrogateTest {};

double wave(const std::vector<double>& x)
{
    return std::cos(1.5 * x[0]) * (1.0 + x[1]) + 0.2 * x[2];
}

std::shared_ptr<OrdinaryKrigingGeo> fitted(const Points& points, double slope)
{
    installFunction(points, wave);
    return Testing::fit<OrdinaryKrigingGeo>(0, false, 0, 7, 3, slope, 0);
}

TEST_F(OrdinaryKrigingGeoTest, ReproducesTheSamplesStoresNothingAndRefusesBadInput)
{
    const Points points = scattered(25, 3);
    const auto model = fitted(points, 2.5);
    for (const auto& x : points) {
        EXPECT_NEAR(model->predict(x), wave(x), 1e-9);
    }
    EXPECT_FALSE(model->build(false));
    auto dataSet = std::make_shared<DataSet>();
    model->storeQuality(dataSet);
    model->storeModel(dataSet);
    EXPECT_TRUE(dataSet->surrogateSummaries.empty());
    EXPECT_THROW(model->predict({0.0, 0.0}), std::invalid_argument);
    EXPECT_THROW(OrdinaryKrigingGeo(0, 0, 3, 0.0, 0), std::invalid_argument);
    EXPECT_THROW(OrdinaryKrigingGeo(0, 0, 3, std::nan(""), 0), std::invalid_argument);
}

TEST_F(OrdinaryKrigingGeoTest, WeightsAreUnbiasedAndIndependentOfTheSlope)
{
    const Points points = scattered(12, 3);
    // A constant response is predicted exactly anywhere: the weights sum to 1.
    installFunction(points, [](const std::vector<double>&) { return -4.25; });
    const auto constant = Testing::fit<OrdinaryKrigingGeo>(0, false, 0, 0, 3, 1.0, 0);
    EXPECT_NEAR(constant->predict({0.31, -0.7, 0.05}), -4.25, 1e-10);

    const auto gentle = fitted(points, 0.5);
    const auto steep = fitted(points, 40.0);
    const std::vector<double> x = {0.2, 0.4, -0.3};
    EXPECT_NEAR(gentle->predict(x), steep->predict(x), 1e-10);
}

} // namespace
} // namespace Opt::RSM
