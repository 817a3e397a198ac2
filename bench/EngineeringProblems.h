#pragma once

// Constrained engineering designs of the optimisation literature with their
// best known values, shared by the benches that compare constrained searches:
// the pressure vessel (Sandgren 1990, continuous form as in Kannan and Kramer
// 1994) and the welded beam (Deb 1991, in the form of Coello 2000).
// Constraints are written g <= 0, scaled to order one.
#include <cmath>
#include <functional>
#include <string>
#include <vector>

namespace Bench {

// f[0] the objective, then f[1..constraints] the constraints g <= 0.
struct ConstrainedProblem {
    std::string name;
    std::vector<double> lower;
    std::vector<double> upper;
    int constraints;
    double bestKnown;
    std::function<void(const double*, double*)> evaluate;
};

inline void pressureVessel(const double* x, double* f)
{
    constexpr double kPi = 3.14159265358979323846;
    const double ts = x[0], th = x[1], r = x[2], l = x[3];
    f[0] = 0.6224 * ts * r * l + 1.7781 * th * r * r + 3.1661 * ts * ts * l + 19.84 * ts * ts * r;
    f[1] = (-ts + 0.0193 * r) / 0.0193;
    f[2] = (-th + 0.00954 * r) / 0.00954;
    f[3] = (-kPi * r * r * l - 4.0 / 3.0 * kPi * r * r * r + 1296000.0) / 1296000.0;
    f[4] = (l - 240.0) / 240.0;
}

inline void weldedBeam(const double* x, double* f)
{
    const double h = x[0], l = x[1], t = x[2], b = x[3];
    const double load = 6000.0, length = 14.0, e = 30e6, g = 12e6;
    const double tauPrime = load / (std::sqrt(2.0) * h * l);
    const double moment = load * (length + l / 2.0);
    const double radius = std::sqrt(l * l / 4.0 + std::pow((h + t) / 2.0, 2));
    const double inertia = 2.0 * (std::sqrt(2.0) * h * l * (l * l / 12.0 + std::pow((h + t) / 2.0, 2)));
    const double tauSecond = moment * radius / inertia;
    const double tau = std::sqrt(tauPrime * tauPrime + 2.0 * tauPrime * tauSecond * l / (2.0 * radius) +
                                 tauSecond * tauSecond);
    const double sigma = 6.0 * load * length / (b * t * t);
    const double delta = 4.0 * load * std::pow(length, 3) / (e * t * t * t * b);
    const double critical = 4.013 * e * std::sqrt(t * t * std::pow(b, 6) / 36.0) / (length * length) *
                            (1.0 - t / (2.0 * length) * std::sqrt(e / (4.0 * g)));
    f[0] = 1.10471 * h * h * l + 0.04811 * t * b * (14.0 + l);
    f[1] = tau / 13600.0 - 1.0;
    f[2] = sigma / 30000.0 - 1.0;
    f[3] = h - b;
    f[4] = (0.10471 * h * h + 0.04811 * t * b * (14.0 + l) - 5.0) / 5.0;
    f[5] = (0.125 - h) / 0.125;
    f[6] = delta / 0.25 - 1.0;
    f[7] = 1.0 - critical / load;
}

inline ConstrainedProblem pressureVesselProblem()
{
    return {"pressure vessel", {0.0625, 0.0625, 10.0, 10.0}, {6.1875, 6.1875, 200.0, 200.0}, 4,
            5885.3328, pressureVessel};
}

inline ConstrainedProblem weldedBeamProblem()
{
    return {"welded beam", {0.1, 0.1, 0.1, 0.1}, {2.0, 10.0, 10.0, 2.0}, 7, 1.724852, weldedBeam};
}

} // namespace Bench
