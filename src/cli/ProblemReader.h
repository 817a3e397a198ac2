// Reads the optimisation problem of a study file: its design variables
// ([[variable]]) and the responses its analysis program writes ([[response]]).
#pragma once

#include <vector>

#include "cli/Study.h"
#include "cli/TableReader.h"

namespace Opt {
namespace Cli {

// top: the file's top level. At least one variable; names unique.
std::vector<Variable> readVariables(const TableReader& top);
// Exactly one objective; names unique among themselves and the variables'.
std::vector<Response> readResponses(const TableReader& top, const std::vector<Variable>& variables);

}  // namespace Cli
}  // namespace Opt
