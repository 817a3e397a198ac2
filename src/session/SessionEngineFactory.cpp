#include "session/SessionEngineFactory.h"

#include <cstdio>
#include <iostream>
#include <string>
#include <utility>

#include "engine/DataSet.h"
#include "engine/OptEngine.h"
#include "engine/ParameterArrays.h"
#include "platform/Platform.h"
#include "session/EngineBuilder.h"
#include "session/SessionInputCheck.h"

namespace Opt {

namespace {

void fixReproducibility()
{
    if (!Platform::fixReproducibilityBranch()) {
        std::fputs("Error in setting MKL_CBWR_BRANCH\n", stdout);
    }
}

bool reportInconsistency(const std::string& message)
{
    if (message.empty()) {
        return false;
    }
    std::cerr << message << std::endl;
    return true;
}

} // namespace

std::shared_ptr<OptEngine> SessionEngineFactory::buildFromHost(
    int nDesignVariables, int nResponses, const std::vector<double>& start,
    const std::vector<std::vector<double>>& bounds, const double* reals, const int* ints,
    int engineType, int reportLevel) const
{
    fixReproducibility();
    const EngineBuilder* builder = findEngineBuilder(engineType);
    if (builder == nullptr || !builder->buildFromHost) {
        return nullptr;
    }
    HostEngineInput input;
    input.nDesignVariables = nDesignVariables;
    input.nResponses = nResponses;
    if (builder->checksProblem) {
        if (reportInconsistency(checkSessionInput(nDesignVariables, nResponses,
                                                  builder->needsResponses, start, bounds))) {
            return nullptr;
        }
        input.start.assign(start.begin(), start.begin() + nDesignVariables);
        input.bounds.assign(bounds.begin(), bounds.begin() + nDesignVariables);
    }
    input.reals = copyParameters<double>(reals, builder->realCount, builder->realFill);
    input.ints = copyParameters<int>(ints, builder->intCount, builder->intFill);
    input.reportLevel = reportLevel;
    return builder->buildFromHost(input);
}

std::shared_ptr<OptEngine> SessionEngineFactory::buildFromDataSet(
    std::shared_ptr<DataSet> dataSet) const
{
    fixReproducibility();
    if (dataSet == nullptr) {
        reportInconsistency("OptEngineMain: no data set given; no engine built");
        return nullptr;
    }
    const EngineBuilder* builder = findEngineBuilder(dataSet->engineType);
    if (builder == nullptr || !builder->buildFromDataSet) {
        return nullptr;
    }
    const int nDesignVariables = static_cast<int>(dataSet->bounds.size());
    if (reportInconsistency(checkSessionInput(nDesignVariables, 0, false, dataSet->designValues,
                                              dataSet->bounds))) {
        return nullptr;
    }
    DataSetEngineInput input;
    input.reals = copyParameters<double>(dataSet->currentSearchSettings.reals,
                                         builder->realCount, builder->realFill);
    input.ints = copyParameters<int>(dataSet->currentSearchSettings.ints, builder->intCount,
                                     builder->intFill);
    input.dataSet = std::move(dataSet);
    return builder->buildFromDataSet(input);
}

// The engine core declares this accessor; defining it here is what ties the
// session's builder table to every engine that runs an inner search.
const EngineFactory& engineFactory()
{
    static const SessionEngineFactory factory;
    return factory;
}

} // namespace Opt
