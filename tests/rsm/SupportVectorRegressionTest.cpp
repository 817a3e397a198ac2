#include "rsm/SupportVectorRegression.h"

#include <cmath>
#include <stdexcept>

#include <gtest/gtest.h>

#include "SurrogateTestSupport.h"

namespace Opt::RSM {
namespace {

using namespace Testing;

class SupportVectorRegressionTest : public Testing::SurrogateTest {};

double smooth(const std::vector<double>& x)
{
    return 10.0 * std::sin(1.5 * x[0]) + 4.0 * x[1] * x[1] - 3.0 * x[0] * x[1];
}

std::shared_ptr<SupportVectorRegression> fitted(int kernel, double tau, double epsilon, double boxC,
                                                int maxIterations, int variables)
{
    return fit<SupportVectorRegression>(0, true, 0, kernel, tau, epsilon, boxC, maxIterations,
                                        variables, 0);
}

TEST_F(SupportVectorRegressionTest, NoKernelPredictsTheBiasAndAWideTubeTheMean)
{
    installDesign(scattered(5, 2), {{1.0}, {4.0}, {-2.0}, {0.5}, {6.5}});
    const auto model = fitted(3, 0.01, 0.1, 10.0, 100, 2);
    EXPECT_DOUBLE_EQ(model->record().bias, 2.0);
    for (const auto& x : scattered(4, 2)) {
        EXPECT_EQ(model->predict(x), model->record().bias);
    }
    installDesign(scattered(3, 2), {{0.1}, {-0.2}, {0.4}});
    const auto wide = fitted(2, 0.001, 1.0, 10.0, 100, 2);
    EXPECT_EQ(wide->updateCount, 0);
    EXPECT_EQ(wide->record().beta, (std::vector<double>(3, 0.0)));
    EXPECT_NEAR(wide->predict({0.7, -0.7}), 0.1, 1e-15);
}

// Two coinciding points: K is all ones and eta = 0 for their pair. From beta = 0
// neither same-sign rule applies, so the pair goes to the box: the point that
// may decrease most (the smaller value's) to -boxC, the other to +boxC. Then
// every remaining violation is within tau and the solver stops.
TEST_F(SupportVectorRegressionTest, SolverUpdatesOnCoincidentPointsAndUnderAZeroIterationCap)
{
    installDesign({{0.3, 0.3}, {0.3, 0.3}}, {{1.0}, {3.0}});
    const auto model = fitted(2, 0.01, 0.1, 10.0, 5, 2);
    EXPECT_EQ(model->updateCount, 1);
    EXPECT_EQ(model->record().beta, (std::vector<double>{-10.0, 10.0}));
    EXPECT_DOUBLE_EQ(model->record().bias, 2.0);
    EXPECT_DOUBLE_EQ(model->predict({-1.0, 1.0}), 2.0) << "the two terms cancel everywhere";

    installDesign({{0.3, 0.3}, {0.3, 0.3}}, {{3.0}, {1.0}});
    const auto mirrored = fitted(2, 0.01, 0.1, 10.0, 5, 2);
    EXPECT_EQ(mirrored->record().beta, (std::vector<double>{10.0, -10.0}));
    installFunction(scattered(12, 2), smooth);
    const auto capped = fitted(2, 0.001, 0.01, 100.0, 0, 2);
    EXPECT_EQ(capped->updateCount, 1);
    int moved = 0;
    for (const double b : capped->record().beta) {
        moved += b != 0.0 ? 1 : 0;
    }
    EXPECT_EQ(moved, 2);
    installFunction(scattered(12, 2), smooth);
    EXPECT_EQ(fitted(2, 0.001, 0.01, 100.0, 4, 2)->updateCount, 5);
}

TEST_F(SupportVectorRegressionTest, DefaultsFitASmoothResponse)
{
    installFunction(scattered(40, 2), smooth);
    const auto model = fit<SupportVectorRegression>(0, false, 0, 2, 0);
    double beta = 0.0;
    for (const double b : model->record().beta) {
        beta += b;
        EXPECT_LE(std::fabs(b), model->record().boxC);
    }
    EXPECT_NEAR(beta, 0.0, 1e-9) << "pair updates keep the sum";
    std::vector<double> values;
    std::vector<double> predictions;
    for (const auto& x : scattered(200, 2)) {
        values.push_back(smooth(x));
        predictions.push_back(model->predict(x));
    }
    EXPECT_GT(RSMBase::coefficientOfDetermination(values, predictions), 0.99);
}

TEST_F(SupportVectorRegressionTest, SecondBuildAndBadArguments)
{
    installFunction(scattered(6, 2), smooth);
    EXPECT_THROW(SupportVectorRegression(0, 5, 0.1, 0.1, 1.0, 10, 2, 0), std::invalid_argument);
    const auto model = fitted(2, 0.001, 0.01, 100.0, 100, 2);
    const std::vector<double> beta = model->record().beta;
    EXPECT_FALSE(model->build(true));
    EXPECT_EQ(model->record().beta, beta);
    EXPECT_THROW(model->predict({1.0}), std::invalid_argument);
    EXPECT_THROW(model->predictLeaveOneOut(6, {0.0, 0.0}), std::out_of_range);
}

} // namespace
} // namespace Opt::RSM
