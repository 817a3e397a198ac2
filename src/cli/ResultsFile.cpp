#include "cli/ResultsFile.h"

#include <cctype>
#include <cstdlib>
#include <fstream>
#include <sstream>

#include "cli/ParametersFile.h"

namespace Opt {
namespace Cli {

namespace {

std::string trimmed(const std::string& text)
{
    const auto first = text.find_first_not_of(" \t\r\n");
    if (first == std::string::npos) {
        return "";
    }
    return text.substr(first, text.find_last_not_of(" \t\r\n") - first + 1);
}

// A cursor over JSON text; every step skips the white space before it.
class JsonCursor {
public:
    explicit JsonCursor(const std::string& text) : text_(text) {}
    bool take(char expected)
    {
        skipSpace();
        if (position_ < text_.size() && text_[position_] == expected) {
            ++position_;
            return true;
        }
        return false;
    }
    bool atEnd()
    {
        skipSpace();
        return position_ == text_.size();
    }
    bool string(std::string& out)
    {
        if (!take('"')) {
            return false;
        }
        const auto close = text_.find('"', position_);
        if (close == std::string::npos || text_.find('\\', position_) < close) {
            return false;  // escapes are not needed for response names
        }
        out = text_.substr(position_, close - position_);
        position_ = close + 1;
        return true;
    }
    bool number(double& value)
    {
        skipSpace();
        const char* start = text_.c_str() + position_;
        char* end = nullptr;
        value = std::strtod(start, &end);
        if (end == start) {
            return false;
        }
        position_ += static_cast<std::size_t>(end - start);
        return true;
    }
    std::size_t position() const { return position_; }

private:
    void skipSpace()
    {
        while (position_ < text_.size() && std::isspace(static_cast<unsigned char>(text_[position_]))) {
            ++position_;
        }
    }
    const std::string& text_;
    std::size_t position_ = 0;
};

}  // namespace

bool ResultsFile::read(const std::string& path, FileFormat format,
                       std::map<std::string, double>& values, std::string& error)
{
    std::ifstream file(path);
    if (!file) {
        error = "no results file " + path;
        return false;
    }
    std::ostringstream text;
    text << file.rdbuf();
    return parse(text.str(), format, values, error);
}

bool ResultsFile::parse(const std::string& text, FileFormat format,
                        std::map<std::string, double>& values, std::string& error)
{
    return format == FileFormat::Json ? parseJson(text, values, error)
                                      : parseKeyValue(text, values, error);
}

bool ResultsFile::parseKeyValue(const std::string& text, std::map<std::string, double>& values,
                                std::string& error)
{
    std::istringstream lines(text);
    std::string line;
    for (int number = 1; std::getline(lines, line); ++number) {
        line = trimmed(line);
        if (line.empty() || line[0] == '#') {
            continue;
        }
        const auto equals = line.find('=');
        double value = 0.0;
        if (equals == std::string::npos || trimmed(line.substr(0, equals)).empty() ||
            !parseNumber(trimmed(line.substr(equals + 1)), value)) {
            error = "results line " + std::to_string(number) + " is not name = number: " +
                    line.substr(0, 60);
            return false;
        }
        values[trimmed(line.substr(0, equals))] = value;
    }
    return true;
}

bool ResultsFile::parseJson(const std::string& text, std::map<std::string, double>& values,
                            std::string& error)
{
    JsonCursor cursor(text);
    bool ok = cursor.take('{');
    if (ok && !cursor.take('}')) {
        do {
            std::string name;
            double value = 0.0;
            ok = cursor.string(name) && cursor.take(':') && cursor.number(value);
            if (ok) {
                values[name] = value;
            }
        } while (ok && cursor.take(','));
        ok = ok && cursor.take('}');
    }
    if (!ok || !cursor.atEnd()) {
        error = "results are not a flat JSON object of numbers (at character " +
                std::to_string(cursor.position() + 1) + ")";
        return false;
    }
    return true;
}

}  // namespace Cli
}  // namespace Opt
