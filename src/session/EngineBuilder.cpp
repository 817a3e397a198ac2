#include "session/EngineBuilder.h"

#include <algorithm>
#include <iostream>
#include <map>
#include <mutex>

#include "direct/DIRECT.h"
#include "ga/GeneticAlgorithm.h"
#include "ga/HybridGA.h"
#include "ga/MicroGA.h"
#include "ga/MicroGARectDimension.h"
#include "ga/MicroGARoundDimension.h"
#include "ga/SWWGA.h"
#include "gradient/SequentialQuadraticProgramming.h"
#include "lp/LinearProgramming.h"
#include "managers/RSMManager.h"
#include "managers/RobustOptManager.h"
#include "managers/SAOManager.h"
#include "managers/SAOManagerForLEM.h"
#include "reliability/ReliabilityAnalysis.h"

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

template <typename Engine>
bool acceptedByGeneticEngine(const std::vector<double>& reals, const std::vector<int>& ints,
                             const std::vector<std::vector<double>>& bounds)
{
    GAParameter settings;
    settings.load(reals.data(), ints.data());
    return GeneticAlgorithm::acceptsSettings(Engine::kName, settings, bounds,
                                             Engine::kForcesRealCoding);
}

// The genetic algorithms share one row layout; an engine whose settings it
// cannot run (coding 2) is not built.
template <typename Engine>
EngineBuilder geneticBuilder(int engineType, int realCount, int intCount)
{
    EngineBuilder builder;
    builder.engineType = engineType;
    builder.realCount = realCount;
    builder.intCount = intCount;
    builder.buildFromHost = [](const HostEngineInput& in) -> std::shared_ptr<OptEngine> {
        if (!acceptedByGeneticEngine<Engine>(in.reals, in.ints, in.bounds)) {
            return nullptr;
        }
        return std::make_shared<Engine>(in.start, in.bounds, in.nResponses, in.reals, in.ints,
                                        in.reportLevel);
    };
    builder.buildFromDataSet = [](const DataSetEngineInput& in) -> std::shared_ptr<OptEngine> {
        if (!acceptedByGeneticEngine<Engine>(in.reals, in.ints, in.dataSet->bounds)) {
            return nullptr;
        }
        return std::make_shared<Engine>(in.dataSet, in.reals, in.ints);
    };
    return builder;
}

// The reinforcement-layout micro-GA: ints[19] 1 spreads the bars along a
// rectangular section's width, any other value around a circular section. It
// designs one bar diameter and one spacing; host-array mode only.
EngineBuilder layoutMicroGABuilder()
{
    EngineBuilder builder;
    builder.engineType = LayoutMicroGA::kEngineType;
    builder.realCount = GAParameter::kRealCount;
    builder.intCount = GAParameter::kIntCount;
    builder.buildFromHost = [](const HostEngineInput& in) -> std::shared_ptr<OptEngine> {
        if (in.bounds.size() != LayoutMicroGA::kVariables) {
            std::cerr << "MicroGA layout: " << in.bounds.size()
                      << " design variables; the layout has two (bar diameter, spacing)"
                      << std::endl;
            return nullptr;
        }
        if (!acceptedByGeneticEngine<LayoutMicroGA>(in.reals, in.ints, in.bounds)) {
            return nullptr;
        }
        constexpr std::size_t kSectionChoice = 19;
        if (in.ints[kSectionChoice] == 1) {
            return std::make_shared<MicroGARectDimension>(in.start, in.bounds, in.nResponses,
                                                          in.reals, in.ints, in.reportLevel);
        }
        return std::make_shared<MicroGARoundDimension>(in.start, in.bounds, in.nResponses, in.reals,
                                                       in.ints, in.reportLevel);
    };
    return builder;
}

