// Entry points running on several threads at once give exactly the results they
// give one after another: every run keeps its state in its own engine, so hosts
// may run independent studies in parallel. Each thread has its own problem,
// arrays and callback state. The surrogate services are left out: they share the
// process-wide current design of experiments and serve one study at a time.
// CI also runs this test under ThreadSanitizer (ZELKOR_TSAN).
#include "api/zelkor.h"

#include <atomic>
#include <cstddef>
#include <ostream>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

namespace {

// The callbacks are plain functions: what they need lives per thread.
struct CallbackState {
    double centre[2] = {0.0, 0.0};
    long evaluations = 0;
};
thread_local CallbackState callback;

// A bowl around the thread's centre under the constraint x0 + x1 <= 1.
int bowl(double* x, int /*n*/, double* f, int m)
{
    ++callback.evaluations;
    const double d0 = x[0] - callback.centre[0];
    const double d1 = x[1] - callback.centre[1];
    f[0] = d0 * d0 + 2.0 * d1 * d1;
    if (m > 1) {
        f[1] = x[0] + x[1] - 1.0;
    }
    return 0;
}

int bowlArray(double* x, double* f)
{
    return bowl(x, 2, f, 2);
}

struct Outcome {
    int status = 0;
    std::vector<double> x;
    std::vector<double> f;
    long evaluations = 0;

    bool operator==(const Outcome& other) const
    {
        return status == other.status && x == other.x && f == other.f &&
               evaluations == other.evaluations;
    }
    bool operator!=(const Outcome& other) const { return !(*this == other); }
};

std::ostream& operator<<(std::ostream& out, const Outcome& outcome)
{
    out << "status " << outcome.status << ", " << outcome.evaluations << " evaluations, x";
    for (const double value : outcome.x) {
        out << ' ' << value;
    }
    return out;
}

Outcome zelkorRun(int method, std::vector<int> ints)
{
    Outcome outcome;
    outcome.x = {0.9, -0.9};
    outcome.f.assign(2, 0.0);
    double lowerUpper[2][2] = {{-1.0, 1.0}, {-1.0, 1.0}};
    double* bounds[2] = {lowerUpper[0], lowerUpper[1]};
    std::vector<double> reals(6, -999.0);
    outcome.status = Zelkor(method, 0, bowl, 2, outcome.x.data(), bounds, 2, outcome.f.data(), 0,
                            ints.data(), 0, reals.data(), nullptr);
    return outcome;
}

Outcome gaRun()
{
    Outcome outcome;
    outcome.x.assign(2, 0.0);
    outcome.f.assign(2, 0.0);
    const std::vector<std::vector<double>> bounds(2, {-1.0, 1.0});
    std::vector<int> ints(20, -1);
    ints[2] = 20;  // population
    ints[3] = 30;  // generations
    ints[4] = 1;   // real coding
    ints[6] = 600; // evaluations
    std::vector<double> reals(20, -1.0);
    outcome.status = runGA_ptr(bowlArray, outcome.x.data(), outcome.f.data(), &bounds, 2, 2,
                               reals.data(), ints.data());
    return outcome;
}

// min -x0 - 2 x1 + c x2 over three rows; the thread's centre moves c and a bound.
Outcome simplexRun()
{
    const double c = callback.centre[0];
    const double objective[3] = {-1.0, -2.0, c};
    const double rows[9] = {1.0, 1.0, 1.0, 1.0, -1.0, 0.0, 0.0, 1.0, -1.0};
    const double rowUpper[3] = {4.0 + c, 1.0, 2.0};
    const double lower[3] = {0.0, 0.0, 0.0};
    const double upper[3] = {10.0, 10.0, 10.0};
    Outcome outcome;
    outcome.x.assign(3, 0.0);
    outcome.f.assign(1, 0.0);
    outcome.status = runSIMPLEX(3, 3, objective, rows, nullptr, rowUpper, lower, upper, nullptr,
                                nullptr, outcome.x.data(), outcome.f.data());
    return outcome;
}

// A face-centred central composite on bounds moved by the thread's centre.
Outcome designRun()
{
    const int settings[4] = {1, 0, 0, 0};
    const double c = callback.centre[0];
    const double boundLists[6] = {-1.0 + c, 1.0, 0.0, 2.0 + c, c, 3.0};
    Outcome outcome;
    outcome.x.assign(15 * 3, 0.0);
    outcome.status = arrangeDOE_(settings, 3, nullptr, boundLists, nullptr, outcome.x.data(), 15);
    return outcome;
}

struct Case {
    const char* name;
    Outcome (*run)();
};

const Case kCases[] = {
    {"Zelkor SQP", [] { return zelkorRun(1, {-999, -999, -999, 1, -999}); }}, // finite differences
    {"Zelkor DIRECT", [] { return zelkorRun(0, {-999, 20, 400, -999}); }},
    {"Zelkor GA", [] { return zelkorRun(2, {-999, 400, -999, -999, -999, 20, -999}); }},
    {"runGA_ptr", gaRun},
    {"runSIMPLEX", simplexRun},
    {"arrangeDOE_", designRun},
};
constexpr int kCopies = 2; // each case on two problems

Outcome runOnProblem(const Case& entry, int copy)
{
    callback = CallbackState();
    callback.centre[0] = 0.3 + 0.1 * copy;
    callback.centre[1] = -0.2 + 0.05 * copy;
    Outcome outcome = entry.run();
    outcome.evaluations = callback.evaluations;
    return outcome;
}

TEST(Concurrency, EntryPointsOnSeveralThreadsGiveTheSequentialResults)
{
    std::vector<Outcome> sequential;
    for (const Case& entry : kCases) {
        for (int copy = 0; copy < kCopies; ++copy) {
            sequential.push_back(runOnProblem(entry, copy));
        }
    }

    std::vector<Outcome> concurrent(sequential.size());
    std::atomic<int> waiting{static_cast<int>(sequential.size())};
    std::vector<std::thread> threads;
    std::size_t slot = 0;
    for (const Case& entry : kCases) {
        for (int copy = 0; copy < kCopies; ++copy, ++slot) {
            threads.emplace_back([&entry, copy, slot, &concurrent, &waiting] {
                --waiting; // start together, so the runs overlap
                while (waiting.load() > 0) {
                    std::this_thread::yield();
                }
                concurrent[slot] = runOnProblem(entry, copy);
            });
        }
    }
    for (std::thread& thread : threads) {
        thread.join();
    }

    slot = 0;
    for (const Case& entry : kCases) {
        EXPECT_NE(sequential[slot], sequential[slot + 1])
            << entry.name << ": the problems differ, so runs that mix their state show";
        for (int copy = 0; copy < kCopies; ++copy, ++slot) {
            EXPECT_EQ(concurrent[slot], sequential[slot]) << entry.name << ", problem " << copy;
        }
    }
}

} // namespace
