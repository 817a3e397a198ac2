// The exported model-file services (ours: their argument lists): predictions
// of the models a surrogate study wrote to its model file, at one design
// (evaluateRSMall, evaluateRSMall_, evaluateRSMallC), on a grid of two
// variables (evaluateRSM3D, evaluateRSM3D_, evaluateRSM3DC), at many points
// (evaluate_approxvals, evaluate_approxvals_), and the models' quality against
// points the host evaluated (evaluate_validate_RSMall). Each checks its
// arguments, copies flat arrays into vectors, builds a temporary session of
// engine type 9 from the design vector and the bound lists, asks its study
// manager (which delegates to ModelFileQueries) and releases the session.
#include "api/zelkor.h"

#include <climits>
#include <cmath>
#include <cstdint>
#include <iostream>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "api/EntryPointGuard.h"
#include "api/FlatInput.h"
#include "api/LastStatus.h"
#include "managers/FrequencyStudy.h"
#include "managers/RSMManager.h"
#include "managers/WeightSetLayout.h"
#include "rsm/RSMDataOut.h"

namespace Opt {

namespace {

using FlatInput::InconsistentInput;
using RSM::ModelFileQueries;
using Rows = std::vector<std::vector<double>>;

constexpr int kRejected = -1;
constexpr int kNotServed = 0;

// What the manager's slot reported: whether the file served every request, and
// why not.
struct Outcome {
    bool served = true;
    std::string problem;
};

// The arguments every service shares, checked and in the vectors the temporary
// session takes.
struct Request {
    std::string fileName;
    Rows bounds;
    std::vector<int> ids;
};

[[noreturn]] void refuse(const std::string& text)
{
    throw InconsistentInput{text};
}

// The temporary session of one service call: engine type 9 built in host-array
// mode from the variables alone, no responses, no parameter arrays, silent.
class ServiceSession {
public:
    ServiceSession(const std::vector<double>& design, const Rows& bounds)
        : session(static_cast<int>(design.size()), 0, design, bounds, nullptr, nullptr,
                  RSM::RSMManager::kStoredStudy, 0)
    {
    }

