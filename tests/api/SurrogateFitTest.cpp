// zelkorFitSurrogates: models fitted to a given sample serve the model-file
// services like a study's.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "api/zelkor.h"

namespace {

double quadratic(double a, double b) { return 1.0 + 2.0 * a - b + 0.5 * a * b + 3.0 * b * b; }

// A full quadratic fitted to a 3 x 3 grid of an exact quadratic reproduces it
// off the grid, to rounding, with R^2 = 1.
TEST(SurrogateFit, FullQuadraticThroughTheModelFile)
{
    std::vector<double> points;
    std::vector<double> values;
    for (double a : {-1.0, 0.0, 2.0}) {
        for (double b : {0.0, 1.0, 3.0}) {
            points.insert(points.end(), {a, b});
            values.push_back(quadratic(a, b));
        }
    }
    const double bounds[4] = {-1.0, 2.0, 0.0, 3.0};
    const int settings[2] = {1, -1};
    double quality[4] = {0, 0, 0, 0};
    ASSERT_EQ(zelkorFitSurrogates(2, 9, points.data(), 1, values.data(), bounds, nullptr,
                                  settings, 1, "surrogate_fit_test", quality),
              1)
        << zelkorLastMessage();
    EXPECT_NEAR(quality[0], 1.0, 1e-9);
    const double x[2] = {0.7, 2.2};
    const int ids[1] = {0};
    double predicted = 0.0;
    unsigned char ok = 0;
    ASSERT_EQ(evaluate_approxvals_("surrogate_fit_test", 2, 1, x, bounds, nullptr, 1, ids,
                                   &predicted, &ok),
              1);
    EXPECT_NEAR(predicted, quadratic(0.7, 2.2), 1e-9);
    std::remove("surrogate_fit_test.rsm");
}

TEST(SurrogateFit, PointOutsideItsBoundsIsRefused)
{
    const double points[2] = {0.5, 4.0};
    const double values[1] = {1.0};
    const double bounds[4] = {0.0, 1.0, 0.0, 3.0};
    EXPECT_EQ(zelkorFitSurrogates(2, 1, points, 1, values, bounds, nullptr, nullptr, 1, nullptr,
                                  nullptr),
              0);
    EXPECT_EQ(zelkorLastStatus(), ZELKOR_STATUS_INVALID_INPUT);
    EXPECT_NE(std::string(zelkorLastMessage()).find("points[0][1]"), std::string::npos);
}

} // namespace
