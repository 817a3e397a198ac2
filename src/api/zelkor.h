/*
 * zelkor.h: the one public header of the Zelkor design-optimisation library.
 *
 * A host describes a problem (design variables with bounds or discrete levels,
 * one objective, constraints g <= 0), computes the responses itself in the
 * callbacks below, and lets the library decide which designs to try. Every
 * engine is a resumable state machine: it never calls the host. The exported
 * functions (or a host stepping Opt::OptEngineMain itself) own the loop that
 * alternates engine steps with the host's callbacks.
 *
 * The header compiles as C11 and as C++17. A C host sees the plain functions
 * whose arguments are C types; the C++-only parts (the vector callback and the
 * session class) sit behind __cplusplus.
 *
 * Conventions for every callback: the library has written the design point into
 * x in the caller's units; the host writes the responses into f, f[0] the
 * objective, then the constraint functions, each satisfied when not above 0.
 * Any value a callback returns is ignored.
 */
#pragma once

#if defined(_WIN32)
#  if defined(ZELKOR_BUILDING)
#    define ZELKOR_API __declspec(dllexport)
#  else
#    define ZELKOR_API __declspec(dllimport)
#  endif
#else
#  define ZELKOR_API __attribute__((visibility("default")))
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* Responses at x: n design values in, m responses out (objective first). */
typedef int (*ResponseCallback)(double* x, int n, double* f, int m);
/* Gradients at x: g[i][j] is d(response j)/d(design variable i), n rows of m. */
typedef int (*GradientCallback)(double* x, int n, double** g, int m);
/* Responses at x for the array entry points; lengths are those the caller declared. */
typedef int (*ArrayCallback)(double* x, double* f);

/* The version of this header. zelkorVersion() gives the loaded library's, so a
   host can check at run time that the two match. */
#define ZELKOR_VERSION_MAJOR 2
#define ZELKOR_VERSION_MINOR 0
#define ZELKOR_VERSION_PATCH 0

/* The library's version, "2.0.0"; the string is static and must not be freed. */
ZELKOR_API const char* zelkorVersion(void);

/*
 * Why did the last call fail? (Ours: an addition of this library.) Every
 * exported C function of this header records, for the calling thread, one of
 * the statuses below and a one-line message (empty when the status is OK),
 * so that a host can tell an infeasible result from bad input although both
 * return 0. A callback that calls the library overwrites the status of the
 * call it runs in until that call returns. The C++ session class reports
 * through its step results instead.
 *   OK              the call did what was asked (an optimising run: the final
 *                   design is feasible).
 *   INFEASIBLE      the run ended normally but its final design violates a
 *                   constraint (runSIMPLEX: the program has no feasible point).
 *   INVALID_INPUT   the arguments were rejected before the host was called,
 *                   the method has no engine, or the settings select no design
 *                   (the message names the argument and its value).
 *   ENGINE_ERROR    the engine stopped on an error (incompatible constraints,
 *                   a gradient request no callback could answer, a numerical
 *                   failure).
 *   HOST_EXCEPTION  a host callback threw a C++ exception (message: its what()).
 *   BUDGET_REACHED  the final design is feasible, but the engine stopped on its
 *                   iteration or evaluation limit rather than a convergence test
 *                   (DIRECT and the GAs end this way unless they meet their
 *                   target or stall).
 */
enum {
    ZELKOR_STATUS_OK = 0,
    ZELKOR_STATUS_INFEASIBLE = 1,
    ZELKOR_STATUS_INVALID_INPUT = 2,
    ZELKOR_STATUS_ENGINE_ERROR = 3,
    ZELKOR_STATUS_HOST_EXCEPTION = 4,
    ZELKOR_STATUS_BUDGET_REACHED = 5
};
/* The calling thread's last status, one of ZELKOR_STATUS_*. */
ZELKOR_API int zelkorLastStatus(void);
/* Its message; valid until the thread's next call into the library. */
ZELKOR_API const char* zelkorLastMessage(void);

/* The seed of the genetic methods' random generator (ours): the runs of Zelkor
   methods 2, 3 and 4, ZelkorBatch and ZelkorBatchVector that this thread starts
   from now on use it. 0, the default, gives the runs documented here; each seed
   gives its own run, the same every time. Returns 1, or 0 for a negative seed,
   which leaves the seed as it was (zelkorLastStatus). */
ZELKOR_API int zelkorSetSeed(int seed);

/*
 * Fatal errors of the surrogate models: a model asked for on fewer than two
 * sample points ("ERROR : TOO SMALL DOE DATA FOR SURROGATES MODEL.") and a fit
 * that fails ("ERROR : BUILDING SURROGATE MODEL IS FAILED."). By default the
 * library writes that line to standard error and ends the process with exit
 * status 0.
 *
 * A host that must not be ended (a scripting-language binding, say) installs a
 * handler instead; it is called with the line, without its line end. If the
 * handler returns, the failed call does not go on: it throws a C++
 * std::runtime_error carrying the same line, which a C++ host (or a binding
 * written in C++) can catch and turn into its own error. A C host cannot catch
 * it and should end the process in its handler. A handler may also throw its
 * own C++ exception. Models fitted in a parallel loop call the handler from
 * the fitting thread.
 *
 * Passing null restores the default. Returns the handler replaced (null for
 * the default). The handler is process-wide: set it before any model is built,
 * not while models are fitted.
 */
typedef void (*ZelkorFatalHandler)(const char* message);
ZELKOR_API ZelkorFatalHandler zelkorSetFatalHandler(ZelkorFatalHandler handler);

/*
 * The general entry point. Optimises the problem with `method`:
 *   0 DIRECT global search, 1 SQP, 2 genetic algorithm, 3 micro-GA, 4 hybrid GA,
 *   5 sequential approximate optimisation
 * (a method whose engine is not in this build, or a method outside 0..5, returns
 * 0 without calling the host).
 *
 * x (in/out): n starting values in caller units, each within its bounds; on
 *   return the final design.
 * bounds: n pointers to two doubles (lower, upper); continuous variables only.
 * f (out): m responses written by `evaluate` (objective first, then constraints
 *   g <= 0); on return the host's responses at the design returned in x (an SQP
 *   run whose discrete snap moved the design evaluates it once more).
 * ints, reals: the method's user parameters (either may be null: defaults); a
 *   negative int or real (-999, say) takes the default. The arrays must hold the
 *   positions read:
 *   method 0, DIRECT:
 *     ints[1] iterations (50, at most 100), ints[2] evaluations (3000, at most
 *     10000), ints[3] division depth (500); reals[0] penalty factor (5.0).
 *   method 1, SQP:
 *     ints[0] iterations (30), ints[3] gradient mode (see below), ints[4] line-
 *     search trials (10); reals[0] objective tolerance, relative change (0.005),
 *     reals[1] step tolerance, norm of the step in [0, 1] units (0),
 *     reals[2] finite-difference step in [0, 1] units (1e-5), reals[3] move
 *     limit, half-width of the step box in [0, 1] units (0.3).
 *   methods 2 and 3, GA and micro-GA:
 *     ints[1] evaluations (10000), ints[5] population size (251; micro-GA 7),
 *     ints[6] generations without improvement before stopping (50); no reals.
 *   method 4, hybrid GA: the GA's ints of method 2 and, for its local SQP
 *     search, the ints and reals of method 1 at the same positions.
 *   method 5, SAO (sequential approximate optimisation: a trust region on
 *     local surrogates; the start is evaluated first):
 *     ints[0] accepted cycles (100), ints[1] host evaluations (4000, counting
 *     every evaluation; never exceeded), ints[8] surrogate type (1 polynomial
 *     regression, full quadratic; 2 kriging, 3 radial basis functions, 4 support
 *     vector regression, 5 ensemble, 6 ordinary kriging); reals[3] initial move
 *     limit, fraction of each range (0.1), reals[4] constraint tolerance
 *     (0.003), reals[5] objective tolerance, relative change (0.001). The
 *     result is 1 when the run ended on its own stopping tests, whether or not
 *     the returned design (the last accepted one) is feasible: check f.
 *   Every other position is not read and every other engine setting keeps its
 *   default.
 * Gradient mode (SQP and the hybrid's local search), a deviation of ours: 1
 *   forward differences by the library, 3 gradients from `gradients` on request.
 *   The engine's modes 0 and 2 (and the default, 0) read sensitivities that
 *   come with the responses, which a host of this function never supplies: the
 *   run would not move. They become 3 when `gradients` is given, else 1; at
 *   report level 1 or more one line says which was taken.
 * reserved1, reserved2: ignored.
 * gradients: called when the engine asks for gradients (SQP with host
 *   gradients); may be null when no such request can come.
 * reportLevel: 0 silent, 1-9 print level, 10 + level also writes
 *   QUORAL_result/OPT_RESULT.txt in the current directory at the end.
 *
 * Returns 1 when the final design is feasible, else 0; zelkorLastStatus says
 * why. Inconsistent arguments (null arrays, counts below 1, non-finite or
 * reversed bounds, a start outside its bounds) print one line on standard error
 * and return 0 without calling the host.
 * A C++ callback that throws ends the run (ours): the exception does not
 * escape, one line on standard error gives its message, and x and f hold the
 * best design so far and its responses: the SQP's last base point, DIRECT's
 * best sample, the GAs' best of their last ranked generation (before the first
 * generation is ranked, x holds the last design handed out and f what the
 * callback left in it).
 */
