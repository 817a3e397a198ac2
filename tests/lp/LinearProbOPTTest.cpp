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

TEST(LinearProbOPT, ObjectiveFormsAtTheFinalCoefficients)
{
    const Fit single = fit({-3.0}, {}, {}, {2.0}, 3, 0);
    EXPECT_DOUBLE_EQ(single.result[0], std::fabs(2.0 * single.x[0]));
    EXPECT_GE(single.result[2], 0.0) << "CPU seconds";
    const std::vector<double> weights = {1.0, -2.0, 0.5};
    const auto objective = [&](int form) { return fit({1.0, 2.0, 4.0}, {}, {}, weights, form, 1); };
    const Fit sum = objective(1);
    double expected[3] = {0.0, 0.0, 0.0}; // sum, squares, maximum
    for (std::size_t i = 0; i < weights.size(); ++i) {
        const double term = std::fabs(weights[i] * sum.x[i]);
        expected[0] += term;
        expected[1] += term * term;
        expected[2] = std::max(expected[2], term);
    }
    for (int form = 1; form <= 3; ++form) {
        EXPECT_DOUBLE_EQ(objective(form).result[0], expected[form - 1]) << "form " << form;
    }
    EXPECT_EQ(objective(4).result[0], 0.0) << "any other form gives 0";
}

// A start outside the range is brought back onto its nearest end; any other
// sign option fixes the coefficients at 0.
TEST(LinearProbOPT, SignOptionSetsTheCoefficientRange)
{
    const double cases[][3] = {{-30, 0, -20}, {30, 0, 20}, {-30, 1, 0}, {30, -1, 0}, {-30, -1, -20}, {5, 7, 0}};
    for (const auto& [start, sign, expected] : cases) {
        EXPECT_EQ(fit({start}, {}, {}, {1.0}, 1, static_cast<int>(sign)).x[0], expected) << "sign " << sign;
    }
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
