// The step protocol phase by phase and code by code, in host-array mode.
#include "engine/OptEngine.h"

#include <cmath>
#include <vector>

#include <gtest/gtest.h>

#include "support/ScriptedEngine.h"

namespace Opt {
namespace {

using Testing::ScriptedEngine;
using Calls = std::vector<std::string>;

constexpr double kRoundTrip = 1e-12;

int code(StepCode c)
{
    return static_cast<int>(c);
}

// Two continuous variables on [0, 10] and [-1, 1], an objective and one constraint.
class StepProtocol : public ::testing::Test {
protected:
    // A new engine holds its start in caller units, as if just published; the
    // tests begin from the normalised state a first received evaluation leaves.
    StepProtocol() : engine({2.0, 0.5}, {{0.0, 10.0}, {-1.0, 1.0}}, 2)
    {
        engine.normaliseDesign(x.data());
    }

    int step() { return engine.step(x.data(), f.data(), nullptr); }

    ScriptedEngine engine;
    std::vector<double> x = {2.0, 0.5};
    std::vector<double> f = {0.0, 0.0};
};

TEST_F(StepProtocol, ContinueWalksThePhasesInOrder)
{
    for (EnginePhase next : {EnginePhase::ComputeStep, EnginePhase::UpdateStep,
                             EnginePhase::EndIteration, EnginePhase::BeginIteration}) {
        EXPECT_EQ(step(), code(StepCode::Continue));
        EXPECT_EQ(engine.phase, next);
    }
    EXPECT_EQ(engine.calls, (Calls{"begin", "prepare", "compute", "update", "end"}));
    EXPECT_FALSE(engine.evaluationPending) << "Continue publishes nothing";
}

TEST_F(StepProtocol, EvaluatePublishesInCallerUnitsAndStaysInItsPhase)
{
    engine.designVariables[0].value = 0.25;
    engine.designVariables[1].value = 0.75;
    engine.beginScript = {StepCode::Evaluate};
    EXPECT_EQ(step(), code(StepCode::Evaluate));
    EXPECT_DOUBLE_EQ(x[0], 2.5);
    EXPECT_DOUBLE_EQ(x[1], 0.5);
    EXPECT_TRUE(engine.evaluationPending);
    EXPECT_EQ(engine.phase, EnginePhase::BeginIteration);

    // The next step takes the responses, normalises the design, then dispatches.
    // The design is the engine's own: a host that scribbles on x changes nothing.
    f = {3.0, -1.0};
    x = {1e30, std::nan("")};
    EXPECT_EQ(step(), code(StepCode::Continue));
    EXPECT_EQ(engine.calls, (Calls{"begin", "receive", "begin"}));
    EXPECT_DOUBLE_EQ(engine.responseRows[0].value, 3.0);
    EXPECT_DOUBLE_EQ(engine.responseRows[1].value, -1.0);
    EXPECT_NEAR(engine.designVariables[0].value, 0.25, kRoundTrip);
    EXPECT_NEAR(engine.designVariables[1].accepted, 0.75, kRoundTrip);
    EXPECT_FALSE(engine.evaluationPending);
}

// Each request from a phase publishes the design over whatever the caller's
// array held and leaves the phase where it is; Finished then finishes with the
// caller's array. Each step after a request first receives the responses.
TEST_F(StepProtocol, RequestsFromAPhasePublishTheDesign)
{
    for (StepCode request : {StepCode::Gradients, StepCode::CallAgain, StepCode::Finished}) {
        engine.beginScript = {request};
        x = {-7.0, -7.0};
        EXPECT_EQ(step(), code(request));
        EXPECT_DOUBLE_EQ(x[0], 2.0);
        EXPECT_DOUBLE_EQ(x[1], 0.5);
        EXPECT_TRUE(request == StepCode::Finished || engine.evaluationPending);
        EXPECT_EQ(engine.phase, EnginePhase::BeginIteration);
    }
    EXPECT_EQ(engine.calls, (Calls{"begin", "receive", "begin", "receive", "begin", "finish"}));
    EXPECT_FALSE(engine.finishGotNull);
}

TEST_F(StepProtocol, FinishedOnReceiveNormalisesFinishesAndHandsOverTheFinalDesign)
{
    engine.beginScript = {StepCode::Evaluate};
    step();
    engine.receiveScript = {StepCode::Finished};
    x = {-7.0, -7.0};
    EXPECT_EQ(step(), code(StepCode::Finished));
    EXPECT_EQ(engine.calls, (Calls{"begin", "receive", "finish"}));
    EXPECT_TRUE(engine.finishGotNull);
    EXPECT_DOUBLE_EQ(x[0], 2.0);
    EXPECT_DOUBLE_EQ(x[1], 0.5);
}

TEST_F(StepProtocol, CallAgainAndErrorOnReceiveReturnBeforeAnyPhase)
{
    engine.beginScript = {StepCode::Evaluate};
    step();
    engine.receiveScript = {StepCode::CallAgain};
    EXPECT_EQ(step(), code(StepCode::CallAgain));
    engine.evaluationPending = true;
    engine.receiveScript = {StepCode::Error};
    EXPECT_EQ(step(), code(StepCode::Error));
    EXPECT_EQ(engine.calls, (Calls{"begin", "receive", "receive"}));
}

TEST_F(StepProtocol, EndIterationAskingForAnEvaluationStartsTheNextIteration)
{
    engine.phase = EnginePhase::EndIteration;
    engine.endScript = {StepCode::Evaluate};
    EXPECT_EQ(step(), code(StepCode::Evaluate));
    EXPECT_EQ(engine.phase, EnginePhase::BeginIteration);
    engine.evaluationPending = false;
    engine.phase = EnginePhase::UpdateStep;
    engine.updateScript = {StepCode::Evaluate};
    EXPECT_EQ(step(), code(StepCode::Evaluate));
    EXPECT_EQ(engine.phase, EnginePhase::UpdateStep) << "only Continue advances other phases";
}

TEST_F(StepProtocol, StoppedEngineFinishesAtOnceAndWritesNothing)
{
    engine.phase = EnginePhase::Stopped;
    x = {-7.0, -7.0};
    EXPECT_EQ(step(), code(StepCode::Finished));
    EXPECT_EQ(step(), code(StepCode::Finished));
    EXPECT_TRUE(engine.calls.empty());
    EXPECT_DOUBLE_EQ(x[0], -7.0);
    EXPECT_FALSE(engine.evaluationPending);
}

TEST_F(StepProtocol, PhaseOutsideTheCycleIsAnError)
{
    for (int invalid : {0, 3, 7, -1}) {
        engine.phase = static_cast<EnginePhase>(invalid);
        EXPECT_EQ(step(), code(StepCode::Error)) << "phase " << invalid;
    }
    EXPECT_TRUE(engine.calls.empty());
}

TEST_F(StepProtocol, EvaluationLimitStopsAtFiveThousand)
{
    engine.evaluationCount = 4999;
    EXPECT_EQ(engine.checkIterationLimit(), StepCode::Continue);
    engine.evaluationPending = true;
    EXPECT_EQ(step(), code(StepCode::Continue));
    engine.evaluationCount = 5000;
    EXPECT_EQ(engine.checkIterationLimit(), StepCode::Error);
    engine.evaluationPending = true;
    EXPECT_EQ(step(), code(StepCode::Error));
}

TEST_F(StepProtocol, AuxiliaryEvaluationsLeaveTheAcceptedDesignAlone)
{
    engine.designVariables[0].accepted = 0.2;
    engine.designVariables[0].value = 0.6;
    engine.subEvaluationIndex = 1;
    engine.publishDesign(x.data());
    engine.normaliseDesign(x.data());
    EXPECT_NEAR(engine.designVariables[0].value, 0.6, kRoundTrip);
    EXPECT_DOUBLE_EQ(engine.designVariables[0].accepted, 0.2);
    engine.subEvaluationIndex = 0;
    engine.publishDesign(x.data());
    engine.normaliseDesign(x.data());
    EXPECT_NEAR(engine.designVariables[0].accepted, 0.6, kRoundTrip);
}

TEST_F(StepProtocol, NullArraysInHostModeAreNeverDereferenced)
{
    engine.beginScript = {StepCode::Evaluate};
    EXPECT_EQ(engine.step(nullptr, nullptr, nullptr), code(StepCode::Evaluate));
    EXPECT_EQ(engine.step(nullptr, nullptr, nullptr), code(StepCode::Continue));
}

// The problem model built from bound lists: levels are normalised, and a
// zero-range variable sits at 0.5 and publishes its bound.
TEST(ProblemModel, BoundListsMakeContinuousDiscreteAndZeroRangeVariables)
{
    ScriptedEngine engine({1.0, 2.0, 3.0, 4.0},
                          {{0.0, 4.0}, {0.0, 1.0, 3.0, 4.0}, {2.0, 3.0, 2.0 + 8.0}, {4.0, 4.0, 4.0}}, 1);
    ASSERT_EQ(engine.nDesignVariables, 4);
    EXPECT_FALSE(engine.designVariables[0].isDiscrete());
    EXPECT_EQ(engine.designVariables[1].levels, (std::vector<double>{0.25, 0.75}));
    EXPECT_EQ(engine.designVariables[2].levels, (std::vector<double>{0.125}));
    EXPECT_EQ(engine.designVariables[3].levels, (std::vector<double>{0.5}));
    EXPECT_EQ(engine.discreteIndices, (std::vector<int>{1, 2, 3}));
    EXPECT_EQ(engine.evaluationCount, 1) << "the start counts as evaluated";
    std::vector<double> x(4, 0.0);
    engine.normaliseDesign(x.data());
    EXPECT_DOUBLE_EQ(engine.designVariables[0].value, 0.25);
    EXPECT_DOUBLE_EQ(engine.designVariables[3].value, 0.5);
    engine.publishDesign(x.data());
    EXPECT_EQ(x, (std::vector<double>{1.0, 2.0, 3.0, 4.0}));
}

TEST(ProblemModel, PublishThenNormaliseReturnsTheSameValues)
{
    ScriptedEngine engine({0.0, 0.0, 0.0}, {{-3.0, 7.0}, {1e-3, 2e-3}, {-1e6, 1e6}}, 1);
    const std::vector<double> normalised = {0.1234567, 0.999, 0.5000001};
    for (std::size_t i = 0; i < normalised.size(); ++i) {
        engine.designVariables[i].value = normalised[i];
    }
    std::vector<double> x(3, 0.0);
    engine.publishDesign(x.data());
    engine.normaliseDesign(x.data());
    for (std::size_t i = 0; i < normalised.size(); ++i) {
        EXPECT_NEAR(engine.designVariables[i].value, normalised[i], kRoundTrip) << "variable " << i;
    }
}

} // namespace
} // namespace Opt
