#include "ga/GARepository.h"

namespace Opt {

void GARepository::reserve(int entries)
{
    if (entries > 0) {
        storedResponses.reserve(static_cast<std::size_t>(entries));
    }
}

bool GARepository::find(int coding, const GAGenomes& strings, int i)
{
    matchIndex = -1;
    if (coding == GAGenomes::kBinary) {
        const auto& population = strings.binaryStrings();
        if (i < 0 || static_cast<std::size_t>(i) >= population.size()) {
            return false;
        }
        const GABinaryString& wanted = population[static_cast<std::size_t>(i)];
        for (std::size_t k = 0; k < storedBinary.size(); ++k) {
            if (storedBinary[k].sameBits(wanted, wanted.length())) {
                matchIndex = static_cast<int>(k);
                return true;
            }
        }
    } else if (coding == GAGenomes::kReal) {
        const auto& population = strings.realStrings();
        if (i < 0 || static_cast<std::size_t>(i) >= population.size()) {
            return false;
        }
        const GARealString& wanted = population[static_cast<std::size_t>(i)];
        for (std::size_t k = 0; k < storedReal.size(); ++k) {
            if (storedReal[k].sameGenes(wanted, GAGenomes::kSameGeneTolerance)) {
                matchIndex = static_cast<int>(k);
                return true;
            }
        }
    }
    return false;
}

void GARepository::copyOut(std::vector<ResponseRow>& responses)
{
    if (matchIndex >= 0) {
        responses = storedResponses[static_cast<std::size_t>(matchIndex)];
    }
    matchIndex = -1;
}

void GARepository::store(const GAGenomes& strings, int coding, int i,
                         const std::vector<ResponseRow>& responses)
{
    const auto index = static_cast<std::size_t>(i);
    if (coding == GAGenomes::kBinary && i >= 0 && index < strings.binaryStrings().size()) {
        storedBinary.push_back(strings.binaryStrings()[index]);
    } else if (coding == GAGenomes::kReal && i >= 0 && index < strings.realStrings().size()) {
        storedReal.push_back(strings.realStrings()[index]);
    } else {
        return;
    }
    storedResponses.push_back(responses);
}

} // namespace Opt
