// The reinforcement-layout GAs: the layout micro-GA's log and bounds report on
// a seeded run, SWWGA's give-up rule, and the drivers' refusal of bad input.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "api/zelkor.h"
#include "engine/OptEngine.h"
#include "ga/SWWGA.h"

namespace Opt {
namespace {

// One bottom layer of a 300 mm wide beam: steel area as the objective, at least
// 900 mm² and a clear spacing of 25 mm as constraints.
constexpr double kSpread = 300 - 2 * 40 - 2 * 10; // b - 2 cover - 2 stirrup, less a bar below
std::set<std::pair<double, double>> feasibleSeen;
int evaluations = 0;

double barsOf(double spacing) { return std::floor(kSpread / spacing + 1e-9) + 1; }

int layer(std::vector<double>* x, std::vector<double>* f)
{
    const double d = (*x)[0], s = (*x)[1];
    const double area = barsOf(s) * std::acos(-1.0) * d * d / 4;
    (*f)[0] = area;
    (*f)[1] = 1 - area / 900;
    (*f)[2] = (25 + d - s) / 25;
    ++evaluations;
    if ((*f)[1] <= 0 && (*f)[2] <= 0) {
        feasibleSeen.insert({d, s});
    }
    return 0;
}

std::string contents(const std::string& path)
{
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

std::string runLayout(const std::string& name, int section)
{
    std::vector<double> x = {16, 100}, f(3);
    const std::vector<std::vector<double>> bounds = {{13, 16, 19, 22, 25}, {50, 200}};
    std::vector<int> ints(20, -999);
    ints[13] = 7;
    ints[6] = 300;
    ints[19] = section;
    std::string layout = name;
    feasibleSeen.clear();
    evaluations = 0;
    runMicroGA(layer, &x, &f, &bounds, nullptr, ints.data(), nullptr, nullptr, &layout, 25,
               kSpread);
    return contents(name + ".log");
}

TEST(LayoutMicroGA, SeededRunLogsAndReportsItsFeasibleLayouts)
{
    const std::string log = runLayout("layout_test", 1);
    EXPECT_EQ(log, runLayout("layout_test", 1)); // the same seed, the same log
    EXPECT_EQ(log.rfind("ITERATION NUMBER: 1\n", 0), 0u);
    // Every design line is two whole millimetre values on the step grid.
    std::istringstream lines(log);
    std::string line;
    int designLines = 0;
    while (std::getline(lines, line)) {
        int d = 0, s = 0;
        if (line.size() == 16 && std::sscanf(line.c_str(), "%8d%8d", &d, &s) == 2) {
            EXPECT_EQ((s - 50) % 25, 0) << line;
            ++designLines;
        }
    }
    EXPECT_GE(designLines, evaluations); // the optimum's line comes on top

    // The report, from what the callback itself saw.
    double low[4] = {1e9, 1e9, 1e9, 1e9}, high[4] = {0, 0, 0, 0};
    for (const auto& [d, s] : feasibleSeen) {
        const double v[4] = {d, s, barsOf(s), barsOf(s) * std::acos(-1.0) * d * d / 4};
        for (int k = 0; k < 4; ++k) {
            low[k] = std::min(low[k], v[k]);
            high[k] = std::max(high[k], v[k]);
        }
    }
    std::string expected = "*************************************BOUNDS INFORMATION"
                           "*************************************\n"
                           "THE NUMBER OF ALL FEASIBLE SET : " +
                           std::to_string(feasibleSeen.size()) + "\n";
    const char* labels[4] = {" BAR DIAMETER (mm)   :", " SPACING (mm)        :",
                             " NUMBER OF BARS      :", " STEEL AREA (mm2)    :"};
    for (int k = 0; k < 4; ++k) {
        char text[128];
        std::snprintf(text, sizeof text, "%s MIN %10.1f  MAX %10.1f\n", labels[k], low[k], high[k]);
        expected += text;
    }
    ASSERT_FALSE(feasibleSeen.empty());
    EXPECT_EQ(contents("layout_test_bounds.txt"), expected);
}

TEST(SWWGA, GivesUpAfterThirtyInfeasibleGenerations)
{
    struct Case {
        double violation; // the constraint's value at every design
        bool gaveUp;
        int generations;
    };
    for (const Case& c : {Case{1.0, true, SWWGA::kGiveUpGenerations}, Case{-1.0, false, 40}}) {
        std::vector<int> ints(20, -999);
        ints[3] = 40;  // generations
        ints[2] = 11;  // population
        ints[10] = 1000;
        OptEngineMain session(1, 2, {1}, {{0, 1, 2, 3}}, nullptr, ints.data(),
                              SWWGA::kMethodCode, 0);
        double x[1] = {0}, f[2] = {0, 0};
        int code = 3;
        while (code == 1 || code == 2 || code == 3) {
            code = session.runOptEngine(x, f, nullptr);
            f[0] = x[0];
            f[1] = c.violation;
        }
        const auto& engine = dynamic_cast<const SWWGA&>(*session.engine);
        EXPECT_EQ(code, 0);
        EXPECT_EQ(engine.gaveUp(), c.gaveUp);
        EXPECT_EQ(engine.iterationCount, c.generations);
        EXPECT_EQ(static_cast<int>(engine.generationBests().size()), c.generations);
    }
}

int unused(int, const double*, const double*, const int*, const double*, int, double* f)
{
    f[0] = 0;
    return 0;
}

TEST(LayoutDrivers, BadInputIsRefusedWithAClearMessage)
{
    std::vector<double> x = {16, 100}, f(3);
    const std::vector<std::vector<double>> bounds = {{13, 16, 19}, {50, 200}};
    std::string empty;
    EXPECT_EQ(runMicroGA(layer, &x, &f, &bounds, nullptr, nullptr, nullptr, nullptr, &empty, 25,
                         kSpread),
              0);
    EXPECT_EQ(zelkorLastStatus(), ZELKOR_STATUS_INVALID_INPUT);
    EXPECT_NE(std::strstr(zelkorLastMessage(), "runMicroGA: the layout text"), nullptr);

    const double descending[3] = {16, 13, 19}, range[3] = {50, 200, 25}, widths[1] = {220};
    double d[1], s[1], g[1];
    EXPECT_EQ(runGA_ReinforcementDesign(unused, 1, descending, 3, range, widths, 1, d, s, g,
                                        nullptr, nullptr),
              0);
    EXPECT_NE(std::strstr(zelkorLastMessage(), "catalogue[1] = 13"), nullptr)
        << zelkorLastMessage();
}

} // namespace
} // namespace Opt
