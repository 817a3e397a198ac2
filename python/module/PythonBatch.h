// Batches of designs evaluated by a Python callable, for the library's batched
// entry points. The callable receives a (count, n) array of designs and returns
// a (count, m) array of responses. It runs with the GIL taken; a Python
// exception it raises is kept in the context and raised again by the caller
// once the library has returned (the library itself only sees a C++ exception,
// which ends its run).
#pragma once

#include <pybind11/pybind11.h>

#include <optional>

namespace zelkorpy {

struct BatchContext {
    pybind11::object evaluateBatch;
    int n = 0;
    int m = 0;
    std::optional<pybind11::error_already_set> error;
};

// Evaluates count designs (row-major, n each) into responses (count rows of m).
// Called from the library with the GIL released.
void evaluateInPython(BatchContext& context, int count, const double* designs, double* responses);

// Raises the Python exception a batch raised, if any. Call with the GIL held.
void raisePendingError(BatchContext& context);

} // namespace zelkorpy
