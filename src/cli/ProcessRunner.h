// Every operating-system call of the zelkor command lives here: starting an
// analysis as a child process in its own process group, waiting for children
// and time limits, killing a child's whole tree, Ctrl-C, the terminal test and
// standard output's redirection. A Windows port replaces this pair only.
#pragma once

#include <chrono>
#include <map>
#include <string>
#include <vector>

namespace Opt {
namespace Cli {

// What to start: argv[0] is looked up on PATH; standard output and error go to
// files (replaced); extraEnvironment ("NAME=value")
// is added to the parent's environment, replacing an entry of the same name.
struct LaunchRequest {
    std::vector<std::string> argv;
    std::string directory;
    std::string stdoutPath;
    std::string stderrPath;
    std::vector<std::string> extraEnvironment;
    double timeLimitSeconds = 0.0;   // 0: no limit
    // Stopping it (time-out, killAll): SIGTERM first and SIGKILL only after
    // this long, for a launcher that has cleaning up to do (srun ends its job
    // step); 0: SIGKILL at once.
    double stopGraceSeconds = 0.0;
};

struct ProcessOutcome {
    enum class Kind { Exited, Signalled, TimedOut, NotStarted };
    Kind kind = Kind::Exited;
    int code = 0;                    // exit status, or the signal's number
    double wallSeconds = 0.0;
    std::string detail;              // NotStarted: why
};

class ProcessRunner {
public:
    ProcessRunner();
    ~ProcessRunner();                // kills what is still running
    ProcessRunner(const ProcessRunner&) = delete;
    ProcessRunner& operator=(const ProcessRunner&) = delete;

    // Starts a child and returns its handle; a child that cannot start still
    // gets a handle, whose outcome (NotStarted) the next waitForAny returns.
    int start(const LaunchRequest& request);
    // A handle for a child that could not even be prepared: waitForAny returns
    // it as NotStarted with this detail.
    int notStarted(const std::string& detail);
    // Blocks until a child ends or passes its time limit (its group is then
    // killed and its outcome is TimedOut), or Ctrl-C is pressed (returns
    // false). On true, handle and outcome describe the child that ended.
    bool waitForAny(int& handle, ProcessOutcome& outcome);
    // Runs a short command (scancel, say) to its end, or to its time limit,
    // outside the children waited for; returns its exit status, -1 when it
    // could not run or was killed.
    int runToCompletion(const LaunchRequest& request);
    // Kills every running child's process group (after their grace period)
    // and reaps them.
    void killAll();
    std::size_t running() const { return children_.size(); }

    // Ctrl-C (SIGINT), SIGTERM, SIGHUP (the terminal closed; unless ignored,
    // as under nohup) and SIGQUIT set a flag instead of ending the process, so
    // that the run can stop its analyses and keep its log.
    static void catchInterrupts();
    static bool interrupted();
    static bool isTerminal(int fileDescriptor);
    // Opens /dev/null on whichever of descriptors 0, 1 and 2 is closed, so that
    // no file the command opens later lands there and takes a stream's place.
    static void openMissingStandardStreams();
    static std::string hostName();
    static int processId();
    static std::string userId();     // numeric, as Slurm's --user takes it
    // Points standard output at path (the library prints its report there);
    // returns a descriptor for restoreStandardOutput, or -1 with errno's text.
    static int redirectStandardOutput(const std::string& path, std::string& error);
    static void restoreStandardOutput(int saved);

private:
    struct Child {
        int pid = -1;
        std::chrono::steady_clock::time_point started;
        double timeLimitSeconds = 0.0;
        double stopGraceSeconds = 0.0;
        ProcessOutcome failedStart;
    };
    int nextHandle_ = 0;
    std::map<int, Child> children_;

    bool reapOne(int& handle, ProcessOutcome& outcome);
    bool killOverdue(int& handle, ProcessOutcome& outcome);
    int millisecondsToNextDeadline() const;
    void stop(const std::vector<int>& pids, double graceSeconds);
    static double secondsSince(std::chrono::steady_clock::time_point start);
};

}  // namespace Cli
}  // namespace Opt
