// Batched evaluation against sequential evaluation on an expensive problem: each
// evaluation sleeps 20 ms, a stand-in for a simulation. SQP (n = 10, forward
// differences), DIRECT (n = 4) and the GA (N = 20) run through Zelkor and through
// ZelkorBatch with a pool of 2, 4 and 8 threads.
//
// Columns: the wall time, the speed-up over the sequential run, and two ideals:
// min(workers, batch size) for the run's median batch of more than one design,
// and the best the run's batches allow, sum(size) / sum(ceil(size / workers))
// (a batch of 20 on 8 workers takes 3 rounds, not 2.5). "of ideal" is the
// speed-up over the second. The SQP's gradient phase (its batches of n) is also
// timed on its own: its line-search trials come one by one whatever the pool.
// "same run" checks that x, f and the number of evaluations equal the
// sequential run's.
#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstring>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

#include "api/zelkor.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr auto kEvaluationTime = std::chrono::milliseconds(20);

double seconds(Clock::time_point since)
{
    return std::chrono::duration<double>(Clock::now() - since).count();
}

// The problem: a shifted bowl with the constraint x0 + x1 <= 1, on [-2, 3].
int expensive(double* x, int n, double* f, int)
{
    std::this_thread::sleep_for(kEvaluationTime);
    double sum = 0.0;
    for (int i = 0; i < n; ++i) {
        const double centre = 0.5 + 0.1 * i;
        sum += (x[i] - centre) * (x[i] - centre) * (1.0 + 0.1 * i);
    }
    f[0] = sum;
    f[1] = x[0] + x[1] - 1.0;
    return 0;
}

// A fixed pool of workers; run() hands out the indices 0..count-1 and returns
// when every one is done.
class ThreadPool {
public:
    explicit ThreadPool(int size)
    {
        for (int k = 0; k < size; ++k) {
            workers.emplace_back([this] { work(); });
        }
    }
    ~ThreadPool()
    {
        {
            std::lock_guard<std::mutex> lock(mutex);
            stopping = true;
        }
        wake.notify_all();
        for (std::thread& worker : workers) {
            worker.join();
        }
    }

    void run(int count, const std::function<void(int)>& task)
    {
        std::unique_lock<std::mutex> lock(mutex);
        job = &task;
        next = 0;
        total = count;
        done = 0;
        wake.notify_all();
        finished.wait(lock, [&] { return done == total; });
        job = nullptr;
    }

private:
    void work()
    {
        std::unique_lock<std::mutex> lock(mutex);
        for (;;) {
            wake.wait(lock, [&] { return stopping || (job != nullptr && next < total); });
            if (stopping) {
                return;
            }
            const int index = next++;
            const std::function<void(int)>* task = job;
            lock.unlock();
            (*task)(index);
            lock.lock();
            if (++done == total) {
                finished.notify_all();
            }
        }
    }

    std::vector<std::thread> workers;
    std::mutex mutex;
    std::condition_variable wake;
    std::condition_variable finished;
    const std::function<void(int)>* job = nullptr;
    int next = 0;
    int total = 0;
    int done = 0;
    bool stopping = false;
};

struct BatchHost {
    ThreadPool* pool;
    int n;
    int m;
    std::vector<int> sizes;
    double batchedSeconds = 0.0; // wall time in batches of more than one design
};

void evaluateBatch(int count, const double* designs, double* responses, void* user)
{
    auto* host = static_cast<BatchHost*>(user);
    const Clock::time_point start = Clock::now();
    host->sizes.push_back(count);
    host->pool->run(count, [&](int k) {
        std::vector<double> x(designs + k * host->n, designs + (k + 1) * host->n);
        expensive(x.data(), host->n, responses + k * host->m, host->m);
    });
    if (count > 1) {
        host->batchedSeconds += seconds(start);
    }
}

int sequentialCount = 0;
int countingEvaluate(double* x, int n, double* f, int m)
{
    ++sequentialCount;
    return expensive(x, n, f, m);
}

struct Case {
    const char* name;
    int method;
    int n;
    std::vector<int> ints;
};

struct Outcome {
    std::vector<double> x;
    std::vector<double> f;
    double wall = 0.0;
    int evaluations = 0;
    BatchHost host{nullptr, 0, 2, {}, 0.0};
};

