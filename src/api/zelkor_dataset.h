/*
 * zelkor_dataset.h: the data-set types of the Zelkor library's C++ interface,
 * included by zelkor.h. Plain data that a C++ host shares with an engine it
 * runs in data-set mode (the second Opt::OptEngineMain constructor), among
 * them the settings and results of a surrogate study. It includes only the
 * standard library.
 */
#pragma once

#include <array>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace Opt {

/*
 * Data-set mode (C++ hosts). Instead of host arrays, an engine built by the
 * second OptEngineMain constructor shares a DataSet with its driver: it writes
 * each design to evaluate into designValues, and the driver writes the
 * responses at that design into the definitions' values before the next step.
 * A surrogate study (engine types 7, 8, 9, 13, 14, 15) also keeps its settings
 * and results here. Every type below is plain data; the library keeps a copy of
 * the shared pointer while an engine lives.
 */

/* How a surrogate study models one response. */
struct SurrogateSettings {
    /* 1 polynomial regression, 2 kriging, 3 radial basis functions, 4 support
       vector regression, 5 ensemble of surrogates, 6 ordinary kriging; any other
       value is refused when the study's models are created. */
    int modelType = 2;
    /* The type's one option, -1 for its default: the polynomial kind 0..5 (1:
       default 4, full quadratic), the correlation kind 0..2 (2: default 2), the
       basis kind 0..5 (3: default 3, Gaussian), the kernel kind 0..4 (4: default
       2, Gaussian), the neighbour count of the ensemble's local errors (5:
       default the number of variables); not read for 6. */
    int option = -1;
};

/* One response of a data set: a constraint (kind 1) or a part of the objective
   (any other kind), with its optional bounds, current value and scale. */
struct ResponseDefinition {
    int kind = 0;
    double weight = 1.0;
    std::optional<double> lower;
    std::optional<double> upper;
    std::optional<double> value; /* absent counts as 0 */
    std::optional<double> scale; /* absent counts as unscaled */
    int goal = 1;                /* 1 minimise, 2 maximise, 3 reach target */
    double target = 0.0;
    SurrogateSettings surrogate; /* read by surrogate studies only */
};

/*
 * What a surrogate study keeps of the model fitted to one response, for the
 * host to read after the fit. storeQuality fills the four quality slots,
 * storeModel the rest; each model writes only what it has.
 *
 * Quality slots: coefficients of determination at the sample points, each
 * clamped to [0, 1]. R^2 compares the model's predictions with the sampled
 * values, Q^2 the leave-one-out predictions (each point predicted by the model
 * fitted without it). The adjusted forms scale 1 - R^2 (or 1 - Q^2) by
 * (N - 1)/(N - p - 1) for a model of p terms; they are filled only by models
 * with a term count (polynomial regression, kriging). A slot a model does not
 * compute stays empty (Q^2 also when the model was built without leave-one-out
 * data).
 *
 * Model slots, by model type:
 *   kind          polynomial kind (1, 2), basis kind (3), kernel kind (4);
 *   coefficients  one per polynomial term (1; the trend for 2), one weight per
 *                 sample point (3), one coefficient per sample point (4);
 *   constant      the value added to the weighted sum: the mean of the values
 *                 (3), the bias (4); 0 otherwise;
 *   terms         the term table of a polynomial: three rows of variable
 *                 indices, term k being the product of x[terms[0][k]],
 *                 x[terms[1][k]] and x[terms[2][k]], -99999 standing for no
 *                 factor (1, 2); empty otherwise;
 *   extra         further numbers a model type needs beyond these (kriging:
 *                 correlation kind, hyper-parameters, log-likelihood); empty
 *                 for types 1, 3 and 4.
 */
struct SurrogateSummary {
    static constexpr int kNoFactor = -99999;

    std::optional<double> rSquared;
    std::optional<double> adjustedRSquared;
    std::optional<double> qSquared;
    std::optional<double> adjustedQSquared;

