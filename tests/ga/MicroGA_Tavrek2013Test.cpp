// The logging micro-GA: the design lines, the response lines and the optimum
// summary in its log file.
#include "ga/MicroGA_Tavrek2013.h"

#include <cmath>
#include <cstdio>
#include <fstream>

#include <gtest/gtest.h>

namespace Opt {
namespace {

std::vector<std::string> linesOf(const std::string& path)
{
    std::ifstream file(path);
    std::vector<std::string> lines;
    for (std::string line; std::getline(file, line);) {
        lines.push_back(line);
    }
    return lines;
}

TEST(LoggedRun, LogsDesignsResponsesAndTheOptimum)
{
    const std::string path = ::testing::TempDir() + "zelkor_tavrek_log.txt";
    std::vector<int> ints(20, -999);
    ints[3] = 3; // generations
    ints[13] = 6;
    MicroGA_Tavrek2013 ga({0.0, 0.0}, {{0.0, 40.0}, {0.0, 40.0}}, 3, std::vector<double>(20, -999.0), ints, 0);
    ASSERT_TRUE(ga.openLog(path));
    std::vector<double> x(2);
    std::vector<double> f(3);
    int evaluations = 0;
    for (int code = 3; code == 1 || code == 3;) {
        code = ga.step(x.data(), f.data(), nullptr);
        if (code == 1) {
            f = {x[0] * 1.5, -2.0, -4.0};
            ++evaluations;
        }
    }
    const std::vector<std::string> lines = linesOf(path);
    std::remove(path.c_str());
    ASSERT_EQ(lines.size(), 2u * static_cast<std::size_t>(evaluations) + 4u);
    EXPECT_EQ(lines[0].size(), 16u);
    int first = 0;
    int second = 0;
    ASSERT_EQ(std::sscanf(lines[0].c_str(), "%d%d", &first, &second), 2);
    char expected[128];
    std::snprintf(expected, sizeof expected, "%17s %15.8f    %17s %13.10f", "OBJECTIVE VALUE :",
                  first * 1.5, "MAXIMUM CONSTRAINT VALUE : ", -2.0);
    // The published design was rounded only in the log; its objective is not.
    EXPECT_EQ(lines[1].substr(0, 18), std::string(expected).substr(0, 18));
    EXPECT_NE(lines[1].find("MAXIMUM CONSTRAINT VALUE :  -2.0000000000"), std::string::npos);
    const std::size_t end = lines.size();
    EXPECT_EQ(lines[end - 4], "*************************************OPTIMUM POINT "
                              "INFORMATION*************************************");
    char optimum[32];
    std::snprintf(optimum, sizeof optimum, "%8d%8d", static_cast<int>(std::lround(x[0])),
                  static_cast<int>(std::lround(x[1])));
    EXPECT_EQ(lines[end - 3], optimum);
    EXPECT_EQ(lines[end - 2], " - TOTAL ITERATION :" + std::to_string(ga.iterationCount));
    EXPECT_EQ(lines[end - 1], " - TOTAL EVALUATION :" + std::to_string(evaluations));
}

} // namespace
} // namespace Opt
