// describeStudy (declared in StudyFile.h): what `zelkor check` prints, so that
// a user sees how the file was understood before any analysis runs: every
// constraint as the library's g <= 0 and every method setting with its default.
#include <cmath>
#include <iomanip>
#include <sstream>

#include "cli/MethodSettings.h"
#include "cli/StudyFile.h"
#include "cli/SurrogateStudyReader.h"

namespace Opt {
namespace Cli {

namespace {

std::string levelList(const std::vector<double>& levels)
{
    std::string list;
    for (double level : levels) {
        list += (list.empty() ? "" : ", ") + numberText(level);
    }
    return list;
}

void describeVariables(const Study& study, std::ostream& out)
{
    out << "Variables (" << study.variables.size() << "):\n";
    for (const Variable& variable : study.variables) {
        out << "  " << std::left << std::setw(14) << variable.name << ' ';
        if (variable.levels.empty()) {
            out << "continuous in [" << numberText(variable.lower) << ", " << numberText(variable.upper) << "]";
        } else {
            out << "discrete, levels " << levelList(variable.levels);
        }
        out << ", start " << numberText(variable.start) << '\n';
    }
}

std::string scaled(const std::string& difference, double limit)
{
    return "(" + difference + ") / " + numberText(limit == 0.0 ? 1.0 : std::abs(limit));
}

// One library response per line: the objective f, then g1, g2, ... each <= 0.
void describeResponses(const Study& study, std::ostream& out)
{
    out << "Responses (" << study.responses.size() << "); the library sees "
        << study.libraryResponseCount() << ", the objective then constraints g <= 0:\n";
    int constraint = 0;
    for (const Response& response : study.responses) {
        const std::string& name = response.name;
        out << "  " << std::left << std::setw(14) << name << ' ';
        if (response.role == Response::Role::Objective) {
            out << (response.maximise ? "objective, maximised: f = -" : "objective, minimised: f = ")
                << name << '\n';
            continue;
        }
        std::string separator;
        if (response.upper) {
            out << "g" << ++constraint << " = "
                << scaled(name + " - " + numberText(*response.upper), *response.upper);
            separator = ", ";
        }
        if (response.lower) {
            out << separator << "g" << ++constraint << " = "
                << scaled(numberText(*response.lower) + " - " + name, *response.lower);
        }
        out << '\n';
    }
}

std::string settingValue(const MethodSetting& setting, const MethodCall& call)
{
    const auto position = static_cast<std::size_t>(setting.position);
    if (setting.array == MethodSetting::Array::Reals) {
        return call.reals[position] < 0.0 ? std::string() : numberText(call.reals[position]);
    }
    const int value = call.ints[position];
    if (value < 0) {
        return std::string();
    }
    return setting.kind == MethodSetting::Kind::SurrogateType ? nameOf(surrogateTypes(), value)
                                                              : std::to_string(value);
}

void describeZelkorMethod(const MethodCall& call, std::ostream& out)
{
    for (const MethodSetting& setting : settingsOf(call.kind)) {
        const std::string value = settingValue(setting, call);
        const std::string shown = setting.name + (value.empty() ? ": default" : " = " + value);
        out << "  " << std::left << std::setw(30) << shown << ' ' << setting.meaning << '\n';
    }
    if (takesSeed(call.kind)) {
        out << "  seed" << (call.seed ? " = " + std::to_string(*call.seed)
                                       : ": from the clock, recorded with the run")
            << '\n';
    }
}

std::string designText(const MethodCall& call, const Study& study)
{
    const std::vector<int>& design = call.designSettings;
    std::string line = nameOf(designTypes(), design[0]);
    switch (design[0]) {
    case 0: line += ", " + std::to_string(design[2]) + " levels per variable"; break;
    case 1: line += ", axial points " + nameOf(axialTypes(), design[2]); break;
    case 2:
        line += ", " + std::to_string(design[3]) + " samples " +
                (design[2] == 1 ? "at cell corners" : "within cells");
        break;
    case 3:
        line += " of " + study.variables[static_cast<std::size_t>(design[2])].name + ", " +
                std::to_string(design[3]) + " points";
        break;
    case 4:
        line += ", " + std::to_string(design[2]) + " levels in " + std::to_string(design[3]) +
                " runs";
        break;
    default: break;
    }
    return line + (design[1] == 1 ? ", discrete variables snapped to their levels" : "");
}

std::string modelText(const MethodCall& call, std::size_t libraryResponse)
{
    const int type = call.modelSettings[2 * libraryResponse];
    const int option = call.modelSettings[2 * libraryResponse + 1];
    return nameOf(surrogateTypes(), type) +
           (option < 0 ? std::string() : " (option " + std::to_string(option) + ")");
}

void describeSurrogateStudy(const Study& study, std::ostream& out)
{
    const MethodCall& call = study.method;
    out << "  design: " << designText(call, study) << '\n';
    out << "  models:";
    std::size_t constraints = 0;
    for (const Response& response : study.responses) {
        const bool objective = response.role == Response::Role::Objective;
        out << ' ' << response.name << ' ' << modelText(call, objective ? 0 : 1 + constraints)
            << (&response == &study.responses.back() ? "\n" : ",");
        constraints += objective ? 0 : (response.upper ? 1 : 0) + (response.lower ? 1 : 0);
    }
    const std::vector<int>& search = call.searchSettings;
    out << "  search on the models: " << nameOf(innerSearches(), search[0]) << ", "
        << (search[1] > 0 ? std::to_string(search[1]) + " model evaluations" : "default budget")
        << ", " << search[2] << " fitting thread" << (search[2] == 1 ? "" : "s") << ", sample "
        << (search[3] == 1 ? "repeatable" : "seeded from the clock") << '\n';
    out << "  model file: " << (call.modelFile.empty() ? "none" : call.modelFile + ".rsm") << '\n';
}

void describeMethod(const Study& study, std::ostream& out)
{
    const MethodCall& call = study.method;
    out << "Method: " << call.name;
    if (call.kind == MethodCall::Kind::SurrogateStudy) {
        out << " study";
    } else {
        out << " (Zelkor method " << call.zelkorMethod << ")";
    }
    out << "; evaluation budget "
        << (call.evaluationBudget > 0 ? std::to_string(call.evaluationBudget) : "not known ahead")
        << '\n';
    if (call.kind == MethodCall::Kind::SurrogateStudy) {
        describeSurrogateStudy(study, out);
    } else {
        describeZelkorMethod(call, out);
    }
}

const char* formatName(FileFormat format)
{
    return format == FileFormat::Json ? "json" : "keyvalue";
}

void describeAnalysis(const Analysis& analysis, std::ostream& out)
{
    out << "Analysis:\n"
        << "  command: " << analysis.command << '\n'
        << "  working directory: " << analysis.workDirectory << " (in the study folder)\n"
        << "  parameters file: " << analysis.parametersFile << " ("
        << formatName(analysis.parametersFormat) << "), results file: " << analysis.resultsFile
        << " (" << formatName(analysis.resultsFormat) << ")\n"
        << "  time limit: "
        << (analysis.timeLimitSeconds > 0.0 ? numberText(analysis.timeLimitSeconds) + " s" : "none")
        << '\n';
}

void describeSlurm(const SlurmSettings& slurm, std::ostream& out)
{
    auto orDefault = [](const std::string& value, const char* fallback) {
        return value.empty() ? std::string(fallback) : value;
    };
    out << "  Slurm: " << (slurm.insideAllocation ? "srun inside the allocation" : "sbatch --wait")
        << ", partition " << orDefault(slurm.partition, "(default)") << ", time "
        << orDefault(slurm.timeLimit, "(from the analysis' time limit)") << ", "
        << slurm.cpusPerTask << " CPU" << (slurm.cpusPerTask == 1 ? "" : "s")
        << " per task, memory "
        << orDefault(slurm.memory, "(default)");
    for (const std::string& argument : slurm.extraArguments) {
        out << ' ' << argument;
    }
    out << '\n';
}

void describeRun(const Study& study, std::ostream& out)
{
    out << "Run: " << study.jobs << (study.jobs == 1 ? " analysis" : " analyses")
        << " at once, scheduler "
        << (study.scheduler == SchedulerKind::Slurm ? "slurm" : "local") << ", log "
        << study.logFile << ", report " << study.reportFile << " (level " << study.reportLevel
        << ")\n";
    if (study.scheduler == SchedulerKind::Slurm) {
        describeSlurm(study.slurm, out);
    }
}

}  // namespace

std::string describeStudy(const Study& study)
{
    std::ostringstream out;
    out << "Study " << study.path << " (folder " << study.folder << ")\n";
    describeVariables(study, out);
    describeResponses(study, out);
    describeMethod(study, out);
    describeAnalysis(study.analysis, out);
    describeRun(study, out);
    return out.str();
}

}  // namespace Cli
}  // namespace Opt
