#pragma once

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "doe/DOEBase.h"
#include "doe/DesignSettings.h"
#include "engine/OptEngine.h"
#include "managers/ModelFileQueries.h"
#include "rsm/DataOutBase.h"
#include "rsm/ProgressLine.h"
#include "rsm/RSMBase.h"

namespace Opt::RSM {

// The surrogate study: samples the design space with a design of experiments,
// has the host evaluate every sampled design, fits one surrogate per response,
// searches the optimum on the surrogates with an inner engine, and keeps the
// models in a model file. It is an engine like the others, stepped by its
// session; the host only ever evaluates the sampled designs and, at the end,
// the surrogate optimum.
//
// Engine types (the data set's, or the builder's in host-array mode):
//   7  arranges the design only: the first sampled design is published, its
//      evaluation ends the run, and the design's points (caller units) become
//      the data set's designPoints;
//   8  the study: sample, fit, search, evaluate the optimum, post-fit residual
//      tables;
//   9  as 8, and the models are stored with the data set's summaries and
//      written to the model file; built in host-array mode from the variables
//      alone, it serves the model-file services;
//   14 as 8, then the model file is written when it does not exist yet and
//      checked when it does (below);
//   15 sample and fit without searching, then store and write the models as 9
//      does (a study that only builds a model file; ours).
//
// The run, step by step (data-set mode; host-array mode passes x and f):
//   sampling   each step publishes the next point of the design in
//              designValues (exactly the design's caller-unit point); the host
//              writes the responses into the definitions' values. Responses
//              the host could not compute (NaN, infinite, or beyond 1e100) are
//              kept as the failed-evaluation marker, which the fit replaces.
//   fitting    all models at once, min(responses, threadCount) threads.
//   searching  one inner run per task (CallAgain between runs): a complete run
//              of the genetic algorithm (when gaSearchSettings is not empty)
//              or DIRECT (when directSearchSettings is not) on the surrogates,
//              built on this study's own data set, whose engineType, current
//              settings, design values and response values it borrows and
//              restores.
//   verifying  the first task's optimum is published for one evaluation by
//              the host (Evaluate); its responses are the host's, in the
//              definitions' values, when the run finishes.
//   finishing  by engine type (above); the final design is the optimum.
// Step results of receiveResponses: 0 (finished) for type 7; 3 (go on) while
// sampling and for types other than 8 and 9; 3 for type 9 once its search has
// started; 2 (step again) for the optimum's responses.
//
// Progress: the sampling, building and search lines (ProgressLine) on standard
// output while the data set's showProgress is set (always in host-array mode).
//
// Decisions where behaviour was open:
// - Types 14 and 15 store the sampled responses as 8 and 9 do (they fit models,
//   which need them), though they return 3 for them.
// - A task's objective is the weighted sum the inner engine forms of the
//   listed objective responses (the others weigh 0 during that run); its
//   result, the inner engine's final design and the predictions there, is kept
//   in the data set's searchResults in task order.
// - The residual tables are kept in the data set's residuals; the result table
//   of the run is its searchResults.
// - The model file is written only when the data set names one.
// - Model-file check (type 14): the file "<modelFile>.rsm" is read back at the
//   optimum with every response's model; a file that cannot serve every
//   response ends the run through the surrogate fatal handler with
//   "ERROR : INADEQUATE RSM DATA." (by default: that line on standard error and
//   exit status 0, as for the other fatal surrogate errors).
//
// Failures: no search settings when the search starts, or a model type outside
// 1..6 at construction, throw std::invalid_argument out of the step or the
// builder; a fit that fails is fatal (ParallelModelBuild).
class RSMManager : public OptEngine {
public:
    static constexpr int kArrangeOnly = 7;
    static constexpr int kStudy = 8;
    static constexpr int kStoredStudy = 9;
    static constexpr int kRobustStudy = 13;
    static constexpr int kCheckedStudy = 14;
    static constexpr int kFitOnly = 15;
    static constexpr int kGeneticSearchType = 1;
    static constexpr int kDirectSearchType = 6;
    static constexpr int kArrangeIntCount = 5;

    // Data-set mode: every setting from the data set (engineType one of the
    // types above).
    explicit RSMManager(std::shared_ptr<DataSet> dataSet);
    // Host-array mode, built from the variables alone (type 9): no design and
    // no models; the model-file services run on it.
    RSMManager(const std::vector<double>& start, const std::vector<std::vector<double>>& bounds);
    // Host-array mode, type 7: the design of the four study settings
    // ints[0..3], ints[4] = 1 seeding a Latin hypercube with 0.
    RSMManager(const std::vector<double>& start, const std::vector<std::vector<double>>& bounds,
               const std::vector<int>& ints);
    ~RSMManager() override;