    // The services are the study manager's own, so the session's engine is
    // reached as that type here, in this one place; a builder table that ever
    // built something else for type 9 fails loudly instead of being misread.
    RSM::RSMManager& manager() const
    {
        auto* manager = dynamic_cast<RSM::RSMManager*>(session.engine.get());
        if (manager == nullptr) {
            throw std::logic_error("the model-file session holds no surrogate study manager");
        }
        return *manager;
    }

private:
    OptEngineMain session;
};

// Runs one service: *success is 1 when the model file served every request.
// Inconsistent arguments give -1 and a file that cannot serve gives 0, each
// with *success 0, one line on standard error and the thread's status (invalid
// input); anything else thrown is an engine error (-1). The body returns the
// number of values it wrote.
template <typename Body>
int serve(const char* name, unsigned char* success, const Body& body)
{
    if (success == nullptr) {
        return rejectArgument(name, "success is null", kRejected);
    }
    *success = 0;
    return guardEntryPoint(name, kRejected, [&] {
        Outcome outcome;
        int count = 0;
        try {
            count = body(outcome);
        } catch (const InconsistentInput& input) {
            return rejectArgument(name, input.message, kRejected);
        }
        if (!outcome.served) {
            const std::string line = std::string(name) + ": " + outcome.problem;
            std::cerr << line << std::endl;
            LastStatus::set(ZELKOR_STATUS_INVALID_INPUT, line);
            return kNotServed;
        }
        *success = 1;
        LastStatus::set(ZELKOR_STATUS_OK);
        return count;
    });
}

// ---- argument checks -------------------------------------------------------

void requireArray(const void* array, const char* name)
{
    if (array == nullptr) {
        refuse(std::string(name) + " is null");
    }
}

void requireCount(int count, const char* name, int least, const char* what)
{
    if (count < least) {
        refuse(std::string(name) + " = " + std::to_string(count) + " (" + what + ")");
    }
}

std::string fileNameOf(const char* modelFile)
{
    if (modelFile == nullptr || *modelFile == '\0') {
        refuse("modelFile is null or empty (the path the study wrote, without \".rsm\")");
    }
    return std::string(modelFile) + RSM::RSMDataOut::kDefaultExtension;
}

void checkBounds(const Rows& bounds)
{
    for (std::size_t i = 0; i < bounds.size(); ++i) {
        FlatInput::checkBoundList(i, bounds[i].data(), bounds[i].size());
    }
}

// A design to predict at: one finite value per variable, inside its bounds.
void checkPoint(const std::vector<double>& point, const Rows& bounds, const std::string& name)
{
    if (point.size() != bounds.size()) {
        refuse(name + " holds " + std::to_string(point.size()) + " values for " +
               std::to_string(bounds.size()) + " design variables");
    }
    for (std::size_t i = 0; i < point.size(); ++i) {
        if (!(point[i] >= bounds[i].front() && point[i] <= bounds[i].back())) {
            std::ostringstream text;
            text << name << "[" << i << "] = " << point[i] << " lies outside the bounds ["
                 << bounds[i].front() << ", " << bounds[i].back() << "] of design variable " << i;
            refuse(text.str());
        }
    }
}

// fileName: the file to read, extension included.
Request flatRequest(const std::string& fileName, int n, const double* boundLists,
                    const int* listLengths, int nIds, const int* responseIds)
{
    Request in;
    in.fileName = fileName;
    requireCount(n, "n", 1, "at least one design variable is needed");
    in.bounds = FlatInput::listsFromFlat(n, boundLists, listLengths);
    checkBounds(in.bounds);
    requireCount(nIds, "nIds", 1, "at least one response id is needed");
    requireArray(responseIds, "responseIds");
    in.ids.assign(responseIds, responseIds + nIds);
    return in;
}

Request vectorRequest(const char* modelFile, const Rows* bounds, const std::vector<int>* ids)
{
    Request in;
    in.fileName = fileNameOf(modelFile);
    requireArray(bounds, "bounds");
    requireArray(ids, "responseIds");
    requireCount(static_cast<int>(bounds->size()), "bounds->size()", 1,
                 "at least one design variable is needed");
    requireCount(static_cast<int>(ids->size()), "responseIds->size()", 1,
                 "at least one response id is needed");
    in.bounds = *bounds;
    checkBounds(in.bounds);
    in.ids = *ids;
    return in;
}

// nPoints rows of n values each from a row-major array, every row checked.
Rows pointsFromFlat(int nPoints, const double* points, const Rows& bounds)
{
    requireCount(nPoints, "nPoints", 1, "at least one point is needed");
    requireArray(points, "points");
    const std::size_t n = bounds.size();
    Rows rows;
    for (std::size_t p = 0; p < static_cast<std::size_t>(nPoints); ++p) {
        rows.emplace_back(points + p * n, points + (p + 1) * n);
        checkPoint(rows.back(), bounds, "point " + std::to_string(p) + ", x");
    }
    return rows;
}

void checkPoints(const Rows* points, const Rows& bounds)
{
    requireArray(points, "points");
    requireCount(static_cast<int>(points->size()), "points->size()", 1,
                 "at least one point is needed");
    for (std::size_t p = 0; p < points->size(); ++p) {
        checkPoint((*points)[p], bounds, "point " + std::to_string(p) + ", x");
    }
}

ModelFileQueries::Grid checkedGrid(int first, int second, int firstCount, int secondCount,
                                   int n, std::size_t idCount)
{
    for (const auto& [index, name] : {std::pair{first, "first"}, std::pair{second, "second"}}) {
        if (index < 0 || index >= n) {
            refuse(std::string(name) + " = " + std::to_string(index) + " names no variable of " +
                   std::to_string(n));
        }
    }
    if (first == second) {
        refuse("first and second both name variable " + std::to_string(first));
    }
    requireCount(firstCount, "firstCount", 2, "a grid line needs both bounds");
    requireCount(secondCount, "secondCount", 2, "a grid line needs both bounds");
    const auto values = static_cast<std::int64_t>(firstCount) * secondCount *
                        static_cast<std::int64_t>(idCount);
    if (values > INT_MAX) {
        refuse("a grid of " + std::to_string(firstCount) + " x " + std::to_string(secondCount) +
               " points for " + std::to_string(idCount) + " responses exceeds " +
               std::to_string(INT_MAX) + " values");
    }
    return {first, second, firstCount, secondCount};
}

// ---- the services on vectors ----------------------------------------------

std::vector<double> predictionsAt(const Request& in, const std::vector<double>& x,
                                  Outcome& outcome)
{
    checkPoint(x, in.bounds, "x");
    const ServiceSession session(x, in.bounds);
    return session.manager().evaluateFromModelFile(in.fileName, in.ids, &outcome.served,
                                                   &outcome.problem);
}

Rows gridPredictions(const Request& in, const std::vector<double>& x,
                     const ModelFileQueries::Grid& grid, Outcome& outcome)
{
    checkPoint(x, in.bounds, "x");
    const ServiceSession session(x, in.bounds);
    return session.manager().evaluateGridFromModelFile(in.fileName, in.ids, grid,
                                                       &outcome.served, &outcome.problem);
}

// The session's design is the first point; the slot predicts at every one.
Rows approximateValues(const Request& in, const Rows& points, Outcome& outcome)
{
    const ServiceSession session(points.front(), in.bounds);
    return session.manager().evaluateApproximateValues(in.fileName, in.ids, points,
                                                       &outcome.served, &outcome.problem);
}

std::vector<ModelFileQueries::Validation> validation(const Request& in, const Rows& points,
                                                     const Rows& observed, Outcome& outcome)
{
    const ServiceSession session(points.front(), in.bounds);
    return session.manager().validateModelFile(in.fileName, in.ids, points, observed,
                                               &outcome.served, &outcome.problem);
}

// Row after row into the caller's array; returns the number of values.
int copyRows(const Rows& rows, double* out)
{
    std::size_t written = 0;
    for (const auto& row : rows) {
        std::copy(row.begin(), row.end(), out + written);
        written += row.size();
    }
    return static_cast<int>(written);
}

// ---- the flat forms, shared by the _ and C names ---------------------------

int allFlat(const char* name, const char* modelFile, int n, const double* x,
            const double* boundLists, const int* listLengths, int nIds, const int* responseIds,
            double* values, unsigned char* success)
{
    return serve(name, success, [&](Outcome& outcome) {
        const Request in = flatRequest(fileNameOf(modelFile), n, boundLists, listLengths, nIds, responseIds);
        requireArray(x, "x");
        requireArray(values, "values");
        return copyRows({predictionsAt(in, std::vector<double>(x, x + n), outcome)}, values);
    });
}

int gridFlat(const char* name, const char* modelFile, int n, const double* x,
             const double* boundLists, const int* listLengths, int nIds, const int* responseIds,
             int first, int second, int firstCount, int secondCount, double* values,
             unsigned char* success)
{
    return serve(name, success, [&](Outcome& outcome) {
        const Request in = flatRequest(fileNameOf(modelFile), n, boundLists, listLengths, nIds, responseIds);
        const auto grid = checkedGrid(first, second, firstCount, secondCount, n, in.ids.size());
        requireArray(x, "x");
        requireArray(values, "values");
        return copyRows(gridPredictions(in, std::vector<double>(x, x + n), grid, outcome),
                        values);
    });
}

// The cross-bar weight set named in the model file's base name: the request,
// and in design the vector it hands to the models.
Request weightSetRequest(const char* modelFile, int n, const double* x,
                         const double* boundLists, int nSteering, const double* weightSet,
                         int nIds, const int* responseIds, std::vector<double>& design)
{
    if (modelFile == nullptr || *modelFile == '\0') {
        refuse("modelFile is null or empty (the model file's path, \".rsm\" optional)");
    }
    const std::string name = modelFile;
    const auto layout = RSM::WeightSetLayout::fromFileName(name);
    if (!layout) {
        refuse("the base name \"" + RSM::WeightSetLayout::baseName(name) + "\" of modelFile " +
               "holds none of the weight-set keys cowlbar_weight_pd, cowlbar_weight_pc, " +
               "cowlbar_weight_pb, cowlbar_weight_pa");
    }
    Request in = flatRequest(RSM::FrequencyStudy::modelFilePath(name), n, boundLists, nullptr,
                             nIds, responseIds);
    requireArray(x, "x");
    checkPoint(std::vector<double>(x, x + n), in.bounds, "x");
    RSM::WeightSetLayout::Weight weight;
    if (weightSet != nullptr) {
        weight = {weightSet[0], weightSet[1], weightSet[2]};
    }
    try {
        auto formed = layout->form(std::vector<double>(x, x + n), in.bounds, nSteering,
                                   weightSet != nullptr ? &weight : nullptr);
        design = std::move(formed.values);
        in.bounds = std::move(formed.bounds);
    } catch (const std::invalid_argument& layoutProblem) {
        refuse(layoutProblem.what());
    }
    return in;
}

} // namespace

} // namespace Opt

