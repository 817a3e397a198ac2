#pragma once

#include <memory>
#include <string>
#include <vector>

#include "common/DesignVariable.h"
#include "rsm/RSMBase.h"

namespace Opt::RSM {

// What the model-file services ask of a model file written by a surrogate
// study: predictions of some of its models at the design of a session's design
// variables, on a grid of two variables, at many points, and their quality
// against points the caller evaluated. RSMManager's model-file slots delegate
// here; the exported services reach them through a temporary type-9 session.
//
// Points are in caller units. They are mapped to surrogate coordinates with the
// variables' bounds when the file's sample is normalised, so the variables must
// carry the bounds the study ran with (the file keeps the sample, not the
// bounds). Results are in the stored units of the models (predictNormalised):
// a study without response scales stores response units.
//
// Decisions where behaviour was open:
// - Models are read with DataOutBase::readRecord from one open stream, each
//   requested model once per call, so a service never installs the file's
//   sample as the current design: a study's installed design is left alone.
// - The normalised flag of a polynomial model, whose record has no sample, is
//   that of the file's other records read in the same call, else set (studies
//   always normalise).
// - Every failure (a file that cannot be opened, a truncated, corrupt or
//   other-kind file, an id not in the directory, a model that cannot predict)
//   clears *success and leaves every result 0; nothing is thrown. Its
//   description goes to *problem when the caller gave one, otherwise one line
//   on standard error.
// - A design whose length does not match the file's models is refused where
//   the file shows it: every model type but polynomial regression stores its
//   sample, whose length the reader checks; a polynomial read with more
//   variables than it was fitted on ignores the extra ones.
class ModelFileQueries {
public:
    // A grid over two variables, the others at the design's values: count
    // points evenly spaced from lower to upper bound along each (discrete
    // levels are not snapped to), point (a, b) being grid row a * secondCount + b.
    struct Grid {
        int first = 0;
        int second = 1;
        int firstCount = 2;
        int secondCount = 2;
    };

    // The quality of one model against observed values, per response id.
    struct Validation {
        // 1 - SSres / SStot, not clamped; 1 when the values are constant.
        double rSquared = 0.0;
        double rootMeanSquareError = 0.0;
        double largestError = 0.0; // largest |observed - predicted|
    };
    static constexpr int kValidationMeasures = 3;

    // variables is read, never changed, and must outlive the object; problem
    // may be null.
    ModelFileQueries(const std::vector<DesignVariable>& variables, std::string* problem);

    // The predictions of the models of ids at the variables' design, in id order.
    std::vector<double> evaluateAll(const std::string& fileName, const std::vector<int>& ids,
                                    bool* success) const;
    // One row of predictions (ids order) per grid point, row-major over the grid.
    std::vector<std::vector<double>> evaluateGrid(const std::string& fileName,
                                                  const std::vector<int>& ids, const Grid& grid,
                                                  bool* success) const;
    // One row of predictions (ids order) per point.
    std::vector<std::vector<double>> evaluateAt(const std::string& fileName,
                                                const std::vector<int>& ids,
                                                const std::vector<std::vector<double>>& points,
                                                bool* success) const;
    // The quality of each model of ids against observed[p][k], the value of
    // response ids[k] at points[p] (every row as long as ids).
    std::vector<Validation> validate(const std::string& fileName, const std::vector<int>& ids,
                                     const std::vector<std::vector<double>>& points,
                                     const std::vector<std::vector<double>>& observed,
                                     bool* success) const;

private:
    struct LoadedModels {
        std::vector<std::shared_ptr<RSMBase>> models;
        bool normalised = true;
    };

    bool load(const std::string& fileName, const std::vector<int>& ids, LoadedModels& loaded) const;
    bool predictRow(const LoadedModels& loaded, const std::vector<int>& ids,
                    const std::vector<double>& point, std::vector<double>& row) const;
    std::vector<double> design() const;
    void report(const std::string& line) const;

    const std::vector<DesignVariable>& variables;
    std::string* problem;
};

} // namespace Opt::RSM
