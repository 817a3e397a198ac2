// SQP settings: positions, and replacement of unset, negative, NaN and
// unusable entries.
#include "gradient/SQPParameter.h"

#include <limits>
#include <vector>

#include <gtest/gtest.h>

namespace Opt {
namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

int SQPParameter::*const kIntAt[] = {
    &SQPParameter::goal, &SQPParameter::objectiveForm, &SQPParameter::historyOption,
    &SQPParameter::maxIterations, &SQPParameter::startIteration, &SQPParameter::gradientMode,
    &SQPParameter::relaxIterations, &SQPParameter::maxLineSearchTrials, &SQPParameter::reservedInt8,
    &SQPParameter::constraintSelection, &SQPParameter::reservedInt10, &SQPParameter::reservedInt11};
double SQPParameter::*const kRealAt[] = {
    &SQPParameter::objectiveTolerance, &SQPParameter::stepTolerance,
    &SQPParameter::finiteDifferenceStep, &SQPParameter::violationThreshold,
    &SQPParameter::initialStepLength, &SQPParameter::constraintTolerance,
    &SQPParameter::stepReduction, &SQPParameter::reservedReal7, &SQPParameter::moveLimit,
    &SQPParameter::moveLimitFactor, &SQPParameter::maxMoveLimit, &SQPParameter::minMoveLimit};

TEST(SQPParameterLoad, EveryPositionIsReadWhereItBelongs)
{
    const std::vector<int> ints = {2, 3, 1, 12, 4, 3, 2, 7, 5, 0, 6, 8};
    const std::vector<double> reals = {0.01, 1e-6, 2e-5, 0.3, 0.8, 1e-3,
                                       0.5, 0.7, 0.2, 0.1, 0.6, 0.02};
    SQPParameter p;
    p.load(reals.data(), ints.data());
    for (int k = 0; k < SQPParameter::kIntCount; ++k) {
        EXPECT_EQ(p.*kIntAt[k], ints[k]) << "int " << k;
        EXPECT_EQ(p.*kRealAt[k], reals[k]) << "real " << k;
    }
}

// One entry given, the others unset: {position, given, value used}.
TEST(SQPParameterLoad, UnusableEntriesAreReplaced)
{
    const std::tuple<int, int, int> ints[] = {
        {3, -1, 30}, {7, -1, 10}, {3, 0, 0}, {7, 0, 0}, {5, 7, 0} /* no such mode */};
    const std::tuple<int, double, double> reals[] = {
        {1, -0.5, 0.0}, {0, kNaN, 0.005}, {8, kNaN, 0.3}, {11, kNaN, 0.05}, {0, 0.0, 0.0},
        {9, 0.0, 0.0},
        // A zero step, step length, reduction or move limit would stall or divide by zero.
        {2, 0.0, 1e-5}, {4, 0.0, 1.0}, {6, 0.0, 0.4}, {8, 0.0, 0.3}, {11, 0.0, 0.05},
        // A step beyond the box, a reduction that never shrinks, a factor that
        // shrinks the move limit to zero.
        {2, 1.5, 1e-5}, {6, 1.0, 0.4}, {9, 1.0, 0.25}};
    for (const auto& [position, given, expected] : ints) {
        std::vector<int> values(SQPParameter::kIntCount, -1);
        values[position] = given;
        SQPParameter p;
        p.load(nullptr, values.data());
        EXPECT_EQ(p.*kIntAt[position], expected) << "int " << position << " = " << given;
    }
    for (const auto& [position, given, expected] : reals) {
        std::vector<double> values(SQPParameter::kRealCount, kNaN);
        values[position] = given;
        SQPParameter p;
        p.load(values.data(), nullptr);
        EXPECT_EQ(p.*kRealAt[position], expected) << "real " << position << " = " << given;
    }
    // maxMoveLimit below minMoveLimit: both revert.
    std::vector<double> values(SQPParameter::kRealCount, kNaN);
    values[10] = 0.03;
    values[11] = 0.04;
    SQPParameter p;
    p.load(values.data(), nullptr);
    EXPECT_EQ(p.maxMoveLimit, 0.4);
    EXPECT_EQ(p.minMoveLimit, 0.05);
    // Null arrays restore the defaults; the option is set through the engine, never loaded.
    p.option = 1;
    p.maxIterations = 3;
    p.load(nullptr, nullptr);
    EXPECT_EQ(p.maxIterations, 30);
    EXPECT_EQ(p.option, 1);
}

} // namespace
} // namespace Opt
