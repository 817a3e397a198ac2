// The exported design-of-experiments services: arrangeDOE, arrangeDOE_ and
// get_nexp. They build a design from the four flat settings of
// Opt::DOE::DesignSettings and hand its points to the host.
#include "api/zelkor.h"

#include <algorithm>
#include <cmath>
#include <exception>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

#include "common/ErrorMessages.h"
#include "doe/DesignSettings.h"

/*
 * Designs of experiments.
 *
 * settings: four ints.
 *   [0] design type: 0 full factorial, 1 central composite, 2 Latin hypercube,
 *       3 one-dimensional parameter study, 4 orthogonal array; any other value
 *       selects no design.
 *   [1] 1: snap every variable that has discrete levels to the nearest level and
 *       drop points that then coincide (closer than 1e-4 in units of the ranges).
 *   [2] full factorial: levels per variable, 1 to 3 (1 puts every variable at
 *       mid-range); central composite: axial type, 0 face-centred, 1 inscribed,
 *       2 circumscribed (axial points outside the bounds); Latin hypercube:
 *       0 random position within each cell, 1 cell corners; one-dimensional
 *       study: index of the studied variable; orthogonal array: levels, 2 to 5.
 *   [3] Latin hypercube: samples; one-dimensional study: points; orthogonal
 *       array: runs (2 levels: 4, 8, 12, 16, 32, 96; 3 levels: 9, 18, 36, 81;
 *       4 levels: 16, 32, 64; 5 levels: 25, 50).
 * Latin hypercubes are seeded from the clock, so each call gives a new sample.
 *
 * Points are in caller units, one row per point, one value per variable in
 * variable order. The library keeps nothing: every array may be freed as soon
 * as the call returns.
 *
 * Results: the number of points of the design; 0 when the settings select no
 * design (an orthogonal array the catalogue lacks, or with more variables than
 * it has columns, also writes "CANNOT FIND ADEQUATE ORTHGONAL ARRAY TABLE." to
 * standard error); -1 for inconsistent input (a null array, a count below 1, a
 * bound list of fewer than two values, a non-finite value, a lower bound above
 * the upper, levels not ascending), with one line on standard error naming the
 * argument.
 *
 * Point limit: a design of more than 10000 points throws the C++ exception
 * std::string("THE NUMBER OF EXPERIMENTAL POINT EXCEEDS IT'S LIMIT.") out of
 * these functions, to the caller. Only a full factorial with
 * levels^nFactors > 10000, a central composite of 4744 or more variables, or
 * settings[3] > 10000 gets there; a C host, which cannot catch it, must keep
 * within those sizes.
 */
extern "C" {

/* The number of points the design of settings has for nFactors variables. For
   types 2, 3 and 4 this is settings[3] and nothing is built (an orthogonal array
   the catalogue lacks still reports settings[3]; arrangeDOE_ then returns 0);
   for types 0 and 1 the design is built on placeholder variables. A
   one-dimensional study with settings[1] = 1 whose studied variable has
   discrete levels has one point per level instead: call arrangeDOE_ with
   maxPoints 0 to learn its size. */
ZELKOR_API int get_nexp(const int* settings, int nFactors);

/* Arranges the design of settings for nFactors variables and writes its points
   into points, row by row.
   start: nFactors values, the base point of a one-dimensional study (the other
   designs do not read it); may be null: every variable then sits at mid-range.
   boundLists: the variables' bound lists one after another, variable i taking
   listLengths[i] values, [lower, upper] for a continuous variable and
   [lower, level..., upper] for a discrete one (levels ascending); listLengths
   may be null when every list is [lower, upper].
   points: room for maxPoints rows of nFactors doubles; may be null when
   maxPoints is 0.
   Returns the number of points of the design; when it exceeds maxPoints only the
   first maxPoints rows are written. */
ZELKOR_API int arrangeDOE_(const int* settings, int nFactors, const double* start,
                           const double* boundLists, const int* listLengths, double* points,
                           int maxPoints);

/* As arrangeDOE_ with the library's vector forms: bounds holds one bound list per
   variable, laid out as above, and its size is the number of variables; start is
   null or holds at least that many values; points is replaced by the design's
   rows (emptied when the settings select no design, untouched on inconsistent
   input). */
ZELKOR_API int arrangeDOE(const int* settings, const std::vector<double>* start,
                          const std::vector<std::vector<double>>* bounds,
                          std::vector<std::vector<double>>* points);

} /* extern "C" */

