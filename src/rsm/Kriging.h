#pragma once

#include <memory>
#include <vector>

#include "engine/DataSet.h"
#include "rsm/KrigData.h"
#include "rsm/PolynomialRegression.h"

namespace Opt::RSM {

// How a kriging model searches its hyper-parameters when told: kind 0 runs the
// genetic algorithm (engine type 1) with the first eleven integer and three real
// settings below; kind 1 runs the DIRECT search (engine type 6) with the first
// six integer settings and the first real one. Settings a list lacks keep the
// engine's defaults.
struct KrigingSearchOptions {
    static constexpr int kGeneticAlgorithm = 0;
    static constexpr int kDirect = 1;

    int kind = kDirect;
    std::vector<int> ints;
    std::vector<double> reals;
};

// Kriging (model type 2): a polynomial trend plus a stationary Gaussian process
// whose correlation falls with the distance between points, the best linear
// unbiased predictor of the sample (Jones, Schonlau & Welch, "Efficient Global
// Optimization of Expensive Black-Box Functions", 1998; Forrester, Sobester &
// Keane, "Engineering Design via Surrogate Modelling", 2008, ch. 2). The trend is
// the polynomial of kind 0..5 with its term table (PolynomialRegression). With
// d_k = |x_k - s_k|, the correlation kinds are
//   0  exp(-sum theta_k d_k)           n hyper-parameters, start 0.3, theta in [0, 10]
//   1  exp(-sum theta_k d_k^1.5)       n hyper-parameters, start 0.3, theta in [0, 10]
//   2  exp(-sum theta_k d_k^(p_k))     theta_1..theta_n, p_1..p_n, all start 1.5,
//                                      theta in [0, 10], p in [1, 2]
//
// Fit: the hyper-parameters minimise the negated concentrated log-likelihood
//   0.5 (N ln sigma^2 + ln det R),  sigma^2 = (y - F beta)^T R^-1 (y - F beta) / N,
//   beta = (F^T R^-1 F)^+ F^T R^-1 y (pseudo-inverse, singular values <= 0.001 dropped),
// searched by an inner engine (EngineFactory) in data-set mode: DIRECT with integer
// settings 2 and 3 set to min(300 n, 1000) and min(10 n, 40) unless search
// options say otherwise. One evaluation factorises R = L L^T (dpotrf), solves
// L^-1 [F y] (dtrsm) and takes beta and sigma^2 from the transformed system: one
// N x N factorisation and no allocation of an N-sized object per evaluation (the
// workspace is sized once per fit; only the p x p pseudo-inverse allocates). The
// distance terms of every pair of points are tabulated once per fit, so that
// filling R costs one exp per pair (n + 1 for correlation kind 2) rather than n
// powers: filling had cost ten times the factorisation at N = 500, n = 6.
// Solve modes: 0 takes that Cholesky path; 1 always takes the pseudo-inverse
// path (R^+ from the symmetric eigendecomposition, eigenvalues of modulus at or
// below 0.001 dropped, ln det R over the kept ones).
//
// After the search the final model keeps A = R^-1 (dpotri from the factor, or
// R^+), w = y - F beta and the prediction-variance matrix
// M = [[0, F^T], [F, R]]^-1 (dsytrf, dsytri); then
//   y(x) = f(x)^T beta + r(x)^T A w,  s^2(x) = sigma^2 max(0, 1 - u^T M u), u = (f(x), r(x)),
// which is the kriging mean squared error sigma^2 (1 - r^T R^-1 r + (f - F^T R^-1 r)^T
// (F^T R^-1 F)^-1 (f - F^T R^-1 r)), zero at the samples.
//
// Two deviations from the plain recipe, both measured:
// - ln det R is 2 sum ln L_ii from the Cholesky factor, not ln max(det R, 1e-30):
//   such a floor binds whenever ln det R < -69, which holds at the likelihood's
//   optimum in 12 of 18 measured cases, and the search then stalls on it (hold-out
//   R^2 with correlation kind 2: Branin N = 50 0.977 against 0.9998 unfloored,
//   N = 100 0.980 against 1.000, Hartmann 6 N = 200 0.751 against 0.804).
// - The search ends at once on a zero process variance, taken as
//   sigma^2 <= 2.2e-16 times the mean of y^2 (all-zero responses included), not
//   |sigma^2| < 2.2e-16: a fixed threshold ends the search at its first evaluation
//   whenever the responses' spread is below about 1e-8, so responses of small
//   magnitude would never be searched.
//
// Decisions where behaviour was open:
// - solveMode other than 0 and 1 is refused at construction (std::invalid_argument).
// - Where the Cholesky factorisation fails (R not numerically positive definite,
//   e.g. coincident points or theta = 0), that evaluation and, at the end, the
//   final model take the pseudo-inverse path.
// - The initial solve with the start values is the search's first evaluation.
// - The search keeps the best hyper-parameters it evaluated. A step code 1 asks
//   for an evaluation at the engine's design, 3 for another step; 0 ends the
//   search, and so do 2 (a gradient request: the likelihood has none to give, so
//   the search stops with the best values reached) and -1. A search options kind
//   whose engine type has no builder fails the fit (fatal, as any fit failure).
// - Leave-one-out is exact and in closed form: the prediction at any x of the
//   model fitted without sample i, hyper-parameters fixed, trend re-estimated.
//   With Q = R^-1, R_(-i)^-1 = Q_(-i,-i) - q_i q_i^T / Q_ii, so for b_i = (Q F)_i
//   and c_i = (Q y)_i: beta_(-i) = (F^T Q F - b_i b_i^T / Q_ii)^+ (F^T Q y - b_i c_i / Q_ii)
//   and the weights Q y - Q F beta_(-i) - q_i (c_i - b_i^T beta_(-i)) / Q_ii
//   (entry i zero): O(N^2 + N p^3) for all points instead of N refactorisations.
//   It is exact where A is R^-1; after a pseudo-inverse fit it uses R^+ alike.
// - rSquared and looRSquared take the polynomial regression's formula over the
//   kriging predictions (the polynomial's own would see the trend alone).
// - predictionVariance is in response units (sigma^2 times scale^2); a restored
//   model recomputes sigma^2 = w^T A w / N from the stored A and w.
// - If the bordered matrix cannot be factorised (a rank-deficient trend), M is its
//   pseudo-inverse with the same 0.001 threshold.
// - The distance table and correlation vector of a prediction are computed per
//   call, not kept in the record, so that predictions stay const and re-entrant.
//   They are computed coordinate by coordinate over all sample points at once
//   (d_k^p_k as 2^(p_k log2 d_k), then one exp per point), in loops that run
//   on the vectorised exp, exp2 and log2 of linalg/VectorMath; predictMany does
//   so for many points per call, reusing one table of the sample's
//   coordinates, and predictModels shares each point's distances, their square roots,
//   logarithms and powers among models fitted on the same sample (a power once
//   per distinct pair of coordinate and exponent). The values equal the scalar
//   formula's up to rounding (a few ulps per term).
// - storeModel writes the trend as the polynomial does (kind = trend kind) and in
//   extra: the correlation kind, the hyper-parameters, the log-likelihood and
//   sigma^2.
class Kriging final : public PolynomialRegression {
public:
    static constexpr int kDirectEngineType = 6;
    static constexpr int kGeneticAlgorithmEngineType = 1;
    static constexpr int kMinCorrelationKind = 0;
    static constexpr int kMaxCorrelationKind = 2;
    static constexpr int kCholeskySolve = 0;
    static constexpr int kPseudoInverseSolve = 1;

