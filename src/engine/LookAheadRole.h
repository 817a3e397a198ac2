#pragma once

namespace Opt {

// What a published design is to a batched driver that holds designs the engine
// announced earlier (OptEngine::lookAheadRole). The driver asks only when the
// design differs from the next announced one, or when announced designs are left
// unpublished (at the end of the run or of a nested search).
enum class LookAheadRole {
    // The design should have been the next announced one, and nothing announced
    // should be left: anything else is a defect of the engine's look-ahead.
    Announced,
    // The design comes before the announced designs still to come (a failed
    // evaluation published again); the designs it announces come before them too.
    Inserted,
    // The announced designs still to come will not be published: the engine, or
    // the search nested in it that announced them, ended early (on failed
    // evaluations or a budget).
    Withdrawn,
};

} // namespace Opt
