// The main job until the first engine arrives: shows the library's version and
// that a session can be created and stepped through the exported class.
#include <cstdio>
#include <vector>

#include "zelkor.h"

int main()
{
    std::printf("Zelkor %s\n", zelkorVersion());
    const std::vector<double> start = {1.0, 2.0};
    const std::vector<std::vector<double>> bounds = {{0.0, 5.0}, {0.0, 5.0}};
    Opt::OptEngineMain session(2, 1, start, bounds, nullptr, nullptr, 0, 0);
    std::vector<double> x = start;
    std::vector<double> f(1, 0.0);
    const int step = session.runOptEngine(x.data(), f.data(), nullptr);
    std::printf("engine type 0: %s (first step returns %d)\n",
                session.engine ? "built" : "not built yet", step);
    return 0;
}
