#pragma once

#include <array>
#include <optional>
#include <ostream>
#include <stdexcept>
#include <string>
#include <vector>

#include "managers/WeightSetLayout.h"

namespace Opt::RSM {

// The frequency study of a vehicle's steering system on its cowl cross-bar and
// body, on two stored surrogate sets (model files of three responses each,
// the first three natural frequencies in Hz):
//   the steering system   the steering column and wheel mounted on a buck (the
//                         rigid-as-possible test fixture it is measured or
//                         computed on), "[Steering System]";
//   the cowl X/bar & body the cross-bar with its body mounts, seen from the
//                         column's mount with the wheel as a lumped mass,
//                         "[Cowl X/bar & Body System]".
// Each set is read through a nested evaluation engine (engine type 9, a
// temporary study manager built from the design alone), one per prediction,
// and its predictions are counted.
//
// Subsystems are combined mode by mode by Dunkerley's rule for springs in
// series carrying one mass: with a and b the squared frequencies (the
// eigenvalues) of two parts, 1/sqrt(1/a + 1/b) is the frequency of the two
// joined in series and 1/sqrt(1/a - 1/b) that of the system a with the part b
// removed. Per mode k:
//   column     = remove(steering on buck, buck)       the column on a rigid mount
//   cross-bar  = remove(cowl X/bar & body, body)      the cross-bar on a rigid body
//   assembled  = join(column, cowl X/bar & body)      the steering wheel in the vehicle
// Removing a part at least as soft as the whole (a >= b) leaves a rigid rest:
// the rule gives +infinity, which joins as the identity.
//
// The study searches the design (within its bounds) that maximises the lowest
// assembled mode, subject to
//   lowest assembled mode >= target, and
//   first cowl X/bar & body mode - lowest assembled mode >= separation,
// so that the steering wheel's mode stays clear of the mode of the structure
// it hangs on. Stiffening the column raises the assembled mode towards the
// cowl mode and closes the gap, which is what makes the optimum a trade-off.
// The search is the library's genetic algorithm with feasibility-first ranking
// over the bounds (its budget of design evaluations given), refined by SQP with
// forward differences from the genetic optimum; the refinement is kept when it
// ranks better (feasible first, then the higher lowest mode).
//
// Decisions where behaviour was open:
// - Both model files are fitted over the study's design variables in order,
//   unless a file's base name holds a cross-bar weight-set key, in which case
//   WeightSetLayout forms its vector (nSteering and the weight say how).
// - A model file name may carry the ".rsm" extension or not; ".rsm" is what is
//   read either way.
// - The buck and body frequencies are the caller's (measured or computed once);
//   they do not depend on the design.
// - A design evaluation asks both sets once, so both counts include the start
//   and the final design's evaluation.
//
// Failures: inconsistent settings throw std::invalid_argument naming the value;
// a model file that cannot serve (missing, corrupt, fewer than three
// responses, another number of variables) throws ModelSetUnavailable with the
// set's label and the reader's reason.
class FrequencyStudy {
public:
    static constexpr int kModes = 3;
    using Modes = std::array<double, kModes>;

    struct ModelSetUnavailable : std::runtime_error {
        using std::runtime_error::runtime_error;
    };

    struct Settings {
        std::string steeringFile; // "[Steering System]" model file
        std::string cowlFile;     // "[Cowl X/bar & Body System]" model file
        std::vector<std::vector<double>> bounds; // [lower, upper] per design variable
        int nSteering = 0;        // leading variables that belong to the column
        std::optional<WeightSetLayout::Weight> weight;
        Modes buck{};             // Hz, > 0
        Modes body{};             // Hz, > 0
        double target = 0.0;      // Hz, >= 0 (0: no target)
        double separation = 0.0;  // Hz, >= 0 (0: no separation asked)
        int searchBudget = 0;     // genetic-algorithm evaluations; <= 0: kDefaultBudget
    };

    // Every frequency of one design (Hz).
    struct ModeTable {
        Modes steeringOnBuck{};
        Modes column{};
        Modes cowlAndBody{};
        Modes crossBar{};
        Modes assembled{};

        double lowestAssembled() const;
        // First cowl X/bar & body mode less the lowest assembled mode.
        double separation() const;
    };

    struct Result {
        std::vector<double> design;
        ModeTable modes;
        bool meetsRequirements = false;
        int steeringEvaluations = 0;
        int cowlEvaluations = 0;
    };

    static constexpr int kDefaultBudget = 2000;

    // 1/sqrt(1/a^2 + 1/b^2) and 1/sqrt(1/a^2 - 1/b^2) for frequencies a, b > 0
    // (the rules above on their squares).
    static double join(double a, double b);
    static double remove(double a, double b);
    // The file that is read for a model file name: the name itself when it ends
    // in ".rsm", else the name with ".rsm" added.
    static std::string modelFilePath(const std::string& name);

    // Checks the settings (throws std::invalid_argument).
    explicit FrequencyStudy(Settings settings);

    // Every frequency at design x (inside the bounds), counted as one
    // evaluation of each set.
    ModeTable modesAt(const std::vector<double>& x);
    // The search from start (inside the bounds).
    Result run(const std::vector<double>& start);
    // The output lines: the two evaluation counts, then the design and one row
    // per subsystem over the three modes.
    void report(const Result& result, std::ostream& out) const;

    int steeringEvaluations() const { return steering.count; }
    int cowlEvaluations() const { return cowl.count; }

private:
    struct StoredModelSet {
        std::string label;
        std::string path;
        std::optional<WeightSetLayout> layout;
        int count = 0;
    };

    Modes predict(StoredModelSet& set, const std::vector<double>& x);
    std::vector<double> searchResponses(std::vector<double> x);
    void clampToBounds(std::vector<double>& x) const;
    std::vector<double> search(int engineType, const double* reals, const int* ints,
                               std::vector<double> x);
    bool ranksBetter(const std::vector<double>& x, const std::vector<double>& than);
    bool meetsRequirements(const ModeTable& modes) const;
    double responseScale() const;

    Settings settings;
    StoredModelSet steering;
    StoredModelSet cowl;
};

} // namespace Opt::RSM
