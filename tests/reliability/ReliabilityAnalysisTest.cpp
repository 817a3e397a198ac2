// The reliability analysis end to end through runRELSTUDY and the session:
// a linear limit state g = X1 + X2 - c with normal inputs has the closed-form
// failure probability 1 - Phi((c - mu1 - mu2)/sigma), sigma^2 = s1^2 + s2^2 +
// 2 rho s1 s2, and a quadratic polynomial surrogate reproduces it exactly.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <vector>

#include "api/zelkor.h"
#include "reliability/ReliabilityAnalysis.h"

namespace {

constexpr double kLimit = 4.5;
constexpr int kPolynomial = 1;
constexpr double kStandardErrors = 3.0;

int linearLimitState(double* x, int, double* f, int m)
{
    f[0] = x[0] * x[0] + x[1];
    for (int j = 1; j < m; ++j) {
        f[j] = x[0] + x[1] - kLimit;
    }
    return 0;
}

struct Study {
    std::vector<double> x{1.0, 2.0};
    std::vector<double> bounds{-3.0, 5.0, -3.0, 7.0};
    std::vector<double> rows{0, 1.0, 0.5, 0, 0, 0, /**/ 0, 2.0, 1.0, 0, 0, 0};
    std::array<int, 4> design{{2, 0, 0, 30}};
    std::array<int, 5> settings{{-1, -1, 0, -1, -1}};
    const double* correlation = nullptr;
    int m = 2;

    std::vector<double> statistics = std::vector<double>(2 * ZELKOR_RELIABILITY_LENGTH);
    std::vector<double> correlations = std::vector<double>(1, -7.0);
    std::vector<double> failure = std::vector<double>(2);
    std::vector<double> error = std::vector<double>(2);

