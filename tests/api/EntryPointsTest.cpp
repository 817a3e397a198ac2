// The exported entry points: argument checks, the method translation of Zelkor,
// the driving loop, the closing report lines and the result file.
#include "api/zelkor.h"

#include <cmath>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <limits>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include <unistd.h>

#include <gtest/gtest.h>

namespace {

// What the callbacks saw; the entry points take plain function pointers.
struct Record {
    std::vector<std::vector<double>> designs;
    std::vector<double> lastResponses;
    int objectiveForm = 0; // 0: Branin-like bowl, 1: infeasible constraint, 2: throws
};
Record record;

int bowl(double* x, int n, double* f, int m)
{
    record.designs.emplace_back(x, x + n);
    if (record.objectiveForm == 2) {
        throw std::runtime_error("host model crashed");
    }
    f[0] = (x[0] - 0.3) * (x[0] - 0.3) + (x[1] + 0.2) * (x[1] + 0.2);
    if (m > 1) {
        f[1] = record.objectiveForm == 1 ? 1.0 : x[0] + x[1] - 1.0;
    }
    record.lastResponses.assign(f, f + m);
    return 0;
}

int bowlArray(double* x, double* f)
{
    return bowl(x, 2, f, 2);
}

class EntryPoints : public ::testing::Test {
protected:
    void SetUp() override { record = Record(); }

    int zelkor(int method, std::vector<int> ints, int m = 2, int reportLevel = 0)
    {
        std::vector<double*> boundPointers = {lowerUpper[0], lowerUpper[1]};
        return Zelkor(method, reportLevel, bowl, 2, x.data(), boundPointers.data(), m, f.data(),
                      12345, ints.data(), -7, reals.data(), nullptr);
    }

