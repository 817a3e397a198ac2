// The surrogate study through the public header: the C entry point on known
// functions, and the data-set mode a C++ host steps itself.
#include <cmath>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "api/zelkor.h"

namespace {

// (x0 - 1)^2 + (x1 + 0.5)^2 on [-2, 2]^2 with x0 + x1 <= 0: a full quadratic
// reproduces both responses exactly, so the study must land on the constrained
// optimum (0.75, -0.75), f = 0.125.
int bowl(double* x, int, double* f, int m)
{
    f[0] = (x[0] - 1.0) * (x[0] - 1.0) + (x[1] + 0.5) * (x[1] + 0.5);
    if (m > 1) {
        f[1] = x[0] + x[1];
    }
    return 0;
}

const double kBox[] = {-2.0, 2.0, -2.0, 2.0};

TEST(RSMStudy, QuadraticModelsFindTheConstrainedOptimumOfAQuadratic)
{
    const int design[] = {0, 0, 3, 0};      // 3-level full factorial: 9 points
    const int models[] = {1, 4, 1, 1};      // full quadratic, linear
    const int search[] = {0, 4000, 2, 1};
    double x[] = {0.0, 0.0};
    double f[2] = {};
    EXPECT_EQ(runRSMOPT(bowl, 2, 2, x, f, kBox, nullptr, design, models, search, nullptr, 0), 1);
    EXPECT_NEAR(x[0], 0.75, 2e-3);
    EXPECT_NEAR(x[1], -0.75, 2e-3);
    EXPECT_NEAR(f[0], 0.125, 1e-3);
    EXPECT_EQ(zelkorLastStatus(), ZELKOR_STATUS_OK);
}

TEST(RSMStudy, BadSettingsAreRefusedBeforeTheHostIsCalled)
{
    static int calls = 0;
    auto counting = [](double* x, int n, double* f, int m) { ++calls; return bowl(x, n, f, m); };
    double x[] = {0.0, 0.0};
    double f[2] = {};
    const int noDesign[] = {7, 0, 0, 0};
    const int lhs[] = {2, 0, 0, 20};
    const int badModel[] = {2, -1, 9, -1};
    const int badSearch[] = {5, 0, 0, 1};
    EXPECT_EQ(runRSMOPT(counting, 2, 2, x, f, kBox, nullptr, noDesign, nullptr, nullptr, nullptr, 0), 0);
    EXPECT_EQ(runRSMOPT(counting, 2, 2, x, f, kBox, nullptr, lhs, badModel, nullptr, nullptr, 0), 0);
    EXPECT_EQ(runRSMOPT(counting, 2, 2, x, f, kBox, nullptr, lhs, nullptr, badSearch, nullptr, 0), 0);
    double outside[] = {3.0, 0.0};
    EXPECT_EQ(runRSMOPT(counting, 2, 2, outside, f, kBox, nullptr, lhs, nullptr, nullptr, nullptr, 0), 0);
    EXPECT_EQ(zelkorLastStatus(), ZELKOR_STATUS_INVALID_INPUT);
    EXPECT_EQ(calls, 0);
}

} // namespace
