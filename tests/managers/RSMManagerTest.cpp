// The surrogate study through the public header: the C entry point on known
// functions, and the data-set mode a C++ host steps itself.
#include <cmath>
#include <cstdio>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "api/zelkor.h"

namespace {

// (x0 - 1)^2 + (x1 + 0.5)^2 on [-2, 2]^2 with x0 + x1 <= 0: a full quadratic
// reproduces both responses exactly, so the study must land on the constrained
// optimum (0.75, -0.75), f = 0.125.
int bowl(double* x, int, double* f, int m)
{
    f[0] = (x[0] - 1.0) * (x[0] - 1.0) + (x[1] + 0.5) * (x[1] + 0.5);
    if (m > 1) {
        f[1] = x[0] + x[1];
    }
    return 0;
}

std::string fileBytes(const std::string& name)
{
    std::string bytes;
    if (std::FILE* file = std::fopen(name.c_str(), "rb")) {
        for (int c = std::fgetc(file); c != EOF; c = std::fgetc(file)) {
            bytes.push_back(static_cast<char>(c));
        }
        std::fclose(file);
    }
    return bytes;
}

const double kBox[] = {-2.0, 2.0, -2.0, 2.0};

TEST(RSMStudy, QuadraticModelsFindTheConstrainedOptimumOfAQuadratic)
{
    const int design[] = {0, 0, 3, 0};      // 3-level full factorial: 9 points
    const int models[] = {1, 4, 1, 1};      // full quadratic, linear
    const int search[] = {0, 4000, 2, 1};
    double x[] = {0.0, 0.0};
    double f[2] = {};
    EXPECT_EQ(runRSMOPT(bowl, 2, 2, x, f, kBox, nullptr, design, models, search, nullptr, 0), 1);
    EXPECT_NEAR(x[0], 0.75, 2e-3);
    EXPECT_NEAR(x[1], -0.75, 2e-3);
    EXPECT_NEAR(f[0], 0.125, 1e-3);
    EXPECT_EQ(zelkorLastStatus(), ZELKOR_STATUS_OK);
}

// The three-bar truss (Nowacki 1973) on [0.1, 1]^2: kriging's optimum lands
// just outside a stress limit, so the best feasible sampled design comes back.
int truss(double* x, int, double* f, int)
{
    const double root2 = std::sqrt(2.0);
    const double denominator = root2 * x[0] * x[0] + 2.0 * x[0] * x[1];
    f[0] = (2.0 * root2 * x[0] + x[1]) * 100.0;
    f[1] = (root2 * x[0] + x[1]) / denominator * 2.0 - 2.0;
    f[2] = x[1] / denominator * 2.0 - 2.0;
    f[3] = 2.0 / (root2 * x[1] + x[0]) - 2.0;
    return 0;
}

TEST(RSMStudy, ASampledDesignBeatsAnInfeasibleSurrogateOptimum)
{
    const double box[] = {0.1, 1.0, 0.1, 1.0};
    const int design[] = {2, 0, 0, 30};
    double x[] = {0.5, 0.5};
    double f[4] = {};
    EXPECT_EQ(runRSMOPT(truss, 2, 4, x, f, box, nullptr, design, nullptr, nullptr, nullptr, 0), 1);
    double check[4] = {};
    truss(x, 2, check, 4);
    EXPECT_EQ(std::vector<double>(f, f + 4), std::vector<double>(check, check + 4));
    EXPECT_LT(f[0], 263.8958434 * 1.05);
}

// Counts the batches a study hands out and evaluates them with truss.
struct BatchLog {
    std::vector<int> sizes;
};

void trussBatch(int count, const double* designs, double* responses, void* user)
{
    static_cast<BatchLog*>(user)->sizes.push_back(count);
    for (int k = 0; k < count; ++k) {
        truss(const_cast<double*>(designs + 2 * k), 2, responses + 4 * k, 4);
    }
}

TEST(RSMStudy, ABatchedStudySamplesItsDesignTogetherAndEndsWhereTheSequentialOneDoes)
{
    const double box[] = {0.1, 1.0, 0.1, 1.0};
    const int design[] = {2, 0, 0, 30};
    const int models[] = {1, 1, 2, -1, 2, -1, 2, -1};
    const std::string base = testing::TempDir() + "zelkor_batched";
    double x[] = {0.5, 0.5};
    double f[4] = {};
    runRSMOPT(truss, 2, 4, x, f, box, nullptr, design, models, nullptr, base.c_str(), 0);
    const std::string sequentialModels = fileBytes(base + ".rsm");
    for (const int limit : {0, 7}) {
        BatchLog log;
        double xb[] = {0.5, 0.5};
        double fb[4] = {};
        runRSMOPTBatch(trussBatch, &log, limit, 2, 4, xb, fb, box, nullptr, design, models,
                       nullptr, base.c_str(), 0);
        EXPECT_EQ(std::vector<double>(xb, xb + 2), std::vector<double>(x, x + 2));
        EXPECT_EQ(std::vector<double>(fb, fb + 4), std::vector<double>(f, f + 4));
        EXPECT_EQ(fileBytes(base + ".rsm"), sequentialModels) << "the same models";
        const std::vector<int> expected =
            limit == 0 ? std::vector<int>{30, 1} : std::vector<int>{7, 7, 7, 7, 2, 1};
        EXPECT_EQ(log.sizes, expected) << "limit " << limit;
    }
    std::remove((base + ".rsm").c_str());
}

TEST(RSMStudy, BadSettingsAreRefusedBeforeTheHostIsCalled)
{
    static int calls = 0;
    auto counting = [](double* x, int n, double* f, int m) { ++calls; return bowl(x, n, f, m); };
    double x[] = {0.0, 0.0};
    double f[2] = {};
    const int noDesign[] = {7, 0, 0, 0};
    const int lhs[] = {2, 0, 0, 20};
    const int badModel[] = {2, -1, 9, -1};
    const int badSearch[] = {5, 0, 0, 1};
    EXPECT_EQ(runRSMOPT(counting, 2, 2, x, f, kBox, nullptr, noDesign, nullptr, nullptr, nullptr, 0), 0);
    EXPECT_EQ(runRSMOPT(counting, 2, 2, x, f, kBox, nullptr, lhs, badModel, nullptr, nullptr, 0), 0);
    EXPECT_EQ(runRSMOPT(counting, 2, 2, x, f, kBox, nullptr, lhs, nullptr, badSearch, nullptr, 0), 0);
    double outside[] = {3.0, 0.0};
    EXPECT_EQ(runRSMOPT(counting, 2, 2, outside, f, kBox, nullptr, lhs, nullptr, nullptr, nullptr, 0), 0);
    EXPECT_EQ(zelkorLastStatus(), ZELKOR_STATUS_INVALID_INPUT);
    EXPECT_EQ(calls, 0);
}

} // namespace

