#include "report/StatusLine.h"

namespace Opt {

void StatusLine::registerField(int key, const std::string& format)
{
    const auto existing = positions.find(key);
    if (existing != positions.end()) {
        fields[existing->second].second = format;
        texts[existing->second].clear();
        return;
    }
    positions[key] = fields.size();
    fields.emplace_back(key, format);
    texts.emplace_back();
}

std::string StatusLine::text() const
{
    std::string line;
    for (std::size_t i = 0; i < texts.size(); ++i) {
        if (i > 0) {
            line += separator;
        }
        line += texts[i];
    }
    return line;
}

void StatusLine::print() const
{
    if (output != nullptr) {
        *output << text() << '\n' << std::flush;
    }
}

} // namespace Opt
