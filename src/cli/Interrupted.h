// Thrown out of a batch of analyses when Ctrl-C (or SIGTERM) stopped it: the
// running analyses are killed by then, and the run ends with the log kept.
#pragma once

#include <stdexcept>

namespace Opt {
namespace Cli {

class Interrupted : public std::runtime_error {
public:
    Interrupted() : std::runtime_error("interrupted") {}
};

}  // namespace Cli
}  // namespace Opt
