#pragma once

namespace Opt {

// The base of every engine's parameter record. load() fills the record from the
// engine's flat parameter arrays and replaces every entry that is out of range
// (the unset marks -999 / -999.0, negatives, and values outside the field's
// meaning) by the field's default. Subclasses call the base load first and then
// read their own positions. The arrays must hold at least as many entries as the
// record reads; the session's builders guarantee that by copying a fixed count.
class OptEngineParameter {
public:
    virtual ~OptEngineParameter() = default;

    // Either array may be null: every field then keeps its default.
    virtual void load(const double* reals, const int* ints);

    int goal = 1;           // ints[0]: 1 minimise, 2 maximise (anything else: 1)
    int objectiveForm = 1;  // ints[1]: 1 weighted sum, 2 weighted Euclidean norm, 3 sum of magnitudes (anything else: 1)
    int option = 0;         // not loaded; set through the engine's setParameterOption
};

} // namespace Opt
