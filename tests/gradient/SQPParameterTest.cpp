// SQP settings: positions, defaults, and replacement of unset, negative, NaN
// and unusable entries.
#include "gradient/SQPParameter.h"

#include <limits>
#include <vector>

#include <gtest/gtest.h>

namespace Opt {
namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

TEST(SQPParameterLoad, EveryPositionIsReadWhereItBelongs)
{
    const std::vector<int> ints = {2, 3, 1, 12, 4, 3, 2, 7, 5, 0, 6, 8};
    const std::vector<double> reals = {0.01, 1e-6, 2e-5, 0.3, 0.8, 1e-3,
                                       0.5, 0.7, 0.2, 0.1, 0.6, 0.02};
    SQPParameter p;
    p.load(reals.data(), ints.data());
    EXPECT_EQ(p.goal, 2);
    EXPECT_EQ(p.objectiveForm, 3);
    EXPECT_EQ(p.historyOption, 1);
    EXPECT_EQ(p.maxIterations, 12);
    EXPECT_EQ(p.startIteration, 4);
    EXPECT_EQ(p.gradientMode, 3);
    EXPECT_EQ(p.relaxIterations, 2);
    EXPECT_EQ(p.maxLineSearchTrials, 7);
    EXPECT_EQ(p.reservedInt8, 5);
    EXPECT_EQ(p.constraintSelection, 0);
    EXPECT_EQ(p.reservedInt10, 6);
    EXPECT_EQ(p.reservedInt11, 8);
    EXPECT_EQ(p.objectiveTolerance, 0.01);
    EXPECT_EQ(p.stepTolerance, 1e-6);
    EXPECT_EQ(p.finiteDifferenceStep, 2e-5);
    EXPECT_EQ(p.violationThreshold, 0.3);
    EXPECT_EQ(p.initialStepLength, 0.8);
    EXPECT_EQ(p.constraintTolerance, 1e-3);
    EXPECT_EQ(p.stepReduction, 0.5);
    EXPECT_EQ(p.reservedReal7, 0.7);
    EXPECT_EQ(p.moveLimit, 0.2);
    EXPECT_EQ(p.moveLimitFactor, 0.1);
    EXPECT_EQ(p.maxMoveLimit, 0.6);
    EXPECT_EQ(p.minMoveLimit, 0.02);
}

TEST(SQPParameterLoad, NegativeAndNaNEntriesTakeTheDefaults)
{
    std::vector<int> ints(12, -1);
    std::vector<double> reals(12, kNaN);
    reals[1] = -0.5;
    SQPParameter p;
    p.load(reals.data(), ints.data());
    EXPECT_EQ(p.maxIterations, 30);
    EXPECT_EQ(p.maxLineSearchTrials, 10);
    EXPECT_EQ(p.objectiveTolerance, 0.005);
    EXPECT_EQ(p.stepTolerance, 0.0);
    EXPECT_EQ(p.moveLimit, 0.3);
    EXPECT_EQ(p.minMoveLimit, 0.05);
}

TEST(SQPParameterLoad, ZeroIsKeptOnlyWhereItMeansSomething)
{
    std::vector<int> ints(12, 0);
    std::vector<double> reals(12, 0.0);
    SQPParameter p;
    p.load(reals.data(), ints.data());
    EXPECT_EQ(p.maxIterations, 0);
    EXPECT_EQ(p.maxLineSearchTrials, 0);
    EXPECT_EQ(p.objectiveTolerance, 0.0);
    EXPECT_EQ(p.moveLimitFactor, 0.0);
    // A zero step, step length, reduction or move limit would stall or divide by zero.
    EXPECT_EQ(p.finiteDifferenceStep, 1e-5);
    EXPECT_EQ(p.initialStepLength, 1.0);
    EXPECT_EQ(p.stepReduction, 0.4);
    EXPECT_EQ(p.moveLimit, 0.3);
    EXPECT_EQ(p.minMoveLimit, 0.05);
    // Values the engine cannot use either.
    ints[5] = 7;       // no such gradient mode
    reals[2] = 1.5;    // a difference step beyond the box
    reals[6] = 1.0;    // a reduction that never shrinks
    reals[9] = 1.0;    // a factor that would shrink the move limit to zero
    reals[10] = 0.03;  // maxMoveLimit below minMoveLimit: both clamps revert
    reals[11] = 0.04;
    p.load(reals.data(), ints.data());
    EXPECT_EQ(p.gradientMode, 0);
    EXPECT_EQ(p.finiteDifferenceStep, 1e-5);
    EXPECT_EQ(p.stepReduction, 0.4);
    EXPECT_EQ(p.moveLimitFactor, 0.25);
    EXPECT_EQ(p.maxMoveLimit, 0.4);
    EXPECT_EQ(p.minMoveLimit, 0.05);
}

TEST(SQPParameterLoad, NullArraysKeepTheDefaultsAndTheOption)
{
    SQPParameter p;
    p.option = 1;
    p.maxIterations = 3;
    p.load(nullptr, nullptr);
    EXPECT_EQ(p.maxIterations, 30);
    EXPECT_EQ(p.option, 1); // set through the engine, never loaded
}

} // namespace
} // namespace Opt
