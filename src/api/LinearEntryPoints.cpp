// The linear-program entry points: they hand a linear program to the
// linear-programming engine through a session and step it to the end. The
// engine's failures arrive as the library's error messages, which are printed
// here and returned as their index.
#include "api/zelkor.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "api/EntryPointGuard.h"
#include "common/ErrorMessages.h"
#include "engine/LinearProgram.h"
#include "lp/LinearProgramming.h"
#include "platform/Platform.h"

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

namespace Opt {

namespace {

constexpr int kSqpEngineType = 0;
constexpr int kSqpParameterCount = 12;

// The coefficient box of LinearProbOPT's sign option.
std::vector<double> coefficientBounds(int signOption)
{
    switch (signOption) {
    case 1: return {0.0, 20.0};
    case 0: return {-20.0, 20.0};
    case -1: return {-20.0, 0.0};
    default: return {0.0, 0.0};
    }
}

double fittingObjective(int form, int n, const double* x, const double* weights)
{
    double value = 0.0;
    for (int i = 0; i < n; ++i) {
        const double term = std::fabs(weights[i] * x[i]);
        switch (form) {
        case 1: value += term; break;
        case 2: value += term * term; break;
        case 3: value = std::max(value, term); break;
        default: return 0.0;
        }
    }
    return value;
}

// Objective first, then A_k . x - b_k for every constraint.
void fittingResponses(int m, int n, const double* x, const double* const* rows, const double* rhs,
                      const double* weights, int form, double* f)
{
    f[0] = fittingObjective(form, n, x, weights);
    for (int k = 0; k < m; ++k) {
        double activity = 0.0;
        for (int i = 0; i < n; ++i) {
            activity += rows[k][i] * x[i];
        }
        f[k + 1] = activity - rhs[k];
    }
}

int fitCoefficients(int m, int n, double* x, const double* const* rows, const double* rhs,
                    const double* weights, int form, int signOption, double* result)
{
    const double cpuStart = Platform::processCpuSeconds();
    const std::vector<double> start(x, x + n);
    const std::vector<std::vector<double>> bounds(static_cast<std::size_t>(n),
                                                  coefficientBounds(signOption));
    std::vector<double> reals(kSqpParameterCount, -999.0);
    std::vector<int> ints(kSqpParameterCount, -999);
    OptEngineMain session(n, m + 1, start, bounds, reals.data(), ints.data(), kSqpEngineType, 0);
    if (session.engine == nullptr) {
        return 0;
    }
    std::vector<double> f(static_cast<std::size_t>(m + 1), 0.0);
    int status = 1;
    while (status < 5) {
        if (status == 1) {
            fittingResponses(m, n, x, rows, rhs, weights, form, f.data());
            status = 3;
        } else if (status == 2 || status == 4) {
            status = 3;
        } else if (status == 3) {
            status = session.runOptEngine(x, f.data(), nullptr);
        } else {
            break;
        }
    }
    if (result != nullptr) {
        fittingResponses(m, n, x, rows, rhs, weights, form, f.data());
        result[0] = f[0];
        result[1] = m > 0 ? *std::max_element(f.begin() + 1, f.end()) : 0.0;
        result[2] = Platform::processCpuSeconds() - cpuStart;
    }
    return session.engine->feasible ? 1 : 0;
}

} // namespace

} // namespace Opt

extern "C" ZELKOR_API int LinearProbOPT(int m, int n, double* x, const double* const* rows,
                                        const double* rhs, const double* weights,
                                        int objectiveForm, int signOption, double* result)
{
    return Opt::guardEntryPoint("LinearProbOPT", 0, [&] {
        if (n < 1 || m < 0 || x == nullptr || weights == nullptr ||
            (m > 0 && (rows == nullptr || rhs == nullptr))) {
            return Opt::rejectArgument("LinearProbOPT",
                                       "n = " + std::to_string(n) + ", m = " + std::to_string(m) +
                                           ": counts below their minimum or a null array");
        }
        for (int k = 0; k < m; ++k) {
            if (rows[k] == nullptr) {
                return Opt::rejectArgument("LinearProbOPT",
                                           "constraint row " + std::to_string(k) + " is null");
            }
        }
        return Opt::fitCoefficients(m, n, x, rows, rhs, weights, objectiveForm, signOption,
                                    result);
    });
}
