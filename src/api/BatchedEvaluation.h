#pragma once

#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

#include "api/zelkor.h"

namespace Opt {

class OptEngine;

// An engine published a design other than the one it announced, or left
// announced designs unpublished without withdrawing them: a defect of the
// engine's look-ahead, never of the host.
class LookAheadDefect : public std::logic_error {
public:
    using std::logic_error::logic_error;
};

// The batched driver's evaluations (ours): serves each evaluation a driving loop
// asks for, either from the responses of an earlier batch or by a new batch made
// of the published design and the designs the engine announces after it
// (OptEngine::announcedDesigns, at most batchLimit in all). The engine is stepped
// as in a sequential run and receives every response in its own order, so the
// run is the sequential one; the host merely evaluates designs earlier.
//
// Announcements nest: the designs of a search nested in the engine
// (OptEngine::lookAheadDepth) and a design the engine inserts ahead of the
// announced ones (LookAheadRole::Inserted) start batches whose own look-ahead
// comes first; a nested search's look-ahead ends with it. Every published design
// is compared bit for bit with the next design announced at its depth. A
// difference, or announced designs left unpublished without the engine
// withdrawing them (LookAheadRole::Withdrawn), is a defect: in strict mode (debug builds, and tests
// that ask for it) LookAheadDefect is thrown; otherwise the defect is counted,
// the published design is evaluated on its own and the remaining announcements
// are dropped, so that no response ever reaches a design it does not belong to.
class BatchedEvaluation {
public:
#ifdef NDEBUG
    static constexpr bool kStrictByDefault = false;
#else
    static constexpr bool kStrictByDefault = true;
#endif

    // Evaluates count designs (row-major, n values each) into count rows of m
    // responses.
    using HostBatch = std::function<void(int count, const double* designs, double* responses)>;
    // Evaluates the published design alone, in the host's own x and f.
    using HostSingle = std::function<void()>;

    // batchLimit 0: no limit. single may be empty: a batch of one then goes to
    // batch as well.
    BatchedEvaluation(int n, int m, int batchLimit, HostBatch batch, HostSingle single = {});

    // Writes into f (m values) the host's responses at x, the design (n values)
    // that the engine's last step published.
    void serve(const OptEngine& engine, const double* x, double* f);
    // Checks, once the run has ended, that no announced design is left unless the
    // engine withdrew it.
    void finish(const OptEngine& engine);

    const ZelkorBatchCounts& counts() const { return tally; }
    bool strict = kStrictByDefault;

private:
    // The designs of one announcement with their responses; next is the first
    // one not yet published.
    struct Announcement {
        std::vector<double> designs;
        std::vector<double> responses;
        std::size_t next = 0;
        int depth = 0; // of the search that announced them
        std::size_t left(std::size_t n) const { return designs.size() / n - next; }
    };

    bool isNextAnnounced(const double* x) const;
    void takeNextAnnounced(double* f);
    void dropLatestAnnouncement(int& counter);
    // Drops the announcements deeper than depth; what is left of them is withdrawn
    // when the engine says so, else a defect.
    void dropAnnouncements(const OptEngine& engine, int depth);
    void reportDefect(const std::string& what);
    void evaluate(const OptEngine& engine, const double* x, double* f, int depth,
                  bool withLookAhead);

    std::size_t n;
    std::size_t m;
    int limit;
    HostBatch hostBatch;
    HostSingle hostSingle;
    std::vector<Announcement> announcements; // innermost last
    ZelkorBatchCounts tally{};
};

} // namespace Opt
