#pragma once

#include <string>

namespace Opt::RSM {

// What the model-file reader and writer throw internally when a file is
// truncated, inconsistent or cannot be written; DataOutBase turns it into one
// line on standard error and its own failure signal.
struct ModelFileError {
    std::string message;
};

} // namespace Opt::RSM
