#include "cli/TableReader.h"

#include <climits>
#include <cmath>
#include <cstdint>
#include <sstream>

#include "cli/StudyFile.h"

namespace Opt {
namespace Cli {

namespace {

std::string typeOf(const toml::node& value)
{
    switch (value.type()) {
    case toml::node_type::string: return "a string";
    case toml::node_type::integer: return "an integer";
    case toml::node_type::floating_point: return "a floating-point number";
    case toml::node_type::boolean: return "a boolean";
    case toml::node_type::array: return "an array";
    case toml::node_type::table: return "a table";
    default: return "a date or time";
    }
}

// toml++ leaves regions it did not parse (the top-level table) at line 0.
toml::source_position knownOrFirst(const toml::source_position& where)
{
    return where.line == 0 ? toml::source_position{1, 1} : where;
}

// The upper end is named even when it is the int range's: a value beyond it is
// otherwise refused with no visible reason.
std::string rangeText(int least, int most)
{
    return "an integer from " + std::to_string(least) + " to " + std::to_string(most);
}

}  // namespace

void throwAt(const std::string& file, const toml::source_position& where, const std::string& key,
             const std::string& problem)
{
    const toml::source_position at = knownOrFirst(where);
    std::ostringstream line;
    line << file << ':' << at.line << ':' << at.column << ": " << key << ": " << problem;
    throw StudyFileError(line.str());
}

std::string namesOf(const std::vector<NamedCode>& choices)
{
    std::string names;
    for (const NamedCode& choice : choices) {
        names += (names.empty() ? "" : ", ") + choice.first;
    }
    return names;
}

std::string nameOf(const std::vector<NamedCode>& choices, int code)
{
    for (const NamedCode& choice : choices) {
        if (choice.second == code) {
            return choice.first;
        }
    }
    return std::string();
}

TableReader::TableReader(const toml::table& table, std::string name, std::string file)
    : table_(&table), name_(std::move(name)), file_(std::move(file))
{
}

void TableReader::allowOnly(const std::vector<std::string>& known, const std::string& what) const
{
    for (const auto& [key, value] : *table_) {
        const std::string text(key.str());
        bool isKnown = false;
        for (const std::string& name : known) {
            isKnown = isKnown || name == text;
        }
        if (!isKnown) {
            std::string list;
            for (const std::string& name : known) {
                list += (list.empty() ? "" : ", ") + name;
            }
            throwAt(file_, key.source().begin, keyName(text), "unknown " + what + "; known here: " + list);
        }
    }
}

bool TableReader::has(const std::string& key) const
{
    return node(key) != nullptr;
}

const toml::node* TableReader::node(const std::string& key) const
{
    return table_->get(key);
}

std::string TableReader::keyName(const std::string& key) const
{
    return name_.empty() ? key : name_ + "." + key;
}

void TableReader::fail(const std::string& key, const std::string& problem) const
{
    const toml::node* value = node(key);
    throwAt(file_, value != nullptr ? value->source().begin : table_->source().begin, keyName(key),
            problem);
}

void TableReader::failHere(const std::string& problem) const
{
    throwAt(file_, table_->source().begin, name_.empty() ? "(top level)" : name_, problem);
}

void TableReader::failWrongType(const std::string& key, const std::string& needed) const
{
    fail(key, needed + " is needed, not " + typeOf(*node(key)));
}

void TableReader::failAt(const toml::node& value, const std::string& fullName,
                         const std::string& problem) const
{
    throwAt(file_, value.source().begin, fullName, problem);
}

std::optional<std::string> TableReader::string(const std::string& key) const
{
    const toml::node* value = node(key);
    if (value == nullptr) {
        return std::nullopt;
    }
    if (!value->is_string()) {
        failWrongType(key, "a string");
    }
    return value->as_string()->get();
}

std::string TableReader::requiredString(const std::string& key) const
{
    const std::optional<std::string> text = string(key);
    if (!text) {
        fail(key, "missing (a string is needed)");
    }
    if (text->empty()) {
        fail(key, "must not be empty");
    }
    return *text;
}

double TableReader::finiteNumber(const std::string& fullName, const toml::node& value) const
{
    if (!value.is_number()) {
        failAt(value, fullName, "a number is needed, not " + typeOf(value));
    }
    const double number = value.value<double>().value_or(NAN);
    if (!std::isfinite(number)) {
        failAt(value, fullName, "a finite number is needed, not " + std::to_string(number));
    }
    return number;
}

std::optional<double> TableReader::number(const std::string& key) const
{
    const toml::node* value = node(key);
    if (value == nullptr) {
        return std::nullopt;
    }
    return finiteNumber(keyName(key), *value);
}

double TableReader::requiredNumber(const std::string& key) const
{
    const std::optional<double> value = number(key);
    if (!value) {
        fail(key, "missing (a number is needed)");
    }
    return *value;
}

std::optional<int> TableReader::integer(const std::string& key, int least, int most) const
{
    const toml::node* value = node(key);
    if (value == nullptr) {
        return std::nullopt;
    }
    if (!value->is_integer()) {
        failWrongType(key, rangeText(least, most));
    }
    const std::int64_t number = value->as_integer()->get();
    if (number < least || number > most) {
        fail(key, rangeText(least, most) + " is needed, not " + std::to_string(number));
    }
    return static_cast<int>(number);
}

int TableReader::requiredInteger(const std::string& key, int least, int most) const
{
    const std::optional<int> value = integer(key, least, most);
    if (!value) {
        fail(key, "missing (" + rangeText(least, most) + " is needed)");
    }
    return *value;
}

std::optional<bool> TableReader::boolean(const std::string& key) const
{
    const toml::node* value = node(key);
    if (value == nullptr) {
        return std::nullopt;
    }
    if (!value->is_boolean()) {
        failWrongType(key, "true or false");
    }
    return value->as_boolean()->get();
}

std::vector<double> TableReader::numbers(const std::string& key) const
{
    const toml::node* value = node(key);
    if (value == nullptr) {
        return {};
    }
    if (!value->is_array()) {
        failWrongType(key, "an array of numbers");
    }
    std::vector<double> list;
    const toml::array& array = *value->as_array();
    for (std::size_t i = 0; i < array.size(); ++i) {
        list.push_back(finiteNumber(keyName(key) + "[" + std::to_string(i) + "]", array[i]));
    }
    return list;
}

std::vector<std::string> TableReader::strings(const std::string& key) const
{
    const toml::node* value = node(key);
    if (value == nullptr) {
        return {};
    }
    if (!value->is_array()) {
        failWrongType(key, "an array of strings");
    }
    std::vector<std::string> list;
    for (const toml::node& entry : *value->as_array()) {
        if (!entry.is_string()) {
            failAt(entry, keyName(key), "every entry must be a string, not " + typeOf(entry));
        }
        list.push_back(entry.as_string()->get());
    }
    return list;
}

std::optional<int> TableReader::choice(const std::string& key,
                                       const std::vector<NamedCode>& choices) const
{
    const std::optional<std::string> text = string(key);
    if (!text) {
        return std::nullopt;
    }
    for (const NamedCode& choice : choices) {
        if (choice.first == *text) {
            return choice.second;
        }
    }
    fail(key, "unknown value \"" + *text + "\"; one of " + namesOf(choices));
}

std::optional<int> TableReader::choiceOrCode(const std::string& key,
                                             const std::vector<NamedCode>& choices) const
{
    const toml::node* value = node(key);
    if (value == nullptr || value->is_string()) {
        return choice(key, choices);
    }
    if (value->is_integer()) {
        const std::int64_t code = value->as_integer()->get();
        if (code >= INT_MIN && code <= INT_MAX && !nameOf(choices, static_cast<int>(code)).empty()) {
            return static_cast<int>(code);
        }
    }
    fail(key, "one of " + namesOf(choices) + " (or its code) is needed");
}

std::optional<TableReader> TableReader::table(const std::string& key) const
{
    const toml::node* value = node(key);
    if (value == nullptr) {
        return std::nullopt;
    }
    if (!value->is_table()) {
        failWrongType(key, "a table");
    }
    return TableReader(*value->as_table(), keyName(key), file_);
}

std::vector<TableReader> TableReader::tables(const std::string& key) const
{
    const toml::node* value = node(key);
    if (value == nullptr || (value->is_array() && value->as_array()->empty())) {
        return {};
    }
    if (!value->is_array_of_tables()) {
        failWrongType(key, "an array of tables ([[" + key + "]])");
    }
    std::vector<TableReader> list;
    const toml::array& array = *value->as_array();
    for (std::size_t i = 0; i < array.size(); ++i) {
        list.emplace_back(*array[i].as_table(), keyName(key) + "[" + std::to_string(i) + "]",
                          file_);
    }
    return list;
}

}  // namespace Cli
}  // namespace Opt
