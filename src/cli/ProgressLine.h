// The run's status line on standard error: evaluations done of the budget,
// running, failed, the best feasible objective so far, elapsed and estimated
// remaining time. On a terminal it is rewritten in place (\r); otherwise (a
// log file, CI) a plain line is printed at most every few seconds, and once at
// the end, so that the output stays readable.
#pragma once

#include <chrono>
#include <cstdio>
#include <optional>
#include <string>

namespace Opt {
namespace Cli {

class ProgressLine {
public:
    ProgressLine(int budget, bool terminal, std::FILE* out = stderr);

    // An evaluation answered from the log or a repeat of an earlier design.
    void answeredFromLog(bool failed, std::optional<double> feasibleObjective);
    // An analysis that ended; running: those still under way.
    void finished(bool failed, std::optional<double> feasibleObjective, int running);
    // Prints the final state and ends the line.
    void close();

    std::string text() const;

private:
    int budget_;
    bool terminal_;
    std::FILE* out_;
    int done_ = 0;
    int ranHere_ = 0;
    int running_ = 0;
    int failed_ = 0;
    std::optional<double> best_;
    std::chrono::steady_clock::time_point start_ = std::chrono::steady_clock::now();
    std::chrono::steady_clock::time_point lastPrinted_ = start_;
    std::size_t lastLength_ = 0;

    void count(bool failed, std::optional<double> feasibleObjective);
    void show(bool force);
    double elapsed() const;
};

}  // namespace Cli
}  // namespace Opt
