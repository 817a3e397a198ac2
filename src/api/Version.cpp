#include "api/zelkor.h"

#include "api/LastStatus.h"

#ifndef ZELKOR_VERSION_STRING
#define ZELKOR_VERSION_STRING "2.0.0"
#endif

extern "C" ZELKOR_API const char* zelkorVersion(void)
{
    Opt::LastStatus::set(ZELKOR_STATUS_OK);
    return ZELKOR_VERSION_STRING;
}
