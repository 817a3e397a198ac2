#pragma once

#include <functional>
#include <memory>
#include <vector>

#include "engine/ParameterArrays.h"

namespace Opt {

class OptEngine;
struct DataSet;

// What the host-array constructor hands a builder: the problem and the engine's
// own copies of the parameter arrays (already copied or filled, so a builder
// never reads the caller's arrays).
struct HostEngineInput {
    int nDesignVariables = 0;
    int nResponses = 0;
    std::vector<double> start;
    std::vector<std::vector<double>> bounds;
    std::vector<double> reals;
    std::vector<int> ints;
    int reportLevel = 0;
};

// What the data-set constructor hands a builder: the shared data set and the
// engine's copies of the data set's current search settings, padded to the
// builder's counts with its fill values.
struct DataSetEngineInput {
    std::shared_ptr<DataSet> dataSet;
    std::vector<double> reals;
    std::vector<int> ints;
};

// One row of the engine-builder table: how many parameter entries the session
// copies for an engine type, the fill values used for a null array, and the
// functions that create the engine through each constructor (empty when that
// constructor builds nothing for the type).
struct EngineBuilder {
    int engineType = -1;
    int realCount = 0;
    int intCount = 0;
    double realFill = -999.0;
    int intFill = -999;
    bool needsResponses = true; // false for builders that take no response count
    bool checksProblem = true;  // false for engines that take no design variables
    std::function<std::shared_ptr<OptEngine>(const HostEngineInput&)> buildFromHost;
    std::function<std::shared_ptr<OptEngine>(const DataSetEngineInput&)> buildFromDataSet;
};

// The builder of an engine type, or null when the type has none.
const EngineBuilder* findEngineBuilder(int engineType);

// Adds a builder, replacing any earlier one of the same type. The library's own
// engines are listed once, in EngineBuilder.cpp; this is for engines defined
// outside that list (the test suite's small engines).
void registerEngineBuilder(const EngineBuilder& builder);

} // namespace Opt