ZELKOR_API int Zelkor(int method, int reportLevel, ResponseCallback evaluate, int n, double* x,
                      double** bounds, int m, double* f, int reserved1, int* ints, int reserved2,
                      double* reals, GradientCallback gradients);

/*
 * Batched evaluation (ours: an addition of this library; Zelkor and every other
 * entry point are unchanged).
 *
 * Many designs an engine asks for do not depend on one another's responses:
 * the n forward-difference perturbations of an SQP gradient, the new points of
 * a DIRECT iteration, a GA or micro-GA generation, the starts of the hybrid GA's
 * local searches. ZelkorBatch hands such designs to the host together, so that
 * it can evaluate them at the same time (threads, processes, a cluster), and
 * gives exactly the run of Zelkor with the same arguments: the engine receives
 * every response in its own order, and returns the same x, f, result and
 * console report. Designs that depend on earlier responses (SQP line-search
 * trials, the start design, the first point of DIRECT, the SAO's candidates)
 * come in batches of one; each SAO cycle's design of experiments (method 5: its
 * central composite design but the reused centre, 8 designs for n = 2 up to 80
 * for n = 8) comes as one.
 *
 * The batch callback: count designs, row-major in designs (count * n values in
 * caller units; valid during the call only), and room for count rows of m
 * responses in responses, which the host fills, row k for design k (objective
 * first, then the constraints, as for ResponseCallback). user is the pointer
 * given to ZelkorBatch, untouched. The rows of one batch may be evaluated in
 * any order and at the same time; the callback returns when all are written.
 *
 * The arguments are Zelkor's, with three more:
 *   evaluateBatch  the batch callback; required.
 *   user           handed to every call of evaluateBatch; may be null.
 *   batchLimit     the most designs in one batch, at least 1; 0: no limit.
 * evaluate may be null; when given, a design that comes alone (a batch of one)
 * goes to it, with x and f as in Zelkor, instead of to evaluateBatch.
 * gradients is called as by Zelkor.
 *
 * What the host sees: each design is evaluated exactly once, but a failed
 * evaluation (NaN, +-infinity, |value| >= 1e100) that the SQP retries at half
 * its step is retried after the rest of its batch, not before it; and an SQP run
 * that ends on failed evaluations may leave designs of its last batch unused.
 * Returns and statuses as Zelkor; a null batch callback or a negative batchLimit
 * is rejected like any inconsistent argument. A callback that throws ends the run
 * as described for Zelkor. Should an engine publish a design other than the one
 * it announced (a defect of the library), the design is evaluated on its own,
 * the run stays exact, and one line on standard error counts such designs.
 */
typedef void (*BatchCallback)(int count, const double* designs, double* responses, void* user);
ZELKOR_API int ZelkorBatch(int method, int reportLevel, ResponseCallback evaluate, int n,
                           double* x, double** bounds, int m, double* f, int reserved1, int* ints,
                           int reserved2, double* reals, GradientCallback gradients,
                           BatchCallback evaluateBatch, void* user, int batchLimit);

/* What a batched run handed to the host (ours; ZelkorBatchVector fills it). */
typedef struct ZelkorBatchCounts {
    int batches;      /* calls of the host for designs (a batch of one included) */
    int designs;      /* designs evaluated */
    int largestBatch; /* designs in the largest batch */
    int withdrawn;    /* designs evaluated for a look-ahead the engine then withdrew
                         (an SQP run or search that ended on failed evaluations) */
    int defects;      /* designs that strayed from the engine's look-ahead; 0 unless
                         the library is at fault */
} ZelkorBatchCounts;

/*
 * Designs of experiments.
 *
 * settings: four ints.
 *   [0] design type: 0 full factorial, 1 central composite, 2 Latin hypercube,
 *       3 one-dimensional parameter study, 4 orthogonal array; any other value
 *       selects no design.
 *   [1] 1: snap every variable that has discrete levels to the nearest level and
 *       drop points that then coincide (closer than 1e-4 in units of the ranges).
 *   [2] full factorial: levels per variable, 1 to 3 (1 puts every variable at
 *       mid-range); central composite: axial type, 0 face-centred, 1 inscribed,
 *       2 circumscribed (axial points outside the bounds); Latin hypercube:
 *       0 random position within each cell, 1 cell corners; one-dimensional
 *       study: index of the studied variable; orthogonal array: levels, 2 to 5.
 *   [3] Latin hypercube: samples; one-dimensional study: points; orthogonal
 *       array: runs (2 levels: 4, 8, 12, 16, 32, 96; 3 levels: 9, 18, 36, 81;
 *       4 levels: 16, 32, 64; 5 levels: 25, 50).
 * Latin hypercubes are seeded from the clock, so each call gives a new sample.
 *
 * Points are in caller units, one row per point, one value per variable in
 * variable order. The library keeps nothing: every array may be freed as soon
 * as the call returns.
 *
 * Results: the number of points of the design; 0 when the settings select no
 * design (an orthogonal array the catalogue lacks, or with more variables than
 * it has columns, also writes "CANNOT FIND ADEQUATE ORTHGONAL ARRAY TABLE." to
 * standard error); -1 for inconsistent input (a null array, a count below 1, a
 * bound list of fewer than two values, a non-finite value, a lower bound above
 * the upper, levels not ascending), with one line on standard error naming the
 * argument.
 *
 * Point limit: a design of more than 10000 points throws the C++ exception
 * std::string("THE NUMBER OF EXPERIMENTAL POINT EXCEEDS IT'S LIMIT.") out of
 * these functions, to the caller. Only a full factorial with
 * levels^nFactors > 10000, a central composite of 4744 or more variables, or
 * settings[3] > 10000 gets there; a C host, which cannot catch it, must keep
 * within those sizes.
 */
/* C hosts (ours): use get_nexpC and arrangeDOEC, which take the same arguments
   and return -2 at the point limit instead of throwing, with the message in
   zelkorLastMessage(). The throwing forms stay for C++ hosts that catch it. */
/* The number of points the design of settings has for nFactors variables. For
   types 2, 3 and 4 this is settings[3] and nothing is built (an orthogonal array
   the catalogue lacks still reports settings[3]; arrangeDOE_ then returns 0);
   for types 0 and 1 the design is built on placeholder variables. A
   one-dimensional study with settings[1] = 1 whose studied variable has
   discrete levels has one point per level instead: call arrangeDOE_ with
   maxPoints 0 to learn its size. get_nexp also counts the surrogate studies'
   design type 9, the two-level fractional factorial (runRSMOPT). */
ZELKOR_API int get_nexp(const int* settings, int nFactors);
/* get_nexp for C hosts: -2 at the point limit. */
ZELKOR_API int get_nexpC(const int* settings, int nFactors);

/* Arranges the design of settings for nFactors variables and writes its points
   into points, row by row.
   start: nFactors values, the base point of a one-dimensional study (the other
   designs do not read it); may be null: every variable then sits at mid-range.
   boundLists: the variables' bound lists one after another, variable i taking
   listLengths[i] values, [lower, upper] for a continuous variable and
   [lower, level..., upper] for a discrete one (levels ascending); listLengths
   may be null when every list is [lower, upper].
   points: room for maxPoints rows of nFactors doubles; may be null when
   maxPoints is 0.
   Returns the number of points of the design; when it exceeds maxPoints only the
   first maxPoints rows are written. */
ZELKOR_API int arrangeDOE_(const int* settings, int nFactors, const double* start,
                           const double* boundLists, const int* listLengths, double* points,
                           int maxPoints);
/* arrangeDOE_ for C hosts: -2 at the point limit, nothing written. */
ZELKOR_API int arrangeDOEC(const int* settings, int nFactors, const double* start,
                           const double* boundLists, const int* listLengths, double* points,
                           int maxPoints);

