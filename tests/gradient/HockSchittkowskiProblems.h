#pragma once

// Source: W. Hock and K. Schittkowski, "Test Examples for Nonlinear Programming
// Codes", Lecture Notes in Economics and Mathematical Systems 187, Springer
// 1981; problem numbers and published optima are the collection's. Written as
// generic lambdas so one formulation gives responses (double) and exact
// derivatives (ForwardDual). f[0] is the objective, then constraints c(x) <= 0 (the
// collection's c >= 0 negated). Free variables get a box holding the solution
// and the start; starts outside their bounds (HS21, HS65) move onto them.

#include <cmath>
#include <string>
#include <vector>

namespace Opt::Reference {

struct ForwardDual { // a number with one directional derivative
    double value = 0.0, derivative = 0.0;
    ForwardDual() = default;
    ForwardDual(double v, double d = 0.0) : value(v), derivative(d) {}
};

inline ForwardDual operator+(ForwardDual a, ForwardDual b) { return {a.value + b.value, a.derivative + b.derivative}; }
inline ForwardDual operator-(ForwardDual a, ForwardDual b) { return {a.value - b.value, a.derivative - b.derivative}; }
inline ForwardDual operator-(ForwardDual a) { return {-a.value, -a.derivative}; }
inline ForwardDual operator*(ForwardDual a, ForwardDual b) { return {a.value * b.value, a.derivative * b.value + a.value * b.derivative}; }
inline ForwardDual operator/(ForwardDual a, ForwardDual b) { return {a.value / b.value, (a.derivative * b.value - a.value * b.derivative) / (b.value * b.value)}; }
inline ForwardDual exp(ForwardDual a) { return {std::exp(a.value), std::exp(a.value) * a.derivative}; }
inline ForwardDual sin(ForwardDual a) { return {std::sin(a.value), std::cos(a.value) * a.derivative}; }
inline ForwardDual sqrt(ForwardDual a) { return {std::sqrt(a.value), 0.5 * a.derivative / std::sqrt(a.value)}; }
using std::exp;
using std::sin;
using std::sqrt;

template <typename T> T square(T a) { return a * a; }

struct HockSchittkowskiProblem {
    std::string name;
    std::vector<double> start;
    std::vector<double> lower;
    std::vector<double> upper;
    int nResponses = 1; // objective plus constraint rows
    double optimum = 0.0;
    void (*responses)(const double* x, double* f) = nullptr;
    void (*dualResponses)(const ForwardDual* x, ForwardDual* f) = nullptr;

