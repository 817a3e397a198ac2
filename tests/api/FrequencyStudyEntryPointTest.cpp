// The frequency study's entry points at the C boundary: bad input gives a
// status, a message naming the argument and nothing printed; no exception
// escapes.
#include <string>

#include <unistd.h>

#include <gtest/gtest.h>

#include "api/zelkor.h"

namespace {

const double kBounds[] = {0.0, 1.0, 0.0, 1.0};
const double kBuck[] = {100.0, 120.0, 140.0};
const double kBody[] = {200.0, 200.0, 200.0};
const int kIds[] = {0, 1, 2};

std::string missing(const char* tag)
{
    return testing::TempDir() + "zelkor_missing_" + tag + "_" +
           std::to_string(static_cast<long>(getpid()));
}

int optimise(const char* steering, const char* cowl, double* x, const double* buck,
             std::string& printed)
{
    testing::internal::CaptureStdout();
    const int result = Optimize_Mode_RAZ2015(steering, cowl, 2, x, kBounds, 1, nullptr, buck,
                                             kBody, 20.0, 10.0, 100, nullptr, nullptr);
    printed = testing::internal::GetCapturedStdout();
    return result;
}

TEST(FrequencyStudyEntryPoint, OptimizeRefusesBadInputAndMissingFiles)
{
    const std::string steering = missing("steering");
    const std::string cowl = missing("cowl_cowlbar_weight_pd");
    double x[] = {0.5, 0.5};
    std::string printed;
    testing::internal::CaptureStderr();

    EXPECT_EQ(optimise(steering.c_str(), cowl.c_str(), x, nullptr, printed), 0);
    EXPECT_EQ(zelkorLastStatus(), ZELKOR_STATUS_INVALID_INPUT);
    EXPECT_NE(std::string(zelkorLastMessage()).find("buckFrequencies is null"), std::string::npos);

    EXPECT_EQ(optimise(nullptr, cowl.c_str(), x, kBuck, printed), 0);
    EXPECT_EQ(zelkorLastStatus(), ZELKOR_STATUS_INVALID_INPUT);

    EXPECT_EQ(optimise(steering.c_str(), cowl.c_str(), x, kBuck, printed), 0);
    EXPECT_EQ(zelkorLastStatus(), ZELKOR_STATUS_INVALID_INPUT);
    EXPECT_EQ(std::string(zelkorLastMessage()).rfind("Optimize_Mode_RAZ2015: [Steering System] ", 0),
              0u) << zelkorLastMessage();
    EXPECT_TRUE(printed.empty()) << printed;

    double outside[] = {0.5, 1.5};
    EXPECT_EQ(optimise(steering.c_str(), cowl.c_str(), outside, kBuck, printed), 0);
    EXPECT_NE(std::string(zelkorLastMessage()).find("x[1] = 1.5"), std::string::npos);
    EXPECT_EQ(outside[1], 1.5);
    testing::internal::GetCapturedStderr();
}

TEST(FrequencyStudyEntryPoint, EvaluateNeedsAWeightSetKeyAndAFileThatServes)
{
    const double x[] = {0.5, 0.5};
    double values[3] = {};
    unsigned char success = 1;
    testing::internal::CaptureStderr();

    EXPECT_EQ(evaluateRSMall_RAZ2015("/models/cowlbar_weight_pa/cowl.rsm", 2, x, kBounds, 1,
                                     nullptr, 3, kIds, values, &success), -1);
    EXPECT_EQ(success, 0);
    EXPECT_EQ(zelkorLastStatus(), ZELKOR_STATUS_INVALID_INPUT);
    EXPECT_NE(std::string(zelkorLastMessage()).find("base name \"cowl\""), std::string::npos)
        << zelkorLastMessage();

    EXPECT_EQ(evaluateRSMall_RAZ2015("cowl_cowlbar_weight_pc", 2, x, kBounds, 1, nullptr, 3, kIds,
                                     values, &success), -1);
    EXPECT_NE(std::string(zelkorLastMessage()).find("weightSet is null"), std::string::npos);

    EXPECT_EQ(evaluateRSMall_RAZ2015("cowl_cowlbar_weight_pd", 2, x, kBounds, 1, nullptr, 3, kIds,
                                     values, nullptr), -1);
    EXPECT_EQ(evaluateRSMall_RAZ2015(nullptr, 2, x, kBounds, 1, nullptr, 3, kIds, values, &success),
              -1);

    const std::string file = missing("body_cowlbar_weight_pd") + ".rsm";
    EXPECT_EQ(evaluateRSMall_RAZ2015(file.c_str(), 2, x, kBounds, 1, nullptr, 3, kIds, values,
                                     &success), 0);
    EXPECT_EQ(success, 0);
    EXPECT_EQ(zelkorLastStatus(), ZELKOR_STATUS_INVALID_INPUT);
    testing::internal::GetCapturedStderr();
}

} // namespace
