// Real chromosomes: the polynomial mutation step.
#include "ga/GARealString.h"

#include <gtest/gtest.h>

namespace Opt {
namespace {

TEST(GARealStringMutation, GenesAtTheBoundsStayAndDrawsBelowAHalfMoveDown)
{
    for (double u : {0.0, 0.1, 0.5, 0.9, 0.999}) {
        EXPECT_EQ(GARealString::mutationStep(0.0, u, 0), 0.0) << u;
        EXPECT_EQ(GARealString::mutationStep(1.0, u, 7), 0.0) << u;
        EXPECT_EQ(GARealString::mutationStep(5e-9, u, 0), 0.0) << "within 1e-8 of a bound";
    }
    // u = 0.5 gives (1)^(1/e) - 1 = 0; the step is antisymmetric about x = 0.5.
    EXPECT_EQ(GARealString::mutationStep(0.3, 0.5, 0), 0.0);
    EXPECT_LT(GARealString::mutationStep(0.3, 0.1, 0), 0.0);
    EXPECT_GT(GARealString::mutationStep(0.3, 0.9, 0), 0.0);
    EXPECT_NEAR(GARealString::mutationStep(0.3, 0.1, 4), -GARealString::mutationStep(0.7, 0.9, 4),
                1e-15);
    // The extreme draws reach the nearer bound: (2u)^(1/e) - 1 with delta = x.
    EXPECT_NEAR(GARealString::mutationStep(0.3, 0.0, 0), -0.3, 1e-12);
}

} // namespace
} // namespace Opt
