#include "cli/AnalysisCommand.h"

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>

namespace Opt {
namespace Cli {

namespace fs = std::filesystem;

const char* const AnalysisCommand::kStdout = "analysis.out";
const char* const AnalysisCommand::kStderr = "analysis.err";

namespace {

const char* const kSubmitStdout = "sbatch.out";
const char* const kSubmitStderr = "sbatch.err";
// srun, sent SIGTERM, cancels its job step and ends within a second or so.
const double kSrunGraceSeconds = 2.0;
// scancel asks slurmctld; an unreachable controller must not hold up the run.
const double kScancelTimeLimitSeconds = 10.0;

void replaceAll(std::string& text, const std::string& from, const std::string& to)
{
    for (auto at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size())) {
        text.replace(at, from.size(), to);
    }
}

// For /bin/sh: inside single quotes nothing is special but the quote itself,
// which closes, is escaped and reopens.
std::string shellQuoted(const std::string& text)
{
    std::string quoted = "'";
    for (const char c : text) {
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    }
    return quoted + "'";
}

std::string substituted(std::string text, int index, const std::string& directory,
                        const std::string& studyFolder)
{
    replaceAll(text, "{index}", std::to_string(index));
    replaceAll(text, "{dir}", directory);
    replaceAll(text, "{study}", studyFolder);
    return text;
}

std::string inDirectory(const std::string& directory, const char* name)
{
    return (fs::path(directory) / name).string();
}

}  // namespace

AnalysisCommand::AnalysisCommand(const Study& study)
    : study_(study), host_(ProcessRunner::hostName())
{
}

std::string AnalysisCommand::expand(const std::string& text, int index,
                                    const std::string& directory) const
{
    return substituted(text, index, directory, study_.folder);
}

// The folders go into the command as single words, so that a study folder
// with a space (or a quote) in its name still runs "sh {study}/analysis.sh".
std::string AnalysisCommand::shellCommand(int index, const std::string& directory) const
{
    return substituted(study_.analysis.command, index, shellQuoted(directory),
                       shellQuoted(study_.folder));
}

std::string AnalysisCommand::workDirectory(int index) const
{
    const fs::path relative = expand(study_.analysis.workDirectory, index, "");
    return (fs::path(study_.folder) / relative).lexically_normal().string();
}

LaunchRequest AnalysisCommand::processFor(int index, const std::string& directory) const
{
    LaunchRequest request;
    request.directory = directory;
    request.timeLimitSeconds = study_.analysis.timeLimitSeconds;
    request.extraEnvironment = {"ZELKOR_EVALUATION=" + std::to_string(index),
                                "ZELKOR_DIR=" + directory, "ZELKOR_STUDY=" + study_.folder};
    const std::string command = shellCommand(index, directory);
    const bool slurm = study_.scheduler == SchedulerKind::Slurm;
    const bool batch = slurm && !study_.slurm.insideAllocation;
    request.stdoutPath = inDirectory(directory, batch ? kSubmitStdout : kStdout);
    request.stderrPath = inDirectory(directory, batch ? kSubmitStderr : kStderr);
    if (!slurm) {
        request.argv = {"/bin/sh", "-c", command};
    } else if (batch) {
        request.argv = {"sbatch", "--wait", "--parsable"};
        const std::vector<std::string> options = slurmOptions(index, directory);
        request.argv.insert(request.argv.end(), options.begin(), options.end());
        request.argv.push_back("--output=" + inDirectory(directory, kStdout));
        request.argv.push_back("--error=" + inDirectory(directory, kStderr));
        request.argv.push_back("--wrap=" + command);
    } else {
        request.stopGraceSeconds = kSrunGraceSeconds;
        request.argv = {"srun", "--ntasks=1"};
        const std::vector<std::string> options = slurmOptions(index, directory);
        request.argv.insert(request.argv.end(), options.begin(), options.end());
        request.argv.insert(request.argv.end(), {"/bin/sh", "-c", command});
    }
    return request;
}

std::vector<std::string> AnalysisCommand::slurmOptions(int index,
                                                       const std::string& directory) const
{
    const SlurmSettings& slurm = study_.slurm;
    std::vector<std::string> options = {"--job-name=" + jobName(index),
                                        "--chdir=" + directory,
                                        "--cpus-per-task=" + std::to_string(slurm.cpusPerTask)};
    if (!slurm.partition.empty()) {
        options.push_back("--partition=" + slurm.partition);
    }
    if (!slurmTime().empty()) {
        options.push_back("--time=" + slurmTime());
    }
    if (!slurm.memory.empty()) {
        options.push_back("--mem=" + slurm.memory);
    }
    options.insert(options.end(), slurm.extraArguments.begin(), slurm.extraArguments.end());
    return options;
}

// Slurm counts whole minutes; a shorter limit is still enforced here, by the
// local guard on the launcher.
std::string AnalysisCommand::slurmTime() const
{
    if (!study_.slurm.timeLimit.empty() || study_.analysis.timeLimitSeconds <= 0.0) {
        return study_.slurm.timeLimit;
    }
    return std::to_string(static_cast<long>(std::ceil(study_.analysis.timeLimitSeconds / 60.0)));
}

// Unique among this user's jobs while the run lasts (the process id), so that
// the job can be cancelled by name: its id, which sbatch --parsable prints,
// stays in sbatch's output buffer until the job ends, and is lost when sbatch
// is killed.
std::string AnalysisCommand::jobName(int index) const
{
    return "zelkor-" + std::to_string(ProcessRunner::processId()) + "-" + std::to_string(index);
}

std::string AnalysisCommand::jobId(const std::string& directory) const
{
    std::ifstream file(inDirectory(directory, kSubmitStdout));
    std::string line;
    std::getline(file, line);
    return line.substr(0, line.find(';'));  // --parsable: "id" or "id;cluster"
}

std::string AnalysisCommand::whereItRan(const std::string& directory) const
{
    if (study_.scheduler == SchedulerKind::Local) {
        return host_;
    }
    if (study_.slurm.insideAllocation) {
        const char* allocation = std::getenv("SLURM_JOB_ID");
        return allocation ? "job " + std::string(allocation) + " step" : "srun";
    }
    const std::string id = jobId(directory);
    return id.empty() ? "sbatch" : "job " + id;
}

void AnalysisCommand::cancel(int index, const std::string& directory,
                             ProcessRunner& processes) const
{
    if (study_.scheduler != SchedulerKind::Slurm || study_.slurm.insideAllocation) {
        return;  // srun, sent SIGTERM first, has ended its step itself
    }
    LaunchRequest scancel;
    scancel.argv = {"scancel", "--name=" + jobName(index), "--user=" + ProcessRunner::userId()};
    scancel.directory = directory;
    scancel.stdoutPath = "/dev/null";
    scancel.stderrPath = "/dev/null";
    scancel.timeLimitSeconds = kScancelTimeLimitSeconds;
    processes.runToCompletion(scancel);
}

}  // namespace Cli
}  // namespace Opt
