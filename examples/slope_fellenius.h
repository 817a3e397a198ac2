// The factor of safety of a simple homogeneous slope on circular slip surfaces
// by the ordinary method of slices (Fellenius 1936; e.g. Das, "Principles of
// Geotechnical Engineering", the ordinary method of slices):
//
//   FS = sum(c b / cos(a) + W cos(a) tan(phi)) / sum(W sin(a))
//
// over the slices of the sliding mass, W a slice's weight, b its width and a
// the inclination of its base. Dry ground, no pore pressure, no inter-slice
// forces (which is what makes the method conservative for c-phi soils).
//
// Geometry (metres, y up): the toe at (0, 0), a face rising at 2 horizontal to
// 1 vertical to the crest at (20, 10), level ground on both sides; the model
// runs from x = -10 to x = 40 and rests on a firm base at y = -5. This is the
// slope and soil of the ACADS review's problem 1(a) (Giam and Donald, 1989):
// height 10 m, c' = 3 kPa, phi' = 19.6 degrees, unit weight 20 kN/m3.
//
// A slip circle is given by its centre (xc, yc) and radius R. It is
// admissible when its lower arc cuts the ground along one stretch that lies
// inside the model, never reaches below the firm base, and carries a mass
// whose weight drives it towards the toe; any other circle gets the
// failed-evaluation marker 1e100, as a host reports a surface it cannot
// analyse.
//
// Header-only so that the demo and the tests compute the same slope.
#pragma once

#include <algorithm>
#include <cmath>

namespace slope {

constexpr double kFailed = 1e100;
constexpr double kPi = 3.14159265358979323846;

struct Soil {
    double cohesion = 3.0;       // kPa
    double frictionDegrees = 19.6;
    double unitWeight = 20.0;    // kN/m3
};

struct Geometry {
    double height = 10.0;
    double run = 20.0;        // horizontal extent of the face
    double modelLeft = -10.0;
    double modelRight = 40.0;
    double baseLevel = -5.0;

    double ground(double x) const { return std::clamp(x * height / run, 0.0, height); }
};

struct Circle {
    double xc, yc, radius;

    // Below the ground where the result is positive (the arc's depth under it).
    double depthBelow(const Geometry& g, double x) const
    {
        const double d = radius * radius - (x - xc) * (x - xc);
        return d <= 0.0 ? 0.0 : g.ground(x) - (yc - std::sqrt(d));
    }
};

// The stretch [left, right] where the arc lies under the ground, found on a
// fine scan; false when there is none or when it breaks into pieces.
inline bool slidingStretch(const Circle& c, const Geometry& g, double& left, double& right)
{
    constexpr int kScan = 400;
    const double a = c.xc - c.radius;
    const double step = 2.0 * c.radius / kScan;
    int pieces = 0;
    bool inside = false;
    for (int k = 0; k <= kScan; ++k) {
        const double x = a + k * step;
        const bool under = c.depthBelow(g, x) > 0.0;
        if (under && !inside) {
            ++pieces;
            left = x;
        }
        if (under) {
            right = x;
        }
        inside = under;
    }
    return pieces == 1 && right > left;
}

inline double factorOfSafety(const Circle& c, const Soil& soil, const Geometry& g,
                             int slices = 60)
{
    double left = 0.0;
    double right = 0.0;
    if (!(c.radius > 0.0) || !slidingStretch(c, g, left, right)) {
        return kFailed;
    }
    if (left < g.modelLeft || right > g.modelRight || c.yc - c.radius < g.baseLevel) {
        return kFailed;
    }
    const double tanPhi = std::tan(soil.frictionDegrees * kPi / 180.0);
    const double b = (right - left) / slices;
    double resisting = 0.0;
    double driving = 0.0;
    for (int i = 0; i < slices; ++i) {
        const double x = left + (i + 0.5) * b;
        const double h = std::max(0.0, c.depthBelow(g, x));
        const double sinA = std::clamp((x - c.xc) / c.radius, -1.0, 1.0);
        const double cosA = std::sqrt(1.0 - sinA * sinA);
        if (cosA < 1e-6) {
            return kFailed; // a vertical base: the slice method does not apply
        }
        const double weight = soil.unitWeight * h * b;
        resisting += soil.cohesion * b / cosA + weight * cosA * tanPhi;
        driving += weight * sinA;
    }
    return driving > 0.0 ? resisting / driving : kFailed;
}

// The critical circle of an exhaustive grid over centre and radius: the
// reference the optimiser is measured against.
struct GridResult {
    Circle circle{0.0, 0.0, 0.0};
    double factor = kFailed;
    int admissible = 0;
};

inline GridResult gridSearch(const Soil& soil, const Geometry& g, const double lower[3],
                             const double upper[3], int steps)
{
    GridResult best;
    for (int i = 0; i <= steps; ++i) {
        for (int j = 0; j <= steps; ++j) {
            for (int k = 0; k <= steps; ++k) {
                const Circle c{lower[0] + (upper[0] - lower[0]) * i / steps,
                               lower[1] + (upper[1] - lower[1]) * j / steps,
                               lower[2] + (upper[2] - lower[2]) * k / steps};
                const double fs = factorOfSafety(c, soil, g);
                if (fs < kFailed) {
                    ++best.admissible;
                }
                if (fs < best.factor) {
                    best.factor = fs;
                    best.circle = c;
                }
            }
        }
    }
    return best;
}

} // namespace slope
