#include "api/FlatInput.h"

#include <cmath>

namespace Opt::FlatInput {

void reject(const std::ostringstream& text)
{
    throw InconsistentInput{text.str()};
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

std::vector<std::vector<double>> checkedListsFromFlat(int nFactors, const double* boundLists,
                                                      const int* listLengths)
{
    checkFactorCount(nFactors);
    auto bounds = listsFromFlat(nFactors, boundLists, listLengths);
    for (std::size_t i = 0; i < bounds.size(); ++i) {
        checkBoundList(i, bounds[i].data(), bounds[i].size());
    }
    return bounds;
}

} // namespace Opt::FlatInput
