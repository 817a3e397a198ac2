#pragma once

#include "rsm/RSMData.h"

namespace Opt::RSM {

// The record of an ensemble of surrogates (data type 5): the values and scale it
// shares with its members; the fitted data lives in the members.
class EOSData : public RSMData {
public:
    int dataType() const override { return 5; }
};

} // namespace Opt::RSM
