#pragma once

#include <cstddef>
#include <cstdint>
#include <memory_resource>
#include <unordered_map>
#include <vector>

#include "common/ResponseRow.h"
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
// buckets of 1e-8), oldest first within a bucket. Only codings 0 and 1 are
// stored and found.
//
// Real genes and response rows are kept end to end in one array each, so that
// storing an entry does not allocate once the arrays have grown.
class GARepository {
public:
    // Makes room for entries strings of the coding, each with genesPerString genes
    // (real coding) and rowsPerEntry response rows, so that the store grows
    // without moving what it holds (each move would touch fresh memory again).
    // The room is capped at about 64 MB.
    void reserve(int coding, int entries, int genesPerString, int rowsPerEntry);

    // Looks up individual i of the current population of strings; records the
    // match for copyOut.
    bool find(int coding, const GAGenomes& strings, int i);
    // Whether find would match individual i, without recording the match.
    bool contains(int coding, const GAGenomes& strings, int i) const;
    // Overwrites responses with those of the last match and forgets the match.
    void copyOut(std::vector<ResponseRow>& responses);
    void store(const GAGenomes& strings, int coding, int i, const std::vector<ResponseRow>& responses);

    int size() const { return static_cast<int>(responseEnds.size()); }
    int lastMatch() const { return matchIndex; }

private:
    // The stored entries that share one index key, by position in their store:
    // the oldest, the newest, and through `later` every one in between.
    struct Chain {
        int oldest = -1;
        int newest = -1;
    };
    template <typename Key>
    using ChainIndex = std::pmr::unordered_map<Key, Chain>;

    // The bucket of a finite gene value.
    static long long bucketOf(double gene);
    template <typename Key>
    static void link(ChainIndex<Key>& index, std::vector<int>& later, Key key, int entry);
    // The first entry of the chain under key that matches by isMatch, or -1.
    template <typename Key, typename Match>
    static int firstInChain(const ChainIndex<Key>& index, const std::vector<int>& later, Key key,
                            const Match& isMatch);

    // The first stored entry that matches, or -1.
    int matchOf(int coding, const GAGenomes& strings, int i) const;
    int findBinary(const GABinaryString& wanted) const;
    int findReal(const GARealString& wanted) const;
    bool sameAsStoredReal(const GARealString& wanted, int entry) const;
    void storeReal(const GARealString& string);

    // The indexes' nodes and bucket arrays come from here, in a few large blocks
    // kept until the store goes: growing the indexes one node at a time from the
    // heap would make the heap grow, and every generation's release of the working
    // set shrink it again.
    std::pmr::monotonic_buffer_resource indexMemory;

    std::vector<GABinaryString> storedBinary;
    std::vector<int> laterBinary; // per stored binary string: the next newer one with its fingerprint
    ChainIndex<std::uint64_t> binaryIndex{&indexMemory};

    std::vector<double> realGenes;      // the genes of all stored real strings, end to end
    std::vector<std::size_t> realEnds;  // per stored real string: the end of its genes in realGenes
    std::vector<int> laterReal;         // per stored real string: the next newer one in its bucket
    ChainIndex<long long> realIndex{&indexMemory};
    std::vector<int> emptyRealStrings;  // real strings without genes

    std::vector<ResponseRow> responseTable;  // the response tables of all entries, end to end
    std::vector<std::size_t> responseEnds;   // per entry: the end of its rows in responseTable
    int matchIndex = -1;
};

} // namespace Opt
