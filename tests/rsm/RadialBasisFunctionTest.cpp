#include "rsm/RadialBasisFunction.h"

#include <cmath>
#include <stdexcept>

#include <gtest/gtest.h>

#include "SurrogateTestSupport.h"

namespace Opt::RSM {
namespace {

using namespace Testing;

class RadialBasisFunctionTest : public Testing::SurrogateTest {};

double smooth(const std::vector<double>& x)
{
    return std::sin(2.0 * x[0]) + x[1] * x[1] + 0.5 * x[0] * x[1];
}

std::shared_ptr<RadialBasisFunction> fitted(int basis, int variables, bool withCrossValidation)
{
    return fit<RadialBasisFunction>(0, withCrossValidation, 0, basis, variables, 0);
}

TEST(RadialBases, ValuesAtDistanceZero)
{
    const double atZero[6] = {0.0, 0.0, 0.0, 1.0, 1.0, 1.0};
    for (int basis = 0; basis <= 5; ++basis) {
        EXPECT_EQ(RadialBasisFunction::basisValue(basis, 0.0), atZero[basis]) << "basis " << basis;
    }
    EXPECT_EQ(RadialBasisFunction::basisValue(2, 1e-17), 1e-17) << "q itself, not q ln sqrt q";
}

TEST_F(RadialBasisFunctionTest, ConstantValuesGiveZeroWeights)
{
    installFunction(scattered(10, 3), [](const std::vector<double>&) { return -2.5; });
    for (int basis = 0; basis <= 5; ++basis) {
        const auto model = fitted(basis, 3, true);
        EXPECT_EQ(model->record().mean, -2.5);
        for (const double w : model->record().weights) {
            EXPECT_EQ(w, 0.0) << "basis " << basis;
        }
        EXPECT_EQ(model->predict({0.9, -0.9, 0.1}), -2.5);
        EXPECT_EQ(model->rSquared(), 1.0);
        EXPECT_EQ(model->leaveOneOutDetermination(), 1.0);
    }
}

// Every basis interpolates well-spread points (every left-out model by the
// formula), and some bases points of which two coincide (Phi is singular and
// needs the cut-off: every left-out model is refitted); the left-out models
// against fresh models fitted to the other points.
TEST_F(RadialBasisFunctionTest, LeaveOneOutEqualsHonestRefits)
{
    struct Case {
        int basis;
        Points points;
        int refits;
    };
    std::vector<Case> cases;
    for (int basis = 0; basis <= 5; ++basis) {
        cases.push_back({basis, scattered(12, 2), 0});
    }
    Points twin = scattered(9, 2);
    twin.push_back(twin[4]);
    cases.push_back({0, twin, 10});
    cases.push_back({3, twin, 10});
    cases.push_back({4, twin, 10});
    for (const Case& c : cases) {
        installFunction(c.points, smooth);
        const auto model = fitted(c.basis, 2, true);
        ASSERT_EQ(model->record().leaveOneOutWeights.size(), c.points.size());
        EXPECT_EQ(model->leaveOneOutRefits, c.refits) << "basis " << c.basis;
        for (const auto& x : c.points) {
            EXPECT_NEAR(model->predict(x), smooth(x), c.refits > 0 ? 1e-6 : 1e-8) << "basis " << c.basis;
        }
        EXPECT_NEAR(model->rSquared(), 1.0, 1e-12);
        Testing::expectLeaveOneOutEqualsRefits(
            *model, c.points, smooth, scattered(3, 2), true,
            [&] { return fit<RadialBasisFunction>(0, false, 0, c.basis, 2, 0); },
            [&](std::size_t i, const RSMBase& refit) {
                EXPECT_EQ(model->record().leaveOneOutWeights[i][i], 0.0);
                EXPECT_EQ(model->record().leaveOneOutMeans[i],
                          dynamic_cast<const RadialBasisFunction&>(refit).record().mean);
            });
    }
}

TEST_F(RadialBasisFunctionTest, LeaveOneOutQualityGoesIntoTheSummary)
{
    installFunction(scattered(20, 2), smooth);
    const auto model = fitted(1, 2, true);
    auto dataSet = std::make_shared<DataSet>();
    model->storeQuality(dataSet);
    const SurrogateSummary& summary = dataSet->surrogateSummaries.at(0);
    EXPECT_NEAR(*summary.rSquared, 1.0, 1e-12);
    EXPECT_DOUBLE_EQ(*summary.qSquared, model->leaveOneOutDetermination());
    EXPECT_GT(*summary.qSquared, 0.5);
    EXPECT_LT(*summary.qSquared, 1.0);
    EXPECT_FALSE(summary.adjustedQSquared.has_value());
}

TEST_F(RadialBasisFunctionTest, SecondBuildAndBadArguments)
{
    installFunction(scattered(6, 2), smooth);
    EXPECT_THROW(RadialBasisFunction(0, 6, 2, 0), std::invalid_argument);
    const auto model = fitted(0, 2, false);
    const std::vector<double> weights = model->record().weights;
    model->setResponseValues(std::vector<double>(6, 3.0));
    EXPECT_FALSE(model->build(true));
    EXPECT_EQ(model->record().weights, weights);
    EXPECT_THROW(model->predictLeaveOneOut(0, {0.0, 0.0}), std::out_of_range);
    EXPECT_THROW(model->predict({0.0, 0.0, 0.0}), std::invalid_argument);
    bool ok = false;
    EXPECT_EQ(model->predictNormalised({0.1, 0.2}, &ok), model->predict({0.1, 0.2}));
    EXPECT_TRUE(ok);
}

} // namespace
} // namespace Opt::RSM
