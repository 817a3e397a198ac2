#include "cli/ProgressLine.h"

#include <algorithm>

namespace Opt {
namespace Cli {

namespace {

constexpr double kPlainLineSeconds = 5.0;

std::string clock(double seconds)
{
    const long total = static_cast<long>(seconds + 0.5);
    char text[32];
    std::snprintf(text, sizeof text, "%ld:%02ld:%02ld", total / 3600, total / 60 % 60, total % 60);
    return text;
}

}  // namespace

ProgressLine::ProgressLine(int budget, bool terminal, std::FILE* out)
    : budget_(budget), terminal_(terminal), out_(out)
{
}

void ProgressLine::count(bool failed, std::optional<double> feasibleObjective)
{
    ++done_;
    failed_ += failed ? 1 : 0;
    if (feasibleObjective && (!best_ || *feasibleObjective < *best_)) {
        best_ = feasibleObjective;
    }
}

void ProgressLine::answeredFromLog(bool failed, std::optional<double> feasibleObjective)
{
    count(failed, feasibleObjective);
}

void ProgressLine::finished(bool failed, std::optional<double> feasibleObjective, int running)
{
    count(failed, feasibleObjective);
    ++ranHere_;
    running_ = running;
    show(false);
}

double ProgressLine::elapsed() const
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start_).count();
}

std::string ProgressLine::text() const
{
    std::string line = "evaluations " + std::to_string(done_);
    if (budget_ > 0) {
        line += "/" + std::to_string(budget_);
    }
    line += "  running " + std::to_string(running_) + "  failed " + std::to_string(failed_);
    char best[48] = "none yet";
    if (best_) {
        std::snprintf(best, sizeof best, "%.6g", *best_);
    }
    line += std::string("  best feasible ") + best + "  elapsed " + clock(elapsed());
    if (budget_ > done_ && ranHere_ > 0) {
        line += "  remaining ~" + clock(elapsed() / ranHere_ * (budget_ - done_));
    }
    return line;
}

void ProgressLine::show(bool force)
{
    const auto now = std::chrono::steady_clock::now();
    if (!terminal_ && !force &&
        std::chrono::duration<double>(now - lastPrinted_).count() < kPlainLineSeconds) {
        return;
    }
    lastPrinted_ = now;
    const std::string line = text();
    if (terminal_) {
        // Spaces wipe what a longer previous line left behind.
        const std::size_t pad = lastLength_ > line.size() ? lastLength_ - line.size() : 0;
        std::fprintf(out_, "\r%s%s", line.c_str(), std::string(pad, ' ').c_str());
        lastLength_ = line.size();
    } else {
        std::fprintf(out_, "%s\n", line.c_str());
    }
    std::fflush(out_);
}

void ProgressLine::close()
{
    running_ = 0;  // the run is over: every analysis has ended or been killed
    show(true);
    if (terminal_) {
        std::fprintf(out_, "\n");
    }
}

}  // namespace Cli
}  // namespace Opt
