#pragma once

#include <string>

namespace Opt {

// The library-wide error messages. An error is raised by throwing a copy of its
// message as a std::string (deliberately not a std::exception): the entry points
// that own a subsystem catch the string and print it, the design-of-experiments
// services let it reach their caller.
enum class ErrorCode : int {
    PointLimitExceeded = 0,
    NoOrthogonalArray = 1,
    InvalidSimplexParameter = 2,
    InvalidInitialBasis = 3,
    SingularInitialBasis = 4,
    IllConditionedInitialBasis = 5,
    InvalidVariableBounds = 6,
    SimplexFailed = 7,
    IterationLimitExhausted = 8,
    NoFeasibleSolution = 9,
    NotConverged = 10,
    InvalidInput = 11,
};

constexpr int kErrorMessageCount = 12;

// The message of entry `index` (0 to 11); an index outside the table gives an
// empty string rather than reading past it.
const std::string& errorMessage(int index);
const std::string& errorMessage(ErrorCode code);

// Throws a copy of the message as a std::string.
[[noreturn]] void throwError(ErrorCode code);

} // namespace Opt
