#pragma once

#include <cstddef>
#include <sstream>
#include <string>
#include <vector>

namespace Opt::FlatInput {

// The checks of the plain-array arguments that the design and surrogate services
// share. Each throws InconsistentInput with a message naming the argument; the
// exported function turns it into its error result and one line on standard
// error.
struct InconsistentInput {
    std::string message;
};

[[noreturn]] void reject(const std::ostringstream& text);

// At least one design variable.
void checkFactorCount(int nFactors);

// Bound list i: at least two finite values, lower not above upper, levels
// ascending.
void checkBoundList(std::size_t i, const double* list, std::size_t length);

// The bound lists laid one after another in boundLists, variable i taking
// listLengths[i] values (two each when listLengths is null). The lists are not
// checked here (checkBoundList).
std::vector<std::vector<double>> listsFromFlat(int nFactors, const double* boundLists,
                                               const int* listLengths);

// checkFactorCount, listsFromFlat and checkBoundList on every list: the bound
// lists of an entry point's flat arguments, checked.
std::vector<std::vector<double>> checkedListsFromFlat(int nFactors, const double* boundLists,
                                                      const int* listLengths);

} // namespace Opt::FlatInput
