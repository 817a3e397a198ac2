#include "report/RunReport.h"

#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <fstream>
#include <sstream>

#include <boost/format.hpp>

#include "common/NumericConstants.h"
#include "platform/Platform.h"

namespace Opt {

namespace {

const char* const kResultFolder = "QUORAL_result";
const char* const kResultFile = "OPT_RESULT.txt";

// The name Zelkor drawn for the banner; centred in the box.
const char* const kLogo[] = {
    "=========================================================",
    "#######   #######   #         #    #     #####    ###### ",
    "     #    #         #         #   #     #     #   #     #",
    "    #     #         #         #  #      #     #   #     #",
    "   #      #####     #         ###       #     #   ###### ",
    "  #       #         #         #  #      #     #   #   #  ",
    " #        #         #         #   #     #     #   #    # ",
    "#######   #######   #######   #    #     #####    #     #",
    "=========================================================",
};

#if defined(__GNUC__)
__attribute__((format(printf, 1, 2)))
#endif
std::string formatted(const char* format, ...)
{
    va_list arguments;
    va_start(arguments, format);
    va_list copy;
    va_copy(copy, arguments);
    const int length = std::vsnprintf(nullptr, 0, format, copy);
    va_end(copy);
    std::string text(length > 0 ? static_cast<std::size_t>(length) : 0u, '\0');
    if (length > 0) {
        std::vsnprintf(text.data(), text.size() + 1, format, arguments);
    }
    va_end(arguments);
    return text;
}

void print(const std::string& text)
{
    std::fputs(text.c_str(), stdout);
}

std::string indent(int depth)
{
    return depth >= 1 && depth <= 3 ? std::string(static_cast<std::size_t>(2 * depth), ' ')
                                    : std::string();
}

std::string asterisks()
{
    return std::string(RunReport::kWidth, '*');
}

std::string boxLine(const std::string& inside)
{
    const std::size_t room = RunReport::kWidth - 2;
    const std::size_t left = inside.size() < room ? (room - inside.size()) / 2 : 0;
    std::string line = "*" + std::string(left, ' ') + inside;
    line.resize(RunReport::kWidth - 1, ' ');
    return line + "*\n";
}

int asInt(double value)
{
    return static_cast<int>(std::lround(value));
}

} // namespace

void RunReport::setLevel(int reportLevel)
{
    keepHistory = reportLevel >= 10;
    level = keepHistory ? reportLevel - 10 : reportLevel;
}

std::string RunReport::banner()
{
    std::string text = asterisks() + "\n" + boxLine("");
    for (const char* line : kLogo) {
        text += boxLine(line);
    }
    text += boxLine("");
    text += formatted("*              TARNWEX DESIGN OPTIMIZATION TOOL (%s)                  *\n",
                      kVersion);
    text += asterisks() + "\n\n";
    return text;
}

std::string RunReport::methodNameOf(int methodCode)
{
    switch (methodCode) {
    case 0: return "SQP";
    case 1: return "GA";
    case 4: return "MICROGA";
    case 5: return "HYBRIDGA";
    case 6: return "DIRECT";
    case 11: return "SAO";
    default: return "NOT SUPPORTED OPTIMIZATION ALGORITHM";
    }
}

std::string RunReport::gradientMethodNameOf(int gradientMethod)
{
    switch (gradientMethod) {
    case 0: return "DSA";
    case 1: return "FDM";
    case 3: return "DIRECT";
    default: return "NOT SUPPORTED SENSITIVITY ANALYSIS METHOD";
    }
}

std::string RunReport::objectiveTypeNameOf(int objectiveType)
{
    switch (objectiveType) {
    case 1: return "MINIMIZED";
    case 2: return "MAXIMIZED";
    default: return "NOT SUPPORTED OBJECTIVE TYPE";
    }
}

void RunReport::writeHeader(int methodCode, int designVariableCount, int objectiveCount,
                            int constraintCount, int objectiveType, int gradientMethod)
{
    method = methodCode;
    nDesignVariables = designVariableCount;
    nObjectives = objectiveCount;
    nConstraints = constraintCount;
    methodName = methodNameOf(methodCode);
    gradientMethodName = gradientMethodNameOf(gradientMethod);
    objectiveTypeName = objectiveTypeNameOf(objectiveType);
    if (level <= 0) {
        return;
    }
    std::string text = banner();
    text += "INPUT PARAMTERS\n";
    text += formatted("  OPTIMIZATION METHOD                 : %8s\n", methodName.c_str());
    text += formatted("  NUMBER OF DESIGN VARIABLES          : %8d\n", nDesignVariables);
    text += formatted("  NUMBER OF OBJECTIVE                 : %8d\n", 1);
    text += formatted("  NUMBER OF CONSTRIANTS               : %8d\n", nConstraints);
    if (method == 0) {
        text += formatted("  GRADIENT CALCULATION METHOD         : %8s\n",
                          gradientMethodName.c_str());
    }
    text += formatted("  THE OBJECTIVE FUCTION WILL BE %s\n", objectiveTypeName.c_str());
    print(text);
}

std::vector<DesignTriple> RunReport::designTriples(const std::vector<DesignVariable>& variables,
                                                   bool normalised)
{
    std::vector<DesignTriple> triples;
    triples.reserve(variables.size());
    for (const DesignVariable& variable : variables) {
        const double current = normalised ? variable.toCallerUnits(variable.value) : variable.value;
        triples.push_back({variable.lower, current, variable.upper});
    }
    return triples;
}

std::vector<ResponsePair> RunReport::responsePairs(const std::vector<ResponseRow>& rows)
{
    std::vector<ResponsePair> pairs;
    pairs.reserve(rows.size());
    for (std::size_t j = 0; j < rows.size(); ++j) {
        pairs.push_back({rows[j].value, j == 0 ? rows[j].scale : rows[j].limit});
    }
    return pairs;
}

void RunReport::writeState(const std::vector<DesignVariable>& variables,
                           const std::vector<ResponseRow>& rows, bool completed, bool normalised)
{
    if (level > 0) {
        if (completed) {
            print("\nOPTIMIZATION IS COMPLETED\n");
            if (level > 1) {
                print("\nOPTIMIZATION RESULTS\n");
            }
        } else if (level > 1) {
            print("\nINITIAL CONDITION\n");
            if (!rows.empty()) {
                referenceObjective = rows.front().value;
            }
        }
    }
    writeBlock(1, designTriples(variables, normalised), responsePairs(rows), false);
}

void RunReport::writeIteration(const std::vector<DesignTriple>& design,
                               const std::vector<ResponsePair>& responses, int iteration)
{
    if (level > 2) {
        if (iteration == 1) {
            print("\nHISTORY OF OPTIMIZATION");
        }
        print("\n" + indent(1) + formatted("ITER:%4d \n", iteration));
    }
    writeBlock(2, design, responses, true);
}

void RunReport::writeBlock(int depth, const std::vector<DesignTriple>& design,
                           const std::vector<ResponsePair>& responses, bool iterationBlock)
{
    const bool responsesShown = iterationBlock ? level >= 3 : level >= 2;
    const bool designShown = iterationBlock ? level >= 4 : level >= 2;
    if (!responses.empty()) {
        writeObjective(depth, responses.front(), iterationBlock, responsesShown);
    }
    if (method != kDirectMethod && responses.size() >= 2) {
        writeConstraints(depth, responses, responsesShown);
    }
    writeDesign(depth, design, designShown);
}

void RunReport::writeObjective(int depth, const ResponsePair& objective, bool iterationBlock,
                               bool shown)
{
    const double value = objective.value;
    double change = 0.0;
    if (iterationBlock) {
        change = std::fabs(referenceObjective) < kNumericZero
                     ? 100.0 * value
                     : (value - referenceObjective) / std::fabs(referenceObjective) * 100.0;
    }
    if (shown) {
        std::string text = indent(depth) + "OBJECTIVE\n" + indent(depth + 1);
        text += iterationBlock ? formatted("PID :%4d, CUR:%10.2E(%10.2E%%)\n", 0, value, change)
                               : formatted("PID :%4d, CUR:%10.2E\n", 0, value);
        print(text);
    }
    if (keepHistory) {
        objectiveHistory.push_back({0.0, value, change});
    }
}

void RunReport::writeConstraints(int depth, const std::vector<ResponsePair>& responses, bool shown)
{
    // Formatting costs far more than recording: the text is built only when printed.
    std::string text = shown ? indent(depth) + "CONSTRAINTS\n" : std::string();
    std::vector<double> record;
    for (std::size_t j = 1; j < responses.size(); ++j) {
        const int id = static_cast<int>(j);
        const double value = responses[j].value;
        const double violation = value > 0.0 ? 100.0 * value : 0.0;
        if (shown) {
            text += indent(depth + 1);
            text += value > 0.0 ? formatted("PID :%4d, CUR:%10.2E (VIOL.:%10.2E%%)\n", id, value,
                                            violation)
                                : formatted("PID :%4d, CUR:%10.2E\n", id, value);
        }
        record.insert(record.end(), {static_cast<double>(j), value, violation});
    }
    if (shown) {
        print(text);
    }
    if (keepHistory) {
        constraintHistory.push_back(record);
    }
}

void RunReport::writeDesign(int depth, const std::vector<DesignTriple>& design, bool shown)
{
    std::string text = shown ? indent(depth) + "DESIGN VARIABLES\n" : std::string();
    std::vector<double> record;
    for (std::size_t i = 0; i < design.size(); ++i) {
        const DesignTriple& t = design[i];
        if (shown) {
            text += indent(depth + 1) +
                    formatted("DVID:%4d, LOW:%10.2E, CUR:%10.2E, UPP:%10.2E \n",
                              static_cast<int>(i), t.lower, t.current, t.upper);
        }
        record.insert(record.end(), {t.lower, t.current, t.upper});
    }
    if (shown) {
        print(text);
    }
    if (keepHistory) {
        designHistory.push_back(record);
    }
}

void RunReport::writeCompletion(double seconds)
{
    totalSeconds = seconds;
    if (level < 1) {
        return;
    }
    print("\n" + asterisks() +
          formatted("\nYOUR JOB IS SUCCESSFULLY COMPLETED.......\nTOTAL SOLUTION TIME: %10.4E "
                    "SECONDS.\n",
                    seconds) +
          asterisks() + "\n");
}

std::string RunReport::resultFileText() const
{
    using boost::format;
    std::ostringstream out;
    out << banner();
    out << "OPTIMIZATION PROBLEM INFO\n"
        << "  OPTIMIZATION METHOD                 : " << methodName << "\n"
        << "  NUMBER OF DESIGN VARIABLES          : " << nDesignVariables << "\n"
        << "  NUMBER OF OBJECTIVE                 : 1\n"
        << "  NUMBER OF CONSTRIANTS               : " << nConstraints << "\n";
    if (methodName == "SQP") {
        out << "  GRADIENT CALCULATION METHOD         : " << gradientMethodName << "\n";
    }
    out << "  THE OBJECTIVE FUCTION WILL BE " << objectiveTypeName << "\n";

    out << "\n              O B J E C T I V E S\n\n"
        << "     ITER.     PERFM      CURRENT         CHANGE(%)\n"
        << "                ID       RESPONSE            ";
    for (std::size_t k = 0; k < objectiveHistory.size(); ++k) {
        const std::vector<double>& r = objectiveHistory[k];
        if (k == 0) {
            out << format("%8d   %8d   %14.6E \n") % k % asInt(r[0]) % r[1];
        } else {
            out << format("%8d   %8d   %14.6E  %14.6E \n") % k % asInt(r[0]) % r[1] % r[2];
        }
    }

    if (method != kDirectMethod) {
        out << "\n              C O N S T R A I N T S\n\n"
            << "     ITER.     PERFM        CURRENT          UPPER       VIOLATION(%)\n"
            << "                ID         RESPONSE          LIMIT";
        for (std::size_t k = 0; k < constraintHistory.size(); ++k) {
            const std::vector<double>& r = constraintHistory[k];
            for (std::size_t t = 0; t + 2 < r.size(); t += 3) {
                if (t == 0) {
                    out << format("%8d   %8d     %14.6E    %8.2f       %8.2f \n") % k %
                               asInt(r[t]) % r[t + 1] % 0.0 % r[t + 2];
                } else {
                    out << format("           %8d     %14.6E    %8.2f       %8.2f \n") %
                               asInt(r[t]) % r[t + 1] % 0.0 % r[t + 2];
                }
            }
        }
    }

    out << "\n              D E S I G N   V A R I A B L E S\n\n"
        << "     ITER.     DVAR        LOWER       CURRENT        UPPER\n"
        << "                ID         LIMIT        DESIGN        LIMIT";
    for (std::size_t k = 0; k < designHistory.size(); ++k) {
        const std::vector<double>& r = designHistory[k];
        for (std::size_t t = 0; t + 2 < r.size(); t += 3) {
            if (t == 0) {
                out << format("%8d   %8d     %8.2f   %14.6E  %8.2f \n") % k % (t / 3) % r[t] %
                           r[t + 1] % r[t + 2];
            } else {
                out << format("           %8d     %8.2f   %14.6E  %8.2f \n") % (t / 3) % r[t] %
                           r[t + 1] % r[t + 2];
            }
        }
    }

    out << "\n" << asterisks() << "\n"
        << "YOUR JOB IS SUCCESSFULLY COMPLETED.......\n"
        << "TOTAL SOLUTION TIME: " << totalSeconds << " SECONDS.\n"
        << asterisks() << "\n";
    return out.str();
}

bool RunReport::writeResultFile() const
{
    if (!keepHistory) {
        return false;
    }
    const std::string folder = Platform::joinPath(Platform::currentDirectory(), kResultFolder);
    Platform::makeDirectory(folder);
    std::ofstream file(Platform::joinPath(folder, kResultFile), std::ios::out | std::ios::trunc);
    if (!file) {
        return false;
    }
    file << resultFileText();
    return static_cast<bool>(file);
}

} // namespace Opt
