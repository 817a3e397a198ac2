#include "managers/FrequencyStudy.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>
#include <sstream>

#include "common/NumericConstants.h"
#include "engine/EngineFactory.h"
#include "engine/OptEngine.h"
#include "ga/GAParameter.h"
#include "ga/GeneticAlgorithm.h"
#include "gradient/SQPParameter.h"
#include "gradient/SequentialQuadraticProgramming.h"
#include "managers/HostArraySearch.h"
#include "managers/RSMManager.h"
#include "platform/Platform.h"

namespace Opt::RSM {

namespace {

constexpr const char* kSteeringLabel = "[Steering System]";
constexpr const char* kCowlLabel = "[Cowl X/bar & Body System]";
constexpr const char* kExtension = ".rsm";
constexpr double kFeasibilityFirst = -1.0;
constexpr int kGaPopulation = 2;      // positions in the GA's ints
constexpr int kGaEvaluations = 6;
constexpr int kSearchPopulation = 40; // a few variables: many generations beat a wide one
constexpr int kSqpGradientMode = 5;   // position in the SQP's ints
constexpr int kForwardDifferences = 1;
// Search responses: the objective, then the target and separation constraints.
constexpr int kSearchResponses = 3;

[[noreturn]] void refuse(const std::ostringstream& text)
{
    throw std::invalid_argument(text.str());
}

void checkFrequencies(const FrequencyStudy::Modes& modes, const char* name)
{
    for (int k = 0; k < FrequencyStudy::kModes; ++k) {
        if (!(std::isfinite(modes[k]) && modes[k] > 0.0)) {
            std::ostringstream text;
            text << name << "[" << k << "] = " << modes[k] << " (a frequency in Hz above 0)";
            refuse(text);
        }
    }
}

void checkRequirement(double value, const char* name)
{
    if (!(std::isfinite(value) && value >= 0.0)) {
        std::ostringstream text;
        text << name << " = " << value << " (Hz, 0 or more)";
        refuse(text);
    }
}

void checkBounds(const std::vector<std::vector<double>>& bounds)
{
    if (bounds.empty()) {
        throw std::invalid_argument("the study needs at least one design variable");
    }
    for (std::size_t i = 0; i < bounds.size(); ++i) {
        const auto& list = bounds[i];
        if (list.size() != 2 || !std::isfinite(list[0]) || !std::isfinite(list[1]) ||
            list[0] > list[1]) {
            std::ostringstream text;
            text << "the bounds of design variable " << i
                 << " are not a finite pair [lower, upper] with lower <= upper";
            refuse(text);
        }
    }
}

void checkDesign(const std::vector<double>& x, const std::vector<std::vector<double>>& bounds)
{
    if (x.size() != bounds.size()) {
        std::ostringstream text;
        text << "the design holds " << x.size() << " values for " << bounds.size()
             << " design variables";
        refuse(text);
    }
    for (std::size_t i = 0; i < x.size(); ++i) {
        if (!(x[i] >= bounds[i][0] && x[i] <= bounds[i][1])) {
            std::ostringstream text;
            text << "x[" << i << "] = " << x[i] << " lies outside its bounds [" << bounds[i][0]
                 << ", " << bounds[i][1] << "]";
            refuse(text);
        }
    }
}

std::string checkedFileName(const std::string& name, const char* argument)
{
    if (name.empty()) {
        std::ostringstream text;
        text << argument << " is empty";
        refuse(text);
    }
    return FrequencyStudy::modelFilePath(name);
}

std::vector<double> midpoints(const std::vector<std::vector<double>>& bounds)
{
    std::vector<double> x;
    for (const auto& list : bounds) {
        x.push_back(0.5 * (list[0] + list[1]));
    }
    return x;
}

// Largest constraint value of search responses, 0 when both hold.
double violation(const std::vector<double>& f)
{
    return std::max({0.0, f[1], f[2]});
}

void writeRow(std::ostream& out, const char* label, const FrequencyStudy::Modes& modes)
{
    char line[96];
    std::snprintf(line, sizeof line, " %-20s", label);
    out << line;
    for (const double value : modes) {
        if (std::isinf(value)) {
            std::snprintf(line, sizeof line, " %11s", "rigid");
        } else {
            std::snprintf(line, sizeof line, " %11.3f", value);
        }
        out << line;
    }
    out << "\n";
}

} // namespace

double FrequencyStudy::join(double a, double b)
{
    return 1.0 / std::sqrt(1.0 / (a * a) + 1.0 / (b * b));
}

double FrequencyStudy::remove(double a, double b)
{
    const double rest = 1.0 / (a * a) - 1.0 / (b * b);
    return rest > 0.0 ? 1.0 / std::sqrt(rest) : std::numeric_limits<double>::infinity();
}

std::string FrequencyStudy::modelFilePath(const std::string& name)
{
    const std::size_t length = std::char_traits<char>::length(kExtension);
    const bool hasExtension =
        name.size() >= length && name.compare(name.size() - length, length, kExtension) == 0;
    return hasExtension ? name : name + kExtension;
}

double FrequencyStudy::ModeTable::lowestAssembled() const
{
    return *std::min_element(assembled.begin(), assembled.end());
}

double FrequencyStudy::ModeTable::separation() const
{
    return cowlAndBody[0] - lowestAssembled();
}

FrequencyStudy::FrequencyStudy(Settings studySettings) : settings(std::move(studySettings))
{
    checkBounds(settings.bounds);
    checkFrequencies(settings.buck, "buckFrequencies");
    checkFrequencies(settings.body, "bodyFrequencies");
    checkRequirement(settings.target, "targetFrequency");
    checkRequirement(settings.separation, "separation");
    steering = {kSteeringLabel, checkedFileName(settings.steeringFile, "steeringModelFile"),
                WeightSetLayout::fromFileName(settings.steeringFile)};
    cowl = {kCowlLabel, checkedFileName(settings.cowlFile, "cowlModelFile"),
            WeightSetLayout::fromFileName(settings.cowlFile)};
    // A layout that cannot be formed fails now, before any file is read.
    for (const StoredModelSet* set : {&steering, &cowl}) {
        if (set->layout) {
            const auto* weight = settings.weight ? &*settings.weight : nullptr;
            set->layout->form(midpoints(settings.bounds), settings.bounds, settings.nSteering,
                              weight);
        }
    }
}

FrequencyStudy::Modes FrequencyStudy::predict(StoredModelSet& set, const std::vector<double>& x)
{
    WeightSetLayout::FormedDesign formed{x, settings.bounds};
    if (set.layout) {
        formed = set.layout->form(x, settings.bounds, settings.nSteering,
                                  settings.weight ? &*settings.weight : nullptr);
    }
    const auto engine =
        engineFactory().buildFromHost(static_cast<int>(formed.values.size()), 0, formed.values,
                                      formed.bounds, nullptr, nullptr, RSMManager::kStoredStudy, 0);
    auto* manager = dynamic_cast<RSMManager*>(engine.get());
    if (manager == nullptr) {
        throw std::logic_error("the model-file engine is not a surrogate study manager");
    }
    bool served = true; // cleared by the reader when the file cannot serve
    std::string problem;
    const std::vector<double> values =
        manager->evaluateFromModelFile(set.path, {0, 1, 2}, &served, &problem);
    if (!served) {
        throw ModelSetUnavailable(set.label + " " + problem);
    }
    ++set.count;
    return {values[0], values[1], values[2]};
}

FrequencyStudy::ModeTable FrequencyStudy::modesAt(const std::vector<double>& x)
{
    checkDesign(x, settings.bounds);
    ModeTable table;
    table.steeringOnBuck = predict(steering, x);
    table.cowlAndBody = predict(cowl, x);
    for (int k = 0; k < kModes; ++k) {
        table.column[k] = remove(table.steeringOnBuck[k], settings.buck[k]);
        table.crossBar[k] = remove(table.cowlAndBody[k], settings.body[k]);
        table.assembled[k] = join(table.column[k], table.cowlAndBody[k]);
    }
    return table;
}

double FrequencyStudy::responseScale() const
{
    return std::max({settings.target, settings.separation, 1.0});
}

// Minimise the negative lowest mode; both requirements as g <= 0 in units of
// the response scale, so that the SQP sees values of order one. The SQP's
// difference steps may leave the box by a hair at a bound: the models are read
// at the nearest design inside it, which is all they were fitted on.
std::vector<double> FrequencyStudy::searchResponses(std::vector<double> x)
{
    clampToBounds(x);
    const ModeTable modes = modesAt(x);
    const double scale = responseScale();
    const double lowest = modes.lowestAssembled();
    return {-lowest / scale, (settings.target - lowest) / scale,
            (settings.separation - modes.separation()) / scale};
}

std::vector<double> FrequencyStudy::search(int engineType, const double* reals, const int* ints,
                                           std::vector<double> x)
{
    const auto engine = engineFactory().buildFromHost(static_cast<int>(x.size()),
                                                      kSearchResponses, x, settings.bounds,
                                                      reals, ints, engineType, 0);
    if (engine == nullptr) {
        throw std::logic_error("the search on the stored surrogates could not be built");
    }
    std::vector<double> f = searchResponses(x);
    runHostArraySearch(*engine, x, f, [this](const std::vector<double>& design) {
        return searchResponses(design);
    });
    clampToBounds(x);
    return x;
}

void FrequencyStudy::clampToBounds(std::vector<double>& x) const
{
    for (std::size_t i = 0; i < x.size(); ++i) {
        x[i] = std::clamp(x[i], settings.bounds[i][0], settings.bounds[i][1]);
    }
}

bool FrequencyStudy::ranksBetter(const std::vector<double>& x, const std::vector<double>& than)
{
    const auto rank = [this](const std::vector<double>& design) {
        const std::vector<double> f = searchResponses(design);
        return std::pair{violation(f), f[0]};
    };
    return rank(x) < rank(than);
}

bool FrequencyStudy::meetsRequirements(const ModeTable& modes) const
{
    return modes.lowestAssembled() >= settings.target &&
           modes.separation() >= settings.separation;
}

FrequencyStudy::Result FrequencyStudy::run(const std::vector<double>& start)
{
    // A host runs the study between large simulations of its own: give their
    // pages back before thousands of model reads.
    Platform::releaseWorkingSet();
    checkDesign(start, settings.bounds);
    std::vector<double> gaReals(GAParameter::kRealCount, kUnsetReal);
    gaReals[0] = kFeasibilityFirst;
    std::vector<int> gaInts(GAParameter::kIntCount, kUnsetInt);
    gaInts[kGaPopulation] = kSearchPopulation;
    gaInts[kGaEvaluations] = settings.searchBudget > 0 ? settings.searchBudget : kDefaultBudget;
    std::vector<double> x = search(GeneticAlgorithm::kMethodCode, gaReals.data(), gaInts.data(),
                                   start);
    std::vector<int> sqpInts(SQPParameter::kIntCount, kUnsetInt);
    sqpInts[kSqpGradientMode] = kForwardDifferences;
    const std::vector<double> refined =
        search(SequentialQuadraticProgramming::kMethodCode, nullptr, sqpInts.data(), x);
    if (ranksBetter(refined, x)) {
        x = refined;
    }
    Result result;
    result.design = x;
    result.modes = modesAt(x);
    result.meetsRequirements = meetsRequirements(result.modes);
    result.steeringEvaluations = steering.count;
    result.cowlEvaluations = cowl.count;
    return result;
}

void FrequencyStudy::report(const Result& result, std::ostream& out) const
{
    out << " " << kSteeringLabel << " THE NUMBER OF MODEL EVALUATION: "
        << result.steeringEvaluations << "\n";
    out << " " << kCowlLabel << " THE NUMBER OF MODEL EVALUATION: " << result.cowlEvaluations
        << "\n";
    char line[96];
    out << " DESIGN:";
    for (std::size_t i = 0; i < result.design.size(); ++i) {
        std::snprintf(line, sizeof line, " x%zu = %.6g", i + 1, result.design[i]);
        out << line;
    }
    out << "\n";
    std::snprintf(line, sizeof line, " %-20s %11s %11s %11s\n", "FREQUENCY (Hz)", "MODE 1",
                  "MODE 2", "MODE 3");
    out << line;
    const ModeTable& modes = result.modes;
    writeRow(out, "Buck ", settings.buck);
    writeRow(out, "Steering on Buck", modes.steeringOnBuck);
    writeRow(out, "Steering Column", modes.column);
    writeRow(out, "Body", settings.body);
    writeRow(out, "Cowl X/bar & Body", modes.cowlAndBody);
    writeRow(out, "Cowl X/bar", modes.crossBar);
    writeRow(out, "Steering in Vehicle", modes.assembled);
    std::snprintf(line, sizeof line,
                  " LOWEST MODE %.3f Hz (TARGET %.3f), SEPARATION %.3f Hz (REQUIRED %.3f): %s\n",
                  modes.lowestAssembled(), settings.target, modes.separation(),
                  settings.separation, result.meetsRequirements ? "MET" : "NOT MET");
    out << line;
}

} // namespace Opt::RSM
