#include "cli/ParametersFile.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <stdexcept>

namespace Opt {
namespace Cli {

std::string exactText(double value)
{
    char buffer[40];
    std::snprintf(buffer, sizeof buffer, "%.17g", value);
    return buffer;
}

bool parseNumber(const std::string& text, double& value)
{
    if (text.empty()) {
        return false;
    }
    char* end = nullptr;
    value = std::strtod(text.c_str(), &end);
    return end == text.c_str() + text.size();
}

std::string ParametersFile::text(const std::vector<Variable>& variables,
                                 const std::vector<double>& design, FileFormat format)
{
    std::string text = format == FileFormat::Json ? "{" : "";
    for (std::size_t i = 0; i < variables.size() && i < design.size(); ++i) {
        if (format == FileFormat::Json) {
            text += (i ? ", \"" : "\"") + variables[i].name + "\": " + exactText(design[i]);
        } else {
            text += variables[i].name + " = " + exactText(design[i]) + "\n";
        }
    }
    return format == FileFormat::Json ? text + "}\n" : text;
}

void ParametersFile::write(const std::string& path, const std::vector<Variable>& variables,
                           const std::vector<double>& design, FileFormat format)
{
    std::ofstream file(path, std::ios::trunc);
    file << text(variables, design, format);
    file.close();
    if (!file) {
        throw std::runtime_error("cannot write the parameters file " + path);
    }
}

}  // namespace Cli
}  // namespace Opt
