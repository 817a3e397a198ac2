// The genetic algorithms through the exported functions: the vector family with
// its time counters and the array family.
#include "api/zelkor.h"

#include <vector>

#include <gtest/gtest.h>

namespace {

std::vector<std::vector<double>> designs; // every design handed to the host

// A bowl with its minimum at (0.25, -0.5) and one constraint x0 + x1 <= 0.
int bowlArray(double* x, double* f)
{
    designs.emplace_back(x, x + 2);
    f[0] = (x[0] - 0.25) * (x[0] - 0.25) + (x[1] + 0.5) * (x[1] + 0.5);
    f[1] = x[0] + x[1];
    return 0;
}

class GAEntryPoints : public ::testing::Test {
protected:
    void SetUp() override { designs.clear(); }

    std::vector<int> ints = std::vector<int>(20, -999);
    std::vector<double> reals = std::vector<double>(20, -999.0);
    std::vector<std::vector<double>> bounds = {{-1.0, 1.0}, {-1.0, 1.0}};
};

TEST_F(GAEntryPoints, RunGaTakesTheCountsFromTheVectorsAndTimesBothSides)
{
    ints[2] = 20;
    ints[3] = 40;
    std::vector<double> x = {0.9, 0.9};
    std::vector<double> f(2);
    double evaluationSeconds = -1.0;
    double engineSeconds = -1.0;
    EXPECT_EQ(runGA(bowlArray, &x, &f, &bounds, reals.data(), ints.data(), &evaluationSeconds,
                    &engineSeconds),
              1);
    EXPECT_EQ(designs.size(), 800u);
    EXPECT_NE(designs.front(), (std::vector<double>{0.9, 0.9})) << "the start is not evaluated";
    EXPECT_NEAR(x[0], 0.25, 0.05);
    EXPECT_NEAR(x[1], -0.5, 0.05);
    std::vector<double> atX(2);
    bowlArray(x.data(), atX.data());
    EXPECT_EQ(f, atX) << "f holds the responses of the returned design, not of the last one";
    EXPECT_GE(evaluationSeconds, 0.0) << "both counters written";
    EXPECT_GE(engineSeconds, 0.0);
}

TEST_F(GAEntryPoints, RejectedRunsLeaveTheCountersAtZero)
{
    std::vector<double> x = {0.0, 0.0};
    std::vector<double> f(2);
    std::vector<double> none;
    double evaluationSeconds = 5.0;
    double engineSeconds = 5.0;
    testing::internal::CaptureStderr();
    EXPECT_EQ(runGA(bowlArray, &none, &f, &bounds, reals.data(), ints.data(), &evaluationSeconds,
                    &engineSeconds),
              0);
    EXPECT_EQ(runMicroGA_(bowlArray, &x, nullptr, &bounds, nullptr, nullptr, nullptr, nullptr), 0);
    ints[4] = 2;
    EXPECT_EQ(runMicroGA_(bowlArray, &x, &f, &bounds, reals.data(), ints.data(), &evaluationSeconds,
                          &engineSeconds),
              0);
    const std::string messages = testing::internal::GetCapturedStderr();
    EXPECT_NE(messages.find("runGA: x holds 0 and f 2 values"), std::string::npos);
    EXPECT_NE(messages.find("runMicroGA_: f is null; nothing done"), std::string::npos);
    EXPECT_NE(messages.find("MicroGA: coding 2"), std::string::npos);
    EXPECT_EQ(evaluationSeconds, 0.0);
    EXPECT_EQ(engineSeconds, 0.0);
    EXPECT_TRUE(designs.empty());
}

TEST_F(GAEntryPoints, MicroGaVectorAndArrayFormsHandOutTheSameDesigns)
{
    ints[3] = 15;
    ints[13] = 12;
    std::vector<double> x = {0.0, 0.0};
    std::vector<double> f(2);
    runMicroGA_(bowlArray, &x, &f, &bounds, reals.data(), ints.data(), nullptr, nullptr);
    const auto viaVectors = designs;
    EXPECT_EQ(viaVectors.size(), 7u + 14u * 6u);
    designs.clear();
    std::vector<double> y = {0.0, 0.0};
    runMicroGA_ptr(bowlArray, y.data(), f.data(), &bounds, 2, 2, reals.data(), ints.data());
    EXPECT_EQ(designs, viaVectors);
    EXPECT_EQ(x, y);
    std::vector<double> atX(2);
    bowlArray(x.data(), atX.data());
    EXPECT_EQ(f, atX) << "f holds the responses of the returned design";
}

} // namespace