using namespace Opt;

extern "C" ZELKOR_API int evaluateRSMall_RAZ2015(const char* modelFile, int n, const double* x,
                                                 const double* boundLists, int nSteering,
                                                 const double* weightSet, int nIds,
                                                 const int* responseIds, double* values,
                                                 unsigned char* success)
{
    return serve("evaluateRSMall_RAZ2015", success, [&](Outcome& outcome) {
        std::vector<double> design;
        const Request in = weightSetRequest(modelFile, n, x, boundLists, nSteering, weightSet,
                                            nIds, responseIds, design);
        requireArray(values, "values");
        return copyRows({predictionsAt(in, design, outcome)}, values);
    });
}

extern "C" ZELKOR_API int evaluateRSMall(const char* modelFile, const std::vector<double>* x,
                                         const std::vector<std::vector<double>>* bounds,
                                         const std::vector<int>* responseIds,
                                         std::vector<double>* values, unsigned char* success)
{
    return serve("evaluateRSMall", success, [&](Outcome& outcome) {
        const Request in = vectorRequest(modelFile, bounds, responseIds);
        requireArray(x, "x");
        requireArray(values, "values");
        *values = predictionsAt(in, *x, outcome);
        return static_cast<int>(values->size());
    });
}

extern "C" ZELKOR_API int evaluateRSMall_(const char* modelFile, int n, const double* x,
                                          const double* boundLists, const int* listLengths,
                                          int nIds, const int* responseIds, double* values,
                                          unsigned char* success)
{
    return allFlat("evaluateRSMall_", modelFile, n, x, boundLists, listLengths, nIds,
                   responseIds, values, success);
}

