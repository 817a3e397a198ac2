// A C++ host: creates sessions through the exported class and steps them.
#include <cstdio>
#include <memory>
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
    // A surrogate study in data-set mode through the installed data-set types:
    // a quadratic fitted to (x - 0.25)^2 on a 3-level design, minimised by DIRECT.
    auto study = std::make_shared<Opt::DataSet>();
    study->responses[0] = std::make_shared<Opt::ResponseDefinition>();
    study->responses[0]->surrogate = {1, -1};
    study->bounds = bounds;
    study->designValues = start;
    study->engineType = 8;
    study->designSettings = {{0, 0, 3, 0}};
    study->showProgress = false;
    study->directSearchSettings.push_back({{}, {0, 0, 0, 50, 500}});
    Opt::OptEngineMain session(study);
    int code = 3;
    while (code >= 1 && code <= 3) {
        code = session.runOptEngine(nullptr, nullptr, nullptr);
        const double at = study->designValues[0];
        study->responses[0]->value = (at - 0.25) * (at - 0.25);
    }
    if (code != 0 || study->designValues[0] < 0.24 || study->designValues[0] > 0.26) {
        return 1;
    }
    std::printf("C++ host linked Zelkor %s\n", zelkorVersion());
    return 0;
}
