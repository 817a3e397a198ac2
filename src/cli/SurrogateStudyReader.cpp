#include "cli/SurrogateStudyReader.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <map>

#include "api/zelkor.h"
#include "cli/MethodSettings.h"

namespace Opt {
namespace Cli {

namespace {

enum DesignCode {
    kFullFactorial = 0,
    kCentralComposite = 1,
    kLatinHypercube = 2,
    kParameterStudy = 3,
    kOrthogonalArray = 4
};

constexpr int kPointLimit = 10000;  // the library's largest design
constexpr int kKriging = 2;         // the library's model when none is named
constexpr int kDefaultOption = -1;
constexpr int kGaSearch = 2;

// The orthogonal arrays of the library's catalogue: runs by levels.
const std::map<int, std::vector<int>>& orthogonalArrayRuns()
{
    static const std::map<int, std::vector<int>> runs = {
        {2, {4, 8, 12, 16, 32, 96}}, {3, {9, 18, 36, 81}}, {4, {16, 32, 64}}, {5, {25, 50}}};
    return runs;
}

std::string listOf(const std::vector<int>& values)
{
    std::string text;
    for (int value : values) {
        text += (text.empty() ? "" : ", ") + std::to_string(value);
    }
    return text;
}

int fullFactorialLevels(const TableReader& method, std::size_t variableCount)
{
    const int levels = method.integer("levels", 1, 3).value_or(2);
    if (std::pow(levels, static_cast<double>(variableCount)) > kPointLimit) {
        method.fail("levels", "a full factorial of " + std::to_string(levels) + " levels on " +
                                  std::to_string(variableCount) +
                                  " variables has more points than the library's limit of " +
                                  std::to_string(kPointLimit));
    }
    return levels;
}

int studiedVariable(const TableReader& method, const std::vector<Variable>& variables)
{
    const std::string name = method.requiredString("variable");
    for (std::size_t i = 0; i < variables.size(); ++i) {
        if (variables[i].name == name) {
            return static_cast<int>(i);
        }
    }
    method.fail("variable", "no design variable is named \"" + name + "\"");
}

int orthogonalArrayCount(const TableReader& method, int levels)
{
    const int runs = method.requiredInteger("runs", 1, kPointLimit);
    const std::vector<int>& known = orthogonalArrayRuns().at(levels);
    if (std::find(known.begin(), known.end(), runs) == known.end()) {
        method.fail("runs", "the library has no orthogonal array of " + std::to_string(levels) +
                                " levels in " + std::to_string(runs) + " runs; it has " +
                                listOf(known));
    }
    return runs;
}

// The design settings' entries [2] (the type's option) and [3] (its size).
std::pair<int, int> designOptions(const TableReader& method, int design,
                                  const std::vector<Variable>& variables)
{
    switch (design) {
    case kFullFactorial: return {fullFactorialLevels(method, variables.size()), 0};
    case kCentralComposite: return {method.choice("axial", axialTypes()).value_or(0), 0};
    case kLatinHypercube:
        return {method.boolean("corners").value_or(false) ? 1 : 0,
                method.integer("samples", 2, kPointLimit).value_or(20)};
    case kParameterStudy:
        return {studiedVariable(method, variables),
                method.requiredInteger("points", 2, kPointLimit)};
    case kOrthogonalArray: {
        const int levels = method.requiredInteger("levels", 2, 5);
        return {levels, orthogonalArrayCount(method, levels)};
    }
    default: return {0, 0};
    }
}

// The evaluations of the sample: the library's count, or one per level of a
// snapped parameter study's discrete variable.
int samplePointCount(const TableReader& method, const std::vector<int>& settings,
                     const std::vector<Variable>& variables)
{
    if (settings[0] == kParameterStudy && settings[1] == 1) {
        const Variable& studied = variables[static_cast<std::size_t>(settings[2])];
        if (!studied.levels.empty()) {
            return static_cast<int>(studied.levels.size());
        }
    }
    const int points = get_nexpC(settings.data(), static_cast<int>(variables.size()));
    if (points <= 0) {
        method.fail("design", std::string("the library arranges no design for these settings (") +
                                  zelkorLastMessage() + ")");
    }
    return points;
}

// One code per response: from a value for every response, or from a table
// naming responses (the others keep fallback).
template <typename ReadOne>
std::vector<int> perResponse(const TableReader& method, const std::string& key,
                             const std::vector<Response>& responses, int fallback,
                             ReadOne readOne)
{
    std::vector<int> codes(responses.size(), fallback);
    const toml::node* value = method.node(key);
    if (value == nullptr) {
        return codes;
    }
    if (!value->is_table()) {
        std::fill(codes.begin(), codes.end(), readOne(method, key));
        return codes;
    }
    const TableReader table = *method.table(key);
    std::vector<std::string> names;
    for (const Response& response : responses) {
        names.push_back(response.name);
    }
    table.allowOnly(names, "response");
    for (std::size_t i = 0; i < responses.size(); ++i) {
        if (table.has(names[i])) {
            codes[i] = readOne(table, names[i]);
        }
    }
    return codes;
}

// Two ints per library response: the objective first, then each constraint's
// upper and lower limit, each taking the model of the response it comes from.
std::vector<int> modelSettings(const TableReader& method, const std::vector<Response>& responses)
{
    const std::vector<int> types =
        perResponse(method, "model", responses, kKriging, [](const TableReader& table, auto& key) {
            return *table.choiceOrCode(key, surrogateTypes());
        });
    const std::vector<int> options = perResponse(
        method, "model_option", responses, kDefaultOption,
        [](const TableReader& table, auto& key) { return *table.integer(key, 0, INT_MAX); });
    std::vector<int> objective;
    std::vector<int> constraints;
    for (std::size_t i = 0; i < responses.size(); ++i) {
        const Response& response = responses[i];
        if (response.role == Response::Role::Objective) {
            objective = {types[i], options[i]};
            continue;
        }
        const int limits = (response.upper ? 1 : 0) + (response.lower ? 1 : 0);
        for (int k = 0; k < limits; ++k) {
            constraints.insert(constraints.end(), {types[i], options[i]});
        }
    }
    objective.insert(objective.end(), constraints.begin(), constraints.end());
    return objective;
}

std::vector<int> searchSettings(const TableReader& method)
{
    return {method.choice("search", innerSearches()).value_or(kGaSearch),
            method.integer("search_evaluations", 0, INT_MAX).value_or(0),
            method.integer("threads", 1, INT_MAX).value_or(1),
            method.boolean("repeatable").value_or(true) ? 1 : 0};
}

}  // namespace

std::vector<std::string> surrogateStudyKeys(int design)
{
    std::vector<std::string> keys = {"name",  "design",       "snap",   "model",
                                     "model_option", "search", "search_evaluations",
                                     "threads", "repeatable", "model_file"};
    const std::map<int, std::vector<std::string>> designKeys = {
        {kFullFactorial, {"levels"}},         {kCentralComposite, {"axial"}},
        {kLatinHypercube, {"samples", "corners"}}, {kParameterStudy, {"variable", "points"}},
        {kOrthogonalArray, {"levels", "runs"}}};
    const auto own = designKeys.find(design);
    if (own != designKeys.end()) {
        keys.insert(keys.end(), own->second.begin(), own->second.end());
    }
    return keys;
}

void readSurrogateStudy(const TableReader& method, const std::vector<Variable>& variables,
                        const std::vector<Response>& responses, MethodCall& call)
{
    const int design = method.choice("design", designTypes()).value_or(kLatinHypercube);
    method.allowOnly(surrogateStudyKeys(design), "setting of the surrogate study with design " +
                                                     nameOf(designTypes(), design));
    // Snapping puts the sample on the discrete variables' levels, the only
    // values an analysis program of a discrete variable is meant to see.
    const int snap = method.boolean("snap").value_or(true) ? 1 : 0;
    const auto [option, size] = designOptions(method, design, variables);
    call.designSettings = {design, snap, option, size};
    call.modelSettings = modelSettings(method, responses);
    call.searchSettings = searchSettings(method);
    if (method.has("model_file")) {
        call.modelFile = method.requiredString("model_file");
    }
    call.evaluationBudget = samplePointCount(method, call.designSettings, variables) + 1;
}

}  // namespace Cli
}  // namespace Opt
