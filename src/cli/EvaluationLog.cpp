#include "cli/EvaluationLog.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <stdexcept>

#include "cli/ParametersFile.h"

namespace Opt {
namespace Cli {

namespace {

const char* const kSeedPrefix = "# seed = ";

std::string quoted(const std::string& text)
{
    std::string out = "\"";
    for (char c : text) {
        if (c == '\n' || c == '\r') {
            c = ' ';
        }
        out += c == '"' ? std::string("\"\"") : std::string(1, c);
    }
    return out + "\"";
}

// Splits a CSV line whose fields are plain or double-quoted ("" inside quotes).
std::vector<std::string> splitFields(const std::string& line)
{
    std::vector<std::string> fields(1);
    bool inQuotes = false;
    for (std::size_t i = 0; i < line.size(); ++i) {
        const char c = line[i];
        if (inQuotes && c == '"' && i + 1 < line.size() && line[i + 1] == '"') {
            fields.back() += '"';
            ++i;
        } else if (c == '"') {
            inQuotes = !inQuotes;
        } else if (c == ',' && !inQuotes) {
            fields.emplace_back();
        } else {
            fields.back() += c;
        }
    }
    return fields;
}

double parseExact(const std::string& text)
{
    double value = 0.0;
    if (!parseNumber(text, value)) {
        throw std::runtime_error("not a number: '" + text + "'");
    }
    return value;
}

// An index or a seed: a whole number from 0 to INT_MAX, the whole field used.
int parseCount(const std::string& text)
{
    char* end = nullptr;
    errno = 0;
    const long long value = std::strtoll(text.c_str(), &end, 10);
    if (text.empty() || end != text.c_str() + text.size() || errno == ERANGE || value < 0 ||
        value > INT_MAX) {
        throw std::runtime_error("not a whole number from 0 to " + std::to_string(INT_MAX) +
                                 ": '" + text + "'");
    }
    return static_cast<int>(value);
}

}  // namespace

std::string EvaluationLog::header(const Study& study)
{
    std::string text = "index";
    for (const Variable& variable : study.variables) {
        text += "," + variable.name;
    }
    for (const Response& response : study.responses) {
        text += "," + response.name;
    }
    return text + ",status,wall_seconds,where,detail";
}

std::string EvaluationLog::row(const Evaluation& evaluation)
{
    std::string text = std::to_string(evaluation.index);
    for (double value : evaluation.design) {
        text += "," + exactText(value);
    }
    for (double value : evaluation.values) {
        text += "," + exactText(value);
    }
    char seconds[32];
    std::snprintf(seconds, sizeof seconds, "%.3f", evaluation.wallSeconds);
    return text + "," + evaluation.status + "," + seconds + "," + quoted(evaluation.where) + "," +
           quoted(evaluation.detail);
}

Evaluation EvaluationLog::parseRow(const std::string& line, const Study& study)
{
    const std::vector<std::string> fields = splitFields(line);
    const std::size_t n = study.variables.size();
    const std::size_t m = study.responses.size();
    if (fields.size() != 1 + n + m + 4) {
        throw std::runtime_error(std::to_string(fields.size()) + " fields where the study has " +
                                 std::to_string(1 + n + m + 4));
    }
    Evaluation evaluation;
    evaluation.index = parseCount(fields[0]);
    for (std::size_t i = 0; i < n; ++i) {
        evaluation.design.push_back(parseExact(fields[1 + i]));
    }
    for (std::size_t j = 0; j < m; ++j) {
        evaluation.values.push_back(parseExact(fields[1 + n + j]));
    }
    evaluation.status = fields[1 + n + m];
    evaluation.wallSeconds = parseExact(fields[2 + n + m]);
    evaluation.where = fields[3 + n + m];
    evaluation.detail = fields[4 + n + m];
    return evaluation;
}

EvaluationLog::Contents EvaluationLog::load(const std::string& path, const Study& study)
{
    std::ifstream file(path);
    if (!file) {
        throw std::runtime_error(path + ": cannot read the evaluation log");
    }
    Contents contents;
    std::string line;
    bool headerSeen = false;
    for (int number = 1; std::getline(file, line); ++number) {
        const std::string where = path + ":" + std::to_string(number) + ": ";
        if (line.rfind(kSeedPrefix, 0) == 0) {
            try {
                contents.seed = parseCount(line.substr(std::char_traits<char>::length(kSeedPrefix)));
            } catch (const std::runtime_error& error) {
                throw std::runtime_error(where + "seed: " + error.what());
            }
        } else if (!headerSeen) {
            if (line != header(study)) {
                throw std::runtime_error(where + "the log's columns are not this study's (" +
                                         header(study) + ")");
            }
            headerSeen = true;
        } else if (!line.empty()) {
            try {
                contents.evaluations.push_back(parseRow(line, study));
            } catch (const std::runtime_error& error) {
                // A row cut short by a kill mid-write is the last one; lose it.
                if (file.peek() == EOF) {
                    break;
                }
                throw std::runtime_error(where + error.what());
            }
        }
    }
    return contents;
}

void EvaluationLog::open(const std::string& path, std::ios::openmode mode)
{
    path_ = path;
    file_.open(path, mode);
    if (!file_) {
        throw std::runtime_error(path + ": cannot write the evaluation log");
    }
}

void EvaluationLog::create(const std::string& path, const Study& study, std::optional<int> seed)
{
    open(path, std::ios::out | std::ios::trunc);
    if (seed) {
        file_ << kSeedPrefix << *seed << "\n";
    }
    file_ << header(study) << "\n" << std::flush;
}

void EvaluationLog::append(const Evaluation& evaluation)
{
    file_ << row(evaluation) << "\n" << std::flush;
    if (!file_) {
        throw std::runtime_error(path_ + ": cannot write the evaluation log");
    }
}

}  // namespace Cli
}  // namespace Opt
