#include "cli/MethodReader.h"

#include <algorithm>
#include <climits>

#include "cli/MethodSettings.h"
#include "cli/SurrogateStudyReader.h"

namespace Opt {
namespace Cli {

namespace {

std::vector<std::string> knownKeys(MethodCall::Kind kind)
{
    std::vector<std::string> keys{"name"};
    for (const MethodSetting& setting : settingsOf(kind)) {
        keys.push_back(setting.name);
    }
    if (takesSeed(kind)) {
        keys.push_back("seed");
    }
    return keys;
}

// The library takes a negative value for "the default", so a negative value
// written in the file would be dropped without a word: refuse it.
double realSetting(const TableReader& method, const std::string& name)
{
    const double value = *method.number(name);
    if (value < 0.0) {
        method.fail(name, "must not be negative");
    }
    return value;
}

void applySetting(const TableReader& method, const MethodSetting& setting, MethodCall& call)
{
    if (!method.has(setting.name)) {
        return;
    }
    const auto position = static_cast<std::size_t>(setting.position);
    if (setting.array == MethodSetting::Array::Reals) {
        call.reals[position] = realSetting(method, setting.name);
    } else if (setting.kind == MethodSetting::Kind::SurrogateType) {
        call.ints[position] = *method.choiceOrCode(setting.name, surrogateTypes());
    } else {
        call.ints[position] = *method.integer(setting.name, 1, INT_MAX);
    }
}

int evaluationBudget(const MethodInfo& info, const MethodCall& call)
{
    if (info.budgetPosition < 0) {
        return 0;
    }
    const int limit = call.ints[static_cast<std::size_t>(info.budgetPosition)];
    return std::min(limit > 0 ? limit : info.budgetDefault, info.budgetCap);
}

// The SAO fits its local surrogates on a continuous box; the library refuses
// discrete variables for it.
void rejectLevels(const TableReader& method, const std::vector<Variable>& variables)
{
    for (const Variable& variable : variables) {
        if (!variable.levels.empty()) {
            method.fail("name", "the sao method takes no discrete variables, and variable \"" +
                                    variable.name + "\" has levels");
        }
    }
}

const MethodInfo& methodNamed(const TableReader& method)
{
    const std::string name = method.requiredString("name");
    const MethodInfo* info = findMethod(name);
    if (info == nullptr) {
        std::string names;
        for (const MethodInfo& known : methods()) {
            names += (names.empty() ? "" : ", ") + known.name;
        }
        method.fail("name", "unknown method \"" + name + "\"; one of " + names);
    }
    return *info;
}

}  // namespace

MethodCall readMethod(const TableReader& method, const std::vector<Variable>& variables,
                      const std::vector<Response>& responses)
{
    const MethodInfo& info = methodNamed(method);
    MethodCall call;
    call.kind = info.kind;
    call.name = info.name;
    call.zelkorMethod = info.zelkorMethod;
    if (call.kind == MethodCall::Kind::SurrogateStudy) {
        readSurrogateStudy(method, variables, responses, call);
        return call;
    }
    method.allowOnly(knownKeys(call.kind), "setting of method " + call.name);
    if (call.kind == MethodCall::Kind::Sao) {
        rejectLevels(method, variables);
    }
    for (const MethodSetting& setting : settingsOf(call.kind)) {
        applySetting(method, setting, call);
    }
    if (takesSeed(call.kind)) {
        call.seed = method.integer("seed", 0, INT_MAX);
    }
    call.evaluationBudget = evaluationBudget(info, call);
    return call;
}

}  // namespace Cli
}  // namespace Opt
