#include "ga/GABinaryString.h"

#include <algorithm>
#include <cstddef>

#include <boost/container_hash/hash.hpp>

namespace Opt {

namespace {

constexpr int kWordBits = 32;

std::size_t wordOf(int i)
{
    return static_cast<std::size_t>(i / kWordBits);
}

std::uint32_t maskOf(int i)
{
    return std::uint32_t{1} << (i % kWordBits);
}

} // namespace

void GABinaryString::resize(int length)
{
    const int oldCount = bitCount;
    bitCount = length > 0 ? length : 0;
    words.resize(static_cast<std::size_t>((bitCount + kWordBits - 1) / kWordBits), 0u);
    // Bits past the old end may hold leftovers of a longer past; new bits are 0.
    for (int i = oldCount; i < bitCount; ++i) {
        setBit(i, false);
    }
}

void GABinaryString::randomize(RandomSource& generator)
{
    for (int i = 0; i < bitCount; ++i) {
        setBit(i, !(generator.uniform() < 0.5));
    }
}

void GABinaryString::decode(std::vector<double>& out, const std::vector<int>& bitsPerVariable) const
{
    int position = 0;
    for (std::size_t k = 0; k < out.size() && k < bitsPerVariable.size(); ++k) {
        const int bits = bitsPerVariable[k] > 0 ? bitsPerVariable[k] : 0;
        if (position + bits > bitCount) {
            return;
        }
        double value = 0.0;
        double largest = 0.0;
        for (int b = 0; b < bits; ++b) {
            value = 2.0 * value + (bit(position + b) ? 1.0 : 0.0);
            largest = 2.0 * largest + 1.0;
        }
        out[k] = bits > 0 ? value / largest : 0.0;
        position += bits;
    }
}

void GABinaryString::flipBit(int i)
{
    if (i >= 0 && i < bitCount) {
        words[wordOf(i)] ^= maskOf(i);
    }
}

bool GABinaryString::bit(int i) const
{
    return (words[wordOf(i)] & maskOf(i)) != 0u;
}

void GABinaryString::setBit(int i, bool value)
{
    if (value) {
        words[wordOf(i)] |= maskOf(i);
    } else {
        words[wordOf(i)] &= ~maskOf(i);
    }
}

bool GABinaryString::sameBits(const GABinaryString& other, int length) const
{
    if (length > bitCount || length > other.bitCount) {
        return false;
    }
    const int wholeWords = length / kWordBits;
    for (int w = 0; w < wholeWords; ++w) {
        if (words[static_cast<std::size_t>(w)] != other.words[static_cast<std::size_t>(w)]) {
            return false;
        }
    }
    for (int i = wholeWords * kWordBits; i < length; ++i) {
        if (bit(i) != other.bit(i)) {
            return false;
        }
    }
    return true;
}

std::uint64_t GABinaryString::fingerprint(int length) const
{
    // Word by word: the whole words, then the bits of a last partial word (bits
    // past `length` may hold anything and must not count).
    const int bits = std::max(0, std::min(length, bitCount));
    const auto wholeWords = static_cast<std::size_t>(bits / kWordBits);
    std::size_t hash = boost::hash_range(words.begin(), words.begin() + static_cast<std::ptrdiff_t>(wholeWords));
    const int tailBits = bits % kWordBits;
    if (tailBits > 0) {
        boost::hash_combine(hash, words[wholeWords] & ((std::uint32_t{1} << tailBits) - 1u));
    }
    return hash;
}

} // namespace Opt
