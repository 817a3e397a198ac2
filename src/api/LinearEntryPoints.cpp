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

#include "api/DrivingLoop.h"
#include "api/EntryPointGuard.h"
#include "api/LastStatus.h"
#include "common/ErrorMessages.h"
#include "engine/LinearProgram.h"
#include "engine/OptEngine.h"
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
        if (session.engine == nullptr) {
            throwError(ErrorCode::SimplexFailed);
        }
        session.engine->setLinearProgram(program);
        int status = 3;
        while (status == 3) {
            status = session.runOptEngine(nullptr, nullptr, nullptr);
        }
        std::vector<double> x;
        double value = 0.0;
        if (status != 0 || !session.engine->linearSolution(x, value)) {
            throwError(ErrorCode::SimplexFailed);
        }
        if (solution != nullptr) {
            std::copy(x.begin(), x.end(), solution);
        }
        if (objectiveValue != nullptr) {
            *objectiveValue = value;
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

// The simplex's result code as the thread's last status: its error-table index
// says whether the program was infeasible, the input invalid or the budget spent.
int recordSimplexResult(const char* name, int code)
{
    int status = ZELKOR_STATUS_ENGINE_ERROR;
    switch (static_cast<ErrorCode>(code)) {
    case ErrorCode::InvalidSimplexParameter:
    case ErrorCode::InvalidVariableBounds:
    case ErrorCode::InvalidInput:
        status = ZELKOR_STATUS_INVALID_INPUT;
        break;
    case ErrorCode::NoFeasibleSolution:
        status = ZELKOR_STATUS_INFEASIBLE;
        break;
    case ErrorCode::IterationLimitExhausted:
        status = ZELKOR_STATUS_BUDGET_REACHED;
        break;
    default:
        break;
    }
    if (code == kSolved) {
        LastStatus::set(ZELKOR_STATUS_OK);
    } else {
        LastStatus::set(status, std::string(name) + ": " + errorMessage(code));
    }
    return code;
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
    const int code = Opt::guardEntryPoint("runSIMPLEX", static_cast<int>(Opt::ErrorCode::SimplexFailed), [&] {
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
    return Opt::recordSimplexResult(__func__, code);
}

extern "C" ZELKOR_API int runSIMPLEX_CVL(int nVariables, int nRows, const double* objective,
                                         const double* const* rows, const int* rowLengths,
                                         const double* rowLower, const double* rowUpper,
                                         const double* variableLower,
                                         const double* variableUpper, double* reals, int* ints,
                                         double* solution, double* objectiveValue)
{
    const int code = Opt::guardEntryPoint("runSIMPLEX_CVL", static_cast<int>(Opt::ErrorCode::SimplexFailed), [&] {
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
    return Opt::recordSimplexResult(__func__, code);
}

namespace Opt {

namespace {

constexpr int kSqpEngineType = 0;
constexpr int kSqpParameterCount = 12;

// The settings the fit hands the SQP engine; every other one stays at its
// default. The responses are linear and quadratic in the coefficients, so the
// fit hands the engine their exact gradients on request (gradient mode 3): at
// its defaults the engine expects them with the responses, gets none and never
// moves. The default objective tolerance (0.5 % relative change) ends a fit of
// the sum or the maximum well short of its minimum, and the default constraint
// tolerance (1e-4) a fit through data points at 1e-4; the maximum form, not
// smooth, needs more than the default 30 iterations.
constexpr int kMaxIterationsSlot = 3;
constexpr int kGradientModeSlot = 5;
constexpr int kObjectiveToleranceSlot = 0;
constexpr int kConstraintToleranceSlot = 5;
constexpr int kFitMaxIterations = 200;
constexpr int kHostGradients = 3;
constexpr double kFitObjectiveTolerance = 1e-12;
constexpr double kFitConstraintTolerance = 1e-8;

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

// The problem the service fits, as the caller's arrays (m rows of n values,
// m right-hand sides, n weights).
struct FitProblem {
    int m;
    int n;
    const double* const* rows;
    const double* rhs;
    const double* weights;
    int form;

    double objective(const double* x) const
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
    void responses(const double* x, double* f) const
    {
        f[0] = objective(x);
        for (int k = 0; k < m; ++k) {
            double activity = 0.0;
            for (int i = 0; i < n; ++i) {
                activity += rows[k][i] * x[i];
            }
            f[k + 1] = activity - rhs[k];
        }
    }

    // d|w_i x_i| / dx_i; at the kink x_i = 0 the smallest subgradient, 0.
    double absoluteTermSlope(const double* x, int i) const
    {
        const double side = x[i] > 0.0 ? 1.0 : (x[i] < 0.0 ? -1.0 : 0.0);
        return std::fabs(weights[i]) * side;
    }

    // The first largest term carries the maximum's slope.
    int largestTerm(const double* x) const
    {
        int largest = 0;
        for (int i = 1; i < n; ++i) {
            if (std::fabs(weights[i] * x[i]) > std::fabs(weights[largest] * x[largest])) {
                largest = i;
            }
        }
        return largest;
    }

    double objectiveSlope(const double* x, int i) const
    {
        switch (form) {
        case 1: return absoluteTermSlope(x, i);
        case 2: return 2.0 * weights[i] * weights[i] * x[i];
        case 3: return i == largestTerm(x) ? absoluteTermSlope(x, i) : 0.0;
        default: return 0.0;
        }
    }

    // g[i][j] = d response j / d x_i.
    void gradients(const double* x, double** g) const
    {
        for (int i = 0; i < n; ++i) {
            g[i][0] = objectiveSlope(x, i);
            for (int k = 0; k < m; ++k) {
                g[i][k + 1] = rows[k][i];
            }
        }
    }
};

int fitCoefficients(const FitProblem& problem, double* x, int signOption, double* result)
{
    const double cpuStart = Platform::processCpuSeconds();
    const int m = problem.m;
    const int n = problem.n;
    const std::vector<double> start(x, x + n);
    const std::vector<std::vector<double>> bounds(static_cast<std::size_t>(n),
                                                  coefficientBounds(signOption));
    std::vector<double> reals(kSqpParameterCount, -999.0);
    std::vector<int> ints(kSqpParameterCount, -999);
    ints[kMaxIterationsSlot] = kFitMaxIterations;
    ints[kGradientModeSlot] = kHostGradients;
    reals[kObjectiveToleranceSlot] = kFitObjectiveTolerance;
    reals[kConstraintToleranceSlot] = kFitConstraintTolerance;
    OptEngineMain session(n, m + 1, start, bounds, reals.data(), ints.data(), kSqpEngineType, 0);
    if (session.engine == nullptr) {
        return rejectSettings("LinearProbOPT");
    }
    std::vector<double> f(static_cast<std::size_t>(m + 1), 0.0);
    std::vector<std::vector<double>> gradientRows(static_cast<std::size_t>(n),
                                                  std::vector<double>(f.size(), 0.0));
    std::vector<double*> g;
    for (auto& row : gradientRows) {
        g.push_back(row.data());
    }
    DrivingLoop loop;
    loop.evaluate = [&] { problem.responses(x, f.data()); };
    loop.supplyGradients = [&] { problem.gradients(x, g.data()); };
    loop.onGradients = GradientRequest::CallHost;
    const int endState = loop.run(session, 1, x, f.data(), g.data());
    if (result != nullptr) {
        problem.responses(x, f.data());
        result[0] = f[0];
        result[1] = m > 0 ? *std::max_element(f.begin() + 1, f.end()) : 0.0;
        result[2] = Platform::processCpuSeconds() - cpuStart;
    }
    return LastStatus::recordRun("LinearProbOPT", *session.engine, endState);
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
        const Opt::FitProblem problem{m, n, rows, rhs, weights, objectiveForm};
        return Opt::fitCoefficients(problem, x, signOption, result);
    });
}
