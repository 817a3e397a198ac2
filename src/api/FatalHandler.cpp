// The exported setter of the surrogate layer's fatal handler.
#include "api/zelkor.h"

#include "rsm/FatalError.h"

extern "C" ZELKOR_API ZelkorFatalHandler zelkorSetFatalHandler(ZelkorFatalHandler handler)
{
    return Opt::RSM::setFatalHandler(handler);
}
