// Reads the [method] table: the method's name and its settings by name,
// translated into the call of the library that runs it.
#pragma once

#include <vector>

#include "cli/Study.h"
#include "cli/TableReader.h"

namespace Opt {
namespace Cli {

MethodCall readMethod(const TableReader& method, const std::vector<Variable>& variables,
                      const std::vector<Response>& responses);

}  // namespace Cli
}  // namespace Opt
