#pragma once

#include <string>

#include "rsm/DataOutBase.h"

namespace Opt::RSM {

// The model file of a surrogate study, ".rsm" by default (see DataOutBase).
class RSMDataOut : public DataOutBase {
public:
    static constexpr const char* kDefaultExtension = ".rsm";

    RSMDataOut(const std::string& basePath, const std::string& extension);
};

} // namespace Opt::RSM
