// Children are waited for with a self-pipe: the SIGCHLD and SIGINT handlers
// write a byte to it, so one poll() wakes on a child's end, on Ctrl-C or on the
// nearest time limit, without polling in a loop (the overhead per analysis
// stays far below a millisecond).
#include "cli/ProcessRunner.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstring>

extern char** environ;

namespace Opt {
namespace Cli {

namespace {

int wakePipe[2] = {-1, -1};
volatile sig_atomic_t interruptFlag = 0;

void wake()
{
    const int savedErrno = errno;
    const char byte = 0;
    if (wakePipe[1] >= 0) {
        (void)!write(wakePipe[1], &byte, 1);
    }
    errno = savedErrno;
}

void onChildEnded(int) { wake(); }

void onInterrupt(int)
{
    interruptFlag = 1;
    wake();
}

void drainWakePipe()
{
    char buffer[64];
    while (read(wakePipe[0], buffer, sizeof buffer) > 0) {
    }
}

void installHandler(int signalNumber, void (*handler)(int), int flags)
{
    struct sigaction action {};
    action.sa_handler = handler;
    sigemptyset(&action.sa_mask);
    action.sa_flags = flags;
    sigaction(signalNumber, &action, nullptr);
}

// The signals that stop a run: Ctrl-C, kill, the terminal going away and
// Ctrl-\. Each ends the running analyses instead of leaving them orphaned.
const int kStopSignals[] = {SIGINT, SIGTERM, SIGHUP, SIGQUIT};

bool isIgnored(int signalNumber)
{
    struct sigaction current {};
    return sigaction(signalNumber, nullptr, &current) == 0 && current.sa_handler == SIG_IGN;
}

void openWakePipe()
{
    if (wakePipe[0] >= 0) {
        return;
    }
    if (pipe2(wakePipe, O_CLOEXEC | O_NONBLOCK) != 0) {
        wakePipe[0] = wakePipe[1] = -1;
        return;
    }
    installHandler(SIGCHLD, onChildEnded, SA_RESTART | SA_NOCLDSTOP);
}

std::vector<char*> pointersTo(std::vector<std::string>& strings)
{
    std::vector<char*> pointers;
    for (std::string& text : strings) {
        pointers.push_back(&text[0]);
    }
    pointers.push_back(nullptr);
    return pointers;
}

// An inherited entry of a name we set goes (zelkor run from inside an analysis
// of another run has ZELKOR_EVALUATION already): with two, which one a
// program sees depends on how it reads its environment.
std::vector<std::string> environmentWith(const std::vector<std::string>& extra)
{
    const auto setHere = [&extra](const char* entry) {
        for (const std::string& mine : extra) {
            const std::size_t nameEnd = mine.find('=');
            if (nameEnd != std::string::npos && std::strncmp(entry, mine.c_str(), nameEnd + 1) == 0) {
                return true;
            }
        }
        return false;
    };
    std::vector<std::string> entries;
    for (char** entry = environ; entry && *entry; ++entry) {
        if (!setHere(*entry)) {
            entries.emplace_back(*entry);
        }
    }
    entries.insert(entries.end(), extra.begin(), extra.end());
    return entries;
}

// The highest descriptor number the child closes up to when the kernel has no
// close_range; taken in the parent, since sysconf is not safe after fork.
int highestDescriptor()
{
    const long limit = sysconf(_SC_OPEN_MAX);
    return static_cast<int>(limit < 256 ? 256 : std::min(limit, 65536L));
}

// Closes first..last; without close_range (Linux before 5.9), one by one up
// to highest.
void closeRange(unsigned first, unsigned last, int highest)
{
    if (first > last) {
        return;
    }
#ifdef SYS_close_range
    if (syscall(SYS_close_range, first, last, 0) == 0) {
        return;
    }
#endif
    for (unsigned fd = first; fd <= last && fd <= static_cast<unsigned>(highest); ++fd) {
        close(static_cast<int>(fd));
    }
}

// An analysis inherits only standard input, output and error: any other
// descriptor of ours (the log, the saved standard output, a pipe zelkor's
// own output goes to) would otherwise stay open in it and in whatever it
// leaves running, keeping a reader of that pipe waiting after zelkor ended.
// The report pipe stays open (it is close-on-exec) for an exec failure.
void closeDescriptorsAbove2(int keep, int highest)
{
    if (keep > 3) {
        closeRange(3, static_cast<unsigned>(keep) - 1, highest);
    }
    closeRange(static_cast<unsigned>(std::max(keep + 1, 3)), ~0U, highest);
}

// dup2 onto itself keeps close-on-exec (when zelkor's own 0, 1 or 2 was closed
// the open may return that very number), so clear the flag then.
bool moveTo(int fd, int target)
{
    return fd == target ? fcntl(fd, F_SETFD, 0) == 0 : dup2(fd, target) == target;
}

// In the child between fork and exec: only async-signal-safe calls. A failure
// sends errno through the report pipe and ends the child.
[[noreturn]] void becomeChild(const char* directory, const char* out, const char* err,
                              char** argv, char** envp, int reportPipe, int highest)
{
    setpgid(0, 0);
    sigset_t none;
    sigemptyset(&none);
    sigprocmask(SIG_SETMASK, &none, nullptr);
    // Our handlers would write to the parent's wake pipe until exec; an ignored
    // SIGHUP (zelkor started with nohup) stays ignored in the analysis too.
    for (const int signalNumber : kStopSignals) {
        if (!isIgnored(signalNumber)) {
            signal(signalNumber, SIG_DFL);
        }
    }
    signal(SIGCHLD, SIG_DFL);
    // Close-on-exec: only their copies on 0, 1 and 2 reach the analysis.
    const int flags = O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC;
    const int outFd = open(out, flags, 0644);
    const int errFd = open(err, flags, 0644);
    const int nullFd = open("/dev/null", O_RDONLY | O_CLOEXEC);
    if (chdir(directory) == 0 && outFd >= 0 && errFd >= 0 && nullFd >= 0 &&
        moveTo(nullFd, 0) && moveTo(outFd, 1) && moveTo(errFd, 2)) {
        closeDescriptorsAbove2(reportPipe, highest);
        execvpe(argv[0], argv, envp);
    }
    const int error = errno;
    (void)!write(reportPipe, &error, sizeof error);
    _exit(127);
}

ProcessOutcome outcomeOf(int status, double wallSeconds)
{
    ProcessOutcome outcome;
    outcome.wallSeconds = wallSeconds;
    if (WIFSIGNALED(status)) {
        outcome.kind = ProcessOutcome::Kind::Signalled;
        outcome.code = WTERMSIG(status);
    } else {
        outcome.kind = ProcessOutcome::Kind::Exited;
        outcome.code = WEXITSTATUS(status);
    }
    return outcome;
}

int waitForChild(int pid)
{
    int status = 0;
    while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    return status;
}

// Whether the child has ended, left unreaped: while it is a zombie its process
// group id cannot be taken by a new process, so killpg still aims right.
bool hasEnded(int pid)
{
    siginfo_t info {};
    if (waitid(P_PID, static_cast<id_t>(pid), &info, WEXITED | WNOHANG | WNOWAIT) != 0) {
        return errno != EINTR;
    }
    return info.si_pid == pid;
}

std::chrono::steady_clock::time_point secondsAfter(std::chrono::steady_clock::time_point start,
                                                  double seconds)
{
    return start + std::chrono::duration_cast<std::chrono::steady_clock::duration>(
                       std::chrono::duration<double>(seconds));
}

// Waits, on the wake pipe, until every one of pids has ended or the deadline
// passes; true when they all ended.
bool waitUntilEnded(const std::vector<int>& pids, std::chrono::steady_clock::time_point deadline)
{
    for (;;) {
        if (std::all_of(pids.begin(), pids.end(), hasEnded)) {
            return true;
        }
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now()).count();
        if (left <= 0) {
            return false;
        }
        // At most 50 ms asleep, should the wake pipe be missing.
        struct pollfd wait {wakePipe[0], POLLIN, 0};
        poll(&wait, 1, static_cast<int>(std::min<long long>(left, 50)));
        if (wakePipe[0] >= 0) {
            drainWakePipe();
        }
    }
}

}  // namespace

ProcessRunner::ProcessRunner() { openWakePipe(); }

ProcessRunner::~ProcessRunner() { killAll(); }

int ProcessRunner::start(const LaunchRequest& request)
{
    const int handle = nextHandle_++;
    Child child;
    child.started = std::chrono::steady_clock::now();
    child.timeLimitSeconds = request.timeLimitSeconds;
    child.stopGraceSeconds = request.stopGraceSeconds;
    child.failedStart.kind = ProcessOutcome::Kind::NotStarted;

    std::vector<std::string> arguments = request.argv;
    std::vector<std::string> environment = environmentWith(request.extraEnvironment);
    std::vector<char*> argv = pointersTo(arguments);
    std::vector<char*> envp = pointersTo(environment);
    const int highest = highestDescriptor();
    int reportPipe[2];
    if (arguments.empty() || pipe2(reportPipe, O_CLOEXEC) != 0) {
        child.failedStart.detail = arguments.empty() ? "no command" : std::strerror(errno);
        children_[handle] = child;
        return handle;
    }
    const int pid = fork();
    if (pid == 0) {
        becomeChild(request.directory.c_str(), request.stdoutPath.c_str(), request.stderrPath.c_str(),
                    argv.data(), envp.data(), reportPipe[1], highest);
    }
    close(reportPipe[1]);
    int childError = 0;
    ssize_t got = 0;
    if (pid > 0) {
        setpgid(pid, pid);  // also here, so that a kill right after start reaches the group
        while ((got = read(reportPipe[0], &childError, sizeof childError)) < 0 && errno == EINTR) {
        }
    }
    close(reportPipe[0]);
    if (pid < 0 || got > 0) {
        if (pid > 0) {
            waitForChild(pid);
        }
        child.failedStart.detail = std::string("cannot start ") + arguments[0] + " in " +
                                   request.directory + ": " +
                                   std::strerror(pid < 0 ? errno : childError);
    } else {
        child.pid = pid;
    }
    children_[handle] = child;
    return handle;
}

int ProcessRunner::notStarted(const std::string& detail)
{
    Child child;
    child.failedStart.kind = ProcessOutcome::Kind::NotStarted;
    child.failedStart.detail = detail;
    children_[nextHandle_] = child;
    return nextHandle_++;
}

bool ProcessRunner::waitForAny(int& handle, ProcessOutcome& outcome)
{
    for (;;) {
        for (auto it = children_.begin(); it != children_.end(); ++it) {
            if (it->second.pid < 0) {
                handle = it->first;
                outcome = it->second.failedStart;
                children_.erase(it);
                return true;
            }
        }
        if (reapOne(handle, outcome) || killOverdue(handle, outcome)) {
            return true;
        }
        if (interrupted() || children_.empty()) {
            return false;
        }
        struct pollfd wait {wakePipe[0], POLLIN, 0};
        poll(&wait, 1, millisecondsToNextDeadline());
        drainWakePipe();
    }
}

bool ProcessRunner::reapOne(int& handle, ProcessOutcome& outcome)
{
    for (auto it = children_.begin(); it != children_.end(); ++it) {
        int status = 0;
        if (waitpid(it->second.pid, &status, WNOHANG) == it->second.pid) {
            handle = it->first;
            outcome = outcomeOf(status, secondsSince(it->second.started));
            children_.erase(it);
            return true;
        }
    }
    return false;
}

bool ProcessRunner::killOverdue(int& handle, ProcessOutcome& outcome)
{
    for (auto it = children_.begin(); it != children_.end(); ++it) {
        const Child& child = it->second;
        if (child.timeLimitSeconds > 0.0 && secondsSince(child.started) >= child.timeLimitSeconds) {
            stop({child.pid}, child.stopGraceSeconds);
            handle = it->first;
            outcome.kind = ProcessOutcome::Kind::TimedOut;
            outcome.code = SIGKILL;
            outcome.wallSeconds = secondsSince(child.started);
            children_.erase(it);
            return true;
        }
    }
    return false;
}

// A time limit already passed (its child not killed yet) is a wait of 0, not
// "no limit": the poll must return at once so that killOverdue sees it.
int ProcessRunner::millisecondsToNextDeadline() const
{
    bool hasDeadline = false;
    double nearest = 0.0;
    for (const auto& entry : children_) {
        const Child& child = entry.second;
        if (child.timeLimitSeconds > 0.0) {
            const double left = child.timeLimitSeconds - secondsSince(child.started);
            nearest = hasDeadline ? std::min(nearest, left) : left;
            hasDeadline = true;
        }
    }
    if (!hasDeadline) {
        return -1;
    }
    const double milliseconds = std::ceil(nearest * 1000.0);
    return static_cast<int>(std::max(0.0, std::min(milliseconds, static_cast<double>(INT_MAX))));
}

int ProcessRunner::runToCompletion(const LaunchRequest& request)
{
    const int handle = start(request);
    const Child child = children_[handle];
    children_.erase(handle);
    if (child.pid < 0) {
        return -1;
    }
    if (request.timeLimitSeconds > 0.0) {
        if (!waitUntilEnded({child.pid}, secondsAfter(child.started, request.timeLimitSeconds))) {
            killpg(child.pid, SIGKILL);
        }
    }
    const int status = waitForChild(child.pid);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// SIGTERM to the groups, when given a grace period, then SIGKILL to whatever
// of them is left, and the children reaped.
void ProcessRunner::stop(const std::vector<int>& pids, double graceSeconds)
{
    if (graceSeconds > 0.0) {
        for (const int pid : pids) {
            killpg(pid, SIGTERM);
        }
        waitUntilEnded(pids, secondsAfter(std::chrono::steady_clock::now(), graceSeconds));
    }
    for (const int pid : pids) {
        killpg(pid, SIGKILL);
    }
    for (const int pid : pids) {
        waitForChild(pid);
    }
}

void ProcessRunner::killAll()
{
    std::vector<int> graceful;
    std::vector<int> others;
    double grace = 0.0;
    for (const auto& entry : children_) {
        const Child& child = entry.second;
        if (child.pid > 0) {
            (child.stopGraceSeconds > 0.0 ? graceful : others).push_back(child.pid);
            grace = std::max(grace, child.stopGraceSeconds);
        }
    }
    stop(others, 0.0);
    stop(graceful, grace);
    children_.clear();
}

double ProcessRunner::secondsSince(std::chrono::steady_clock::time_point start)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

void ProcessRunner::catchInterrupts()
{
    openWakePipe();
    for (const int signalNumber : kStopSignals) {
        // nohup's ignored SIGHUP is a request to outlive the terminal: kept.
        if (signalNumber != SIGHUP || !isIgnored(signalNumber)) {
            installHandler(signalNumber, onInterrupt, 0);
        }
    }
}

bool ProcessRunner::interrupted() { return interruptFlag != 0; }

bool ProcessRunner::isTerminal(int fileDescriptor) { return isatty(fileDescriptor) == 1; }

void ProcessRunner::openMissingStandardStreams()
{
    for (int descriptor = 0; descriptor <= 2; ++descriptor) {
        if (fcntl(descriptor, F_GETFD) == -1 && errno == EBADF) {
            // The lowest free descriptor is this one: the ones below are open.
            open("/dev/null", descriptor == 0 ? O_RDONLY : O_WRONLY);
        }
    }
}

std::string ProcessRunner::hostName()
{
    char name[256] = {};
    if (gethostname(name, sizeof name - 1) != 0) {
        return "localhost";
    }
    return name;
}

int ProcessRunner::processId() { return static_cast<int>(getpid()); }

std::string ProcessRunner::userId() { return std::to_string(getuid()); }

int ProcessRunner::redirectStandardOutput(const std::string& path, std::string& error)
{
    fflush(stdout);
    const int target = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (target < 0) {
        error = std::strerror(errno);
        return -1;
    }
    const int saved = fcntl(1, F_DUPFD_CLOEXEC, 3);
    dup2(target, 1);
    close(target);
    return saved;
}

void ProcessRunner::restoreStandardOutput(int saved)
{
    if (saved < 0) {
        return;
    }
    fflush(stdout);
    dup2(saved, 1);
    close(saved);
}

}  // namespace Cli
}  // namespace Opt