namespace {

using Opt::DesignVariable;
using Opt::DOE::DesignSettings;

// Thrown by the input checks below and turned into result -1 at the boundary.
struct InconsistentInput {
    std::string message;
};

[[noreturn]] void reject(const std::ostringstream& text)
{
    throw InconsistentInput{text.str()};
}

void checkSettings(const int* settings)
{
    if (settings == nullptr) {
        std::ostringstream text;
        text << "settings is null (four integers are needed)";
        reject(text);
    }
}

void checkFactorCount(int nFactors)
{
    if (nFactors < 1) {
        std::ostringstream text;
        text << "nFactors = " << nFactors << " (at least one design variable is needed)";
        reject(text);
    }
}

void checkBoundList(std::size_t i, const double* list, std::size_t length)
{
    std::ostringstream text;
    if (length < 2) {
        text << "the bound list of design variable " << i << " holds " << length
             << " values (a lower and an upper bound are needed)";
        reject(text);
    }
    for (std::size_t k = 0; k < length; ++k) {
        if (!std::isfinite(list[k])) {
            text << "entry " << k << " of the bound list of design variable " << i << " is "
                 << list[k];
            reject(text);
        }
    }
    if (list[0] > list[length - 1]) {
        text << "design variable " << i << " has lower bound " << list[0]
             << " above its upper bound " << list[length - 1];
        reject(text);
    }
    for (std::size_t k = 2; k + 1 < length; ++k) {
        if (list[k] < list[k - 1]) {
            text << "the levels of design variable " << i << " are not ascending (entry " << k
                 << " is " << list[k] << " after " << list[k - 1] << ")";
            reject(text);
        }
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

std::vector<std::vector<double>> listsFromFlat(int nFactors, const double* boundLists,
                                               const int* listLengths)
{
    if (boundLists == nullptr) {
        std::ostringstream text;
        text << "boundLists is null";
        reject(text);
    }
    constexpr int kContinuousListLength = 2;
    std::vector<std::vector<double>> lists;
    const double* next = boundLists;
    for (int i = 0; i < nFactors; ++i) {
        const int length = listLengths == nullptr ? kContinuousListLength : listLengths[i];
        if (length < kContinuousListLength) {
            std::ostringstream text;
            text << "listLengths[" << i << "] = " << length
                 << " (a lower and an upper bound are needed)";
            reject(text);
        }
        lists.emplace_back(next, next + length);
        next += length;
    }
    return lists;
}

// Runs one service: inconsistent input gives -1 and the construction errors of a
// design give 0, each with one line on standard error; the point-limit message
// goes on to the caller.
template <typename Service>
int guarded(const char* name, Service service)
{
    try {
        return service();
    } catch (const InconsistentInput& input) {
        std::cerr << name << ": " << input.message << "; no design arranged\n";
        return -1;
    } catch (const std::string& message) {
        if (message == Opt::errorMessage(Opt::ErrorCode::PointLimitExceeded)) {
            throw;
        }
        std::cerr << name << ": " << message << '\n';
        return 0;
    } catch (const std::exception& error) {
        std::cerr << name << ": " << error.what() << "; no design arranged\n";
        return -1;
    } catch (...) {
        std::cerr << name << ": unexpected failure; no design arranged\n";
        return -1;
    }
}

} // namespace

extern "C" ZELKOR_API int get_nexp(const int* settings, int nFactors)
{
    return guarded("get_nexp", [&] {
        checkSettings(settings);
        checkFactorCount(nFactors);
        return DesignSettings::fromFlat(settings).pointCount(nFactors);
    });
}

extern "C" ZELKOR_API int arrangeDOE_(const int* settings, int nFactors, const double* start,
                                      const double* boundLists, const int* listLengths,
                                      double* points, int maxPoints)
{
    return guarded("arrangeDOE_", [&] {
        checkSettings(settings);
        checkFactorCount(nFactors);
        if (maxPoints < 0 || (maxPoints > 0 && points == nullptr)) {
            std::ostringstream text;
            text << "points " << (points == nullptr ? "is null" : "is given") << " with maxPoints = "
                 << maxPoints;
            reject(text);
        }
        const auto variables = variablesFromLists(listsFromFlat(nFactors, boundLists, listLengths), start);
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
    });
}

extern "C" ZELKOR_API int arrangeDOE(const int* settings, const std::vector<double>* start,
                                     const std::vector<std::vector<double>>* bounds,
                                     std::vector<std::vector<double>>* points)
{
    return guarded("arrangeDOE", [&] {
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