    // The engine type and settings the hyper-parameter search runs with.
    struct SearchPlan {
        int engineType = kDirectEngineType;
        SearchSettings settings;
    };
    static SearchPlan searchPlan(const KrigingSearchOptions* options, int variableCount);
    static int hyperParameterCount(int correlationKind, int variableCount);
    static std::vector<double> startValues(int correlationKind, int variableCount);
    // One {lower, upper} pair per hyper-parameter.
    static std::vector<std::vector<double>> searchBounds(int correlationKind, int variableCount);
    // r(a, b) for the correlation kind at the hyper-parameters.
    static double correlation(int correlationKind, const std::vector<double>& hyperParameters,
                              const double* a, const double* b, int variableCount);

    // Trend kind 0..5, correlation kind 0..2, solve mode 0 or 1 (invalid_argument
    // otherwise); fewer than two points in the current design is fatal.
    Kriging(int trendKind, int correlationKind, int solveMode, int pointCount, int variableCount,
            int responseId, std::shared_ptr<const KrigingSearchOptions> searchOptions = nullptr);

    bool build(bool withCrossValidation) override;
    // The fit with the hyper-parameters given instead of searched (same checks as
    // build; invalid_argument for the wrong count).
    bool buildWithHyperParameters(const std::vector<double>& hyperParameters,
                                  bool withCrossValidation);
    double predict(const std::vector<double>& x) const override;
    double predictNormalised(const std::vector<double>& x, bool* ok) const override;
    double predictLeaveOneOut(int sample, const std::vector<double>& x) const override;
    double predictionVariance(const std::vector<double>& x) const override;
    void predictMany(const double* points, int count, int dimension,
                     double* values) const override;
    // Every model at the same points (values[j] receives model j's count
    // values). Kriging models fitted on the same sample compute each point's
    // distances, and their logarithms, once for all of them: the same values as
    // predictMany model by model, for about half the work when the sample is
    // shared by many responses.
    static void predictModels(const std::vector<const RSMBase*>& models, const double* points,
                              int count, int dimension, const std::vector<double*>& values);
    double rSquared() const override;
    double looRSquared() const override;
    void storeQuality(std::shared_ptr<DataSet> dataSet) const override;
    void storeModel(std::shared_ptr<DataSet> dataSet) const override;

