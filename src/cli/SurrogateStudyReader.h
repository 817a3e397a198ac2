// Reads the settings of the surrogate study (method "surrogate") into the
// arguments runRSMOPTBatch takes: the design of experiments by name and its
// options, a model type per response (or one for all), the search on the
// models and its budget.
#pragma once

#include <vector>

#include "cli/Study.h"
#include "cli/TableReader.h"

namespace Opt {
namespace Cli {

void readSurrogateStudy(const TableReader& method, const std::vector<Variable>& variables,
                        const std::vector<Response>& responses, MethodCall& call);

// The keys the surrogate study takes with design type `design` (a code of
// designTypes()).
std::vector<std::string> surrogateStudyKeys(int design);

}  // namespace Cli
}  // namespace Opt
