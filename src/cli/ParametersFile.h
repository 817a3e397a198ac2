// The file an analysis reads its design from: one "name = value" line per
// variable, or a flat JSON object {"name": value, ...}. Values are printed with
// %.17g, so the analysis reads back exactly the design the method asked for.
#pragma once

#include <string>
#include <vector>

#include "cli/Study.h"

namespace Opt {
namespace Cli {

class ParametersFile {
public:
    static std::string text(const std::vector<Variable>& variables,
                            const std::vector<double>& design, FileFormat format);
    // Throws std::runtime_error naming the file when it cannot be written.
    static void write(const std::string& path, const std::vector<Variable>& variables,
                      const std::vector<double>& design, FileFormat format);
};

// %.17g: the shortest printf form that always reads back bit-identical.
std::string exactText(double value);
// Reads text written so (or any number strtod takes): false unless the whole
// of text is one number.
bool parseNumber(const std::string& text, double& value);

}  // namespace Cli
}  // namespace Opt
