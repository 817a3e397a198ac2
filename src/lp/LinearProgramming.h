#pragma once

#include <memory>
#include <vector>

#include "engine/OptEngine.h"
#include "lp/BoundedSimplex.h"
#include "lp/LinearProgrammingParameter.h"

namespace Opt {

// The linear-programming engine: solves the linear program handed to it through
// setLinearProgram with the bounded-variable simplex, a batch of pivots per
// engine step. It never asks for evaluations: every step returns Continue until
// the program is solved, then Finished.
//
// Failures are raised by throwing the library's error messages (as strings):
//   INVALID SIMPLEX PARAMETER.                  a tolerance of 1e-3 or more
//   INPUT DATAS ARE INVALID.                    no program, inconsistent sizes, no
//                                               variables, a coefficient that is not finite
//   SOME BOUNDED VARIABLES HAVE INVALID BOUNDS. a lower bound above its upper bound,
//                                               or a lower bound of +inf / upper of -inf
//   NO FEASIBLE SOLUTION                        the bounds cannot all be met
//   CANNOT CONVERGED.                           the objective is unbounded below
//   ITERATION LIMIT HAS BEEN EXHAUSTED.         maxIterations pivots without an answer
//   SIMPLEX OPTIMIZER FAILED.                   the basis kept failing to factor, even
//                                               after restarts from the slack basis
// The start basis is all logicals, which is never singular or ill-conditioned, so
// the three "INITIAL BASIS" messages cannot arise from this engine.
class LinearProgramming : public OptEngine {
public:
    static constexpr int kEngineType = 16;

    LinearProgramming(const std::vector<double>& reals, const std::vector<int>& ints);

    void setLinearProgram(const LinearProgram& program) override;
    bool linearSolution(std::vector<double>& x, double& value) const override;
    StepCode beginIteration(double* x, double* f, double** g) override;
    StepCode computeStep(double* x, double* f, double** g) override;
    StepCode updateStep() override;
    StepCode endIteration(double* x) override;

    bool solved() const { return finished; }
    std::vector<double> solution() const;
    double objectiveValue() const;
    std::vector<double> rowDuals() const;

    // Throws the matching error message when the program cannot be solved as given.
    static void checkProgram(const LinearProgram& program);

private:
    const LinearProgrammingParameter& settings() const
    {
        return static_cast<const LinearProgrammingParameter&>(*parameter);
    }

    LinearProgram program;
    bool programGiven = false;
    std::unique_ptr<BoundedSimplex> simplex;
    bool finished = false;
};

} // namespace Opt
