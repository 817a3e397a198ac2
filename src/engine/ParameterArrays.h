#pragma once

#include <vector>

namespace Opt {

// The engine's copy of a parameter array: count entries of values, or count fill
// values when values is null.
template <typename T>
std::vector<T> copyParameters(const T* values, int count, T fill)
{
    if (values == nullptr) {
        return std::vector<T>(static_cast<std::size_t>(count > 0 ? count : 0), fill);
    }
    return std::vector<T>(values, values + (count > 0 ? count : 0));
}

// The engine's copy of a settings list: its first count entries, filled up with
// the fill value when the list is shorter.
template <typename T>
std::vector<T> copyParameters(const std::vector<T>& values, int count, T fill)
{
    std::vector<T> result(static_cast<std::size_t>(count > 0 ? count : 0), fill);
    for (std::size_t i = 0; i < result.size() && i < values.size(); ++i) {
        result[i] = values[i];
    }
    return result;
}

} // namespace Opt
