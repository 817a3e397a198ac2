#pragma once

#include <cstdint>
#include <vector>

#include "ga/GAString.h"

namespace Opt {

// A binary chromosome: the variables occupy consecutive fields, variable k taking
// b_k bits, the first bit of a field the most significant. A field of b bits
// holding the unsigned value I decodes to I / (2^b - 1), so all ones give exactly
// 1.0 and all zeros 0.0.
//
// Bits are packed 32 to a word: bit i of the string is bit i mod 32 of word
// i div 32.
//
// Decisions: fields are decoded in double arithmetic, exact up to 53 bits (a
// longer field, such as a discrete variable with many levels, decodes to the
// nearest double); decoding stops at the end of the string or of out, whichever
// comes first, so a short string never reads past its bits; a zero-bit field
// decodes to 0.
class GABinaryString final : public GAString {
public:
    void resize(int length) override;
    void randomize(RandomSource& generator) override;
    void decode(std::vector<double>& out, const std::vector<int>& bitsPerVariable) const override;
    void assign(const std::vector<double>& /*values*/) override {}
    void flipBit(int bit) override;

    int length() const { return bitCount; }
    bool bit(int i) const;
    void setBit(int i, bool value);
    // Whether the first `length` bits of both strings are equal.
    bool sameBits(const GABinaryString& other, int length) const;
    // A hash of the first `length` bits: equal bits give equal fingerprints.
    std::uint64_t fingerprint(int length) const;

private:
    int bitCount = 0;
    std::vector<std::uint32_t> words;
};

} // namespace Opt
