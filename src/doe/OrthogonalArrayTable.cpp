#include "doe/OrthogonalArrayTable.h"

#include <array>
#include <cassert>

namespace Opt::DOE {

namespace {

// GF(s) for s = 2, 3, 4, 5. Prime orders use arithmetic mod s; GF(4) holds
// 0, 1, a, a + 1 as 0, 1, 2, 3 with a^2 = a + 1, so addition is bitwise xor.
class GaloisField {
public:
    explicit GaloisField(int order) : order(order) {}

    int add(int a, int b) const { return order == 4 ? (a ^ b) : (a + b) % order; }

    int multiply(int a, int b) const
    {
        static constexpr std::array<std::array<int, 4>, 4> kGf4Products = {{
            {0, 0, 0, 0}, {0, 1, 2, 3}, {0, 2, 3, 1}, {0, 3, 1, 2}}};
        return order == 4 ? kGf4Products[static_cast<std::size_t>(a)][static_cast<std::size_t>(b)]
                          : (a * b) % order;
    }

    const int order;
};

OrthogonalArrayTable emptyTable(int levels, int runs, int columns)
{
    OrthogonalArrayTable table;
    table.levels = levels;
    table.runs = runs;
    table.columns = columns;
    table.symbols.assign(static_cast<std::size_t>(runs) * static_cast<std::size_t>(columns), 0);
    return table;
}

void setSymbol(OrthogonalArrayTable& table, int run, int column, int symbol)
{
    table.symbols[static_cast<std::size_t>(run) * static_cast<std::size_t>(table.columns) +
                  static_cast<std::size_t>(column)] = static_cast<std::uint8_t>(symbol);
}

// The coefficient vectors of the Rao-Hamming columns in Taguchi order: digit t
// adds its unit vector and then, for every earlier vector v and multiplier
// lambda = 1..s-1, v + lambda * e_t. Every vector's first non-zero entry is 1.
std::vector<std::vector<int>> raoHammingColumns(int order, int digits)
{
    std::vector<std::vector<int>> columns;
    for (int t = 0; t < digits; ++t) {
        const std::size_t earlier = columns.size();
        std::vector<int> unit(static_cast<std::size_t>(digits), 0);
        unit[static_cast<std::size_t>(t)] = 1;
        columns.push_back(unit);
        for (std::size_t c = 0; c < earlier; ++c) {
            for (int lambda = 1; lambda < order; ++lambda) {
                std::vector<int> combined = columns[c];
                combined[static_cast<std::size_t>(t)] = lambda;
                columns.push_back(combined);
            }
        }
    }
    return columns;
}

OrthogonalArrayTable raoHamming(int order, int digits)
{
    const GaloisField field(order);
    const auto columns = raoHammingColumns(order, digits);
    int runs = 1;
    for (int t = 0; t < digits; ++t) {
        runs *= order;
    }
    OrthogonalArrayTable table = emptyTable(order, runs, static_cast<int>(columns.size()));
    std::vector<int> digitsOfRun(static_cast<std::size_t>(digits));
    for (int run = 0; run < runs; ++run) {
        int rest = run;
        for (int t = digits - 1; t >= 0; --t) {
            digitsOfRun[static_cast<std::size_t>(t)] = rest % order;
            rest /= order;
        }
        for (std::size_t c = 0; c < columns.size(); ++c) {
            int value = 0;
            for (std::size_t t = 0; t < digitsOfRun.size(); ++t) {
                value = field.add(value, field.multiply(columns[c][t], digitsOfRun[t]));
            }
            setSymbol(table, run, static_cast<int>(c), value);
        }
    }
    return table;
}

// The quadratic character of a prime field: 0, +1 on squares, -1 otherwise.
int quadraticCharacter(int value, int prime)
{
    value = ((value % prime) + prime) % prime;
    if (value == 0) {
        return 0;
    }
    for (int root = 1; root < prime; ++root) {
        if (root * root % prime == value) {
            return 1;
        }
    }
    return -1;
}

// Paley's first construction for a prime q = 3 mod 4: H = I + S of order q + 1,
// S bordered by a row of +1 and a column of -1 around the Jacobsthal matrix
// Q[i][j] = chi(j - i).
std::vector<std::vector<int>> paleyHadamard(int prime)
{
    assert(prime % 4 == 3);
    const auto order = static_cast<std::size_t>(prime + 1);
    std::vector<std::vector<int>> h(order, std::vector<int>(order, 0));
    for (std::size_t j = 1; j < order; ++j) {
        h[0][j] = 1;
        h[j][0] = -1;
    }
    for (std::size_t i = 1; i < order; ++i) {
        for (std::size_t j = 1; j < order; ++j) {
            h[i][j] = quadraticCharacter(static_cast<int>(j) - static_cast<int>(i), prime);
        }
    }
    for (std::size_t i = 0; i < order; ++i) {
        h[i][i] += 1;
    }
    return h;
}

int signToSymbol(int sign)
{
    return sign < 0 ? 0 : 1;
}

OrthogonalArrayTable plackettBurman12()
{
    constexpr int kPrime = 11;
    auto h = paleyHadamard(kPrime);
    OrthogonalArrayTable table = emptyTable(2, kPrime + 1, kPrime);
    for (int run = 0; run <= kPrime; ++run) {
        const auto& row = h[static_cast<std::size_t>(run)];
        const int rowSign = row[0];
        for (int c = 0; c < kPrime; ++c) {
            setSymbol(table, run, c, signToSymbol(rowSign * row[static_cast<std::size_t>(c) + 1]));
        }
    }
    return table;
}

OrthogonalArrayTable foldedHadamard96()
{
    constexpr int kPrime = 47;
    constexpr int kOrder = kPrime + 1;
    const auto h = paleyHadamard(kPrime);
    OrthogonalArrayTable table = emptyTable(2, 2 * kOrder, kOrder);
    for (int run = 0; run < kOrder; ++run) {
        for (int c = 0; c < kOrder; ++c) {
            const int sign = h[static_cast<std::size_t>(run)][static_cast<std::size_t>(c)];
            setSymbol(table, run, c, signToSymbol(sign));
            setSymbol(table, run + kOrder, c, signToSymbol(-sign));
        }
    }
    return table;
}

// Difference schemes D(M, M, s) in normal form (first row and column zero): for
// any two columns the differences D[r][a] - D[r][b] over the rows hold every
// element of the group M/s times. Each was found by a backtracking search over
// balanced columns; the catalogue test checks the arrays developed from them.
template <std::size_t M>
using DifferenceScheme = std::array<std::array<int, M>, M>;

// Over GF(3).
constexpr DifferenceScheme<6> kScheme6 = {{
    {0, 0, 0, 0, 0, 0},
    {0, 0, 1, 1, 2, 2},
    {0, 1, 0, 2, 1, 2},
    {0, 1, 2, 0, 2, 1},
    {0, 2, 1, 2, 0, 1},
    {0, 2, 2, 1, 1, 0},
}};

// Over GF(4), whose additive group is xor on 0..3.
constexpr DifferenceScheme<8> kScheme8 = {{
    {0, 0, 0, 0, 0, 0, 0, 0},
    {0, 0, 1, 1, 2, 2, 3, 3},
    {0, 1, 2, 3, 0, 1, 2, 3},
    {0, 1, 3, 2, 2, 3, 1, 0},
    {0, 2, 0, 2, 3, 1, 3, 1},
    {0, 2, 1, 3, 1, 3, 0, 2},
    {0, 3, 2, 1, 3, 0, 1, 2},
    {0, 3, 3, 0, 1, 2, 2, 1},
}};

// Over GF(5).
constexpr DifferenceScheme<10> kScheme10 = {{
    {0, 0, 0, 0, 0, 0, 0, 0, 0, 0},
    {0, 0, 1, 1, 2, 2, 3, 3, 4, 4},
    {0, 1, 0, 3, 3, 4, 1, 2, 2, 4},
    {0, 1, 3, 4, 0, 2, 2, 4, 1, 3},
    {0, 2, 2, 3, 1, 0, 4, 1, 4, 3},
    {0, 2, 4, 1, 3, 1, 0, 4, 3, 2},
    {0, 3, 1, 0, 4, 3, 4, 2, 1, 2},
    {0, 3, 4, 2, 1, 4, 2, 3, 0, 1},
    {0, 4, 2, 4, 2, 3, 1, 0, 3, 1},
    {0, 4, 3, 2, 4, 1, 3, 1, 2, 0},
}};

// Over GF(3).
constexpr DifferenceScheme<12> kScheme12 = {{
    {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0},
    {0, 0, 0, 0, 1, 1, 1, 1, 2, 2, 2, 2},
    {0, 0, 0, 1, 0, 2, 2, 2, 1, 1, 1, 2},
    {0, 0, 1, 2, 2, 0, 1, 2, 0, 1, 2, 1},
    {0, 1, 0, 2, 2, 1, 2, 0, 2, 0, 1, 1},
    {0, 1, 2, 0, 1, 2, 0, 2, 0, 2, 1, 1},
    {0, 1, 2, 1, 2, 0, 0, 1, 2, 1, 0, 2},
    {0, 1, 2, 2, 0, 2, 1, 1, 1, 0, 2, 0},
    {0, 2, 1, 0, 2, 0, 2, 1, 1, 2, 1, 0},
    {0, 2, 1, 1, 0, 2, 1, 0, 2, 2, 0, 1},
    {0, 2, 1, 2, 1, 1, 0, 2, 1, 0, 0, 2},
    {0, 2, 2, 1, 1, 1, 2, 0, 0, 1, 2, 0},
}};

template <std::size_t M>
OrthogonalArrayTable developedScheme(int order, const DifferenceScheme<M>& scheme)
{
    const GaloisField field(order);
    const int rows = static_cast<int>(M);
    OrthogonalArrayTable table = emptyTable(order, order * rows, rows + 1);
    for (int g = 0; g < order; ++g) {
        for (int r = 0; r < rows; ++r) {
            const int run = g * rows + r;
            for (int c = 0; c < rows; ++c) {
                setSymbol(table, run, c,
                          field.add(scheme[static_cast<std::size_t>(r)][static_cast<std::size_t>(c)], g));
            }
            setSymbol(table, run, rows, r % order);
        }
    }
    return table;
}

std::vector<OrthogonalArrayTable> buildCatalogue()
{
    std::vector<OrthogonalArrayTable> catalogue;
    catalogue.push_back(raoHamming(2, 2));
    catalogue.push_back(raoHamming(2, 3));
    catalogue.push_back(plackettBurman12());
    catalogue.push_back(raoHamming(2, 4));
    catalogue.push_back(raoHamming(2, 5));
    catalogue.push_back(foldedHadamard96());
    catalogue.push_back(raoHamming(3, 2));
    catalogue.push_back(developedScheme(3, kScheme6));
    catalogue.push_back(developedScheme(3, kScheme12));
    catalogue.push_back(raoHamming(3, 4));
    catalogue.push_back(raoHamming(4, 2));
    catalogue.push_back(developedScheme(4, kScheme8));
    catalogue.push_back(raoHamming(4, 3));
    catalogue.push_back(raoHamming(5, 2));
    catalogue.push_back(developedScheme(5, kScheme10));
    return catalogue;
}

} // namespace

const std::vector<OrthogonalArrayTable>& orthogonalArrayCatalogue()
{
    static const std::vector<OrthogonalArrayTable> catalogue = buildCatalogue();
    return catalogue;
}

const OrthogonalArrayTable* findOrthogonalArray(int levels, int runs)
{
    for (const auto& table : orthogonalArrayCatalogue()) {
        if (table.levels == levels && table.runs == runs) {
            return &table;
        }
    }
    return nullptr;
}

} // namespace Opt::DOE
