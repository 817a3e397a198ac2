// The progress lines byte for byte, as a terminal receives them.
#include "rsm/ProgressLine.h"

#include <gtest/gtest.h>

#include "SurrogateTestSupport.h"

namespace Opt::RSM {
namespace {

using Phase = ProgressLine::Phase;

// The building line of three responses: truncated thirds, then COMPLETED in
// place of the percentage field.
const char* const kThreeModelsBuilt = "    BUILDING APPROXIMATE MODEL:   0%"
                                      "\b\b\b\b 33%\b\b\b\b 66%\b\b\b\b100%\b\b\b\bCOMPLETED\n";

TEST(ProgressLineTest, TheBuildingLineOfThreeModelsEndsCompleted)
{
    const std::string text = Testing::written([](std::FILE* stream) {
        ProgressLine line(Phase::BuildingModel, stream);
        for (const int p : {0, 33, 66, 100}) {
            line.update(p);
        }
    });
    EXPECT_EQ(text, kThreeModelsBuilt);
}

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
