#include "rsm/Kriging.h"

#include <cmath>
#include <cstdio>
#include <stdexcept>

#include <gtest/gtest.h>

#include "SurrogateTestSupport.h"
#include "rsm/ModelFileReader.h"
#include "rsm/RSMDataOut.h"
#include "session/EngineBuilder.h"

namespace Opt::RSM {
namespace {

using Testing::installDesign;
using Testing::installFunction;
using Testing::Points;
using Testing::relativeDifference;
using Testing::scattered;

class KrigingTest : public Testing::SurrogateTest {};

double smooth(const std::vector<double>& x)
{
    return std::sin(2.0 * x[0]) + x[1] * x[1] + 0.5 * x[0] * x[1];
}

std::shared_ptr<Kriging> fitted(int trend, int correlationKind, int variables,
                                bool withCrossValidation, int solveMode = Kriging::kCholeskySolve)
{
    auto model = std::make_shared<Kriging>(trend, correlationKind, solveMode, 0, variables, 0);
    model->loadResponse(0);
    EXPECT_TRUE(model->build(withCrossValidation));
    return model;
}

TEST_F(KrigingTest, EveryCorrelationKindReproducesTheSamplesWithZeroVarianceThere)
{
    const Points points = scattered(14, 2);
    installFunction(points, smooth);
    for (int kind = 0; kind <= 2; ++kind) {
        const auto model = fitted(1, kind, 2, false);
        for (const auto& x : points) {
            EXPECT_LE(relativeDifference(model->predict(x), smooth(x)), 1e-8) << "kind " << kind;
            EXPECT_LE(model->predictionVariance(x), 1e-10) << "kind " << kind;
        }
        const std::vector<double> between = {0.05, -0.37};
        EXPECT_GT(model->predictionVariance(between), 0.0) << "kind " << kind;
        EXPECT_NEAR(model->rSquared(), 1.0, 1e-12);
        EXPECT_TRUE(std::isfinite(model->record().logLikelihood));
        EXPECT_GT(model->likelihoodEvaluations, 10) << "the search ran";
    }
}

TEST_F(KrigingTest, PredictsBetweenSamplesBetterThanItsTrend)
{
    const Points points = scattered(30, 2);
    installFunction(points, smooth);
    const auto model = fitted(0, 2, 2, false);
    double error = 0.0;
    double spread = 0.0;
    for (const auto& x : scattered(60, 2)) {
        const std::vector<double> shifted = {0.9 * x[0] + 0.03, 0.9 * x[1] - 0.02};
        error += std::pow(model->predict(shifted) - smooth(shifted), 2);
        spread += std::pow(smooth(shifted), 2);
    }
    EXPECT_LT(error / spread, 1e-3);
}

TEST_F(KrigingTest, IdenticalResponsesEndTheSearchAtTheFirstEvaluation)
{
    installFunction(scattered(8, 2), [](const std::vector<double>&) { return 3.5; });
    const auto model = fitted(0, 0, 2, false);
    EXPECT_EQ(model->likelihoodEvaluations, 1);
    EXPECT_EQ(model->record().hyperParameters, (std::vector<double>{0.3, 0.3}));
    EXPECT_NEAR(model->predict({0.1, 0.2}), 3.5, 1e-12);
}

TEST_F(KrigingTest, ResponsesOfSmallMagnitudeAreStillSearched)
{
    installFunction(scattered(10, 2), [](const std::vector<double>& x) { return 1e-9 * smooth(x); });
    const auto model = fitted(0, 0, 2, false);
    EXPECT_GT(model->likelihoodEvaluations, 1);
}

// Wraps the DIRECT builder to record what the kriging search hands it.
class RecordedDirect {
public:
    RecordedDirect() : original(*findEngineBuilder(Kriging::kDirectEngineType))
    {
        EngineBuilder recording = original;
        recording.buildFromDataSet = [this](const DataSetEngineInput& input) {
            ints = input.ints;
            bounds = input.dataSet->bounds;
            start = input.dataSet->designValues;
            return original.buildFromDataSet(input);
        };
        registerEngineBuilder(recording);
    }
    ~RecordedDirect() { registerEngineBuilder(original); }

