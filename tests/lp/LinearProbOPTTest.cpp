// The coefficient-fitting service: it recovers the coefficients of noiseless
// models and reaches each objective form's known minimum (the engine gets exact
// gradients), keeps the coefficient range of every sign option, and gives a zero
// constraint row the value -b_k.
#include <cmath>
#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "api/zelkor.h"

namespace {

// Coefficients of a fit against their known values.
constexpr double kCoefficientTolerance = 1e-6;

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

// Fits y(t) = sum_i c_i t^i through noiseless samples: every sample is an
// equality, given as the two rows +-(1, t, t^2, ...) . c <= +-y.
Fit fitPolynomial(const std::vector<double>& coefficients, const std::vector<double>& samples)
{
    std::vector<std::vector<double>> rows;
    std::vector<double> rhs;
    for (double t : samples) {
        std::vector<double> powers;
        double y = 0.0;
        double power = 1.0;
        for (double c : coefficients) {
            powers.push_back(power);
            y += c * power;
            power *= t;
        }
        rows.push_back(powers);
        rhs.push_back(y);
        for (double& p : powers) {
            p = -p;
        }
        rows.push_back(powers);
        rhs.push_back(-y);
    }
    const std::vector<double> weights(coefficients.size(), 1.0);
    return fit(std::vector<double>(coefficients.size(), 0.0), rows, rhs, weights, 2, 0);
}

TEST(LinearProbOPT, RecoversNoiselessModels)
{
    const std::vector<std::vector<double>> models = {{1.5, -0.75}, {2.0, 0.5, -0.25}};
    for (const auto& coefficients : models) {
        const Fit model = fitPolynomial(coefficients, {-2.0, -1.0, 0.0, 1.0, 2.0, 3.0});
        EXPECT_EQ(model.feasible, 1);
        for (std::size_t i = 0; i < coefficients.size(); ++i) {
            EXPECT_NEAR(model.x[i], coefficients[i], kCoefficientTolerance)
                << coefficients.size() << " coefficients, c" << i;
        }
    }
}

// min by form of w = (1, -2, 0.5) . x over x0 + x1 + x2 >= 3, x >= 0: the sum
// goes on the cheapest coefficient; the squares spread it as 1 / w_i^2; the
// maximum levels every |w_i x_i| at 3 / sum(1 / |w_i|) = 6/7.
TEST(LinearProbOPT, EachObjectiveFormReachesItsMinimum)
{
    struct Case {
        int form;
        std::vector<double> x;
        double objective;
    };
    const Case cases[] = {
        {1, {0.0, 0.0, 3.0}, 1.5},
        {2, {4.0 / 7.0, 1.0 / 7.0, 16.0 / 7.0}, 12.0 / 7.0},
        {3, {6.0 / 7.0, 3.0 / 7.0, 12.0 / 7.0}, 6.0 / 7.0},
    };
    for (const Case& c : cases) {
        const Fit result = fit({1.0, 1.0, 1.0}, {{-1.0, -1.0, -1.0}}, {-3.0}, {1.0, -2.0, 0.5},
                               c.form, 1);
        EXPECT_EQ(result.feasible, 1) << "form " << c.form;
        EXPECT_NEAR(result.result[0], c.objective, kCoefficientTolerance) << "form " << c.form;
        for (std::size_t i = 0; i < c.x.size(); ++i) {
            EXPECT_NEAR(result.x[i], c.x[i], kCoefficientTolerance)
                << "form " << c.form << ", x" << i;
        }
        EXPECT_GE(result.result[2], 0.0) << "CPU seconds";
    }
}

// With a zero objective (any form but 1..3) nothing pulls the coefficients: a
// start outside the range is brought back onto its nearest end, and any other
// sign option fixes the coefficients at 0.
TEST(LinearProbOPT, SignOptionSetsTheCoefficientRange)
{
    const double cases[][3] = {{-30, 0, -20}, {30, 0, 20}, {-30, 1, 0}, {30, -1, 0}, {-30, -1, -20}, {5, 7, 0}};
    for (const auto& [start, sign, expected] : cases) {
        EXPECT_EQ(fit({start}, {}, {}, {1.0}, 4, static_cast<int>(sign)).x[0], expected) << "sign " << sign;
    }
}

TEST(LinearProbOPT, ZeroRowGivesMinusItsRightHandSide)
{
    testing::internal::CaptureStdout(); // the engine reports the unmeetable row
    const Fit violated = fit({1.0}, {{0.0}}, {-1.0}, {1.0}, 1, 1);
    testing::internal::GetCapturedStdout();
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
