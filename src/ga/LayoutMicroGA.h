#pragma once

#include <set>
#include <string>
#include <utility>
#include <vector>

#include "ga/MicroGA_Tavrek2013.h"

namespace Opt {

// The reinforcement-layout micro-GA (engine type 2; runMicroGA): one layer of
// bars in a section, designed by two variables, variable 0 the bar diameter
// (mm), a list of at least two ascending entries that is the bar catalogue,
// and variable 1 the centre-to-centre spacing (mm), [lower, upper] in fixed
// steps of the layout's spacing step from its lower bound. The first response
// is the objective and all others are constraints (g <= 0).
//
// Every entry of the diameter list is a catalogue bar, the first and the last
// included. A general discrete bound list [lower, level..., upper] allows only
// its interior levels, which would silently take the smallest and the largest
// bar out of the catalogue; catalogueBoundList turns a catalogue into the bound
// list whose allowed values are all of its bars.
//
// Constraint handling: the objective of a layout is usually a steel area in
// mm² (hundreds to thousands), its constraints ratios of order one. With the
// default penalty (reals[0] = 100) a capacity shortfall of 10 % costs 10 on the
// fitness, less than one bar's area, so the GA settles on light layouts that do
// not carry the load. Hosts should rank feasible layouts first (reals[0] = -1,
// any negative penalty): every feasible layout then beats every infeasible
// one, whatever the units of the objective.
//
// The layout hook (setLayout, before the first step) takes the run's name, the
// spacing step and the length the bars spread over; the second hook (openFiles)
// opens "<name>.log", the evaluation log of MicroGA_Tavrek2013 with an
// "ITERATION NUMBER: " line at the start of every generation. At the end of the
// run the bounds report "<name>_bounds.txt" says how many distinct feasible
// layouts the run met and the range of each layout quantity over them: bar
// diameter, spacing, number of bars and steel area (mm²), so that a designer
// sees the feasible region around the optimum, not just the optimum.
//
// The number of bars for a spacing is the section's business (barCount):
// MicroGARectDimension spreads them along a straight width, MicroGARoundDimension
// around a circle.
//
// Decisions: the genome is a real string (coding 1): the diameter gene snaps
// to the catalogue as any discrete variable's does, and the spacing gene of
// every individual is moved onto the nearest step before it is evaluated, so
// the host, the log and the optimum never see a spacing off the grid. A
// spacing range that is not a whole number of steps keeps the steps below its
// upper bound. A layout is feasible when every constraint response is <= 0.
class LayoutMicroGA : public MicroGA_Tavrek2013 {
public:
    static constexpr int kEngineType = 2;
    static constexpr int kVariables = 2;
    static constexpr bool kForcesRealCoding = true;
    static constexpr const char* kName = "MicroGA layout";

    LayoutMicroGA(const std::vector<double>& start, const std::vector<std::vector<double>>& bounds,
                  int nResponses, const std::vector<double>& reals, const std::vector<int>& ints,
                  int reportLevel);

    // [front, catalogue..., back]: the bound list whose allowed values are every
    // entry of an ascending catalogue (a list of fewer than two is returned as
    // given, for the session to refuse).
    static std::vector<double> catalogueBoundList(const std::vector<double>& catalogue);

    // The layout hook: the run's name (the base of its files), the spacing step
    // (mm) and the length the bars spread over (mm; see barCount). Returns an
    // empty string, or why the layout was refused.
    std::string setLayout(const std::string& name, double spacingStep, double spreadLength);
    // The second hook: opens the log. Returns an empty string, or why not.
    std::string openFiles();

    // Bars of the layer at this spacing (mm) over the spread length.
    virtual int barCount(double spacing) const = 0;

    // Moves the individual's spacing gene onto the step grid.
    void beforeEvaluate(int individual) override;
    StepCode beginIteration(double* x, double* f, double** g) override;
    StepCode receiveResponses(const double* f, double** g) override;
    StepCode concludeRun() override;

    std::string boundsReportPath() const { return runName + "_bounds.txt"; }
    int feasibleLayouts() const { return static_cast<int>(feasibleSet.size()); }

protected:
    double spread = 0.0;

private:
    void snapSpacing();
    void writeBoundsReport() const;

    std::string runName;
    double step = 0.0;
    int loggedGeneration = -1;
    std::set<std::pair<double, double>> feasibleSet; // (diameter, spacing), mm
};

} // namespace Opt
