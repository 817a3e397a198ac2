#pragma once

#include <string>

#include "rsm/DataOutBase.h"

namespace Opt::RSM {

// The model file of a reliability analysis, ".rel" by default (see DataOutBase).
class RELDataOut : public DataOutBase {
public:
    static constexpr const char* kDefaultExtension = ".rel";

    RELDataOut(const std::string& basePath, const std::string& extension);
};

} // namespace Opt::RSM