    int modelType = 0; /* 0 until a model stores itself */
    int kind = -1;
    std::vector<double> coefficients;
    double constant = 0.0;
    std::array<std::vector<int>, 3> terms;
    std::vector<double> extra;
};

/* Parameter arrays for an engine built from a data set, laid out as the host's
   arrays of that engine type; shorter lists are filled with the type's fill
   values. */
struct SearchSettings {
    std::vector<double> reals;
    std::vector<int> ints;
};

/* The progress of a surrogate study's search on its models: progress is 1
   until the search starts (a type-9 study stores the sampled responses only
   then), the number of the inner run under way while it runs, -1 once the last
   run has ended and 0 after the study has taken the result; total is the
   number of inner runs (the length of the task list). */
struct InnerSearchRecord {
    int progress = 1;
    int total = 0;
};

/* One inner run of a surrogate study's search: the response ids whose
   surrogates form that run's objective (empty: every objective response of the
   data set), the constraints always being all of the data set's. */
struct SearchTask {
    std::vector<int> objectiveIds;
};

/* The surrogate optimum one task found, in caller units, and the models'
   predictions there in response-id order. */
struct SearchResult {
    std::vector<double> design;
    std::vector<double> predictions;
    bool feasible = false; /* every constraint prediction within its bounds */
};

/* The residuals (sampled value minus prediction, one per sample point) of the
   linear (kind 1) and the full quadratic (kind 4) polynomial fitted to one
   response after the study, to judge how far from polynomial it is. */
struct ResidualTable {
    std::vector<double> linear;
    std::vector<double> quadratic;
};

/*
 * One random input of a robust study (engine type 13): a design variable (a
 * surrogate input) whose value scatters. designed true: a tolerance, the
 * input scatters around the design value the search chooses (a bar diameter
 * made to +-0.5 mm, say); false: a noise parameter (a load, a temperature)
 * that the search does not choose: it scatters around mean, the value the
 * search proposes for it is ignored, and the optimum reports it at mean. The
 * study's design of experiments samples the variable over its bounds either
 * way, so the bounds should cover the scatter; beyond them the surrogates
 * extrapolate.
 */
struct RandomInput {
    /* 1 normal, 2 uniform (on the centre +- sqrt(3) standardDeviation); any
       other value is refused when the study is built. */
    int distribution = 1;
    int variable = 0;              /* index of the design variable */
    double standardDeviation = 0.0; /* caller units, > 0 */
    bool designed = true;
    double mean = 0.0; /* caller units; read only when designed is false */
};

/*
 * The robust study's settings. The search on the surrogates minimises, for
 * each objective response, mean + k standard deviation of its prediction over
 * the random inputs (a maximised response: mean - k sd; a response with a
 * target: the mean moved k sd away from the target), and judges each
 * constraint at mean + k sd against an upper bound, mean - k sd against a
 * lower bound (with both, on the side with the smaller margin). So k = 0 is
 * the nominal design on the mean response, k = 3 asks that a normally
 * scattered response stays within its limit with about 99.9 % probability.
 * Mean and standard deviation come from a tensor-product Gauss rule over the
 * random inputs (Gauss-Hermite for normal, Gauss-Legendre for uniform inputs)
 * with quadraturePoints nodes per input: exact for surrogates that are
 * polynomials of degree up to quadraturePoints - 1 in the random inputs. The
 * rule has quadraturePoints^(number of inputs) nodes, at most 4096.
 * Settings outside these limits (no input, an unknown distribution, a variable
 * index out of range or listed twice, a standard deviation not positive, k
 * negative, too many nodes) make the OptEngineMain constructor throw
 * std::invalid_argument, whose message names the setting.
 */
struct RobustSettings {
    std::vector<RandomInput> inputs; /* at least one */
    double k = 3.0;                  /* >= 0 */
    int quadraturePoints = 5;        /* 2..20 */
};

