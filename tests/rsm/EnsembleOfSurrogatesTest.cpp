#include "rsm/EnsembleOfSurrogates.h"

#include <cmath>
#include <numeric>
#include <stdexcept>

#include <gtest/gtest.h>

#include "SurrogateTestSupport.h"
#include "rsm/NearestSampleList.h"

namespace Opt::RSM {
namespace {

using namespace Testing;

double bumpy(const std::vector<double>& x)
{
    return std::sin(3.0 * x[0]) * std::cos(2.0 * x[1]) + 0.3 * x[0];
}

class EnsembleOfSurrogatesTest : public Testing::SurrogateTest {
protected:
    std::shared_ptr<EnsembleOfSurrogates> fitted(const Points& points, int neighbours = 3)
    {
        installFunction(points, bumpy);
        EnsembleMemberSettings settings;
        settings.variableCount = 2;
        settings.correlationKind = 0;
        const auto model = Testing::fit<EnsembleOfSurrogates>(0, true, 0, settings, neighbours);
        NearestSampleList::resize(model->neighbourCount);
        return model;
    }
};

TEST_F(EnsembleOfSurrogatesTest, AtASampleTheInterpolatingMembersShareTheWeight)
{
    const Points points = scattered(16, 2);
    const auto model = fitted(points);
    const auto& x = points[5];
    NearestSampleList::fill(x, points);
    EXPECT_EQ(NearestSampleList::indices().front(), 5);
    const auto errors = model->memberErrors(x);
    EXPECT_GT(errors[0], 0.0) << "the polynomial does not interpolate";
    EXPECT_EQ(errors[1], 0.0);
    EXPECT_EQ(errors[2], 0.0);
    const auto weights = model->memberWeights(x);
    EXPECT_EQ(weights[0], 0.0);
    EXPECT_EQ(weights[1], 0.5);
    EXPECT_EQ(weights[2], 0.5);
    EXPECT_EQ(weights[3], 0.0);
    EXPECT_NEAR(model->predict(x), bumpy(x), 1e-8);
    EXPECT_NEAR(model->rSquared(), 1.0, 1e-12);
    NearestSampleList::resize(model->neighbourCount); // empties it
    EXPECT_THROW(model->predict(x), std::logic_error) << "an unfilled list is refused";
    EXPECT_FALSE(model->build(true));
}

TEST_F(EnsembleOfSurrogatesTest, BetweenSamplesTheWeightsFollowTheInverseErrors)
{
    const Points points = scattered(16, 2);
    const auto model = fitted(points);
    const std::vector<double> x = {0.13, -0.41};
    NearestSampleList::fill(x, points);
    const auto errors = model->memberErrors(x);
    const auto weights = model->memberWeights(x);
    EXPECT_NEAR(std::accumulate(weights.begin(), weights.end(), 0.0), 1.0, 1e-14);
    for (std::size_t m = 0; m < weights.size(); ++m) {
        ASSERT_GT(errors[m], 0.0);
        EXPECT_NEAR(weights[m] * errors[m], weights[0] * errors[0], 1e-14) << "member " << m;
    }
    double expected = 0.0;
    const auto members = model->members();
    for (std::size_t m = 0; m < weights.size(); ++m) {
        expected += weights[m] * members[m]->predict(x);
    }
    EXPECT_DOUBLE_EQ(model->predict(x), expected);
}

TEST_F(EnsembleOfSurrogatesTest, MemberErrorIsTheSpreadOfLeaveOneOutPredictionsNearby)
{
    const Points points = scattered(16, 2);
    const auto model = fitted(points, 4);
    const std::vector<double> x = {-0.5, 0.2};
    NearestSampleList::fill(x, points);
    const auto& near = NearestSampleList::indices();
    ASSERT_EQ(near.size(), 4u);
    double sum = 0.0;
    for (int k = 0; k < 4; ++k) {
        const double d = model->polynomial->predict(x) - model->polynomial->predictLeaveOneOut(near[k], x);
        sum += d * d;
    }
    EXPECT_DOUBLE_EQ(model->memberErrors(x)[0], std::sqrt(sum / 4.0));
    for (std::size_t k = 1; k < near.size(); ++k) {
        const auto a = points[static_cast<std::size_t>(near[k - 1])];
        const auto b = points[static_cast<std::size_t>(near[k])];
        EXPECT_LE(std::hypot(a[0] - x[0], a[1] - x[1]), std::hypot(b[0] - x[0], b[1] - x[1]));
    }
}

TEST_F(EnsembleOfSurrogatesTest, NeighbourCountBelowTwoBecomesTheVariableCount)
{
    installFunction(scattered(10, 3), [](const std::vector<double>& x) { return x[0] + x[1] * x[2]; });
    EnsembleMemberSettings settings;
    settings.variableCount = 3;
    for (const auto& [given, used] : {std::pair{1, 3}, {-999, 3}, {5, 5}}) {
        EXPECT_EQ(EnsembleOfSurrogates(0, settings, given).neighbourCount, used);
    }
}

} // namespace
} // namespace Opt::RSM