/*
 * A whole surrogate study (ours: an entry point of this library beyond the
 * classic ones). Samples the design space with a design of experiments, has
 * `evaluate` compute every sampled design, fits one surrogate model per
 * response, searches the optimum on the surrogates, evaluates that optimum
 * once with `evaluate` to verify it and returns it.
 *
 * evaluate: the responses at x (objective first, then constraints g <= 0).
 * n, m: design variables and responses (m >= 1).
 * x (in/out): n starting values within their bounds (the base point of a
 *   one-dimensional study and the inner search's start); on return the
 *   verified surrogate optimum or, when a sampled design is better (feasible
 *   where the optimum is not, or feasible with a lower objective), that design
 *   (ours: an optimum on a constraint can land just outside it, by the
 *   models' error there).
 * f (out): on return the host's m responses at the returned x.
 * boundLists, listLengths: the variables' bound lists as for arrangeDOE_.
 * designSettings: four ints as for arrangeDOE_, with one more design type,
 *   9 the two-level fractional factorial.
 * modelSettings: 2 m ints, for response j the model type [2j] (1 polynomial
 *   regression, 2 kriging, 3 radial basis functions, 4 support vector
 *   regression, 5 ensemble, 6 ordinary kriging) and its option [2j + 1]
 *   (-1 for the default: polynomial kind 4 (full quadratic), correlation kind
 *   2, Gaussian basis, Gaussian kernel, as many neighbours as variables); null
 *   fits kriging to every response.
 * searchSettings: four ints; null takes every default.
 *   [0] the search on the surrogates: 2 the genetic algorithm with
 *       feasibility-first ranking (default; scale-free), 0 DIRECT (its
 *       constraint penalty, 5 per unit of violation, assumes constraints
 *       scaled to the objective);
 *   [1] its budget of surrogate evaluations (<= 0: the engine's default,
 *       10000 for the genetic algorithm, 3000 for DIRECT);
 *   [2] models fitted at once on OpenMP threads (<= 0: 1);
 *   [3] 1 (default) seeds a Latin hypercube with 0 so that the study repeats
 *       exactly, 0 seeds it from the clock.
 * modelFile: the model file's path without extension (".rsm" is added) to keep
 *   the fitted models for evaluateRSMall and the other model-file services;
 *   null or empty writes no file.
 * reportLevel: 0 silent; 1 or more shows the study's progress lines.
 *
 * Returns 1 when the returned design satisfies every constraint, else 0;
 * zelkorLastStatus says why. Inconsistent arguments (null arrays, counts below
 * 1, bad bound lists, a start outside its bounds, settings that select no
 * design, a model type outside 1..6, an unknown search) print one line on
 * standard error and return 0 without calling the host. A fit that fails is a
 * fatal surrogate error (zelkorSetFatalHandler).
 */
ZELKOR_API int runRSMOPT(ResponseCallback evaluate, int n, int m, double* x, double* f,
                         const double* boundLists, const int* listLengths,
                         const int* designSettings, const int* modelSettings,
                         const int* searchSettings, const char* modelFile, int reportLevel);

/*
 * Fits surrogates to a sample the host already holds (ours): one model per
 * response, as a surrogate study fits them, and keeps them in a model file
 * for evaluateRSMall and the other model-file services. The host is never
 * called.
 *
 * n, nPoints, m: variables, sample points and responses (each >= 1).
 * points: nPoints rows of n values in caller units, each within its bounds.
 * values: nPoints rows of m responses, row k at points row k; a value the host
 *   could not compute (NaN, infinite, |value| >= 1e100) is replaced before the
 *   fit as the study replaces failed evaluations.
 * boundLists, listLengths: the variables' bound lists as for arrangeDOE_; they
 *   fix the surrogate coordinates, so predictions must use the same lists.
 * modelSettings: 2 m ints as for runRSMOPT (null: kriging for every response).
 * threadCount: models fitted at once on OpenMP threads (<= 0: 1).
 * modelFile: path without extension (".rsm" is added); null or empty writes
 *   no file.
 * quality: null or room for 4 m doubles, per response R^2, adjusted R^2, Q^2
 *   (leave-one-out) and adjusted Q^2, as the study stores them in its
 *   SurrogateSummary (NaN where the model type computes none).
 *
 * Returns 1 when the models are fitted (and written), else 0 with one line on
 * standard error and zelkorLastStatus (INVALID_INPUT for null arrays, counts
 * below 1, bad bound lists, a point outside its bounds, a model type outside
 * 1..6). Too few points for a model, or a fit that fails, is a fatal surrogate
 * error (zelkorSetFatalHandler); with a handler that returns, the call returns
 * 0 with status ENGINE_ERROR and the fatal line as its message. Serves one
 * study at a time, as the other surrogate services.
 */
ZELKOR_API int zelkorFitSurrogates(int n, int nPoints, const double* points, int m,
                                   const double* values, const double* boundLists,
                                   const int* listLengths, const int* modelSettings,
                                   int threadCount, const char* modelFile, double* quality);

/* runRSMOPT with batched evaluation (ours): the sampled designs, which do not
   depend on one another, go to evaluateBatch together (at most batchLimit at
   once; 0: no limit), the surrogate optimum alone. The arguments and results
   are runRSMOPT's, with the batch callback, its user pointer and the limit as
   for ZelkorBatch in place of evaluate; the study, its models and its result
   are the same bit for bit as runRSMOPT's with the same settings. */
ZELKOR_API int runRSMOPTBatch(BatchCallback evaluateBatch, void* user, int batchLimit, int n,
                              int m, double* x, double* f, const double* boundLists,
                              const int* listLengths, const int* designSettings,
                              const int* modelSettings, const int* searchSettings,
                              const char* modelFile, int reportLevel);

/*
 * Restartable SQP (runSQP_CFD_, and runSQP_CFD below for C++ hosts): the SQP
 * of runSQP_Soil for responses that each take one external job (a flow
 * simulation, say). Each call does at most one step of the host's work: it
 * returns 1 with a design in x to evaluate, and the host evaluates it (in this
 * process or another), writes the m responses into f and calls again with the
 * same state block, until a call returns something else. The library never
 * calls the host and keeps nothing between calls: the whole iteration state
 * lives in the caller's block, so the host may end and restart its process
 * between evaluations as long as it keeps the block (and x, f).
 *
 * x (in/out): n values; on the first call the start (within its bounds); on a
 *   return of 1 the design to evaluate, on 0 the final design. Between calls
 *   the host leaves x as it was handed out (the design is also in the block).
 * f (in/out): m responses (objective first, then constraints g <= 0) of the
 *   design last handed out; on a return of 0 the host's responses at the final
 *   design.
 * boundLists, listLengths: the variables' bound lists as for arrangeDOE_.
 * state (in/out): zelkorSQPStateSize(n, m) doubles, all 0 to start a run; the
 *   library writes the iteration state into it on every return of 1. Its
 *   layout, in order (c = m - 1; optional lists carry a count slot, 0 or their
 *   length, before their room): a header (tag 1401, n, m, stage 0 new, 1 start
 *   handed out, 2 state saved, 3 run ended); the current, trial and previous
 *   designs and the step d (normalised to [0, 1], n each) and, optional, the
 *   last good design, the host's latest and returned designs; the latest,
 *   current and previous normalised responses and their scales (m each) and,
 *   optional, the host's latest and returned responses; the gradients G and
 *   their previous copy (m x n each, row by row); B and its previous copy (n x
 *   n each, row by row); per constraint the penalties, previous penalties, QP
 *   multipliers and multiplier estimates, then a count and up to c indices of
 *   the constraints selected for the QP; the line-search record and scalars
 *   (difference-step scale, merit at the search's start, step length, last
 *   step length, move limit, best trial's step length and merit, relative
 *   change, step norm); the integers (phase, sub-evaluation index, line-search
 *   trials, iteration count, evaluation count, back-offs, reported line-search
 *   trials); eight flags (gradient requested, evaluation pending, feasible,
 *   skip line search, accepted trial evaluated, snap pending, snap evaluated,
 *   return last good design); the engine's messages as a count and 256
 *   character codes. A host needs none of this to drive a run: it is given so
 *   that the block can be stored, inspected or moved between machines (every
 *   value is a double; integers and flags are exact).
 * stateSize: the number of doubles in state; it must equal
 *   zelkorSQPStateSize(n, m).
 * reals, ints: the SQP's 12 reals and 12 ints as for runSQP_Soil (either may
 *   be null: defaults; the same arrays on every call). Gradient modes 0 and 2
 *   become 1 (forward differences: one call per perturbed design); mode 3 is
 *   refused, as there is no gradient callback.
 *
 * Returns 1: evaluate x, then call again; 0: the run has finished (x, f hold
 * the final design and its responses; zelkorLastStatus is OK, INFEASIBLE or
 * BUDGET_REACHED) and the block is marked ended; -1: an error, with one line on
 * standard error and zelkorLastStatus INVALID_INPUT (null arrays, counts below
 * 1, a block of the wrong size, a block written for another n and m or not by
 * this function, a block whose run has ended, a start outside its bounds) or
 * ENGINE_ERROR (the engine stopped on an error; the block is then marked
 * ended). The run's designs, and its result, are exactly those of an unbroken
 * run with the same engine settings (Zelkor method 1 fills them from its user
 * parameters).
 */
ZELKOR_API int runSQP_CFD_(double* x, int n, double* f, int m, const double* boundLists,
                           const int* listLengths, double* state, int stateSize, double* reals,
                           int* ints);
/* The doubles of runSQP_CFD's state block for n design variables and m
   responses; 0 when n or m is below 1. */
ZELKOR_API int zelkorSQPStateSize(int n, int m);