namespace {

using Opt::DataSet;
using Opt::OptEngineMain;
using Opt::ResponseDefinition;

using Responses = std::vector<double> (*)(const std::vector<double>&);

std::vector<double> threeResponses(const std::vector<double>& x)
{
    return {(x[0] - 1.0) * (x[0] - 1.0) + (x[1] + 0.5) * (x[1] + 0.5), x[0] + x[1], x[0] - x[1] - 3.0};
}

std::vector<double> shiftedResponses(const std::vector<double>& x)
{
    auto values = threeResponses(x);
    values[0] += 10.0;
    return values;
}

// A polynomial study of threeResponses on a 3-level full factorial (9 points),
// the objective minimised by DIRECT subject to the two constraints <= 0.
std::shared_ptr<DataSet> polynomialStudy(int engineType, int tasks = 1)
{
    auto dataSet = std::make_shared<DataSet>();
    for (int id = 0; id < 3; ++id) {
        auto definition = std::make_shared<ResponseDefinition>();
        definition->surrogate.modelType = 1;
        if (id > 0) {
            definition->kind = 1;
            definition->upper = 0.0;
        }
        dataSet->responses[id] = definition;
    }
    dataSet->bounds = {{-2.0, 2.0}, {-2.0, 2.0}};
    dataSet->designValues = {0.0, 0.0};
    dataSet->engineType = engineType;
    dataSet->designSettings = {{0, 0, 3, 0}};
    dataSet->threadCount = 2;
    Opt::SearchSettings direct;
    direct.ints = {0, 0, 0, 100, 3000};
    dataSet->directSearchSettings.push_back(direct);
    dataSet->tasks.resize(static_cast<std::size_t>(tasks));
    return dataSet;
}

// Steps a study to its end, evaluating each published design; returns the last
// step code and counts the host's evaluations.
int runToEnd(const std::shared_ptr<DataSet>& dataSet, Responses responses, int* evaluations)
{
    OptEngineMain session(dataSet);
    int code = 3;
    *evaluations = 0;
    do {
        code = session.runOptEngine(nullptr, nullptr, nullptr);
        if (code == 1) {
            const auto values = responses(dataSet->designValues);
            int id = 0;
            for (auto& entry : dataSet->responses) {
                entry.second->value = values[static_cast<std::size_t>(id++)];
            }
            ++*evaluations;
        }
    } while (code >= 1 && code <= 3);
    return code;
}

std::string progressText(const char* text, const std::vector<int>& percents)
{
    std::string line = std::string(text) + "   0%";
    char field[8];
    for (const int p : percents) {
        std::snprintf(field, sizeof field, "%3d%%", p);
        line += std::string("\b\b\b\b") + field;
    }
    return line + "\b\b\b\bCOMPLETED\n";
}

TEST(RSMStudyDataSet, ShowsItsThreeProgressLinesAndEndsOnTheVerifiedOptimum)
{
    const auto dataSet = polynomialStudy(8, 2);
    int evaluations = 0;
    testing::internal::CaptureStdout();
    const int code = runToEnd(dataSet, threeResponses, &evaluations);
    std::fflush(stdout);
    const std::string shown = testing::internal::GetCapturedStdout();
    ASSERT_EQ(code, 0);
    std::vector<int> sampling;
    for (int k = 1; k <= 9; ++k) {
        sampling.push_back((100 * k + 4) / 9);
    }
    // The building line appears once although the search steps through the
    // fit again for its second task.
    EXPECT_EQ(shown, progressText("    DESIGN SAMPLING:", sampling) +
                         progressText("    BUILDING APPROXIMATE MODEL:", {33, 66, 100}) +
                         progressText("    FINDING OPTIMUM POINT:", {50, 100}));
    EXPECT_EQ(evaluations, 10) << "nine sampled designs and the optimum";
    ASSERT_EQ(dataSet->searchResults.size(), 2u);
    EXPECT_NEAR(dataSet->designValues[0], 0.75, 2e-3);
    EXPECT_NEAR(dataSet->designValues[1], -0.75, 2e-3);
    EXPECT_NEAR(*dataSet->responses.at(0)->value, 0.125, 1e-3) << "the host's value at the optimum";
    EXPECT_EQ(dataSet->residuals.at(0).quadratic.size(), 9u);
    EXPECT_LT(std::fabs(dataSet->residuals.at(0).quadratic[4]), 1e-9) << "a quadratic fits exactly";
    EXPECT_GT(std::fabs(dataSet->residuals.at(0).linear[4]), 0.1);
}

TEST(RSMStudyDataSet, TypeFourteenWritesItsModelFileOnceAndThenValidatesAgainstIt)
{
    const std::string base = testing::TempDir() + "zelkor_type14";
    std::remove((base + ".rsm").c_str());
    int evaluations = 0;
    auto first = polynomialStudy(14);
    first->modelFile = base;
    first->showProgress = false;
    ASSERT_EQ(runToEnd(first, threeResponses, &evaluations), 0);
    const std::string written = fileBytes(base + ".rsm");
    ASSERT_FALSE(written.empty());

    auto second = polynomialStudy(14);
    second->modelFile = base;
    second->showProgress = false;
    ASSERT_EQ(runToEnd(second, shiftedResponses, &evaluations), 0);
    EXPECT_EQ(fileBytes(base + ".rsm"), written) << "an existing file is not rewritten";
    // The values are the first study's models at the second study's optimum.
    const auto expected = threeResponses(second->designValues);
    for (int id = 0; id < 3; ++id) {
        EXPECT_NEAR(*second->responses.at(id)->value, expected[static_cast<std::size_t>(id)], 1e-9);
    }
    std::remove((base + ".rsm").c_str());
}

TEST(RSMStudyDataSet, AModelFileThatCannotServeTheStudyIsFatal)
{
    const std::string base = testing::TempDir() + "zelkor_inadequate";
    std::FILE* file = std::fopen((base + ".rsm").c_str(), "wb");
    ASSERT_NE(file, nullptr);
    std::fputs("not a model file", file);
    std::fclose(file);
    static std::string reported;
    const auto previous = zelkorSetFatalHandler([](const char* line) { reported = line; });
    auto study = polynomialStudy(14);
    study->modelFile = base;
    study->showProgress = false;
    int evaluations = 0;
    EXPECT_THROW(runToEnd(study, threeResponses, &evaluations), std::runtime_error);
    EXPECT_EQ(reported, "ERROR : INADEQUATE RSM DATA.");
    zelkorSetFatalHandler(previous);
    std::remove((base + ".rsm").c_str());
}

TEST(RSMStudyDataSet, TypeSevenOnlyArrangesItsDesign)
{
    auto study = polynomialStudy(7);
    int evaluations = 0;
    ASSERT_EQ(runToEnd(study, threeResponses, &evaluations), 0);
    EXPECT_EQ(evaluations, 1) << "the first design's evaluation ends the run";
    const int settings[] = {0, 0, 3, 0};
    std::vector<double> points(18);
    ASSERT_EQ(arrangeDOE_(settings, 2, nullptr, kBox, nullptr, points.data(), 9), 9);
    ASSERT_EQ(study->designPoints.size(), 9u);
    for (std::size_t p = 0; p < 9; ++p) {
        EXPECT_EQ(study->designPoints[p], (std::vector<double>{points[2 * p], points[2 * p + 1]}));
    }
}

} // namespace
