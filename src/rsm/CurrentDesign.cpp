#include "rsm/CurrentDesign.h"

namespace Opt::RSM {

namespace {

std::shared_ptr<DOE::DOEBase>& installedDesign()
{
    static std::shared_ptr<DOE::DOEBase> design;
    return design;
}

} // namespace

void setCurrentDesign(std::shared_ptr<DOE::DOEBase> design)
{
    installedDesign() = std::move(design);
}

std::shared_ptr<DOE::DOEBase> currentDesign()
{
    return installedDesign();
}

} // namespace Opt::RSM