/* The mean and standard deviation of a response's prediction over the random
   inputs. */
struct RobustStatistic {
    double mean = 0.0;
    double standardDeviation = 0.0;
};

struct DataSet {
    /* Engine type whose publishDesign leaves the design values untouched. */
    static constexpr int kEvaluationOnlyEngineType = 9;

    std::map<int, std::shared_ptr<ResponseDefinition>> responses; /* ascending ids */
    std::vector<double> designValues;
    std::vector<std::vector<double>> bounds;
    int engineType = 0;
    /* The settings the engine built from this data set loads (a surrogate
       study's inner searches choose them from the lists below). */
    SearchSettings currentSearchSettings;

    /* Surrogate studies. */
    /* The design of experiments the study samples: the four settings of the
       design services (arrangeDOE_) with the study's own type codes 0 full
       factorial, 1 central composite, 2 Latin hypercube, 3 one-dimensional
       study, 4 orthogonal array, 9 fractional factorial. */
    std::array<int, 4> designSettings{{2, 0, 0, 0}};
    /* Points the study samples instead of arranging designSettings (ours: for
       a host that already holds its sample), one row of caller units per point,
       each within the bounds; empty: the design settings decide. */
    std::vector<std::vector<double>> givenPoints;
    /* Seeds a Latin hypercube with 0 instead of the clock, so that a study can
       be repeated exactly. */
    bool fixedSeed = false;
    /* Up to this many models are fitted at once (OpenMP threads); below 1
       counts as 1. */
    int threadCount = 1;
    /* Asks the study to store every model's quality measures with its model
       summary (surrogateSummaries). */
    bool storeSummaries = false;
    /* Shows the study's progress lines on standard output. */
    bool showProgress = true;
    /* The model file's path without its extension (".rsm" is added); empty
       writes no file. */
    std::string modelFile;
    /* The inner search on the models runs the genetic algorithm with the first
       entry of gaSearchSettings when that list is not empty, otherwise DIRECT
       with the first entry of directSearchSettings; with both empty the study
       fails. The arrays are those of engine types 1 and 6. */
    std::vector<SearchSettings> gaSearchSettings;
    std::vector<SearchSettings> directSearchSettings;
    /* One inner run per task, in order; empty runs one task of every objective
       response. */
    std::vector<SearchTask> tasks;
    InnerSearchRecord innerSearch;
    /* Robust studies (engine type 13): the random inputs and k. */
    RobustSettings robust;

    /* Reliability analyses (engine type 10). One six-double row per design
       variable: column 0 the distribution's type code (0 normal, 1 lognormal,
       2 exponential, 3 uniform, 4 Rayleigh, 5 gamma, 6 Weibull, 7 beta,
       8 triangle; 9 or above: the variable is not random), then its values as
       in the C interface's input rows. Missing rows are not random. */
    std::vector<std::array<double, 6>> randomInputs;
    /* r x r correlation of the r random inputs in standard-normal space,
       row-major, for sampling method 1; empty: independent. */
    std::vector<double> inputCorrelation;

    /* Results of a surrogate study. */
    std::map<int, SurrogateSummary> surrogateSummaries; /* per response id */
    std::map<int, ResidualTable> residuals;              /* per response id */
    std::vector<SearchResult> searchResults;             /* per task */
    /* Robust studies: per response id, the statistics at the first task's
       optimum (searchResults hold the robust values mean +- k sd there). */
    std::map<int, RobustStatistic> robustStatistics;
    /* The sample points of the study's design in caller units (engine type 7,
       which only arranges the design). */
    std::vector<std::vector<double>> designPoints;

    /* The definition of response id, or null when the data set has none. */
    const ResponseDefinition* find(int id) const
    {
        const auto it = responses.find(id);
        return it == responses.end() ? nullptr : it->second.get();
    }
};

} // namespace Opt