    double lowerUpper[2][2] = {{-1.0, 1.0}, {-1.0, 1.0}};
    std::vector<double> x = {0.9, 0.9};
    std::vector<double> f = {0.0, 0.0};
    std::vector<double> reals = {-999.0, -999.0, -999.0, -999.0, -999.0, -999.0};
};

TEST_F(EntryPoints, ZelkorDirectEvaluatesTheStartFirstAndReturnsTheBestDesign)
{
    EXPECT_EQ(zelkor(0, {-999, -999, -999, -999}), 1);
    ASSERT_GT(record.designs.size(), 10u);
    EXPECT_EQ(record.designs[0], (std::vector<double>{0.9, 0.9}));
    EXPECT_EQ(record.designs[1], (std::vector<double>{0.0, 0.0})) << "then the centre";
    EXPECT_NEAR(x[0], 0.3, 0.02);
    EXPECT_NEAR(x[1], -0.2, 0.02);
    const std::vector<double> returned = f;
    bowl(x.data(), 2, f.data(), 2);
    EXPECT_EQ(returned, f) << "f holds the responses of the design returned in x";
}

TEST_F(EntryPoints, ZelkorTranslatesTheDirectSettings)
{
    // User ints[3] is the division depth: one trisection per variable allows the
    // start, the centre and eight more points.
    zelkor(0, {-999, -999, -999, 1});
    EXPECT_EQ(record.designs.size(), 10u);
    // User ints[2] is the sample budget, user ints[1] the iteration limit.
    record = Record();
    zelkor(0, {-999, -999, 15, -999});
    EXPECT_LE(record.designs.size(), 1u + 15u + 8u);
    record = Record();
    zelkor(0, {-999, 1, -999, -999});
    EXPECT_EQ(record.designs.size(), 1u + 1u + 4u);
}

TEST_F(EntryPoints, ZelkorReturnsZeroWhenTheBestDesignIsInfeasible)
{
    record.objectiveForm = 1;
    EXPECT_EQ(zelkor(0, {-999, 3, -999, -999}), 0);
    EXPECT_EQ(zelkor(0, {-999, 3, -999, -999}, 1), 1) << "without the constraint";
}

TEST_F(EntryPoints, UnknownMethodsNeverCallTheHost)
{
    for (int method : {-1, 6, 99}) {
        EXPECT_EQ(zelkor(method, {0, 0, 0, 0}), 0);
    }
    EXPECT_TRUE(record.designs.empty());
}

TEST_F(EntryPoints, InconsistentArgumentsGiveALineAndNoCall)
{
    std::vector<double*> bounds = {lowerUpper[0], lowerUpper[1]};
    int ints[4] = {0, 0, 0, 0};
    const auto run = [&](int n, double* xs, double** bs, int m, double* fs) {
        testing::internal::CaptureStderr();
        const int result =
            Zelkor(0, 0, bowl, n, xs, bs, m, fs, 0, ints, 0, reals.data(), nullptr);
        return std::make_pair(result, testing::internal::GetCapturedStderr());
    };
    EXPECT_EQ(run(0, x.data(), bounds.data(), 2, f.data()).second,
              "Zelkor: n = 0: at least one design variable is needed; nothing done\n");
    EXPECT_EQ(run(2, x.data(), bounds.data(), 0, f.data()).second,
              "Zelkor: m = 0: at least the objective response is needed; nothing done\n");
    EXPECT_EQ(run(2, nullptr, bounds.data(), 2, f.data()).second, "Zelkor: x is null; nothing done\n");
    EXPECT_EQ(run(2, x.data(), nullptr, 2, f.data()).second,
              "Zelkor: bounds is null; nothing done\n");
    std::vector<double*> oneMissing = {lowerUpper[0], nullptr};
    EXPECT_EQ(run(2, x.data(), oneMissing.data(), 2, f.data()).second,
              "Zelkor: bounds[1] is null; nothing done\n");
    double reversed[2] = {1.0, -1.0};
    std::vector<double*> reversedBounds = {lowerUpper[0], reversed};
    const auto result = run(2, x.data(), reversedBounds.data(), 2, f.data());
    EXPECT_EQ(result.first, 0);
    EXPECT_EQ(result.second, "OptEngineMain: design variable 1 has lower bound 1 above its upper "
                             "bound -1; no engine built\n");
    double notANumber[2] = {std::nan(""), 1.0};
    std::vector<double*> nanBounds = {notANumber, lowerUpper[1]};
    EXPECT_NE(run(2, x.data(), nanBounds.data(), 2, f.data()).second.find("is nan"),
              std::string::npos);
    EXPECT_TRUE(record.designs.empty());
    EXPECT_EQ(x, (std::vector<double>{0.9, 0.9})) << "nothing is lost";
}

// Minimise (x0 - 1)^2 + (x1 - 1)^2 subject to x0 + x1 <= 1 on [-1, 1]^2: the
// optimum (0.5, 0.5) lies on the constraint. The host throws on call throwAt.
struct Corner {
    int calls = 0;
    int gradientCalls = 0;
    int throwAt = 0;
    std::vector<std::vector<double>> designs;
    std::vector<std::vector<double>> responses;
};
Corner corner;

int cornerResponses(double* x, int, double* f, int)
{
    corner.designs.emplace_back(x, x + 2);
    if (++corner.calls == corner.throwAt) {
        throw std::runtime_error("host model crashed");
    }
    f[0] = (x[0] - 1.0) * (x[0] - 1.0) + (x[1] - 1.0) * (x[1] - 1.0);
    f[1] = x[0] + x[1] - 1.0;
    corner.responses.push_back({f[0], f[1]});
    return 0;
}

int cornerArray(double* x, double* f)
{
    return cornerResponses(x, 2, f, 2);
}

int cornerGradients(double* x, int, double** g, int)
{
    ++corner.gradientCalls;
    for (int i = 0; i < 2; ++i) {
        g[i][0] = 2.0 * (x[i] - 1.0);
        g[i][1] = 1.0;
    }
    return 0;
}

class HostFacing : public ::testing::Test {
protected:
    void SetUp() override { corner = Corner(); }

    // SQP through Zelkor with every user parameter at its default.
    int sqp(GradientCallback gradients, int reportLevel = 0)
    {
        std::vector<double*> bounds = {box[0], box[1]};
        return Zelkor(1, reportLevel, cornerResponses, 2, x.data(), bounds.data(), 2, f.data(), 0,
                      nullptr, 0, nullptr, gradients);
    }

