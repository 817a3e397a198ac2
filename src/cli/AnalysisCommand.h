// How one evaluation's analysis is launched: the same child process either way,
// only the command differs. Locally it is /bin/sh -c <command> in the working
// directory; with Slurm it is sbatch --wait --parsable --wrap <command> (or
// srun inside an allocation), which stays alive until the job ends and exits
// with the job's status, so that the process-running code serves both.
#pragma once

#include <string>

#include "cli/ProcessRunner.h"
#include "cli/Study.h"

namespace Opt {
namespace Cli {

class AnalysisCommand {
public:
    explicit AnalysisCommand(const Study& study);

    // {index}, {dir} and {study} replaced in a template of a path.
    std::string expand(const std::string& text, int index, const std::string& directory) const;
    std::string workDirectory(int index) const;   // absolute
    LaunchRequest processFor(int index, const std::string& directory) const;
    // Where the evaluation ran: the host, or the Slurm job id sbatch printed.
    std::string whereItRan(const std::string& directory) const;
    // After a time-out or Ctrl-C killed the launcher: cancels the Slurm job
    // it had submitted, by its name (nothing to do locally, the process group
    // is gone).
    void cancel(int index, const std::string& directory, ProcessRunner& processes) const;

    static const char* const kStdout;   // the analysis' standard output, in its directory
    static const char* const kStderr;

private:
    const Study& study_;
    std::string host_;

    std::string shellCommand(int index, const std::string& directory) const;
    std::vector<std::string> slurmOptions(int index, const std::string& directory) const;
    std::string slurmTime() const;
    std::string jobName(int index) const;
    std::string jobId(const std::string& directory) const;
};

}  // namespace Cli
}  // namespace Opt
