// The session class: creates the engine of an engine type from the host's values
// (host-array mode) or from a data set (data-set mode), and steps it.
#include "api/zelkor.h"

#include <cstdio>
#include <iostream>

#include "engine/OptEngine.h"
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

OptEngineMain::OptEngineMain(int nDesignVariables, int nResponses,
                             const std::vector<double>& start,
                             const std::vector<std::vector<double>>& bounds, double* reals,
                             int* ints, int engineType, int reportLevel)
{
    fixReproducibility();
    const EngineBuilder* builder = findEngineBuilder(engineType);
    if (builder == nullptr || !builder->buildFromHost) {
        return;
    }
    HostEngineInput input;
    input.nDesignVariables = nDesignVariables;
    input.nResponses = nResponses;
    if (builder->checksProblem) {
        if (reportInconsistency(checkSessionInput(nDesignVariables, nResponses,
                                                  builder->needsResponses, start, bounds))) {
            return;
        }
        input.start.assign(start.begin(), start.begin() + nDesignVariables);
        input.bounds.assign(bounds.begin(), bounds.begin() + nDesignVariables);
    }
    input.reals = copyParameters<double>(reals, builder->realCount, builder->realFill);
    input.ints = copyParameters<int>(ints, builder->intCount, builder->intFill);
    input.reportLevel = reportLevel;
    engine = builder->buildFromHost(input);
}

OptEngineMain::OptEngineMain(std::shared_ptr<DataSet> dataSet)
{
    fixReproducibility();
    if (dataSet == nullptr) {
        reportInconsistency("OptEngineMain: no data set given; no engine built");
        return;
    }
    const EngineBuilder* builder = findEngineBuilder(dataSet->engineType);
    if (builder == nullptr || !builder->buildFromDataSet) {
        return;
    }
    const int nDesignVariables = static_cast<int>(dataSet->bounds.size());
    if (reportInconsistency(checkSessionInput(nDesignVariables, 0, false, dataSet->designValues,
                                              dataSet->bounds))) {
        return;
    }
    DataSetEngineInput input;
    input.reals = copyParameters<double>(dataSet->currentSearchSettings.reals,
                                         builder->realCount, builder->realFill);
    input.ints = copyParameters<int>(dataSet->currentSearchSettings.ints, builder->intCount,
                                     builder->intFill);
    input.dataSet = std::move(dataSet);
    engine = builder->buildFromDataSet(input);
}

OptEngineMain::~OptEngineMain() = default;

int OptEngineMain::runOptEngine(double* x, double* f, double** g)
{
    if (engine == nullptr) {
        return static_cast<int>(StepCode::Error);
    }
    return engine->step(x, f, g);
}

} // namespace Opt
