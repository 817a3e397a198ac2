#pragma once

#include <fstream>
#include <string>

#include "ga/MicroGA.h"

namespace Opt {

// A micro-GA that also logs every evaluated design and an optimum summary to a
// text file, the base of the reinforcement-layout engines. The first response is
// the objective and all others are constraints.
//
// While the log is open: each design handed out is written rounded to integers
// (for problems of one or two variables; other counts write no design lines),
// each received evaluation as one line with the objective and the largest
// constraint value, and the end of the run as the optimum's rounded design with
// the generation and evaluation counts. The engines deriving from it choose the
// file; closing happens with the engine.
class MicroGA_Tavrek2013 : public MicroGA {
public:
    MicroGA_Tavrek2013(const std::vector<double>& start,
                       const std::vector<std::vector<double>>& bounds, int nResponses,
                       const std::vector<double>& reals, const std::vector<int>& ints,
                       int reportLevel);
    ~MicroGA_Tavrek2013() override;

    // Opens (replacing) the log file; returns whether it is open.
    bool openLog(const std::string& path);
    bool logIsOpen() const { return logOpen; }

    StepCode receiveResponses(const double* f, double** g) override;
    StepCode beginIteration(double* x, double* f, double** g) override;
    StepCode concludeRun() override;

protected:
    // printf-style text into the log; the layout engines add their own lines.
    void writeLine(const char* format, ...);

private:
    void writeRoundedDesign(const char* twoFormat, const char* oneFormat);

    std::ofstream logStream;
    bool logOpen = false;
};

} // namespace Opt
