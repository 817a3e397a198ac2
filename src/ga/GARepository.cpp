#include "ga/GARepository.h"

#include <cmath>

namespace Opt {

namespace {

constexpr double kBucketWidth = 1e-8; // wider than the 1e-9 tolerance
constexpr double kLargestBucketGene = 1e9; // beyond it genes share the end buckets

} // namespace

bool GARepository::bucketOf(const GARealString& string, long long& bucket)
{
    if (string.length() == 0 || !std::isfinite(string.gene(0))) {
        return false;
    }
    const double gene = std::fmax(-kLargestBucketGene, std::fmin(kLargestBucketGene, string.gene(0)));
    bucket = static_cast<long long>(std::floor(gene / kBucketWidth));
    return true;
}

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
        const auto range = binaryIndex.equal_range(wanted.fingerprint(wanted.length()));
        for (auto it = range.first; it != range.second; ++it) {
            const int k = it->second;
            if ((matchIndex < 0 || k < matchIndex) &&
                storedBinary[static_cast<std::size_t>(k)].sameBits(wanted, wanted.length())) {
                matchIndex = k;
            }
        }
    } else if (coding == GAGenomes::kReal) {
        const auto& population = strings.realStrings();
        if (i < 0 || static_cast<std::size_t>(i) >= population.size()) {
            return false;
        }
        const GARealString& wanted = population[static_cast<std::size_t>(i)];
        const auto consider = [&](int k) {
            if ((matchIndex < 0 || k < matchIndex) &&
                storedReal[static_cast<std::size_t>(k)].sameGenes(wanted, GAGenomes::kSameGeneTolerance)) {
                matchIndex = k;
            }
        };
        long long bucket = 0;
        if (wanted.length() == 0) {
            for (int k : emptyRealStrings) {
                consider(k);
            }
        } else if (bucketOf(wanted, bucket)) {
            for (long long b = bucket - 1; b <= bucket + 1; ++b) {
                const auto range = realIndex.equal_range(b);
                for (auto it = range.first; it != range.second; ++it) {
                    consider(it->second);
                }
            }
        }
    }
    return matchIndex >= 0;
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
        const GABinaryString& string = strings.binaryStrings()[index];
        binaryIndex.emplace(string.fingerprint(string.length()), static_cast<int>(storedBinary.size()));
        storedBinary.push_back(string);
    } else if (coding == GAGenomes::kReal && i >= 0 && index < strings.realStrings().size()) {
        const GARealString& string = strings.realStrings()[index];
        long long bucket = 0;
        if (string.length() == 0) {
            emptyRealStrings.push_back(static_cast<int>(storedReal.size()));
        } else if (bucketOf(string, bucket)) {
            realIndex.emplace(bucket, static_cast<int>(storedReal.size()));
        }
        storedReal.push_back(string);
    } else {
        return;
    }
    storedResponses.push_back(responses);
}

} // namespace Opt
