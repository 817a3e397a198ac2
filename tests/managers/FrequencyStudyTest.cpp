// The frequency study on stored surrogates: Dunkerley's rules on known
// numbers, and the search on a case whose optimum is known in closed form.
#include <cmath>
#include <cstdio>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include <unistd.h>

#include <gtest/gtest.h>

#include "api/zelkor.h"
#include "managers/FrequencyStudy.h"

namespace {

using Opt::RSM::FrequencyStudy;

// Linear models fitted to linear data predict it to rounding.
constexpr double kRuleTolerance = 1e-12;
constexpr double kOptimumTolerance = 0.002; // relative, lowest assembled mode
constexpr double kDesignTolerance = 0.01;   // absolute, on [0, 1]

std::string scratch(const std::string& tag)
{
    return testing::TempDir() + "zelkor_" + tag + "_" + std::to_string(static_cast<long>(getpid()));
}

// Fits linear polynomials to three modes over [0, 1]^n and writes "<file>.rsm".
template <typename Modes>
void fitLinearModels(const std::string& file, int n, const Modes& modes)
{
    auto fit = std::make_shared<Opt::DataSet>();
    for (int id = 0; id < 3; ++id) {
        fit->responses[id] = std::make_shared<Opt::ResponseDefinition>();
        fit->responses[id]->surrogate = {1, 1};
    }
    fit->bounds.assign(static_cast<std::size_t>(n), {0.0, 1.0});
    fit->designValues.assign(static_cast<std::size_t>(n), 0.5);
    fit->engineType = 15;
    fit->modelFile = file;
    fit->designSettings = {{2, 0, 0, 8}};
    fit->fixedSeed = true;
    fit->showProgress = false;
    Opt::OptEngineMain session(fit);
    int code = 3;
    do {
        code = session.runOptEngine(nullptr, nullptr, nullptr);
        for (int id = 0; code == 1 && id < 3; ++id) {
            fit->responses[id]->value = modes(fit->designValues, id);
        }
    } while (code >= 1 && code <= 3);
    ASSERT_EQ(code, 0);
}

TEST(FrequencyStudy, DunkerleysRulesJoinAndRemoveInSeries)
{
    // 1/2.4^2 = 1/3^2 + 1/4^2.
    EXPECT_NEAR(FrequencyStudy::join(3.0, 4.0), 2.4, kRuleTolerance);
    EXPECT_NEAR(FrequencyStudy::remove(2.4, 4.0), 3.0, kRuleTolerance);
    EXPECT_TRUE(std::isinf(FrequencyStudy::remove(4.0, 4.0)));
    EXPECT_NEAR(FrequencyStudy::join(5.0, FrequencyStudy::remove(4.0, 4.0)), 5.0, kRuleTolerance);
}

// Steering on the buck 20 + 10 u + 5 k Hz over (u, v), the cowl X/bar & body
// 40 + 20 v + 10 k Hz over v alone (a cowlbar_weight_pd file), buck 100, 120,
// 140 Hz. The first cowl mode grows with v, so on the separation limit of 36 Hz
// the optimum is v = 1 with the lowest assembled mode 60 - 36 = 24 Hz, reached
// at u = 0.5327 (column 1/sqrt(1/24^2 - 1/60^2) Hz on a 100 Hz buck).
class FrequencyStudyOnLinearModels : public testing::Test {
protected:
    static void SetUpTestSuite()
    {
        fitLinearModels(steering, 2, [](const std::vector<double>& x, int k) {
            return 20.0 + 10.0 * x[0] + 5.0 * k;
        });
        fitLinearModels(cowl, 1, [](const std::vector<double>& x, int k) {
            return 40.0 + 20.0 * x[0] + 10.0 * k;
        });
    }
    static void TearDownTestSuite()
    {
        std::remove((steering + ".rsm").c_str());
        std::remove((cowl + ".rsm").c_str());
    }

    static FrequencyStudy::Settings settings()
    {
        FrequencyStudy::Settings s;
        s.steeringFile = steering;
        s.cowlFile = cowl + ".rsm";
        s.bounds = {{0.0, 1.0}, {0.0, 1.0}};
        s.nSteering = 1;
        s.buck = {100.0, 120.0, 140.0};
        s.body = {200.0, 200.0, 200.0};
        s.target = 20.0;
        s.separation = 36.0;
        s.searchBudget = 800;
        return s;
    }

    static inline const std::string steering = scratch("steering_on_buck");
    static inline const std::string cowl = scratch("cowl_cowlbar_weight_pd");
};

TEST_F(FrequencyStudyOnLinearModels, FindsTheOptimumOnTheSeparationLimit)
{
    const double column = 1.0 / std::sqrt(1.0 / (24.0 * 24.0) - 1.0 / (60.0 * 60.0));
    const double onBuck = FrequencyStudy::join(column, 100.0);
    FrequencyStudy study(settings());
    const auto result = study.run({0.2, 0.2});
    EXPECT_TRUE(result.meetsRequirements);
    EXPECT_NEAR(result.modes.lowestAssembled() / 24.0, 1.0, kOptimumTolerance);
    EXPECT_NEAR(result.design[1], 1.0, kDesignTolerance);
    EXPECT_NEAR(result.design[0], (onBuck - 20.0) / 10.0, kDesignTolerance);
    EXPECT_NEAR(result.modes.column[2], FrequencyStudy::remove(30.0 + 10.0 * result.design[0], 140.0),
                1e-9);

    // Every design evaluation reads both sets once, and the lines say so.
    EXPECT_EQ(result.steeringEvaluations, result.cowlEvaluations);
    EXPECT_GT(result.steeringEvaluations, 800);
    std::ostringstream out;
    study.report(result, out);
    const std::string count = std::to_string(result.steeringEvaluations);
    EXPECT_NE(out.str().find(" [Steering System] THE NUMBER OF MODEL EVALUATION: " + count + "\n"),
              std::string::npos);
    EXPECT_NE(out.str().find("\n [Cowl X/bar & Body System] THE NUMBER OF MODEL EVALUATION: " +
                             count + "\n"),
              std::string::npos);
}

TEST_F(FrequencyStudyOnLinearModels, AMissingFileNamesItsSet)
{
    auto s = settings();
    s.cowlFile = scratch("no_such_cowlbar_weight_pd");
    FrequencyStudy study(s);
    try {
        study.modesAt({0.5, 0.5});
        FAIL() << "a missing model file was read";
    } catch (const FrequencyStudy::ModelSetUnavailable& missing) {
        EXPECT_EQ(std::string(missing.what()).rfind("[Cowl X/bar & Body System] ", 0), 0u)
            << missing.what();
    }
}

} // namespace
