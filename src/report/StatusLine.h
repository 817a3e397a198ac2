#pragma once

#include <iostream>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include <boost/format.hpp>

namespace Opt {

// A one-line progress record built from named, formatted fields. Fields are
// printed in the order they were registered, separated by one blank, and the
// line is ended. Formats use printf conversions ("%%" for a percent sign); a
// format may take several values (for example "O(%10.2E/%9.1E)"). Formatting
// never throws: a value that does not fit its conversion, or a missing value,
// leaves the text Boost.Format produces for it.
class StatusLine {
public:
    explicit StatusLine(std::ostream* output = &std::cout) : output(output) {}

    void registerField(int key, const std::string& format);

    // Formats the values with the field's format; an unregistered key is ignored.
    template <typename... Values>
    void setField(int key, const Values&... values)
    {
        const auto position = positions.find(key);
        if (position == positions.end()) {
            return;
        }
        boost::format formatter(fields[position->second].second);
        formatter.exceptions(boost::io::no_error_bits);
        (formatter % ... % values);
        texts[position->second] = formatter.str();
    }

    // The line as it would be printed, without the line end.
    std::string text() const;
    void print() const;

private:
    std::ostream* output;
    std::string separator = " ";
    std::vector<std::pair<int, std::string>> fields; // (key, format) in registration order
    std::vector<std::string> texts;
    std::map<int, std::size_t> positions;
};

} // namespace Opt
