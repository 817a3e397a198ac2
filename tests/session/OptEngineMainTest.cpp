// The session: builders copy the parameter arrays, inconsistent input builds no
// engine, and both constructors step their engine.
#include "api/zelkor.h"

#include <cmath>
#include <limits>
#include <memory>

#include <gtest/gtest.h>

#include "session/EngineBuilder.h"
#include "support/ScriptedEngine.h"

namespace Opt {
namespace {

using Testing::ScriptedEngine;

// Engine types the library leaves free, used here for test engines laid out like
// the SQP builder (12 + 12 entries, -999 fill) and the DIRECT builder (10 + 11,
// zero fill).
constexpr int kLikeSqp = 200;
constexpr int kLikeDirect = 201;

std::shared_ptr<OptEngine> buildScripted(const HostEngineInput& input)
{
    auto engine = std::make_shared<ScriptedEngine>(input.start, input.bounds, input.nResponses);
    engine->reals = input.reals;
    engine->ints = input.ints;
    engine->parameter->load(input.reals.data(), input.ints.data());
    engine->startReport(input.reportLevel, 0, 1);
    return engine;
}

class Session : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        EngineBuilder likeSqp;
        likeSqp.engineType = kLikeSqp;
        likeSqp.realCount = 12;
        likeSqp.intCount = 12;
        likeSqp.buildFromHost = buildScripted;
        likeSqp.buildFromDataSet = [](const DataSetEngineInput& input) {
            auto engine = std::make_shared<ScriptedEngine>(input.dataSet);
            engine->reals = input.reals;
            engine->ints = input.ints;
            return engine;
        };
        registerEngineBuilder(likeSqp);

        EngineBuilder likeDirect = likeSqp;
        likeDirect.engineType = kLikeDirect;
        likeDirect.realCount = 10;
        likeDirect.intCount = 11;
        likeDirect.realFill = 0.0;
        likeDirect.intFill = 0;
        likeDirect.buildFromDataSet = nullptr;
        registerEngineBuilder(likeDirect);
    }

    static ScriptedEngine* scripted(const OptEngineMain& session)
    {
        return dynamic_cast<ScriptedEngine*>(session.engine.get());
    }

    std::vector<double> start = {1.0, 2.0};
    std::vector<std::vector<double>> bounds = {{0.0, 4.0}, {0.0, 1.0, 2.0, 4.0}};
};

TEST_F(Session, BuilderCopiesItsCountSoTheCallerMayFreeTheArrays)
{
    // Arrays exactly as long as the builder copies: a longer read would be caught
    // by the address sanitizer, and so would a read after they are freed.
    auto* reals = new double[12];
    auto* ints = new int[12];
    for (int i = 0; i < 12; ++i) {
        reals[i] = 0.5 * i;
        ints[i] = 2 - i;
    }
    OptEngineMain session(2, 3, start, bounds, reals, ints, kLikeSqp, 0);
    delete[] reals;
    delete[] ints;
    ScriptedEngine* engine = scripted(session);
    ASSERT_NE(engine, nullptr);
    ASSERT_EQ(engine->reals.size(), 12u);
    ASSERT_EQ(engine->ints.size(), 12u);
    EXPECT_DOUBLE_EQ(engine->reals[11], 5.5);
    EXPECT_EQ(engine->ints[0], 2);
    EXPECT_EQ(engine->ints[11], -9);
    EXPECT_EQ(engine->parameter->goal, 2);
    EXPECT_EQ(engine->parameter->objectiveForm, 1) << "1 is kept";
    EXPECT_EQ(engine->nResponses, 3);
    EXPECT_EQ(engine->discreteIndices, (std::vector<int>{1}));
}

TEST_F(Session, NullArraysGiveTheBuildersFillValues)
{
    OptEngineMain likeSqp(2, 1, start, bounds, nullptr, nullptr, kLikeSqp, 0);
    ASSERT_NE(scripted(likeSqp), nullptr);
    EXPECT_EQ(scripted(likeSqp)->reals, std::vector<double>(12, -999.0));
    EXPECT_EQ(scripted(likeSqp)->ints, std::vector<int>(12, -999));
    EXPECT_EQ(scripted(likeSqp)->parameter->goal, 1) << "unset takes the default";

    OptEngineMain likeDirect(2, 1, start, bounds, nullptr, nullptr, kLikeDirect, 0);
    ASSERT_NE(scripted(likeDirect), nullptr);
    EXPECT_EQ(scripted(likeDirect)->reals, std::vector<double>(10, 0.0));
    EXPECT_EQ(scripted(likeDirect)->ints, std::vector<int>(11, 0));
}

TEST_F(Session, TypesWithoutAnEngineBuildNothingAndFailToStep)
{
    for (int type : {8, 13, 14, 17, -1, 1000}) {
        testing::internal::CaptureStderr();
        OptEngineMain session(2, 1, start, bounds, nullptr, nullptr, type, 0);
        EXPECT_EQ(testing::internal::GetCapturedStderr(), "") << "type " << type;
        EXPECT_EQ(session.engine, nullptr) << "type " << type;
        EXPECT_EQ(session.runOptEngine(nullptr, nullptr, nullptr), -1);
    }
}

