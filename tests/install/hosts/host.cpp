// A C++ host: creates sessions through the exported class and steps them.
#include <cstdio>
#include <vector>

#include <zelkor.h>

int main()
{
    const std::vector<double> start = {0.5};
    const std::vector<std::vector<double>> bounds = {{0.0, 1.0}};
    double x = 0.5;
    double f = 0.0;

    // An engine type without an engine builds nothing; stepping it is an error.
    Opt::OptEngineMain none(1, 1, start, bounds, nullptr, nullptr, 8, 0);
    if (none.engine || none.runOptEngine(&x, &f, nullptr) != -1) {
        return 1;
    }
    // Inconsistent input builds nothing either (one line on standard error).
    Opt::OptEngineMain shortBounds(2, 1, {0.5, 0.5}, bounds, nullptr, nullptr, 0, 0);
    if (shortBounds.engine || shortBounds.runOptEngine(&x, &f, nullptr) != -1) {
        return 1;
    }
    std::printf("C++ host linked Zelkor %s\n", zelkorVersion());
    return 0;
}
