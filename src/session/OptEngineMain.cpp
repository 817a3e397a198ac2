// The session class: creates the engine of an engine type from the host's values
// (host-array mode) or from a data set (data-set mode), and steps it. Building is
// the engine factory's, which inner searches share.
#include "api/zelkor.h"

#include <utility>

#include "engine/EngineFactory.h"
#include "engine/OptEngine.h"

namespace Opt {

OptEngineMain::OptEngineMain(int nDesignVariables, int nResponses,
                             const std::vector<double>& start,
                             const std::vector<std::vector<double>>& bounds, double* reals,
                             int* ints, int engineType, int reportLevel)
    : engine(engineFactory().buildFromHost(nDesignVariables, nResponses, start, bounds, reals,
                                           ints, engineType, reportLevel))
{
}

OptEngineMain::OptEngineMain(std::shared_ptr<DataSet> dataSet)
    : engine(engineFactory().buildFromDataSet(std::move(dataSet)))
{
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
