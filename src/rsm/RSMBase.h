#pragma once

#include <functional>
#include <map>
#include <memory>
#include <vector>

#include "engine/DataSet.h"
#include "rsm/RSMData.h"

namespace Opt::RSM {

// The surrogate (response-surface) model of one response: fitted to the values
// observed at the sample points of the current design of experiments, then
// asked for predictions anywhere. Model type codes: 1 polynomial regression,
// 2 kriging, 3 radial basis functions, 4 support vector regression, 5 ensemble,
// 6 ordinary kriging. Models are held by shared pointer.
//
// Lifecycle: construct (the model copies the sample points of the current
// design) -> loadResponse or selectResponse -> build, once -> predictions and
// quality measures. Points passed to the predictions are in the coordinates of
// the sample, i.e. surrogate coordinates in [-1, 1] when the design's
// normalised flag is set (InputNormalisation).
//
// Failed evaluations: a response value of kFailedEvaluation (1e100) in the
// design's response table marks a point the host could not evaluate.
// loadResponse replaces each such value by the largest other value of the
// response in (-1e100, 1e100), or by -1e100 when there is none.
//
// Decisions where behaviour was open:
// - Each model keeps its own copy of the sample points, taken at construction
//   (or from the model file): a later change of the current design, or another
//   model file read, cannot make a fitted model read past its data. Responses
//   are read from the current design when loadResponse is called; its point
//   count must then still be the model's.
// - Failed values are recognised in the response table before the division by
//   scale, so that a scale other than 1 cannot hide the marker.
// - loadResponse(id) and selectResponse(id) make id the model's responseId.
// - The coefficients of determination compare the values with predictions in
//   the same (stored) units.
// - Bad input throws and changes nothing: a point of the wrong length for a
//   prediction (std::invalid_argument), a sample index outside the sample
//   (std::out_of_range), a current design that no longer matches the model or
//   lacks the response's column (std::logic_error / std::out_of_range), a value
//   vector of the wrong length (std::invalid_argument).
class RSMBase {
public:
    // Operations in the order of the surrogate interface. Base behaviour where
    // not pure: looRSquared, rSquared, predictLeaveOneOut and predictionVariance
    // give 0.0, selectResponse does nothing, modelType is the record's dataType.
    virtual double looRSquared() const;
    virtual ~RSMBase() = default;
    // The value at x in response units (multiplied back by the record's scale).
    virtual double predict(const std::vector<double>& x) const = 0;
    // The value at x in stored units; *ok (when given) is set when it could be computed.
    virtual double predictNormalised(const std::vector<double>& x, bool* ok) const = 0;
    // Fits the model to the current values, with the leave-one-out data when
    // asked. Returns false and changes nothing when the model is fitted already.
    // A fit that raises an exception is fatal (FatalError).
    virtual bool build(bool withCrossValidation) = 0;
    // Write into the response's surrogate summary of the data set (created when
    // missing); a null data set is ignored.
    virtual void storeQuality(std::shared_ptr<DataSet> dataSet) const = 0;
    virtual void storeModel(std::shared_ptr<DataSet> dataSet) const = 0;
    virtual int modelType() const;
    virtual void loadResponse(int responseId);
    virtual void setResponseValues(const std::vector<double>& values);
    virtual double rSquared() const;
    // The prediction at x of the model fitted without sample point `sample`.
    virtual double predictLeaveOneOut(int sample, const std::vector<double>& x) const;
    virtual void selectResponse(int responseId);
    virtual double predictionVariance(const std::vector<double>& x) const;
    // predict at count points stored one after another, dimension coordinates
    // each: values[i] is the prediction at point i. The base calls predict
    // point by point; a model whose prediction vectorises across its sample
    // overrides it (kriging) with the same values up to rounding. Thread-safe
    // wherever predict is.
    virtual void predictMany(const double* points, int count, int dimension,
                             double* values) const;
    // Whether the model is fitted already, so that build would do nothing (a
    // manager skips a build when every model is). Not one of the operations
    // above; the base answer, false, is the safe one for a model that does not
    // say: its build then finds out itself.
    virtual bool isBuilt() const { return false; }

    RSMBase(const RSMBase&) = delete;
    RSMBase& operator=(const RSMBase&) = delete;

    int sampleCount() const { return static_cast<int>(samples.size()); }
    const std::vector<std::vector<double>>& samplePoints() const { return samples; }
    // For the model-file reader: the sample a restored model was fitted on, read
    // from the file's trailer (as many points as the model has per-sample data).
    void restoreSample(std::vector<std::vector<double>> points) { samples = std::move(points); }

    std::shared_ptr<RSMData> data;
    int responseId = 0;

    // Sum of squared deviations of the predictions from the values over the sum
    // of squared deviations of the values from their mean, taken from 1; 1.0
    // when the values are constant (their spread below the numeric zero).
    static double coefficientOfDetermination(const std::vector<double>& values,
                                             const std::vector<double>& predictions);
    static double clampToUnitInterval(double value);

protected:
    RSMBase(std::shared_ptr<RSMData> record, int responseId);

    // Copies the points of the current design, variableCount coordinates each, as
    // the model's sample. Fewer than two points (or no design) is fatal.
    void takeCurrentSample(int variableCount);
    // The response column of id in the current design divided by scale, one value
    // per sample point (an id the design does not know gets column 0); failed
    // marks the points whose table entry is the failed-evaluation marker.
    std::vector<double> readResponseColumn(int id, std::vector<bool>* failed) const;
    // The one fit of a model: false when built is set already; otherwise runs
    // fit and sets built once it has succeeded. Any exception of the fit becomes
    // the fatal build failure with the exception's message as its detail; a
    // failed fit never counts as built, so a host that survives it (through its
    // own fatal handler) may try again.
    static bool buildOnce(bool& built, const std::function<void()>& fit);
    static void requirePoint(const std::vector<double>& x, int variableCount);
    void requireSample(int sample) const;
    // R^2 of the predictions at every sample point against the values.
    double determinationAtSamples(const std::function<double(int)>& predictionAt) const;

    std::vector<std::vector<double>> samples;
};

using ModelMap = std::map<int, std::shared_ptr<RSMBase>>;

} // namespace Opt::RSM
