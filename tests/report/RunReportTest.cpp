// The run report byte for byte: one small SQP-like run (two variables, an
// objective and one constraint, two iterations) reported at every level that
// changes the output, and the result file it leaves.
#include "report/RunReport.h"

#include <cstdlib> // mkdtemp
#include <filesystem>
#include <fstream>
#include <iterator>
#include <regex>
#include <string>

#include <gtest/gtest.h>

#include "api/zelkor.h"

namespace Opt {
namespace {

const std::string kStars(74, '*');

std::string banner()
{
    return kStars + "\n" +
           "*                                                                        *\n"
           "*       =========================================================        *\n"
           "*       #######   #######   #         #    #     #####    ######         *\n"
           "*            #    #         #         #   #     #     #   #     #        *\n"
           "*           #     #         #         #  #      #     #   #     #        *\n"
           "*          #      #####     #         ###       #     #   ######         *\n"
           "*         #       #         #         #  #      #     #   #   #          *\n"
           "*        #        #         #         #   #     #     #   #    #         *\n"
           "*       #######   #######   #######   #    #     #####    #     #        *\n"
           "*       =========================================================        *\n"
           "*                                                                        *\n"
           "*              TARNWEX DESIGN OPTIMIZATION TOOL (2.0.0)                  *\n" +
           kStars + "\n\n";
}

std::string problemInformation()
{
    return "INPUT PARAMTERS\n"
           "  OPTIMIZATION METHOD                 :      SQP\n"
           "  NUMBER OF DESIGN VARIABLES          :        2\n"
           "  NUMBER OF OBJECTIVE                 :        1\n"
           "  NUMBER OF CONSTRIANTS               :        1\n"
           "  GRADIENT CALCULATION METHOD         :      FDM\n"
           "  THE OBJECTIVE FUCTION WILL BE MINIMIZED\n";
}

std::string initialBlock()
{
    return "\nINITIAL CONDITION\n"
           "  OBJECTIVE\n"
           "    PID :   0, CUR:  4.00E+00\n"
           "  CONSTRAINTS\n"
           "    PID :   1, CUR:  5.00E-01 (VIOL.:  5.00E+01%)\n"
           "  DESIGN VARIABLES\n"
           "    DVID:   0, LOW:  0.00E+00, CUR:  2.00E+00, UPP:  1.00E+01 \n"
           "    DVID:   1, LOW: -1.00E+00, CUR:  5.00E-01, UPP:  1.00E+00 \n";
}

std::string iterationResponses(int iteration)
{
    if (iteration == 1) {
        return "\nHISTORY OF OPTIMIZATION\n  ITER:   1 \n"
               "    OBJECTIVE\n"
               "      PID :   0, CUR:  3.00E+00( -2.50E+01%)\n"
               "    CONSTRAINTS\n"
               "      PID :   1, CUR: -2.50E-01\n";
    }
    return "\n  ITER:   2 \n"
           "    OBJECTIVE\n"
           "      PID :   0, CUR:  2.00E+00( -5.00E+01%)\n"
           "    CONSTRAINTS\n"
           "      PID :   1, CUR:  0.00E+00\n";
}

std::string iterationDesign(int iteration)
{
    if (iteration == 1) {
        return "    DESIGN VARIABLES\n"
               "      DVID:   0, LOW:  0.00E+00, CUR:  3.00E+00, UPP:  1.00E+01 \n"
               "      DVID:   1, LOW: -1.00E+00, CUR:  2.50E-01, UPP:  1.00E+00 \n";
    }
    return "    DESIGN VARIABLES\n"
           "      DVID:   0, LOW:  0.00E+00, CUR:  2.50E+00, UPP:  1.00E+01 \n"
           "      DVID:   1, LOW: -1.00E+00, CUR: -5.00E-01, UPP:  1.00E+00 \n";
}

const std::string kCompleted = "\nOPTIMIZATION IS COMPLETED\n";

std::string resultsBlock()
{
    return "\nOPTIMIZATION RESULTS\n"
           "  OBJECTIVE\n"
           "    PID :   0, CUR:  2.00E+00\n"
           "  CONSTRAINTS\n"
           "    PID :   1, CUR:  0.00E+00\n"
           "  DESIGN VARIABLES\n"
           "    DVID:   0, LOW:  0.00E+00, CUR:  2.50E+00, UPP:  1.00E+01 \n"
           "    DVID:   1, LOW: -1.00E+00, CUR: -5.00E-01, UPP:  1.00E+00 \n";
}

std::string closingLines()
{
    return "\n" + kStars +
           "\nYOUR JOB IS SUCCESSFULLY COMPLETED.......\nTOTAL SOLUTION TIME: 1.5000E+00 "
           "SECONDS.\n" +
           kStars + "\n";
}

// Runs the report through the whole scenario and returns what it printed.
std::string runScenario(RunReport& report, int reportLevel)
{
    testing::internal::CaptureStdout();
    report.setLevel(reportLevel);
    report.writeHeader(0, 2, 1, 1, 1, 1);

    std::vector<DesignVariable> variables = {DesignVariable({0.0, 10.0}, 2.0),
                                             DesignVariable({-1.0, 1.0}, 0.5)};
    variables[0].value = 0.2; // normalised, as the engine holds them
    variables[1].value = 0.75;
    std::vector<ResponseRow> rows(2);
    rows[0].value = 4.0;
    rows[0].scale = 1.0;
    rows[1].value = 0.5;
    report.writeState(variables, rows, false, true);

    report.writeIteration({{0.0, 3.0, 10.0}, {-1.0, 0.25, 1.0}}, {{3.0, 1.0}, {-0.25, 0.0}}, 1);
    report.writeIteration({{0.0, 2.5, 10.0}, {-1.0, -0.5, 1.0}}, {{2.0, 1.0}, {0.0, 0.0}}, 2);

    variables[0].value = 0.25;
    variables[1].value = 0.25;
    rows[0].value = 2.0;
    rows[1].value = 0.0;
    report.writeState(variables, rows, true, true);
    report.writeCompletion(1.5);
    return testing::internal::GetCapturedStdout();
}

// Each level adds blocks to the one below; from 10 on the history is kept and
// the output is that of the level ten below. Level 10 measures the changes
// against zero: 100 times the objective.
TEST(RunReport, EveryLevelPrintsItsBlocksByteForByte)
{
    const std::string header = banner() + problemInformation();
    const std::string responses = iterationResponses(1) + iterationResponses(2);
    const std::string designs = iterationResponses(1) + iterationDesign(1) + iterationResponses(2) +
                                iterationDesign(2);
    const std::string tail = kCompleted + resultsBlock() + closingLines();
    const std::pair<int, std::string> levels[] = {
        {0, ""},
        {1, header + kCompleted + closingLines()},
        {2, header + initialBlock() + tail},
        {3, header + initialBlock() + responses + tail},
        {4, header + initialBlock() + designs + tail},
        {10, ""},
        {13, header + initialBlock() + responses + tail},
    };
    for (const auto& [level, expected] : levels) {
        RunReport report;
        EXPECT_EQ(runScenario(report, level), expected) << "level " << level;
        EXPECT_EQ(report.keepHistory, level >= 10) << "level " << level;
        const std::size_t kept = level >= 10 ? 4u : 0u;
        EXPECT_EQ(report.objectiveHistory.size(), kept) << "level " << level;
        EXPECT_EQ(report.constraintHistory.size(), kept) << "level " << level;
        EXPECT_EQ(report.designHistory.size(), kept) << "level " << level;
        if (level == 10 && kept == report.objectiveHistory.size()) {
            EXPECT_EQ(report.referenceObjective, 0.0);
            EXPECT_DOUBLE_EQ(report.objectiveHistory[1][2], 300.0);
            EXPECT_DOUBLE_EQ(report.objectiveHistory[2][2], 200.0);
        }
    }
}

int bowl(double* x, int, double* f, int)
{
    f[0] = (x[0] - 0.3) * (x[0] - 0.3) + (x[1] + 0.2) * (x[1] + 0.2);
    f[1] = x[0] + x[1] - 1.0;
    return 0;
}

// A whole SQP run through Zelkor prints the report and nothing else: the
// engine's messages (" FEASIBLE OPTIMUM " ...) stay in the engine. Only the
// solution time is masked.
TEST(RunReport, EngineRunPrintsTheWholeReportAndNothingElse)
{
    double boxes[2][2] = {{-1.0, 1.0}, {-1.0, 1.0}};
    double* bounds[2] = {boxes[0], boxes[1]};
    double x[2] = {0.9, 0.9};
    double f[2] = {0.0, 0.0};
    int ints[5] = {-999, -999, -999, 1, -999};
    testing::internal::CaptureStdout();
    ASSERT_EQ(Zelkor(1, 2, bowl, 2, x, bounds, 2, f, 0, ints, 0, nullptr, nullptr), 1);
    const std::string printed = std::regex_replace(
        testing::internal::GetCapturedStdout(), std::regex("TIME: [0-9.E+-]+"), "TIME: 1.5000E+00");
    const std::string initial = "\nINITIAL CONDITION\n"
                                "  OBJECTIVE\n"
                                "    PID :   0, CUR:  1.57E+00\n"
                                "  CONSTRAINTS\n"
                                "    PID :   1, CUR:  8.00E-01 (VIOL.:  8.00E+01%)\n"
                                "  DESIGN VARIABLES\n"
                                "    DVID:   0, LOW: -1.00E+00, CUR:  9.00E-01, UPP:  1.00E+00 \n"
                                "    DVID:   1, LOW: -1.00E+00, CUR:  9.00E-01, UPP:  1.00E+00 \n";
    const std::string results = "\nOPTIMIZATION RESULTS\n"
                                "  OBJECTIVE\n"
                                "    PID :   0, CUR:  2.00E-10\n"
                                "  CONSTRAINTS\n"
                                "    PID :   1, CUR: -9.00E-01\n"
                                "  DESIGN VARIABLES\n"
                                "    DVID:   0, LOW: -1.00E+00, CUR:  3.00E-01, UPP:  1.00E+00 \n"
                                "    DVID:   1, LOW: -1.00E+00, CUR: -2.00E-01, UPP:  1.00E+00 \n";
    EXPECT_EQ(printed,
              banner() + problemInformation() + initial + kCompleted + results + closingLines());
}

// An unconstrained problem has no constraint section and records no constraint
// history. (DIRECT runs, whatever their responses, have none either: checked
// through Zelkor with the result file.)
TEST(RunReport, UnconstrainedProblemsHaveNoConstraintSection)
{
    RunReport report;
    report.setLevel(13);
    testing::internal::CaptureStdout();
    report.writeIteration({}, RunReport::responsePairs(std::vector<ResponseRow>(1)), 3);
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "\n  ITER:   3 \n    OBJECTIVE\n      PID :   0, CUR:  0.00E+00(  0.00E+00%)\n");
    EXPECT_TRUE(report.constraintHistory.empty());
}

// Runs a test body inside a fresh scratch directory so that the result folder is
// created there.
class ResultFile : public ::testing::Test {
protected:
    void SetUp() override
    {
        char pattern[] = "/tmp/zelkor-report-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        scratch = pattern;
        previous = std::filesystem::current_path();
        std::filesystem::current_path(scratch);
    }
    void TearDown() override
    {
        std::filesystem::current_path(previous);
        std::filesystem::remove_all(scratch);
    }

