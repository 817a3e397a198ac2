// The exported setter of the surrogate layer's fatal handler.
#include "api/zelkor.h"

#include "api/LastStatus.h"

#include "rsm/FatalError.h"

extern "C" ZELKOR_API ZelkorFatalHandler zelkorSetFatalHandler(ZelkorFatalHandler handler)
{
    Opt::LastStatus::set(ZELKOR_STATUS_OK);
    return Opt::RSM::setFatalHandler(handler);
}