    int nVariables() const { return static_cast<int>(start.size()); }
};

// One formulation, instantiated for double and for ForwardDual.
template <typename Responses>
HockSchittkowskiProblem problem(std::string name, std::vector<double> start,
                                std::vector<double> lower, std::vector<double> upper,
                                int nResponses, double optimum, Responses responses)
{
    return {std::move(name), std::move(start), std::move(lower), std::move(upper), nResponses,
            optimum, responses, responses};
}

inline const std::vector<HockSchittkowskiProblem>& hockSchittkowskiProblems()
{
    static const std::vector<HockSchittkowskiProblem> table = {
        // f* = 5 at (sqrt(250), sqrt(2.5)).
        problem("HS18", {2, 2}, {2, 0}, {50, 50}, 3, 5.0, [](const auto* x, auto* f) {
            f[0] = 0.01 * square(x[0]) + square(x[1]);
            f[1] = 25.0 - x[0] * x[1];
            f[2] = 25.0 - square(x[0]) - square(x[1]);
        }),
        // f* = -99.96 at (2, 0).
        problem("HS21", {2, -1}, {2, -50}, {50, 50}, 2, -99.96, [](const auto* x, auto* f) {
            f[0] = 0.01 * square(x[0]) + square(x[1]) - 100.0;
            f[1] = -(10.0 * x[0] - x[1] - 10.0);
        }),
        // f* = 2 at (1, 1).
        problem("HS23", {3, 1}, {-50, -50}, {50, 50}, 6, 2.0, [](const auto* x, auto* f) {
            f[0] = square(x[0]) + square(x[1]);
            f[1] = -(x[0] + x[1] - 1.0);
            f[2] = -(square(x[0]) + square(x[1]) - 1.0);
            f[3] = -(9.0 * square(x[0]) + square(x[1]) - 9.0);
            f[4] = -(square(x[0]) - x[1]);
            f[5] = -(square(x[1]) - x[0]);
        }),
        // f* = -1 at (3, sqrt(3)).
        problem("HS24", {1, 0.5}, {0, 0}, {6, 6}, 4, -1.0, [](const auto* x, auto* f) {
            const double root3 = std::sqrt(3.0);
            f[0] = (square(x[0] - 3.0) - 9.0) * x[1] * x[1] * x[1] / (27.0 * root3);
            f[1] = -(x[0] / root3 - x[1]);
            f[2] = -(x[0] + root3 * x[1]);
            f[3] = -(6.0 - x[0] - root3 * x[1]);
        }),
        // f* = -ln(ln 10).
        problem("HS34", {0, 1.05, 2.9}, {0, 0, 0}, {100, 100, 10}, 3, -0.834032445,
                [](const auto* x, auto* f) {
                    f[0] = -x[0];
                    f[1] = -(x[1] - exp(x[0]));
                    f[2] = -(x[2] - exp(x[1]));
                }),
        // f* = 1/9 at (4/3, 7/9, 4/9).
        problem("HS35", {0.5, 0.5, 0.5}, {0, 0, 0}, {3, 3, 3}, 2, 1.0 / 9.0,
                [](const auto* x, auto* f) {
                    f[0] = 9.0 - 8.0 * x[0] - 6.0 * x[1] - 4.0 * x[2] + 2.0 * square(x[0]) +
                           2.0 * square(x[1]) + square(x[2]) + 2.0 * x[0] * x[1] + 2.0 * x[0] * x[2];
                    f[1] = -(3.0 - x[0] - x[1] - 2.0 * x[2]);
                }),
        // f* = -3300 at (20, 11, 15).
        problem("HS36", {10, 10, 10}, {0, 0, 0}, {20, 11, 42}, 2, -3300.0,
                [](const auto* x, auto* f) {
                    f[0] = -(x[0] * x[1] * x[2]);
                    f[1] = -(72.0 - x[0] - 2.0 * x[1] - 2.0 * x[2]);
                }),
        // f* = -3456 at (24, 12, 12).
        problem("HS37", {10, 10, 10}, {0, 0, 0}, {42, 42, 42}, 3, -3456.0,
                [](const auto* x, auto* f) {
                    f[0] = -(x[0] * x[1] * x[2]);
                    f[1] = -(72.0 - x[0] - 2.0 * x[1] - 2.0 * x[2]);
                    f[2] = -(x[0] + 2.0 * x[1] + 2.0 * x[2]);
                }),
        // Rosen-Suzuki: f* = -44 at (0, 1, 2, -1).
        problem("HS43", {0, 0, 0, 0}, {-5, -5, -5, -5}, {5, 5, 5, 5}, 4, -44.0,
                [](const auto* x, auto* f) {
                    f[0] = square(x[0]) + square(x[1]) + 2.0 * square(x[2]) + square(x[3]) -
                           5.0 * x[0] - 5.0 * x[1] - 21.0 * x[2] + 7.0 * x[3];
                    f[1] = -(8.0 - square(x[0]) - square(x[1]) - square(x[2]) - square(x[3]) -
                             x[0] + x[1] - x[2] + x[3]);
                    f[2] = -(10.0 - square(x[0]) - 2.0 * square(x[1]) - square(x[2]) -
                             2.0 * square(x[3]) + x[0] + x[3]);
                    f[3] = -(5.0 - 2.0 * square(x[0]) - square(x[1]) - square(x[2]) - 2.0 * x[0] +
                             x[1] + x[3]);
                }),
        // f* at (3.650461821, 3.65046168, 4.6204170507).
        problem("HS65", {-4.5, 4.5, 0}, {-4.5, -4.5, -5}, {4.5, 4.5, 5}, 2, 0.9535288567,
                [](const auto* x, auto* f) {
                    f[0] = square(x[0] - x[1]) + square(x[0] + x[1] - 10.0) / 9.0 +
                           square(x[2] - 5.0);
                    f[1] = -(48.0 - square(x[0]) - square(x[1]) - square(x[2]));
                }),
        problem("HS66", {0, 1.05, 2.9}, {0, 0, 0}, {100, 100, 10}, 3, 0.5181632741,
                [](const auto* x, auto* f) {
                    f[0] = 0.2 * x[2] - 0.8 * x[0];
                    f[1] = -(x[1] - exp(x[0]));
                    f[2] = -(x[2] - exp(x[1]));
                }),
        // f* at (0.2727273, 2.090909, 0, 0.5454545).
        problem("HS76", {0.5, 0.5, 0.5, 0.5}, {0, 0, 0, 0}, {5, 5, 5, 5}, 4, -4.681818181,
                [](const auto* x, auto* f) {
                    f[0] = square(x[0]) + 0.5 * square(x[1]) + square(x[2]) + 0.5 * square(x[3]) -
                           x[0] * x[2] + x[2] * x[3] - x[0] - 3.0 * x[1] + x[2] - x[3];
                    f[1] = -(5.0 - x[0] - 2.0 * x[1] - x[2] - x[3]);
                    f[2] = -(4.0 - 3.0 * x[0] - x[1] - 2.0 * x[2] + x[3]);
                    f[3] = -(x[1] + 4.0 * x[2] - 1.5);
                }),
        // Colville.
        problem("HS83", {78, 33, 27, 27, 27}, {78, 33, 27, 27, 27}, {102, 45, 45, 45, 45}, 7,
                -30665.53867, [](const auto* x, auto* f) {
                    const auto a = 85.334407 + 0.0056858 * x[1] * x[4] + 0.0006262 * x[0] * x[3] -
                                   0.0022053 * x[2] * x[4];
                    const auto b = 80.51249 + 0.0071317 * x[1] * x[4] + 0.0029955 * x[0] * x[1] +
                                   0.0021813 * square(x[2]);
                    const auto c = 9.300961 + 0.0047026 * x[2] * x[4] + 0.0012547 * x[0] * x[2] +
                                   0.0019085 * x[2] * x[3];
                    f[0] = 5.3578547 * square(x[2]) + 0.8356891 * x[0] * x[4] + 37.293239 * x[0] -
                           40792.141;
                    f[1] = -a;
                    f[2] = a - 92.0;
                    f[3] = 90.0 - b;
                    f[4] = b - 110.0;
                    f[5] = 20.0 - c;
                    f[6] = c - 25.0;
                }),
        problem("HS100", {1, 2, 0, 4, 0, 1, 1}, std::vector<double>(7, -5.0),
                std::vector<double>(7, 5.0), 5, 680.6300573, [](const auto* x, auto* f) {
                    f[0] = square(x[0] - 10.0) + 5.0 * square(x[1] - 12.0) + square(square(x[2])) +
                           3.0 * square(x[3] - 11.0) + 10.0 * square(square(x[4]) * x[4]) +
                           7.0 * square(x[5]) + square(square(x[6])) - 4.0 * x[5] * x[6] -
                           10.0 * x[5] - 8.0 * x[6];
                    f[1] = -(127.0 - 2.0 * square(x[0]) - 3.0 * square(square(x[1])) - x[2] -
                             4.0 * square(x[3]) - 5.0 * x[4]);
                    f[2] = -(282.0 - 7.0 * x[0] - 3.0 * x[1] - 10.0 * square(x[2]) - x[3] + x[4]);
                    f[3] = -(196.0 - 23.0 * x[0] - square(x[1]) - 6.0 * square(x[5]) + 8.0 * x[6]);
                    f[4] = -(-4.0 * square(x[0]) - square(x[1]) + 3.0 * x[0] * x[1] -
                             2.0 * square(x[2]) - 5.0 * x[5] + 11.0 * x[6]);
                }),
        // Wong 2.
        problem("HS113", {2, 3, 5, 5, 1, 2, 7, 3, 6, 10}, std::vector<double>(10, 0.0),
                std::vector<double>(10, 12.0), 9, 24.3062091, [](const auto* x, auto* f) {
                    f[0] = square(x[0]) + square(x[1]) + x[0] * x[1] - 14.0 * x[0] - 16.0 * x[1] +
                           square(x[2] - 10.0) + 4.0 * square(x[3] - 5.0) + square(x[4] - 3.0) +
                           2.0 * square(x[5] - 1.0) + 5.0 * square(x[6]) +
                           7.0 * square(x[7] - 11.0) + 2.0 * square(x[8] - 10.0) +
                           square(x[9] - 7.0) + 45.0;
                    f[1] = -(105.0 - 4.0 * x[0] - 5.0 * x[1] + 3.0 * x[6] - 9.0 * x[7]);
                    f[2] = -(-10.0 * x[0] + 8.0 * x[1] + 17.0 * x[6] - 2.0 * x[7]);
                    f[3] = -(8.0 * x[0] - 2.0 * x[1] - 5.0 * x[8] + 2.0 * x[9] + 12.0);
                    f[4] = -(-3.0 * square(x[0] - 2.0) - 4.0 * square(x[1] - 3.0) -
                             2.0 * square(x[2]) + 7.0 * x[3] + 120.0);
                    f[5] = -(-5.0 * square(x[0]) - 8.0 * x[1] - square(x[2] - 6.0) + 2.0 * x[3] +
                             40.0);
                    f[6] = -(-0.5 * square(x[0] - 8.0) - 2.0 * square(x[1] - 4.0) -
                             3.0 * square(x[4]) + x[5] + 30.0);
                    f[7] = -(-square(x[0]) - 2.0 * square(x[1] - 2.0) + 2.0 * x[0] * x[1] -
                             14.0 * x[4] + 6.0 * x[5]);
                    f[8] = -(3.0 * x[0] - 6.0 * x[1] - 12.0 * square(x[8] - 8.0) + 7.0 * x[9]);
                }),
        // Five periods of three generators: ramp limits between periods, demand in each.
        problem("HS118", {20, 55, 15, 20, 60, 20, 20, 60, 20, 20, 60, 20, 20, 60, 20},
                {8, 43, 3, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0},
                {21, 57, 16, 90, 120, 60, 90, 120, 60, 90, 120, 60, 90, 120, 60}, 30, 664.8204500,
                [](const auto* x, auto* f) {
                    f[0] = 0.0;
                    for (int k = 0; k < 15; k += 3) {
                        f[0] = f[0] + 2.3 * x[k] + 0.0001 * square(x[k]) + 1.7 * x[k + 1] +
                               0.0001 * square(x[k + 1]) + 2.2 * x[k + 2] +
                               0.00015 * square(x[k + 2]);
                    }
                    const double upperRamp[3] = {13.0, 14.0, 13.0};
                    const double demand[5] = {60.0, 50.0, 70.0, 85.0, 100.0};
                    int row = 1;
                    for (int j = 3; j < 15; ++j) {
                        const auto ramp = x[j] - x[j - 3] + 7.0;
                        f[row++] = -ramp;
                        f[row++] = ramp - upperRamp[j % 3];
                    }
                    for (int k = 0; k < 5; ++k) {
                        f[row++] = demand[k] - (x[3 * k] + x[3 * k + 1] + x[3 * k + 2]);
                    }
                }),
    };
    return table;
}

// Exact gradients of a problem's responses: g[i][j] = d f_j / d x_i.
inline void exactGradients(const HockSchittkowskiProblem& problem, const double* x, double** g)
{
    const int n = problem.nVariables();
    std::vector<ForwardDual> point(static_cast<std::size_t>(n));
    std::vector<ForwardDual> values(static_cast<std::size_t>(problem.nResponses));
    for (int i = 0; i < n; ++i) {
        for (int k = 0; k < n; ++k) {
            point[k] = ForwardDual(x[k], k == i ? 1.0 : 0.0);
        }
        problem.dualResponses(point.data(), values.data());
        for (int j = 0; j < problem.nResponses; ++j) {
            g[i][j] = values[j].derivative;
        }
    }
}

} // namespace Opt::Reference
