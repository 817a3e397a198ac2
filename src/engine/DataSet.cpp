#include "engine/DataSet.h"

namespace Opt {

const ResponseDefinition* DataSet::find(int id) const
{
    const auto it = responses.find(id);
    return it == responses.end() ? nullptr : it->second.get();
}

} // namespace Opt