    // The negated concentrated log-likelihood at the hyper-parameters, on the
    // current values (the search's objective; forms the basis when needed).
    double likelihoodObjective(const std::vector<double>& hyperParameters);

    // The kriging block of the model file, with the two leave-one-out row sets
    // when asked.
    void writeBlock(ModelFileWriter& writer, bool withLeaveOneOut) const;
    static std::shared_ptr<Kriging> readBlock(ModelFileReader& reader, int responseId,
                                              int variableCount, bool withLeaveOneOut);

    const KrigData& record() const { return static_cast<const KrigData&>(*data); }

    int correlationKind = 0;
    int solveMode = kCholeskySolve;
    bool firstSolve = true;
    std::shared_ptr<const KrigingSearchOptions> searchOptions;
    int likelihoodEvaluations = 0; // objective evaluations of the last search

private:
    // One evaluation's results.
    struct Likelihood {
        int pointCount = 0;
        double variance = 0.0;
        double logDeterminant = 0.0;
        bool cholesky = true; // false when the pseudo-inverse path was taken
        double objective() const;
    };
    // The buffers one evaluation works in, sized once per fit.
    struct WeightedTermKey {
        bool valid = false;
        double theta = 0.0;
        double power = 0.0;
    };
    struct Workspace {
        Matrix rightHandSides; // N x (p + 1): L^-1 [F y]
        Matrix gram;           // (p + 1) x (p + 1)
        Matrix normal;         // p x p
        std::vector<double> moment;   // p
        std::vector<double> residual; // N
        Matrix inverse;        // N x N, the pseudo-inverse path's R^+
        // Per coordinate k, then per pair of sample points (i > j, column by
        // column), the part of the correlation that does not depend on the
        // hyper-parameters: d_k (kind 0), d_k^1.5 (kind 1), log2 d_k (kind 2), so
        // that filling R costs a dot product (or n exp) per pair instead of n
        // powers, in loops over all pairs that vectorise. Empty when it and
        // the weighted terms below would exceed kPairTableLimit doubles.
        std::vector<double> pairTable;
        // Per coordinate k, theta_k d_k (or theta_k d_k^1.5, theta_k d_k^p_k)
        // for every pair, with the hyper-parameters it was computed for. The
        // search's consecutive points mostly differ in one hyper-parameter
        // (DIRECT samples c +- delta e_i), so most coordinates are reused.
        std::vector<double> weightedTerms;
        std::vector<WeightedTermKey> weightedTermKeys;
        std::vector<const double*> weightedColumns; // per k, the terms in use
        std::size_t pairCount = 0;
    };
    static constexpr std::size_t kPairTableLimit = std::size_t{1} << 25; // 256 MiB

