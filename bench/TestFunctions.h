#pragma once

// The test functions of the global optimisation literature (Dixon and Szegö,
// "Towards Global Optimisation 2", 1978; Shubert as in Jones, Perttunen and
// Stuckman, 1993) with their usual domains and global minima.
#include <cmath>
#include <functional>
#include <string>
#include <vector>

namespace Bench {

struct TestFunction {
    std::string name;
    std::vector<double> lower;
    std::vector<double> upper;
    double minimum;
    std::function<double(const double*)> value;
    int publishedEvaluations; // DIRECT's count to 0.01% in Jones et al. (1993)
};

inline double shekel(const double* x, int terms)
{
    static const double a[10][4] = {{4, 4, 4, 4}, {1, 1, 1, 1}, {8, 8, 8, 8}, {6, 6, 6, 6},
                                    {3, 7, 3, 7}, {2, 9, 2, 9}, {5, 5, 3, 3}, {8, 1, 8, 1},
                                    {6, 2, 6, 2}, {7, 3.6, 7, 3.6}};
    static const double c[10] = {0.1, 0.2, 0.2, 0.4, 0.4, 0.6, 0.3, 0.7, 0.5, 0.5};
    double sum = 0.0;
    for (int i = 0; i < terms; ++i) {
        double d = c[i];
        for (int j = 0; j < 4; ++j) {
            d += (x[j] - a[i][j]) * (x[j] - a[i][j]);
        }
        sum -= 1.0 / d;
    }
    return sum;
}

inline double hartman3(const double* x)
{
    static const double alpha[4] = {1.0, 1.2, 3.0, 3.2};
    static const double a[4][3] = {{3, 10, 30}, {0.1, 10, 35}, {3, 10, 30}, {0.1, 10, 35}};
    static const double p[4][3] = {{0.3689, 0.1170, 0.2673},
                                   {0.4699, 0.4387, 0.7470},
                                   {0.1091, 0.8732, 0.5547},
                                   {0.03815, 0.5743, 0.8828}};
    double sum = 0.0;
    for (int i = 0; i < 4; ++i) {
        double e = 0.0;
        for (int j = 0; j < 3; ++j) {
            e += a[i][j] * (x[j] - p[i][j]) * (x[j] - p[i][j]);
        }
        sum -= alpha[i] * std::exp(-e);
    }
    return sum;
}

inline double hartman6(const double* x)
{
    static const double alpha[4] = {1.0, 1.2, 3.0, 3.2};
    static const double a[4][6] = {{10, 3, 17, 3.5, 1.7, 8},
                                   {0.05, 10, 17, 0.1, 8, 14},
                                   {3, 3.5, 1.7, 10, 17, 8},
                                   {17, 8, 0.05, 10, 0.1, 14}};
    static const double p[4][6] = {{0.1312, 0.1696, 0.5569, 0.0124, 0.8283, 0.5886},
                                   {0.2329, 0.4135, 0.8307, 0.3736, 0.1004, 0.9991},
                                   {0.2348, 0.1451, 0.3522, 0.2883, 0.3047, 0.6650},
                                   {0.4047, 0.8828, 0.8732, 0.5743, 0.1091, 0.0381}};
    double sum = 0.0;
    for (int i = 0; i < 4; ++i) {
        double e = 0.0;
        for (int j = 0; j < 6; ++j) {
            e += a[i][j] * (x[j] - p[i][j]) * (x[j] - p[i][j]);
        }
        sum -= alpha[i] * std::exp(-e);
    }
    return sum;
}

inline std::vector<TestFunction> globalTestFunctions()
{
    const double pi = 3.14159265358979323846;
    return {
        {"Shekel-5", {0, 0, 0, 0}, {10, 10, 10, 10}, -10.1531997,
         [](const double* x) { return shekel(x, 5); }, 155},
        {"Shekel-7", {0, 0, 0, 0}, {10, 10, 10, 10}, -10.4029406,
         [](const double* x) { return shekel(x, 7); }, 145},
        {"Shekel-10", {0, 0, 0, 0}, {10, 10, 10, 10}, -10.5364098,
         [](const double* x) { return shekel(x, 10); }, 145},
        {"Hartman-3", {0, 0, 0}, {1, 1, 1}, -3.86278215, hartman3, 199},
        {"Hartman-6", {0, 0, 0, 0, 0, 0}, {1, 1, 1, 1, 1, 1}, -3.32236801, hartman6, 571},
        {"Branin", {-5, 0}, {10, 15}, 0.397887358,
         [pi](const double* x) {
             const double a = x[1] - 5.1 / (4 * pi * pi) * x[0] * x[0] + 5 / pi * x[0] - 6;
             return a * a + 10 * (1 - 1 / (8 * pi)) * std::cos(x[0]) + 10;
         },
         195},
        {"Goldstein-Price", {-2, -2}, {2, 2}, 3.0,
         [](const double* v) {
             const double x = v[0];
             const double y = v[1];
             return (1 + (x + y + 1) * (x + y + 1) *
                             (19 - 14 * x + 3 * x * x - 14 * y + 6 * x * y + 3 * y * y)) *
                    (30 + (2 * x - 3 * y) * (2 * x - 3 * y) *
                              (18 - 32 * x + 12 * x * x + 48 * y - 36 * x * y + 27 * y * y));
         },
         191},
        {"Six-hump camel", {-3, -2}, {3, 2}, -1.03162845,
         [](const double* x) {
             const double a = x[0] * x[0];
             return (4 - 2.1 * a + a * a / 3) * a + x[0] * x[1] + (-4 + 4 * x[1] * x[1]) * x[1] * x[1];
         },
         285},
        {"Shubert", {-10, -10}, {10, 10}, -186.730909,
         [](const double* x) {
             double s0 = 0.0;
             double s1 = 0.0;
             for (int i = 1; i <= 5; ++i) {
                 s0 += i * std::cos((i + 1) * x[0] + i);
                 s1 += i * std::cos((i + 1) * x[1] + i);
             }
             return s0 * s1;
         },
         2967},
    };
}

} // namespace Bench