extern "C" ZELKOR_API int evaluateRSMallC(const char* modelFile, int n, const double* x,
                                          const double* boundLists, const int* listLengths,
                                          int nIds, const int* responseIds, double* values,
                                          unsigned char* success)
{
    return allFlat("evaluateRSMallC", modelFile, n, x, boundLists, listLengths, nIds,
                   responseIds, values, success);
}

extern "C" ZELKOR_API int evaluateRSM3D(const char* modelFile, const std::vector<double>* x,
                                        const std::vector<std::vector<double>>* bounds,
                                        const std::vector<int>* responseIds, int first,
                                        int second, int firstCount, int secondCount,
                                        std::vector<std::vector<double>>* values,
                                        unsigned char* success)
{
    return serve("evaluateRSM3D", success, [&](Outcome& outcome) {
        const Request in = vectorRequest(modelFile, bounds, responseIds);
        const auto grid = checkedGrid(first, second, firstCount, secondCount,
                                      static_cast<int>(in.bounds.size()), in.ids.size());
        requireArray(x, "x");
        requireArray(values, "values");
        *values = gridPredictions(in, *x, grid, outcome);
        return static_cast<int>(values->size() * in.ids.size());
    });
}

extern "C" ZELKOR_API int evaluateRSM3D_(const char* modelFile, int n, const double* x,
                                         const double* boundLists, const int* listLengths,
                                         int nIds, const int* responseIds, int first, int second,
                                         int firstCount, int secondCount, double* values,
                                         unsigned char* success)
{
    return gridFlat("evaluateRSM3D_", modelFile, n, x, boundLists, listLengths, nIds, responseIds,
                    first, second, firstCount, secondCount, values, success);
}

