// The file an analysis writes its responses to: "name = value" lines (blank
// lines and lines starting with # skipped), or a flat JSON object of numbers
// {"name": 1.5, ...}. The JSON reader here is deliberately small: one object,
// string keys, numeric values; nesting, arrays and other value types are
// reported as errors, as is anything that is not a number.
#pragma once

#include <map>
#include <string>

#include "cli/Study.h"

namespace Opt {
namespace Cli {

class ResultsFile {
public:
    // On failure returns false with a one-line reason in error; values holds
    // what was read before it.
    static bool parse(const std::string& text, FileFormat format,
                      std::map<std::string, double>& values, std::string& error);
    static bool read(const std::string& path, FileFormat format,
                     std::map<std::string, double>& values, std::string& error);

private:
    static bool parseKeyValue(const std::string& text, std::map<std::string, double>& values,
                              std::string& error);
    static bool parseJson(const std::string& text, std::map<std::string, double>& values,
                          std::string& error);
};

}  // namespace Cli
}  // namespace Opt
