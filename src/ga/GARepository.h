#pragma once

#include <cstdint>
#include <unordered_map>
#include <vector>

#include "engine/ResponseRow.h"
#include "ga/GABinaryString.h"
#include "ga/GAGenomes.h"
#include "ga/GARealString.h"

namespace Opt {

// The store of evaluated strings that lets a genetic algorithm skip sending a
// duplicate design to the host: each entry is a string with the engine's whole
// response table as it stood after that string was evaluated. Entries are
// appended in evaluation order and never removed.
//
// Two binary strings are the same design when all their bits are equal; two real
// strings when every pair of genes differs by less than 1e-9. A search returns
// the first match in storage order, as a linear scan would; to keep look-ups
// cheap as the store grows, it only examines the entries an index points to
// (binary strings by a hash of their bits, real strings by their first gene in
// buckets of 1e-8, with the neighbouring buckets). Only codings 0 and 1 are
// stored and found.
class GARepository {
public:
    void reserve(int entries);

    // Looks up individual i of the current population of strings; records the
    // match for copyOut.
    bool find(int coding, const GAGenomes& strings, int i);
    // Overwrites responses with those of the last match and forgets the match.
    void copyOut(std::vector<ResponseRow>& responses);
    void store(const GAGenomes& strings, int coding, int i, const std::vector<ResponseRow>& responses);

    int size() const { return static_cast<int>(storedResponses.size()); }
    int lastMatch() const { return matchIndex; }

private:
    // The bucket of a real string's first gene; false when it has none (no genes,
    // or a value that is not finite and so never matches).
    static bool bucketOf(const GARealString& string, long long& bucket);

    std::vector<GABinaryString> storedBinary;
    std::vector<GARealString> storedReal;
    std::vector<std::vector<ResponseRow>> storedResponses;
    int matchIndex = -1;
    // Positions in storedBinary and storedReal by fingerprint and by bucket.
    std::unordered_multimap<std::uint64_t, int> binaryIndex;
    std::unordered_multimap<long long, int> realIndex;
    std::vector<int> emptyRealStrings; // real strings without genes
};

} // namespace Opt
