#include "common/ErrorMessages.h"

#include <array>

namespace Opt {

namespace {

const std::array<std::string, kErrorMessageCount> kMessages = {
    "THE NUMBER OF EXPERIMENTAL POINT EXCEEDS IT'S LIMIT.",
    "CANNOT FIND ADEQUATE ORTHGONAL ARRAY TABLE.",
    "INVALID SIMPLEX PARAMETER.",
    "INITIAL BASIS IS INVALID.",
    "INITIAL BASIS IS SINGULAR.",
    "INITIAL BASIS IS ILL-CONDITIONED.",
    "SOME BOUNDED VARIABLES HAVE INVALID BOUNDS.",
    "SIMPLEX OPTIMIZER FAILED.",
    "ITERATION LIMIT HAS BEEN EXHAUSTED.",
    "NO FEASIBLE SOLUTION",
    "CANNOT CONVERGED.",
    "INPUT DATAS ARE INVALID.",
};

const std::string kNoMessage;

} // namespace

const std::string& errorMessage(int index)
{
    if (index < 0 || index >= kErrorMessageCount) {
        return kNoMessage;
    }
    return kMessages[static_cast<size_t>(index)];
}

const std::string& errorMessage(ErrorCode code)
{
    return errorMessage(static_cast<int>(code));
}

void throwError(ErrorCode code)
{
    throw std::string(errorMessage(code));
}

} // namespace Opt
