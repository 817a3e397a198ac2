#include "session/EngineBuilder.h"

#include <map>
#include <mutex>

#include "direct/DIRECT.h"
#include "gradient/SequentialQuadraticProgramming.h"
#include "lp/LinearProgramming.h"

namespace Opt {

namespace {

EngineBuilder directBuilder()
{
    EngineBuilder builder;
    builder.engineType = DIRECT::kMethodCode;
    builder.realCount = DIRECTParameter::kRealCount;
    builder.intCount = DIRECTParameter::kIntCount;
    builder.realFill = 0.0;
    builder.intFill = 0;
    builder.buildFromHost = [](const HostEngineInput& in) {
        return std::make_shared<DIRECT>(in.start, in.bounds, in.nResponses, in.reals, in.ints,
                                        in.reportLevel);
    };
    builder.buildFromDataSet = [](const DataSetEngineInput& in) {
        return std::make_shared<DIRECT>(in.dataSet, in.reals, in.ints);
    };
    return builder;
}

EngineBuilder sqpBuilder()
{
    EngineBuilder builder;
    builder.engineType = SequentialQuadraticProgramming::kMethodCode;
    builder.realCount = SQPParameter::kRealCount;
    builder.intCount = SQPParameter::kIntCount;
    builder.realFill = -999.0;
    builder.intFill = -999;
    builder.buildFromHost = [](const HostEngineInput& in) {
        return std::make_shared<SequentialQuadraticProgramming>(in.start, in.bounds, in.nResponses,
                                                                in.reals, in.ints, in.reportLevel);
    };
    builder.buildFromDataSet = [](const DataSetEngineInput& in) {
        return std::make_shared<SequentialQuadraticProgramming>(in.dataSet, in.reals, in.ints);
    };
    return builder;
}

// Linear programming takes its program through the linear-data hook, not as
// design variables, so the session does not check a problem for it.
EngineBuilder linearProgrammingBuilder()
{
    EngineBuilder builder;
    builder.engineType = LinearProgramming::kEngineType;
    builder.realCount = LinearProgrammingParameter::kRealCount;
    builder.intCount = LinearProgrammingParameter::kIntCount;
    builder.needsResponses = false;
    builder.checksProblem = false;
    builder.buildFromHost = [](const HostEngineInput& in) {
        return std::make_shared<LinearProgramming>(in.reals, in.ints);
    };
    return builder;
}

// The library's engines, one row per engine type. Each engine adds its row here.
std::vector<EngineBuilder> libraryBuilders()
{
    return {sqpBuilder(), directBuilder(), linearProgrammingBuilder()};
}

struct BuilderTable {
    std::mutex mutex;
    std::map<int, EngineBuilder> builders;

    BuilderTable()
    {
        for (const EngineBuilder& builder : libraryBuilders()) {
            builders[builder.engineType] = builder;
        }
    }
};

BuilderTable& table()
{
    static BuilderTable instance;
    return instance;
}

} // namespace

const EngineBuilder* findEngineBuilder(int engineType)
{
    BuilderTable& builders = table();
    std::lock_guard<std::mutex> lock(builders.mutex);
    const auto it = builders.builders.find(engineType);
    return it == builders.builders.end() ? nullptr : &it->second;
}

void registerEngineBuilder(const EngineBuilder& builder)
{
    BuilderTable& builders = table();
    std::lock_guard<std::mutex> lock(builders.mutex);
    builders.builders[builder.engineType] = builder;
}

} // namespace Opt
