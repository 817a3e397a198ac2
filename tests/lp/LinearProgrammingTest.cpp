// The linear-programming engine behind the exported runSIMPLEX entry points:
// the step protocol, the results handed back and every failure message.
#include "lp/LinearProgramming.h"

#include <cmath>
#include <functional>
#include <vector>
#include <string>

#include <gtest/gtest.h>

#include "api/zelkor.h"

namespace Opt {
namespace {

constexpr double kOpen = HUGE_VAL;

// Chvátal's example as flat arrays: max 5x1 + 4x2 + 3x3, optimum 13 at (2, 0, 1).
struct Example {
    double objective[3] = {-5, -4, -3};
    double rows[9] = {2, 3, 1, 4, 1, 2, 3, 4, 2};
    double rowUpper[3] = {5, 11, 8};
    double variableLower[3] = {0, 0, 0};
    double variableUpper[3] = {kOpen, kOpen, kOpen};
};

struct SimplexRun {
    int status;
    std::string printed;
    double x[3] = {0, 0, 0};
    double objective = 0.0;
};

SimplexRun runExample(Example e, double* reals = nullptr, int* ints = nullptr)
{
    SimplexRun run;
    testing::internal::CaptureStdout();
    run.status = runSIMPLEX(3, 3, e.objective, e.rows, nullptr, e.rowUpper, e.variableLower,
                            e.variableUpper, reals, ints, run.x, &run.objective);
    run.printed = testing::internal::GetCapturedStdout();
    return run;
}

// The whole printed text: the message between quotes and no line end after it.
std::string printedError(const char* message)
{
    return std::string("ERROR MESSAGE OF SIMPLEX : \" ") + message + " \" ";
}

// With one pivot per step the engine answers Continue over several steps, and
// never asks for an evaluation (that would end the run as a failure).
TEST(RunSimplex, SolvesAndHandsBackTheOptimum)
{
    int onePivotPerStep[4] = {0, 1, 0, 0};
    for (int* ints : {static_cast<int*>(nullptr), onePivotPerStep}) {
        const SimplexRun run = runExample(Example(), nullptr, ints);
        EXPECT_EQ(run.status, 0);
        EXPECT_EQ(run.printed, "");
        EXPECT_NEAR(run.objective, -13.0, 1e-9);
        EXPECT_NEAR(run.x[0], 2.0, 1e-9);
        EXPECT_NEAR(run.x[2], 1.0, 1e-9);
    }
}

TEST(RunSimplex, ShortRowsArePaddedWithZeros)
{
    Example e;
    const double first[3] = {2, 3, 1};
    const double second[2] = {4, 1}; // 4 x1 + x2, no x3
    const double third[3] = {3, 4, 2};
    const double* rows[3] = {first, second, third};
    const int lengths[3] = {3, 2, 3};
    double x[3];
    double objective = 0.0;
    ASSERT_EQ(runSIMPLEX_CVL(3, 3, e.objective, rows, lengths, nullptr, e.rowUpper,
                             e.variableLower, e.variableUpper, nullptr, nullptr, x, &objective),
              0);
    e.rows[5] = 0.0;
    const SimplexRun padded = runExample(e);
    EXPECT_DOUBLE_EQ(objective, padded.objective);
}

TEST(RunSimplex, FailuresPrintTheirMessageAndReturnItsIndex)
{
    struct Failure {
        std::function<void(Example&)> change;
        std::vector<double> reals;
        std::vector<int> ints;
        int status;
        const char* message;
    };
    const std::vector<Failure> failures{
        {[](Example& e) { e.variableLower[0] = 3.0; }, {}, {}, 9, "NO FEASIBLE SOLUTION"}, // 2 x1 <= 5 fails
        {[](Example& e) { e.rowUpper[0] = e.rowUpper[1] = e.rowUpper[2] = kOpen; }, {}, {}, 10,
         "CANNOT CONVERGED."},
        {[](Example& e) { e.variableLower[1] = 5.0, e.variableUpper[1] = 4.0; }, {}, {}, 6,
         "SOME BOUNDED VARIABLES HAVE INVALID BOUNDS."},
        {[](Example& e) { e.rows[4] = std::nan(""); }, {}, {}, 11, "INPUT DATAS ARE INVALID."},
        {[](Example&) {}, {0.01, -999.0, -999.0, -999.0}, {}, 2, "INVALID SIMPLEX PARAMETER."},
        {[](Example&) {}, {}, {1, -999, -999, -999}, 8, "ITERATION LIMIT HAS BEEN EXHAUSTED."},
    };
    for (auto failure : failures) {
        Example e;
        failure.change(e);
        const SimplexRun run = runExample(e, failure.reals.empty() ? nullptr : failure.reals.data(),
                                          failure.ints.empty() ? nullptr : failure.ints.data());
        EXPECT_EQ(run.status, failure.status) << failure.message;
        EXPECT_EQ(run.printed, printedError(failure.message));
    }
}

TEST(RunSimplex, InconsistentArgumentsNeverReachTheEngine)
{
    Example e;
    testing::internal::CaptureStdout();
    EXPECT_EQ(runSIMPLEX(0, 3, e.objective, e.rows, nullptr, e.rowUpper, nullptr, nullptr,
                         nullptr, nullptr, nullptr, nullptr),
              11);
    EXPECT_EQ(runSIMPLEX(3, 3, e.objective, nullptr, nullptr, e.rowUpper, nullptr, nullptr,
                         nullptr, nullptr, nullptr, nullptr),
              11);
    const int tooLong[1] = {4};
    const double* rows[1] = {e.rows};
    EXPECT_EQ(runSIMPLEX_CVL(3, 1, e.objective, rows, tooLong, nullptr, nullptr, nullptr,
                             nullptr, nullptr, nullptr, nullptr, nullptr),
              11);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), printedError("INPUT DATAS ARE INVALID.") +
                                                          printedError("INPUT DATAS ARE INVALID.") +
                                                          printedError("INPUT DATAS ARE INVALID."));
}

TEST(LinearProgrammingEngine, WithoutAProgramTheInputIsInvalid)
{
    OptEngineMain session(0, 0, {}, {}, nullptr, nullptr, LinearProgramming::kEngineType, 0);
    try {
        session.runOptEngine(nullptr, nullptr, nullptr);
        FAIL() << "no exception";
    } catch (const std::string& message) {
        EXPECT_EQ(message, "INPUT DATAS ARE INVALID.");
    }
}

} // namespace
} // namespace Opt
