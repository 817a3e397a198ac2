#include "ga/GAGenomes.h"

#include <algorithm>
#include <cmath>
#include <iterator>
#include <random>
#include <utility>

#include "common/NumericConstants.h"

namespace Opt {

namespace {

// RandomSource as a uniform random bit generator, so that the standard
// distributions see exactly the MT19937 outputs.
struct BitSource {
    using result_type = std::uint32_t;
    static constexpr result_type min() { return 0u; }
    static constexpr result_type max() { return 0xffffffffu; }
    result_type operator()() { return source.next(); }
    RandomSource& source;
};

constexpr int kLargestShuffleDraw = 2147483647; // 2^31 - 1

bool inRange(int i, std::size_t count)
{
    return i >= 0 && static_cast<std::size_t>(i) < count;
}

// Appends a copy of source to next, reusing the storage of a spare string when
// there is one, so that breeding a generation allocates nothing once the
// population has run through one generation.
template <typename String>
void appendCopy(std::vector<String>& next, std::vector<String>& spares, const String& source)
{
    if (spares.empty()) {
        next.push_back(source);
        return;
    }
    next.push_back(std::move(spares.back()));
    spares.pop_back();
    next.back() = source;
}

// Empties strings into spares, keeping their storage for the next generation.
template <typename String>
void keepAsSpares(std::vector<String>& strings, std::vector<String>& spares)
{
    spares.insert(spares.end(), std::make_move_iterator(strings.begin()),
                  std::make_move_iterator(strings.end()));
    strings.clear();
}

} // namespace

GAGenomes::GAGenomes(int coding, const RandomSource& source)
    : codingValue(coding), generator(source)
{
}

int GAGenomes::drawInteger(RandomSource& source, int first, int last)
{
    BitSource bits{source};
    return std::uniform_int_distribution<int>(first, last)(bits);
}

void GAGenomes::shuffle(std::vector<int>& entries, int count, RandomSource& source)
{
    const int total = static_cast<int>(entries.size());
    for (int k = 0; k < count && k < total; ++k) {
        const int r = drawInteger(source, 0, kLargestShuffleDraw);
        std::swap(entries[static_cast<std::size_t>(k)],
                  entries[static_cast<std::size_t>(k + r % (total - k))]);
    }
}

void GAGenomes::build(int coding, int populationSize)
{
    codingValue = coding;
    size = populationSize > 0 ? populationSize : 0;
    const auto count = static_cast<std::size_t>(size);
    if (usesBinary()) {
        binaryPopulation.assign(count, GABinaryString());
        nextBinary.reserve(count);
    }
    if (usesReal()) {
        realPopulation.assign(count, GARealString());
        nextReal.reserve(count);
    }
    locallyImproved.assign(count, false);
}

void GAGenomes::setStringLength(int length)
{
    if (codingValue == kBinary) {
        bitCount = length;
        for (GABinaryString& string : binaryPopulation) {
            string.resize(length);
        }
    } else if (codingValue == kReal) {
        geneCount = length;
        for (GARealString& string : realPopulation) {
            string.resize(length);
        }
    }
}

void GAGenomes::setBitsPerVariable(const std::vector<int>& bits)
{
    bitsPerField = bits;
}

void GAGenomes::setDiscreteLists(const std::vector<std::vector<double>>& lists)
{
    discreteLists = lists;
}

bool GAGenomes::anyDiscrete() const
{
    return std::any_of(discreteLists.begin(), discreteLists.end(),
                       [](const std::vector<double>& list) { return !list.empty(); });
}

bool GAGenomes::isDiscrete(std::size_t variable) const
{
    return variable < discreteLists.size() && !discreteLists[variable].empty();
}

void GAGenomes::randomizeBinary(int first, int last)
{
    RandomSource draws = generator;
    for (int i = std::max(first, 0); i < last && inRange(i, binaryPopulation.size()); ++i) {
        binaryPopulation[static_cast<std::size_t>(i)].randomize(draws);
    }
}

void GAGenomes::initialiseReal(int first, int last)
{
    initialiseRealStrings(realPopulation, first, last);
}

void GAGenomes::initialiseRealStrings(std::vector<GARealString>& strings, int first, int last)
{
    first = std::max(first, 0);
    last = std::min(last, static_cast<int>(strings.size()));
    if (first >= last) {
        return;
    }
    const int genes = strings[static_cast<std::size_t>(first)].length();
    RandomSource continuousDraws = generator;
    for (int i = first; i < last; ++i) {
        GARealString& string = strings[static_cast<std::size_t>(i)];
        for (int j = 0; j < string.length(); ++j) {
            if (!isDiscrete(static_cast<std::size_t>(j))) {
                string.setGene(j, continuousDraws.uniform());
            }
        }
    }
    // Discrete variables after the first: one variable at a time, each from the
    // generator's state when its turn comes, which is then reseeded.
    for (int j = 1; j < genes; ++j) {
        if (!isDiscrete(static_cast<std::size_t>(j))) {
            continue;
        }
        const std::vector<double>& list = discreteLists[static_cast<std::size_t>(j)];
        RandomSource draws = generator;
        for (int i = first; i < last; ++i) {
            const int index = drawInteger(draws, 0, static_cast<int>(list.size()) - 1);
            strings[static_cast<std::size_t>(i)].setGene(j, list[static_cast<std::size_t>(index)]);
        }
        generator.seed(static_cast<std::uint32_t>(j + 1));
    }
    // A discrete first variable cycles through its values in a shuffled order, so
    // a population covers all of them evenly.
    if (genes > 0 && isDiscrete(0)) {
        const std::vector<double>& list = discreteLists[0];
        std::vector<int> order(list.size());
        for (std::size_t k = 0; k < order.size(); ++k) {
            order[k] = static_cast<int>(k);
        }
        RandomSource draws = generator;
        shuffle(order, static_cast<int>(order.size()) - 1, draws);
        std::size_t next = 0;
        for (int i = first; i < last; ++i) {
            strings[static_cast<std::size_t>(i)].setGene(0, list[static_cast<std::size_t>(order[next])]);
            next = (next + 1) % order.size();
        }
    }
}

void GAGenomes::decodeIndividual(int i, std::vector<double>& out) const
{
    if (codingValue == kBinary) {
        if (inRange(i, binaryPopulation.size())) {
            binaryPopulation[static_cast<std::size_t>(i)].decode(out, bitsPerField);
        }
    } else if (usesReal()) {
        if (inRange(i, realPopulation.size())) {
            realPopulation[static_cast<std::size_t>(i)].decode(out, bitsPerField);
        }
    }
}

void GAGenomes::select(int i)
{
    if (usesBinary() && inRange(i, binaryPopulation.size())) {
        appendCopy(nextBinary, spareBinary, binaryPopulation[static_cast<std::size_t>(i)]);
    }
    if (usesReal() && inRange(i, realPopulation.size())) {
        appendCopy(nextReal, spareReal, realPopulation[static_cast<std::size_t>(i)]);
    }
    parents.push_back(i);
}

int GAGenomes::nextCount() const
{
    return static_cast<int>(usesReal() ? nextReal.size() : nextBinary.size());
}

void GAGenomes::crossBinary(int a, int b, int cut)
{
    if (!inRange(a, nextBinary.size()) || !inRange(b, nextBinary.size())) {
        return;
    }
    GABinaryString& first = nextBinary[static_cast<std::size_t>(a)];
    GABinaryString& second = nextBinary[static_cast<std::size_t>(b)];
    const int end = std::min({cut, first.length(), second.length()});
    for (int k = 0; k < end; ++k) {
        const bool bit = first.bit(k);
        first.setBit(k, second.bit(k));
        second.setBit(k, bit);
    }
}

void GAGenomes::crossGenes(double& y1, double& y2, double u)
{
    const double low = std::min(y1, y2);
    const double high = std::max(y1, y2);
    const double margin = std::min(low, 1.0 - high);
    const double spread = std::max(std::fabs(y1 - y2), 1e-20);
    const double beta = 1.0 + 2.0 * margin / spread;
    const double alpha = 2.0 - 1.0 / (beta * beta);
    u = std::clamp(u, 0.0, 1.0);
    // Both radicands are computed and the test picks one by index rather than by a
    // jump: the test is a coin toss, and a jump would be mispredicted half the time.
    const double stretch = u * alpha;
    const double radicands[2] = {1.0 / (2.0 - stretch), stretch};
    const double betaQ = std::sqrt(radicands[u < 1.0 / alpha ? 1 : 0]);
    const double mean = 0.5 * (y1 + y2);
    y1 = std::clamp(mean - 0.5 * betaQ * spread, 0.0, 1.0);
    y2 = std::clamp(mean + 0.5 * betaQ * spread, 0.0, 1.0);
}

void GAGenomes::crossReal(double crossoverRate)
{
    if (!usesReal()) {
        return;
    }
    RandomSource draws = generator;
    const int selected = static_cast<int>(nextReal.size());
    const int half = selected / 2;
    crossRealPart(draws, crossoverRate, 0, half);
    crossRealPart(draws, crossoverRate, half, selected);
}

void GAGenomes::crossRealPart(RandomSource& draws, double crossoverRate, int first, int last)
{
    const int lastSelected = static_cast<int>(nextReal.size()) - 1;
    int waiting = -1;
    for (int k = first; k < last; ++k) {
        if (!(draws.uniform() < crossoverRate)) {
            continue;
        }
        if (waiting < 0) {
            waiting = k;
            continue;
        }
        // Two copies of one parent would only reproduce it: bring in the next
        // individual as the partner instead.
        if (parents[static_cast<std::size_t>(waiting)] == parents[static_cast<std::size_t>(k)] &&
            k != lastSelected) {
            swapNext(k, k + 1);
        }
        crossPair(nextReal[static_cast<std::size_t>(waiting)], nextReal[static_cast<std::size_t>(k)], draws);
        waiting = -1;
    }
}

void GAGenomes::crossPair(GARealString& a, GARealString& b, RandomSource& draws)
{
    // All draws of the pair first, then the genes: the genes do not depend on one
    // another, so the processor can overlap their divisions and square roots once
    // no generator call sits between them.
    const int genes = std::min(a.length(), b.length());
    pairDraws.resize(static_cast<std::size_t>(std::max(genes, 0)));
    for (double& u : pairDraws) {
        u = draws.uniform();
    }
    for (int j = 0; j < genes; ++j) {
        double y1 = a.gene(j);
        double y2 = b.gene(j);
        crossGenes(y1, y2, pairDraws[static_cast<std::size_t>(j)]);
        a.setGene(j, y1);
        b.setGene(j, y2);
    }
}

void GAGenomes::swapNext(int a, int b)
{
    std::swap(nextReal[static_cast<std::size_t>(a)], nextReal[static_cast<std::size_t>(b)]);
    if (inRange(b, nextBinary.size())) {
        std::swap(nextBinary[static_cast<std::size_t>(a)], nextBinary[static_cast<std::size_t>(b)]);
    }
    std::swap(parents[static_cast<std::size_t>(a)], parents[static_cast<std::size_t>(b)]);
}

void GAGenomes::mutateBinary(double mutationRate)
{
    if (bitCount <= 0) {
        return;
    }
    const double rate = mutationRate == 0.0 ? 1.0 / bitCount : mutationRate;
    RandomSource draws = generator;
    for (GABinaryString& string : nextBinary) {
        for (int k = 0; k < string.length(); ++k) {
            if (draws.uniform() < rate) {
                string.flipBit(k);
            }
        }
    }
}

void GAGenomes::mutateReal(double mutationRate, int maxGenerations, int generation)
{
    if (geneCount <= 0) {
        return;
    }
    const double progress = maxGenerations > 0 ? static_cast<double>(generation) / maxGenerations : 1.0;
    const double rate = mutationRate == 0.0
                            ? 1.0 / geneCount + progress * (1.0 - 1.0 / geneCount)
                            : mutationRate;
    RandomSource draws = generator;
    // The last selected individual is left as it was.
    for (int i = 0; i + 1 < static_cast<int>(nextReal.size()); ++i) {
        GARealString& string = nextReal[static_cast<std::size_t>(i)];
        double u = draws.uniform();
        for (int j = 0; j < string.length(); ++j) {
            if (u < rate) {
                u = draws.uniform();
                string.mutateGene(j, u, generation);
            }
        }
    }
}

void GAGenomes::commitGeneration()
{
    if (usesBinary()) {
        binaryPopulation.swap(nextBinary);
    }
    if (usesReal()) {
        realPopulation.swap(nextReal);
    }
    keepAsSpares(nextBinary, spareBinary);
    keepAsSpares(nextReal, spareReal);
    parents.clear();
}

double GAGenomes::snapToList(double x, const std::vector<double>& list, RandomSource& source)
{
    if (list.empty()) {
        return x;
    }
    if (x <= list.front()) {
        return list.front();
    }
    if (x >= list.back()) {
        return list.back();
    }
    for (std::size_t k = 0; k + 1 < list.size(); ++k) {
        if (std::fabs(x - list[k]) < kNumericZero) {
            return list[k];
        }
        if (std::fabs(x - list[k + 1]) < kNumericZero) {
            return list[k + 1];
        }
        if (list[k] < x && x < list[k + 1]) {
            return source.uniform() < 0.5 ? list[k] : list[k + 1];
        }
    }
    return x;
}

void GAGenomes::snapToDiscrete()
{
    if (!anyDiscrete()) {
        return; // no list to snap to, so no draw either
    }
    RandomSource draws = generator;
    for (GARealString& string : realPopulation) {
        for (int j = 0; j < string.length(); ++j) {
            if (isDiscrete(static_cast<std::size_t>(j))) {
                string.setGene(j, snapToList(string.gene(j), discreteLists[static_cast<std::size_t>(j)], draws));
            }
        }
    }
}

double GAGenomes::distance(int i, int j) const
{
    if (!inRange(i, realPopulation.size()) || !inRange(j, realPopulation.size())) {
        return 0.0;
    }
    const GARealString& a = realPopulation[static_cast<std::size_t>(i)];
    const GARealString& b = realPopulation[static_cast<std::size_t>(j)];
    const int n = std::min(a.length(), b.length());
    if (n == 0) {
        return 0.0;
    }
    double sum = 0.0;
    for (int k = 0; k < n; ++k) {
        const double d = a.gene(k) - b.gene(k);
        sum += d * d;
    }
    return std::sqrt(sum / n);
}

void GAGenomes::fillNextWithNewIndividuals(int count)
{
    nextBinary.clear();
    nextReal.clear();
    parents.assign(static_cast<std::size_t>(std::max(count, 0)), -1);
    if (usesBinary()) {
        nextBinary.assign(parents.size(), GABinaryString());
        RandomSource draws = generator;
        for (GABinaryString& string : nextBinary) {
            string.resize(bitCount);
            string.randomize(draws);
        }
    }
    if (usesReal()) {
        nextReal.assign(parents.size(), GARealString());
        for (GARealString& string : nextReal) {
            string.resize(geneCount);
        }
        initialiseRealStrings(nextReal, 0, count);
    }
}

void GAGenomes::assignReal(int i, const std::vector<double>& values)
{
    if (inRange(i, realPopulation.size())) {
        realPopulation[static_cast<std::size_t>(i)].assign(values);
    }
}

void GAGenomes::setLocallyImproved(int i)
{
    if (inRange(i, locallyImproved.size())) {
        locallyImproved[static_cast<std::size_t>(i)] = true;
    }
}

void GAGenomes::clearLocallyImproved()
{
    std::fill(locallyImproved.begin(), locallyImproved.end(), false);
}

bool GAGenomes::isLocallyImproved(int i) const
{
    return inRange(i, locallyImproved.size()) && locallyImproved[static_cast<std::size_t>(i)];
}

} // namespace Opt
