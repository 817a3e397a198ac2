#include "rsm/Kriging.h"

#include <cmath>
#include <stdexcept>

#include <gtest/gtest.h>

#include "SurrogateTestSupport.h"
#include "session/EngineBuilder.h"

namespace Opt::RSM {
namespace {

using namespace Testing;

class KrigingTest : public Testing::SurrogateTest {};

double smooth(const std::vector<double>& x)
{
    return std::sin(2.0 * x[0]) + x[1] * x[1] + 0.5 * x[0] * x[1];
}

std::shared_ptr<Kriging> fitted(int trend, int correlationKind, int variables)
{
    return fit<Kriging>(0, false, trend, correlationKind, Kriging::kCholeskySolve, 0, variables, 0);
}

TEST_F(KrigingTest, EveryCorrelationKindReproducesTheSamplesWithZeroVarianceThere)
{
    const Points points = scattered(14, 2);
    installFunction(points, smooth);
    for (int kind = 0; kind <= 2; ++kind) {
        const auto model = fitted(1, kind, 2);
        for (const auto& x : points) {
            EXPECT_LE(relativeDifference(model->predict(x), smooth(x)), 1e-8) << "kind " << kind;
            EXPECT_LE(model->predictionVariance(x), 1e-10) << "kind " << kind;
        }
        EXPECT_GT(model->predictionVariance({0.05, -0.37}), 0.0) << "kind " << kind;
        EXPECT_NEAR(model->rSquared(), 1.0, 1e-12);
        EXPECT_TRUE(std::isfinite(model->record().logLikelihood));
        EXPECT_GT(model->likelihoodEvaluations, 10) << "the search ran";
    }
}

TEST_F(KrigingTest, PredictsBetweenSamplesBetterThanItsTrend)
{
    installFunction(scattered(30, 2), smooth);
    const auto model = fitted(0, 2, 2);
    double error = 0.0;
    double spread = 0.0;
    for (const auto& x : scattered(60, 2)) {
        const std::vector<double> shifted = {0.9 * x[0] + 0.03, 0.9 * x[1] - 0.02};
        error += std::pow(model->predict(shifted) - smooth(shifted), 2);
        spread += std::pow(smooth(shifted), 2);
    }
    EXPECT_LT(error / spread, 1e-3);
}

// Models predicted together (those on one sample sharing each point's
// distances) give each model's own predictions, to the bit.
TEST_F(KrigingTest, ModelsPredictedTogetherEqualEachModelAlone)
{
    installFunction(scattered(16, 2), smooth);
    std::vector<std::shared_ptr<RSMBase>> models;
    for (int kind = 0; kind <= 2; ++kind) {
        models.push_back(fitted(0, kind, 2));
    }
    // A second kind-2 model sharing the first one's power in coordinate 0 only.
    const std::vector<double>& searched = dynamic_cast<Kriging&>(*models[2]).record().hyperParameters;
    auto sharing = std::make_shared<Kriging>(0, 2, Kriging::kCholeskySolve, 16, 2, 0);
    ASSERT_TRUE(sharing->buildWithHyperParameters({0.7, 1.1, searched[2], 1.234}, false));
    models.push_back(sharing);
    // And one equal to the searched model, which reads that model's correlations.
    auto same = std::make_shared<Kriging>(1, 2, Kriging::kCholeskySolve, 16, 2, 0);
    ASSERT_TRUE(same->buildWithHyperParameters(searched, false));
    models.push_back(same);
    models.push_back(fit<PolynomialRegression>(0, false, 4, 0, 2, 16));
    installFunction(scattered(12, 2), [](const std::vector<double>& x) { return x[0] - x[1] * x[1]; });
    models.push_back(fitted(1, 2, 2));
    const Points points = scattered(9, 2);
    std::vector<double> flat;
    for (const auto& x : points) {
        flat.insert(flat.end(), x.begin(), x.end());
    }
    std::vector<std::vector<double>> together(models.size(), std::vector<double>(points.size()));
    std::vector<const RSMBase*> pointers;
    std::vector<double*> outputs;
    for (std::size_t j = 0; j < models.size(); ++j) {
        pointers.push_back(models[j].get());
        outputs.push_back(together[j].data());
    }
    Kriging::predictModels(pointers, flat.data(), static_cast<int>(points.size()), 2, outputs);
    for (std::size_t j = 0; j < models.size(); ++j) {
        for (std::size_t p = 0; p < points.size(); ++p) {
            EXPECT_EQ(together[j][p], models[j]->predict(points[p])) << "model " << j;
        }
    }
}

TEST_F(KrigingTest, IdenticalResponsesEndTheSearchAtTheFirstEvaluation)
{
    installFunction(scattered(8, 2), [](const std::vector<double>&) { return 3.5; });
    const auto model = fitted(0, 0, 2);
    EXPECT_EQ(model->likelihoodEvaluations, 1);
    EXPECT_EQ(model->record().hyperParameters, (std::vector<double>{0.3, 0.3}));
    EXPECT_NEAR(model->predict({0.1, 0.2}), 3.5, 1e-12);
    installFunction(scattered(10, 2), [](const std::vector<double>& x) { return 1e-9 * smooth(x); });
    EXPECT_GT(fitted(0, 0, 2)->likelihoodEvaluations, 1) << "small but not identical values are searched";
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
    fitted(0, 0, 2);
    ASSERT_GE(recorded.ints.size(), 4u);
    EXPECT_EQ(recorded.ints[2], 600);
    EXPECT_EQ(recorded.ints[3], 20);

    installFunction(scattered(6, 5), [](const std::vector<double>& x) { return x[0] - x[4] * x[2]; });
    fitted(0, 0, 5);
    EXPECT_EQ(recorded.ints[2], 1000);
    EXPECT_EQ(recorded.ints[3], 40);

    // Correlation kind 2 searches a theta and a power per variable.
    installFunction(scattered(6, 2), smooth);
    fitted(0, 2, 2);
    EXPECT_EQ(recorded.start, (std::vector<double>{1.5, 1.5, 1.5, 1.5}));
    const std::vector<std::vector<double>> expected = {{0.0, 10.0}, {0.0, 10.0}, {1.0, 2.0}, {1.0, 2.0}};
    EXPECT_EQ(recorded.bounds, expected);
}

TEST_F(KrigingTest, SearchOptionsChooseAndLimitTheEngine)
{
    const Points points = scattered(12, 2);
    installFunction(points, smooth);
    auto direct = std::make_shared<KrigingSearchOptions>();
    direct->ints = {0, 0, 100, 2, 15, 0};
    const auto limited = fit<Kriging>(0, false, 0, 0, 0, 0, 2, 0, direct);
    EXPECT_GT(limited->likelihoodEvaluations, 1);
    EXPECT_LE(limited->likelihoodEvaluations, 15 + 2);

    auto genetic = std::make_shared<KrigingSearchOptions>();
    genetic->kind = KrigingSearchOptions::kGeneticAlgorithm;
    // Population 12, 6 generations, real coding, at most 80 evaluations.
    genetic->ints = {-999, -999, 12, 6, 1, -999, 80, 0, 1, 0, 50};
    genetic->reals = {-999.0, 0.7, 0.0};
    const auto model = fit<Kriging>(0, false, 0, 2, 0, 0, 2, 0, genetic);
    EXPECT_GT(model->likelihoodEvaluations, 12);
    EXPECT_LE(model->likelihoodEvaluations, 80 + 12);
    for (const auto& x : points) {
        EXPECT_LE(relativeDifference(model->predict(x), smooth(x)), 1e-8);
    }
    const auto& h = model->record().hyperParameters;
    for (std::size_t k = 0; k < 2; ++k) {
        EXPECT_GE(h[k], 0.0);
        EXPECT_LE(h[k], 10.0);
        EXPECT_GE(h[k + 2], 1.0);
        EXPECT_LE(h[k + 2], 2.0);
    }
    KrigingSearchOptions unknown;
    unknown.kind = 4;
    EXPECT_THROW(Kriging::searchPlan(&unknown, 3), std::invalid_argument);
}

TEST_F(KrigingTest, LeaveOneOutEqualsAnHonestRefitWithoutThePoint)
{
    const Points points = scattered(9, 2);
    Points probes = points;
    probes.push_back({0.3, -0.6});
    const std::vector<double> h = {1.2, 0.7};
    for (int trend = 0; trend <= 2; trend += 2) {
        installFunction(points, smooth);
        Kriging full(trend, 1, 0, 0, 2, 0);
        full.loadResponse(0);
        ASSERT_TRUE(full.buildWithHyperParameters(h, true));
        Testing::expectLeaveOneOutEqualsRefits(full, points, smooth, probes, false, [&] {
            auto refit = std::make_shared<Kriging>(trend, 1, 0, 0, 2, 0);
            refit->loadResponse(0);
            EXPECT_TRUE(refit->buildWithHyperParameters(h, false));
            return refit;
        });
        EXPECT_LT(full.looRSquared(), 1.0);
        EXPECT_GT(full.looRSquared(), 0.5);
    }
}

TEST_F(KrigingTest, PseudoInverseMatchesCholeskyAndCoversCoincidentPoints)
{
    installFunction(scattered(10, 2), smooth);
    Kriging cholesky(0, 0, Kriging::kCholeskySolve, 0, 2, 0);
    Kriging pseudo(0, 0, Kriging::kPseudoInverseSolve, 0, 2, 0);
    for (Kriging* model : {&cholesky, &pseudo}) {
        model->loadResponse(0);
        ASSERT_TRUE(model->buildWithHyperParameters({2.0, 2.0}, false));
    }
    EXPECT_NEAR(cholesky.record().logLikelihood, pseudo.record().logLikelihood, 1e-8);
    EXPECT_NEAR(cholesky.predict({0.2, 0.1}), pseudo.predict({0.2, 0.1}), 1e-8);

    Points points = scattered(8, 2);
    points.push_back(points.front()); // R is singular: two equal rows
    installFunction(points, smooth);
    const auto model = fitted(0, 0, 2);
    EXPECT_TRUE(std::isfinite(model->predict({0.1, 0.1})));
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

} // namespace
} // namespace Opt::RSM
