#include "api/BatchedEvaluation.h"

#include <algorithm>
#include <climits>
#include <cstring>

#include "engine/OptEngine.h"

namespace Opt {

BatchedEvaluation::BatchedEvaluation(int designCount, int responseCount, int batchLimit,
                                     HostBatch batch, HostSingle single)
    : n(static_cast<std::size_t>(std::max(designCount, 1))),
      m(static_cast<std::size_t>(std::max(responseCount, 0))),
      limit(batchLimit > 0 ? batchLimit : INT_MAX),
      hostBatch(std::move(batch)),
      hostSingle(std::move(single))
{
}

void BatchedEvaluation::serve(const OptEngine& engine, const double* x, double* f)
{
    const int depth = engine.lookAheadDepth();
    if (!announcements.empty() && announcements.back().depth > depth) {
        dropAnnouncements(engine, depth); // the nested search that made them has ended
    }
    if (!announcements.empty() && announcements.back().depth == depth) {
        if (isNextAnnounced(x)) {
            takeNextAnnounced(f);
            return;
        }
        if (engine.lookAheadRole() != LookAheadRole::Inserted) {
            reportDefect("the engine published a design other than the one it announced");
            ++tally.defects;
            while (!announcements.empty()) {
                dropLatestAnnouncement(tally.defects);
            }
            evaluate(engine, x, f, depth, false);
            return;
        }
    }
    evaluate(engine, x, f, depth, true);
}

void BatchedEvaluation::finish(const OptEngine& engine)
{
    dropAnnouncements(engine, -1);
}

void BatchedEvaluation::dropAnnouncements(const OptEngine& engine, int depth)
{
    int left = 0;
    while (!announcements.empty() && announcements.back().depth > depth) {
        dropLatestAnnouncement(left);
    }
    if (left == 0 || engine.lookAheadRole() != LookAheadRole::Announced) {
        tally.withdrawn += left;
        return;
    }
    reportDefect(std::to_string(left) + " announced designs were never published");
    tally.defects += left;
}

bool BatchedEvaluation::isNextAnnounced(const double* x) const
{
    const Announcement& latest = announcements.back();
    return std::memcmp(latest.designs.data() + latest.next * n, x, n * sizeof(double)) == 0;
}

void BatchedEvaluation::takeNextAnnounced(double* f)
{
    Announcement& latest = announcements.back();
    const double* responses = latest.responses.data() + latest.next * m;
    std::copy(responses, responses + m, f);
    ++latest.next;
    if (latest.left(n) == 0) {
        announcements.pop_back();
    }
}

void BatchedEvaluation::dropLatestAnnouncement(int& counter)
{
    counter += static_cast<int>(announcements.back().left(n));
    announcements.pop_back();
}

void BatchedEvaluation::reportDefect(const std::string& what)
{
    if (strict) {
        throw LookAheadDefect("batched evaluation: " + what);
    }
}

void BatchedEvaluation::evaluate(const OptEngine& engine, const double* x, double* f, int depth,
                                 bool withLookAhead)
{
    Announcement batch;
    batch.depth = depth;
    batch.designs.assign(x, x + n);
    if (withLookAhead) {
        engine.announcedDesigns(limit - 1, batch.designs);
    }
    const std::size_t count = batch.designs.size() / n;
    ++tally.batches;
    tally.designs += static_cast<int>(count);
    tally.largestBatch = std::max(tally.largestBatch, static_cast<int>(count));
    if (count == 1 && hostSingle) {
        hostSingle();
        return;
    }
    batch.responses.assign(count * m, 0.0);
    hostBatch(static_cast<int>(count), batch.designs.data(), batch.responses.data());
    std::copy(batch.responses.begin(), batch.responses.begin() + static_cast<std::ptrdiff_t>(m), f);
    if (count > 1) {
        batch.next = 1;
        announcements.push_back(std::move(batch));
    }
}

} // namespace Opt
