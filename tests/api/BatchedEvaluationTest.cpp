// Batched evaluation: a batched run of every engine, at several batch limits and
// with failed evaluations, is the sequential run (same designs evaluated, same
// x, f, result and console report); batches have the sizes the engines'
// independent designs give; a look-ahead the engine breaks is caught.
#include "api/zelkor.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <regex>
#include <stdexcept>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "api/BatchedEvaluation.h"
#include "engine/OptEngine.h"

namespace {

using Rows = std::vector<std::vector<double>>;

// The problem: a bowl in n variables on [-1.7, 2.9] with the constraint
// x0 + x1 <= 1, active at the optimum. With failures on, about one design in
// eleven (chosen by its bits, so the same design fails in every run) returns NaN.
bool failuresOn = false;

bool fails(const double* x, int n)
{
    std::uint64_t hash = 1469598103934665603ull;
    for (int i = 0; i < n; ++i) {
        std::uint64_t bits = 0;
        std::memcpy(&bits, &x[i], sizeof bits);
        hash = (hash ^ bits) * 1099511628211ull;
    }
    return failuresOn && (hash >> 32) % 11 == 0;
}

void respond(const double* x, int n, double* f)
{
    double sum = 0.0;
    for (int i = 0; i < n; ++i) {
        const double centre = 0.5 + 0.25 * i;
        sum += (x[i] - centre) * (x[i] - centre);
    }
    f[0] = fails(x, n) ? std::numeric_limits<double>::quiet_NaN() : sum;
    f[1] = x[0] + x[1] - 1.0;
}

struct Trace {
    Rows designs; // as handed to the host
    std::vector<int> batchSizes;
    std::vector<double> x;
    std::vector<double> f;
    int result = -1;
    int status = -1;
    std::string console;
    ZelkorBatchCounts counts{};
};
Trace* recording = nullptr;

int sequentialHost(double* x, int n, double* f, int)
{
    recording->designs.emplace_back(x, x + n);
    respond(x, n, f);
    return 0;
}

void vectorBatchHost(const Rows* designs, Rows* responses, void* user)
{
    auto* trace = static_cast<Trace*>(user);
    trace->batchSizes.push_back(static_cast<int>(designs->size()));
    for (std::size_t k = 0; k < designs->size(); ++k) {
        trace->designs.push_back((*designs)[k]);
        respond((*designs)[k].data(), static_cast<int>((*designs)[k].size()),
                (*responses)[k].data());
    }
}

void cBatchHost(int count, const double* designs, double* responses, void* user)
{
    auto* trace = static_cast<Trace*>(user);
    trace->batchSizes.push_back(count);
    const int n = static_cast<int>(trace->x.size());
    for (int k = 0; k < count; ++k) {
        trace->designs.emplace_back(designs + k * n, designs + (k + 1) * n);
        respond(designs + k * n, n, responses + 2 * k);
    }
}

struct EngineCase {
    const char* name;
    int method;
    int n;
    std::vector<int> ints;
};

// Small budgets keep every run short; the hybrid's inner SQP runs 4 iterations.
const std::vector<EngineCase>& engineCases()
{
    static const std::vector<EngineCase> cases = {
        {"DIRECT", 0, 4, {-999, 12, 400, -999}},
        {"SQP", 1, 5, {-999, -999, -999, -999, -999}},
        {"GA", 2, 3, {-999, 300, -999, -999, -999, 20, 50}},
        {"MicroGA", 3, 3, {-999, 300, -999, -999, -999, 7, 50}},
        {"HybridGA", 4, 2, {4, 200, -999, -999, -999, 7, 50}},
        {"SAO", 5, 2, {6, 60}},
    };
    return cases;
}

enum class Form { Vector, C, CWithSingles };

struct Run {
    const EngineCase& engine;
    int batchLimit; // -1: sequential, through Zelkor
    Form form = Form::Vector;
    int reportLevel = 1;
};

// The console report without its one line that differs from run to run.
std::string withoutTiming(const std::string& console)
{
    return std::regex_replace(console, std::regex("TOTAL SOLUTION TIME: .*"), "TOTAL SOLUTION TIME");
}

Trace run(const Run& r)
{
    Trace trace;
    recording = &trace;
    const int n = r.engine.n;
    trace.x.assign(static_cast<std::size_t>(n), 0.0);
    trace.f.assign(2, 0.0);
    Rows bounds(static_cast<std::size_t>(n), {-1.7, 2.9});
    std::vector<double*> boundRows;
    for (auto& list : bounds) {
        boundRows.push_back(list.data());
    }
    std::vector<int> ints = r.engine.ints;
    ints.resize(12, -999);
    testing::internal::CaptureStdout();
    if (r.batchLimit < 0) {
        trace.result = Zelkor(r.engine.method, r.reportLevel, sequentialHost, n, trace.x.data(),
                              boundRows.data(), 2, trace.f.data(), 0, ints.data(), 0, nullptr,
                              nullptr);
    } else if (r.form == Form::Vector) {
        trace.result = ZelkorBatchVector(r.engine.method, r.reportLevel, vectorBatchHost, &trace,
                                         r.batchLimit, &trace.x, &bounds, &trace.f, ints.data(),
                                         nullptr, nullptr, &trace.counts);
    } else {
        trace.result = ZelkorBatch(r.engine.method, r.reportLevel,
                                   r.form == Form::CWithSingles ? sequentialHost : nullptr, n,
                                   trace.x.data(), boundRows.data(), 2, trace.f.data(), 0,
                                   ints.data(), 0, nullptr, nullptr, cBatchHost, &trace,
                                   r.batchLimit);
    }
    trace.console = withoutTiming(testing::internal::GetCapturedStdout());
    trace.status = zelkorLastStatus();
    recording = nullptr;
    return trace;
}

// Designs compared by their bits, in a fixed order.
bool bitsBefore(const std::vector<double>& a, const std::vector<double>& b)
{
    return std::memcmp(a.data(), b.data(), a.size() * sizeof(double)) < 0;
}

Rows sortedByBits(Rows rows)
{
    std::sort(rows.begin(), rows.end(), bitsBefore);
    return rows;
}

bool sameBits(const std::vector<double>& a, const std::vector<double>& b)
{
    return a.size() == b.size() && std::memcmp(a.data(), b.data(), a.size() * sizeof(double)) == 0;
}

struct Equivalence : testing::TestWithParam<std::tuple<int, int, bool>> {
    void TearDown() override { failuresOn = false; }
};

// The batched run is the sequential one. The host evaluates the same designs
// (a failed SQP perturbation's retry comes after its batch, so only the order
// may differ), plus those of a look-ahead the engine withdrew on failures.
TEST_P(Equivalence, BatchedRunIsTheSequentialRun)
{
    const auto [engineIndex, batchLimit, withFailures] = GetParam();
    const EngineCase& engine = engineCases()[static_cast<std::size_t>(engineIndex)];
    failuresOn = withFailures;
    const Trace sequential = run({engine, -1});
    const Form form = batchLimit == 2 ? Form::CWithSingles : batchLimit == 7 ? Form::C : Form::Vector;
    const Trace batched = run({engine, batchLimit, form});

    EXPECT_EQ(batched.console, sequential.console);
    EXPECT_TRUE(sameBits(batched.x, sequential.x));
    EXPECT_TRUE(sameBits(batched.f, sequential.f));
    EXPECT_EQ(batched.result, sequential.result);
    EXPECT_EQ(batched.status, sequential.status);
    EXPECT_EQ(batched.counts.defects, 0);
    const Rows hostSaw = sortedByBits(batched.designs);
    const Rows expected = sortedByBits(sequential.designs);
    EXPECT_TRUE(std::includes(hostSaw.begin(), hostSaw.end(), expected.begin(), expected.end(),
                              bitsBefore));
    EXPECT_EQ(hostSaw.size(), expected.size() + static_cast<std::size_t>(batched.counts.withdrawn));
    for (int size : batched.batchSizes) {
        EXPECT_LE(size, batchLimit == 0 ? size : batchLimit);
    }
    // A failing case must really fail somewhere, or it tests nothing more.
    EXPECT_EQ(withFailures, std::any_of(sequential.designs.begin(), sequential.designs.end(),
                                        [](const auto& x) { return fails(x.data(), int(x.size())); }));
}

INSTANTIATE_TEST_SUITE_P(EnginesAndLimits, Equivalence,
                         testing::Combine(testing::Range(0, 6), testing::Values(1, 2, 7, 0),
                                          testing::Bool()),
                         [](const auto& info) {
                             const int limit = std::get<1>(info.param);
                             return std::string(engineCases()[std::get<0>(info.param)].name) +
                                    "_limit" + (limit == 0 ? std::string("None") : std::to_string(limit)) +
                                    (std::get<2>(info.param) ? "_failures" : "");
                         });

// Independent designs arrive together: a GA generation of N as one batch (N - 1
// for the micro-GA after its first), the SQP's n perturbations as one batch, and
// DIRECT's first iteration's 2n points as one.
TEST(BatchSizes, FollowTheEnginesIndependentDesigns)
{
    const auto& cases = engineCases();
    const Trace direct = run({cases[0], 0, Form::Vector, 0});
    ASSERT_GE(direct.batchSizes.size(), 3u);
    EXPECT_EQ(direct.batchSizes[0], 1); // the start
    EXPECT_EQ(direct.batchSizes[1], 1); // the centre
    EXPECT_EQ(direct.batchSizes[2], 2 * cases[0].n);

    const Trace sqp = run({cases[1], 0, Form::Vector, 0});
    EXPECT_TRUE(std::all_of(sqp.batchSizes.begin(), sqp.batchSizes.end(),
                            [&](int size) { return size == 1 || size == cases[1].n; }));
    EXPECT_GE(std::count(sqp.batchSizes.begin(), sqp.batchSizes.end(), cases[1].n), 2);

    const Trace ga = run({cases[2], 0, Form::Vector, 0});
    EXPECT_EQ(ga.batchSizes, std::vector<int>(ga.batchSizes.size(), 20));

    const Trace micro = run({cases[3], 0, Form::Vector, 0});
    ASSERT_FALSE(micro.batchSizes.empty());
    EXPECT_EQ(micro.batchSizes[0], 7);
    EXPECT_EQ(std::vector<int>(micro.batchSizes.begin() + 1, micro.batchSizes.end()),
              std::vector<int>(micro.batchSizes.size() - 1, 6));

    // The hybrid: generations of 6, its 3 local searches' starts together (n = 2).
    const Trace hybrid = run({cases[4], 0, Form::Vector, 0});
    EXPECT_NE(std::find(hybrid.batchSizes.begin(), hybrid.batchSizes.end(), 3),
              hybrid.batchSizes.end());

    // The SAO: each cycle's design but its reused centre (8 for n = 2), then the
    // candidate alone.
    const Trace sao = run({cases[5], 0, Form::Vector, 0});
    ASSERT_GE(sao.batchSizes.size(), 5u);
    for (std::size_t k = 1; k + 1 < sao.batchSizes.size(); k += 2) {
        EXPECT_EQ(sao.batchSizes[k], 8);
        EXPECT_EQ(sao.batchSizes[k + 1], 1);
    }
}

// An engine that publishes the design x0 = 1 but announces x0 = 2 after it.
class WrongAnnouncement : public Opt::OptEngine {
public:
    WrongAnnouncement() : OptEngine({1.0}, {{0.0, 4.0}}, 1) {}
    void announceDesigns(int, std::vector<double>& designs) const override
    {
        designs.push_back(2.0);
    }
};

TEST(LookAheadDefects, AnnouncedDesignNotPublishedIsCaught)
{
    const WrongAnnouncement engine;
    Rows hostSaw;
    const auto host = [&](int count, const double* designs, double* responses) {
        for (int k = 0; k < count; ++k) {
            hostSaw.push_back({designs[k]});
            responses[k] = 10.0 * designs[k];
        }
    };
    const double first = 1.0;
    const double other = 3.0;
    double f = 0.0;
    for (const bool publishOther : {true, false}) {
        Opt::BatchedEvaluation strict(1, 1, 0, host);
        strict.strict = true;
        strict.serve(engine, &first, &f);
        EXPECT_THROW(publishOther ? strict.serve(engine, &other, &f) : strict.finish(engine),
                     Opt::LookAheadDefect);
    }
    // Without strictness the stray design is evaluated on its own and counted.
    hostSaw.clear();
    Opt::BatchedEvaluation lenient(1, 1, 0, host);
    lenient.strict = false;
    lenient.serve(engine, &first, &f);
    lenient.serve(engine, &other, &f);
    EXPECT_EQ(f, 30.0);
    EXPECT_EQ(hostSaw, (Rows{{1.0}, {2.0}, {3.0}}));
    EXPECT_EQ(lenient.counts().defects, 2); // the stray design and the one it displaced
}

void throwingBatch(int, const double*, double*, void*)
{
    throw std::runtime_error("cluster unreachable");
}

void resizingBatch(const Rows*, Rows* responses, void*)
{
    responses->pop_back();
}

TEST(BatchEntryPoints, RejectBadInputAndSurviveMisbehavingHosts)
{
    std::vector<double> x = {0.0, 0.0};
    std::vector<double> f = {0.0, 0.0};
    double bound[2][2] = {{-2.0, 3.0}, {-2.0, 3.0}};
    double* bounds[2] = {bound[0], bound[1]};
    EXPECT_EQ(ZelkorBatch(1, 0, nullptr, 2, x.data(), bounds, 2, f.data(), 0, nullptr, 0, nullptr,
                          nullptr, nullptr, nullptr, 0),
              0);
    EXPECT_EQ(zelkorLastStatus(), ZELKOR_STATUS_INVALID_INPUT);
    EXPECT_STREQ(zelkorLastMessage(), "ZelkorBatch: no batch callback given; nothing done");
    EXPECT_EQ(ZelkorBatch(1, 0, nullptr, 2, x.data(), bounds, 2, f.data(), 0, nullptr, 0, nullptr,
                          nullptr, cBatchHost, nullptr, -3),
              0);
    EXPECT_STREQ(zelkorLastMessage(), "ZelkorBatch: batchLimit = -3: 0 (no limit) or a positive "
                                      "number of designs is needed; nothing done");

    EXPECT_EQ(ZelkorBatch(2, 0, nullptr, 2, x.data(), bounds, 2, f.data(), 0, nullptr, 0, nullptr,
                          nullptr, throwingBatch, nullptr, 0),
              0);
    EXPECT_EQ(zelkorLastStatus(), ZELKOR_STATUS_HOST_EXCEPTION);
    EXPECT_STREQ(zelkorLastMessage(), "ZelkorBatch: cluster unreachable");

    Rows twoBounds = {{-2.0, 3.0}, {-2.0, 3.0}};
    EXPECT_EQ(ZelkorBatchVector(2, 0, resizingBatch, nullptr, 0, &x, &twoBounds, &f, nullptr,
                                nullptr, nullptr, nullptr),
              0);
    EXPECT_EQ(zelkorLastStatus(), ZELKOR_STATUS_HOST_EXCEPTION);
    EXPECT_STREQ(zelkorLastMessage(),
                 "ZelkorBatchVector: the batch callback returned 250 response rows for 251 designs");
}

} // namespace

