#pragma once

#include <vector>

#include "engine/LinearProgram.h"
#include "linalg/Matrix.h"

namespace Opt {

// A dense primal simplex method for linear programs with two-sided row bounds
// and bounded (or free) variables (Dantzig's bounded-variable simplex; see
// Chvátal, "Linear Programming", 1983, ch. 8, and Maros, "Computational
// Techniques of the Simplex Method", 2003).
//
// Each row gets a logical variable s_i = a_i . x carrying the row's bounds, so
// the constraints read A x - s = 0 and every variable, structural or logical,
// simply lies between its bounds. The start basis is all logicals (B = -I, never
// singular) with every structural at a finite bound (or at 0 when free).
//
// The method is composite: while some basic variable lies outside its bounds the
// pricing minimises the sum of infeasibilities (cost -1 below, +1 above), and a
// basic variable blocks the step when it reaches the bound it is moving towards;
// once the basis is feasible the true costs take over. Entering variables are
// chosen by the largest reduced cost (Dantzig); after a run of degenerate steps
// Bland's smallest-index rule takes over until the objective moves again, which
// rules out cycling. Among blocking rows the largest pivot is preferred for
// stability. An entering variable that reaches its own opposite bound first
// simply flips bound without a basis change.
//
// The basis inverse is kept explicitly and updated by the product form at each
// pivot; it is recomputed from an LU factorisation (LAPACK) every
// `refactorInterval` pivots, when the basic values are also recomputed, so
// rounding cannot accumulate.
class BoundedSimplex {
public:
    struct Settings {
        int maxIterations = 0;              // 0: 1000 + 50 (m + n)
        double feasibilityTolerance = 1e-9; // bound violation counted as feasible
        double optimalityTolerance = 1e-9;  // reduced cost counted as zero
        int refactorInterval = 100;
    };

    enum class Status { Running, Optimal, Infeasible, Unbounded, IterationLimit, NumericalFailure };

    // The program must have been checked: consistent sizes, finite coefficients,
    // lower <= upper everywhere.
    BoundedSimplex(const LinearProgram& program, const Settings& settings);

    // Performs at most maxPivots iterations; returns Running while unfinished.
    Status iterate(int maxPivots);

    Status status() const { return state; }
    std::vector<double> solution() const;   // the structural variables
    double objectiveValue() const;
    // The row duals y of the last pricing: the reduced costs are c - A^T y for
    // the structurals and y_i for the logical of row i.
    const std::vector<double>& rowDuals() const { return duals; }
    int iterations() const { return iterationCount; }

private:
    enum class Phase { Feasibility, Optimality };

    int variableCount() const { return n + m; }
    Phase setBasicCosts(std::vector<double>& basicCosts) const;
    std::vector<double> reducedCosts(const std::vector<double>& y, Phase phase) const;
    int chooseEntering(const std::vector<double>& d, int& direction) const;
    std::vector<double> ftran(int variable) const;
    int ratioTest(const std::vector<double>& alpha, int direction, Phase phase, double& step) const;
    void pivot(int entering, int direction, int leavingRow, double step,
               const std::vector<double>& alpha);
    bool refactor();
    void recomputeBasicValues();
    Status stepOnce();

    int m = 0;
    int n = 0;
    Settings settings;
    Matrix a;                     // m x n
    std::vector<double> cost;     // n + m
    std::vector<double> lower;    // n + m
    std::vector<double> upper;    // n + m
    std::vector<double> value;    // n + m
    std::vector<int> head;        // basic variable of each row
    std::vector<int> basisRow;    // row of a basic variable, -1 when nonbasic
    Matrix inverse;               // B^-1, m x m
    std::vector<double> duals;
    int iterationCount = 0;
    int pivotsSinceRefactor = 0;
    int degenerateRun = 0;
    bool smallestIndexRule = false;
    Status state = Status::Running;
};

} // namespace Opt
