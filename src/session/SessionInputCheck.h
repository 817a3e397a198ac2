#pragma once

#include <string>
#include <vector>

namespace Opt {

// Checks the problem handed to a session before any array is read. Returns an
// empty string when the input is consistent, else one line (without its end)
// saying what is wrong, naming the argument, the index and the value.
std::string checkSessionInput(int nDesignVariables, int nResponses, bool needsResponses,
                              const std::vector<double>& start,
                              const std::vector<std::vector<double>>& bounds);

} // namespace Opt
