#pragma once

#include "engine/EngineFactory.h"

namespace Opt {

// The library's engine factory: builds through the session's builder table
// (EngineBuilder), checking the problem and copying the parameter arrays the way
// every session does. OptEngineMain builds its engine through it too, so an inner
// search gets exactly the engine a host's session would.
class SessionEngineFactory : public EngineFactory {
public:
    std::shared_ptr<OptEngine> buildFromHost(int nDesignVariables, int nResponses,
                                             const std::vector<double>& start,
                                             const std::vector<std::vector<double>>& bounds,
                                             const double* reals, const int* ints, int engineType,
                                             int reportLevel) const override;
    std::shared_ptr<OptEngine> buildFromDataSet(std::shared_ptr<DataSet> dataSet) const override;
};

} // namespace Opt
