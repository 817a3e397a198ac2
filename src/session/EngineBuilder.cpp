#include "session/EngineBuilder.h"

#include <map>
#include <mutex>

namespace Opt {

namespace {

// The library's engines, one row per engine type. Each engine adds its row here.
std::vector<EngineBuilder> libraryBuilders()
{
    return {};
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
