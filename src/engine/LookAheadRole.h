#pragma once

namespace Opt {

// What a published design is to a batched driver that holds designs the engine
// announced earlier (OptEngine::lookAheadRole). The driver asks only when the
// design differs from the next announced one.
enum class LookAheadRole {
    // The design should have been the next announced one: a difference is a
    // defect of the engine's look-ahead.
    Announced,
    // The design comes before the announced designs still to come (a failed
    // evaluation published again, a design of a nested search); the designs it
    // announces come before them too.
    Inserted,
    // The latest announcement will not be published to its end (the engine, or
    // its nested search, ended early on failed evaluations or a budget); its rest
    // is dropped, and the design is matched against the announcement before it.
    Withdrawn,
};

} // namespace Opt
