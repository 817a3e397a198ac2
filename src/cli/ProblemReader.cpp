#include "cli/ProblemReader.h"

#include <cctype>
#include <cmath>
#include <map>
#include <sstream>

namespace Opt {
namespace Cli {

namespace {

bool isIdentifier(const std::string& name)
{
    if (name.empty() || std::isdigit(static_cast<unsigned char>(name.front()))) {
        return false;
    }
    for (char c : name) {
        if (!std::isalnum(static_cast<unsigned char>(c)) && c != '_') {
            return false;
        }
    }
    return true;
}

// Names become keys of the parameters and results files and columns of the
// evaluation log, so they must be plain identifiers and unique across both lists.
class NameRegister {
public:
    std::string take(const TableReader& table)
    {
        const std::string name = table.requiredString("name");
        if (!isIdentifier(name)) {
            table.fail("name", "\"" + name +
                                   "\" is not a valid name: letters, digits and _, not "
                                   "starting with a digit");
        }
        const auto [owner, isNew] = owners_.emplace(name, table.name());
        if (!isNew) {
            table.fail("name", "\"" + name + "\" is already the name of " + owner->second);
        }
        return name;
    }

    void reserve(const std::string& name, const std::string& owner) { owners_.emplace(name, owner); }

private:
    std::map<std::string, std::string> owners_;
};

std::vector<double> readLevels(const TableReader& table)
{
    if (table.has("lower") || table.has("upper")) {
        table.fail(table.has("lower") ? "lower" : "upper",
                   "a discrete variable's bounds are its first and last level: give levels, or "
                   "lower and upper, not both");
    }
    const std::vector<double> levels = table.numbers("levels");
    if (levels.size() < 2) {
        table.fail("levels", "at least two levels are needed");
    }
    for (std::size_t i = 1; i < levels.size(); ++i) {
        if (levels[i] <= levels[i - 1]) {
            table.fail("levels", "levels must ascend without repeats, but " + numberText(levels[i]) +
                                     " follows " + numberText(levels[i - 1]));
        }
    }
    return levels;
}

double nearestLevel(const std::vector<double>& levels, double target)
{
    double nearest = levels.front();
    for (double level : levels) {
        if (std::fabs(level - target) < std::fabs(nearest - target)) {
            nearest = level;
        }
    }
    return nearest;
}

double readStart(const TableReader& table, const Variable& variable)
{
    const double middle = (variable.lower + variable.upper) / 2.0;
    if (!table.has("start")) {
        return variable.levels.empty() ? middle : nearestLevel(variable.levels, middle);
    }
    const double start = *table.number("start");
    if (variable.levels.empty() && (start < variable.lower || start > variable.upper)) {
        table.fail("start", numberText(start) + " is outside [" + numberText(variable.lower) + ", " +
                                numberText(variable.upper) + "]");
    }
    if (!variable.levels.empty() && nearestLevel(variable.levels, start) != start) {
        table.fail("start", numberText(start) + " is not one of the levels");
    }
    return start;
}

Variable readVariable(const TableReader& table, NameRegister& names)
{
    table.allowOnly({"name", "lower", "upper", "levels", "start"});
    Variable variable;
    variable.name = names.take(table);
    if (table.has("levels")) {
        variable.levels = readLevels(table);
        variable.lower = variable.levels.front();
        variable.upper = variable.levels.back();
    } else {
        if (!table.has("lower") || !table.has("upper")) {
            table.fail(table.has("lower") ? "upper" : "lower",
                       "missing: a variable needs lower and upper, or levels");
        }
        variable.lower = *table.number("lower");
        variable.upper = *table.number("upper");
        if (variable.lower >= variable.upper) {
            table.fail("upper", "must be above lower (" + numberText(variable.lower) + ")");
        }
    }
    variable.start = readStart(table, variable);
    return variable;
}

const std::vector<NamedCode>& goals()
{
    // The code is 1 for maximising.
    static const std::vector<NamedCode> names = {
        {"minimize", 0}, {"maximize", 1}, {"minimise", 0}, {"maximise", 1}};
    return names;
}

Response readResponse(const TableReader& table, NameRegister& names)
{
    table.allowOnly({"name", "objective", "upper", "lower"});
    Response response;
    response.name = names.take(table);
    if (table.has("objective")) {
        if (table.has("upper") || table.has("lower")) {
            table.fail(table.has("upper") ? "upper" : "lower",
                       "the objective takes no limit; make a constraint of its own response");
        }
        response.role = Response::Role::Objective;
        response.maximise = *table.choice("objective", goals()) == 1;
        return response;
    }
    response.upper = table.number("upper");
    response.lower = table.number("lower");
    if (!response.upper && !response.lower) {
        table.failHere("neither objective nor a limit: a constraint needs upper and/or lower");
    }
    if (response.upper && response.lower && *response.lower >= *response.upper) {
        table.fail("lower", "must be below upper (" + numberText(*response.upper) + ")");
    }
    return response;
}

void checkOneObjective(const TableReader& top, const std::vector<TableReader>& tables,
                       const std::vector<Response>& responses)
{
    std::string objective;
    for (std::size_t i = 0; i < responses.size(); ++i) {
        if (responses[i].role != Response::Role::Objective) {
            continue;
        }
        if (!objective.empty()) {
            tables[i].fail("objective", "a second objective; " + objective +
                                            " is the objective already (one per study)");
        }
        objective = tables[i].name();
    }
    if (objective.empty()) {
        top.fail("response", "no response is the objective: give one [[response]] objective = "
                             "\"minimize\" or \"maximize\"");
    }
}

}  // namespace

std::vector<Variable> readVariables(const TableReader& top)
{
    const std::vector<TableReader> tables = top.tables("variable");
    if (tables.empty()) {
        top.fail("variable", "no design variable: at least one [[variable]] is needed");
    }
    NameRegister names;
    std::vector<Variable> variables;
    for (const TableReader& table : tables) {
        variables.push_back(readVariable(table, names));
    }
    return variables;
}

std::vector<Response> readResponses(const TableReader& top, const std::vector<Variable>& variables)
{
    const std::vector<TableReader> tables = top.tables("response");
    NameRegister names;
    for (std::size_t i = 0; i < variables.size(); ++i) {
        names.reserve(variables[i].name, "variable[" + std::to_string(i) + "]");
    }
    std::vector<Response> responses;
    for (const TableReader& table : tables) {
        responses.push_back(readResponse(table, names));
    }
    checkOneObjective(top, tables, responses);
    return responses;
}

}  // namespace Cli
}  // namespace Opt
