// A design of experiments from arrangeDOE_: a three-level full factorial over a
// continuous temperature and a catalyst loading that comes in three sizes, sized
// first with get_nexp and printed point by point.
#include <cstdio>
#include <vector>

#include "zelkor.h"

int main()
{
    constexpr int kFactors = 2;
    // Full factorial (0), discrete variables snapped to their levels (1), three
    // levels per variable (2); [3] is not read by a full factorial.
    const int settings[4] = {0, 1, 3, 0};
    // The bound lists one after another: temperature [lower, upper] in degrees C;
    // catalyst [lower, level..., upper] in grams. Only the entries between the
    // bounds are levels, so the smallest and largest sizes, 1 and 4 g, stand
    // twice; [1, 2, 4] would leave 2 g the only level to snap to.
    const double boundLists[] = {150.0, 200.0, 1.0, 1.0, 2.0, 4.0, 4.0};
    const int listLengths[kFactors] = {2, 5};

    const int room = get_nexp(settings, kFactors);
    if (room < 1) {
        std::printf("get_nexp selected no design (%d)\n", room);
        return 1;
    }
    std::vector<double> points(static_cast<std::size_t>(room) * kFactors);
    const int count = arrangeDOE_(settings, kFactors, nullptr, boundLists, listLengths,
                                  points.data(), room);
    if (count < 1 || count > room) {
        std::printf("arrangeDOE_ returned %d for room of %d points\n", count, room);
        return 1;
    }
    std::printf("%d points (the catalyst's mid-range 2.5 g snaps to its 2 g level)\n", count);
    std::printf("%5s %14s %12s\n", "point", "temperature C", "catalyst g");
    for (int p = 0; p < count; ++p) {
        const double* point = &points[static_cast<std::size_t>(p) * kFactors];
        std::printf("%5d %14.1f %12.1f\n", p + 1, point[0], point[1]);
    }
    return 0;
}
