// The parallel fit of a study's models: the same models bit for bit on any
// number of threads, failures carried out of the parallel loop, the thread
// count and the progress line.
#include "rsm/ParallelModelBuild.h"

#include <cmath>
#include <stdexcept>
#include <string>

#include <gtest/gtest.h>
#include <omp.h>

#include "SurrogateTestSupport.h"
#include "rsm/EnsembleOfSurrogates.h"
#include "rsm/Kriging.h"
#include "rsm/NearestSampleList.h"
#include "rsm/OrdinaryKrigingGeo.h"
#include "rsm/PolynomialRegression.h"
#include "rsm/RadialBasisFunction.h"
#include "rsm/SupportVectorRegression.h"

namespace Opt::RSM {
namespace {

using namespace Testing;

constexpr int kResponses = 8;
constexpr int kRepeats = 20;
const char* const kBuildFailedLine =
    "^ERROR : BUILDING SURROGATE MODEL IS FAILED\\. \\(dpotrf failed\\)\n$";

// A model that records the size of the team fitting it, and fails on demand.
class ProbeModel : public RSMBase {
public:
    explicit ProbeModel(bool failing = false) : RSMBase(std::make_shared<RSMData>(), 0), fails(failing)
    {
        takeCurrentSample(1);
    }
    double predict(const std::vector<double>&) const override { return 0.0; }
    double predictNormalised(const std::vector<double>&, bool*) const override { return 0.0; }
    bool build(bool) override
    {
        return buildOnce(built, [this] {
            teamSize = omp_get_num_threads();
            if (fails) {
                throw std::runtime_error("dpotrf failed");
            }
        });
    }
    bool isBuilt() const override { return built; }
    void storeQuality(std::shared_ptr<DataSet>) const override {}
    void storeModel(std::shared_ptr<DataSet>) const override {}

    bool fails = false;
    bool built = false;
    int teamSize = 0;
};

// Three responses at two points in one variable.
void installThreeResponses()
{
    installDesign({{-0.5}, {0.5}}, {{1.0, 2.0, 3.0}, {4.0, 5.0, 6.0}});
}

ModelMap probes(int count, int failing = -1)
{
    ModelMap models;
    for (int id = 0; id < count; ++id) {
        models[id] = std::make_shared<ProbeModel>(id == failing);
    }
    return models;
}

int teamSizeOf(const ModelMap& models, int id)
{
    return static_cast<const ProbeModel&>(*models.at(id)).teamSize;
}

// Eight responses of one 2-D design, one of each kind of model the design
// supports (kriging twice, with two correlation kinds).
class ParallelModelBuildTest : public SurrogateTest {
protected:
    void SetUp() override
    {
        SurrogateTest::SetUp();
        Points responses;
        for (const auto& x : points) {
            std::vector<double> row;
            for (int r = 0; r < kResponses; ++r) {
                row.push_back(std::sin((1.0 + 0.3 * r) * x[0]) * std::cos(2.0 * x[1]) + 0.1 * r * x[0]);
            }
            responses.push_back(row);
        }
        installDesign(points, responses);
    }

    static ModelMap mixedModels()
    {
        EnsembleMemberSettings ensemble;
        ensemble.variableCount = 2;
        return {{0, std::make_shared<PolynomialRegression>(2, 0, 2, 0)},
                {1, std::make_shared<Kriging>(0, 0, Kriging::kCholeskySolve, 0, 2, 1)},
                {2, std::make_shared<Kriging>(0, 2, Kriging::kCholeskySolve, 0, 2, 2)},
                {3, std::make_shared<RadialBasisFunction>(3, 0, 2, 0)},
                {4, std::make_shared<SupportVectorRegression>(4, 2, 0)},
                {5, std::make_shared<EnsembleOfSurrogates>(5, ensemble, 3)},
                {6, std::make_shared<OrdinaryKrigingGeo>(6, 0, 2, 1.0, 0)},
                {7, std::make_shared<RadialBasisFunction>(7, 1, 2, 0)}};
    }

