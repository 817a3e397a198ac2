// The coefficient-fitting service: its responses for every objective form, the
// coefficient range of every sign option, and zero constraint rows.
#include <cmath>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "api/zelkor.h"

namespace {

struct Fit {
    int feasible = 0;
    std::vector<double> x;
    double result[3] = {0.0, 0.0, -1.0};
};

Fit fit(std::vector<double> start, const std::vector<std::vector<double>>& rows,
        const std::vector<double>& rhs, const std::vector<double>& weights, int form, int sign)
{
    Fit out;
    out.x = std::move(start);
    std::vector<const double*> rowPointers;
    for (const auto& row : rows) {
        rowPointers.push_back(row.data());
    }
    out.feasible = LinearProbOPT(static_cast<int>(rows.size()), static_cast<int>(out.x.size()),
                                 out.x.data(), rowPointers.data(), rhs.data(), weights.data(), form,
                                 sign, out.result);
    return out;
}

TEST(LinearProbOPT, MaximumFormWithOneCoefficientIsItsWeightedMagnitude)
{
    const Fit f = fit({-3.0}, {}, {}, {2.0}, 3, 0);
    EXPECT_DOUBLE_EQ(f.result[0], std::fabs(2.0 * f.x[0]));
    EXPECT_GE(f.result[2], 0.0) << "CPU seconds";
}

TEST(LinearProbOPT, ObjectiveFormsAtTheFinalCoefficients)
{
    const std::vector<double> weights = {1.0, -2.0, 0.5};
    const auto objective = [&](int form) { return fit({1.0, 2.0, 4.0}, {}, {}, weights, form, 1); };
    const Fit sum = objective(1);
    const Fit squares = objective(2);
    const Fit maximum = objective(3);
    double expectedSum = 0.0;
    double expectedSquares = 0.0;
    double expectedMaximum = 0.0;
    for (std::size_t i = 0; i < weights.size(); ++i) {
        const double term = std::fabs(weights[i] * sum.x[i]);
        expectedSum += term;
        expectedSquares += term * term;
        expectedMaximum = std::max(expectedMaximum, term);
    }
    EXPECT_DOUBLE_EQ(sum.result[0], expectedSum);
    EXPECT_DOUBLE_EQ(squares.result[0], expectedSquares);
    EXPECT_DOUBLE_EQ(maximum.result[0], expectedMaximum);
    EXPECT_EQ(objective(4).result[0], 0.0) << "any other form gives 0";
}

TEST(LinearProbOPT, SignOptionSetsTheCoefficientRange)
{
    // A start outside the range is brought back onto its nearest end.
    EXPECT_EQ(fit({-30.0}, {}, {}, {1.0}, 1, 0).x[0], -20.0);
    EXPECT_EQ(fit({30.0}, {}, {}, {1.0}, 1, 0).x[0], 20.0);
    EXPECT_EQ(fit({-30.0}, {}, {}, {1.0}, 1, 1).x[0], 0.0);
    EXPECT_EQ(fit({30.0}, {}, {}, {1.0}, 1, -1).x[0], 0.0);
    EXPECT_EQ(fit({-30.0}, {}, {}, {1.0}, 1, -1).x[0], -20.0);
    EXPECT_EQ(fit({5.0}, {}, {}, {1.0}, 1, 7).x[0], 0.0) << "any other option fixes them at 0";
}

TEST(LinearProbOPT, ZeroRowGivesMinusItsRightHandSide)
{
    const Fit violated = fit({1.0}, {{0.0}}, {-1.0}, {1.0}, 1, 1);
    EXPECT_EQ(violated.feasible, 0);
    EXPECT_DOUBLE_EQ(violated.result[1], 1.0);
    const Fit met = fit({1.0}, {{0.0}}, {1.0}, {1.0}, 1, 1);
    EXPECT_EQ(met.feasible, 1);
    EXPECT_DOUBLE_EQ(met.result[1], -1.0);
}

TEST(LinearProbOPT, InconsistentArgumentsAreRejected)
{
    double x = 1.0;
    const double w = 1.0;
    testing::internal::CaptureStderr();
    EXPECT_EQ(LinearProbOPT(0, 0, &x, nullptr, nullptr, &w, 1, 1, nullptr), 0);
    EXPECT_EQ(LinearProbOPT(1, 1, &x, nullptr, nullptr, &w, 1, 1, nullptr), 0);
    const std::string err = testing::internal::GetCapturedStderr();
    EXPECT_NE(err.find("LinearProbOPT: n = 0, m = 0"), std::string::npos);
    EXPECT_NE(err.find("LinearProbOPT: n = 1, m = 1"), std::string::npos);
}

} // namespace