namespace {

// A GA run through the vector form on a discrete and a continuous variable,
// with the thread's seed.
Trace seededGaRun(int seed)
{
    EXPECT_EQ(zelkorSetSeed(seed), 1);
    Trace trace;
    trace.x = {0.0, 0.0};
    trace.f.assign(2, 0.0);
    const Rows bounds = {{0.0, 0.25, 0.75, 1.25, 2.0}, {-1.7, 2.9}};
    std::vector<int> ints(12, -999);
    ints[1] = 400;
    ints[5] = 20;
    trace.result = ZelkorBatchVector(2, 0, vectorBatchHost, &trace, 0, &trace.x, &bounds,
                                     &trace.f, ints.data(), nullptr, nullptr, &trace.counts);
    zelkorSetSeed(0);
    return trace;
}

} // namespace

// Discrete levels go through the vector form as through the session; the
// thread's seed picks the genetic methods' run, and the same seed repeats it.
TEST(BatchEntryPoints, DiscreteLevelsAndTheThreadsSeed)
{
    const Trace first = seededGaRun(0);
    const Trace again = seededGaRun(0);
    const Trace other = seededGaRun(17);
    for (const Trace* run : {&first, &other}) {
        for (const auto& design : run->designs) {
            EXPECT_TRUE(design[0] == 0.25 || design[0] == 0.75 || design[0] == 1.25)
                << design[0];
        }
        EXPECT_EQ(run->x[0], 0.25); // the level nearest 0.5 with x0 + x1 <= 1
    }
    EXPECT_EQ(first.designs, again.designs);
    EXPECT_NE(first.designs, other.designs);

    EXPECT_EQ(zelkorSetSeed(-4), 0);
    EXPECT_EQ(zelkorLastStatus(), ZELKOR_STATUS_INVALID_INPUT);
}
