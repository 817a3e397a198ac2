#include "cli/StudyFile.h"

#include <cerrno>
#include <climits>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>

#include <toml++/toml.h>

#include "cli/AnalysisReader.h"
#include "cli/MethodReader.h"
#include "cli/ProblemReader.h"
#include "cli/TableReader.h"

namespace Opt {
namespace Cli {

namespace {

toml::table parseToml(const std::string& text, const std::string& path)
{
    try {
        return toml::parse(text, path);
    } catch (const toml::parse_error& error) {
        throwAt(path, error.source().begin, "TOML syntax", std::string(error.description()));
    }
}

std::string folderOf(const std::string& path)
{
    return std::filesystem::absolute(path).lexically_normal().parent_path().string();
}

TableReader requiredTable(const TableReader& top, const std::string& key)
{
    const std::optional<TableReader> table = top.table(key);
    if (!table) {
        top.fail(key, "missing: the study needs a [" + key + "] table");
    }
    return *table;
}

const std::vector<NamedCode>& schedulers()
{
    static const std::vector<NamedCode> names = {
        {"local", static_cast<int>(SchedulerKind::Local)},
        {"slurm", static_cast<int>(SchedulerKind::Slurm)}};
    return names;
}

void readRun(const TableReader& run, Study& study)
{
    run.allowOnly({"jobs", "scheduler", "log", "report", "report_level"});
    study.jobs = run.integer("jobs", 1, INT_MAX).value_or(study.jobs);
    study.scheduler =
        static_cast<SchedulerKind>(run.choice("scheduler", schedulers()).value_or(0));
    if (run.has("log")) {
        study.logFile = run.requiredString("log");
    }
    if (run.has("report")) {
        study.reportFile = run.requiredString("report");
    }
    study.reportLevel = run.integer("report_level", 0, 9).value_or(study.reportLevel);
}

// Checked here so that a typo fails before the first evaluation rather than
// at the first sbatch.
std::string matching(const TableReader& slurm, const std::string& key, const std::regex& pattern,
                     const std::string& expected)
{
    const std::string text = slurm.string(key).value_or("");
    if (!text.empty() && !std::regex_match(text, pattern)) {
        slurm.fail(key, "\"" + text + "\" is not " + expected);
    }
    return text;
}

SlurmSettings readSlurm(const TableReader& slurm)
{
    slurm.allowOnly({"partition", "time", "cpus_per_task", "memory", "extra_args", "mode"});
    static const std::regex time(
        "([0-9]+-[0-9]+(:[0-9]+){0,2})|([0-9]+(:[0-9]+){0,2})|UNLIMITED|INFINITE");
    static const std::regex memory("[0-9]+[KMGT]?");
    static const std::vector<NamedCode> modes = {{"sbatch", 0}, {"srun", 1}};
    SlurmSettings settings;
    settings.partition = slurm.string("partition").value_or("");
    settings.timeLimit = matching(slurm, "time", time,
                                  "a Slurm time: minutes, [days-]hours:minutes:seconds, ...");
    settings.cpusPerTask = slurm.integer("cpus_per_task", 1, INT_MAX).value_or(1);
    settings.memory = matching(slurm, "memory", memory, "a Slurm memory size such as 500M or 4G");
    settings.extraArguments = slurm.strings("extra_args");
    settings.insideAllocation = slurm.choice("mode", modes).value_or(0) == 1;
    return settings;
}

}  // namespace

Study parseStudy(const std::string& text, const std::string& path)
{
    const toml::table root = parseToml(text, path);
    const TableReader top(root, "", path);
    top.allowOnly({"variable", "response", "method", "analysis", "run", "slurm"});
    Study study;
    study.path = path;
    study.folder = folderOf(path);
    study.logFile = "evaluations.csv";
    study.reportFile = "report.txt";
    study.variables = readVariables(top);
    study.responses = readResponses(top, study.variables);
    study.method = readMethod(requiredTable(top, "method"), study.variables, study.responses);
    study.analysis = readAnalysis(requiredTable(top, "analysis"));
    if (const std::optional<TableReader> run = top.table("run")) {
        readRun(*run, study);
    }
    if (const std::optional<TableReader> slurm = top.table("slurm")) {
        study.slurm = readSlurm(*slurm);
    }
    return study;
}

Study readStudyFile(const std::string& path)
{
    std::error_code error;
    if (std::filesystem::is_directory(path, error)) {
        throw StudyFileError(path + ": cannot read the study file: it is a folder");
    }
    std::ifstream file(path, std::ios::binary);
    std::ostringstream text;
    if (!file || !(text << file.rdbuf())) {
        throw StudyFileError(path + ": cannot read the study file: " + std::strerror(errno));
    }
    return parseStudy(text.str(), path);
}

}  // namespace Cli
}  // namespace Opt