extern "C" ZELKOR_API int evaluateRSM3DC(const char* modelFile, int n, const double* x,
                                         const double* boundLists, const int* listLengths,
                                         int nIds, const int* responseIds, int first, int second,
                                         int firstCount, int secondCount, double* values,
                                         unsigned char* success)
{
    return gridFlat("evaluateRSM3DC", modelFile, n, x, boundLists, listLengths, nIds, responseIds,
                    first, second, firstCount, secondCount, values, success);
}

extern "C" ZELKOR_API int evaluate_approxvals(const char* modelFile,
                                              const std::vector<std::vector<double>>* points,
                                              const std::vector<std::vector<double>>* bounds,
                                              const std::vector<int>* responseIds,
                                              std::vector<std::vector<double>>* values,
                                              unsigned char* success)
{
    return serve("evaluate_approxvals", success, [&](Outcome& outcome) {
        const Request in = vectorRequest(modelFile, bounds, responseIds);
        checkPoints(points, in.bounds);
        requireArray(values, "values");
        *values = approximateValues(in, *points, outcome);
        return static_cast<int>(values->size() * in.ids.size());
    });
}

extern "C" ZELKOR_API int evaluate_approxvals_(const char* modelFile, int n, int nPoints,
                                               const double* points, const double* boundLists,
                                               const int* listLengths, int nIds,
                                               const int* responseIds, double* values,
                                               unsigned char* success)
{
    return serve("evaluate_approxvals_", success, [&](Outcome& outcome) {
        const Request in = flatRequest(fileNameOf(modelFile), n, boundLists, listLengths, nIds, responseIds);
        const Rows rows = pointsFromFlat(nPoints, points, in.bounds);
        requireArray(values, "values");
        return copyRows(approximateValues(in, rows, outcome), values);
    });
}

extern "C" ZELKOR_API int evaluate_validate_RSMall(const char* modelFile, int n, int nPoints,
                                                   const double* points, const double* observed,
                                                   const double* boundLists,
                                                   const int* listLengths, int nIds,
                                                   const int* responseIds, double* measures,
                                                   unsigned char* success)
{
    return serve("evaluate_validate_RSMall", success, [&](Outcome& outcome) {
        const Request in = flatRequest(fileNameOf(modelFile), n, boundLists, listLengths, nIds, responseIds);
        const Rows rows = pointsFromFlat(nPoints, points, in.bounds);
        requireArray(observed, "observed");
        requireArray(measures, "measures");
        Rows values;
        for (std::size_t p = 0; p < rows.size(); ++p) {
            values.emplace_back(observed + p * in.ids.size(), observed + (p + 1) * in.ids.size());
            for (std::size_t k = 0; k < in.ids.size(); ++k) {
                if (!std::isfinite(values[p][k])) {
                    refuse("observed[" + std::to_string(p * in.ids.size() + k) + "] is " +
                           std::to_string(values[p][k]) +
                           " (a failed evaluation validates nothing)");
                }
            }
        }
        const auto quality = validation(in, rows, values, outcome);
        double* next = measures;
        for (const auto& model : quality) {
            *next++ = model.rSquared;
            *next++ = model.rootMeanSquareError;
            *next++ = model.largestError;
        }
        return static_cast<int>(ModelFileQueries::kValidationMeasures * quality.size());
    });
}
