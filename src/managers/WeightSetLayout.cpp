#include "managers/WeightSetLayout.h"

#include <array>
#include <cmath>
#include <sstream>
#include <stdexcept>

namespace Opt::RSM {

namespace {

using Key = WeightSetLayout::Key;

// The search order: the first key found wins.
constexpr std::array<Key, 4> kSearchOrder = {Key::Pd, Key::Pc, Key::Pb, Key::Pa};

[[noreturn]] void refuse(const std::ostringstream& text)
{
    throw std::invalid_argument(text.str());
}

void checkWeight(const WeightSetLayout::Weight* weight, Key key)
{
    std::ostringstream text;
    if (weight == nullptr) {
        text << "the weight set " << WeightSetLayout::keyText(key)
             << " reads the cross-bar weight, but weightSet is null";
        refuse(text);
    }
    if (!(std::isfinite(weight->lower) && std::isfinite(weight->upper) &&
          weight->lower <= weight->upper)) {
        text << "weightSet bounds [" << weight->lower << ", " << weight->upper
             << "] are not finite and ascending";
        refuse(text);
    }
    if (!(weight->value >= weight->lower && weight->value <= weight->upper)) {
        text << "weightSet value " << weight->value << " lies outside its bounds ["
             << weight->lower << ", " << weight->upper << "]";
        refuse(text);
    }
}

} // namespace

std::string WeightSetLayout::baseName(const std::string& fileName)
{
    const std::size_t separator = fileName.find_last_of("\\/");
    const std::size_t start = separator == std::string::npos ? 0 : separator + 1;
    const std::size_t dot = fileName.find_last_of('.');
    const std::size_t end = dot == std::string::npos || dot < start ? fileName.size() : dot;
    return fileName.substr(start, end - start);
}

const char* WeightSetLayout::keyText(Key key)
{
    switch (key) {
    case Key::Pd: return "cowlbar_weight_pd";
    case Key::Pc: return "cowlbar_weight_pc";
    case Key::Pb: return "cowlbar_weight_pb";
    case Key::Pa: return "cowlbar_weight_pa";
    }
    return "";
}

std::optional<WeightSetLayout> WeightSetLayout::fromFileName(const std::string& fileName)
{
    const std::string base = baseName(fileName);
    for (const Key key : kSearchOrder) {
        if (base.find(keyText(key)) != std::string::npos) {
            return WeightSetLayout(key);
        }
    }
    return std::nullopt;
}

WeightSetLayout::FormedDesign WeightSetLayout::form(
    const std::vector<double>& x, const std::vector<std::vector<double>>& bounds,
    int nSteering, const Weight* weight) const
{
    const int n = static_cast<int>(x.size());
    const bool crossBarOnly = setKey == Key::Pc || setKey == Key::Pd;
    if (nSteering < 0 || nSteering > n || (crossBarOnly && nSteering == n)) {
        std::ostringstream text;
        text << "nSteering = " << nSteering << " for " << n << " design variables (0.."
             << (crossBarOnly ? n - 1 : n) << " with the weight set " << keyText(setKey)
             << ")";
        refuse(text);
    }
    const std::size_t first = crossBarOnly ? static_cast<std::size_t>(nSteering) : 0;
    FormedDesign formed;
    formed.values.assign(x.begin() + static_cast<std::ptrdiff_t>(first), x.end());
    formed.bounds.assign(bounds.begin() + static_cast<std::ptrdiff_t>(first), bounds.end());
    if (readsWeight()) {
        checkWeight(weight, setKey);
        formed.values.push_back(weight->value);
        formed.bounds.push_back({weight->lower, weight->upper});
    }
    return formed;
}

} // namespace Opt::RSM
