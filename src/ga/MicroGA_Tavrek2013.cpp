#include "ga/MicroGA_Tavrek2013.h"

#include <algorithm>
#include <cmath>
#include <cstdarg>
#include <cstdio>

namespace Opt {

MicroGA_Tavrek2013::MicroGA_Tavrek2013(const std::vector<double>& start,
                                       const std::vector<std::vector<double>>& bounds,
                                       int responseCount, const std::vector<double>& reals,
                                       const std::vector<int>& ints, int reportLevel)
    : MicroGA(start, bounds, responseCount, reals, ints, reportLevel, MicroGA::kMethodCode)
{
}

MicroGA_Tavrek2013::~MicroGA_Tavrek2013()
{
    if (logOpen) {
        logStream.close();
    }
}

bool MicroGA_Tavrek2013::openLog(const std::string& path)
{
    if (logOpen) {
        logStream.close();
    }
    logStream.open(path, std::ios::out | std::ios::trunc);
    logOpen = logStream.is_open();
    return logOpen;
}

#if defined(__GNUC__)
__attribute__((format(printf, 2, 3)))
#endif
void MicroGA_Tavrek2013::writeLine(const char* format, ...)
{
    char text[256];
    va_list arguments;
    va_start(arguments, format);
    std::vsnprintf(text, sizeof text, format, arguments);
    va_end(arguments);
    logStream << text;
}

void MicroGA_Tavrek2013::writeRoundedDesign(const char* twoFormat, const char* oneFormat)
{
    const auto rounded = [this](int i) {
        const DesignVariable& variable = designVariables[static_cast<std::size_t>(i)];
        return static_cast<int>(std::lround(variable.toCallerUnits(variable.value)));
    };
    if (nDesignVariables == 2) {
        writeLine(twoFormat, rounded(0), rounded(1));
    } else if (nDesignVariables == 1) {
        writeLine(oneFormat, rounded(0));
    }
}

StepCode MicroGA_Tavrek2013::beginIteration(double* x, double* f, double** g)
{
    const StepCode result = MicroGA::beginIteration(x, f, g);
    if (result == StepCode::Evaluate && logOpen) {
        writeRoundedDesign("%8d%8d\n", "%8d\n");
    }
    return result;
}

StepCode MicroGA_Tavrek2013::receiveResponses(const double* f, double** g)
{
    const StepCode result = MicroGA::receiveResponses(f, g);
    if (!logOpen || responseRows.empty()) {
        return result;
    }
    if (responseRows.size() > 1) {
        double largest = responseRows[1].value;
        for (std::size_t j = 2; j < responseRows.size(); ++j) {
            largest = std::max(largest, responseRows[j].value);
        }
        writeLine("%17s %15.8f    %17s %13.10f\n", "OBJECTIVE VALUE :", responseRows[0].value,
                  "MAXIMUM CONSTRAINT VALUE : ", largest);
    } else {
        writeLine("%17s %15.8f", "OBJECTIVE VALUE :", responseRows[0].value);
        logStream << '\n';
    }
    return result;
}

StepCode MicroGA_Tavrek2013::concludeRun()
{
    const StepCode result = MicroGA::concludeRun();
    if (logOpen) {
        logStream << "*************************************OPTIMUM POINT "
                     "INFORMATION*************************************\n";
        writeRoundedDesign("%8d%8d", "%8d");
        logStream << '\n' << " - TOTAL ITERATION :" << iterationCount << '\n'
                  << " - TOTAL EVALUATION :" << evaluationCount << '\n';
        logStream.flush();
    }
    return result;
}

} // namespace Opt