    double box[2][2] = {{-1.0, 1.0}, {-1.0, 1.0}};
    std::vector<double> x = {-0.5, -0.5};
    std::vector<double> f = {0.0, 0.0};
};

// With the engine's own gradient mode 0 the run would stop at the start.
TEST_F(HostFacing, DefaultSqpSettingsMoveAndSolve)
{
    constexpr double kTolerance = 1e-3;
    const std::vector<double> start = x;
    const struct {
        GradientCallback gradients;
        const char* line;
    } cases[] = {
        {nullptr, "  SQP gradient mode 0 taken as 1: forward differences (no gradient callback)\n"},
        {cornerGradients, "  SQP gradient mode 0 taken as 3: gradients from the host's callback\n"},
    };
    for (const auto& c : cases) {
        corner = Corner();
        x = start;
        testing::internal::CaptureStdout();
        EXPECT_EQ(sqp(c.gradients, 1), 1);
        EXPECT_NE(testing::internal::GetCapturedStdout().find(c.line), std::string::npos);
        EXPECT_NEAR(x[0], 0.5, kTolerance);
        EXPECT_NEAR(x[1], 0.5, kTolerance);
        EXPECT_EQ(corner.gradientCalls > 0, c.gradients != nullptr);
    }
    const std::vector<std::vector<double>> bounds = {{-1.0, 1.0}, {-1.0, 1.0}};
    x = start;
    EXPECT_EQ(runSQP_Soil(cornerArray, x.data(), f.data(), &bounds, 2, 2, nullptr, nullptr), 1);
    EXPECT_NEAR(x[0], 0.5, kTolerance) << "runSQP_Soil takes forward differences";
}

TEST_F(HostFacing, StartOutsideTheBoundsIsRejectedByEveryOptimisingEntryPoint)
{
    const std::vector<std::vector<double>> unitBox = {{0.0, 1.0}, {0.0, 1.0}};
    double unit[2] = {0.0, 1.0};
    std::vector<double*> unitPointers = {unit, unit};
    const std::vector<double> outside = {5.0, -5.0};
    std::vector<double> fv = {0.0, 0.0};
    const std::vector<std::pair<const char*, std::function<int()>>> calls = {
        {"Zelkor", [&] { return Zelkor(0, 0, cornerResponses, 2, x.data(), unitPointers.data(), 2,
                                       f.data(), 0, nullptr, 0, nullptr, nullptr); }},
        {"runDIRECT", [&] { return runDIRECT(cornerArray, x.data(), f.data(), &unitBox, 2, 2,
                                             nullptr, nullptr); }},
        {"runSQP_Soil", [&] { return runSQP_Soil(cornerArray, x.data(), f.data(), &unitBox, 2, 2,
                                                 nullptr, nullptr); }},
        {"runGA_ptr", [&] { return runGA_ptr(cornerArray, x.data(), f.data(), &unitBox, 2, 2,
                                             nullptr, nullptr); }},
        {"runMicroGA_", [&] { return runMicroGA_(cornerArray, &x, &fv, &unitBox, nullptr, nullptr,
                                                 nullptr, nullptr); }},
    };
    for (const auto& [name, call] : calls) {
        x = outside;
        testing::internal::CaptureStderr();
        EXPECT_EQ(call(), 0) << name;
        EXPECT_EQ(testing::internal::GetCapturedStderr(),
                  std::string(name) + ": the start value of design variable 0 is 5, outside its "
                                      "bounds [0, 1]; nothing done\n");
        EXPECT_EQ(zelkorLastStatus(), ZELKOR_STATUS_INVALID_INPUT) << name;
    }
    EXPECT_EQ(corner.calls, 0);
}

// Every engine keeps its best so far with the host's responses there: the SQP
// its base point, DIRECT its best sample, the GA the best of its last ranked
// generation.
TEST_F(HostFacing, AThrowingCallbackLeavesTheBestDesignSoFar)
{
    corner.throwAt = 12;
    testing::internal::CaptureStderr();
    EXPECT_EQ(sqp(nullptr), 0);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "Zelkor: host model crashed\n");
    EXPECT_EQ(zelkorLastStatus(), ZELKOR_STATUS_HOST_EXCEPTION);
    EXPECT_STREQ(zelkorLastMessage(), "Zelkor: host model crashed");
    ASSERT_EQ(corner.designs.size(), 12u);
    EXPECT_NE(x, corner.designs.back());
    bool found = false;
    for (std::size_t k = 0; k + 1 < corner.designs.size(); ++k) {
        found = found || (corner.designs[k] == x && corner.responses[k] == f);
    }
    EXPECT_TRUE(found) << "x is an evaluated design and f its responses";
    EXPECT_LT(f[0], corner.responses[0][0]) << "the SQP has moved from its start";

