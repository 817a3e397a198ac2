#include "ga/GARepository.h"

#include <algorithm>
#include <cmath>

namespace Opt {

namespace {

constexpr double kBucketWidth = 1e-8; // wider than the 1e-9 tolerance
constexpr double kLargestBucketGene = 1e9; // beyond it genes share the end buckets
constexpr std::size_t kLargestReservationBytes = std::size_t{64} << 20;
// A match's first gene lies within 1e-9 of the wanted one. Searching the buckets
// of the wanted gene -/+ twice that keeps every match inside the searched range
// even after the rounding of the subtraction and the addition, and the bucket of
// a gene never decreases as the gene grows.
constexpr double kSearchMargin = 2.0 * GAGenomes::kSameGeneTolerance;

int smallerMatch(int a, int b)
{
    if (a < 0) {
        return b;
    }
    return b < 0 ? a : std::min(a, b);
}

} // namespace

long long GARepository::bucketOf(double gene)
{
    const double clamped = std::fmax(-kLargestBucketGene, std::fmin(kLargestBucketGene, gene));
    return static_cast<long long>(std::floor(clamped / kBucketWidth));
}

template <typename Key>
void GARepository::link(ChainIndex<Key>& index, std::vector<int>& later, Key key, int entry)
{
    later.push_back(-1);
    Chain& chain = index[key];
    if (chain.newest >= 0) {
        later[static_cast<std::size_t>(chain.newest)] = entry;
    } else {
        chain.oldest = entry;
    }
    chain.newest = entry;
}

template <typename Key, typename Match>
int GARepository::firstInChain(const ChainIndex<Key>& index, const std::vector<int>& later, Key key,
                               const Match& isMatch)
{
    const auto found = index.find(key);
    if (found == index.end()) {
        return -1;
    }
    for (int k = found->second.oldest; k >= 0; k = later[static_cast<std::size_t>(k)]) {
        if (isMatch(k)) {
            return k;
        }
    }
    return -1;
}

void GARepository::reserve(int coding, int entries, int genesPerString, int rowsPerEntry)
{
    const std::size_t genes = static_cast<std::size_t>(std::max(genesPerString, 0));
    const std::size_t rows = static_cast<std::size_t>(std::max(rowsPerEntry, 0));
    const std::size_t bytesPerEntry = genes * sizeof(double) + rows * sizeof(ResponseRow) + sizeof(GABinaryString);
    const std::size_t count = std::min(static_cast<std::size_t>(std::max(entries, 0)),
                                       kLargestReservationBytes / bytesPerEntry);
    if (coding == GAGenomes::kBinary) {
        storedBinary.reserve(count);
        laterBinary.reserve(count);
    } else if (coding == GAGenomes::kReal) {
        realGenes.reserve(count * genes);
        realEnds.reserve(count);
        laterReal.reserve(count);
    }
    responseTable.reserve(count * rows);
    responseEnds.reserve(count);
}

bool GARepository::find(int coding, const GAGenomes& strings, int i)
{
    matchIndex = matchOf(coding, strings, i);
    return matchIndex >= 0;
}

bool GARepository::contains(int coding, const GAGenomes& strings, int i) const
{
    return matchOf(coding, strings, i) >= 0;
}

int GARepository::matchOf(int coding, const GAGenomes& strings, int i) const
{
    if (coding == GAGenomes::kBinary) {
        const auto& population = strings.binaryStrings();
        if (i >= 0 && static_cast<std::size_t>(i) < population.size()) {
            return findBinary(population[static_cast<std::size_t>(i)]);
        }
    } else if (coding == GAGenomes::kReal) {
        const auto& population = strings.realStrings();
        if (i >= 0 && static_cast<std::size_t>(i) < population.size()) {
            return findReal(population[static_cast<std::size_t>(i)]);
        }
    }
    return -1;
}

int GARepository::findBinary(const GABinaryString& wanted) const
{
    return firstInChain(binaryIndex, laterBinary, wanted.fingerprint(wanted.length()), [&](int k) {
        return storedBinary[static_cast<std::size_t>(k)].sameBits(wanted, wanted.length());
    });
}

int GARepository::findReal(const GARealString& wanted) const
{
    if (wanted.length() == 0) {
        for (int k : emptyRealStrings) {
            if (sameAsStoredReal(wanted, k)) {
                return k;
            }
        }
        return -1;
    }
    const double first = wanted.gene(0);
    if (!std::isfinite(first)) {
        return -1; // a gene that is not finite never matches
    }
    const auto isMatch = [&](int k) { return sameAsStoredReal(wanted, k); };
    const long long last = bucketOf(first + kSearchMargin);
    int match = -1;
    for (long long bucket = bucketOf(first - kSearchMargin); bucket <= last; ++bucket) {
        match = smallerMatch(match, firstInChain(realIndex, laterReal, bucket, isMatch));
    }
    return match;
}

bool GARepository::sameAsStoredReal(const GARealString& wanted, int entry) const
{
    const auto k = static_cast<std::size_t>(entry);
    const std::size_t begin = k == 0 ? 0 : realEnds[k - 1];
    const std::size_t length = realEnds[k] - begin;
    const std::vector<double>& genes = wanted.values();
    if (genes.size() != length) {
        return false;
    }
    const double* stored = realGenes.data() + begin;
    for (std::size_t j = 0; j < length; ++j) {
        if (!(std::fabs(genes[j] - stored[j]) < GAGenomes::kSameGeneTolerance)) {
            return false;
        }
    }
    return true;
}

void GARepository::copyOut(std::vector<ResponseRow>& responses)
{
    if (matchIndex >= 0) {
        const auto k = static_cast<std::size_t>(matchIndex);
        const std::size_t begin = k == 0 ? 0 : responseEnds[k - 1];
        responses.assign(responseTable.begin() + static_cast<std::ptrdiff_t>(begin),
                         responseTable.begin() + static_cast<std::ptrdiff_t>(responseEnds[k]));
    }
    matchIndex = -1;
}

void GARepository::store(const GAGenomes& strings, int coding, int i,
                         const std::vector<ResponseRow>& responses)
{
    const auto index = static_cast<std::size_t>(i);
    if (coding == GAGenomes::kBinary && i >= 0 && index < strings.binaryStrings().size()) {
        const GABinaryString& string = strings.binaryStrings()[index];
        link(binaryIndex, laterBinary, string.fingerprint(string.length()),
             static_cast<int>(storedBinary.size()));
        storedBinary.push_back(string);
    } else if (coding == GAGenomes::kReal && i >= 0 && index < strings.realStrings().size()) {
        storeReal(strings.realStrings()[index]);
    } else {
        return;
    }
    responseTable.insert(responseTable.end(), responses.begin(), responses.end());
    responseEnds.push_back(responseTable.size());
}

void GARepository::storeReal(const GARealString& string)
{
    const int entry = static_cast<int>(realEnds.size());
    if (string.length() == 0) {
        emptyRealStrings.push_back(entry);
        laterReal.push_back(-1);
    } else if (std::isfinite(string.gene(0))) {
        link(realIndex, laterReal, bucketOf(string.gene(0)), entry);
    } else {
        laterReal.push_back(-1); // never found: no index entry
    }
    realGenes.insert(realGenes.end(), string.values().begin(), string.values().end());
    realEnds.push_back(realGenes.size());
}

} // namespace Opt
