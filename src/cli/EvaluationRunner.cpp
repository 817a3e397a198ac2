#include "cli/EvaluationRunner.h"

#include <cmath>
#include <filesystem>
#include <fstream>
#include <limits>
#include <map>

#include "cli/ParametersFile.h"
#include "cli/ResultsFile.h"

namespace Opt {
namespace Cli {

namespace fs = std::filesystem;

EvaluationRunner::EvaluationRunner(const Study& study, int jobs, FinishedHandler onFinished)
    : study_(study), jobs_(jobs < 1 ? 1 : jobs), onFinished_(std::move(onFinished)),
      command_(study)
{
}

std::vector<Evaluation> EvaluationRunner::run(std::vector<Evaluation> pending)
{
    std::map<int, std::size_t> running;           // process handle -> place in pending
    std::map<int, std::string> directories;       // process handle -> working directory
    std::size_t next = 0;
    while (next < pending.size() || !running.empty()) {
        while (next < pending.size() && static_cast<int>(running.size()) < jobs_ &&
               !ProcessRunner::interrupted()) {
            std::string directory;
            const int handle = launch(pending[next], directory);
            running[handle] = next++;
            directories[handle] = directory;
        }
        int handle = -1;
        ProcessOutcome outcome;
        if (!processes_.waitForAny(handle, outcome)) {
            std::map<int, std::string> stillRunning;   // index -> working directory
            for (const auto& entry : directories) {
                stillRunning[pending[running.at(entry.first)].index] = entry.second;
            }
            stopAll(stillRunning);
            throw Interrupted();
        }
        Evaluation& evaluation = pending[running.at(handle)];
        complete(evaluation, directories.at(handle), outcome);
        running.erase(handle);
        directories.erase(handle);
        onFinished_(evaluation, static_cast<int>(running.size()));
    }
    return pending;
}

int EvaluationRunner::launch(const Evaluation& evaluation, std::string& directory)
{
    directory = command_.workDirectory(evaluation.index);
    try {
        fs::create_directories(directory);
        const std::string results = command_.expand(study_.analysis.resultsFile, evaluation.index, directory);
        fs::remove(fs::path(directory) / results);  // never read a previous run's results
        const std::string parameters =
            command_.expand(study_.analysis.parametersFile, evaluation.index, directory);
        ParametersFile::write((fs::path(directory) / parameters).string(), study_.variables,
                              evaluation.design, study_.analysis.parametersFormat);
    } catch (const std::exception& error) {
        return processes_.notStarted(error.what());
    }
    return processes_.start(command_.processFor(evaluation.index, directory));
}

void EvaluationRunner::complete(Evaluation& evaluation, const std::string& directory,
                                const ProcessOutcome& outcome)
{
    evaluation.values.assign(study_.responses.size(), std::numeric_limits<double>::quiet_NaN());
    evaluation.wallSeconds = outcome.wallSeconds;
    evaluation.where = command_.whereItRan(directory);
    switch (outcome.kind) {
    case ProcessOutcome::Kind::NotStarted:
        evaluation.status = "not-started";
        evaluation.detail = outcome.detail;
        return;
    case ProcessOutcome::Kind::TimedOut:
        command_.cancel(evaluation.index, directory, processes_);
        evaluation.status = "timeout";
        evaluation.detail = "killed after the time limit of " +
                            exactText(study_.analysis.timeLimitSeconds) + " s";
        return;
    case ProcessOutcome::Kind::Signalled:
        evaluation.status = "signal";
        evaluation.detail = "killed by signal " + std::to_string(outcome.code);
        return;
    case ProcessOutcome::Kind::Exited:
        break;
    }
    if (outcome.code != 0) {
        evaluation.status = "exit";
        evaluation.detail = "exit status " + std::to_string(outcome.code) + ": " +
                            lastLineOf((fs::path(directory) / AnalysisCommand::kStderr).string());
        return;
    }
    readResponses(evaluation, directory);
}

void EvaluationRunner::readResponses(Evaluation& evaluation, const std::string& directory)
{
    const std::string path =
        (fs::path(directory) /
         command_.expand(study_.analysis.resultsFile, evaluation.index, directory)).string();
    std::map<std::string, double> values;
    std::string error;
    if (!fs::exists(path)) {
        evaluation.status = "no-results";
        evaluation.detail = "the analysis wrote no " + path;
        return;
    }
    if (!ResultsFile::read(path, study_.analysis.resultsFormat, values, error)) {
        evaluation.status = "bad-results";
        evaluation.detail = error;
        return;
    }
    for (std::size_t j = 0; j < study_.responses.size(); ++j) {
        const std::string& name = study_.responses[j].name;
        const auto found = values.find(name);
        if (found == values.end()) {
            evaluation.status = "missing";
            evaluation.detail = "no value for " + name + " in " + path;
            return;
        }
        evaluation.values[j] = found->second;
        if (!std::isfinite(found->second)) {
            evaluation.status = "not-finite";
            evaluation.detail = name + " is " + exactText(found->second);
        }
    }
}

void EvaluationRunner::stopAll(const std::map<int, std::string>& running)
{
    processes_.killAll();
    for (const auto& entry : running) {
        command_.cancel(entry.first, entry.second, processes_);
    }
}

std::string EvaluationRunner::lastLineOf(const std::string& path)
{
    std::ifstream file(path);
    std::string line;
    std::string last;
    while (std::getline(file, line)) {
        if (!line.empty()) {
            last = line;
        }
    }
    return last.size() > 200 ? last.substr(0, 200) + "..." : last;
}

}  // namespace Cli
}  // namespace Opt
