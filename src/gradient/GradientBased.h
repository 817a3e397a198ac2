#pragma once

#include <memory>
#include <vector>

#include "engine/OptEngine.h"
#include "gradient/SQPState.h"
#include "linalg/Matrix.h"

namespace Opt {

// The family of gradient-based engines: an OptEngine that owns the gradient
// matrix G ((m + 1) rows, objective first, by n columns), its copy from the
// previous iteration and the last step d, and knows how to obtain G in each
// gradient mode and how responses are normalised.
//
// Normalised responses: the objective is its signed value divided by its
// absolute scale; a constraint with limit L is (r - L)/|L| when |L| is not below
// the numeric zero (so a lower bound, stored as a negative limit, is violated
// exactly when the normalised value is positive), else r divided by its
// absolute scale. In host-array mode the constraint rows have limit 0, so a
// constraint's normalised value is the host's value over its scale, and the objective row's sign (from the goal) is applied
// here, because nothing else signs host values.
//
// G holds derivatives of the normalised responses with respect to the
// normalised design variables, in every gradient mode. The step, its box and
// the trial point all live in the normalised space; a G with respect to the
// physical variables would mis-scale every linearised constraint by ub - lb.
// So forward differences divide by the normalised step h alone, gradients from
// the host are multiplied by (ub_i - lb_i) and by the response's normalising
// factor, and sensitivities that arrive with the responses are scaled the
// same way.
//
// Gradient modes: 1 forward differences, one published perturbation per
// variable; 3 the host supplies the gradient array on request; 0 and 2 the
// sensitivities arrive with each evaluation of the main point - in host-array
// mode through the g array passed with the responses, in data-set mode from
// nowhere (the data set carries none), where a missing sensitivity counts as 0.
//
// The family's save and restore hooks copy the iteration state into and out of
// an SQPState; restoreState comes first, as in the engine's hook table.
class GradientBased : public OptEngine {
public:
    GradientBased(const std::vector<double>& start, const std::vector<std::vector<double>>& bounds,
                  int nResponses);
    explicit GradientBased(std::shared_ptr<DataSet> dataSet);

    // G from the sensitivities kept with the last evaluation of the main point.
    void evaluateGradients() override;

    virtual void restoreState(const SQPState& state);
    virtual void saveState(SQPState& state) const;

    const Matrix& gradients() const { return gradient; }
    const std::vector<double>& step() const { return d; }

protected:
    // Sizes G, its copy, d and the sensitivity store for the current table.
    void sizeGradientStorage();

    // The factor that turns a derivative of the host's response (or of a
    // row's signed value) into a derivative of the normalised response.
    double normalisingFactor(int row) const;
    double normalised(int row, double value) const;
    double physical(int row, double normalisedValue) const;
    // Signed and normalised in place: every row's value.
    void normaliseLatestResponses();

    // One call of the gradient step: Evaluate with a perturbed design,
    // Gradients to ask the host, or Continue once G is complete.
    StepCode gradientStep(int gradientMode, double finiteDifferenceStep, double** g);
    // Publishes the perturbation that is out again at half its step, after its
    // evaluation failed: the column is then differenced over the shorter step.
    StepCode retryPerturbation(double finiteDifferenceStep);
    // Look-ahead (ours): after perturbation k has been published at its full
    // step, appends perturbations k + 1, ... (at most limit, and only as many as
    // the evaluation limit lets through), as the gradient step will publish them.
    void announcePerturbations(double finiteDifferenceStep, int limit,
                               std::vector<double>& designs) const;
    // Keeps the sensitivities that came with an evaluation (g may be null).
    void keepSensitivities(double** g);
    // Writes the current design in caller units into x (or the data set)
    // without publishing it.
    void handOverCurrentDesign(double* x) const;

    Matrix gradient;
    Matrix previousGradient;
    std::vector<double> d;
    Matrix sensitivities; // n x (m + 1), as the host indexes them
    bool gradientRequested = false;
    // The factor on the difference step of the perturbation that is out (1 unless
    // its evaluation failed and it was published again closer to the design).
    double differenceStepScale = 1.0;

private:
    StepCode finiteDifferenceStep(double h);
    void copyHostGradients(double** g);
    double objectiveSign() const;
};

} // namespace Opt
