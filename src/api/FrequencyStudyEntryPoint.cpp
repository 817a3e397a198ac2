// Optimize_Mode_RAZ2015: the frequency study of the steering system on its cowl
// cross-bar and body, on two stored surrogate sets (ours: its arguments, its
// search and its output). The study itself is RSM::FrequencyStudy; this entry
// point checks the plain arrays, runs it, prints its lines and hands back the
// design, the mode table and the evaluation counts.
#include "api/zelkor.h"

#include <algorithm>
#include <iostream>
#include <stdexcept>
#include <string>
#include <vector>

#include "api/EntryPointGuard.h"
#include "api/FlatInput.h"
#include "api/LastStatus.h"
#include "managers/FrequencyStudy.h"

namespace Opt {

namespace {

using RSM::FrequencyStudy;

constexpr const char* kName = "Optimize_Mode_RAZ2015";

FrequencyStudy::Modes modesFrom(const double* values, const char* name)
{
    if (values == nullptr) {
        throw std::invalid_argument(std::string(name) + " is null (three frequencies in Hz)");
    }
    return {values[0], values[1], values[2]};
}

FrequencyStudy::Settings settingsFrom(const char* steeringModelFile, const char* cowlModelFile,
                                      int n, const double* boundLists, int nSteering,
                                      const double* weightSet, const double* buckFrequencies,
                                      const double* bodyFrequencies, double targetFrequency,
                                      double separation, int searchBudget)
{
    if (steeringModelFile == nullptr || cowlModelFile == nullptr) {
        throw std::invalid_argument("steeringModelFile and cowlModelFile must not be null");
    }
    FrequencyStudy::Settings settings;
    settings.steeringFile = steeringModelFile;
    settings.cowlFile = cowlModelFile;
    try {
        settings.bounds = FlatInput::checkedListsFromFlat(n, boundLists, nullptr);
    } catch (const FlatInput::InconsistentInput& input) {
        throw std::invalid_argument(input.message);
    }
    settings.nSteering = nSteering;
    if (weightSet != nullptr) {
        settings.weight = RSM::WeightSetLayout::Weight{weightSet[0], weightSet[1], weightSet[2]};
    }
    settings.buck = modesFrom(buckFrequencies, "buckFrequencies");
    settings.body = modesFrom(bodyFrequencies, "bodyFrequencies");
    settings.target = targetFrequency;
    settings.separation = separation;
    settings.searchBudget = searchBudget;
    return settings;
}

// The rows of the mode table in the documented order, three modes each.
void copyModes(const FrequencyStudy::ModeTable& table, double* modes)
{
    for (const auto* row : {&table.steeringOnBuck, &table.column, &table.cowlAndBody,
                            &table.crossBar, &table.assembled}) {
        modes = std::copy(row->begin(), row->end(), modes);
    }
}

} // namespace

} // namespace Opt

using namespace Opt;

extern "C" ZELKOR_API int Optimize_Mode_RAZ2015(
    const char* steeringModelFile, const char* cowlModelFile, int n, double* x,
    const double* boundLists, int nSteering, const double* weightSet,
    const double* buckFrequencies, const double* bodyFrequencies, double targetFrequency,
    double separation, int searchBudget, double* modes, int* evaluationCounts)
{
    return guardEntryPoint(kName, 0, [&] {
        FrequencyStudy::Result result;
        try {
            if (x == nullptr) {
                throw std::invalid_argument("x is null");
            }
            FrequencyStudy study(settingsFrom(steeringModelFile, cowlModelFile, n, boundLists,
                                              nSteering, weightSet, buckFrequencies,
                                              bodyFrequencies, targetFrequency, separation,
                                              searchBudget));
            result = study.run(std::vector<double>(x, x + n));
            study.report(result, std::cout);
            std::cout.flush();
        } catch (const std::invalid_argument& input) {
            return rejectArgument(kName, input.what());
        } catch (const FrequencyStudy::ModelSetUnavailable& file) {
            return rejectArgument(kName, file.what());
        }
        std::copy(result.design.begin(), result.design.end(), x);
        if (modes != nullptr) {
            copyModes(result.modes, modes);
        }
        if (evaluationCounts != nullptr) {
            evaluationCounts[0] = result.steeringEvaluations;
            evaluationCounts[1] = result.cowlEvaluations;
        }
        LastStatus::set(result.meetsRequirements ? ZELKOR_STATUS_OK : ZELKOR_STATUS_INFEASIBLE,
                        result.meetsRequirements
                            ? std::string()
                            : std::string(kName) + ": the best design misses the target or "
                                                   "the separation");
        return result.meetsRequirements ? 1 : 0;
    });
}