    // Every model's predictions at the probe points and its two R^2.
    static std::vector<double> fingerprint(const ModelMap& models)
    {
        NearestSampleList::resize(3);
        std::vector<double> values;
        for (const auto& [id, model] : models) {
            for (const auto& x : scattered(6, 2)) {
                NearestSampleList::fill(x, model->samplePoints());
                values.push_back(model->predict(x));
            }
            values.push_back(model->rSquared());
            values.push_back(model->looRSquared());
        }
        return values;
    }

    Points points = scattered(14, 2);
};

TEST_F(ParallelModelBuildTest, TwoThreadsFitTheSameModelsBitForBitAsOne)
{
    const ModelMap serial = mixedModels();
    ASSERT_TRUE(ParallelModelBuild(nullptr).run(serial, 1));
    const std::vector<double> expected = fingerprint(serial);
    for (int repeat = 0; repeat < kRepeats; ++repeat) {
        const ModelMap parallel = mixedModels();
        ASSERT_TRUE(ParallelModelBuild(nullptr).run(parallel, 2));
        ASSERT_EQ(fingerprint(parallel), expected) << "repeat " << repeat;
    }
}

TEST_F(ParallelModelBuildTest, ThreeModelsShowThirdsOnTwoThreadsAndASecondRunNothing)
{
    installThreeResponses();
    const ModelMap models = probes(3);
    bool ran = false;
    const std::string first = written([&](std::FILE* stream) { ran = ParallelModelBuild(stream).run(models, 2); });
    EXPECT_TRUE(ran);
    EXPECT_EQ(first, "    BUILDING APPROXIMATE MODEL:   0%"
                     "\b\b\b\b 33%\b\b\b\b 66%\b\b\b\b100%\b\b\b\bCOMPLETED\n");
    EXPECT_EQ(teamSizeOf(models, 0), 2);
    EXPECT_EQ(omp_get_max_threads(), 1) << "the thread count is reset";
    const std::string second = written([&](std::FILE* stream) { ran = ParallelModelBuild(stream).run(models, 2); });
    EXPECT_FALSE(ran);
    EXPECT_EQ(second, "") << "all built: nothing to do, nothing printed";
}

TEST_F(ParallelModelBuildTest, OneResponseFitsOnOneThreadWhateverTheSetting)
{
    installThreeResponses();
    const ModelMap models = probes(1);
    ParallelModelBuild(nullptr).run(models, 4);
    EXPECT_EQ(teamSizeOf(models, 0), 1);
}

std::string handledMessage;
int handledCount = 0;

void recordFatal(const char* message)
{
    handledMessage = message;
    ++handledCount;
}

TEST_F(ParallelModelBuildTest, AFailureInTheLoopReachesTheCallerAsSurrogateFailure)
{
    installThreeResponses();
    setFatalHandler(recordFatal);
    handledCount = 0;
    const ModelMap models = probes(3, 1);
    EXPECT_THROW(ParallelModelBuild(nullptr).run(models, 2), SurrogateFailure);
    EXPECT_EQ(handledCount, 1) << "the handler runs once, on the calling thread";
    EXPECT_EQ(handledMessage, "ERROR : BUILDING SURROGATE MODEL IS FAILED. (dpotrf failed)");
    EXPECT_EQ(omp_get_max_threads(), 1);
    EXPECT_TRUE(models.at(2)->isBuilt()) << "the other models are fitted all the same";
    EXPECT_THROW(ParallelModelBuild(nullptr).run({{0, nullptr}}, 2), std::invalid_argument);
}

using ParallelModelBuildDeathTest = ParallelModelBuildTest;

TEST_F(ParallelModelBuildDeathTest, TheDefaultHandlerStillEndsTheProcess)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    installThreeResponses();
    const ModelMap models = probes(3, 2);
    EXPECT_EXIT(ParallelModelBuild(nullptr).run(models, 2), ::testing::ExitedWithCode(0),
                kBuildFailedLine);
}

} // namespace
} // namespace Opt::RSM
