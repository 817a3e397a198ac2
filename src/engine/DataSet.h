#pragma once

// The data-set types (DataSet, ResponseDefinition, the surrogate-study records)
// are part of the public C++ interface, so that a host can run an engine in
// data-set mode; their public header includes only the standard library, so
// every module may include it.
#include "api/zelkor_dataset.h"