/*
 * Reinforcement design, layer by layer (runGA_ReinforcementDesign): chooses for
 * each of nLayers layers of bars a bar diameter from a catalogue and a
 * centre-to-centre spacing from a grid of fixed steps, by a generational GA
 * (engine type 3) that keeps the best layout of every generation and gives up
 * after 30 generations in a row whose best layout violates a constraint (then
 * it returns the least violating one with 0).
 *
 * The callback receives the layout the library decoded:
 *   nLayers; diameters[nLayers] (mm, catalogue values exactly);
 *   spacings[nLayers] (mm, grid values exactly); barCounts[nLayers], the bars
 *   of each layer, floor(layerWidths[i] / spacing) + 1; steelAreas[nLayers]
 *   (mm²), barCounts * pi d² / 4; m; and writes f[0..m-1], the objective (the
 *   steel weight, say) and the constraints g <= 0 (a capacity check, a
 *   clear-spacing rule). The arrays are valid during the call only.
 * catalogue: catalogueSize (>= 2) bar diameters (mm), ascending.
 * spacingRange: three values, the smallest spacing, the largest and the step
 *   (mm); the grid is min, min + step, ... up to max.
 * layerWidths: nLayers lengths (mm) between the outermost bar centres of each
 *   layer.
 * diameters, spacings (out): nLayers values each, the best layout found;
 *   f (out): the m responses at it.
 * reals, ints: the GA's 20 + 20 settings as for runGA_ptr (either may be
 *   null); the seed ints[13] makes a run repeat exactly.
 * The genome has two genes per layer (diameter, spacing), real-coded over the
 * catalogue and the grid; every catalogue bar and grid spacing, the first and
 * the last included, can be chosen. Steel areas in mm² outweigh constraint
 * ratios of order one under the default penalty (reals[0] = 100), so that the
 * GA would settle on light layouts that fail the capacity check: set reals[0]
 * = -1 (feasible layouts ranked first, whatever the objective's units).
 * Returns 1 when the best layout satisfies every
 * constraint, else 0; bad input (null arrays, fewer than two catalogue bars,
 * diameters not ascending, an empty spacing grid, a width not positive) prints
 * one line on standard error and returns 0 without calling the host.
 */
typedef int (*ReinforcementCallback)(int nLayers, const double* diameters,
                                     const double* spacings, const int* barCounts,
                                     const double* steelAreas, int m, double* f);
ZELKOR_API int runGA_ReinforcementDesign(ReinforcementCallback evaluate, int nLayers,
                                         const double* catalogue, int catalogueSize,
                                         const double* spacingRange, const double* layerWidths,
                                         int m, double* diameters, double* spacings, double* f,
                                         double* reals, int* ints);
/* As runGA_ReinforcementDesign with one spacing for every layer (bars of all
   layers stand one above the other, as the concrete must flow between them):
   the genome has one diameter gene per layer and one spacing gene, and
   spacings[] receives the same value nLayers times. */
ZELKOR_API int runGA_ReinforcementDesign_UniSpace(
    ReinforcementCallback evaluate, int nLayers, const double* catalogue, int catalogueSize,
    const double* spacingRange, const double* layerWidths, int m, double* diameters,
    double* spacings, double* f, double* reals, int* ints);

/*
 * The model-file services (ours: their argument lists and what the grid,
 * approximate-value and validation services compute). They read the models a
 * surrogate study wrote with runRSMOPT (or in data-set mode, engine types 9,
 * 14 and 15) and predict with them; the host is never called. Each builds a
 * temporary session of the study engine (type 9) from the design and the bound
 * lists, asks it and releases it; nothing is kept between calls.
 *
 * Arguments every service shares:
 * modelFile: the path the study was given, without extension (".rsm" is
 *   added).
 * n: design variables (>= 1); boundLists, listLengths: their bound lists as
 *   for arrangeDOE_. They must be the bounds the study ran with: the file keeps
 *   its sample in coordinates scaled to those bounds, not the bounds.
 * x and points: designs in caller units, n values each, inside the bounds.
 *   A discrete variable is not snapped to its levels: a surrogate is smooth.
 * nIds, responseIds: the responses asked for (ids 0..m-1 of runRSMOPT, the
 *   data set's ids in data-set mode), in the order the results follow.
 * success (out): 1 when the file served every request, else 0.
 *
 * Predictions are in the units the models were fitted in (response units
 * unless a data-set study gave its responses a scale).
 *
 * Results: the number of doubles written; 0 when the model file cannot serve
 * (missing, truncated or corrupt, not a model file, a response id it does not
 * hold, models of another number of variables where the file shows it: every
 * model type but polynomial regression stores its sample), the outputs then
 * holding zeros; -1 for inconsistent arguments (a null array, a count below
 * its least, a bad bound list, a design outside its bounds or of the wrong
 * length, a bad grid), nothing written. Either failure writes one line on
 * standard error and records ZELKOR_STATUS_INVALID_INPUT with that line
 * (zelkorLastMessage); nothing is thrown. The services share the process-wide
 * sample list of ensemble predictions: call them from one thread at a time.
 *
 * The _ forms take flat arrays; each C form is the same service under the name
 * C hosts use for the C-safe forms of this header (none of these services
 * throws, so the two behave alike).
 */

/* The predictions of the models of responseIds at x: values (out) receives
   nIds doubles, in the order of responseIds. */
ZELKOR_API int evaluateRSMall_(const char* modelFile, int n, const double* x,
                               const double* boundLists, const int* listLengths, int nIds,
                               const int* responseIds, double* values, unsigned char* success);
ZELKOR_API int evaluateRSMallC(const char* modelFile, int n, const double* x,
                               const double* boundLists, const int* listLengths, int nIds,
                               const int* responseIds, double* values, unsigned char* success);

/* The responses over a grid of two variables for a surface plot: variable
   `first` takes firstCount values and variable `second` secondCount values
   (each >= 2), evenly spaced from its lower to its upper bound; every other
   variable keeps its value in x. values (out) receives firstCount * secondCount
   rows of nIds doubles: the row of grid point (a, b), variable first at its
   a-th value and second at its b-th, is a * secondCount + b. */
ZELKOR_API int evaluateRSM3D_(const char* modelFile, int n, const double* x,
                              const double* boundLists, const int* listLengths, int nIds,
                              const int* responseIds, int first, int second, int firstCount,
                              int secondCount, double* values, unsigned char* success);
ZELKOR_API int evaluateRSM3DC(const char* modelFile, int n, const double* x,
                              const double* boundLists, const int* listLengths, int nIds,
                              const int* responseIds, int first, int second, int firstCount,
                              int secondCount, double* values, unsigned char* success);

/* Approximate values: the predictions at nPoints points (row by row, n values
   each) at once, the file read once. values (out) receives nPoints rows of
   nIds doubles. */
ZELKOR_API int evaluate_approxvals_(const char* modelFile, int n, int nPoints,
                                    const double* points, const double* boundLists,
                                    const int* listLengths, int nIds, const int* responseIds,
                                    double* values, unsigned char* success);

/* Validation: how well the file's models reproduce values the host computed.
   points: nPoints designs (row by row), best not those the study sampled;
   observed: nPoints rows of nIds finite values, the host's response
   responseIds[k] at point p in observed[p * nIds + k]. measures (out) receives
   three doubles per response id, in order: the coefficient of determination
   R^2 = 1 - sum (observed - predicted)^2 / sum (observed - mean)^2 (not
   clamped: below 0 the model is worse than the mean; 1 when the observed
   values are constant), the root-mean-square error and the largest absolute
   error. Returns 3 nIds when served. */
ZELKOR_API int evaluate_validate_RSMall(const char* modelFile, int n, int nPoints,
                                        const double* points, const double* observed,
                                        const double* boundLists, const int* listLengths,
                                        int nIds, const int* responseIds, double* measures,
                                        unsigned char* success);

