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

// Checks that every start value lies within its variable's bounds (first to last
// entry of its list); the optimising entry points ask this of their hosts, since
// an engine would otherwise hand such a start to the host unchecked. Lists that
// checkSessionInput rejects, and non-finite start values, are left to it.
// Returns an empty string, or one line naming the variable, its start and bounds.
std::string checkStartInsideBounds(const std::vector<double>& start,
                                   const std::vector<std::vector<double>>& bounds);

} // namespace Opt
