// The model-file services through the public header: a file a study wrote
// predicts what the study's own models predicted, the grid and validation
// results follow their documented layout, and bad input is refused with a
// status and one line on standard error, never a crash.
#include <cmath>
#include <cstdio>
#include <fstream>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include <unistd.h>

#include <gtest/gtest.h>

#include "api/zelkor.h"

namespace {

using Rows = std::vector<std::vector<double>>;

constexpr double kSameModel = 1e-12;  // a model read back is the model fitted
constexpr double kExactFit = 1e-9;    // a full quadratic fitted to a quadratic
const Rows kBox = {{-2.0, 2.0}, {-2.0, 2.0}};
const double kFlatBox[] = {-2.0, 2.0, -2.0, 2.0};

// A model file's base path of its own for the running test and process: tests
// run in parallel, here and in other build trees, never share a file.
std::string scratch(const std::string& tag)
{
    return testing::TempDir() + "zelkor_" + tag + "_" +
           testing::UnitTest::GetInstance()->current_test_info()->name() + "_" +
           std::to_string(static_cast<long>(getpid()));
}

double mixedResponse(int id, const std::vector<double>& x)
{
    return std::sin(x[0] + 0.3 * id) + 0.5 * (id + 1) * x[1] * x[1] - 0.2 * x[0] * x[1];
}

// A data-set study with one model of every type (response id k has type k + 1)
// and two search tasks, so that the study predicts at two designs, stepped to
// its end; the models go to file.
std::shared_ptr<Opt::DataSet> runMixedStudy(const std::string& file)
{
    auto study = std::make_shared<Opt::DataSet>();
    for (int id = 0; id < 6; ++id) {
        study->responses[id] = std::make_shared<Opt::ResponseDefinition>();
        study->responses[id]->surrogate.modelType = id + 1;
    }
    study->designValues = {0.0, 0.0};
    study->bounds = kBox;
    study->engineType = 9;
    study->modelFile = file;
    study->designSettings = {2, 0, 0, 16};
    study->fixedSeed = true;
    study->showProgress = false;
    study->directSearchSettings.push_back({{}, {0, 0, 0, 100, 400}});
    study->tasks = {{{0}}, {{2}}};
    Opt::OptEngineMain session(study);
    int code = 0;
    do {
        code = session.runOptEngine(nullptr, nullptr, nullptr);
        for (auto& [id, definition] : study->responses) {
            definition->value = code == 1 ? mixedResponse(id, study->designValues)
                                          : definition->value;
        }
    } while (code >= 1 && code <= 3);
    EXPECT_EQ(code, 0);
    return study;
}

TEST(ModelFileServices, AFileReadsBackTheStudysPredictions)
{
    const std::string file = scratch("mixed_study");
    const auto study = runMixedStudy(file);
    ASSERT_EQ(study->searchResults.size(), 2u);
    const std::vector<int> ids = {0, 1, 2, 3, 4, 5};
    Rows designs;
    for (const auto& result : study->searchResults) {
        std::vector<double> values;
        unsigned char success = 0;
        ASSERT_EQ(evaluateRSMall(file.c_str(), &result.design, &kBox, &ids, &values, &success), 6);
        EXPECT_EQ(success, 1);
        for (std::size_t k = 0; k < ids.size(); ++k) {
            EXPECT_NEAR(values[k], result.predictions[k], kSameModel) << "model type " << k + 1;
        }
        designs.push_back(result.design);
    }
    Rows rows;
    unsigned char success = 0;
    ASSERT_EQ(evaluate_approxvals(file.c_str(), &designs, &kBox, &ids, &rows, &success), 12);
    for (std::size_t p = 0; p < designs.size(); ++p) {
        for (std::size_t k = 0; k < ids.size(); ++k) {
            EXPECT_NEAR(rows[p][k], study->searchResults[p].predictions[k], kSameModel);
        }
    }
    std::remove((file + ".rsm").c_str());
}

double bowl(const double* x)
{
    return (x[0] - 1.0) * (x[0] - 1.0) + (x[1] + 0.5) * (x[1] + 0.5);
}

// The file of runRSMOPT on the bowl: response 0 a full quadratic, which fits it
// exactly, response 1 (x0 + x1) by kriging.
class ModelFileServicesOnAStudy : public testing::Test {
protected:
    void SetUp() override
    {
        auto evaluate = [](double* x, int, double* f, int) {
            f[0] = bowl(x);
            f[1] = x[0] + x[1];
            return 0;
        };
        const int design[] = {2, 0, 0, 12};
        const int models[] = {1, 4, 2, -1};
        double x[] = {0.0, 0.0};
        double f[2] = {};
        runRSMOPT(evaluate, 2, 2, x, f, kFlatBox, nullptr, design, models, nullptr, base.c_str(),
                  0);
    }
    void TearDown() override { std::remove((base + ".rsm").c_str()); }