/*
 * The frequency study of a vehicle's steering system on its cowl cross-bar
 * and body (ours: the arguments, the study and its output), on two stored
 * surrogate sets, each a model file of three responses (ids 0, 1, 2: the first
 * three natural frequencies, Hz) written by a surrogate study:
 *   steeringModelFile  "[Steering System]": the steering column and wheel
 *                      mounted on the buck (the test fixture);
 *   cowlModelFile      "[Cowl X/bar & Body System]": the cross-bar on its body
 *                      mounts, seen from the column's mount.
 * Model file names may end in ".rsm" or not (".rsm" is read). Both files are
 * fitted over the n design variables in order, unless a file's base name holds
 * a cross-bar weight-set key: then its design vector is formed as for
 * evaluateRSMall_RAZ2015 below (nSteering, weightSet).
 *
 * Per mode k = 1..3, with remove(a, b) = 1/sqrt(1/a^2 - 1/b^2) (the system a
 * without the part b; Dunkerley's rule on the squared frequencies, +infinity
 * when a >= b: the rest is rigid) and join(a, b) = 1/sqrt(1/a^2 + 1/b^2) (two
 * parts in series):
 *   steering column  = remove(steering on buck, buck)
 *   cowl X/bar       = remove(cowl X/bar & body, body)
 *   assembled        = join(steering column, cowl X/bar & body)
 * The study maximises the lowest assembled mode over the bounds, subject to
 * lowest assembled mode >= targetFrequency and first cowl X/bar & body mode -
 * lowest assembled mode >= separation (the steering wheel's mode kept clear of
 * the mode of the structure it hangs on): the genetic algorithm with
 * feasibility-first ranking on the stored surrogates, then SQP from its
 * optimum. Every design evaluation reads each model file once through a
 * temporary surrogate-evaluation session (engine type 9); the process working
 * set is emptied before the study starts.
 *
 * n: design variables (>= 1); x (in/out): n starting values inside their
 *   bounds, on return the best design found.
 * boundLists: n pairs [lower, upper] (the bounds the files were fitted with).
 * nSteering, weightSet: read only for a file whose name holds a weight-set key
 *   (evaluateRSMall_RAZ2015); weightSet may be null otherwise.
 * buckFrequencies, bodyFrequencies: three frequencies each (Hz, > 0), of the
 *   buck and of the body as the wheel's mass sees them.
 * targetFrequency, separation: Hz, >= 0 (0: no requirement).
 * searchBudget: design evaluations of the genetic algorithm (<= 0: 2000).
 * modes (out, may be null): 15 doubles, three modes for each of the rows
 *   steering on buck, steering column, cowl X/bar & body, cowl X/bar,
 *   assembled (infinity marks a rigid rest).
 * evaluationCounts (out, may be null): 2 ints, the predictions read from the
 *   steering file and from the cowl file.
 *
 * Output on standard output, after the study:
 *   " [Steering System] THE NUMBER OF MODEL EVALUATION: <count>"
 *   " [Cowl X/bar & Body System] THE NUMBER OF MODEL EVALUATION: <count>"
 *   " DESIGN: x1 = ... xn = ..."
 *   a table "FREQUENCY (Hz)" of MODE 1..3 with the rows "Buck ",
 *   "Steering on Buck", "Steering Column", "Body", "Cowl X/bar & Body",
 *   "Cowl X/bar" and "Steering in Vehicle" (the assembled modes; "rigid" for
 *   infinity), then " LOWEST MODE ... SEPARATION ...: MET" (or "NOT MET").
 *
 * Returns 1 when the design meets both requirements, else 0; zelkorLastStatus
 * is OK, INFEASIBLE, INVALID_INPUT (a null or empty argument, a bad bound pair,
 * a start outside its bounds, a frequency not above 0, a weight set that
 * cannot be formed, a model file that cannot serve three modes: one line on
 * standard error, nothing printed, x untouched) or ENGINE_ERROR.
 */
ZELKOR_API int Optimize_Mode_RAZ2015(const char* steeringModelFile, const char* cowlModelFile,
                                     int n, double* x, const double* boundLists, int nSteering,
                                     const double* weightSet, const double* buckFrequencies,
                                     const double* bodyFrequencies, double targetFrequency,
                                     double separation, int searchBudget, double* modes,
                                     int* evaluationCounts);

/*
 * evaluateRSMall_ for a cowl cross-bar model file fitted over one of four
 * weight sets (ours: the sets and the arguments). The design variables are
 * those of the frequency study: the first nSteering belong to the steering
 * column, the rest to the cross-bar; weightSet holds three doubles, the
 * weight the cross-bar carries (instrument panel and modules, kg) and its
 * lower and upper bound as fitted. The file's base name (between the last "\"
 * or "/" - both count on every system - and the last ".") is searched for the
 * keys in this order, the first found deciding the vector handed to the models:
 *   "cowlbar_weight_pd"  x[nSteering..n-1]           (the cross-bar alone)
 *   "cowlbar_weight_pc"  x[nSteering..n-1], weight   (the cross-bar and weight)
 *   "cowlbar_weight_pb"  x[0..n-1], weight           (everything and weight)
 *   "cowlbar_weight_pa"  x[0..n-1]                   (everything)
 * Variables left out were held at their baseline in the fit; the weight is read
 * only by pb and pc (weightSet may be null for pa and pd). pc and pd need
 * nSteering < n. A base name without a key is inconsistent input.
 *
 * modelFile: the file's path, ".rsm" optional. x: n values inside boundLists,
 * n pairs [lower, upper]. The other arguments and the results are those of
 * evaluateRSMall_ (the same reading and prediction, one temporary session of
 * engine type 9): the number of values written, 0 when the file cannot serve,
 * -1 for inconsistent arguments (among them no key, an nSteering outside its
 * range, a missing weight or one outside its bounds).
 */
ZELKOR_API int evaluateRSMall_RAZ2015(const char* modelFile, int n, const double* x,
                                      const double* boundLists, int nSteering,
                                      const double* weightSet, int nIds, const int* responseIds,
                                      double* values, unsigned char* success);

/*
 * Reliability and statistics services.
 *
 * Random inputs are described by rows of six doubles: [0] the type code,
 * then the family's values:
 *   0 normal       [1] mean, [2] standard deviation
 *   1 lognormal    [1] mean, [2] standard deviation (of X itself)
 *   2 exponential  [1] rate lambda, [3] shift
 *   3 uniform      [4] lower, [5] upper
 *   4 Rayleigh     [1] sigma, [3] shift
 *   5 gamma        [1] shape, [2] scale, [3] shift
 *   6 Weibull      [1] shape, [2] scale, [3] shift
 *   7 beta         [1] alpha, [2] beta, [4] lower, [5] upper
 *   8 triangle     [1] mode, [4] lower, [5] upper
 * A code of 9 or above marks a variable that is not random.
 *
 * Statistics of one response or sample vector, ZELKOR_STATISTICS_LENGTH
 * doubles: [0..98] the 1 % ... 99 % quantiles (sorted sample at positions
 * ceil(jN/100) - 1), [99] mean, [100] standard deviation (divisor N - 1),
 * [101] skewness, [102] excess kurtosis, [103..105] the probability-weighted
 * sums s_0 + sum_k (1 - k/N)^p (s_k - s_{k-1}), p = 1, 2, 4, [106..125] the
 * fitted parameters [normal mean, sd | lognormal m, s of ln X | exponential
 * shift, lambda | uniform lower, upper | Rayleigh shift, sigma | gamma shift,
 * shape, scale | Weibull shift, shape, scale | beta lower, upper, alpha, beta]
 * (NaN for a family that could not be fitted), [126..134] the Kolmogorov-
 * Smirnov distance of each type code 0..8 (the triangle is not fitted: 1),
 * [135] the best-fitting type code. The best family is chosen by parsimony
 * (ours): among the families within 1/sqrt(N) of the smallest distance, the
 * one with the fewest parameters, then the smallest distance. A reliability
 * study adds [136] the failure probability and [137] its Monte Carlo standard
 * error (ZELKOR_RELIABILITY_LENGTH doubles). Statistics need at least 4
 * samples (the kurtosis) and a sample that is not constant.
 *
 * Every service but switch_cdf_fos takes a success flag (one byte, may be
 * null) as its last argument: set to 1 on entry, cleared when the call fails.
 * A failed call returns NaN (0 for the int results), writes one line on
 * standard error and sets zelkorLastStatus/zelkorLastMessage; no exception
 * escapes.
 */
#define ZELKOR_STATISTICS_LENGTH 136
#define ZELKOR_RELIABILITY_LENGTH 138

/* The empirical distribution of count samples (copied and sorted, s_0 <= ...
   <= s_{N-1}). mode 0, probability to value: the first i with (i + 1)/N > v
   gives s_{i-1} + (v - i/N) N (s_i - s_{i-1}); none gives s_{N-1}. mode 1,
   value to probability: the first i with s_i > v gives
   (i + (v - s_{i-1})/(s_i - s_{i-1}))/N; none gives 1. s_{-1} is
   min(0, s_0), and (ours, so that both modes are monotone for negative
   samples) mode 1 gives 0 below it and mode 0 reads v < 0 as 0. Any other
   mode: 0. NaN for a null or empty sample or a non-finite v. */
ZELKOR_API double switch_cdf_fos(double v, const double* samples, int count, int mode);

/* The density at x of the distribution of one input row (six doubles), in
   the variable's units (ours: the beta density is divided by upper - lower,
   so that it integrates to 1). */
ZELKOR_API double evaluate_pdfval(double x, const double* row, unsigned char* success);

/* One distribution of an input row (six doubles, above) over many values
   (ours: the one service that gives a distribution's functions without a
   reliability study). quantity: ZELKOR_DISTRIBUTION_PDF (the density, as
   evaluate_pdfval), _CDF (the distribution function), _QUANTILE (its inverse;
   values are probabilities in [0, 1]) read values[k] and write results[k];
   _MEAN, _SD (standard deviation), _SKEWNESS and _EXCESS_KURTOSIS ignore
   values (may be null) and write the moment count times. Returns count, or -1
   on failure (an unknown quantity or type code, parameters the family refuses,
   a probability outside [0, 1], a null array), with one line on standard
   error, zelkorLastStatus and the flag cleared; results is then partly
   written. Values outside the support give the family's own answer (density
   0, distribution function 0 or 1). */
#define ZELKOR_DISTRIBUTION_PDF 0
#define ZELKOR_DISTRIBUTION_CDF 1
#define ZELKOR_DISTRIBUTION_QUANTILE 2
#define ZELKOR_DISTRIBUTION_MEAN 3
#define ZELKOR_DISTRIBUTION_SD 4
#define ZELKOR_DISTRIBUTION_SKEWNESS 5
#define ZELKOR_DISTRIBUTION_EXCESS_KURTOSIS 6
ZELKOR_API int evaluate_distribution(int quantity, const double* row, int count,
                                     const double* values, double* results,
                                     unsigned char* success);

