// The robust surrogate study on f(x, z) = (x - 2)^2 + x z and g = x - limit,
// whose robust optima are known in closed form (a full quadratic fits both
// exactly on a 3-level full factorial, so only the search's precision is left).
//   z a noise parameter (mean 0, sd s): mean f = (x - 2)^2, sd = x s, and
//     minimising (x - 2)^2 + k s x gives x = 2 - k s / 2, z reported at 0.
//   z designed with tolerance s: the search takes z at its lower bound -1 and
//     x = 2 + (1 - k s) / 2, mean f = (x - 2)^2 - x, sd = x s.
//   x designed with tolerance s against x <= limit: the constraint is judged
//     at x + k s, so x = limit - k s (the objective, falling in x, pushes it
//     there) and z = -1; mean f = (x - 2)^2 + s^2 - x and
//     sd = s sqrt((2 (x - 2) - 1)^2 + 2 s^2) (the quadratic term's share).
#include <cmath>
#include <memory>

#include <gtest/gtest.h>

#include "api/zelkor.h"

namespace {

struct RobustCase {
    const char* what;
    Opt::RandomInput input;
    double k;
    double limit;
    double x, z, mean, sd; // the robust optimum and the statistics of f there
};

class RobustStudy : public testing::TestWithParam<RobustCase> {};

std::shared_ptr<Opt::DataSet> study(const RobustCase& c)
{
    auto dataSet = std::make_shared<Opt::DataSet>();
    for (int id = 0; id < 2; ++id) {
        auto definition = std::make_shared<Opt::ResponseDefinition>();
        definition->surrogate = {1, 4}; // full quadratic
        if (id == 1) {
            definition->kind = 1;
            definition->upper = 0.0;
        }
        dataSet->responses[id] = definition;
    }
    dataSet->bounds = {{0.0, 4.0}, {-1.0, 1.0}};
    dataSet->designValues = {1.0, 0.0};
    dataSet->engineType = 13;
    dataSet->designSettings = {{0, 0, 3, 0}};
    dataSet->showProgress = false;
    Opt::SearchSettings direct;
    direct.ints = {0, 0, 0, 200, 6000};
    dataSet->directSearchSettings.push_back(direct);
    dataSet->robust.inputs = {c.input};
    dataSet->robust.k = c.k;
    return dataSet;
}

TEST_P(RobustStudy, FindsTheClosedFormRobustOptimum)
{
    const RobustCase& c = GetParam();
    const auto dataSet = study(c);
    Opt::OptEngineMain session(dataSet);
    ASSERT_NE(session.engine, nullptr);
    int code = 3;
    do {
        code = session.runOptEngine(nullptr, nullptr, nullptr);
        if (code == 1) {
            const double x = dataSet->designValues[0], z = dataSet->designValues[1];
            dataSet->responses[0]->value = (x - 2) * (x - 2) + x * z;
            dataSet->responses[1]->value = x - c.limit;
        }
    } while (code >= 1 && code <= 3);
    EXPECT_EQ(code, 0);
    ASSERT_EQ(dataSet->searchResults.size(), 1u);
    const Opt::SearchResult& found = dataSet->searchResults.front();
    EXPECT_NEAR(found.design[0], c.x, 5e-3);
    const bool noiseParameter = c.input.variable == 1 && !c.input.designed;
    EXPECT_NEAR(found.design[1], c.z, noiseParameter ? 1e-12 : 5e-3);
    EXPECT_EQ(dataSet->designValues, found.design) << "the host verifies the robust optimum";
    const Opt::RobustStatistic f = dataSet->robustStatistics.at(0);
    EXPECT_NEAR(f.mean, c.mean, 1e-2);
    EXPECT_NEAR(f.standardDeviation, c.sd, 1e-2);
    EXPECT_NEAR(found.predictions[0], f.mean + c.k * f.standardDeviation, 1e-9);
}

// Normal and uniform scatter, noise parameter and tolerances, k = 0 .. 2.
INSTANTIATE_TEST_SUITE_P(
    ClosedForm, RobustStudy,
    testing::Values(
        RobustCase{"normal noise, k 2", {1, 1, 0.5, false, 0.0}, 2.0, 3.9, 1.5, 0.0, 0.25, 0.75},
        RobustCase{"uniform noise, k 1", {2, 1, 0.4, false, 0.0}, 1.0, 3.9, 1.8, 0.0, 0.04, 0.72},
        RobustCase{"nominal, k 0", {1, 1, 0.5, false, 0.0}, 0.0, 3.9, 2.0, 0.0, 0.0, 1.0},
        RobustCase{"z tolerance, k 1", {1, 1, 0.5, true, 0.0}, 1.0, 3.9, 2.25, -1.0, -2.1875,
                   1.125},
        RobustCase{"x tolerance, constrained", {1, 0, 0.1, true, 0.0}, 2.0, 1.5, 1.3, -1.0,
                   0.49 + 0.01 - 1.3, 0.1 * std::sqrt(2.4 * 2.4 + 0.02)}),
    [](const testing::TestParamInfo<RobustCase>& info) {
        return "case" + std::to_string(info.index);
    });

} // namespace