    int run(const char* file = nullptr)
    {
        return runRELSTUDY(linearLimitState, 2, m, x.data(), bounds.data(), nullptr, rows.data(),
                           nullptr, correlation, design.data(), kPolynomial, settings.data(), file,
                           statistics.data(), correlations.data(), failure.data(), error.data());
    }
};

double closedFormFailure(double rho)
{
    const double sigma = std::sqrt(0.25 + 1.0 + 2.0 * rho * 0.5);
    return 0.5 * std::erfc((kLimit - 3.0) / sigma / std::sqrt(2.0));
}

TEST(ReliabilityStudy, TwoHostArrayRunsGiveIdenticalStatistics)
{
    Study first;
    Study second;
    ASSERT_EQ(first.run(), 1) << zelkorLastMessage();
    ASSERT_EQ(second.run(), 1);
    // Bit for bit (the objective's failure entries are NaN).
    EXPECT_EQ(std::memcmp(first.statistics.data(), second.statistics.data(),
                          first.statistics.size() * sizeof(double)), 0);
    EXPECT_EQ(first.correlations, second.correlations);
}

// Draws are made before the predictions are shared out among threads.
TEST(ReliabilityStudy, SamplingThreadsDoNotChangeTheResults)
{
    Study one;
    Study two;
    two.settings[1] = 2;
    ASSERT_EQ(one.run(), 1);
    ASSERT_EQ(two.run(), 1);
    EXPECT_EQ(std::memcmp(one.statistics.data(), two.statistics.data(),
                          one.statistics.size() * sizeof(double)), 0);
}

TEST(ReliabilityStudy, OneResponseWritesNoCorrelation)
{
    Study study;
    study.m = 1;
    ASSERT_EQ(study.run(), 1);
    EXPECT_EQ(study.correlations[0], -7.0);
    EXPECT_TRUE(std::isnan(study.failure[0])); // the objective has no limit
}

// Sampling the inputs' distributions (not the coded box) gets the closed form;
// the box would give about 0.4 here.
TEST(ReliabilityStudy, LinearLimitStateFailureProbabilityMatchesClosedForm)
{
    Study study;
    ASSERT_EQ(study.run(), 1);
    EXPECT_NEAR(study.failure[1], closedFormFailure(0.0), kStandardErrors * study.error[1]);
}

TEST(ReliabilityStudy, NatafSamplingReproducesTheGivenCorrelation)
{
    const double rho = 0.6;
    const std::vector<double> matrix{1.0, rho, rho, 1.0};
    std::vector<double> start{1.0, 2.0};
    std::vector<int> ints(Opt::ReliabilityAnalysis::kHostIntCount, -1);
    ints[2] = 1;
    ints[5] = 2;
    ints[6] = 0;
    ints[7] = 0;
    ints[8] = 30;
    ints[9] = kPolynomial;
    Opt::OptEngineMain session(2, 2, start, {{-3.0, 5.0}, {-3.0, 7.0}}, nullptr, ints.data(),
                               Opt::ReliabilityAnalysis::kEngineType, 0);
    auto* analysis = dynamic_cast<Opt::ReliabilityAnalysis*>(session.engine.get());
    ASSERT_NE(analysis, nullptr);
    analysis->setRandomInputs({{{0, 1.0, 0.5, 0, 0, 0}}, {{0, 2.0, 1.0, 0, 0, 0}}}, matrix);
    std::vector<double> f(2);
    int code = 1;
    while ((code = session.runOptEngine(start.data(), f.data(), nullptr)) > 0) {
        if (code == 1) {
            linearLimitState(start.data(), 2, f.data(), 2);
        }
    }
    ASSERT_EQ(code, 0);
    std::vector<double> inputs = analysis->sampledInputs();
    const std::size_t n = inputs.size() / 2;
    std::vector<double> columns(inputs.size());
    for (std::size_t s = 0; s < n; ++s) {
        columns[s] = inputs[2 * s];
        columns[n + s] = inputs[2 * s + 1];
    }
    double correlation = 0.0;
    ASSERT_EQ(evaluate_distribute_model(columns.data(), 2, static_cast<int>(n), nullptr,
                                        &correlation, nullptr), 1);
    EXPECT_NEAR(correlation, rho, 0.01);
    const auto& failure = analysis->failures()[1];
    EXPECT_NEAR(failure.probability, closedFormFailure(rho), kStandardErrors * failure.standardError);
}

TEST(ReliabilityStudy, ResultFileIsReadBackByRelpost)
{
    Study study;
    const char* base = "reliability_study_test";
    ASSERT_EQ(study.run(base), 1);
    unsigned char ok = 0;
    EXPECT_EQ(evaluate_relpost(ZELKOR_RELPOST_FAILURE, 1, 0.0, base, &ok), study.failure[1]);
    EXPECT_EQ(ok, 1);
    EXPECT_DOUBLE_EQ(evaluate_relpost(4, 1, 2.0, base, &ok), 0.5); // the input's own cdf at its mean
    // The fitted family of g (normal by construction) at its median.
    EXPECT_NEAR(evaluate_relpost(1, 1, study.statistics[ZELKOR_RELIABILITY_LENGTH + 99], base, &ok),
                0.5, 0.01);
    std::remove("reliability_study_test.rel");
}

int linearResponse(double* x, int, double* f, int)
{
    f[0] = 3.0 * x[0] - 2.0 * x[1] + 5.0;
    return 0;
}

// The models of a ".rel" file serve the model-file services; the step follows
// each variable's range, so a box of 1e-3 and one around 1000 both get the slope.
TEST(ReliabilityStudy, SensitivityOfALinearModelIsItsSlope)
{
    const double x[] = {5e-4, 1000.0};
    const double bounds[] = {0.0, 1e-3, 990.0, 1010.0};
    const double rows[] = {3, 0, 0, 0, 0.0, 1e-3, /**/ 3, 0, 0, 0, 990.0, 1010.0};
    const int design[] = {2, 0, 0, 20};
    ASSERT_EQ(runRELSTUDY(linearResponse, 2, 1, x, bounds, nullptr, rows, nullptr, nullptr, design,
                          kPolynomial, nullptr, "sensitivity_test", nullptr, nullptr, nullptr,
                          nullptr), 1);
    const char* types[] = {"RAND", "CONT"};
    double slopes[2] = {0.0, 0.0};
    unsigned char ok = 0;
    evaluate_local_sensitivityC("sensitivity_test.rel", 0, 2, x, bounds, nullptr, types, 1e-3,
                                slopes, &ok);
    ASSERT_EQ(ok, 1) << zelkorLastMessage();
    EXPECT_NEAR(slopes[0], 3.0, 1e-6);
    EXPECT_NEAR(slopes[1], -2.0, 1e-6);
    std::vector<double> vectorSlopes;
    const std::string file = "sensitivity_test.rel";
    const std::vector<double> point(x, x + 2);
    const std::vector<std::vector<double>> lists{{0.0, 1e-3}, {990.0, 1010.0}};
    const std::vector<std::string> keywords{"DISC", "CONT"};
    evaluate_local_sensitivity(&file, 0, &point, &lists, &keywords, 1e-3, &vectorSlopes, &ok);
    EXPECT_EQ(vectorSlopes[0], 0.0); // not continuous: no sensitivity
    EXPECT_NEAR(vectorSlopes[1], -2.0, 1e-6);
    std::remove("sensitivity_test.rel");
}

TEST(ReliabilityStudy, BadInputIsRejected)
{
    Study unknownModel;
    EXPECT_EQ(runRELSTUDY(linearLimitState, 2, 2, unknownModel.x.data(), unknownModel.bounds.data(),
                          nullptr, unknownModel.rows.data(), nullptr, nullptr,
                          unknownModel.design.data(), 8, nullptr, nullptr, nullptr, nullptr,
                          nullptr, nullptr),
              0);
    EXPECT_EQ(zelkorLastStatus(), ZELKOR_STATUS_INVALID_INPUT);
    Study badCorrelation;
    const double notDefinite[] = {1.0, 2.0, 2.0, 1.0};
    badCorrelation.settings[2] = 1;
    badCorrelation.correlation = notDefinite;
    EXPECT_EQ(badCorrelation.run(), 0);
    EXPECT_EQ(zelkorLastStatus(), ZELKOR_STATUS_INVALID_INPUT);
    Study badSd;
    badSd.rows[2] = -1.0;
    EXPECT_EQ(badSd.run(), 0);
    EXPECT_NE(std::string(zelkorLastMessage()).find("runRELSTUDY"), std::string::npos);
}

// runRELANAL_LEM: a factor of safety X1 + X2 (normal, means 1 and 2, standard
// deviations 0.5 and 1) fails below 2 with probability Phi(-1/sqrt(1.25)).
int factorOfSafety(double* x, int, double* f, int m)
{
    EXPECT_EQ(m, 1);
    f[0] = x[0] + x[1];
    return 0;
}

TEST(SlopeReliability, FailureBelowTheFactorMatchesTheClosedForm)
{
    constexpr double kFailureFactor = 2.0;
    Study slope;
    double failure = -1.0;
    double error = -1.0;
    ASSERT_EQ(runRELANAL_LEM(factorOfSafety, 2, slope.x.data(), slope.bounds.data(), nullptr,
                             slope.rows.data(), nullptr, nullptr, slope.design.data(), kPolynomial,
                             nullptr, kFailureFactor, nullptr, slope.statistics.data(), &failure,
                             &error),
              1)
        << zelkorLastMessage();
    const double exact = 0.5 * std::erfc(1.0 / std::sqrt(1.25) / std::sqrt(2.0));
    EXPECT_NEAR(failure, exact, kStandardErrors * error);
    EXPECT_NEAR(slope.statistics[99], 3.0, kStandardErrors * std::sqrt(1.25 / 1e5));
}

TEST(SlopeReliability, BadInputIsRejected)
{
    Study slope;
    EXPECT_EQ(runRELANAL_LEM(factorOfSafety, 2, slope.x.data(), slope.bounds.data(), nullptr,
                             slope.rows.data(), nullptr, nullptr, slope.design.data(), kPolynomial,
                             nullptr, 0.0, nullptr, nullptr, nullptr, nullptr),
              0);
    EXPECT_NE(std::string(zelkorLastMessage()).find("failureFactor"), std::string::npos);
    EXPECT_EQ(runRELANAL_LEM(nullptr, 2, slope.x.data(), slope.bounds.data(), nullptr,
                             slope.rows.data(), nullptr, nullptr, slope.design.data(), kPolynomial,
                             nullptr, 1.0, nullptr, nullptr, nullptr, nullptr),
              0);
    EXPECT_EQ(zelkorLastStatus(), ZELKOR_STATUS_INVALID_INPUT);
    EXPECT_EQ(runRELANAL_LEM(factorOfSafety, 0, slope.x.data(), slope.bounds.data(), nullptr,
                             slope.rows.data(), nullptr, nullptr, slope.design.data(), kPolynomial,
                             nullptr, 1.0, nullptr, nullptr, nullptr, nullptr),
              0);
    EXPECT_EQ(zelkorLastStatus(), ZELKOR_STATUS_INVALID_INPUT);
}

} // namespace
