#pragma once

#include <deque>
#include <string>
#include <vector>

#include "engine/OptEngine.h"

namespace Opt::Testing {

// A small engine for exercising the core: each phase operation (and
// receiveResponses) returns the next code of its script, or Continue when its
// script is empty, and every call is logged by name. It keeps the core's
// default publishing, normalising and response storage.
class ScriptedEngine : public OptEngine {
public:
    using OptEngine::OptEngine;
    using OptEngine::setResponseCount;
    using OptEngine::startReport;
    using OptEngine::storeResponses;

    std::deque<StepCode> beginScript;
    std::deque<StepCode> computeScript;
    std::deque<StepCode> updateScript;
    std::deque<StepCode> endScript;
    std::deque<StepCode> receiveScript;
    std::vector<std::string> calls;
    std::vector<double> reals; // the parameter arrays the builder handed over
    std::vector<int> ints;
    bool finishGotNull = false;

    StepCode receiveResponses(const double* f, double** g) override
    {
        calls.push_back("receive");
        const StepCode limit = OptEngine::receiveResponses(f, g);
        if (limit == StepCode::Error || receiveScript.empty()) {
            return limit;
        }
        return next(receiveScript);
    }
    StepCode beginIteration(double*, double*, double**) override
    {
        calls.push_back("begin");
        return next(beginScript);
    }
    void prepareStep() override { calls.push_back("prepare"); }
    StepCode computeStep(double*, double*, double**) override
    {
        calls.push_back("compute");
        return next(computeScript);
    }
    StepCode updateStep() override
    {
        calls.push_back("update");
        return next(updateScript);
    }
    StepCode endIteration(double*) override
    {
        calls.push_back("end");
        return next(endScript);
    }
    void finish(double* x) override
    {
        calls.push_back("finish");
        finishGotNull = x == nullptr;
    }

private:
    static StepCode next(std::deque<StepCode>& script)
    {
        if (script.empty()) {
            return StepCode::Continue;
        }
        const StepCode code = script.front();
        script.pop_front();
        return code;
    }
};

} // namespace Opt::Testing