    int gaInts[7] = {-999, -999, -999, -999, -999, 11, -999}; // population 11
    for (const auto& [method, ints] : {std::pair(0, (int*)nullptr), std::pair(2, gaInts)}) {
        corner = Corner();
        corner.throwAt = 30;
        testing::internal::CaptureStderr();
        std::vector<double*> bounds = {box[0], box[1]};
        Zelkor(method, 0, cornerResponses, 2, x.data(), bounds.data(), 2, f.data(), 0, ints, 0,
               nullptr, nullptr);
        testing::internal::GetCapturedStderr();
        std::size_t best = 0;
        for (std::size_t k = 0; k < corner.responses.size(); ++k) {
            best = corner.designs[k] == x && corner.responses[k] == f ? k + 1 : best;
        }
        ASSERT_GT(best, 0u) << "method " << method << ": x is an evaluated design, f its responses";
        EXPECT_NE(x, corner.designs.back()) << "method " << method;
    }
}

// Each status a C host can meet, and the result that comes with it.
TEST_F(HostFacing, EveryOutcomeSetsItsStatus)
{
    std::vector<double*> bounds = {box[0], box[1]};
    const auto zelkor = [&](int method, int* ints, int m, GradientCallback gradients) {
        x = {-0.5, -0.5};
        return Zelkor(method, 0, cornerResponses, 2, x.data(), bounds.data(), m, f.data(), 0, ints,
                      0, nullptr, gradients);
    };
    double above[2] = {0.9, 1.0}; // x0 + x1 <= 1 cannot hold
    std::vector<double*> tight = {above, above};
    int hostGradients[5] = {-999, -999, -999, 3, -999};
    int fewIterations[4] = {-999, 3, -999, -999};
    const int overLimit[4] = {0, 0, 2, 0}; // 2^14 points
    const struct {
        const char* what;
        std::function<int()> call;
        int result;
        int status;
        const char* message;
    } cases[] = {
        {"solved", [&] { return zelkor(1, nullptr, 2, nullptr); }, 1, ZELKOR_STATUS_OK, ""},
        {"infeasible", [&] { x = {0.95, 0.95};
                             return Zelkor(0, 0, cornerResponses, 2, x.data(), tight.data(), 2,
                                           f.data(), 0, fewIterations, 0, nullptr, nullptr); },
         0, ZELKOR_STATUS_INFEASIBLE, "Zelkor: the final design violates a constraint"},
        {"bad input", [&] { return zelkor(1, nullptr, 0, nullptr); }, 0,
         ZELKOR_STATUS_INVALID_INPUT,
         "Zelkor: m = 0: at least the objective response is needed; nothing done"},
        {"no gradient callback", [&] { return zelkor(1, hostGradients, 2, nullptr); }, 1,
         ZELKOR_STATUS_ENGINE_ERROR,
         "Zelkor: the engine asked for gradients but no gradient callback was given"},
        {"host throws", [&] { corner.throwAt = corner.calls + 1; return zelkor(1, nullptr, 2, nullptr); },
         0, ZELKOR_STATUS_HOST_EXCEPTION, "Zelkor: host model crashed"},
        {"budget", [&] { return zelkor(0, fewIterations, 1, nullptr); }, 1,
         ZELKOR_STATUS_BUDGET_REACHED, "Zelkor: the engine stopped on its iteration or evaluation limit"},
        {"point limit, C form", [&] { return get_nexpC(overLimit, 14); }, -2,
         ZELKOR_STATUS_INVALID_INPUT, "get_nexpC: THE NUMBER OF EXPERIMENTAL POINT EXCEEDS IT'S LIMIT."},
    };
    for (const auto& c : cases) {
        testing::internal::CaptureStderr();
        testing::internal::CaptureStdout();
        const int result = c.call();
        testing::internal::GetCapturedStdout();
        testing::internal::GetCapturedStderr();
        EXPECT_EQ(result, c.result) << c.what;
        EXPECT_EQ(zelkorLastStatus(), c.status) << c.what;
        EXPECT_STREQ(zelkorLastMessage(), c.message) << c.what;
    }
    EXPECT_THROW(get_nexp(overLimit, 14), std::string) << "the C++ form still throws";
}

