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
// chosen by the largest reduced cost (Dantzig, first index on a tie); after
// `degenerateRunBeforeBland` degenerate steps in a row Bland's smallest-index
// rule takes over (entering and leaving) until the objective moves again, which
// rules out cycling. Among blocking rows the largest pivot is preferred for
// stability. An entering variable that reaches its own opposite bound first
// simply flips bound without a basis change.
//
// The basis inverse is kept explicitly and updated by the product form at each
// pivot; it is recomputed from an LU factorisation (LAPACK) every
// `refactorInterval` pivots, when the basic values are also recomputed, so
// rounding cannot accumulate.
//
// Our safeguards for badly scaled and degenerate programs (beyond the textbook
// method):
// - Scaling. The matrix is scaled to R A C before the solve by equilibration:
//   each row divided by its largest magnitude, then each column by its largest
//   magnitude, every factor rounded to a power of two so that scaling and
//   unscaling are exact. Equilibration rather than geometric scaling: both
//   remove the units of rows and columns, which is what makes a program with
//   rows from 1e-6 to 1e6 badly scaled; geometric scaling also narrows the
//   spread within a line, but it moves the factors of an already well-scaled
//   program by powers of two, and these reweight the largest-coefficient
//   pricing (on dense random programs it took up to four times the pivots).
//   Equilibration leaves a program whose lines already peak near 1 as given.
//   Scaled columns peak at 1 like the logicals' unit columns, so one relative
//   pivot tolerance and one reduced-cost tolerance fit every column. The
//   tolerances apply to the scaled program; solution, objective and duals are
//   reported unscaled. `scaleMatrix` turns the scaling off.
// - Relative pivot tolerance. In the ratio test an entry of the entering
//   column counts as a pivot only above kRelativePivotTolerance times the
//   column's largest magnitude (and above a tiny absolute floor), so a
//   relatively small entry never enters the basis.
// - No verdict from an updated inverse. Before the method declares a program
//   optimal, infeasible or unbounded it refactors the basis, recomputes the
//   basic values and prices again (unless the inverse is already fresh).
// - Slack fallback. When a refactor fails (LAPACK finds the basis singular, or
//   the inverse is not finite) the basis reverts to all logicals, the former
//   basic structurals moving to their nearer bound (free ones stay put), and
//   the method carries on from there; after kMaxSlackRestarts such restarts it
//   gives up with NumericalFailure.
// - Buffers. Every vector and matrix a pivot touches is sized once in the
//   constructor; a pivot allocates nothing (a refactor lets the LAPACK wrapper
//   allocate its pivot and work arrays).
class BoundedSimplex {
public:
    struct Settings {
        int maxIterations = 0;              // 0: 1000 + 50 (m + n)
        double feasibilityTolerance = 1e-9; // bound violation counted as feasible (scaled)
        double optimalityTolerance = 1e-9;  // reduced cost counted as zero (scaled)
        int refactorInterval = 100;
        // Degenerate steps in a row before the smallest-index rule takes over;
        // a value beyond maxIterations switches the safeguard off.
        int degenerateRunBeforeBland = 20;
        // Off for programs already in balanced units, whose pricing should see
        // the coefficients exactly as given.
        bool scaleMatrix = true;
    };

    enum class Status { Running, Optimal, Infeasible, Unbounded, IterationLimit, NumericalFailure };

    static constexpr double kRelativePivotTolerance = 1e-9;
    static constexpr int kMaxSlackRestarts = 3;

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
    std::vector<double> rowDuals() const;
    int iterations() const { return iterationCount; }

private:
    enum class Phase { Feasibility, Optimality };
    struct Choice {
        Phase phase;
        int entering; // -1: no improving variable
        int direction;
    };

    void scale(const LinearProgram& program);
    void loadScaled(const LinearProgram& program);
    Choice price();
    Phase setBasicCosts();
    void computeReducedCosts(Phase phase);
    int chooseEntering(int& direction) const;
    void ftran(int variable);
    int ratioTest(int direction, Phase phase, double& step) const;
    void pivot(int entering, int direction, int leavingRow, double step);
    void noteStepLength(double step);
    bool refreshBasis();
    bool refactor();
    void restartFromSlackBasis();
    void recomputeBasicValues();
    Status stepOnce();

    int m = 0;
    int n = 0;
    Settings settings;
    Matrix a;                        // R A C, m x n
    std::vector<double> rowScale;    // R, m
    std::vector<double> columnScale; // C, n
    std::vector<double> cost;        // n + m, scaled
    std::vector<double> lower;       // n + m, scaled
    std::vector<double> upper;       // n + m, scaled
    std::vector<double> value;       // n + m, scaled
    std::vector<int> head;           // basic variable of each row
    std::vector<int> basisRow;       // row of a basic variable, -1 when nonbasic
    Matrix inverse;                  // B^-1, m x m
    Matrix factorWork;               // the basis being refactored, m x m
    std::vector<double> basicCosts;  // m
    std::vector<double> duals;       // m, scaled
    std::vector<double> columnDuals; // A^T y, n
    std::vector<double> reducedCost; // n + m
    std::vector<double> alpha;       // B^-1 times the entering column, m
    std::vector<double> rightHandSide;  // m
    std::vector<double> basicSolution;  // m
    std::vector<double> structuralWork; // n
    int iterationCount = 0;
    int pivotsSinceRefactor = 0;
    int degenerateRun = 0;
    int slackRestarts = 0;
    bool smallestIndexRule = false;
    Status state = Status::Running;
};

} // namespace Opt