// The generational GA of the reinforcement-design drivers; host-array mode only.
EngineBuilder swwgaBuilder()
{
    EngineBuilder builder;
    builder.engineType = SWWGA::kMethodCode;
    builder.realCount = GAParameter::kRealCount;
    builder.intCount = GAParameter::kIntCount;
    builder.buildFromHost = [](const HostEngineInput& in) -> std::shared_ptr<OptEngine> {
        if (!acceptedByGeneticEngine<SWWGA>(in.reals, in.ints, in.bounds)) {
            return nullptr;
        }
        return std::make_shared<SWWGA>(in.start, in.bounds, in.nResponses, in.reals, in.ints,
                                       in.reportLevel);
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

// The surrogate studies: every type builds from a data set; in host-array mode
// type 7 arranges its design from five ints (the four design settings, then 1
// for a Latin hypercube seeded with 0) and type 9 is built from the variables
// alone, for the model-file services.
EngineBuilder surrogateStudyBuilder(int engineType)
{
    EngineBuilder builder;
    builder.engineType = engineType;
    builder.needsResponses = false;
    builder.buildFromDataSet = [](const DataSetEngineInput& in) {
        return std::make_shared<RSM::RSMManager>(in.dataSet);
    };
    if (engineType == RSM::RSMManager::kArrangeOnly) {
        builder.intCount = RSM::RSMManager::kArrangeIntCount;
        builder.buildFromHost = [](const HostEngineInput& in) {
            return std::make_shared<RSM::RSMManager>(in.start, in.bounds, in.ints);
        };
    } else if (engineType == RSM::RSMManager::kStoredStudy) {
        builder.buildFromHost = [](const HostEngineInput& in) {
            return std::make_shared<RSM::RSMManager>(in.start, in.bounds);
        };
    }
    return builder;
}

// The robust study: from a data set only, whose RobustSettings it reads.
EngineBuilder robustStudyBuilder()
{
    EngineBuilder builder;
    builder.engineType = RSM::RSMManager::kRobustStudy;
    builder.needsResponses = false;
    builder.buildFromDataSet = [](const DataSetEngineInput& in) {
        return std::make_shared<RSM::RobustOptManager>(in.dataSet);
    };
    return builder;
}

// The reliability analysis: host-array mode reads its own settings and the
// study's from ints (ReliabilityAnalysis documents the eleven entries; -1
// takes a default); the random inputs come through setRandomInputs.
EngineBuilder reliabilityBuilder()
{
    EngineBuilder builder;
    builder.engineType = ReliabilityAnalysis::kEngineType;
    builder.intCount = ReliabilityAnalysis::kHostIntCount;
    builder.intFill = -1;
    builder.buildFromHost = [](const HostEngineInput& in) {
        return std::make_shared<ReliabilityAnalysis>(in.start, in.bounds, in.nResponses, in.ints);
    };
    builder.buildFromDataSet = [](const DataSetEngineInput& in) {
        return std::make_shared<ReliabilityAnalysis>(in.dataSet, in.ints);
    };
    return builder;
}

// The sequential approximate optimisation runs on continuous boxes with one of
// the six surrogate types; other settings get one line on standard error and no
// engine.
bool acceptedBySao(const std::vector<std::vector<double>>& bounds, const std::vector<int>& ints)
{
    RSM::SAOParameter settings;
    settings.load(nullptr, ints.data());
    const bool anyDiscrete = std::any_of(bounds.begin(), bounds.end(),
                                         [](const std::vector<double>& list) { return list.size() > 2; });
    if (anyDiscrete) {
        std::cerr << "SAO: discrete variables are not supported (the design and the search "
                     "run on continuous boxes); no engine built"
                  << std::endl;
        return false;
    }
    if (settings.surrogateType < 1 || settings.surrogateType > 6) {
        std::cerr << "SAO: surrogate type ints[5] = " << settings.surrogateType
                  << " (1 to 6 exist); no engine built" << std::endl;
        return false;
    }
    return true;
}

EngineBuilder saoBuilder()
{
    EngineBuilder builder;
    builder.engineType = RSM::SAOManager::kEngineType;
    builder.realCount = RSM::SAOParameter::kRealCount;
    builder.intCount = RSM::SAOParameter::kIntCount;
    builder.buildFromHost = [](const HostEngineInput& in) -> std::shared_ptr<OptEngine> {
        if (!acceptedBySao(in.bounds, in.ints)) {
            return nullptr;
        }
        return std::make_shared<RSM::SAOManager>(in.start, in.bounds, in.nResponses, in.reals,
                                                 in.ints, in.reportLevel);
    };
    builder.buildFromDataSet = [](const DataSetEngineInput& in) -> std::shared_ptr<OptEngine> {
        if (!acceptedBySao(in.dataSet->bounds, in.ints)) {
            return nullptr;
        }
        return std::make_shared<RSM::SAOManager>(in.dataSet, in.reals, in.ints);
    };
    return builder;
}

// The slope-stability search: host-array mode only, one response (the factor
// of safety), no report.
EngineBuilder saoForLEMBuilder()
{
    EngineBuilder builder;
    builder.engineType = RSM::SAOManagerForLEM::kEngineType;
    builder.realCount = RSM::SAOManagerForLEM::kRealCount;
    builder.intCount = RSM::SAOManagerForLEM::kIntCount;
    builder.buildFromHost = [](const HostEngineInput& in) -> std::shared_ptr<OptEngine> {
        if (in.nResponses != 1) {
            std::cerr << "SAO for LEM: " << in.nResponses
                      << " responses; the slip-surface search takes one, the factor of safety; "
                         "no engine built"
                      << std::endl;
            return nullptr;
        }
        if (!acceptedBySao(in.bounds, in.ints)) {
            return nullptr;
        }
        return std::make_shared<RSM::SAOManagerForLEM>(in.start, in.bounds, in.nResponses,
                                                       in.reals, in.ints);
    };
    return builder;
}

// The library's engines, one row per engine type. Each engine adds its row here.
std::vector<EngineBuilder> libraryBuilders()
{
    return {sqpBuilder(),
            directBuilder(),
            linearProgrammingBuilder(),
            geneticBuilder<GeneticAlgorithm>(GeneticAlgorithm::kMethodCode, GAParameter::kRealCount,
                                             GAParameter::kIntCount),
            geneticBuilder<MicroGA>(MicroGA::kMethodCode, GAParameter::kRealCount,
                                    GAParameter::kIntCount),
            layoutMicroGABuilder(),
            swwgaBuilder(),
            geneticBuilder<HybridGA>(HybridGA::kMethodCode, HybridGA::kRealCount,
                                     HybridGA::kIntCount),
            surrogateStudyBuilder(RSM::RSMManager::kArrangeOnly),
            surrogateStudyBuilder(RSM::RSMManager::kStudy),
            surrogateStudyBuilder(RSM::RSMManager::kStoredStudy),
            robustStudyBuilder(),
            surrogateStudyBuilder(RSM::RSMManager::kCheckedStudy),
            surrogateStudyBuilder(RSM::RSMManager::kFitOnly),
            reliabilityBuilder(),
            saoBuilder(),
            saoForLEMBuilder()};
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
