#include "platform/Platform.h"

#include <cstdlib>
#include <string>

#include <unistd.h>

#include <gtest/gtest.h>

namespace Opt {
namespace {

TEST(Platform, ClockSeedIsSecondTimesHundredPlusMillisecond)
{
    for (int i = 0; i < 100; ++i) {
        const int seed = Platform::clockSeed();
        EXPECT_GE(seed, 0);
        EXPECT_LE(seed, 59 * 100 + 999);
    }
}

TEST(Platform, ClocksNeverRunBackwards)
{
    const double wall = Platform::wallClockSeconds();
    const double cpu = Platform::processCpuSeconds();
    volatile double sink = 0.0;
    for (int i = 0; i < 2000000; ++i) {
        sink = sink + 1e-9 * i;
    }
    EXPECT_GE(Platform::wallClockSeconds(), wall);
    EXPECT_GE(Platform::processCpuSeconds(), cpu);
    EXPECT_GE(cpu, 0.0);
}

TEST(Platform, DirectoriesAreCreatedOnceAndExistingOnesAccepted)
{
    char pattern[] = "/tmp/zelkor-platform-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    const std::string folder = Platform::joinPath(pattern, "result");
    EXPECT_EQ(folder, std::string(pattern) + "/result");
    EXPECT_TRUE(Platform::makeDirectory(folder));
    EXPECT_TRUE(Platform::makeDirectory(folder));
    EXPECT_FALSE(Platform::makeDirectory(Platform::joinPath(folder, "missing/deeper")));
    std::system(("rm -rf " + std::string(pattern)).c_str());
}

TEST(Platform, CurrentDirectoryIsTheProcessOne)
{
    char buffer[4096];
    ASSERT_NE(getcwd(buffer, sizeof buffer), nullptr);
    EXPECT_EQ(Platform::currentDirectory(), buffer);
}

TEST(Platform, ReproducibilityBranchCountsAsFixedWithOpenBlas)
{
    EXPECT_TRUE(Platform::fixReproducibilityBranch());
    Platform::releaseWorkingSet(); // must simply return
}

} // namespace
} // namespace Opt