struct BadInput {
    const char* what;
    int nDesignVariables;
    int nResponses;
    std::vector<double> start;
    std::vector<std::vector<double>> bounds;
    const char* reason; // printed as "OptEngineMain: <reason>; no engine built"
};

void PrintTo(const BadInput& input, std::ostream* out)
{
    *out << input.what;
}

class InconsistentInput : public Session, public ::testing::WithParamInterface<BadInput> {};

TEST_P(InconsistentInput, GivesOneClearLineAndNoEngine)
{
    const BadInput& input = GetParam();
    testing::internal::CaptureStderr();
    OptEngineMain session(input.nDesignVariables, input.nResponses, input.start, input.bounds,
                          nullptr, nullptr, kLikeSqp, 0);
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "OptEngineMain: " + std::string(input.reason) + "; no engine built\n");
    EXPECT_EQ(session.engine, nullptr);
    double x[2] = {0.0, 0.0};
    double f[1] = {0.0};
    EXPECT_EQ(session.runOptEngine(x, f, nullptr), -1);
}

const double kNaN = std::nan("");
const double kInf = std::numeric_limits<double>::infinity();

INSTANTIATE_TEST_SUITE_P(
    Session, InconsistentInput,
    ::testing::Values(
        BadInput{"negative variables", -1, 1, {}, {}, "nDesignVariables = -1 is negative"},
        BadInput{"no variables", 0, 1, {}, {},
                 "nDesignVariables = 0: a problem needs at least one design variable"},
        BadInput{"negative responses", 1, -3, {0.0}, {{0.0, 1.0}}, "nResponses = -3 is negative"},
        BadInput{"no responses", 1, 0, {0.0}, {{0.0, 1.0}},
                 "nResponses = 0: a problem needs at least its objective response"},
        BadInput{"short start", 2, 1, {0.0}, {{0.0, 1.0}, {0.0, 1.0}},
                 "the start vector holds 1 values for 2 design variables"},
        BadInput{"short bounds", 2, 1, {0.0, 0.0}, {{0.0, 1.0}},
                 "there are 1 bound lists for 2 design variables"},
        BadInput{"one-entry bound list", 2, 1, {0.0, 0.0}, {{0.0, 1.0}, {0.5}},
                 "the bound list of design variable 1 holds 1 entry (a lower and an upper bound "
                 "are needed)"},
        BadInput{"empty bound list", 1, 1, {0.0}, {{}},
                 "the bound list of design variable 0 holds 0 entries (a lower and an upper "
                 "bound are needed)"},
        BadInput{"NaN bound", 2, 1, {0.0, 0.0}, {{0.0, 1.0}, {0.0, kNaN, 1.0}},
                 "entry 1 of the bound list of design variable 1 is nan"},
        BadInput{"infinite bound", 1, 1, {0.0}, {{-kInf, 1.0}},
                 "entry 0 of the bound list of design variable 0 is -inf"},
        BadInput{"reversed bounds", 1, 1, {0.0}, {{2.0, 1.0}},
                 "design variable 0 has lower bound 2 above its upper bound 1"},
        BadInput{"NaN start", 1, 1, {kNaN}, {{0.0, 1.0}},
                 "the start value of design variable 0 is nan"}));

TEST_F(Session, LongerArraysThanDeclaredAreAccepted)
{
    OptEngineMain session(1, 1, {0.5, 9.0}, {{0.0, 1.0}, {}}, nullptr, nullptr, kLikeSqp, 0);
    ASSERT_NE(session.engine, nullptr);
    EXPECT_EQ(session.engine->nDesignVariables, 1);
}

TEST_F(Session, DataSetConstructorSharesTheDataSet)
{
    auto dataSet = std::make_shared<DataSet>();
    dataSet->engineType = kLikeSqp;
    dataSet->bounds = {{0.0, 1.0}};
    dataSet->designValues = {0.5};
    dataSet->currentSearchSettings.reals = {1.5, 2.5};
    dataSet->currentSearchSettings.ints = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13};
    OptEngineMain session(dataSet);
    ASSERT_NE(session.engine, nullptr);
    EXPECT_EQ(session.engine->dataSet, dataSet);
    std::vector<double> reals(12, -999.0);
    reals[0] = 1.5;
    reals[1] = 2.5;
    EXPECT_EQ(scripted(session)->reals, reals) << "settings padded with the fill value";
    EXPECT_EQ(scripted(session)->ints.size(), 12u) << "settings cut to the builder's count";

    dataSet->engineType = kLikeDirect; // no data-set builder
    OptEngineMain none(dataSet);
    EXPECT_EQ(none.engine, nullptr);
}

TEST_F(Session, InconsistentDataSetsBuildNothing)
{
    testing::internal::CaptureStderr();
    OptEngineMain noDataSet(nullptr);
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "OptEngineMain: no data set given; no engine built\n");
    EXPECT_EQ(noDataSet.engine, nullptr);

    auto dataSet = std::make_shared<DataSet>();
    dataSet->engineType = kLikeSqp;
    dataSet->bounds = {{0.0, 1.0}, {0.0, 1.0}};
    dataSet->designValues = {0.5};
    testing::internal::CaptureStderr();
    OptEngineMain shortDesign(dataSet);
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "OptEngineMain: the start vector holds 1 values for 2 design variables; no "
              "engine built\n");
    EXPECT_EQ(shortDesign.engine, nullptr);
}

} // namespace
} // namespace Opt
