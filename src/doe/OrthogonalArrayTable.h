#pragma once

#include <cstdint>
#include <vector>

namespace Opt::DOE {

// One orthogonal array of strength 2 of the catalogue: runs rows by columns
// columns of symbols 0..levels-1, every pair of columns holding each pair of
// symbols equally often (runs / levels^2 times).
//
// The catalogue holds fifteen arrays, by levels and runs (columns):
//   2 levels: 4 (3), 8 (7), 12 (11), 16 (15), 32 (31), 96 (48)
//   3 levels: 9 (4), 18 (7), 36 (13), 81 (40)
//   4 levels: 16 (5), 32 (9), 64 (21)
//   5 levels: 25 (6), 50 (11)
// built with the standard constructions (Hedayat, Sloane and Stufken,
// "Orthogonal Arrays", 1999):
//   - s^m runs: the Rao-Hamming construction over GF(s) (ch. 3). Row r is the
//     base-s digits u_0..u_{m-1} of r, u_0 the most significant; the columns are
//     the linear forms of the digits, added digit by digit (u_0; u_1, u_0 + u_1,
//     ..., u_0 + (s-1)u_1; u_2, ...). For two levels this is the column order of
//     the published Taguchi tables, so the 4-run array is the published L4.
//   - 12 runs: the Hadamard matrix of order 12 of Paley's first construction
//     (q = 11), rows signed to make the first column constant, which is then
//     dropped (the Plackett-Burman design; ch. 7).
//   - 96 runs: the Paley Hadamard matrix H of order 48 (q = 47) stacked on -H, an
//     array of strength 3 in 48 columns (the fold-over; ch. 7).
//   - 18, 32, 36 and 50 runs: a difference scheme D(M, M, s) developed over the
//     symbol group (run g*M + r holds D[r][c] + g in column c) plus one column
//     r mod s, giving M + 1 columns in s*M runs (Bose and Bush 1952; ch. 6).
struct OrthogonalArrayTable {
    int levels = 0;
    int runs = 0;
    int columns = 0;
    std::vector<std::uint8_t> symbols; // row by row

    int symbol(int run, int column) const
    {
        return symbols[static_cast<std::size_t>(run) * static_cast<std::size_t>(columns) +
                       static_cast<std::size_t>(column)];
    }
};

// The fifteen arrays, built on first use (thread-safe) and kept for the process.
const std::vector<OrthogonalArrayTable>& orthogonalArrayCatalogue();

// The array of that many levels and runs, or null when the catalogue has none.
const OrthogonalArrayTable* findOrthogonalArray(int levels, int runs);

} // namespace Opt::DOE
