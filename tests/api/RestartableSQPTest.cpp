// runSQP_CFD: a run split into one call per evaluation, with the state only in
// the caller's block, must hand out exactly the designs of an unbroken run.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "api/zelkor.h"
#include "tests/gradient/HockSchittkowskiProblems.h"

namespace Opt {
namespace {

const Reference::HockSchittkowskiProblem* current = nullptr;
std::vector<std::vector<double>> unbrokenDesigns;

int respond(double* x, int n, double* f, int)
{
    unbrokenDesigns.emplace_back(x, x + n);
    current->responses(x, f);
    return 0;
}

struct RunResult {
    std::vector<std::vector<double>> designs;
    std::vector<double> x, f;
    int result = 0;
    int status = 0;
};

// Zelkor method 1 with forward differences and the given iteration limit.
RunResult unbroken(const Reference::HockSchittkowskiProblem& problem, int iterations)
{
    current = &problem;
    unbrokenDesigns.clear();
    RunResult run{{}, problem.start, std::vector<double>(problem.nResponses), 0, 0};
    std::vector<std::vector<double>> boxes;
    std::vector<double*> bounds;
    for (int i = 0; i < problem.nVariables(); ++i) {
        boxes.push_back({problem.lower[i], problem.upper[i]});
    }
    for (auto& box : boxes) {
        bounds.push_back(box.data());
    }
    int ints[5] = {iterations, -999, -999, 1, -999};
    run.result = Zelkor(1, 0, respond, problem.nVariables(), run.x.data(), bounds.data(),
                        problem.nResponses, run.f.data(), 0, ints, 0, nullptr, nullptr);
    run.status = zelkorLastStatus();
    run.designs = unbrokenDesigns;
    return run;
}

// The same engine settings, one runSQP_CFD call per evaluation; the block is
// copied into fresh storage before every call.
RunResult split(const Reference::HockSchittkowskiProblem& problem, int iterations)
{
    RunResult run{{}, problem.start, std::vector<double>(problem.nResponses), 0, 0};
    std::vector<std::vector<double>> bounds;
    for (int i = 0; i < problem.nVariables(); ++i) {
        bounds.push_back({problem.lower[i], problem.upper[i]});
    }
    std::vector<int> ints(12, -999);
    ints[3] = iterations;
    ints[5] = 1;
    std::vector<double> kept(zelkorSQPStateSize(problem.nVariables(), problem.nResponses), 0.0);
    int code = 1;
    for (int call = 0; call < 5000 && code == 1; ++call) {
        std::vector<double> block = kept;
        code = runSQP_CFD(&run.x, &run.f, &bounds, &block, nullptr, ints.data());
        kept = block;
        if (code == 1) {
            run.designs.push_back(run.x);
            problem.responses(run.x.data(), run.f.data());
        }
    }
    run.result = code;
    run.status = zelkorLastStatus();
    return run;
}

struct SplitCase {
    const char* problem;
    int iterations; // 3 stops on the limit, so the run's budget record travels too
};

class RestartableSQP : public ::testing::TestWithParam<SplitCase> {};

TEST_P(RestartableSQP, SplitRunMatchesUnbrokenRunBitForBit)
{
    const auto& table = Reference::hockSchittkowskiProblems();
    const auto* problem = &table.front();
    for (const auto& candidate : table) {
        if (candidate.name == GetParam().problem) {
            problem = &candidate;
        }
    }
    const RunResult expected = unbroken(*problem, GetParam().iterations);
    const RunResult actual = split(*problem, GetParam().iterations);
    EXPECT_EQ(actual.result, 0);
    EXPECT_EQ(actual.designs, expected.designs);
    EXPECT_EQ(actual.x, expected.x);
    EXPECT_EQ(actual.f, expected.f);
    EXPECT_EQ(actual.status, expected.status);
}

INSTANTIATE_TEST_SUITE_P(HockSchittkowski, RestartableSQP,
                         ::testing::Values(SplitCase{"HS35", -999}, SplitCase{"HS43", -999},
                                           SplitCase{"HS76", -999}, SplitCase{"HS43", 3}));

struct BadBlock {
    const char* what;
    int sizeChange;         // added to the right size
    double tag, n, stage;   // header written before the call (tag 0: a new block)
    int gradientMode;
    const char* message;
};

TEST(RestartableSQPInput, BadBlocksAreRefusedWithAClearMessage)
{
    const BadBlock cases[] = {
        {"short block", -1, 0, 2, 0, 1, "runSQP_CFD: the state block holds"},
        {"foreign block", 0, 7, 2, 0, 1, "does not start with the tag 1401"},
        {"other problem", 0, 1401, 3, 2, 1, "written for n = 3, m = 2, not for n = 2, m = 2"},
        {"ended run", 0, 1401, 2, 3, 1, "has ended; zero the block"},
        {"host gradients", 0, 0, 2, 0, 3, "ints[5] = 3 asks the host for gradients"},
    };
    for (const BadBlock& bad : cases) {
        std::vector<double> x = {0.5, 0.5}, f(2);
        const std::vector<std::vector<double>> bounds = {{0, 1}, {0, 1}};
        std::vector<double> block(zelkorSQPStateSize(2, 2) + bad.sizeChange, 0.0);
        block[0] = bad.tag;
        block[1] = bad.n;
        block[2] = 2;
        block[3] = bad.stage;
        std::vector<int> ints(12, -999);
        ints[5] = bad.gradientMode;
        EXPECT_EQ(runSQP_CFD(&x, &f, &bounds, &block, nullptr, ints.data()), -1) << bad.what;
        EXPECT_EQ(zelkorLastStatus(), ZELKOR_STATUS_INVALID_INPUT) << bad.what;
        EXPECT_NE(std::strstr(zelkorLastMessage(), bad.message), nullptr)
            << bad.what << ": " << zelkorLastMessage();
    }
}

} // namespace
} // namespace Opt
