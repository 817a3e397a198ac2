#include "rsm/PolynomialRegression.h"

#include <cmath>
#include <stdexcept>

#include <gtest/gtest.h>

#include "SurrogateTestSupport.h"
#include "linalg/LinearAlgebra.h"

namespace Opt::RSM {
namespace {

using namespace Testing;

constexpr int kNo = PRData::kNoFactor;

class PolynomialRegressionTest : public Testing::SurrogateTest {};

double quadratic(const std::vector<double>& x)
{
    return 3.0 - 2.0 * x[0] + 0.5 * x[1] + 1.5 * x[0] * x[1] - x[0] * x[0] + 4.0 * x[1] * x[1];
}

std::shared_ptr<PolynomialRegression> fitted(int kind, int variables, bool withCrossValidation)
{
    return fit<PolynomialRegression>(0, withCrossValidation, kind, 0, variables, 0);
}

TEST(PolynomialTerms, CountsOfEveryKindAndTablesInOrder)
{
    const int expected[6][4] = {// n = 1, 2, 3, 6
                                {1, 1, 1, 1},
                                {2, 3, 4, 7},
                                {2, 4, 7, 22},
                                {3, 5, 7, 13},
                                {3, 6, 10, 28},
                                {4, 8, 13, 34}};
    const int variables[4] = {1, 2, 3, 6};
    for (int kind = 0; kind <= 5; ++kind) {
        for (int v = 0; v < 4; ++v) {
            EXPECT_EQ(PolynomialRegression::termCountOf(kind, variables[v]), expected[kind][v])
                << "kind " << kind << ", n = " << variables[v];
            EXPECT_EQ(PolynomialRegression::termTableOf(kind, variables[v])[0].size(),
                      static_cast<std::size_t>(expected[kind][v]));
        }
    }
    EXPECT_THROW(PolynomialRegression::termCountOf(6, 2), std::invalid_argument);
    EXPECT_THROW(PolynomialRegression::termCountOf(-1, 2), std::invalid_argument);
    // Kinds 4 and 5 are fixed by the coefficients of a fitted quadratic and the
    // term values below. Kind 3: the squares follow the linear terms at index n + 1.
    EXPECT_EQ(PolynomialRegression::termTableOf(3, 2),
              (TermTable{std::vector<int>{kNo, 0, 1, 0, 1}, {kNo, kNo, kNo, 0, 1},
                         {kNo, kNo, kNo, kNo, kNo}}));
    // Kind 2 with three variables: interactions (1,0), (2,0), (2,1).
    EXPECT_EQ(PolynomialRegression::termTableOf(2, 3),
              (TermTable{std::vector<int>{kNo, 0, 1, 2, 1, 2, 2}, {kNo, kNo, kNo, kNo, 0, 0, 1},
                         {kNo, kNo, kNo, kNo, kNo, kNo, kNo}}));
    // Kind 5: 1, x0, x1, x0 x1, x0^2, x1^2, x0^3, x1^3.
    EXPECT_EQ(PolynomialRegression::termValues(PolynomialRegression::termTableOf(5, 2), {2.0, 3.0}),
              (std::vector<double>{1, 2, 3, 6, 4, 9, 8, 27}));
}

TEST_F(PolynomialRegressionTest, FullQuadraticReproducesAQuadraticExactly)
{
    installFunction(scattered(12, 2), quadratic);
    const auto model = fitted(4, 2, true);
    const std::vector<double> expected{3.0, -2.0, 0.5, 1.5, -1.0, 4.0};
    for (std::size_t k = 0; k < expected.size(); ++k) {
        EXPECT_NEAR(model->record().coefficients[k], expected[k], 1e-10) << "term " << k;
    }
    for (const auto& x : scattered(5, 2)) {
        EXPECT_NEAR(model->predict(x), quadratic(x), 1e-10);
    }
    EXPECT_NEAR(model->rSquared(), 1.0, 1e-12);
    EXPECT_NEAR(model->looRSquared(), 1.0, 1e-12) << "every refit recovers the quadratic too";
}

TEST_F(PolynomialRegressionTest, FewerPointsThanTermsGiveTheMinimumNormFit)
{
    // Three points, six terms: the normal matrix has rank 3.
    const Points points{{-1.0, 0.5}, {0.2, -0.3}, {0.8, 0.9}};
    installFunction(points, quadratic);
    const auto model = fitted(4, 2, false);
    const Matrix basis = model->record().basis;
    Matrix pseudoInverse;
    ASSERT_TRUE(Linalg::pseudoInverse(basis, 1e-10, pseudoInverse).ok());
    const std::vector<double> minimumNorm = Linalg::multiply(pseudoInverse, model->record().values);
    for (std::size_t k = 0; k < minimumNorm.size(); ++k) {
        EXPECT_NEAR(model->record().coefficients[k], minimumNorm[k], 1e-9) << "term " << k;
    }
    for (const auto& x : points) {
        EXPECT_NEAR(model->predict(x), quadratic(x), 1e-9) << "it still interpolates";
    }
}

// The leave-one-out coefficients against fits of fresh models to the other
// points, for a well-posed quadratic fit and a rank-deficient cubic one.
TEST_F(PolynomialRegressionTest, LeaveOneOutEqualsHonestRefits)
{
    const auto response = [](const std::vector<double>& x) {
        return std::exp(x[0]) * std::cos(2.0 * x[1]) + 0.3 * x[0];
    };
    for (const int kind : {4, 5}) {
        const Points points = kind == 4 ? scattered(14, 2) // a 3 x 3 grid: 9 points, 8 terms
                                         : Points{{-1, -1}, {-1, 0}, {-1, 1}, {0, -1}, {0, 0}, {0, 1}, {1, -1}, {1, 0}, {1, 1}};
        installFunction(points, response);
        const auto model = fitted(kind, 2, true);
        ASSERT_EQ(model->record().leaveOneOutCoefficients.size(), points.size());
        Testing::expectLeaveOneOutEqualsRefits(*model, points, response, scattered(4, 2), true, [&] {
            return fit<PolynomialRegression>(0, false, kind, 0, 2, 0);
        });
    }
}

TEST_F(PolynomialRegressionTest, QualityMeasuresAreClamped)
{
    auto dataSet = std::make_shared<DataSet>();
    // Values +1, -1, +1, ... about a constant: each refit's mean leans away from
    // the point left out, PRESS = 10 (10/9)^2 > SST = 10, and Q^2 < 0 is stored as 0.
    installDesign(scattered(10, 2), {{1}, {-1}, {1}, {-1}, {1}, {-1}, {1}, {-1}, {1}, {-1}});
    const auto noise = fitted(0, 2, true);
    ASSERT_NEAR(noise->looRSquared(), 1.0 - 100.0 / 81.0, 1e-12);
    noise->storeQuality(dataSet);
    EXPECT_EQ(*dataSet->surrogateSummaries.at(0).qSquared, 0.0);
    EXPECT_EQ(*dataSet->surrogateSummaries.at(0).adjustedQSquared, 0.0);

    // Six points, six terms: N - p - 1 < 0 leaves no degree of freedom.
    installFunction(scattered(6, 2), quadratic);
    const auto saturated = fitted(4, 2, false);
    saturated->storeQuality(dataSet);
    const SurrogateSummary& full = dataSet->surrogateSummaries.at(0);
    EXPECT_NEAR(*full.rSquared, 1.0, 1e-12);
    EXPECT_EQ(*full.adjustedRSquared, 0.0);
    EXPECT_FALSE(full.qSquared.has_value()) << "built without leave-one-out data";
}

TEST_F(PolynomialRegressionTest, SelectResponseKeepsFailedValues)
{
    const Points points = scattered(4, 1);
    installDesign(points, {{1.0, 7.0}, {2.0, 1e100}, {3.0, 5.0}, {4.0, 6.0}});
    PolynomialRegression model(1, 0, 1, 0);
    model.selectResponse(1);
    EXPECT_EQ(model.responseId, 1);
    EXPECT_EQ(model.record().values, (std::vector<double>{7.0, 1e100, 5.0, 6.0}));
    model.loadResponse(1);
    EXPECT_EQ(model.record().values, (std::vector<double>{7.0, 7.0, 5.0, 6.0}));
}

TEST_F(PolynomialRegressionTest, ExcludedVariableDropsItsCoordinate)
{
    const Points points{{1, 10, 100}, {2, 20, 200}, {3, 30, 300}, {4, 40, 400}};
    const auto design = installDesign(points, {{1}, {2}, {3}, {4}});
    PolynomialRegression model(1, 0, 3, 3, 1);
    EXPECT_EQ(model.variableCount, 2);
    EXPECT_EQ(model.termCount, 3);
    EXPECT_EQ(design->pointCount, 3);
    EXPECT_EQ(design->pointSet->points, (Points{{1, 100}, {2, 200}, {3, 300}}));
    EXPECT_EQ(model.samplePoints(), design->pointSet->points);
    EXPECT_THROW(PolynomialRegression(1, 0, 2, 3, 2), std::invalid_argument);
}

TEST_F(PolynomialRegressionTest, SecondBuildAndBadArguments)
{
    installFunction(scattered(9, 2), quadratic);
    EXPECT_THROW(PolynomialRegression(6, 0, 2, 0), std::invalid_argument);
    EXPECT_THROW(PolynomialRegression(1, 0, 3, 0), std::invalid_argument) << "points have 2 coordinates";
    const auto model = fitted(1, 2, false);
    const std::vector<double> coefficients = model->record().coefficients;
    model->setResponseValues(std::vector<double>(9, 1.0));
    EXPECT_FALSE(model->build(true)) << "a second build does nothing";
    EXPECT_EQ(model->record().coefficients, coefficients);
    EXPECT_TRUE(model->record().leaveOneOutCoefficients.empty());
    EXPECT_THROW(model->predict({1.0}), std::invalid_argument);
    EXPECT_THROW(model->predictLeaveOneOut(0, {1.0, 1.0}), std::out_of_range)
        << "built without leave-one-out data";
    EXPECT_EQ(model->looRSquared(), 0.0);
}

} // namespace
} // namespace Opt::RSM