    std::string resultFile() const
    {
        std::ifstream file(scratch / "QUORAL_result" / "OPT_RESULT.txt");
        return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
    }

    std::filesystem::path scratch;
    std::filesystem::path previous;
};

TEST_F(ResultFile, HoldsEveryRecordedBlock)
{
    RunReport report;
    runScenario(report, 13);
    ASSERT_TRUE(report.writeResultFile());
    const std::string expected =
        banner() +
        "OPTIMIZATION PROBLEM INFO\n"
        "  OPTIMIZATION METHOD                 : SQP\n"
        "  NUMBER OF DESIGN VARIABLES          : 2\n"
        "  NUMBER OF OBJECTIVE                 : 1\n"
        "  NUMBER OF CONSTRIANTS               : 1\n"
        "  GRADIENT CALCULATION METHOD         : FDM\n"
        "  THE OBJECTIVE FUCTION WILL BE MINIMIZED\n"
        "\n              O B J E C T I V E S\n\n"
        "     ITER.     PERFM      CURRENT         CHANGE(%)\n"
        "                ID       RESPONSE                   0          0     4.000000E+00 \n"
        "       1          0     3.000000E+00   -2.500000E+01 \n"
        "       2          0     2.000000E+00   -5.000000E+01 \n"
        "       3          0     2.000000E+00    0.000000E+00 \n"
        "\n              C O N S T R A I N T S\n\n"
        "     ITER.     PERFM        CURRENT          UPPER       VIOLATION(%)\n"
        "                ID         RESPONSE          LIMIT"
        "       0          1       5.000000E-01        0.00          50.00 \n"
        "       1          1      -2.500000E-01        0.00           0.00 \n"
        "       2          1       0.000000E+00        0.00           0.00 \n"
        "       3          1       0.000000E+00        0.00           0.00 \n"
        "\n              D E S I G N   V A R I A B L E S\n\n"
        "     ITER.     DVAR        LOWER       CURRENT        UPPER\n"
        "                ID         LIMIT        DESIGN        LIMIT"
        "       0          0         0.00     2.000000E+00     10.00 \n"
        "                  1        -1.00     5.000000E-01      1.00 \n"
        "       1          0         0.00     3.000000E+00     10.00 \n"
        "                  1        -1.00     2.500000E-01      1.00 \n"
        "       2          0         0.00     2.500000E+00     10.00 \n"
        "                  1        -1.00    -5.000000E-01      1.00 \n"
        "       3          0         0.00     2.500000E+00     10.00 \n"
        "                  1        -1.00    -5.000000E-01      1.00 \n"
        "\n" +
        kStars +
        "\n"
        "YOUR JOB IS SUCCESSFULLY COMPLETED.......\n"
        "TOTAL SOLUTION TIME: 1.5 SECONDS.\n" +
        kStars + "\n";
    EXPECT_EQ(resultFile(), expected);
}

TEST_F(ResultFile, IsWrittenOnlyWhenTheHistoryIsKeptAndReplacesAnEarlierFile)
{
    RunReport quiet;
    runScenario(quiet, 3);
    EXPECT_FALSE(quiet.writeResultFile());
    EXPECT_FALSE(std::filesystem::exists(scratch / "QUORAL_result"));

    RunReport first;
    runScenario(first, 10);
    first.writeCompletion(99.0);
    ASSERT_TRUE(first.writeResultFile());
    RunReport second;
    runScenario(second, 10);
    ASSERT_TRUE(second.writeResultFile()) << "an existing folder is accepted";
    const std::string text = resultFile();
    EXPECT_EQ(text.find("99 SECONDS"), std::string::npos);
}

TEST_F(ResultFile, UnwritableFolderIsIgnored)
{
    std::ofstream("QUORAL_result") << "a file where the folder should be";
    RunReport report;
    runScenario(report, 10);
    EXPECT_FALSE(report.writeResultFile());
}

} // namespace
} // namespace Opt
