// The progress lines byte for byte, as a terminal receives them.
#include "rsm/ProgressLine.h"

#include <gtest/gtest.h>

#include "SurrogateTestSupport.h"

namespace Opt::RSM {
namespace {

using Phase = ProgressLine::Phase;

// The building line of a whole build (thirds, then COMPLETED) is checked byte
// for byte by the parallel build's test.
TEST(ProgressLineTest, ARepeatedPercentageIsWrittenAgainAndOverflowClamps)
{
    const std::string text = Testing::written([](std::FILE* stream) {
        ProgressLine line(Phase::FindingOptimum, stream);
        for (const int p : {0, 7, 7, 250}) {
            line.update(p);
        }
    });
    EXPECT_EQ(text, "    FINDING OPTIMUM POINT:   0%\b\b\b\b  7%\b\b\b\b  7%"
                    "\b\b\b\b100%\b\b\b\bCOMPLETED\n");
    EXPECT_STREQ(ProgressLine::startText(Phase::DesignSampling), "    DESIGN SAMPLING:   0%");
}

} // namespace
} // namespace Opt::RSM