    StepCode receiveResponses(const double* f, double** g) override;
    void publishDesign(double* x) override;
    // The study keeps its design variables normalised throughout and never
    // reads a design back from the host: nothing to do.
    void normaliseDesign(const double* x) override;
    StepCode beginIteration(double* x, double* f, double** g) override;
    void prepareStep() override;
    StepCode computeStep(double* x, double* f, double** g) override;
    void finish(double* x) override;

    // Look-ahead: while sampling, the design's remaining points, exactly as they
    // will be published (the sampled designs do not depend on one another's
    // responses); nothing in any other phase.
    void announceDesigns(int limit, std::vector<double>& designs) const override;

    // The sample points of the study's design in caller units, one row each.
    void copySamplePoints(std::vector<std::vector<double>>& rows) const;
    // The number of points of the study's design (0 without one).
    int experimentCount() const;
    // The model-file services, computed by ModelFileQueries (which says what
    // each gives) at the design the design variables hold (for the type-9
    // session of the services, the start it was built with). *success is
    // cleared, and every result is 0, when the file cannot serve; the reason
    // goes to *problem when given, else one line on standard error.
    std::vector<double> evaluateFromModelFile(const std::string& fileName,
                                              const std::vector<int>& ids, bool* success,
                                              std::string* problem = nullptr);
    std::vector<std::vector<double>> evaluateGridFromModelFile(
        const std::string& fileName, const std::vector<int>& ids,
        const ModelFileQueries::Grid& grid, bool* success, std::string* problem = nullptr);
    std::vector<std::vector<double>> evaluateApproximateValues(
        const std::string& fileName, const std::vector<int>& ids,
        const std::vector<std::vector<double>>& points, bool* success,
        std::string* problem = nullptr);
    std::vector<ModelFileQueries::Validation> validateModelFile(
        const std::string& fileName, const std::vector<int>& ids,
        const std::vector<std::vector<double>>& points,
        const std::vector<std::vector<double>>& observed, bool* success,
        std::string* problem = nullptr);
    // Fits the models in host-array mode (no data set).
    virtual void buildHostArrayModels();
    // The predictions of every model (response units, in id order) at x in
    // caller units: the values the search on the surrogates sees (virtual, so
    // that a study may search on statistics of the predictions instead).
    virtual std::vector<double> evaluateModels(const std::vector<double>& x) const;
    // Ends the search: the first task's optimum becomes the design.
    virtual void endInnerSearch();
    // One step of the sampling phase: the next point published (Evaluate) or
    // the phase over (Continue).
    virtual StepCode sampleStep();
    // The number of points the sampling phase publishes.
    virtual int samplingTotal() const;

    ModelMap models;
    std::shared_ptr<DataOutBase> modelFile;
    int lastInnerProgress = 0;
    std::shared_ptr<DOE::DOEBase> design;
    // The design's points in caller units, as the host evaluates them.
    std::vector<std::vector<double>> callerPoints;
    int engineType = kStudy;

protected:
    enum class Stage { Sampling, Searching, Verifying, Done };

    // For a manager that arranges its own designs (SAOManager): the data set's
    // variables, normalised, and nothing else; no design, no models, Done.
    struct VariablesOnly {};
    RSMManager(std::shared_ptr<DataSet> dataSet, VariablesOnly);
    // The predictions of every model (id order) at a point in the models' own
    // coordinates (their sample's), for a manager that maps designs itself.
    std::vector<double> predictAt(const std::vector<double>& point) const;

    Stage stage = Stage::Sampling;
    int sampledCount = 0;
    std::FILE* progressStream() const;

private:
    void arrangeDesign(const DOE::DesignSettings& settings);
    void adoptGivenPoints(const std::vector<std::vector<double>>& points);
    void shareDesign();
    void createModels();
    void storeSampledResponses(const double* f);
    SearchResult runInnerSearch(const SearchTask& task);
    int innerEngineType() const;
    void finishStudy();
    void tabulateResiduals();
    void storeAndWriteModels();
    void checkModelFile();
    bool writeModelFile();
    void setDesign(const std::vector<double>& callerValues);
    void normaliseStart();
    int taskCount() const;

    std::unique_ptr<ProgressLine> searchLine;
};

} // namespace Opt::RSM
