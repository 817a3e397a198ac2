#pragma once

#include <string>
#include <vector>

#include "common/DesignVariable.h"
#include "common/ResponseRow.h"

namespace Opt {

// (lower, current, upper) of one design variable as the report prints it.
struct DesignTriple {
    double lower = 0.0;
    double current = 0.0;
    double upper = 0.0;
};

// One response as the report reads it: the objective row gives (value, scale),
// a constraint row (value, limit).
struct ResponsePair {
    double value = 0.0;
    double second = 0.0;
};

// The console run report every engine owns, and the result file.
//
// Engines call it when they are built (banner and problem information), at the
// initial condition, at the end of each iteration and when they finish; the
// entry point adds the closing lines and, when the history is kept, writes
// "OPT_RESULT.txt" into the folder "QUORAL_result" of the current directory.
//
// Printing depends on the level: nothing at 0 or below; the state blocks'
// objective, constraints and design variables from level 2; iteration blocks'
// responses from level 3 and their design variables from level 4. Recording is
// independent of the level: with keepHistory every block appends its records,
// so a run at report level 10 prints nothing and still writes the whole file.
//
// Decisions: the file's ids and counters (stored as doubles in the records) are
// printed as integers; the result file's closing asterisks each end their line.
// The report is copyable: the entry point copies the engine's report to close it.
class RunReport {
public:
    static constexpr int kWidth = 74;
    static constexpr const char* kVersion = "2.0.0";
    static constexpr int kDirectMethod = 6; // DIRECT reports no constraint sections

    void setLevel(int reportLevel);
    void writeHeader(int method, int nDesignVariables, int nObjectives, int nConstraints,
                     int objectiveType, int gradientMethod);
    void writeState(const std::vector<DesignVariable>& variables,
                    const std::vector<ResponseRow>& rows, bool completed, bool normalised);
    void writeIteration(const std::vector<DesignTriple>& design,
                        const std::vector<ResponsePair>& responses, int iteration);
    void writeCompletion(double seconds);
    // Writes the result file when the history is kept; a folder that cannot be
    // created or a file that cannot be opened is ignored. Returns whether the
    // file was written.
    bool writeResultFile() const;

    // The banner, 74 characters wide, ending with an empty line.
    static std::string banner();
    static std::string methodNameOf(int method);
    static std::string gradientMethodNameOf(int gradientMethod);
    static std::string objectiveTypeNameOf(int objectiveType);

    static std::vector<DesignTriple> designTriples(const std::vector<DesignVariable>& variables,
                                                   bool normalised);
    static std::vector<ResponsePair> responsePairs(const std::vector<ResponseRow>& rows);

    double referenceObjective = 0.0;
    int level = 0;
    bool keepHistory = false;
    std::vector<std::vector<double>> designHistory;     // per block: (lower, current, upper) per variable
    std::vector<std::vector<double>> objectiveHistory;  // per block: (id, value, change %)
    std::vector<std::vector<double>> constraintHistory; // per block: (id, value, violation %) per constraint
    int method = 0;
    int nDesignVariables = 0;
    int nObjectives = 0;
    int nConstraints = 0;
    std::string methodName;
    std::string gradientMethodName;
    std::string objectiveTypeName;
    double totalSeconds = 0.0;

private:
    void writeBlock(int depth, const std::vector<DesignTriple>& design,
                    const std::vector<ResponsePair>& responses, bool iterationBlock);
    void writeObjective(int depth, const ResponsePair& objective, bool iterationBlock, bool shown);
    void writeConstraints(int depth, const std::vector<ResponsePair>& responses, bool shown);
    void writeDesign(int depth, const std::vector<DesignTriple>& design, bool shown);
    std::string resultFileText() const;
};

} // namespace Opt
