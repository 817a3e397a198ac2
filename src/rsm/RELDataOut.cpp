#include "rsm/RELDataOut.h"

namespace Opt::RSM {

RELDataOut::RELDataOut(const std::string& basePath, const std::string& extension)
    : DataOutBase(basePath, extension, kDefaultExtension)
{
}

} // namespace Opt::RSM
