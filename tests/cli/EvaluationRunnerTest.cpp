// The runner decides what the method is told about each analysis: a wrong
// status would hand it a value that is no response, or lose a good one.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <chrono>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <thread>

#include "cli/EvaluationRunner.h"

namespace {

namespace fs = std::filesystem;
using Opt::Cli::Evaluation;
using Opt::Cli::EvaluationRunner;
using Opt::Cli::Study;

// Killed, a process may linger as a zombie until whoever inherited it reaps it.
bool isRunningNow(int pid)
{
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string text;
    std::getline(stat, text);
    const auto close = text.rfind(')');
    return close != std::string::npos && close + 2 < text.size() && text[close + 2] != 'Z';
}

// SIGKILL is delivered after kill() returns: allow the process a moment to die.
bool isRunning(int pid)
{
    for (int attempt = 0; attempt < 200 && isRunningNow(pid); ++attempt) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return isRunningNow(pid);
}

class EvaluationRunnerTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        folder_ = fs::temp_directory_path() / ("zelkor_runner_test_" + std::to_string(getpid()));
        fs::remove_all(folder_);
        fs::create_directories(folder_);
        study_.folder = folder_.string();
        study_.variables.resize(1);
        study_.variables[0].name = "x";
        study_.responses.resize(2);
        study_.responses[0].name = "f";
        study_.responses[1].name = "g";
        study_.analysis.workDirectory = "runs/{index}";
        study_.analysis.parametersFile = "params.txt";
        study_.analysis.resultsFile = "results.txt";
    }
    void TearDown() override { fs::remove_all(folder_); }

    // Runs one analysis (index 0, x = 2) with this shell command.
    Evaluation runOnce(const std::string& command, double timeLimit = 0.0)
    {
        study_.analysis.command = command;
        study_.analysis.timeLimitSeconds = timeLimit;
        EvaluationRunner runner(study_, 2, [](const Evaluation&, int) {});
        Evaluation pending;
        pending.index = 0;
        pending.design = {2.0};
        return runner.run({pending}).at(0);
    }

    fs::path folder_;
    Study study_;
};

TEST_F(EvaluationRunnerTest, ResultsAreReadAndEveryFailureGetsItsStatus)
{
    const Evaluation ok = runOnce("awk -F' = ' '{print \"f = \" $2 * 3; print \"g = -1\"}' params.txt > results.txt");
    ASSERT_TRUE(ok.succeeded()) << ok.detail;
    EXPECT_EQ(ok.values[0], 6.0);
    EXPECT_EQ(ok.values[1], -1.0);

    const Evaluation exited = runOnce("echo 'no licence' >&2; exit 3");
    EXPECT_EQ(exited.status, "exit");
    EXPECT_EQ(exited.detail, "exit status 3: no licence");
    EXPECT_EQ(runOnce("printf 'f = 1\\n' > results.txt").status, "missing");
    EXPECT_EQ(runOnce("printf 'f = 1\\ng = nan\\n' > results.txt").status, "not-finite");
    EXPECT_EQ(runOnce("printf 'f = 1\\ng = 2 3\\n' > results.txt").status, "bad-results");
    EXPECT_EQ(runOnce("kill -KILL $$").status, "signal");
    // The results of the run before, in the same folder, are not taken for these.
    EXPECT_EQ(runOnce("true").status, "no-results");
    for (const Evaluation& evaluation : {exited, runOnce("true")}) {
        EXPECT_TRUE(std::isnan(evaluation.values[0]) && std::isnan(evaluation.values[1]));
    }
}

TEST_F(EvaluationRunnerTest, ATimeOutKillsTheAnalysisWithEverythingItStarted)
{
    const std::string pidFile = (folder_ / "grandchild.pid").string();
    const Evaluation timedOut =
        runOnce("sleep 30 & echo $! > " + pidFile + "; wait", 0.3);
    EXPECT_EQ(timedOut.status, "timeout");
    int grandchild = 0;
    std::ifstream(pidFile) >> grandchild;
    ASSERT_GT(grandchild, 0);
    EXPECT_FALSE(isRunning(grandchild)) << "the analysis' own child outlived the time-out";
}

// A descriptor left open in an analysis (and in what it leaves running) keeps,
// for instance, the reader of a pipe zelkor writes to waiting after zelkor ended.
TEST_F(EvaluationRunnerTest, AnAnalysisInheritsNoDescriptorAbove2)
{
    // Not close-on-exec, like a stream the library or a caller opened.
    const int inheritable = fcntl(STDERR_FILENO, F_DUPFD, 57);
    ASSERT_GE(inheritable, 57);
    const Evaluation evaluation =
        runOnce("[ ! -e /proc/$$/fd/" + std::to_string(inheritable) +
                " ] && printf 'f = 1\\ng = 1\\n' > results.txt");
    close(inheritable);
    EXPECT_TRUE(evaluation.succeeded()) << evaluation.detail;
}

TEST_F(EvaluationRunnerTest, AStudyFolderWithASpaceAndAQuoteInItsNameRunsItsScript)
{
    const fs::path folder = folder_ / "Dave's study";
    fs::create_directories(folder);
    study_.folder = folder.string();
    std::ofstream(folder / "analysis.sh")
        << "[ \"$1\" = \"$ZELKOR_DIR\" ] && [ -f \"$ZELKOR_STUDY/analysis.sh\" ] &&\n"
           "printf 'f = 1\\ng = 2\\n' > results.txt\n";
    const Evaluation evaluation = runOnce("sh {study}/analysis.sh {dir}");
    EXPECT_TRUE(evaluation.succeeded()) << evaluation.detail;
}

// As when zelkor runs inside another run's analysis: one ZELKOR_EVALUATION, ours.
TEST_F(EvaluationRunnerTest, TheAnalysisEnvironmentHoldsEachOfOurVariablesOnce)
{
    setenv("ZELKOR_EVALUATION", "99", 1);
    const Evaluation evaluation =
        runOnce("[ \"$(tr '\\0' '\\n' < /proc/$$/environ | grep '^ZELKOR_EVALUATION=')\" = ZELKOR_EVALUATION=0 ] &&"
                " printf 'f = 1\\ng = 1\\n' > results.txt");
    unsetenv("ZELKOR_EVALUATION");
    EXPECT_TRUE(evaluation.succeeded()) << evaluation.detail;
}

TEST_F(EvaluationRunnerTest, AWorkingDirectoryThatCannotBeMadeIsAFailureNotACrash)
{
    std::ofstream(folder_ / "runs") << "a file where the folder should be";
    const Evaluation notStarted = runOnce("true");
    EXPECT_EQ(notStarted.status, "not-started");
    EXPECT_FALSE(notStarted.detail.empty());
}

}  // namespace
