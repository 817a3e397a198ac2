// Fitting the coefficients of a model to data with LinearProbOPT: the straight
// line y = a + b t through five measurements by least squares, posed as the
// service's weighted sum of squares under linear constraints, and checked against
// the normal equations.
#include <cmath>
#include <cstdio>
#include <vector>

#include "zelkor.h"

int main()
{
    const std::vector<double> t = {0.0, 1.0, 2.0, 3.0, 4.0};
    const std::vector<double> y = {1.1, 2.9, 5.2, 6.8, 9.1};
    const int points = static_cast<int>(t.size());

    // The service minimises a norm of weighted coefficients, so each residual gets
    // a coefficient of its own, e_k, bounded by two rows: |a + b t_k - y_k| <= e_k.
    // Coefficients: a, b, e_0 ... e_4; only the e_k carry weight, and the sum of
    // their squares is then the sum of squared residuals.
    const int n = 2 + points;
    const int m = 2 * points;
    std::vector<std::vector<double>> rowStore(static_cast<std::size_t>(m),
                                              std::vector<double>(static_cast<std::size_t>(n)));
    std::vector<double> rhs(static_cast<std::size_t>(m));
    for (int k = 0; k < points; ++k) {
        std::vector<double>& above = rowStore[static_cast<std::size_t>(2 * k)];
        std::vector<double>& below = rowStore[static_cast<std::size_t>(2 * k + 1)];
        above[0] = 1.0;            //  a + b t_k - e_k <=  y_k
        above[1] = t[k];
        above[2 + k] = -1.0;
        rhs[static_cast<std::size_t>(2 * k)] = y[k];
        below[0] = -1.0;           // -a - b t_k - e_k <= -y_k
        below[1] = -t[k];
        below[2 + k] = -1.0;
        rhs[static_cast<std::size_t>(2 * k + 1)] = -y[k];
    }
    std::vector<const double*> rows;
    for (const auto& row : rowStore) {
        rows.push_back(row.data());
    }
    std::vector<double> weights(static_cast<std::size_t>(n), 1.0);
    weights[0] = weights[1] = 0.0;
    // A feasible start inside [-20, 20]: a flat line with generous residual bounds.
    std::vector<double> x(static_cast<std::size_t>(n), 10.0);
    x[0] = x[1] = 0.0;

    double result[3];
    const int sumOfSquares = 2;
    const int eitherSign = 0;
    const int satisfied = LinearProbOPT(m, n, x.data(), rows.data(), rhs.data(), weights.data(),
                                        sumOfSquares, eitherSign, result);

    // The least-squares line from the normal equations, for comparison.
    double tMean = 0.0, yMean = 0.0;
    for (int k = 0; k < points; ++k) {
        tMean += t[k] / points;
        yMean += y[k] / points;
    }
    double sty = 0.0, stt = 0.0;
    for (int k = 0; k < points; ++k) {
        sty += (t[k] - tMean) * (y[k] - yMean);
        stt += (t[k] - tMean) * (t[k] - tMean);
    }
    const double slope = sty / stt;
    const double intercept = yMean - slope * tMean;

    std::printf("fit:              y = %.6f + %.6f t, sum of squared residuals %.6f\n", x[0],
                x[1], result[0]);
    std::printf("normal equations: y = %.6f + %.6f t\n", intercept, slope);
    std::printf("largest constraint value %.2e, %.3f CPU s\n", result[1], result[2]);
    return satisfied == 1 && std::fabs(x[0] - intercept) < 1e-4 && std::fabs(x[1] - slope) < 1e-4
               ? 0
               : 1;
}
