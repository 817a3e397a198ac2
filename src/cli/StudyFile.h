// Reads a study file (TOML) into a Study: every key checked, every setting
// translated into the library's terms.
#pragma once

#include <stdexcept>
#include <string>

#include "cli/Study.h"

namespace Opt {
namespace Cli {

// A malformed study file. what() is one line naming the file, the line and
// column, and the key: "study.toml:12:3: variable[2].upper: ...".
class StudyFileError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Throws StudyFileError for an unreadable or malformed file.
Study readStudyFile(const std::string& path);
// The same from text in memory; path names the file in messages and fixes the
// study's folder.
Study parseStudy(const std::string& text, const std::string& path);
// What `zelkor check` prints for a valid study: variables, responses and how
// they reach the library, the method and its settings, the analysis, the scheduler.
std::string describeStudy(const Study& study);

}  // namespace Cli
}  // namespace Opt
