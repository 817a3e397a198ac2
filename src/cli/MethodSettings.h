// The methods a study file names, the settings each takes by name, and where
// each setting goes in the library's user parameters (Zelkor's ints and
// reals). The names are those of the Python package, so that a study moves
// between the two without renaming. The reader and `zelkor check` share these
// tables, so what is read is what is described.
#pragma once

#include <string>
#include <vector>

#include "cli/Study.h"
#include "cli/TableReader.h"

namespace Opt {
namespace Cli {

struct MethodSetting {
    enum class Array { Ints, Reals };
    // Count: an integer of at least 1; Real: a finite number not below 0;
    // SurrogateType: a name of surrogateTypes() or its code.
    enum class Kind { Count, Real, SurrogateType };
    std::string name;
    Array array;
    int position;
    Kind kind;
    std::string meaning;  // what it sets, with the library's default
};

struct MethodInfo {
    std::string name;
    MethodCall::Kind kind;
    int zelkorMethod;     // -1: not a Zelkor method
    // The setting that limits the evaluations, its default and the library's
    // cap on it; budgetPosition -1 when no setting bounds the run's evaluations.
    int budgetPosition;
    int budgetDefault;
    int budgetCap;
};

const std::vector<MethodInfo>& methods();
const MethodInfo* findMethod(const std::string& name);
const MethodInfo& methodOf(MethodCall::Kind kind);
// The named settings of a Zelkor method; empty for the surrogate study.
const std::vector<MethodSetting>& settingsOf(MethodCall::Kind kind);
bool takesSeed(MethodCall::Kind kind);

// Names of the surrogate study's choices and of the SAO's surrogate types.
const std::vector<NamedCode>& surrogateTypes();
const std::vector<NamedCode>& designTypes();
const std::vector<NamedCode>& axialTypes();
const std::vector<NamedCode>& innerSearches();

}  // namespace Cli
}  // namespace Opt
