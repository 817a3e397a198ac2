// zelkor: runs a design study described in a TOML file with an external
// analysis program (docs/study-file.md).
//   zelkor check study.toml              validates the file and describes the study
//   zelkor run study.toml [--jobs N] [--resume]
// Exit status: 0 a feasible result (check: a valid file; --help), 1 an error (a
// usage error, a malformed study file, an unusable log, every evaluation failed), 2 the run
// ended on an infeasible design, 130 interrupted (continue with --resume).
#include <CLI/CLI.hpp>

#include <cstdio>
#include <iostream>

#include "cli/ProcessRunner.h"
#include "cli/StudyFile.h"
#include "cli/StudyRunner.h"

namespace {

int checkStudy(const std::string& path)
{
    const Opt::Cli::Study study = Opt::Cli::readStudyFile(path);
    std::cout << Opt::Cli::describeStudy(study);
    return 0;
}

int runStudy(const std::string& path, const Opt::Cli::RunOptions& options)
{
    const Opt::Cli::Study study = Opt::Cli::readStudyFile(path);
    return Opt::Cli::StudyRunner(study, options).run();
}

}  // namespace

int main(int argc, char** argv)
{
    Opt::Cli::ProcessRunner::openMissingStandardStreams();
    CLI::App app{"zelkor: design studies with an external analysis program"};
    app.require_subcommand(1);

    std::string checkPath;
    CLI::App* check = app.add_subcommand("check", "validate a study file and describe the study");
    check->add_option("study", checkPath, "the study file (TOML)")->required();

    std::string runPath;
    int jobs = 0;
    Opt::Cli::RunOptions options;
    CLI::App* run = app.add_subcommand("run", "run a study");
    run->add_option("study", runPath, "the study file (TOML)")->required();
    CLI::Option* jobsOption =
        run->add_option("-j,--jobs", jobs, "analyses at once (default: the study's jobs)")
            ->check(CLI::Range(1, 100000));
    run->add_flag("--resume", options.resume,
                  "continue an interrupted run: designs in its log are not run again");

    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& error) {
        // --help prints and succeeds; a usage error is an error like any other (1).
        return app.exit(error) == 0 ? 0 : 1;
    }
    try {
        if (*check) {
            return checkStudy(checkPath);
        }
        if (*jobsOption) {
            options.jobs = jobs;
        }
        return runStudy(runPath, options);
    } catch (const Opt::Cli::StudyFileError& error) {
        std::fprintf(stderr, "%s\n", error.what());
    } catch (const std::exception& error) {
        std::fprintf(stderr, "zelkor: %s\n", error.what());
    }
    return 1;
}
