#pragma once

#include "ga/MicroGAParameter.h"

namespace Opt {

// Settings of the hybrid GA: those of the micro-GA. The local searches' own
// settings follow in the host arrays from position 20 on and belong to the inner
// engine, not to this record.
class HybridGAParameter : public MicroGAParameter {};

} // namespace Opt