/* Statistics and family fits of nQuantities sample vectors of nSamples values
   each, one after another in samples. statistics receives
   ZELKOR_STATISTICS_LENGTH doubles per quantity, correlations the
   nQuantities (nQuantities - 1)/2 Pearson correlations of the pairs i < j in
   row order ((0,1), (0,2), ..., (1,2), ...); either may be null. Returns 1,
   or 0 on failure (fewer than 4 samples, a non-finite or constant vector). */
ZELKOR_API int evaluate_distribute_model(const double* samples, int nQuantities, int nSamples,
                                         double* statistics, double* correlations,
                                         unsigned char* success);

/* Post-processing of a reliability result file fileName (the base path: ".rel"
   is added) written by runRELSTUDY or a data-set reliability analysis. It
   rebuilds the distributions the file holds and returns, for quantity:
     0, 1, 2  the density, distribution function or quantile at value of the
              best-fitting family of response `index`;
     3, 4, 5  the same for the distribution of input variable `index`;
     6        the failure probability of response `index` (value unused).
   The density is in the variable's units. */
#define ZELKOR_RELPOST_RESPONSE_PDF 0
#define ZELKOR_RELPOST_INPUT_PDF 3
#define ZELKOR_RELPOST_INPUT_QUANTILE 5
#define ZELKOR_RELPOST_FAILURE 6
ZELKOR_API double evaluate_relpost(int quantity, int index, double value, const char* fileName,
                                   unsigned char* success);

/* Local sensitivities of response responseId of the model file modelFile (the
   full file name, e.g. "study.rsm") at x: for every variable whose type
   keyword is "CONT" or "RAND", (f(x + h e_k) - f(x))/h with
   h = delta (upper - lower) of the variable (ours: a step in proportion to the
   variable's range, so variables of any units and sign get the same relative
   step); the other variables get 0. delta <= 0 takes 1e-3. x, boundLists and
   listLengths as for runRSMOPT; sensitivities receives n values. Returns the
   prediction f(x). The C form takes n keyword strings; the _ form one string of
   blank-separated keywords ("CONT DISC RAND"). */
ZELKOR_API double evaluate_local_sensitivityC(const char* modelFile, int responseId, int n,
                                              const double* x, const double* boundLists,
                                              const int* listLengths,
                                              const char* const* variableTypes, double delta,
                                              double* sensitivities, unsigned char* success);
ZELKOR_API double evaluate_local_sensitivity_(const char* modelFile, int responseId, int n,
                                              const double* x, const double* boundLists,
                                              const int* listLengths, const char* variableTypes,
                                              double delta, double* sensitivities,
                                              unsigned char* success);

/*
 * A whole reliability study (ours). Samples the design space with a design of
 * experiments around the random inputs' ranges, has `evaluate` compute every
 * sampled design, fits one surrogate per response, runs a Monte Carlo of
 * 100000 samples of the random inputs on the surrogates and returns the
 * statistics of every response and the failure probability of every
 * constraint (responses 1..m-1, g <= 0).
 *
 * n, m: design variables and responses. x: n values within their bounds; the
 *   values of the variables that are not random. boundLists, listLengths: as
 *   for runRSMOPT; they span the design of experiments, so they should cover
 *   the random inputs' likely range (the surrogates extrapolate beyond).
 * inputRows: n rows of six doubles (above). randomFlags: n ints, 0 marks a
 *   variable as not random whatever its row; null: the rows decide.
 * correlation: r x r doubles, row-major, the correlation of the r random
 *   inputs in standard-normal space (sampling method 1, the Nataf
 *   transform); null: independent.
 * designSettings: four ints as for runRSMOPT (a Latin hypercube is seeded
 *   with 0). modelType: 1..6 as for runRSMOPT, with its default option.
 * reliabilitySettings: five ints, null for the defaults: [1] threads of the
 *   Monte Carlo (results do not depend on it), [2] sampling method (0
 *   independent, 1 correlated); [0], [3], [4] have no role.
 * resultFile: base path of the ".rel" file (models and statistics, read back
 *   by evaluate_relpost); null or empty writes none.
 * statistics: m x ZELKOR_RELIABILITY_LENGTH doubles; correlations
 *   m(m - 1)/2; failureProbability and standardError m each (NaN for the
 *   objective, response 0). Any may be null.
 *
 * Returns 1 on success, 0 on failure (one line on standard error,
 * zelkorLastStatus). The study repeats exactly: the generator is seeded with 0.
 */
ZELKOR_API int runRELSTUDY(ResponseCallback evaluate, int n, int m, const double* x,
                           const double* boundLists, const int* listLengths,
                           const double* inputRows, const int* randomFlags,
                           const double* correlation, const int* designSettings, int modelType,
                           const int* reliabilitySettings, const char* resultFile,
                           double* statistics, double* correlations, double* failureProbability,
                           double* standardError);

/* runRELSTUDY with batched evaluation (ours): the design of experiments, whose
   designs do not depend on one another's responses, goes to evaluateBatch as
   one batch (at most batchLimit designs each; 0: no limit), called as
   ZelkorBatch calls it. The other arguments are runRELSTUDY's; the statistics
   are the same bit for bit as runRELSTUDY's with the same settings. */
ZELKOR_API int runRELSTUDYBatch(BatchCallback evaluateBatch, void* user, int batchLimit, int n,
                                int m, const double* x, const double* boundLists,
                                const int* listLengths, const double* inputRows,
                                const int* randomFlags, const double* correlation,
                                const int* designSettings, int modelType,
                                const int* reliabilitySettings, const char* resultFile,
                                double* statistics, double* correlations,
                                double* failureProbability, double* standardError);

/*
 * The scatter of a slope's factor of safety (ours in its arguments): the
 * study of runRELSTUDY with one response, f[0] the factor of safety, which
 * fails below failureFactor (finite, above 0; 1 for the usual probability of
 * failure). evaluate(x, n, f, 1) computes it at the critical slip surface
 * for the soil values x (cohesion, friction angle, unit weight, ...). n, x,
 * boundLists, listLengths, inputRows, randomFlags, correlation,
 * designSettings, modelType, reliabilitySettings and resultFile as for
 * runRELSTUDY. statistics: ZELKOR_RELIABILITY_LENGTH doubles (mean at [99],
 * standard deviation at [100]); failureProbability, standardError: one double
 * each, P(FS < failureFactor) over the 100000 samples and its Monte Carlo
 * standard error. Any may be null. Returns 1 on success, 0 on failure (one
 * line on standard error, zelkorLastStatus).
 */
ZELKOR_API int runRELANAL_LEM(ResponseCallback evaluate, int n, const double* x,
                              const double* boundLists, const int* listLengths,
                              const double* inputRows, const int* randomFlags,
                              const double* correlation, const int* designSettings,
                              int modelType, const int* reliabilitySettings,
                              double failureFactor, const char* resultFile, double* statistics,
                              double* failureProbability, double* standardError);

/*
 * Linear programming: minimise objective . x subject to
 *   rowLower[i] <= rows[i] . x <= rowUpper[i]      (nRows rows)
 *   variableLower[j] <= x[j] <= variableUpper[j]   (nVariables variables)
 * rows holds nRows * nVariables coefficients, row by row. A bound of -HUGE_VAL /
 * +HUGE_VAL (or a null bound array) leaves that side open; equal bounds fix a row
 * or a variable. reals (4) and ints (4) are the engine's settings, either may be
 * null: reals[0] feasibility tolerance (1e-9), reals[1] optimality tolerance
 * (1e-9), ints[0] iteration limit (0: 1000 + 50 (nRows + nVariables)), ints[1]
 * pivots per engine step (50).
 * On success returns 0 and writes the nVariables values of the optimum into
 * solution and its objective into *objectiveValue (either may be null). On failure
 * prints ERROR MESSAGE OF SIMPLEX : " <message> " and returns the message's index
 * in the library's error table: 2 invalid settings, 6 invalid bounds, 7 numerical
 * failure, 8 iteration limit, 9 infeasible, 10 unbounded, 11 invalid input.
 */
ZELKOR_API int runSIMPLEX(int nVariables, int nRows, const double* objective, const double* rows,
                          const double* rowLower, const double* rowUpper,
                          const double* variableLower, const double* variableUpper,
                          double* reals, int* ints, double* solution, double* objectiveValue);

/* As runSIMPLEX, with row i given by its own array rows[i] of rowLengths[i]
 * leading coefficients (the rest are 0; 0 <= rowLengths[i] <= nVariables). */
ZELKOR_API int runSIMPLEX_CVL(int nVariables, int nRows, const double* objective,
                              const double* const* rows, const int* rowLengths,
                              const double* rowLower, const double* rowUpper,
                              const double* variableLower, const double* variableUpper,
                              double* reals, int* ints, double* solution,
                              double* objectiveValue);

