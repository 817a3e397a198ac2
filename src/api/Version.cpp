#include "api/zelkor.h"

#ifndef ZELKOR_VERSION_STRING
#define ZELKOR_VERSION_STRING "2.0.0"
#endif

extern "C" ZELKOR_API const char* zelkorVersion(void)
{
    return ZELKOR_VERSION_STRING;
}