    Kriging(Restored, int responseId, int variableCount);

    KrigData& editRecord() { return static_cast<KrigData&>(*data); }
    void fitWith(const std::vector<double>* given, bool withCrossValidation);
    void prepare();
    std::vector<double> searchHyperParameters();
    bool zeroVariance(double variance) const;
    void fillCorrelation(const std::vector<double>& hyperParameters, Matrix& r) const;
    // The lower triangle of R from the pair table (the Cholesky path reads no more).
    void fillLowerFromPairTable(const std::vector<double>& hyperParameters, Matrix& r);
    // Coordinate k's weighted terms for these hyper-parameters, from the cache
    // when they are the ones it holds.
    const double* weightedTermsOf(std::size_t k, const std::vector<double>& hyperParameters);
    void formPairTable();
    Likelihood evaluate(const std::vector<double>& hyperParameters);
    Likelihood evaluateCholesky();
    Likelihood evaluatePseudoInverse(const std::vector<double>& hyperParameters);
    void solveTrend(const Matrix& normal, const std::vector<double>& moment);
    void finalise(const std::vector<double>& hyperParameters);
    void formVarianceMatrix();
    void computeLeaveOneOut();
    void deriveFromWeights();
    std::vector<double> correlationVector(const std::vector<double>& x) const;
    // The sample's coordinates column by column: coordinate k of point i at
    // k N + i.
    std::vector<double> sampleColumns() const;
    // What the correlation vectors at one point have in common for every model
    // fitted on the same sample: |x_k - s_ik| coordinate by coordinate (k N + i)
    // and, when a model reads them, d^1.5 = sqrt(d) d (kind 1) and the powers
    // d^p of kind 2 (2^(p log2 d)), one block of N per distinct pair of
    // coordinate and power. Models fitted on one sample by the same search often
    // share powers (DIRECT's points lie on a lattice), so ten models at one point
    // take each square root, logarithm and power once instead of ten times.
    struct DistanceTable {
        std::vector<double> distance;
        std::vector<double> power15;
        std::vector<double> logarithm;
        std::vector<double> powers;
    };
    // What a group of models needs in its tables: the distinct (coordinate,
    // power) pairs of its kind-2 models, for each model where in the table its
    // per-coordinate terms lie (an array and one offset per coordinate), and
    // which models share one correlation vector (equal kind and
    // hyper-parameters, as models of similar responses often end up).
    enum class TermSource { Distance, Power15, Powers };
    struct ModelTerms {
        TermSource source = TermSource::Distance;
        std::vector<std::size_t> offsets;
        // The first model of the group with the same correlation kind and
        // hyper-parameters, whose correlation vector this model reads.
        std::size_t correlationOf = 0;
    };
    struct TablePlan {
        bool power15 = false;
        bool logarithm = false;
        std::vector<std::pair<std::size_t, double>> powers;
        std::vector<ModelTerms> models;
    };
    static TablePlan planTable(const std::vector<const Kriging*>& group);
    void fillDistances(const double* x, const std::vector<double>& columns, const TablePlan& plan,
                       DistanceTable& table) const;
    // r[i] := r(x, s_i) for every sample point from the point's distance table;
    // terms the model's entry of the plan the table was filled by.
    void correlationsFrom(const DistanceTable& table, const ModelTerms& terms,
                          std::vector<double>& r) const;
    // Models fitted on one sample, predicted together: they share the sample's
    // columns and each point's distance table.
    static void predictSharingSample(const std::vector<const Kriging*>& group, const double* points,
                                     int count, const std::vector<double*>& values);
    double valueAt(const std::vector<double>& beta, const std::vector<double>& weights,
                   const std::vector<double>& x) const;

    Workspace workspace;
};

} // namespace Opt::RSM