/*
 * Fits n coefficients x under m linear constraints rows[k] . x - rhs[k] <= 0 by
 * minimising, by objectiveForm, 1: sum |w_i x_i|, 2: sum (w_i x_i)^2,
 * 3: max |w_i x_i| (any other form: 0), with the SQP engine. The coefficients
 * range over [0, 20] for signOption 1, [-20, 20] for 0, [-20, 0] for -1 and are
 * fixed at 0 for any other value.
 * Deviation: the engine gets exact gradients on request (mode 3); at its defaults it gets none.
 * Its other settings: objective tolerance 1e-12 (the default 0.5 % change stops
 * a fit of the sum or the maximum short of its minimum), constraint tolerance
 * 1e-8, at most 200 iterations (the maximum form needs more than the default 30).
 * At a kink of |w_i x_i| the slope taken is 0; form 3 takes the slope of the
 * first largest term.
 * x (in/out): n starting coefficients (inside their range); on return the fit.
 * rows: m pointers to n coefficients; rhs: m values; weights: n values.
 * result: null or room for 3 doubles: the final objective, the largest
 * constraint value and the CPU seconds the fit took. Prints nothing but the
 * engine's interrupt line on standard output, when the constraints cannot be
 * met inside the coefficient range or a response is not finite.
 * Returns 1 when the final coefficients satisfy every constraint to 1e-8, else
 * 0 (also, with one line on standard error, for inconsistent arguments).
 */
ZELKOR_API int LinearProbOPT(int m, int n, double* x, const double* const* rows,
                             const double* rhs, const double* weights, int objectiveForm,
                             int signOption, double* result);

#ifdef __cplusplus
} /* extern "C" */

#include <memory>
#include <string>
#include <vector>

#include "zelkor_dataset.h"

/* Responses at *x written into *f; the vectors are the caller's own. */
typedef int (*VectorCallback)(std::vector<double>* x, std::vector<double>* f);

extern "C" {

/*
 * DIRECT global search with the engine's own parameter arrays (either may be
 * null: every setting at its default):
 *   ints (11): [2] maxDivisionDepth (500), [3] maxIterations (50, at most 100),
 *              [4] maxEvaluations (3000, at most 10000);
 *   reals (10): [0] penaltyFactor (5.0), [1] targetValue (0: none).
 * x (in/out): n starting values within their bounds, evaluated first; on return
 * the best design found.
 * f: m responses written by `evaluate`; on return those at the best design. bounds: n bound lists, [lower, upper]
 * (more entries make a discrete variable). Silent; returns 1 when the best design
 * violates no constraint, else 0.
 * For this function and the others below: inconsistent input (as for Zelkor,
 * including a start outside its bounds) gives one line on standard error and 0
 * without a call of the host; a callback that throws ends the run as described
 * for Zelkor; zelkorLastStatus says why the result is 0.
 */
ZELKOR_API int runDIRECT(ArrayCallback evaluate, double* x, double* f,
                         const std::vector<std::vector<double>>* bounds, int n, int m,
                         double* reals, int* ints);

/*
 * SQP with the engine's own parameter arrays, 12 ints and 12 reals (either may
 * be null: defaults; a negative int, or a real not >= 0, takes the default),
 * and the parameter record's option set to 0. Arguments as runDIRECT; the start
 * design is evaluated first. Returns 1 when the final design is feasible.
 *   ints: [0] objective sign in finite-difference mode (1), [1] objective form
 *         (1), [2] history option (0), [3] iterations (30), [4] first iteration
 *         number (0), [5] gradient mode (below), [6] leading iterations with the
 *         large-violation test (1), [7] line-search trials (10), [8] reserved
 *         (1), [9] constraints in the QP, 1 all, else only near-active ones (1),
 *         [10] reserved (3), [11] reserved (0);
 *   reals: [0] objective tolerance, relative change (0.005), [1] step
 *         tolerance (0), [2] finite-difference step (1e-5), [3] large-violation
 *         threshold (0.2), [4] initial step length (1.0), [5] constraint
 *         tolerance (1e-4), [6] step reduction in the line search (0.4),
 *         [7] reserved (0.5), [8] move limit (0.3), [9] move-limit factor
 *         (0.25), [10] largest move limit (0.4), [11] smallest move limit (0.05);
 *         steps, tolerances and move limits in [0, 1] units of the ranges.
 * Gradient mode, a deviation of ours: this family has no gradient callback, so
 * the modes 0 and 2 (and the default, 0), which read sensitivities no host here
 * supplies, become 1, forward differences by the library; mode 3 (host
 * gradients on request) ends the run with ZELKOR_STATUS_ENGINE_ERROR.
 */
ZELKOR_API int runSQP_Soil(ArrayCallback evaluate, double* x, double* f,
                           const std::vector<std::vector<double>>* bounds, int n, int m,
                           double* reals, int* ints);

/*
 * Sequential approximate optimisation with the engine's own parameter arrays,
 * 6 ints and 6 reals (either may be null: defaults; a negative entry takes the
 * default). Arguments as runDIRECT; the start design is evaluated first.
 *   ints: [0] goal (1), [1] objective form (1), [2] accepted cycles (100),
 *         [3] host evaluations (4000, every evaluation counted, never
 *         exceeded), [4] not read, [5] surrogate type as for Zelkor method 5 (1);
 *   reals: [0] constraint tolerance (0.003), [1] objective tolerance, relative
 *         change (0.001), [2] not read (0.01), [3] initial move limit, fraction
 *         of each range (0.1), [4] expand ratio (0.9), [5] accept ratio (0.1).
 * Discrete variables and a surrogate type outside 1..6 are refused. Returns 1
 * when the run ended on its stopping tests (see Zelkor method 5); x and f hold
 * the last accepted design and the host's responses there.
 */
ZELKOR_API int runSAOOPT_Soil(ArrayCallback evaluate, double* x, double* f,
                              const std::vector<std::vector<double>>* bounds, int n, int m,
                              double* reals, int* ints);

/*
 * The critical slip surface of a slope: sequential approximate optimisation
 * (as runSAOOPT_Soil) of one response, the factor of safety, which it
 * minimises (engine type 12). evaluate(x, n, f, 1) writes the factor of
 * safety of the slip surface the n design variables describe (a circle's
 * centre and radius, say) into f[0]; a surface the host cannot analyse (it
 * misses the slope, leaves the model, drives no mass) gets 1e100 or NaN.
 * x (in/out): n starting values within their bounds, evaluated first,
 * preferably an admissible surface; on return the critical surface found.
 * f: one double; on return the factor of safety there. bounds: n bound lists
 * [lower, upper] (continuous only).
 * ints: 6, as runSAOOPT_Soil. reals: 7, runSAOOPT_Soil's six, then [6] the
 *   convergence threshold (3.0): a small change of the factor of safety ends
 *   the run only below it. Either array may be null: defaults.
 * A cycle samples and searches only when at least n + 1 of its designs give
 * an admissible factor (finite, above 0, below 1e100); a cycle with none ends
 * the run at once. Returns 1 when the run ended on its stopping tests; 0 with
 * ZELKOR_STATUS_INFEASIBLE when no admissible surface was found around the
 * start (x then holds the start, f[0] 1e100), or with the status of bad input
 * (a null callback or array, n < 1, a start outside its bounds, a discrete
 * variable), as for runDIRECT.
 */
ZELKOR_API int runSAOOPT_LEM(ResponseCallback evaluate, double* x, double* f,
                             const std::vector<std::vector<double>>* bounds, int n,
                             double* reals, int* ints);

/*
 * Genetic algorithm with the engine's own parameter arrays (20 reals and 20 ints;
 * either may be null: every setting at its default):
 *   ints: [2] population size (251), [3] generations (1000), [4] coding (1 real,
 *         0 binary; 2 is rejected: nothing is built and 0 is returned), [5] bits
 *         per continuous variable in binary coding (15), [6] evaluations (10000),
 *         [8] simulated binary crossover for real strings (1), [9] no mutation (0),
 *         [10] generations without improvement before stopping (50), [11]
 *         selection (0 tournament, 1 niche-restricted), [12] niche candidates
 *         (0: N / 4), [13] seed (0), [14] skip designs already evaluated (0);
 *   reals: [0] penalty factor (100; a negative value other than -999 ranks
 *         feasible designs first), [1] crossover rate (0.7), [2] mutation rate
 *         (0: automatic), [3] niche radius (0.1).
 * Negative entries take the defaults. A discrete variable (a bound list of more
 * than two entries) switches the run to real coding.
 * x (in/out): n values; the engine hands out its own designs from the first
 * step (the start is not evaluated); on return the best design found. f: m
 * responses written by `evaluate`, on return those at the best design.
 * Silent; the same seed gives the same designs. Returns 1 when the best design
 * violates no constraint, else 0.
 */
ZELKOR_API int runGA_ptr(ArrayCallback evaluate, double* x, double* f,
                         const std::vector<std::vector<double>>* bounds, int n, int m,
                         double* reals, int* ints);

/*
 * Micro-GA (a population of at most 21, odd, default 7; no mutation; restarted
 * around the elite when it has converged) with the arrays of runGA_ptr. Discrete
 * variables keep the chosen coding.
 */
ZELKOR_API int runMicroGA_ptr(ArrayCallback evaluate, double* x, double* f,
                              const std::vector<std::vector<double>>* bounds, int n, int m,
                              double* reals, int* ints);

/*
 * runGA_ptr with the design and responses in the caller's vectors: x->size()
 * design variables, f->size() responses; the callback receives x->data() and
 * f->data(). evaluationSeconds and engineSeconds (either may be null) are set to
 * 0 on entry and receive the wall-clock seconds spent in the callback and in the
 * engine's steps, with millisecond resolution.
 */
ZELKOR_API int runGA(ArrayCallback evaluate, std::vector<double>* x, std::vector<double>* f,
                     const std::vector<std::vector<double>>* bounds, double* reals, int* ints,
                     double* evaluationSeconds, double* engineSeconds);

/* The micro-GA of runMicroGA_ptr with the arguments of runGA. */
ZELKOR_API int runMicroGA_(ArrayCallback evaluate, std::vector<double>* x,
                           std::vector<double>* f, const std::vector<std::vector<double>>* bounds,
                           double* reals, int* ints, double* evaluationSeconds,
                           double* engineSeconds);

/*
 * ZelkorBatch for C++ hosts (ours): the design and responses in the caller's
 * vectors, x->size() design variables and f->size() responses; bounds holds one
 * list per variable, [lower, upper] for a continuous variable and
 * [lower, level..., upper] for a discrete one (levels ascending, as for the
 * session; methods 2 to 4 search the levels, the SQP snaps to them at the end,
 * the SAO refuses them). The callback receives the batch's designs,
 * one vector per design, and a vector of as many rows of f->size() zeros, which
 * it fills in place without resizing (a row count or length changed is an error,
 * reported as a throwing callback is). Every design, a batch of one included,
 * goes to the callback. counts (may be null) receives what the run handed to the
 * host, however it ends. Otherwise as ZelkorBatch.
 */
typedef void (*VectorBatchCallback)(const std::vector<std::vector<double>>* designs,
                                    std::vector<std::vector<double>>* responses, void* user);
ZELKOR_API int ZelkorBatchVector(int method, int reportLevel, VectorBatchCallback evaluateBatch,
                                 void* user, int batchLimit, std::vector<double>* x,
                                 const std::vector<std::vector<double>>* bounds,
                                 std::vector<double>* f, int* ints, double* reals,
                                 GradientCallback gradients, ZelkorBatchCounts* counts);

/*
 * The layout micro-GA (engine type 2): one layer of bars designed by x[0], the
 * bar diameter (mm), whose bound list is the catalogue itself (two or more
 * ascending diameters, every one of them a choice, the first and the last
 * included), and x[1], the spacing (mm), [lower, upper] taken in steps of
 * spacingStep from lower. With an objective in mm² (steel area) the default
 * penalty (reals[0] = 100) lets the objective swamp a capacity constraint of
 * order one: set reals[0] = -1, feasible layouts ranked first. ints[19] 1
 * lays the bars along a rectangular section's width (floor(spreadLength /
 * spacing) + 1 bars), any other value around a circular section (floor(pi
 * spreadLength / spacing) bars, the circle through the bar centres of
 * diameter spreadLength, mm). The other reals and
 * ints are the micro-GA's, as for runMicroGA_ptr (real coding, ints[4] = 1,
 * the default, is required). The callback receives x and f themselves:
 * f[0] the objective, the others constraints g <= 0.
 * layout: the run's name, the base path of its files, which must not be empty:
 *   "<layout>.log", every design handed out (rounded to whole mm), its
 *   objective and largest constraint, an "ITERATION NUMBER: " line per
 *   generation and the optimum; and "<layout>_bounds.txt", the bounds report:
 *   the number of distinct feasible layouts met and the smallest and largest
 *   bar diameter, spacing, number of bars and steel area (mm²) among them.
 * evaluationSeconds, engineSeconds: as for runGA.
 * Returns 1 when the best layout satisfies every constraint, else 0; bad input
 * (an empty layout text, x not of two values, a step or spread not positive,
 * a log that cannot be opened) prints one line on standard error and returns
 * 0 without calling the host.
 */
ZELKOR_API int runMicroGA(VectorCallback evaluate, std::vector<double>* x,
                          std::vector<double>* f, const std::vector<std::vector<double>>* bounds,
                          double* reals, int* ints, double* evaluationSeconds,
                          double* engineSeconds, std::string* layout, double spacingStep,
                          double spreadLength);

/*
 * runSQP_CFD_ with the library's vector forms: x->size() design variables,
 * f->size() responses, one bound list per variable in bounds, and the state
 * block in *state, whose size must be zelkorSQPStateSize(x->size(), f->size())
 * (the library never resizes it). Results as runSQP_CFD_.
 */
ZELKOR_API int runSQP_CFD(std::vector<double>* x, std::vector<double>* f,
                          const std::vector<std::vector<double>>* bounds,
                          std::vector<double>* state, double* reals, int* ints);

/* evaluate_local_sensitivityC with the library's vector forms: x->size()
   variables, one bound list and one keyword per variable; sensitivities is
   resized to x->size(). */
ZELKOR_API double evaluate_local_sensitivity(const std::string* modelFile, int responseId,
                                             const std::vector<double>* x,
                                             const std::vector<std::vector<double>>* bounds,
                                             const std::vector<std::string>* variableTypes,
                                             double delta, std::vector<double>* sensitivities,
                                             unsigned char* success);

/* As arrangeDOE_ with the library's vector forms: bounds holds one bound list per
   variable, laid out as above, and its size is the number of variables; start is
   null or holds at least that many values; points is replaced by the design's
   rows (emptied when the settings select no design, untouched on inconsistent
   input). */
ZELKOR_API int arrangeDOE(const int* settings, const std::vector<double>* start,
                          const std::vector<std::vector<double>>* bounds,
                          std::vector<std::vector<double>>* points);


/* The model-file services with the library's vector forms (see the services
   above): bounds holds one bound list per variable and its size is the
   number of variables; x must hold as many values; the outputs are replaced
   (zeros when the file cannot serve, untouched on inconsistent arguments).
   evaluateRSMall: values receives one prediction per response id. */
ZELKOR_API int evaluateRSMall(const char* modelFile, const std::vector<double>* x,
                              const std::vector<std::vector<double>>* bounds,
                              const std::vector<int>* responseIds, std::vector<double>* values,
                              unsigned char* success);
/* values receives one row of predictions per grid point, in the grid order of
   evaluateRSM3D_. */
ZELKOR_API int evaluateRSM3D(const char* modelFile, const std::vector<double>* x,
                             const std::vector<std::vector<double>>* bounds,
                             const std::vector<int>* responseIds, int first, int second,
                             int firstCount, int secondCount,
                             std::vector<std::vector<double>>* values, unsigned char* success);
/* values receives one row of predictions per point. */
ZELKOR_API int evaluate_approxvals(const char* modelFile,
                                   const std::vector<std::vector<double>>* points,
                                   const std::vector<std::vector<double>>* bounds,
                                   const std::vector<int>* responseIds,
                                   std::vector<std::vector<double>>* values,
                                   unsigned char* success);

} /* extern "C" */

