#include "cli/AnalysisReader.h"

#include <cctype>

namespace Opt {
namespace Cli {

namespace {

const std::vector<NamedCode>& formats()
{
    static const std::vector<NamedCode> names = {
        {"keyvalue", static_cast<int>(FileFormat::KeyValue)},
        {"json", static_cast<int>(FileFormat::Json)}};
    return names;
}

bool isPlaceholderName(const std::string& name)
{
    if (name.empty()) {
        return false;
    }
    for (char c : name) {
        if (!std::isalnum(static_cast<unsigned char>(c)) && c != '_') {
            return false;
        }
    }
    return true;
}

// A misspelt placeholder ({idx}) would reach the shell as it is written, and
// every evaluation would then share one folder or file. Shell expansions
// (${HOME}) and braces around anything but a plain name (awk '{print $1}')
// are left alone.
std::string checkedTemplate(const TableReader& table, const std::string& key,
                            const std::string& text)
{
    for (std::size_t open = text.find('{'); open != std::string::npos;
         open = text.find('{', open + 1)) {
        const std::size_t close = text.find('}', open);
        if (close == std::string::npos || (open > 0 && text[open - 1] == '$')) {
            continue;
        }
        const std::string name = text.substr(open + 1, close - open - 1);
        if (isPlaceholderName(name) && name != "index" && name != "dir" && name != "study") {
            table.fail(key, "unknown placeholder {" + name + "}; the known ones are {index}, "
                            "{dir} and {study}");
        }
    }
    return text;
}

std::string workDirectory(const TableReader& table)
{
    if (!table.has("work_directory")) {
        return "runs/{index}";
    }
    const std::string folder =
        checkedTemplate(table, "work_directory", table.requiredString("work_directory"));
    if (folder.find("{dir}") != std::string::npos) {
        table.fail("work_directory", "cannot use {dir}, the folder it names");
    }
    if (folder.find("{index}") == std::string::npos) {
        table.fail("work_directory",
                   "must contain {index}: evaluations running at once need folders of their own");
    }
    return folder;
}

std::string fileName(const TableReader& table, const std::string& key)
{
    const std::string name = table.requiredString(key);
    if (name.find('/') != std::string::npos || name == "." || name == "..") {
        table.fail(key, "a file name in the working directory is needed, without folders");
    }
    return name;
}

bool endsWith(const std::string& text, const std::string& end)
{
    return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

FileFormat format(const TableReader& table, const std::string& key, const std::string& file)
{
    const std::optional<int> named = table.choice(key, formats());
    if (named) {
        return static_cast<FileFormat>(*named);
    }
    return endsWith(file, ".json") ? FileFormat::Json : FileFormat::KeyValue;
}

}  // namespace

Analysis readAnalysis(const TableReader& table)
{
    table.allowOnly({"command", "work_directory", "parameters_file", "parameters_format",
                     "results_file", "results_format", "time_limit"});
    Analysis analysis;
    analysis.command = checkedTemplate(table, "command", table.requiredString("command"));
    analysis.workDirectory = workDirectory(table);
    analysis.parametersFile = fileName(table, "parameters_file");
    analysis.parametersFormat = format(table, "parameters_format", analysis.parametersFile);
    analysis.resultsFile = fileName(table, "results_file");
    analysis.resultsFormat = format(table, "results_format", analysis.resultsFile);
    // The same file for both would let a program that fails leave its inputs
    // to be read as its results.
    if (analysis.resultsFile == analysis.parametersFile) {
        table.fail("results_file", "must differ from parameters_file");
    }
    analysis.timeLimitSeconds = table.number("time_limit").value_or(0.0);
    // The upper end keeps the limit a whole number of minutes for Slurm's --time.
    constexpr double kLongestLimit = 1e8;
    if (table.has("time_limit") &&
        !(analysis.timeLimitSeconds > 0.0 && analysis.timeLimitSeconds <= kLongestLimit)) {
        table.fail("time_limit", "seconds above 0 and at most 1e8 are needed (leave it out for "
                                 "no limit)");
    }
    return analysis;
}

}  // namespace Cli
}  // namespace Opt
