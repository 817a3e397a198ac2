// The study-file reader: a full study read into the library's terms, and each
// kind of malformed file reported at its line and key.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "cli/StudyFile.h"

namespace Opt {
namespace Cli {
namespace {

constexpr int kUnset = -999;

const char* const kFullStudy = ZELKOR_CLI_TEST_DATA "/beam-study.toml";

TEST(StudyFile, ReadsAFullStudyIntoTheLibrarysTerms)
{
    const Study study = readStudyFile(kFullStudy);
    ASSERT_EQ(study.variables.size(), 2u);
    EXPECT_DOUBLE_EQ(study.variables[0].start, 30.0);
    EXPECT_EQ(study.variables[1].lower, 2.0);
    EXPECT_EQ(study.variables[1].upper, 9.0);
    EXPECT_EQ(study.variables[1].start, 6.0) << "the level nearest mid-range (5.5)";
    EXPECT_EQ(study.boundLists()[1], (std::vector<double>{2, 2, 4, 6, 9, 9}));

    ASSERT_EQ(study.responses.size(), 2u);
    EXPECT_EQ(study.responses[0].role, Response::Role::Objective);
    EXPECT_TRUE(study.responses[0].maximise);
    EXPECT_EQ(study.libraryResponses({8.0, 300.0}), (std::vector<double>{-8.0, 0.2, -2.2}));

    const MethodCall& method = study.method;
    EXPECT_EQ(method.zelkorMethod, 1);
    EXPECT_EQ(method.ints[0], 40);
    EXPECT_EQ(method.ints[4], 6);
    EXPECT_EQ(method.ints[1], kUnset);
    EXPECT_EQ(method.reals[0], 1e-4);
    EXPECT_EQ(method.reals[3], 0.2);
    EXPECT_EQ(method.reals[2], kUnset);
    EXPECT_EQ(method.evaluationBudget, 0);

    EXPECT_EQ(study.analysis.workDirectory, "work/{index}");
    EXPECT_EQ(study.analysis.parametersFormat, FileFormat::Json) << "from the extension";
    EXPECT_EQ(study.analysis.resultsFormat, FileFormat::Json) << "from results_format";
    EXPECT_EQ(study.analysis.timeLimitSeconds, 90.0);
    EXPECT_EQ(study.jobs, 3);
    EXPECT_EQ(study.scheduler, SchedulerKind::Slurm);
    EXPECT_EQ(study.logFile, "log.csv");
    EXPECT_EQ(study.reportFile, "report.txt");
    EXPECT_EQ(study.reportLevel, 2);
    EXPECT_EQ(study.slurm.cpusPerTask, 2);
    EXPECT_EQ(study.slurm.extraArguments, std::vector<std::string>{"--qos=short"});
    EXPECT_TRUE(study.slurm.insideAllocation);
    EXPECT_EQ(study.folder, std::filesystem::path(ZELKOR_CLI_TEST_DATA).lexically_normal().string());
}

// A study of one continuous variable whose [method] table is `method`.
Study withMethod(const std::string& method)
{
    return parseStudy(R"(
[[variable]]
name = "x"
lower = 0
upper = 1
[[response]]
name = "f"
objective = "minimize"
[[response]]
name = "g"
lower = 1
upper = 2
[analysis]
command = "./run"
parameters_file = "in.txt"
results_file = "out.txt"
[method]
)" + method,
                      "study.toml");
}

TEST(StudyFile, TranslatesZelkorMethodSettingsToTheirPositions)
{
    const MethodCall direct = withMethod("name = 'direct'\nmaxfev = 20000\npenalty = 8").method;
    EXPECT_EQ(direct.zelkorMethod, 0);
    EXPECT_EQ(direct.ints[2], 20000);
    EXPECT_EQ(direct.reals[0], 8.0);
    EXPECT_EQ(direct.evaluationBudget, 10000) << "DIRECT's cap";

    const MethodCall hybrid =
        withMethod("name = 'hybridga'\npopulation = 31\nlocal_ftol = 0.01\nseed = 7").method;
    EXPECT_EQ(hybrid.zelkorMethod, 4);
    EXPECT_EQ(hybrid.ints[5], 31);
    EXPECT_EQ(hybrid.reals[0], 0.01);
    EXPECT_EQ(hybrid.seed, 7);

    const MethodCall sao = withMethod("name = 'sao'\nsurrogate = 'rbf'\nctol = 0.01").method;
    EXPECT_EQ(sao.ints[8], 3);
    EXPECT_EQ(sao.reals[4], 0.01);
    EXPECT_EQ(sao.evaluationBudget, 4000);
    EXPECT_FALSE(withMethod("name = 'ga'").method.seed.has_value());
}

TEST(StudyFile, TranslatesTheSurrogateStudy)
{
    const MethodCall study = withMethod(R"(name = "surrogate"
design = "orthogonal_array"
levels = 3
runs = 9
model = { g = "polynomial" }
model_option = 4
search = "direct"
search_evaluations = 500
model_file = "models/beam"
)")
                                 .method;
    EXPECT_EQ(study.designSettings, (std::vector<int>{4, 1, 3, 9}));
    // f, then g's upper and lower limit, both with g's model.
    EXPECT_EQ(study.modelSettings, (std::vector<int>{2, 4, 1, 4, 1, 4}));
    EXPECT_EQ(study.searchSettings, (std::vector<int>{0, 500, 1, 1}));
    EXPECT_EQ(study.modelFile, "models/beam");
    EXPECT_EQ(study.evaluationBudget, 10) << "nine runs and the verification";

    const MethodCall sample = withMethod("name = 'surrogate'\nsamples = 12").method;
    EXPECT_EQ(sample.designSettings, (std::vector<int>{2, 1, 0, 12}));
    EXPECT_EQ(sample.modelSettings, (std::vector<int>{2, -1, 2, -1, 2, -1}));
}

TEST(StudyFile, DescriptionShowsConstraintsAsTheLibrarySeesThem)
{
    const std::string text = describeStudy(readStudyFile(kFullStudy));
    EXPECT_NE(text.find("f = -stiffness"), std::string::npos) << text;
    EXPECT_NE(text.find("g1 = (stress - 250) / 250, g2 = (-250 - stress) / 250"),
              std::string::npos)
        << text;
}

const char* const kSmallStudy = R"([[variable]]
name = "x"
lower = 0
upper = 1

[[response]]
name = "f"
objective = "minimize"

[method]
name = "sqp"

[analysis]
command = "./run {dir}"
parameters_file = "in.txt"
results_file = "out.txt"
)";

struct Malformed {
    const char* fault;
    const char* from;  // replaced in kSmallStudy; "" appends `to`
    const char* to;
    const char* where; // "line:column: key"
};

const std::vector<Malformed> kMalformed = {
    {"syntax", "upper = 1", "upper = ", "4:9: TOML syntax"},
    {"misspelt key", "upper = 1", "uper = 1", "4:1: variable[0].uper"},
    {"wrong type", "lower = 0", "lower = \"0\"", "3:9: variable[0].lower"},
    {"not finite", "upper = 1", "upper = nan", "4:9: variable[0].upper"},
    {"empty range", "upper = 1", "upper = 0", "4:9: variable[0].upper"},
    {"start outside", "upper = 1", "upper = 1\nstart = 2", "5:9: variable[0].start"},
    {"levels descend", "lower = 0\nupper = 1", "levels = [1, 3, 2]", "3:10: variable[0].levels"},
    {"bounds and levels", "upper = 1", "levels = [1, 2]", "3:9: variable[0].lower"},
    {"start between levels", "lower = 0\nupper = 1", "levels = [1, 2]\nstart = 1.5",
     "4:9: variable[0].start"},
    {"a table for a list", "[[variable]]", "[variable]", "1:1: variable"},
    {"bad name", "name = \"x\"", "name = \"2x\"", "2:8: variable[0].name"},
    {"duplicate name", "name = \"f\"", "name = \"x\"", "7:8: response[0].name"},
    {"no objective", "objective = \"minimize\"", "upper = 3", "6:1: response"},
    {"no limit", "", "[[response]]\nname = \"g\"", "17:1: response[1]"},
    {"two objectives", "", "[[response]]\nname = \"g\"\nobjective = \"maximize\"",
     "19:13: response[1].objective"},
    {"empty limits", "", "[[response]]\nname = \"g\"\nlower = 2\nupper = 1", "19:9: response[1].lower"},
    {"objective with a limit", "objective = \"minimize\"", "objective = \"minimize\"\nupper = 1",
     "9:9: response[0].upper"},
    {"unknown goal", "\"minimize\"", "\"least\"", "8:13: response[0].objective"},
    {"unknown method", "name = \"sqp\"", "name = \"bfgs\"", "11:8: method.name"},
    {"setting of another method", "name = \"sqp\"", "name = \"sqp\"\nmaxfev = 10",
     "12:1: method.maxfev"},
    {"seed without randomness", "name = \"sqp\"", "name = \"sqp\"\nseed = 1", "12:1: method.seed"},
    {"negative tolerance", "name = \"sqp\"", "name = \"sqp\"\nftol = -1", "12:8: method.ftol"},
    {"discrete variables for sao", "lower = 0\nupper = 1\n\n[[response]]\nname = \"f\"\n"
     "objective = \"minimize\"\n\n[method]\nname = \"sqp\"", "levels = [0, 1]\n\n[[response]]\n"
     "name = \"f\"\nobjective = \"minimize\"\n\n[method]\nname = \"sao\"", "10:8: method.name"},
    {"orthogonal array not in the catalogue", "name = \"sqp\"",
     "name = \"surrogate\"\ndesign = \"orthogonal_array\"\nlevels = 2\nruns = 10",
     "14:8: method.runs"},
    {"local setting of the SQP", "name = \"sqp\"", "name = \"hybridga\"\nlocal_maxfev = 10",
     "12:1: method.local_maxfev"},
    {"parameter study of no variable", "name = \"sqp\"",
     "name = \"surrogate\"\ndesign = \"parameter_study\"\nvariable = \"y\"\npoints = 3",
     "13:12: method.variable"},
    {"unknown model type", "name = \"sqp\"", "name = \"surrogate\"\nmodel = \"spline\"",
     "12:9: method.model"},
    {"option of another design", "name = \"sqp\"", "name = \"surrogate\"\nsamples = 10\n"
     "design = \"full_factorial\"", "12:1: method.samples"},
    {"model of no response", "name = \"sqp\"", "name = \"surrogate\"\nmodel = { h = \"rbf\" }",
     "12:11: method.model.h"},
    {"missing key", "command = \"./run {dir}\"\n", "", "13:1: analysis.command"},
    {"missing table", "[method]\nname = \"sqp\"", "", "1:1: method"},
    {"misspelt placeholder", "{dir}", "{folder}", "14:11: analysis.command"},
    {"one file for both", "out.txt", "in.txt", "16:16: analysis.results_file"},
    {"shared work directory", "", "work_directory = \"runs\"", "17:18: analysis.work_directory"},
    {"folder named by itself", "", "work_directory = \"{dir}/{index}\"",
     "17:18: analysis.work_directory"},
    {"no time", "", "time_limit = 0", "17:14: analysis.time_limit"},
    {"endless time", "", "time_limit = 1e300", "17:14: analysis.time_limit"},
    {"no jobs", "", "[run]\njobs = 0", "18:8: run.jobs"},
    {"unknown scheduler", "", "[run]\nscheduler = \"pbs\"", "18:13: run.scheduler"},
    {"Slurm memory", "", "[slurm]\nmemory = \"4 GB\"", "18:10: slurm.memory"},
    {"Slurm time", "", "[slurm]\ntime = \"ten minutes\"", "18:8: slurm.time"},
};

TEST(StudyFile, ReportsEachFaultAtItsLineAndKey)
{
    for (const Malformed& malformed : kMalformed) {
        std::string text = kSmallStudy;
        if (*malformed.from == '\0') {
            text += malformed.to;
        } else {
            const std::size_t at = text.find(malformed.from);
            ASSERT_NE(at, std::string::npos) << malformed.fault;
            text.replace(at, std::string(malformed.from).size(), malformed.to);
        }
        try {
            parseStudy(text, "study.toml");
            ADD_FAILURE() << malformed.fault << ": no error";
        } catch (const StudyFileError& error) {
            const std::string expected = std::string("study.toml:") + malformed.where + ": ";
            const std::string message = error.what();
            EXPECT_EQ(message.rfind(expected, 0), 0u) << malformed.fault << ": " << message;
            EXPECT_EQ(message.find('\n'), std::string::npos) << message;
        }
    }
}

TEST(StudyFile, ReportsAFileItCannotRead)
{
    try {
        readStudyFile(ZELKOR_CLI_TEST_DATA "/no-such-study.toml");
        ADD_FAILURE() << "no error";
    } catch (const StudyFileError& error) {
        EXPECT_NE(std::string(error.what()).find("no-such-study.toml: cannot read"),
                  std::string::npos)
            << error.what();
    }
}

}  // namespace
}  // namespace Cli
}  // namespace Opt