    const std::string base = scratch("bowl_study");
};

TEST_F(ModelFileServicesOnAStudy, GridRowsAndValidationMeasuresFollowTheirLayout)
{
    const double x[] = {0.0, 0.0};
    const int ids[] = {0};
    double grid[6] = {};
    unsigned char success = 0;
    ASSERT_EQ(evaluateRSM3DC(base.c_str(), 2, x, kFlatBox, nullptr, 1, ids, 0, 1, 3, 2, grid,
                             &success), 6);
    const double corner[] = {2.0, -2.0}, edge[] = {0.0, 2.0};  // rows 2 * 2 + 0 and 1 * 2 + 1
    EXPECT_NEAR(grid[4], bowl(corner), kExactFit);
    EXPECT_NEAR(grid[3], bowl(edge), kExactFit);

    const double points[] = {0.0, 0.0, 1.0, -0.5, 2.0, 2.0, -1.0, 1.0};
    const double observed[] = {bowl(points), bowl(points + 2), bowl(points + 4) + 1.0,
                               bowl(points + 6)};
    double measures[3] = {};
    ASSERT_EQ(evaluate_validate_RSMall(base.c_str(), 2, 4, points, observed, kFlatBox, nullptr, 1,
                                       ids, measures, &success), 3);
    EXPECT_LT(measures[0], 1.0);
    EXPECT_NEAR(measures[1], 0.5, kExactFit);  // sqrt(1 / 4)
    EXPECT_NEAR(measures[2], 1.0, kExactFit);
}

struct BadInput {
    const char* what;
    std::function<int(unsigned char*)> call;
    int result;
    const char* message;
};

TEST_F(ModelFileServicesOnAStudy, BadInputIsRefusedWithAStatusAndOneLine)
{
    const std::string truncated = scratch("truncated");
    const std::string text = scratch("text");
    std::ifstream whole(base + ".rsm", std::ios::binary);
    std::string bytes((std::istreambuf_iterator<char>(whole)), std::istreambuf_iterator<char>());
    std::ofstream(truncated + ".rsm", std::ios::binary) << bytes.substr(0, bytes.size() / 2);
    std::ofstream(text + ".rsm") << "response 0: 1.5 x^2\n";

    const std::string file = base;
    const char* f = file.c_str();
    const double x[] = {0.0, 0.0}, outside[] = {3.0, 0.0}, nan[] = {NAN, 0.0};
    const int both[] = {0, 1}, missing[] = {7};
    double out[24];
    const std::vector<double> x3 = {0.0, 0.0, 0.0};
    const std::vector<int> ids = {0};
    std::vector<double> values;
    const double box3[] = {-2.0, 2.0, -2.0, 2.0, -2.0, 2.0};
    const auto all = [&](const std::string& name, int n, const double* at, const int* id) {
        return [=, &out](unsigned char* s) {
            return evaluateRSMallC(name.c_str(), n, at, n == 3 ? box3 : kFlatBox, nullptr, 1, id,
                                   out, s);
        };
    };
    const auto grid = [&](int first, int second, int firstCount) {
        return [=, &out](unsigned char* s) {
            return evaluateRSM3DC(f, 2, x, kFlatBox, nullptr, 1, both, first, second, firstCount,
                                  2, out, s);
        };
    };
    const auto validate = [&](const double* observed, const int* id) {
        return [=, &out](unsigned char* s) {
            return evaluate_validate_RSMall(f, 2, 1, x, observed, kFlatBox, nullptr, 1, id, out, s);
        };
    };
    const std::vector<BadInput> cases = {
        {"missing file", all(base + "_none", 2, x, both), 0, "cannot be opened for reading"},
        {"truncated file", all(truncated, 2, x, both + 1), 0, truncated.c_str()},
        {"not a model file", all(text, 2, x, both), 0, text.c_str()},
        {"id not in file", all(file, 2, x, missing), 0, "response 7 is not in the directory"},
        {"2-variable file read with 3", all(file, 3, x3.data(), both + 1), 0, f},
        {"null file", all("", 2, x, both), -1, "modelFile is null or empty"},
        {"no variables", all(file, 0, x, both), -1, "n = 0"},
        {"design outside", all(file, 2, outside, both), -1, "x[0] = 3 lies outside"},
        {"design not finite", all(file, 2, nan, both), -1, "x[0] = nan"},
        {"null design", all(file, 2, nullptr, both), -1, "x is null"},
        {"null success", [&](unsigned char* s) { return *s = 0, all(file, 2, x, both)(nullptr); },
         -1, "success is null"},
        {"design of the wrong length",
         [&](unsigned char* s) { return evaluateRSMall(f, &x3, &kBox, &ids, &values, s); }, -1,
         "x holds 3 values for 2 design variables"},
        {"grid on one variable", grid(1, 1, 2), -1, "first and second both name variable 1"},
        {"grid of one line", grid(0, 1, 1), -1, "firstCount = 1"},
        {"failed observation", validate(nan, both), -1, "observed[0] is nan"},
        {"validation of a missing id", validate(x, missing), 0, "response 7"},
    };
    for (const BadInput& bad : cases) {
        unsigned char success = 1;
        testing::internal::CaptureStderr();
        EXPECT_EQ(bad.call(&success), bad.result) << bad.what;
        const std::string line = testing::internal::GetCapturedStderr();
        EXPECT_EQ(success, 0) << bad.what;
        EXPECT_EQ(zelkorLastStatus(), ZELKOR_STATUS_INVALID_INPUT) << bad.what;
        EXPECT_NE(std::string(zelkorLastMessage()).find(bad.message), std::string::npos)
            << bad.what << ": " << zelkorLastMessage();
        EXPECT_EQ(line, std::string(zelkorLastMessage()) + "\n") << bad.what;
    }
    std::remove((truncated + ".rsm").c_str());
    std::remove((text + ".rsm").c_str());
}

} // namespace
