// The batched forms of the general entry point (ours): ZelkorBatch for C hosts
// and ZelkorBatchVector for C++ hosts. They run Zelkor's run with a
// BatchedEvaluation, so that the host evaluates the designs an engine announces
// together, and the run stays the sequential one.
#include "api/zelkor.h"

#include <iostream>
#include <stdexcept>
#include <string>
#include <vector>

#include "api/BatchedEvaluation.h"
#include "api/EntryPointGuard.h"
#include "api/ZelkorRun.h"

namespace Opt {

namespace {

std::string checkBatchArguments(bool hasBatchCallback, int batchLimit)
{
    if (!hasBatchCallback) {
        return "no batch callback given";
    }
    if (batchLimit < 0) {
        return "batchLimit = " + std::to_string(batchLimit) +
               ": 0 (no limit) or a positive number of designs is needed";
    }
    return std::string();
}

std::string checkVectorArguments(const std::vector<double>* x, const std::vector<double>* f,
                                 const std::vector<std::vector<double>>* bounds)
{
    if (x == nullptr || f == nullptr || bounds == nullptr) {
        return std::string(x == nullptr ? "x" : f == nullptr ? "f" : "bounds") + " is null";
    }
    if (bounds->size() != x->size()) {
        return "bounds holds " + std::to_string(bounds->size()) + " lists for " +
               std::to_string(x->size()) + " design variables";
    }
    for (std::size_t i = 0; i < bounds->size(); ++i) {
        if ((*bounds)[i].size() < 2) {
            return "bounds[" + std::to_string(i) + "] holds " +
                   std::to_string((*bounds)[i].size()) +
                   " values ([lower, upper] or the levels of a discrete variable are needed)";
        }
    }
    return std::string();
}

// A defect of an engine's look-ahead leaves the run exact but costs evaluations:
// say so, once per run.
void warnOfDefects(const char* name, const ZelkorBatchCounts& counts)
{
    if (counts.defects > 0) {
        std::cerr << name << ": " << counts.defects
                  << " designs strayed from the engine's look-ahead and were evaluated on "
                     "their own"
                  << std::endl;
    }
}

// Hands the vector callback one batch and checks what it returns.
void evaluateVectorBatch(VectorBatchCallback callback, void* user, int count, std::size_t n,
                         std::size_t m, const double* designs, double* responses)
{
    std::vector<std::vector<double>> rows;
    rows.reserve(static_cast<std::size_t>(count));
    for (int k = 0; k < count; ++k) {
        rows.emplace_back(designs + static_cast<std::size_t>(k) * n,
                          designs + static_cast<std::size_t>(k + 1) * n);
    }
    std::vector<std::vector<double>> out(static_cast<std::size_t>(count), std::vector<double>(m));
    callback(&rows, &out, user);
    if (out.size() != rows.size()) {
        throw std::runtime_error("the batch callback returned " + std::to_string(out.size()) +
                                 " response rows for " + std::to_string(count) + " designs");
    }
    for (std::size_t k = 0; k < out.size(); ++k) {
        if (out[k].size() != m) {
            throw std::runtime_error("response row " + std::to_string(k) + " holds " +
                                     std::to_string(out[k].size()) + " values, not " +
                                     std::to_string(m));
        }
        std::copy(out[k].begin(), out[k].end(), responses + k * m);
    }
}

int runVectorBatch(int method, int reportLevel, VectorBatchCallback callback, void* user,
                   int batchLimit, std::vector<double>* x,
                   const std::vector<std::vector<double>>* bounds, std::vector<double>* f,
                   int* ints, double* reals, GradientCallback gradients, ZelkorBatchCounts* counts)
{
    constexpr const char* kName = "ZelkorBatchVector";
    std::string problem = checkBatchArguments(callback != nullptr, batchLimit);
    if (problem.empty()) {
        problem = checkVectorArguments(x, f, bounds);
    }
    if (!problem.empty()) {
        return rejectArgument(kName, problem);
    }
    const std::size_t n = x->size();
    const std::size_t m = f->size();
    BatchedEvaluation batch(static_cast<int>(n), static_cast<int>(m), batchLimit,
                            [&](int count, const double* designs, double* responses) {
                                evaluateVectorBatch(callback, user, count, n, m, designs,
                                                    responses);
                            });
    // The counts are handed back however the run ends.
    struct CountsOut {
        ZelkorBatchCounts* out;
        const BatchedEvaluation& batch;
        ~CountsOut()
        {
            if (out != nullptr) {
                *out = batch.counts();
            }
        }
    } countsOut{counts, batch};
    const int result =
        runZelkorOnLists(method, reportLevel, {nullptr, gradients, &batch, kName},
                         static_cast<int>(n), x->data(), *bounds, static_cast<int>(m), f->data(),
                         ints, reals);
    warnOfDefects(kName, batch.counts());
    return result;
}

} // namespace

} // namespace Opt

extern "C" ZELKOR_API int ZelkorBatch(int method, int reportLevel, ResponseCallback evaluate,
                                      int n, double* x, double** bounds, int m, double* f,
                                      int /*reserved1*/, int* ints, int /*reserved2*/,
                                      double* reals, GradientCallback gradients,
                                      BatchCallback evaluateBatch, void* user, int batchLimit)
{
    constexpr const char* kName = "ZelkorBatch";
    return Opt::guardEntryPoint(kName, 0, [&] {
        const std::string problem = Opt::checkBatchArguments(evaluateBatch != nullptr, batchLimit);
        if (!problem.empty()) {
            return Opt::rejectArgument(kName, problem);
        }
        Opt::BatchedEvaluation::HostSingle single;
        if (evaluate != nullptr) {
            single = [&] { evaluate(x, n, f, m); };
        }
        Opt::BatchedEvaluation batch(
            n, m, batchLimit,
            [&](int count, const double* designs, double* responses) {
                evaluateBatch(count, designs, responses, user);
            },
            single);
        const int result = Opt::runZelkor(method, reportLevel, {evaluate, gradients, &batch, kName},
                                          n, x, bounds, m, f, ints, reals);
        Opt::warnOfDefects(kName, batch.counts());
        return result;
    });
}

extern "C" ZELKOR_API int ZelkorBatchVector(int method, int reportLevel,
                                            VectorBatchCallback evaluateBatch, void* user,
                                            int batchLimit, std::vector<double>* x,
                                            const std::vector<std::vector<double>>* bounds,
                                            std::vector<double>* f, int* ints, double* reals,
                                            GradientCallback gradients, ZelkorBatchCounts* counts)
{
    return Opt::guardEntryPoint("ZelkorBatchVector", 0, [&] {
        return Opt::runVectorBatch(method, reportLevel, evaluateBatch, user, batchLimit, x, bounds,
                                   f, ints, reals, gradients, counts);
    });
}
