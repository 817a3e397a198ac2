#pragma once

// The sixteen constrained problems the sequential approximate optimisation is
// measured on (tests and bench/SaoBench.cpp): eight of the Hock-Schittkowski
// table, four more of the collection, and four engineering designs. Same form
// as that table: f[0] the objective, then constraints c(x) <= 0; engineering
// constraints are scaled to be of order one.
//
// Sources: Hock and Schittkowski 1981 (HS19, HS64, HS93, HS95; HS64's lower
// bounds 1e-5 raised to 0.5, where its objective 50000/x already exceeds 1e5,
// and finite upper bounds holding the solution for HS64 and HS93); Arora,
// "Introduction to Optimum Design", 1989 (tension spring); Ragsdell and
// Phillips 1976, with Coello's 2000 constants (welded beam); Sandgren 1990 with
// continuous thicknesses, optimum of Kannan and Kramer 1994's form with L <= 200
// (pressure vessel); Nowacki 1973 (three-bar truss).

#include <algorithm>
#include <string>

#include "../gradient/HockSchittkowskiProblems.h"

namespace Opt::Reference {

inline std::vector<HockSchittkowskiProblem> additionalSaoProblems()
{
    return {
        problem("HS19", {20.1, 5.84}, {13, 0}, {100, 100}, 3, -6961.81381,
                [](const auto* x, auto* f) {
                    f[0] = (x[0] - 10.0) * square(x[0] - 10.0) + (x[1] - 20.0) * square(x[1] - 20.0);
                    f[1] = -(square(x[0] - 5.0) + square(x[1] - 5.0) - 100.0);
                    f[2] = square(x[1] - 5.0) + square(x[0] - 6.0) - 82.81;
                }),
        problem("HS64", {1, 1, 1}, {0.5, 0.5, 0.5}, {300, 300, 300}, 2, 6299.842428,
                [](const auto* x, auto* f) {
                    f[0] = 5.0 * x[0] + 50000.0 / x[0] + 20.0 * x[1] + 72000.0 / x[1] +
                           10.0 * x[2] + 144000.0 / x[2];
                    f[1] = -(1.0 - 4.0 / x[0] - 32.0 / x[1] - 120.0 / x[2]);
                }),
        problem("HS93", {5.54, 4.4, 12.02, 11.82, 0.702, 0.852}, {0, 0, 0, 0, 0, 0},
                {20, 20, 20, 20, 2, 2}, 3, 135.075961, [](const auto* x, auto* f) {
                    const auto a = x[0] + x[1] + x[2];
                    const auto b = x[0] + 1.57 * x[1] + x[3];
                    f[0] = 0.0204 * x[0] * x[3] * a + 0.0187 * x[1] * x[2] * b +
                           0.0607 * x[0] * x[3] * square(x[4]) * a +
                           0.0437 * x[1] * x[2] * square(x[5]) * b;
                    f[1] = -(0.001 * x[0] * x[1] * x[2] * x[3] * x[4] * x[5] - 2.07);
                    f[2] = -(1.0 - 0.00062 * x[0] * x[3] * square(x[4]) * a -
                             0.00058 * x[1] * x[2] * square(x[5]) * b);
                }),
        problem("HS95", {0, 0, 0, 0, 0, 0}, {0, 0, 0, 0, 0, 0},
                {0.31, 0.046, 0.068, 0.042, 0.028, 0.0134}, 5, 0.015619514,
                [](const auto* x, auto* f) {
                    f[0] = 4.3 * x[0] + 31.8 * x[1] + 63.3 * x[2] + 15.8 * x[3] + 68.5 * x[4] +
                           4.7 * x[5];
                    f[1] = -(17.1 * x[0] + 38.2 * x[1] + 204.2 * x[2] + 212.3 * x[3] +
                             623.4 * x[4] + 1495.5 * x[5] - 169.0 * x[0] * x[2] -
                             3580.0 * x[2] * x[4] - 3810.0 * x[3] * x[4] -
                             18500.0 * x[3] * x[5] - 24300.0 * x[4] * x[5] - 4.97);
                    f[2] = -(17.9 * x[0] + 36.8 * x[1] + 113.9 * x[2] + 169.7 * x[3] +
                             337.8 * x[4] + 1385.2 * x[5] - 139.0 * x[0] * x[2] -
                             2450.0 * x[3] * x[4] - 16600.0 * x[3] * x[5] -
                             17200.0 * x[4] * x[5] + 1.88);
                    f[3] = -(-273.0 * x[1] - 70.0 * x[3] - 819.0 * x[4] + 26000.0 * x[3] * x[4] +
                             29.08);
                    f[4] = -(159.9 * x[0] - 311.0 * x[1] + 587.0 * x[3] + 391.0 * x[4] +
                             2198.0 * x[5] - 14000.0 * x[0] * x[5] + 78.02);
                }),
        // Wire diameter d, coil diameter D, active coils N.
        problem("spring", {0.06, 0.5, 10}, {0.05, 0.25, 2}, {2, 1.3, 15}, 5, 0.012665233,
                [](const auto* x, auto* f) {
                    const auto d = x[0], coil = x[1], turns = x[2];
                    f[0] = (turns + 2.0) * coil * square(d);
                    f[1] = 1.0 - coil * square(coil) * turns / (71785.0 * square(square(d)));
                    f[2] = (4.0 * square(coil) - d * coil) /
                               (12566.0 * (coil * d * square(d) - square(square(d)))) +
                           1.0 / (5108.0 * square(d)) - 1.0;
                    f[3] = 1.0 - 140.45 * d / (square(coil) * turns);
                    f[4] = (coil + d) / 1.5 - 1.0;
                }),
        // Weld size h, weld length l, bar height t, bar thickness b.
        problem("welded beam", {1, 5, 5, 1}, {0.1, 0.1, 0.1, 0.1}, {2, 10, 10, 2}, 8, 1.724852,
                [](const auto* x, auto* f) {
                    const double load = 6000.0, length = 14.0, young = 30e6, shear = 12e6;
                    const auto h = x[0], l = x[1], t = x[2], b = x[3];
                    const auto primary = load / (std::sqrt(2.0) * h * l);
                    const auto moment = load * (length + 0.5 * l);
                    const auto radius = sqrt(0.25 * square(l) + square(0.5 * (h + t)));
                    const auto polar =
                        2.0 * (std::sqrt(2.0) * h * l * (square(l) / 12.0 + square(0.5 * (h + t))));
                    const auto secondary = moment * radius / polar;
                    const auto tau = sqrt(square(primary) + primary * secondary * l / radius +
                                          square(secondary));
                    const auto sigma = 6.0 * load * length / (b * square(t));
                    const auto delta = 4.0 * load * length * length * length / (young * t * square(t) * b);
                    const auto critical = 4.013 * young * sqrt(square(t) * square(b * square(b)) / 36.0) /
                                          (length * length) *
                                          (1.0 - t / (2.0 * length) * std::sqrt(young / (4.0 * shear)));
                    f[0] = 1.10471 * square(h) * l + 0.04811 * t * b * (14.0 + l);
                    f[1] = tau / 13600.0 - 1.0;
                    f[2] = sigma / 30000.0 - 1.0;
                    f[3] = h - b;
                    f[4] = (0.10471 * square(h) + 0.04811 * t * b * (14.0 + l)) / 5.0 - 1.0;
                    f[5] = (0.125 - h) / 0.125;
                    f[6] = delta / 0.25 - 1.0;
                    f[7] = 1.0 - critical / load;
                }),
        // Shell thickness, head thickness, inner radius R, length L.
        problem("pressure vessel", {1, 0.5, 50, 100}, {0.0625, 0.0625, 10, 10},
                {6.1875, 6.1875, 200, 200}, 4, 5885.3328, [](const auto* x, auto* f) {
                    const double pi = 3.14159265358979323846;
                    f[0] = 0.6224 * x[0] * x[2] * x[3] + 1.7781 * x[1] * square(x[2]) +
                           3.1661 * square(x[0]) * x[3] + 19.84 * square(x[0]) * x[2];
                    f[1] = -x[0] + 0.0193 * x[2];
                    f[2] = -x[1] + 0.00954 * x[2];
                    f[3] = 1.0 - (pi * square(x[2]) * x[3] + 4.0 / 3.0 * pi * x[2] * square(x[2])) /
                                     1296000.0;
                }),
        // Bar areas A1 (= A3) and A2; load 2, allowable stress 2, length 100.
        problem("three-bar truss", {0.5, 0.5}, {0.001, 0.001}, {1, 1}, 4, 263.8958434,
                [](const auto* x, auto* f) {
                    const double root2 = std::sqrt(2.0);
                    const auto denominator = root2 * square(x[0]) + 2.0 * x[0] * x[1];
                    f[0] = (2.0 * root2 * x[0] + x[1]) * 100.0;
                    f[1] = (root2 * x[0] + x[1]) / denominator * 2.0 - 2.0;
                    f[2] = x[1] / denominator * 2.0 - 2.0;
                    f[3] = 2.0 / (root2 * x[1] + x[0]) - 2.0;
                }),
    };
}

// The sixteen, in the order the bench reports them.
inline const std::vector<HockSchittkowskiProblem>& saoReferenceProblems()
{
    static const std::vector<HockSchittkowskiProblem> table = [] {
        std::vector<HockSchittkowskiProblem> chosen;
        const auto& hs = hockSchittkowskiProblems();
        for (const char* name : {"HS21", "HS35", "HS43", "HS65", "HS76"}) {
            chosen.push_back(*std::find_if(hs.begin(), hs.end(),
                                           [&](const auto& p) { return p.name == name; }));
        }
        const auto more = additionalSaoProblems();
        chosen.push_back(more[0]); // HS19
        chosen.push_back(*std::find_if(hs.begin(), hs.end(),
                                       [](const auto& p) { return p.name == "HS36"; }));
        chosen.push_back(more[1]); // HS64
        for (const char* name : {"HS66", "HS83"}) {
            chosen.push_back(*std::find_if(hs.begin(), hs.end(),
                                           [&](const auto& p) { return p.name == name; }));
        }
        chosen.insert(chosen.end(), more.begin() + 2, more.end());
        return chosen;
    }();
    return table;
}

} // namespace Opt::Reference