    EngineBuilder original;
    std::vector<int> ints;
    std::vector<std::vector<double>> bounds;
    std::vector<double> start;
};

TEST_F(KrigingTest, TheInnerDirectGetsItsLimitsFromTheVariableCount)
{
    RecordedDirect recorded;
    installFunction(scattered(6, 2), smooth);
    fitted(0, 0, 2, false);
    ASSERT_GE(recorded.ints.size(), 4u);
    EXPECT_EQ(recorded.ints[2], 600);
    EXPECT_EQ(recorded.ints[3], 20);

    installFunction(scattered(6, 5), [](const std::vector<double>& x) { return x[0] - x[4] * x[2]; });
    fitted(0, 0, 5, false);
    EXPECT_EQ(recorded.ints[2], 1000);
    EXPECT_EQ(recorded.ints[3], 40);
}

TEST_F(KrigingTest, CorrelationKindTwoSearchesThetaAndPowerPerVariable)
{
    RecordedDirect recorded;
    installFunction(scattered(6, 2), smooth);
    fitted(0, 2, 2, false);
    EXPECT_EQ(recorded.start, (std::vector<double>{1.5, 1.5, 1.5, 1.5}));
    const std::vector<std::vector<double>> expected = {{0.0, 10.0}, {0.0, 10.0}, {1.0, 2.0}, {1.0, 2.0}};
    EXPECT_EQ(recorded.bounds, expected);
}

TEST(KrigingSearchPlan, OptionsChooseTheEngineAndItsSettings)
{
    KrigingSearchOptions genetic;
    genetic.kind = KrigingSearchOptions::kGeneticAlgorithm;
    for (int i = 0; i < 14; ++i) {
        genetic.ints.push_back(i + 1);
        genetic.reals.push_back(0.5 * i);
    }
    const Kriging::SearchPlan ga = Kriging::searchPlan(&genetic, 3);
    EXPECT_EQ(ga.engineType, 1);
    EXPECT_EQ(ga.settings.ints.size(), 11u);
    EXPECT_EQ(ga.settings.ints.back(), 11);
    EXPECT_EQ(ga.settings.reals, (std::vector<double>{0.0, 0.5, 1.0}));

    KrigingSearchOptions direct;
    direct.ints = {1, 1, 50, 10, 200, 0, 99};
    direct.reals = {5.0, 7.0};
    const Kriging::SearchPlan plan = Kriging::searchPlan(&direct, 3);
    EXPECT_EQ(plan.engineType, 6);
    EXPECT_EQ(plan.settings.ints, (std::vector<int>{1, 1, 50, 10, 200, 0}));
    EXPECT_EQ(plan.settings.reals, (std::vector<double>{5.0}));

    KrigingSearchOptions unknown;
    unknown.kind = 4;
    EXPECT_THROW(Kriging::searchPlan(&unknown, 3), std::invalid_argument);
}

TEST_F(KrigingTest, DirectOptionsLimitTheSearch)
{
    installFunction(scattered(8, 2), smooth);
    auto options = std::make_shared<KrigingSearchOptions>();
    options->ints = {0, 0, 100, 2, 15, 0};
    Kriging model(0, 0, 0, 0, 2, 0, options);
    model.loadResponse(0);
    ASSERT_TRUE(model.build(false));
    EXPECT_GT(model.likelihoodEvaluations, 1);
    EXPECT_LE(model.likelihoodEvaluations, 15 + 2);
}

TEST_F(KrigingTest, GeneticSearchOptionsRunTheGeneticAlgorithm)
{
    const Points points = scattered(12, 2);
    installFunction(points, smooth);
    auto options = std::make_shared<KrigingSearchOptions>();
    options->kind = KrigingSearchOptions::kGeneticAlgorithm;
    // Population 12, 6 generations, real coding, at most 80 evaluations.
    options->ints = {-999, -999, 12, 6, 1, -999, 80, 0, 1, 0, 50};
    options->reals = {-999.0, 0.7, 0.0};
    Kriging model(0, 2, 0, 0, 2, 0, options);
    model.loadResponse(0);
    ASSERT_TRUE(model.build(false));
    EXPECT_GT(model.likelihoodEvaluations, 12);
    EXPECT_LE(model.likelihoodEvaluations, 80 + 12);
    for (const auto& x : points) {
        EXPECT_LE(relativeDifference(model.predict(x), smooth(x)), 1e-8);
    }
    const auto& h = model.record().hyperParameters;
    for (std::size_t k = 0; k < 2; ++k) {
        EXPECT_GE(h[k], 0.0);
        EXPECT_LE(h[k], 10.0);
        EXPECT_GE(h[k + 2], 1.0);
        EXPECT_LE(h[k + 2], 2.0);
    }
}

TEST_F(KrigingTest, LeaveOneOutEqualsAnHonestRefitWithoutThePoint)
{
    const Points points = scattered(9, 2);
    const std::vector<double> h = {1.2, 0.7};
    for (int trend = 0; trend <= 2; trend += 2) {
        installFunction(points, smooth);
        Kriging full(trend, 1, 0, 0, 2, 0);
        full.loadResponse(0);
        ASSERT_TRUE(full.buildWithHyperParameters(h, true));
        for (std::size_t i = 0; i < points.size(); ++i) {
            Points others = points;
            others.erase(others.begin() + static_cast<std::ptrdiff_t>(i));
            installFunction(others, smooth);
            Kriging refit(trend, 1, 0, 0, 2, 0);
            refit.loadResponse(0);
            ASSERT_TRUE(refit.buildWithHyperParameters(h, false));
            for (const auto& x : {points[i], std::vector<double>{0.3, -0.6}}) {
                EXPECT_NEAR(full.predictLeaveOneOut(static_cast<int>(i), x), refit.predict(x), 1e-9)
                    << "trend " << trend << " point " << i;
            }
        }
        EXPECT_LT(full.looRSquared(), 1.0);
        EXPECT_GT(full.looRSquared(), 0.5);
    }
}

TEST_F(KrigingTest, PseudoInverseModeMatchesCholeskyOnAWellConditionedSample)
{
    const Points points = scattered(10, 2);
    installFunction(points, smooth);
    const std::vector<double> h = {2.0, 2.0};
    Kriging cholesky(0, 0, Kriging::kCholeskySolve, 0, 2, 0);
    Kriging pseudo(0, 0, Kriging::kPseudoInverseSolve, 0, 2, 0);
    for (Kriging* model : {&cholesky, &pseudo}) {
        model->loadResponse(0);
        ASSERT_TRUE(model->buildWithHyperParameters(h, false));
    }
    EXPECT_NEAR(cholesky.record().logLikelihood, pseudo.record().logLikelihood, 1e-8);
    EXPECT_NEAR(cholesky.predict({0.2, 0.1}), pseudo.predict({0.2, 0.1}), 1e-8);
}

TEST_F(KrigingTest, CoincidentPointsFallBackToThePseudoInverse)
{
    Points points = scattered(8, 2);
    points.push_back(points.front()); // R is singular: two equal rows
    installFunction(points, smooth);
    const auto model = fitted(0, 0, 2, false);
    const double value = model->predict({0.1, 0.1});
    EXPECT_TRUE(std::isfinite(value));
    EXPECT_NEAR(model->predict(points[3]), smooth(points[3]), 1e-2);
}

TEST_F(KrigingTest, BadArgumentsAreRefused)
{
    installFunction(scattered(5, 2), smooth);
    EXPECT_THROW(Kriging(0, 3, 0, 0, 2, 0), std::invalid_argument);
    EXPECT_THROW(Kriging(0, 0, 2, 0, 2, 0), std::invalid_argument);
    Kriging model(0, 2, 0, 0, 2, 0);
    model.loadResponse(0);
    EXPECT_THROW(model.buildWithHyperParameters({1.0, 1.0}, false), std::invalid_argument);
    ASSERT_TRUE(model.build(false));
    EXPECT_FALSE(model.build(false));
    EXPECT_THROW(model.predict({0.0}), std::invalid_argument);
    EXPECT_THROW(model.predictLeaveOneOut(0, {0.0, 0.0}), std::out_of_range);
}

TEST_F(KrigingTest, StoresQualityAndModel)
{
    installFunction(scattered(12, 2), smooth);
    Kriging model(1, 2, 0, 0, 2, 0);
    model.loadResponse(0);
    ASSERT_TRUE(model.buildWithHyperParameters({1.0, 1.0, 2.0, 2.0}, true));
    auto dataSet = std::make_shared<DataSet>();
    model.storeQuality(dataSet);
    model.storeModel(dataSet);
    const SurrogateSummary& summary = dataSet->surrogateSummaries.at(0);
    EXPECT_DOUBLE_EQ(*summary.rSquared, 1.0);
    ASSERT_TRUE(summary.qSquared.has_value());
    EXPECT_NEAR(*summary.qSquared, model.looRSquared(), 1e-15);
    EXPECT_EQ(summary.modelType, 2);
    EXPECT_EQ(summary.coefficients, model.record().coefficients);
    EXPECT_EQ(summary.extra.front(), 2.0);
    EXPECT_EQ(summary.extra[4], 2.0);
    EXPECT_EQ(summary.extra[5], model.record().logLikelihood);
}

TEST_F(KrigingTest, ModelFileRoundTripGivesBitIdenticalPredictions)
{
    const Points points = scattered(11, 2);
    installFunction(points, smooth);
    auto model = fitted(2, 2, 2, false);
    const std::string base = ::testing::TempDir() + "kriging_round_trip";
    {
        RSMDataOut out(base, " ");
        ModelMap models{{4, model}};
        out.writeModels(models, points, true);
    }
    RSMDataOut in(base, " ");
    const auto restored = std::dynamic_pointer_cast<Kriging>(in.readModel(4, 2));
    ASSERT_NE(restored, nullptr);
    EXPECT_EQ(restored->modelType(), 2);
    for (const auto& x : scattered(20, 2)) {
        EXPECT_EQ(restored->predict(x), model->predict(x));
        EXPECT_EQ(restored->predictionVariance(x), model->predictionVariance(x));
    }
    std::remove((base + ".rsm").c_str());
}

} // namespace
} // namespace Opt::RSM
