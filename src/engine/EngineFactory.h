#pragma once

#include <memory>
#include <vector>

namespace Opt {

class OptEngine;
struct DataSet;

// Builds an engine by engine type for code below the session that runs a search
// of its own: the hybrid GA's local searches, kriging's hyper-parameter search,
// a surrogate manager's search on its surrogate. The builder table belongs to the
// session module, which sits above every engine; this interface is how an engine
// reaches it without including the session or the public header, so that
// includes keep pointing down.
//
// Both calls build exactly what the session's constructors build from the same
// arguments (OptEngineMain in zelkor.h): the builder of the engine type, the same
// checks of the problem (an inconsistent one prints one line on standard error
// and builds nothing) and the engine's own copies of the parameter arrays. They
// return null when the type has no builder for that mode or nothing was built.
// The caller owns the engine and steps it with OptEngine::step, whose codes are
// those of OptEngineMain::runOptEngine.
//
// From a new engine or manager (data-set mode; host-array mode alike):
//     auto dataSet = std::make_shared<DataSet>();   // engine type, bounds, start,
//     ...                                            // settings, responses
//     std::shared_ptr<OptEngine> inner = engineFactory().buildFromDataSet(dataSet);
//     if (inner == nullptr) { /* no such engine: fail the way the caller documents */ }
//     int code = inner->step(nullptr, nullptr, nullptr); // 1: evaluate dataSet's design
//
// Thread safety: the factory keeps no state of its own; building reads the
// session's builder table under its lock, so engines may be built concurrently.
class EngineFactory {
public:
    virtual ~EngineFactory() = default;

    // Host-array mode. start and bounds as for the session (nDesignVariables
    // entries each); reals and ints may be null (the builder's fill values) and
    // are copied, so the caller may free them when the call returns.
    virtual std::shared_ptr<OptEngine> buildFromHost(
        int nDesignVariables, int nResponses, const std::vector<double>& start,
        const std::vector<std::vector<double>>& bounds, const double* reals, const int* ints,
        int engineType, int reportLevel) const = 0;

    // Data-set mode: the engine named by the data set's engine type, sharing it.
    virtual std::shared_ptr<OptEngine> buildFromDataSet(std::shared_ptr<DataSet> dataSet) const = 0;
};

// The library's factory. Declared here and defined by the session module
// (session/SessionEngineFactory.cpp) rather than installed through a setter at
// start-up: the library is also linked as a static archive (the test suite, the
// benchmarks, the fuzz target), and an archive member is linked only when
// something refers to it, so a self-registering session object would be left out
// of a program that fits a kriging model without ever opening a session, and the
// fit would fail at run time. Referring to engineFactory() links the session in.
const EngineFactory& engineFactory();

} // namespace Opt
