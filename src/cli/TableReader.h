// One table of a study file while it is read. Every value comes out checked
// (its type, finite numbers, integer ranges), and every problem becomes one
// StudyFileError naming the file, the line and column, and the key's full name
// ("variable[2].upper"), so that a user can go straight to the faulty line.
#pragma once

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include <toml++/toml.h>

namespace Opt {
namespace Cli {

// A name of the file's vocabulary and the library code it stands for.
using NamedCode = std::pair<std::string, int>;

class TableReader {
public:
    // name: the table's full key name ("" for the file's top level).
    TableReader(const toml::table& table, std::string name, std::string file);

    // Rejects the first key that is not among known, listing the known ones:
    // a misspelt key must not pass as an absent one. what names such a key in
    // the message ("setting of method sqp").
    void allowOnly(const std::vector<std::string>& known, const std::string& what = "key") const;
    bool has(const std::string& key) const;

    std::optional<std::string> string(const std::string& key) const;
    std::string requiredString(const std::string& key) const;
    // A finite number (integer or floating-point).
    std::optional<double> number(const std::string& key) const;
    double requiredNumber(const std::string& key) const;
    std::optional<int> integer(const std::string& key, int least, int most) const;
    int requiredInteger(const std::string& key, int least, int most) const;
    std::optional<bool> boolean(const std::string& key) const;
    // Arrays; empty when the key is absent.
    std::vector<double> numbers(const std::string& key) const;
    std::vector<std::string> strings(const std::string& key) const;
    // A name among choices, as its code.
    std::optional<int> choice(const std::string& key, const std::vector<NamedCode>& choices) const;
    // The same, or one of the choices' codes written as an integer.
    std::optional<int> choiceOrCode(const std::string& key,
                                    const std::vector<NamedCode>& choices) const;

    std::optional<TableReader> table(const std::string& key) const;
    // An array of tables ([[key]]); empty when the key is absent.
    std::vector<TableReader> tables(const std::string& key) const;

    const toml::node* node(const std::string& key) const;
    // The full name of key in this table: "method.maxiter".
    std::string keyName(const std::string& key) const;
    const std::string& name() const { return name_; }
    const std::string& file() const { return file_; }

    // Throws at key's value, or at the table itself when key is absent.
    [[noreturn]] void fail(const std::string& key, const std::string& problem) const;
    // Throws at the table itself, naming it.
    [[noreturn]] void failHere(const std::string& problem) const;

private:
    [[noreturn]] void failWrongType(const std::string& key, const std::string& needed) const;
    [[noreturn]] void failAt(const toml::node& value, const std::string& fullName,
                             const std::string& problem) const;
    double finiteNumber(const std::string& fullName, const toml::node& value) const;

    const toml::table* table_;
    std::string name_;
    std::string file_;
};

// "sqp, direct, ga": the names of choices, for messages.
std::string namesOf(const std::vector<NamedCode>& choices);
// The name of code among choices; "" when none has it.
std::string nameOf(const std::vector<NamedCode>& choices, int code);
// Throws the StudyFileError "file:line:column: key: problem".
[[noreturn]] void throwAt(const std::string& file, const toml::source_position& where,
                          const std::string& key, const std::string& problem);

}  // namespace Cli
}  // namespace Opt
