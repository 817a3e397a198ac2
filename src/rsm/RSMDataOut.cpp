#include "rsm/RSMDataOut.h"

namespace Opt::RSM {

RSMDataOut::RSMDataOut(const std::string& basePath, const std::string& extension)
    : DataOutBase(basePath, extension, kDefaultExtension)
{
}

} // namespace Opt::RSM