namespace Opt {

class OptEngine;

/*
 * The session through which every engine is created and stepped.
 *
 * The first constructor builds the engine selected by engineType in host-array
 * mode: start holds nDesignVariables values in caller units; bounds holds one
 * list per variable, [lower, upper] for a continuous variable and
 * [lower, level..., upper] for a discrete one; reals and ints are the engine's
 * parameter arrays (either may be null: the engine's fill values are used) and
 * are copied, so the caller may free them as soon as the constructor returns.
 * reportLevel <= 0 prints nothing, 1..9 is the print level, 10 or more prints at
 * reportLevel - 10 and keeps the history for the result file.
 *
 * The second constructor builds the engine named by the data set's engine type
 * in data-set mode; the engine shares the data set.
 *
 * Inconsistent input (a negative count, short arrays, a bound list of fewer than
 * two entries, a non-finite value) builds no engine: one line on standard error
 * says what is wrong, and runOptEngine then returns -1.
 *
 * runOptEngine performs one step: 0 finished (x holds the final design),
 * 1 evaluate x and step again, 2 step again, 3 continue, 4 supply gradients at x
 * and step again, -1 error. The caller passes the same arrays on every step and
 * keeps them alive until a step returns 0 or -1: x of nDesignVariables doubles,
 * f of nResponses doubles, g of nDesignVariables rows of nResponses doubles
 * (all null in data-set mode).
 */
class ZELKOR_API OptEngineMain {
public:
    OptEngineMain(int nDesignVariables, int nResponses, const std::vector<double>& start,
                  const std::vector<std::vector<double>>& bounds, double* reals, int* ints,
                  int engineType, int reportLevel);
    explicit OptEngineMain(std::shared_ptr<DataSet> dataSet);
    ~OptEngineMain();

    OptEngineMain(const OptEngineMain&) = delete;
    OptEngineMain& operator=(const OptEngineMain&) = delete;

    int runOptEngine(double* x, double* f, double** g);

    /* The engine; empty when the engine type has none or the input was inconsistent. */
    std::shared_ptr<OptEngine> engine;
};

} // namespace Opt

#endif /* __cplusplus */
