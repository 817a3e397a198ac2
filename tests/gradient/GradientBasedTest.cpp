// The gradient family: G holds derivatives of the normalised responses with
// respect to the normalised variables whichever way the gradients are
// obtained, and responses are normalised as they arrive.
#include "gradient/GradientBased.h"

#include <gtest/gtest.h>

#include "gradient/SqpDriver.h"

namespace Opt {
namespace {

using Testing::Point;
using Testing::SqpDriver;
using Testing::sqpInts;
using Testing::sqpReals;

// Objective x0² + 3 x1 and constraint x0 x1 - 1 on x0 in [0, 10], x1 in
// [-2, 2], at (3, 1). Normalised derivatives are the physical ones times the
// range: objective (6·10, 3·4) = (60, 12), constraint (1·10, 3·4) = (10, 12).
class GradientAssembly : public ::testing::Test {
protected:
    static Point responses(const Point& x) { return {x[0] * x[0] + 3.0 * x[1], x[0] * x[1] - 1.0}; }
    static std::vector<Point> derivatives(const Point& x)
    {
        return {{2.0 * x[0], x[1]}, {3.0, x[0]}};
    }

    // Runs until the gradient step is complete (the engine enters phase 2).
    static void runGradientStep(SqpDriver& driver, const Testing::GradientModel& gradients = {})
    {
        driver.run(responses, gradients, {}, [&driver] {
            return driver.engine->phase == EnginePhase::ComputeStep;
        });
    }

    const Point start{3.0, 1.0};
    const std::vector<std::vector<double>> bounds{{0.0, 10.0}, {-2.0, 2.0}};
};

// Forward differences (mode 1, h = 1e-5 of the range, one perturbation per
// variable), the host's gradients on request (3) and sensitivities arriving
// with the responses (0) all give the normalised derivatives.
TEST_F(GradientAssembly, GradientsAreNormalisedWhicheverTheirSource)
{
    for (const int mode : {1, 3, 0}) {
        SqpDriver driver(start, bounds, 2, sqpReals(), sqpInts({{5, mode}}));
        if (mode == 0) {
            driver.gradientRows = derivatives(start);
            for (std::size_t i = 0; i < driver.gradientRows.size(); ++i) {
                driver.g[i] = driver.gradientRows[i].data();
            }
        }
        runGradientStep(driver, mode == 3 ? Testing::GradientModel(derivatives) : nullptr);
        EXPECT_EQ(driver.gradientRequests, mode == 3 ? 1 : 0) << "mode " << mode;
        const Matrix& G = driver.engine->gradients();
        const double expected[2][2] = {{60.0, 12.0}, {10.0, 12.0}};
        for (int r = 0; r < 2; ++r) {
            for (int c = 0; c < 2; ++c) {
                if (mode == 1) { // forward differences carry h·f''/2 · range² in G(0, 0)
                    EXPECT_NEAR(G(r, c), expected[r][c], r + c == 0 ? 2e-3 : 1e-8);
                } else {
                    EXPECT_DOUBLE_EQ(G(r, c), expected[r][c]) << "mode " << mode;
                }
            }
        }
        if (mode != 1) {
            EXPECT_EQ(driver.evaluated.size(), 1u) << "mode " << mode; // no perturbations
            continue;
        }
        ASSERT_EQ(driver.evaluated.size(), 3u);
        EXPECT_NEAR(driver.evaluated[1][0], 3.0 + 1e-4, 1e-12);
        EXPECT_EQ(driver.evaluated[1][1], 1.0);
        EXPECT_NEAR(driver.evaluated[2][0], 3.0, 1e-12);
        EXPECT_NEAR(driver.evaluated[2][1], 1.0 + 4e-5, 1e-12);
    }
}

TEST_F(GradientAssembly, MaximisingSignsTheObjectiveRow)
{
    SqpDriver driver(start, bounds, 2, sqpReals(), sqpInts({{0, 2}, {5, 3}}));
    runGradientStep(driver, derivatives);
    EXPECT_DOUBLE_EQ(driver.engine->responseRows[0].acceptedValue, -12.0); // -(9 + 3)
    EXPECT_DOUBLE_EQ(driver.engine->gradients()(0, 0), -60.0);
    EXPECT_DOUBLE_EQ(driver.engine->gradients()(1, 0), 10.0); // constraints keep their sign
}

} // namespace
} // namespace Opt