Outcome runCase(const Case& c, ThreadPool* pool)
{
    Outcome out;
    out.x.assign(static_cast<std::size_t>(c.n), 0.0);
    out.f.assign(2, 0.0);
    std::vector<std::vector<double>> bounds(static_cast<std::size_t>(c.n), {-2.0, 3.0});
    std::vector<double*> rows;
    for (auto& list : bounds) {
        rows.push_back(list.data());
    }
    std::vector<int> ints = c.ints;
    ints.resize(12, -999);
    out.host = {pool, c.n, 2, {}, 0.0};
    sequentialCount = 0;
    const Clock::time_point start = Clock::now();
    if (pool == nullptr) {
        Zelkor(c.method, 0, countingEvaluate, c.n, out.x.data(), rows.data(), 2, out.f.data(), 0,
               ints.data(), 0, nullptr, nullptr);
        out.evaluations = sequentialCount;
    } else {
        ZelkorBatch(c.method, 0, nullptr, c.n, out.x.data(), rows.data(), 2, out.f.data(), 0,
                    ints.data(), 0, nullptr, nullptr, evaluateBatch, &out.host, 0);
        for (int size : out.host.sizes) {
            out.evaluations += size;
        }
    }
    out.wall = seconds(start);
    return out;
}

// sum(size) / sum(ceil(size / workers)) over the batches of more than minSize designs.
double roundsIdeal(const std::vector<int>& sizes, int workers, int minSize)
{
    double designs = 0.0;
    double rounds = 0.0;
    for (int size : sizes) {
        if (size > minSize) {
            designs += size;
            rounds += (size + workers - 1) / workers;
        }
    }
    return rounds > 0.0 ? designs / rounds : 1.0;
}

// The median size of the batches of more than one design.
int typicalBatch(std::vector<int> sizes)
{
    sizes.erase(std::remove(sizes.begin(), sizes.end(), 1), sizes.end());
    if (sizes.empty()) {
        return 1;
    }
    std::nth_element(sizes.begin(), sizes.begin() + sizes.size() / 2, sizes.end());
    return sizes[sizes.size() / 2];
}

bool sameBits(const std::vector<double>& a, const std::vector<double>& b)
{
    return a.size() == b.size() && std::memcmp(a.data(), b.data(), a.size() * sizeof(double)) == 0;
}

} // namespace

int main()
{
    const std::vector<Case> cases = {
        {"SQP n=10", 1, 10, {8, -999, -999, -999, -999}},
        {"DIRECT n=4", 0, 4, {-999, 8, 160, -999}},
        {"GA N=20", 2, 3, {-999, 120, -999, -999, -999, 20, 50}},
    };
    std::printf("Batched evaluation, 20 ms per evaluation\n");
    std::printf("%-11s %7s %5s %8s %8s %10s %11s %8s %9s %8s\n", "engine", "workers", "evals",
                "wall s", "speed-up", "min(w,b)", "ideal(rnd)", "of ideal", "grad. x", "same run");
    for (const Case& c : cases) {
        const Outcome sequential = runCase(c, nullptr);
        const double perEvaluation = sequential.wall / sequential.evaluations;
        std::printf("%-11s %7s %5d %8.2f %8s %10s %11s %8s %9s %8s\n", c.name, "-",
                    sequential.evaluations, sequential.wall, "1.00", "-", "-", "-", "-", "-");
        for (int workers : {2, 4, 8}) {
            ThreadPool pool(workers);
            const Outcome batched = runCase(c, &pool);
            const double speedUp = sequential.wall / batched.wall;
            const double ideal = roundsIdeal(batched.host.sizes, workers, 0);
            double gradientDesigns = 0.0;
            for (int size : batched.host.sizes) {
                gradientDesigns += size > 1 ? size : 0;
            }
            const double gradientSpeedUp =
                batched.host.batchedSeconds > 0.0
                    ? gradientDesigns * perEvaluation / batched.host.batchedSeconds
                    : 0.0;
            const bool same = sameBits(batched.x, sequential.x) &&
                              sameBits(batched.f, sequential.f) &&
                              batched.evaluations == sequential.evaluations;
            char gradientColumn[32] = "-";
            if (c.method == 1) {
                std::snprintf(gradientColumn, sizeof gradientColumn, "%.2f/%.2f", gradientSpeedUp,
                              roundsIdeal(batched.host.sizes, workers, 1));
            }
            std::printf("%-11s %7d %5d %8.2f %8.2f %10d %11.2f %8.2f %9s %8s\n", c.name, workers,
                        batched.evaluations, batched.wall, speedUp,
                        std::min(workers, typicalBatch(batched.host.sizes)), ideal, speedUp / ideal, gradientColumn,
                        same ? "yes" : "NO");
        }
    }
    std::printf("  grad. x: the SQP's gradient batches alone, speed-up / its ideal\n");
    return 0;
}
