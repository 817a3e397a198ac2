// The exported design-of-experiments services: arrangeDOE, arrangeDOE_ and
// get_nexp, and the C-safe forms arrangeDOEC and get_nexpC. They build a design
// from the four flat settings of Opt::DOE::DesignSettings and hand its points to
// the host. The C-safe forms return -2 for the point limit where the others let
// its exception go on to the caller, which a C host cannot catch.
#include "api/zelkor.h"

#include <algorithm>
#include <cmath>
#include <exception>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

#include "api/FlatInput.h"
#include "api/LastStatus.h"
#include "common/ErrorMessages.h"
#include "doe/DesignSettings.h"


namespace {

using Opt::DesignVariable;
using Opt::FlatInput::InconsistentInput;
using Opt::FlatInput::checkBoundList;
using Opt::FlatInput::checkFactorCount;
using Opt::FlatInput::listsFromFlat;
using Opt::FlatInput::reject;
using Opt::DOE::DesignSettings;

void checkSettings(const int* settings)
{
    if (settings == nullptr) {
        std::ostringstream text;
        text << "settings is null (four integers are needed)";
        reject(text);
    }
}

double startValue(const double* start, std::size_t i, const std::vector<double>& list)
{
    if (start == nullptr) {
        return (list.front() + list.back()) / 2.0;
    }
    if (!std::isfinite(start[i])) {
        std::ostringstream text;
        text << "the start value of design variable " << i << " is " << start[i];
        reject(text);
    }
    return start[i];
}

std::vector<DesignVariable> variablesFromLists(const std::vector<std::vector<double>>& lists,
                                               const double* start)
{
    std::vector<DesignVariable> variables;
    variables.reserve(lists.size());
    for (std::size_t i = 0; i < lists.size(); ++i) {
        checkBoundList(i, lists[i].data(), lists[i].size());
        variables.emplace_back(lists[i], startValue(start, i, lists[i]));
    }
    return variables;
}

constexpr int kPointLimitResult = -2;

enum class PointLimit { Throw, Return };

int fail(const std::string& line, int status, int result)
{
    std::cerr << line << '\n';
    Opt::LastStatus::set(status, line);
    return result;
}

// Runs one service: inconsistent input gives -1 and the construction errors of a
// design give 0, each with one line on standard error; the point-limit message
// goes on to the caller, or gives -2 with one line for the C-safe forms. Every
// outcome is recorded as the thread's last status; no design at all counts as
// invalid input.
template <typename Service>
int guarded(const char* name, PointLimit pointLimit, Service service)
{
    const std::string prefix = std::string(name) + ": ";
    try {
        const int count = service();
        if (count == 0) {
            Opt::LastStatus::set(ZELKOR_STATUS_INVALID_INPUT,
                                 prefix + "the settings select no design");
        } else {
            Opt::LastStatus::set(ZELKOR_STATUS_OK);
        }
        return count;
    } catch (const InconsistentInput& input) {
        return fail(prefix + input.message + "; no design arranged", ZELKOR_STATUS_INVALID_INPUT,
                    -1);
    } catch (const std::string& message) {
        if (message == Opt::errorMessage(Opt::ErrorCode::PointLimitExceeded)) {
            Opt::LastStatus::set(ZELKOR_STATUS_INVALID_INPUT, prefix + message);
            if (pointLimit == PointLimit::Throw) {
                throw;
            }
            return fail(prefix + message, ZELKOR_STATUS_INVALID_INPUT, kPointLimitResult);
        }
        return fail(prefix + message, ZELKOR_STATUS_INVALID_INPUT, 0);
    } catch (const std::exception& error) {
        return fail(prefix + error.what() + "; no design arranged", ZELKOR_STATUS_ENGINE_ERROR,
                    -1);
    } catch (...) {
        return fail(prefix + "unexpected failure; no design arranged",
                    ZELKOR_STATUS_ENGINE_ERROR, -1);
    }
}

int pointCount(const int* settings, int nFactors)
{
    checkSettings(settings);
    checkFactorCount(nFactors);
    return DesignSettings::fromStudyFlat(settings).pointCount(nFactors);
}

int arrangeFlat(const int* settings, int nFactors, const double* start,
                const double* boundLists, const int* listLengths, double* points, int maxPoints)
{
    checkSettings(settings);
    checkFactorCount(nFactors);
    if (maxPoints < 0 || (maxPoints > 0 && points == nullptr)) {
        std::ostringstream text;
        text << "points " << (points == nullptr ? "is null" : "is given") << " with maxPoints = "
             << maxPoints;
        reject(text);
    }
    const auto variables =
        variablesFromLists(listsFromFlat(nFactors, boundLists, listLengths), start);
    const auto design = DesignSettings::fromFlat(settings).arrange(variables);
    if (!design) {
        return 0;
    }
    const auto& rows = design->pointSet->points;
    const std::size_t written = std::min(rows.size(), static_cast<std::size_t>(maxPoints));
    for (std::size_t p = 0; p < written; ++p) {
        std::copy(rows[p].begin(), rows[p].end(), points + p * rows[p].size());
    }
    return design->pointCount;
}

} // namespace

extern "C" ZELKOR_API int get_nexp(const int* settings, int nFactors)
{
    return guarded("get_nexp", PointLimit::Throw, [&] { return pointCount(settings, nFactors); });
}

extern "C" ZELKOR_API int get_nexpC(const int* settings, int nFactors)
{
    return guarded("get_nexpC", PointLimit::Return, [&] { return pointCount(settings, nFactors); });
}

extern "C" ZELKOR_API int arrangeDOE_(const int* settings, int nFactors, const double* start,
                                      const double* boundLists, const int* listLengths,
                                      double* points, int maxPoints)
{
    return guarded("arrangeDOE_", PointLimit::Throw, [&] {
        return arrangeFlat(settings, nFactors, start, boundLists, listLengths, points, maxPoints);
    });
}

extern "C" ZELKOR_API int arrangeDOEC(const int* settings, int nFactors, const double* start,
                                      const double* boundLists, const int* listLengths,
                                      double* points, int maxPoints)
{
    return guarded("arrangeDOEC", PointLimit::Return, [&] {
        return arrangeFlat(settings, nFactors, start, boundLists, listLengths, points, maxPoints);
    });
}

extern "C" ZELKOR_API int arrangeDOE(const int* settings, const std::vector<double>* start,
                                     const std::vector<std::vector<double>>* bounds,
                                     std::vector<std::vector<double>>* points)
{
    return guarded("arrangeDOE", PointLimit::Throw, [&] {
        checkSettings(settings);
        std::ostringstream text;
        if (bounds == nullptr || points == nullptr) {
            text << (bounds == nullptr ? "bounds" : "points") << " is null";
            reject(text);
        }
        if (bounds->empty()) {
            text << "bounds holds no bound lists (at least one design variable is needed)";
            reject(text);
        }
        if (start != nullptr && start->size() < bounds->size()) {
            text << "start holds " << start->size() << " values for " << bounds->size()
                 << " design variables";
            reject(text);
        }
        const auto variables = variablesFromLists(*bounds, start ? start->data() : nullptr);
        points->clear();
        const auto design = DesignSettings::fromFlat(settings).arrange(variables);
        if (!design) {
            return 0;
        }
        *points = design->pointSet->points;
        return design->pointCount;
    });
}
