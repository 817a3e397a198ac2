// A study of the zelkor command: what a study file describes, checked and
// translated into the library's terms. StudyFile reads it from TOML; StudyRunner
// runs it with the analysis program through a scheduler.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace Opt {
namespace Cli {

// A design variable: continuous within [lower, upper], or discrete on its
// levels (ascending; lower and upper are then the first and last level).
struct Variable {
    std::string name;
    double lower = 0.0;
    double upper = 0.0;
    double start = 0.0;                   // the start design (SQP, SAO); default mid-range
    std::vector<double> levels;
};

// A response the analysis program writes: the objective (minimised or
// maximised) or a constraint with an upper and/or a lower limit. Each limit
// becomes one library constraint g <= 0 (see Study::libraryResponses).
struct Response {
    enum class Role { Objective, Constraint };
    std::string name;
    Role role = Role::Constraint;
    bool maximise = false;
    std::optional<double> upper;
    std::optional<double> lower;
};

enum class FileFormat { KeyValue, Json };

// How one evaluation runs the analysis program. Templates may use {index} (the
// evaluation's index from 0), {dir} (its working directory, absolute) and
// {study} (the folder of the study file).
struct Analysis {
    std::string command;            // run by /bin/sh -c in the working directory
    std::string workDirectory;      // template; relative to the study file's folder
    std::string parametersFile;     // written before the run, in the working directory
    FileFormat parametersFormat = FileFormat::KeyValue;
    std::string resultsFile;        // read after the run, in the working directory
    FileFormat resultsFormat = FileFormat::KeyValue;
    double timeLimitSeconds = 0.0;  // 0: no limit
};

enum class SchedulerKind { Local, Slurm };

struct SlurmSettings {
    std::string partition;                // empty: the cluster's default
    std::string timeLimit;                // Slurm's --time; empty: from the analysis' limit
    int cpusPerTask = 1;
    std::string memory;                   // Slurm's --mem; empty: the cluster's default
    std::vector<std::string> extraArguments;
    bool insideAllocation = false;        // srun inside an allocation instead of sbatch --wait
};

// The method and its settings, already translated into the library's arrays.
struct MethodCall {
    enum class Kind { Sqp, Direct, Ga, MicroGa, HybridGa, Sao, SurrogateStudy };
    Kind kind = Kind::Sqp;
    std::string name;                     // as written in the file: "sqp", "surrogate", ...
    // Zelkor / ZelkorBatchVector (every kind but SurrogateStudy): method code
    // 0..5 and the user parameters, -999 where the library's default holds.
    int zelkorMethod = 1;
    std::vector<int> ints = std::vector<int>(20, -999);
    std::vector<double> reals = std::vector<double>(20, -999.0);
    // runRSMOPTBatch (SurrogateStudy): four design settings, two ints per
    // library response, the inner search's settings, the model file's path.
    std::vector<int> designSettings;
    std::vector<int> modelSettings;
    std::vector<int> searchSettings;
    std::string modelFile;                // without ".rsm", relative to folder; empty: none
    std::optional<int> seed;              // GA methods; absent: clock-seeded, logged
    int evaluationBudget = 0;             // for the progress line; 0: unknown
};

struct Study {
    std::string path;                     // the study file as given
    std::string folder;                   // its folder, absolute
    std::vector<Variable> variables;
    std::vector<Response> responses;      // exactly one objective
    MethodCall method;
    Analysis analysis;
    SchedulerKind scheduler = SchedulerKind::Local;
    int jobs = 1;                         // analyses at once; the command line's --jobs wins
    SlurmSettings slurm;
    std::string logFile;                  // evaluation log (CSV), relative to folder
    std::string reportFile;               // the method's run report, relative to folder
    int reportLevel = 1;

    // Responses the library sees (objective first, then one g <= 0 per limit)
    // from the analysis' values in the order of `responses`.
    std::vector<double> libraryResponses(const std::vector<double>& analysisValues) const;
    int libraryResponseCount() const;
    // The library's bound lists: [lower, upper], or [first level, level...,
    // last level] for a discrete variable.
    std::vector<std::vector<double>> boundLists() const;
};

// A number as messages and `zelkor check` show it: 12 significant digits.
std::string numberText(double value);

}  // namespace Cli
}  // namespace Opt
