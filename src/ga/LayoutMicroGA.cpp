#include "ga/LayoutMicroGA.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <fstream>

namespace Opt {

namespace {

constexpr int kDiameter = 0;
constexpr int kSpacing = 1;

double barArea(double diameter)
{
    return std::acos(-1.0) * diameter * diameter / 4.0;
}

// The caller's bounds with the diameter list as a catalogue (see the header).
std::vector<std::vector<double>> withCatalogue(std::vector<std::vector<double>> bounds)
{
    if (bounds.size() > static_cast<std::size_t>(kDiameter)) {
        bounds[kDiameter] = LayoutMicroGA::catalogueBoundList(bounds[kDiameter]);
    }
    return bounds;
}

} // namespace

std::vector<double> LayoutMicroGA::catalogueBoundList(const std::vector<double>& catalogue)
{
    if (catalogue.size() < 2) {
        return catalogue;
    }
    std::vector<double> list;
    list.reserve(catalogue.size() + 2);
    list.push_back(catalogue.front());
    list.insert(list.end(), catalogue.begin(), catalogue.end());
    list.push_back(catalogue.back());
    return list;
}

LayoutMicroGA::LayoutMicroGA(const std::vector<double>& start,
                             const std::vector<std::vector<double>>& bounds, int nResponses,
                             const std::vector<double>& reals, const std::vector<int>& ints,
                             int reportLevel)
    : MicroGA_Tavrek2013(start, withCatalogue(bounds), nResponses, reals, ints, reportLevel)
{
}

std::string LayoutMicroGA::setLayout(const std::string& name, double spacingStep,
                                     double spreadLength)
{
    if (name.empty()) {
        return "the layout text (the run's name, the base of its files) is empty";
    }
    if (!(spacingStep > 0.0) || !std::isfinite(spacingStep)) {
        return "the spacing step " + std::to_string(spacingStep) + " mm is not positive";
    }
    if (!(spreadLength > 0.0) || !std::isfinite(spreadLength)) {
        return "the spread length " + std::to_string(spreadLength) + " mm is not positive";
    }
    if (coding() == GAGenomes::kBinary) {
        return "the layout GA keeps its spacings on the step grid in real strings: "
               "set ints[4] to 1 (real coding)";
    }
    const DesignVariable& spacing = designVariables[kSpacing];
    if (!(spacing.lower > 0.0) || spacing.isDiscrete()) {
        return "the spacing bounds must be [lower, upper] with lower > 0 mm";
    }
    runName = name;
    step = spacingStep;
    spread = spreadLength;
    return std::string();
}

std::string LayoutMicroGA::openFiles()
{
    if (runName.empty()) {
        return "no layout was set";
    }
    return openLog(runName + ".log") ? std::string()
                                     : "cannot open the log file " + runName + ".log";
}

void LayoutMicroGA::snapSpacing()
{
    DesignVariable& spacing = designVariables[kSpacing];
    const double physical = spacing.toCallerUnits(spacing.value);
    const double steps = std::floor((spacing.upper - spacing.lower) / step + 1e-9);
    const double k = std::clamp(std::round((physical - spacing.lower) / step), 0.0, steps);
    spacing.value = spacing.toNormalised(spacing.lower + k * step);
}

void LayoutMicroGA::beforeEvaluate(int individual)
{
    // The individual's own gene moves onto the grid, so that its string, its
    // fitness and the design the host sees all describe one layout.
    std::vector<double> genes(designVariables.size(), 0.0);
    genomes->decodeIndividual(individual, genes);
    designVariables[kSpacing].value = genes[kSpacing];
    snapSpacing();
    genes[kSpacing] = designVariables[kSpacing].value;
    genomes->assignReal(individual, genes);
}

StepCode LayoutMicroGA::beginIteration(double* x, double* f, double** g)
{
    if (logIsOpen() && subEvaluationIndex == 0 && loggedGeneration != iterationCount) {
        loggedGeneration = iterationCount;
        writeLine("ITERATION NUMBER: %d\n", iterationCount + 1);
    }
    return MicroGA_Tavrek2013::beginIteration(x, f, g);
}

StepCode LayoutMicroGA::receiveResponses(const double* f, double** g)
{
    const StepCode result = MicroGA_Tavrek2013::receiveResponses(f, g);
    bool satisfied = true;
    for (std::size_t j = 1; j < responseRows.size(); ++j) {
        satisfied = satisfied && responseRows[j].value <= 0.0;
    }
    if (satisfied) {
        // The design is still in caller units, as it was published; rounding to
        // a micrometre merges the same layout reached through different genes.
        feasibleSet.insert({std::round(designVariables[kDiameter].value * 1e3) / 1e3,
                            std::round(designVariables[kSpacing].value * 1e3) / 1e3});
    }
    return result;
}

StepCode LayoutMicroGA::concludeRun()
{
    const StepCode result = MicroGA_Tavrek2013::concludeRun();
    if (logIsOpen()) {
        writeBoundsReport();
    }
    return result;
}

void LayoutMicroGA::writeBoundsReport() const
{
    std::ofstream report(boundsReportPath(), std::ios::out | std::ios::trunc);
    report << "*************************************BOUNDS "
              "INFORMATION*************************************\n";
    report << "THE NUMBER OF ALL FEASIBLE SET : " << feasibleSet.size() << '\n';
    if (feasibleSet.empty()) {
        return;
    }
    double low[4] = {1e300, 1e300, 1e300, 1e300}, high[4] = {-1e300, -1e300, -1e300, -1e300};
    for (const auto& [diameter, spacing] : feasibleSet) {
        const int bars = barCount(spacing);
        const double values[4] = {diameter, spacing, double(bars), bars * barArea(diameter)};
        for (int k = 0; k < 4; ++k) {
            low[k] = std::min(low[k], values[k]);
            high[k] = std::max(high[k], values[k]);
        }
    }
    const char* labels[4] = {" BAR DIAMETER (mm)   :", " SPACING (mm)        :",
                             " NUMBER OF BARS      :", " STEEL AREA (mm2)    :"};
    char line[128];
    for (int k = 0; k < 4; ++k) {
        std::snprintf(line, sizeof line, "%s MIN %10.1f  MAX %10.1f\n", labels[k], low[k],
                      high[k]);
        report << line;
    }
}

} // namespace Opt
