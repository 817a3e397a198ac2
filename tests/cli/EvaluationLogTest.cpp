// The log is what --resume trusts: a design read back must be bit-identical to
// the one written, or a resumed run would run the analysis again (or answer a
// different design).
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <limits>

#include "cli/EvaluationLog.h"

namespace {

using Opt::Cli::Evaluation;
using Opt::Cli::EvaluationLog;
using Opt::Cli::Study;

Study twoByTwoStudy()
{
    Study study;
    study.variables.resize(2);
    study.variables[0].name = "width";
    study.variables[1].name = "height";
    study.responses.resize(2);
    study.responses[0].name = "mass";
    study.responses[1].name = "stress";
    return study;
}

bool sameBits(double a, double b) { return std::memcmp(&a, &b, sizeof a) == 0; }

TEST(EvaluationLog, RowsReadBackBitIdentical)
{
    const Study study = twoByTwoStudy();
    Evaluation written;
    written.index = 17;
    written.design = {0.1 + 0.2, 4.9406564584124654e-324};
    written.values = {-0.0, std::numeric_limits<double>::quiet_NaN()};
    written.status = "exit";
    written.detail = "exit status 1: \"quoted\", with a comma";
    written.where = "job 42";
    const Evaluation read = EvaluationLog::parseRow(EvaluationLog::row(written), study);
    EXPECT_EQ(read.index, 17);
    EXPECT_TRUE(sameBits(read.design[0], written.design[0]));
    EXPECT_TRUE(sameBits(read.design[1], written.design[1]));
    EXPECT_TRUE(sameBits(read.values[0], -0.0));
    EXPECT_TRUE(std::isnan(read.values[1]));
    EXPECT_EQ(read.status, "exit");
    EXPECT_EQ(read.detail, written.detail);
    EXPECT_EQ(read.where, "job 42");
}

TEST(EvaluationLog, LoadKeepsTheSeedDropsACutLastRowAndRefusesAnotherStudy)
{
    const Study study = twoByTwoStudy();
    const std::string path =
        (std::filesystem::temp_directory_path() / "zelkor_log_test.csv").string();
    Evaluation evaluation;
    evaluation.index = 0;
    evaluation.design = {1.0 / 3.0, 2.0};
    evaluation.values = {5.0, 6.0};
    {
        EvaluationLog log;
        log.create(path, study, 1234);
        log.append(evaluation);
    }
    std::ofstream(path, std::ios::app) << "1,0.5,0.2";  // killed mid-write
    const EvaluationLog::Contents contents = EvaluationLog::load(path, study);
    ASSERT_TRUE(contents.seed.has_value());
    EXPECT_EQ(*contents.seed, 1234);
    ASSERT_EQ(contents.evaluations.size(), 1u);
    EXPECT_TRUE(sameBits(contents.evaluations[0].design[0], 1.0 / 3.0));

    Study other = study;
    other.responses[1].name = "deflection";
    EXPECT_THROW(EvaluationLog::load(path, other), std::runtime_error);
    std::remove(path.c_str());
}

}  // namespace
