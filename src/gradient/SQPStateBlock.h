#pragma once

#include <cstddef>
#include <string>

#include "gradient/SQPState.h"

namespace Opt {

// The SQP iteration state (SQPState) laid out in one block of doubles that a
// caller owns, so that a run split over many calls (one host evaluation each,
// runSQP_CFD) keeps its continuity in the caller's storage alone. The block's
// size depends only on the numbers of design variables n and responses m, so a
// host can allocate it once (size()); a block of zeros starts a new run.
//
// Layout, in order (c = m - 1 constraints; integers and flags are stored as
// exact double values; an "optional" list is a count slot, 0 or its full
// length, followed by room for that length; a "short" list is a count slot
// followed by room for its largest length):
//   header    tag (kTag), n, m, stage (kStage*)                         4
//   designs   current, trial, previous (normalised, n each), step d (n);
//             optional: last good design (normalised), latest host design,
//             returned design (caller units), n each                   4n + 3(n + 1)
//   responses latest, current, previous (normalised), scales (m each);
//             optional: latest host responses, returned responses      4m + 2(m + 1)
//   G         current and previous, m x n each, row by row             2mn
//   B         current and previous, n x n each, row by row             2n²
//   per constraint: penalties, previous penalties, QP multipliers,
//             multiplier estimates (c each); short: the constraints
//             selected for the QP (indices)                            4c + (c + 1)
//   scalars   difference-step scale, merit at the line search's start,
//             step length, last step length, move limit, best trial's step
//             length and merit, relative change, step norm             9
//   integers  phase, sub-evaluation index, line-search trials,
//             iteration count, evaluation count, back-offs, reported
//             line-search trials                                      7
//   flags     gradient requested, evaluation pending, feasible, skip line
//             search, accepted trial evaluated, snap evaluation pending,
//             snapped design evaluated, return last good design        8
//   messages  a count slot and kMessageCapacity character codes: the
//             engine's messages so far, each ended by code 0          1 + kMessageCapacity
//
// The messages travel because they carry the engine's record that the run
// stopped on its iteration limit (read when the run is classified).
class SQPStateBlock {
public:
    // Marks a block written by this class (and its layout's version).
    static constexpr double kTag = 1401.0;
    // Room for the engine's messages; its own few fit several times over.
    static constexpr std::size_t kMessageCapacity = 256;

    // What the block holds: nothing yet (a new run), the start handed out for
    // evaluation, a saved iteration state, or a run that has ended.
    enum Stage { kStageNew = 0, kStageStartOut = 1, kStageSaved = 2, kStageEnded = 3 };

    // Doubles needed for a problem of n design variables and m responses.
    static std::size_t size(int n, int m);

    // The stage of a block of size(n, m) doubles; a non-empty message (naming
    // what does not match) when the block was not written for this problem.
    static std::string stage(const double* block, int n, int m, Stage& stage);
    static void setStage(double* block, int n, int m, Stage stage);

    // Writes the state with its header (stage kStageSaved); throws a message
    // string when the state does not fit the problem's layout.
    static void write(const SQPState& state, int n, int m, double* block);
    static SQPState read(const double* block, int n, int m);
};

} // namespace Opt