TEST_F(EntryPoints, RunDirectDrivesTheEngineSilently)
{
    const std::vector<std::vector<double>> bounds = {{-1.0, 1.0}, {-1.0, 1.0}};
    testing::internal::CaptureStdout();
    EXPECT_EQ(runDIRECT(bowlArray, x.data(), f.data(), &bounds, 2, 2, nullptr, nullptr), 1);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
    EXPECT_EQ(record.designs[0], (std::vector<double>{0.9, 0.9}));
    EXPECT_NEAR(x[0], 0.3, 0.02);
    EXPECT_NE(record.designs.back(), x) << "the best design is not the last one evaluated";
    const std::vector<double> returned = f;
    bowl(x.data(), 2, f.data(), 2);
    EXPECT_EQ(returned, f) << "f holds the responses of the design returned in x";

    testing::internal::CaptureStderr();
    EXPECT_EQ(runDIRECT(bowlArray, x.data(), f.data(), nullptr, 2, 2, nullptr, nullptr), 0);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "runDIRECT: bounds is null; nothing done\n");
    const std::vector<std::vector<double>> tooFew = {{-1.0, 1.0}};
    testing::internal::CaptureStderr();
    EXPECT_EQ(runDIRECT(bowlArray, x.data(), f.data(), &tooFew, 2, 2, nullptr, nullptr), 0);
    EXPECT_NE(testing::internal::GetCapturedStderr().find("1 bound lists for 2"), std::string::npos);
}

// A run at report level 13 prints the report at level 3 and leaves the result
// file in the current directory.
TEST_F(EntryPoints, DirectReportHasNoConstraintSections)
{
    char pattern[] = "/tmp/zelkor-entry-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    char previous[4096];
    ASSERT_NE(getcwd(previous, sizeof previous), nullptr);
    ASSERT_EQ(chdir(pattern), 0);

    testing::internal::CaptureStdout();
    zelkor(0, {-999, 2, -999, -999}, 2, 13);
    const std::string printed = testing::internal::GetCapturedStdout();
    std::ifstream file(std::string(pattern) + "/QUORAL_result/OPT_RESULT.txt");
    std::stringstream text;
    text << file.rdbuf();

    EXPECT_EQ(chdir(previous), 0);
    std::system(("rm -rf " + std::string(pattern)).c_str());

    EXPECT_NE(printed.find("  OPTIMIZATION METHOD                 :   DIRECT\n"), std::string::npos);
    EXPECT_NE(printed.find("\nINITIAL CONDITION\n"), std::string::npos);
    EXPECT_NE(printed.find("  ITER:   1 \n"), std::string::npos);
    EXPECT_NE(printed.find("YOUR JOB IS SUCCESSFULLY COMPLETED"), std::string::npos);
    EXPECT_EQ(printed.find("CONSTRAINTS"), std::string::npos);
    EXPECT_NE(text.str().find("O B J E C T I V E S"), std::string::npos);
    EXPECT_EQ(text.str().find("C O N S T R A I N T S"), std::string::npos);
}

} // namespace
