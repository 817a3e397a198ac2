#include "managers/RSMManager.h"

#include <algorithm>
#include <functional>
#include <cmath>
#include <fstream>
#include <stdexcept>
#include <utility>

#include "common/NumericConstants.h"
#include "doe/DesignSettings.h"
#include "engine/EngineFactory.h"
#include "engine/PenalisedResponse.h"
#include "managers/SurrogateFactory.h"
#include "platform/Platform.h"
#include "rsm/CurrentDesign.h"
#include "rsm/EnsembleOfSurrogates.h"
#include "rsm/FatalError.h"
#include "rsm/GivenPointsDesign.h"
#include "rsm/InputNormalisation.h"
#include "rsm/ParallelModelBuild.h"
#include "rsm/PolynomialRegression.h"
#include "rsm/RSMDataOut.h"

namespace Opt::RSM {

namespace {

constexpr int kLinearKind = 1;
constexpr int kQuadraticKind = 4;
constexpr int kSearchEnded = -1;
constexpr int kSearchTaken = 0;
constexpr int kSearchNotStarted = 1;
constexpr int kFixedSeedFlag = 1;
constexpr const char* kModelFileExtension = ".rsm";

bool storesResponses(int engineType)
{
    return engineType == RSMManager::kStudy || engineType == RSMManager::kStoredStudy ||
           engineType == RSMManager::kRobustStudy || engineType == RSMManager::kCheckedStudy ||
           engineType == RSMManager::kFitOnly;
}

bool withinBounds(double value, const ResponseDefinition& definition)
{
    return std::isfinite(value) && (!definition.lower || value >= *definition.lower) &&
           (!definition.upper || value <= *definition.upper);
}

// The data set's settings, design values and response values as a study found
// them, put back when an inner run ends (also by an exception).
class BorrowedDataSet {
public:
    explicit BorrowedDataSet(DataSet& borrowed)
        : dataSet(borrowed), engineType(borrowed.engineType),
          settings(borrowed.currentSearchSettings), designValues(borrowed.designValues)
    {
        for (const auto& [id, definition] : borrowed.responses) {
            saved.push_back({definition->value, definition->weight});
        }
    }
    ~BorrowedDataSet()
    {
        dataSet.engineType = engineType;
        dataSet.currentSearchSettings = settings;
        dataSet.designValues = designValues;
        auto next = saved.begin();
        for (const auto& [id, definition] : dataSet.responses) {
            definition->value = next->first;
            definition->weight = next->second;
            ++next;
        }
    }
    BorrowedDataSet(const BorrowedDataSet&) = delete;
    BorrowedDataSet& operator=(const BorrowedDataSet&) = delete;

private:
    DataSet& dataSet;
    int engineType;
    SearchSettings settings;
    std::vector<double> designValues;
    std::vector<std::pair<std::optional<double>, double>> saved;
};

// Leaves only the task's objective responses in the objective (the others
// weigh nothing during the run); an empty list keeps every one.
void applyTask(DataSet& dataSet, const SearchTask& task)
{
    if (task.objectiveIds.empty()) {
        return;
    }
    for (const auto& [id, definition] : dataSet.responses) {
        const bool listed = std::find(task.objectiveIds.begin(), task.objectiveIds.end(), id) !=
                            task.objectiveIds.end();
        if (definition->kind != 1 && !listed) {
            definition->weight = 0.0;
        }
    }
}

// One complete run of the engine the data set names, driven from the continue
// state: each design it publishes is evaluated by evaluate (which writes the
// response values) before the next step.
void runInnerSession(const std::shared_ptr<DataSet>& dataSet, const std::function<void()>& evaluate)
{
    const std::shared_ptr<OptEngine> engine = engineFactory().buildFromDataSet(dataSet);
    if (engine == nullptr) {
        throw std::invalid_argument("surrogate study: no search engine of type " +
                                    std::to_string(dataSet->engineType) +
                                    " could be built from the search settings");
    }
    int code = static_cast<int>(StepCode::Continue);
    do {
        code = engine->step(nullptr, nullptr, nullptr);
        if (code == static_cast<int>(StepCode::Evaluate)) {
            evaluate();
        }
    } while (code == static_cast<int>(StepCode::Evaluate) ||
             code == static_cast<int>(StepCode::CallAgain) ||
             code == static_cast<int>(StepCode::Continue));
}

} // namespace

RSMManager::RSMManager(std::shared_ptr<DataSet> shared) : OptEngine(std::move(shared))
{
    engineType = dataSet->engineType;
    setResponseCount(static_cast<int>(dataSet->responses.size()));
    if (engineType == kCheckedStudy && dataSet->modelFile.empty()) {
        throw std::invalid_argument("surrogate study: engine type 14 checks a model file, "
                                    "but the data set names none");
    }
    if (dataSet->givenPoints.empty()) {
        DOE::DesignSettings settings =
            DOE::DesignSettings::fromStudyFlat(dataSet->designSettings.data());
        settings.seededFromClock = !dataSet->fixedSeed;
        arrangeDesign(settings);
    } else {
        adoptGivenPoints(dataSet->givenPoints);
    }
    if (engineType != kArrangeOnly) {
        createModels();
    }
    if (!dataSet->modelFile.empty()) {
        modelFile = std::make_shared<RSMDataOut>(dataSet->modelFile, " ");
    }
    dataSet->innerSearch = InnerSearchRecord{kSearchNotStarted, taskCount()};
    dataSet->searchResults.clear();
    normaliseStart();
}

RSMManager::RSMManager(const std::vector<double>& start,
                       const std::vector<std::vector<double>>& bounds)
    : OptEngine(start, bounds, 0)
{
    engineType = kStoredStudy;
    stage = Stage::Done;
    normaliseStart();
}

RSMManager::RSMManager(const std::vector<double>& start,
                       const std::vector<std::vector<double>>& bounds, const std::vector<int>& ints)
    : OptEngine(start, bounds, 0)
{
    engineType = kArrangeOnly;
    DOE::DesignSettings settings = DOE::DesignSettings::fromStudyFlat(ints.data());
    settings.seededFromClock = ints[4] != kFixedSeedFlag;
    arrangeDesign(settings);
    normaliseStart();
}

RSMManager::RSMManager(std::shared_ptr<DataSet> shared, VariablesOnly)
    : OptEngine(std::move(shared))
{
    engineType = dataSet->engineType;
    stage = Stage::Done;
    normaliseStart();
}

void RSMManager::normaliseStart()
{
    for (DesignVariable& variable : designVariables) {
        variable.value = variable.toNormalised(variable.value);
        variable.accepted = variable.value;
    }
}

RSMManager::~RSMManager() = default;

void RSMManager::arrangeDesign(const DOE::DesignSettings& settings)
{
    design = settings.arrange(designVariables);
    if (design == nullptr) {
        throw std::invalid_argument("surrogate study: the design settings select no design");
    }
    callerPoints = design->pointSet->points;
    normaliseDesignPoints(*design);
    shareDesign();
}

// A given sample carries no bounds of its own: its points are mapped to the
// surrogate coordinates with the study's variables, as an arranged design's are.
void RSMManager::adoptGivenPoints(const std::vector<std::vector<double>>& points)
{
    std::vector<std::vector<double>> surrogatePoints;
    for (std::size_t k = 0; k < points.size(); ++k) {
        if (points[k].size() != designVariables.size()) {
            throw std::invalid_argument("surrogate study: given point " + std::to_string(k) +
                                        " has " + std::to_string(points[k].size()) +
                                        " values for " + std::to_string(designVariables.size()) +
                                        " design variables");
        }
        surrogatePoints.push_back(toSurrogateCoordinates(points[k], designVariables));
    }
    design = std::make_shared<GivenPointsDesign>(surrogatePoints);
    callerPoints = points;
    shareDesign();
}

void RSMManager::shareDesign()
{
    auto& pointSet = *design->pointSet;
    pointSet.allocateResponses(nResponses);
    pointSet.responseColumns.clear();
    if (dataSet != nullptr) {
        int column = 0;
        for (const auto& entry : dataSet->responses) {
            pointSet.responseColumns[entry.first] = column++;
        }
    }
    setCurrentDesign(design);
}

void RSMManager::createModels()
{
    for (const auto& [id, definition] : dataSet->responses) {
        models[id] = createSurrogate(definition->surrogate, id, nDesignVariables,
                                     design->pointCount);
    }
}

int RSMManager::taskCount() const
{
    return dataSet->tasks.empty() ? 1 : static_cast<int>(dataSet->tasks.size());
}

std::FILE* RSMManager::progressStream() const
{
    return dataSet == nullptr || dataSet->showProgress ? stdout : nullptr;
}

int RSMManager::experimentCount() const
{
    return design == nullptr ? 0 : design->pointCount;
}

int RSMManager::samplingTotal() const { return experimentCount(); }

void RSMManager::copySamplePoints(std::vector<std::vector<double>>& rows) const
{
    const auto count = std::min(callerPoints.size(), static_cast<std::size_t>(experimentCount()));
    rows.assign(callerPoints.begin(), callerPoints.begin() + static_cast<std::ptrdiff_t>(count));
}

void RSMManager::setDesign(const std::vector<double>& callerValues)
{
    for (std::size_t i = 0; i < designVariables.size() && i < callerValues.size(); ++i) {
        designVariables[i].value = designVariables[i].toNormalised(callerValues[i]);
    }
}

void RSMManager::publishDesign(double* x)
{
    std::vector<double> values(designVariables.size());
    for (std::size_t i = 0; i < designVariables.size(); ++i) {
        values[i] = designVariables[i].toCallerUnits(designVariables[i].value);
    }
    // A sampled point goes out exactly as the design placed it.
    if (stage == Stage::Sampling && sampledCount > 0) {
        values = callerPoints[static_cast<std::size_t>(sampledCount - 1)];
    }
    if (x != nullptr) {
        std::copy(values.begin(), values.end(), x);
    } else if (dataSet != nullptr) {
        dataSet->designValues = values;
    }
    evaluationPending = stage == Stage::Sampling || stage == Stage::Verifying;
}

void RSMManager::normaliseDesign(const double*) {}

void RSMManager::announceDesigns(int limit, std::vector<double>& designs) const
{
    if (stage != Stage::Sampling || engineType == kArrangeOnly) {
        return;
    }
    const int total = std::min(samplingTotal(), static_cast<int>(callerPoints.size()));
    for (int k = sampledCount; k < total && k - sampledCount < limit; ++k) {
        const auto& point = callerPoints[static_cast<std::size_t>(k)];
        designs.insert(designs.end(), point.begin(), point.end());
    }
}

StepCode RSMManager::beginIteration(double*, double*, double**)
{
    return sampleStep();
}

StepCode RSMManager::sampleStep()
{
    if (stage != Stage::Sampling) {
        return StepCode::Continue;
    }
    const int total = samplingTotal();
    if (engineType != kArrangeOnly && total > 0) {
        ProgressLine line(ProgressLine::Phase::DesignSampling, progressStream());
        line.update(sampledCount == 0 ? 0 : (100 * sampledCount + total / 2) / total);
    }
    if (sampledCount < total) {
        setDesign(callerPoints[static_cast<std::size_t>(sampledCount)]);
        ++sampledCount;
        return StepCode::Evaluate;
    }
    stage = Stage::Searching;
    return StepCode::Continue;
}

StepCode RSMManager::receiveResponses(const double* f, double**)
{
    evaluationPending = false;
    if (engineType == kArrangeOnly) {
        return StepCode::Finished;
    }
    const bool searchStarted =
        dataSet != nullptr && dataSet->innerSearch.progress != kSearchNotStarted;
    if (stage == Stage::Sampling) {
        if (storesResponses(engineType) && !(engineType == kStoredStudy && searchStarted)) {
            storeSampledResponses(f);
        }
        return StepCode::Continue;
    }
    if (engineType != kStudy && engineType != kStoredStudy) {
        return StepCode::Continue;
    }
    if (engineType == kStoredStudy && searchStarted) {
        return StepCode::Continue;
    }
    return StepCode::CallAgain;
}

void RSMManager::storeSampledResponses(const double* f)
{
    auto& table = design->pointSet->responses;
    const std::size_t row = static_cast<std::size_t>(sampledCount - 1);
    if (row >= table.size()) {
        return;
    }
    std::size_t column = 0;
    for (const auto& [id, definition] : dataSet->responses) {
        const double value = f != nullptr ? f[column] : definition->value.value_or(0.0);
        table[row][column] = isFailedResponse(value) ? kFailedEvaluation : value;
        ++column;
    }
    design->pointSet->hasResponses = true;
}

void RSMManager::prepareStep()
{
    if (dataSet == nullptr) {
        buildHostArrayModels();
        return;
    }
    if (models.empty()) {
        return;
    }
    setCurrentDesign(design);
    ParallelModelBuild(progressStream()).run(models, dataSet->threadCount);
}

void RSMManager::buildHostArrayModels()
{
    if (!models.empty()) {
        ParallelModelBuild(stdout).run(models, 1);
    }
}

StepCode RSMManager::computeStep(double*, double*, double**)
{
    Platform::releaseWorkingSet();
    if (dataSet == nullptr || engineType == kFitOnly || engineType == kArrangeOnly ||
        stage == Stage::Verifying || stage == Stage::Done) {
        stage = Stage::Done;
        return StepCode::Finished;
    }
    InnerSearchRecord& record = dataSet->innerSearch;
    if (record.progress == kSearchEnded) {
        endInnerSearch();
        record.progress = kSearchTaken;
        lastInnerProgress = kSearchTaken;
        stage = Stage::Verifying;
        return StepCode::Evaluate;
    }
    if (record.progress == kSearchNotStarted) {
        dataSet->searchResults.clear();
        searchLine = std::make_unique<ProgressLine>(ProgressLine::Phase::FindingOptimum,
                                                    progressStream());
        searchLine->update(0);
    }
    const int run = std::max(record.progress, kSearchNotStarted);
    const SearchTask task = dataSet->tasks.empty()
                                ? SearchTask{}
                                : dataSet->tasks[static_cast<std::size_t>(run - 1)];
    dataSet->searchResults.push_back(runInnerSearch(task));
    lastInnerProgress = run;
    searchLine->update(100 * run / record.total);
    record.progress = run < record.total ? run + 1 : kSearchEnded;
    return StepCode::CallAgain;
}

int RSMManager::innerEngineType() const
{
    if (!dataSet->gaSearchSettings.empty()) {
        return kGeneticSearchType;
    }
    if (!dataSet->directSearchSettings.empty()) {
        return kDirectSearchType;
    }
    throw std::invalid_argument("surrogate study: neither genetic-algorithm nor DIRECT search "
                                "settings are given, so the optimum cannot be searched");
}

SearchResult RSMManager::runInnerSearch(const SearchTask& task)
{
    const int type = innerEngineType();
    std::vector<double> start(designVariables.size());
    for (std::size_t i = 0; i < designVariables.size(); ++i) {
        start[i] = designVariables[i].start;
    }
    SearchResult result;
    {
        BorrowedDataSet borrowed(*dataSet);
        dataSet->engineType = type;
        dataSet->currentSearchSettings = type == kGeneticSearchType
                                             ? dataSet->gaSearchSettings.front()
                                             : dataSet->directSearchSettings.front();
        dataSet->designValues = start;
        applyTask(*dataSet, task);
        runInnerSession(dataSet, [this]() {
            const std::vector<double> predictions = evaluateModels(dataSet->designValues);
            std::size_t k = 0;
            for (const auto& entry : dataSet->responses) {
                entry.second->value = predictions[k++];
            }
        });
        result.design = dataSet->designValues;
    }
    result.predictions = evaluateModels(result.design);
    result.feasible = true;
    std::size_t k = 0;
    for (const auto& [id, definition] : dataSet->responses) {
        if (definition->kind == 1 && !withinBounds(result.predictions[k], *definition)) {
            result.feasible = false;
        }
        ++k;
    }
    return result;
}

std::vector<double> RSMManager::evaluateModels(const std::vector<double>& x) const
{
    const bool normalised = design == nullptr || design->pointSet->normalised;
    return predictAt(normalised ? toSurrogateCoordinates(x, designVariables) : x);
}

std::vector<double> RSMManager::predictAt(const std::vector<double>& point) const
{
    std::vector<double> predictions;
    predictions.reserve(models.size());
    for (const auto& [id, model] : models) {
        EnsembleOfSurrogates::prepareToPredict(*model, point);
        predictions.push_back(model->predict(point));
    }
    return predictions;
}

void RSMManager::endInnerSearch()
{
    if (!dataSet->searchResults.empty()) {
        setDesign(dataSet->searchResults.front().design);
    }
}

void RSMManager::finish(double*)
{
    stage = Stage::Done;
    switch (engineType) {
    case kArrangeOnly:
        if (dataSet != nullptr) {
            copySamplePoints(dataSet->designPoints);
        }
        break;
    case kStudy:
        tabulateResiduals();
        break;
    case kStoredStudy:
    case kRobustStudy:
        tabulateResiduals();
        storeAndWriteModels();
        break;
    case kCheckedStudy:
        checkModelFile();
        break;
    case kFitOnly:
        storeAndWriteModels();
        break;
    default:
        break;
    }
}

void RSMManager::tabulateResiduals()
{
    if (dataSet == nullptr || models.empty()) {
        return;
    }
    setCurrentDesign(design);
    for (const auto& entry : models) {
        const int id = entry.first;
        ResidualTable table;
        for (const int kind : {kLinearKind, kQuadraticKind}) {
            PolynomialRegression polynomial(kind, id, nDesignVariables, design->pointCount);
            polynomial.loadResponse(id);
            polynomial.build(false);
            std::vector<double>& residuals = kind == kLinearKind ? table.linear : table.quadratic;
            const auto& values = polynomial.data->values;
            const auto& points = polynomial.samplePoints();
            for (std::size_t i = 0; i < points.size() && i < values.size(); ++i) {
                residuals.push_back(values[i] - polynomial.predictNormalised(points[i], nullptr));
            }
        }
        dataSet->residuals[id] = std::move(table);
    }
}

void RSMManager::storeAndWriteModels()
{
    for (const auto& entry : models) {
        if (dataSet != nullptr && dataSet->storeSummaries) {
            entry.second->storeQuality(dataSet);
        }
        entry.second->storeModel(dataSet);
    }
    writeModelFile();
}

bool RSMManager::writeModelFile()
{
    if (modelFile == nullptr || design == nullptr) {
        return false;
    }
    return modelFile->writeModels(models, design->pointSet->points, design->pointSet->normalised);
}

void RSMManager::checkModelFile()
{
    const std::string name = dataSet->modelFile + kModelFileExtension;
    if (!std::ifstream(name, std::ios::binary).is_open()) {
        writeModelFile();
        return;
    }
    std::vector<int> ids;
    for (const auto& entry : dataSet->responses) {
        ids.push_back(entry.first);
    }
    bool success = true;
    const std::vector<double> values = evaluateFromModelFile(name, ids, &success);
    if (!success) {
        raiseFatal(FatalCause::InadequateModelFile);
    }
    std::size_t k = 0;
    for (const auto& entry : dataSet->responses) {
        entry.second->value = values[k++];
    }
}

std::vector<double> RSMManager::evaluateFromModelFile(const std::string& fileName,
                                                      const std::vector<int>& ids, bool* success,
                                                      std::string* problem)
{
    return ModelFileQueries(designVariables, problem).evaluateAll(fileName, ids, success);
}

std::vector<std::vector<double>> RSMManager::evaluateGridFromModelFile(
    const std::string& fileName, const std::vector<int>& ids, const ModelFileQueries::Grid& grid,
    bool* success, std::string* problem)
{
    return ModelFileQueries(designVariables, problem).evaluateGrid(fileName, ids, grid, success);
}

std::vector<std::vector<double>> RSMManager::evaluateApproximateValues(
    const std::string& fileName, const std::vector<int>& ids,
    const std::vector<std::vector<double>>& points, bool* success, std::string* problem)
{
    return ModelFileQueries(designVariables, problem).evaluateAt(fileName, ids, points, success);
}

std::vector<ModelFileQueries::Validation> RSMManager::validateModelFile(
    const std::string& fileName, const std::vector<int>& ids,
    const std::vector<std::vector<double>>& points,
    const std::vector<std::vector<double>>& observed, bool* success, std::string* problem)
{
    return ModelFileQueries(designVariables, problem)
        .validate(fileName, ids, points, observed, success);
}

} // namespace Opt::RSM
