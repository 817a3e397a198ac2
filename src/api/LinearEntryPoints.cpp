// The linear-program entry points: they hand a linear program to the
// linear-programming engine through a session and step it to the end. The
// engine's failures arrive as the library's error messages, which are printed
// here and returned as their index.
#include "api/zelkor.h"

#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "api/EntryPointGuard.h"
#include "common/ErrorMessages.h"
#include "engine/LinearProgram.h"
#include "lp/LinearProgramming.h"

namespace Opt {

namespace {

constexpr int kSolved = 0;

int indexOf(const std::string& message)
{
    for (int index = 0; index < kErrorMessageCount; ++index) {
        if (errorMessage(index) == message) {
            return index;
        }
    }
    return static_cast<int>(ErrorCode::SimplexFailed);
}

void printSimplexError(const std::string& message)
{
    std::printf("ERROR MESSAGE OF SIMPLEX : \" %s \" ", message.c_str());
    std::printf("\n");
    std::fflush(stdout);
}

double boundOr(const double* bounds, int index, double open)
{
    return bounds != nullptr ? bounds[index] : open;
}

// The bounds of the program; a null array leaves that side open.
void setBounds(LinearProgram& program, int nVariables, int nRows, const double* rowLower,
               const double* rowUpper, const double* variableLower, const double* variableUpper)
{
    for (int i = 0; i < nRows; ++i) {
        program.rowBounds.push_back(
            {boundOr(rowLower, i, -HUGE_VAL), boundOr(rowUpper, i, HUGE_VAL)});
    }
    for (int j = 0; j < nVariables; ++j) {
        program.variableBounds.push_back(
            {boundOr(variableLower, j, -HUGE_VAL), boundOr(variableUpper, j, HUGE_VAL)});
    }
}

// Steps the engine while it answers Continue, then hands over its solution.
int solve(const LinearProgram& program, double* reals, int* ints, double* solution,
          double* objectiveValue)
{
    try {
        OptEngineMain session(0, 0, {}, {}, reals, ints, LinearProgramming::kEngineType, 0);
        auto* engine = dynamic_cast<LinearProgramming*>(session.engine.get());
        if (engine == nullptr) {
            throwError(ErrorCode::SimplexFailed);
        }
        engine->setLinearProgram(program);
        int status = 3;
        while (status == 3) {
            status = session.runOptEngine(nullptr, nullptr, nullptr);
        }
        if (status != 0 || !engine->solved()) {
            throwError(ErrorCode::SimplexFailed);
        }
        const std::vector<double> x = engine->solution();
        if (solution != nullptr) {
            std::copy(x.begin(), x.end(), solution);
        }
        if (objectiveValue != nullptr) {
            *objectiveValue = engine->objectiveValue();
        }
        return kSolved;
    } catch (const std::string& message) {
        printSimplexError(message);
        return indexOf(message);
    }
}

bool countsValid(int nVariables, int nRows, const double* objective)
{
    return nVariables >= 1 && nRows >= 0 && objective != nullptr;
}

int rejectInput()
{
    printSimplexError(errorMessage(ErrorCode::InvalidInput));
    return static_cast<int>(ErrorCode::InvalidInput);
}

} // namespace

} // namespace Opt

extern "C" ZELKOR_API int runSIMPLEX(int nVariables, int nRows, const double* objective,
                                     const double* rows, const double* rowLower,
                                     const double* rowUpper, const double* variableLower,
                                     const double* variableUpper, double* reals, int* ints,
                                     double* solution, double* objectiveValue)
{
    return Opt::guardEntryPoint("runSIMPLEX", static_cast<int>(Opt::ErrorCode::SimplexFailed), [&] {
        if (!Opt::countsValid(nVariables, nRows, objective) || (nRows > 0 && rows == nullptr)) {
            return Opt::rejectInput();
        }
        Opt::LinearProgram program;
        program.objective.assign(objective, objective + nVariables);
        for (int i = 0; i < nRows; ++i) {
            const double* row = rows + static_cast<std::size_t>(i) * nVariables;
            program.rows.emplace_back(row, row + nVariables);
        }
        Opt::setBounds(program, nVariables, nRows, rowLower, rowUpper, variableLower, variableUpper);
        return Opt::solve(program, reals, ints, solution, objectiveValue);
    });
}

extern "C" ZELKOR_API int runSIMPLEX_CVL(int nVariables, int nRows, const double* objective,
                                         const double* const* rows, const int* rowLengths,
                                         const double* rowLower, const double* rowUpper,
                                         const double* variableLower,
                                         const double* variableUpper, double* reals, int* ints,
                                         double* solution, double* objectiveValue)
{
    return Opt::guardEntryPoint("runSIMPLEX_CVL", static_cast<int>(Opt::ErrorCode::SimplexFailed), [&] {
        if (!Opt::countsValid(nVariables, nRows, objective) ||
            (nRows > 0 && (rows == nullptr || rowLengths == nullptr))) {
            return Opt::rejectInput();
        }
        Opt::LinearProgram program;
        program.objective.assign(objective, objective + nVariables);
        for (int i = 0; i < nRows; ++i) {
            if (rowLengths[i] < 0 || rowLengths[i] > nVariables ||
                (rowLengths[i] > 0 && rows[i] == nullptr)) {
                return Opt::rejectInput();
            }
            std::vector<double> row(static_cast<std::size_t>(nVariables), 0.0);
            std::copy(rows[i], rows[i] + rowLengths[i], row.begin());
            program.rows.push_back(row);
        }
        Opt::setBounds(program, nVariables, nRows, rowLower, rowUpper, variableLower, variableUpper);
        return Opt::solve(program, reals, ints, solution, objectiveValue);
    });
}
